#include "core/French.h"
#include "store/transfer/ReadSupport.h"
#include "store/transfer/DayRows.h"

#include <QMap>

using namespace transfer;

namespace {
struct CsvField
{
    QString text;
    bool quoted = false;
};

char csvSeparator(const QString &text)
{
    int commas = 0, semicolons = 0;
    bool inQuotes = false;
    for (const QChar c : text) {
        if (c == u'"')
            inQuotes = !inQuotes;
        else if (!inQuotes && (c == u'\n' || c == u'\r'))
            break;
        else if (!inQuotes && c == u',')
            ++commas;
        else if (!inQuotes && c == u';')
            ++semicolons;
    }
    return semicolons > commas ? ';' : ',';
}
}  // namespace

ImportRead readCsv(const QByteArray &bytes)
{
    ImportRead read;
    QString text;
    if (!decodeUtf8(bytes, &text, &read.error))
        return read;
    const QChar sep = QLatin1Char(csvSeparator(text));

    QMap<QString, int> seen;
    int line = 1;
    qsizetype i = 0;
    bool first = true;
    while (i < text.size()) {
        const int recordLine = line;
        QList<CsvField> fields{CsvField{}};
        // One record: fields up to an unquoted line end.
        while (true) {
            CsvField &f = fields.last();
            if (i < text.size() && text[i] == u'"' && f.text.isEmpty() && !f.quoted) {
                f.quoted = true;
                const int openLine = line;
                ++i;
                while (true) {
                    if (i >= text.size()) {
                        read.error = lineError(openLine, QStringLiteral("guillemet ouvert et jamais fermé."));
                        return read;
                    }
                    const QChar c = text[i++];
                    if (c == u'"') {
                        if (i < text.size() && text[i] == u'"') {
                            f.text += c;
                            ++i;
                        } else {
                            break;
                        }
                    } else {
                        if (c == u'\n')
                            ++line;
                        f.text += c;
                    }
                    if (f.text.size() > kMaxTextLength) {
                        read.error = tooLong(recordLine);
                        return read;
                    }
                }
                if (i < text.size() && text[i] != sep && text[i] != u'\r' && text[i] != u'\n') {
                    read.error = lineError(line, QStringLiteral("un caractère suit le guillemet fermant d'un champ."));
                    return read;
                }
            }
            if (i >= text.size())
                break;
            const QChar c = text[i++];
            if (c == sep) {
                fields.append(CsvField{});
            } else if (c == u'\n' || c == u'\r') {
                if (c == u'\r' && i < text.size() && text[i] == u'\n')
                    ++i;
                ++line;
                break;
            } else if (c == u'"') {
                read.error = lineError(line, QStringLiteral("guillemet au milieu d'un champ sans guillemets."));
                return read;
            } else {
                f.text += c;
                if (f.text.size() > kMaxTextLength) {
                    read.error = tooLong(recordLine);
                    return read;
                }
            }
        }
        const bool blank = fields.size() == 1 && fields[0].text.trimmed().isEmpty() && !fields[0].quoted;
        const bool header = first && fields[0].text.trimmed().compare(QLatin1String("Date"), Qt::CaseInsensitive) == 0;
        first = false;
        if (blank || header)
            continue;
        if (fields.size() < 2 || fields.size() > 3) {
            read.error = lineError(recordLine, French::counted(fields.size(), "champ", "champs")
                                                   + QStringLiteral(" au lieu de 3 (Date, Evenement1, Evenement2)."));
            return read;
        }
        // A day written by hand may carry spaces; any other key is read as
        // the export wrote it, so that every row of the almanac comes back.
        int month = 0, day = 0;
        const QString key = monthDayOf(fields[0].text.trimmed(), &month, &day) ? fields[0].text.trimmed() : fields[0].text;
        if (seen.contains(key)) {
            read.error = lineError(recordLine, QStringLiteral("le jour %1 figure déjà à la ligne %2.").arg(key).arg(seen[key]));
            return read;
        }
        seen.insert(key, recordLine);
        // "" is the empty text, not Null: a QString never appended to is
        // null, and SQLite would store it as NULL.
        auto value = [](const CsvField &f) {
            if (!f.quoted)
                return f.text.isEmpty() ? QVariant() : QVariant(f.text);
            return QVariant(f.text.isNull() ? QStringLiteral("") : f.text);
        };
        ImportedDay d{key, value(fields[1]), {}, recordLine};
        if (fields.size() == 3)
            d.text2 = value(fields[2]);
        read.days << d;
    }
    return read;
}
