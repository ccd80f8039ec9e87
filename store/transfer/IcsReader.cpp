#include "store/transfer/IcsReader.h"

#include "store/transfer/DayRows.h"
#include "store/transfer/ReadSupport.h"

#include <QDate>
#include <QStringDecoder>

#include <libical/ical.h>

#include <QByteArrayList>

#include <cctype>
#include <cstring>
#include <memory>

using namespace transfer;

namespace {
// One content line and the number of its first physical line.
struct ContentLine
{
    int line = 0;
    QByteArray text;
};

// The content lines of the file, unfolded by octets before any decoding
// (RFC 5545, 3.1: a fold may fall inside a UTF-8 character): a line that
// begins with a space or a tab continues the one before. libical would
// unfold too, but its lines lose their trailing spaces and their numbers.
QList<ContentLine> unfolded(const QByteArray &bytes)
{
    QList<ContentLine> lines;
    int n = 0;
    for (QByteArray line : bytes.split('\n')) {
        ++n;
        if (line.endsWith('\r'))
            line.chop(1);
        if ((line.startsWith(' ') || line.startsWith('\t')) && !lines.isEmpty())
            lines.last().text += line.mid(1);
        else if (!line.isEmpty())
            lines.append({n, line});
    }
    return lines;
}

struct ParserFree
{
    void operator()(icalparser *p) const { icalparser_free(p); }
};
struct ComponentFree
{
    void operator()(icalcomponent *c) const { icalcomponent_free(c); }
};

bool isUtf8(const char *line)
{
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString decoded = decoder.decode(QByteArrayView(line));
    return !decoder.hasError();
}

// The name that starts a content line, upper case; empty when the line is
// not NAME[;PARAM...]:VALUE.
QByteArray nameOf(const char *line)
{
    const char *p = line;
    while (std::isalnum(uchar(*p)) || *p == '-')
        ++p;
    if (p == line || (*p != ':' && *p != ';') || !std::strchr(p, ':'))
        return {};
    return QByteArray(line, p - line).toUpper();
}

// The field an export gives the event through its UID ("MMDD-F@ombrelune"),
// when the UID names the event's own day.
int ownField(const QString &uid, int month, int day)
{
    const QString own = QStringLiteral("%1%2-").arg(month, 2, 10, QLatin1Char('0')).arg(day, 2, 10, QLatin1Char('0'));
    if (uid.size() != 16 || !uid.startsWith(own) || !uid.endsWith(QLatin1String("@ombrelune")))
        return 0;
    const QChar f = uid[5];
    return f == u'1' ? 1 : f == u'2' ? 2 : 0;
}

// What the reader notes of an event as its lines go by: where it starts,
// and the spaces and tabs that begin and end its summary, which libical
// trims although they are part of the text (RFC 5545, 3.3.11).
struct EventSeen
{
    int line = 1;
    QByteArray lead, trail;
    bool summary = false;
};

// The value of a content line: what follows the first colon outside a
// quoted parameter value.
QByteArray rawValue(const char *line)
{
    bool inQuotes = false;
    for (const char *p = line; *p; ++p) {
        if (*p == '"')
            inQuotes = !inQuotes;
        else if (*p == ':' && !inQuotes)
            return QByteArray(p + 1);
    }
    return {};
}

void noteSummary(EventSeen &event, const char *line)
{
    if (event.summary)
        return;  // libical reads the first SUMMARY
    event.summary = true;
    const QByteArray value = rawValue(line);
    qsizetype start = 0, end = value.size();
    while (start < end && (value[start] == ' ' || value[start] == '\t'))
        ++start;
    while (end > start && (value[end - 1] == ' ' || value[end - 1] == '\t'))
        --end;
    event.lead = value.left(start);
    event.trail = value.mid(end);
}

// The all-day texts of one VCALENDAR; `seen` gives, in order, what the
// lines said of each of its events.
bool takeEvents(icalcomponent *calendar, QList<EventSeen> &seen, QList<IcsDayText> &texts, QString *error, int *timed)
{
    for (icalcomponent *event = icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT); event;
         event = icalcomponent_get_next_component(calendar, ICAL_VEVENT_COMPONENT)) {
        const EventSeen noted = seen.isEmpty() ? EventSeen{} : seen.takeFirst();
        const int line = noted.line;
        icalproperty *start = icalcomponent_get_first_property(event, ICAL_DTSTART_PROPERTY);
        if (!start)
            continue;
        const icaltimetype when = icalproperty_get_dtstart(start);
        if (!when.is_date) {
            // A start with a time: not a day's text, but said.
            if (timed && icalcomponent_get_summary(event) && *icalcomponent_get_summary(event))
                ++*timed;
            continue;
        }
        if (!QDate(2000, when.month, when.day).isValid()) {
            *error = lineError(line, QStringLiteral("la date %1 n'existe pas.")
                                         .arg(QString::fromUtf8(icalproperty_get_value_as_string(start))));
            return false;
        }
        const char *read = icalcomponent_get_summary(event);
        const QString summary = QString::fromUtf8(noted.lead + QByteArray(read ? read : "") + noted.trail);
        if (summary.isEmpty())
            continue;
        if (summary.size() > kMaxTextLength) {
            *error = tooLong(line);
            return false;
        }
        const QString uid = QString::fromUtf8(icalcomponent_get_uid(event)).trimmed();
        texts.append({when.month, when.day, ownField(uid, when.month, when.day), summary, uid, line});
    }
    return true;
}
}  // namespace

