#include "store/sync/SyncEngine.h"

#include "core/French.h"
#include "core/Platform.h"
#include "store/AlmanacModel.h"
#include "store/sync/Multistatus.h"
#include "store/sync/VEvent.h"
#include "store/transfer/Writers.h"

namespace {
const QString kCalendarName = QStringLiteral("Ombrelune");
constexpr int kMultigetBatch = 200;

OmboError raced()
{
    return {Err::SyncRaced, QStringLiteral("Un événement a changé sur le serveur pendant la synchronisation ;"
                                           " la prochaine synchronisation le reprendra.")};
}

// Why a request failed, as the user is told.
OmboError faultOf(const DavReply &r)
{
    if (r.tooLarge)
        return {Err::SyncBadAnswer, QStringLiteral("La réponse du serveur est trop grande.")};
    if (r.status == 0) {
        const QString why = r.timedOut ? QStringLiteral("il n'a pas répondu à temps")
                            : r.error == QNetworkReply::HostNotFoundError ? QStringLiteral("il est introuvable")
                            : r.error == QNetworkReply::ConnectionRefusedError ? QStringLiteral("la connexion est refusée")
                                                                               : r.errorText;
        return {Err::SyncUnreachable, QStringLiteral("Le serveur de synchronisation ne répond pas : %1.").arg(why)};
    }
    if (r.status == 401 || r.status == 403)
        return {Err::SyncDenied, QStringLiteral("Le serveur refuse l'accès (nom d'utilisateur ou mot de passe).")};
    if (r.status == 404 || r.status == 410)
        return {Err::SyncGone, QStringLiteral("Le calendrier est introuvable sur le serveur.")};
    if (r.status == 412)
        return raced();
    return {Err::SyncServerFault, QStringLiteral("Le serveur a répondu « %1 ».").arg(r.status)};
}

DavClient::Headers depth(const char *d)
{
    return {{"Depth", d}};
}
}  // namespace

QString SyncEngine::Result::summary() const
{
    using French::counted;
    return QStringLiteral("Synchronisation : %1, %2, %3, %4.")
        .arg(counted(sent, "texte envoyé", "textes envoyés"), counted(received, "reçu", "reçus"),
             counted(deleted, "supprimé", "supprimés"), counted(conflicts.size(), "conflit", "conflits"));
}

SyncEngine::SyncEngine(AlmanacModel &model, QObject *parent) : QObject(parent), m_model(model)
{
    qRegisterMetaType<SyncEngine::Result>();
}

void SyncEngine::setServer(const QString &url, const QString &user)
{
    m_url = url;
    m_user = user;
}

void SyncEngine::start()
{
    if (m_running)
        return;
    m_running = true;
    m_result = Result();
    m_remote.clear();
    m_bodies.clear();
    m_steps.clear();
    m_next = 0;
    if (!SyncState::load(m_model.database(), &m_server, &m_events))
        return fail(Err::SyncLocal, QStringLiteral("L'état de la synchronisation ne peut pas être lu."));
    const QString url = m_url.isEmpty() ? m_server.url : m_url;
    const QString user = !m_user.isEmpty() ? m_user : url == m_server.url ? m_server.user : QString();
    if (url.isEmpty())
        return fail(Err::SyncNoServer, QStringLiteral("Aucun serveur de synchronisation n'est choisi."));
    if (!DavClient::allowed(QUrl(url)))
        return fail(Err::SyncInsecure, QStringLiteral("L'adresse « %1 » est refusée : https:// est exigé"
                                                      " (http:// seulement pour cette machine).").arg(url));
    if (url != m_server.url) {
        // Another server: a first sync with it, which deletes nothing.
        m_server = ServerState();
        m_events.clear();
    }
    m_server.url = url;
    m_server.user = user;
    m_client.setCredentials(user, m_password);
    if (!m_server.calendar.isEmpty() && !m_listOnly)
        probeCalendar(QUrl(m_server.calendar), false);
    else
        probeCalendar(QUrl(url), true);
}

