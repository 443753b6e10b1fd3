#include "startup/main_window.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QDesktopServices>
#include <QIcon>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <QResizeEvent>
#include <QScreen>
#include <QWindow>

#include "components/web_view.h"
#include "pictures/skin_pictures.h"
#include "platform/system_message_box.h"
#include "shell/close_guard.h"
#include "shell/help_window.h"
#include "startup/user_set_dialog.h"

namespace redten {
namespace {

const QColor kWindowBack(250, 250, 250);

void SetBackground(QWidget& widget, const QColor& colour) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, colour);
    widget.setPalette(palette);
    widget.setAutoFillBackground(true);
}

}  // namespace

frmGameMain::frmGameMain(TableSession& session, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      openUrl([](const QUrl& url) { return QDesktopServices::openUrl(url); }),
      session_(session),
      context_(session.Context()),
      images_(context_.define.strAppPath, context_.define.strParentPath),
      famGameBack(this),
      picGameBack(&famGameBack),
      view_(context_, picGameBack, images_),
      outline_(this),
      picSplitter(layout_, images_, outline_,
                  {[this] { return width(); }, [this] { LayoutMainWindow(); },
                   [this] { return context_.BlastRunning(); }},
                  this),
      picUserButBk(frame_, images_, [this](int i) { ExecUserButton(i); }, this),
      lstUser(session.Users(), this),
      HSplitterBar(this),
      picAdvBack(this),
      HSplitterBar1(this),
      ctlChat(session.Chat(), this) {
    session_.SetWindowShown([this] { return isVisible() && !isMinimized(); });
    picGameBack.onResized = [this] { DrawFrame(); };
    view_.SetClock(&session_.Clock());
    // The mouse over the table comes here first (eventFilter).
    picGameBack.installEventFilter(this);
    // A new frame once the event loop has done what there was to do, if
    // the table changed meanwhile: however many changes a message, a click
    // or a timer made, they show together.
    connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this, [this] {
        if (context_.revision != drawnRevision_) {
            DrawFrame();
        }
    });
    cmdStart.setParent(&picGameBack);
    cmdStart.hide();
    connect(&cmdStart, &QPushButton::clicked, &session_.Flow(), &TurnFlow::OnStartClicked);
    session_.Boxes().SetOwner(this);
    session_.GameSet().SetOwner(this);
    connect(&session_, &TableSession::Unloaded, this, &frmGameMain::OnSessionUnloaded);
    connect(&session_, &TableSession::Closed, this, &QWidget::hide);
    connect(&session_, &TableSession::ShowRequested, this, &QWidget::setVisible);
    connect(&session_.Users(), &UserList::Clicked, this,
            [this](bool openMenu, int, const std::string& name, const std::string& record) {
                OnUserClicked(openMenu, name, record);
            });
    outline_.hide();
    setMouseTracking(true);
}

frmGameMain::~frmGameMain() {
    // The session goes on without a picture.
    session_.SetWindowShown({});
}

bool frmGameMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched != &picGameBack) {
        return QWidget::eventFilter(watched, event);
    }
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseMove && type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease) {
        return false;
    }
    // What lies under the pointer, as the last frame drew it, goes to the hand.
    const auto* mouse = static_cast<QMouseEvent*>(event);
    const QPoint point = mouse->position().toPoint();
    const TablePoint at = view_.At(point.x(), point.y());
    HandInteraction& hand = session_.Hand();
    std::optional<std::string> tip;
    if (type == QEvent::MouseButtonRelease) {
        const Qt::MouseButton b = mouse->button();
        hand.MouseUp(b == Qt::LeftButton    ? MouseButton::Left
                     : b == Qt::RightButton ? MouseButton::Right
                                            : MouseButton::Other,
                     at);
    } else {
        tip = type == QEvent::MouseMove ? hand.MouseMove(at) : hand.MouseDown(at);
    }
    if (tip) {
        picGameBack.setToolTip(QString::fromStdString(*tip));
    }
    return true;  // taken: the window under the area must not see it as its own
}

