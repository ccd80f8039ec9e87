#include "ui/DataGrid.h"

#include "store/AlmanacModel.h"
#include "ui/Accessibility.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScrollBar>

CellEditor::CellEditor(QWidget *parent)
    : QPlainTextEdit(parent)
{
    setFrameShape(QFrame::NoFrame);
    setLineWrapMode(NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    document()->setDocumentMargin(1);
}

void CellEditor::keyPressEvent(QKeyEvent *event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && !(event->modifiers() & Qt::ShiftModifier)) {
        emit editingFinished();
        return;
    }
    if (enter) {
        insertPlainText(QStringLiteral("\n"));
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

QWidget *CellDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &, const QModelIndex &) const
{
    auto *editor = new CellEditor(parent);
    connect(editor, &CellEditor::editingFinished, this, [this, editor] {
        emit const_cast<CellDelegate *>(this)->commitData(editor);
        emit const_cast<CellDelegate *>(this)->closeEditor(editor, SubmitModelCache);
    });
    // The editor grows with the lines typed in it.
    connect(editor, &QPlainTextEdit::blockCountChanged, editor, [editor] {
        QMetaObject::invokeMethod(editor->parentWidget()->parentWidget(), "updateEditorGeometries");
    });
    m_editor = editor;
    return editor;
}

void CellDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    auto *edit = static_cast<CellEditor *>(editor);
    edit->setPlainText(index.data(Qt::EditRole).toString());
    edit->untouched = edit->toPlainText();
}

void CellDelegate::setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const
{
    // Opening a cell and leaving it is no edit: a Null stays Null, and a text
    // the editor cannot hold byte for byte (other line ends, bytes that are
    // no UTF-8) is never written back changed.
    auto *edit = static_cast<CellEditor *>(editor);
    const QString text = edit->toPlainText();
    if (text != edit->untouched)
        model->setData(index, text, Qt::EditRole);
}

void CellDelegate::updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                                        const QModelIndex &) const
{
    // Tall enough for every line, within the visible part of the grid.
    auto *edit = static_cast<CellEditor *>(editor);
    const QRect room = editor->parentWidget()->rect();
    const int lines = edit->document()->blockCount();
    const int margins = 2 * int(edit->document()->documentMargin()) + 2 * edit->frameWidth() + 4;
    const int needed = lines * edit->fontMetrics().lineSpacing() + margins;
    QRect r = option.rect;
    r.setHeight(qMin(qMax(r.height(), needed), room.height()));
    if (r.bottom() > room.bottom())
        r.moveBottom(room.bottom());
    editor->setGeometry(r);
}

void CellDelegate::initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    option->displayAlignment = Qt::AlignVCenter
                               | (index.column() == centredColumn ? Qt::AlignHCenter : Qt::AlignLeft);
    // A row whose write was refused shows its typed text in italics.
    if (index.data(AlmanacModel::RefusedRole).isValid())
        option->font.setItalic(true);
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

void DataGrid::keyPressEvent(QKeyEvent *event)
{
    if (event == QKeySequence::Copy && currentIndex().isValid()) {
        QGuiApplication::clipboard()->setText(currentIndex().data(Qt::EditRole).toString());
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
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
