#include "AlmanacFixture.h"
#include "FakePlatform.h"
#include "store/AlmanacExport.h"
#include "store/AlmanacImport.h"
#include "store/AlmanacModel.h"
#include "store/RecordSource.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {
// What a format keeps of a row: the text formats carry neither Null nor
// empty texts, and their line ends are LF; calendar text keeps the order of
// a day's texts, not their fields.
DayRow kept(DayRow row, FileFormat format)
{
    if (format == FileFormat::Csv)
        return row;
    for (QVariant *t : {&row.text1, &row.text2}) {
        if (t->toString().isEmpty())
            *t = QVariant();
        else
            *t = QVariant(t->toString().replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    }
    if (format == FileFormat::CalendarText && row.text1.isNull())
        std::swap(row.text1, row.text2);
    return row;
}

// The rows after importing `days` onto `rows` under `policy`.
QList<DayRow> imported(QList<DayRow> rows, const QList<ImportedDay> &days, ImportPolicy policy)
{
    QString error;
    const QList<ImportChange> changes = planImport(rows, days, policy, &error);
    if (!error.isEmpty())
        qWarning() << error;
    for (const ImportChange &c : changes)
        (c.field == 1 ? rows[c.row].text1 : rows[c.row].text2) = c.result;
    return rows;
}

QString describe(const ImportRead &read)
{
    if (!read.ok())
        return read.error.left(read.error.indexOf(QLatin1String(" :")));
    QStringList days;
    auto text = [](const std::optional<QVariant> &t) {
        return !t ? QStringLiteral("-") : t->isNull() ? QStringLiteral("(null)") : t->toString();
    };
    for (const ImportedDay &d : read.days)
        days << d.key + QLatin1Char('=') + text(d.text1) + QLatin1Char('|') + text(d.text2);
    return days.join(QLatin1Char(' '));
}

ImportRead readAs(const QString &format, const QByteArray &bytes)
{
    if (format == QLatin1String("csv"))
        return readCsv(bytes);
    if (format == QLatin1String("ics"))
        return readIcs(bytes);
    return readCalendarText(bytes);
}
}  // namespace

class TestTransfer : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString base() const { return m_dir.filePath(QStringLiteral("ombo.mdb")); }

