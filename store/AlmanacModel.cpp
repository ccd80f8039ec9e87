#include "store/AlmanacModel.h"

#include "core/OmboError.h"
#include "store/DailyBackup.h"
#include "store/RowUpdate.h"
#include "store/Schema.h"
#include "store/TextLines.h"

#include <QSqlError>
#include <QSqlField>
#include <QSqlIndex>
#include <QSize>
#include <QSqlQuery>

#include <algorithm>

namespace {
const QLatin1String kId("id");
// Names SQLite's row identity "id" for a table that has no such column.
const QLatin1String kRowsView("ombo_rows");

bool sameValue(const QVariant &x, const QVariant &y)
{
    return x.isNull() == y.isNull() && x.metaType() == y.metaType() && x == y;
}

QString quoted(const QVariant &v)
{
    return v.isNull() || v.toString().isEmpty() ? QStringLiteral("(vide)")
                                                 : QStringLiteral("« %1 »").arg(v.toString());
}

}  // namespace

AlmanacModel::AlmanacModel(QObject *parent, const QSqlDatabase &db)
    : QSqlTableModel(parent, db)
{
    // Rows are written one by one, by writeRow(): the model's own strategies
    // would write every pending row at once and block the others after a failure.
    setEditStrategy(OnManualSubmit);
}

bool AlmanacModel::openTable()
{
    QSqlDatabase db = database();
    const bool hasId = db.record(Schema::kTable).indexOf(kId) >= 0;
    m_keyColumn = hasId ? QString(kId) : QStringLiteral("rowid");
    if (hasId) {
        setTable(Schema::kTable);
        // An "id" that is not the table's primary key still names each row:
        // without a key, the model would look a written row up again by all
        // of its old values and lose it.
        if (primaryKey().isEmpty()) {
            QSqlIndex key;
            key.append(record().field(kId));
            setPrimaryKey(key);
        }
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
    if (role == RefusedRole || role == Qt::ToolTipRole || role == ConflictRole) {
        const auto refused = m_refused.constFind(index.row());
        const auto theirs = m_conflicts.constFind({index.row(), index.column()});
        if (refused != m_refused.cend() && role != ConflictRole)
            return role == Qt::ToolTipRole ? QStringLiteral("Non enregistré : ") + *refused : *refused;
        if (role == RefusedRole)  // a text kept on both sides is marked like a refused one
            return m_conflictRows.contains(index.row()) ? QVariant(QStringLiteral("Modifié ailleurs")) : QVariant();
        if (theirs == m_conflicts.cend())
            return QVariant();
        return role == ConflictRole ? *theirs : QVariant(QStringLiteral("Modifié ailleurs : ") + *theirs);
    }
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

bool AlmanacModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!QSqlTableModel::setData(index, value, role))
        return false;
    if (role == Qt::EditRole && m_refused.remove(index.row()))
        emit dataChanged(this->index(index.row(), 0), this->index(index.row(), columnCount() - 1));
    return true;
}

QVariant AlmanacModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Vertical && role == Qt::DisplayRole)
        return QVariant();
    // Nor anything to measure: a row header sized by its view does not lay
    // out an empty text for each of its first and last hundred rows.
    if (orientation == Qt::Vertical && role == Qt::SizeHintRole)
        return QSize(0, 0);
    return QSqlTableModel::headerData(section, orientation, role);
}

QVariant AlmanacModel::readValue(int row, const QString &field) const
{
    return readOf(row).value(field);
}

QSqlRecord AlmanacModel::readRow(int row) const
{
    QSqlRecord r = record();
    for (int c = 0; c < r.count(); ++c)
        r.setValue(c, data(index(row, c), Qt::EditRole));
    return r;
}

const QSqlRecord &AlmanacModel::readOf(int row) const
{
    static const QSqlRecord none;
    if (row < 0 || row >= m_read.size())
        return none;
    std::optional<QSqlRecord> &read = m_read[row];
    if (!read) {
        // The query's own copy of the row, as the select read it: past
        // QSqlTableModel, which answers with this copy's edits since, and
        // without reading the file as it is now.
        QSqlRecord r = record();
        for (int c = 0; c < r.count(); ++c)
            r.setValue(c, QSqlQueryModel::data(index(row, c), Qt::EditRole));  // NOLINT(bugprone-parent-virtual-call)
        read = r;
    }
    return *read;
}

