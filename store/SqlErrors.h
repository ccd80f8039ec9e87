#pragma once

#include "app/OmboError.h"

#include <QSqlError>

// A database failure as a numbered error: SQLite's primary result code (5
// busy, 8 read-only, 14 cannot open, 26 not a database...) with a French
// description that names the file.
OmboError erreurBase(const QSqlError &error, const QString &fichier);
