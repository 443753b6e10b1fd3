#pragma once

#include <QUrl>
#include <QWidget>

#include <string>

namespace redten {

class WebView;

// The framed box that holds the room's page (picAdvBack around webAdv).
class AdvPane final : public QWidget {
public:
    explicit AdvPane(QWidget* parent = nullptr);
    WebView& Page() { return *webAdv; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    WebView* webAdv;
};

// The room's page for this game: the configured address when there is one,
// else on the room's own host and port. Empty when there is no such place.
QUrl AdvPageUrl(const std::string& roomHost, const std::string& roomPort, const QString& configured);

}  // namespace redten
