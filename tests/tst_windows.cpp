#include "WindowsFixture.h"

// The two windows: keys, tabs, the greeting, the end of the program, help,
// colours, screen readers and pictures.
class TestWindows : public WindowsFixture
{
    Q_OBJECT

private slots:
    void init() { setUp(); }
    void cleanup() { tearDown(); }

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
