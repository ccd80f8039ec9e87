#include "FakePlatform.h"
#include "core/Module1.h"
#include "core/OmboError.h"
#include "calendar/NomDuJour.h"
#include "calendar/TextesDuJour.h"

#include <QtTest>

namespace {
const QStringList kNames = {"Lundi", "Mardi", "Mercredi", "Jeudi", "Vendredi", "Samedi", "Dimanche"};

// Independent reckoning: the first day of month `month` of `year` (months
// outside 1..12 run into the neighbouring years), moved by day - 1 days.
QString oracle(int day, int month, int year)
{
    return kNames[QDate(year, 1, 1).addMonths(month - 1).addDays(day - 1).dayOfWeek() - 1];
}

// The weekday's name, or the error's number.
QString weekdayOrError(const QVariant &key)
{
    try {
        return NomDuJour(key);
    } catch (const OmboError &e) {
        return QString::number(e.number());
    }
}
}  // namespace

class TestCalendar : public QObject
{
    Q_OBJECT

private slots:
    void textesDuJour_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("text");
        QTest::newRow("5 January 2004") << QDate(2004, 1, 5) << "05/01" << " Lundi 05/01/2004";
        QTest::newRow("New Year") << QDate(2026, 1, 1) << "01/01" << " Jeudi 01/01/2026";
        QTest::newRow("New Year's Eve") << QDate(2026, 12, 31) << "31/12" << " Jeudi 31/12/2026";
        QTest::newRow("Sunday") << QDate(2026, 12, 6) << "06/12" << " Dimanche 06/12/2026";
        QTest::newRow("Saturday") << QDate(2026, 10, 10) << "10/10" << " Samedi 10/10/2026";
        QTest::newRow("early year") << QDate(987, 7, 14) << "14/07" << " Samedi 14/07/0987";
    }
    void textesDuJour()
    {
        QFETCH(QDate, date);
        QFETCH(QString, key);
        QFETCH(QString, text);
        FakePlatform desktop;
        desktop.date = date;
        // A locale with other digits and separators changes nothing.
        QLocale::setDefault(QLocale(QLocale::Arabic, QLocale::Egypt));
        TextesDuJour();
        QLocale::setDefault(QLocale::c());
        QCOMPARE(Module1::JourCle, key);
        QCOMPARE(Module1::JourTexte, text);
    }

    // Every day part 00..99 with every month part -9..99, for every year from
    // 1901 to 2400, against the calendar.
    void weekdayMatchesCalendar()
    {
        QStringList days, months;
        for (int d = 0; d <= 99; ++d)
            days << QStringLiteral("%1").arg(d, 2, 10, QLatin1Char('0'));
        for (int m = -9; m <= 99; ++m)
            months << (m < 0 ? QString::number(m) : QStringLiteral("%1").arg(m, 2, 10, QLatin1Char('0')));
        for (int year = 1901; year <= 2400; ++year)
            for (int d = 0; d <= 99; ++d)
                for (int mi = 0; mi < months.size(); ++mi) {
                    const QString key = days[d] + QLatin1Char('/') + months[mi];
                    const QString name = dayNameInYear(key, static_cast<std::int16_t>(year));
                    if (name != oracle(d, mi - 9, year))
                        QFAIL(qPrintable(QStringLiteral("%1 in %2: %3, expected %4")
                                             .arg(key).arg(year).arg(name, oracle(d, mi - 9, year))));
                }
    }

    // Keys as a user or an old file may hold them, in 2004: the weekday, or
    // the error number (94 Null, 13 not a number, 6 out of range).
    void keys_data()
    {
        QTest::addColumn<QVariant>("key");
        QTest::addColumn<QString>("expected");
        QTest::newRow("one character, day 5 of May") << QVariant("5") << "Mercredi";
        QTest::newRow("no leading zero") << QVariant("5 /1 ") << "Lundi";
        QTest::newRow("plus sign") << QVariant("+5/+1") << "Lundi";
        QTest::newRow("French decimal comma") << QVariant("5,/1,") << "Lundi";
        // Halves go to the even neighbour: day 0.5 is day 0, month 0.5 is month 0 (December before).
        QTest::newRow("day half to even") << QVariant(",5/03") << "Dimanche";
        QTest::newRow("month half to even") << QVariant("01/.5") << "Lundi";
        QTest::newRow("largest day part") << QVariant("255/01") << oracle(25, 1, 2004);
        QTest::newRow("Null") << QVariant() << "94";
        QTest::newRow("Null text") << QVariant(QMetaType::fromType<QString>()) << "94";
        QTest::newRow("empty") << QVariant(QString()) << "13";
        QTest::newRow("day not a number") << QVariant("ab/01") << "13";
        QTest::newRow("month not a number") << QVariant("05/ab") << "13";
        QTest::newRow("day below zero") << QVariant("-1/01") << "6";
        QTest::newRow("both bad, day first") << QVariant("-1/ab") << "6";
        QTest::newRow("sign alone") << QVariant("-/01") << "13";
        QTest::newRow("two separators") << QVariant("..") << "13";
        QTest::newRow("exponent") << QVariant("1e/01") << "13";
    }
    void keys()
    {
        QFETCH(QVariant, key);
        QFETCH(QString, expected);
        FakePlatform desktop;
        QCOMPARE(weekdayOrError(key), expected);
    }

    void yearIsReadAtEachCall()
    {
        FakePlatform desktop;
        desktop.date = QDate(2004, 12, 31);
        QCOMPARE(NomDuJour(QStringLiteral("01/01")), QStringLiteral("Jeudi"));
        desktop.date = QDate(2005, 1, 1);
        QCOMPARE(NomDuJour(QStringLiteral("01/01")), QStringLiteral("Samedi"));
        desktop.date = QDate(2100, 3, 1);
        QCOMPARE(NomDuJour(QStringLiteral("29/02")), QStringLiteral("Lundi"));  // 1 March in a common year
    }
};

QTEST_GUILESS_MAIN(TestCalendar)
#include "tst_calendar.moc"
