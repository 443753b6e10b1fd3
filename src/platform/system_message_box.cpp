#include "platform/system_message_box.h"

#include <QGuiApplication>
#include <QMessageBox>

namespace redten {

bool HasVisibleScreen() {
    const QString platform = QGuiApplication::platformName();
    return !platform.isEmpty() && platform != QLatin1String("offscreen") &&
           platform != QLatin1String("minimal");
}

void ShowSystemMessageBox(const std::string& text, const std::string& caption, SystemBoxIcon icon) {
    if (!HasVisibleScreen()) {
        return;
    }
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
    QMessageBox box(boxIcon, QString::fromStdString(caption), QString::fromStdString(text),
                    QMessageBox::Ok);
    box.exec();
}

}  // namespace redten
