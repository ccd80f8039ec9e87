// In-process figures of the program's own work, in wall time:
//   QT_QPA_PLATFORM=offscreen bench/bench_ombo [QtTest options]
// and one start-up, for callgrind:
//   QT_QPA_PLATFORM=offscreen bench/bench_ombo --startup <folder holding ombo.mdb>
// The figures run on a 366-row almanac written in a temporary folder, with a
// desktop that answers 6 December 2026 and records any box instead of
// showing it.
#include "AlmanacFixture.h"
#include "FakePlatform.h"
#include "FirstPaint.h"
#include "core/Module1.h"
#include "ui/Windows.h"
#include "calendar/NomDuJour.h"
#include "store/transfer/Writers.h"
#include "store/AlmanacModel.h"
#include "store/DailyBackup.h"
#include "store/RecordSource.h"
#include "store/TroisJours.h"
#include "ui/Booklet.h"
#include "ui/DataGrid.h"
#include "ui/Form1.h"
#include "ui/Form2.h"
#include "ui/SearchWindow.h"
#include "ui/TabStrip.h"

#include <QApplication>
#include <QAction>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QTreeWidget>
#include <QTemporaryDir>
#include <QtTest>

namespace {
const QDate kToday(2026, 12, 6);

Form2 &f2() { return *Windows::form2(); }
DataGrid *grid() { return f2().findChild<DataGrid *>(QStringLiteral("DataGrid1")); }
QLabel *label() { return f2().findChild<QLabel *>(QStringLiteral("Label1")); }
TabStrip *tabs() { return f2().findChild<TabStrip *>(QStringLiteral("TabStrip1")); }

void settle()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void clickTab(int position)
{
    QTest::mouseClick(tabs(), Qt::LeftButton, {}, tabs()->tabRect(position - 1).center());
}

void unloadAll()
{
    Windows::unloadForm1();
    Windows::unloadForm2();
    settle();
}

// One start-up as the program does it, up to the update window's first
// paint; then the windows go. Returns the process's exit status.
int startupOnce(const QString &folder)
{
    FakePlatform desktop;
    desktop.date = QDate::currentDate();
    desktop.folder = folder;
    FirstPaint paint(QStringLiteral("Form2"));
    Windows::start();
    const bool painted = paint.wait();
    QCoreApplication::processEvents();
    unloadAll();
    for (const FakePlatform::Box &b : desktop.boxes)
        qWarning("box: %s", qPrintable(b.text));
    if (!painted)
        qWarning("the update window was never painted");
    return painted && desktop.events.isEmpty() ? 0 : 1;
}
}  // namespace

class BenchOmbo : public QObject
{
    Q_OBJECT

    QTemporaryDir m_root;
    QDir m_dir;  // a fresh almanac for each function: some of them write to it
    int m_round = 0;
    FakePlatform *m_desktop = nullptr;

private slots:
    void initTestCase()
    {
        QVERIFY(m_root.isValid());
    }
    void init()
    {
        Module1::reset();
        const QString folder = QString::number(++m_round);
        m_dir.setPath(m_root.filePath(folder));
        m_desktop = new FakePlatform;
        m_desktop->date = kToday;
        m_desktop->folder = m_dir.path();
        QVERIFY(QDir(m_root.path()).mkdir(folder));
        QVERIFY(writeAlmanac(m_dir.filePath(QStringLiteral("ombo.mdb")), fullYear()));
    }
    void cleanup()
    {
        unloadAll();
        QVERIFY2(m_desktop->events.isEmpty(), qPrintable(m_desktop->events.join(QLatin1Char(' '))));
        delete m_desktop;
    }

