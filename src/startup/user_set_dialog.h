#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QPushButton>

#include <array>
#include <string>

#include "state/notices.h"
#include "state/user_set.h"

namespace redten {

// The personal settings (用户设置): five switches in two groups. Confirming
// saves them (or says it could not), and tells the room when the spectator
// switch changed.
class frmUserSet final : public QDialog {
    Q_OBJECT
public:
    frmUserSet(UserSet& set, std::string filePath, MessageSender& link, const std::string& myName,
               QWidget* parent = nullptr);

    QCheckBox& chkUser(int i) { return chkUser_[static_cast<std::size_t>(i)]; }
    QPushButton& cmdUser(int i) { return cmdUser_[static_cast<std::size_t>(i)]; }

signals:
    // The choices hold for this session, but the file could not be written.
    void SaveFailed(const QString& filePath);

private:
    void Defaults();
    void Confirm();

    UserSet& set_;
    std::string filePath_;
    MessageSender& link_;
    const std::string& myName_;
    std::uint8_t watchAtOpening_ = 1;
    std::array<QCheckBox, 5> chkUser_;
    std::array<QPushButton, 3> cmdUser_;
};

}  // namespace redten
