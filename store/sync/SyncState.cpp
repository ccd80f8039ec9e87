#include "store/sync/SyncState.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {
const QString kCreateEvents = QStringLiteral(
    "CREATE TABLE IF NOT EXISTS Synchronisation ("
    " Uid TEXT PRIMARY KEY, ETag TEXT, Texte TEXT, Conflit INTEGER, Serveur TEXT, ServeurETag TEXT)");
const QString kCreateServer = QStringLiteral(
    "CREATE TABLE IF NOT EXISTS SynchronisationServeur ("
    " id INTEGER PRIMARY KEY CHECK (id = 1), Url TEXT, Utilisateur TEXT, Calendrier TEXT, Jeton TEXT, Ctag TEXT)");

bool hasTable(const QSqlDatabase &db, const QString &name)
{
    QSqlQuery q(db);
    q.prepare(QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?"));
    q.addBindValue(name);
    return q.exec() && q.next();
}
}  // namespace

namespace SyncState {
bool load(const QSqlDatabase &db, ServerState *server, QHash<QString, EventState> *events)
{
    *server = ServerState();
    events->clear();
    if (!hasTable(db, QStringLiteral("SynchronisationServeur")))
        return db.isOpen();
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT Url, Utilisateur, Calendrier, Jeton, Ctag FROM SynchronisationServeur")))
        return false;
    if (q.next())
        *server = {q.value(0).toString(), q.value(1).toString(), q.value(2).toString(), q.value(3).toString(),
                   q.value(4).toString()};
    if (!q.exec(QStringLiteral("SELECT Uid, ETag, Texte, Conflit, Serveur, ServeurETag FROM Synchronisation")))
        return false;
    while (q.next())
        events->insert(q.value(0).toString(), {q.value(1).toString(), q.value(2).toString(), q.value(3).toBool(),
                                              q.value(4), q.value(5).toString()});
    return !q.lastError().isValid();
}

bool save(QSqlDatabase db, const ServerState &server, const QHash<QString, EventState> &events)
{
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("BEGIN IMMEDIATE")))
        return false;
    auto fail = [&] {
        q.finish();
        QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
        return false;
    };
    if (!q.exec(kCreateEvents) || !q.exec(kCreateServer) || !q.exec(QStringLiteral("DELETE FROM Synchronisation")))
        return fail();
    q.prepare(QStringLiteral("INSERT OR REPLACE INTO SynchronisationServeur VALUES (1, ?, ?, ?, ?, ?)"));
    for (const QString &v : {server.url, server.user, server.calendar, server.syncToken, server.ctag})
        q.addBindValue(v);
    if (!q.exec())
        return fail();
    q.prepare(QStringLiteral("INSERT INTO Synchronisation VALUES (?, ?, ?, ?, ?, ?)"));
    for (auto it = events.cbegin(); it != events.cend(); ++it) {
        const EventState &e = it.value();
        for (const QVariant &v : {QVariant(it.key()), QVariant(e.etag), QVariant(e.agreed), QVariant(int(e.conflict)),
                                  e.conflict ? e.serverText : QVariant(), QVariant(e.serverEtag)})
            q.addBindValue(v);
        if (!q.exec())
            return fail();
    }
    return q.exec(QStringLiteral("COMMIT")) || fail();
}
}  // namespace SyncState
