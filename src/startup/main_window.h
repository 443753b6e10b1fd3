#pragma once

#include <QTimer>
#include <QWidget>

#include <memory>

#include "components/room_link.h"
#include "game/game_messages.h"
#include "net/connection.h"
#include "net/room_messages.h"
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
    // Opens the link to the room; returns at once.
    void ConnectRoomServer();
    // The unload steps, in their order; runs once, later calls do nothing.
    void Unload();

    bool IsUnloading() const { return unloading_; }
    MessagePump& Pump() { return pump_; }
    RoomConnection& Connection() { return connection_; }

signals:
    // The unload steps are done; the program may end.
    void Unloaded();

protected:
    void closeEvent(QCloseEvent* event) override;

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
    RoomMessages roomMessages_;
    GameMessages gameMessages_;
    RoomConnection connection_;
    MessagePump pump_;
    QTimer tmrForm;
    QTimer tmrStart;
    QTimer tmrPaintLastOutPai;
    bool loaded_ = false;
    bool unloading_ = false;
};

}  // namespace redten
