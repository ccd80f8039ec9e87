#pragma once

#include "store/sync/SyncEngine.h"

#include <QPointer>
#include <QTimer>

class AlmanacModel;
class QAction;
class QWidget;

// The sync of the update window's almanac while the program is open: at
// once, some time after each write, and every quarter of an hour; nothing
// waits on the network. The password comes from the desktop's secret store
// or, where none runs, from the user, kept in memory for the session only.
// Texts kept on both sides are marked in the grid, with the choice of the
// one to keep on the grid's context menu.
class SyncSession : public QObject
{
    Q_OBJECT

public:
    static constexpr int kAfterWriteMs = 1000;
    static constexpr int kPeriodMs = 15 * 60 * 1000;

    // The session of `model` (made and started the first time); it lives
    // as long as the model.
    // `offer` previews the events made elsewhere as an import, the first
    // time the almanac syncs with a calendar.
    using OfferImport = void (*)(QWidget *window, const QByteArray &ics, const QString &calendar);
    static SyncSession *attach(QWidget *window, AlmanacModel *model, int timeoutMs, OfferImport offer);

    void openSettings();
    // One sync now (or as soon as the running one ends). `asked`: the user
    // asked for it, and is told how it ended.
    void syncNow(bool asked);
    // The server and user given in the settings; the password, when not
    // empty, goes to the secret store (or stays in memory).
    void configure(const QString &url, const QString &user, const QString &password);
    QString url() const { return m_server.url; }
    QString user() const { return m_server.user; }
    bool hasPassword() const { return !m_password.isEmpty(); }
    bool isRunning() const { return m_engine.isRunning(); }
    // Asks the server at `url` for its calendars, changing nothing here.
    void listCalendars(const QString &url, const QString &user, const QString &password);
    // Settles the conflict of the grid's current cell.
    void settle(bool keepLocal);

signals:
    // The end of a sync, its summary or its failure as the user reads it.
    void finished(bool ok, const QString &message);
    // The calendars found (names and addresses), or why none could be.
    void calendarsListed(const QString &error, const QStringList &names, const QStringList &urls);
    // Where the password went, said once in the settings.
    void passwordKept(const QString &where);

private:
    SyncSession(QWidget *window, AlmanacModel *model, int timeoutMs, OfferImport offer);
    bool foreignOffered() const;
    void offerForeign(const QByteArray &ics);
    void addActions();
    void start();
    void readPassword();
    void done(const SyncEngine::Result &result);
    void tellCalendars(const SyncEngine::Result &result);
    void tellSync(const SyncEngine::Result &result);
    void showConflicts();
    void updateActions();
    QString secretKey() const;

    QPointer<QWidget> m_window;
    OfferImport m_offer;
    AlmanacModel &m_model;
    SyncEngine m_engine;
    QTimer m_afterWrite, m_periodic;
    ServerState m_server;
    QString m_password;
    bool m_passwordRead = false;  // the secret store was asked this session
    bool m_asked = false, m_again = false, m_againAsked = false;
    bool m_listing = false;
    QAction *m_keep = nullptr, *m_take = nullptr;
    QHash<QPair<int, int>, QString> m_conflictUids;  // cell -> UID
};
