#include "shell/help_window.h"

#include <QFile>

namespace redten {
namespace {

constexpr qint64 kMaxPageBytes = 256 * 1024;

}  // namespace

HelpWindow::HelpWindow(const std::string& pagePath, const QString& caption, QWidget* owner)
    : QTextBrowser(owner) {
    setWindowFlag(Qt::Window);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(caption);
    setOpenLinks(false);
    setOpenExternalLinks(false);
    // Nothing the page names is fetched: no pictures, no style sheets.
    setSearchPaths({});
    QFile page(QString::fromStdString(pagePath));
    if (page.open(QIODevice::ReadOnly) && page.size() <= kMaxPageBytes) {
        setHtml(QString::fromUtf8(page.read(kMaxPageBytes)));
    } else {
        setPlainText(QStringLiteral("找不到帮助页面：") + QString::fromStdString(pagePath));
    }
    resize(720, 560);
}

}  // namespace redten
