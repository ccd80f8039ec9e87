// The greeting at login: `ombo --notifier` against a stand-in notification
// service on a private session bus, and the autostart entry.
#include "AlmanacFixture.h"
#include "FakePlatform.h"
#include "app/DesktopPlatform.h"
#include "app/NotifierMode.h"
#include "core/Module1.h"
#include "ui/LoginGreeting.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {
// The recording desktop, its notifications sent on the session bus.
struct BusPlatform : FakePlatform
{
    NoticeAnswer notify(const QString &summary, const QString &body) override
    {
        events << u"notify"_s;
        return Platform::notify(summary, body);
    }
};
}  // namespace

class TestNotifier : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QProcess m_bus, m_service;  // killed with the test
    QString program() const { return m_dir.filePath(u"prog/ombo"_s); }

    // The stand-in service answers each notification with `answer`.
    bool startService(const QString &answer, const QStringList &caps)
    {
        m_service.start(QStringLiteral(FAKE_NOTIFICATIONS), QStringList{answer} + caps);
        return m_service.waitForReadyRead(10000) && m_service.readLine() == "ready\n";
    }
    // Stops it; the Notify calls it received.
    QList<QJsonObject> stopService()
    {
        QList<QJsonObject> calls;
        m_service.waitForReadyRead(2000);
        for (const QByteArray &line : m_service.readAllStandardOutput().split('\n'))
            if (!line.isEmpty())
                calls << QJsonDocument::fromJson(line).object();
        m_service.kill();
        m_service.waitForFinished();
        return calls;
    }

private slots:
    void initTestCase()
    {
        // A bus of our own that activates nothing: no real service can answer.
        const QString config = m_dir.filePath(u"bus.conf"_s);
        QVERIFY(writeFile(config, QStringLiteral(
            "<busconfig><type>session</type><listen>unix:dir=%1</listen>"
            "<policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
            "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>").arg(m_dir.path()).toUtf8()));
        m_bus.start(u"dbus-daemon"_s, {"--config-file=" + config, "--print-address=1", "--nofork"});
        QVERIFY2(m_bus.waitForReadyRead(10000), "dbus-daemon did not start");
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_bus.readLine().trimmed());

        // The program and an almanac of its own: 05/01's first text has
        // markup, its second is empty.
        QVERIFY(QDir().mkpath(m_dir.filePath(u"prog"_s)));
        QVERIFY(QFile::copy(QStringLiteral(OMBO_PROGRAM), program()));
        QVector<TestRow> days = fullYear();
        days[4] = {"05/01", u"<i>fête</i> & co"_s, ""};
        QVERIFY(writeAlmanac(m_dir.filePath(u"prog/ombo.mdb"_s), days));
    }

    void notifierProcess_data()
    {
        QTest::addColumn<QString>("service");  // "markup", "plain" or "none"
        QTest::addColumn<QString>("body");  // the notification's text; empty: none
        QTest::newRow("service reading markup")
            << "markup" << "Ce jour :\n&lt;i&gt;fête&lt;/i&gt; &amp; co\nDemain :\nA 06/01\nB 06/01";
        QTest::newRow("service showing plain text") << "plain" << "Ce jour :\n<i>fête</i> & co\nDemain :\nA 06/01\nB 06/01";
        QTest::newRow("no service") << "none" << "";
    }
    // The real program on 05/01/2004 (faketime), with no window system.
    void notifierProcess()
    {
        QFETCH(QString, service);
        QFETCH(QString, body);
        if (!body.isEmpty())
            QVERIFY(startService(u"close"_s, {u"actions"_s, service == "markup"_L1 ? u"body-markup"_s : u"body"_s}));
        QProcess ombo;
        ombo.start(u"/usr/bin/env"_s, {u"-u"_s, u"DISPLAY"_s, u"/usr/bin/faketime"_s, u"-m"_s, u"2004-01-05 12:00:00"_s,
                                       program(), u"--notifier"_s});
        QVERIFY(ombo.waitForFinished(20000));
        QCOMPARE(ombo.exitStatus(), QProcess::NormalExit);
        QCOMPARE(ombo.exitCode(), 0);
        QCOMPARE(ombo.readAllStandardError().contains("aucun service de notifications"), body.isEmpty());
        if (body.isEmpty())
            return;
        const QList<QJsonObject> calls = stopService();
        QCOMPARE(calls.size(), 1);
        QCOMPARE(calls[0]["summary"].toString(), u"Ombrelune — Lundi 05/01"_s);
        QCOMPARE(calls[0]["body"].toString(), body);
        QCOMPARE(calls[0]["actions"].toArray(), (QJsonArray{"ouvrir", "Ouvrir"}));
    }

    // "Ouvrir" clicked in the notification opens the greeting window (its
    // closing is tried by the process above).
    void openActionOpensTheGreeting()
    {
        QVERIFY(startService(u"open"_s, {u"actions"_s}));
        BusPlatform desktop;
        desktop.folder = m_dir.filePath(u"prog"_s);
        Module1::reset();
        QCOMPARE(notifyToday(), 0);
        stopService();
        QCOMPARE(desktop.events, (QStringList{"notify", "start"}));
        QCOMPARE(desktop.starts, QList<QStringList>{{u"--accueil"_s}});
    }

    // The autostart entry for a program whose folder holds "%", spaces, a
    // quote and "$": desktop-file-validate accepts it, and GLib's launcher
    // (gio launch) runs the program, which notifies.
    void loginEntryWrittenLaunchedAndRemoved()
    {
        qputenv("XDG_CONFIG_HOME", m_dir.filePath(u"config"_s).toUtf8());
        const QString path = m_dir.filePath(u"config/autostart/fr.valdric.Ombrelune.desktop"_s);
        const QString folder = m_dir.filePath(u"100 %u \"à\" $HOME"_s);
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(QFile::copy(program(), folder + u"/ombo"_s));
        QVERIFY(QFile::copy(m_dir.filePath(u"prog/ombo.mdb"_s), folder + u"/ombo.mdb"_s));
        DesktopPlatform desktop;
        const QByteArray entry = loginEntry(folder + u"/ombo"_s);
        QVERIFY(!desktop.loginEntryExists() && desktop.setLoginEntry(entry) && desktop.loginEntryExists());
        QCOMPARE(readFile(path), entry);
        QCOMPARE(QProcess::execute(u"desktop-file-validate"_s, {path}), 0);

        QVERIFY(startService(u"close"_s, {u"actions"_s}));
        QCOMPARE(QProcess::execute(u"gio"_s, {u"launch"_s, path}), 0);
        QVERIFY(m_service.waitForReadyRead(20000));
        const QList<QJsonObject> calls = stopService();
        QCOMPARE(calls.size(), 1);
        QVERIFY(calls[0]["summary"].toString().startsWith(u"Ombrelune — "_s));
        QVERIFY(desktop.setLoginEntry({}) && !QFile::exists(path));
    }
};

QTEST_GUILESS_MAIN(TestNotifier)
#include "tst_notifier.moc"
