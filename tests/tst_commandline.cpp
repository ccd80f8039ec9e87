#include "AlmanacFixture.h"
#include "FakePlatform.h"
#include "app/CommandLine.h"
#include "core/Module1.h"
#include "store/AlmanacExport.h"
#include "ui/Booklet.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {
struct Run
{
    int code = -1;
    QString out, err;
};

QString tool(const char *name)
{
    return QStandardPaths::findExecutable(QString::fromLatin1(name), {QStringLiteral("/usr/bin")});
}

QString withoutSpaces(QString text)
{
    text.remove(QRegularExpression(QStringLiteral("\\s")));
    return text;
}

// Whether `wanted` is found in `text` in at most `pieces` consecutive
// pieces: a text longer than a page is broken by the page's title.
bool foundInPieces(const QString &text, const QString &wanted, int pieces)
{
    qsizetype at = 0;
    for (; at < wanted.size() && pieces > 0; --pieces) {
        qsizetype low = 0, high = wanted.size() - at;  // the longest piece from `at` found
        while (low < high) {
            const qsizetype mid = (low + high + 1) / 2;
            if (text.contains(QStringView(wanted).mid(at, mid)))
                low = mid;
            else
                high = mid - 1;
        }
        if (low == 0)
            return false;
        at += low;
    }
    return at == wanted.size();
}
}  // namespace

class TestCommandLine : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString base() const { return m_dir.filePath(QStringLiteral("ombo.mdb")); }
    QString file(const char *name) const { return m_dir.filePath(QString::fromLatin1(name)); }

    // The program, copied beside the test's almanac, run with `args` and
    // without a display unless the environment has one.
    Run ombo(const QStringList &args, bool noDisplay = true)
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        if (noDisplay)
            for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
                env.remove(QString::fromLatin1(name));
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(m_dir.path());
        p.start(m_dir.filePath(QStringLiteral("ombo")), args);
        Run r;
        if (!p.waitForFinished(60000))
            return r;
        r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.out = QString::fromUtf8(p.readAllStandardOutput());
        r.err = QString::fromUtf8(p.readAllStandardError());
        return r;
    }

    static Run runTool(const QString &program, const QStringList &args)
    {
        QProcess p;
        p.start(program, args);
        p.waitForFinished(60000);
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
    }