void SyncEngine::request(const QByteArray &method, const QUrl &url, const QByteArray &body,
                         const DavClient::Headers &headers, OnReply onSuccess, QList<int> tolerated)
{
    m_client.send(method, url, body, headers, [this, onSuccess, tolerated](const DavReply &r) {
        if (!r.tooLarge && (r.status / 100 == 2 || tolerated.contains(r.status)))
            onSuccess(r);
        else
            failOn(r);
    });
}

void SyncEngine::probeCalendar(const QUrl &url, bool discover)
{
    const QList<int> tolerated = discover ? QList<int>{404, 405} : QList<int>{};
    request("PROPFIND", url, DavBody::collectionProps(), depth("0"), [=, this](const DavReply &r) {
        const Multistatus m = readMultistatus(r.body);
        if (r.status / 100 == 2 && !m.ok)
            return fail(Err::SyncBadAnswer, QStringLiteral("La réponse du serveur est illisible."));
        if (r.status / 100 == 2 && !m.responses.isEmpty() && m.responses[0].calendar) {
            const DavResponse &c = m.responses[0];
            if (m_listOnly)
                return listed({{c.displayName, url.toString()}});
            m_server.calendar = url.toString();
            m_syncCollection = c.syncCollection;
            m_newCtag = c.ctag;
            // The events made elsewhere are wanted whole: the listing too.
            if (m_syncCollection)
                return listChanges(m_foreignWanted ? QString() : m_server.syncToken);
            if (!m_foreignWanted && !c.ctag.isEmpty() && c.ctag == m_server.ctag) {
                takeListing(Multistatus{{}, {}, true}, false);  // nothing changed there
                return fetch();
            }
            return listAll();
        }
        if (!discover)
            return fail(Err::SyncGone, QStringLiteral("« %1 » n'est pas un calendrier.").arg(url.toString()));
        findPrincipal(url, false);
    }, tolerated);
}

void SyncEngine::findPrincipal(const QUrl &url, bool wellKnownTried)
{
    request("PROPFIND", url, DavBody::principalProps(), depth("0"), [=, this](const DavReply &r) {
        const Multistatus m = readMultistatus(r.body);
        const QString principal = m.responses.isEmpty() ? QString() : m.responses[0].principal;
        if (!principal.isEmpty())
            return findHome(url.resolved(QUrl(principal)));
        if (wellKnownTried)
            return fail(Err::SyncGone, QStringLiteral("Aucun calendrier n'est trouvé à l'adresse « %1 ».").arg(m_server.url));
        // The server's root may be elsewhere: RFC 6764's well-known address.
        const QUrl wellKnown = url.resolved(QUrl(QStringLiteral("/.well-known/caldav")));
        request("PROPFIND", wellKnown, DavBody::principalProps(), depth("0"), [=, this](const DavReply &w) {
            const QUrl next = w.location.isEmpty() ? wellKnown : wellKnown.resolved(QUrl(QString::fromUtf8(w.location)));
            findPrincipal(next, true);
        }, {301, 302, 303, 307, 308});
    }, {404, 405});
}

void SyncEngine::findHome(const QUrl &principal)
{
    request("PROPFIND", principal, DavBody::principalProps(), depth("0"), [=, this](const DavReply &r) {
        const Multistatus m = readMultistatus(r.body);
        const QString home = m.responses.isEmpty() ? QString() : m.responses[0].calendarHome;
        if (home.isEmpty())
            return fail(Err::SyncGone, QStringLiteral("Le serveur ne dit pas où sont vos calendriers."));
        findCalendar(principal.resolved(QUrl(home)));
    });
}

// The calendar named "Ombrelune" under the user's calendar home, made when
// there is none.
void SyncEngine::findCalendar(const QUrl &home)
{
    request("PROPFIND", home, DavBody::listing(), depth("1"), [=, this](const DavReply &r) {
        const Multistatus m = readMultistatus(r.body);
        if (!m.ok)
            return fail(Err::SyncBadAnswer, QStringLiteral("La réponse du serveur est illisible."));
        if (m_listOnly) {
            QList<Calendar> found;
            for (const DavResponse &c : m.responses)
                if (c.calendar)
                    found.append({c.displayName, home.resolved(QUrl(c.href)).toString()});
            return listed(found);
        }
        for (const DavResponse &c : m.responses)
            if (c.calendar && c.displayName == kCalendarName)
                return probeCalendar(home.resolved(QUrl(c.href)), false);
        QUrl made = home;
        if (!made.path().endsWith(QLatin1Char('/')))
            made.setPath(made.path() + QLatin1Char('/'));
        made = made.resolved(QUrl(QStringLiteral("ombrelune/")));
        request("MKCALENDAR", made, DavBody::makeCalendar(kCalendarName), {},
                [=, this](const DavReply &) { probeCalendar(made, false); });
    });
}

