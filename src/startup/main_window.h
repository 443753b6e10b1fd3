#pragma once

#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include <functional>

#include "components/chat_panel.h"
#include "components/splitter_bar.h"
#include "components/user_list_view.h"
#include "net/user_menu.h"
#include "render/game_area.h"
#include "render/image_store.h"
#include "render/table_painter.h"
#include "shell/adv_pane.h"
#include "shell/main_layout.h"
#include "shell/skinned_frame.h"
#include "shell/user_button_strip.h"
#include "shell/v_splitter.h"
#include "startup/table_session.h"

namespace redten {

// The table's main window: it shows a table session, paints the table and
// its own frame, lays them out and hands the mouse to the session. When the
// session unloads, because the link ended or the user closed the window,
// the program ends.
//
// It has no system frame: it paints its own caption and border, and holds
// the table on the left and, beyond a splitter, the column with the user
// list, the room's page and the chat.
class frmGameMain final : public QWidget {
    Q_OBJECT
public:
    frmGameMain(TableSession& session, QWidget* parent = nullptr);
    ~frmGameMain() override;

    // The load steps, the session's among them, in their order; run once
    // before the window is shown.
    void Load();
    // The personal settings dialog (the frame's settings button opens it).
    void OpenUserSet();
    // A user-menu item was chosen; item 4 makes its person the addressee.
    void ExecUserMenu(int lngUserMenuItemIdx);

    GameArea& Area() { return picGameBack; }
    TablePainter& Painter() { return view_; }
    QPushButton& StartButton() { return cmdStart; }

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
    // What the window closes with the session: every other window of the
    // program, and the frame's polling.
    void OnSessionUnloaded();
    // The table as its state now is, and the start button over it.
    void DrawFrame();
    bool eventFilter(QObject* watched, QEvent* event) override;

    TableSession& session_;
    ClientContext& context_;
    ImageStore images_;
    SkinnedFrame frame_;
    QImage imgLogo;
    LayoutState layout_;
    QWidget famGameBack;
    GameArea picGameBack;
    TablePainter view_;
    QPushButton cmdStart;
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
    QTimer tmrForm;
    QSize lastSize_;
    int lastFrameCommand_ = 0;
    bool painting_ = false;
    bool loaded_ = false;
    std::uint64_t drawnRevision_ = 0;
};

}  // namespace redten