private slots:
    void initTestCase()
    {
        const QString program = m_dir.filePath(QStringLiteral("ombo"));
        QVERIFY(QFile::copy(QStringLiteral(OMBO_PROGRAM), program));
        QVERIFY(QFile::copy(QStringLiteral(OMBO_MODULE), m_dir.filePath(QStringLiteral("ombo-fenetres.so"))));
    }
    void init()
    {
        QFile::remove(base());
        Module1::reset();
    }

    void greeting_data()
    {
        QTest::addColumn<QDate>("today");
        QTest::addColumn<QString>("expected");
        QTest::newRow("New Year: no yesterday; control characters made harmless")
            << QDate(2005, 1, 1)
            << "Bonjour ! Nous sommes le Samedi 01/01/2005\n\nHier : \n    \n    \nCe jour :\n    A 01/01\n"
               "    B 01/01\nDemain :\n    deux lignes \uFFFD[31m\n    B 02/01\n";
        QTest::newRow("New Year's Eve: no tomorrow")
            << QDate(2005, 12, 31)
            << "Bonjour ! Nous sommes le Samedi 31/12/2005\n\nHier : \n    A 30/12\n    B 30/12\nCe jour :\n"
               "    A 31/12\n    B 31/12\nDemain :\n    \n    \n";
    }
    void greeting()
    {
        QFETCH(QDate, today);
        QFETCH(QString, expected);
        QVector<TestRow> days = fullYear();
        days[1].ev1 = QStringLiteral("deux\nlignes \x1b[31m");
        QVERIFY(writeAlmanac(base(), days));
        FakePlatform desktop;
        desktop.date = today;
        QString out, err;
        QTextStream o(&out), e(&err);
        QCOMPARE(printGreeting(m_dir.path(), o, e), 0);
        QCOMPARE(out, expected);
        QVERIFY(err.isEmpty());
    }

    // No display, no QApplication: the greeting works over ssh.
    void greetingProcessWithoutDisplay()
    {
        QVERIFY(writeAlmanac(base(), fullYear()));
        const Run r = ombo({QStringLiteral("--aujourdhui")});
        QCOMPARE(r.code, 0);
        const QStringList lines = r.out.split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 12);  // eleven lines, each ended
        QVERIFY(lines[0].startsWith(QStringLiteral("Bonjour ! Nous sommes le ")));
        QCOMPARE(lines[5], QStringLiteral("Ce jour :"));
        QCOMPARE(lines[6], QStringLiteral("    A ") + QDate::currentDate().toString(QStringLiteral("dd/MM")));
        QCOMPARE(r.err, QString());
    }

    void options_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        QTest::newRow("missing almanac") << QStringList{"--aujourdhui"} << 1 << "" << "Erreur N° 14 - ";
        QTest::newRow("help") << QStringList{"--help"} << 0 << "Usage : ombo" << "";
        QTest::newRow("version") << QStringList{"--version"} << 0 << "Ombrelune version 1.00" << "";
        QTest::newRow("unknown option") << QStringList{"--inconnue"} << 2 << "" << "option inconnue « --inconnue »";
        QTest::newRow("export with no file") << QStringList{"--exporter"} << 2 << "" << "Usage : ombo";
        QTest::newRow("export to an unknown kind") << QStringList{"--exporter", "a.doc"} << 2 << "" << "Usage : ombo";
        QTest::newRow("two policies") << QStringList{"--importer", "a.csv", "--ajouter", "--remplacer"} << 2 << ""
                                      << "Usage : ombo";
    }
    void options()
    {
        QFETCH(QStringList, args);
        QFETCH(int, code);
        QFETCH(QString, out);
        QFETCH(QString, err);
        const Run r = ombo(args);
        QCOMPARE(r.code, code);
        QVERIFY2(out.isEmpty() ? r.out.isEmpty() : r.out.startsWith(out), qPrintable(r.out));
        QVERIFY2(err.isEmpty() ? r.err.isEmpty() : r.err.contains(err), qPrintable(r.err));
    }

    // The exported .ics read by python3-icalendar: each text on its day this
    // year and next, 29/02 in leap years only.
    void icsReadByIcalendar()
    {
        const QVector<TestRow> days = oddAlmanac();
        QVERIFY(writeAlmanac(base(), days));
        QCOMPARE(ombo({QStringLiteral("--exporter"), QStringLiteral("a.ics")}).code, 0);
        QJsonArray expected;
        for (const DayRow &row : dayRows(days)) {
            int month = 0, day = 0;
            QVERIFY(monthDayOf(row.key, &month, &day));
            for (const QVariant &t : {row.text1, row.text2})
                if (!t.toString().isEmpty())
                    expected.append(QJsonArray{month, day, t.toString().replace(QStringLiteral("\r\n"), QStringLiteral("\n"))});
        }
        QVERIFY(writeFile(file("attendu.json"), QJsonDocument(expected).toJson()));
        const QString python = tool("python3");
        QVERIFY2(!python.isEmpty(), "python3 (with python3-icalendar) is needed");
        const Run check = runTool(python, {QStringLiteral(OMBO_SOURCE_DIR "/tests/check_ics.py"), file("a.ics"),
                                           file("attendu.json"), QString::number(QDate::currentDate().year())});
        QVERIFY2(check.code == 0, qPrintable(check.out + check.err));
    }

    // Debian's calendar shows an exported day, continuation lines included.
    void calendarShowsADay()
    {
        QVERIFY(writeAlmanac(base(), oddAlmanac()));
        QCOMPARE(ombo({QStringLiteral("--exporter"), QStringLiteral("a.txt")}).code, 0);
        const QString calendar = tool("calendar");
        QVERIFY2(!calendar.isEmpty(), "Debian's calendar is needed");
        const int year = QDate::currentDate().year();
        const Run r = runTool(calendar, {QStringLiteral("-f"), file("a.txt"), QStringLiteral("-t"),
                                         QStringLiteral("%1").arg(year) + QStringLiteral("0103"), QStringLiteral("-A"),
                                         QStringLiteral("0")});
        // calendar leaves out a continuation line that holds nothing.
        QCOMPARE(r.out, QStringLiteral("Jan 03 \tligne 1\n\tligne 2\n\t  ligne 4\n"
                                       "Jan 03 \tantislash \\ et \\n littéral\n"));
        const Run r2 = runTool(calendar, {QStringLiteral("-f"), file("a.txt"), QStringLiteral("-t"),
                                          QStringLiteral("%1").arg(year) + QStringLiteral("0106"), QStringLiteral("-A"),
                                          QStringLiteral("0")});
        QVERIFY2(r2.out.contains(QStringLiteral("\t/\u2060* pas un commentaire *\u2060/ // ni ça")), qPrintable(r2.out));
    }

    // The booklet: twelve months or more, every day key and every text
    // found by pdftotext (texts in scripts the PDF's fonts lack aside).
    void bookletText()
    {
        const QList<DayRow> rows = dayRows(oddAlmanac());
        QString error;
        QVERIFY(writeBookletPdf(file("a.pdf"), rows, QDate(2026, 12, 7), &error));
        const Run info = runTool(tool("pdfinfo"), {file("a.pdf")});
        const int pages = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(info.out).captured(1).toInt();
        QVERIFY2(pages >= 12, qPrintable(info.out + info.err));
        const QString text = withoutSpaces(runTool(tool("pdftotext"), {QStringLiteral("-raw"), file("a.pdf"), QStringLiteral("-")}).out);
        for (const char *month : {"Janvier", "Février", "Août", "Décembre"})
            QVERIFY(text.contains(QString::fromUtf8(month)));
        QVERIFY(text.contains(QStringLiteral("29/02(annéesbissextiles)bissextile")));
        for (const DayRow &row : rows) {
            QVERIFY2(text.contains(row.key), qPrintable(row.key));
            for (const QVariant &t : {row.text1, row.text2}) {
                const QString s = t.toString();
                if (std::any_of(s.begin(), s.end(), [](QChar c) { return c.unicode() >= 0x3000; }))
                    continue;
                QVERIFY2(foundInPieces(text, withoutSpaces(s), 1 + int(s.size() / 1000)),
                         qPrintable(row.key + QLatin1Char(' ') + s.left(60)));
            }
        }
        // The command line writes it too, with no display.
        QVERIFY(writeAlmanac(base(), fullYear()));
        QCOMPARE(ombo({QStringLiteral("--exporter"), QStringLiteral("b.pdf")}).code, 0);
        QVERIFY(readFile(file("b.pdf")).startsWith("%PDF"));
    }

    void importCommand_data()
    {
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("err");
        QTest::addColumn<QString>("stored");
        QTest::newRow("written") << QByteArray("Date,Evenement1\n05/01,neuf\n") << 0 << "" << "A 05/01 ; neuf";
        QTest::newRow("malformed third line: nothing written")
            << QByteArray("Date,Evenement1\n05/01,neuf\n06/01,\"jamais fermé\n") << 1 << "Ligne 3 : " << "A 05/01";
    }
    void importCommand()
    {
        QFETCH(QByteArray, csv);
        QFETCH(int, code);
        QFETCH(QString, err);
        QFETCH(QString, stored);
        QVERIFY(writeAlmanac(base(), fullYear()));
        QVERIFY(writeFile(file("in.csv"), csv));
        const Run r = ombo({QStringLiteral("--importer"), QStringLiteral("in.csv"), QStringLiteral("--ajouter")});
        QCOMPARE(r.code, code);
        QVERIFY2(err.isEmpty() ? r.err.isEmpty() : r.err.contains(err), qPrintable(r.err));
        QCOMPARE(readField(base(), 5, QStringLiteral("Evenement1")).toString(), stored);
    }
};

QTEST_MAIN(TestCommandLine)
#include "tst_commandline.moc"
