// The real `ombo --synchroniser` against a real CalDAV server (Radicale,
// started here on a free port with its own storage), with an independent
// client (python3-caldav) as the phone that edits the calendar between
// syncs, and a proxy that spoils the server's answers.
#include "AlmanacFixture.h"
#include "SyncServer.h"

#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;


class TestSync : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    Server m_radicale;
    int m_port = 0;
    QString m_calendar;

    QString file(const QString &name) const { return m_dir.filePath(name); }
    QString almanac() const { return file(u"ombo.mdb"_s); }

    bool startRadicale(Server &server, int port, const QStringList &extra = {u"--auth-type"_s, u"none"_s})
    {
        return ::startRadicale(server, port, file(u"storage"_s), extra);
    }

    Run ombo(QStringList args, const QString &folder = QString(), int timeoutSeconds = 10)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QString::fromLatin1(name));
        env.insert(u"OMBO_DELAI_SYNCHRO"_s, QString::number(timeoutSeconds));
        const QString dir = folder.isEmpty() ? m_dir.path() : folder;
        return run(dir + u"/ombo"_s, QStringList{u"--synchroniser"_s} + args, env);
    }

    QStringList phone(const QStringList &args, const QString &calendar = QString())
    {
        return phoneSays(calendar.isEmpty() ? m_calendar : calendar, args);
    }

    QVariant text(const QString &key, int field)
    {
        return withDatabase<QVariant>(almanac(), [&](QSqlDatabase &db) {
            QSqlQuery q(db);
            q.prepare(u"SELECT Evenement%1 FROM Evenements WHERE Date = ?"_s.arg(field));
            q.addBindValue(key);
            return q.exec() && q.next() ? q.value(0) : QVariant(u"?"_s);
        });
    }

    bool setText(const QString &key, int field, const QVariant &value)
    {
        return runSql(almanac(), {u"UPDATE Evenements SET Evenement%1 = ? WHERE Date = '%2'"_s.arg(field).arg(key)}, {value});
    }

    // Every text of the almanac, Null told apart from empty.
    QString allTexts()
    {
        return withDatabase<QString>(almanac(), [](QSqlDatabase &db) {
            QSqlQuery q(u"SELECT Date, Evenement1, Evenement2 FROM Evenements ORDER BY id"_s, db);
            QString all;
            while (q.next())
                for (int c = 0; c < 3; ++c)
                    all += q.value(c).isNull() ? u"<null>|"_s : q.value(c).toString() + u'|';
            return all;
        });
    }

