#include "ui/SearchWindow.h"

#include "core/French.h"
#include "core/OmboError.h"
#include "core/Platform.h"
#include "calendar/NomDuJour.h"
#include "store/AlmanacModel.h"
#include "store/RecordSource.h"

#include <QAbstractListModel>
#include <QAction>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QToolButton>
#include <QListView>
#include <QVBoxLayout>

namespace {
// A result as drawn: day key, weekday, text before the match, the match,
// text after it, and "1" when the match is in the day key.
constexpr int kPartsRole = Qt::UserRole + 1;

// Draws a result on one line in three columns, as plain text, the match in
// bold: one item per result keeps a keystroke's repaint cheap.
class ResultDelegate : public QStyledItemDelegate
{
public:
    ResultDelegate(int keyWidth, int weekdayWidth, QObject *parent)
        : QStyledItemDelegate(parent), m_keyWidth(keyWidth), m_weekdayWidth(weekdayWidth)
    {
    }

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        opt.text.clear();
        opt.widget->style()->drawControl(QStyle::CE_ItemViewItem, &opt, painter, opt.widget);
        const QStringList parts = index.data(kPartsRole).toStringList();
        if (parts.size() != 6)
            return;
        painter->save();
        painter->setClipRect(opt.rect);
        painter->setPen(opt.palette.color(opt.state & QStyle::State_Selected ? QPalette::HighlightedText
                                                                               : QPalette::Text));
        QFont bold = opt.font;
        bold.setBold(true);
        const int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine;
        QRect r = opt.rect.adjusted(4, 0, 0, 0);
        painter->setFont(parts[5].isEmpty() ? opt.font : bold);
        painter->drawText(r, flags, parts[0]);
        painter->setFont(opt.font);
        r.setLeft(opt.rect.left() + m_keyWidth);
        painter->drawText(r, flags, parts[1]);
        r.setLeft(opt.rect.left() + m_keyWidth + m_weekdayWidth);
        for (int i = 2; i < 5 && r.width() > 0; ++i) {
            const QFont &f = i == 3 ? bold : opt.font;
            painter->setFont(f);
            painter->drawText(r, flags, parts[i]);
            r.setLeft(r.left() + QFontMetrics(f).horizontalAdvance(parts[i]));
        }
        painter->restore();
    }

private:
    int m_keyWidth, m_weekdayWidth;
};

// The text around the match, on one line, in three parts.
QStringList emphasised(const QString &text, TextSpan span)
{
    auto flat = [](QString s) {
        for (QChar &c : s)
            if (c.unicode() < 0x20)
                c = QLatin1Char(' ');
        return s;
    };
    const qsizetype from = qMax<qsizetype>(0, span.start - 40);
    const qsizetype to = qMin(text.size(), span.start + span.length + 80);
    return {(from > 0 ? QStringLiteral("…") : QString()) + flat(text.mid(from, span.start - from)),
            flat(text.mid(span.start, span.length)),
            flat(text.mid(span.start + span.length, to - span.start - span.length))
                + (to < text.size() ? QStringLiteral("…") : QString())};
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

// The results: each cell worked out only when the view shows it, so that a
// keystroke costs the search and little more.
class SearchResults : public QAbstractListModel
{
public:
    SearchResults(const AlmanacSearch &index, QObject *parent) : QAbstractListModel(parent), m_index(index) {}

    void setHits(QList<SearchHit> hits)
    {
        beginResetModel();
        m_hits = std::move(hits);
        endResetModel();
    }
    int rowOf(int result) const { return m_hits[result].row; }

    int rowCount(const QModelIndex &parent) const override { return parent.isValid() ? 0 : int(m_hits.size()); }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (role != Qt::DisplayRole && role != kPartsRole)
            return QVariant();
        const SearchHit &hit = m_hits[index.row()];
        const DayRow &row = m_index.rows()[hit.row];
        // A match in the key shows the first text.
        const QString text = hit.field == 2 ? row.text2.toString() : row.text1.toString();
        const QStringList parts = QStringList{row.key, weekday(row.key)}
                                  + emphasised(text, hit.field == 0 ? TextSpan{0, 0} : hit.span)
                                  + QStringList{hit.field == 0 ? QStringLiteral("1") : QString()};
        if (role == kPartsRole)
            return parts;
        // What a screen reader says of the result.
        return parts.mid(0, 2).join(QLatin1Char(' ')) + QLatin1Char(' ') + parts.mid(2, 3).join(QString());
    }

private:
    const AlmanacSearch &m_index;
    QList<SearchHit> m_hits;
};

