#pragma once

#include "core/OmboError.h"
#include "store/transfer/Writers.h"
#include "store/RecordSource.h"
#include "store/Schema.h"
#include "store/TroisJours.h"

#include <QDate>
#include <QDebug>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVector>

#include <functional>

// Almanac files made by the tests themselves.
struct TestRow
{
    QVariant date, ev1, ev2;
};

// One row per day of a leap year, 01/01 to 31/12, texts "A dd/mm" and "B dd/mm".
inline QVector<TestRow> fullYear(bool withLeapDay = true)
{
    QVector<TestRow> days;
    for (QDate d(2004, 1, 1); d.year() == 2004; d = d.addDays(1)) {
        if (!withLeapDay && d.month() == 2 && d.day() == 29)
            continue;
        const QString key = d.toString(QStringLiteral("dd/MM"));
        days.append({key, QStringLiteral("A ") + key, QStringLiteral("B ") + key});
    }
    return days;
}

// A leap year of texts that files find hard to carry: quotes, separators,
// tabs, line ends, accents, ligatures, emoji, a text of the longest length
// an import takes, Null and empty texts, a second text with no first.
inline QVector<TestRow> oddAlmanac()
{
    QVector<TestRow> days = fullYear();
    const QVariant null(QMetaType::fromType<QString>());
    QString longText;
    while (longText.size() < 10000)
        longText += QStringLiteral("Sainte-Geneviève, œuvre ; « été » ");
    longText.truncate(10000);
    const struct
    {
        int row;
        QVariant ev1, ev2;
    } odd[] = {
        {0, QStringLiteral("Guillemets \"doubles\", virgule, point-virgule ;"), null},
        {1, QString(""), QStringLiteral("tab\tici")},
        {2, QStringLiteral("ligne 1\nligne 2\n\n  ligne 4"), QStringLiteral("antislash \\ et \\n littéral")},
        {3, null, QStringLiteral("seulement le second")},
        {4, QStringLiteral("Œuvre, cœur, Æther, ÉÈÊ — ça"), QStringLiteral("emoji 🎂🎉 et 中文")},
        {5, longText, QStringLiteral("/* pas un commentaire */ // ni ça")},
        {6, QStringLiteral(" espaces autour "), QStringLiteral("#dièse au début")},
        {7, null, null},
        {8, QString(""), QString("")},
        {9, QStringLiteral("fin de ligne\r\nWindows"), QStringLiteral("B 10/01")},
        {59, QStringLiteral("bissextile"), null},
        {365, QStringLiteral("fin d'année"), QStringLiteral("dernier, texte")},
    };
    for (const auto &o : odd) {
        days[o.row].ev1 = o.ev1;
        days[o.row].ev2 = o.ev2;
    }
    return days;
}

// The same rows as the exporters and importers see them.
inline QList<DayRow> dayRows(const QVector<TestRow> &days)
{
    QList<DayRow> rows;
    for (const TestRow &l : days)
        rows.append({l.date.toString(), l.ev1.isNull() ? QVariant() : QVariant(l.ev1.toString()),
                     l.ev2.isNull() ? QVariant() : QVariant(l.ev2.toString())});
    return rows;
}

// A text as the tests compare it: "(null)" for Null (a null variant or a
// null string, which SQLite stores as NULL), else its text (QVariant's ==
// takes Null and the empty text for equal).
inline QString asText(const QVariant &v)
{
    return v.isNull() || v.toString().isNull() ? QStringLiteral("(null)") : v.toString();
}

// Runs `work` on the file through a connection of its own, closed after.
template <typename Result>
Result withDatabase(const QString &path, const std::function<Result(QSqlDatabase &)> &work)
{
    Result result{};
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fixture"));
        db.setDatabaseName(path);
        if (db.open())
            result = work(db);
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("fixture"));
    return result;
}

// Runs statements on the file, each with the same bound values.
inline bool runSql(const QString &path, const QStringList &statements, const QVariantList &values = {})
{
    return withDatabase<bool>(path, [&](QSqlDatabase &db) {
        QSqlQuery q(db);
        for (const QString &sql : statements) {
            bool ok = q.prepare(sql);
            for (const QVariant &v : values)
                q.addBindValue(v);
            if (!ok || !q.exec()) {
                qWarning() << q.lastError().text();
                return false;
            }
        }
        return true;
    });
}

inline bool writeAlmanac(const QString &path, const QVector<TestRow> &days)
{
    return withDatabase<bool>(path, [&](QSqlDatabase &db) {
        QSqlQuery q(db);
        bool ok = q.exec(Schema::kCreate) && db.transaction();
        q.prepare(QStringLiteral("INSERT INTO Evenements (Date, Evenement1, Evenement2) VALUES (?, ?, ?)"));
        for (const TestRow &d : days) {
            q.addBindValue(d.date);
            q.addBindValue(d.ev1);
            q.addBindValue(d.ev2);
            ok = ok && q.exec();
        }
        return ok && db.commit();
    });
}

// The value stored in the file for `field` of the row whose `key` is `id`.
inline QVariant readField(const QString &path, int id, const QString &field,
                          const QString &key = QStringLiteral("id"))
{
    return withDatabase<QVariant>(path, [&](QSqlDatabase &db) {
        QSqlQuery q(db);
        q.prepare(QStringLiteral("SELECT \"%1\" FROM Evenements WHERE %2 = ?").arg(field, key));
        q.addBindValue(id);
        return q.exec() && q.next() ? q.value(0) : QVariant();
    });
}

// Runs the load as the update window does: the extraction, and its report.
inline bool loadAlmanac(RecordSource &source, const QString &folder)
{
    try {
        extraireTroisJours(source, folder);
        return true;
    } catch (const OmboError &e) {
        reportLoadFailure(e);
        return false;
    }
}

inline QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}
