// The almanac as the program reads and writes it: where it is found, today's
// three days at the load, two copies of the program on one file, a history
// table not ours, the daily backups, the texts kept for later, and what a
// search query matches.
#include "AlmanacFixture.h"
#include "FakePlatform.h"
#include "core/Module1.h"
#include "core/Places.h"
#include "store/AlmanacHistory.h"
#include "store/AlmanacModel.h"
#include "store/AlmanacSearch.h"
#include "store/UnsavedTexts.h"

#include <QDirIterator>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {
// Every path below `root`, to see that nothing was made.
QStringList tree(const QString &root)
{
    QStringList paths;
    for (QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
         it.hasNext();)
        paths << it.next();
    paths.sort();
    return paths;
}
}  // namespace

class TestStore : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString base() const { return m_dir.filePath(QStringLiteral("ombo.mdb")); }

private slots:
    void init()
    {
        QFile::remove(base());
        QDir(m_dir.filePath(QStringLiteral("sauvegardes"))).removeRecursively();
    }

    // Every mode's almanac: beside the program first; else the user's data
    // folder, given a writable copy of the shared default at the first start
    // and never overwritten; an unusable data folder is refused by number
    // and nothing is made anywhere.
    void almanacPlace_data()
    {
        QTest::addColumn<bool>("beside");
        QTest::addColumn<QByteArray>("userCopy");  // in the data folder before; empty: none
        QTest::addColumn<QString>("blocked");      // a file in the data folder's way: "", "itself", "parent"
        QTest::addColumn<QString>("found");        // "program", "data" or the error number
        QTest::addColumn<QByteArray>("userAfter");
        QTest::newRow("beside the program") << true << QByteArray("mine") << "" << "program" << QByteArray("mine");
        QTest::newRow("first start: the default copied") << false << QByteArray() << "" << "data" << QByteArray("default");
        QTest::newRow("the user's almanac kept") << false << QByteArray("mine") << "" << "data" << QByteArray("mine");
        QTest::newRow("data folder is a file") << false << QByteArray() << "itself" << "3044" << QByteArray();
        QTest::newRow("data folder below a file") << false << QByteArray() << "parent" << "3044" << QByteArray();
    }
    void almanacPlace()
    {
        QFETCH(bool, beside);
        QFETCH(QByteArray, userCopy);
        QFETCH(QString, blocked);
        QFETCH(QString, found);
        QFETCH(QByteArray, userAfter);
        QTemporaryDir root;
        const QString program = root.filePath(u"programme"_s);
        FakePlatform desktop;
        desktop.shared = root.filePath(u"partage"_s);
        desktop.data = root.filePath(blocked == u"parent" ? u"fichier/ombrelune"_s : u"ombrelune"_s);
        const QString userFile = desktop.data + u"/ombo.mdb"_s, sharedFile = desktop.shared + u"/ombo.mdb"_s;
        QVERIFY(QDir().mkpath(program) && QDir().mkpath(desktop.shared));
        QVERIFY(writeFile(sharedFile, "default"));
        QVERIFY(QFile::setPermissions(sharedFile, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        if (beside)
            QVERIFY(writeFile(program + u"/ombo.mdb"_s, "beside"));
        if (!userCopy.isEmpty())
            QVERIFY(QDir().mkpath(desktop.data) && writeFile(userFile, userCopy));
        if (!blocked.isEmpty())
            QVERIFY(writeFile(root.filePath(blocked == u"itself" ? u"ombrelune"_s : u"fichier"_s), "x"));
        const QStringList before = tree(root.path());

        QString folder;
        try {
            folder = Places::almanacFolder(program);
        } catch (const OmboError &e) {
            QCOMPARE(QString::number(e.number()), found);
            QVERIFY2(e.description().contains(desktop.data), qPrintable(e.description()));
            QCOMPARE(tree(root.path()), before);
            return;
        }
        QCOMPARE(folder, (found == u"program" ? program : desktop.data) + u'/');
        QCOMPARE(QDir(desktop.data).entryList(QDir::Files), QStringList{u"ombo.mdb"_s});  // no copy left behind
        QCOMPARE(readFile(userFile), userAfter);
        QVERIFY(QFileInfo(userFile).permissions() & QFile::WriteOwner);
        QCOMPARE(readFile(sharedFile), QByteArray("default"));
    }

    // The help file: beside the program, else in the shared folder.
    void helpPlace_data()
    {
        QTest::addColumn<QString>("at");  // where ombo.chm is: "programme", "partage" or none
        QTest::addColumn<QString>("found");
        QTest::newRow("beside the program") << "programme" << "programme";
        QTest::newRow("shared") << "partage" << "partage";
        QTest::newRow("nowhere: the program's folder") << "" << "programme";
    }
    void helpPlace()
    {
        QFETCH(QString, at);
        QFETCH(QString, found);
        FakePlatform desktop;
        desktop.shared = m_dir.filePath(u"partage"_s);
        QDir(m_dir.path()).mkpath(u"partage"_s);
        QDir(m_dir.path()).mkpath(u"programme"_s);
        QFile::remove(m_dir.filePath(u"programme/ombo.chm"_s));
        QFile::remove(m_dir.filePath(u"partage/ombo.chm"_s));
        if (!at.isEmpty())
            QVERIFY(writeFile(m_dir.filePath(at + u"/ombo.chm"_s), "aide"));
        QCOMPARE(Places::helpFolder(m_dir.filePath(u"programme"_s)), m_dir.filePath(found) + u'/');
    }

    // The load reads yesterday's, today's and tomorrow's texts by today's
    // key and the rows around it, or says which row it could not reach.
    void threeDays_data()
    {
        QTest::addColumn<QDate>("today");
        QTest::addColumn<QVector<TestRow>>("days");
        QTest::addColumn<QStringList>("texts");  // yesterday's two, today's, tomorrow's
        QTest::addColumn<QString>("box");         // empty: loaded without a word
        auto six = [](std::initializer_list<const char *> keys) {  // the days' texts, "avant" where none is read
            QStringList t;
            for (const char *k : keys)
                t << (k ? QStringLiteral("A %1").arg(k) : QStringLiteral("avant")) << (k ? QStringLiteral("B %1").arg(k) : QStringLiteral("avant"));
            return t;
        };
        const QVector<TestRow> year = fullYear(), missing = year.mid(0, 4) + year.mid(5);
        const QVector<TestRow> around = QVector<TestRow>{{"00/00", "Y1", "Y2"}} + year + QVector<TestRow>{{"32/12", "Z1", "Z2"}};
        const QVector<TestRow> prefixed = QVector<TestRow>{{"05/01x", "P1", "P2"}, {"05/01 ", "P1", "P2"}} + year;
        QTest::newRow("5 January") << QDate(2004, 1, 5) << year << six({"04/01", "05/01", "06/01"}) << "";
        QTest::newRow("keys that begin with today's, before it") << QDate(2004, 1, 5) << prefixed << six({"04/01", "05/01", "06/01"}) << "";
        QTest::newRow("New Year, rows around the year") << QDate(2005, 1, 1) << around << six({nullptr, "01/01", "02/01"}) << "";
        QTest::newRow("New Year's Eve, rows around the year") << QDate(2005, 12, 31) << around << six({"30/12", "31/12", nullptr}) << "";
        QTest::newRow("30 December, tomorrow the last row") << QDate(2005, 12, 30) << year << six({"29/12", "30/12", "31/12"}) << "";
        QTest::newRow("1 March after a leap day row, common year") << QDate(2005, 3, 1) << year << six({"29/02", "01/03", "02/03"}) << "";
        QTest::newRow("1 March with no leap day row") << QDate(2004, 3, 1) << fullYear(false) << six({"28/02", "01/03", "02/03"}) << "";
        QTest::newRow("28 February before a leap day row") << QDate(2005, 2, 28) << year << six({"27/02", "28/02", "29/02"}) << "";
        QTest::newRow("today missing") << QDate(2004, 1, 5) << missing << six({nullptr, nullptr, nullptr})
            << "La date 05/01 n'est pas rencontrée sous cette forme dans le champ Date\r\nde la Base de Données. Son intégrité est à reconsidérer.";
        QTest::newRow("today the last row, not 31/12") << QDate(2005, 12, 30) << year.mid(0, 365) << six({"29/12", "30/12", nullptr})
            << "Erreur N° 3001 - La position 366 est hors de la table (lignes 1 à 365).";
        QTest::newRow("today the first row, not 01/01") << QDate(2004, 1, 5) << year.mid(4) << six({nullptr, nullptr, nullptr})
            << "Erreur N° 3001 - La position 0 est hors de la table (lignes 1 à 362).";
    }
    void threeDays()
    {
        QFETCH(QDate, today);
        QFETCH(QVector<TestRow>, days);
        QFETCH(QStringList, texts);
        QFETCH(QString, box);
        QVERIFY(writeAlmanac(base(), days));
        FakePlatform desktop;
        desktop.date = today;
        using namespace Module1;
        const QList<QString *> six{&HierEv1, &HierEv2, &JourEv1, &JourEv2, &DemainEv1, &DemainEv2};
        for (QString *t : six)
            *t = QStringLiteral("avant");
        RecordSource source;
        QCOMPARE(loadAlmanac(source, m_dir.path()), box.isEmpty());
        for (int i = 0; i < 6; ++i)
            QCOMPARE(*six[i], texts[i]);
        QCOMPARE(Chemin, m_dir.path() + QLatin1Char('/'));
        if (box.isEmpty()) {
            QVERIFY(desktop.events.isEmpty());
            QCOMPARE(source.fieldValue(QStringLiteral("Date")).toString(), today.toString(QStringLiteral("dd/MM")));
            return;
        }
        QCOMPARE(desktop.events, (QStringList{"beep", "box"}));
        QCOMPARE(desktop.boxes[0].text, box);
        const bool numbered = box.startsWith(QStringLiteral("Erreur N° "));
        QCOMPARE(desktop.boxes[0].title, numbered ? QString() : QStringLiteral("Ombrelune.exe"));
        QCOMPARE(desktop.boxes[0].style, numbered ? 0 : 22);
    }

    // Two copies of the program on one file: a row changed by the other copy
    // since it was read is not overwritten; different rows both survive. Raw
    // bytes in a row's other texts are no change by another copy. Texts are
    // bound, never pasted into the statement; the day key is not editable.
    void twoCopies_data()
    {
        QTest::addColumn<QString>("update");
        QTest::newRow("texts") << "Evenement2 = Evenement2";
        QTest::newRow("invalid UTF-8 text") << "Evenement2 = CAST(x'41ff80c3' AS TEXT)";
        QTest::newRow("blob") << "Evenement2 = x'00ff10'";
        QTest::newRow("number") << "Evenement2 = 3.25, Date = 5";
    }
    void twoCopies()
    {
        QFETCH(QString, update);
        FakePlatform desktop;
        RecordSource one, two;
        QVERIFY(writeAlmanac(base(), fullYear()));
        QVERIFY(runSql(base(), {QStringLiteral("UPDATE Evenements SET %1 WHERE id = 5").arg(update)}));
        for (RecordSource *source : {&one, &two}) {
            source->setConnectionString(QStringLiteral("Data Source=") + base());
            source->refresh();
        }
        AlmanacModel *m1 = one.model(), *m2 = two.model();
        const int ev1 = m1->fieldIndex("Evenement1");
        const QString first = QStringLiteral("l'été ; \"copie un\" -- fin");
        QVERIFY(m1->setData(m1->index(4, ev1), first));
        QVERIFY(!m1->setData(m1->index(4, m1->fieldIndex("Date")), QStringLiteral("xx/xx")));
        QVERIFY(m1->submit());
        QSignalSpy failed(&two, &RecordSource::writeFailed);
        QVERIFY(m2->setData(m2->index(4, ev1), QStringLiteral("copie deux")));
        QVERIFY(!m2->submit());
        QCOMPARE(failed.count(), 1);
        QCOMPARE(failed[0][0].value<OmboError>().number(), 3197);
        QCOMPARE(m2->data(m2->index(4, ev1)).toString(), QStringLiteral("copie deux"));
        for (const QString &text : {QStringLiteral("ligne six"), QStringLiteral("encore")}) {
            QVERIFY(m2->setData(m2->index(5, ev1), text));  // written, then written again
            QVERIFY(m2->submit());
            QCOMPARE(asText(readField(base(), 6, "Evenement1")), text);
        }
        QCOMPARE(asText(readField(base(), 5, "Evenement1")), first);
        QCOMPARE(asText(readField(base(), 5, "Date")), update.contains(QLatin1String("Date")) ? "5" : "05/01");
    }

    // A table "Historique" that is not ours is left as it is, and the
    // writes go on without history.
    void foreignHistoryTable_data()
    {
        QTest::addColumn<QString>("create");
        QTest::newRow("other columns") << "CREATE TABLE Historique (quoi TEXT, quand TEXT)";
        QTest::newRow("ours and one to fill") << "CREATE TABLE Historique (id INTEGER PRIMARY KEY, Date, Champ, Avant,"
                                                 " Apres, Quand, Copie, Auteur TEXT NOT NULL)";
    }
    void foreignHistoryTable()
    {
        QFETCH(QString, create);
        FakePlatform desktop;
        QVERIFY(writeAlmanac(base(), fullYear()));
        QVERIFY(runSql(base(), {create, u"INSERT INTO Historique DEFAULT VALUES"_s}) == create.contains(u"quoi"_s));
        RecordSource source;
        source.setConnectionString(QStringLiteral("Data Source=") + base());
        source.refresh();
        AlmanacModel *m = source.model();
        QVERIFY(m->setData(m->index(4, m->fieldIndex("Evenement1")), u"écrit"_s) && m->submit());
        QCOMPARE(asText(readField(base(), 5, "Evenement1")), u"écrit"_s);
        QVERIFY(m->history(u"05/01"_s).isEmpty());
        QCOMPARE(withDatabase<int>(base(), [](QSqlDatabase &db) {
                     QSqlQuery q(u"SELECT count(*) FROM Historique"_s, db);
                     return q.next() ? q.value(0).toInt() : -1;
                 }), create.contains(u"quoi"_s) ? 1 : 0);
    }

    // Texts kept for later go back to their own almanac only, and leave the
    // file once written: a refused one stays, as do another almanac's. A
    // Null stays Null; lines of the earlier form (no almanac) belong to
    // any; the last line is read whole without its line end.
    // A group (an import) is undone last change first; a refused change
    // stops it there: what was undone can be redone, the rest undone later.
    void undoGroupStopsAtARefusal()
    {
        AlmanacHistory h;
        using C = AlmanacHistory::Change;
        h.committed({C{1, u"Evenement1"_s, u"a"_s, u"x"_s}});
        h.beginGroup();
        h.committed({C{2, u"Evenement1"_s, u"b"_s, u"y"_s}, C{2, u"Evenement2"_s, QVariant(), u"z"_s}});
        h.committed({C{3, u"Evenement1"_s, u"c"_s, QVariant()}});
        h.endGroup();
        QStringList written;
        const auto writeUnless = [&written](int refusedId) {
            return [&written, refusedId](const C &c, const QVariant &value, const QVariant &) {
                written << u"%1 %2=%3"_s.arg(c.id.toInt()).arg(c.field, asText(value));
                return c.id.toInt() != refusedId;
            };
        };
        QVERIFY(!h.replay(true, writeUnless(2)));
        QCOMPARE(written, (QStringList{u"3 Evenement1=c"_s, u"2 Evenement2=(null)"_s}));
        QCOMPARE(h.nextUndo().field, u"Evenement2"_s);  // the refused one, tried again next
        QCOMPARE(h.nextRedo().id.toInt(), 3);
        written.clear();
        QVERIFY(h.replay(true, writeUnless(0)));
        QVERIFY(h.replay(true, writeUnless(0)));  // the change before the group, on its own
        QCOMPARE(written, (QStringList{u"2 Evenement2=(null)"_s, u"2 Evenement1=b"_s, u"1 Evenement1=a"_s}));
        QVERIFY(!h.canUndo());
        written.clear();
        while (h.canRedo())
            QVERIFY(h.replay(false, writeUnless(0)));
        QCOMPARE(written, (QStringList{u"1 Evenement1=x"_s, u"2 Evenement1=y"_s, u"2 Evenement2=z"_s, u"3 Evenement1=(null)"_s}));
    }

    void unsavedTextsGoBackToTheirAlmanac()
    {
        FakePlatform desktop;
        desktop.folder = m_dir.path();
        QVERIFY(writeAlmanac(base(), fullYear()));
        QVERIFY(QDir().mkpath(desktop.stateFolder()));
        const QString here = UnsavedTexts::almanacName(base());
        const QStringList lines{u"t\t05/01\tEvenement1\tpour l'autre\t/ailleurs/ombo.mdb"_s,
                                u"t\t06/01\tEvenement1\tforme d'avant"_s,
                                u"t\t07/01\tEvenement2\t\\N\t"_s + here,
                                u"t\t08/01\tEvenement1\trefusé\t"_s + here,
                                u"t\t09/01\tEvenement1\tsans fin\\nde ligne\t"_s + here};
        QVERIFY(writeFile(UnsavedTexts::path(), lines.join(u'\n').toUtf8()));
        RecordSource source;
        source.setConnectionString(QStringLiteral("Data Source=") + base());
        source.refresh();
        QVERIFY(runSql(base(), {u"UPDATE Evenements SET Evenement1 = 'ailleurs' WHERE id = 8"_s}));
        const QList<ImportFailure> refused = UnsavedTexts::rewrite(*source.model(), base());
        QCOMPARE(refused.size(), 1);
        QCOMPARE(refused[0].key, u"08/01"_s);
        QCOMPARE(refused[0].error.number(), 3197);
        const QString stored[][2] = {{u"A 05/01"_s, u"B 05/01"_s}, {u"forme d'avant"_s, u"B 06/01"_s},
                                     {u"A 07/01"_s, u"(null)"_s}, {u"ailleurs"_s, u"B 08/01"_s},
                                     {u"sans fin\nde ligne"_s, u"B 09/01"_s}};
        for (int id = 5; id <= 9; ++id) {
            QCOMPARE(asText(readField(base(), id, "Evenement1")), stored[id - 5][0]);
            QCOMPARE(asText(readField(base(), id, "Evenement2")), stored[id - 5][1]);
        }
        QCOMPARE(readFile(UnsavedTexts::path()), (lines[0] + u'\n' + lines[3] + u'\n').toUtf8());
    }

    // Before the first write of each day, a copy of the almanac as it stood;
    // none for a day whose write failed; the last 14 written days kept. A
    // copy that cannot be made is said once, and the writes go on. Copies
    // dated after today and files not ours are left alone, said once.
    void dailyBackups()
    {
        FakePlatform desktop;
        RecordSource source;
        QVERIFY(writeAlmanac(base(), fullYear()));
        source.setConnectionString(QStringLiteral("Data Source=") + base());
        source.refresh();
        const QDir folder(m_dir.filePath(QStringLiteral("sauvegardes")));
        QVERIFY(!folder.exists());  // opening makes none
        QVERIFY(writeFile(folder.path(), "pas un dossier"));
        AlmanacModel *m = source.model();
        const QModelIndex cell = m->index(10, m->fieldIndex("Evenement1"));
        QStringList copies, others{"ombo-2003-12-01.mdb", "ombo-2004-02-30.mdb"};  // not SQLite; no such day
        for (int d = 1; d <= 14; ++d)
            others << QStringLiteral("ombo-2004-03-%1.mdb").arg(d, 2, 10, QLatin1Char('0'));
        QString lastWritten;
        for (int d = -2; d < 20; ++d) {
            desktop.date = QDate(2004, 2, 1).addDays(d);
            const QString copy = desktop.date.toString(QStringLiteral("'ombo-'yyyy-MM-dd'.mdb'"));
            if (d == 0) {
                QCOMPARE(desktop.events, QStringList{"box"});
                QCOMPARE(desktop.boxes[0].text, QStringLiteral("Erreur N° 3050 - La sauvegarde du jour de l'almanach dans « %1/ombo-2004-01-30.mdb » a échoué (le dossier ne peut pas être créé). Votre modification est tout de même en cours d'enregistrement ; si elle échoue, un autre message le dira.").arg(folder.path()));
                QVERIFY(QFile::remove(folder.path()) && folder.mkpath(u"."_s));
                for (const QString &name : others)
                    QVERIFY(name.contains(u"-03-"_s) ? QFile::copy(base(), folder.filePath(name)) : writeFile(folder.filePath(name), "étranger"));
            }
            if (d % 5 == 4) {  // another program changed the row: the day's only write fails
                lastWritten = QStringLiteral("ailleurs %1").arg(d);
                QVERIFY(runSql(base(), {QStringLiteral("UPDATE Evenements SET Evenement1 = ? WHERE id = 11")}, {lastWritten}));
                QVERIFY(m->setData(cell, QStringLiteral("refusé")) && !m->submit());
                continue;
            }
            for (int n = 0; n < 2; ++n)
                QVERIFY(m->setData(cell, QStringLiteral("jour %1-%2").arg(d).arg(n)) && m->submit());
            if (d >= 0) {
                QCOMPARE(asText(readField(folder.filePath(copy), 11, "Evenement1")), lastWritten);
                copies << copy;
            }
            lastWritten = QStringLiteral("jour %1-1").arg(d);
        }
        QStringList kept = copies.mid(copies.size() - 14) + others;
        kept.sort();
        QCOMPARE(folder.entryList(QDir::Files, QDir::Name), kept);
        QCOMPARE(desktop.boxes.size(), 2);
        QCOMPARE(desktop.boxes[1].text, QStringLiteral("Le dossier des sauvegardes « %1 » contient 14 copies datées d'après aujourd'hui (01/02/2004). Elles sont laissées telles quelles et ne comptent pas parmi les 14 dernières copies gardées.").arg(folder.path()));
    }

    // Which texts a search query matches, and where.
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
        QTest::newRow("decomposed accent in the text") << "St E\u0301douard" << "edou" << "St [E\u0301douard]";
        QTest::newRow("decomposed accent in the query") << "St Édouard" << "e\u0301dou" << "St [Édouard]";
        QTest::newRow("decomposed accent ending the match") << "Jose\u0301 Marie" << "jose" << "[Jose\u0301] Marie";
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

QTEST_GUILESS_MAIN(TestStore)
#include "tst_store.moc"