SearchWindow::SearchWindow(RecordSource *source, QWidget *parent)
    : QWidget(parent, Qt::Window), m_source(source), m_field(new QLineEdit(this)), m_results(new QListView(this)),
      m_status(new QLabel(this)), m_model(new SearchResults(m_index, this))
{
    setObjectName(QStringLiteral("SearchWindow"));
    setWindowTitle(QStringLiteral("Rechercher dans l'almanach"));
    resize(520, 360);
    m_field->setObjectName(QStringLiteral("query"));
    m_field->setPlaceholderText(QStringLiteral("un jour (05/01) ou le début des mots : ste cath"));
    m_field->setAccessibleName(QStringLiteral("Texte à rechercher"));
    m_field->setClearButtonEnabled(true);
    // The clear button: Qt gives it neither a name nor a tooltip.
    if (auto *clear = m_field->findChild<QAction *>())
        clear->setToolTip(QStringLiteral("Effacer la recherche"));
    if (auto *clear = m_field->findChild<QToolButton *>())
        clear->setAccessibleName(QStringLiteral("Effacer la recherche"));
    auto *prompt = new QLabel(QStringLiteral("&Rechercher :"), this);
    prompt->setBuddy(m_field);
    m_results->setObjectName(QStringLiteral("results"));
    m_results->setAccessibleName(QStringLiteral("Résultats"));
    m_status->setObjectName(QStringLiteral("status"));
    m_status->setTextFormat(Qt::PlainText);
    m_results->setModel(m_model);
    m_results->setUniformItemSizes(true);
    QFont bold = font();
    bold.setBold(true);
    m_results->setItemDelegate(new ResultDelegate(QFontMetrics(bold).horizontalAdvance(QStringLiteral("00/00")) + 16,
                                                  QFontMetrics(font()).horizontalAdvance(QStringLiteral("Vendredi")) + 16,
                                                  m_results));
    auto *layout = new QVBoxLayout(this);
    auto *line = new QHBoxLayout;
    line->addWidget(prompt);
    line->addWidget(m_field);
    layout->addLayout(line);
    layout->addWidget(m_results);
    layout->addWidget(m_status);

    connect(m_field, &QLineEdit::textChanged, this, &SearchWindow::search);
    connect(m_field, &QLineEdit::returnPressed, this, [this] {
        const QModelIndex current = m_results->currentIndex();
        if (m_model->rowCount(QModelIndex()) > 0)
            goTo(m_model->rowOf(current.isValid() ? current.row() : 0));
    });
    connect(m_results, &QListView::activated, this, [this](const QModelIndex &i) { goTo(m_model->rowOf(i.row())); });
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
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_F), &SearchWindow::showForQuery);
}

void SearchWindow::showForQuery()
{
    show();
    raise();
    activateWindow();
    m_field->setFocus(Qt::ShortcutFocusReason);
    m_field->selectAll();
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
    m_model->setHits(m_index.find(m_field->text()));
    const int found = m_model->rowCount(QModelIndex());
    m_status->setText(statusText(found));
    emit resultsChanged(found > 0);
}

QString SearchWindow::statusText(int found) const
{
    const QString query = m_field->text().trimmed();
    if (query.isEmpty())
        return QString();
    if (found == 0)
        return QStringLiteral("Aucun résultat pour « %1 ».").arg(query);
    return French::counted(found, "résultat", "résultats")
           + QStringLiteral(" : Entrée ou double clic pour y aller, F3 et Maj+F3 pour passer de l'un à l'autre.");
}

QList<int> SearchWindow::resultRows() const
{
    QList<int> rows;
    for (int i = 0; i < m_model->rowCount(QModelIndex()); ++i)
        rows << m_model->rowOf(i);
    return rows;
}

QString SearchWindow::resultText(int result) const
{
    const QStringList parts = m_model->data(m_model->index(result, 0), kPartsRole).toStringList();
    return parts.size() == 6 ? parts[2] + QLatin1Char('[') + parts[3] + QLatin1Char(']') + parts[4] : QString();
}

void SearchWindow::goTo(int row)
{
    if (!m_source)
        return;
    try {
        m_source->setAbsolutePosition(row + 1);
    } catch (const OmboError &e) {
        platform().messageBox(e.fullMessage(), QString(), Style::OkOnly);
    }
    const int result = int(resultRows().indexOf(row));
    if (result >= 0)
        m_results->setCurrentIndex(m_model->index(result, 0));
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
    if (event->key() == Qt::Key_Escape) {
        close();
    } else if (event->key() == Qt::Key_Down && m_field->hasFocus() && m_model->rowCount(QModelIndex()) > 0) {
        // From the field down into the results.
        m_results->setFocus(Qt::TabFocusReason);
        if (!m_results->currentIndex().isValid())
            m_results->setCurrentIndex(m_model->index(0, 0));
    } else
        QWidget::keyPressEvent(event);
}
