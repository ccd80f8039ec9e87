// iCalendar read by libical: what the import of an .ics file and the sync
// of a calendar's events take from an iCalendar text.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// The text of one all-day event.
struct IcsDayText
{
    int month = 0, day = 0;
    int field = 0;  // 1 or 2 when the UID is the one an export gives that day's field; else 0
    QString text;  // the SUMMARY, unescaped, never empty
    QString uid;
    int line = 0;  // the line of its BEGIN:VEVENT
};

// The all-day events of `bytes` (one or more VCALENDARs) that have a
// summary, in the file's order; events with a time are left out (counted in
// `timed` when given). Refused with `error` (French, naming the line) when
// the text is no iCalendar.
QList<IcsDayText> icsDayTexts(const QByteArray &bytes, QString *error, int *timed = nullptr);
