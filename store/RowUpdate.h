#pragma once

#include "store/AlmanacHistory.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlRecord>

// The SQL of one row's write, in one transaction that no other writer can
// enter: the row must still hold exactly what this copy read; then the
// fields are set and what they replaced goes into the history.
struct RowUpdate
{
    QSqlDatabase db;
    QString source;     // the table or view the model reads rows from
    QString keyColumn;  // what names a row of the table in an UPDATE
    QString writer;     // who writes, as the history names it (empty: this copy)

    struct Outcome
    {
        QList<AlmanacHistory::Change> written;
        QSqlError error;
        bool changedElsewhere = false;
        QSqlRecord stored;  // the row as the file holds it, when changed elsewhere
    };
    // Writes the generated fields of `values` over the row `read` (whose
    // "id" names it).
    Outcome run(const QSqlRecord &read, const QSqlRecord &values, AlmanacHistory &history) const;
};

// Error 3197: another copy changed the row since it was read.
QSqlError rowChangedError();
