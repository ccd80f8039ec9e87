// The sync while the update window is open, against a real CalDAV server
// (Radicale) with python3-caldav as the phone: the settings typed in their
// dialog, a write in the grid that reaches the server, a phone's edit that
// comes in, and the conflicts marked and settled from the grid's menu.
#include "AlmanacFixture.h"
#include "FakePlatform.h"
#include "SyncServer.h"
#include "app/CommandLine.h"
#include "core/Module1.h"
#include "store/AlmanacModel.h"
#include "ui/Form2.h"
#include "ui/SyncHook.h"
#include "ui/SyncSession.h"
#include "ui/Windows.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>
#include <qt6keychain/keychain.h>

namespace {
Form2 &f2() { return *Windows::form2(); }
QTableView *grid() { return f2().findChild<QTableView *>(u"DataGrid1"_s); }
AlmanacModel *model() { return f2().source()->model(); }
SyncSession *session() { return model()->findChild<SyncSession *>(); }
QAction *action(const char *name) { return grid()->findChild<QAction *>(QString::fromLatin1(name)); }

// Keys and texts to whatever widget has the focus ("'text" types text).
void keys(const QStringList &steps)
{
    for (const QString &step : steps) {
        QWidget *focus = QApplication::focusWidget();
        QVERIFY2(focus, qPrintable(step));
        if (step.startsWith(u'\'')) {
            for (const QChar c : step.mid(1))
                QTest::keyClicks(QApplication::focusWidget(), c);
        } else {
            const QKeyCombination key = QKeySequence(step)[0];
            QTest::keyClick(focus, key.key(), key.keyboardModifiers());
        }
        QCoreApplication::processEvents();
    }
}

QModelIndex cell(const QString &key, int field)
{
    for (int r = 0; r < model()->rowCount(); ++r)
        if (model()->dayOf(r) == key)
            return model()->index(r, model()->fieldIndex(u"Evenement%1"_s.arg(field)));
    return {};
}

// Types `text` over a cell and leaves its row, which writes it.
void typeInto(const QString &key, int field, const QString &text)
{
    grid()->setCurrentIndex(cell(key, field));
    keys({u"'"_s + text, u"Down"_s});
}
}  // namespace

class TestSyncWindow : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    FakePlatform *m_desktop = nullptr;
    Server m_radicale;
    QString m_calendar, m_root;
    const bool m_keyring = qEnvironmentVariableIsSet("OMBO_TEST_KEYRING");

    QString almanac() const { return m_dir.filePath(u"ombo.mdb"_s); }
    QStringList phone(const QStringList &args) { return phoneSays(m_calendar, args); }
    QString stored(const QString &key, int field, const QString &column = QString())
    {
        return withDatabase<QString>(almanac(), [&](QSqlDatabase &db) {
            QSqlQuery q(db);
            q.prepare(column.isEmpty() ? u"SELECT Evenement%1 FROM Evenements WHERE Date = ?"_s.arg(field)
                                       : u"SELECT %1 FROM Historique WHERE Date = ? ORDER BY id DESC"_s.arg(column));
            q.addBindValue(key);
            return !q.exec() || !q.next() ? u"<none>"_s : q.value(0).isNull() ? u"<Null>"_s : q.value(0).toString();
        });
    }
    // Waits for the end of the next sync; its message.
    QString nextSync(int ms = 20000)
    {
        QSignalSpy ended(session(), &SyncSession::finished);
        return ended.wait(ms) ? ended.first().at(1).toString() : u"<no sync>"_s;
    }

