#include "net/room_messages.h"

#include "net/wire/client_messages.h"
#include "net/wire/message.h"
#include "net/wire/text_fields.h"
#include "net/wire/user_list_text.h"

namespace redten {
namespace {

constexpr char kEverybody[] = "所有人";

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
    if (m.size() < 2) {
        return;
    }
    switch (m[0]) {
        case 130: OnTableMessage(m); return;
        case 108: OnUserState(m); return;
        case 110: OnUserLeaves(m); return;
        case 111: OnSettingsState(m); return;
        case 112: OnRaisedHand(m); return;
        case 105: services_.chat.AddNoticeLine(GetTextFromBytes(m, 3)); return;
        case 109: OnSnapshot(m); return;
        default: return;
    }
}

void RoomMessages::OnTableMessage(const Bytes& m) {
    const std::string text = GetTextFromBytes(m, 2);
    const auto fields = SplitFields(text);
    switch (m[1]) {
        case 0:  // a spectator arrives
            if (fields.size() == kUserRecordFields && !IsBlank(fields[4]) &&
                services_.users.Find(fields[0]).empty()) {
                services_.users.Add(text);
                services_.chat.AddSystemLine(fields[0] + " 进来了，正在旁观 " + fields[4] + " 游戏...");
                services_.chat.UpdateNameList(fields[0], "ADD");
                services_.sounds.PlaySoundFile("PangGuanIn.wav");
            }
            return;
        case 1:  // the table starts afresh
            InitPublicDefine(context_.define, context_.programDirectory, context_.launch.strLevelList);
            services_.boxes.CloseGlobalMsg(0);
            services_.boxes.InitGlobalMsg();
            InitGameData(game_);
            context_.define.strViewUserName.clear();
            flow_.HideStartAndClock();
            services_.view.RepaintTable();
            services_.users.Clear();
            services_.chat.Clear();
            services_.chat.SetAddressee(kEverybody);
            return;
        case 2:  // everybody at the table
            services_.users.Clear();
            services_.users.LoadAll(text);
            return;
        case 3:  // who we are, and whose seat we see
            if (fields.size() == 2) {
                context_.launch.strMyName = fields[0];
                context_.define.strViewUserName = fields[1];
                services_.users.SetOwnName(fields[0]);
                services_.chat.SetOwnName(fields[0]);
            }
            return;
        case 4:  // a player arrives
            if (fields.size() == kUserRecordFields && services_.users.Find(fields[0]).empty()) {
                services_.users.Add(text);
                services_.chat.AddSystemLine(fields[0] + " 进来了...");
                services_.chat.UpdateNameList(fields[0], "ADD");
                if (IsBlank(fields[4])) {
                    const std::uint8_t s = SeatFromChair(fields[13]);
                    game_.udtUser[s].strUserName = fields[0];
                    game_.udtUser[s].lngIconNo = RoundToLong(TextValue(fields[12]));
                    services_.view.PaintSeatFace(s);
                }
            }
            return;
        case 5:
            if (m.size() >= 3 && services_.showMainWindow) {
                services_.showMainWindow(m[2] == 0);
            }
            return;
        default:
            return;
    }
}

void RoomMessages::OnUserState(const Bytes& m) {
    const std::string name = GetTextFromBytes(m, 2);
    switch (m[1]) {
        case 0:
        case 3:
            if (const auto s = SeatOf(name)) {
                const bool back = m[1] == 0;
                game_.udtUser[*s].blnOffline = back ? 0 : -1;
                services_.view.PaintNetBreak(*s);
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

void RoomMessages::OnUserLeaves(const Bytes& m) {
    if (m[1] != 0) {
        return;
    }
    const std::string name = GetTextFromBytes(m, 2);
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
        services_.view.PaintSeatFace(*s);
        services_.view.PaintReadyHand(*s);
        services_.view.PaintNetBreak(*s);
    }
}

void RoomMessages::OnSettingsState(const Bytes& m) {
    const auto fields = SplitFields(GetTextFromBytes(m, 2));
    if (fields.size() < 6) {
        return;
    }
    const bool owner = TextValue(fields[3]) > 0;
    if (TextValue(fields[5]) <= 0) {
        context_.define.blnInGame = 0;
        context_.define.blnWaitStart = true;
        flow_.UpdateStartButton();
        return;
    }
    const std::string settings =
        fields.size() > 7 ? JoinFields({fields.begin() + 7, fields.end()}) : std::string();
    if (!owner && (fields.size() < 7 || TextValue(fields[6]) == 0)) {
        services_.boxes.ShowGlobalMsg(0, 0, "等待桌主进行本桌游戏设置...", "", 0, "", "", true);
        return;
    }
    if (!services_.gameSet.OpenGameSet(owner, settings)) {
        SendLeave();
    }
}

void RoomMessages::OnRaisedHand(const Bytes& m) {
    const auto fields = SplitFields(GetTextFromBytes(m, 2));
    if (fields.empty()) {
        return;
    }
    const auto s = SeatOf(fields[0]);
    if (!s) {
        return;
    }
    game_.udtUser[*s].blnReady = -1;
    services_.view.PaintReadyHand(*s);
    services_.boxes.CloseGlobalMsg(0);
    if (fields.size() >= 2 && fields[0] != context_.launch.strMyName) {
        if (!services_.gameSet.OpenGameSet(false, JoinFields({fields.begin() + 1, fields.end()}))) {
            SendLeave();
            return;
        }
    }
    if (m[1] > 1) {
        for (std::uint8_t seat = 0; seat < 4; ++seat) {
            game_.udtUser[seat].blnReady = 0;
            services_.view.PaintReadyHand(seat);
        }
    }
}

void RoomMessages::OnSnapshot(const Bytes& m) {
    context_.define.blnInGame = 1;
    ResetGameData(game_, true);
    flow_.HideStartAndClock();
    gameMessages_.LoadGameState(m);
    services_.view.RepaintTable();
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
        services_.view.PaintSeatFace(s);
        services_.view.PaintNetBreak(s);
        services_.view.PaintReadyHand(s);
    }
}

}  // namespace redten