bool AlmanacModel::select()
{
    m_history.forgetTable();  // the file may be another one now
    m_read.clear();
    m_refused.clear();
    bool ok = QSqlTableModel::select();
    // Read every row now: an unfinished read would keep the file locked.
    while (ok && canFetchMore())
        fetchMore();
    if (ok && query().lastError().isValid()) {
        // A page that cannot be read past the first rows.
        setLastError(query().lastError());
        ok = false;
    }
    if (ok)
        m_read.resize(rowCount());  // each row taken when first needed: readOf()
    emit historyChanged();
    return ok;
}

bool AlmanacModel::selectRow(int row)
{
    const bool ok = QSqlTableModel::selectRow(row);
    if (ok && row >= 0 && row < m_read.size())
        m_read[row] = readRow(row);
    return ok;
}

bool AlmanacModel::isPending(int row) const
{
    if (m_refused.contains(row))
        return false;
    for (int c = 0; c < columnCount(); ++c)
        if (isDirty(index(row, c)))
            return true;
    return false;
}

bool AlmanacModel::submit()
{
    bool ok = true;
    for (int row = 0; isDirty() && row < rowCount(); ++row)
        ok = writeRow(row) && ok;
    return ok;
}

bool AlmanacModel::writeRow(int row)
{
    return !isPending(row) || writeOrKeep(row, edits(row), {});
}

AlmanacModel::Fields AlmanacModel::edits(int row) const
{
    Fields out;
    for (int c = 0; c < columnCount(); ++c)
        if (isDirty(index(row, c)))
            out.append({record().fieldName(c), data(index(row, c), Qt::EditRole)});
    return out;
}

bool AlmanacModel::writeFields(int row, const Fields &fields, const Fields &expected, const QString &writer)
{
    if (row < 0 || row >= m_read.size())
        return false;
    QSqlRecord values = record();
    for (int c = 0; c < values.count(); ++c)
        values.setGenerated(c, false);
    for (const auto &[field, value] : fields) {
        const QModelIndex cell = index(row, fieldIndex(field));
        if (!cell.isValid() || !(flags(cell) & Qt::ItemIsEditable)) {
            setLastError(QSqlError(QStringLiteral("no such field: ") + field, QString(), QSqlError::StatementError));
            return false;
        }
        values.setValue(cell.column(), value);
        values.setGenerated(cell.column(), true);
    }
    // An undo or redo writes back only over what this copy wrote.
    for (const auto &[field, value] : expected) {
        if (!sameValue(readOf(row).value(field), value)) {
            m_theirTexts = quoted(readOf(row).value(field));
            setLastError(rowChangedError());
            return false;
        }
    }
    const bool backedUp = m_backup && m_backup->makeIfDue(database());
    m_writer = writer;
    const bool ok = updateRowInTable(row, values);
    m_writer.clear();
    if (backedUp)
        ok ? m_backup->confirm() : m_backup->discard();
    const QSqlError error = lastError();
    if (ok)
        m_history.committed(m_written);
    reread(row, ok ? fields : Fields());
    setLastError(error);
    if (ok)
        emit rowWritten(row);
    emit historyChanged();
    return ok;
}

bool AlmanacModel::writeOrKeep(int row, const Fields &fields, const Fields &expected, const QString &writer)
{
    if (writeFields(row, fields, expected, writer))
        return true;
    const QSqlError error = lastError();
    for (const auto &[field, value] : fields)
        QSqlTableModel::setData(index(row, fieldIndex(field)), value);
    markRefused(row, error.text());
    emit writeFailed(row, error);
    return false;
}

