#pragma once

#include <QPlainTextEdit>
#include <QPointer>
#include <QStyledItemDelegate>
#include <QTableView>

// The editor of a text cell: every line of the text, with no length limit.
// For a text of one line, every key does what it does in Qt's one-line cell
// editor: it opens with the whole text selected, so that typing replaces it;
// Enter ends the edit, Tab and Shift+Tab go to the next and previous cell;
// Up, Down, Page Up, Page Down, Ctrl+Home and Ctrl+End leave the cell for
// the grid to move. In a text of several lines, Up and Down move between
// its lines and leave from the first and the last; Shift+Enter adds a line.
class CellEditor : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit CellEditor(QWidget *parent);
    // Shows `stored`, whole and selected.
    void open(const QString &stored);
    // The stored text with the user's change, and nothing else changed.
    QString edited() const;
    bool changed() const { return edited() != m_stored; }

signals:
    // The edit ends: Enter (SubmitModelCache), Tab or Shift+Tab.
    void finished(QAbstractItemDelegate::EndEditHint hint);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    // The text as the editor holds it: block ends as "\n", every other
    // character as it is (toPlainText() would make no-break spaces plain).
    QString shownText() const;

    QString m_stored, m_shown;
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
    // A cell's tooltip shows its text as typed, markup included.
    bool helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                   const QModelIndex &index) override;

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
