#include "store/AlmanacModel.h"

#include "app/OmboError.h"
#include "store/Schema.h"
#include "store/TextLines.h"

#include <QSqlError>
#include <QSqlField>
#include <QSqlIndex>
#include <QSqlQuery>

namespace {
const QLatin1String kId("id");
// Names SQLite's row identity "id" for a table that has no such column.
const QLatin1String kRowsView("ombo_rows");

// A column name as SQL text. The names come from the file itself, so any
// double quote in them is doubled.
QString identifiant(QString name)
{
    return QLatin1Char('"') + name.replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

// The same fields with the same values and types (a Null equals only a Null).
bool memesValeurs(const QSqlRecord &a, const QSqlRecord &b)
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

QSqlError rangeeModifiee()
{
    return QSqlError(QStringLiteral("row changed by another copy"), QString(),
                     QSqlError::TransactionError, QString::number(Err::RowChanged));
}
}  // namespace

AlmanacModel::AlmanacModel(QObject *parent, const QSqlDatabase &db)
    : QSqlTableModel(parent, db)
{
    setEditStrategy(OnRowChange);
}

bool AlmanacModel::openTable()
{
    QSqlDatabase db = database();
    const bool hasId = db.record(Schema::kTable).indexOf(kId) >= 0;
    m_keyColumn = hasId ? QString(kId) : QStringLiteral("rowid");
    if (hasId) {
        setTable(Schema::kTable);
    } else {
        // A temporary view lives in memory with the connection: the file is not touched.
        QSqlQuery q(db);
        if (!q.exec(QStringLiteral("CREATE TEMP VIEW IF NOT EXISTS %1 AS SELECT rowid AS id, * FROM main.%2")
                        .arg(kRowsView, Schema::kTable))) {
            setLastError(q.lastError());
            return false;
        }
        setTable(kRowsView);
        QSqlIndex key;
        key.append(record().field(kId));
        setPrimaryKey(key);
    }
    setSort(fieldIndex(kId), Qt::AscendingOrder);
    return select();
}

Qt::ItemFlags AlmanacModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags f = QSqlTableModel::flags(index);
    if (index.column() == fieldIndex(QStringLiteral("Date")) || index.column() == fieldIndex(kId))
        f &= ~Qt::ItemIsEditable;
    return f;
}

QVariant AlmanacModel::data(const QModelIndex &index, int role) const
{
    QVariant v = QSqlTableModel::data(index, role);
    if (role == Qt::DisplayRole && v.typeId() == QMetaType::QString) {
        QString text = v.toString();
        if (text.size() > kDisplayMax)
            text = text.left(kDisplayMax) + QChar(0x2026);
        if (text.contains(u'\n') || text.contains(u'\r'))
            text = textLines(text).join(QStringLiteral(" \u00B6 "));
        return text;
    }
    return v;
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
    m_lu.clear();
    bool ok = QSqlTableModel::select();
    // Read every row now: an unfinished read would keep the file locked.
    while (ok && canFetchMore())
        fetchMore();
    if (ok && query().lastError().isValid()) {
        // A page that cannot be read past the first rows.
        setLastError(query().lastError());
        ok = false;
    }
    if (ok) {
        m_lu.reserve(rowCount());
        for (int row = 0; row < rowCount(); ++row)
            m_lu.append(lire(row));
    }
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

bool AlmanacModel::stocke(const QVariant &id, QSqlRecord *out)
{
    QSqlQuery q(database());
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT * FROM %1 WHERE id = ?").arg(tableName()));
    q.addBindValue(id);
    if (!q.exec()) {
        setLastError(q.lastError());
        return false;
    }
    *out = q.next() ? q.record() : QSqlRecord();
    if (q.lastError().isValid()) {
        setLastError(q.lastError());
        return false;
    }
    return true;
}

bool AlmanacModel::updateRowInTable(int row, const QSqlRecord &values)
{
    if (row < 0 || row >= m_lu.size())
        return false;
    QStringList sets;
    QVariantList bound;
    for (int c = 0; c < values.count(); ++c) {
        if (values.isGenerated(c) && values.fieldName(c) != kId) {
            sets << identifiant(values.fieldName(c)) + QStringLiteral(" = ?");
            bound << values.value(c);
        }
    }
    if (sets.isEmpty())
        return true;
    const QVariant id = m_lu[row].value(kId);
    bound << id;

    QSqlDatabase db = database();
    QSqlQuery q(db);
    // The check and the write in one transaction that no other writer can
    // enter: the row must still hold exactly what we read.
    if (!q.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
        setLastError(q.lastError());
        return false;
    }
    auto abandon = [&](const QSqlError &e) {
        setLastError(e);
        q.finish();
        QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
        return false;
    };
    // Read back through the same conversions as the model's own reading, so
    // that texts that are no valid UTF-8 compare equal while unchanged.
    QSqlRecord actuel;
    if (!stocke(id, &actuel))
        return abandon(lastError());
    if (!memesValeurs(actuel, m_lu[row]))
        return abandon(rangeeModifiee());
    q.prepare(QStringLiteral("UPDATE main.%1 SET %2 WHERE %3 = ?")
                  .arg(Schema::kTable, sets.join(QStringLiteral(", ")), m_keyColumn));
    for (const QVariant &v : bound)
        q.addBindValue(v);
    if (!q.exec())
        return abandon(q.lastError());
    if (q.numRowsAffected() != 1)
        return abandon(rangeeModifiee());
    if (!q.exec(QStringLiteral("COMMIT")))
        return abandon(q.lastError());
    return true;  // the model reads the row again (selectRow)
}

bool AlmanacModel::insertRowIntoTable(const QSqlRecord &)
{
    return false;  // the table holds one row per day: rows are never added
}

bool AlmanacModel::deleteRowFromTable(int)
{
    return false;  // nor removed
}
