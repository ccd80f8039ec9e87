// The greeting at login: `ombo --notifier` against a stand-in notification
// service on a private session bus, and the autostart entry.
#include "AlmanacFixture.h"
#include "FakePlatform.h"
#include "app/DesktopPlatform.h"
#include "core/Module1.h"
#include "app/NotifierMode.h"
#include "ui/LoginGreeting.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {
const QString kWeekdays[] = {"Lundi", "Mardi", "Mercredi", "Jeudi", "Vendredi", "Samedi", "Dimanche"};
const QString kMarkup = QStringLiteral("<i>fête</i> & co");
}  // namespace

class TestNotifier : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QProcess m_bus, m_service;
    QString m_address;
    QVector<TestRow> m_lines;
    int m_today = -1;  // today's row in the almanac

    QString folder() const { return m_dir.filePath(QStringLiteral("prog")); }

    // Starts the stand-in service; it answers each notification with `answer`.
    bool startService(const QString &answer, const QStringList &caps)
    {
        m_service.setProgram(QStringLiteral(FAKE_NOTIFICATIONS));
        m_service.setArguments(QStringList{answer} + caps);
        m_service.start();
        return m_service.waitForReadyRead(10000) && m_service.readLine().trimmed() == "ready";
    }
    void stopService()
    {
        m_service.kill();
        m_service.waitForFinished();
    }
    QList<QJsonObject> notifyCalls()
    {
        QList<QJsonObject> calls;
        m_service.waitForReadyRead(2000);  // what the service wrote meanwhile
        for (const QByteArray &line : m_service.readAllStandardOutput().split('\n'))
            if (!line.trimmed().isEmpty())
                calls << QJsonDocument::fromJson(line).object();
        return calls;
    }

