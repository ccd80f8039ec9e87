// The almanac that ships with the program and its builder (mkalmanac): the
// text file, the database made from it, and the user's almanac, never replaced.
#include "AlmanacFixture.h"
#include "data/AlmanacFile.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <thread>

namespace {
// The shipped file, one entry a line, and back.
QList<QByteArray> shippedLines() { return readFile(QStringLiteral(ALMANAC_TSV)).chopped(1).split('\n'); }
QByteArray joined(const QList<QByteArray> &lines) { return lines.join('\n') + '\n'; }

QStringList entries(const QString &dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::Dirs | QDir::NoDotAndDotDot);
}
}  // namespace

class TestAlmanacData : public QObject
{
    Q_OBJECT

private slots:
    // The build gives the database the shipped file's days in calendar order,
    // a first text each, texts of 30 characters at most, empty ones as Null.
    void shippedFileBuildsTheDatabase()
    {
        QTemporaryDir dir;
        const QString target = dir.filePath(QStringLiteral("ombo.mdb"));
        QString message;
        QCOMPARE(AlmanacFile::build(QStringLiteral(ALMANAC_TSV), target, &message), AlmanacFile::Outcome::Written);
        QCOMPARE(entries(dir.path()), QStringList{QStringLiteral("ombo.mdb")});  // nothing left over
        QVERIFY(QFileInfo(target).permissions().testFlag(QFileDevice::ReadOther));
        const QList<QByteArray> lines = shippedLines();
        for (int i = 0; i < 367; ++i) {
            const QList<QByteArray> f = lines.value(i).split('\t');
            const QString key = i < 366 ? QDate(2004, 1, 1).addDays(i).toString(QStringLiteral("dd/MM")) : QString();
            QCOMPARE(readField(target, i + 1, "Date").toString(), key);
            QCOMPARE(QString::fromUtf8(f.value(0)), key);
            for (int c : {1, 2}) {
                const QVariant v = readField(target, i + 1, QStringLiteral("Evenement%1").arg(c));
                QCOMPARE(v.toString(), QString::fromUtf8(f.value(c)));
                QVERIFY2(v.isNull() == f.value(c).isEmpty() && v.toString().size() <= 30 && (c == 2 || i == 366 || !v.isNull()), lines.value(i).constData());
            }
        }
    }

    // The tool, as the build runs it: what is already in the almanac's place,
    // or appears there while it works, is never replaced; a faulty text file
    // is refused with its line, and nothing is made. The exit status decides
    // whether the build goes on.
    void tool_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QByteArray>("text");   // the text file written first, for "text"
        QTest::addColumn<QStringList>("args");  // %d: the temporary folder
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("says");      // a pattern
        const QString tsv = QStringLiteral(ALMANAC_TSV), target = QStringLiteral("%d/ombo.mdb"), kept = QStringLiteral("already exists: kept");
        QTest::newRow("fresh") << "" << QByteArray() << QStringList{tsv, target} << 0 << "written";
        QTest::newRow("foreign file") << "foreign" << QByteArray() << QStringList{tsv, target} << 0 << kept;
        QTest::newRow("no text file at all") << "foreign" << QByteArray() << QStringList{"/nonexistent/almanac.tsv", target} << 0 << kept;
        QTest::newRow("appears while building") << "appears" << QByteArray() << QStringList{"%d/almanac.tsv", target} << 0 << kept;
        QTest::newRow("folder") << "folder" << QByteArray() << QStringList{tsv, target} << 1 << "not a regular file";
        QTest::newRow("dangling link") << "link" << QByteArray() << QStringList{tsv, target} << 1 << "not a regular file";
        QTest::newRow("text file missing") << "" << QByteArray() << QStringList{"%d/none.tsv", target} << 1 << "cannot read";
        QTest::newRow("folder missing") << "" << QByteArray() << QStringList{tsv, "%d/sub/ombo.mdb"} << 1 << "cannot create";
        QTest::newRow("one argument") << "" << QByteArray() << QStringList{tsv} << 2 << "usage";

