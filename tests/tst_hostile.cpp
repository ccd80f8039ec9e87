// Almanac files and contents the program did not make: broken, locked,
// read-only, vanished or filled with odd texts. Each must end in a readable
// message or a literal display, never a crash, a hang or a lost edit. The
// almanac's folder has a name that would bend a connection string or a URI.
#include "AlmanacFixture.h"
#include "FakePlatform.h"
#include "core/Module1.h"
#include "store/AlmanacModel.h"
#include "ui/Form2.h"
#include "ui/Windows.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

#include <thread>
#include <unistd.h>

namespace {
// Another program's hold on the file, by a connection in a thread of its
// own: exclusive, nobody may even read; otherwise an open read holds the
// writes back. Kept for `ms`, or until destroyed.
struct Lock
{
    QSemaphore taken, release;
    bool ok = false;
    std::thread thread;
    Lock(const QString &path, bool exclusive, int ms = 600000) : thread([=, this] { hold(path, exclusive, ms); }) { taken.acquire(); }
    ~Lock() { release.release(); thread.join(); }
    void hold(const QString &path, bool exclusive, int ms)
    {
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("lock"));
            db.setDatabaseName(path);
            const bool open = db.open();
            QSqlQuery q(db);
            ok = open && (exclusive ? q.exec(QStringLiteral("BEGIN EXCLUSIVE"))
                                    : q.exec(QStringLiteral("BEGIN")) && q.exec(QStringLiteral("SELECT count(*) FROM Evenements")));
            taken.release();
            release.tryAcquire(1, ms);
            q.exec(QStringLiteral("ROLLBACK"));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("lock"));
    }
};

// What the child types: enough to outgrow a full file.
QString typedFor(const QString &cause) { return cause == QLatin1String("full") ? QString(100000, QLatin1Char('z')) : QStringLiteral("tapé à la main"); }

// The test binary run again (as another user for a read-only almanac): loads
// the almanac in `folder`, makes today's write fail for `cause`, saves again,
// then edits the row again, and says what it saw.
int child(const QString &folder, const QString &cause)
{
    QTextStream out(stdout);
    struct : FakePlatform  // says each box when it comes
    {
        QTextStream *out;
        void messageBox(const QString &text, const QString &, int) override { *out << "box " << text << '\n'; }
    } desktop;
    desktop.out = &out;
    RecordSource source;
    QObject::connect(&source, &RecordSource::writeFailed, [&](const OmboError &e) { out << "failed " << e.fullMessage() << '\n'; });
    out << "loaded " << loadAlmanac(source, folder) << "\ntoday " << Module1::JourEv1 << '\n';
    const QString path = folder + QStringLiteral("/ombo.mdb"), typed = typedFor(cause);
    AlmanacModel *m = source.model();
    const QModelIndex cell = m->index(4, m->fieldIndex(QStringLiteral("Evenement1")));
    std::unique_ptr<Lock> lock(cause == QLatin1String("busy") ? new Lock(path, false) : nullptr);
    QSqlQuery own(m->database());
    if (cause == QLatin1String("full") && own.exec(QStringLiteral("PRAGMA page_count")) && own.next())
        own.exec(QStringLiteral("PRAGMA max_page_count = %1").arg(own.value(0).toInt()));
    own.finish();  // a statement left open would stop the day's backup
    if (cause == QLatin1String("deleted"))
        QFile::remove(path);
    if (cause == QLatin1String("replaced") && writeAlmanac(path + QStringLiteral(".new"), fullYear()))
        ::rename(QFile::encodeName(path + QStringLiteral(".new")).constData(), QFile::encodeName(path).constData());
    auto say = [&](const char *what, bool value) { out << what << ' ' << value << '\n'; };  // once the step is done
    m->setData(cell, typed);
    say("written", m->submit());
    say("kept", m->data(cell, Qt::EditRole) == typed && m->data(cell, Qt::ToolTipRole).toString().startsWith(QStringLiteral("Non enregistré : ")));
    say("saved", source.save());
    lock.reset();
    own.exec(QStringLiteral("PRAGMA max_page_count = 1000000"));
    own.finish();
    m->setData(cell, typed);
    say("again", m->submit());
    return 0;
}
}  // namespace

class TestHostile : public QObject
{
    Q_OBJECT

    QTemporaryDir m_top;
    QString folder() const { return m_top.filePath(QStringLiteral("a?mode=rwc&cache=shared#b %20 é;Data Source=x\"y\"")); }
    QString base() const { return folder() + QStringLiteral("/ombo.mdb"); }

private slots:
    void init()
    {
        QDir(folder()).removeRecursively();
        QVERIFY(QDir().mkpath(folder()));
    }