void frmGameMain::DrawFrame() {
    drawnRevision_ = context_.revision;
    view_.DrawFrame();
    // The start button stands at its anchor, which follows the area's size.
    const TableScene& scene = context_.scene;
    const PixelPoint at = view_.Layout().StartButtonPos;
    const QString caption = QString::fromStdString(scene.startCaption);
    if (cmdStart.text() != caption) {
        cmdStart.setText(caption);
        cmdStart.adjustSize();
    }
    cmdStart.move(at.x, at.y);
    cmdStart.setVisible(scene.startVisible);
}

void frmGameMain::Load() {
    if (loaded_) {
        return;
    }
    loaded_ = true;

    // The window's icon at 32 pixels and, for denser screens, at 64.
    QIcon icon(QPixmap::fromImage(assets::Logo()));
    icon.addPixmap(QPixmap::fromImage(assets::Logo(2)));
    setWindowIcon(icon);
    SetBackground(*this, kWindowBack);

    // The bars report a drag while it lasts, so the layout knows which one
    // the user moved when the drag ends.
    for (SplitterBar* bar : {&HSplitterBar, &HSplitterBar1}) {
        SetBackground(*bar, kWindowBack);
        bar->resize(bar->width(), LayoutState::kBarHeight);
        connect(bar, &SplitterBar::Moving, this, [this, bar] {
            (bar == &HSplitterBar ? layout_.blnHSplitMoved : layout_.blnHSplit1Moved) = true;
        });
        connect(bar, &SplitterBar::Moved, this, [this, bar] { OnBarMoved(bar == &HSplitterBar1); });
    }
    SetBackground(picUserButBk, kWindowBack);
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize screenSize = screen ? screen->geometry().size() : QSize(1024, 768);
    // The splitter's place and the game area's width come from the screen.
    layout_ = InitialLayout(screenSize);

    // The skinned frame has no system decorations to tell it where the
    // mouse is, so it polls.
    frame_.lngSysButHover = -1;
    frame_.lngUserButHover = -1;
    tmrForm.setInterval(100);
    connect(&tmrForm, &QTimer::timeout, this, &frmGameMain::PollFrameZone);
    tmrForm.start();
    setMinimumSize(SkinnedFrame::kMinimumSize);

    setWindowTitle(QString::fromStdString(context_.launch.strGameTitle));

    session_.Load();

    picAdvBack.Page().SetMode(1);
    picAdvBack.Page().Navigate(AdvPageUrl(context_.launch.strRoomServerHost,
                                          context_.launch.strRoomServerPort,
                                          qEnvironmentVariable("REDTEN_ADV_URL")));

    // The start button stays hidden until the turn flow offers it.
    cmdStart.hide();

    LayoutMainWindow();
}

// ---- Layout ---------------------------------------------------------------

ShellRects frmGameMain::CurrentRects() const {
    ShellRects r;
    r.splitter = picSplitter.geometry();
    r.gameFrame = famGameBack.geometry();
    r.strip = picUserButBk.geometry();
    r.list = lstUser.geometry();
    r.bar = HSplitterBar.geometry();
    r.adv = picAdvBack.geometry();
    r.bar1 = HSplitterBar1.geometry();
    r.chat = ctlChat.geometry();
    r.column = lstUser.isVisibleTo(this);
    return r;
}

void frmGameMain::ApplyRects(const ShellRects& r) {
    picSplitter.setGeometry(r.splitter);
    famGameBack.setGeometry(r.gameFrame);
    QWidget* column[] = {&picUserButBk, &lstUser, &HSplitterBar, &picAdvBack, &HSplitterBar1, &ctlChat};
    const QRect places[] = {r.strip, r.list, r.bar, r.adv, r.bar1, r.chat};
    for (std::size_t i = 0; i < std::size(column); ++i) {
        if (r.column) {
            column[i]->setGeometry(places[i]);
        }
        column[i]->setVisible(r.column);
    }
}

void frmGameMain::LayoutMainWindow() {
    if (isMinimized()) {
        return;
    }
    ShellRects rects = CurrentRects();
    redten::LayoutMainWindow(layout_, size(), rects);
    ApplyRects(rects);
    // FitGameBack: the table fills its frame exactly.
    picGameBack.setGeometry(0, 0, famGameBack.width(), famGameBack.height());
    PlaceColumn();
    picSplitter.update();
    // A window that shrank gets no exposure of its own: paint it now.
    if (width() < lastSize_.width() || height() < lastSize_.height()) {
        update();
    }
    lastSize_ = size();
}

