#pragma once

#include "core/OmboError.h"

#include <QList>
#include <QSqlError>

// A database failure as a numbered error: SQLite's primary result code (5
// busy, 8 read-only, 14 cannot open, 26 not a database...) with a French
// description that names the file.
// The numbers databaseError() and writeError() give: SQLite's result codes
// that have a French description of their own, and the generic one.
QList<int> describedErrorNumbers();

OmboError databaseError(const QSqlError &error, const QString &file);

// What a write that failed tells: why, when the file shows it, and that the
// edit was not recorded. `replaced` says the file was deleted or replaced
// since it was opened.
OmboError writeError(const QSqlError &error, const QString &file, bool replaced);
