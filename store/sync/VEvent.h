#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// One event of a calendar object resource, as the sync needs it.
struct VEvent
{
    QString uid;
    QString summary;  // unescaped, line ends as LF
    bool allDay = false;
    int month = 0, day = 0;  // of DTSTART, when it is a date
};

// The VEVENTs of an iCalendar text (a VCALENDAR, or several in one answer).
// A text that does not parse, or is larger than `kMaxResourceBytes`, gives
// none and sets `*ok` false.
constexpr qsizetype kMaxResourceBytes = 256 * 1024;
QList<VEvent> readVEvents(const QByteArray &ics, bool *ok);

// The calendar object `ics` with the SUMMARY of its event `uid` set to
// `summary` and everything else kept (alarms, notes, properties of other
// programs); empty when `ics` does not read or holds no such event.
QByteArray withSummary(const QByteArray &ics, const QString &uid, const QString &summary);

// Our UID of a day and field: "MMDD-1@ombrelune"; empty for a foreign UID
// when read back by fieldOfUid.
QString ownUid(int month, int day, int field);
// The day key "dd/mm" and field (1 or 2) of one of our UIDs; false for
// any other UID.
bool fieldOfUid(const QString &uid, QString *key, int *field);

// The stored form of a text on a server: what an export writes and a
// reader gives back (line ends as LF, control characters but the tab and
// line end dropped). Two texts that agree in this form are the same event.
QString serverForm(const QString &text);
