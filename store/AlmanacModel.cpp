#include "store/AlmanacModel.h"

#include "core/OmboError.h"
#include "core/Platform.h"
#include "store/DailyBackup.h"
#include "store/Schema.h"
#include "store/TextLines.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QSqlError>
#include <QSqlField>
#include <QSqlIndex>
#include <QSqlQuery>

namespace {
const QLatin1String kId("id");
// Names SQLite's row identity "id" for a table that has no such column.
const QLatin1String kRowsView("ombo_rows");

// A column name as SQL text. The names come from the file itself, so any
// double quote in them is doubled.
QString quotedName(QString name)
{
    return QLatin1Char('"') + name.replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

// The same fields with the same values and types (a Null equals only a Null).
bool sameValues(const QSqlRecord &a, const QSqlRecord &b)
{
    if (a.isEmpty() || a.count() != b.count())
        return false;
    for (int c = 0; c < a.count(); ++c) {
        const QVariant x = a.value(c), y = b.value(c);
        if (x.isNull() != y.isNull() || x.metaType() != y.metaType() || x != y)
            return false;
    }
    return true;
}

QSqlError rowChanged()
{
    return QSqlError(QStringLiteral("row changed by another copy"), QString(),
                     QSqlError::TransactionError, QString::number(Err::RowChanged));
}
bool sameValue(const QVariant &x, const QVariant &y)
{
    return x.isNull() == y.isNull() && x.metaType() == y.metaType() && x == y;
}

QString quoted(const QVariant &v)
{
    return v.isNull() || v.toString().isEmpty() ? QStringLiteral("(vide)")
                                                 : QStringLiteral("« %1 »").arg(v.toString());
}

// The writing copy of the program: host name and process id.
QString thisCopy()
{
    return QStringLiteral("%1 (%2)").arg(QSysInfo::machineHostName()).arg(QCoreApplication::applicationPid());
}

const QString kCreateHistory = QStringLiteral(
    "CREATE TABLE IF NOT EXISTS Historique ("
    " id INTEGER PRIMARY KEY, Date TEXT, Champ TEXT, Avant, Apres, Quand TEXT, Copie TEXT)");
const QString kIndexHistory = QStringLiteral(
    "CREATE INDEX IF NOT EXISTS Historique_jour ON Historique (Date, Champ, id)");
}  // namespace

AlmanacModel::AlmanacModel(QObject *parent, const QSqlDatabase &db)
    : QSqlTableModel(parent, db)
{
    // Rows are written one by one, by writeRow(): the model's own strategies
    // would write every pending row at once and block the others after a failure.
    setEditStrategy(OnManualSubmit);
}

bool AlmanacModel::openTable()
{
    QSqlDatabase db = database();
    const bool hasId = db.record(Schema::kTable).indexOf(kId) >= 0;
    m_keyColumn = hasId ? QString(kId) : QStringLiteral("rowid");
    if (hasId) {
        setTable(Schema::kTable);
        // An "id" that is not the table's primary key still names each row:
        // without a key, the model would look a written row up again by all
        // of its old values and lose it.
        if (primaryKey().isEmpty()) {
            QSqlIndex key;
            key.append(record().field(kId));
            setPrimaryKey(key);
        }
    } else {
        // A temporary view lives in memory with the connection: the file is not touched.
        QSqlQuery q(db);
        if (!q.exec(QStringLiteral("CREATE TEMP VIEW IF NOT EXISTS %1 AS SELECT rowid AS id, * FROM main.%2")
                        .arg(kRowsView, Schema::kTable))) {
            setLastError(q.lastError());
            return false;
        }
        setTable(kRowsView);
        QSqlIndex key;
        key.append(record().field(kId));
        setPrimaryKey(key);
    }
    setSort(fieldIndex(kId), Qt::AscendingOrder);
    return select();
}

Qt::ItemFlags AlmanacModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags f = QSqlTableModel::flags(index);
    if (index.column() == fieldIndex(QStringLiteral("Date")) || index.column() == fieldIndex(kId))
        f &= ~Qt::ItemIsEditable;
    return f;
}

