#pragma once

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>
#include <QVariant>

class AlmanacModel;

// One row of the almanac as the files carry it: the day key and the two
// texts, each a text or Null.
struct DayRow
{
    QString key;
    QVariant text1, text2;

    bool operator==(const DayRow &) const = default;
};

// The rows of the table in its order, with the values the grid edits.
QList<DayRow> almanacRows(const AlmanacModel &model);

// Month and day of a day key "dd/mm" naming a day that a leap year has;
// false for anything else.
bool monthDayOf(const QString &key, int *month, int *day);

// What a file holds, told by its extension.
enum class FileFormat { Unknown, Ics, Csv, CalendarText, Pdf };
FileFormat formatOf(const QString &path);

// iCalendar: one yearly all-day event per non-empty text, starting in the
// year of `today` (29/02 in the last leap year not after it).
QByteArray exportIcs(const QList<DayRow> &rows, QDate today);
// CSV, header Date,Evenement1,Evenement2: a Null is an empty field, an
// empty text a quoted empty field.
QByteArray exportCsv(const QList<DayRow> &rows);
// The calendar(1) format: "MM/DD<TAB>text", continuation lines start with a
// tab.
QByteArray exportCalendarText(const QList<DayRow> &rows);

// Writes `bytes` to `path` whole or not at all; false with `error` set
// (French) when that fails.
bool writeFileAtomically(const QString &path, const QByteArray &bytes, QString *error);
