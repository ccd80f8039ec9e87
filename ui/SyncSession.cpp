#include "ui/SyncSession.h"

#include "store/AlmanacModel.h"
#include "store/sync/VEvent.h"
#include "ui/SyncDialog.h"

#include <QAbstractItemView>
#include <QAction>
#include <QSqlQuery>
#include <QWidget>
#include <qt6keychain/keychain.h>

namespace {
const QString kService = QStringLiteral("Ombrelune");

// The passwords typed in this run of the program, by server and user: where
// no secret store runs, they last as long as the program, never longer.
QHash<QString, QString> &typedPasswords()
{
    static QHash<QString, QString> typed;
    return typed;
}
}  // namespace

SyncSession *SyncSession::attach(QWidget *window, AlmanacModel *model, int timeoutMs, OfferImport offer)
{
    if (auto *session = model->findChild<SyncSession *>(QString(), Qt::FindDirectChildrenOnly))
        return session;
    auto *session = new SyncSession(window, model, timeoutMs, offer);
    session->syncNow(false);
    return session;
}

SyncSession::SyncSession(QWidget *window, AlmanacModel *model, int timeoutMs, OfferImport offer)
    : QObject(model), m_window(window), m_offer(offer), m_model(*model), m_engine(*model)
{
    m_engine.setTimeout(timeoutMs);
    QHash<QString, EventState> events;
    SyncState::load(m_model.database(), &m_server, &events);
    connect(&m_engine, &SyncEngine::finished, this, &SyncSession::done);
    m_afterWrite.setSingleShot(true);
    m_afterWrite.setInterval(kAfterWriteMs);
    connect(&m_afterWrite, &QTimer::timeout, this, [this] { syncNow(false); });
    m_periodic.setInterval(kPeriodMs);
    connect(&m_periodic, &QTimer::timeout, this, [this] { syncNow(false); });
    m_periodic.start();
    // The sync's own writes are no reason to sync again.
    connect(&m_model, &AlmanacModel::rowWritten, this, [this] {
        if (!m_engine.isWriting())
            m_afterWrite.start();
    });
    addActions();
    showConflicts();
}

