#include "ui/TabStrip.h"

#include <QMouseEvent>
#include <QShortcutEvent>

int TabStrip::naturalWidth(int index) const
{
    // The blanks around a caption already make a margin of their own.
    const QString caption = QString(tabText(index)).remove(QLatin1Char('&'));
    const QFontMetrics fm = fontMetrics();
    return QTabBar::tabSizeHint(index).width() - fm.horizontalAdvance(caption)
           + fm.horizontalAdvance(caption.trimmed());
}

QSize TabStrip::tabSizeHint(int index) const
{
    if (m_widths.size() != count()) {
        m_widths.clear();
        m_total = 0;
        for (int i = 0; i < count(); ++i)
            m_total += m_widths.emplace_back(naturalWidth(i));
    }
    QSize size = QTabBar::tabSizeHint(index);
    size.setWidth(m_widths[index]);
    if (m_total > width() && width() > 0)
        size.setWidth(size.width() * width() / m_total);
    return size;
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
