#pragma once

#include "core/OmboError.h"
#include "store/sync/DavClient.h"
#include "store/sync/SyncPlan.h"
#include "store/sync/SyncState.h"

#include <QObject>
#include <QUrl>

class AlmanacModel;
struct Multistatus;

// One two-way sync of the almanac with a CalDAV calendar, driven by the
// server's answers (nothing waits). Every server read comes first; then the
// local texts changed go up, one request at a time; only when all of that
// succeeded do the server's changes come into the almanac, through the
// model's own write. A fault stops the sync with the almanac's texts
// untouched; what the server already took is remembered, so that the next
// sync resumes.
class SyncEngine : public QObject
{
    Q_OBJECT

public:
    struct Calendar
    {
        QString name, url;
    };
    struct Result
    {
        bool ok = false;
        OmboError error;
        int sent = 0, received = 0, deleted = 0;
        QList<SyncStep> conflicts;
        QList<Calendar> calendars;  // listCalendars(): those found
        QByteArray foreign;  // the events made elsewhere, when wanted: iCalendar texts one after another
        // "Synchronisation : 18 textes envoyés, 1 reçu, 0 supprimé, 1 conflit."
        QString summary() const;
    };

    SyncEngine(AlmanacModel &model, QObject *parent = nullptr);

    // Empty values take those of the last sync; given ones are remembered.
    void setServer(const QString &url, const QString &user);
    void setPassword(const QString &password) { m_password = password; }
    void setTimeout(int ms) { m_client.setTimeout(ms); }
    // The next syncs also read the events that are not ours, whole.
    void setForeignWanted(bool wanted) { m_foreignWanted = wanted; }
    void start();
    // Finds the calendars at the address (the calendar itself, or those of
    // the user's calendar home), changing nothing; finished() gives them.
    void listCalendars();
    bool isRunning() const { return m_running; }
    // The server's changes are being written into the almanac.
    bool isWriting() const { return m_writing; }

signals:
    void finished(const SyncEngine::Result &result);

private:
    using OnReply = std::function<void(const DavReply &)>;
    void request(const QByteArray &method, const QUrl &url, const QByteArray &body,
                 const DavClient::Headers &headers, OnReply onSuccess, QList<int> tolerated = {});
    void probeCalendar(const QUrl &url, bool discover);
    void findPrincipal(const QUrl &url, bool wellKnownTried);
    void findHome(const QUrl &principal);
    void findCalendar(const QUrl &home);
    void listChanges(const QString &token);
    void listAll();
    void takeListing(const Multistatus &m, bool whole);
    void fetch();
    void fetchForeign();
    void pushNext();
    void put(const SyncStep &step, const QByteArray &body);
    void pull();
    void fail(int number, const QString &description);
    void failOn(const DavReply &reply);
    void listed(const QList<Calendar> &calendars);
    void end();
    // The step's row in the almanac, its text when the sync planned, and
    // whether the grid holds an edit of it not written yet.
    int rowOf(const SyncStep &s) const;
    QVariant localText(const SyncStep &s) const;
    bool isBeingEdited(const SyncStep &s) const;
    QUrl urlOf(const QString &href) const;
    QString uidOf(const QString &href) const;

    AlmanacModel &m_model;
    DavClient m_client;
    QString m_url, m_user, m_password;
    ServerState m_server;
    QHash<QString, EventState> m_events;
    QHash<QString, ServerEvent> m_remote;
    QHash<QString, QByteArray> m_bodies;  // the server's events fetched, by UID
    QList<DayRow> m_rows;
    QList<SyncStep> m_steps;
    qsizetype m_next = 0;
    QString m_newToken, m_newCtag;
    bool m_syncCollection = false;
    bool m_running = false;
    bool m_writing = false;
    bool m_foreignWanted = false;
    bool m_listOnly = false;
    QStringList m_foreign;  // the hrefs of the events that are not ours
    Result m_result;
};

Q_DECLARE_METATYPE(SyncEngine::Result)
