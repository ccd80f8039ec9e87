#include "ui/TabStrip.h"

#include <QMouseEvent>
#include <QShortcutEvent>
#include <QStyle>
#include <QStyleOptionTab>

int TabStrip::naturalWidth(int index) const
{
    // The blanks around a caption already make a margin of their own.
    const QString caption = QString(tabText(index)).remove(QLatin1Char('&'));
    const QFontMetrics fm = fontMetrics();
    return QTabBar::tabSizeHint(index).width() - fm.horizontalAdvance(caption)
           + fm.horizontalAdvance(caption.trimmed());
}

int TabStrip::naturalTotal() const
{
    if (m_widths.size() != count()) {
        // Measuring may polish the bar and lay it out again, which comes back
        // here: fill the cache only once the sums are done.
        QList<int> widths;
        int total = 0;
        for (int i = 0; i < count(); ++i)
            total += widths.emplace_back(naturalWidth(i));
        m_widths = widths;
        m_total = total;
    }
    return m_total;
}

QSize TabStrip::tabSizeHint(int index) const
{
    naturalTotal();
    QSize size = QTabBar::tabSizeHint(index);
    size.setWidth(m_widths[index]);
    return size;
}

void TabStrip::fitCaptions()
{
    // Squeezing the tabs instead would push captions under their pictures.
    QFont f = font();
    while (naturalTotal() > width() && f.pointSizeF() > 5) {
        f.setPointSizeF(f.pointSizeF() - 0.25);
        setFont(f);
    }
}

QRect TabStrip::captionRect(int index) const
{
    QStyleOptionTab option;
    initStyleOption(&option, index);
    return style()->subElementRect(QStyle::SE_TabBarTabText, &option, this);
}

void TabStrip::tabInserted(int index)
{
    m_widths.clear();
    QTabBar::tabInserted(index);
}

void TabStrip::tabRemoved(int index)
{
    m_widths.clear();
    QTabBar::tabRemoved(index);
}

void TabStrip::changeEvent(QEvent *e)
{
    if (e->type() == QEvent::FontChange || e->type() == QEvent::StyleChange)
        m_widths.clear();
    QTabBar::changeEvent(e);
}

bool TabStrip::event(QEvent *e)
{
    if (e->type() == QEvent::Shortcut) {
        const QKeySequence key = static_cast<QShortcutEvent *>(e)->key();
        for (int i = 0; i < count(); ++i) {
            if (isTabEnabled(i) && QKeySequence::mnemonic(tabText(i)) == key) {
                setCurrentIndex(i);
                emit tabActivated(i);
                return true;
            }
        }
    }
    return QTabBar::event(e);
}

void TabStrip::mousePressEvent(QMouseEvent *e)
{
    const int i = tabAt(e->position().toPoint());
    QTabBar::mousePressEvent(e);
    if (e->button() == Qt::LeftButton && i >= 0) {
        setCurrentIndex(i);
        emit tabActivated(i);
    }
}