        const QList<QByteArray> good = shippedLines();
        auto with = [&](int line, const QByteArray &text) {
            QList<QByteArray> l = good;
            l[line - 1] = text;
            return joined(l);
        };
        auto faulty = [&](const char *name, const QByteArray &text, const char *says) {
            QTest::newRow(name) << "text" << text << QStringList{"%d/almanac.tsv", target} << 1 << says;
        };
        QList<QByteArray> noLeapDay = good, swapped = good;
        noLeapDay.removeAt(59);
        swapped.swapItemsAt(9, 10);
        faulty("leap day missing", joined(noLeapDay), "line 60: .*29/02");
        faulty("last day missing", joined(good.mid(0, 365)), "stops after line 365.*31/12");
        faulty("duplicate", with(101, good[99]), "line 101: .*line 100");
        faulty("out of order", joined(swapped), "line 10: .*11/01");
        faulty("two fields", with(200, "18/07\tSt Frédéric"), "line 200: 2 field");
        faulty("not a day", with(61, "30/02\tx\t"), "line 61: .*30/02");
        faulty("cut sequence at line end", with(153, "01/06\tSt Justin\t\xc3"), "line 153: .*UTF-8");
        faulty("byte order mark", with(1, "\xef\xbb\xbf" + good[0]), "line 1: .*01/01");
        faulty("control character", with(7, "07/01\tSt\x01Raymond\t"), "line 7: .*control");
        faulty("CRLF line ends", good.join("\r\n") + "\r\n", "line 1: .*carriage return");
    }
    void tool()
    {
        QFETCH(QString, kind);
        QFETCH(QByteArray, text);
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QString, says);
        QTemporaryDir dir;
        args.replaceInStrings(QStringLiteral("%d"), dir.path());
        const QString target = dir.filePath(QStringLiteral("ombo.mdb"));
        std::thread feeder;
        if (kind == QLatin1String("foreign")) {
            QVERIFY(writeFile(target, "not a database\n"));
        } else if (kind == QLatin1String("text")) {
            QVERIFY(writeFile(args[0], text));
        } else if (kind == QLatin1String("folder")) {
            QVERIFY(QDir().mkdir(target));
        } else if (kind == QLatin1String("link")) {
            QVERIFY(QFile::link(dir.filePath(QStringLiteral("nulle-part")), target));
        } else if (kind == QLatin1String("appears")) {
            // The text comes through a pipe: the file appears once the tool, past its check, reads it.
            QVERIFY(::mkfifo(QFile::encodeName(args[0]).constData(), 0600) == 0);
            feeder = std::thread([&] {
                QFile pipe(args[0]);
                if (pipe.open(QIODevice::WriteOnly) && writeFile(target, "apparu"))
                    pipe.write(readFile(QStringLiteral(ALMANAC_TSV)));
            });
        }
        const QStringList before = entries(dir.path());
        const QByteArray bytes = kind == QLatin1String("appears") ? QByteArray("apparu") : readFile(target);
        QProcess p;
        p.start(QStringLiteral(MKALMANAC), args);
        QVERIFY(p.waitForFinished());
        if (feeder.joinable())
            feeder.join();
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), status);
        const QString said = QString::fromUtf8(status ? p.readAllStandardError() : p.readAllStandardOutput());
        QVERIFY2(said.contains(QRegularExpression(says)), qPrintable(said));
        if (kind.isEmpty() && status == 0) {
            QVERIFY(readFile(target).startsWith("SQLite format 3"));
        } else {
            QCOMPARE(readFile(target), bytes);
            QCOMPARE(entries(dir.path()), kind == QLatin1String("appears") ? before + QStringList{"ombo.mdb"} : before);
        }
    }
};

QTEST_GUILESS_MAIN(TestAlmanacData)
#include "tst_almanacdata.moc"
