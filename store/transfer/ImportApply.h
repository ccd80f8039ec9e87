#pragma once

#include "core/OmboError.h"
#include "store/transfer/ImportPlan.h"

class AlmanacModel;

// A text that could not be written.
struct ImportFailure
{
    QString key;
    int field = 1;
    OmboError error;
};

// Writes the changes through the model's one row write, row by row, each
// row only if it still holds what the model read, and only the fields the
// import changes. A row that fails is left as the file holds it, and its
// texts are returned; the others are written, and undone by one undo.
// Nothing is said here.
QList<ImportFailure> applyImport(AlmanacModel &model, const QList<ImportChange> &changes,
                                 const QString &file);
// The refused texts for a box: how many, then each reason once with the
// days and fields it refused.
QString refusalList(const QList<ImportFailure> &failures);