    // Files that are no usable almanac: the load beeps and names the file in
    // an "Erreur N°" box, and never creates or changes anything.
    void brokenFiles_data()
    {
        QTest::addColumn<QString>("damage");  // or the statements that make the file
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("words");  // found in the description
        QTest::newRow("missing") << "missing" << 14 << "Impossible d'ouvrir";
        QTest::newRow("folder of that name") << "folder" << 14 << "Impossible d'ouvrir";
        QTest::newRow("other table") << "CREATE TABLE Autre (x)" << 1 << "La table « Evenements » est absente";
        QTest::newRow("no Evenement2 column") << "CREATE TABLE Evenements (id INTEGER PRIMARY KEY, Date, Evenement1)" << 1 << "La colonne « Evenement2 » manque";
        QTest::newRow("no id, no rowid") << "CREATE TABLE Evenements (Date PRIMARY KEY, Evenement1, Evenement2) WITHOUT ROWID" << 1 << "ni colonne « id » ni identifiant";
        QTest::newRow("locked by another program") << "locked" << 5 << "occupé";
        QTest::newRow("header overwritten") << "header" << 26 << "n'est pas un fichier d'almanach";
        QTest::newRow("truncated to half") << "half" << 11 << "endommagé";
        QTest::newRow("index overwritten, table sound") << "index" << 11 << "endommagé";
    }
    void brokenFiles()
    {
        QFETCH(QString, damage);
        QFETCH(int, number);
        QFETCH(QString, words);
        auto is = [&](const char *k) { return damage == QLatin1String(k); };
        if (is("folder"))
            QVERIFY(QDir().mkpath(base()));
        else if (damage.startsWith(QLatin1String("CREATE")))
            QVERIFY(runSql(base(), {damage}));
        else if (!is("missing"))
            QVERIFY(writeAlmanac(base(), fullYear()));
        const qsizetype tableEnd = readFile(base()).size();  // an index made now comes after the table
        QVERIFY(!is("index") || runSql(base(), {QStringLiteral("CREATE INDEX Jour ON Evenements (Date)")}));
        QByteArray bytes = readFile(base());
        if (is("half"))
            bytes.truncate(bytes.size() / 2);
        else if (is("header"))
            bytes.replace(0, 100, QByteArray(100, '\x5a'));
        else if (is("index"))
            bytes.replace(tableEnd, bytes.size() - tableEnd, QByteArray(bytes.size() - tableEnd, '\x7f'));
        QVERIFY(bytes == readFile(base()) || writeFile(base(), bytes));
        QVERIFY(!is("index") || readField(base(), 366, "Evenement1") == QStringLiteral("A 31/12"));  // the table still reads
        const QByteArray before = readFile(base());
        std::unique_ptr<Lock> lock(is("locked") ? new Lock(base(), true) : nullptr);
        FakePlatform desktop;
        RecordSource source;
        QVERIFY(!loadAlmanac(source, folder()));
        QCOMPARE(desktop.events, (QStringList{"beep", "box"}));
        const QString text = desktop.boxes[0].text;
        QVERIFY2(text.startsWith(QStringLiteral("Erreur N° %1 - ").arg(number)) && text.contains(words) && text.contains(base()), qPrintable(text));
        QCOMPARE(desktop.boxes[0].title, QString());
        QCOMPARE(desktop.boxes[0].style, 0);
        QCOMPARE(QFileInfo::exists(base()), !is("missing"));
        QCOMPARE(readFile(base()), before);
    }

    // Another program's short lock is waited out: the write is late, not lost.
    void shortLockIsWaitedOut()
    {
        QVERIFY(writeAlmanac(base(), fullYear()));
        FakePlatform desktop;
        RecordSource source;
        QVERIFY(loadAlmanac(source, folder()));
        AlmanacModel *m = source.model();
        QVERIFY(m->setData(m->index(4, m->fieldIndex(QStringLiteral("Evenement1"))), QStringLiteral("attendu")));
        Lock lock(base(), true, 300);
        QElapsedTimer clock;
        clock.start();
        QVERIFY(lock.ok && m->submit());
        QVERIFY2(clock.elapsed() >= 200, "the lock was not held");
        QVERIFY(desktop.events.isEmpty());
        QCOMPARE(asText(readField(base(), 5, "Evenement1")), QStringLiteral("attendu"));
    }

