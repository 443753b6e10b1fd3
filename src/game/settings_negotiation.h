#pragma once

#include <string>

#include "game/notices.h"
#include "game/table_services.h"

namespace redten {

// Until the settings dialog is on screen, the table answers the way the
// dialog answers when nobody touches it: the owner confirms the proposed
// settings, everybody else agrees.
class AutoGameSet final : public GameSetDialogs {
public:
    AutoGameSet(MessageSender& link, const std::string& myName) : link_(link), myName_(myName) {}
    bool OpenGameSet(bool deskMaster, const std::string& settings) override;

private:
    MessageSender& link_;
    const std::string& myName_;
};

}  // namespace redten