private slots:
    void initTestCase()
    {
        // Without a secret store (tests/with-keyring.sh gives one), the
        // password stays in memory.
        if (!m_keyring)
            qunsetenv("DBUS_SESSION_BUS_ADDRESS");
        qputenv("OMBO_DELAI_SYNCHRO", "10");
        QVector<TestRow> days = fullYear();
        for (int i = 5; i < days.size(); ++i)
            days[i].ev1 = days[i].ev2 = QVariant(QMetaType::fromType<QString>());
        QVERIFY(writeAlmanac(almanac(), days));
        const int port = freePort();
        QVERIFY(startRadicale(m_radicale, port, m_dir.filePath(u"storage"_s)));
        m_root = u"http://127.0.0.1:%1/"_s.arg(port);
        m_calendar = phoneSays(m_root, {u"mkcal"_s, u"almanach"_s}).value(0);
        QVERIFY(!m_calendar.isEmpty());
        phone({u"add"_s, u"autre@phone"_s, u"20260301"_s, u"Rendez-vous"_s});
        SyncHook::setLoader(loadSyncWindow);
        Module1::reset();
        m_desktop = new FakePlatform;
        m_desktop->folder = m_dir.path();
        Windows::start();
        QVERIFY(QTest::qWaitForWindowActive(&f2()));
    }
    void cleanupTestCase()
    {
        Windows::unloadForm2();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        delete m_desktop;
    }

    // The settings are typed in their dialog; the password goes nowhere
    // but memory when no secret store runs; a write in the grid reaches the
    // server, and brings the phone's edit in, with the server named in the
    // history.
    void settingsThenBothWays()
    {
        QVERIFY(!session());  // no server yet: nothing of the sync is loaded
        action("actionSync")->trigger();
        QTRY_VERIFY(QApplication::activeWindow() && QApplication::activeWindow() != &f2());
        QWidget *dialog = QApplication::activeWindow();
        QCOMPARE(dialog->windowTitle(), u"Synchronisation"_s);
        // A refused address: said in the dialog, marked on the menu.
        keys({u"'http://example.org/cal/"_s, u"Return"_s});
        QTRY_COMPARE_WITH_TIMEOUT(dialog->findChild<QLabel *>(u"status"_s)->text(),
                 u"Erreur N° 3407 - L'adresse « http://example.org/cal/ » est refusée : https:// est exigé"
                 " (http:// seulement pour cette machine)."_s, 10000);
        QCOMPARE(action("actionSync")->text(), u"Synchroniser… (erreur N° 3407)"_s);
        keys({u"Ctrl+A"_s, u"'"_s + m_calendar, u"Tab"_s, u"'test"_s, u"Tab"_s, u"'mot-de-passe-secret"_s, u"Return"_s});
        QCOMPARE(nextSync(), u"Synchronisation : 10 textes envoyés, 0 reçu, 0 supprimé, 0 conflit."_s);
        QCOMPARE(dialog->findChild<QLabel *>(u"status"_s)->text(),
                 u"Synchronisation : 10 textes envoyés, 0 reçu, 0 supprimé, 0 conflit."_s);
        QTRY_COMPARE(dialog->findChild<QLabel *>(u"secret"_s)->text(),
                     m_keyring ? u"Le mot de passe est gardé dans le trousseau du bureau."_s
                               : u"Aucun trousseau n'est disponible : le mot de passe est gardé pour cette session seulement."_s);
        QVERIFY(!readFile(almanac()).contains("mot-de-passe-secret"));
        if (m_keyring) {
            QKeychain::ReadPasswordJob read(u"Ombrelune"_s);
            read.setAutoDelete(false);
            read.setKey(u"test@"_s + m_calendar);
            QSignalSpy done(&read, &QKeychain::Job::finished);
            read.start();
            QVERIFY(done.wait(10000));
            QCOMPARE(read.textData(), u"mot-de-passe-secret"_s);
        }
        QVERIFY(phone({u"list"_s}).contains(u"0101-1@ombrelune\tA 01/01"_s));
        // The phone's own event is offered once as an import, added after
        // the day's texts; declined here.
        QDialog *preview = nullptr;
        QTRY_VERIFY((preview = f2().findChild<QDialog *>(u"ImportDialog"_s)));
        QCOMPARE(preview->findChild<QComboBox *>(u"policy"_s)->currentText(), u"Ajouter à la suite"_s);
        const QTreeWidgetItem *added = preview->findChild<QTreeWidget *>(u"changes"_s)->topLevelItem(0);
        QCOMPARE(added->text(0) + u' ' + added->text(3), u"01/03 Rendez-vous"_s);
        preview->reject();
        dialog->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        QPointer<QWidget> closed(dialog);
        keys({u"Escape"_s});
        QTRY_VERIFY(!closed);
        f2().activateWindow();  // as the desktop does when a dialog closes
        QVERIFY(QTest::qWaitForWindowActive(&f2()));

        phone({u"set"_s, u"0102-2@ombrelune"_s, u"Du téléphone"_s});
        QElapsedTimer written;
        written.start();
        typeInto(u"10/01"_s, 1, u"Écrit ici"_s);
        QCOMPARE(nextSync(), u"Synchronisation : 1 texte envoyé, 1 reçu, 0 supprimé, 0 conflit."_s);
        qInfo("a write in the grid was on the server %lld ms after it", written.elapsed());
        QVERIFY(phone({u"list"_s}).contains(u"0110-1@ombrelune\tÉcrit ici"_s));
        QCOMPARE(stored(u"02/01"_s, 2), u"Du téléphone"_s);
        QCOMPARE(model()->data(cell(u"02/01"_s, 2), Qt::EditRole).toString(), u"Du téléphone"_s);
        QCOMPARE(stored(u"02/01"_s, 2, u"Copie"_s), u"serveur 127.0.0.1"_s);
    }

    // A text changed on both sides is marked, kept on both, until the user
    // chooses on the grid's menu: the server's, or this one, which then
    // goes up.
    void conflictsWaitForTheChoice()
    {
        phone({u"set"_s, u"0103-1@ombrelune"_s, u"Téléphone A"_s});
        phone({u"set"_s, u"0104-1@ombrelune"_s, u"Téléphone B"_s});
        typeInto(u"03/01"_s, 1, u"Bureau A"_s);
        typeInto(u"04/01"_s, 1, u"Bureau B"_s);
        QTRY_VERIFY_WITH_TIMEOUT(model()->data(cell(u"04/01"_s, 1), AlmanacModel::ConflictRole).isValid(), 20000);
        QTRY_VERIFY(!session()->isRunning());
        QCOMPARE(model()->data(cell(u"03/01"_s, 1), Qt::ToolTipRole).toString(), u"Modifié ailleurs : Téléphone A"_s);
        QVERIFY(model()->data(cell(u"03/01"_s, 2), AlmanacModel::RefusedRole).isValid());  // the row is marked
        QVERIFY(!model()->data(cell(u"03/01"_s, 2), Qt::ToolTipRole).isValid());
        QCOMPARE(stored(u"03/01"_s, 1), u"Bureau A"_s);
        QVERIFY(phone({u"list"_s}).contains(u"0103-1@ombrelune\tTéléphone A"_s));
        // The day's history lists both texts.
        grid()->setCurrentIndex(cell(u"03/01"_s, 1));
        keys({u"Ctrl+H"_s});
        QTRY_VERIFY(QApplication::activeWindow() != &f2());
        const QTreeWidgetItem *both = QApplication::activeWindow()->findChild<QTreeWidget *>()->topLevelItem(0);
        QCOMPARE((QStringList{both->text(0), both->text(1), both->text(2), both->text(3), both->text(4)}),
                 (QStringList{"Modifié ailleurs", "Événement 1", "Bureau A", "Téléphone A", "serveur"}));
        keys({u"Escape"_s});
        f2().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f2()));

        grid()->setCurrentIndex(cell(u"05/01"_s, 1));
        QVERIFY(!action("actionTakeServer")->isVisible());
        grid()->setCurrentIndex(cell(u"03/01"_s, 1));
        QVERIFY(action("actionTakeServer")->isVisible() && action("actionKeepLocal")->isVisible());
        action("actionTakeServer")->trigger();
        QCOMPARE(stored(u"03/01"_s, 1), u"Téléphone A"_s);
        QVERIFY(!model()->data(cell(u"03/01"_s, 1), AlmanacModel::ConflictRole).isValid());
        QCOMPARE(nextSync(), u"Synchronisation : 0 texte envoyé, 0 reçu, 0 supprimé, 1 conflit."_s);

        grid()->setCurrentIndex(cell(u"04/01"_s, 1));
        action("actionKeepLocal")->trigger();
        QCOMPARE(nextSync(), u"Synchronisation : 1 texte envoyé, 0 reçu, 0 supprimé, 0 conflit."_s);
        QVERIFY(phone({u"list"_s}).contains(u"0104-1@ombrelune\tBureau B"_s));
        QCOMPARE(stored(u"04/01"_s, 1), u"Bureau B"_s);
        QVERIFY(!model()->data(cell(u"04/01"_s, 2), AlmanacModel::RefusedRole).isValid());
    }

    // The window opened again on an almanac with a server syncs once it
    // has painted, with the password of this run.
    void syncsWhenTheWindowOpens()
    {
        Windows::unloadForm2();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        phone({u"set"_s, u"0105-2@ombrelune"_s, u"Pendant la fermeture"_s});
        Windows::start();
        QVERIFY(QTest::qWaitForWindowActive(&f2()));
        QTRY_COMPARE_WITH_TIMEOUT(stored(u"05/01"_s, 2), u"Pendant la fermeture"_s, 20000);
        QVERIFY(action("actionSync")->text() == u"Synchroniser…"_s);
        QVERIFY(!f2().findChild<QDialog *>(u"ImportDialog"_s));  // offered once only
    }

    // At the server's address, the user's calendars are listed to choose
    // from, with the one to create; choosing one gives its address.
    void calendarsToChooseFrom()
    {
        action("actionSync")->trigger();
        QTRY_VERIFY(QApplication::activeWindow() && QApplication::activeWindow() != &f2());
        QWidget *dialog = QApplication::activeWindow();
        keys({u"Ctrl+A"_s, u"'"_s + m_root, u"Alt+R"_s});  // "Che&rcher les calendriers"
        auto *calendars = dialog->findChild<QComboBox *>(u"calendars"_s);
        QTRY_COMPARE(calendars->count(), 2);
        QCOMPARE(calendars->itemText(0) + u'|' + calendars->itemText(1), u"almanach|Créer «\u00A0Ombrelune\u00A0»"_s);
        QCOMPARE(QApplication::focusWidget(), calendars);
        keys({u"Down"_s});
        QCOMPARE(dialog->findChild<QLineEdit *>(u"url"_s)->text(), m_calendar);
        QCOMPARE(session()->url(), m_calendar);  // nothing changed until a sync is asked for
    }
};

QTEST_MAIN(TestSyncWindow)
#include "tst_syncwindow.moc"
