#include "ui/SearchWindow.h"

#include "app/OmboError.h"
#include "app/Platform.h"
#include "calendar/NomDuJour.h"
#include "store/AlmanacModel.h"
#include "store/RecordSource.h"

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTextDocument>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
constexpr int kHtmlRole = Qt::UserRole + 1;

// Draws a result's text with its match in bold.
class EmphasisDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        opt.text.clear();
        opt.widget->style()->drawControl(QStyle::CE_ItemViewItem, &opt, painter, opt.widget);
        QTextDocument doc;
        doc.setDefaultFont(opt.font);
        doc.setDocumentMargin(1);
        doc.setHtml(index.data(kHtmlRole).toString());
        painter->save();
        painter->translate(opt.rect.topLeft());
        painter->setClipRect(opt.rect.translated(-opt.rect.topLeft()));
        QAbstractTextDocumentLayout::PaintContext context;
        context.palette = opt.palette;
        if (opt.state & QStyle::State_Selected)
            context.palette.setColor(QPalette::Text, opt.palette.color(QPalette::HighlightedText));
        doc.documentLayout()->draw(painter, context);
        painter->restore();
    }
};

// The text around the match, on one line, escaped, the match in bold.
QString emphasised(const QString &text, TextSpan span)
{
    auto flat = [](QString s) {
        for (QChar &c : s)
            if (c.unicode() < 0x20)
                c = QLatin1Char(' ');
        return s.toHtmlEscaped();
    };
    const qsizetype from = qMax<qsizetype>(0, span.start - 40);
    const qsizetype to = qMin(text.size(), span.start + span.length + 80);
    QString html = from > 0 ? QStringLiteral("…") : QString();
    html += flat(text.mid(from, span.start - from)) + QStringLiteral("<b>")
            + flat(text.mid(span.start, span.length)) + QStringLiteral("</b>")
            + flat(text.mid(span.start + span.length, to - span.start - span.length));
    if (to < text.size())
        html += QStringLiteral("…");
    return html;
}

QString weekday(const QString &key)
{
    try {
        return NomDuJour(QVariant(key));
    } catch (const OmboError &) {
        return QString();
    }
}
}  // namespace

SearchWindow::SearchWindow(RecordSource *source, QWidget *parent)
    : QWidget(parent, Qt::Window), m_source(source), m_field(new QLineEdit(this)), m_results(new QTreeWidget(this))
{
    setObjectName(QStringLiteral("SearchWindow"));
    setWindowTitle(QStringLiteral("Rechercher dans l'almanach"));
    resize(520, 360);
    m_field->setObjectName(QStringLiteral("query"));
    m_field->setClearButtonEnabled(true);
    m_results->setObjectName(QStringLiteral("results"));
    m_results->setColumnCount(3);
    m_results->setHeaderLabels({QStringLiteral("Jour"), QStringLiteral("Cette année"), QStringLiteral("Texte")});
    m_results->setRootIsDecorated(false);
    m_results->setUniformRowHeights(true);
    m_results->setItemDelegateForColumn(2, new EmphasisDelegate(m_results));
    m_results->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    m_results->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_field);
    layout->addWidget(m_results);

    connect(m_field, &QLineEdit::textChanged, this, &SearchWindow::search);
    connect(m_field, &QLineEdit::returnPressed, this, [this] {
        QTreeWidgetItem *item = m_results->currentItem() ? m_results->currentItem() : m_results->topLevelItem(0);
        if (item)
            goTo(item->data(0, Qt::UserRole).toInt());
    });
    connect(m_results, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem *item) { goTo(item->data(0, Qt::UserRole).toInt()); });
    if (source) {
        // Texts edited in the grid are searched as they now read.
        QAbstractItemModel *model = source->model();
        connect(model, &QAbstractItemModel::modelReset, this, [this] { m_stale = true; });
        connect(model, &QAbstractItemModel::dataChanged, this, [this] { m_stale = true; });
    }
    auto shortcut = [this](const QKeySequence &keys, void (SearchWindow::*slot)()) {
        auto *action = new QAction(this);
        action->setShortcut(keys);
        connect(action, &QAction::triggered, this, slot);
        addAction(action);
    };
    shortcut(QKeySequence(Qt::Key_F3), &SearchWindow::next);
    shortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3), &SearchWindow::previous);
}

void SearchWindow::reindex()
{
    if (!m_stale || !m_source)
        return;
    m_index.setRows(almanacRows(*m_source->model()));
    m_stale = false;
}

void SearchWindow::search()
{
    reindex();
    m_results->clear();
    const QList<SearchHit> hits = m_index.find(m_field->text());
    QList<QTreeWidgetItem *> items;
    items.reserve(hits.size());
    for (const SearchHit &hit : hits) {
        const DayRow &row = m_index.rows()[hit.row];
        // A match in the key shows the first text.
        const QString text = hit.field == 2 ? row.text2.toString() : row.text1.toString();
        auto *item = new QTreeWidgetItem({row.key, weekday(row.key), QString()});
        item->setData(0, Qt::UserRole, hit.row);
        item->setData(2, kHtmlRole, hit.field == 0 ? emphasised(text, {0, 0}) : emphasised(text, hit.span));
        if (hit.field == 0)
            item->setData(0, Qt::FontRole, [] { QFont f; f.setBold(true); return f; }());
        items << item;
    }
    m_results->addTopLevelItems(items);
}

QList<int> SearchWindow::resultRows() const
{
    QList<int> rows;
    for (int i = 0; i < m_results->topLevelItemCount(); ++i)
        rows << m_results->topLevelItem(i)->data(0, Qt::UserRole).toInt();
    return rows;
}

void SearchWindow::goTo(int row)
{
    if (!m_source)
        return;
    try {
        m_source->setAbsolutePosition(row + 1);
    } catch (const OmboError &e) {
        platform().messageBox(e.messageComplet(), QString(), Style::OkOnly);
    }
    for (int i = 0; i < m_results->topLevelItemCount(); ++i)
        if (m_results->topLevelItem(i)->data(0, Qt::UserRole).toInt() == row)
            m_results->setCurrentItem(m_results->topLevelItem(i));
}

void SearchWindow::step(int direction)
{
    const QList<int> rows = resultRows();
    if (rows.isEmpty() || !m_source)
        return;
    const int current = m_source->currentRow();
    int target = direction > 0 ? rows.first() : rows.last();
    for (int i = 0; i < rows.size(); ++i) {
        const int r = direction > 0 ? rows[i] : rows[rows.size() - 1 - i];
        if ((direction > 0 && r > current) || (direction < 0 && r < current)) {
            target = r;
            break;
        }
    }
    goTo(target);
}

void SearchWindow::next()
{
    step(+1);
}

void SearchWindow::previous()
{
    step(-1);
}

void SearchWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape)
        close();
    else
        QWidget::keyPressEvent(event);
}
