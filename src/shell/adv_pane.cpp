#include "shell/adv_pane.h"

#include <QPainter>

#include "components/web_view.h"

namespace redten {

AdvPane::AdvPane(QWidget* parent) : QWidget(parent), webAdv(new WebView(this)) {
    setAutoFillBackground(true);
}

void AdvPane::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const int w = width(), h = height();
    const QColor frames[] = {QColor(0, 0, 150), QColor(192, 192, 190), QColor(0, 0, 250)};
    for (int i = 0; i < 3; ++i) {
        painter.setPen(frames[i]);
        painter.drawRect(i, i, w - 1 - 2 * i, h - 1 - 2 * i);
    }
}

void AdvPane::resizeEvent(QResizeEvent*) {
    if (width() < 10 || height() < 10) {
        return;
    }
    webAdv->setGeometry(4, 3, width() - 8, height() - 6);
}

QUrl AdvPageUrl(const std::string& roomHost, const std::string& roomPort, const QString& configured) {
    if (!configured.isEmpty()) {
        return QUrl(configured);
    }
    bool ok = false;
    const int port = QString::fromStdString(roomPort).toInt(&ok);
    if (!ok || port <= 0 || port > 65535 || roomHost.empty()) {
        return {};
    }
    QUrl url;
    url.setScheme(QStringLiteral("http"));
    url.setHost(QString::fromStdString(roomHost));
    url.setPort(port);
    url.setPath(QStringLiteral("/adv/KOVA/ga.htm"));
    return url.isValid() ? url : QUrl();
}

}  // namespace redten
