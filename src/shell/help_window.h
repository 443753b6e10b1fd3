#pragma once

#include <QTextBrowser>

#include <string>

namespace redten {

// The rules, shown inside the table when the system has no browser to open
// them in: our staged page, read-only, following no link.
class HelpWindow final : public QTextBrowser {
    Q_OBJECT
public:
    HelpWindow(const std::string& pagePath, const QString& caption, QWidget* owner);
};

}  // namespace redten
