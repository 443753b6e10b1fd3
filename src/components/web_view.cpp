#include "components/web_view.h"

#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRegularExpression>

#include <utility>

namespace redten {

WebView::WebView(QWidget* parent) : QTextBrowser(parent) {
    setOpenLinks(false);
    setOpenExternalLinks(false);
    setFrameShape(QFrame::NoFrame);
}

WebView::~WebView() {
    if (QNetworkReply* reply = std::exchange(pending_, nullptr)) {
        reply->disconnect(this);
        reply->abort();
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
    if (QNetworkReply* reply = std::exchange(pending_, nullptr)) {
        reply->disconnect(this);  // given up: its end says nothing about the new page
        reply->abort();
        reply->deleteLater();
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
    setHtml(FlatPageHtml(QString::fromUtf8(page)));
    emit Finished(true);
}

QString FlatPageHtml(const QString& page) {
    static const QStringList kKept = {"p", "br", "h1", "h2", "h3", "h4", "h5", "h6", "b", "i", "u"};
    static const QStringList kDropped = {"script", "style", "title", "head"};
    static const QRegularExpression kColour(
        QStringLiteral(R"(^\s*color\s*:\s*#[0-9a-fA-F]{3,6}\s*;?\s*$)"));
    static const QRegularExpression kStyle(QStringLiteral(R"re(style\s*=\s*"([^"]*)")re"),
                                           QRegularExpression::CaseInsensitiveOption);
    QString out;
    qsizetype at = 0;
    while (at < page.size()) {
        const qsizetype open = page.indexOf(QLatin1Char('<'), at);
        if (open < 0) {
            out += page.mid(at);
            break;
        }
        out += page.mid(at, open - at);
        const qsizetype close = page.indexOf(QLatin1Char('>'), open);
        if (close < 0) {
            break;  // a tag cut short: nothing more to show
        }
        const QString tag = page.mid(open + 1, close - open - 1).trimmed();
        const bool closing = tag.startsWith(QLatin1Char('/'));
        const QString name = tag.mid(closing ? 1 : 0).section(QRegularExpression(QStringLiteral("[\\s/]")), 0, 0).toLower();
        at = close + 1;
        if (!closing && kDropped.contains(name)) {
            // Skip to the element's end; what is inside is not text to show.
            const qsizetype end = page.indexOf(QStringLiteral("</") + name, at, Qt::CaseInsensitive);
            if (end < 0) {
                break;
            }
            const qsizetype endClose = page.indexOf(QLatin1Char('>'), end);
            at = endClose < 0 ? page.size() : endClose + 1;
            continue;
        }
        if (!kKept.contains(name)) {
            continue;
        }
        out += QLatin1Char('<');
        if (closing) {
            out += QLatin1Char('/');
        }
        out += name;
        const QRegularExpressionMatch style = kStyle.match(tag);
        if (!closing && style.hasMatch() && kColour.match(style.captured(1)).hasMatch()) {
            out += QStringLiteral(" style=\"") + style.captured(1).trimmed() + QLatin1Char('"');
        }
        out += QLatin1Char('>');
    }
    return out;
}

QVariant WebView::loadResource(int, const QUrl&) { return {}; }

}  // namespace redten
