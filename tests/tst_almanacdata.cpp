// The almanac that ships with the program and its builder (mkalmanac): the
// text file, the database made from it, and the user's almanac, never replaced.
#include "AlmanacFixture.h"
#include "data/AlmanacFile.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <thread>

namespace {
// The shipped file, one entry a line, without the final newline.
QList<QByteArray> shippedLines()
{
    QList<QByteArray> lines = readFile(QStringLiteral(ALMANAC_TSV)).split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

QByteArray joined(const QList<QByteArray> &lines)
{
    return lines.isEmpty() ? QByteArray() : lines.join('\n') + '\n';
}

QStringList entries(const QString &dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::Dirs | QDir::NoDotAndDotDot);
}
}  // namespace

class TestAlmanacData : public QObject
{
    Q_OBJECT

private slots:
    // The build gives the database the shipped file's days, in calendar
    // order (counted here from month lengths), empty texts as Null.
    void shippedFileBuildsTheDatabase()
    {
        QTemporaryDir dir;
        const QString target = dir.filePath(QStringLiteral("ombo.mdb"));
        QString message;
        QCOMPARE(AlmanacFile::build(QStringLiteral(ALMANAC_TSV), target, &message), AlmanacFile::Outcome::Written);
        QCOMPARE(entries(dir.path()), QStringList{QStringLiteral("ombo.mdb")});  // nothing left over
        QVERIFY(QFileInfo(target).permissions().testFlag(QFileDevice::ReadOther));
        QStringList keys;
        const int lengths[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
        for (int m = 1; m <= 12; ++m)
            for (int d = 1; d <= lengths[m - 1]; ++d)
                keys << QString::asprintf("%02d/%02d", d, m);
        QCOMPARE(AlmanacFile::dayKeys(), keys);

        const QList<QByteArray> lines = shippedLines();
        QCOMPARE(lines.size(), 366);
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check"));
            db.setDatabaseName(target);
            QVERIFY(db.open());
            QSqlQuery q(db);
            QVERIFY(q.exec(QStringLiteral("SELECT id, Date, Evenement1, Evenement2 FROM Evenements ORDER BY id")));
            int n = 0;
            for (; q.next(); ++n) {
                const QList<QByteArray> f = lines[n].split('\t');
                QCOMPARE(q.value(0).toInt(), n + 1);
                QCOMPARE(q.value(1).toString(), keys[n]);
                QCOMPARE(QString::fromUtf8(f.value(0)), keys[n]);
                QVERIFY2(!q.value(2).isNull() && q.value(2).toString().size() <= 30 && q.value(3).toString().size() <= 30, lines[n].constData());
                for (int c : {2, 3})
                    QCOMPARE(q.value(c), f.value(c - 1).isEmpty() ? QVariant(QMetaType::fromType<QString>()) : QVariant(QString::fromUtf8(f.value(c - 1))));
            }
            QCOMPARE(n, 366);
        }
        QSqlDatabase::removeDatabase(QStringLiteral("check"));
    }

