#include "options/updatecheck.h"

#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>
#include <utility>

#include "options/version.h"
#include "platform/prompt.h"
#include "services/langmanager.h"

TUpdateThread* UpdateThread = nullptr;

int TUpdateRequest::PortFromText(const QString& text) {
    bool ok = false;
    const int port = text.toInt(&ok, 10);
    return ok ? port : 0;
}

TUpdateThread::TUpdateThread(const TUpdateRequest& request, const TLangManager* langs, QObject* parent)
    : QObject(parent), request_(request), langs_(langs), http_(new QNetworkAccessManager(this)),
      limit_(new QTimer(this)) {
    limit_->setSingleShot(true);
    connect(limit_, &QTimer::timeout, this, &TUpdateThread::fail);
}

TUpdateThread::~TUpdateThread() {
    if (reply_) {
        reply_->disconnect(this);
        reply_->abort();
    }
    if (UpdateThread == this)
        UpdateThread = nullptr;
}

QString TUpdateThread::text(const char* key) const { return langs_ ? langs_->GetText(QLatin1String(key)) : QString(); }

void TUpdateThread::Execute() {
    const QUrl url(request_.Address);
    // Only web addresses are fetched: anything else is a failed check.
    if (!IsOpenableUrl(url) || url.scheme().compare(QLatin1String("mailto"), Qt::CaseInsensitive) == 0) {
        finish();
        return;
    }
    if (!request_.ProxyServer.isEmpty()) {
        const int port = request_.ProxyPort;
        http_->setProxy(QNetworkProxy(QNetworkProxy::HttpProxy, request_.ProxyServer,
                                      static_cast<quint16>(port > 0 && port <= 65535 ? port : 0),
                                      request_.ProxyUserName, request_.ProxyPassword));
    }
    QNetworkRequest get(url);
    get.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("Brindlewick/") + request_.Version);
    get.setTransferTimeout(TransferTimeout);
    limit_->start(TimeLimit);
    reply_ = http_->get(get);
    connect(reply_, &QNetworkReply::readyRead, this, &TUpdateThread::readSome);
    connect(reply_, &QNetworkReply::finished, this, &TUpdateThread::pageArrived);
}

void TUpdateThread::readSome() {
    if (!reply_ || !reply_->isOpen())
        return;
    page_ += reply_->read(MaxPageSize + 1 - page_.size());
    if (page_.size() > MaxPageSize)
        fail();
}

void TUpdateThread::fail() {
    if (QNetworkReply* reply = reply_) {
        reply_ = nullptr;
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
    page_.clear();
    finish();
}

void TUpdateThread::pageArrived() {
    // The fetch is over: the limit no longer runs while a question is open.
    limit_->stop();
    if (!reply_) {
        finish();
        return;
    }
    readSome();
    QNetworkReply* reply = reply_;
    if (!reply)
        return; // too long: failed already
    reply_ = nullptr;
    reply->deleteLater();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (reply->error() != QNetworkReply::NoError || status >= 300) {
        finish();
        return;
    }
    const QByteArray body = std::exchange(page_, QByteArray());
    const std::optional<std::string> version = PageVersion(std::string(body.constData(), static_cast<std::size_t>(body.size())));
    if (version) {
        if (IsNewerVersion(*version, request_.Version.toStdString()))
            AskGoToSite();
        else if (request_.ShowNoNews)
            ShowNoNewVersion();
    }
    finish();
}

void TUpdateThread::AskGoToSite() {
    if (bw::prompt().yesNo(text("szConfirmation"), text("szGotoSite")) && OnGoToSite)
        OnGoToSite();
}

void TUpdateThread::ShowNoNewVersion() { bw::prompt().information(text("szApplicationTitle"), text("szNoNewVersion")); }

void TUpdateThread::finish() {
    if (finished_)
        return;
    finished_ = true;
    limit_->stop();
    if (UpdateThread == this)
        UpdateThread = nullptr;
    emit Finished();
    deleteLater();
}
