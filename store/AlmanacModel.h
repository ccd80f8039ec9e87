#pragma once

#include "store/AlmanacHistory.h"

#include <QHash>
#include <QSet>
#include <QList>
#include <QSqlRecord>
#include <QSqlTableModel>

#include <optional>

class DailyBackup;

// The almanac table as an editable model: rows in calendar order, "Date"
// read-only. Each edited row is written on its own, and only if it still
// holds what this copy of the program read (another copy may share the
// file). A row whose write fails keeps its typed text, marked, and is not
// written again until it is edited again; the other rows stay editable.
// Every write goes through writeFields(), the one row write, which records
// what it replaced in the history; this session's changes can be undone and
// redone.
class AlmanacModel : public QSqlTableModel
{
    Q_OBJECT

public:
    using Change = AlmanacHistory::Change;
    using Past = AlmanacHistory::Past;
    // Values by field name.
    using Fields = QList<QPair<QString, QVariant>>;
    // The typed text of a refused row, kept across a reload.
    struct Kept
    {
        QString file;  // the almanac it belongs to, once its model is gone
        QVariant id;
        QString day;
        Fields fields;
        QString reason;
    };

    AlmanacModel(QObject *parent, const QSqlDatabase &db);

    // Opens the table and reads every row, in the order of its "id" column;
    // a table without one is read in the order of SQLite's own row identity,
    // which then serves as "id".
    bool openTable();

    Qt::ItemFlags flags(const QModelIndex &index) const override;
    // Shown in a cell: one line, with a mark where the text breaks, and the
    // start of a long text only (a cell shows a few dozen characters, and
    // laying out a huge text at each paint stalls the grid). The edit role
    // keeps the whole text. A refused row carries its reason (tooltip and
    // RefusedRole).
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    static constexpr int kDisplayMax = 1000;
    // Why a refused row's write failed (invalid for the other rows).
    static constexpr int RefusedRole = Qt::UserRole + 1;
    // A cell whose text the sync server holds otherwise: the server's text
    // (its tooltip says it; its row is marked like a refused one).
    static constexpr int ConflictRole = Qt::UserRole + 2;
    // Replaces the marks of those cells: (row, column) -> the server's text.
    void setConflicts(const QHash<QPair<int, int>, QString> &conflicts);
    // Editing a refused row makes it an ordinary edit again.
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    // Rows carry no numbers: the table is addressed by its day keys. Their
    // headers have no size of their own either (the view's).
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    bool select() override;
    bool selectRow(int row) override;
    // Writes every edited row that was not refused; false when one fails.
    bool submit() override;

    // Writes `row` when it holds an edit that was not refused.
    bool writeRow(int row);
    // The one row write: `fields` of `row` (editable ones only), in one
    // transaction, and only if the row still holds what this copy read and
    // each field of `expected` its value. The row is read again; this
    // copy's edits of other fields stay as they were. False, with
    // lastError() and theirTexts(), when refused: nothing is marked or said.
    // The history names `writer` as the copy that wrote (empty: this one).
    bool writeFields(int row, const Fields &fields, const Fields &expected = {}, const QString &writer = {});
    bool isPending(int row) const;
    void markRefused(int row, const QString &reason);
    QList<Kept> keptEdits() const;
    void restore(const QList<Kept> &kept);

    int rowOf(const QVariant &id) const;
    // What the file held in `field` of `row` when last read, whatever is typed.
    QVariant readValue(int row, const QString &field) const;
    QString dayOf(int row) const;
    // What another copy had written when the last write failed with 3197.
    QString theirTexts() const { return m_theirTexts; }

    // The row that the next undo or redo changes, -1 when there is none.
    int undoRow() const;
    int redoRow() const;
    bool undo();
    bool redo();
    // The writes between these two are undone and redone as one (an import).
    void beginUndoGroup() { m_history.beginGroup(); }
    void endUndoGroup() { m_history.endGroup(); }
    // Writes `value` into `field` of `row` at once: an ordinary change,
    // kept in the row and reported like a typed one when refused.
    bool writeValue(int row, const QString &field, const QVariant &value, const QString &writer = {});
    // The day's recorded changes, newest first (none when the file has no history).
    QList<Past> history(const QString &day) const { return m_history.pastOf(database(), day); }

    void setBackup(DailyBackup *backup) { m_backup = backup; }

signals:
    // A row could not be written; its typed text stays in the model.
    void writeFailed(int row, const QSqlError &error);
    // A write of `row` reached the file.
    void rowWritten(int row);
    // What undo and redo would change may differ: a read, a write, an undo.
    void historyChanged();

protected:
    bool updateRowInTable(int row, const QSqlRecord &values) override;
    bool insertRowIntoTable(const QSqlRecord &values) override;
    bool deleteRowFromTable(int row) override;

private:
    QSqlRecord readRow(int row) const;
    // What `row` held when this copy last read it from the file.
    const QSqlRecord &readOf(int row) const;
    // This copy's edits in `row`, whole texts.
    Fields edits(int row) const;
    // writeFields(); when refused, the values stay in the row, marked, and writeFailed() is emitted.
    bool writeOrKeep(int row, const Fields &fields, const Fields &expected, const QString &writer = {});
    // Reads the row again, keeping the edits of the fields not `written`.
    void reread(int row, const Fields &written);
    bool replay(bool undo);

    // Each row as last read from the file; a row not read again since the
    // whole table was is taken from the query, which keeps every row as it
    // read it, only when first needed (start-up does not copy 366 rows).
    mutable QList<std::optional<QSqlRecord>> m_read;
    QString m_keyColumn;             // what names one row of the table in an UPDATE
    QHash<int, QString> m_refused;   // row -> why its write failed
    QHash<QPair<int, int>, QString> m_conflicts;  // cell -> the sync server's text
    QSet<int> m_conflictRows;
    AlmanacHistory m_history;
    QList<Change> m_written;         // what the last successful write changed
    QString m_theirTexts;
    QString m_writer;                // who the write under way is for the history
    DailyBackup *m_backup = nullptr;
};
