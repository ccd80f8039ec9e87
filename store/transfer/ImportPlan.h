#pragma once

#include "store/transfer/DayRows.h"
#include "store/transfer/ImportRead.h"

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
