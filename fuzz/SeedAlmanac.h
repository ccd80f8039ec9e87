// Writes a seed almanac for a fuzz target: a new file at `path` with the
// almanac's table, holding the given rows (date, first text, second text;
// a Null QVariant stays Null).
#pragma once

#include "store/Schema.h"

#include <QList>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>

#include <array>

namespace seedalmanac {
using Row = std::array<QVariant, 3>;

inline void write(const QString &path, const QList<Row> &rows)
{
    const QString connection = QStringLiteral("seed");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(path);
        db.open();
        QSqlQuery q(db);
        q.exec(Schema::kCreate);
        q.prepare(QStringLiteral("INSERT INTO Evenements (Date, Evenement1, Evenement2) VALUES (?, ?, ?)"));
        for (const Row &row : rows) {
            for (const QVariant &value : row)
                q.addBindValue(value);
            q.exec();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
}
}  // namespace seedalmanac
