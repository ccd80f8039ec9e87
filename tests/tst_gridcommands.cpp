// The grid's context menu: its commands, and what search, export, import and
// print do from it.
#include "AlmanacFixture.h"
#include "FakePlatform.h"
#include "core/Module1.h"
#include "store/AlmanacModel.h"
#include "ui/Form2.h"
#include "ui/ImportDialog.h"
#include "ui/SearchWindow.h"
#include "ui/Windows.h"

#include <QAction>
#include <QLabel>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

using namespace Qt::StringLiterals;

class TestGridCommands : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    FakePlatform *m_desktop = nullptr;
    QString file(const char *name) const { return m_dir.filePath(QString::fromLatin1(name)); }
    QWidget *grid() const { return Windows::form2()->findChild<QWidget *>(u"DataGrid1"_s); }
    void trigger(const char *name) { grid()->findChild<QAction *>(QString::fromLatin1(name))->trigger(); }
    int currentRow() const { return Windows::form2()->source()->currentRow(); }

private slots:
    // The update window on an almanac where 11/01 and 28/10 hold a saint.
    void init()
    {
        Module1::reset();
        m_desktop = new FakePlatform;
        m_desktop->folder = m_dir.path();
        QVector<TestRow> days = fullYear();
        days[10].ev1 = u"Ste-Catherine <b>"_s;
        days[300].ev2 = u"Sainte Catherine"_s;
        QVERIFY(writeAlmanac(file("ombo.mdb"), days));
        Windows::start();
        QVERIFY(Windows::form2());
    }
    void cleanup()
    {
        Windows::unloadForm2();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        delete m_desktop;
        QFile::remove(file("ombo.mdb"));
    }

    void contextMenu()
    {
        QStringList shown;
        for (QAction *a : grid()->actions())
            shown << (a->isSeparator() ? u"—"_s : a->text() + u' ' + a->shortcut().toString());
        QCOMPARE(shown, (QStringList{"Rechercher… Ctrl+F", "Résultat suivant F3", "Résultat précédent Shift+F3",
                                     "Exporter… Ctrl+E", "Importer… Ctrl+I", "Imprimer… Ctrl+P", "—",
                                     "Annuler la modification Ctrl+Z", "Refaire la modification Ctrl+Y",
                                     "Historique du jour… Ctrl+H", "—", "Me saluer à l'ouverture de session "}));
    }

    // The results follow the query; Enter moves the grid to the first and
    // the weekday label follows; F3 and Shift+F3 go round them.
    void search()
    {
        trigger("actionSearch");
        auto *search = Windows::form2()->findChild<SearchWindow *>();
        QVERIFY(search && search->isVisible());
        auto *field = search->findChild<QWidget *>(u"query"_s);
        QTest::keyClicks(field, u"sainte cath"_s);
        QCOMPARE(search->resultRows(), (QList<int>{10, 300}));
        QTest::keyClick(field, Qt::Key_Return);
        QCOMPARE(currentRow(), 10);
        QVERIFY(Windows::form2()->findChild<QLabel *>(u"Label1"_s)->text().endsWith(u"11/01"_s));
        QCOMPARE(search->resultText(0), u"[Ste-Catherine] <b>"_s);  // literal, the match in bold
        QList<int> visited;
        for (const char *move : {"actionNextResult", "actionNextResult", "actionPreviousResult"}) {
            trigger(move);
            visited << currentRow();
        }
        QCOMPARE(visited, (QList<int>{300, 10, 300}));
        QTest::keyClick(field, Qt::Key_X);
        QCOMPARE(search->resultRows(), QList<int>{});
    }

    void exportFromGrid_data()
    {
        QTest::addColumn<QString>("name");  // the file chosen; empty: cancelled
        QTest::addColumn<QByteArray>("begins");  // empty: no file written
        QTest::addColumn<QString>("box");
        const QString done = u"L'almanach est exporté"_s;
        QTest::newRow("ics") << "a.ics" << "BEGIN:VCALENDAR\r\n"_ba << done;
        QTest::newRow("csv") << "a.csv" << "Date,Evenement1,Evenement2\r\n01/01,A 01/01,B 01/01\r\n"_ba << done;
        QTest::newRow("calendar") << "a.txt" << "/*\n"_ba << done;
        QTest::newRow("pdf") << "a.pdf" << "%PDF"_ba << done;
        QTest::newRow("unknown kind") << "a.doc" << QByteArray() << "l'extension du fichier doit être";
        QTest::newRow("cancelled") << "" << QByteArray() << "";
    }
    void exportFromGrid()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, begins);
        QFETCH(QString, box);
        const QString path = name.isEmpty() ? QString() : m_dir.filePath(name);
        m_desktop->fileAnswers = {path};
        trigger("actionExport");
        QCOMPARE(m_desktop->boxes.size(), box.isEmpty() ? 0 : 1);
        QVERIFY(box.isEmpty() || m_desktop->boxes[0].text.contains(box));
        QCOMPARE(readFile(path).left(begins.size()), begins);
        QCOMPARE(QFile::exists(path), !begins.isEmpty());
        QFile::remove(path);
    }

    // The preview lists the changes of the chosen policy and writes nothing;
    // "Importer" writes them through the grid's model and says so.
    void importWithPreview()
    {
        QVERIFY(writeFile(file("in.csv"), "Date,Evenement1,Evenement2\n05/01,neuf,\n06/01,A 06/01,autre\n"));
        m_desktop->fileAnswers = {file("in.csv")};
        trigger("actionImport");
        auto *dialog = Windows::form2()->findChild<ImportDialog *>();
        QVERIFY(dialog && dialog->isVisible());
        auto *list = dialog->findChild<QTreeWidget *>(u"changes"_s);
        QCOMPARE(list->topLevelItemCount(), 0);  // "Compléter": no text is empty
        dialog->setPolicy(ImportPolicy::Replace);
        QCOMPARE(list->topLevelItemCount(), 3);
        QCOMPARE(list->topLevelItem(0)->text(3), u"neuf"_s);
        QCOMPARE(readField(file("ombo.mdb"), 5, u"Evenement1"_s).toString(), u"A 05/01"_s);
        QTest::mouseClick(dialog->findChild<QWidget *>(u"import"_s), Qt::LeftButton);
        QCOMPARE(readField(file("ombo.mdb"), 5, u"Evenement1"_s).toString(), u"neuf"_s);
        QVERIFY(readField(file("ombo.mdb"), 5, u"Evenement2"_s).isNull());
        AlmanacModel *m = Windows::form2()->source()->model();
        QCOMPARE(m->index(4, m->fieldIndex("Evenement1")).data().toString(), u"neuf"_s);
        QCOMPARE(m_desktop->boxes.size(), 1);
        QVERIFY(m_desktop->boxes[0].text.startsWith(u"3 texte(s) importé(s)"_s));
    }

    // Printing draws the booklet on the printer chosen.
    void print()
    {
        m_desktop->printAccepted = true;
        m_desktop->printFile = file("print.pdf");
        trigger("actionPrint");
        QVERIFY(readFile(file("print.pdf")).startsWith("%PDF"));
    }
};

QTEST_MAIN(TestGridCommands)
#include "tst_gridcommands.moc"