    // The tool, as the build runs it: what is already in the almanac's place,
    // or appears there while it works, is never replaced. The exit status
    // decides whether the build goes on.
    void existingTargetIsKept_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QStringList>("args");  // %d: the temporary folder
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("says");
        const QString tsv = QStringLiteral(ALMANAC_TSV), target = QStringLiteral("%d/ombo.mdb");
        QTest::newRow("fresh") << "" << QStringList{tsv, target} << 0 << "written (366 days)";
        QTest::newRow("edited almanac") << "edited" << QStringList{tsv, target} << 0 << "already exists: kept";
        QTest::newRow("foreign file") << "foreign" << QStringList{tsv, target} << 0 << "already exists: kept";
        QTest::newRow("no text file at all") << "foreign" << QStringList{"/nonexistent/almanac.tsv", target} << 0 << "already exists: kept";
        QTest::newRow("appears while building") << "appears" << QStringList{"%d/almanac.tsv", target} << 0 << "already exists: kept";
        QTest::newRow("folder") << "folder" << QStringList{tsv, target} << 1 << "not a regular file";
        QTest::newRow("dangling link") << "link" << QStringList{tsv, target} << 1 << "not a regular file";
        QTest::newRow("text file missing") << "" << QStringList{"%d/none.tsv", target} << 1 << "cannot read";
        QTest::newRow("folder missing") << "" << QStringList{tsv, "%d/sub/ombo.mdb"} << 1 << "cannot create";
        QTest::newRow("one argument") << "" << QStringList{tsv} << 2 << "usage";
    }
    void existingTargetIsKept()
    {
        QFETCH(QString, kind);
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QString, says);
        QTemporaryDir dir;
        args.replaceInStrings(QStringLiteral("%d"), dir.path());
        const QString target = dir.filePath(QStringLiteral("ombo.mdb"));
        QString message;
        std::thread feeder;
        if (kind == QLatin1String("edited")) {
            QCOMPARE(AlmanacFile::build(args[0], target, &message), AlmanacFile::Outcome::Written);
            QVERIFY(runSql(target, {QStringLiteral("UPDATE Evenements SET Evenement2 = 'Mon anniversaire' WHERE Date = '05/01'")}));
        } else if (kind == QLatin1String("foreign")) {
            QVERIFY(writeFile(target, "not a database\n"));
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
        QVERIFY(kind != QLatin1String("edited") || bytes.contains("Mon anniversaire"));
        QProcess p;
        p.start(QStringLiteral(MKALMANAC), args);
        QVERIFY(p.waitForFinished());
        if (feeder.joinable())
            feeder.join();
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), status);
        const QString said = QString::fromUtf8(status ? p.readAllStandardError() : p.readAllStandardOutput());
        QVERIFY2(said.contains(says), qPrintable(said));
        if (kind.isEmpty() && status == 0) {
            QVERIFY(readFile(target).startsWith("SQLite format 3"));
        } else {
            QCOMPARE(readFile(target), bytes);
            QCOMPARE(entries(dir.path()), kind == QLatin1String("appears") ? before + QStringList{"ombo.mdb"} : before);
        }
    }

    // Each fault of the text file is refused with its line, and nothing is made.
    void faultyTextIsRefused_data()
    {
        QTest::addColumn<QByteArray>("tsv");
        QTest::addColumn<int>("line");  // 0: the file as a whole
        QTest::addColumn<QString>("says");
        const QList<QByteArray> good = shippedLines();
        QVERIFY(good.size() == 366);
        auto with = [&](int line, const QByteArray &text) {
            QList<QByteArray> l = good;
            l[line - 1] = text;
            return joined(l);
        };
        QList<QByteArray> noLeapDay = good, swapped = good;
        noLeapDay.removeAt(59);
        swapped.swapItemsAt(9, 10);
        QTest::newRow("leap day missing") << joined(noLeapDay) << 60 << "29/02";
        QTest::newRow("last day missing") << joined(good.mid(0, 365)) << 0 << "31/12";
        QTest::newRow("empty file") << QByteArray() << 0 << "01/01";
        QTest::newRow("duplicate") << with(101, good[99]) << 101 << "line 100";
        QTest::newRow("out of order") << joined(swapped) << 10 << "11/01";
        QTest::newRow("two fields") << with(200, "18/07\tSt Frédéric") << 200 << "2 field";
        QTest::newRow("four fields") << with(5, good[4] + "\tx") << 5 << "4 field";
        QTest::newRow("not a day") << with(61, "30/02\tx\t") << 61 << "30/02";
        QTest::newRow("stray byte") << with(150, "29/05\tSt Aym\xff" "ard\t") << 150 << "UTF-8";
        QTest::newRow("cut sequence at line end") << with(153, "01/06\tSt Justin\t\xc3") << 153 << "UTF-8";
        QTest::newRow("byte order mark") << with(1, "\xef\xbb\xbf" + good[0]) << 1 << "01/01";
        QTest::newRow("control character") << with(7, "07/01\tSt\x01Raymond\t") << 7 << "control";
        QTest::newRow("CRLF line ends") << good.join("\r\n") + "\r\n" << 1 << "carriage return";
    }
    void faultyTextIsRefused()
    {
        QFETCH(QByteArray, tsv);
        QFETCH(int, line);
        QFETCH(QString, says);
        QTemporaryDir dir;
        const QString tsvPath = dir.filePath(QStringLiteral("almanac.tsv"));
        QVERIFY(writeFile(tsvPath, tsv));
        QString message;
        QCOMPARE(AlmanacFile::build(tsvPath, dir.filePath(QStringLiteral("ombo.mdb")), &message), AlmanacFile::Outcome::Failed);
        QVERIFY2(message.contains(says) && (line == 0 || message.contains(QStringLiteral("line %1:").arg(line))), qPrintable(message));
        QCOMPARE(entries(dir.path()), QStringList{QStringLiteral("almanac.tsv")});
    }

};

QTEST_GUILESS_MAIN(TestAlmanacData)
#include "tst_almanacdata.moc"
