#include "FakePlatform.h"
#include "core/Module1.h"
#include "core/OmboError.h"
#include "calendar/NomDuJour.h"
#include "calendar/TextesDuJour.h"

#include <QtTest>

namespace {
const QStringList kNoms = {"Lundi", "Mardi", "Mercredi", "Jeudi", "Vendredi", "Samedi", "Dimanche"};

// Independent reckoning: the first day of month `mois` of `annee` (months
// outside 1..12 run into the neighbouring years), moved by jour - 1 days.
QString oracle(int jour, int mois, int annee)
{
    return kNoms[QDate(annee, 1, 1).addMonths(mois - 1).addDays(jour - 1).dayOfWeek() - 1];
}

int erreurDe(const QVariant &cle)
{
    try {
        NomDuJour(cle);
    } catch (const OmboError &e) {
        return e.number();
    }
    return 0;
}
}  // namespace

class TestCalendar : public QObject
{
    Q_OBJECT

private slots:
    void sharedTextsStartEmpty()
    {
        for (const QString *t : {&Module1::Chemin, &Module1::JourCle, &Module1::JourTexte,
                                 &Module1::HierEv1, &Module1::HierEv2, &Module1::JourEv1,
                                 &Module1::JourEv2, &Module1::DemainEv1, &Module1::DemainEv2})
            QVERIFY(t->isEmpty());
    }

