// The real `ombo` process with no display, its clock set by faketime, and
// what it exports read back by independent tools: python3-icalendar,
// calendar(1) and pdftotext.
#include "AlmanacFixture.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {
struct Run
{
    int code = -1;
    QString out, err;
};

Run run(const char *program, const QStringList &args, const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment())
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(u"/usr/bin/"_s + QLatin1String(program), args);
    const bool ended = p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit;
    return {ended ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

QString withoutSpaces(QString text)
{
    return text.remove(QRegularExpression(u"\\s"_s));
}
}  // namespace

class TestCommandLine : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString file(const char *name) const { return m_dir.filePath(QString::fromLatin1(name)); }

    // The program, copied beside the test's almanac, run at noon on `day`
    // without a display.
    Run ombo(const QStringList &args, QDate day = QDate(2026, 12, 7), const QString &lang = QString())
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        if (!lang.isEmpty()) {
            env.remove(u"LC_ALL"_s);
            env.insert(u"LANG"_s, lang);
        }
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QString::fromLatin1(name));
        // In a sanitized build, faketime's library is loaded before ASan's.
        env.insert(u"ASAN_OPTIONS"_s, env.value(u"ASAN_OPTIONS"_s) + u":verify_asan_link_order=0"_s);
        return run("faketime", QStringList{u"-m"_s, day.toString(Qt::ISODate) + u" 12:00:00"_s, file("ombo")} + args, env);
    }

