#include "components/web_view.h"

#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace redten {

WebView::WebView(QWidget* parent) : QTextBrowser(parent) {
    setOpenLinks(false);
    setOpenExternalLinks(false);
    setFrameShape(QFrame::NoFrame);
}

WebView::~WebView() {
    if (pending_) {
        pending_->abort();
    }
}

void WebView::SetMode(int mode) {
    const Qt::ScrollBarPolicy bars = mode == 1 ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded;
    setHorizontalScrollBarPolicy(bars);
    setVerticalScrollBarPolicy(bars);
}

void WebView::Navigate(const QUrl& url) {
    address_ = url;
    clear();
    if (pending_) {
        pending_->abort();
        pending_ = nullptr;
    }
    if (url.isLocalFile()) {
        QFile file(url.toLocalFile());
        if (file.open(QIODevice::ReadOnly) && file.size() <= kMaxPageBytes) {
            Show(file.read(kMaxPageBytes));
        } else {
            emit Finished(false);
        }
        return;
    }
    if (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https")) {
        emit Finished(false);
        return;
    }
    if (!network_) {
        network_ = new QNetworkAccessManager(this);
    }
    QNetworkRequest request(url);
    request.setTransferTimeout(kTimeoutMs);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(3);
    pending_ = network_->get(request);
    QNetworkReply* reply = pending_;
    connect(reply, &QNetworkReply::downloadProgress, this, [reply](qint64 received, qint64) {
        if (received > kMaxPageBytes) {
            reply->abort();
        }
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply] { OnReply(reply); });
}

void WebView::OnReply(QNetworkReply* reply) {
    reply->deleteLater();
    if (reply != pending_) {
        return;  // an address given up for a newer one
    }
    pending_ = nullptr;
    if (reply->error() != QNetworkReply::NoError) {
        emit Finished(false);
        return;
    }
    const QByteArray page = reply->read(kMaxPageBytes + 1);
    if (page.size() > kMaxPageBytes) {
        emit Finished(false);
        return;
    }
    Show(page);
}

void WebView::Show(const QByteArray& page) {
    setHtml(QString::fromUtf8(page));
    emit Finished(true);
}

QVariant WebView::loadResource(int, const QUrl&) { return {}; }

}  // namespace redten
