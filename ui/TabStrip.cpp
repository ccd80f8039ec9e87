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
    QSize size = QTabBar::tabSizeHint(index);
    size.setWidth(naturalWidth(index));
    int total = 0;
    for (int i = 0; i < count(); ++i)
        total += naturalWidth(i);
    if (total > width() && width() > 0)
        size.setWidth(size.width() * width() / total);

    return size;
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
