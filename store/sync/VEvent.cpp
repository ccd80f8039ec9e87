#include "store/sync/VEvent.h"

#include <QRegularExpression>

#include <libical/ical.h>

namespace {
// Frees a libical component when it goes out of scope.
struct Component
{
    icalcomponent *c;
    ~Component()
    {
        if (c)
            icalcomponent_free(c);
    }
};

void collect(icalcomponent *calendar, QList<VEvent> &out)
{
    for (icalcomponent *e = icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT); e;
         e = icalcomponent_get_next_component(calendar, ICAL_VEVENT_COMPONENT)) {
        VEvent ev;
        if (const char *uid = icalcomponent_get_uid(e))
            ev.uid = QString::fromUtf8(uid);
        if (const char *summary = icalcomponent_get_summary(e))
            ev.summary = serverForm(QString::fromUtf8(summary));
        if (icalcomponent_get_first_property(e, ICAL_DTSTART_PROPERTY)) {
            const icaltimetype start = icalcomponent_get_dtstart(e);
            ev.allDay = !icaltime_is_null_time(start) && start.is_date;
            ev.month = start.month;
            ev.day = start.day;
        }
        out.append(ev);
    }
}
}  // namespace

QList<VEvent> readVEvents(const QByteArray &ics, bool *ok)
{
    QList<VEvent> events;
    *ok = false;
    if (ics.size() > kMaxResourceBytes || ics.contains('\0'))
        return events;
    // libical reports parse errors through a global flag and X-LIC-ERROR
    // properties; a text with no VCALENDAR at all gives no component.
    Component root{icalparser_parse_string(ics.constData())};
    icalerror_clear_errno();
    if (!root.c)
        return events;
    const icalcomponent_kind kind = icalcomponent_isa(root.c);
    if (kind == ICAL_VCALENDAR_COMPONENT) {
        collect(root.c, events);
    } else if (kind == ICAL_XROOT_COMPONENT) {
        for (icalcomponent *cal = icalcomponent_get_first_component(root.c, ICAL_VCALENDAR_COMPONENT); cal;
             cal = icalcomponent_get_next_component(root.c, ICAL_VCALENDAR_COMPONENT))
            collect(cal, events);
    } else {
        return events;
    }
    *ok = true;
    return events;
}

QByteArray withSummary(const QByteArray &ics, const QString &uid, const QString &summary)
{
    if (ics.size() > kMaxResourceBytes || ics.contains('\0'))
        return {};
    Component root{icalparser_parse_string(ics.constData())};
    icalerror_clear_errno();
    if (!root.c || icalcomponent_isa(root.c) != ICAL_VCALENDAR_COMPONENT)
        return {};
    const QByteArray wanted = uid.toUtf8();
    for (icalcomponent *e = icalcomponent_get_first_component(root.c, ICAL_VEVENT_COMPONENT); e;
         e = icalcomponent_get_next_component(root.c, ICAL_VEVENT_COMPONENT)) {
        const char *id = icalcomponent_get_uid(e);
        if (!id || wanted != id || icalcomponent_get_first_property(e, ICAL_RECURRENCEID_PROPERTY))
            continue;
        icalcomponent_set_summary(e, summary.toUtf8().constData());
        char *text = icalcomponent_as_ical_string_r(root.c);
        QByteArray out(text);
        icalmemory_free_buffer(text);
        return out;
    }
    return {};
}

QString ownUid(int month, int day, int field)
{
    return QStringLiteral("%1%2-%3@ombrelune")
        .arg(month, 2, 10, QLatin1Char('0'))
        .arg(day, 2, 10, QLatin1Char('0'))
        .arg(field);
}

bool fieldOfUid(const QString &uid, QString *key, int *field)
{
    static const QRegularExpression own(QStringLiteral("^(\\d\\d)(\\d\\d)-([12])@ombrelune$"));
    const QRegularExpressionMatch m = own.match(uid);
    if (!m.hasMatch())
        return false;
    *key = m.captured(2) + QLatin1Char('/') + m.captured(1);
    *field = m.captured(3).toInt();
    return true;
}

QString serverForm(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\r') {
            out += u'\n';
            if (i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
        } else if (c == u'\n' || c == u'\t' || (c.unicode() >= 0x20 && c.unicode() != 0x7F)) {
            out += c;
        }
    }
    return out;
}