    // Opens the file, reads the table and copies yesterday's, today's and
    // tomorrow's texts.
    void threeDayExtraction()
    {
        RecordSource source;
        QBENCHMARK {
            extraireTroisJours(source, m_dir.path());
        }
        QCOMPARE(Module1::JourEv1, QStringLiteral("A 06/12"));
        QCOMPARE(Module1::HierEv2, QStringLiteral("B 05/12"));
        QCOMPARE(Module1::DemainEv1, QStringLiteral("A 07/12"));
        QCOMPARE(source.currentRow(), 340);
    }

    // Windows::start() up to the first paint of the update window. Each
    // round also unloads the window, so that the next one starts afresh.
    void startToFirstPaint()
    {
        FirstPaint paint(QStringLiteral("Form2"));
        QBENCHMARK {
            paint.reset();
            Windows::start();
            QVERIFY(paint.wait());
            Windows::unloadForm2();
            settle();
        }
    }

    // Tab "Retour Message", greeting window painted, menu "Mise à Jour",
    // update window painted again.
    void greetingRoundTrip()
    {
        Windows::start();
        FirstPaint greetingWindow(QStringLiteral("Form1")), updateWindow(QStringLiteral("Form2"));
        QVERIFY(updateWindow.wait());
        QBENCHMARK {
            greetingWindow.reset();
            clickTab(1);
            settle();
            QVERIFY(greetingWindow.wait());
            updateWindow.reset();
            Windows::form1()->findChild<QAction *>(QStringLiteral("mnMiseAJour"))->trigger();
            settle();
            QVERIFY(updateWindow.wait());
        }
        QVERIFY(Windows::form2()->isVisible());
        QCOMPARE(label()->text(), QStringLiteral("   Dimanche  06/12"));
    }

    // One row down with the keyboard, the label following and the window
    // repainted; from the last row, Home goes back to the first.
    void oneRow()
    {
        Windows::start();
        QCoreApplication::processEvents();
        DataGrid *g = grid();
        QBENCHMARK {
            QTest::keyClick(g, g->currentIndex().row() == 365 ? Qt::Key_Home : Qt::Key_Down);
            QCoreApplication::processEvents();
        }
        const QString date = f2().source()->fieldValue(QStringLiteral("Date")).toString();
        QVERIFY(label()->text().endsWith(QStringLiteral("  ") + date));
    }

    // The whole table, from the first row to the last (365 moves).
    void all366Rows()
    {
        Windows::start();
        QCoreApplication::processEvents();
        DataGrid *g = grid();
        QStringList seen;
        QBENCHMARK {
            seen.clear();
            QTest::keyClick(g, Qt::Key_Home);
            seen << label()->text();
            for (int i = 1; i < 366; ++i) {
                QTest::keyClick(g, Qt::Key_Down);
                QCoreApplication::processEvents();
                seen << label()->text();
            }
        }
        QCOMPARE(seen.size(), 366);
        QCOMPARE(seen.first(), QStringLiteral("   Jeudi  01/01"));
        QCOMPARE(seen.last(), QStringLiteral("   Jeudi  31/12"));
    }

    // One edited row written, with its history row, through the grid's path.
    void writeWithHistory()
    {
        RecordSource source;
        extraireTroisJours(source, m_dir.path());
        AlmanacModel *m = source.model();
        const QModelIndex cell = m->index(source.currentRow(), m->fieldIndex(QStringLiteral("Evenement1")));
        int n = 0;
        m->setData(cell, QStringLiteral("avant"));
        QVERIFY(m->writeRow(source.currentRow()));  // the day's backup is made here, not measured
        QBENCHMARK {
            m->setData(cell, QStringLiteral("texte %1").arg(++n));
            QVERIFY(m->writeRow(source.currentRow()));
        }
    }

