#include "startup/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QResizeEvent>

#include "shell/close_guard.h"
#include "startup/user_set_dialog.h"
#include <QIcon>
#include <QPalette>
#include <QPixmap>

#include "skin_pictures.h"

namespace redten {

frmGameMain::frmGameMain(ClientContext& context, std::unique_ptr<RoomLink> link, QWidget* parent)
    : QWidget(parent),
      context_(context),
      sckRoom(std::move(link)),
      pump_([this] { return unloading_; }),
      images_(context.define.strAppPath, context.define.strParentPath),
      picGameBack(this),
      view_(context, picGameBack, images_),
      sounds_(context, [this] { return isVisible() && !isMinimized(); }),
      items_(context.define.strAppPath + "Res\\DaoJu\\DaoJuInfo.ini"),
      boxes_(context.define.strParentPath),
      gameSet_(sender_, boxes_, context.launch),
      services_{sender_, view_, sounds_, boxes_, pump_, users_, chat_, clock_, gameSet_, items_,
                [this] {
                    Unload();
                    hide();
                },
                [this](bool show) { setVisible(show); }},
      flow_(context, services_),
      gameMessages_(context, services_, flow_),
      roomMessages_(context, services_, flow_, gameMessages_),
      hand_(context, flow_, view_),
      connection_(*sckRoom, roomMessages_, gameMessages_) {
    sender_.connection = &connection_;
    picGameBack.onResized = [this] { view_.OnResized(); };
    view_.SetClock(&clock_);
    picGameBack.onMouseMove = [this](int x, int y) { hand_.MouseMove(x, y); };
    picGameBack.onMouseUp = [this](Qt::MouseButton button, int x, int y) {
        hand_.MouseUp(button == Qt::LeftButton    ? MouseButton::Left
                      : button == Qt::RightButton ? MouseButton::Right
                                                  : MouseButton::Other,
                      x, y);
    };
    view_.SetWaiter(&pump_);
    cmdStart.setParent(&picGameBack);
    cmdStart.hide();
    view_.startButton = [this](bool visible, const std::string& caption, PixelPoint at) {
        cmdStart.setText(QString::fromStdString(caption));
        cmdStart.adjustSize();
        cmdStart.move(at.x, at.y);
        cmdStart.setVisible(visible);
    };
    connect(&cmdStart, &QPushButton::clicked, &flow_, &TurnFlow::OnStartClicked);
    boxes_.SetOwner(this);
    gameSet_.SetOwner(this);
    boxes_.InitGlobalMsg();
    connect(&connection_, &RoomConnection::LinkEnded, this, [this] {
        Unload();
        hide();
    });
}

frmGameMain::~frmGameMain() = default;

void frmGameMain::Load() {
    if (loaded_) {
        return;
    }
    loaded_ = true;

    // 1. The window's icon, and its plain light background.
    setWindowIcon(QIcon(QPixmap::fromImage(assets::Logo())));
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor(250, 250, 250));
    setPalette(palette);
    setAutoFillBackground(true);

    // 2. Splitters, column heights and the game area's surface.
    SetUpLayout();

    // 3. The frame's poll of hit zones and minimum size.
    tmrForm.setInterval(100);
    connect(&tmrForm, &QTimer::timeout, this, &frmGameMain::OnFormTimer);
    tmrForm.start();

    // 4. Caption.
    setWindowTitle(QString::fromStdString(context_.launch.strGameTitle));

    // 5. Game area width and splitter position from the screen size.
    SetUpGameAreaSize();

    // 6. The socket component draws nothing; ours is not a widget at all.

    // 7. User list and chat pane.
    SetUpUserListAndChat();

    // 8. Advertisement pane.
    SetUpAdvertisement();

    // 9. Bomb and lost-link images hidden, animation surfaces, start button off.
    SetUpAnimationSurfaces();

    // 10. The start count-down belongs to the turn flow: stopped, one tick a
    //     second, twenty ticks.

    // 11. Personal settings, before the link opens: the greeting carries one.
    LoadUserSet(context_.userSet, context_.define.strAppPath + kUserSetFileName);

    // 12. The previous-trick display timer belongs to the hand interaction:
    //     stopped, one tick a second.

    // 13. Every close request passes through closeEvent.
}

void frmGameMain::SetSecondMs(int ms) {
    clock_.SetSecondMs(ms);
    hand_.SetSecondMs(ms);
    gameSet_.SetSecondMs(ms);
    flow_.SetSecondMs(ms);
    pump_.SetSecondMs(ms);
}

void frmGameMain::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // The whole window is the game area until the column beside it comes.
    picGameBack.setGeometry(rect());
}

void frmGameMain::OpenUserSet() {
    // Closing forgets the dialog; the next opening creates it anew.
    auto* dialog = new frmUserSet(context_.userSet, context_.define.strAppPath + kUserSetFileName,
                                  sender_, context_.launch.strMyName, this);
    dialog->show();
}

void frmGameMain::ConnectRoomServer() {
    connection_.ConnectRoomServer(context_.launch.strRoomServerHost,
                                  context_.launch.strRoomServerPort,
                                  context_.userSet.bteUserSet[kSetAllowWatchCards]);
}

void frmGameMain::Unload() {
    if (unloading_) {
        return;
    }
    unloading_ = true;

    // 1.
    context_.define.blnExiting = true;
    // 2.
    CloseMessageBoxes();
    // 3. This also clears blnExiting again; the waits watch unloading_.
    InitPublicDefine(context_.define, context_.programDirectory, context_.launch.strLevelList);
    // 4.
    ResetGameState();
    // 5. Every other window of the program goes with this one.
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget != this && widget->isWindow() && widget->isVisible()) {
            widget->close();
        }
    }
    // 6.
    ClearSavedGameArea();
    // 7. No window procedure to put back: closeEvent is a plain override.
    tmrForm.stop();
    flow_.StopClock();
    // 8.
    emit Unloaded();
}

void frmGameMain::closeEvent(QCloseEvent* event) {
    // Every close the user asks for passes the close guard; the program's
    // own closes unload directly.
    if (!unloading_ && !AskForcedQuit(context_, boxes_)) {
        event->ignore();
        return;
    }
    Unload();
    event->accept();
}

// Layout of the columns and the game area.
void frmGameMain::SetUpLayout() {}
void frmGameMain::SetUpGameAreaSize() {}
// The user list and the chat pane, with their titles, columns and folders.
void frmGameMain::SetUpUserListAndChat() {}
// The advertisement pane and its page.
void frmGameMain::SetUpAdvertisement() {}
// The bomb animation's surfaces and the hidden images.
void frmGameMain::SetUpAnimationSurfaces() {}
// The skinned frame's hit zones and minimum size.
void frmGameMain::OnFormTimer() {}
void frmGameMain::CloseMessageBoxes() { boxes_.CloseGlobalMsg(0); }

void frmGameMain::ResetGameState() {
    InitGameData(context_.game);
    context_.define.strViewUserName.clear();
}
// The saved copy of the game area.
void frmGameMain::ClearSavedGameArea() {}

}  // namespace redten
