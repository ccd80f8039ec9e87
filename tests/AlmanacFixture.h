#pragma once

#include "core/OmboError.h"
#include "store/AlmanacExport.h"
#include "store/RecordSource.h"
#include "store/Schema.h"
#include "store/TroisJours.h"

#include <QDate>
#include <QDebug>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <QVector>

// Almanac files made by the tests themselves.
struct Ligne
{
    QVariant date, ev1, ev2;
};

// One row per day of a leap year, 01/01 to 31/12, texts "A dd/mm" and "B dd/mm".
inline QVector<Ligne> anneeComplete(bool avec29Fevrier = true)
{
    QVector<Ligne> lignes;
    for (QDate d(2004, 1, 1); d.year() == 2004; d = d.addDays(1)) {
        if (!avec29Fevrier && d.month() == 2 && d.day() == 29)
            continue;
        const QString cle = d.toString(QStringLiteral("dd/MM"));
        lignes.append({cle, QStringLiteral("A ") + cle, QStringLiteral("B ") + cle});
    }
    return lignes;
}

// A leap year of texts that files find hard to carry: quotes, separators,
// tabs, line ends, accents, ligatures, emoji, a text of the longest length
// an import takes, Null and empty texts, a second text with no first.
inline QVector<Ligne> oddAlmanac()
{
    QVector<Ligne> lignes = anneeComplete();
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
        lignes[o.row].ev1 = o.ev1;
        lignes[o.row].ev2 = o.ev2;
    }
    return lignes;
}

// The same rows as the exporters and importers see them.
inline QList<DayRow> dayRows(const QVector<Ligne> &lignes)
{
    QList<DayRow> rows;
    for (const Ligne &l : lignes)
        rows.append({l.date.toString(), l.ev1.isNull() ? QVariant() : QVariant(l.ev1.toString()),
                     l.ev2.isNull() ? QVariant() : QVariant(l.ev2.toString())});
    return rows;
}

inline bool ecrireAlmanach(const QString &path, const QVector<Ligne> &lignes)
{
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fixture"));
        db.setDatabaseName(path);
        ok = db.open();
        QSqlQuery q(db);
        ok = ok && q.exec(Schema::kCreate) && db.transaction();
        q.prepare(QStringLiteral("INSERT INTO Evenements (Date, Evenement1, Evenement2) VALUES (?, ?, ?)"));
        for (const Ligne &l : lignes) {
            q.addBindValue(l.date);
            q.addBindValue(l.ev1);
            q.addBindValue(l.ev2);
            ok = ok && q.exec();
        }
        ok = ok && db.commit();
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("fixture"));
    return ok;
}

// The value stored in the file for `champ` of the row whose `key` is `id`.
inline QVariant lireChamp(const QString &path, int id, const QString &champ,
                          const QString &key = QStringLiteral("id"))
{
    QVariant v;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("lecture"));
        db.setDatabaseName(path);
        db.open();
        QSqlQuery q(db);
        q.prepare(QStringLiteral("SELECT \"%1\" FROM Evenements WHERE %2 = ?").arg(champ, key));
        q.addBindValue(id);
        if (q.exec() && q.next())
            v = q.value(0);
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("lecture"));
    return v;
}

// Runs statements on the file, each with the same bound values.
inline bool executer(const QString &path, const QStringList &statements, const QVariantList &values = {})
{
    bool ok = true;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("sql"));
        db.setDatabaseName(path);
        ok = db.open();
        QSqlQuery q(db);
        for (const QString &sql : statements) {
            ok = ok && q.prepare(sql);
            for (const QVariant &v : values)
                q.addBindValue(v);
            ok = ok && q.exec();
        }
        if (!ok)
            qWarning() << q.lastError().text();
        q.finish();
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("sql"));
    return ok;
}

// Runs the load as the update window does: the extraction, and its report.
inline bool charger(RecordSource &source, const QString &dossier)
{
    try {
        extraireTroisJours(source, dossier);
        return true;
    } catch (const OmboError &e) {
        reportLoadFailure(e);
        return false;
    }
}

inline QByteArray lireFichier(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool ecrireFichier(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}
