#include "ui/SyncDialog.h"

#include "ui/SyncSession.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

SyncDialog::SyncDialog(SyncSession *session, QWidget *parent)
    : QDialog(parent), m_session(session), m_url(new QLineEdit(session->url(), this)),
      m_user(new QLineEdit(session->user(), this)), m_password(new QLineEdit(this)),
      m_now(new QPushButton(QStringLiteral("Synchroniser maintenant"), this)), m_status(new QLabel(this)),
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
    auto *hint = new QLabel(QStringLiteral("L'adresse d'un calendrier, ou celle du serveur : le calendrier"
                                           " «\u00A0Ombrelune\u00A0» y est alors trouvé, ou créé."), this);
    hint->setWordWrap(true);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->addButton(m_now, QDialogButtonBox::ActionRole);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("Fermer"));
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(hint);
    layout->addWidget(m_status);
    layout->addWidget(m_secret);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_now, &QPushButton::clicked, this, &SyncDialog::synchronise);
    connect(session, &SyncSession::finished, this, [this](bool, const QString &message) {
        m_status->setText(message);
        m_now->setEnabled(true);
    });
    connect(session, &SyncSession::passwordKept, m_secret, &QLabel::setText);
    if (session->isRunning())
        m_status->setText(QStringLiteral("Synchronisation en cours…"));
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