void SyncEngine::listChanges(const QString &token)
{
    // A token the server no longer knows: ask again for everything.
    const QList<int> stale = token.isEmpty() ? QList<int>{} : QList<int>{403, 409, 412};
    request("REPORT", QUrl(m_server.calendar), DavBody::syncCollection(token), depth("0"), [=, this](const DavReply &r) {
        if (r.status / 100 != 2)
            return listChanges(QString());
        const Multistatus m = readMultistatus(r.body);
        m_newToken = m.syncToken;
        takeListing(m, token.isEmpty());
        if (m_running)
            fetch();
    }, stale);
}

void SyncEngine::listAll()
{
    request("PROPFIND", QUrl(m_server.calendar), DavBody::listing(), depth("1"), [this](const DavReply &r) {
        takeListing(readMultistatus(r.body), true);
        if (m_running)
            fetch();
    });
}

// The server's events of our UIDs, from a whole listing or from the changes
// since the last sync.
void SyncEngine::takeListing(const Multistatus &m, bool whole)
{
    if (!m.ok)
        return fail(Err::SyncBadAnswer, QStringLiteral("La réponse du serveur est illisible."));
    m_remote.clear();
    m_foreign.clear();
    if (!whole) {
        for (auto it = m_events.cbegin(); it != m_events.cend(); ++it) {
            const EventState &e = it.value();
            if (!e.conflict)
                m_remote.insert(it.key(), {e.etag, std::nullopt});
            else if (!e.serverText.isNull())
                m_remote.insert(it.key(), {e.serverEtag, e.serverText.toString()});
        }
    }
    for (const DavResponse &r : m.responses) {
        const QString uid = uidOf(r.href);
        if (uid.isEmpty()) {
            // The collection itself, or an event made elsewhere: never
            // changed, read only when wanted.
            if (r.status != 404 && r.href.endsWith(QLatin1String(".ics")))
                m_foreign << r.href;
            continue;
        }
        if (r.status == 404)
            m_remote.remove(uid);
        else
            m_remote.insert(uid, {r.etag, std::nullopt});
    }
}

void SyncEngine::fetch()
{
    QStringList hrefs;
    for (auto it = m_remote.cbegin(); it != m_remote.cend(); ++it) {
        const auto known = m_events.constFind(it.key());
        if (!it->text && (known == m_events.cend() || known->etag != it->etag || it->etag.isEmpty()))
            hrefs << urlOf(it.key() + QStringLiteral(".ics")).path(QUrl::FullyEncoded);
        if (hrefs.size() == kMultigetBatch)
            break;
    }
    if (hrefs.isEmpty() && m_foreignWanted && !m_foreign.isEmpty())
        return fetchForeign();
    if (hrefs.isEmpty()) {
        m_rows = almanacRows(m_model);
        m_steps = planSync(m_rows, m_events, m_remote);
        // A text being typed is not the almanac's yet: its event waits for the next sync.
        m_steps.removeIf([this](const SyncStep &s) { return isBeingEdited(s); });
        return pushNext();
    }
    request("REPORT", QUrl(m_server.calendar), DavBody::multiget(hrefs), depth("1"), [=, this](const DavReply &r) {
        const Multistatus m = readMultistatus(r.body);
        if (!m.ok)
            return fail(Err::SyncBadAnswer, QStringLiteral("La réponse du serveur est illisible."));
        for (const QString &href : hrefs)
            m_remote.remove(uidOf(href));  // unless the answer holds it
        for (const DavResponse &e : m.responses) {
            const QString uid = uidOf(e.href);
            if (uid.isEmpty() || e.status == 404)
                continue;
            bool ok = false;
            std::optional<QString> text;
            for (const VEvent &v : readVEvents(e.calendarData, &ok))
                if (v.uid == uid && !text)
                    text = v.summary;
            if (!ok || !text)
                return fail(Err::SyncBadAnswer, QStringLiteral("L'événement « %1 » du serveur est illisible.").arg(uid));
            m_remote.insert(uid, {e.etag, text});
            m_bodies.insert(uid, e.calendarData);
        }
        fetch();
    });
}