private slots:
    void init() { QFile::remove(base()); }

    void roundTrip_data()
    {
        QTest::addColumn<int>("format");
        QTest::newRow("csv") << int(FileFormat::Csv);
        QTest::newRow("ics") << int(FileFormat::Ics);
        QTest::newRow("calendar text") << int(FileFormat::CalendarText);
    }
    // Export, then import under "Remplacer" onto an almanac with no texts,
    // gives back what the format keeps of every row.
    void roundTrip()
    {
        QFETCH(int, format);
        const auto f = FileFormat(format);
        const QList<DayRow> rows = dayRows(oddAlmanac());
        const QByteArray bytes = f == FileFormat::Csv ? exportCsv(rows)
                                 : f == FileFormat::Ics ? exportIcs(rows, QDate(2026, 12, 7))
                                                        : exportCalendarText(rows);
        const ImportRead read = f == FileFormat::Csv ? readCsv(bytes)
                                : f == FileFormat::Ics ? readIcs(bytes)
                                                       : readCalendarText(bytes);
        QVERIFY2(read.ok(), qPrintable(read.error));
        QList<DayRow> blank = rows;
        for (DayRow &r : blank)
            r.text1 = r.text2 = QVariant();
        const QList<DayRow> back = imported(blank, read.days, ImportPolicy::Replace);
        QCOMPARE(back.size(), rows.size());
        for (qsizetype i = 0; i < rows.size(); ++i)
            QCOMPARE(back[i], kept(rows[i], f));
    }

    // Lines of at most 75 octets, each ending in CRLF and each valid UTF-8
    // (no fold splits a character); the same almanac gives the same file.
    void icsLines()
    {
        const QList<DayRow> rows = dayRows(oddAlmanac());
        const QByteArray ics = exportIcs(rows, QDate(2026, 12, 7));
        QCOMPARE(ics, exportIcs(rows, QDate(2026, 12, 7)));
        QVERIFY(ics.endsWith("END:VCALENDAR\r\n"));
        const QList<QByteArray> lines = ics.split('\n');
        for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
            QVERIFY2(lines[i].endsWith('\r'), lines[i].constData());
            QVERIFY2(lines[i].size() - 1 <= 75, lines[i].constData());
            QStringDecoder utf8(QStringDecoder::Utf8);
            const QString decoded = utf8.decode(lines[i]);
            QVERIFY2(!utf8.hasError(), lines[i].constData());
        }
    }

    void reads_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QString>("expected");
        // Forms that read.
        QTest::newRow("csv semicolons, BOM, CRLF, no third field")
            << "csv" << QByteArray("\xEF\xBB\xBF" "Date;Evenement1;Evenement2\r\n05/01;\"a;b\";\r\n06/01;\"\"\r\n")
            << "05/01=a;b|(null) 06/01=|-";
        QTest::newRow("csv without header") << "csv" << QByteArray("31/12,x,y\n") << "31/12=x|y";
        QTest::newRow("calendar day forms")
            << "txt" << QByteArray("LANG=C\n#include <x>\n01/05\tA\nJan 6\tB\n7 janv. C\nDec 25 D\n25 déc\tE\n02/29\tF\n")
            << "05/01=A|- 06/01=B|- 07/01=C|- 25/12=D|E 29/02=F|-";
        QTest::newRow("calendar three texts on a day, continuation, comment")
            << "txt" << QByteArray("/* en-tête\n sur deux lignes */\n01/05\tA\n\tsuite\n01/05\tB\n01/05\tC\n")
            << "05/01=A\nsuite|B ; C";
        QTest::newRow("ics foreign all-day events; timed ones left out")
            << "ics"
            << QByteArray("BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nDTSTART;VALUE=DATE:19990105\r\nSUMMARY:a\\, b\\;\r\n"
                          " c\\nd\r\nBEGIN:VALARM\r\nSUMMARY:pas moi\r\nEND:VALARM\r\nEND:VEVENT\r\nBEGIN:VEVENT\r\n"
                          "DTSTART:20260105T100000Z\r\nSUMMARY:rendez-vous\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n")
            << "05/01=a, b;c\nd|-";
        // Refused, with the line at fault.
        QTest::newRow("csv unclosed quote") << "csv" << QByteArray("Date,Evenement1\n05/01,\"abc\n06/01,x\n") << "Ligne 2";
        QTest::newRow("csv no day") << "csv" << QByteArray("Date,E1,E2\n05/01,a,b\n32/01,x,y\n") << "Ligne 3";
        QTest::newRow("csv four fields") << "csv" << QByteArray("05/01,a,b,c\n") << "Ligne 1";
        QTest::newRow("csv day twice") << "csv" << QByteArray("05/01,a,b\n05/01,c,d\n") << "Ligne 2";
        QTest::newRow("csv quote inside a field") << "csv" << QByteArray("05/01,a\"b,c\n") << "Ligne 1";
        QTest::newRow("csv not UTF-8") << "csv" << QByteArray("05/01,a,b\n06/01,\xE9t\xE9,c\n") << "Ligne 2";
        QTest::newRow("csv text too long") << "csv" << QByteArray("05/01,a,b\n06/01,") + QByteArray(10001, 'x') << "Ligne 2";
        QTest::newRow("calendar line with no day") << "txt" << QByteArray("01/05\tok\nbonjour\n") << "Ligne 2";
        QTest::newRow("calendar continuation first") << "txt" << QByteArray("\tsuite\n") << "Ligne 1";
        QTest::newRow("calendar day that does not exist") << "txt" << QByteArray("01/05\tok\n02/30\tx\n") << "Ligne 2";
        QTest::newRow("calendar ambiguous month") << "txt" << QByteArray("jui 5\tx\n") << "Ligne 1";
        QTest::newRow("ics not a calendar") << "ics" << QByteArray("BEGIN:VEVENT\r\n") << "Ligne 1";
        QTest::newRow("ics line without colon")
            << "ics" << QByteArray("BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nSUMMARY x\r\n") << "Ligne 3";
        QTest::newRow("ics END that closes nothing open")
            << "ics" << QByteArray("BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nEND:VTODO\r\n") << "Ligne 3";
        QTest::newRow("ics cut short")
            << "ics" << QByteArray("BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nSUMMARY:x\r\nEND:VEVENT\r\n") << "Ligne 4";
        QTest::newRow("ics impossible date")
            << "ics" << QByteArray("BEGIN:VCALENDAR\nBEGIN:VEVENT\nDTSTART;VALUE=DATE:20260231\n") << "Ligne 3";
    }
    void reads()
    {
        QFETCH(QString, format);
        QFETCH(QByteArray, input);
        QFETCH(QString, expected);
        QCOMPARE(describe(readAs(format, input)), expected);
    }

    void policies_data()
    {
        QTest::addColumn<int>("policy");
        QTest::addColumn<QStringList>("after");  // 05/01, 06/01, 07/01: both texts
        QTest::newRow("Compléter") << int(ImportPolicy::Complete) << QStringList{"A", "Y", "Z", "B", "C", "D"};
        QTest::newRow("Remplacer") << int(ImportPolicy::Replace) << QStringList{"X", "Y", "Z", "B", "C", "E"};
        QTest::newRow("Ajouter à la suite")
            << int(ImportPolicy::Append) << QStringList{"A ; X", "Y", "Z", "B", "C", "D ; E"};
    }
    // The same file under each policy, written through the table's own
    // write path and read back from the file.
    void policies()
    {
        QFETCH(int, policy);
        QFETCH(QStringList, after);
        QVector<TestRow> days = fullYear();
        const QVariant null(QMetaType::fromType<QString>());
        days[4] = {"05/01", "A", null};
        days[5] = {"06/01", "", "B"};
        days[6] = {"07/01", "C", "D"};
        QVERIFY(writeAlmanac(base(), days));
        const ImportRead read = readCsv("Date,Evenement1,Evenement2\n05/01,X,Y\n06/01,Z,B\n07/01,C,E\n");
        QVERIFY(read.ok());

        RecordSource source;
        source.setConnectionString(QStringLiteral("Data Source=") + base());
        source.refresh();
        QString error;
        const QList<ImportChange> changes =
            planImport(almanacRows(*source.model()), read.days, ImportPolicy(policy), &error);
        QVERIFY(error.isEmpty());
        QVERIFY(applyImport(*source.model(), changes, base()).isEmpty());
        QStringList stored;
        for (int id : {5, 6, 7})
            for (const char *field : {"Evenement1", "Evenement2"})
                stored << readField(base(), id, field).toString();
        QCOMPARE(stored, after);
    }

    // Another copy writes a row between the preview and the confirmation:
    // that row is refused with 3197 and keeps the other copy's text, the
    // others are written.
    void anotherCopyBetweenPreviewAndConfirm()
    {
        QVERIFY(writeAlmanac(base(), fullYear()));
        RecordSource source;
        source.setConnectionString(QStringLiteral("Data Source=") + base());
        source.refresh();
        const ImportRead read = readCsv("05/01,X\n06/01,Y\n");
        QString error;
        const QList<ImportChange> changes =
            planImport(almanacRows(*source.model()), read.days, ImportPolicy::Replace, &error);
        QCOMPARE(changes.size(), 2);
        {
            RecordSource other;
            other.setConnectionString(QStringLiteral("Data Source=") + base());
            other.refresh();
            AlmanacModel *m = other.model();
            QVERIFY(m->setData(m->index(4, m->fieldIndex("Evenement1")), QStringLiteral("autre copie")));
            QVERIFY(m->submit());
        }
        const QList<ImportFailure> failures = applyImport(*source.model(), changes, base());
        QCOMPARE(failures.size(), 1);
        QCOMPARE(failures[0].key, QStringLiteral("05/01"));
        QCOMPARE(failures[0].error.number(), int(Err::RowChanged));
        QCOMPARE(readField(base(), 5, "Evenement1").toString(), QStringLiteral("autre copie"));
        QCOMPARE(readField(base(), 6, "Evenement1").toString(), QStringLiteral("Y"));
        // The grid shows what the file now holds.
        QCOMPARE(source.model()->data(source.model()->index(4, source.model()->fieldIndex("Evenement1"))).toString(),
                 QStringLiteral("autre copie"));
    }

    void limits()
    {
        const QString big = m_dir.filePath(QStringLiteral("gros.csv"));
        QVERIFY(writeFile(big, QByteArray(kMaxImportBytes + 1, '\n')));
        QVERIFY(readImportFile(big).error.contains(QStringLiteral("10 Mo")));
        // Appending may not make a text longer than an import may bring.
        const QList<DayRow> rows{{"05/01", QString(kMaxTextLength - 3, 'a'), QVariant()}};
        const QList<ImportedDay> days{{"05/01", QVariant("b"), {}, 7}};
        QString error;
        QVERIFY(planImport(rows, days, ImportPolicy::Append, &error).isEmpty());
        QVERIFY2(error.startsWith(QStringLiteral("Ligne 7")), qPrintable(error));
        QVERIFY(planImport(rows, days, ImportPolicy::Replace, &error).size() == 1);
    }
};

QTEST_GUILESS_MAIN(TestTransfer)
#include "tst_transfer.moc"
