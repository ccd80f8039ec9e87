#pragma once

#include "core/OmboError.h"
#include "store/transfer/ImportPlan.h"

class AlmanacModel;

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
