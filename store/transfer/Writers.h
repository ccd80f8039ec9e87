#pragma once

#include "store/transfer/DayRows.h"

#include <QByteArray>
#include <QDate>

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

// What an export to `format` leaves out, for the user: the rows that hold
// a text but no day key ("dd/mm") to place it on, which the .ics and .txt
// files cannot carry; empty when nothing is left out.
QString leftOutMessage(const QList<DayRow> &rows, FileFormat format);

// Writes `bytes` to `path` whole or not at all; false with `error` set
// (French) when that fails.
bool writeFileAtomically(const QString &path, const QByteArray &bytes, QString *error);
