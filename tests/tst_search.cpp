#include "AlmanacFixture.h"
#include "FakePlatform.h"
#include "core/Module1.h"
#include "ui/Windows.h"
#include "store/AlmanacSearch.h"
#include "store/RecordSource.h"
#include "ui/Form2.h"
#include "ui/SearchWindow.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

class TestSearch : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void match_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("query");
        QTest::addColumn<QString>("expected");  // the match in brackets; empty: none
        QTest::newRow("accents and case") << "St Édouard" << "EDOU" << "St [Édouard]";
        QTest::newRow("œ as oe") << "Fête des Œufs" << "oeufs" << "Fête des [Œufs]";
        QTest::newRow("oe as œ") << "Oedipe" << "œdi" << "[Oedipe]";
        QTest::newRow("æ as ae") << "Lætitia" << "laetitia" << "[Lætitia]";
        QTest::newRow("hyphen and St/Ste") << "Ste-Catherine" << "sainte catherine" << "[Ste-Catherine]";
        QTest::newRow("St for Saint") << "St Nicolas" << "saint nic" << "[St Nicolas]";
        QTest::newRow("Saint typed as St") << "Saint-Exupéry" << "st exup" << "[Saint-Exupéry]";
        QTest::newRow("Ste begins a name too") << "Stéphane" << "ste" << "[Stéphane]";
        QTest::newRow("apostrophe") << "L'Épiphanie" << "lepiphanie" << "";
        QTest::newRow("after an apostrophe") << "L'Épiphanie" << "epiph" << "L'[Épiphanie]";
        QTest::newRow("punctuation in the query") << "Jean-Baptiste" << "jean, baptiste!" << "[Jean-Baptiste]";
        QTest::newRow("word beginnings only") << "St Nicolas" << "colas" << "";
        QTest::newRow("words in their order") << "Ste Marie" << "marie sainte" << "";
        QTest::newRow("day key") << "05/01" << "05/01" << "[05/01]";
        QTest::newRow("nothing to look for") << "St Nicolas" << " - " << "";
        QTest::newRow("no match") << "Ste Geneviève" << "xavier" << "";
        QTest::newRow("emoji kept apart") << "Fête 🎂 Noël" << "noel" << "Fête 🎂 [Noël]";
    }
    void match()
    {
        QFETCH(QString, text);
        QFETCH(QString, query);
        QFETCH(QString, expected);
        const TextSpan span = matchText(text, query);
        QString shown;
        if (span.found())
            shown = text.left(span.start) + QLatin1Char('[') + text.mid(span.start, span.length) + QLatin1Char(']')
                    + text.mid(span.start + span.length);
        QCOMPARE(shown, expected);
    }

    // At each keystroke the results follow; Enter moves the record source
    // and the label follows; F3 and Shift+F3 from the update window go round
    // the results.
    void window()
    {
        QVector<TestRow> days = fullYear();
        days[10].ev1 = QStringLiteral("Ste-Catherine <b>");
        days[300].ev2 = QStringLiteral("Sainte Catherine");
        QVERIFY(writeAlmanac(m_dir.filePath(QStringLiteral("ombo.mdb")), days));
        FakePlatform desktop;
        desktop.folder = m_dir.path();
        Module1::reset();
        Windows::start();
        Form2 *f2 = Windows::form2();
        QVERIFY(f2);
        auto *grid = f2->findChild<QTableView *>(QStringLiteral("DataGrid1"));
        grid->findChild<QAction *>(QStringLiteral("actionSearch"))->trigger();
        auto *search = f2->findChild<SearchWindow *>();
        QVERIFY(search && search->isVisible());
        QCOMPARE(search->windowTitle(), QStringLiteral("Rechercher dans l'almanach"));
        auto *field = search->findChild<QLineEdit *>(QStringLiteral("query"));
        QTest::keyClicks(field, QStringLiteral("saint"));
        QCOMPARE(search->resultRows(), (QList<int>{10, 300}));
        QTest::keyClicks(field, QStringLiteral("e cath"));
        QCOMPARE(search->resultRows(), (QList<int>{10, 300}));
        QTest::keyClick(field, Qt::Key_Return);
        QCOMPARE(f2->source()->currentRow(), 10);
        QCOMPARE(f2->findChild<QLabel *>(QStringLiteral("Label1"))->text().right(5), QStringLiteral("11/01"));
        // The text shows literally, its match in bold.
        QCOMPARE(search->resultText(0), QStringLiteral("[Ste-Catherine] <b>"));

        QAction *next = grid->findChild<QAction *>(QStringLiteral("actionNextResult"));
        QAction *previous = grid->findChild<QAction *>(QStringLiteral("actionPreviousResult"));
        QCOMPARE(next->shortcut(), QKeySequence(Qt::Key_F3));
        next->trigger();
        QCOMPARE(f2->source()->currentRow(), 300);
        next->trigger();
        QCOMPARE(f2->source()->currentRow(), 10);  // round the year
        previous->trigger();
        QCOMPARE(f2->source()->currentRow(), 300);
        QTest::keyClick(field, Qt::Key_X);
        QCOMPARE(search->resultRows(), QList<int>{});

        Windows::unloadForm2();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

QTEST_MAIN(TestSearch)
#include "tst_search.moc"
