#include "ui/Accessibility.h"

#include "ui/Form1.h"

#include <QAccessibleWidget>
#include <QHash>
#include <QHeaderView>
#include <QPointer>
#include <QTableView>

namespace {

// The model columns the view shows, left to right.
QList<int> shownColumns(const QTableView *view)
{
    QList<int> shown;
    if (!view->model())
        return shown;
    const QHeaderView *header = view->horizontalHeader();
    for (int v = 0; v < header->count(); ++v) {
        const int c = header->logicalIndex(v);
        if (!header->isSectionHidden(c))
            shown << c;
    }
    return shown;
}

QString headerCaption(const QTableView *view, int column)
{
    // The blanks before a caption only place it on screen.
    return view->model()->headerData(column, Qt::Horizontal).toString().trimmed();
}

// Children of the table: one header cell per shown column, then the cells
// row by row. -1 for a hidden column.
int childIndex(const QTableView *view, int row, int column)
{
    const QList<int> shown = shownColumns(view);
    const int position = shown.indexOf(column);
    return position < 0 ? -1 : (row + 1) * int(shown.size()) + position;
}

// A cell of the grid, or (row -1) the header of a column.
class GridCell : public QAccessibleInterface, public QAccessibleTableCellInterface
{
public:
    GridCell(QTableView *view, int row, int column) : m_view(view), m_row(row), m_column(column) {}

    int row() const { return m_row; }
    int column() const { return m_column; }
    bool isHeader() const { return m_row < 0; }

    bool isValid() const override
    {
        return m_view && m_view->model() && m_row < m_view->model()->rowCount()
               && m_column < m_view->model()->columnCount();
    }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return m_view ? m_view->window()->windowHandle() : nullptr; }
    QAccessibleInterface *parent() const override { return QAccessible::queryAccessibleInterface(m_view); }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    void setText(QAccessible::Text, const QString &) override {}
    QAccessible::Role role() const override { return isHeader() ? QAccessible::ColumnHeader : QAccessible::Cell; }

    QString text(QAccessible::Text t) const override
    {
        if (t != QAccessible::Name || !isValid())
            return {};
        if (isHeader())
            return headerCaption(m_view, m_column);
        return m_view->model()->index(m_row, m_column).data().toString();
    }

    QRect rect() const override
    {
        if (!isValid())
            return {};
        if (isHeader()) {
            const QHeaderView *h = m_view->horizontalHeader();
            const QRect r(h->sectionViewportPosition(m_column), 0, h->sectionSize(m_column), h->height());
            return r.translated(h->viewport()->mapToGlobal(QPoint(0, 0)));
        }
        const QRect r = m_view->visualRect(m_view->model()->index(m_row, m_column));
        return r.translated(m_view->viewport()->mapToGlobal(QPoint(0, 0)));
    }

    QAccessible::State state() const override
    {
        QAccessible::State s;
        if (!isValid()) {
            s.invalid = true;
            return s;
        }
        if (isHeader())
            return s;
        const QModelIndex index = m_view->model()->index(m_row, m_column);
        const QRect shown = m_view->viewport()->rect();
        s.invisible = !shown.intersects(m_view->visualRect(index));
        s.offscreen = s.invisible;
        s.focusable = true;
        s.selectable = true;
        s.focused = m_view->hasFocus() && m_view->currentIndex() == index;
        s.active = s.focused;
        s.selected = isSelected();
        s.editable = index.flags().testFlag(Qt::ItemIsEditable);
        return s;
    }

    void *interface_cast(QAccessible::InterfaceType t) override
    {
        return t == QAccessible::TableCellInterface && !isHeader() ? static_cast<QAccessibleTableCellInterface *>(this)
                                                                   : nullptr;
    }

    bool isSelected() const override
    {
        return isValid() && m_view->selectionModel()
               && m_view->selectionModel()->isSelected(m_view->model()->index(m_row, m_column));
    }
    QList<QAccessibleInterface *> columnHeaderCells() const override
    {
        QAccessibleInterface *table = parent();
        const int i = childIndex(m_view, -1, m_column);
        QAccessibleInterface *header = table && i >= 0 ? table->child(i) : nullptr;
        return header ? QList<QAccessibleInterface *>{header} : QList<QAccessibleInterface *>{};
    }
    QList<QAccessibleInterface *> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return shownColumns(m_view).indexOf(m_column); }
    int rowIndex() const override { return m_row; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface *table() const override { return parent(); }

private:
    QPointer<QTableView> m_view;
    int m_row, m_column;
};

// The grid as a table of its shown columns.
class GridTable : public QAccessibleWidget, public QAccessibleTableInterface
{
public:
    explicit GridTable(QTableView *view) : QAccessibleWidget(view, QAccessible::Table) {}
    ~GridTable() override { forgetCells(); }

    QTableView *view() const { return static_cast<QTableView *>(widget()); }

    void *interface_cast(QAccessible::InterfaceType t) override
    {
        return t == QAccessible::TableInterface ? static_cast<QAccessibleTableInterface *>(this)
                                                : QAccessibleWidget::interface_cast(t);
    }