QVariant AlmanacModel::data(const QModelIndex &index, int role) const
{
    if (role == RefusedRole || role == Qt::ToolTipRole) {
        const auto refused = m_refused.constFind(index.row());
        if (refused == m_refused.cend())
            return QVariant();
        return role == Qt::ToolTipRole ? QStringLiteral("Non enregistré : ") + *refused : *refused;
    }
    QVariant v = QSqlTableModel::data(index, role);
    if (role == Qt::DisplayRole && v.typeId() == QMetaType::QString) {
        QString text = v.toString();
        if (text.size() > kDisplayMax)
            text = text.left(kDisplayMax) + QChar(0x2026);
        if (text.contains(u'\n') || text.contains(u'\r'))
            text = textLines(text).join(QStringLiteral(" \u00B6 "));
        return text;
    }
    return v;
}

bool AlmanacModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!QSqlTableModel::setData(index, value, role))
        return false;
    if (role == Qt::EditRole && m_refused.remove(index.row()))
        emit dataChanged(this->index(index.row(), 0), this->index(index.row(), columnCount() - 1));
    return true;
}

QVariant AlmanacModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Vertical && role == Qt::DisplayRole)
        return QVariant();
    return QSqlTableModel::headerData(section, orientation, role);
}

QSqlRecord AlmanacModel::readRow(int row) const
{
    QSqlRecord r = record();
    for (int c = 0; c < r.count(); ++c)
        r.setValue(c, data(index(row, c), Qt::EditRole));
    return r;
}

bool AlmanacModel::select()
{
    m_historyReady = false;  // the file may be another one now
    m_read.clear();
    m_refused.clear();
    bool ok = QSqlTableModel::select();
    // Read every row now: an unfinished read would keep the file locked.
    while (ok && canFetchMore())
        fetchMore();
    if (ok && query().lastError().isValid()) {
        // A page that cannot be read past the first rows.
        setLastError(query().lastError());
        ok = false;
    }
    if (ok) {
        m_read.reserve(rowCount());
        for (int row = 0; row < rowCount(); ++row)
            m_read.append(readRow(row));
    }
    return ok;
}

bool AlmanacModel::selectRow(int row)
{
    const bool ok = QSqlTableModel::selectRow(row);
    if (ok && row >= 0 && row < m_read.size())
        m_read[row] = readRow(row);
    return ok;
}

bool AlmanacModel::isPending(int row) const
{
    if (m_refused.contains(row))
        return false;
    for (int c = 0; c < columnCount(); ++c)
        if (isDirty(index(row, c)))
            return true;
    return false;
}

bool AlmanacModel::submit()
{
    bool ok = true;
    for (int row = 0; isDirty() && row < rowCount(); ++row)
        ok = writeRow(row) && ok;
    return ok;
}

bool AlmanacModel::writeRow(int row)
{
    if (!isPending(row))
        return true;
    // The whole texts (never what a cell shows), marked with the fields edited.
    QSqlRecord values = readRow(row);
    const QSqlRecord edited = record(row);
    for (int c = 0; c < values.count(); ++c)
        values.setGenerated(c, edited.isGenerated(c));
    const bool backedUp = m_backup && m_backup->makeIfDue(database());
    if (!updateRowInTable(row, values)) {
        if (backedUp)
            m_backup->discard();
        markRefused(row, lastError().text());
        emit writeFailed(row, lastError());
        return false;
    }
    if (backedUp)
        m_backup->confirm();
    m_undo += m_written;
    m_redo.clear();
    selectRow(row);
    return true;
}

