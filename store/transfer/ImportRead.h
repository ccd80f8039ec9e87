#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariant>

#include <optional>

// Limits on what an import reads.
constexpr qint64 kMaxImportBytes = 10 * 1024 * 1024;
constexpr int kMaxTextLength = 10000;

// What a file gives for one day: each text a text or Null, or not given.
struct ImportedDay
{
    QString key;  // "dd/mm"; from a CSV, any key the export wrote
    std::optional<QVariant> text1, text2;
    int line = 0;  // where the day first appears in the file
};

// A file read whole, or the French reason it was refused (naming the line).
struct ImportRead
{
    QList<ImportedDay> days;
    QString error;
    int timedEvents = 0;  // events of an .ics at a time of day, left out
    bool ok() const { return error.isEmpty(); }
};

// One reader per format, each in its own file.
ImportRead readCsv(const QByteArray &bytes);
ImportRead readCalendarText(const QByteArray &bytes);
ImportRead readIcs(const QByteArray &bytes);
// Checks the size, reads the file and picks the reader by its extension.
ImportRead readImportFile(const QString &path);
// What an import leaves out of a file that reads ("" when nothing).
QString leftOutNote(const ImportRead &read);
