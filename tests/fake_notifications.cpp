// A stand-in for the desktop's notification service, for the tests and the
// benchmark: it takes the name org.freedesktop.Notifications on the session
// bus, writes "ready" then one JSON line per Notify call on stdout (with
// "ns", the wall clock in nanoseconds when the call arrived), and ends each
// notification as told:
//   fake_notifications close|open [capability...]
#include <QCoreApplication>
#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>
#include <chrono>
#include <cstdio>

class Notifications : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    Notifications(QObject *parent, bool open, const QStringList &caps)
        : QDBusAbstractAdaptor(parent), m_open(open), m_caps(caps)
    {
    }

public slots:
    QStringList GetCapabilities() { return m_caps; }
    QString GetServerInformation(QString &vendor, QString &version, QString &protocolVersion)
    {
        vendor = QStringLiteral("tests");
        version = protocolVersion = QStringLiteral("1.2");
        return QStringLiteral("fake");
    }
    void CloseNotification(uint) {}
    uint Notify(const QString &app, uint, const QString &icon, const QString &summary, const QString &body,
                const QStringList &actions, const QVariantMap &, int)
    {
        const auto now = std::chrono::system_clock::now().time_since_epoch();
        const uint id = ++m_last;
        const QJsonObject call{{"app", app}, {"icon", icon}, {"summary", summary}, {"body", body},
                               {"actions", QJsonArray::fromStringList(actions)},
                               {"ns", double(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count())}};
        std::printf("%s\n", QJsonDocument(call).toJson(QJsonDocument::Compact).constData());
        std::fflush(stdout);
        QTimer::singleShot(20, this, [this, id, actions] {
            if (m_open && actions.size() >= 2)
                emit ActionInvoked(id, actions.first());
            emit NotificationClosed(id, m_open ? 2 : 1);
        });
        return id;
    }

signals:
    void ActionInvoked(uint id, const QString &key);
    void NotificationClosed(uint id, uint reason);

private:
    bool m_open;
    QStringList m_caps;
    uint m_last = 0;
};

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    QObject root;
    new Notifications(&root, args.value(0) == QLatin1String("open"), args.mid(1));
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &root)
        || !bus.registerService(QStringLiteral("org.freedesktop.Notifications")))
        return 1;
    std::printf("ready\n");
    std::fflush(stdout);
    return app.exec();
}

#include "fake_notifications.moc"