void AlmanacModel::markRefused(int row, const QString &reason)
{
    m_refused.insert(row, reason);
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

void AlmanacModel::discardEdit(int row)
{
    revertRow(row);
    m_refused.remove(row);
    selectRow(row);
}

QList<AlmanacModel::Kept> AlmanacModel::keptEdits() const
{
    QList<Kept> kept;
    for (auto it = m_refused.cbegin(); it != m_refused.cend(); ++it) {
        const int row = it.key();
        const QSqlRecord edited = record(row);
        Kept k{QString(), m_read.value(row).value(kId), dayOf(row), {}, it.value()};
        for (int c = 0; c < edited.count(); ++c)
            if (edited.fieldName(c) != kId && isDirty(index(row, c)))
                k.fields.append({edited.fieldName(c), data(index(row, c), Qt::EditRole)});
        if (!k.fields.isEmpty())
            kept.append(k);
    }
    return kept;
}

void AlmanacModel::restore(const QList<Kept> &kept)
{
    for (const Kept &k : kept) {
        const int row = rowOf(k.id);
        if (row < 0)
            continue;
        for (const auto &[field, value] : k.fields)
            setData(index(row, fieldIndex(field)), value);
        markRefused(row, k.reason);
    }
}

int AlmanacModel::rowOf(const QVariant &id) const
{
    for (int row = 0; row < m_read.size(); ++row)
        if (sameValue(m_read[row].value(kId), id))
            return row;
    return -1;
}

QString AlmanacModel::dayOf(int row) const
{
    return m_read.value(row).value(QStringLiteral("Date")).toString();
}

int AlmanacModel::undoRow() const
{
    return m_undo.isEmpty() ? -1 : rowOf(m_undo.last().id);
}

int AlmanacModel::redoRow() const
{
    return m_redo.isEmpty() ? -1 : rowOf(m_redo.last().id);
}

bool AlmanacModel::undo()
{
    return replay(m_undo, m_redo, true);
}

bool AlmanacModel::redo()
{
    return replay(m_redo, m_undo, false);
}

// Writes back one change of `from` as an ordinary write; once written, it
// moves to `to`. A refused one stays where it was.
bool AlmanacModel::replay(QList<Change> &from, QList<Change> &to, bool useBefore)
{
    if (from.isEmpty())
        return false;
    const Change c = from.last();
    const int row = rowOf(c.id);
    if (row < 0)
        return false;
    const QList<Change> undo = m_undo, redo = m_redo;
    const bool ok = writeValue(row, c.field, useBefore ? c.before : c.after);
    m_undo = undo;
    m_redo = redo;
    if (ok) {
        from.removeLast();
        to.append(c);
    }
    return ok;
}

bool AlmanacModel::writeValue(int row, const QString &field, const QVariant &value)
{
    const QModelIndex cell = index(row, fieldIndex(field));
    if (!cell.isValid() || !(flags(cell) & Qt::ItemIsEditable))
        return false;
    QSqlTableModel::setData(cell, value);
    m_refused.remove(row);
    return writeRow(row);
}

QList<AlmanacModel::Past> AlmanacModel::history(const QString &day) const
{
    QList<Past> past;
    QSqlQuery q(database());
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT Quand, Champ, Avant, Apres, Copie FROM Historique"
                             " WHERE Date = ? ORDER BY id DESC"));
    q.addBindValue(day);
    if (!q.exec())
        return past;  // no history in this file yet
    while (q.next())
        past.append({q.value(0).toString(), q.value(1).toString(), q.value(4).toString(),
                     q.value(2), q.value(3)});
    return past;
}

bool AlmanacModel::storedRow(const QVariant &id, QSqlRecord *out)
{
    QSqlQuery q(database());
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT * FROM %1 WHERE id = ?").arg(tableName()));
    q.addBindValue(id);
    if (!q.exec()) {
        setLastError(q.lastError());
        return false;
    }
    *out = q.next() ? q.record() : QSqlRecord();
    if (q.lastError().isValid()) {
        setLastError(q.lastError());
        return false;
    }
    return true;
}

