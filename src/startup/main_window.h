#pragma once

#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

#include "components/chat_log.h"
#include "components/chat_panel.h"
#include "components/splitter_bar.h"
#include "components/user_list_view.h"
#include "components/ro_clock.h"
#include "components/room_link.h"
#include "components/user_list_model.h"
#include "game/game_messages.h"
#include "game/game_set_dialog.h"
#include "game/sounds.h"
#include "items/dao_ju.h"
#include "game/table_services.h"
#include "game/turn_flow.h"
#include "net/connection.h"
#include "game/room_messages.h"
#include "net/user_menu.h"
#include "render/game_area.h"
#include "render/image_store.h"
#include "render/table_painter.h"
#include "shell/adv_pane.h"
#include "shell/main_layout.h"
#include "shell/message_box.h"
#include "shell/skinned_frame.h"
#include "shell/user_button_strip.h"
#include "shell/v_splitter.h"
#include "state/client_context.h"
#include "startup/message_pump.h"

namespace redten {

// The table's main window. While it exists the table runs; when it unloads,
// because the link ended or the user closed it, the program ends.
//
// It has no system frame: it paints its own caption and border, and holds
// the table on the left and, beyond a splitter, the column with the user
// list, the room's page and the chat.
class frmGameMain final : public QWidget {
    Q_OBJECT
public:
    frmGameMain(ClientContext& context, std::unique_ptr<RoomLink> link, QWidget* parent = nullptr);
    ~frmGameMain() override;

    // The load steps, in their order; run once before the window is shown.
    void Load();
    // The personal settings dialog (the frame's settings button opens it).
    void OpenUserSet();
    // A user-menu item was chosen; item 4 makes its person the addressee.
    void ExecUserMenu(int lngUserMenuItemIdx);
    // Opens the link to the room; returns at once.
    void ConnectRoomServer();
    // The unload steps, in their order; runs once, later calls do nothing.
    void Unload();

    bool IsUnloading() const { return unloading_; }
    // Why the table closed by itself; empty when the person closed it.
    const std::optional<TableClosing>& Closing() const { return closing_; }
    MessagePump& Pump() { return pump_; }
    RoomConnection& Connection() { return connection_; }
    TurnFlow& Flow() { return flow_; }
    // Runs every clock of the table with seconds this long (tests).
    void SetSecondMs(int ms);
    MessageBoxPool& Boxes() { return boxes_; }
    UserListModel& Users() { return users_; }
    ChatLog& Chat() { return chat_; }
    GameArea& Area() { return picGameBack; }
    TablePainter& Painter() { return view_; }
    HandInteraction& Hand() { return hand_; }
    QPushButton& StartButton() { return cmdStart; }
    GameSetWindows& GameSet() { return gameSet_; }
    const DaoJuLists& Items() const { return items_; }

    // The frame: where the pointer is, the buttons, the moves.
    SkinnedFrame& Frame() { return frame_; }
    void PollFrameZone();
    void PollFrameZoneAt(QPoint cursor);
    void HoverSysButton(int index);
    void ExecSysButton(int index);
    void ExecUserButton(int index);
    // The system command the last press on the frame started (0: none).
    int LastFrameCommand() const { return lastFrameCommand_; }
    // How a page is opened in the user's browser (tests replace it); false
    // when the system could not.
    std::function<bool(const QUrl&)> openUrl;
    // The help page in a window of the table's own.
    void ShowHelpHere();
    QWidget* HelpShown() const { return help_; }

    // The layout and its parts.
    LayoutState& Layout() { return layout_; }
    void LayoutMainWindow();
    VSplitter& Splitter() { return picSplitter; }
    DragOutline& Outline() { return outline_; }
    QWidget& GameFrame() { return famGameBack; }
    UserButtonStrip& UserButtons() { return picUserButBk; }
    UserListView& UserListWidget() { return lstUser; }
    SplitterBar& UpperBar() { return HSplitterBar; }
    SplitterBar& LowerBar() { return HSplitterBar1; }
    AdvPane& Advertisement() { return picAdvBack; }
    ChatPanel& ChatWidget() { return ctlChat; }
    frmUserMenu* UserMenu() { return userMenu_; }

signals:
    // The unload steps are done; the program may end.
    void Unloaded();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void BeginFrameDrag();
    void PlaceColumn();
    ShellRects CurrentRects() const;
    void ApplyRects(const ShellRects& rects);
    void OnBarMoved(bool lower);
    void OnUserClicked(bool openMenu, const std::string& name, const std::string& record);

    ClientContext& context_;
    std::unique_ptr<RoomLink> sckRoom;
    MessagePump pump_;
    // The components and stand-ins the game flow acts through.
    UserListModel users_;
    ChatLog chat_;
    RoClock clock_;
    ImageStore images_;
    SkinnedFrame frame_;
    QImage imgLogo;
    LayoutState layout_;
    QWidget famGameBack;
    GameArea picGameBack;
    TablePainter view_;
    QPushButton cmdStart;
    TableSounds sounds_;
    DaoJuLists items_;
    MessageBoxPool boxes_;
    struct LinkSender final : MessageSender {
        RoomConnection* connection = nullptr;
        void Send(const Bytes& message) override { connection->Send(message); }
    } sender_;
    GameSetWindows gameSet_;
    TableServices services_;
    TurnFlow flow_;
    GameMessages gameMessages_;
    RoomMessages roomMessages_;
    HandInteraction hand_;
    RoomConnection connection_;
    // The column and the splitters.
    DragOutline outline_;
    VSplitter picSplitter;
    UserButtonStrip picUserButBk;
    UserListView lstUser;
    SplitterBar HSplitterBar;
    AdvPane picAdvBack;
    SplitterBar HSplitterBar1;
    ChatPanel ctlChat;
    QPointer<frmUserMenu> userMenu_;
    QPointer<QWidget> userSet_;
    QPointer<QWidget> help_;
    std::string userSetPath_;
    QTimer tmrForm;
    QSize lastSize_;
    int lastFrameCommand_ = 0;
    bool painting_ = false;
    bool loaded_ = false;
    bool unloading_ = false;
    std::optional<TableClosing> closing_;
};

}  // namespace redten
