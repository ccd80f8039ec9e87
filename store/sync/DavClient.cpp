#include "store/sync/DavClient.h"

#include "store/sync/Multistatus.h"

#include <QHostAddress>
#include <QNetworkRequest>

DavClient::DavClient(QObject *parent) : QObject(parent)
{
    m_nam.setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
    // Credentials are sent with each request; no cache, no cookies to keep.
    m_nam.setCookieJar(nullptr);
}

void DavClient::setCredentials(const QString &user, const QString &password)
{
    m_authorization.clear();
    if (!user.isEmpty())
        m_authorization = "Basic " + (user + QLatin1Char(':') + password).toUtf8().toBase64();
}

bool DavClient::allowed(const QUrl &url)
{
    if (!url.isValid() || url.host().isEmpty())
        return false;
    if (url.scheme() == QLatin1String("https"))
        return true;
    if (url.scheme() != QLatin1String("http"))
        return false;
    const QString host = url.host();
    return host == QLatin1String("localhost") || QHostAddress(host).isLoopback();
}

void DavClient::send(const QByteArray &method, const QUrl &url, const QByteArray &body, const Headers &headers,
                     std::function<void(const DavReply &)> done)
{
    QNetworkRequest request(url);
    request.setTransferTimeout(m_timeoutMs);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    if (!m_authorization.isEmpty())
        request.setRawHeader("Authorization", m_authorization);
    if (!body.isEmpty() && !request.hasRawHeader("Content-Type"))
        request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArray("application/xml; charset=utf-8"));
    for (const auto &[name, value] : headers)
        request.setRawHeader(name, value);
    QNetworkReply *reply = m_nam.sendCustomRequest(request, method, body);
    auto tooLarge = std::make_shared<bool>(false);
    // An answer larger than any calendar we handle is cut as it arrives.
    auto check = [reply, tooLarge](qint64 received) {
        if (received > kMaxAnswerBytes && !*tooLarge) {
            *tooLarge = true;
            reply->abort();
        }
    };
    connect(reply, &QNetworkReply::downloadProgress, reply, [check](qint64 received, qint64 total) {
        check(std::max(received, total));
    });
    connect(reply, &QNetworkReply::finished, this, [reply, tooLarge, done = std::move(done)] {
        reply->deleteLater();
        DavReply r;
        r.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        r.error = reply->error();
        r.errorText = reply->errorString();
        r.tooLarge = *tooLarge;
        r.timedOut = r.error == QNetworkReply::OperationCanceledError && !r.tooLarge;
        if (!r.tooLarge && reply->isOpen()) {
            r.body = reply->readAll();
            r.etag = reply->rawHeader("ETag");
            r.location = reply->rawHeader("Location");
        }
        done(r);
    });
}
