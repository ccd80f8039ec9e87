#include "store/RowUpdate.h"

#include "core/OmboError.h"
#include "store/Schema.h"

#include <QSqlQuery>
#include <QStringList>

namespace {
// A column name as SQL text. The names come from the file itself, so any
// double quote in them is doubled.
QString quotedName(QString name)
{
    return QLatin1Char('"') + name.replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

// The same fields with the same values and types (a Null equals only a Null).
bool sameValues(const QSqlRecord &a, const QSqlRecord &b)
{
    if (a.isEmpty() || a.count() != b.count())
        return false;
    for (int c = 0; c < a.count(); ++c) {
        const QVariant x = a.value(c), y = b.value(c);
        if (x.isNull() != y.isNull() || x.metaType() != y.metaType() || x != y)
            return false;
    }
    return true;
}
}  // namespace

QSqlError rowChangedError()
{
    return QSqlError(QStringLiteral("row changed by another copy"), QString(), QSqlError::TransactionError,
                     QString::number(Err::RowChanged));
}

RowUpdate::Outcome RowUpdate::run(const QSqlRecord &read, const QSqlRecord &values, AlmanacHistory &history) const
{
    Outcome out;
    QStringList sets;
    QVariantList bound;
    const QVariant id = read.value(QStringLiteral("id"));
    for (int c = 0; c < values.count(); ++c) {
        if (values.isGenerated(c) && values.fieldName(c) != QLatin1String("id")) {
            sets << quotedName(values.fieldName(c)) + QStringLiteral(" = ?");
            bound << values.value(c);
            out.written.append({id, values.fieldName(c), QVariant(), values.value(c)});
        }
    }
    if (sets.isEmpty())
        return out;
    bound << id;

    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
        out.error = q.lastError();
        return out;
    }
    auto abandon = [&](const QSqlError &e) {
        out.error = e;
        out.written.clear();
        q.finish();
        QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
        return out;
    };
    // Read back through the same conversions as the model's own reading, so
    // that texts that are no valid UTF-8 compare equal while unchanged.
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT * FROM %1 WHERE id = ?").arg(source));
    q.addBindValue(id);
    if (!q.exec())
        return abandon(q.lastError());
    const QSqlRecord stored = q.next() ? q.record() : QSqlRecord();
    if (q.lastError().isValid())
        return abandon(q.lastError());
    q.finish();
    if (!sameValues(stored, read)) {
        out.changedElsewhere = true;
        out.stored = stored;
        return abandon(rowChangedError());
    }
    q.prepare(QStringLiteral("UPDATE main.%1 SET %2 WHERE %3 = ?")
                  .arg(Schema::kTable, sets.join(QStringLiteral(", ")), keyColumn));
    for (const QVariant &v : bound)
        q.addBindValue(v);
    if (!q.exec())
        return abandon(q.lastError());
    if (q.numRowsAffected() != 1)
        return abandon(rowChangedError());
    for (AlmanacHistory::Change &c : out.written)
        c.before = stored.value(c.field);
    if (!history.record(q, stored.value(QStringLiteral("Date")).toString(), out.written, writer)
        || !q.exec(QStringLiteral("COMMIT")))
        return abandon(q.lastError());
    return out;
}
