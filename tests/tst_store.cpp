#include "AlmanacFixture.h"
#include "FakePlatform.h"
#include "core/Module1.h"
#include "store/AlmanacModel.h"
#include "store/RecordSource.h"
#include "store/TroisJours.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {
QStringList sixTextes()
{
    using namespace Module1;
    return {HierEv1, HierEv2, JourEv1, JourEv2, DemainEv1, DemainEv2};
}

void preremplir()
{
    using namespace Module1;
    for (QString *t : {&HierEv1, &HierEv2, &JourEv1, &JourEv2, &DemainEv1, &DemainEv2})
        *t = QStringLiteral("avant");
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
        Module1::reset();
    }

    void threeDays_data()
    {
        QTest::addColumn<QDate>("today");
        QTest::addColumn<bool>("leapRow");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QString>("endsOn");
        const QString a = QStringLiteral("avant");
        QTest::newRow("5 January")
            << QDate(2004, 1, 5) << true
            << QStringList{"A 04/01", "B 04/01", "A 05/01", "B 05/01", "A 06/01", "B 06/01"} << "05/01";
        QTest::newRow("New Year keeps yesterday")
            << QDate(2005, 1, 1) << true
            << QStringList{a, a, "A 01/01", "B 01/01", "A 02/01", "B 02/01"} << "01/01";
        QTest::newRow("New Year's Eve keeps tomorrow")
            << QDate(2005, 12, 31) << true
            << QStringList{"A 30/12", "B 30/12", "A 31/12", "B 31/12", a, a} << "31/12";
        QTest::newRow("1 March after a leap day row, common year")
            << QDate(2005, 3, 1) << true
            << QStringList{"A 29/02", "B 29/02", "A 01/03", "B 01/03", "A 02/03", "B 02/03"} << "01/03";
        QTest::newRow("1 March with no leap day row")
            << QDate(2004, 3, 1) << false
            << QStringList{"A 28/02", "B 28/02", "A 01/03", "B 01/03", "A 02/03", "B 02/03"} << "01/03";
        QTest::newRow("28 February before a leap day row")
            << QDate(2005, 2, 28) << true
            << QStringList{"A 27/02", "B 27/02", "A 28/02", "B 28/02", "A 29/02", "B 29/02"} << "28/02";
    }
    void threeDays()
    {
        QFETCH(QDate, today);
        QFETCH(bool, leapRow);
        QFETCH(QStringList, texts);
        QFETCH(QString, endsOn);
        QVERIFY(writeAlmanac(base(), fullYear(leapRow)));
        FakePlatform desktop;
        desktop.date = today;
        preremplir();
        RecordSource source;
        QVERIFY(loadAlmanac(source, m_dir.path()));
        QCOMPARE(sixTextes(), texts);
        QCOMPARE(source.fieldValue(QStringLiteral("Date")).toString(), endsOn);
        QVERIFY(desktop.events.isEmpty());
        QCOMPARE(Module1::Chemin, m_dir.path() + QLatin1Char('/'));
    }

    void nullTextIsEmpty()
    {
        QVector<TestRow> days = fullYear();
        days[4].ev2 = QVariant(QMetaType::fromType<QString>());
        QVERIFY(writeAlmanac(base(), days));
        FakePlatform desktop;
        RecordSource source;
        QVERIFY(loadAlmanac(source, m_dir.path()));
        QCOMPARE(Module1::JourEv1, QStringLiteral("A 05/01"));
        QVERIFY(Module1::JourEv2.isEmpty());
    }

    void missingDay()
    {
        QVector<TestRow> days = fullYear();
        days.remove(4);  // 05/01
        QVERIFY(writeAlmanac(base(), days));
        FakePlatform desktop;
        preremplir();
        RecordSource source;
        QStringList seen;
        connect(&source, &RecordSource::currentRowChanged, this, [&] {
            seen << (source.currentRow() < 0 ? QStringLiteral("none")
                                             : source.fieldValue(QStringLiteral("Date")).toString());
        });
        QVERIFY(!loadAlmanac(source, m_dir.path()));
        QCOMPARE(seen, (QStringList{"01/01", "none"}));
        QCOMPARE(desktop.events, (QStringList{"beep", "box"}));
        QCOMPARE(desktop.boxes[0].text,
                 QStringLiteral("La date 05/01 n'est pas rencontrée sous cette forme dans le champ Date\r\n"
                                "de la Base de Données. Son intégrité est à reconsidérer."));
        QCOMPARE(desktop.boxes[0].title, QStringLiteral("Ombrelune.exe"));
        QCOMPARE(desktop.boxes[0].style, 22);
        QCOMPARE(sixTextes(), QStringList(6, QStringLiteral("avant")));
    }

    void failures_data()
    {
        QTest::addColumn<QByteArray>("contents");  // empty: no file at all
        QTest::addColumn<int>("number");
        QTest::newRow("missing file") << QByteArray() << 14;
        QTest::newRow("not a database") << QByteArray(4096, 'x') << 26;
        QTest::newRow("empty file, no table") << QByteArray("\0", 0) << 1;
    }
    void failures()
    {
        QFETCH(QByteArray, contents);
        QFETCH(int, number);
        const bool makeFile = QTest::currentDataTag() != QLatin1String("missing file");
        if (makeFile) {
            QFile f(base());
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(contents);
        }
        FakePlatform desktop;
        RecordSource source;
        QVERIFY(!loadAlmanac(source, m_dir.path()));
        QCOMPARE(desktop.events, (QStringList{"beep", "box"}));
        const QString prefix = QStringLiteral("Erreur N° %1 - ").arg(number);
        QVERIFY2(desktop.boxes[0].text.startsWith(prefix), qPrintable(desktop.boxes[0].text));
        QVERIFY(desktop.boxes[0].text.contains(base()));
        QCOMPARE(desktop.boxes[0].title, QString());
        QCOMPARE(desktop.boxes[0].style, 0);
        // Opening never creates the almanac.
        QCOMPARE(QFile::exists(base()), makeFile);
        QCOMPARE(Module1::JourCle, QStringLiteral("05/01"));
    }

    void todayIsFirstRowButNotNewYear()
    {
        QVERIFY(writeAlmanac(base(), fullYear().mid(4)));  // starts at 05/01
        FakePlatform desktop;
        RecordSource source;
        QVERIFY(!loadAlmanac(source, m_dir.path()));
        QVERIFY(desktop.boxes[0].text.startsWith(QStringLiteral("Erreur N° 3001 - ")));
    }

    void rootFolderHasNoDoubledSlash()
    {
        FakePlatform desktop;
        RecordSource source;
        loadAlmanac(source, QStringLiteral("/"));
        QCOMPARE(Module1::Chemin, QStringLiteral("/"));
        QCOMPARE(source.connectionString(), QStringLiteral("Data Source=/ombo.mdb"));
    }

    void findComparesExactText_data()
    {
        QTest::addColumn<QString>("criterion");
        QTest::addColumn<int>("row");  // -1: no current row
        QTest::newRow("today") << "Date=(05/01)" << 4;
        QTest::newRow("spaces around") << " Date = (05/01) " << 4;
        QTest::newRow("no leading zero") << "Date=(5/01)" << -1;
        QTest::newRow("quote") << "Date=(05/01' OR '1'='1)" << -1;
        QTest::newRow("other field") << "Evenement1=(A 07/01)" << 6;
    }
    void findComparesExactText()
    {
        QFETCH(QString, criterion);
        QFETCH(int, row);
        QVERIFY(writeAlmanac(base(), fullYear()));
        FakePlatform desktop;
        RecordSource source;
        source.setConnectionString(QStringLiteral("Data Source=") + base());
        source.refresh();
        source.find(criterion);
        QCOMPARE(source.currentRow(), row);
    }

    void badCriterionAndPositions()
    {
        QVERIFY(writeAlmanac(base(), fullYear()));
        FakePlatform desktop;
        RecordSource source;
        source.setConnectionString(QStringLiteral("Data Source=") + base());
        source.refresh();
        auto number = [](auto &&f) {
            try {
                f();
            } catch (const OmboError &e) {
                return e.number();
            }
            return 0;
        };
        QCOMPARE(number([&] { source.find(QStringLiteral("Date=05/01")); }), 3001);
        QCOMPARE(number([&] { source.find(QStringLiteral("Nom=(x)")); }), 3001);
        QCOMPARE(number([&] { source.setAbsolutePosition(0); }), 3001);
        QCOMPARE(number([&] { source.setAbsolutePosition(367); }), 3001);
        source.moveLast();
        QCOMPARE(source.absolutePosition(), 366);
        source.find(QStringLiteral("Date=(01/01)"));  // searches forward only
        QCOMPARE(number([&] { source.absolutePosition(); }), 3021);
        QCOMPARE(number([&] { source.fieldValue(QStringLiteral("Date")); }), 3021);
        QCOMPARE(number([&] { source.setAbsolutePosition(1); }), 3021);
    }

    void editReachesFile()
    {
        QVERIFY(writeAlmanac(base(), fullYear()));
        FakePlatform desktop;
        RecordSource source;
        QVERIFY(loadAlmanac(source, m_dir.path()));
        AlmanacModel *m = source.model();
        const int row = source.currentRow();
        QVERIFY(m->setData(m->index(row, m->fieldIndex("Evenement1")), QStringLiteral("corrigé")));
        QVERIFY(m->setData(m->index(row, m->fieldIndex("Evenement2")), QVariant(QMetaType::fromType<QString>())));
        QVERIFY(!m->setData(m->index(row, m->fieldIndex("Date")), QStringLiteral("xx/xx")));
        QVERIFY(m->submit());
        QCOMPARE(readField(base(), 5, "Evenement1").toString(), QStringLiteral("corrigé"));
        QVERIFY(readField(base(), 5, "Evenement2").isNull());
        QCOMPARE(readField(base(), 5, "Date").toString(), QStringLiteral("05/01"));
    }

    // Two copies of the program on one file: a row changed by the other copy
    // since it was read is not overwritten; different rows both survive.
    void twoCopies()
    {
        QVERIFY(writeAlmanac(base(), fullYear()));
        FakePlatform desktop;
        RecordSource un, deux;
        QVERIFY(loadAlmanac(un, m_dir.path()));
        QVERIFY(loadAlmanac(deux, m_dir.path()));
        AlmanacModel *m1 = un.model(), *m2 = deux.model();
        const int ev1 = m1->fieldIndex("Evenement1");

        QVERIFY(m1->setData(m1->index(4, ev1), QStringLiteral("copie un")));
        QVERIFY(m1->submit());
        QSignalSpy failed(&deux, &RecordSource::writeFailed);
        QVERIFY(m2->setData(m2->index(4, ev1), QStringLiteral("copie deux")));
        QVERIFY(!m2->submit());
        QCOMPARE(failed.count(), 1);
        QCOMPARE(failed[0][0].value<OmboError>().number(), 3197);
        QCOMPARE(readField(base(), 5, "Evenement1").toString(), QStringLiteral("copie un"));
        QCOMPARE(m2->data(m2->index(4, ev1)).toString(), QStringLiteral("copie deux"));
        m2->revertAll();

        QVERIFY(m2->setData(m2->index(5, ev1), QStringLiteral("ligne six")));
        QVERIFY(m2->submit());
        QCOMPARE(readField(base(), 5, "Evenement1").toString(), QStringLiteral("copie un"));
        QCOMPARE(readField(base(), 6, "Evenement1").toString(), QStringLiteral("ligne six"));
        // Once written, a row can be edited again by the same copy.
        QVERIFY(m2->setData(m2->index(5, ev1), QStringLiteral("encore")));
        QVERIFY(m2->submit());
        QCOMPARE(readField(base(), 6, "Evenement1").toString(), QStringLiteral("encore"));
    }

    // Before the first write of each day, a copy of the almanac as it stood;
    // none for a day whose write failed; the last 14 written days kept.
    void dailyBackups()
    {
        QVERIFY(writeAlmanac(base(), fullYear()));
        FakePlatform desktop;
        RecordSource source;
        QVERIFY(loadAlmanac(source, m_dir.path()));
        const QDir folder(m_dir.filePath(QStringLiteral("sauvegardes")));
        QVERIFY(!folder.exists());  // opening makes none
        AlmanacModel *m = source.model();
        const QModelIndex cell = m->index(10, m->fieldIndex("Evenement1"));
        QStringList copies;
        QString lastWritten = QStringLiteral("A 11/01");
        for (int d = 0; d < 20; ++d) {
            desktop.date = QDate(2004, 2, 1).addDays(d);
            const QString copy = desktop.date.toString(QStringLiteral("'ombo-'yyyy-MM-dd'.mdb'"));
            if (d % 5 == 4) {  // another program changed the row: the day's only write fails
                QVERIFY(runSql(base(), {QStringLiteral("UPDATE Evenements SET Evenement1 = ? WHERE id = 11")},
                                 {QStringLiteral("ailleurs %1").arg(d)}));
                QVERIFY(m->setData(cell, QStringLiteral("refusé")));
                QVERIFY(!m->submit());
                lastWritten = QStringLiteral("ailleurs %1").arg(d);
                continue;
            }
            for (int n = 0; n < 2; ++n) {
                QVERIFY(m->setData(cell, QStringLiteral("jour %1-%2").arg(d).arg(n)));
                QVERIFY(m->submit());
            }
            QCOMPARE(readField(folder.filePath(copy), 11, "Evenement1").toString(), lastWritten);
            lastWritten = QStringLiteral("jour %1-1").arg(d);
            copies << copy;
        }
        QCOMPARE(folder.entryList(QDir::Files, QDir::Name), copies.mid(copies.size() - 14));
    }

    // A copy that cannot be made is said once, and the writes go on.
    void failedBackupDoesNotStopTheWrite()
    {
        QVERIFY(writeAlmanac(base(), fullYear()));
        QDir(m_dir.filePath(QStringLiteral("sauvegardes"))).removeRecursively();
        QVERIFY(writeFile(m_dir.filePath(QStringLiteral("sauvegardes")), "pas un dossier"));
        FakePlatform desktop;
        RecordSource source;
        QVERIFY(loadAlmanac(source, m_dir.path()));
        AlmanacModel *m = source.model();
        for (int d = 0; d < 2; ++d) {
            desktop.date = QDate(2004, 3, 1).addDays(d);
            QVERIFY(m->setData(m->index(3, m->fieldIndex("Evenement2")), QString::number(d)));
            QVERIFY(m->submit());
            QCOMPARE(readField(base(), 4, "Evenement2").toString(), QString::number(d));
        }
        QCOMPARE(desktop.events, QStringList{"box"});
        QVERIFY2(desktop.boxes[0].text.startsWith(QStringLiteral("Erreur N° 3050 - La sauvegarde du jour")),
                 qPrintable(desktop.boxes[0].text));
    }
};

QTEST_GUILESS_MAIN(TestStore)
#include "tst_store.moc"
