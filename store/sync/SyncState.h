#pragma once

#include <QHash>
#include <QSqlDatabase>
#include <QString>
#include <QVariant>

// What one event last agreed on with the server.
struct EventState
{
    QString etag;
    QString agreed;  // the text both sides held, in its server form
    // A text changed on both sides since: what the server holds (Null when
    // it deleted the event) and its ETag; the local text stays.
    bool conflict = false;
    QVariant serverText;
    QString serverEtag;
};

// The server an almanac syncs with and where the last sync left off.
struct ServerState
{
    QString url, user;  // as given by the user
    QString calendar;   // the calendar collection found from `url`
    QString syncToken, ctag;
};

// The sync's state, kept in the almanac itself (tables "Synchronisation" and
// "SynchronisationServeur"), so that a restart or another copy of the
// program resumes where the last sync ended. Never a password.
namespace SyncState {
// Both are empty when the almanac never synced. False on a read failure.
bool load(const QSqlDatabase &db, ServerState *server, QHash<QString, EventState> *events);
// Replaces the whole state in one transaction; false (and nothing written)
// when that fails.
bool save(QSqlDatabase db, const ServerState &server, const QHash<QString, EventState> &events);
}  // namespace SyncState
