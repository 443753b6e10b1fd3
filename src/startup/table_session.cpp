#include "startup/table_session.h"

#include "game/message_routing.h"
#include "platform/program_dirs.h"
#include "state/launch_context.h"
#include "wire/client_messages.h"

namespace redten {
namespace {

// The user list's titles and widths.
constexpr char kPointsColumns[] =
    "用户名`用户ID`积分`级别`旁观对象`总局数`胜率`逃跑率`胜`输`和`人物类型`图标号`实际椅子号`举手`掉线";
constexpr char kExperienceColumns[] =
    "用户名`用户ID`经验`级别`旁观对象`总局数`胜率`逃跑率`胜`输`和`人物类型`图标号`实际椅子号`举手`掉线";
constexpr char kColumnWidths[] = "100`90`70`80`80`60`50`50`50`50`50";
constexpr int kShownColumns = 11;

}  // namespace

TableSession::TableSession(ClientContext& context, std::unique_ptr<RoomLink> link)
    : context_(context),
      link_(std::move(link)),
      sounds_(context, [this] { return windowShown_ && windowShown_(); }),
      items_(context.define.strAppPath + "Res\\DaoJu\\DaoJuInfo.ini"),
      boxes_(context.define.strParentPath),
      gameSet_(*link_, boxes_, context.launch),
      services_{*link_, sounds_, boxes_, beats_, users_, chat_, clock_, gameSet_, items_,
                [this](const TableClosing& why) { CloseBySelf(why); },
                [this](bool show) { emit ShowRequested(show); }},
      flow_(context, services_),
      gameMessages_(context, services_, flow_),
      roomMessages_(context, services_, flow_, gameMessages_),
      hand_(context, flow_),
      connection_(*link_) {
    boxes_.InitGlobalMsg();
    // The one way in from the room: each message to its handler, which
    // changes the table's state; the window draws it afterwards.
    connect(link_.get(), &RoomLink::DataArrival, this,
            [this](const Bytes& message) { RouteMessage(message, roomMessages_, gameMessages_); });
    connect(&connection_, &RoomConnection::LinkEnded, this, [this] {
        if (!closing_ && !unloading_) {
            const std::string& notice = gameMessages_.LastNotice();
            closing_ = TableClosing{TableClosing::Cause::LinkEnded,
                                    notice.empty() ? "与房间的连接断开了。" : notice};
        }
        Unload();
        emit Closed();
    });
}

TableSession::~TableSession() = default;

void TableSession::Load() {
    if (loaded_) {
        return;
    }
    loaded_ = true;

    const LaunchContext& launch = context_.launch;
    users_.SetOwnName(launch.strMyName);
    users_.SetColours(0x008A8C, 0xFFFFFF, 4);
    users_.SetTitles("用户列表", ScoreTitle(launch.bteScoreMode));
    users_.SetColumns(launch.bteScoreMode != 0 ? kPointsColumns : kExperienceColumns, kShownColumns);
    users_.SetWidths(kColumnWidths);
    users_.SetLevels(launch.strLevelList);

    chat_.SetFolders(context_.define.strParentPath + "UserRes\\face", context_.define.strAppPath,
                     "MeChatWeb.htm");
    chat_.SetOwnName(launch.strMyName);
    chat_.SetAddressee(kEverybody);
    chat_.Start();
    chat_.SetSwitches(true, "聊天室", false);
    connect(&chat_, &ChatPane::Send, this, [this](const std::array<std::string, 10>& fields) {
        link_->Send(MakeChatLine(fields));
    });

    // Personal settings before the link opens: the greeting carries one.
    userSetPath_ = ChooseUserSetPath(context_.define.strAppPath, PersonalConfigDirectory(),
                                     IsWritableDirectory(context_.define.strAppPath));
    LoadUserSet(context_.userSet, userSetPath_);
}

void TableSession::SetSecondMs(int ms) {
    clock_.SetSecondMs(ms);
    hand_.SetSecondMs(ms);
    gameSet_.SetSecondMs(ms);
    flow_.SetSecondMs(ms);
    beats_.SetSecondMs(ms);
}

void TableSession::ConnectRoomServer() {
    connection_.ConnectRoomServer(context_.launch.strRoomServerHost,
                                  context_.launch.strRoomServerPort,
                                  context_.userSet.bteUserSet[kSetAllowWatchCards]);
}

void TableSession::CloseBySelf(const TableClosing& why) {
    if (!closing_) {
        closing_ = why;
    }
    Unload();
    emit Closed();
}

void TableSession::Unload() {
    if (unloading_) {
        return;
    }
    unloading_ = true;

    // Leaving is said out loud, so the room counts a walk-out at once
    // instead of waiting for a dropped player to come back; whatever the
    // room still sends is not for us any more.
    link_->Send(MakeLeaveTable(context_.launch.strMyName));
    link_->Close();

    // Nothing the table still had to show runs any more.
    beats_.Cancel();
    boxes_.CloseGlobalMsg(0);
    InitPublicDefine(context_.define, context_.programDirectory, context_.launch.strLevelList);
    InitGameData(context_);
    context_.define.strViewUserName.clear();
    flow_.StopClock();
    emit Unloaded();
}

}  // namespace redten