    int childCount() const override { return columnCount() * (rowCount() + 1); }
    QAccessibleInterface *child(int i) const override
    {
        const QList<int> shown = shownColumns(view());
        if (i < 0 || shown.isEmpty() || i >= childCount())
            return nullptr;
        return cell(i / shown.size() - 1, shown[i % shown.size()]);
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        const auto *c = dynamic_cast<const GridCell *>(child);
        return c ? childIndex(view(), c->row(), c->column()) : -1;
    }
    QAccessibleInterface *childAt(int x, int y) const override
    {
        const QHeaderView *header = view()->horizontalHeader();
        const QPoint inHeader = header->viewport()->mapFromGlobal(QPoint(x, y));
        if (header->viewport()->rect().contains(inHeader)) {
            const int c = header->logicalIndexAt(inHeader);
            return c >= 0 && shownColumns(view()).contains(c) ? cell(-1, c) : nullptr;
        }
        const QModelIndex index = view()->indexAt(view()->viewport()->mapFromGlobal(QPoint(x, y)));
        return index.isValid() && shownColumns(view()).contains(index.column()) ? cell(index.row(), index.column())
                                                                                 : nullptr;
    }
    QAccessibleInterface *focusChild() const override
    {
        const QModelIndex current = view()->currentIndex();
        return view()->hasFocus() && current.isValid() ? cell(current.row(), current.column()) : nullptr;
    }

    QAccessibleInterface *caption() const override { return nullptr; }
    QAccessibleInterface *summary() const override { return nullptr; }
    QAccessibleInterface *cellAt(int row, int column) const override
    {
        const QList<int> shown = shownColumns(view());
        if (row < 0 || row >= rowCount() || column < 0 || column >= shown.size())
            return nullptr;
        return cell(row, shown[column]);
    }
    int columnCount() const override { return int(shownColumns(view()).size()); }
    int rowCount() const override { return view()->model() ? view()->model()->rowCount() : 0; }
    QString columnDescription(int column) const override
    {
        const QList<int> shown = shownColumns(view());
        return column >= 0 && column < shown.size() ? headerCaption(view(), shown[column]) : QString();
    }
    QString rowDescription(int) const override { return {}; }
    QList<QAccessibleInterface *> selectedCells() const override
    {
        QList<QAccessibleInterface *> cells;
        if (!view()->selectionModel())
            return cells;
        const QList<int> shown = shownColumns(view());
        for (const QModelIndex &i : view()->selectionModel()->selectedIndexes())
            if (shown.contains(i.column()))
                cells << cell(i.row(), i.column());
        return cells;
    }
    int selectedCellCount() const override { return int(selectedCells().size()); }
    // Cells are selected one at a time: no whole row or column is.
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return 0; }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override { return {}; }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int) const override { return false; }
    bool selectRow(int) override { return false; }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent *) override { forgetCells(); }

private:
    // Cells are made on demand and kept, so that a reader sees the same
    // object for a cell each time it asks.
    QAccessibleInterface *cell(int row, int column) const
    {
        const quint64 key = (quint64(quint32(row + 1)) << 32) | quint32(column);
        if (const auto id = m_cells.value(key))
            if (QAccessibleInterface *known = QAccessible::accessibleInterface(id))
                return known;
        auto *made = new GridCell(view(), row, column);
        m_cells.insert(key, QAccessible::registerAccessibleInterface(made));
        return made;
    }
    void forgetCells()
    {
        for (const QAccessible::Id id : std::as_const(m_cells))
            QAccessible::deleteAccessibleInterface(id);
        m_cells.clear();
    }

    mutable QHash<quint64, QAccessible::Id> m_cells;
};

// The greeting window's surface: what the load printed, as text.
class GreetingText : public QAccessibleWidget, public QAccessibleTextInterface
{
public:
    explicit GreetingText(QWidget *surface) : QAccessibleWidget(surface, QAccessible::StaticText) {}

    void *interface_cast(QAccessible::InterfaceType t) override
    {
        return t == QAccessible::TextInterface ? static_cast<QAccessibleTextInterface *>(this)
                                               : QAccessibleWidget::interface_cast(t);
    }
    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Name ? printed() : QAccessibleWidget::text(t);
    }

    void selection(int, int *start, int *end) const override { *start = *end = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QString text(int start, int end) const override { return printed().mid(start, end - start); }
    int characterCount() const override { return int(printed().size()); }
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint &) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int, int *start, int *end) const override
    {
        *start = 0;
        *end = characterCount();
        return {};
    }

private:
    QString printed() const
    {
        const auto *form = qobject_cast<const Form1 *>(widget()->window());
        return form ? form->printedText() : QString();
    }
};

QAccessibleInterface *factory(const QString &className, QObject *object)
{
    if (className == QLatin1String("DataGrid"))
        return new GridTable(static_cast<QTableView *>(object));
    if (className == QLatin1String("Form2"))
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Window);
    auto *widget = qobject_cast<QWidget *>(object);
    if (widget && widget->objectName() == QLatin1String("surface") && qobject_cast<Form1 *>(widget->parentWidget()))
        return new GreetingText(widget);
    return nullptr;
}

void notify(QTableView *view, QAccessible::Event type, const QModelIndex &index)
{
    const int child = index.isValid() ? childIndex(view, index.row(), index.column()) : -1;
    if (child < 0)
        return;
    QAccessibleEvent event(view, type);
    event.setChild(child);
    QAccessible::updateAccessibility(&event);
}

}  // namespace

void installAccessibility()
{
    static bool installed = false;
    if (!installed)
        QAccessible::installFactory(factory);
    installed = true;
}

namespace GridAccessibility {

void currentChanged(QTableView *view, const QModelIndex &current)
{
    if (QAccessible::isActive() && view->hasFocus())
        notify(view, QAccessible::Focus, current);
}

void selectionChanged(QTableView *view, const QItemSelection &selected, const QItemSelection &deselected)
{
    if (!QAccessible::isActive())
        return;
    notify(view, QAccessible::SelectionAdd, selected.indexes().value(0));
    notify(view, QAccessible::SelectionRemove, deselected.indexes().value(0));
}

}  // namespace GridAccessibility
