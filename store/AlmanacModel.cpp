#include "store/AlmanacModel.h"

#include "app/OmboError.h"
#include "store/Schema.h"

#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>

AlmanacModel::AlmanacModel(QObject *parent, const QSqlDatabase &db)
    : QSqlTableModel(parent, db)
{
    setEditStrategy(OnRowChange);
}

Qt::ItemFlags AlmanacModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags f = QSqlTableModel::flags(index);
    if (index.column() == fieldIndex(QStringLiteral("Date")) || index.column() == fieldIndex(QStringLiteral("id")))
        f &= ~Qt::ItemIsEditable;
    return f;
}

QVariant AlmanacModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Vertical && role == Qt::DisplayRole)
        return QVariant();
    return QSqlTableModel::headerData(section, orientation, role);
}

QSqlRecord AlmanacModel::lire(int row) const
{
    QSqlRecord r = record();
    for (int c = 0; c < r.count(); ++c)
        r.setValue(c, data(index(row, c), Qt::EditRole));
    return r;
}

bool AlmanacModel::select()
{
    const bool ok = QSqlTableModel::select();
    // Read every row now: an unfinished read would keep the file locked.
    while (canFetchMore())
        fetchMore();
    m_lu.clear();
    m_lu.reserve(rowCount());
    for (int row = 0; row < rowCount(); ++row)
        m_lu.append(lire(row));
    return ok;
}

bool AlmanacModel::selectRow(int row)
{
    const bool ok = QSqlTableModel::selectRow(row);
    if (ok && row >= 0 && row < m_lu.size())
        m_lu[row] = lire(row);
    return ok;
}

bool AlmanacModel::submit()
{
    if (!isDirty())
        return true;
    const bool ok = QSqlTableModel::submit();
    if (!ok)
        emit writeFailed(lastError());
    return ok;
}

bool AlmanacModel::updateRowInTable(int row, const QSqlRecord &values)
{
    if (row < 0 || row >= m_lu.size())
        return false;
    const QSqlRecord &lu = m_lu[row];
    QStringList sets;
    QVariantList bound;
    for (int c = 0; c < values.count(); ++c) {
        if (values.isGenerated(c) && values.fieldName(c) != QLatin1String("id")) {
            sets << QLatin1Char('"') + values.fieldName(c) + QStringLiteral("\" = ?");
            bound << values.value(c);
        }
    }
    if (sets.isEmpty())
        return true;

    // Optimistic locking: the row must still hold every value we read.
    QStringList where{QStringLiteral("id = ?")};
    bound << lu.value(QStringLiteral("id"));
    for (int c = 0; c < lu.count(); ++c) {
        if (lu.fieldName(c) == QLatin1String("id"))
            continue;
        where << QLatin1Char('"') + lu.fieldName(c) + QStringLiteral("\" IS ?");
        bound << lu.value(c);
    }
    QSqlQuery q(database());
    q.prepare(QStringLiteral("UPDATE %1 SET %2 WHERE %3")
                  .arg(Schema::kTable, sets.join(QStringLiteral(", ")),
                       where.join(QStringLiteral(" AND "))));
    for (const QVariant &v : bound)
        q.addBindValue(v);
    if (!q.exec()) {
        setLastError(q.lastError());
        return false;
    }
    if (q.numRowsAffected() != 1) {
        setLastError(QSqlError(QStringLiteral("row changed by another copy"), QString(),
                               QSqlError::TransactionError, QString::number(Err::RowChanged)));
        return false;
    }
    return true;
}

bool AlmanacModel::insertRowIntoTable(const QSqlRecord &)
{
    return false;  // the table holds one row per day: rows are never added
}

bool AlmanacModel::deleteRowFromTable(int)
{
    return false;  // nor removed
}