private slots:
    void initTestCase()
    {
        for (const QString &module : {u"radicale"_s, u"caldav"_s})
            QVERIFY2(run(kPython, {u"-c"_s, u"import "_s + module}, QProcessEnvironment::systemEnvironment()).code == 0,
                     qPrintable(module));
        QVERIFY(QFile::copy(QStringLiteral(OMBO_PROGRAM), file(u"ombo"_s)));
        QVERIFY(QFile::copy(QStringLiteral(OMBO_SYNC_MODULE), file(u"ombo-synchro.so"_s)));
        // Ten days with texts, the rest empty: small enough for quick syncs.
        QVector<TestRow> days = fullYear();
        for (int i = 10; i < days.size(); ++i)
            days[i].ev1 = days[i].ev2 = QVariant(QMetaType::fromType<QString>());
        days[9].ev2 = QVariant(QMetaType::fromType<QString>());
        QVERIFY(writeAlmanac(almanac(), days));
        m_port = freePort();
        QVERIFY(startRadicale(m_radicale, m_port));
        m_calendar = phone({u"mkcal"_s, u"almanach"_s}, u"http://127.0.0.1:%1/"_s.arg(m_port)).value(0);
        QVERIFY(m_calendar.endsWith(u"/test/almanach/"_s));
    }

    // The first sync fills what is empty on either side, deletes nothing,
    // keeps both texts where they differ, and leaves other events alone.
    void firstSyncMerges()
    {
        phone({u"add"_s, u"0105-1@ombrelune"_s, u"20260105"_s, u"Du téléphone"_s});
        phone({u"add"_s, u"0110-2@ombrelune"_s, u"20260110"_s, u"Anniversaire, de Léa"_s});
        phone({u"add"_s, u"autre@phone"_s, u"20260301"_s, u"Rendez-vous"_s});
        const Run r = ombo({u"--serveur"_s, m_calendar, u"--utilisateur"_s, u"test"_s});
        QCOMPARE(r.code, 3);
        QCOMPARE(r.out, u"05/01 Événement 1 : ici « A 05/01 », sur le serveur « Du téléphone »\n"
                        "Synchronisation : 18 textes envoyés, 1 reçu, 0 supprimé, 1 conflit.\n"_s);
        QCOMPARE(text(u"05/01"_s, 1), QVariant(u"A 05/01"_s));
        QCOMPARE(text(u"10/01"_s, 2), QVariant(u"Anniversaire, de Léa"_s));
        const QStringList events = phone({u"list"_s});
        QCOMPARE(events.size(), 21);
        QVERIFY(events.contains(u"0105-1@ombrelune\tDu téléphone"_s));
        QVERIFY(events.contains(u"autre@phone\tRendez-vous"_s));
        QVERIFY(events.contains(u"0101-2@ombrelune\tB 01/01"_s));
        // The server's text came in as an ordinary write, kept in the history
        // with the server as the copy that wrote it.
        QCOMPARE(withDatabase<QString>(almanac(), [](QSqlDatabase &db) {
            QSqlQuery q(u"SELECT Apres, Copie FROM Historique WHERE Date = '10/01'"_s, db);
            return q.next() ? q.value(0).toString() + u'|' + q.value(1).toString() : QString();
        }), u"Anniversaire, de Léa|serveur 127.0.0.1"_s);
    }

    // Edits and deletions on each side reach the other, a text sent keeps
    // what the phone added to its event; the address is remembered; a sync
    // with nothing changed changes nothing.
    void twoWay()
    {
        phone({u"describe"_s, u"0104-1@ombrelune"_s, u"note du téléphone"_s});
        phone({u"set"_s, u"0105-1@ombrelune"_s, u"A 05/01"_s});  // the conflict settled
        phone({u"set"_s, u"0102-1@ombrelune"_s, u"modifié au téléphone"_s});
        phone({u"delete"_s, u"0103-2@ombrelune"_s});
        QVERIFY(setText(u"04/01"_s, 1, u"modifié ici\r\nsur deux lignes"_s));
        QVERIFY(setText(u"06/01"_s, 2, QVariant()));
        Run r = ombo({});
        QCOMPARE(r.err, QString());
        QCOMPARE(r.out, u"Synchronisation : 1 texte envoyé, 1 reçu, 2 supprimés, 0 conflit.\n"_s);
        QCOMPARE(r.code, 0);
        QCOMPARE(text(u"02/01"_s, 1), QVariant(u"modifié au téléphone"_s));
        QVERIFY(text(u"03/01"_s, 2).isNull());
        const QStringList events = phone({u"list"_s});
        QVERIFY(events.contains(u"0104-1@ombrelune\tmodifié ici\\nsur deux lignes\tnote du téléphone"_s));
        QVERIFY(!events.join(u'\n').contains(u"0106-2@"_s));
        QVERIFY(!events.join(u'\n').contains(u"0103-2@"_s));
        r = ombo({});
        QCOMPARE(r.out, u"Synchronisation : 0 texte envoyé, 0 reçu, 0 supprimé, 0 conflit.\n"_s);
        QCOMPARE(r.code, 0);
    }

    // A text changed on both sides: each side keeps its own until the user
    // chooses, sync after sync.
    void conflictKeepsBoth()
    {
        phone({u"set"_s, u"0107-1@ombrelune"_s, u"téléphone"_s});
        QVERIFY(setText(u"07/01"_s, 1, u"bureau"_s));
        for (int i = 0; i < 2; ++i) {
            const Run r = ombo({});
            QCOMPARE(r.code, 3);
            QVERIFY2(r.out.startsWith(u"07/01 Événement 1 : ici « bureau », sur le serveur « téléphone »\n"_s), qPrintable(r.out));
            QCOMPARE(text(u"07/01"_s, 1), QVariant(u"bureau"_s));
            QVERIFY(phone({u"list"_s}).contains(u"0107-1@ombrelune\ttéléphone"_s));
        }
        phone({u"set"_s, u"0107-1@ombrelune"_s, u"bureau"_s});
        QCOMPARE(ombo({}).code, 0);
    }

    // Each fault stops the sync with a numbered message and the almanac's
    // texts untouched; the next sync resumes.
    void faults_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("error");
        QTest::addColumn<int>("resumed");  // the next sync's exit code
        QTest::newRow("server stopped") << "stopped" << "Erreur N° 3401 - Le serveur de synchronisation ne répond pas" << 0;
        QTest::newRow("no answer in time") << "delay" << "Erreur N° 3401 - Le serveur de synchronisation ne répond pas : il n'a pas répondu à temps." << 0;
        QTest::newRow("connection cut") << "cut" << "Erreur N° 3401 - " << 0;
        QTest::newRow("malformed answer") << "garbage" << "Erreur N° 3406 - La réponse du serveur est illisible." << 0;
        QTest::newRow("endless answer") << "huge" << "Erreur N° 3406 - La réponse du serveur est trop grande." << 0;
        QTest::newRow("event changed meanwhile (412)") << "race" << "Erreur N° 3404 - " << 3;
        QTest::newRow("password refused (401)") << "htpasswd" << "Erreur N° 3402 - Le serveur refuse l'accès" << 0;
        QTest::newRow("calendar gone (404)") << "gone" << "Erreur N° 3403 - " << 0;
        QTest::newRow("http to another machine") << "insecure" << "Erreur N° 3407 - L'adresse « http://example.org/cal/ » est refusée" << 0;
    }
    void faults()
    {
        QFETCH(QString, how);
        QFETCH(QString, error);
        QFETCH(int, resumed);
        // A change waits on each side.
        const QString mine = u"ici, avant « %1 »"_s.arg(how), theirs = u"là-bas, avant « %1 »"_s.arg(how);
        QVERIFY(setText(u"08/01"_s, 1, mine));
        phone({u"set"_s, u"0108-2@ombrelune"_s, theirs});
        const QString before = allTexts();

        Server proxy, other;
        QStringList args;
        const int port = freePort();
        // The same server, reached through another port (a proxy, or a copy
        // of the server that asks for a password).
        auto reachThrough = [&](int to) {
            const QString through = QString(m_calendar).replace(u":%1/"_s.arg(m_port), u":%1/"_s.arg(to));
            return runSql(almanac(), {u"UPDATE SynchronisationServeur SET Url = ?, Calendrier = ?"_s}, {through, through});
        };
        QVERIFY(reachThrough(m_port));
        if (how == u"stopped"_s) {
            m_radicale.stop();
        } else if (how == u"htpasswd"_s) {
            QVERIFY(writeFile(file(u"htpasswd"_s), "test:secret\n"));
            QVERIFY(writeFile(file(u"password"_s), "wrong\n"));
            QVERIFY(startRadicale(other, port, {u"--auth-type"_s, u"htpasswd"_s, u"--auth-htpasswd-filename"_s,
                                                file(u"htpasswd"_s), u"--auth-htpasswd-encryption"_s, u"plain"_s}));
            QVERIFY(reachThrough(port));
            args = QStringList{u"--utilisateur"_s, u"test"_s, u"--mot-de-passe-fichier"_s, u"password"_s};
        } else if (how == u"gone"_s) {
            QVERIFY(runSql(almanac(), {u"UPDATE SynchronisationServeur SET Calendrier = Calendrier || 'disparu/'"_s}));
        } else if (how == u"insecure"_s) {
            args = QStringList{u"--serveur"_s, u"http://example.org/cal/"_s};
        } else {
            proxy.process.start(kPython, {kTests + u"/sync_proxy.py"_s, QString::number(port), QString::number(m_port), how});
            QVERIFY(waitForPort(port));
            QVERIFY(reachThrough(port));
        }
        QDir::setCurrent(m_dir.path());
        const Run r = ombo(args, QString(), how == u"delay"_s ? 1 : 10);
        QVERIFY2(r.err.startsWith(error), qPrintable(r.err));
        QCOMPARE(r.code, 1);
        QCOMPARE(r.out, QString());
        QCOMPARE(allTexts(), before);

        if (how == u"stopped"_s)
            QVERIFY(startRadicale(m_radicale, m_port));
        QVERIFY(reachThrough(m_port));
        const Run again = ombo({u"--serveur"_s, m_calendar});
        QCOMPARE(again.code, resumed);
        QCOMPARE(text(u"08/01"_s, 2), QVariant(theirs));
        if (resumed == 0) {
            QVERIFY(phone({u"list"_s}).contains(u"0108-1@ombrelune\t"_s + mine));
        } else {
            // The other client's change won the race: both texts are kept.
            QVERIFY(again.out.startsWith(u"08/01 Événement 1 : ici « %1 », sur le serveur « changé pendant »"_s.arg(mine)));
            phone({u"set"_s, u"0108-1@ombrelune"_s, mine});
            QCOMPARE(ombo({}).code, 0);
        }
    }

    // A sync killed while it sends: the next one sends the rest, and finds
    // the events already sent equal on both sides (no duplicate, no loss).
    void killedHalfWay()
    {
        QVERIFY(runSql(almanac(), {u"UPDATE Evenements SET Evenement1 = 'K ' || Date, Evenement2 = 'L ' || Date"
                                   " WHERE id BETWEEN 21 AND 80"_s}));
        const QString before = allTexts();
        QProcess killed;
        killed.start(file(u"ombo"_s), {u"--synchroniser"_s});
        QVERIFY(killed.waitForStarted());
        QThread::msleep(700);
        killed.kill();
        killed.waitForFinished();
        const Run r = ombo({});
        QCOMPARE(r.code, 0);
        QVERIFY2(r.out.contains(u" 0 reçu, 0 supprimé, 0 conflit."_s), qPrintable(r.out));
        QCOMPARE(allTexts(), before);
        const QStringList events = phone({u"list"_s});
        for (int i = 21; i <= 80; ++i) {
            const QString key = QDate(2004, 1, 1).addDays(i - 1).toString(u"dd/MM"_s);
            const QString uid = key.mid(3, 2) + key.left(2);
            QCOMPARE(events.filter(uid + u"-1@ombrelune\t"_s).size(), 1);
            QVERIFY(events.contains(uid + u"-2@ombrelune\tL "_s + key));
        }
    }

    // The program with its windows, as installed beside its modules: once
    // its window has painted, it loads the sync and brings the phone's edit in.
    void windowSyncsOnceShown()
    {
        QVERIFY(QFile::copy(QStringLiteral(OMBO_WINDOW_MODULE), file(u"ombo-fenetres.so"_s)));
        phone({u"set"_s, u"0109-2@ombrelune"_s, u"Vu par la fenêtre"_s});
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        env.remove(u"DBUS_SESSION_BUS_ADDRESS"_s);
        Server window;
        window.process.setProcessEnvironment(env);
        window.process.start(file(u"ombo"_s), QStringList());
        QTRY_COMPARE_WITH_TIMEOUT(text(u"09/01"_s, 2), QVariant(u"Vu par la fenêtre"_s), 20000);
    }

    // The address of a server's root: the calendar "Ombrelune" is made under
    // the user's calendars, then found again.
    void serverRoot()
    {
        QTemporaryDir other;
        QVERIFY(QFile::copy(file(u"ombo"_s), other.filePath(u"ombo"_s)));
        QVERIFY(QFile::copy(file(u"ombo-synchro.so"_s), other.filePath(u"ombo-synchro.so"_s)));
        QVERIFY(writeAlmanac(other.filePath(u"ombo.mdb"_s), {{u"01/01"_s, u"premier"_s, QVariant()}}));
        const QString root = u"http://127.0.0.1:%1/"_s.arg(m_port);
        QCOMPARE(ombo({u"--serveur"_s, root, u"--utilisateur"_s, u"test"_s}, other.path()).code, 0);
        QCOMPARE(phone({u"list"_s}, root + u"test/ombrelune/"_s), QStringList{u"0101-1@ombrelune\tpremier"_s});
        const Run again = ombo({}, other.path());
        QCOMPARE(again.out, u"Synchronisation : 0 texte envoyé, 0 reçu, 0 supprimé, 0 conflit.\n"_s);
    }
};

QTEST_GUILESS_MAIN(TestSync)
#include "tst_sync.moc"
