#include "store/AlmanacHistory.h"

#include "core/Platform.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QSqlQuery>
#include <QSysInfo>

#include <algorithm>

namespace {
const QString kCreate = QStringLiteral(
    "CREATE TABLE IF NOT EXISTS Historique ("
    " id INTEGER PRIMARY KEY, Date TEXT, Champ TEXT, Avant, Apres, Quand TEXT, Copie TEXT)");
const QString kIndex = QStringLiteral("CREATE INDEX IF NOT EXISTS Historique_jour ON Historique (Date, Champ, id)");

// The writing copy of the program: host name and process id.
QString thisCopy()
{
    return QStringLiteral("%1 (%2)").arg(QSysInfo::machineHostName()).arg(QCoreApplication::applicationPid());
}
}  // namespace

// Ours: the columns we write, "id" its key, and no other column that an
// insert must fill. Unknown: there is no such table yet.
AlmanacHistory::Table AlmanacHistory::lookAtTable(QSqlQuery &q) const
{
    QStringList wanted{QStringLiteral("id"), QStringLiteral("Date"), QStringLiteral("Champ"), QStringLiteral("Avant"),
                       QStringLiteral("Apres"), QStringLiteral("Quand"), QStringLiteral("Copie")};
    bool any = false, foreign = false;
    q.exec(QStringLiteral("PRAGMA table_info(Historique)"));  // cid, name, type, notnull, dflt_value, pk
    while (q.next()) {
        any = true;
        const QString name = q.value(1).toString();
        const bool mustFill = q.value(3).toInt() != 0 && q.value(4).isNull() && q.value(5).toInt() == 0;
        const bool keyed = q.value(5).toInt() != 0;
        if (name.compare(QLatin1String("id"), Qt::CaseInsensitive) == 0 && !keyed)
            foreign = true;
        const auto it = std::find_if(wanted.begin(), wanted.end(), [&](const QString &w) {
            return w.compare(name, Qt::CaseInsensitive) == 0;
        });
        if (it != wanted.end())
            wanted.erase(it);
        else if (mustFill)
            foreign = true;
    }
    if (!any)
        return Table::Unknown;
    return wanted.isEmpty() && !foreign ? Table::Ours : Table::Foreign;
}

// Only the last changes of each day and field are kept.
bool AlmanacHistory::record(QSqlQuery &q, const QString &day, const QList<Change> &changes, const QString &writer)
{
    if (m_table == Table::Unknown) {
        m_table = lookAtTable(q);
        // Made at the first write; a rolled-back write takes it back with it.
        if (m_table == Table::Unknown && !q.exec(kCreate))
            return false;
        if (m_table != Table::Foreign && !q.exec(kIndex))
            return false;
    }
    if (m_table == Table::Foreign)
        return true;  // someone else's table: the write goes on without history
    const QString when = platform().nowUtc().toString(Qt::ISODate);
    const QString copy = writer.isEmpty() ? thisCopy() : writer;
    for (const Change &c : changes) {
        q.prepare(QStringLiteral("INSERT INTO Historique (Date, Champ, Avant, Apres, Quand, Copie)"
                                 " VALUES (?, ?, ?, ?, ?, ?)"));
        for (const QVariant &v : {QVariant(day), QVariant(c.field), c.before, c.after, QVariant(when),
                                  QVariant(copy)})
            q.addBindValue(v);
        if (!q.exec())
            return false;
        q.prepare(QStringLiteral("DELETE FROM Historique WHERE Date = ? AND Champ = ? AND id NOT IN"
                                 " (SELECT id FROM Historique WHERE Date = ? AND Champ = ?"
                                 " ORDER BY id DESC LIMIT %1)").arg(kPerField));
        for (const QVariant &v : {QVariant(day), QVariant(c.field), QVariant(day), QVariant(c.field)})
            q.addBindValue(v);
        if (!q.exec())
            return false;
    }
    return true;
}

void AlmanacHistory::committed(const QList<Change> &changes)
{
    if (changes.isEmpty())
        return;
    if (m_groupOpen)
        m_undo.last() += changes;
    else if (m_grouping)
        m_undo.append(changes);
    else
        for (const Change &c : changes)
            m_undo.append({c});  // outside a group, each field on its own
    m_groupOpen = m_grouping;
    m_redo.clear();
}

void AlmanacHistory::beginGroup()
{
    m_grouping = true;
    m_groupOpen = false;
}

bool AlmanacHistory::replay(bool undo, const std::function<bool(const Change &, const QVariant &, const QVariant &)> &write)
{
    QList<Step> &from = undo ? m_undo : m_redo, &to = undo ? m_redo : m_undo;
    if (from.isEmpty())
        return false;
    const Step step = from.last();
    // Each write is an ordinary one, which would start a new undo list: keep ours.
    const QList<Step> undoList = m_undo, redoList = m_redo;
    qsizetype done = 0;
    for (; done < step.size(); ++done) {
        const Change &c = step[undo ? step.size() - 1 - done : done];
        if (!(undo ? write(c, c.before, c.after) : write(c, c.after, c.before)))
            break;
    }
    m_undo = undoList;
    m_redo = redoList;
    m_groupOpen = false;
    // What was written goes to the other list, the rest stays, each in the order written.
    const Step written = undo ? step.mid(step.size() - done) : step.first(done);
    const Step left = undo ? step.first(step.size() - done) : step.mid(done);
    from.removeLast();
    if (!left.isEmpty())
        from.append(left);
    if (!written.isEmpty())
        to.append(written);
    return left.isEmpty();
}

QList<AlmanacHistory::Past> AlmanacHistory::pastOf(const QSqlDatabase &db, const QString &day) const
{
    QList<Past> past;
    if (m_table == Table::Foreign)
        return past;
    QSqlQuery q(db);
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT Quand, Champ, Avant, Apres, Copie FROM Historique"
                             " WHERE Date = ? ORDER BY id DESC"));
    q.addBindValue(day);
    if (!q.exec())
        return past;  // no history in this file yet
    while (q.next())
        past.append({q.value(0).toString(), q.value(1).toString(), q.value(4).toString(), q.value(2), q.value(3)});
    return past;
}
