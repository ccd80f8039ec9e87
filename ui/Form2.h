#pragma once

#include <QIcon>
#include <QList>
#include <QWidget>

class DataGrid;
class QLabel;
class RecordSource;
class TabStrip;

// The update window: the whole almanac in an editable grid, a label naming
// the current row's weekday this year and its day key, and a tab strip of
// commands. It is the start-up window.
class Form2 : public QWidget
{
    Q_OBJECT

public:
    explicit Form2(QWidget *parent = nullptr);
    ~Form2() override;

    // Runs once per load: sets the label's width, then reads the almanac and
    // today's texts, and stands on today's row.
    void load();
    // Writes the grid's pending edit and closes the almanac.
    void unload();
    // Writes the grid's pending edit; says so in a box when that fails.
    bool savePending();
    // Offers the texts an earlier run could not write in this almanac, when
    // there are any.
    void offerUnsavedTexts();
    // Writes them through the grid's own path; those not written stay in
    // their file, and the refused ones are said in one box.
    void rewriteUnsavedTexts();

    bool wasShown() const { return m_shown; }
    RecordSource *source() const { return Adodc1; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void buildTabs();
    void buildGrid();
    void buildEditCommands();
    void updateEditCommands();
    int rowOfDay(const QString &day) const;
    void Adodc1_MoveComplete();
    void TabStrip1_Click();
    void DataGrid1_KeyDown(int key);
    void syncGrid();

    TabStrip *TabStrip1;
    QLabel *DataGrid1Caption;
    DataGrid *DataGrid1;
    QLabel *Label1;
    RecordSource *Adodc1;
    QList<QIcon> ImageList1;
    bool m_shown = false;
};
