#pragma once

#include <QPointer>
#include <QStyledItemDelegate>
#include <QTableView>

// Draws the day key centred and remembers the cell editor that is open.
class CellDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;
    int centredColumn = -1;

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;
    QWidget *openEditor() const { return m_editor; }

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;

private:
    mutable QPointer<QWidget> m_editor;
};

// The almanac grid.
class DataGrid : public QTableView
{
    Q_OBJECT

public:
    explicit DataGrid(QWidget *parent = nullptr);

    CellDelegate *cells() const { return m_cells; }
    // Hands the text typed in an open cell editor to the model.
    void commitOpenEditor();

protected:
    // Screen readers hear the moves through ui/Accessibility.
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void selectionChanged(const QItemSelection &selected, const QItemSelection &deselected) override;

private:
    CellDelegate *m_cells;
};
