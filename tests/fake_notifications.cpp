// A stand-in for the desktop's notification service, for the tests and the
// benchmark: it takes the name org.freedesktop.Notifications on the session
// bus, writes "ready" then one JSON line per Notify call on stdout (with
// "ns", the wall clock in nanoseconds when the call arrived), and ends each
// notification as told: "open" invokes its first action, "close" closes it.
//   fake_notifications close|open [capability...]
#include <QCoreApplication>
#include <QDBusConnection>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>
#include <chrono>
#include <cstdio>

class Notifications : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    bool open = false;
    QStringList caps;

public slots:
    QStringList GetCapabilities() { return caps; }
    uint Notify(const QString &, uint, const QString &, const QString &summary, const QString &body,
                const QStringList &actions, const QVariantMap &, int)
    {
        const auto now = std::chrono::system_clock::now().time_since_epoch();
        const QJsonObject call{{"summary", summary}, {"body", body}, {"actions", QJsonArray::fromStringList(actions)},
                               {"ns", double(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count())}};
        std::printf("%s\n", QJsonDocument(call).toJson(QJsonDocument::Compact).constData());
        std::fflush(stdout);
        const uint id = ++m_last;
        QTimer::singleShot(20, this, [this, id, actions] {
            if (open && actions.size() >= 2)
                emit ActionInvoked(id, actions.first());
            emit NotificationClosed(id, open ? 2 : 1);
        });
        return id;
    }

signals:
    void ActionInvoked(uint id, const QString &key);
    void NotificationClosed(uint id, uint reason);

private:
    uint m_last = 0;
};

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    Notifications service;
    service.open = app.arguments().value(1) == QLatin1String("open");
    service.caps = app.arguments().mid(2);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &service,
                            QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals)
        || !bus.registerService(QStringLiteral("org.freedesktop.Notifications")))
        return 1;
    std::printf("ready\n");
    std::fflush(stdout);
    return app.exec();
}

#include "fake_notifications.moc"
