#pragma once

#include <QPlainTextEdit>
#include <QPointer>
#include <QStyledItemDelegate>
#include <QTableView>

// The editor of a text cell: every line of the text, with no length limit.
// Enter ends the edit; Shift+Enter starts a new line.
class CellEditor : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit CellEditor(QWidget *parent);
    // The editor's text as the stored value gave it, before any typing.
    QString untouched;

signals:
    void editingFinished();

protected:
    void keyPressEvent(QKeyEvent *event) override;
};

// Draws the day key centred, edits texts in a CellEditor, and hands the
// model only a text the user actually changed.
class CellDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;
    int centredColumn = -1;

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;
    void updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                              const QModelIndex &index) const override;
    QWidget *openEditor() const { return m_editor; }

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;

private:
    mutable QPointer<CellEditor> m_editor;
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
    // Copying a cell copies its whole stored text, not what the cell shows.
    void keyPressEvent(QKeyEvent *event) override;
    // Screen readers hear the moves through ui/Accessibility.
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void selectionChanged(const QItemSelection &selected, const QItemSelection &deselected) override;

private:
    CellDelegate *m_cells;
};
