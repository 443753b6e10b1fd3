#pragma once

#include <QTextBrowser>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;

namespace redten {

// A small read-only page view (webAdv): shows one page, from a local file
// or over HTTP, and stays blank when the page cannot be had. It follows no
// link, loads nothing the page refers to, and shows only flat text: the
// headings, paragraphs, line breaks and colours of the page.
class WebView final : public QTextBrowser {
    Q_OBJECT
public:
    // Pages bigger than this are not shown.
    static constexpr qint64 kMaxPageBytes = 64 * 1024;
    static constexpr int kTimeoutMs = 5000;

    explicit WebView(QWidget* parent = nullptr);
    ~WebView() override;

    // The view's mode number; 1 is a plain page without scroll bars.
    void SetMode(int mode);
    void Navigate(const QUrl& url);
    const QUrl& Address() const { return address_; }

signals:
    // The page is shown (true) or could not be had (false).
    void Finished(bool shown);

protected:
    QVariant loadResource(int type, const QUrl& name) override;

private:
    void Show(const QByteArray& page);
    void OnReply(QNetworkReply* reply);

    QNetworkAccessManager* network_ = nullptr;
    QNetworkReply* pending_ = nullptr;
    QUrl address_;
};

// The page cut down to what the view shows: headings, paragraphs, line
// breaks, bold, italic and underlined text, and colours. Tables, lists and
// every other element keep only their text; scripts and styles go. Text
// layout slows down beyond measure with nesting, and a page from the
// network can nest as deep as it likes.
QString FlatPageHtml(const QString& page);

}  // namespace redten