    // A row that cannot be written: a box names the file and says the edit was
    // not recorded, the typed text stays in the grid, marked, saving again
    // neither retries it nor raises a box, and once the cause is gone, edited
    // again, it is written. Read-only cases run as a user that is not root
    // (root ignores file modes): the almanac still loads and greets.
    void failedWriteKeepsTheText_data()
    {
        QTest::addColumn<QString>("cause");
        QTest::addColumn<int>("fileMode");  // 0: as it is, and as root
        QTest::addColumn<int>("folderMode");
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("words");
        QTest::newRow("locked by a reader") << "busy" << 0 << 0 << 5 << "occupé";
        QTest::newRow("disk full") << "full" << 0 << 0 << 13 << "plein";
        QTest::newRow("file deleted") << "deleted" << 0 << 0 << 8 << "supprimé ou remplacé";
        QTest::newRow("file replaced") << "replaced" << 0 << 0 << 8 << "supprimé ou remplacé";
        QTest::newRow("read-only file") << "" << 0x4444 << 0x7777 << 8 << "lecture seule";
        QTest::newRow("read-only folder") << "" << 0x6666 << 0x5555 << 8 << "dossier";
        QTest::newRow("both read-only") << "" << 0x4444 << 0x5555 << 8 << "lecture seule";
    }
    void failedWriteKeepsTheText()
    {
        QFETCH(QString, cause);
        QFETCH(int, fileMode);
        QFETCH(int, folderMode);
        QFETCH(int, number);
        QFETCH(QString, words);
        QStringList args{QCoreApplication::applicationFilePath(), QStringLiteral("--child"), folder(), cause};
        const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
        if (fileMode && (geteuid() != 0 || setpriv.isEmpty()))
            QSKIP("needs root and setpriv to act as another user");
        QVERIFY(writeAlmanac(base(), fullYear()));
        const QByteArray before = readFile(base());
        if (fileMode) {
            QVERIFY(QFile::setPermissions(m_top.path(), QFileDevice::Permissions(0x7755)));
            QVERIFY(QFile::setPermissions(base(), QFileDevice::Permissions(fileMode))
                    && QFile::setPermissions(folder(), QFileDevice::Permissions(folderMode)));
            args = QStringList{setpriv, "--reuid=65534", "--regid=65534", "--clear-groups"} + args;
        }
        QProcess p;
        p.start(args.takeFirst(), args);
        QVERIFY(p.waitForFinished(30000));
        QVERIFY(QFile::setPermissions(folder(), QFileDevice::Permissions(0x7700)));
        QStringList lines = QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        // A day's backup that cannot be made (always in a read-only folder)
        // is said first, as a change still being written; the write's own
        // failure follows.
        const qsizetype box = lines.indexOf(QRegularExpression(u"box .*"_s));
        QVERIFY(box >= 0 || folderMode != 0x5555);
        if (box >= 0) {
            QVERIFY2(lines[box].startsWith(u"box Erreur N° 3050 - "_s) && lines[box].endsWith(u"Votre modification est tout de même en cours d'enregistrement ; si elle échoue, un autre message le dira."_s), qPrintable(lines[box]));
            QVERIFY(lines.value(box + 1).startsWith(u"failed "_s));
            lines.removeAt(box);
        }
        for (QString &line : lines) {
            if (!line.startsWith(QLatin1String("failed ")))
                continue;
            QVERIFY2(line.startsWith(QStringLiteral("failed Erreur N° %1 - ").arg(number)) && line.contains(words)
                         && line.contains(base()) && line.contains(QStringLiteral("pas été enregistrée")), qPrintable(line));
            line = QStringLiteral("failed");
        }
        const bool retry = cause == QLatin1String("busy") || cause == QLatin1String("full");
        QCOMPARE(lines, (QStringList{"loaded 1", "today A 05/01", "failed", "written 0", "kept 1", "saved 1"}
                         + (retry ? QStringList{"again 1"} : QStringList{"failed", "again 0"})));
        if (QFile::exists(base()))
            QCOMPARE(asText(readField(base(), 5, "Evenement1")), retry ? typedFor(cause) : QStringLiteral("A 05/01"));
        QVERIFY(!fileMode || readFile(base()) == before);
    }
};

int main(int argc, char *argv[])
{
    if (argc == 4 && qstrcmp(argv[1], "--child") == 0) {
        QCoreApplication app(argc, argv);
        return child(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    }
    QApplication app(argc, argv);
    TestHostile test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_hostile.moc"