// The events made elsewhere, as they are, one batch at a time.
void SyncEngine::fetchForeign()
{
    const QStringList hrefs = m_foreign.mid(0, kMultigetBatch);
    m_foreign.remove(0, hrefs.size());
    request("REPORT", QUrl(m_server.calendar), DavBody::multiget(hrefs), depth("1"), [this](const DavReply &r) {
        const Multistatus m = readMultistatus(r.body);
        if (!m.ok)
            return fail(Err::SyncBadAnswer, QStringLiteral("La réponse du serveur est illisible."));
        for (const DavResponse &e : m.responses)
            if (e.status != 404)
                m_result.foreign += e.calendarData.trimmed() + "\r\n";
        fetch();
    });
}

// The local changes go up one by one, each only if the server's event is
// still the one agreed (If-Match), or new (If-None-Match: *).
void SyncEngine::pushNext()
{
    while (m_next < m_steps.size() && m_steps[m_next].kind != SyncStep::Put && m_steps[m_next].kind != SyncStep::Delete)
        ++m_next;
    if (m_next == m_steps.size())
        return pull();
    const SyncStep step = m_steps[m_next++];
    const QUrl url = urlOf(step.uid + QStringLiteral(".ics"));
    if (step.kind == SyncStep::Delete) {
        request("DELETE", url, {}, {{"If-Match", step.etag.toUtf8()}}, [=, this](const DavReply &) {
            m_events.remove(step.uid);
            ++m_result.deleted;
            pushNext();
        }, {404});
        return;
    }
    if (step.etag.isEmpty() || m_bodies.contains(step.uid))
        return put(step, m_bodies.value(step.uid));
    // The server's event as it is, to change its text only.
    request("GET", url, {}, {}, [=, this](const DavReply &r) {
        if (!r.etag.isEmpty() && QString::fromUtf8(r.etag) != step.etag)
            return fail(Err::SyncRaced, raced().description());
        put(step, r.body);
    });
}

void SyncEngine::put(const SyncStep &step, const QByteArray &body)
{
    QByteArray ics = withSummary(body, step.uid, step.text);
    if (ics.isEmpty()) {
        DayRow row{step.key, QVariant(), QVariant()};
        (step.field == 1 ? row.text1 : row.text2) = step.text;
        ics = exportIcs({row}, platform().today());
    }
    DavClient::Headers headers{{"Content-Type", "text/calendar; charset=utf-8"}};
    if (step.etag.isEmpty())
        headers.append(std::pair<QByteArray, QByteArray>("If-None-Match", "*"));
    else
        headers.append(std::pair<QByteArray, QByteArray>("If-Match", step.etag.toUtf8()));
    request("PUT", urlOf(step.uid + QStringLiteral(".ics")), ics, headers, [=, this](const DavReply &r) {
        m_events.insert(step.uid, {QString::fromUtf8(r.etag), step.text, false, QVariant(), QString()});
        ++m_result.sent;
        pushNext();
    });
}

