#include "AlmanacFixture.h"
#include "FakePlatform.h"
#include "app/DesktopPlatform.h"
#include "app/QtTranslations.h"
#include "core/Module1.h"
#include "ui/Windows.h"
#include "store/AlmanacModel.h"
#include "store/RecordSource.h"
#include "ui/DataGrid.h"
#include "ui/Form1.h"
#include "ui/Form2.h"
#include "ui/HistoryDialog.h"
#include "ui/SearchWindow.h"
#include "ui/ImportDialog.h"
#include "ui/TabStrip.h"

#include <QClipboard>
#include <QAccessible>
#include <QFile>
#include <QFileDialog>
#include <QToolButton>
#include <QPushButton>
#include <QLabel>

#include <QTemporaryDir>
#include <QTextDocument>
#include <QToolTip>
#include <QTreeWidget>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {
Form2 &f2() { return *Windows::form2(); }
DataGrid *grid() { return f2().findChild<DataGrid *>(QStringLiteral("DataGrid1")); }
QLabel *label() { return f2().findChild<QLabel *>(QStringLiteral("Label1")); }
TabStrip *tabs() { return f2().findChild<TabStrip *>(QStringLiteral("TabStrip1")); }

void clickTab(int position)
{
    QTest::mouseClick(tabs(), Qt::LeftButton, {}, tabs()->tabRect(position - 1).center());
}

void menu(const char *name)
{
    Windows::form1()->findChild<QAction *>(QString::fromLatin1(name))->trigger();
}

void settle()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Types `text` into the first text of `row` (today's by default), and leaves
// the editor open.
void typeInToday(const QString &text, int row = -1, const char *field = "Evenement1")
{
    AlmanacModel *m = f2().source()->model();
    const QModelIndex cell = m->index(row < 0 ? f2().source()->currentRow() : row, m->fieldIndex(field));
    grid()->setCurrentIndex(cell);
    grid()->edit(cell);
    auto *editor = qobject_cast<CellEditor *>(grid()->cells()->openEditor());
    QVERIFY(editor);
    editor->setPlainText(text);
}

// Leaves the current row for `row`, as a click would.
void goTo(int row)
{
    grid()->setCurrentIndex(grid()->currentIndex().siblingAtRow(row));
}

QVariant cell(int row, const char *field = "Evenement1", int role = Qt::EditRole)
{
    AlmanacModel *m = f2().source()->model();
    return m->index(row, m->fieldIndex(field)).data(role);
}

// Another copy of the program writes today's first text (row 05/01).
void anotherCopyWritesToday(const QString &file, const QString &text)
{
    RecordSource other;
    other.setConnectionString(QStringLiteral("Data Source=") + file);
    other.refresh();
    AlmanacModel *m = other.model();
    QVERIFY(m->setData(m->index(4, m->fieldIndex("Evenement1")), text));
    QVERIFY(m->submit());
}

// A tooltip's text as the eye reads it (markup rendered).
QString shownTip(const QString &tip)
{
    QTextDocument shown;
    shown.setHtml(tip);
    return Qt::mightBeRichText(tip) ? shown.toPlainText() : tip;
}

// Pixels of exactly `colour` in the band of greeting line `n`, from x on.
int pixelsOnLine(const Form1 &form, int n, QColor colour, qreal fromX = 0)
{
    const QImage &img = form.drawing();
    const qreal ratio = img.devicePixelRatio();
    const QRectF band = form.lineBand(n);
    int count = 0;
    for (int y = qCeil(band.top() * ratio); y < qFloor(band.bottom() * ratio) && y < img.height(); ++y)
        for (int x = qCeil(fromX * ratio); x < img.width(); ++x)
            count += img.pixel(x, y) == colour.rgb();
    return count;
}
}  // namespace

class TestWindows : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    FakePlatform *m_desktop = nullptr;
    QString base() const { return m_dir.filePath(QStringLiteral("ombo.mdb")); }
    void trigger(const char *name) { grid()->findChild<QAction *>(QString::fromLatin1(name))->trigger(); }
    int currentRow() { return f2().source()->currentRow(); }
    // A box as its text, its title and its style.
    QStringList box(int i) const
    {
        const FakePlatform::Box &b = m_desktop->boxes.at(i);
        return {b.text, b.title, QString::number(b.style)};
    }

    void start(const QVector<TestRow> &days = fullYear())
    {
        QVERIFY(writeAlmanac(base(), days));
        Windows::start();
        QVERIFY(Windows::form2());
    }