QList<IcsDayText> icsDayTexts(const QByteArray &input, QString *error, int *timed)
{
    const QByteArray bytes = input.startsWith("\xEF\xBB\xBF") ? input.mid(3) : input;
    if (const qsizetype nul = bytes.indexOf('\0'); nul >= 0) {
        *error = lineError(int(bytes.left(nul).count('\n')) + 1, QStringLiteral("le texte contient un caractère nul."));
        return {};
    }
    const std::unique_ptr<icalparser, ParserFree> parser(icalparser_new());
    QList<IcsDayText> texts;
    QByteArrayList open;  // the components begun and not yet ended
    QList<EventSeen> events;  // the events of the calendar being read
    auto refuse = [&](int line, const QString &what) {
        *error = lineError(line, what);
        return QList<IcsDayText>();
    };
    QList<ContentLine> lines = unfolded(bytes);
    if (lines.isEmpty())
        return refuse(1, QStringLiteral("le fichier est vide."));
    for (ContentLine &content : lines) {
        const int lineNo = content.line;
        char *line = content.text.data();
        if (!isUtf8(line))
            return refuse(lineNo, QStringLiteral("le texte n'est pas en UTF-8."));
        const QByteArray name = nameOf(line);
        if (name.isEmpty())
            return refuse(lineNo, QStringLiteral("%1 n'est pas de la forme NOM:VALEUR.").arg(quoted(QString::fromUtf8(line))));
        const QByteArray value = QByteArray(std::strchr(line, ':') + 1).trimmed().toUpper();
        if (open.isEmpty() && !(name == "BEGIN" && value == "VCALENDAR"))
            return refuse(lineNo, QStringLiteral("le calendrier doit commencer par BEGIN:VCALENDAR."));
        if (name == "BEGIN") {
            if (value == "VEVENT" && open.size() == 1)
                events << EventSeen{lineNo, {}, {}, false};
            open << value;
        } else if (name == "END") {
            // libical closes the innermost component whatever END names.
            if (open.last() != value)
                return refuse(lineNo, QStringLiteral("END:%1 ne ferme pas BEGIN:%2.")
                                          .arg(QString::fromUtf8(value), QString::fromUtf8(open.last())));
            open.removeLast();
        } else if (name == "SUMMARY" && open.size() == 2 && open.last() == "VEVENT") {
            noteSummary(events.last(), line);
        }
        const std::unique_ptr<icalcomponent, ComponentFree> calendar(icalparser_add_line(parser.get(), line));
        if (calendar && !takeEvents(calendar.get(), events, texts, error, timed))
            return {};
    }
    if (!open.isEmpty())
        return refuse(lines.last().line, QStringLiteral("le fichier s'arrête avant END:%1.").arg(QString::fromUtf8(open.last())));
    return texts;
}

ImportRead readIcs(const QByteArray &bytes)
{
    ImportRead read;
    int timed = 0;
    const QList<IcsDayText> texts = icsDayTexts(bytes, &read.error, &timed);
    if (!read.ok())
        return read;
    DayCollector days;
    for (const IcsDayText &t : texts) {
        DayTexts &d = days.day(dayKey(t.month, t.day), t.line);
        if (t.field && !d.fixed[t.field - 1])
            d.fixed[t.field - 1] = t.text;
        else
            d.loose << t.text;
    }
    read = days.result();
    read.timedEvents = timed;
    return read;
}
