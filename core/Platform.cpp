#include "core/Platform.h"

#include "core/Identity.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTimer>

namespace {
Platform *g_installed = nullptr;
}

Platform &Platform::current()
{
    if (g_installed)
        return *g_installed;
    return defaultPlatform();
}

void Platform::install(Platform *p)
{
    g_installed = p;
}

QDate Platform::today()
{
    // One reading of the clock, so day, month and year always agree.
    return QDate::currentDate();
}

QString Platform::programFolder()
{
    return QCoreApplication::applicationDirPath();
}

bool Platform::ask(QWidget *, const QString &, const QString &)
{
    return false;  // no one to answer
}

namespace {
// An XDG base folder: the variable when it holds an absolute path, else the
// default below the home folder.
QString xdgFolder(const char *variable, const QString &fallback)
{
    QString base = qEnvironmentVariable(variable);
    if (base.isEmpty() || QFileInfo(base).isRelative())
        base = QDir::homePath() + fallback;
    return base + QStringLiteral("/ombrelune");
}
}  // namespace

QString Platform::stateFolder()
{
    return xdgFolder("XDG_STATE_HOME", QStringLiteral("/.local/state"));
}

QString Platform::dataFolder()
{
    return xdgFolder("XDG_DATA_HOME", QStringLiteral("/.local/share"));
}

QString Platform::sharedFolder()
{
    return QStringLiteral(OMBO_SHARE_DIR);
}

QDateTime Platform::nowUtc()
{
    return QDateTime::currentDateTimeUtc();
}

// The desktop session's services, the same with or without windows: XDG
// autostart and the notification service on the session bus.
QString Platform::loginEntryPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
           + QStringLiteral("/autostart/") + Identity::kDesktopId + QStringLiteral(".desktop");
}

bool Platform::loginEntryExists()
{
    return QFileInfo::exists(loginEntryPath());
}

bool Platform::setLoginEntry(const QByteArray &contents)
{
    const QString path = loginEntryPath();
    if (contents.isEmpty())
        return !QFileInfo::exists(path) || QFile::remove(path);
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(contents) == contents.size() && file.commit();
}

namespace {
const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
const QString kOpen = QStringLiteral("ouvrir");

// Waits for the end of notification `id`: its action or its closing.
class NoticeWatch : public QObject
{
    Q_OBJECT

public:
    uint id = 0;
    NoticeAnswer answer = NoticeAnswer::Closed;
    QEventLoop loop;

public slots:
    void actionInvoked(uint notice, const QString &key)
    {
        if (notice == id && key == kOpen) {
            answer = NoticeAnswer::Open;
            loop.quit();
        }
    }
    void closed(uint notice, uint)
    {
        if (notice == id)
            loop.quit();
    }
};
}  // namespace

NoticeAnswer Platform::notify(const QString &summary, const QString &body)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return NoticeAnswer::NoService;
    NoticeWatch watch;
    bus.connect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"), &watch,
                SLOT(actionInvoked(uint, QString)));
    bus.connect(kService, kPath, kInterface, QStringLiteral("NotificationClosed"), &watch, SLOT(closed(uint, uint)));

    // Where the service reads markup in the body, the texts are escaped:
    // they are shown as typed.
    const QDBusReply<QStringList> caps =
        bus.call(QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("GetCapabilities")));
    if (!caps.isValid())
        return NoticeAnswer::NoService;
    const bool markup = caps.value().contains(QStringLiteral("body-markup"));

    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Notify"));
    const QVariantMap hints{{QStringLiteral("desktop-entry"), Identity::kDesktopId}};
    call << QCoreApplication::applicationName() << uint(0) << Identity::kDesktopId << summary
         << (markup ? body.toHtmlEscaped() : body) << QStringList{kOpen, QStringLiteral("Ouvrir")} << hints
         << int(-1);
    const QDBusReply<uint> id = bus.call(call);
    if (!id.isValid())
        return NoticeAnswer::NoService;
    watch.id = id.value();
    QTimer::singleShot(60 * 1000, &watch.loop, &QEventLoop::quit);
    watch.loop.exec();
    return watch.answer;
}

bool Platform::startProgram(const QStringList &arguments)
{
    return QProcess::startDetached(QCoreApplication::applicationFilePath(), arguments);
}

#include "Platform.moc"
