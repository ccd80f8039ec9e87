#include "store/transfer/Writers.h"

#include "core/Identity.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace {
// Line ends inside a text as one LF, whatever they were.
QString unixLines(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

QStringList nonEmptyTexts(const DayRow &row)
{
    QStringList texts;
    for (const QVariant &v : {row.text1, row.text2})
        if (!v.isNull() && !v.toString().isEmpty())
            texts << v.toString();
    return texts;
}

// iCalendar TEXT: backslash, semicolon, comma and newline escaped; other
// control characters but the tab are not allowed there and are dropped.
QString icsText(const QString &text)
{
    QString out;
    out.reserve(text.size() + 8);
    for (const QChar c : unixLines(text)) {
        switch (c.unicode()) {
        case '\\': out += QStringLiteral("\\\\"); break;
        case ';': out += QStringLiteral("\\;"); break;
        case ',': out += QStringLiteral("\\,"); break;
        case '\n': out += QStringLiteral("\\n"); break;
        case '\t': out += c; break;
        default:
            if (c.unicode() >= 0x20 && c.unicode() != 0x7F)
                out += c;
        }
    }
    return out;
}

// One content line, folded into lines of at most 75 octets (a fold never
// splits a UTF-8 character), each ended by CRLF.
void appendFolded(QByteArray &out, const QString &line)
{
    const QByteArray bytes = line.toUtf8();
    qsizetype start = 0;
    int room = 75;
    while (bytes.size() - start > room) {
        qsizetype cut = start + room;
        while (cut > start && (uchar(bytes[cut]) & 0xC0) == 0x80)
            --cut;
        out += bytes.mid(start, cut - start);
        out += "\r\n ";
        start = cut;
        room = 74;  // the leading space counts
    }
    out += bytes.mid(start);
    out += "\r\n";
}

QString twoDigits(int n)
{
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

// calendar(1) reads "/*" and "*/" as the ends of a comment: a word joiner
// between the two characters keeps them apart.
QString calendarText(const QString &text)
{
    QString t = unixLines(text);
    t.replace(QStringLiteral("/*"), QStringLiteral("/\u2060*"));
    t.replace(QStringLiteral("*/"), QStringLiteral("*\u2060/"));
    return t;
}

QString csvField(const QVariant &v)
{
    if (v.isNull())
        return QString();
    QString t = v.toString();
    static const QString special = QStringLiteral(",;\"\r\n");
    bool quote = t.isEmpty();
    for (const QChar c : t)
        quote = quote || special.contains(c);
    if (!quote)
        return t;
    t.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + t + QLatin1Char('"');
}
}  // namespace

FileFormat formatOf(const QString &path)
{
    const QString ext = QFileInfo(path).suffix().toLower();
    if (ext == QLatin1String("ics"))
        return FileFormat::Ics;
    if (ext == QLatin1String("csv"))
        return FileFormat::Csv;
    if (ext == QLatin1String("txt"))
        return FileFormat::CalendarText;
    if (ext == QLatin1String("pdf"))
        return FileFormat::Pdf;
    return FileFormat::Unknown;
}

QByteArray exportIcs(const QList<DayRow> &rows, QDate today)
{
    int leapYear = today.year();
    while (!QDate::isLeapYear(leapYear))
        --leapYear;
    const QString stamp = today.toString(QStringLiteral("yyyyMMdd")) + QStringLiteral("T000000Z");

    QByteArray out;
    for (const char *line : {"BEGIN:VCALENDAR", "VERSION:2.0", "PRODID:-//Valdric//Ombrelune 1.00//FR",
                             "CALSCALE:GREGORIAN", "NAME:Ombrelune", "X-WR-CALNAME:Ombrelune"})
        appendFolded(out, QString::fromLatin1(line));
    for (const DayRow &row : rows) {
        int month = 0, day = 0;
        if (!monthDayOf(row.key, &month, &day))
            continue;
        const QDate start(month == 2 && day == 29 ? leapYear : today.year(), month, day);
        const QVariant texts[] = {row.text1, row.text2};
        for (int field = 1; field <= 2; ++field) {
            const QVariant &v = texts[field - 1];
            if (v.isNull() || v.toString().isEmpty())
                continue;
            appendFolded(out, QStringLiteral("BEGIN:VEVENT"));
            // The same day and field always get the same UID, so that a
            // calendar importing a new export updates its events.
            appendFolded(out, QStringLiteral("UID:%1%2-%3@ombrelune").arg(twoDigits(month), twoDigits(day)).arg(field));
            appendFolded(out, QStringLiteral("DTSTAMP:") + stamp);
            appendFolded(out, QStringLiteral("DTSTART;VALUE=DATE:") + start.toString(QStringLiteral("yyyyMMdd")));
            appendFolded(out, QStringLiteral("RRULE:FREQ=YEARLY"));
            appendFolded(out, QStringLiteral("SUMMARY:") + icsText(v.toString()));
            appendFolded(out, QStringLiteral("TRANSP:TRANSPARENT"));
            appendFolded(out, QStringLiteral("END:VEVENT"));
        }
    }
    appendFolded(out, QStringLiteral("END:VCALENDAR"));
    return out;
}

QByteArray exportCsv(const QList<DayRow> &rows)
{
    QString out = QStringLiteral("Date,Evenement1,Evenement2\r\n");
    for (const DayRow &row : rows)
        out += csvField(row.key) + QLatin1Char(',') + csvField(row.text1) + QLatin1Char(',')
               + csvField(row.text2) + QStringLiteral("\r\n");
    return out.toUtf8();
}

QByteArray exportCalendarText(const QList<DayRow> &rows)
{
    QString out = QStringLiteral(
        "/*\n"
        " * %1 : les textes de l'almanach, au format de calendar(1).\n"
        " * Pour les voir : calendar -f FICHIER\n"
        " */\n\n").arg(Identity::kProductName);
    for (const DayRow &row : rows) {
        int month = 0, day = 0;
        if (!monthDayOf(row.key, &month, &day))
            continue;
        for (const QString &text : nonEmptyTexts(row)) {
            const QStringList lines = calendarText(text).split(QLatin1Char('\n'));
            out += twoDigits(month) + QLatin1Char('/') + twoDigits(day) + QLatin1Char('\t') + lines.first()
                   + QLatin1Char('\n');
            for (qsizetype i = 1; i < lines.size(); ++i)
                out += QLatin1Char('\t') + lines[i] + QLatin1Char('\n');
        }
    }
    return out.toUtf8();
}

QString leftOutMessage(const QList<DayRow> &rows, FileFormat format)
{
    if (format != FileFormat::Ics && format != FileFormat::CalendarText)
        return {};
    QStringList keys;
    for (const DayRow &row : rows) {
        int month = 0, day = 0;
        if (!nonEmptyTexts(row).isEmpty() && !monthDayOf(row.key, &month, &day))
            keys << QStringLiteral("« ") + row.key + QStringLiteral(" »");
    }
    if (keys.isEmpty())
        return {};
    const qsizetype count = keys.size();
    if (count > 10)
        keys = keys.mid(0, 10) << QString(QChar(0x2026));
    const QString list = keys.join(QStringLiteral(", "));
    return count == 1 ? QStringLiteral("1 ligne sans date lisible n'a pas été exportée : %1.").arg(list)
                      : QStringLiteral("%1 lignes sans date lisible n'ont pas été exportées : %2.").arg(count).arg(list);
}

bool writeFileAtomically(const QString &path, const QByteArray &bytes, QString *error)
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit())
        return true;
    *error = QStringLiteral("Le fichier « %1 » ne peut pas être écrit : %2.")
                 .arg(QDir::toNativeSeparators(path), file.errorString());
    return false;
}
