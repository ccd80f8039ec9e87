#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// One <response> of a WebDAV multistatus (RFC 4918), with the properties
// the sync asks for.
struct DavResponse
{
    QString href;       // as the server wrote it (a path, percent-encoded)
    int status = 0;     // the response's own status, or that of its found properties
    QString etag;       // getetag, quotes kept
    QByteArray calendarData;
    bool collection = false, calendar = false;
    QString displayName, ctag;
    QString principal, calendarHome;  // current-user-principal, calendar-home-set
    bool syncCollection = false;      // sync-collection among the supported reports
};

struct Multistatus
{
    QList<DavResponse> responses;
    QString syncToken;
    bool ok = false;  // false for a text that is not a multistatus
};

// Larger answers are refused before they are read.
constexpr qsizetype kMaxAnswerBytes = 32 * 1024 * 1024;

Multistatus readMultistatus(const QByteArray &xml);

// The request bodies.
namespace DavBody {
QByteArray collectionProps();                         // PROPFIND Depth 0 on a calendar
QByteArray principalProps();                          // current-user-principal, calendar-home-set
QByteArray listing();                                 // PROPFIND Depth 1: resourcetype, getetag, displayname
QByteArray syncCollection(const QString &token);      // REPORT sync-collection
QByteArray multiget(const QStringList &hrefs);        // REPORT calendar-multiget
QByteArray makeCalendar(const QString &displayName);  // MKCALENDAR
}  // namespace DavBody