    // Ctrl+Z then Ctrl+Y in the grid, each written to the file and repainted:
    // one iteration is two round trips.
    void undoRedoRoundTrips()
    {
        Windows::start();
        QCoreApplication::processEvents();
        DataGrid *g = grid();
        f2().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f2()));
        g->setFocus();
        AlmanacModel *m = f2().source()->model();
        const QModelIndex cell = m->index(340, m->fieldIndex(QStringLiteral("Evenement1")));
        const QString before = cell.data().toString();
        QVERIFY(m->writeValue(340, QStringLiteral("Evenement1"), before + QStringLiteral(" modifié")));
        QTest::keyClick(g, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(cell.data().toString(), before);
        QTest::keyClick(g, Qt::Key_Y, Qt::ControlModifier);
        QBENCHMARK {
            QTest::keyClick(g, Qt::Key_Z, Qt::ControlModifier);
            QCoreApplication::processEvents();
            QTest::keyClick(g, Qt::Key_Y, Qt::ControlModifier);
            QCoreApplication::processEvents();
        }
        QCOMPARE(cell.data().toString(), before + QStringLiteral(" modifié"));
    }

    // The day's copy of the 366-row almanac (VACUUM INTO), one day per iteration.
    void dailyBackup()
    {
        RecordSource source;
        extraireTroisJours(source, m_dir.path());
        DailyBackup backup(m_dir.filePath(QStringLiteral("ombo.mdb")));
        static int days = 0;  // -median runs this function again: a new day each time
        QBENCHMARK {
            m_desktop->date = kToday.addDays(++days);
            QVERIFY2(backup.makeIfDue(source.model()->database()), qPrintable(m_desktop->date.toString()));
        }
    }

    // One keystroke in the search window to its results shown: "a " finds
    // all 366 rows, "a 1" the 120 of days 10 to 19; the keystrokes alternate
    // between the two.
    void searchKeystroke()
    {
        Windows::start();
        grid()->findChild<QAction *>(QStringLiteral("actionSearch"))->trigger();
        auto *search = f2().findChild<SearchWindow *>();
        auto *field = search->findChild<QLineEdit *>(QStringLiteral("query"));
        QTest::keyClicks(field, QStringLiteral("a "));
        QCoreApplication::processEvents();
        QBENCHMARK {
            QTest::keyClick(field, field->text().size() == 2 ? Qt::Key_1 : Qt::Key_Backspace);
            QCoreApplication::processEvents();
        }
        QVERIFY(search->resultRows().size() == 366 || search->resultRows().size() == 120);
    }

    // Each text export of the 366 rows, from the table to the file written.
    void textExport_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("ics") << "a.ics";
        QTest::newRow("csv") << "a.csv";
        QTest::newRow("calendar") << "a.txt";
    }
    void textExport()
    {
        QFETCH(QString, name);
        Windows::start();
        const QString path = m_dir.filePath(name);
        QString error;
        bool ok = false;
        QBENCHMARK {
            const QList<DayRow> rows = almanacRows(*f2().source()->model());
            const QByteArray bytes = name.endsWith(QLatin1String("ics")) ? exportIcs(rows, kToday)
                                     : name.endsWith(QLatin1String("csv")) ? exportCsv(rows)
                                                                             : exportCalendarText(rows);
            ok = writeFileAtomically(path, bytes, &error);
        }
        QVERIFY(ok);
    }

    // The booklet as a PDF file.
    void pdfExport()
    {
        Windows::start();
        const QString path = m_dir.filePath(QStringLiteral("a.pdf"));
        QString error;
        bool ok = false;
        QBENCHMARK {
            ok = writeBookletPdf(path, almanacRows(*f2().source()->model()), kToday, &error);
        }
        QVERIFY(ok);
    }

    void dayName()
    {
        QString name;
        QBENCHMARK {
            name = dayNameInYear(u"06/12", 2026);
        }
        QCOMPARE(name, QStringLiteral("Dimanche"));
    }
};

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    if (argc == 3 && qstrcmp(argv[1], "--startup") == 0)
        return startupOnce(QString::fromLocal8Bit(argv[2]));
    BenchOmbo bench;
    return QTest::qExec(&bench, argc, argv);
}

#include "bench_ombo.moc"
