#pragma once

#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>

// Runs `work` once, when the event loop is free again after the next paint
// of any widget: what the first window does not need waits until it shows.
// Nothing runs if `context` is gone by then.
inline void afterFirstPaint(QObject *context, std::function<void()> work)
{
    class Waiter : public QObject
    {
    public:
        Waiter(QObject *context, std::function<void()> work) : m_context(context), m_work(std::move(work))
        {
            qApp->installEventFilter(this);
        }
        bool eventFilter(QObject *watched, QEvent *event) override
        {
            if (event->type() == QEvent::Paint && watched->isWidgetType()) {
                qApp->removeEventFilter(this);
                QTimer::singleShot(0, this, [this] {
                    if (m_context)
                        m_work();
                    deleteLater();
                });
            }
            return false;
        }

    private:
        QPointer<QObject> m_context;
        std::function<void()> m_work;
    };
    new Waiter(context, std::move(work));
}
