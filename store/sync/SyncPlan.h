#pragma once

#include "store/transfer/DayRows.h"
#include "store/sync/SyncState.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QVariant>

#include <optional>

// One of our events as the server holds it now.
struct ServerEvent
{
    QString etag;
    std::optional<QString> text;  // fetched; none when its ETag is the one agreed
};

// What one sync does to one event (a day's text).
struct SyncStep
{
    enum Kind { Put, Delete, Pull, Agree, Forget, Conflict } kind;
    QString uid, key;
    int field = 1;
    QString text;  // Put: the local text; Pull, Agree, Conflict: the server's
    QString etag;  // Put, Delete: If-Match (empty: If-None-Match: *); Agree, Conflict: the server's
    bool serverDeleted = false;  // Pull, Conflict: the server has no event
};

// The almanac's column for a step's field.
inline QString fieldColumn(int field)
{
    return field == 1 ? QStringLiteral("Evenement1") : QStringLiteral("Evenement2");
}

// Decides each event's step from the almanac's texts, the last agreement
// and the server's events (those of our UIDs, by UID). A text changed on one
// side goes to the other; changed on both and different, it is a conflict
// and neither is overwritten; with no agreement yet (the first sync), a text
// only fills an empty one, nothing is deleted, and differences are conflicts.
QList<SyncStep> planSync(const QList<DayRow> &rows, const QHash<QString, EventState> &agreed,
                         const QHash<QString, ServerEvent> &server);
