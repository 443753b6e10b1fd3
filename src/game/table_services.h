#pragma once

#include <functional>
#include <string>

#include "components/chat_pane.h"
#include "components/ro_clock.h"
#include "components/user_list.h"
#include "state/notices.h"

namespace redten {

// The table settings dialog, owner or not (opened by room messages).
class GameSetDialogs {
public:
    virtual ~GameSetDialogs() = default;
    // Sets the dialog up and shows it; false when the settings text is not
    // six fields, and the caller then leaves the table.
    virtual bool OpenGameSet(bool deskMaster, const std::string& settings) = 0;
};

// The room's items as its messages describe them.
class ItemLists {
public:
    virtual ~ItemLists() = default;
    virtual void SetDaoJuList(const std::string& text) = 0;
    virtual void SetMyDaoJuList(const std::string& text) = 0;
};

class NullItemLists final : public ItemLists {
public:
    void SetDaoJuList(const std::string&) override {}
    void SetMyDaoJuList(const std::string&) override {}
};

// Why the table closes by itself, for whoever started it: the start
// count-down ran out, the room counted us as running away, the room sent us
// away, or the link ended.
struct TableClosing {
    enum class Cause { Countdown, RanAway, SentAway, LinkEnded };
    Cause cause = Cause::LinkEnded;
    std::string text;
};

// What the game flow and the room messages act through: nothing here is a
// window of theirs, so tests give recording stand-ins.
struct TableServices {
    MessageSender& link;
    GameSounds& sounds;
    MessageBoxes& boxes;
    Beats& beats;
    UserList& users;
    ChatPane& chat;
    RoClock& clock;
    GameSetDialogs& gameSet;
    ItemLists& items;
    std::function<void(const TableClosing&)> closeMainWindow;
    std::function<void(bool)> showMainWindow;
};

}  // namespace redten
