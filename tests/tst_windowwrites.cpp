#include "WindowsFixture.h"

// What the windows write: a cell opened and left, every way to end, rows
// another copy wrote, and texts kept when they cannot be written.
class TestWindowWrites : public WindowsFixture
{
    Q_OBJECT

private slots:
    void init() { setUp(); }
    void cleanup() { tearDown(); }

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
};

QTEST_MAIN(TestWindowWrites)
#include "tst_windowwrites.moc"
