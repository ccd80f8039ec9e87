// Export and import: each format's identity on odd texts, what an import
// takes, refuses and changes under each policy, and a row changed by
// another copy between the preview and the confirmation.
#include "AlmanacFixture.h"
#include "core/French.h"
#include "store/transfer/ImportApply.h"
#include "store/AlmanacModel.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {
QString shown(const DayRow &row)
{
    return row.key + u'=' + asText(row.text1) + u'|' + asText(row.text2);
}

// What a format keeps of a row: the text formats carry neither Null nor
// empty texts, nor a row whose key is no day, and their line ends are LF;
// calendar text keeps the order of a day's texts, not their fields.
DayRow kept(DayRow row, const QString &kind)
{
    if (kind == "csv"_L1)
        return row;
    int month = 0, day = 0;
    for (QVariant *t : {&row.text1, &row.text2})
        *t = t->toString().isEmpty() || !monthDayOf(row.key, &month, &day)
                 ? QVariant()
                 : QVariant(t->toString().replace("\r\n"_L1, "\n"_L1));
    if (kind == "txt"_L1 && row.text1.isNull())
        std::swap(row.text1, row.text2);
    return row;
}

// The import of `read` applied to `rows` in memory; `error` tells a refusal.
void apply(QList<DayRow> &rows, const ImportRead &read, ImportPolicy policy, QString *error)
{
    *error = read.error;
    if (read.ok())
        for (const ImportChange &c : planImport(rows, read.days, policy, error))
            (c.field == 1 ? rows[c.row].text1 : rows[c.row].text2) = c.result;
}
}  // namespace

class TestTransfer : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString base() const { return m_dir.filePath(u"ombo.mdb"_s); }

    // `bytes` read back as a file of kind "csv", "ics" or "txt".
    ImportRead readBack(const QString &kind, const QByteArray &bytes)
    {
        const QString path = m_dir.filePath("in."_L1 + kind);
        writeFile(path, bytes);
        return readImportFile(path);
    }

