#include "AlmanacFixture.h"
#include "data/AlmanacFile.h"
#include "store/Schema.h"

#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

namespace {
// Day keys counted from month lengths, apart from the tool's own list.
QStringList calendarKeys()
{
    const int lengths[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    QStringList keys;
    for (int m = 1; m <= 12; ++m)
        for (int d = 1; d <= lengths[m - 1]; ++d)
            keys << QString::asprintf("%02d/%02d", d, m);
    return keys;
}


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
    void shippedFileIsComplete()
    {
        QCOMPARE(AlmanacFile::dayKeys(), calendarKeys());
        QList<AlmanacFile::Row> rows;
        QString error;
        QVERIFY2(AlmanacFile::read(QStringLiteral(ALMANAC_TSV), &rows, &error), qPrintable(error));
        QCOMPARE(rows.size(), 366);
        for (int i = 0; i < rows.size(); ++i) {
            QCOMPARE(rows[i].date, calendarKeys()[i]);
            QVERIFY2(!rows[i].ev1.isEmpty(), qPrintable(rows[i].date));
            QVERIFY2(rows[i].ev1.size() <= 30, qPrintable(rows[i].ev1));
            QVERIFY2(rows[i].ev2.size() <= 30, qPrintable(rows[i].ev2));
        }
    }

    void buildsMatchingDatabase()
    {
        QTemporaryDir dir;
        const QString target = dir.filePath(QStringLiteral("ombo.mdb"));
        QString message;
        QCOMPARE(AlmanacFile::build(QStringLiteral(ALMANAC_TSV), target, &message),
                 AlmanacFile::Outcome::Written);
        QCOMPARE(entries(dir.path()), QStringList{QStringLiteral("ombo.mdb")});  // nothing left over
        QVERIFY(QFileInfo(target).permissions().testFlag(QFileDevice::ReadOther));

        const QList<QByteArray> lines = shippedLines();
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check"));
            db.setDatabaseName(target);
            QVERIFY(db.open());
            QSqlQuery q(db);
            QVERIFY(q.exec(QStringLiteral("PRAGMA integrity_check")) && q.next());
            QCOMPARE(q.value(0).toString(), QStringLiteral("ok"));
            QVERIFY(q.exec(QStringLiteral("SELECT sql FROM sqlite_master")) && q.next());
            QCOMPARE(q.value(0).toString(), Schema::kCreate);
            QVERIFY(!q.next());
            QVERIFY(q.exec(QStringLiteral("SELECT id, Date, Evenement1, Evenement2, typeof(Evenement1),"
                                          " typeof(Evenement2) FROM Evenements ORDER BY id")));
            int n = 0;
            for (; q.next(); ++n) {
                const QList<QByteArray> f = lines.value(n).split('\t');
                QCOMPARE(q.value(0).toInt(), n + 1);
                QCOMPARE(q.value(1).toString(), QString::fromUtf8(f.value(0)));
                for (int c : {2, 3}) {
                    const QString expected = QString::fromUtf8(f.value(c - 1));
                    QCOMPARE(q.value(c + 2).toString(), expected.isEmpty() ? "null" : "text");
                    QCOMPARE(q.value(c).toString(), expected);
                }
            }
            QCOMPARE(n, 366);
        }
        QSqlDatabase::removeDatabase(QStringLiteral("check"));
    }

