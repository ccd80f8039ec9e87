#include "store/sync/Multistatus.h"

#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace {
const QString kDav = QStringLiteral("DAV:");
const QString kCalDav = QStringLiteral("urn:ietf:params:xml:ns:caldav");
const QString kServer = QStringLiteral("http://calendarserver.org/ns/");

int statusOf(const QString &line)
{
    // "HTTP/1.1 404 Not Found"
    const QStringList parts = line.simplified().split(QLatin1Char(' '));
    return parts.size() >= 2 ? parts[1].toInt() : 0;
}

// Reads the <prop> element the reader stands on into `r`.
void readProp(QXmlStreamReader &x, DavResponse &r)
{
    int depth = 0;
    QString inside;  // the property whose hrefs are being read
    while (!x.atEnd()) {
        const auto t = x.readNext();
        if (t == QXmlStreamReader::EndElement) {
            if (depth-- == 0)
                return;
            if (depth == 0)
                inside.clear();
            continue;
        }
        if (t != QXmlStreamReader::StartElement)
            continue;
        ++depth;
        const auto ns = x.namespaceUri(), name = x.name();
        if (depth == 1) {
            inside = name.toString();
            if (ns == kDav && name == QLatin1String("getetag"))
                r.etag = x.readElementText(QXmlStreamReader::SkipChildElements).trimmed(), --depth;
            else if (ns == kDav && name == QLatin1String("displayname"))
                r.displayName = x.readElementText(QXmlStreamReader::SkipChildElements), --depth;
            else if (ns == kServer && name == QLatin1String("getctag"))
                r.ctag = x.readElementText(QXmlStreamReader::SkipChildElements), --depth;
            else if (ns == kCalDav && name == QLatin1String("calendar-data"))
                r.calendarData = x.readElementText(QXmlStreamReader::SkipChildElements).toUtf8(), --depth;
            continue;
        }
        if (inside == QLatin1String("resourcetype") && ns == kDav && name == QLatin1String("collection"))
            r.collection = true;
        else if (inside == QLatin1String("resourcetype") && ns == kCalDav && name == QLatin1String("calendar"))
            r.calendar = true;
        else if (inside == QLatin1String("supported-report-set") && name == QLatin1String("sync-collection"))
            r.syncCollection = true;
        else if (ns == kDav && name == QLatin1String("href")) {
            const QString href = x.readElementText(QXmlStreamReader::SkipChildElements).trimmed();
            --depth;
            if (inside == QLatin1String("current-user-principal"))
                r.principal = href;
            else if (inside == QLatin1String("calendar-home-set"))
                r.calendarHome = href;
        }
    }
}

// One <propstat>: its properties when their status is 2xx.
void readPropstat(QXmlStreamReader &x, DavResponse &r, int *propStatus)
{
    DavResponse found;
    int status = 0;
    while (x.readNextStartElement()) {
        if (x.namespaceUri() == kDav && x.name() == QLatin1String("prop"))
            readProp(x, found);
        else if (x.namespaceUri() == kDav && x.name() == QLatin1String("status"))
            status = statusOf(x.readElementText(QXmlStreamReader::SkipChildElements));
        else
            x.skipCurrentElement();
    }
    if (status / 100 == 2) {
        found.href = r.href;
        found.status = r.status;
        r = found;
        *propStatus = status;
    }
}

DavResponse readResponse(QXmlStreamReader &x)
{
    DavResponse r;
    int propStatus = 0;
    while (x.readNextStartElement()) {
        const bool dav = x.namespaceUri() == kDav;
        const auto name = x.name();
        if (dav && name == QLatin1String("href"))
            r.href = x.readElementText(QXmlStreamReader::SkipChildElements).trimmed();
        else if (dav && name == QLatin1String("status"))
            r.status = statusOf(x.readElementText(QXmlStreamReader::SkipChildElements));
        else if (dav && name == QLatin1String("propstat"))
            readPropstat(x, r, &propStatus);
        else
            x.skipCurrentElement();
    }
    if (r.status == 0)
        r.status = propStatus;
    return r;
}

