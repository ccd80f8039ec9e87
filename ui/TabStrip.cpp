#include "ui/TabStrip.h"

#include <QMouseEvent>
#include <QShortcutEvent>

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
