#include "ui/DataGrid.h"

#include "ui/Accessibility.h"

QWidget *CellDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                                    const QModelIndex &index) const
{
    m_editor = QStyledItemDelegate::createEditor(parent, option, index);
    return m_editor;
}

void CellDelegate::initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    option->displayAlignment = Qt::AlignVCenter
                               | (index.column() == centredColumn ? Qt::AlignHCenter : Qt::AlignLeft);
}

DataGrid::DataGrid(QWidget *parent)
    : QTableView(parent), m_cells(new CellDelegate(this))
{
    setItemDelegate(m_cells);
}

void DataGrid::commitOpenEditor()
{
    if (QWidget *editor = m_cells->openEditor())
        commitData(editor);
}

// QTableView's versions only send screen-reader notices whose cell numbers
// count the hidden columns: skip them for the base class's.
void DataGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QAbstractItemView::currentChanged(current, previous);  // NOLINT(bugprone-parent-virtual-call)
    GridAccessibility::currentChanged(this, current);
}

void DataGrid::selectionChanged(const QItemSelection &selected, const QItemSelection &deselected)
{
    QAbstractItemView::selectionChanged(selected, deselected);  // NOLINT(bugprone-parent-virtual-call)
    GridAccessibility::selectionChanged(this, selected, deselected);
}