// Every server read and write succeeded: the server's changes come into the
// almanac, each as an ordinary write (history, backup, undo).
void SyncEngine::pull()
{
    QStringList refused;
    // The history names the server as the copy that wrote.
    const QString writer = QStringLiteral("serveur ") + QUrl(m_server.calendar).host();
    m_writing = true;
    for (const SyncStep &s : std::as_const(m_steps)) {
        switch (s.kind) {
        case SyncStep::Pull: {
            const int row = rowOf(s);
            // Written or typed here while the sync ran: the next sync compares again.
            const QVariant now = m_model.index(row, m_model.fieldIndex(fieldColumn(s.field))).data(Qt::EditRole);
            if (isBeingEdited(s) || localText(s).toString() != now.toString())
                break;
            const QVariant value = s.text.isEmpty() ? QVariant() : QVariant(s.text);
            if (!m_model.writeValue(row, fieldColumn(s.field), value, writer)) {
                refused << s.key;
                break;
            }
            if (s.text.isEmpty())
                ++m_result.deleted;
            else
                ++m_result.received;
            if (s.serverDeleted || s.text.isEmpty())
                m_events.remove(s.uid);
            else
                m_events.insert(s.uid, {s.etag, s.text, false, QVariant(), QString()});
            break;
        }
        case SyncStep::Agree:
            m_events.insert(s.uid, {s.etag, s.text, false, QVariant(), QString()});
            break;
        case SyncStep::Forget:
            m_events.remove(s.uid);
            break;
        case SyncStep::Conflict: {
            EventState e = m_events.value(s.uid);
            if (!m_events.contains(s.uid))
                e.agreed = QString(), e.etag = QStringLiteral("-");  // never agreed
            e.conflict = true;
            e.serverText = s.serverDeleted ? QVariant() : QVariant(s.text);
            e.serverEtag = s.etag;
            m_events.insert(s.uid, e);
            m_result.conflicts.append(s);
            break;
        }
        case SyncStep::Put:
        case SyncStep::Delete:
            break;
        }
    }
    m_writing = false;
    m_server.syncToken = m_newToken;
    m_server.ctag = m_newCtag;
    if (!SyncState::save(m_model.database(), m_server, m_events))
        return fail(Err::SyncLocal, QStringLiteral("L'état de la synchronisation ne peut pas être enregistré."));
    if (!refused.isEmpty())
        return fail(Err::SyncLocal, QStringLiteral("Le texte du serveur n'a pas pu être écrit pour : %1.")
                                        .arg(refused.join(QStringLiteral(", "))));
    m_result.ok = true;
    end();
}

void SyncEngine::failOn(const DavReply &reply)
{
    const OmboError e = faultOf(reply);
    fail(e.number(), e.description());
}

void SyncEngine::fail(int number, const QString &description)
{
    if (!m_running)
        return;
    // What the server already took is kept, the listing's position is not:
    // the next sync asks again from where the last complete one ended.
    if (m_result.sent + m_result.deleted > 0) {
        ServerState kept;
        QHash<QString, EventState> before;
        if (SyncState::load(m_model.database(), &kept, &before)) {
            m_server.syncToken = kept.syncToken;
            m_server.ctag = kept.ctag;
        }
        SyncState::save(m_model.database(), m_server, m_events);
    }
    m_result.ok = false;
    m_result.error = OmboError(number, description);
    end();
}

void SyncEngine::listCalendars()
{
    m_listOnly = true;
    start();
}

void SyncEngine::listed(const QList<Calendar> &calendars)
{
    m_result.calendars = calendars;
    m_result.ok = true;
    end();
}

void SyncEngine::end()
{
    m_running = false;
    m_listOnly = false;
    emit finished(m_result);
}

int SyncEngine::rowOf(const SyncStep &s) const
{
    return int(std::find_if(m_rows.cbegin(), m_rows.cend(), [&](const DayRow &d) { return d.key == s.key; })
               - m_rows.cbegin());
}

QVariant SyncEngine::localText(const SyncStep &s) const
{
    const int row = rowOf(s);
    return row < m_rows.size() ? (s.field == 1 ? m_rows[row].text1 : m_rows[row].text2) : QVariant();
}

bool SyncEngine::isBeingEdited(const SyncStep &s) const
{
    return m_model.isDirty(m_model.index(rowOf(s), m_model.fieldIndex(fieldColumn(s.field))));
}

QUrl SyncEngine::urlOf(const QString &href) const
{
    QUrl base(m_server.calendar);
    if (!base.path().endsWith(QLatin1Char('/')))
        base.setPath(base.path() + QLatin1Char('/'));
    return base.resolved(QUrl(QString::fromLatin1(QUrl::toPercentEncoding(href, "@"))));
}

QString SyncEngine::uidOf(const QString &href) const
{
    QString name = QUrl::fromPercentEncoding(href.section(QLatin1Char('/'), -1).toUtf8());
    if (!name.endsWith(QLatin1String(".ics")))
        return QString();
    name.chop(4);
    QString key;
    int field = 0;
    return fieldOfUid(name, &key, &field) ? name : QString();
}
