#include "platform/system_message_box.h"

#include <QGuiApplication>
#include <QMessageBox>

namespace redten {

bool HasVisibleScreen() {
    const QString platform = QGuiApplication::platformName();
    return !platform.isEmpty() && platform != QLatin1String("offscreen") &&
           platform != QLatin1String("minimal");
}

namespace {

QMessageBox::Icon BoxIcon(SystemBoxIcon icon) {
    QMessageBox::Icon boxIcon = QMessageBox::Information;
    switch (icon) {
        case SystemBoxIcon::Error:
            boxIcon = QMessageBox::Critical;
            break;
        case SystemBoxIcon::Exclamation:
            boxIcon = QMessageBox::Warning;
            break;
        case SystemBoxIcon::Information:
            boxIcon = QMessageBox::Information;
            break;
    }
    return boxIcon;
}

}  // namespace

void ShowSystemMessageBox(const std::string& text, const std::string& caption, SystemBoxIcon icon) {
    if (!HasVisibleScreen()) {
        return;
    }
    QMessageBox box(BoxIcon(icon), QString::fromStdString(caption), QString::fromStdString(text),
                    QMessageBox::Ok);
    box.exec();
}

void OpenSystemMessageBox(const std::string& text, const std::string& caption, SystemBoxIcon icon,
                          QWidget* owner) {
    if (!HasVisibleScreen()) {
        return;
    }
    auto* box = new QMessageBox(BoxIcon(icon), QString::fromStdString(caption), QString::fromStdString(text),
                                QMessageBox::Ok, owner);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

}  // namespace redten
