#include "ui/SyncDialog.h"

#include "core/French.h"
#include "ui/SyncSession.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

SyncDialog::SyncDialog(SyncSession *session, QWidget *parent)
    : QDialog(parent), m_session(session), m_url(new QLineEdit(session->url(), this)),
      m_user(new QLineEdit(session->user(), this)), m_password(new QLineEdit(this)),
      m_calendars(new QComboBox(this)), m_now(new QPushButton(QStringLiteral("&Synchroniser maintenant"), this)),
      m_find(new QPushButton(QStringLiteral("Che&rcher les calendriers"), this)), m_status(new QLabel(this)),
      m_secret(new QLabel(this))
{
    setWindowTitle(QStringLiteral("Synchronisation"));
    setAttribute(Qt::WA_DeleteOnClose);
    m_url->setObjectName(QStringLiteral("url"));
    m_url->setMinimumWidth(fontMetrics().averageCharWidth() * 50);
    m_user->setObjectName(QStringLiteral("user"));
    m_password->setObjectName(QStringLiteral("password"));
    m_password->setEchoMode(QLineEdit::Password);
    if (session->hasPassword())
        m_password->setPlaceholderText(QStringLiteral("(inchangé)"));
    m_now->setObjectName(QStringLiteral("synchroniseNow"));
    m_find->setObjectName(QStringLiteral("findCalendars"));
    m_find->setAutoDefault(false);
    m_calendars->setObjectName(QStringLiteral("calendars"));
    m_calendars->setEnabled(false);
    m_now->setDefault(true);
    m_status->setObjectName(QStringLiteral("status"));
    m_secret->setObjectName(QStringLiteral("secret"));
    for (QLabel *l : {m_status, m_secret}) {
        l->setWordWrap(true);
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    }

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("&Adresse du serveur :"), m_url);
    form->addRow(QStringLiteral("&Nom d'utilisateur :"), m_user);
    form->addRow(QStringLiteral("&Mot de passe :"), m_password);
    form->addRow(QStringLiteral("&Calendrier :"), m_calendars);
    auto *hint = new QLabel(QStringLiteral("L'adresse d'un calendrier, ou celle du serveur : le calendrier"
                                           " «\u00A0Ombrelune\u00A0» y est alors trouvé, ou créé."), this);
    hint->setWordWrap(true);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->addButton(m_find, QDialogButtonBox::ActionRole);
    buttons->addButton(m_now, QDialogButtonBox::ActionRole);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("&Fermer"));
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(hint);
    layout->addWidget(m_status);
    layout->addWidget(m_secret);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_now, &QPushButton::clicked, this, &SyncDialog::synchronise);
    connect(m_find, &QPushButton::clicked, this, &SyncDialog::findCalendars);
    connect(session, &SyncSession::calendarsListed, this, &SyncDialog::showCalendars);
    connect(m_calendars, &QComboBox::activated, this, [this](int i) { m_url->setText(m_calendars->itemData(i).toString()); });
    connect(session, &SyncSession::finished, this, [this](bool, const QString &message) {
        m_status->setText(message);
        m_now->setEnabled(true);
    });
    connect(session, &SyncSession::passwordKept, m_secret, &QLabel::setText);
    if (session->isRunning())
        m_status->setText(QStringLiteral("Synchronisation en cours…"));
}

void SyncDialog::findCalendars()
{
    if (m_url->text().trimmed().isEmpty()) {
        m_status->setText(QStringLiteral("Indiquez l'adresse du serveur."));
        return;
    }
    m_status->setText(QStringLiteral("Recherche des calendriers…"));
    m_find->setEnabled(false);
    m_session->listCalendars(m_url->text().trimmed(), m_user->text().trimmed(), m_password->text());
}

// The calendars found, and the one the sync would make at the server's
// address when there is no "Ombrelune" among them.
void SyncDialog::showCalendars(const QString &error, const QStringList &names, const QStringList &urls)
{
    m_find->setEnabled(true);
    m_calendars->clear();
    m_calendars->setEnabled(error.isEmpty());
    if (!error.isEmpty())
        return m_status->setText(error);
    for (qsizetype i = 0; i < names.size(); ++i)
        m_calendars->addItem(names[i].isEmpty() ? urls[i] : names[i], urls[i]);
    const QUrl typed(m_url->text().trimmed());
    const bool isCalendar = std::any_of(urls.cbegin(), urls.cend(), [&](const QString &u) {
        return QUrl(u).matches(typed, QUrl::StripTrailingSlash);
    });
    if (!isCalendar && !names.contains(QStringLiteral("Ombrelune")))
        m_calendars->addItem(QStringLiteral("Créer «\u00A0Ombrelune\u00A0»"), m_url->text().trimmed());
    m_status->setText(French::counted(names.size(), "calendrier trouvé", "calendriers trouvés") + QStringLiteral(" : choisissez-en un."));
    m_calendars->setCurrentIndex(-1);
    m_calendars->setFocus();
}

void SyncDialog::synchronise()
{
    const QString url = m_url->text().trimmed();
    if (url.isEmpty()) {
        m_status->setText(QStringLiteral("Indiquez l'adresse du serveur."));
        m_url->setFocus();
        return;
    }
    m_session->configure(url, m_user->text().trimmed(), m_password->text());
    m_password->clear();
    m_password->setPlaceholderText(m_session->hasPassword() ? QStringLiteral("(inchangé)") : QString());
    m_status->setText(QStringLiteral("Synchronisation en cours…"));
    m_now->setEnabled(false);
    m_session->syncNow(true);
}
