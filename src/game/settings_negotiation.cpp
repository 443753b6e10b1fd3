#include "game/settings_negotiation.h"

#include "net/wire/client_messages.h"
#include "net/wire/text_fields.h"

namespace redten {

bool AutoGameSet::OpenGameSet(bool deskMaster, const std::string& settings) {
    const auto fields = SplitFields(settings);
    if (fields.size() != 6) {
        return false;
    }
    if (!deskMaster) {
        link_.Send(MakeRaiseHand(myName_));
        return true;
    }
    const auto number = [](const std::string& f) { return std::to_string(RoundToLong(TextValue(f))); };
    link_.Send(MakeConfirmSettings(
        myName_, JoinFields({fields[0], number(fields[1]), number(fields[2]), fields[3],
                             number(fields[4]), number(fields[5])})));
    return true;
}

}  // namespace redten