void props(QXmlStreamWriter &w, const QString &rootNs, const char *root, std::initializer_list<std::pair<QString, const char *>> names)
{
    w.writeNamespace(kDav, QStringLiteral("d"));
    w.writeNamespace(kCalDav, QStringLiteral("c"));
    w.writeNamespace(kServer, QStringLiteral("cs"));
    w.writeStartElement(rootNs, QString::fromLatin1(root));
    w.writeStartElement(kDav, QStringLiteral("prop"));
    for (const auto &[ns, name] : names)
        w.writeEmptyElement(ns, QString::fromLatin1(name));
    w.writeEndElement();
}

template <typename F>
QByteArray document(F body)
{
    QByteArray out;
    QXmlStreamWriter w(&out);
    w.writeStartDocument();
    body(w);
    w.writeEndDocument();
    return out;
}
}  // namespace

Multistatus readMultistatus(const QByteArray &xml)
{
    Multistatus m;
    if (xml.size() > kMaxAnswerBytes)
        return m;
    QXmlStreamReader x(xml);
    if (!x.readNextStartElement() || x.namespaceUri() != kDav || x.name() != QLatin1String("multistatus"))
        return m;
    while (x.readNextStartElement()) {
        if (x.namespaceUri() == kDav && x.name() == QLatin1String("response"))
            m.responses.append(readResponse(x));
        else if (x.namespaceUri() == kDav && x.name() == QLatin1String("sync-token"))
            m.syncToken = x.readElementText(QXmlStreamReader::SkipChildElements).trimmed();
        else
            x.skipCurrentElement();
    }
    m.ok = !x.hasError();
    return m;
}

namespace DavBody {
QByteArray collectionProps()
{
    return document([](QXmlStreamWriter &w) {
        props(w, kDav, "propfind", {{kDav, "resourcetype"}, {kDav, "displayname"}, {kServer, "getctag"},
                              {kDav, "sync-token"}, {kDav, "supported-report-set"}});
    });
}

QByteArray principalProps()
{
    return document([](QXmlStreamWriter &w) {
        props(w, kDav, "propfind", {{kDav, "current-user-principal"}, {kCalDav, "calendar-home-set"},
                              {kDav, "resourcetype"}});
    });
}

QByteArray listing()
{
    return document([](QXmlStreamWriter &w) {
        props(w, kDav, "propfind", {{kDav, "resourcetype"}, {kDav, "getetag"}, {kDav, "displayname"}});
    });
}

QByteArray syncCollection(const QString &token)
{
    return document([&](QXmlStreamWriter &w) {
        w.writeNamespace(kDav, QStringLiteral("d"));
        w.writeStartElement(kDav, QStringLiteral("sync-collection"));
        w.writeTextElement(kDav, QStringLiteral("sync-token"), token);
        w.writeTextElement(kDav, QStringLiteral("sync-level"), QStringLiteral("1"));
        w.writeStartElement(kDav, QStringLiteral("prop"));
        w.writeEmptyElement(kDav, QStringLiteral("getetag"));
        w.writeEndElement();
    });
}

QByteArray multiget(const QStringList &hrefs)
{
    return document([&](QXmlStreamWriter &w) {
        props(w, kCalDav, "calendar-multiget", {{kDav, "getetag"}, {kCalDav, "calendar-data"}});
        // props() left the root open: the hrefs go after <prop>.
        for (const QString &href : hrefs)
            w.writeTextElement(kDav, QStringLiteral("href"), href);
    });
}

QByteArray makeCalendar(const QString &displayName)
{
    return document([&](QXmlStreamWriter &w) {
        w.writeNamespace(kDav, QStringLiteral("d"));
        w.writeNamespace(kCalDav, QStringLiteral("c"));
        w.writeStartElement(kCalDav, QStringLiteral("mkcalendar"));
        w.writeStartElement(kDav, QStringLiteral("set"));
        w.writeStartElement(kDav, QStringLiteral("prop"));
        w.writeTextElement(kDav, QStringLiteral("displayname"), displayName);
        w.writeStartElement(kCalDav, QStringLiteral("supported-calendar-component-set"));
        w.writeEmptyElement(kCalDav, QStringLiteral("comp"));
        w.writeAttribute(QStringLiteral("name"), QStringLiteral("VEVENT"));
    });
}
}  // namespace DavBody