void SyncSession::openSettings()
{
    if (!m_window)
        return;
    auto *dialog = m_window->findChild<SyncDialog *>();
    if (!dialog)
        dialog = new SyncDialog(this, m_window);
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

void SyncSession::syncNow(bool asked)
{
    if (m_engine.isRunning()) {
        m_again = true;
        m_againAsked = m_againAsked || asked;
        return;
    }
    m_asked = asked;
    m_afterWrite.stop();
    start();
}

void SyncSession::start()
{
    if (m_server.url.isEmpty())
        return;
    if (!m_passwordRead)
        return readPassword();
    m_engine.setServer(m_server.url, m_server.user);
    m_engine.setPassword(m_password);
    m_engine.setForeignWanted(m_offer && !foreignOffered());
    updateActions();
    m_engine.start();
}

QString SyncSession::secretKey() const
{
    return m_server.user + QLatin1Char('@') + m_server.url;
}

// Where no secret store answers, the password stays what the user typed
// in this session (or none).
void SyncSession::readPassword()
{
    auto *job = new QKeychain::ReadPasswordJob(kService, this);
    job->setAutoDelete(true);
    job->setKey(secretKey());
    connect(job, &QKeychain::Job::finished, this, [this](QKeychain::Job *j) {
        m_passwordRead = true;
        if (j->error() == QKeychain::NoError)
            m_password = static_cast<QKeychain::ReadPasswordJob *>(j)->textData();
        else
            m_password = typedPasswords().value(secretKey());
        start();
    });
    job->start();
}

void SyncSession::configure(const QString &url, const QString &user, const QString &password)
{
    if (url != m_server.url || user != m_server.user) {
        m_server.url = url;
        m_server.user = user;
        m_password.clear();
        m_passwordRead = false;
    }
    if (password.isEmpty())
        return;
    m_password = password;
    m_passwordRead = true;
    typedPasswords().insert(secretKey(), password);
    auto *job = new QKeychain::WritePasswordJob(kService, this);
    job->setAutoDelete(true);
    job->setKey(secretKey());
    job->setTextData(password);
    connect(job, &QKeychain::Job::finished, this, [this](QKeychain::Job *j) {
        emit passwordKept(j->error() == QKeychain::NoError
                              ? QStringLiteral("Le mot de passe est gardé dans le trousseau du bureau.")
                              : QStringLiteral("Aucun trousseau n'est disponible : le mot de passe est gardé"
                                               " pour cette session seulement."));
    });
    job->start();
}

void SyncSession::listCalendars(const QString &url, const QString &user, const QString &password)
{
    if (m_engine.isRunning())
        return emit calendarsListed(QStringLiteral("Une synchronisation est en cours : réessayez dans un instant."), {}, {});
    m_listing = true;
    m_engine.setServer(url, user);
    m_engine.setPassword(!password.isEmpty() ? password
                         : url == m_server.url && user == m_server.user ? m_password : QString());
    m_engine.listCalendars();
}

void SyncSession::done(const SyncEngine::Result &result)
{
    if (m_listing)
        tellCalendars(result);
    else
        tellSync(result);
    if (m_again) {
        m_again = false;
        const bool asked = m_againAsked;
        m_againAsked = false;
        syncNow(asked);
    }
    updateActions();
}

void SyncSession::tellCalendars(const SyncEngine::Result &result)
{
    m_listing = false;
    QStringList names, urls;
    for (const SyncEngine::Calendar &c : result.calendars)
        names << c.name, urls << c.url;
    emit calendarsListed(result.ok ? QString() : result.error.fullMessage(), names, urls);
}

void SyncSession::tellSync(const SyncEngine::Result &result)
{
    showConflicts();
    if (result.ok && m_offer && !foreignOffered())
        offerForeign(result.foreign);
    const QString message = result.ok ? result.summary() : result.error.fullMessage();
    // A failure of a sync nobody asked for is only a quiet mark in the menu.
    if (auto *menu = m_window ? m_window->findChild<QAction *>(QStringLiteral("actionSync")) : nullptr) {
        menu->setText(result.ok ? QStringLiteral("Synchroniser…")
                                : QStringLiteral("Synchroniser… (erreur N° %1)").arg(result.error.number()));
        menu->setToolTip(message);
    }
    emit finished(result.ok, message);
}

// The calendars whose events made elsewhere were offered once, by the
// address the user gave: table "SynchronisationAutres".
bool SyncSession::foreignOffered() const
{
    QSqlQuery q(m_model.database());
    q.prepare(QStringLiteral("SELECT 1 FROM SynchronisationAutres WHERE Url = ?"));
    q.addBindValue(m_server.url);
    return q.exec() && q.next();
}

void SyncSession::offerForeign(const QByteArray &ics)
{
    QSqlQuery q(m_model.database());
    if (!q.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS SynchronisationAutres (Url TEXT PRIMARY KEY)")))
        return;
    q.prepare(QStringLiteral("INSERT OR IGNORE INTO SynchronisationAutres VALUES (?)"));
    q.addBindValue(m_server.url);
    if (q.exec() && !ics.isEmpty())
        m_offer(m_window, ics, m_server.url);
}

void SyncSession::showConflicts()
{
    ServerState server;
    QHash<QString, EventState> events;
    if (!SyncState::load(m_model.database(), &server, &events))
        return;
    QHash<QString, int> rows;
    for (int r = 0; r < m_model.rowCount(); ++r)
        rows.insert(m_model.dayOf(r), r);
    QHash<QPair<int, int>, QString> texts;
    m_conflictUids.clear();
    for (auto it = events.cbegin(); it != events.cend(); ++it) {
        QString key;
        int field = 0;
        if (!it->conflict || !fieldOfUid(it.key(), &key, &field) || !rows.contains(key))
            continue;
        const QPair<int, int> cell{rows.value(key), m_model.fieldIndex(fieldColumn(field))};
        texts.insert(cell, it->serverText.isNull() ? QStringLiteral("(supprimé sur le serveur)")
                                                   : it->serverText.toString());
        m_conflictUids.insert(cell, it.key());
    }
    m_model.setConflicts(texts);
    updateActions();
}

void SyncSession::addActions()
{
    auto *grid = m_window ? m_window->findChild<QAbstractItemView *>(QStringLiteral("DataGrid1")) : nullptr;
    if (!grid)
        return;
    m_keep = new QAction(QStringLiteral("Garder celui-ci"), grid);
    m_keep->setObjectName(QStringLiteral("actionKeepLocal"));
    m_take = new QAction(QStringLiteral("Prendre celui du serveur"), grid);
    m_take->setObjectName(QStringLiteral("actionTakeServer"));
    connect(m_keep, &QAction::triggered, this, [this] { settle(true); });
    connect(m_take, &QAction::triggered, this, [this] { settle(false); });
    grid->addActions({m_keep, m_take});
    if (grid->selectionModel())
        connect(grid->selectionModel(), &QItemSelectionModel::currentChanged, this, &SyncSession::updateActions);
}

// The choice shows on the grid's context menu on a conflict's cell only.
void SyncSession::updateActions()
{
    if (!m_keep || !m_window)
        return;
    auto *grid = m_window->findChild<QAbstractItemView *>(QStringLiteral("DataGrid1"));
    const QModelIndex cell = grid ? grid->currentIndex() : QModelIndex();
    const bool onConflict = m_conflictUids.contains({cell.row(), cell.column()});
    for (QAction *a : {m_keep, m_take}) {
        a->setVisible(onConflict);
        a->setEnabled(!m_engine.isRunning());
    }
}

// The text kept becomes the one both sides agreed on, as if it had always
// been: the next sync sends it (kept here) or finds it already here (taken).
void SyncSession::settle(bool keepLocal)
{
    auto *grid = m_window ? m_window->findChild<QAbstractItemView *>(QStringLiteral("DataGrid1")) : nullptr;
    const QModelIndex cell = grid ? grid->currentIndex() : QModelIndex();
    const QString uid = m_conflictUids.value({cell.row(), cell.column()});
    ServerState server;
    QHash<QString, EventState> events;
    if (uid.isEmpty() || m_engine.isRunning() || !SyncState::load(m_model.database(), &server, &events)
        || !events.value(uid).conflict)
        return;
    EventState e = events.value(uid);
    const QString writer = QStringLiteral("serveur ") + QUrl(server.calendar).host();
    if (!keepLocal && !m_model.writeValue(cell.row(), m_model.record().fieldName(cell.column()), e.serverText, writer))
        return;  // refused: the window says why
    if (e.serverText.isNull()) {
        events.remove(uid);
    } else {
        e = {e.serverEtag, e.serverText.toString(), false, QVariant(), QString()};
        events.insert(uid, e);
    }
    SyncState::save(m_model.database(), server, events);
    showConflicts();
    syncNow(false);
}