private slots:
    void init()
    {
        QFile::remove(base());
        Module1::reset();
        RecordSource::forgetUnsaved();
        m_desktop = new FakePlatform;
        m_desktop->folder = m_dir.path();
    }
    void cleanup()
    {
        Windows::unloadForm1();
        Windows::unloadForm2();
        settle();
        delete m_desktop;
    }

    // Keys on the grid, Alt access keys and mouse buttons on the tabs: where
    // the grid and its weekday label go, and what else happens. The tabs
    // answer the left button only; "&Ce Jour" comes back to today.
    void inputs_data()
    {
        QTest::addColumn<bool>("fromEnd");
        QTest::addColumn<QString>("input");  // a key sequence, or "click N" / "right N" / "middle N" on tab N
        QTest::addColumn<QStringList>("events");
        QTest::addColumn<QString>("caption");
        const QString first = u"   Jeudi  01/01"_s, last = u"   Vendredi  31/12"_s, today = u"   Lundi  05/01"_s;
        QTest::newRow("start-up") << false << "" << QStringList() << today;
        QTest::newRow("Home") << false << "Home" << QStringList() << first;
        QTest::newRow("End") << false << "End" << QStringList() << last;
        QTest::newRow("Down") << false << "Down" << QStringList() << u"   Mardi  06/01"_s;
        QTest::newRow("Alt+C") << true << "Alt+C" << QStringList() << today;
        QTest::newRow("Alt+Q") << true << "Alt+Q" << QStringList{"end"} << last;
        QTest::newRow("left click, Ce Jour") << true << "click 4" << QStringList() << today;
        QTest::newRow("right click, Ce Jour") << true << "right 4" << QStringList() << last;
        QTest::newRow("middle click, Quitter") << true << "middle 5" << QStringList() << last;
    }
    void inputs()
    {
        QFETCH(bool, fromEnd);
        QFETCH(QString, input);
        QFETCH(QStringList, events);
        QFETCH(QString, caption);
        start();
        QVERIFY(QTest::qWaitForWindowActive(&f2()));
        QVERIFY(!Windows::form1());
        QCOMPARE(f2().windowTitle(), QStringLiteral("Mise à jour de l'Ombrelune - Valdric V 2.0"));
        if (fromEnd)
            QTest::keyClick(grid(), Qt::Key_End);
        const QStringList click = input.split(u' ');
        if (click.size() == 2) {
            const Qt::MouseButton button = click[0] == u"click" ? Qt::LeftButton : click[0] == u"right" ? Qt::RightButton : Qt::MiddleButton;
            QTest::mouseClick(tabs(), button, {}, tabs()->tabRect(click[1].toInt() - 1).center());
        } else if (!input.isEmpty()) {
            const QKeyCombination key = QKeySequence(input)[0];
            QTest::keyClick(grid(), key.key(), key.keyboardModifiers());
        }
        QCOMPARE(m_desktop->events, events);
        QCOMPARE(label()->text(), caption);
        QCOMPARE(f2().source()->currentRow(), grid()->currentIndex().row());
        QCOMPARE(f2().focusWidget(), grid());
    }

    // Today's row missing, or no row at all: the load's two boxes, then
    // "&Ce Jour" finds nothing (on an empty table, its bare number as well).
    void missingTodayRow_data()
    {
        QTest::addColumn<bool>("empty");
        QTest::addColumn<QString>("caption");
        QTest::newRow("05/01 missing") << false << "   Jeudi  01/01";
        QTest::newRow("empty table") << true << "Label1";
    }
    void missingTodayRow()
    {
        QFETCH(bool, empty);
        QFETCH(QString, caption);
        QVector<TestRow> days = fullYear();
        empty ? days.clear() : days.remove(4);
        start(days);
        QCOMPARE(m_desktop->events, (QStringList{"box", "beep", "box"}));
        QVERIFY(m_desktop->boxes[0].text.startsWith(QStringLiteral("Erreur N° 3021 - ")));
        QVERIFY(m_desktop->boxes[1].text.startsWith(QStringLiteral("La date 05/01 ")));
        m_desktop->clear();
        if (empty) {
            QTest::keyClick(grid(), Qt::Key_Home);
            QTest::keyClick(grid(), Qt::Key_End);
            QVERIFY(m_desktop->events.isEmpty());
        }
        clickTab(4);
        QCOMPARE(m_desktop->boxes.size(), empty ? 2 : 1);
        QVERIFY(m_desktop->boxes[0].text.startsWith(QStringLiteral("Erreur N° 3021 - ")));
        if (empty)  // "&Ce Jour" itself fails: its bare number, untitled
            QCOMPARE(box(1), (QStringList{"3021", "", "0"}));
        QCOMPARE(label()->text(), caption);
    }

    // A key that cannot be read, reached by Down, Home or End: one move, one
    // box, the caption kept. Markup inside a readable key shows as typed, to
    // the eye and to a screen reader.
    void oddKeys_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("key");
        QTest::addColumn<QVariant>("date");
        QTest::addColumn<QString>("outcome");  // the error box's beginning, or the caption
        const int down = Qt::Key_Down;
        QTest::newRow("Null") << 1 << down << QVariant(QMetaType::fromType<QString>()) << "Erreur N° 94 - ";
        QTest::newRow("markup, no key") << 1 << down << QVariant(QString("<b>x</b>")) << "Erreur N° 13 - ";
        QTest::newRow("first, by Home") << 0 << int(Qt::Key_Home) << QVariant(QString("ab/cd")) << "Erreur N° 13 - ";
        QTest::newRow("last, by End") << 365 << int(Qt::Key_End) << QVariant(QString("ab/cd")) << "Erreur N° 13 - ";
        QTest::newRow("markup in a key") << 1 << down << QVariant(QString("02<b>x</b>01")) << "   Vendredi  02<b>x</b>01";
    }
    void oddKeys()
    {
        QFETCH(int, row);
        QFETCH(int, key);
        QFETCH(QVariant, date);
        QFETCH(QString, outcome);
        QVector<TestRow> days = fullYear();
        days[row].date = date;
        start(days);
        if (key == Qt::Key_Down)
            QTest::keyClick(grid(), Qt::Key_Home);
        const QString before = label()->text();
        int moves = 0;
        connect(f2().source(), &RecordSource::currentRowChanged, this, [&] { ++moves; });
        m_desktop->clear();
        QTest::keyClick(grid(), Qt::Key(key));
        QCOMPARE(moves, 1);
        if (outcome.startsWith(QLatin1String("Erreur"))) {
            QCOMPARE(m_desktop->events, QStringList{"box"});
            QVERIFY2(m_desktop->boxes[0].text.startsWith(outcome), qPrintable(m_desktop->boxes[0].text));
            QCOMPARE(label()->text(), before);
        } else {
            QVERIFY(m_desktop->events.isEmpty());
            QCOMPARE(label()->text(), outcome);
            QCOMPARE(QAccessible::queryAccessibleInterface(label())->text(QAccessible::Name), outcome);
        }
    }

    // Back from the greeting, the hidden update window is shown as it was
    // (the file is not read again); after "&Réduire" it is loaded afresh.
    void backToTheGrid_data()
    {
        QTest::addColumn<bool>("minimised");
        QTest::newRow("not read again") << false;
        QTest::newRow("read again after Réduire") << true;
    }
    void backToTheGrid()
    {
        QFETCH(bool, minimised);
        start();
        clickTab(1);
        settle();
        Form2 *hidden = Windows::form2();
        if (minimised) {
            menu("MnIcone");
            settle();
            QVERIFY(!Windows::form2() && Windows::form1()->isMinimized());
        }
        anotherCopyWritesToday(base(), QStringLiteral("relu"));
        menu("mnMiseAJour");
        settle();
        QVERIFY(!Windows::form1() && f2().isVisible());
        QCOMPARE(Windows::form2() == hidden, !minimised);
        QCOMPARE(asText(cell(4)), minimised ? QStringLiteral("relu") : QStringLiteral("A 05/01"));
        QCOMPARE(label()->text(), QStringLiteral("   Lundi  05/01"));
        QVERIFY(m_desktop->events.isEmpty());
    }

    // The greeting's lines, each blue (B), red (R) or blank (.), starting at
    // their twips: an empty text keeps its line, a long one is cut at the
    // edge, each line of a text takes a line and what follows moves down.
    void greetingDrawing_data()
    {
        QTest::addColumn<QString>("today1");
        QTest::addColumn<QVariant>("today2");
        QTest::addColumn<QString>("tomorrow1");
        QTest::addColumn<QString>("lines");
        QTest::newRow("plain") << "A 05/01" << QVariant("B 05/01") << "A 06/01" << "B.BBBRRRBBB";
        QTest::newRow("long, Null, empty") << QString(200, QLatin1Char('W')) << QVariant(QMetaType::fromType<QString>())
                                           << "" << "B.BBBRR.B.B";
        QTest::newRow("two lines") << "Ligne un\r\nLigne deux" << QVariant("B 05/01") << "A 06/01" << "B.BBBRRRRBBB";
    }
    void greetingDrawing()
    {
        QFETCH(QString, today1);
        QFETCH(QVariant, today2);
        QFETCH(QString, tomorrow1);
        QFETCH(QString, lines);
        QVector<TestRow> days = fullYear();
        days[4].ev1 = today1;
        days[4].ev2 = today2;
        days[5].ev1 = tomorrow1;
        start(days);
        QVERIFY(cell(4, "Evenement1", Qt::DisplayRole).toString().endsWith(today1.section(QLatin1Char('\n'), -1)));
        clickTab(1);
        settle();
        const Form1 &f1 = *Windows::form1();
        QCOMPARE(f1.windowTitle(), QStringLiteral("Ombrelune - Accueil"));
        QCOMPARE(f1.centralWidget()->size(), QSize(345, 266));
        const QColor blue(0, 0, 255), red(255, 0, 0);
        for (int n = 1; n <= lines.size(); ++n) {
            const QChar want = lines[n - 1];
            QVERIFY2((pixelsOnLine(f1, n, blue) > 20) == (want == u'B') && (pixelsOnLine(f1, n, red) > 20) == (want == u'R')
                         && pixelsOnLine(f1, n, want == u'B' ? red : blue) == 0,
                     qPrintable(QStringLiteral("line %1").arg(n)));
        }
        // The greeting starts at x = 140 twips, headings at 200, day texts at 1050.
        QCOMPARE(pixelsOnLine(f1, 1, blue), pixelsOnLine(f1, 1, blue, 140 / 15.0));
        QCOMPARE(pixelsOnLine(f1, 3, blue), pixelsOnLine(f1, 3, blue, 200 / 15.0));
        QVERIFY(pixelsOnLine(f1, 4, blue, 1050 / 15.0 + 1) < pixelsOnLine(f1, 4, blue));
        QCOMPARE(pixelsOnLine(f1, 4, blue), pixelsOnLine(f1, 4, blue, 1050 / 15.0));
        if (today1.size() == 200)
            QVERIFY(pixelsOnLine(f1, 7, red, f1.centralWidget()->width() - 2) > 0);  // runs to the edge
    }

    // Opening a cell and leaving it, by Enter or by moving away, writes nothing.
    void openingACellChangesNothing_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QByteArray>("rawText");  // bytes stored as text when not empty
        QTest::newRow("Null") << QVariant(QMetaType::fromType<QString>()) << QByteArray();
        QTest::newRow("empty") << QVariant(QString("")) << QByteArray();
        QTest::newRow("40 000 characters") << QVariant(QString(40000, QLatin1Char('x')) + "fin") << QByteArray();
        QTest::newRow("no UTF-8") << QVariant() << QByteArray("caf\xe9 \xff\xfe");
        QTest::newRow("blob") << QVariant(QByteArray("\0\x01 binaire", 10)) << QByteArray();
        QTest::newRow("line breaks") << QVariant(QString("un\r\ndeux\rtrois\nquatre")) << QByteArray();
    }
    void openingACellChangesNothing()
    {
        QFETCH(QVariant, stored);
        QFETCH(QByteArray, rawText);
        QVector<TestRow> days = fullYear();
        days[4].ev1 = stored;
        QVERIFY(writeAlmanac(base(), days));
        if (!rawText.isEmpty())
            QVERIFY(runSql(base(), {QStringLiteral("UPDATE Evenements SET Evenement1 = CAST(? AS TEXT) WHERE id = 5")},
                             {rawText}));
        const QByteArray before = readFile(base());
        Windows::start();
        AlmanacModel *m = f2().source()->model();
        grid()->setCurrentIndex(m->index(4, m->fieldIndex("Evenement1")));
        QTest::keyClick(grid(), Qt::Key_F2);
        QTest::keyClick(grid()->viewport()->findChild<CellEditor *>(), Qt::Key_Return);
        QTest::keyClick(grid(), Qt::Key_F2);
        grid()->setCurrentIndex(m->index(6, m->fieldIndex("Evenement1")));
        QVERIFY(f2().savePending());
        QCOMPARE(readFile(base()), before);
        grid()->setCurrentIndex(m->index(4, m->fieldIndex("Evenement1")));
        QTest::keyClick(grid(), Qt::Key_C, Qt::ControlModifier);  // the whole text, not what the cell shows
        QCOMPARE(QGuiApplication::clipboard()->text(), m->index(4, m->fieldIndex("Evenement1")).data(Qt::EditRole).toString());
        QVERIFY(m_desktop->events.isEmpty());
    }

    // A table of just the three named columns: read in the file's order, and saved.
    void almanacWithoutIdColumn()
    {
        QVERIFY(runSql(base(), {QStringLiteral("CREATE TABLE Evenements (Date TEXT, Evenement1 TEXT, Evenement2 TEXT)")}));
        for (const TestRow &l : fullYear())
            QVERIFY(runSql(base(), {QStringLiteral("INSERT INTO Evenements VALUES (?, ?, ?)")}, {l.date, l.ev1, l.ev2}));
        Windows::start();
        QCOMPARE(label()->text(), QStringLiteral("   Lundi  05/01"));
        QCOMPARE(f2().source()->model()->index(31, f2().source()->model()->fieldIndex("Date")).data().toString(),
                 QStringLiteral("01/02"));
        typeInToday(QStringLiteral("sans id"));
        QTest::keyClick(grid(), Qt::Key_Down);
        QVERIFY(m_desktop->events.isEmpty());
        QCOMPARE(asText(readField(base(), 5, "Evenement1", QStringLiteral("rowid"))), QStringLiteral("sans id"));
        QCOMPARE(asText(readField(base(), 6, "Evenement1", QStringLiteral("rowid"))), QStringLiteral("A 06/01"));
    }

    // Every way to end, from either window, ends once and keeps the edit
    // typed in the grid; only Esc in the update window beeps.
    void ending_data()
    {
        QTest::addColumn<bool>("greeting");
        QTest::addColumn<QString>("how");
        QTest::addColumn<QStringList>("events");
        QTest::newRow("Esc") << false << "esc" << QStringList{"beep", "end"};
        QTest::newRow("quit tab") << false << "quit" << QStringList{"end"};
        QTest::newRow("window closed") << false << "close" << QStringList{"end"};
        QTest::newRow("greeting, Esc") << true << "esc" << QStringList{"end"};
        QTest::newRow("greeting, Quitter") << true << "quit" << QStringList{"end"};
        QTest::newRow("greeting closed") << true << "close" << QStringList{"end"};
    }
    void ending()
    {
        QFETCH(bool, greeting);
        QFETCH(QString, how);
        QFETCH(QStringList, events);
        start();
        typeInToday(QStringLiteral("gardé"));
        QWidget *window = &f2();
        if (greeting) {
            clickTab(1);
            settle();
            window = Windows::form1();
            QVERIFY(window->isVisible() && Windows::form2() && !f2().isVisible());  // reloaded hidden
            QCOMPARE(Module1::JourEv1, QStringLiteral("gardé"));                  // the greeting shows the edit
            QTest::keyClick(window, Qt::Key_A);
        }
        if (how == QLatin1String("esc"))
            QTest::keyClick(greeting ? window : grid()->viewport()->findChild<CellEditor *>(), Qt::Key_Escape);
        else if (how == QLatin1String("quit"))
            greeting ? menu("mnQuitter") : clickTab(5);
        else
            window->close();
        QCOMPARE(m_desktop->events, events);
        QCOMPARE(asText(readField(base(), 5, "Evenement1")), QStringLiteral("gardé"));
    }

    // Another copy wrote today's row: this copy's text is refused with a box
    // quoting the other's, kept marked, and blocks nothing; edited again, it
    // is written, and the other copy's text stays in the history.
    void refusedRowBlocksNothing()
    {
        start();
        typeInToday(QStringLiteral("mien"));
        anotherCopyWritesToday(base(), QStringLiteral("<b>autre</b>"));
        goTo(5);
        QCOMPARE(m_desktop->events, QStringList{"box"});
        QVERIFY2(m_desktop->boxes[0].text.startsWith(QStringLiteral("Erreur N° 3197 - "))
                     && m_desktop->boxes[0].text.contains(QStringLiteral("05/01"))
                     && m_desktop->boxes[0].text.contains(QStringLiteral("« <b>autre</b> »")),
                 qPrintable(m_desktop->boxes[0].text));
        // Its tooltip shows the other copy's text as written, markup and all.
        const QPoint at = grid()->visualRect(grid()->model()->index(4, f2().source()->model()->fieldIndex("Evenement1"))).center();
        QHelpEvent hover(QEvent::ToolTip, at, grid()->viewport()->mapToGlobal(at));
        QApplication::sendEvent(grid()->viewport(), &hover);
        QCOMPARE(shownTip(QToolTip::text()), u"Non enregistré : "_s + m_desktop->boxes[0].text.mid(17));
        typeInToday(QStringLiteral("six"), 5);
        goTo(6);
        QCOMPARE(asText(readField(base(), 6, "Evenement1")), QStringLiteral("six"));
        QCOMPARE(asText(cell(4)), QStringLiteral("mien"));
        QVERIFY(cell(4, "Evenement1", AlmanacModel::RefusedRole).isValid());
        QVERIFY(cell(4, "Evenement2", Qt::ToolTipRole).toString().startsWith(QStringLiteral("Non enregistré : ")));
        goTo(4);
        goTo(7);  // passing by writes nothing of it
        QCOMPARE(m_desktop->boxes.size(), 1);
        typeInToday(QStringLiteral("mien encore"), 4);
        goTo(5);
        QCOMPARE(asText(readField(base(), 5, "Evenement1")), QStringLiteral("mien encore"));
        QCOMPARE(m_desktop->boxes.size(), 1);
        QVERIFY(!cell(4, "Evenement1", AlmanacModel::RefusedRole).isValid());
        const auto past = f2().source()->model()->history(QStringLiteral("05/01"));
        QCOMPARE(past.size(), 2);  // the other copy's write, then ours
        QCOMPARE(past[0].before.toString(), QStringLiteral("<b>autre</b>"));
        QCOMPARE(past[0].after.toString(), QStringLiteral("mien encore"));
    }

    // "&Ce Jour" takes the open cell's text first, like every way of leaving a row.
    void todayTabWritesTheOpenCell_data()
    {
        QTest::addColumn<bool>("otherCopyFirst");
        QTest::newRow("written") << false;
        QTest::newRow("refused, kept") << true;
    }
    void todayTabWritesTheOpenCell()
    {
        QFETCH(bool, otherCopyFirst);
        start();
        typeInToday(QStringLiteral("tapé"));
        if (otherCopyFirst)
            anotherCopyWritesToday(base(), QStringLiteral("autre"));
        clickTab(4);
        QCOMPARE(asText(readField(base(), 5, "Evenement1")), otherCopyFirst ? QStringLiteral("autre") : QStringLiteral("tapé"));
        QCOMPARE(m_desktop->boxes.size(), otherCopyFirst ? 1 : 0);
        QCOMPARE(grid()->currentIndex().row(), 4);
        QCOMPARE(asText(cell(4)), QStringLiteral("tapé"));
        QCOMPARE(cell(4, "Evenement1", AlmanacModel::RefusedRole).isValid(), otherCopyFirst);
    }

    // Ctrl+Z walks back across rows (a Null comes back as Null), Ctrl+Y and
    // Ctrl+Shift+Z go forward; the history dialog writes an old value back.
    void undoRedoAndHistory()
    {
        QVector<TestRow> days = fullYear();
        days[5].ev2 = QVariant(QMetaType::fromType<QString>());
        start(days);
        typeInToday(QStringLiteral("un"));
        typeInToday(QStringLiteral("deux"), 5, "Evenement2");
        typeInToday(QStringLiteral("trois"), 6);
        goTo(10);
        f2().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f2()));
        grid()->setFocus();
        const auto key = [](int k, Qt::KeyboardModifiers mods) { QTest::keyClick(grid(), Qt::Key(k), mods); };
        for (int row : {6, 5, 4}) {
            key(Qt::Key_Z, Qt::ControlModifier);
            QCOMPARE(grid()->currentIndex().row(), row);
        }
        QCOMPARE(asText(readField(base(), 5, "Evenement1")), QStringLiteral("A 05/01"));
        QVERIFY(readField(base(), 6, "Evenement2").isNull());
        QCOMPARE(asText(readField(base(), 7, "Evenement1")), QStringLiteral("A 07/01"));
        key(Qt::Key_Y, Qt::ControlModifier);
        key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(asText(readField(base(), 5, "Evenement1")), QStringLiteral("un"));
        QCOMPARE(asText(readField(base(), 6, "Evenement2")), QStringLiteral("deux"));
        QCOMPARE(grid()->currentIndex().row(), 5);

        // The history from the keyboard: Enter in the list writes nothing;
        // "Rétablir" writes the newest change's old value once the user says yes.
        goTo(4);
        key(Qt::Key_H, Qt::ControlModifier);
        auto *dialog = f2().findChild<HistoryDialog *>();
        QVERIFY(dialog);
        dialog->activateWindow();  // what a window manager does with a new window
        const auto typed = [](int k) { QTest::keyClick(QApplication::focusWidget(), Qt::Key(k)); };
        QTRY_COMPARE(QApplication::focusWidget(), dialog->findChild<QTreeWidget *>());
        typed(Qt::Key_Return);
        typed(Qt::Key_Tab);
        typed(Qt::Key_Space);  // on "Rétablir", answered no
        QCOMPARE(m_desktop->questions.size(), 1);
        QCOMPARE(asText(readField(base(), 5, "Evenement1")), QStringLiteral("un"));
        m_desktop->answerYes = true;
        typed(Qt::Key_Space);
        QCOMPARE(asText(readField(base(), 5, "Evenement1")), QStringLiteral("A 05/01"));
        dialog->close();
        f2().activateWindow();
        QTRY_COMPARE(QApplication::focusWidget(), grid());
        goTo(20);  // a day without history: nothing to restore
        key(Qt::Key_H, Qt::ControlModifier);
        QTRY_COMPARE(f2().findChildren<HistoryDialog *>().size(), 1);
        QVERIFY(!f2().findChild<HistoryDialog *>()->findChild<QPushButton *>(u"restore"_s)->isEnabled());
        f2().findChild<HistoryDialog *>()->close();
        f2().activateWindow();
        QTRY_COMPARE(QApplication::focusWidget(), grid());
        // Restoring is a change like any other: undone next, unless another
        // copy changed the row meanwhile.
        anotherCopyWritesToday(base(), QStringLiteral("autre"));
        key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(asText(readField(base(), 5, "Evenement1")), QStringLiteral("autre"));
        QCOMPARE(m_desktop->boxes.size(), 1);
        QVERIFY(m_desktop->boxes[0].text.startsWith(QStringLiteral("Erreur N° 3197 - ")));
    }

    // Undo writes back only over what this copy wrote: once another copy
    // wrote the row and the grid read it again, undo is refused with 3197
    // and the other copy's text stays.
    void undoKeepsAnotherCopysText()
    {
        start();
        typeInToday(u"mien"_s);
        goTo(5);
        anotherCopyWritesToday(base(), u"autre"_s);
        clickTab(4);
        QCOMPARE(asText(cell(4)), u"autre"_s);
        trigger("undo");
        QCOMPARE(asText(readField(base(), 5, u"Evenement1"_s)), u"autre"_s);
        QCOMPARE(m_desktop->boxes.size(), 1);
        QVERIFY2(m_desktop->boxes[0].text.startsWith(u"Erreur N° 3197 - "_s) && m_desktop->boxes[0].text.contains(u"« autre »"_s),
                 qPrintable(m_desktop->boxes[0].text));
    }

    // Texts refused at the end are kept in a file the end box names, offered
    // at the next start and written on "Réécrire"; when even that file
    // cannot be written, the box itself holds them.
    void refusedTextsOutliveTheProgram_data()
    {
        QTest::addColumn<bool>("stateWritable");
        QTest::newRow("kept in a file") << true;
        QTest::newRow("no file possible") << false;
    }
    void refusedTextsOutliveTheProgram()
    {
        QFETCH(bool, stateWritable);
        const QString state = m_desktop->stateFolder();
        QDir(state).removeRecursively();
        QFile::remove(state);
        if (!stateWritable)
            QVERIFY(writeFile(state, "un fichier, pas un dossier"));
        const QString typed = QStringLiteral("a\tb\\c\nd");
        start();
        typeInToday(typed);
        anotherCopyWritesToday(base(), QStringLiteral("autre"));
        QTest::keyClick(grid(), Qt::Key_Escape);
        QCOMPARE(m_desktop->events, (QStringList{"beep", "box", "box", "end"}));
        const QString endBox = m_desktop->boxes[1].text;
        QVERIFY2(endBox.contains(QStringLiteral("textes-non-enregistres.tsv")), qPrintable(endBox));
        QCOMPARE(endBox.contains(typed), !stateWritable);
        if (!stateWritable)
            return;

        Windows::unloadForm2();
        settle();
        m_desktop->clear();
        // A text another almanac refused waits for that almanac.
        const QString kept = state + QStringLiteral("/textes-non-enregistres.tsv");
        const QByteArray elsewhere = "2004-01-05T12:00:00Z\t05/01\tEvenement1\tpas ici\t/ailleurs/ombo.mdb\n";
        QVERIFY(writeFile(kept, readFile(kept) + elsewhere));
        Windows::start();
        auto *offer = f2().findChild<QDialog *>(QStringLiteral("RecoveryDialog"));
        QVERIFY(offer);
        QVERIFY(offer->findChild<QLabel *>(u"intro"_s)->text().endsWith(
            u"\n1 autre texte non enregistré appartient à un autre almanach : il reste gardé pour lui."_s));
        const QTreeWidgetItem *first = offer->findChild<QTreeWidget *>()->topLevelItem(0);
        QCOMPARE(QStringList({first->text(1), first->text(3)}), QStringList({u"Événement 1"_s, u"autre"_s}));
        offer->findChild<QPushButton *>(QStringLiteral("rewrite"))->click();
        QCOMPARE(asText(readField(base(), 5, "Evenement1")), typed);
        QCOMPARE(readFile(kept), elsewhere);
        QCOMPARE(m_desktop->events, QStringList{"box"});
        QCOMPARE(m_desktop->boxes[0].text, u"1 texte réécrit dans l'almanach."_s);
    }

    void helpAndAbout_data()
    {
        QTest::addColumn<bool>("fromGreeting");
        QTest::addColumn<int>("viewer");
        QTest::addColumn<QStringList>("events");
        for (bool greeting : {false, true}) {
            const char *w = greeting ? "greeting" : "grid";
            QTest::addRow("%s, help missing", w) << greeting << 2 << QStringList{"open", "beep", "box"};
            QTest::addRow("%s, help opens", w) << greeting << 42 << QStringList{"open"};
            QTest::addRow("%s, no viewer", w) << greeting << 31 << QStringList{"open"};
            QTest::addRow("%s, error while asking", w) << greeting << -1 << QStringList{"open", "box"};
        }
    }
    void helpAndAbout()
    {
        QFETCH(bool, fromGreeting);
        QFETCH(int, viewer);
        QFETCH(QStringList, events);
        start();
        QWidget *owner = &f2();
        if (fromGreeting) {
            clickTab(1);
            settle();
            owner = Windows::form1();
        }
        m_desktop->viewerResult = viewer;
        m_desktop->throwOnOpen = viewer < 0;
        fromGreeting ? menu("mnAide") : clickTab(2);
        QCOMPARE(m_desktop->events, events);
        QCOMPARE(m_desktop->openings[0].file, QStringLiteral("ombo.chm"));
        QCOMPARE(m_desktop->openings[0].workingDir, m_dir.path() + QLatin1Char('/'));
        QCOMPARE(m_desktop->openings[0].owner, owner);
        if (viewer == 2)
            QCOMPARE(box(0), (QStringList{"Le Fichier d'aide Ombo.chm est introuvable ou n'est pas associé correctement"
                                          "\r\navec un visualiseur de fichiers html",
                                          "Fichier d'Aide absent ou non associé.", "54"}));
        else if (viewer < 0)
            QCOMPARE(box(0), (QStringList{"3001", "", "0"}));

        m_desktop->clear();
        fromGreeting ? menu("MnApropos") : clickTab(3);
        QCOMPARE(m_desktop->events, (QStringList{"beep", "box"}));
        QCOMPARE(box(0), (QStringList{"Ombrelune, par Valdric\r\nV 2.0 - 11/2003", "Ombrelune.exe", "54"}));
    }

    // Cyan cells and a pink label, with black text even under a dark theme;
    // the selection keeps the theme's colour.
    void fixedColoursUnderADarkTheme()
    {
        const QPalette light = QApplication::palette();
        QPalette dark = light;
        dark.setColor(QPalette::Text, Qt::white);
        dark.setColor(QPalette::WindowText, Qt::white);
        dark.setColor(QPalette::Highlight, Qt::darkBlue);
        QApplication::setPalette(dark);
        start();
        const QPalette cells = grid()->palette(), pink = label()->palette();
        QApplication::setPalette(light);
        QCOMPARE((QList<QColor>{cells.color(QPalette::Base), cells.color(QPalette::Text), cells.color(QPalette::Highlight),
                                pink.color(QPalette::Window), pink.color(QPalette::WindowText)}),
                 (QList<QColor>{QColor(0xC0, 0xFF, 0xFF), Qt::black, Qt::darkBlue, QColor(0xFF, 0xC0, 0xC0), Qt::black}));
    }

    // The grid reads as a table of its three shown columns; after a move
    // made by the program ("&Ce Jour" after End) the current cell, and it
    // alone, reads as focused, under the number its move is announced with.
    void screenReaderFollowsTheCurrentCell()
    {
        start();
        QVERIFY(QTest::qWaitForWindowActive(&f2()));
        QTest::keyClick(grid(), Qt::Key_End);
        clickTab(4);
        QCOMPARE(QAccessible::queryAccessibleInterface(&f2())->role(), QAccessible::Window);
        QAccessibleInterface *table = QAccessible::queryAccessibleInterface(grid());
        QCOMPARE(table->text(QAccessible::Name), QStringLiteral("Almanach"));
        QAccessibleTableInterface *t = table->tableInterface();
        QStringList headers;
        for (int c = 0; c < t->columnCount(); ++c)
            headers << t->cellAt(0, c)->tableCellInterface()->columnHeaderCells().value(0)->text(QAccessible::Name);
        QCOMPARE(headers, (QStringList{"DATES", "Événement 1", "Événement 2"}));
        QAccessibleInterface *focused = table->focusChild();
        QVERIFY(focused && focused->state().focused && focused->state().selected);
        QCOMPARE(focused->tableCellInterface()->rowIndex(), 4);
        QCOMPARE(focused->text(QAccessible::Name), QStringLiteral("A 05/01"));
        QCOMPARE(table->child(table->indexOfChild(focused)), focused);
        QVERIFY(!t->cellAt(365, 1)->state().focused);
    }

    void screenReaderHearsTheGreeting()
    {
        start();
        clickTab(1);
        settle();
        QAccessibleInterface *surface = QAccessible::queryAccessibleInterface(Windows::form1()->centralWidget());
        QAccessibleTextInterface *text = surface->textInterface();
        QVERIFY(text);
        QCOMPARE(text->text(0, text->characterCount()).split(QLatin1Char('\n')),
                 (QStringList{"Bonjour ! Nous sommes le Lundi 05/01/2004", "", "Hier : ", "A 04/01", "B 04/01",
                              "Ce jour :", "A 05/01", "B 05/01", "Demain :", "A 06/01", "B 06/01"}));
    }

    // "Me saluer à l'ouverture de session": an entry that cannot be written
    // is said and left unchecked; then it is written, checked, and removed.
    void loginGreetingEntry()
    {
        start();
        auto *action = grid()->findChild<QAction *>(QStringLiteral("loginGreeting"));
        m_desktop->loginFails = true;
        action->trigger();
        QVERIFY(!action->isChecked() && m_desktop->events == (QStringList{"login", "box"}));
        m_desktop->loginFails = false;
        m_desktop->clear();
        action->trigger();
        QVERIFY(action->isChecked() && m_desktop->loginEntry.contains(" --notifier\n"));
        action->trigger();
        QVERIFY(!action->isChecked() && m_desktop->loginEntry.isEmpty());
        QCOMPARE(m_desktop->events, (QStringList{"login", "login"}));
    }

    void contextMenu()
    {
        start();
        QStringList shown;
        for (QAction *a : grid()->actions())
            shown << (a->isSeparator() ? u"—"_s : a->text() + u' ' + a->shortcut().toString());
        QCOMPARE(shown, (QStringList{"Rechercher… Ctrl+F", "Résultat suivant F3", "Résultat précédent Shift+F3",
                                     "Exporter… Ctrl+E", "Importer… Ctrl+I", "Imprimer… Ctrl+P", "Synchroniser… ", "—",
                                     "Annuler la modification Ctrl+Z", "Refaire la modification Ctrl+Y",
                                     "Historique du jour… Ctrl+H", "—", "Me saluer à l'ouverture de session "}));
        // Without its module (none is loaded here), the sync says so.
        grid()->findChild<QAction *>(u"actionSync"_s)->trigger();
        QCOMPARE(m_desktop->boxes.size(), 1);
        QCOMPARE(m_desktop->boxes[0].text, u"Le module de synchronisation ombo-synchro.so ne peut pas être chargé."_s);
    }

    // The results follow the query; Enter moves the grid to the first and
    // the weekday label follows; F3 and Shift+F3 go round them.
    void search()
    {
        QVector<TestRow> days = fullYear();
        days[10].ev1 = u"Ste-Catherine <b>"_s;
        days[300].ev2 = u"Sainte Catherine"_s;
        start(days);
        QVERIFY(!grid()->findChild<QAction *>(u"actionNextResult"_s)->isEnabled());
        f2().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f2()));
        grid()->setFocus();
        const auto typed = [](int k, Qt::KeyboardModifiers mods = {}) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key(k), mods);
        };
        typed(Qt::Key_F, Qt::ControlModifier);
        auto *search = f2().findChild<SearchWindow *>();
        QVERIFY(search);
        auto *field = search->findChild<QWidget *>(u"query"_s);
        QTRY_COMPARE(QApplication::focusWidget(), field);
        QTest::keyClicks(field, u"sainte cath"_s);
        QCOMPARE(search->resultRows(), (QList<int>{10, 300}));
        typed(Qt::Key_Down);  // into the results, on the first
        QCOMPARE(QApplication::focusWidget(), search->findChild<QWidget *>(u"results"_s));
        typed(Qt::Key_Return);
        QCOMPARE(currentRow(), 10);
        // Ctrl+F again selects the query: typing replaces it; no result is said.
        typed(Qt::Key_F, Qt::ControlModifier);
        QCOMPARE(QApplication::focusWidget(), field);
        QTest::keyClicks(field, u"xyz"_s);
        QCOMPARE(search->findChild<QLabel *>(u"status"_s)->text(), u"Aucun résultat pour « xyz »."_s);
        QVERIFY(!grid()->findChild<QAction *>(u"actionNextResult"_s)->isEnabled());
        // What a screen reader names: the field, the clear button, the list.
        for (QWidget *w : {field, static_cast<QWidget *>(field->findChild<QToolButton *>()), search->findChild<QWidget *>(u"results"_s)})
            QVERIFY(!QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name).isEmpty());
        field->setProperty("text", u"sainte cath"_s);
        QVERIFY(f2().findChild<QLabel *>(u"Label1"_s)->text().endsWith(u"11/01"_s));
        QCOMPARE(search->resultText(0), u"[Ste-Catherine] <b>"_s);  // literal, the match in bold
        QList<int> visited;
        for (const char *move : {"actionNextResult", "actionNextResult", "actionPreviousResult"}) {
            trigger(move);
            visited << currentRow();
        }
        QCOMPARE(visited, (QList<int>{300, 10, 300}));
    }

    void exportFromGrid_data()
    {
        QTest::addColumn<QString>("name");  // the file chosen; empty: cancelled
        QTest::addColumn<QByteArray>("begins");  // empty: no file written
        QTest::addColumn<QString>("box");
        const QString done = u"L'almanach est exporté"_s;
        QTest::newRow("csv") << "a.csv" << "Date,Evenement1,Evenement2\r\n01/01,A 01/01,B 01/01\r\n"_ba << done;
        QTest::newRow("pdf") << "a.pdf" << "%PDF"_ba << done;
        QTest::newRow("txt, a key that is no day left out")
            << "a.txt" << "/*\n"_ba
            << u"».\n\n1 ligne sans date lisible n'a pas été exportée : « Noël »."_s;
        QTest::newRow("unknown kind") << "a.doc" << QByteArray() << "l'extension du fichier doit être";
        QTest::newRow("cancelled") << "" << QByteArray() << "";
    }
    void exportFromGrid()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, begins);
        QFETCH(QString, box);
        QVector<TestRow> days = fullYear();
        days.insert(359, {u"Noël"_s, u"réveillon"_s, QVariant()});
        start(days);
        const QString path = name.isEmpty() ? QString() : m_dir.filePath(name);
        m_desktop->fileAnswers = {path};
        trigger("actionExport");
        QCOMPARE(m_desktop->boxes.size(), box.isEmpty() ? 0 : 1);
        QVERIFY(box.isEmpty() || m_desktop->boxes[0].text.contains(box));
        // A refused name is asked again; the dialog first offers a name.
        QCOMPARE(m_desktop->events.count(u"file"_s), name.endsWith(u".doc"_s) ? 2 : 1);
        QCOMPARE(m_desktop->proposedNames.value(0), u"almanach.ics"_s);
        QCOMPARE(readFile(path).left(begins.size()), begins);
        QCOMPARE(QFile::exists(path), !begins.isEmpty());
        QFile::remove(path);
    }

    // Qt's own dialogs and key names in French, under a French locale and
    // under one Qt has no translation for: the real export dialog's buttons.
    void qtTextsInFrench_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::newRow("French") << "fr_FR";
        QTest::newRow("C") << "C";
    }
    void qtTextsInFrench()
    {
        QFETCH(QString, locale);
        QVERIFY(installQtTranslations(QLocale(locale)));
        QStringList buttons;
        QTimer::singleShot(0, this, [&buttons] {
            auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            for (const QPushButton *b : dialog->findChildren<QPushButton *>())
                buttons << b->text().remove(u'&');
            dialog->reject();
        });
        DesktopPlatform().chooseFile(nullptr, u"Exporter l'almanach"_s, u"CSV (*.csv)"_s, true, u"almanach.csv"_s);
        QVERIFY2(buttons.contains(u"Enregistrer"_s) && buttons.contains(u"Annuler"_s), qPrintable(buttons.join(u',')));
        QVERIFY(!buttons.contains(u"Save"_s) && !buttons.contains(u"Cancel"_s));
        QCOMPARE(QKeySequence(Qt::SHIFT | Qt::Key_F3).toString(QKeySequence::NativeText), u"Maj+F3"_s);
    }

    // The preview lists the changes of the chosen policy and writes nothing;
    // "Importer" writes them through the grid's model and says so.
    void importWithPreview()
    {
        start();
        QVERIFY(writeFile(m_dir.filePath(u"in.csv"_s), "Date,Evenement1,Evenement2\n05/01,neuf,\n06/01,A 06/01,autre\n"));
        m_desktop->fileAnswers = {m_dir.filePath(u"in.csv"_s)};
        trigger("actionImport");
        auto *dialog = f2().findChild<ImportDialog *>();
        QVERIFY(dialog && dialog->isVisible());
        auto *list = dialog->findChild<QTreeWidget *>(u"changes"_s);
        auto *summary = dialog->findChild<QLabel *>(u"summary"_s);
        QCOMPARE(list->topLevelItemCount(), 0);  // "Compléter": no text is empty
        QCOMPARE(summary->text(), u"Aucun texte ne changerait avec « Compléter ».\n"
                                  "4 textes du fichier ne changent rien : le texte de l'almanach n'est pas vide, ou celui du fichier l'est."_s);
        dialog->setPolicy(ImportPolicy::Replace);
        QCOMPARE(list->topLevelItemCount(), 3);
        QCOMPARE(list->topLevelItem(0)->text(3), u"neuf"_s);
        QCOMPARE(list->topLevelItem(1)->text(3), u"(effacé)"_s);
        QVERIFY(summary->text().endsWith(u"\n1 texte du fichier ne change rien : l'almanach a déjà ce texte."_s));
        QCOMPARE(asText(readField(base(), 5, u"Evenement1"_s)), u"A 05/01"_s);
        QTest::mouseClick(dialog->findChild<QWidget *>(u"import"_s), Qt::LeftButton);
        QCOMPARE(asText(readField(base(), 5, u"Evenement1"_s)), u"neuf"_s);
        QVERIFY(readField(base(), 5, u"Evenement2"_s).isNull());
        AlmanacModel *m = f2().source()->model();
        QCOMPARE(m->index(4, m->fieldIndex("Evenement1")).data().toString(), u"neuf"_s);
        QCOMPARE(m_desktop->boxes.size(), 1);
        QVERIFY(m_desktop->boxes[0].text.startsWith(u"3 textes importés"_s));

        // One Ctrl+Z takes the whole import back, one Ctrl+Y writes it again.
        f2().activateWindow();
        QTRY_COMPARE(QApplication::focusWidget(), grid());
        const auto stored = [this] {
            return QStringList{asText(readField(base(), 5, u"Evenement1"_s)), asText(readField(base(), 5, u"Evenement2"_s)),
                               asText(readField(base(), 6, u"Evenement2"_s))};
        };
        const QStringList before{u"A 05/01"_s, u"B 05/01"_s, u"B 06/01"_s}, imported{u"neuf"_s, u"(null)"_s, u"autre"_s};
        QCOMPARE(stored(), imported);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(stored(), before);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(stored(), imported);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(stored(), before);
        QVERIFY(!grid()->findChild<QAction *>(u"undo"_s)->isEnabled());  // nothing else was written
    }

    // An import writes only the texts it changes: a row whose edit of the
    // other text was refused keeps that edit unwritten, and the other
    // copy's text stays. Rows another copy changed since the preview are
    // refused in one box, after the others are written.
    void importBesideRefusals()
    {
        start();
        typeInToday(u"mien"_s);
        anotherCopyWritesToday(base(), u"autre"_s);
        goTo(5);
        QCOMPARE(m_desktop->boxes.size(), 1);
        QVERIFY(writeFile(m_dir.filePath(u"in.csv"_s), "05/01,,plus\n06/01,,plus\n07/01,,plus\n08/01,,<i>plus</i>\n"));
        m_desktop->fileAnswers = {m_dir.filePath(u"in.csv"_s)};
        trigger("actionImport");
        auto *dialog = f2().findChild<ImportDialog *>();
        dialog->setPolicy(ImportPolicy::Append);
        auto *list = dialog->findChild<QTreeWidget *>(u"changes"_s);
        QCOMPARE(list->topLevelItemCount(), 4);  // the second texts only
        QCOMPARE(shownTip(list->topLevelItem(3)->toolTip(3)), u"B 08/01 ; <i>plus</i>"_s);
        QVERIFY(runSql(base(), {u"UPDATE Evenements SET Evenement2 = 'ailleurs' WHERE id IN (6, 7)"_s}));
        QTest::mouseClick(dialog->findChild<QWidget *>(u"import"_s), Qt::LeftButton);
        const QString expected[][2] = {{u"autre"_s, u"B 05/01 ; plus"_s}, {u"A 06/01"_s, u"ailleurs"_s},
                                       {u"A 07/01"_s, u"ailleurs"_s}, {u"A 08/01"_s, u"B 08/01 ; <i>plus</i>"_s}};
        for (int id = 5; id <= 8; ++id) {
            QCOMPARE(asText(readField(base(), id, u"Evenement1"_s)), expected[id - 5][0]);
            QCOMPARE(asText(readField(base(), id, u"Evenement2"_s)), expected[id - 5][1]);
        }
        QCOMPARE(asText(cell(4)), u"mien"_s);  // still this copy's, unwritten
        QVERIFY(cell(4, "Evenement1", AlmanacModel::RefusedRole).isValid());
        QCOMPARE(asText(cell(5, "Evenement2")), u"ailleurs"_s);
        QCOMPARE(m_desktop->boxes.size(), 2);
        QCOMPARE(m_desktop->boxes[1].text,
                 u"2 textes importés depuis « in.csv ».\n2 textes refusés :\n\nErreur N° 3197 - Une autre copie "
                 "d'Ombrelune a modifié cette ligne depuis sa lecture dans « %1 » : la modification n'a pas été "
                 "enregistrée.\n06/01 Événement 2, 07/01 Événement 2"_s.arg(base()));
    }

    // Printing draws the booklet on the printer chosen.
    void print()
    {
        start();
        m_desktop->printAccepted = true;
        m_desktop->printFile = m_dir.filePath(u"print.pdf"_s);
        trigger("actionPrint");
        QVERIFY(readFile(m_dir.filePath(u"print.pdf"_s)).startsWith("%PDF"));
    }

    // The pictures compiled into the program: each one there with its size,
    // and the tab pictures told apart by their colour.
    void pictures_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("hue");  // the tab discs' colour; -1 for the others
        const std::pair<const char *, int> fixed[] = {{"accueil", 32}, {"accueil16", 16}, {"miseajour", 32},
                                                      {"miseajour16", 16}};
        for (auto [name, size] : fixed)
            QTest::newRow(name) << QString::fromLatin1(name) << size << -1;
        QTest::newRow("background") << "fond" << 0 << -1;
        QTest::newRow("banner") << "banniere" << 0 << -1;
        const int hues[] = {0, -1, 120, 220, -1, -1};  // red cross, green question, blue information
        for (int i = 1; i <= 6; ++i) {
            QTest::addRow("image%d", i) << QStringLiteral("image%1").arg(i) << 16 << hues[i - 1];
            QTest::addRow("image%d_32", i) << QStringLiteral("image%1_32").arg(i) << 32 << hues[i - 1];
        }
        for (int s : {16, 32, 48, 64, 128, 256})
            QTest::addRow("icon %d", s) << QStringLiteral("ombrelune-%1").arg(s) << s << -1;
    }
    void pictures()
    {
        QFETCH(QString, name);
        QFETCH(int, size);
        QFETCH(int, hue);
        const QImage img(QStringLiteral(":/images/%1.png").arg(name));
        QCOMPARE(img.size(), size ? QSize(size, size) : name == QLatin1String("fond") ? QSize(539, 440) : QSize(600, 60));
        if (!name.startsWith(QLatin1String("image")))
            return;
        // Tab pictures stand on transparency and, for the discs, show their colour.
        QCOMPARE(qAlpha(img.pixel(0, 0)), 0);
        if (hue < 0)
            return;
        int inHue = 0;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                const QColor c = img.pixelColor(x, y);
                const int d = std::abs(c.hsvHue() - hue);
                inHue += c.alpha() > 200 && c.hsvSaturation() > 90 && std::min(d, 360 - d) < 25;
            }
        QVERIFY2(inHue > size * size / 3, qPrintable(QString::number(inHue)));
    }

    void desktopReportsAMissingHelpFile()
    {
        DesktopPlatform desktop;
        QCOMPARE(desktop.openWithViewer(nullptr, QStringLiteral("ombo.chm"), m_dir.path()), 2);
    }
};

QTEST_MAIN(TestWindows)
#include "tst_windows.moc"