void frmGameMain::PlaceColumn() {
    frame_.PlaceFrameButtons(width(), picUserButBk.width());
    picUserButBk.update();
}

void frmGameMain::OnBarMoved(bool lower) {
    ShellRects rects = CurrentRects();
    if (lower) {
        HSplitterBar1Moved(layout_, size(), rects);
    } else {
        HSplitterBarMoved(layout_, size(), rects);
    }
    ApplyRects(rects);
}

void frmGameMain::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (loaded_) {
        LayoutMainWindow();
    }
}

// ---- The frame ------------------------------------------------------------

void frmGameMain::paintEvent(QPaintEvent*) {
    if (painting_) {
        return;
    }
    painting_ = true;
    // Qt keeps no picture of the window between paints, so the frame is
    // drawn every time; the moved flags only say a splitter just moved.
    // The caption holds the logo at 24 pixels, clear of the title beside it;
    // drawn again for a screen of another density.
    const qreal ratio = devicePixelRatio();
    if (imgLogo.isNull() || imgLogo.devicePixelRatio() != ratio) {
        const int side = qRound(24 * ratio);
        imgLogo = assets::Logo(ratio).scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        imgLogo.setDevicePixelRatio(ratio);
    }
    QPainter painter(this);
    frame_.PaintFrame(painter, images_,
                      {size(), isMaximized(), picSplitter.geometry().right() + 1, &imgLogo,
                       QString::fromStdString(context_.launch.strGameTitle)});
    SkinnedFrame::PaintBorder(painter, size());
    layout_.blnHSplitMoved = layout_.blnHSplit1Moved = layout_.blnVSplitMoved = false;
    painting_ = false;
}

void frmGameMain::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) {
        // The maximise button shows restore while maximised.
        update(frame_.SysButtonRect(1));
        LayoutMainWindow();
    }
}

void frmGameMain::PollFrameZone() { PollFrameZoneAt(QCursor::pos()); }

void frmGameMain::PollFrameZoneAt(QPoint cursor) {
    if (!isMaximized() && !isMinimized() &&
        (width() < SkinnedFrame::kMinimumSize.width() || height() < SkinnedFrame::kMinimumSize.height())) {
        resize(std::max(width(), SkinnedFrame::kMinimumSize.width()),
               std::max(height(), SkinnedFrame::kMinimumSize.height()));
    }
    const QPoint client = mapFromGlobal(cursor);
    const bool overButton = frame_.HitSysButton(client.x(), client.y()) >= 0;
    frame_.strFrameZone = SkinnedFrame::ZoneAt(frameGeometry(), cursor, overButton);
    // A pointer that left a lit button for a child window sent no move here.
    if (frame_.lngSysButHover >= 0 && !overButton) {
        HoverSysButton(-1);
    }
    const Qt::CursorShape shape = SkinnedFrame::CursorFor(frame_.strFrameZone);
    if (this->cursor().shape() != shape) {
        setCursor(shape);
    }
}

void frmGameMain::BeginFrameDrag() {
    const int command = SkinnedFrame::SysCommandFor(frame_.strFrameZone);
    if (command == 0) {
        return;
    }
    lastFrameCommand_ = command;
    QWindow* window = windowHandle();
    if (!window) {
        return;
    }
    if (command == 0xF012) {
        window->startSystemMove();
    } else {
        window->startSystemResize(SkinnedFrame::EdgesFor(command));
    }
}

void frmGameMain::HoverSysButton(int index) {
    const int old = frame_.lngSysButHover;
    SkinnedFrame::MoveHover(frame_.lngSysButHover, index, old >= 0 ? frame_.SysButtonRect(old) : QRect(),
                            index >= 0 ? frame_.SysButtonRect(index) : QRect(),
                            [this](const QRect& area) { update(area); });
}

void frmGameMain::ExecSysButton(int index) {
    switch (index) {
    case 0:
        showMinimized();
        break;
    case 1:
        if (isMaximized()) {
            showNormal();
        } else {
            showMaximized();
        }
        break;
    case 2:
        if (AskForcedQuit(context_, session_.Boxes())) {
            session_.Unload();
            close();
        }
        break;
    default:
        break;
    }
}

