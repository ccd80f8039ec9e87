#include "WindowsFixture.h"

// The grid's commands: undo, redo and history, search, export, import,
// printing, and Qt's own dialogs in French.
class TestGridCommands : public WindowsFixture
{
    Q_OBJECT

private slots:
    void init() { setUp(); }
    void cleanup() { tearDown(); }

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
};

QTEST_MAIN(TestGridCommands)
#include "tst_gridcommands.moc"
