#pragma once

#include "store/transfer/ImportApply.h"

#include <QDialog>
#include <QPointer>

class QComboBox;
class QDialogButtonBox;
class QLabel;
class QTreeWidget;
class RecordSource;

// The preview of an import: what would change, day by day, under the chosen
// policy ("Compléter" first). Nothing is written before "Importer"; then
// every change goes through the grid's own write path.
class ImportDialog : public QDialog
{
    Q_OBJECT

public:
    ImportDialog(RecordSource *source, const QString &file, const ImportRead &read, QWidget *parent);

    const QList<ImportChange> &changes() const { return m_changes; }
    void setPolicy(ImportPolicy policy);

    // Writes the previewed changes and says in a box what was written and
    // which rows were refused.
    void accept() override;

private:
    void plan();
    void showDetail();

    QPointer<RecordSource> m_source;
    QString m_file;
    QList<ImportedDay> m_days;
    QList<ImportChange> m_changes;
    QString m_leftOut;  // what the file holds that no policy imports
    QComboBox *m_policy;
    QLabel *m_policyHelp;
    QTreeWidget *m_list;
    QLabel *m_detail;
    QLabel *m_summary;
    QDialogButtonBox *m_buttons;
};
