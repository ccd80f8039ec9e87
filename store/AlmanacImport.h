#pragma once

#include "core/OmboError.h"
#include "store/AlmanacExport.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariant>

#include <optional>

class AlmanacModel;

// Limits on what an import reads.
constexpr qint64 kMaxImportBytes = 10 * 1024 * 1024;
constexpr int kMaxTextLength = 10000;

// What a file gives for one day: each text a text or Null, or not given.
struct ImportedDay
{
    QString key;  // "dd/mm"
    std::optional<QVariant> text1, text2;
    int line = 0;  // where the day first appears in the file
};

// A file read whole, or the French reason it was refused (naming the line).
struct ImportRead
{
    QList<ImportedDay> days;
    QString error;
    bool ok() const { return error.isEmpty(); }
};

ImportRead readCsv(const QByteArray &bytes);
ImportRead readCalendarText(const QByteArray &bytes);
ImportRead readIcs(const QByteArray &bytes);
// Checks the size, reads the file and picks the reader by its extension.
ImportRead readImportFile(const QString &path);

// "Compléter" fills only empty texts, "Remplacer" lets the file's text win,
// "Ajouter à la suite" appends " ; " and the file's text when it differs.
enum class ImportPolicy { Complete, Replace, Append };
QString policyName(ImportPolicy policy);

// One text that an import would change.
struct ImportChange
{
    int row = -1;  // 0-based row in the table
    QString key;
    int field = 1;  // 1: Evenement1, 2: Evenement2
    QVariant stored, result;
};

// What the import of `days` would change in `stored` (the table's rows),
// nothing being written. Refused, with `error` set, when a day has no row
// or a result would be too long.
QList<ImportChange> planImport(const QList<DayRow> &stored, const QList<ImportedDay> &days,
                               ImportPolicy policy, QString *error);

// A row that could not be written.
struct ImportFailure
{
    QString key;
    OmboError error;
};

// Writes the changes through the model, row by row, each row only if it
// still holds what the model read (the grid's own write path). A row that
// fails is left as the file holds it and reported; the others are written.
QList<ImportFailure> applyImport(AlmanacModel &model, const QList<ImportChange> &changes,
                                 const QString &file);
