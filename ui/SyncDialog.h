#pragma once

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class SyncSession;

// The sync's settings: the server's address (a calendar, or the server
// itself, where the calendar "Ombrelune" is found or made), the user name
// and the password, and "Synchroniser maintenant", which says how the sync
// ended. "Chercher les calendriers" lists those of the server to choose
// from, or the one to create.
class SyncDialog : public QDialog
{
    Q_OBJECT

public:
    SyncDialog(SyncSession *session, QWidget *parent);

private:
    void synchronise();
    void findCalendars();
    void showCalendars(const QString &error, const QStringList &names, const QStringList &urls);

    SyncSession *m_session;
    QLineEdit *m_url, *m_user, *m_password;
    QComboBox *m_calendars;
    QPushButton *m_now, *m_find;
    QLabel *m_status, *m_secret;
};
