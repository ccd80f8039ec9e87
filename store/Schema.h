#pragma once

#include <QString>

// The almanac table. The integer key fixes calendar order and lets each
// update name exactly one row.
namespace Schema {
inline const QString kTable = QStringLiteral("Evenements");
inline const QString kCreate = QStringLiteral(
    "CREATE TABLE Evenements ("
    " id INTEGER PRIMARY KEY,"
    " Date TEXT,"
    " Evenement1 TEXT,"
    " Evenement2 TEXT)");
}  // namespace Schema
