#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEvent>
#include <QStringList>
#include <QWidget>

// Watches the whole application for the first paint of a top-level window
// named `windowName` (by its objectName, or any window when empty).
class FirstPaint : public QObject
{
public:
    explicit FirstPaint(QString windowName = QString()) : m_name(std::move(windowName))
    {
        QCoreApplication::instance()->installEventFilter(this);
    }
    ~FirstPaint() override { QCoreApplication::instance()->removeEventFilter(this); }

    void reset() { m_painted = false; }
    bool painted() const { return m_painted; }

    // Runs the event loop until that paint happened; false after `ms`.
    bool wait(int ms = 5000)
    {
        const QDeadlineTimer deadline(ms);
        while (!m_painted && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        return m_painted;
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (!m_painted && event->type() == QEvent::Paint && watched->isWidgetType()) {
            const QWidget *w = static_cast<QWidget *>(watched)->window();
            if (m_name.isEmpty() || w->objectName() == m_name)
                m_painted = true;
        }
        return false;
    }

private:
    QString m_name;
    bool m_painted = false;
};

// A floor program's command line: "[--once] [folder]"; the folder defaults to
// the program's own, like ombo's.
struct FloorArguments
{
    bool once = false;
    QString folder = QCoreApplication::applicationDirPath();

    FloorArguments()
    {
        for (const QString &a : QCoreApplication::arguments().mid(1)) {
            if (a == QLatin1String("--once"))
                once = true;
            else if (!a.startsWith(QLatin1String("--")))
                folder = a;
        }
    }
};
