#pragma once

#include <QDialog>

class RecordSource;
class QPushButton;
class QTreeWidget;

// The current day's past values, newest first, with a way to write one back.
class HistoryDialog : public QDialog
{
    Q_OBJECT

public:
    HistoryDialog(RecordSource *source, QWidget *parent);

    // Writes the selected change's old value back into its text, once the
    // user has said yes.
    void restoreSelected();

private:
    void fill();
    void listConflicts();

    RecordSource *m_source;
    QTreeWidget *m_list;
    QPushButton *m_restore;
};
