// Almanac files and contents the program did not make: broken, locked,
// read-only, vanished or filled with odd texts. Each must end in a readable
// message or a literal display, never a crash, a hang or a lost edit.
#include "AlmanacFixture.h"
#include "FakePlatform.h"
#include "app/DesktopPlatform.h"
#include "core/Module1.h"
#include "ui/Windows.h"
#include "store/AlmanacModel.h"
#include "store/RecordSource.h"
#include "store/TroisJours.h"
#include "ui/DataGrid.h"
#include "ui/Form1.h"
#include "ui/Form2.h"
#include "ui/TabStrip.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QSqlError>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <cstdio>
#include <unistd.h>

namespace {
const QString kNull = QString();

// Runs raw SQL on `path` through a connection of its own.

// A second connection that keeps a lock on the file until it is destroyed.
class Verrou
{
public:
    // exclusive: nobody may even read; otherwise a read stays open and only
    // writes are held back.
    Verrou(const QString &path, bool exclusive)
    {
        m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("verrou"));
        m_db.setDatabaseName(path);
        m_db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=0"));
        m_db.open();
        QSqlQuery q(m_db);
        m_ok = exclusive ? q.exec(QStringLiteral("BEGIN EXCLUSIVE"))
                         : q.exec(QStringLiteral("BEGIN")) && q.exec(QStringLiteral("SELECT count(*) FROM Evenements"));
    }
    ~Verrou()
    {
        QSqlQuery(m_db).exec(QStringLiteral("ROLLBACK"));
        m_db.close();
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("verrou"));
    }
    bool ok() const { return m_ok; }

private:
    QSqlDatabase m_db;
    bool m_ok = false;
};

// ---------------------------------------------------------------------------
// Child mode: the test binary run again under another user (see readOnly).
// Loads the almanac in `dossier`, then tries to write today's first text.
int enfant(const QString &folder)
{
    FakePlatform desktop;
    desktop.folder = folder;
    RecordSource source;
    QTextStream out(stdout);
    const bool charge = loadAlmanac(source, folder);
    out << "charge " << (charge ? "oui" : "non") << '\n';
    for (const FakePlatform::Box &b : desktop.boxes)
        out << "boite " << b.text << '\n';
    out << "jour " << Module1::JourEv1 << '\n';
    if (!charge)
        return 0;
    QObject::connect(&source, &RecordSource::writeFailed, [&](const OmboError &e) {
        out << "echec " << e.fullMessage() << '\n';
    });
    AlmanacModel *m = source.model();
    const QModelIndex cell = m->index(source.currentRow(), m->fieldIndex(QStringLiteral("Evenement1")));
    m->setData(cell, QStringLiteral("saisi"));
    const bool ecrit = m->submit();
    out << "ecrit " << (ecrit ? "oui" : "non") << '\n';
    out << "grille " << m->data(cell, Qt::EditRole).toString() << '\n';
    return 0;
}

Form2 &f2() { return *Windows::form2(); }
DataGrid *grid() { return f2().findChild<DataGrid *>(QStringLiteral("DataGrid1")); }
QLabel *label() { return f2().findChild<QLabel *>(QStringLiteral("Label1")); }
TabStrip *tabs() { return f2().findChild<TabStrip *>(QStringLiteral("TabStrip1")); }
void clickTab(int position)
{
    QTest::mouseClick(tabs(), Qt::LeftButton, {}, tabs()->tabRect(position - 1).center());
}
void settle() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
}  // namespace

class TestHostile : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString base() const { return m_dir.filePath(QStringLiteral("ombo.mdb")); }

    static QString premiereBoite(const FakePlatform &d)
    {
        return d.boxes.isEmpty() ? QString() : d.boxes.first().text;
    }

