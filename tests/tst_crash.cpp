// A program killed at any moment while it writes (kill -9) leaves an almanac
// that passes SQLite's integrity check and holds exactly the edits whose
// write had completed, each with its history row, and a day's backup that
// is whole and as the file stood, or none. The writer is this same binary
// run with --writer: every other one on a new day (so its first write makes
// that day's copy), it edits rows through the program's own write path and
// says so on stdout before and after each write. Kills land at moments
// drawn from a fixed seed, so a failure can be replayed; OMBO_KILLS sets how
// many (24 by default). Every 25 kills start on a fresh almanac, so that the
// file, and the copy each kill makes, stay small.
#include "AlmanacFixture.h"
#include "FakePlatform.h"
#include "store/AlmanacModel.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <random>
#include <unistd.h>

namespace {
using Texts = QHash<int, QPair<QString, QString>>;  // by id
using Found = std::tuple<QString, int, Texts>;  // integrity, history rows, texts
constexpr int kRound = 25;

QDate dayOf(int seed)
{
    return QDate(2030, 1, 1).addDays(seed / 2);
}

// What a file holds (no history table before the first write).
Found look(const QString &path)
{
    return withDatabase<Found>(path, [](QSqlDatabase &db) {
        Found r;
        QSqlQuery q(db);
        for (q.exec(QStringLiteral("PRAGMA integrity_check")); q.next();)
            std::get<0>(r) += q.value(0).toString();
        for (q.exec(QStringLiteral("SELECT count(*) FROM Historique")); q.next();)
            std::get<1>(r) = q.value(0).toInt();
        for (q.exec(QStringLiteral("SELECT id, Evenement1, Evenement2 FROM Evenements")); q.next();)
            std::get<2>(r).insert(q.value(0).toInt(), {q.value(1).toString(), q.value(2).toString()});
        return r;
    });
}

// The `n`th text of the writer `seed`. One in four spans some seventy pages,
// so that kills also land between the page writes of one commit.
QString text(int seed, int n)
{
    const QString t = QStringLiteral("ecrit %1-%2 é").arg(seed).arg(n);
    return n % 4 == 3 ? t + QString(300000 + n % 7 * 1000, QLatin1Char(char('a' + n % 26))) : t;
}

// The row (0 to 365) and field (second or first) of that write.
QPair<int, bool> target(int seed, int n)
{
    std::mt19937 rng(std::uint32_t(seed * 7919 + n));
    return {int(rng() % 366), bool(rng() % 2)};  // drawn in this order
}

int writer(const QString &path, int seed)
{
    auto say = [](const QByteArray &line) {  // one write per line: a kill never leaves half a line in the pipe
        [[maybe_unused]] const ssize_t n = ::write(STDOUT_FILENO, (line + '\n').constData(), size_t(line.size() + 1));
    };
    FakePlatform desktop;
    desktop.date = dayOf(seed);
    RecordSource source;
    source.setConnectionString(QStringLiteral("Data Source=") + path);
    source.refresh();
    AlmanacModel *m = source.model();
    say("ready");
    for (int n = 0;; ++n) {
        const auto [row, second] = target(seed, n);
        say("begin " + QByteArray::number(n));
        if (!m->setData(m->index(row, m->fieldIndex(second ? "Evenement2" : "Evenement1")), text(seed, n)) || !m->submit()) {
            say("failed " + m->lastError().text().toUtf8());
            return 3;
        }
        say("done " + QByteArray::number(n));
    }
}
}  // namespace

class TestCrash : public QObject
{
    Q_OBJECT

private slots:
    void killedWriterLosesNothingCompleted()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("ombo.mdb"));
        const QVector<TestRow> days = fullYear();
        // What each row must hold: the last completed write, else the start.
        Texts start, expected;
        for (int i = 0; i < days.size(); ++i)
            start.insert(i + 1, {days[i].ev1.toString(), days[i].ev2.toString()});
        auto field = [](Texts &texts, int seed, int n) -> QString & {
            const auto [row, second] = target(seed, n);
            return second ? texts[row + 1].second : texts[row + 1].first;
        };

        const int kills = qEnvironmentVariableIntValue("OMBO_KILLS") > 0 ? qEnvironmentVariableIntValue("OMBO_KILLS") : 24;
        std::mt19937 rng(20040105);
        int withinWrite = 0, completed = 0, landed = 0;  // kills within a write, writes done, writes the kill spared
        int copies = 0, allCompleted = 0;
        for (int k = 0; k < kills; ++k) {
            if (k % kRound == 0) {
                QFile::remove(path);
                QDir(dir.filePath(QStringLiteral("sauvegardes"))).removeRecursively();
                QVERIFY(writeAlmanac(path, days));
                expected = start;
                completed = landed = 0;
            }
            const Texts before = expected;
            const QString copy = dir.filePath(dayOf(k).toString(QStringLiteral("'sauvegardes/ombo-'yyyy-MM-dd'.mdb'")));
            const bool hadCopy = QFile::exists(copy);
            const int delay = int(rng() % 120);  // ms after the writer is ready
            QProcess child;
            child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--writer"), path, QString::number(k)});
            QVERIFY(child.waitForReadyRead(10000));  // ready: from now on it writes
            QThread::msleep(delay);
            child.kill();  // SIGKILL
            QVERIFY(child.waitForFinished(10000));
            const QByteArray out = child.readAllStandardOutput();
            QVERIFY2(out.startsWith("ready\n") && !out.contains("failed"), out.constData());
            int pending = -1;  // the write it was killed in
            const int completedBefore = completed;
            for (const QByteArray &line : out.split('\n')) {
                if (line.startsWith("begin "))
                    pending = line.mid(6).toInt();
                if (line.startsWith("done ")) {
                    field(expected, k, pending) = text(k, pending);
                    pending = -1;
                    ++completed;
                }
            }

            allCompleted += completed - completedBefore;
            auto [integrity, historyRows, found] = look(path);
            QVERIFY2(integrity == QLatin1String("ok"), qPrintable(QStringLiteral("kill %1: %2").arg(k).arg(integrity)));
            // Killed within a write: it happened whole, with its history row, or not at all.
            withinWrite += pending >= 0;
            if (pending >= 0 && field(found, k, pending) == text(k, pending)) {
                field(expected, k, pending) = text(k, pending);
                ++landed;
            }
            QCOMPARE(historyRows, completed + landed);
            QVERIFY2(found == expected, qPrintable(QStringLiteral("kill %1, after %2 ms").arg(k).arg(delay)));

            // The day's copy, made before the writer's first write: there
            // once a write completed, and then whole and as the file stood.
            QVERIFY(QFile::exists(copy) || completed == completedBefore);
            if (hadCopy || !QFile::exists(copy))
                continue;
            ++copies;
            const auto [copyIntegrity, copyHistory, copyTexts] = look(copy);
            QCOMPARE(copyIntegrity, QStringLiteral("ok"));
            QVERIFY2(copyTexts == before, qPrintable(QStringLiteral("copy of kill %1").arg(k)));
        }
        qInfo("%d kills, %d completed writes, %d within a write, %d copies", kills, allCompleted, withinWrite, copies);
        // The kills must land in writes often enough to prove something.
        QVERIFY2(withinWrite >= kills / 4, qPrintable(QString::number(withinWrite)));
        QVERIFY(allCompleted > kills);
    }
};

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc == 4 && qstrcmp(argv[1], "--writer") == 0)
        return writer(QString::fromLocal8Bit(argv[2]), atoi(argv[3]));
    TestCrash test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_crash.moc"
