// A program killed at any moment while it writes (kill -9) leaves an almanac
// that passes SQLite's integrity check and holds every edit whose write had
// completed. The writer is this same binary run with --ecrivain: it edits
// rows through the program's own write path (the grid's model, submitted as
// when the current row changes) and says so on stdout before and after each
// write. Every completed write, and none other, leaves its row in the
// history. Kills land at random moments drawn from a fixed seed, so a failure
// can be replayed; OMBO_KILLS sets how many (200 by default).
#include "AlmanacFixture.h"
#include "store/AlmanacModel.h"
#include "store/RecordSource.h"

#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QSqlError>
#include <QTemporaryDir>
#include <QtTest>

#include <random>
#include <unistd.h>

namespace {
constexpr int kRows = 366;

// The text the writer with `seed` puts in its `n`th write. One in four spans
// some seventy pages, so that kills also land between the page writes of one
// commit (without the journal, such a kill leaves a damaged file).
QString texte(int seed, int n)
{
    QString t = QStringLiteral("ecrit %1-%2 é").arg(seed).arg(n);
    if (n % 4 == 3)
        t += QString(300000 + n % 7 * 1000, QLatin1Char(char('a' + n % 26)));
    return t;
}

// Rows and fields the writer with `seed` edits, in order.
struct Cible
{
    int row;
    bool second;
};
Cible cible(int seed, int n)
{
    std::mt19937 rng(std::uint32_t(seed * 7919 + n));
    return {int(rng() % kRows), bool(rng() % 2)};
}

void dire(const QByteArray &line)
{
    // One write per line: a kill never leaves half a line in the pipe.
    const QByteArray l = line + '\n';
    [[maybe_unused]] const ssize_t n = ::write(STDOUT_FILENO, l.constData(), size_t(l.size()));
}

int ecrivain(const QString &path, int seed)
{
    RecordSource source;
    source.setConnectionString(QStringLiteral("Data Source=") + path);
    try {
        source.refresh();
    } catch (const OmboError &e) {
        dire("erreur " + e.fullMessage().toUtf8());
        return 2;
    }
    AlmanacModel *m = source.model();
    dire("pret");
    for (int n = 0;; ++n) {
        const Cible c = cible(seed, n);
        const int column = m->fieldIndex(c.second ? QStringLiteral("Evenement2") : QStringLiteral("Evenement1"));
        dire(QByteArray("debut ") + QByteArray::number(n));
        if (!m->setData(m->index(c.row, column), texte(seed, n)) || !m->submit()) {
            dire("echec " + m->lastError().text().toUtf8());
            return 3;
        }
        dire(QByteArray("fait ") + QByteArray::number(n));
    }
}

struct Etat
{
    QString integrite;
    int rows = 0;
    int history = 0;
    QHash<int, QPair<QString, QString>> textes;  // by id
};

Etat lire(const QString &path)
{
    Etat e;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("controle"));
        db.setDatabaseName(path);
        if (db.open()) {
            QSqlQuery q(db);
            if (q.exec(QStringLiteral("PRAGMA integrity_check")) && q.next())
                e.integrite = q.value(0).toString();
            if (q.exec(QStringLiteral("SELECT count(*) FROM Historique")) && q.next())
                e.history = q.value(0).toInt();
            if (q.exec(QStringLiteral("SELECT id, Evenement1, Evenement2 FROM Evenements"))) {
                while (q.next()) {
                    ++e.rows;
                    e.textes.insert(q.value(0).toInt(), {q.value(1).toString(), q.value(2).toString()});
                }
            }
            q.finish();
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("controle"));
    return e;
}
}  // namespace