private slots:
    void roundTrip_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("leftOut");
        QTest::newRow("csv") << "csv" << "";
        for (const char *kind : {"ics", "txt"})
            QTest::newRow(kind) << QString::fromLatin1(kind) << "1 ligne sans date lisible n'a pas été exportée : « Noël ».";
    }
    // Export, then import under "Remplacer" onto an almanac with no texts,
    // gives back what the format keeps of every row, and the export says
    // what it left out.
    void roundTrip()
    {
        QFETCH(QString, kind);
        QFETCH(QString, leftOut);
        QVector<TestRow> days = oddAlmanac();
        days.append({u"Noël"_s, u"réveillon"_s, ""});
        const QList<DayRow> rows = dayRows(days);
        QList<DayRow> back = rows;
        for (DayRow &r : back)
            r.text1 = r.text2 = QVariant();
        const QByteArray file = kind == "csv"_L1   ? exportCsv(rows)
                                : kind == "ics"_L1 ? exportIcs(rows, QDate(2026, 12, 7))
                                                   : exportCalendarText(rows);
        QString error;
        apply(back, readBack(kind, file), ImportPolicy::Replace, &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        for (qsizetype i = 0; i < rows.size(); ++i)
            QCOMPARE(shown(back[i]), shown(kept(rows[i], kind)));
        QCOMPARE(leftOutMessage(rows, formatOf("a."_L1 + kind)), leftOut);
    }

    void appendTwice_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QByteArray>("input");
        QTest::newRow("txt, three texts on a day") << "txt" << QByteArray("01/05\tA\n01/05\tB\n01/05\tC\n");
        QTest::newRow("ics, three events on a day")
            << "ics" << QByteArray("BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nDTSTART;VALUE=DATE:20260105\r\nSUMMARY:A\r\nEND:VEVENT\r\n"
                                   "BEGIN:VEVENT\r\nDTSTART;VALUE=DATE:20260105\r\nSUMMARY:B\r\nEND:VEVENT\r\n"
                                   "BEGIN:VEVENT\r\nDTSTART;VALUE=DATE:20260105\r\nSUMMARY:C\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n");
        QTest::newRow("csv, a text holding the separator") << "csv" << QByteArray("05/01,X ; A 05/01,B ; C\n");
    }
    // "Ajouter à la suite" twice with the same file: the second time
    // changes nothing.
    void appendTwice()
    {
        QFETCH(QString, kind);
        QFETCH(QByteArray, input);
        QList<DayRow> rows = dayRows(fullYear());
        const ImportRead read = readBack(kind, input);
        QString error;
        apply(rows, read, ImportPolicy::Append, &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QVERIFY(shown(rows[4]).contains(u"B ; C"_s));
        QCOMPARE(planImport(rows, read.days, ImportPolicy::Append, &error).size(), 0);
    }

    void imports_data()
    {
        QTest::addColumn<int>("policy");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QString>("expected");  // the file's days after, or the refusal
        const int C = int(ImportPolicy::Complete), R = int(ImportPolicy::Replace), A = int(ImportPolicy::Append);
        // Forms that read; a text not given stays, Null shows as "(null)".
        QTest::newRow("csv semicolons, BOM, CRLF, no third field")
            << R << "csv" << QByteArray("\xEF\xBB\xBF" "Date;Evenement1;Evenement2\r\n05/01;\"a;b\";\r\n06/01;\"\"\r\n")
            << "05/01=a;b|(null) 06/01=|B";
        QTest::newRow("csv without header") << R << "csv" << QByteArray("31/12,x,y\n") << "31/12=x|y";
        QTest::newRow("calendar day forms")
            << R << "txt" << QByteArray("LANG=C\n#include <x>\n01/05\tA\nJan 6\tB\n7 janv. C\nDec 25 D\n25 déc\tE\n02/29\tF\n")
            << "05/01=A|(null) 06/01=B|B 07/01=C|D 25/12=D|E 29/02=F|B 29/02";
        QTest::newRow("calendar with CR-only line ends")
            << R << "txt" << QByteArray("01/05\tA\r01/06\tB\r\tsuite\r") << "05/01=A|(null) 06/01=B\nsuite|B";
        QTest::newRow("calendar three texts on a day, continuation, comment")
            << R << "txt" << QByteArray("/* en-tête\n sur deux lignes */\n01/05\tA\n\tsuite\n01/05\tB\n01/05\tC\n")
            << "05/01=A\nsuite|B ; C";
        QTest::newRow("ics foreign all-day events; timed ones left out")
            << R << "ics"
            << QByteArray("BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nDTSTART;VALUE=DATE:19990105\r\nSUMMARY:a\\, b\\;\r\n"
                          " c\\nd\r\nBEGIN:VALARM\r\nSUMMARY:pas moi\r\nEND:VALARM\r\nEND:VEVENT\r\nBEGIN:VEVENT\r\n"
                          "DTSTART:20260105T100000Z\r\nSUMMARY:rendez-vous\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n")
            << "05/01=a, b;c\nd|(null)";
        QTest::newRow("ics folded inside é and inside an emoji; two calendars")
            << R << "ics"
            << QByteArray("BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nDTSTART;VALUE=DATE:20260105\r\nSUMMARY:St \xC3\r\n \x89" "douard f\xC3"
                          "\xAAte \xF0\x9F\r\n \x8E\x82 fin\r\nEND:VEVENT\r\nEND:VCALENDAR\r\nBEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\n"
                          "DTSTART;VALUE=DATE:20260106\r\nSUMMARY:deuxième\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n")
            << "05/01=St Édouard fête 🎂 fin|(null) 06/01=deuxième|B";
        // The policies, on 05/01 "A" and Null, 06/01 "" and "B", 07/01 "C" and "D".
        const QByteArray three("Date,Evenement1,Evenement2\n05/01,X,Y\n06/01,Z,B\n07/01,C,E\n");
        QTest::newRow("Compléter") << C << "csv" << three << "05/01=A|Y 06/01=Z|B 07/01=C|D";
        QTest::newRow("Remplacer") << R << "csv" << three << "05/01=X|Y 06/01=Z|B 07/01=C|E";
        QTest::newRow("Ajouter à la suite") << A << "csv" << three << "05/01=A ; X|Y 06/01=Z|B 07/01=C|D ; E";
        // Refused, with the line at fault.
        QTest::newRow("appending past the longest text") << A << "csv" << "05/01,"_ba + QByteArray(9999, 'x') << "Ligne 1";
        QTest::newRow("csv no day") << R << "csv" << QByteArray("Date,E1,E2\n05/01,a,b\n32/01,x,y\n") << "Ligne 3";
        QTest::newRow("csv four fields") << R << "csv" << QByteArray("05/01,a,b,c\n") << "Ligne 1";
        QTest::newRow("csv day twice") << R << "csv" << QByteArray("05/01,a,b\n05/01,c,d\n") << "Ligne 2";
        QTest::newRow("csv quote inside a field") << R << "csv" << QByteArray("05/01,a\"b,c\n") << "Ligne 1";
        QTest::newRow("csv not UTF-8") << R << "csv" << QByteArray("05/01,a,b\n06/01,\xE9t\xE9,c\n") << "Ligne 2";
        QTest::newRow("csv text too long") << R << "csv" << "05/01,a,b\n06/01,"_ba + QByteArray(10001, 'x') << "Ligne 2";
        QTest::newRow("calendar continuation first") << R << "txt" << QByteArray("\tsuite\n") << "Ligne 1";
        QTest::newRow("calendar day that does not exist") << R << "txt" << QByteArray("01/05\tok\n02/30\tx\n") << "Ligne 2";
        QTest::newRow("calendar ambiguous month") << R << "txt" << QByteArray("jui 5\tx\n") << "Ligne 1";
        QTest::newRow("ics not a calendar") << R << "ics" << QByteArray("BEGIN:VEVENT\r\n") << "Ligne 1";
        const QByteArray event("BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\n");  // two lines
        QTest::newRow("ics line without colon") << R << "ics" << event + "SUMMARY x\r\n" << "Ligne 3";
        QTest::newRow("ics END that closes nothing open") << R << "ics" << event + "END:VTODO\r\n" << "Ligne 3";
        QTest::newRow("ics cut short") << R << "ics" << event + "SUMMARY:x\r\nEND:VEVENT\r\n" << "Ligne 4";
        QTest::newRow("ics impossible date, LF line ends")
            << R << "ics" << QByteArray("BEGIN:VCALENDAR\nBEGIN:VEVENT\nDTSTART;VALUE=DATE:20260231\nEND:VEVENT\nEND:VCALENDAR\n")
            << "Ligne 2";
        QTest::newRow("ics not UTF-8 once unfolded")
            << R << "ics" << event + "SUMMARY:\xC3\r\n \xC3\r\nEND:VEVENT\r\n" << "Ligne 3";
        QTest::newRow("file over 10 Mo") << R << "csv" << QByteArray(kMaxImportBytes + 1, '\n')
                                         << "Le fichier « in.csv » dépasse 10 Mo";
    }
    void imports()
    {
        QFETCH(int, policy);
        QFETCH(QString, kind);
        QFETCH(QByteArray, input);
        QFETCH(QString, expected);
        QVector<TestRow> days = fullYear();
        days[4] = {"05/01", "A", QVariant(QMetaType::fromType<QString>())};
        days[5] = {"06/01", "", "B"};
        days[6] = {"07/01", "C", "D"};
        QList<DayRow> rows = dayRows(days);
        const ImportRead read = readBack(kind, input);
        QString error;
        apply(rows, read, ImportPolicy(policy), &error);
        QStringList after;
        for (const ImportedDay &d : read.days)
            for (const DayRow &r : rows)
                if (r.key == d.key)
                    after << shown(r);
        QCOMPARE(error.isEmpty() ? after.join(u' ') : error.remove(m_dir.path() + u'/').section(u" : "_s, 0, 0).section(u". "_s, -1),
                 expected);
    }

    // Another copy writes a row between the preview and the confirmation:
    // that row is refused with 3197 and keeps the other copy's text, which
    // the grid then shows; the others are written.
    // What a refusal or a count says, word for word (its grammar included).
    void wording_data()
    {
        QTest::addColumn<QString>("said");
        QTest::addColumn<QString>("expected");
        auto refusal = [this](const char *kind, const QByteArray &bytes) {
            return readBack(QString::fromLatin1(kind), bytes).error.section(u"importé. "_s, 1);
        };
        QTest::newRow("csv: a day twice") << refusal("csv", "05/01,a\n05/01,b\n")
                                          << u"Ligne 2 : le jour 05/01 figure déjà à la ligne 1."_s;
        QTest::newRow("csv: one field") << refusal("csv", "05/01\n") << u"Ligne 1 : 1 champ au lieu de 3 (Date, Evenement1, Evenement2)."_s;
        QTest::newRow("csv: four fields") << refusal("csv", "05/01,a,b,c\n")
                                          << u"Ligne 1 : 4 champs au lieu de 3 (Date, Evenement1, Evenement2)."_s;
        QTest::newRow("calendar: month first") << refusal("txt", "25/01\tx\n")
                                               << u"Ligne 1 : le jour « 25/01 » n'existe pas (mois 25, jour 1)."_s;
        QTest::newRow("ics: timed events counted")
            << leftOutNote(readBack(u"ics"_s, "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nDTSTART:20260105T100000Z\r\nSUMMARY:a\r\n"
                                               "END:VEVENT\r\nBEGIN:VEVENT\r\nDTSTART;VALUE=DATE:20260105\r\nSUMMARY:b\r\n"
                                               "END:VEVENT\r\nEND:VCALENDAR\r\n"))
            << u"1 événement à heure fixe est laissé de côté : seuls les événements d'une journée entière s'importent."_s;
        for (int n : {0, 1, 3})
            QTest::addRow("%d texts", n) << French::counted(n, "texte modifié", "textes modifiés")
                                         << (n == 3 ? u"3 textes modifiés"_s : QString::number(n) + u" texte modifié"_s);
    }
    void wording()
    {
        QFETCH(QString, said);
        QFETCH(QString, expected);
        QCOMPARE(said, expected);
    }

    void anotherCopyBetweenPreviewAndConfirm()
    {
        QVERIFY(writeAlmanac(base(), fullYear()));
        RecordSource source;
        source.setConnectionString(u"Data Source="_s + base());
        source.refresh();
        QString error;
        const QList<ImportChange> changes =
            planImport(almanacRows(*source.model()), readCsv("05/01,X\n06/01,Y\n").days, ImportPolicy::Replace, &error);
        QVERIFY(runSql(base(), {u"UPDATE Evenements SET Evenement1 = 'autre copie' WHERE id = 5"_s}));
        const QList<ImportFailure> failures = applyImport(*source.model(), changes, base());
        QCOMPARE(failures.size(), 1);
        QCOMPARE(failures[0].key, u"05/01"_s);
        QCOMPARE(failures[0].error.number(), 3197);
        QCOMPARE(asText(readField(base(), 5, "Evenement1")), u"autre copie"_s);
        QCOMPARE(asText(readField(base(), 6, "Evenement1")), u"Y"_s);
        const int column = source.model()->fieldIndex("Evenement1");
        QCOMPARE(source.model()->index(4, column).data().toString(), u"autre copie"_s);
    }
};

QTEST_GUILESS_MAIN(TestTransfer)
#include "tst_transfer.moc"
