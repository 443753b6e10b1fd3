#include "game/room_messages.h"

#include "state/dropped_messages.h"
#include "wire/client_messages.h"
#include "wire/text_fields.h"
#include "wire/user_list_text.h"

namespace redten {
namespace {

bool IsBlank(const std::string& s) { return s.find_first_not_of(' ') == std::string::npos; }

std::uint8_t SeatFromChair(const std::string& field) {
    const std::int32_t chair = RoundToLong(TextValue(field));
    return static_cast<std::uint8_t>(((chair % 4) + 4) % 4);
}

}  // namespace

RoomMessages::RoomMessages(ClientContext& context, TableServices& services, TurnFlow& flow,
                           GameMessages& game, QObject* parent)
    : QObject(parent),
      context_(context),
      game_(context.game),
      services_(services),
      flow_(flow),
      gameMessages_(game) {
    connect(&services_.users, &UserList::Loaded, this, &RoomMessages::OnUsersLoaded);
}

std::optional<std::uint8_t> RoomMessages::SeatOf(const std::string& name) const {
    for (std::uint8_t s = 0; s < 4; ++s) {
        if (game_.udtUser[s].strUserName == name) {
            return s;
        }
    }
    return std::nullopt;
}

void RoomMessages::SendLeave() { services_.link.Send(MakeLeaveTable(context_.launch.strMyName)); }

void RoomMessages::ExecRoomMsg(const Bytes& m) {
    bool taken = m.size() >= 2;
    if (taken) {
        switch (static_cast<MessageCode>(m[0])) {
            case MessageCode::Table: taken = OnTableMessage(m); break;
            case MessageCode::UserState: taken = wire::Take(m, *this, &RoomMessages::OnUserState); break;
            case MessageCode::UserLeaves: taken = wire::Take(m, *this, &RoomMessages::OnUserLeaves); break;
            case MessageCode::SettingsState: taken = wire::Take(m, *this, &RoomMessages::OnSettingsState); break;
            case MessageCode::RaisedHand: taken = wire::Take(m, *this, &RoomMessages::OnRaisedHand); break;
            case MessageCode::RoomNotice: taken = wire::Take(m, *this, &RoomMessages::OnRoomNotice); break;
            case MessageCode::Snapshot: OnSnapshot(m); break;
            default: taken = false; break;
        }
    }
    if (!taken) {
        LogDroppedMessage("room", m);
        return;
    }
    context_.Changed();
}

bool RoomMessages::OnTableMessage(const Bytes& m) {
    switch (m[1]) {
        case 0: return wire::Take(m, *this, &RoomMessages::OnSpectatorArrives);
        case 1: return wire::Take(m, *this, &RoomMessages::OnTableReset);
        case 2: return wire::Take(m, *this, &RoomMessages::OnFullUserList);
        case 3: return wire::Take(m, *this, &RoomMessages::OnIdentity);
        case 4: return wire::Take(m, *this, &RoomMessages::OnUserArrives);
        case 5: return wire::Take(m, *this, &RoomMessages::OnShowWindow);
        default: return false;
    }
}

void RoomMessages::OnSpectatorArrives(const wire::SpectatorArrives& m) {
    const auto fields = SplitFields(m.record);
    if (IsBlank(fields[4]) || !services_.users.Find(fields[0]).empty()) {
        return;
    }
    services_.users.Add(m.record);
    services_.chat.AddSystemLine(fields[0] + " 进来了，正在旁观 " + fields[4] + " 游戏...");
    services_.chat.UpdateNameList(fields[0], "ADD");
    services_.sounds.PlaySoundFile("PangGuanIn.wav");
}

void RoomMessages::OnTableReset(const wire::TableReset&) {
    InitPublicDefine(context_.define, context_.programDirectory, context_.launch.strLevelList);
    services_.boxes.CloseGlobalMsg(0);
    services_.boxes.InitGlobalMsg();
    InitGameData(context_);
    context_.define.strViewUserName.clear();
    flow_.HideStartAndClock();
    services_.users.Clear();
    services_.chat.Clear();
    services_.chat.SetAddressee(kEverybody);
}

void RoomMessages::OnFullUserList(const wire::FullUserList& m) {
    services_.users.Clear();
    services_.users.LoadAll(JoinUserListText(m.records));
}

void RoomMessages::OnIdentity(const wire::Identity& m) {
    context_.launch.strMyName = m.myName;
    context_.define.strViewUserName = m.viewName;
    services_.users.SetOwnName(m.myName);
    services_.chat.SetOwnName(m.myName);
}

void RoomMessages::OnUserArrives(const wire::UserArrives& m) {
    const auto fields = SplitFields(m.record);
    if (!services_.users.Find(fields[0]).empty()) {
        return;
    }
    services_.users.Add(m.record);
    services_.chat.AddSystemLine(fields[0] + " 进来了...");
    services_.chat.UpdateNameList(fields[0], "ADD");
    if (IsBlank(fields[4])) {
        const std::uint8_t s = SeatFromChair(fields[13]);
        game_.udtUser[s].strUserName = fields[0];
        game_.udtUser[s].lngIconNo = RoundToLong(TextValue(fields[12]));
    }
}

void RoomMessages::OnShowWindow(const wire::ShowWindow& m) {
    if (services_.showMainWindow) {
        services_.showMainWindow(m.show);
    }
}

void RoomMessages::OnRoomNotice(const wire::RoomNotice& m) { services_.chat.AddNoticeLine(m.text); }

void RoomMessages::OnUserState(const wire::UserState& m) {
    const std::string& name = m.name;
    switch (m.kind) {
        case 0:
        case 3:
            if (const auto s = SeatOf(name)) {
                const bool back = m.kind == 0;
                game_.udtUser[*s].blnOffline = back ? 0 : -1;
                services_.chat.AddSystemLine(back ? "哈哈，" + name + " 终于上线了..."
                                                  : "不好，" + name + " 掉线了...");
            }
            return;
        case 4:
            if (!services_.users.Find(name).empty()) {
                services_.users.Remove(name);
                services_.chat.AddSystemLine("旁观用户 " + name + " 走了...");
                services_.chat.UpdateNameList(name, "DEL");
                services_.sounds.PlaySoundFile("PangGuanOut.wav");
            }
            return;
        case 6:
            services_.users.NotifyName(name);
            return;
        default:
            return;
    }
}

void RoomMessages::OnUserLeaves(const wire::UserLeaves& m) {
    const std::string& name = m.name;
    if (!services_.users.Find(name).empty()) {
        services_.users.Remove(name);
        services_.chat.AddSystemLine(name + " 走了...");
        services_.chat.UpdateNameList(name, "DEL");
    }
    if (const auto s = SeatOf(name)) {
        UserGameInfo& seat = game_.udtUser[*s];
        seat.strUserName.clear();
        seat.lngIconNo = 0;
        seat.blnReady = 0;
        seat.blnOffline = 0;
    }
}

void RoomMessages::OnSettingsState(const wire::SettingsState& m) {
    const bool owner = m.recipientIsOwner;
    if (!m.open) {
        context_.define.blnInGame = 0;
        context_.define.blnWaitStart = true;
        flow_.UpdateStartButton();
        return;
    }
    const std::string& settings = m.settings;
    if (!owner && !m.ownerDone) {
        services_.boxes.ShowGlobalMsg(0, 0, "等待桌主进行本桌游戏设置...", "", 0, "", "", true);
        return;
    }
    if (!services_.gameSet.OpenGameSet(owner, settings)) {
        SendLeave();
    }
}

void RoomMessages::OnRaisedHand(const wire::RaisedHand& m) {
    const auto s = SeatOf(m.name);
    if (!s) {
        return;
    }
    game_.udtUser[*s].blnReady = -1;
    services_.boxes.CloseGlobalMsg(0);
    if (m.settings && m.name != context_.launch.strMyName) {
        if (!services_.gameSet.OpenGameSet(false, *m.settings)) {
            SendLeave();
            return;
        }
    }
    if (m.kind > 1) {
        for (std::uint8_t seat = 0; seat < 4; ++seat) {
            game_.udtUser[seat].blnReady = 0;
        }
    }
}

void RoomMessages::OnSnapshot(const Bytes& m) {
    // Even a snapshot we cannot read ends what the table showed before.
    const auto snapshot = wire::Snapshot::Decode(m);
    if (!snapshot) {
        LogDroppedMessage("room", m);
    }
    context_.define.blnInGame = 1;
    ResetGameData(context_, true);
    flow_.HideStartAndClock();
    gameMessages_.LoadGameState(snapshot);
    context_.scene.result.reset();
    flow_.ShowGameState();
}

void RoomMessages::OnUsersLoaded(const std::string& names) {
    const auto list = SplitFields(names);
    for (const std::string& name : list) {
        services_.chat.UpdateNameList(name, "ADD");
    }
    for (const std::string& name : list) {
        const auto fields = SplitFields(services_.users.Find(name));
        if (fields.size() != kUserRecordFields || !IsBlank(fields[4])) {
            continue;
        }
        UserGameInfo& seat = game_.udtUser[SeatFromChair(fields[13])];
        seat.strUserName = name;
        seat.lngIconNo = RoundToLong(TextValue(fields[12]));
        seat.blnReady = TextValue(fields[14]) > 0 && context_.define.blnInGame != 1 ? -1 : 0;
        seat.blnOffline = TextValue(fields[15]) > 0 ? -1 : 0;
    }
    std::array<std::string, 4> seats;
    for (std::uint8_t s = 0; s < 4; ++s) {
        seats[s] = game_.udtUser[s].strUserName;
    }
    CalcViewPos(context_.define, seats, context_.launch.strMyName);
    for (std::uint8_t s = 0; s < 4; ++s) {
    }
}

}  // namespace redten