void AlmanacModel::reread(int row, const Fields &written)
{
    Fields kept;
    for (const auto &edit : edits(row)) {
        const bool isWritten = std::any_of(written.cbegin(), written.cend(),
                                           [&](const auto &w) { return w.first == edit.first; });
        if (!isWritten)
            kept.append(edit);
    }
    const bool wasRefused = m_refused.contains(row);
    const QString reason = m_refused.value(row);
    m_refused.remove(row);
    selectRow(row);
    for (const auto &[field, value] : kept)
        QSqlTableModel::setData(index(row, fieldIndex(field)), value);
    if (wasRefused && !kept.isEmpty())
        m_refused.insert(row, reason);
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

void AlmanacModel::setConflicts(const QHash<QPair<int, int>, QString> &conflicts)
{
    const auto before = m_conflicts;
    m_conflicts = conflicts;
    m_conflictRows.clear();
    for (auto it = conflicts.cbegin(); it != conflicts.cend(); ++it)
        m_conflictRows.insert(it.key().first);
    for (const auto &cells : {before, conflicts})
        for (auto it = cells.cbegin(); it != cells.cend(); ++it)
            emit dataChanged(index(it.key().first, 0), index(it.key().first, columnCount() - 1));
}

void AlmanacModel::markRefused(int row, const QString &reason)
{
    m_refused.insert(row, reason);
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

QList<AlmanacModel::Kept> AlmanacModel::keptEdits() const
{
    QList<Kept> kept;
    for (auto it = m_refused.cbegin(); it != m_refused.cend(); ++it) {
        const int row = it.key();
        const QSqlRecord edited = record(row);
        Kept k{QString(), readOf(row).value(kId), dayOf(row), {}, it.value()};
        for (int c = 0; c < edited.count(); ++c)
            if (edited.fieldName(c) != kId && isDirty(index(row, c)))
                k.fields.append({edited.fieldName(c), data(index(row, c), Qt::EditRole)});
        if (!k.fields.isEmpty())
            kept.append(k);
    }
    return kept;
}

void AlmanacModel::restore(const QList<Kept> &kept)
{
    for (const Kept &k : kept) {
        const int row = rowOf(k.id);
        if (row < 0)
            continue;
        for (const auto &[field, value] : k.fields)
            setData(index(row, fieldIndex(field)), value);
        markRefused(row, k.reason);
    }
}

int AlmanacModel::rowOf(const QVariant &id) const
{
    for (int row = 0; row < m_read.size(); ++row)
        if (sameValue(readOf(row).value(kId), id))
            return row;
    return -1;
}

QString AlmanacModel::dayOf(int row) const
{
    return readOf(row).value(QStringLiteral("Date")).toString();
}

int AlmanacModel::undoRow() const
{
    return m_history.canUndo() ? rowOf(m_history.nextUndo().id) : -1;
}

int AlmanacModel::redoRow() const
{
    return m_history.canRedo() ? rowOf(m_history.nextRedo().id) : -1;
}

bool AlmanacModel::undo()
{
    return replay(true);
}

bool AlmanacModel::redo()
{
    return replay(false);
}

// The change goes back as an ordinary write, only over the value this copy wrote.
bool AlmanacModel::replay(bool undo)
{
    const bool ok = m_history.replay(undo, [this](const Change &c, const QVariant &value, const QVariant &expected) {
        const int row = rowOf(c.id);
        return row >= 0 && writeOrKeep(row, {{c.field, value}}, {{c.field, expected}});
    });
    emit historyChanged();
    return ok;
}

bool AlmanacModel::writeValue(int row, const QString &field, const QVariant &value, const QString &writer)
{
    const QModelIndex cell = index(row, fieldIndex(field));
    return cell.isValid() && (flags(cell) & Qt::ItemIsEditable) && writeOrKeep(row, {{field, value}}, {}, writer);
}

bool AlmanacModel::updateRowInTable(int row, const QSqlRecord &values)
{
    m_written.clear();
    if (row < 0 || row >= m_read.size())
        return false;
    const RowUpdate::Outcome out = RowUpdate{database(), tableName(), m_keyColumn, m_writer}.run(readOf(row), values, m_history);
    if (out.changedElsewhere) {
        // Say what the other copy wrote; from now on, what is stored is what
        // this copy read, so that editing the row again overwrites it knowingly.
        QStringList theirs;
        for (int c = 0; c < values.count(); ++c)
            if (values.isGenerated(c))
                theirs << quoted(out.stored.value(values.fieldName(c)));
        m_theirTexts = theirs.join(QStringLiteral(" et "));
        if (!out.stored.isEmpty())
            m_read[row] = out.stored;
    }
    if (out.error.isValid()) {
        setLastError(out.error);
        return false;
    }
    m_written = out.written;
    return true;  // the caller reads the row again
}

bool AlmanacModel::insertRowIntoTable(const QSqlRecord &)
{
    return false;  // the table holds one row per day: rows are never added
}

bool AlmanacModel::deleteRowFromTable(int)
{
    return false;  // nor removed
}
