#pragma once

#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include <memory>

#include "components/chat_log.h"
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
#include "net/room_messages.h"
#include "render/game_area.h"
#include "render/image_store.h"
#include "render/table_painter.h"
#include "shell/message_box.h"
#include "startup/client_context.h"
#include "startup/message_pump.h"

namespace redten {

// The table's main window. While it exists the table runs; when it unloads,
// because the link ended or the user closed it, the program ends.
class frmGameMain final : public QWidget {
    Q_OBJECT
public:
    frmGameMain(ClientContext& context, std::unique_ptr<RoomLink> link, QWidget* parent = nullptr);
    ~frmGameMain() override;

    // The load steps, in their order; run once before the window is shown.
    void Load();
    // The personal settings dialog (the frame's settings button opens it).
    void OpenUserSet();
    // Opens the link to the room; returns at once.
    void ConnectRoomServer();
    // The unload steps, in their order; runs once, later calls do nothing.
    void Unload();

    bool IsUnloading() const { return unloading_; }
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

signals:
    // The unload steps are done; the program may end.
    void Unloaded();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void SetUpLayout();
    void SetUpGameAreaSize();
    void SetUpUserListAndChat();
    void SetUpAdvertisement();
    void SetUpAnimationSurfaces();
    void OnFormTimer();
    void CloseMessageBoxes();
    void ResetGameState();
    void ClearSavedGameArea();

    ClientContext& context_;
    std::unique_ptr<RoomLink> sckRoom;
    MessagePump pump_;
    // The components and stand-ins the game flow acts through.
    UserListModel users_;
    ChatLog chat_;
    RoClock clock_;
    ImageStore images_;
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
    QTimer tmrForm;
    bool loaded_ = false;
    bool unloading_ = false;
};

}  // namespace redten
