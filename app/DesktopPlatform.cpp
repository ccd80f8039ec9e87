#include "app/DesktopPlatform.h"

#include "app/Identity.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusReply>
#include <QEventLoop>
#include <QSaveFile>
#include <QTimer>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>

QDate DesktopPlatform::today()
{
    // One reading of the clock, so day, month and year always agree.
    return QDate::currentDate();
}

QString DesktopPlatform::programFolder()
{
    return QCoreApplication::applicationDirPath();
}

void DesktopPlatform::messageBox(const QString &text, const QString &title, int style)
{
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(title.isEmpty() ? Identity::kTitre : title);
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    // Every box can be copied from: some hold texts that could not be saved.
    box.setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    box.setAccessibleDescription(text);  // what a screen reader reads after the title
    const int icon = style & 0x70;
    if (icon == 16)
        box.setIcon(QMessageBox::Critical);
    else if (icon == 48)
        box.setIcon(QMessageBox::Warning);
    if ((style & 0x7) == 6) {
        // One role for all three keeps them in this order on every desktop.
        box.setEscapeButton(box.addButton(QStringLiteral("Annuler"), QMessageBox::ActionRole));
        box.setDefaultButton(box.addButton(QStringLiteral("Réessayer"), QMessageBox::ActionRole));
        box.addButton(QStringLiteral("Continuer"), QMessageBox::ActionRole);
    } else {
        box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    }
    box.exec();
}

void DesktopPlatform::beep()
{
    QApplication::beep();
}

int DesktopPlatform::openWithViewer(QWidget *, const QString &file, const QString &workingDir)
{
    if (!QFileInfo(QDir(workingDir).filePath(file)).isFile())
        return Viewer::FileNotFound;
    // xdg-open hands the file to the viewer the desktop associates with it.
    // It is started directly, never through a shell, and not waited for.
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty())
        return Viewer::NoViewer;
    return QProcess::startDetached(opener, {file}, workingDir) ? Viewer::Started : Viewer::NoViewer;
}

void DesktopPlatform::endProgram()
{
    QCoreApplication::exit(0);
}

QString DesktopPlatform::loginEntryPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
           + QStringLiteral("/autostart/fr.valdric.Ombrelune.desktop");
}

bool DesktopPlatform::loginEntryExists()
{
    return QFileInfo::exists(loginEntryPath());
}

bool DesktopPlatform::setLoginEntry(const QByteArray &contents)
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

NoticeAnswer DesktopPlatform::notify(const QString &summary, const QString &body)
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
    const QVariantMap hints{{QStringLiteral("desktop-entry"), QStringLiteral("fr.valdric.Ombrelune")}};
    call << QCoreApplication::applicationName() << uint(0) << QStringLiteral("fr.valdric.Ombrelune") << summary
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

bool DesktopPlatform::startProgram(const QStringList &arguments)
{
    return QProcess::startDetached(QCoreApplication::applicationFilePath(), arguments);
}

#include "DesktopPlatform.moc"