private slots:
    void init()
    {
        QFile::remove(base());
        QFile::remove(base() + QStringLiteral("-journal"));
        QDir(base()).removeRecursively();
        Module1::reset();
        RecordSource::forgetUnsaved();
    }
    void cleanup()
    {
        Windows::unloadForm1();
        Windows::unloadForm2();
        settle();
    }

    // Files that are no usable almanac: the load beeps and names the file in
    // an "Erreur N°" box, and never creates or changes anything.
    void brokenFiles_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("words");  // part of the description
        QTest::newRow("truncated to half") << "half" << 11 << "endommagé";
        QTest::newRow("truncated to one page") << "page" << 11 << "endommagé";
        QTest::newRow("rows overwritten") << "rows" << 11 << "endommagé";
        QTest::newRow("header overwritten") << "header" << 26 << "n'est pas un fichier d'almanach";
        QTest::newRow("folder of that name") << "folder" << 14 << "Impossible d'ouvrir";
        QTest::newRow("other table") << "table" << 1 << "La table « Evenements » est absente";
        QTest::newRow("no Evenement2 column") << "column" << 1 << "La colonne « Evenement2 » manque";
        QTest::newRow("no id, no rowid") << "norowid" << 1 << "ni colonne « id » ni identifiant";
    }
    void brokenFiles()
    {
        QFETCH(QString, damage);
        QFETCH(int, number);
        QFETCH(QString, words);
        if (damage == QLatin1String("folder")) {
            QVERIFY(QDir().mkpath(base()));
        } else if (damage == QLatin1String("table")) {
            QVERIFY(runSql(base(), {QStringLiteral("CREATE TABLE Autre (x)")}));
        } else if (damage == QLatin1String("column")) {
            QVERIFY(runSql(base(), {QStringLiteral("CREATE TABLE Evenements (id INTEGER PRIMARY KEY, Date, Evenement1)"),
                                      QStringLiteral("INSERT INTO Evenements (Date, Evenement1) VALUES ('05/01', 'x')")}));
        } else if (damage == QLatin1String("norowid")) {
            QVERIFY(runSql(base(), {QStringLiteral("CREATE TABLE Evenements (Date PRIMARY KEY, Evenement1, Evenement2) WITHOUT ROWID")}));
        } else {
            QVERIFY(writeAlmanac(base(), fullYear()));
            QByteArray bytes = readFile(base());
            QVERIFY(bytes.size() >= 5 * 4096);
            if (damage == QLatin1String("half"))
                bytes.truncate(bytes.size() / 2);
            else if (damage == QLatin1String("page"))
                bytes.truncate(4096);
            else if (damage == QLatin1String("header"))
                bytes.replace(0, 100, QByteArray(100, '\x5a'));
            else  // the cells of the table's last pages
                for (int at = 3 * 4096; at < bytes.size(); at += 4096)
                    bytes.replace(at + 2048, 2000, QByteArray(2000, '\x7f'));
            QVERIFY(writeFile(base(), bytes));
        }
        const QByteArray avant = readFile(base());
        FakePlatform desktop;
        desktop.folder = m_dir.path();
        RecordSource source;
        QVERIFY(!loadAlmanac(source, m_dir.path()));
        QCOMPARE(desktop.events, (QStringList{"beep", "box"}));
        const QString text = premiereBoite(desktop);
        QVERIFY2(text.startsWith(QStringLiteral("Erreur N° %1 - ").arg(number)), qPrintable(text));
        QVERIFY2(text.contains(words), qPrintable(text));
        QVERIFY2(text.contains(base()), qPrintable(text));
        QCOMPARE(desktop.boxes[0].style, 0);
        QCOMPARE(readFile(base()), avant);
    }

    // The folder's name is part of the file's address, never of its options:
    // a missing almanac is still refused and never created.
    void oddFolderName_data()
    {
        QTest::addColumn<bool>("exists");
        QTest::newRow("missing") << false;
        QTest::newRow("present") << true;
    }
    void oddFolderName()
    {
        QFETCH(bool, exists);
        const QString folder = m_dir.filePath(QStringLiteral("a?mode=rwc&cache=shared#b %20 é;Data Source=x\"y\""));
        QVERIFY(QDir().mkpath(folder));
        const QString path = folder + QStringLiteral("/ombo.mdb");
        QFile::remove(path);
        if (exists)
            QVERIFY(writeAlmanac(path, fullYear()));
        FakePlatform desktop;
        RecordSource source;
        QCOMPARE(loadAlmanac(source, folder), exists);
        QCOMPARE(QFile::exists(path), exists);
        if (exists) {
            QCOMPARE(Module1::JourEv1, QStringLiteral("A 05/01"));
        } else {
            QVERIFY2(premiereBoite(desktop).startsWith(QStringLiteral("Erreur N° 14 - ")), qPrintable(premiereBoite(desktop)));
            QVERIFY(premiereBoite(desktop).contains(path));
        }
    }

    // Another program keeps the file locked past the busy wait: the load
    // says so, and works once the lock is gone.
    void lockedAtLoad()
    {
        QVERIFY(writeAlmanac(base(), fullYear()));
        FakePlatform desktop;
        RecordSource source;
        QElapsedTimer clock;
        clock.start();
        {
            Verrou verrou(base(), true);
            QVERIFY(verrou.ok());
            QVERIFY(!loadAlmanac(source, m_dir.path()));
        }
        QVERIFY(clock.elapsed() < 10000);
        QVERIFY2(premiereBoite(desktop).startsWith(QStringLiteral("Erreur N° 5 - ")), qPrintable(premiereBoite(desktop)));
        QVERIFY(premiereBoite(desktop).contains(base()));
        desktop.clear();
        QVERIFY(loadAlmanac(source, m_dir.path()));
        QCOMPARE(Module1::JourEv1, QStringLiteral("A 05/01"));
        QVERIFY(desktop.events.isEmpty());
    }

    // A row that cannot be written: a box names the file and says the edit was
    // not recorded, the typed text stays in the grid, and a retry once the
    // cause is gone writes it.
    void failedWriteKeepsTheText_data()
    {
        QTest::addColumn<QString>("cause");
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("words");
        QTest::newRow("locked by a reader") << "busy" << 5 << "occupé";
        QTest::newRow("disk full") << "full" << 13 << "plein";
        QTest::newRow("file deleted") << "deleted" << 8 << "supprimé ou remplacé";
        QTest::newRow("file replaced") << "replaced" << 8 << "supprimé ou remplacé";
    }
    void failedWriteKeepsTheText()
    {
        QFETCH(QString, cause);
        QFETCH(int, number);
        QFETCH(QString, words);
        QVERIFY(writeAlmanac(base(), fullYear()));
        FakePlatform desktop;
        RecordSource source;
        QVERIFY(loadAlmanac(source, m_dir.path()));
        AlmanacModel *m = source.model();
        QSignalSpy failed(&source, &RecordSource::writeFailed);
        const QModelIndex cell = m->index(4, m->fieldIndex(QStringLiteral("Evenement1")));
        const QString typed = cause == QLatin1String("full") ? QString(100000, QLatin1Char('z'))
                                                             : QStringLiteral("tapé à la main");
        std::unique_ptr<Verrou> verrou;
        QSqlQuery connexion(m->database());
        if (cause == QLatin1String("busy")) {
            verrou = std::make_unique<Verrou>(base(), false);
            QVERIFY(verrou->ok());
        } else if (cause == QLatin1String("full")) {
            QVERIFY(connexion.exec(QStringLiteral("PRAGMA page_count")) && connexion.next());
            const int pages = connexion.value(0).toInt();
            QVERIFY(connexion.exec(QStringLiteral("PRAGMA max_page_count = %1").arg(pages)));
        } else if (cause == QLatin1String("deleted")) {
            QVERIFY(QFile::remove(base()));
        } else {
            const QString autre = m_dir.filePath(QStringLiteral("autre.mdb"));
            QVERIFY(writeAlmanac(autre, fullYear()));
            QVERIFY(::rename(QFile::encodeName(autre).constData(), QFile::encodeName(base()).constData()) == 0);
        }

        QVERIFY(m->setData(cell, typed));
        QVERIFY(!m->submit());
        QCOMPARE(failed.count(), 1);
        const OmboError e = failed[0][0].value<OmboError>();
        QCOMPARE(e.number(), number);
        QVERIFY2(e.description().contains(words), qPrintable(e.description()));
        QVERIFY2(e.description().contains(base()), qPrintable(e.description()));
        QVERIFY2(e.description().contains(QStringLiteral("pas été enregistrée")), qPrintable(e.description()));
        QCOMPARE(m->data(cell, Qt::EditRole).toString(), typed);
        if (QFile::exists(base()))
            QCOMPARE(readField(base(), 5, QStringLiteral("Evenement1")).toString(), QStringLiteral("A 05/01"));
        // The row is kept marked; saving again neither retries it nor raises a box.
        QVERIFY(m->data(cell, Qt::ToolTipRole).toString().startsWith(QStringLiteral("Non enregistré : ")));
        QVERIFY(source.save());
        QCOMPARE(failed.count(), 1);
        QCOMPARE(m->data(cell, Qt::EditRole).toString(), typed);

        if (cause == QLatin1String("busy") || cause == QLatin1String("full")) {
            verrou.reset();
            QVERIFY(connexion.exec(QStringLiteral("PRAGMA max_page_count = 1000000")));
            QVERIFY(m->setData(cell, typed));  // edited again: written
            QVERIFY(m->submit());
            QCOMPARE(readField(base(), 5, QStringLiteral("Evenement1")).toString(), typed);
        }
    }

    // The file and its folder readable but not writable, for a user that is
    // not root (root ignores file modes): the almanac still loads and greets,
    // and an edit fails with a box while the text stays in the grid.
    void readOnly_data()
    {
        QTest::addColumn<bool>("fileWritable");
        QTest::addColumn<bool>("folderWritable");
        QTest::addColumn<QString>("words");
        QTest::newRow("read-only file") << false << true << "lecture seule";
        QTest::newRow("read-only folder") << true << false << "dossier";
        QTest::newRow("both read-only") << false << false << "lecture seule";
    }
    void readOnly()
    {
        QFETCH(bool, fileWritable);
        QFETCH(bool, folderWritable);
        QFETCH(QString, words);
        if (geteuid() != 0)
            QSKIP("needs root to act as another user");
        const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
        if (setpriv.isEmpty())
            QSKIP("setpriv is missing");
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("ombo.mdb"));
        QVERIFY(writeAlmanac(path, fullYear()));
        const QByteArray avant = readFile(path);
        QVERIFY(QFile::setPermissions(path, fileWritable ? QFileDevice::Permissions(0x6666) : QFileDevice::Permissions(0x4444)));
        QVERIFY(QFile::setPermissions(dir.path(), folderWritable ? QFileDevice::Permissions(0x7777) : QFileDevice::Permissions(0x5555)));

        QProcess child;
        child.start(setpriv, {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                              QStringLiteral("--clear-groups"), QCoreApplication::applicationFilePath(),
                              QStringLiteral("--enfant"), dir.path()});
        QVERIFY(child.waitForFinished(30000));
        const QString out = QString::fromUtf8(child.readAllStandardOutput());
        QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0,
                 qPrintable(out + QString::fromUtf8(child.readAllStandardError())));
        const QStringList lines = out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QVERIFY2(lines.contains(QStringLiteral("charge oui")), qPrintable(out));
        QVERIFY2(lines.contains(QStringLiteral("jour A 05/01")), qPrintable(out));
        QVERIFY2(lines.contains(QStringLiteral("ecrit non")), qPrintable(out));
        QVERIFY2(lines.contains(QStringLiteral("grille saisi")), qPrintable(out));
        const QStringList echecs = lines.filter(QStringLiteral("echec "));
        QCOMPARE(echecs.size(), 1);
        QVERIFY2(echecs[0].startsWith(QStringLiteral("echec Erreur N° ")), qPrintable(echecs[0]));
        QVERIFY2(echecs[0].contains(words) && echecs[0].contains(path), qPrintable(echecs[0]));
        QVERIFY2(echecs[0].contains(QStringLiteral("pas été enregistrée")), qPrintable(echecs[0]));
        QCOMPARE(readFile(path), avant);
        QVERIFY(QFile::setPermissions(dir.path(), QFileDevice::Permissions(0x7700)));
    }

    // Odd contents, shown in the update window and the greeting: every row is
    // visited, the greeting is drawn, and nothing but numbered boxes appears.
    void oddContents_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("todayText");  // what the greeting shows for today
        QTest::newRow("Null and empty dates everywhere") << "nulldates" << "A 05/01";
        QTest::newRow("dates in disorder") << "shuffled" << "A 05/01";
        QTest::newRow("today twice") << "twice" << "premier";
        QTest::newRow("extra rows") << "extra" << "A 05/01";
        QTest::newRow("100 KB texts") << "long" << QString(100000, QLatin1Char('L'));
        QTest::newRow("line breaks, tabs, controls") << "controls" << "a\nb\tc\r\x01\x1b[31m\x7f";
        QTest::newRow("markup") << "markup" << "<b>x</b><img src=\"/etc/passwd\">";
        QTest::newRow("invalid UTF-8 text") << "badutf8" << "";
        QTest::newRow("blobs and numbers") << "blobs" << "";
    }
    void oddContents()
    {
        QFETCH(QString, kind);
        QFETCH(QString, todayText);
        QVector<TestRow> days = fullYear();
        QStringList sql;
        if (kind == QLatin1String("nulldates")) {
            for (int i = 0; i < days.size(); ++i)
                if (i != 4)
                    days[i].date = i % 2 ? QVariant(QMetaType::fromType<QString>()) : QVariant(QString());
        } else if (kind == QLatin1String("shuffled")) {
            std::reverse(days.begin(), days.end());
        } else if (kind == QLatin1String("twice")) {
            days[4].ev1 = QStringLiteral("premier");
            days.insert(5, {QStringLiteral("05/01"), QStringLiteral("second"), QStringLiteral("second")});
        } else if (kind == QLatin1String("extra")) {
            for (const char *k : {"32/01", "00/00", "99/99", "-1/+1", "1,5/2.", "256/01", "05<img src=x>01", "\n\n/\t"})
                days.append({QString::fromLatin1(k), QStringLiteral("extra"), kNull});
        } else if (kind == QLatin1String("long")) {
            for (TestRow &l : days)
                l.ev1 = l.ev2 = QString(100000, QLatin1Char('L'));
            days[10].date = QString(100000, QLatin1Char('9'));
        } else if (kind == QLatin1String("controls")) {
            for (TestRow &l : days)
                l.ev1 = l.ev2 = todayText;
            days[6].date = QStringLiteral("07\n01");
        } else if (kind == QLatin1String("markup")) {
            for (TestRow &l : days)
                l.ev1 = l.ev2 = todayText;
            days[6].date = QStringLiteral("07<b>01");
        }
        QVERIFY(writeAlmanac(base(), days));
        if (kind == QLatin1String("badutf8")) {
            QVERIFY(runSql(base(), {QStringLiteral("UPDATE Evenements SET Evenement1 = CAST(x'41ff80c0fe00e29c' AS TEXT), "
                                                     "Evenement2 = CAST(x'c3' AS TEXT)"),
                                      QStringLiteral("UPDATE Evenements SET Date = CAST(x'30ff2f3031' AS TEXT) WHERE id = 7")}));
        } else if (kind == QLatin1String("blobs")) {
            QVERIFY(runSql(base(), {QStringLiteral("UPDATE Evenements SET Evenement1 = x'00ff10', Evenement2 = 3.5"),
                                      QStringLiteral("UPDATE Evenements SET Date = x'30352f3031' WHERE id = 6"),
                                      QStringLiteral("UPDATE Evenements SET Date = 7 WHERE id = 7")}));
        }

        FakePlatform desktop;
        desktop.folder = m_dir.path();
        QElapsedTimer clock;
        clock.start();
        Windows::start();
        QVERIFY(Windows::form2());
        // The load itself succeeds; a neighbouring key that names no day may
        // give a numbered box on the way.
        QVERIFY2(!desktop.events.contains(QStringLiteral("beep")), qPrintable(premiereBoite(desktop)));
        for (const FakePlatform::Box &b : desktop.boxes)
            QVERIFY2(b.text.startsWith(QStringLiteral("Erreur N° ")), qPrintable(b.text));
        QCOMPARE(label()->textFormat(), Qt::PlainText);
        if (!todayText.isEmpty())
            QCOMPARE(Module1::JourEv1, todayText);
        AlmanacModel *m = f2().source()->model();
        QCOMPARE(m->rowCount(), days.size());

        // Walk the whole grid: a key that names no day gives a box, no more.
        QTest::keyClick(grid(), Qt::Key_Home);
        for (int row = 1; row < m->rowCount(); ++row) {
            desktop.clear();
            QTest::keyClick(grid(), Qt::Key_Down);
            QCOMPARE(f2().source()->currentRow(), row);
            QVERIFY(desktop.events.isEmpty() || desktop.events == QStringList{"box"});
            for (const FakePlatform::Box &b : desktop.boxes)
                QVERIFY2(b.text.startsWith(QStringLiteral("Erreur N° ")), qPrintable(b.text));
            const QVariant date = m->data(m->index(row, m->fieldIndex(QStringLiteral("Date"))), Qt::EditRole);
            if (desktop.events.isEmpty())  // the label shows the key as it is, markup included
                QVERIFY(label()->text().endsWith(QStringLiteral("  ") + date.toString()));
            if (row % 20 == 0) {  // paint the rows in view, in good time
                QElapsedTimer paint;
                paint.start();
                grid()->viewport()->grab();
                QVERIFY2(paint.elapsed() < 3000, "painting the grid stalls");
            }
        }
        if (kind == QLatin1String("long")) {  // a cell shows the start, the editor gets it all
            const QModelIndex cell = m->index(4, m->fieldIndex(QStringLiteral("Evenement1")));
            QVERIFY(m->data(cell, Qt::DisplayRole).toString().size() <= AlmanacModel::kDisplayMax + 1);
            QCOMPARE(m->data(cell, Qt::EditRole).toString(), todayText);
        }
        // The greeting draws today's texts, whatever they hold.
        clickTab(1);
        settle();
        QVERIFY(Windows::form1() && !Windows::form1()->drawing().isNull());
        QVERIFY2(clock.elapsed() < 60000, "far too slow");
        Windows::unloadForm1();
        Windows::unloadForm2();
        settle();
    }

    // A key holding markup is shown as typed in the label.
    void markupKeyInTheLabel()
    {
        QVector<TestRow> days = fullYear();
        days[5].date = QStringLiteral("06<img src=x>01");
        QVERIFY(writeAlmanac(base(), days));
        FakePlatform desktop;
        desktop.folder = m_dir.path();
        Windows::start();
        QTest::keyClick(grid(), Qt::Key_Down);
        QCOMPARE(label()->text(), QStringLiteral("   Mardi  06<img src=x>01"));
        QCOMPARE(label()->textFormat(), Qt::PlainText);
        QVERIFY(desktop.events.isEmpty());
        Windows::unloadForm2();
        settle();
    }

    // Editing a row whose texts hold bytes that are no UTF-8, or blobs, must
    // write: the other texts of the row are not "changed by another copy".
    void editRowWithRawBytes_data()
    {
        QTest::addColumn<QString>("update");
        QTest::newRow("invalid UTF-8 text") << "Evenement2 = CAST(x'41ff80c3' AS TEXT)";
        QTest::newRow("blob") << "Evenement2 = x'00ff10'";
        QTest::newRow("number") << "Evenement2 = 3.25, Date = 5";
        QTest::newRow("text with a NUL") << "Evenement2 = CAST(x'410042' AS TEXT)";
    }
    void editRowWithRawBytes()
    {
        QFETCH(QString, update);
        QVERIFY(writeAlmanac(base(), fullYear()));
        QVERIFY(runSql(base(), {QStringLiteral("UPDATE Evenements SET %1 WHERE id = 5").arg(update)}));
        FakePlatform desktop;
        RecordSource source;
        source.setConnectionString(QStringLiteral("Data Source=") + base());
        source.refresh();
        AlmanacModel *m = source.model();
        QSignalSpy failed(&source, &RecordSource::writeFailed);
        QVERIFY(m->setData(m->index(4, m->fieldIndex(QStringLiteral("Evenement1"))), QStringLiteral("nouveau")));
        const bool ok = m->submit();
        QVERIFY2(ok, failed.isEmpty() ? "" : qPrintable(failed[0][0].value<OmboError>().fullMessage()));
        QCOMPARE(readField(base(), 5, QStringLiteral("Evenement1")).toString(), QStringLiteral("nouveau"));
        // and the other copy's guard still works on such a row
        QVERIFY(runSql(base(), {QStringLiteral("UPDATE Evenements SET Evenement1 = 'autre' WHERE id = 5")}));
        QVERIFY(m->setData(m->index(4, m->fieldIndex(QStringLiteral("Evenement1"))), QStringLiteral("encore")));
        QVERIFY(!m->submit());
        QCOMPARE(failed.last()[0].value<OmboError>().number(), 3197);
    }

    // The desktop's boxes show any text as it is, never as markup.
    void desktopBoxIsPlainText()
    {
        const QString text = QStringLiteral("Erreur N° 1 - <b>gras</b> <img src=\"x\"> a < b");
        DesktopPlatform desktop;
        Qt::TextFormat format = Qt::RichText;
        QString shown;
        QTimer::singleShot(0, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            format = box->textFormat();
            shown = box->text();
            box->done(0);
        });
        desktop.messageBox(text, QString(), Style::OkOnly);
        QCOMPARE(format, Qt::PlainText);
        QCOMPARE(shown, text);
    }
};

int main(int argc, char *argv[])
{
    if (argc == 3 && qstrcmp(argv[1], "--enfant") == 0) {
        QCoreApplication app(argc, argv);
        return enfant(QString::fromLocal8Bit(argv[2]));
    }
    QApplication app(argc, argv);
    TestHostile test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_hostile.moc"
