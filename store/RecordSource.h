#pragma once

#include "core/OmboError.h"
#include "store/AlmanacModel.h"

#include <QObject>
#include <QString>
#include <QVariant>

class DailyBackup;
class QSqlDatabase;
class QSqlError;

// The almanac table opened from its file, with one current row that the
// program and the grid move together. Every failing operation throws
// OmboError. Every move, a failed find included, emits currentRowChanged().
class RecordSource : public QObject
{
    Q_OBJECT

public:
    explicit RecordSource(QObject *parent = nullptr);
    ~RecordSource() override;

    // "Data Source=<path of the almanac file>"
    void setConnectionString(const QString &text);
    QString connectionString() const { return m_connection; }
    QString filePath() const;

    // Reopens the file and the table, then stands on the first row.
    void refresh();
    // Criterion "Date=(05/01)": the first row, from the current one on, whose
    // field holds exactly that text; no current row when none does.
    void find(const QString &criterion);
    // 1-based ordinal of the current row.
    int absolutePosition() const;
    void setAbsolutePosition(int position);
    // The field's value in the current row: a text or Null.
    QVariant fieldValue(const QString &name) const;
    void moveFirst();
    void moveLast();

    // 0-based row in the model, -1 when no row is current.
    int currentRow() const { return m_row; }
    // The grid moved: follow it.
    void followGrid(int row);
    // Writes the edits not yet written, row by row; false when one fails
    // (each failure is reported through writeFailed and its row kept marked).
    bool save();
    // Undoes or redoes this session's last change: moves to its row, then
    // writes it as any edit. False when there is none or it was refused.
    bool undo();
    bool redo();
    // Writes an old value back into a field of the current row.
    bool restoreValue(const QString &field, const QVariant &value);
    // At the end of the program: texts typed but refused, by this source or
    // by update windows since unloaded, are kept in the unsaved-texts file
    // (a box names it) or, failing that, shown in a box to be copied.
    static void keepUnsavedAtEnd(const RecordSource *current);
    // Drops the refused texts of unloaded windows (a fresh process's state).
    static void forgetUnsaved();

    AlmanacModel *model() const { return m_model; }

signals:
    void currentRowChanged();
    // A row edited in the grid could not be written.
    void writeFailed(const OmboError &error);

private:
    void moveTo(int row);
    bool replay(bool undo);
    OmboError describeFailure(int row, const QSqlError &e) const;
    void requireCurrent() const;
    OmboError databaseError(const QSqlError &e) const;
    OmboError writeError(const QSqlError &e) const;
    void checkFile(QSqlDatabase &db);

    QString m_connection;
    QString m_connectionName;
    AlmanacModel *m_model = nullptr;
    DailyBackup *m_backup = nullptr;
    int m_row = -1;
    // The opened file's identity, to tell a file deleted or replaced since.
    quint64 m_device = 0, m_inode = 0;
};