private slots:
    void initTestCase()
    {
        for (const char *needed : {"faketime", "python3", "calendar", "pdftotext"})
            QVERIFY2(QFile::exists(u"/usr/bin/"_s + QLatin1String(needed)), needed);
        QVERIFY(QFile::copy(QStringLiteral(OMBO_PROGRAM), file("ombo")));
        QVERIFY(QFile::copy(QStringLiteral(OMBO_MODULE), file("ombo-fenetres.so")));
        QVERIFY(QFile::copy(QStringLiteral(OMBO_BOOKLET_MODULE), file("ombo-impression.so")));
        QVERIFY(writeFile(file("in.csv"), "Date,Evenement1\n05/01,neuf\n"));
        QVERIFY(writeFile(file("bad.csv"), "Date,Evenement1\n05/01,neuf\n06/01,\"jamais fermé\n"));
        QDir::setCurrent(m_dir.path());
    }
    void init() { QFile::remove(file("ombo.mdb")); }

    // Each run on `today`, with an almanac unless `stored` is empty.
    void options_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QDate>("today");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("out");  // how the output begins
        QTest::addColumn<QString>("err");  // found in the first line of the errors
        QTest::addColumn<QString>("stored");  // 05/01's first text after
        QTest::addColumn<QString>("lang");
        const QStringList greet{"--aujourdhui"};
        const QDate day(2026, 12, 7);
        const QString usage = u"Utilisation : ombo"_s, noDisplay = u"ombo : aucun affichage graphique"_s;
        QTest::newRow("greeting on New Year: no yesterday; control characters made harmless")
            << greet << QDate(2005, 1, 1) << 0
            << "Bonjour ! Nous sommes le Samedi 01/01/2005\n\nHier : \n    \n    \nCe jour :\n    A 01/01\n    B 01/01\n"
               "Demain :\n    deux lignes \uFFFD[31m\n    B 02/01\n" << "" << "A 05/01" << "";
        QTest::newRow("greeting on New Year's Eve: no tomorrow")
            << greet << QDate(2004, 12, 31) << 0
            << "Bonjour ! Nous sommes le Vendredi 31/12/2004\n\nHier : \n    A 30/12\n    B 30/12\nCe jour :\n    A 31/12\n"
               "    B 31/12\nDemain :\n    \n    \n" << "" << "A 05/01" << "";
        QTest::newRow("missing almanac") << greet << day << 1 << "" << "Erreur N° 14 - " << "" << "";
        QTest::newRow("help") << QStringList{"--help"} << day << 0 << usage << "" << "A 05/01" << "";
        QTest::newRow("version") << QStringList{"--version"} << day << 0 << "Ombrelune version 1.00" << "" << "A 05/01" << "";
        QTest::newRow("unknown option") << QStringList{"--inconnue"} << day << 2 << "" << "ombo : option inconnue « --inconnue »" << "A 05/01" << "";
        QTest::newRow("export to an unknown kind") << QStringList{"--exporter", "a.doc"} << day << 2 << "" << "ombo : --exporter attend un fichier .ics" << "A 05/01" << "";
        QTest::newRow("two policies") << QStringList{"--importer", "in.csv", "--ajouter", "--remplacer"} << day << 2 << ""
                                      << "ombo : une seule règle à la fois : --ajouter ou --remplacer." << "A 05/01" << "";
        QTest::newRow("import written and listed")
            << QStringList{"--importer", "in.csv", "--ajouter"} << day << 0
            << "05/01 Événement 1 : « A 05/01 » → « A 05/01 ; neuf »\n1 texte modifié (Ajouter à la suite)." << "" << "A 05/01 ; neuf" << "";
        QTest::newRow("malformed third line: nothing written")
            << QStringList{"--importer", "bad.csv", "--ajouter"} << day << 1 << "" << "ombo : le fichier « " << "A 05/01" << "";
        QTest::newRow("-h") << QStringList{"-h"} << day << 0 << usage << "" << "A 05/01" << "";
        QTest::newRow("windows without a display") << QStringList{} << day << 1 << "" << noDisplay << "A 05/01" << "";
        QTest::newRow("greeting window without a display") << QStringList{"--accueil"} << day << 1 << "" << noDisplay << "A 05/01" << "";
        QTest::newRow("an option that takes no argument")
            << QStringList{"--accueil", "--inconnu"} << day << 2 << "" << "ombo : --accueil ne prend pas d'argument (« --inconnu »)."
            << "A 05/01" << "";
        QTest::newRow("import without a file") << QStringList{"--importer", "--ajouter"} << day << 2 << ""
                                               << "ombo : --importer attend le fichier à importer." << "A 05/01" << "";
        QTest::newRow("export with a policy") << QStringList{"--exporter", "a.csv", "--remplacer"} << day << 2 << ""
                                              << "ombo : --exporter attend un seul fichier (« --remplacer » en trop)." << "A 05/01" << "";
        // The system's reason in French: from Qt's translations, and from the C library's.
        QTest::newRow("a missing file") << QStringList{"--importer", "absent.csv"} << day << 1 << ""
                                        << "absent.csv » ne peut pas être lu : Aucun fichier ou dossier." << "A 05/01" << "fr_FR.UTF-8";
        QTest::newRow("a file under a file") << QStringList{"--importer", "in.csv/a.csv"} << day << 1 << ""
                                             << "a.csv » ne peut pas être lu : N'est pas un dossier." << "A 05/01" << "fr_FR.UTF-8";
    }
    void options()
    {
        QFETCH(QStringList, args);
        QFETCH(QDate, today);
        QFETCH(int, code);
        QFETCH(QString, out);
        QFETCH(QString, err);
        QFETCH(QString, stored);
        QFETCH(QString, lang);
        QVector<TestRow> days = fullYear();
        days[1].ev1 = u"deux\nlignes \x1b[31m"_s;
        QVERIFY(stored.isEmpty() || writeAlmanac(file("ombo.mdb"), days));
        const Run r = ombo(args, today, lang);
        QVERIFY2(out.isEmpty() ? r.out.isEmpty() : r.out.startsWith(out), qPrintable(r.out));
        QVERIFY2(err.isEmpty() ? r.err.isEmpty() : r.err.section(u'\n', 0, 0).contains(err), qPrintable(r.err));
        QCOMPARE(r.code, code);
        QCOMPARE(readField(file("ombo.mdb"), 5, u"Evenement1"_s).toString(), stored);
    }

    // The CSV export is the backup: exported, then imported under
    // "Remplacer" into the same almanac with its texts cleared, it gives
    // back every stored value exactly (Null, empty, line ends, a key that
    // is no day). The .txt export says what it leaves out and exits 1.
    void backupRoundTrip()
    {
        QVector<TestRow> days = oddAlmanac();
        days.insert(359, {u"Noël"_s, u"réveillon"_s, QVariant(QMetaType::fromType<QString>())});
        QVERIFY(writeAlmanac(file("ombo.mdb"), days));
        auto dump = [this] {
            return withDatabase<QStringList>(file("ombo.mdb"), [](QSqlDatabase &db) {
                QStringList rows;
                QSqlQuery q(u"SELECT Date, quote(Evenement1), quote(Evenement2) FROM Evenements ORDER BY id"_s, db);
                while (q.next())
                    rows << q.value(0).toString() + u'|' + q.value(1).toString() + u'|' + q.value(2).toString();
                return rows;
            });
        };
        const QStringList before = dump();
        const Run exported = ombo({u"--exporter"_s, u"a.csv"_s});
        QCOMPARE(exported.code, 0);
        QCOMPARE(exported.err, QString());
        QVERIFY(runSql(file("ombo.mdb"), {u"UPDATE Evenements SET Evenement1 = NULL, Evenement2 = 'x'"_s}));
        const Run imported = ombo({u"--importer"_s, u"a.csv"_s, u"--remplacer"_s});
        QVERIFY2(imported.code == 0, qPrintable(imported.err));
        QCOMPARE(dump(), before);

        const Run text = ombo({u"--exporter"_s, u"a.txt"_s});
        QCOMPARE(text.code, 1);
        QVERIFY(text.out.startsWith(u"L'almanach est exporté dans"_s));
        QCOMPARE(text.err, u"1 ligne sans date lisible n'a pas été exportée : « Noël ».\n"_s);
        QVERIFY(readFile(file("a.txt")).contains("12/24\tA 24/12\n"));
    }

    // python3-icalendar reads each text of the almanac on its day in 2026
    // and 2027, 29/02 in leap years only; check_ics.py also checks the
    // folding and line ends.
    void icsReadByIcalendar()
    {
        QVERIFY(writeAlmanac(file("ombo.mdb"), oddAlmanac()));
        QCOMPARE(ombo({u"--exporter"_s, u"a.ics"_s}).code, 0);
        const Run check = run("python3", {QStringLiteral(OMBO_SOURCE_DIR "/tests/check_ics.py"), file("a.ics"),
                                          file("ombo.mdb"), u"2026"_s});
        QVERIFY2(check.code == 0, qPrintable(check.out + check.err));
    }

    // calendar(1) shows an exported day, continuation lines included.
    void calendarShowsADay()
    {
        QVERIFY(writeAlmanac(file("ombo.mdb"), oddAlmanac()));
        QCOMPARE(ombo({u"--exporter"_s, u"a.txt"_s}).code, 0);
        auto shown = [this](const QString &day) { return run("calendar", {u"-f"_s, file("a.txt"), u"-t"_s, day, u"-A"_s, u"0"_s}).out; };
        // calendar leaves out a continuation line that holds nothing.
        QCOMPARE(shown(u"20260103"_s), u"Jan 03 \tligne 1\n\tligne 2\n\t  ligne 4\nJan 03 \tantislash \\ et \\n littéral\n"_s);
        QVERIFY(shown(u"20260106"_s).contains(u"\t/\u2060* pas un commentaire *\u2060/ // ni ça"_s));
    }

    // The booklet: every day key and every text found by pdftotext (texts
    // in scripts the PDF's fonts lack aside); the text longer than a page
    // goes on over the next ones, no line lost.
    void bookletText()
    {
        const QVector<TestRow> days = oddAlmanac();
        QVERIFY(writeAlmanac(file("ombo.mdb"), days));
        QCOMPARE(ombo({u"--exporter"_s, u"a.pdf"_s}).code, 0);
        const QString text = withoutSpaces(run("pdftotext", {u"-raw"_s, file("a.pdf"), u"-"_s}).out);
        QVERIFY(text.contains(u"29/02(annéesbissextiles)bissextile"_s));
        QCOMPARE(text.count(u"Joursdelasemainede2026"_s), 12 + text.count(u"(suite)"_s));  // on every page
        for (const DayRow &row : dayRows(days)) {
            QVERIFY2(text.contains(row.key), qPrintable(row.key));
            for (const QString &s : {row.text1.toString(), row.text2.toString()})
                if (s.size() < 1000 && std::none_of(s.begin(), s.end(), [](QChar c) { return c.unicode() >= 0x3000; }))
                    QVERIFY2(text.contains(withoutSpaces(s)), qPrintable(row.key + u' ' + s));
        }
        QCOMPARE(text.count(u"Geneviève"_s), days[5].ev1.toString().count(u"Geneviève"_s));
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