// What each write replaced, in the write's own transaction; only the last
// changes of each day and field are kept.
bool AlmanacModel::recordHistory(QSqlQuery &q, const QString &day, const QList<Change> &changes)
{
    // Made at the first write; a rolled-back write takes it back with it.
    if (!m_historyReady && (!q.exec(kCreateHistory) || !q.exec(kIndexHistory)))
        return false;
    const QString when = platform().nowUtc().toString(Qt::ISODate);
    for (const Change &c : changes) {
        q.prepare(QStringLiteral("INSERT INTO Historique (Date, Champ, Avant, Apres, Quand, Copie)"
                                 " VALUES (?, ?, ?, ?, ?, ?)"));
        for (const QVariant &v : {QVariant(day), QVariant(c.field), c.before, c.after, QVariant(when),
                                  QVariant(thisCopy())})
            q.addBindValue(v);
        if (!q.exec())
            return false;
        q.prepare(QStringLiteral("DELETE FROM Historique WHERE Date = ? AND Champ = ? AND id NOT IN"
                                 " (SELECT id FROM Historique WHERE Date = ? AND Champ = ?"
                                 " ORDER BY id DESC LIMIT %1)").arg(kHistoryPerField));
        for (const QVariant &v : {QVariant(day), QVariant(c.field), QVariant(day), QVariant(c.field)})
            q.addBindValue(v);
        if (!q.exec())
            return false;
    }
    return true;
}

bool AlmanacModel::updateRowInTable(int row, const QSqlRecord &values)
{
    if (row < 0 || row >= m_read.size())
        return false;
    QStringList sets;
    QVariantList bound;
    QList<Change> changes;
    const QVariant id = m_read[row].value(kId);
    for (int c = 0; c < values.count(); ++c) {
        if (values.isGenerated(c) && values.fieldName(c) != kId) {
            sets << quotedName(values.fieldName(c)) + QStringLiteral(" = ?");
            bound << values.value(c);
            changes.append({id, values.fieldName(c), QVariant(), values.value(c)});
        }
    }
    m_written.clear();
    if (sets.isEmpty())
        return true;
    bound << id;

    QSqlDatabase db = database();
    QSqlQuery q(db);
    // The check and the write in one transaction that no other writer can
    // enter: the row must still hold exactly what we read.
    if (!q.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
        setLastError(q.lastError());
        return false;
    }
    auto abandon = [&](const QSqlError &e) {
        setLastError(e);
        q.finish();
        QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
        return false;
    };
    // Read back through the same conversions as the model's own reading, so
    // that texts that are no valid UTF-8 compare equal while unchanged.
    QSqlRecord stored;
    if (!storedRow(id, &stored))
        return abandon(lastError());
    if (!sameValues(stored, m_read[row])) {
        // Say what the other copy wrote; from now on, what is stored is what
        // this copy read, so that editing the row again overwrites it knowingly.
        QStringList theirs;
        for (const Change &c : changes)
            theirs << quoted(stored.value(c.field));
        m_theirTexts = theirs.join(QStringLiteral(" et "));
        if (!stored.isEmpty())
            m_read[row] = stored;
        return abandon(rowChanged());
    }
    q.prepare(QStringLiteral("UPDATE main.%1 SET %2 WHERE %3 = ?")
                  .arg(Schema::kTable, sets.join(QStringLiteral(", ")), m_keyColumn));
    for (const QVariant &v : bound)
        q.addBindValue(v);
    if (!q.exec())
        return abandon(q.lastError());
    if (q.numRowsAffected() != 1)
        return abandon(rowChanged());
    for (Change &c : changes)
        c.before = stored.value(c.field);
    if (!recordHistory(q, stored.value(QStringLiteral("Date")).toString(), changes))
        return abandon(q.lastError());
    if (!q.exec(QStringLiteral("COMMIT")))
        return abandon(q.lastError());
    m_historyReady = true;
    m_written = changes;
    return true;  // the caller reads the row again (selectRow)
}

bool AlmanacModel::insertRowIntoTable(const QSqlRecord &)
{
    return false;  // the table holds one row per day: rows are never added
}

bool AlmanacModel::deleteRowFromTable(int)
{
    return false;  // nor removed
}
