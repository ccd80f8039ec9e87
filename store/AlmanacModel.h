#pragma once

#include <QList>
#include <QSqlRecord>
#include <QSqlTableModel>

// The almanac table as an editable model: rows in calendar order, "Date"
// read-only, each edited row written when the row is left, and written only
// if it still holds what this copy of the program read (another copy may
// share the file).
class AlmanacModel : public QSqlTableModel
{
    Q_OBJECT

public:
    AlmanacModel(QObject *parent, const QSqlDatabase &db);

    // Opens the table and reads every row, in the order of its "id" column;
    // a table without one is read in the order of SQLite's own row identity,
    // which then serves as "id".
    bool openTable();

    Qt::ItemFlags flags(const QModelIndex &index) const override;
    // Shown in a cell: one line, with a mark where the text breaks, and the
    // start of a long text only (a cell shows a few dozen characters, and
    // laying out a huge text at each paint stalls the grid). The edit role
    // keeps the whole text.
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    static constexpr int kDisplayMax = 1000;
    // Rows carry no numbers: the table is addressed by its day keys.
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    bool select() override;
    bool selectRow(int row) override;
    bool submit() override;

signals:
    // A row could not be written; the typed text stays in the model.
    void writeFailed(const QSqlError &error);

protected:
    bool updateRowInTable(int row, const QSqlRecord &values) override;
    bool insertRowIntoTable(const QSqlRecord &values) override;
    bool deleteRowFromTable(int row) override;

private:
    QSqlRecord lire(int row) const;
    // The stored row whose key is `id`; an empty record when there is none.
    // False with lastError() set when the file cannot be read.
    bool stocke(const QVariant &id, QSqlRecord *out);

    QList<QSqlRecord> m_lu;  // each row as last read from the file
    QString m_keyColumn;     // what names one row of the table in an UPDATE
};
