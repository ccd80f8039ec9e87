#include "AlmanacFixture.h"
#include "FakePlatform.h"
#include "core/Module1.h"
#include "ui/Windows.h"
#include "store/AlmanacModel.h"
#include "store/RecordSource.h"
#include "ui/Form2.h"
#include "ui/ImportDialog.h"

#include <QAction>
#include <QComboBox>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

class TestGridCommands : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    FakePlatform *m_desktop = nullptr;
    QString base() const { return m_dir.filePath(QStringLiteral("ombo.mdb")); }
    QString file(const char *name) const { return m_dir.filePath(QString::fromLatin1(name)); }

    void trigger(const char *name)
    {
        Windows::form2()->findChild<QTableView *>(QStringLiteral("DataGrid1"))->findChild<QAction *>(QString::fromLatin1(name))->trigger();
    }

private slots:
    void init()
    {
        QFile::remove(base());
        Module1::reset();
        m_desktop = new FakePlatform;
        m_desktop->folder = m_dir.path();
        QVERIFY(writeAlmanac(base(), fullYear()));
        Windows::start();
        QVERIFY(Windows::form2());
    }
    void cleanup()
    {
        Windows::unloadForm2();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        delete m_desktop;
    }

    void contextMenu()
    {
        auto *grid = Windows::form2()->findChild<QTableView *>(QStringLiteral("DataGrid1"));
        QCOMPARE(grid->contextMenuPolicy(), Qt::ActionsContextMenu);
        QStringList shown;
        for (QAction *a : grid->actions())
            shown << (a->isSeparator() ? QStringLiteral("—") : a->text() + QLatin1Char(' ') + a->shortcut().toString());
        QCOMPARE(shown, (QStringList{"Rechercher… Ctrl+F", "Résultat suivant F3", "Résultat précédent Shift+F3",
                                     "Exporter… Ctrl+E", "Importer… Ctrl+I", "Imprimer… Ctrl+P", "—",
                                     "Annuler la modification Ctrl+Z", "Refaire la modification Ctrl+Y",
                                     "Historique du jour… Ctrl+H", "—", "Me saluer à l'ouverture de session "}));
    }

    void exportFromGrid_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("begins");
        QTest::addColumn<QString>("box");
        QTest::newRow("ics") << "a.ics" << QByteArray("BEGIN:VCALENDAR\r\n") << "L'almanach est exporté";
        QTest::newRow("csv") << "a.csv" << QByteArray("Date,Evenement1,Evenement2\r\n01/01,A 01/01,B 01/01\r\n")
                             << "L'almanach est exporté";
        QTest::newRow("calendar") << "a.txt" << QByteArray("/*\n") << "L'almanach est exporté";
        QTest::newRow("pdf") << "a.pdf" << QByteArray("%PDF") << "L'almanach est exporté";
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
        QCOMPARE(m_desktop->fileCaptions, QStringList{"Exporter l'almanach"});
        if (box.isEmpty()) {
            QVERIFY(m_desktop->boxes.isEmpty());
            return;
        }
        QCOMPARE(m_desktop->boxes.size(), 1);
        QVERIFY2(m_desktop->boxes[0].text.contains(box), qPrintable(m_desktop->boxes[0].text));
        if (!begins.isEmpty())
            QVERIFY(readFile(path).startsWith(begins));
        else
            QVERIFY(!QFile::exists(path));
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
        auto *list = dialog->findChild<QTreeWidget *>(QStringLiteral("changes"));
        QCOMPARE(list->topLevelItemCount(), 0);  // "Compléter": no text is empty
        dialog->setPolicy(ImportPolicy::Replace);
        QCOMPARE(list->topLevelItemCount(), 3);
        QCOMPARE(list->topLevelItem(0)->text(3), QStringLiteral("neuf"));
        QCOMPARE(readField(base(), 5, QStringLiteral("Evenement1")).toString(), QStringLiteral("A 05/01"));
        dialog->findChild<QPushButton *>(QStringLiteral("import"))->click();
        QCOMPARE(readField(base(), 5, QStringLiteral("Evenement1")).toString(), QStringLiteral("neuf"));
        QVERIFY(readField(base(), 5, QStringLiteral("Evenement2")).isNull());
        QCOMPARE(readField(base(), 6, QStringLiteral("Evenement2")).toString(), QStringLiteral("autre"));
        AlmanacModel *m = Windows::form2()->source()->model();
        QCOMPARE(m->data(m->index(4, m->fieldIndex("Evenement1"))).toString(), QStringLiteral("neuf"));
        QCOMPARE(m_desktop->boxes.size(), 1);
        QVERIFY(m_desktop->boxes[0].text.startsWith(QStringLiteral("3 texte(s) importé(s)")));
    }

    void importRefused()
    {
        QVERIFY(writeFile(file("bad.txt"), "01/05\tbon\nmauvais\n"));
        const QByteArray before = readFile(base());
        m_desktop->fileAnswers = {file("bad.txt")};
        trigger("actionImport");
        QVERIFY(!Windows::form2()->findChild<ImportDialog *>());
        QCOMPARE(m_desktop->boxes.size(), 1);
        QVERIFY2(m_desktop->boxes[0].text.contains(QStringLiteral("Ligne 2 : ")), qPrintable(m_desktop->boxes[0].text));
        QCOMPARE(readFile(base()), before);
    }

    void print()
    {
        m_desktop->printFile = file("print.pdf");
        trigger("actionPrint");
        QVERIFY(!QFile::exists(file("print.pdf")));  // the dialog was cancelled
        m_desktop->printAccepted = true;
        trigger("actionPrint");
        QCOMPARE(m_desktop->events, (QStringList{"print", "print"}));
        QVERIFY(readFile(file("print.pdf")).startsWith("%PDF"));
    }
};

QTEST_MAIN(TestGridCommands)
#include "tst_gridcommands.moc"
