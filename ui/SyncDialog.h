#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class SyncSession;

// The sync's settings: the server's address (a calendar, or the server
// itself, where the calendar "Ombrelune" is found or made), the user name
// and the password, and "Synchroniser maintenant", which says how the sync
// ended.
class SyncDialog : public QDialog
{
    Q_OBJECT

public:
    SyncDialog(SyncSession *session, QWidget *parent);

private:
    void synchronise();

    SyncSession *m_session;
    QLineEdit *m_url, *m_user, *m_password;
    QPushButton *m_now;
    QLabel *m_status, *m_secret;
};
