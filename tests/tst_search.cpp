// Which texts a search query matches, and where (the search window is
// tried from the grid, in tst_gridcommands).
#include "store/AlmanacSearch.h"

#include <QtTest>

class TestSearch : public QObject
{
    Q_OBJECT

private slots:
    void match_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("query");
        QTest::addColumn<QString>("expected");  // the match in brackets; empty: none
        QTest::newRow("accents and case") << "St Édouard" << "EDOU" << "St [Édouard]";
        QTest::newRow("œ as oe") << "Fête des Œufs" << "oeufs" << "Fête des [Œufs]";
        QTest::newRow("æ as ae") << "Lætitia" << "laetitia" << "[Lætitia]";
        QTest::newRow("hyphen, Ste for Sainte") << "Ste-Catherine" << "sainte catherine" << "[Ste-Catherine]";
        QTest::newRow("St for Saint") << "St Nicolas" << "saint nic" << "[St Nicolas]";
        QTest::newRow("Saint typed as St") << "Saint-Exupéry" << "st exup" << "[Saint-Exupéry]";
        QTest::newRow("Ste begins a name too") << "Stéphane" << "ste" << "[Stéphane]";
        QTest::newRow("after an apostrophe") << "L'Épiphanie" << "epiph" << "L'[Épiphanie]";
        QTest::newRow("punctuation in the query") << "Jean-Baptiste" << "jean, baptiste!" << "[Jean-Baptiste]";
        QTest::newRow("word beginnings only") << "St Nicolas" << "colas" << "";
        QTest::newRow("words in their order") << "Ste Marie" << "marie sainte" << "";
        QTest::newRow("nothing to look for") << "St Nicolas" << " - " << "";
        QTest::newRow("emoji kept apart") << "Fête 🎂 Noël" << "noel" << "Fête 🎂 [Noël]";
    }
    void match()
    {
        QFETCH(QString, text);
        QFETCH(QString, query);
        QFETCH(QString, expected);
        const TextSpan span = matchText(text, query);
        if (span.found())
            text.insert(span.start + span.length, u']').insert(span.start, u'[');
        QCOMPARE(span.found() ? text : QString(), expected);
    }
};

QTEST_GUILESS_MAIN(TestSearch)
#include "tst_search.moc"
