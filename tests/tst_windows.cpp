#include "AlmanacFixture.h"
#include "FakePlatform.h"
#include "app/DesktopPlatform.h"
#include "app/Module1.h"
#include "app/Windows.h"
#include "store/AlmanacModel.h"
#include "store/RecordSource.h"
#include "ui/DataGrid.h"
#include "ui/Form1.h"
#include "ui/Form2.h"
#include "ui/TabStrip.h"

#include <QAccessible>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QtTest>

namespace {
const QString kMissingDay = QStringLiteral(
    "La date 05/01 n'est pas rencontrée sous cette forme dans le champ Date\r\n"
    "de la Base de Données. Son intégrité est à reconsidérer.");

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

// Types `text` into the cell of today's row, column Evenement1, and leaves
// the editor open.
void typeInToday(const QString &text)
{
    AlmanacModel *m = f2().source()->model();
    const QModelIndex cell = m->index(f2().source()->currentRow(), m->fieldIndex("Evenement1"));
    grid()->setCurrentIndex(cell);
    grid()->edit(cell);
    auto *editor = grid()->viewport()->findChild<QLineEdit *>();
    QVERIFY(editor);
    editor->setText(text);
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

// Pixels of exactly `colour` in the band of greeting line `n`, from x on.
int pixelsOnLine(const Form1 &form, int n, QColor colour, qreal fromX = 0)
{
    const QImage &img = form.dessin();
    const qreal ratio = img.devicePixelRatio();
    const QRectF band = form.bandeLigne(n);
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

    void start(const QVector<Ligne> &lignes = anneeComplete())
    {
        QVERIFY(ecrireAlmanach(base(), lignes));
        Windows::start();
        QVERIFY(Windows::form2());
    }

private slots:
    void init()
    {
        QFile::remove(base());
        Module1::effacer();
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

    void startsOnTodaysRow()
    {
        start();
        QVERIFY(f2().isVisible());
        QVERIFY(!Windows::form1());
        QCOMPARE(f2().windowTitle(), QStringLiteral("Mise à jour de l'Ombrelune - Valdric V 2.0"));
        QCOMPARE(label()->text(), QStringLiteral("   Lundi  05/01"));
        QCOMPARE(grid()->currentIndex().row(), 4);
        QCOMPARE(f2().focusWidget(), grid());
        QVERIFY(m_desktop->events.isEmpty());
    }

    void labelFollowsTheGrid_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("caption");
        QTest::newRow("Home") << int(Qt::Key_Home) << 0 << "   Jeudi  01/01";
        QTest::newRow("End") << int(Qt::Key_End) << 0 << "   Vendredi  31/12";
        QTest::newRow("Ctrl+Home") << int(Qt::Key_Home) << int(Qt::ControlModifier) << "   Jeudi  01/01";
        QTest::newRow("Shift+End") << int(Qt::Key_End) << int(Qt::ShiftModifier) << "   Vendredi  31/12";
        QTest::newRow("Down") << int(Qt::Key_Down) << 0 << "   Mardi  06/01";
        QTest::newRow("Page Down") << int(Qt::Key_PageDown) << 0 << "";
    }
    void labelFollowsTheGrid()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, caption);
        start();
        QTest::keyClick(grid(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        const int row = grid()->currentIndex().row();
        QCOMPARE(f2().source()->currentRow(), row);
        const QString key5 = f2().source()->fieldValue(QStringLiteral("Date")).toString();
        QVERIFY(label()->text().endsWith(QStringLiteral("  ") + key5));
        if (!caption.isEmpty())
            QCOMPARE(label()->text(), caption);
        QVERIFY(m_desktop->events.isEmpty());
    }

    void todayTabGoesBack()
    {
        start();
        QTest::keyClick(grid(), Qt::Key_End);
        QStringList captions;
        connect(f2().source(), &RecordSource::currentRowChanged, this,
                [&] { captions << label()->text(); });
        clickTab(4);
        QCOMPARE(captions, (QStringList{"   Jeudi  01/01", "   Lundi  05/01"}));
        QCOMPARE(grid()->currentIndex().row(), 4);
        QCOMPARE(f2().focusWidget(), grid());
    }

    void missingTodayRow()
    {
        QVector<Ligne> lignes = anneeComplete();
        lignes.remove(4);
        start(lignes);
        QCOMPARE(m_desktop->events, (QStringList{"box", "beep", "box"}));
        QVERIFY(m_desktop->boxes[0].text.startsWith(QStringLiteral("Erreur N° 3021 - ")));
        QCOMPARE(m_desktop->boxes[1].text, kMissingDay);
        QCOMPARE(label()->text(), QStringLiteral("   Jeudi  01/01"));
        m_desktop->clear();

        clickTab(4);
        QCOMPARE(m_desktop->events, QStringList{"box"});
        QVERIFY(m_desktop->boxes[0].text.startsWith(QStringLiteral("Erreur N° 3021 - ")));
        QCOMPARE(m_desktop->boxes[0].style, 0);
        QCOMPARE(label()->text(), QStringLiteral("   Jeudi  01/01"));
    }

    void badDateKeepsTheCaption_data()
    {
        QTest::addColumn<QVariant>("date");
        QTest::addColumn<int>("number");
        QTest::newRow("Null") << QVariant(QMetaType::fromType<QString>()) << 94;
        QTest::newRow("empty") << QVariant(QString("")) << 13;
        QTest::newRow("malformed") << QVariant(QString("ab/01")) << 13;
        QTest::newRow("markup") << QVariant(QString("<b>x</b>")) << 13;
    }
    void badDateKeepsTheCaption()
    {
        QFETCH(QVariant, date);
        QFETCH(int, number);
        QVector<Ligne> lignes = anneeComplete();
        lignes[1].date = date;
        start(lignes);
        QTest::keyClick(grid(), Qt::Key_Home);
        m_desktop->clear();
        QTest::keyClick(grid(), Qt::Key_Down);
        QCOMPARE(m_desktop->events, QStringList{"box"});
        QVERIFY2(m_desktop->boxes[0].text.startsWith(QStringLiteral("Erreur N° %1 - ").arg(number)),
                 qPrintable(m_desktop->boxes[0].text));
        QCOMPARE(label()->text(), QStringLiteral("   Jeudi  01/01"));
    }

    void emptyTable()
    {
        start({});
        QCOMPARE(label()->text(), QStringLiteral("Label1"));
        QCOMPARE(m_desktop->events, (QStringList{"box", "beep", "box"}));
        QVERIFY(m_desktop->boxes[0].text.startsWith(QStringLiteral("Erreur N° 3021 - ")));
        QCOMPARE(m_desktop->boxes[1].text, kMissingDay);
        m_desktop->clear();
        QTest::keyClick(grid(), Qt::Key_Home);
        QTest::keyClick(grid(), Qt::Key_End);
        QVERIFY(m_desktop->events.isEmpty());
        QCOMPARE(label()->text(), QStringLiteral("Label1"));
    }

    void greetingShowsAnEditMadeInTheGrid()
    {
        start();
        typeInToday(QStringLiteral("corrigé"));
        clickTab(1);  // the editor is still open: leaving writes it
        settle();
        QVERIFY(Windows::form1() && Windows::form1()->isVisible());
        QVERIFY(Windows::form2() && !f2().isVisible());  // reloaded hidden
        QCOMPARE(Module1::JourEv1, QStringLiteral("corrigé"));
        QCOMPARE(lireChamp(base(), 5, "Evenement1").toString(), QStringLiteral("corrigé"));
        QVERIFY(m_desktop->events.isEmpty());
    }

    void backToTheGridDoesNotReadAgain()
    {
        start();
        clickTab(1);
        settle();
        Form2 *hidden = Windows::form2();
        QVERIFY(ecrireAlmanach(m_dir.filePath("autre.mdb"), {}));
        QFile::remove(base());  // a re-read would now fail
        menu("mnMiseAJour");
        settle();
        QVERIFY(!Windows::form1());
        QCOMPARE(Windows::form2(), hidden);
        QVERIFY(f2().isVisible());
        QCOMPARE(label()->text(), QStringLiteral("   Lundi  05/01"));
        QVERIFY(m_desktop->events.isEmpty());
    }

    void minimiseUnloadsTheGrid()
    {
        start();
        clickTab(1);
        settle();
        menu("MnIcone");
        settle();
        QVERIFY(!Windows::form2());
        QVERIFY(Windows::form1()->isMinimized());
        // Another copy changes today's text; the next load reads it.
        anotherCopyWritesToday(base(), QStringLiteral("relu"));
        menu("mnMiseAJour");
        settle();
        QVERIFY(Windows::form2() && f2().isVisible());
        QCOMPARE(Module1::JourEv1, QStringLiteral("relu"));
    }

    void greetingDrawing()
    {
        Module1::effacer();
        start();
        clickTab(1);
        settle();
        const Form1 &f1 = *Windows::form1();
        QCOMPARE(f1.windowTitle(), QStringLiteral("Ombrelune - Accueil"));
        QCOMPARE(f1.centralWidget()->size(), QSize(345, 266));
        const QColor bleu(0, 0, 255), rouge(255, 0, 0);
        for (int n : {1, 3, 4, 5, 9, 10, 11}) {
            QVERIFY2(pixelsOnLine(f1, n, bleu) > 20, qPrintable(QString::number(n)));
            QCOMPARE(pixelsOnLine(f1, n, rouge), 0);
        }
        for (int n : {6, 7, 8}) {
            QVERIFY2(pixelsOnLine(f1, n, rouge) > 20, qPrintable(QString::number(n)));
            QCOMPARE(pixelsOnLine(f1, n, bleu), 0);
        }
        QCOMPARE(pixelsOnLine(f1, 2, bleu) + pixelsOnLine(f1, 2, rouge), 0);
        // Headings start at x = 200 twips, day texts at 1050.
        QCOMPARE(pixelsOnLine(f1, 3, bleu) , pixelsOnLine(f1, 3, bleu, 200 / 15.0));
        QVERIFY(pixelsOnLine(f1, 4, bleu, 1050 / 15.0 + 1) < pixelsOnLine(f1, 4, bleu));
        QCOMPARE(pixelsOnLine(f1, 4, bleu), pixelsOnLine(f1, 4, bleu, 1050 / 15.0));
        QCOMPARE(pixelsOnLine(f1, 1, bleu), pixelsOnLine(f1, 1, bleu, 140 / 15.0));
    }

    void emptyTextKeepsItsLineAndLongTextIsCut()
    {
        QVector<Ligne> lignes = anneeComplete();
        lignes[4].ev1 = QString(200, QLatin1Char('W'));
        lignes[4].ev2 = QVariant(QMetaType::fromType<QString>());
        lignes[5].ev1 = QString();
        start(lignes);
        clickTab(1);
        settle();
        const Form1 &f1 = *Windows::form1();
        const QColor bleu(0, 0, 255), rouge(255, 0, 0);
        const int rightEdge = f1.centralWidget()->width() - 2;
        QVERIFY(pixelsOnLine(f1, 7, rouge, rightEdge) > 0);  // runs to the edge
        QCOMPARE(pixelsOnLine(f1, 8, rouge), 0);            // not wrapped onto the next line
        QCOMPARE(pixelsOnLine(f1, 10, bleu), 0);            // empty, yet takes its line
        QVERIFY(pixelsOnLine(f1, 11, bleu) > 20);           // B 06/01 stays on line 11
    }

    void endingKeepsTheEdit_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QStringList>("events");
        QTest::newRow("Esc") << "esc" << QStringList{"beep", "end"};
        QTest::newRow("quit tab") << "tab" << QStringList{"end"};
        QTest::newRow("window closed") << "close" << QStringList{"end"};
    }
    void endingKeepsTheEdit()
    {
        QFETCH(QString, how);
        QFETCH(QStringList, events);
        start();
        typeInToday(QStringLiteral("gardé"));
        if (how == QLatin1String("esc"))
            QTest::keyClick(grid()->viewport()->findChild<QLineEdit *>(), Qt::Key_Escape);
        else if (how == QLatin1String("tab"))
            clickTab(5);
        else
            f2().close();
        QCOMPARE(m_desktop->events, events);
        QCOMPARE(lireChamp(base(), 5, "Evenement1").toString(), QStringLiteral("gardé"));
    }

    void failedWriteIsReportedBeforeTheEnd()
    {
        start();
        typeInToday(QStringLiteral("mien"));
        anotherCopyWritesToday(base(), QStringLiteral("autre"));
        clickTab(5);
        QCOMPARE(m_desktop->events, (QStringList{"box", "end"}));
        QVERIFY(m_desktop->boxes[0].text.startsWith(QStringLiteral("Erreur N° 3197 - ")));
        QCOMPARE(lireChamp(base(), 5, "Evenement1").toString(), QStringLiteral("autre"));
    }

    void greetingEndsWithoutBeep_data()
    {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Esc") << true;
        QTest::newRow("Quitter") << false;
    }
    void greetingEndsWithoutBeep()
    {
        QFETCH(bool, escape);
        start();
        clickTab(1);
        settle();
        QTest::keyClick(Windows::form1(), Qt::Key_A);
        QVERIFY(m_desktop->events.isEmpty());
        if (escape)
            QTest::keyClick(Windows::form1(), Qt::Key_Escape);
        else
            menu("mnQuitter");
        QCOMPARE(m_desktop->events, QStringList{"end"});
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
        if (viewer == 2) {
            QCOMPARE(m_desktop->boxes[0].title, QStringLiteral("Fichier d'Aide absent ou non associé."));
            QCOMPARE(m_desktop->boxes[0].text,
                     QStringLiteral("Le Fichier d'aide Ombo.chm est introuvable ou n'est pas associé "
                                    "correctement\r\navec un visualiseur de fichiers html"));
            QCOMPARE(m_desktop->boxes[0].style, 54);
        } else if (viewer < 0) {
            QCOMPARE(m_desktop->boxes[0].text, QStringLiteral("3001"));
            QCOMPARE(m_desktop->boxes[0].title, QString());
            QCOMPARE(m_desktop->boxes[0].style, 0);
        }

        m_desktop->clear();
        fromGreeting ? menu("MnApropos") : clickTab(3);
        QCOMPARE(m_desktop->events, (QStringList{"beep", "box"}));
        QCOMPARE(m_desktop->boxes[0].title, QStringLiteral("Ombrelune.exe"));
        QCOMPARE(m_desktop->boxes[0].text, QStringLiteral("Ombrelune, par Valdric\r\nV 2.0 - 11/2003"));
        QCOMPARE(m_desktop->boxes[0].style, 54);
    }

    void darkThemeKeepsFixedColoursReadable()
    {
        const QPalette light = QApplication::palette();
        QPalette dark = light;
        for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
            dark.setColor(role, QColor(0xEE, 0xEE, 0xEE));
        dark.setColor(QPalette::Highlight, QColor(0x30, 0x60, 0xA0));
        QApplication::setPalette(dark);
        start();
        const QPalette cells = grid()->palette(), rose = label()->palette();
        QApplication::setPalette(light);
        QCOMPARE(cells.color(QPalette::Text), QColor(Qt::black));
        QCOMPARE(rose.color(QPalette::WindowText), QColor(Qt::black));
        QCOMPARE(cells.color(QPalette::Highlight), dark.color(QPalette::Highlight));  // the theme's selection
    }

    void screenReaderFollowsTheCurrentCell_data()
    {
        QTest::addColumn<int>("key");  // 0: start-up; F5 stands for the tab "&Ce Jour" after End
        QTest::newRow("start-up") << 0;
        QTest::newRow("Down") << int(Qt::Key_Down);
        QTest::newRow("End") << int(Qt::Key_End);
        QTest::newRow("Ce Jour") << int(Qt::Key_F5);
    }
    void screenReaderFollowsTheCurrentCell()
    {
        QFETCH(int, key);
        start();
        QVERIFY(QTest::qWaitForWindowActive(&f2()));
        if (key)
            QTest::keyClick(grid(), key == Qt::Key_F5 ? Qt::Key_End : Qt::Key(key));
        if (key == Qt::Key_F5)
            clickTab(4);

        QCOMPARE(QAccessible::queryAccessibleInterface(&f2())->role(), QAccessible::Window);
        QAccessibleInterface *table = QAccessible::queryAccessibleInterface(grid());
        QCOMPARE(table->text(QAccessible::Name), QStringLiteral("Almanach"));
        QAccessibleTableInterface *t = table->tableInterface();
        QStringList headers;
        for (int c = 0; c < t->columnCount(); ++c)
            headers << t->cellAt(0, c)->tableCellInterface()->columnHeaderCells().value(0)->text(QAccessible::Name);
        QCOMPARE(headers, (QStringList{"DATES", "Événement 1", "Événement 2"}));

        // Exactly one cell reads as focused and selected: the current one.
        const int row = f2().source()->currentRow();
        QAccessibleInterface *focused = nullptr;
        for (int r : QSet<int>{0, row, 365})
            for (int c = 0; c < 3; ++c)
                if (t->cellAt(r, c)->state().focused) {
                    QVERIFY2(!focused, "two focused cells");
                    focused = t->cellAt(r, c);
                }
        QVERIFY(focused && focused->state().selected);
        QCOMPARE(focused->tableCellInterface()->rowIndex(), row);
        QCOMPARE(focused->text(QAccessible::Name), grid()->currentIndex().data().toString());
        QCOMPARE(table->focusChild(), focused);
        // The number a move is announced with leads back to the same cell.
        QCOMPARE(table->child(table->indexOfChild(focused)), focused);
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

    void loginGreetingEntry_data()
    {
        QTest::addColumn<bool>("already");
        QTest::addColumn<bool>("fails");
        QTest::addColumn<QStringList>("events");
        QTest::newRow("not yet at login") << false << false << QStringList{"login", "login"};
        QTest::newRow("already at login") << true << false << QStringList{"login", "login"};
        QTest::newRow("entry cannot be written") << false << true << QStringList{"login", "box"};
    }
    void loginGreetingEntry()
    {
        QFETCH(bool, already);
        QFETCH(bool, fails);
        QFETCH(QStringList, events);
        if (already)
            m_desktop->loginEntry = "[Desktop Entry]\n";
        start();
        m_desktop->loginFails = fails;
        auto *action = grid()->findChild<QAction *>(QStringLiteral("loginGreeting"));
        QVERIFY(action && grid()->actions().contains(action));
        QCOMPARE(grid()->contextMenuPolicy(), Qt::ActionsContextMenu);
        QCOMPARE(action->text(), QStringLiteral("Me saluer à l'ouverture de session"));
        QCOMPARE(action->isChecked(), already);

        action->trigger();
        QCOMPARE(action->isChecked(), !already && !fails);
        if (!already && !fails)
            QVERIFY(m_desktop->loginEntry.contains(
                "\nExec=\"" + QCoreApplication::applicationFilePath().toUtf8() + "\" --notifier\n"));
        if (!fails) {
            action->trigger();
            QCOMPARE(m_desktop->loginEntry.isEmpty(), !already);
        }
        QCOMPARE(m_desktop->events, events);
    }

    void desktopReportsAMissingHelpFile()
    {
        DesktopPlatform desktop;
        QCOMPARE(desktop.openWithViewer(nullptr, QStringLiteral("ombo.chm"), m_dir.path()), 2);
    }
};

QTEST_MAIN(TestWindows)
#include "tst_windows.moc"
