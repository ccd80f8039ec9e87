#pragma once

#include <QByteArray>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QObject>
#include <QUrl>

#include <functional>

// A server's answer to one request, or why there is none.
struct DavReply
{
    int status = 0;  // HTTP status; 0 when the request did not get one
    QByteArray body;
    QByteArray etag, location;
    QNetworkReply::NetworkError error = QNetworkReply::NoError;
    QString errorText;
    bool tooLarge = false;  // the answer passed kMaxAnswerBytes and was cut
    bool timedOut = false;
};

// WebDAV requests over QNetworkAccessManager, one callback per request; the
// caller never waits. Credentials go with every request (Basic), answers are
// size-limited, redirects are not followed (the caller decides).
class DavClient : public QObject
{
    Q_OBJECT

public:
    explicit DavClient(QObject *parent = nullptr);

    void setCredentials(const QString &user, const QString &password);
    void setTimeout(int ms) { m_timeoutMs = ms; }

    using Headers = QList<std::pair<QByteArray, QByteArray>>;
    void send(const QByteArray &method, const QUrl &url, const QByteArray &body, const Headers &headers,
              std::function<void(const DavReply &)> done);

    // https://, or http:// to this machine only.
    static bool allowed(const QUrl &url);

private:
    QNetworkAccessManager m_nam;
    QByteArray m_authorization;
    int m_timeoutMs = 30000;
};