class TestCrash : public QObject
{
    Q_OBJECT

private slots:
    void killedWriterLosesNothingCompleted()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("ombo.mdb"));
        QVector<TestRow> days = fullYear();
        QVERIFY(writeAlmanac(path, days));
        // What each row must hold: the last completed write, else the start.
        QHash<int, QPair<QString, QString>> attendu;
        for (int i = 0; i < days.size(); ++i)
            attendu.insert(i + 1, {days[i].ev1.toString(), days[i].ev2.toString()});

        const int kills = qEnvironmentVariableIntValue("OMBO_KILLS") > 0
                              ? qEnvironmentVariableIntValue("OMBO_KILLS")
                              : 200;
        std::mt19937 rng(20040105);
        int enVol = 0, journaux = 0, ecritures = 0, historique = 0;
        QElapsedTimer total;
        total.start();
        for (int k = 0; k < kills; ++k) {
            const int delai = int(rng() % 120);  // ms after the writer is ready
            QProcess writer;
            writer.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            writer.start(QCoreApplication::applicationFilePath(),
                         {QStringLiteral("--ecrivain"), path, QString::number(k)});
            QVERIFY2(writer.waitForStarted(), qPrintable(writer.errorString()));
            QByteArray out;
            while (!out.contains("pret\n") && !out.contains("erreur")
                   && writer.state() == QProcess::Running && writer.waitForReadyRead(10000))
                out += writer.readAllStandardOutput();
            QVERIFY2(out.contains("pret\n"), out.constData());
            QElapsedTimer clock;
            clock.start();
            while (clock.elapsed() < delai && writer.state() == QProcess::Running)
                if (writer.waitForReadyRead(int(std::max<qint64>(1, delai - clock.elapsed()))))
                    out += writer.readAllStandardOutput();
            writer.kill();  // SIGKILL
            QVERIFY(writer.waitForFinished(10000));
            out += writer.readAllStandardOutput();
            QVERIFY2(!out.contains("echec") && !out.contains("erreur"), out.constData());

            // The writes reported as completed, and the one it was in.
            int pending = -1;
            for (const QByteArray &line : out.split('\n')) {
                if (line.startsWith("debut ")) {
                    pending = line.mid(6).toInt();
                } else if (line.startsWith("fait ")) {
                    const int n = line.mid(5).toInt();
                    const Cible c = cible(k, n);
                    auto &row = attendu[c.row + 1];
                    (c.second ? row.second : row.first) = texte(k, n);
                    pending = -1;
                    ++ecritures;
                    ++historique;
                }
            }
            journaux += QFile::exists(path + QStringLiteral("-journal"));

            const Etat e = lire(path);
            QVERIFY2(e.integrite == QLatin1String("ok"),
                     qPrintable(QStringLiteral("kill %1: %2").arg(k).arg(e.integrite)));
            QCOMPARE(e.rows, kRows);
            if (pending >= 0) {
                // Killed within a write: it either happened whole or not at all.
                ++enVol;
                const Cible c = cible(k, pending);
                auto &row = attendu[c.row + 1];
                QString &field = c.second ? row.second : row.first;
                const QString now = c.second ? e.textes[c.row + 1].second : e.textes[c.row + 1].first;
                if (now == texte(k, pending)) {
                    field = now;
                    ++historique;
                }
            }
            QCOMPARE(e.history, historique);
            for (auto it = attendu.cbegin(); it != attendu.cend(); ++it) {
                if (e.textes.value(it.key()) != it.value())
                    QFAIL(qPrintable(QStringLiteral("kill %1 (after %2 ms): row %3 holds \"%4\", expected \"%5\"")
                                         .arg(k)
                                         .arg(delai)
                                         .arg(it.key())
                                         .arg(e.textes.value(it.key()).first.left(40),
                                              it.value().first.left(40))));
            }
        }
        qInfo("%d kills, %d completed writes, %d kills within a write, %d hot journals left, %.1f s",
              kills, ecritures, enVol, journaux, total.elapsed() / 1000.0);
        // The kills must land in writes often enough to prove something.
        QVERIFY2(enVol >= kills / 4, qPrintable(QString::number(enVol)));
        QVERIFY(ecritures > kills);
    }
};

int main(int argc, char *argv[])
{
    if (argc == 4 && qstrcmp(argv[1], "--ecrivain") == 0) {
        QCoreApplication app(argc, argv);
        return ecrivain(QString::fromLocal8Bit(argv[2]), atoi(argv[3]));
    }
    QCoreApplication app(argc, argv);
    TestCrash test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_crash.moc"
