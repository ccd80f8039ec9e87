#include "store/transfer/ReadSupport.h"
#include "store/transfer/DayRows.h"

#include <QDate>
#include <QRegularExpression>

using namespace transfer;

namespace {
QString icsUnescape(const QString &value)
{
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c == u'\\' && i + 1 < value.size()) {
            const QChar n = value[++i];
            out += (n == u'n' || n == u'N') ? QChar(u'\n') : n;
        } else {
            out += c;
        }
    }
    return out;
}

struct Event
{
    int line = 0;
    int month = 0, day = 0;
    bool allDay = false;
    std::optional<QString> summary;
    QString uid;
};
}  // namespace

ImportRead readIcs(const QByteArray &bytes)
{
    ImportRead read;
    QString text;
    if (!decodeUtf8(bytes, &text, &read.error))
        return read;

    // Unfolded content lines, each with the number of its first line.
    QList<std::pair<int, QString>> content;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (qsizetype n = 0; n < lines.size(); ++n) {
        QString line = lines[n];
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if ((line.startsWith(QLatin1Char(' ')) || line.startsWith(QLatin1Char('\t'))) && !content.isEmpty()) {
            content.last().second += line.mid(1);
            if (content.last().second.size() > 4 * kMaxTextLength) {
                read.error = tooLong(content.last().first);
                return read;
            }
        } else if (!line.isEmpty()) {
            content.append({int(n + 1), line});
        }
    }

    static const QRegularExpression ownUid(QStringLiteral("^(\\d\\d)(\\d\\d)-([12])@ombrelune$"));
    DayCollector days;
    QStringList open;  // the components begun and not yet ended
    std::optional<Event> event;
    for (const auto &[lineNo, line] : content) {
        // NAME;PARAM=...:VALUE, where a quoted parameter value may hold ':'.
        qsizetype colon = -1;
        bool inQuotes = false;
        for (qsizetype i = 0; i < line.size() && colon < 0; ++i) {
            if (line[i] == u'"')
                inQuotes = !inQuotes;
            else if (line[i] == u':' && !inQuotes)
                colon = i;
        }
        if (colon <= 0) {
            read.error = lineError(lineNo, QStringLiteral("%1 n'est pas de la forme NOM:VALEUR.").arg(quoted(line)));
            return read;
        }
        const QStringList head = line.left(colon).split(QLatin1Char(';'));
        const QString name = head.first().toUpper();
        const QString value = line.mid(colon + 1);

        if (open.isEmpty() && !(name == QLatin1String("BEGIN") && value.toUpper() == QLatin1String("VCALENDAR"))) {
            read.error = lineError(lineNo, QStringLiteral("le calendrier doit commencer par BEGIN:VCALENDAR."));
            return read;
        }
        if (name == QLatin1String("BEGIN")) {
            open << value.toUpper();
            if (open.last() == QLatin1String("VEVENT") && !event) {
                event.emplace();
                event->line = lineNo;
            }
            continue;
        }
        if (name == QLatin1String("END")) {
            if (open.isEmpty() || open.last() != value.toUpper()) {
                read.error = lineError(lineNo, QStringLiteral("END:%1 ne ferme pas %2.")
                                                   .arg(value, open.isEmpty() ? QStringLiteral("rien") : QStringLiteral("BEGIN:") + open.last()));
                return read;
            }
            open.removeLast();
            if (value.toUpper() == QLatin1String("VEVENT") && event) {
                if (event->allDay && event->summary && event->summary->size() > kMaxTextLength) {
                    read.error = tooLong(event->line);
                    return read;
                }
                if (event->allDay && event->summary && !event->summary->isEmpty()) {
                    const QString key = dayKey(event->month, event->day);
                    DayTexts &d = days.day(key, event->line);
                    const auto own = ownUid.match(event->uid);
                    const int field = own.hasMatch() && own.captured(1).toInt() == event->month
                                              && own.captured(2).toInt() == event->day
                                          ? own.captured(3).toInt()
                                          : 0;
                    if (field && !d.fixed[field - 1])
                        d.fixed[field - 1] = *event->summary;
                    else
                        d.loose << *event->summary;
                }
                event.reset();
            }
            if (open.isEmpty())
                break;  // past END:VCALENDAR nothing is read
            continue;
        }
        if (!event || open.last() != QLatin1String("VEVENT"))
            continue;
        if (name == QLatin1String("DTSTART")) {
            // An all-day start is a bare date, VALUE=DATE or not.
            static const QRegularExpression date(QStringLiteral("^(\\d{4})(\\d\\d)(\\d\\d)$"));
            const auto m = date.match(value.trimmed());
            if (!m.hasMatch()) {
                event->allDay = false;  // a start with a time: not a day's text
                continue;
            }
            event->month = m.captured(2).toInt();
            event->day = m.captured(3).toInt();
            if (!QDate(2000, event->month, event->day).isValid()) {
                read.error = lineError(lineNo, QStringLiteral("la date %1 n'existe pas.").arg(value.trimmed()));
                return read;
            }
            event->allDay = true;
        } else if (name == QLatin1String("SUMMARY")) {
            event->summary = icsUnescape(value);
        } else if (name == QLatin1String("UID")) {
            event->uid = value.trimmed();
        }
    }
    if (!open.isEmpty()) {
        read.error = lineError(content.isEmpty() ? 1 : content.last().first,
                               QStringLiteral("le fichier s'arrête avant END:%1.").arg(open.last()));
        return read;
    }
    if (content.isEmpty()) {
        read.error = lineError(1, QStringLiteral("le fichier est vide."));
        return read;
    }
    return days.result();
}
