#pragma once

#include "app/OmboError.h"

#include <QObject>
#include <QString>
#include <QVariant>

class AlmanacModel;
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
    QString fichier() const;

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
    // Writes the edits not yet written; throws when that fails.
    void save();

    AlmanacModel *model() const { return m_model; }

signals:
    void currentRowChanged();
    // A row edited in the grid could not be written.
    void writeFailed(const OmboError &error);

private:
    void moveTo(int row);
    void requireCurrent() const;
    OmboError erreur(const QSqlError &e) const;
    OmboError erreurEcriture(const QSqlError &e) const;
    void verifierFichier(QSqlDatabase &db);

    QString m_connection;
    QString m_connectionName;
    AlmanacModel *m_model = nullptr;
    int m_row = -1;
    // The opened file's identity, to tell a file deleted or replaced since.
    quint64 m_device = 0, m_inode = 0;
};
