#include "store/transfer/ReadSupport.h"
#include "store/TextLines.h"
#include "store/transfer/DayRows.h"

#include <QRegularExpression>

using namespace transfer;

namespace {
int monthByName(QString word)
{
    static const char *const names[12][2] = {
        {"january", "janvier"}, {"february", "fevrier"}, {"march", "mars"}, {"april", "avril"},
        {"may", "mai"}, {"june", "juin"}, {"july", "juillet"}, {"august", "aout"},
        {"september", "septembre"}, {"october", "octobre"}, {"november", "novembre"},
        {"december", "decembre"}};
    word = word.toLower();
    if (word.endsWith(QLatin1Char('.')))
        word.chop(1);
    word.replace(QChar(0xE9), QLatin1Char('e')).replace(QChar(0xFB), QLatin1Char('u'));
    if (word.size() < 3)
        return 0;
    int found = 0;
    for (int m = 0; m < 12; ++m)
        for (const char *name : names[m])
            if (QLatin1String(name).startsWith(word)) {
                if (found && found != m + 1)
                    return 0;  // ambiguous ("jui")
                found = m + 1;
            }
    return found;
}
}  // namespace

ImportRead readCalendarText(const QByteArray &bytes)
{
    ImportRead read;
    QString text;
    if (!decodeUtf8(bytes, &text, &read.error))
        return read;
    static const QRegularExpression numeric(QStringLiteral("^(\\d{1,2})/(\\d{1,2})\\*?(\\t|[ ]+)"));
    static const QRegularExpression monthFirst(QStringLiteral("^(\\p{L}+\\.?)[ ]+(\\d{1,2})\\*?(\\t|[ ]+)"));
    static const QRegularExpression dayFirst(QStringLiteral("^(\\d{1,2})[ ]+(\\p{L}+\\.?)\\*?(\\t|[ ]+)"));
    static const QRegularExpression setting(QStringLiteral("^[A-Z_]+="));

    DayCollector days;
    QString *current = nullptr;  // the text that a continuation line extends
    bool inComment = false;
    // CRLF, LF and CR alone all end a line (old Mac editors write CR alone).
    const QStringList lines = textLines(text);
    for (qsizetype n = 0; n < lines.size(); ++n) {
        const int lineNo = int(n + 1);
        QString line = lines[n];
        // Comments, which calendar(1) removes before reading.
        QString kept;
        for (qsizetype i = 0; i < line.size(); ++i) {
            if (inComment) {
                if (line.mid(i, 2) == QLatin1String("*/")) {
                    inComment = false;
                    ++i;
                }
            } else if (line.mid(i, 2) == QLatin1String("/*")) {
                inComment = true;
                ++i;
            } else {
                kept += line[i];
            }
        }
        const bool hadComment = kept.size() != line.size();
        line = kept;
        line.replace(QStringLiteral("/\u2060*"), QStringLiteral("/*"));
        line.replace(QStringLiteral("*\u2060/"), QStringLiteral("*/"));

        if (line.startsWith(QLatin1Char('\t'))) {
            if (!current) {
                if (hadComment && line.trimmed().isEmpty())
                    continue;
                read.error = lineError(lineNo, QStringLiteral("ligne de suite (commençant par une tabulation) sans jour avant elle."));
                return read;
            }
            *current += QLatin1Char('\n') + line.mid(1);
            if (current->size() > kMaxTextLength) {
                read.error = tooLong(lineNo);
                return read;
            }
            continue;
        }
        current = nullptr;
        if (line.trimmed().isEmpty() || line.startsWith(QLatin1Char('#')) || setting.match(line).hasMatch())
            continue;

        int month = 0, day = 0;
        qsizetype textStart = -1;
        bool tab = false;
        if (const auto m = numeric.match(line); m.hasMatch()) {
            month = m.captured(1).toInt();
            day = m.captured(2).toInt();
            textStart = m.capturedEnd(0);
            tab = m.captured(3) == QLatin1String("\t");
        } else if (const auto m2 = monthFirst.match(line); m2.hasMatch() && monthByName(m2.captured(1))) {
            month = monthByName(m2.captured(1));
            day = m2.captured(2).toInt();
            textStart = m2.capturedEnd(0);
            tab = m2.captured(3) == QLatin1String("\t");
        } else if (const auto m3 = dayFirst.match(line); m3.hasMatch() && monthByName(m3.captured(2))) {
            month = monthByName(m3.captured(2));
            day = m3.captured(1).toInt();
            textStart = m3.capturedEnd(0);
            tab = m3.captured(3) == QLatin1String("\t");
        } else {
            read.error = lineError(lineNo, QStringLiteral("%1 ne commence pas par un jour (MM/JJ, Mmm JJ ou JJ Mmm).")
                                               .arg(quoted(line)));
            return read;
        }
        const QString key = dayKey(month, day);
        int m = 0, d = 0;
        if (!monthDayOf(key, &m, &d)) {
            // Said in the file's own words: "25/01" there is month 25.
            read.error = lineError(lineNo, QStringLiteral("le jour %1 n'existe pas (mois %2, jour %3).")
                                               .arg(quoted(line.left(textStart).trimmed())).arg(month).arg(day));
            return read;
        }
        // After a tab the text is kept as it is; after spaces, from its first letter.
        QString t = line.mid(textStart);
        if (!tab)
            t = t.trimmed();
        DayTexts &dt = days.day(key, lineNo);
        dt.loose << t;
        current = &dt.loose.last();
        if (current->size() > kMaxTextLength) {
            read.error = tooLong(lineNo);
            return read;
        }
    }
    return days.result();
}