    void existingTargetIsKept_data()
    {
        QTest::addColumn<QByteArray>("before");  // empty: an edited almanac
        QTest::addColumn<QString>("tsv");
        QTest::newRow("edited almanac") << QByteArray() << QStringLiteral(ALMANAC_TSV);
        QTest::newRow("foreign file") << QByteArray("not a database\n") << QStringLiteral(ALMANAC_TSV);
        QTest::newRow("no text file at all") << QByteArray("x") << QStringLiteral("/nonexistent/almanac.tsv");
    }
    void existingTargetIsKept()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, tsv);
        QTemporaryDir dir;
        const QString target = dir.filePath(QStringLiteral("ombo.mdb"));
        QString message;
        if (before.isEmpty()) {
            QCOMPARE(AlmanacFile::build(QStringLiteral(ALMANAC_TSV), target, &message),
                     AlmanacFile::Outcome::Written);
            {
                QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("edit"));
                db.setDatabaseName(target);
                QVERIFY(db.open());
                QVERIFY(QSqlQuery(db).exec(QStringLiteral("UPDATE Evenements SET Evenement2 = 'Mon anniversaire'"
                                                          " WHERE Date = '05/01'")));
            }
            QSqlDatabase::removeDatabase(QStringLiteral("edit"));
        } else {
            QVERIFY(writeFile(target, before));
        }
        const QByteArray bytes = readFile(target);
        QVERIFY(!before.isEmpty() || bytes.contains("Mon anniversaire"));

        QCOMPARE(AlmanacFile::build(tsv, target, &message), AlmanacFile::Outcome::AlreadyThere);
        QCOMPARE(readFile(target), bytes);
        QCOMPARE(entries(dir.path()), QStringList{QStringLiteral("ombo.mdb")});
    }

    // A folder or a dangling link in the almanac's place is an error, not a kept almanac.
    void targetThatIsNoFileIsRefused()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("ombo.mdb"));
        const QString link = dir.filePath(QStringLiteral("lien.mdb"));
        QVERIFY(QDir().mkdir(folder));
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("nulle-part")), link));
        for (const QString &target : {folder, link}) {
            QString message;
            QCOMPARE(AlmanacFile::build(QStringLiteral(ALMANAC_TSV), target, &message),
                     AlmanacFile::Outcome::Failed);
            QVERIFY2(message.contains(QStringLiteral("not a regular file")), qPrintable(message));
        }
        QVERIFY(QFileInfo(folder).isDir());
    }

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
        QList<QByteArray> l = good;
        l.removeAt(59);
        QTest::newRow("leap day missing") << joined(l) << 60 << "29/02";
        QTest::newRow("last day missing") << joined(good.mid(0, 365)) << 0 << "31/12";
        QTest::newRow("empty file") << QByteArray() << 0 << "01/01";
        QTest::newRow("duplicate") << with(101, good[99]) << 101 << "line 100";
        l = good;
        l.swapItemsAt(9, 10);
        QTest::newRow("out of order") << joined(l) << 10 << "11/01";
        QTest::newRow("one day too many") << joined(good + QList<QByteArray>{good[365]}) << 367 << "31/12";
        l = good;
        l.insert(30, QByteArray());
        QTest::newRow("blank line") << joined(l) << 31 << "1 field";
        QTest::newRow("two fields") << with(200, "18/07\tSt Frédéric") << 200 << "2 field";
        QTest::newRow("four fields") << with(5, good[4] + "\tx") << 5 << "4 field";
        QTest::newRow("not a day") << with(61, "30/02\tx\t") << 61 << "30/02";
        QTest::newRow("no leading zero") << with(1, "1/01\tx\t") << 1 << "1/01";
        QTest::newRow("stray byte") << with(150, "29/05\tSt Aym\xff" "ard\t") << 150 << "UTF-8";
        QTest::newRow("overlong encoding") << with(151, "30/05\t\xc0\xaf\t") << 151 << "UTF-8";
        QTest::newRow("encoded surrogate") << with(152, "31/05\t\xed\xa0\x80\t") << 152 << "UTF-8";
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
        QCOMPARE(AlmanacFile::build(tsvPath, dir.filePath(QStringLiteral("ombo.mdb")), &message),
                 AlmanacFile::Outcome::Failed);
        if (line > 0)
            QVERIFY2(message.contains(QStringLiteral("line %1:").arg(line)), qPrintable(message));
        QVERIFY2(message.contains(says), qPrintable(message));
        QCOMPARE(entries(dir.path()), QStringList{QStringLiteral("almanac.tsv")});
    }

    // What the build sees: the exit status decides whether it goes on.
    void toolExitStatus_data()
    {
        QTest::addColumn<QStringList>("args");  // %d: the temporary folder
        QTest::addColumn<int>("status");
        QTest::addColumn<bool>("made");
        const QString tsv = QStringLiteral(ALMANAC_TSV);
        QTest::newRow("fresh") << QStringList{tsv, "%d/ombo.mdb"} << 0 << true;
        QTest::newRow("text file missing") << QStringList{"%d/none.tsv", "%d/ombo.mdb"} << 1 << false;
        QTest::newRow("folder missing") << QStringList{tsv, "%d/sub/ombo.mdb"} << 1 << false;
        QTest::newRow("one argument") << QStringList{tsv} << 2 << false;
    }
    void toolExitStatus()
    {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(bool, made);
        QTemporaryDir dir;
        args.replaceInStrings(QStringLiteral("%d"), dir.path());
        QProcess p;
        p.start(QStringLiteral(MKALMANAC), args);
        QVERIFY(p.waitForFinished());
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), status);
        QCOMPARE(QFileInfo::exists(dir.filePath(QStringLiteral("ombo.mdb"))), made);
        if (status == 1)
            QVERIFY(!p.readAllStandardError().isEmpty());
        if (made) {  // a second run keeps the file and still succeeds
            const QByteArray bytes = readFile(dir.filePath(QStringLiteral("ombo.mdb")));
            p.start(QStringLiteral(MKALMANAC), args);
            QVERIFY(p.waitForFinished());
            QCOMPARE(p.exitCode(), 0);
            QCOMPARE(readFile(dir.filePath(QStringLiteral("ombo.mdb"))), bytes);
        }
    }
};

QTEST_GUILESS_MAIN(TestAlmanacData)
#include "tst_almanacdata.moc"