void frmGameMain::ExecUserButton(int index) {
    if (index == 0) {
        OpenUserSet();
    } else if (index == 1) {
        if (!openUrl(HelpPageUrl(context_.define.strAppPath, qEnvironmentVariable("REDTEN_HELP_HOST")))) {
            ShowHelpHere();
        }
    }
}

void frmGameMain::ShowHelpHere() {
    if (!help_) {
        help_ = new HelpWindow(HelpPageUrl(context_.define.strAppPath, {}).toLocalFile().toStdString(),
                               QString::fromStdString(context_.launch.strGameTitle + "帮助"), this);
    }
    help_->show();
    help_->raise();
    help_->activateWindow();
}

void frmGameMain::mouseMoveEvent(QMouseEvent* event) {
    if (context_.BlastRunning()) {
        return;
    }
    const QPoint at = event->position().toPoint();
    HoverSysButton(frame_.HitSysButton(at.x(), at.y()));
}

void frmGameMain::leaveEvent(QEvent*) { HoverSysButton(-1); }

void frmGameMain::mousePressEvent(QMouseEvent* event) {
    if (context_.BlastRunning() || event->button() != Qt::LeftButton ||
        frame_.strFrameZone.empty() || isMaximized()) {
        return;
    }
    BeginFrameDrag();
}

void frmGameMain::mouseReleaseEvent(QMouseEvent* event) {
    if (context_.BlastRunning() || event->button() != Qt::LeftButton ||
        !frame_.strFrameZone.empty()) {
        return;
    }
    const QPoint at = event->position().toPoint();
    const int i = frame_.HitSysButton(at.x(), at.y());
    if (i >= 0) {
        ExecSysButton(i);
    }
}

// ---- The user list's clicks and the user menu ------------------------------

void frmGameMain::OnUserClicked(bool openMenu, const std::string& name, const std::string& record) {
    if (!openMenu) {
        session_.Chat().SetAddressee(name);
        return;
    }
    if (!userMenu_) {
        userMenu_ = new frmUserMenu(this);
        connect(userMenu_, &frmUserMenu::ItemChosen, this, [this](int index) {
            ExecUserMenu(index);
            // Choosing forgets the menu; the next one is made afresh.
            userMenu_->deleteLater();
            userMenu_ = nullptr;
        });
    }
    userMenu_->Build(record, context_.define, context_.launch.bteScoreMode != 0);
    userMenu_->Popup(QCursor::pos());
}

void frmGameMain::ExecUserMenu(int lngUserMenuItemIdx) {
    if (!userMenu_) {
        return;
    }
    const std::string tag = userMenu_->Tag(lngUserMenuItemIdx);
    if (!tag.empty() && lngUserMenuItemIdx == frmUserMenu::kTalkItem) {
        session_.Chat().SetAddressee(tag);
    }
}

// ---- Dialogs, the link and unloading ---------------------------------------

void frmGameMain::OpenUserSet() {
    // One dialog at a time: a second click brings it forward. Closing
    // forgets it; the next opening creates it anew.
    if (!userSet_) {
        auto* dialog = new frmUserSet(context_.userSet, session_.UserSetPath(), session_.Sender(),
                                     context_.launch.strMyName, this);
        connect(dialog, &frmUserSet::SaveFailed, this, [](const QString& path) {
            ShowSystemMessageBox("个人设置没有保存下来，只在这次游戏中有效。请检查能否写入文件 " +
                                     path.toStdString() + "。",
                                 "用户设置", SystemBoxIcon::Exclamation);
        });
        userSet_ = dialog;
    }
    userSet_->show();
    userSet_->raise();
    userSet_->activateWindow();
}

void frmGameMain::OnSessionUnloaded() {
    // Every other window of the program goes with this one.
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget != this && widget->isWindow() && widget->isVisible()) {
            widget->close();
        }
    }
    if (userMenu_) {
        userMenu_->Menu().close();
    }
    tmrForm.stop();
}

void frmGameMain::closeEvent(QCloseEvent* event) {
    // Every close the user asks for (the window manager's, Alt+F4) passes
    // the close guard; the program's own closes unload directly.
    if (!session_.IsUnloading() && !AskForcedQuit(context_, session_.Boxes())) {
        event->ignore();
        return;
    }
    session_.Unload();
    event->accept();
}

}  // namespace redten
