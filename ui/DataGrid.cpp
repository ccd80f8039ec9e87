#include "ui/DataGrid.h"

#include "store/AlmanacModel.h"
#include "store/TextLines.h"
#include "ui/Accessibility.h"
#include "ui/Look.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QHelpEvent>
#include <QScrollBar>
#include <QToolTip>

CellEditor::CellEditor(QWidget *parent)
    : QPlainTextEdit(parent)
{
    setFrameShape(QFrame::NoFrame);
    setLineWrapMode(NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    document()->setDocumentMargin(1);
}

void CellEditor::open(const QString &stored)
{
    m_stored = stored;
    setPlainText(stored);
    m_shown = shownText();
    selectAll();
}

QString CellEditor::shownText() const
{
    QString text = document()->toRawText();
    for (QChar &c : text)
        if (c == QChar::ParagraphSeparator || c == QChar(0xFDD0) || c == QChar(0xFDD1))
            c = u'\n';
    return text;
}

QString CellEditor::edited() const
{
    return keepUntouched(m_stored, m_shown, shownText());
}

void CellEditor::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    const bool shift = event->modifiers() & Qt::ShiftModifier, ctrl = event->modifiers() & Qt::ControlModifier;
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && shift) {
        insertPlainText(QStringLiteral("\n"));
        return;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Tab || key == Qt::Key_Backtab) {
        emit finished(key == Qt::Key_Tab       ? QAbstractItemDelegate::EditNextItem
                      : key == Qt::Key_Backtab ? QAbstractItemDelegate::EditPreviousItem
                                               : QAbstractItemDelegate::SubmitModelCache);
        return;
    }
    const int line = textCursor().blockNumber();
    const bool leaves = key == Qt::Key_PageUp || key == Qt::Key_PageDown
                        || (ctrl && (key == Qt::Key_Home || key == Qt::Key_End))
                        || (!ctrl && key == Qt::Key_Up && line == 0)
                        || (!ctrl && key == Qt::Key_Down && line == document()->blockCount() - 1);
    if (leaves) {
        event->ignore();  // the grid moves, which ends the edit
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
    if (ctrl && (key == Qt::Key_Up || key == Qt::Key_Down))
        event->accept();  // kept in the cell, as the one-line editor keeps it
}

QWidget *CellDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &, const QModelIndex &) const
{
    auto *editor = new CellEditor(parent);
    connect(editor, &CellEditor::finished, this, [this, editor](EndEditHint hint) {
        emit const_cast<CellDelegate *>(this)->commitData(editor);
        emit const_cast<CellDelegate *>(this)->closeEditor(editor, hint);
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
    static_cast<CellEditor *>(editor)->open(index.data(Qt::EditRole).toString());
}

void CellDelegate::setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const
{
    // Opening a cell and leaving it is no edit: a Null stays Null, and a text
    // the editor cannot hold byte for byte (other line ends, bytes that are
    // no UTF-8) is never written back changed.
    auto *edit = static_cast<CellEditor *>(editor);
    if (edit->changed())
        model->setData(index, edit->edited(), Qt::EditRole);
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

bool CellDelegate::helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                              const QModelIndex &index)
{
    const QString tip = index.data(Qt::ToolTipRole).toString();
    if (event->type() != QEvent::ToolTip || tip.isEmpty())
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    QToolTip::showText(event->globalPos(), plainToolTip(tip), view, option.rect);
    return true;
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
    // The last editor made may be closed already, waiting to be deleted.
    QWidget *editor = m_cells->openEditor();
    if (editor && indexWidget(currentIndex()) == editor)
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