    void textesDuJour_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QString>("cle");
        QTest::addColumn<QString>("texte");
        QTest::newRow("5 January 2004") << QDate(2004, 1, 5) << "05/01" << " Lundi 05/01/2004";
        QTest::newRow("New Year") << QDate(2026, 1, 1) << "01/01" << " Jeudi 01/01/2026";
        QTest::newRow("New Year's Eve") << QDate(2026, 12, 31) << "31/12" << " Jeudi 31/12/2026";
        QTest::newRow("leap day") << QDate(2024, 2, 29) << "29/02" << " Jeudi 29/02/2024";
        QTest::newRow("Sunday") << QDate(2026, 12, 6) << "06/12" << " Dimanche 06/12/2026";
        QTest::newRow("Saturday") << QDate(2026, 10, 10) << "10/10" << " Samedi 10/10/2026";
        QTest::newRow("early year") << QDate(987, 7, 14) << "14/07" << " Samedi 14/07/0987";
    }
    void textesDuJour()
    {
        QFETCH(QDate, date);
        QFETCH(QString, cle);
        QFETCH(QString, texte);
        FakePlatform desktop;
        desktop.date = date;
        // A locale with other digits and separators changes nothing.
        QLocale::setDefault(QLocale(QLocale::Arabic, QLocale::Egypt));
        TextesDuJour();
        QLocale::setDefault(QLocale::c());
        QCOMPARE(Module1::JourCle, cle);
        QCOMPARE(Module1::JourTexte, texte);
    }

    void greetingTextOfFifthJanuary()
    {
        const DateTexts t = textsFor(QDate(2004, 1, 5));
        QCOMPARE(t.text.size(), 17);
        QVERIFY(t.text.startsWith(QLatin1Char(' ')));
    }

    // Every day part 00..99 with every month part -9..99, for every year from
    // 1901 to 2400, against the calendar.
    void weekdayMatchesCalendar_data()
    {
        QTest::addColumn<int>("annee");
        for (int annee = 1901; annee <= 2400; ++annee)
            QTest::addRow("%d", annee) << annee;
    }
    void weekdayMatchesCalendar()
    {
        QFETCH(int, annee);
        static QStringList jours, mois;
        if (jours.isEmpty()) {
            for (int j = 0; j <= 99; ++j)
                jours << QStringLiteral("%1").arg(j, 2, 10, QLatin1Char('0'));
            for (int m = -9; m <= 99; ++m)
                mois << (m < 0 ? QString::number(m) : QStringLiteral("%1").arg(m, 2, 10, QLatin1Char('0')));
        }
        for (int j = 0; j <= 99; ++j) {
            for (int mi = 0; mi < mois.size(); ++mi) {
                const int m = mi - 9;
                const QString cle = jours[j] + QLatin1Char('/') + mois[mi];
                const QString nom = dayNameInYear(cle, static_cast<std::int16_t>(annee));
                if (nom != oracle(j, m, annee))
                    QFAIL(qPrintable(QStringLiteral("%1 in %2: %3, expected %4")
                                         .arg(cle).arg(annee).arg(nom, oracle(j, m, annee))));
            }
        }
    }

    void weekdayOfKeys_data()
    {
        QTest::addColumn<QString>("cle");
        QTest::addColumn<int>("annee");
        QTest::addColumn<QString>("nom");
        QTest::newRow("5 January 2004") << "05/01" << 2004 << "Lundi";
        QTest::newRow("New Year 2004") << "01/01" << 2004 << "Jeudi";
        QTest::newRow("leap day") << "29/02" << 2004 << "Dimanche";
        QTest::newRow("29/02 in 2003 is 1 March") << "29/02" << 2003 << "Samedi";
        QTest::newRow("29/02 in 2100 is 1 March") << "29/02" << 2100 << "Lundi";
        QTest::newRow("28/02 in 2100") << "28/02" << 2100 << "Dimanche";
        QTest::newRow("31/04 runs into May") << "31/04" << 2004 << "Samedi";
        QTest::newRow("00/03 is the eve") << "00/03" << 2004 << "Dimanche";
        QTest::newRow("one character, day 5 of May") << "5" << 2004 << "Mercredi";
        QTest::newRow("no leading zero") << "5 /1 " << 2004 << "Lundi";
        QTest::newRow("spaces") << " 5/ 1" << 2004 << "Lundi";
        QTest::newRow("French decimal comma") << "5,/1," << 2004 << "Lundi";
        QTest::newRow("half rounds to even") << "4./03" << 2004 << "Jeudi";
        QTest::newRow("largest day part") << "255/01" << 2004 << oracle(25, 1, 2004);
    }
    void weekdayOfKeys()
    {
        QFETCH(QString, cle);
        QFETCH(int, annee);
        QFETCH(QString, nom);
        QCOMPARE(dayNameInYear(cle, static_cast<std::int16_t>(annee)), nom);
    }

    void yearIsReadAtEachCall()
    {
        FakePlatform desktop;
        desktop.date = QDate(2004, 12, 31);
        QCOMPARE(NomDuJour(QStringLiteral("01/01")), QStringLiteral("Jeudi"));
        desktop.date = QDate(2005, 1, 1);
        QCOMPARE(NomDuJour(QStringLiteral("01/01")), QStringLiteral("Samedi"));
    }

    void badKeys_data()
    {
        QTest::addColumn<QVariant>("cle");
        QTest::addColumn<int>("erreur");
        QTest::newRow("Null") << QVariant() << 94;
        QTest::newRow("Null text") << QVariant(QMetaType::fromType<QString>()) << 94;
        QTest::newRow("empty") << QVariant(QString()) << 13;
        QTest::newRow("day not a number") << QVariant("ab/01") << 13;
        QTest::newRow("month not a number") << QVariant("05/ab") << 13;
        QTest::newRow("day below zero") << QVariant("-1/01") << 6;
        QTest::newRow("both bad, day first") << QVariant("-1/ab") << 6;
        QTest::newRow("both not numbers") << QVariant("xx/yy") << 13;
        QTest::newRow("sign alone") << QVariant("-/01") << 13;
        QTest::newRow("two separators") << QVariant("..") << 13;
        QTest::newRow("exponent") << QVariant("1e/01") << 13;
        QTest::newRow("markup") << QVariant("<b>x</b>") << 13;
    }
    void badKeys()
    {
        QFETCH(QVariant, cle);
        QFETCH(int, erreur);
        FakePlatform desktop;
        QCOMPARE(erreurDe(cle), erreur);
    }

    void errorMessages()
    {
        const OmboError e(13, QStringLiteral("Incompatibilité de type"));
        QCOMPARE(e.fullMessage(), QStringLiteral("Erreur N° 13 - Incompatibilité de type"));
        QCOMPARE(e.numberText(), QStringLiteral("13"));
    }
};

QTEST_GUILESS_MAIN(TestCalendar)
#include "tst_calendar.moc"