private slots:
    void initTestCase()
    {
        // A bus of our own that activates nothing: no real service can answer.
        const QString config = m_dir.filePath(QStringLiteral("bus.conf"));
        QVERIFY(writeFile(config, QStringLiteral(
            "<busconfig><type>session</type><listen>unix:dir=%1</listen>"
            "<policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
            "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>").arg(m_dir.path()).toUtf8()));
        m_bus.start(QStringLiteral("dbus-daemon"), {"--config-file=" + config, "--print-address=1", "--nofork"});
        QVERIFY2(m_bus.waitForReadyRead(10000), "dbus-daemon did not start");
        m_address = QString::fromUtf8(m_bus.readLine().trimmed());
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_address.toUtf8());

        // The program and an almanac of its own, today's first text with markup.
        QVERIFY(QDir().mkpath(folder()));
        QVERIFY(QFile::copy(QStringLiteral(OMBO_PROGRAM), folder() + QStringLiteral("/ombo")));
        QFile::setPermissions(folder() + QStringLiteral("/ombo"), QFile::ReadOwner | QFile::ExeOwner);
        m_lines = fullYear();
        const QString key = QDate::currentDate().toString(QStringLiteral("dd/MM"));
        for (int i = 0; i < m_lines.size(); ++i)
            if (m_lines[i].date.toString() == key)
                m_today = i;
        m_lines[m_today].ev1 = kMarkup;
        QVERIFY(writeAlmanac(folder() + QStringLiteral("/ombo.mdb"), m_lines));
    }
    void cleanupTestCase()
    {
        stopService();
        m_bus.kill();
        m_bus.waitForFinished();
    }

    void notifierProcess_data()
    {
        QTest::addColumn<QString>("service");  // "markup", "plain", "none" or "no bus"
        QTest::newRow("service reading markup") << "markup";
        QTest::newRow("service showing plain text") << "plain";
        QTest::newRow("no service") << "none";
        QTest::newRow("no session bus") << "no bus";
    }
    void notifierProcess()
    {
        QFETCH(QString, service);
        if (service == QLatin1String("markup") || service == QLatin1String("plain")) {
            QStringList caps{QStringLiteral("actions")};
            if (service == QLatin1String("markup"))
                caps << QStringLiteral("body-markup");
            QVERIFY(startService(QStringLiteral("close"), caps));
        }
        QProcess ombo;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("DISPLAY"));  // needs no window system
        if (service == QLatin1String("no bus"))
            env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), "unix:path=" + m_dir.filePath("nobus"));
        ombo.setProcessEnvironment(env);
        ombo.start(folder() + QStringLiteral("/ombo"), {QStringLiteral("--notifier")});
        QVERIFY(ombo.waitForFinished(20000));
        QCOMPARE(ombo.exitStatus(), QProcess::NormalExit);
        QCOMPARE(ombo.exitCode(), 0);
        const QString err = QString::fromUtf8(ombo.readAllStandardError());

        if (service == QLatin1String("none") || service == QLatin1String("no bus")) {
            QVERIFY2(err.contains(QStringLiteral("aucun service de notifications")), qPrintable(err));
            return;
        }
        const QList<QJsonObject> calls = notifyCalls();
        stopService();
        QCOMPARE(calls.size(), 1);
        const QDate today = QDate::currentDate();
        QCOMPARE(calls[0]["summary"].toString(), QStringLiteral("Ombrelune — ") + kWeekdays[today.dayOfWeek() - 1]
                                                     + QLatin1Char(' ') + today.toString(QStringLiteral("dd/MM")));
        const QString ev1 = service == QLatin1String("markup") ? kMarkup.toHtmlEscaped() : kMarkup;
        QString expected = QStringLiteral("Ce jour :\n") + ev1 + QLatin1Char('\n')
                           + m_lines[m_today].ev2.toString() + QStringLiteral("\nDemain :");
        if (m_today + 1 < m_lines.size())  // no row after the year's last
            expected += QLatin1Char('\n') + m_lines[m_today + 1].ev1.toString() + QLatin1Char('\n')
                        + m_lines[m_today + 1].ev2.toString();
        QCOMPARE(calls[0]["body"].toString(), expected);
        QCOMPARE(calls[0]["icon"].toString(), QStringLiteral("fr.valdric.Ombrelune"));
        QCOMPARE(calls[0]["actions"].toArray().at(1).toString(), QStringLiteral("Ouvrir"));
    }

    void desktopHearsTheAnswer_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<int>("expected");
        QTest::newRow("Ouvrir") << "open" << int(NoticeAnswer::Open);
        QTest::newRow("closed") << "close" << int(NoticeAnswer::Closed);
    }
    void desktopHearsTheAnswer()
    {
        QFETCH(QString, answer);
        QFETCH(int, expected);
        QVERIFY(startService(answer, {QStringLiteral("actions")}));
        DesktopPlatform desktop;
        QElapsedTimer waited;
        waited.start();
        QCOMPARE(int(desktop.notify(QStringLiteral("titre"), QStringLiteral("texte"))), expected);
        QVERIFY(waited.elapsed() < 10000);
        stopService();
    }

    void ouvrirStartsTheGreeting_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QStringList>("events");
        QTest::newRow("Ouvrir") << int(NoticeAnswer::Open) << QStringList{"notify", "start"};
        QTest::newRow("closed") << int(NoticeAnswer::Closed) << QStringList{"notify"};
    }
    void ouvrirStartsTheGreeting()
    {
        QFETCH(int, answer);
        QFETCH(QStringList, events);
        FakePlatform desktop;
        desktop.folder = folder();
        desktop.date = QDate(2004, 1, 5);
        desktop.answer = NoticeAnswer(answer);
        Module1::reset();
        QCOMPARE(notifyToday(), 0);
        QCOMPARE(desktop.events, events);
        if (!desktop.starts.isEmpty())
            QCOMPARE(desktop.starts, QList<QStringList>{{QStringLiteral("--accueil")}});
    }

    void loginEntryWrittenAndRemoved()
    {
        qputenv("XDG_CONFIG_HOME", m_dir.filePath(QStringLiteral("config")).toUtf8());
        const QString path = m_dir.filePath(QStringLiteral("config/autostart/fr.valdric.Ombrelune.desktop"));
        QCOMPARE(Platform::loginEntryPath(), path);
        DesktopPlatform desktop;
        QVERIFY(!desktop.loginEntryExists());
        const QByteArray entry = loginEntry(QStringLiteral("/opt/mes programmes/\"o$mbo"));
        QVERIFY(entry.contains("Exec=\"/opt/mes programmes/\\\\\"o\\\\$mbo\" --notifier"));
        QVERIFY(desktop.setLoginEntry(entry));
        QVERIFY(desktop.loginEntryExists());
        QCOMPARE(readFile(path), entry);
        const QString validate = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
        if (!validate.isEmpty()) {
            QProcess check;
            check.start(validate, {path});
            QVERIFY(check.waitForFinished());
            QVERIFY2(check.exitCode() == 0, check.readAllStandardOutput().constData());
        }
        QVERIFY(desktop.setLoginEntry({}));
        QVERIFY(!QFile::exists(path));
        QVERIFY(!desktop.loginEntryExists());
    }
};

QTEST_GUILESS_MAIN(TestNotifier)
#include "tst_notifier.moc"
