#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <QImage>
#include <QLineEdit>
#include <QTableWidget>
#include <QTextBrowser>
#include <QTextEdit>
#include <QTemporaryDir>
#include <QTimer>

#include "components/room_link.h"
#include "components/web_view.h"
#include "startup/main_window.h"
#include "wire/client_messages.h"
#include "wire/message.h"
#include "wire/text_fields.h"

namespace redten {
namespace {

// A link that never connects and keeps what the table sends.
struct RecordingLink final : RoomLink {
    std::vector<Bytes> sent;
    void Connect(const std::string&, std::int32_t, std::int32_t) override {}
    void Send(const Bytes& message) override { sent.push_back(message); }
    void Close() override { closed = true; }
    bool closed = false;
};

std::string Record(const std::string& name, const std::string& portrait = "0",
                   const std::string& watched = "") {
    return JoinFields({name, "id-" + name, "1200", "150", watched, "40", "55", "2", "22", "16", "2",
                       "0", portrait, "0", "0", "0"});
}

class WindowShell : public testing::Test {
protected:
    WindowShell() {
        context.programDirectory = REDTEN_TABLE_DIR;
        context.launch.strGameTitle = "红十";
        context.launch.strMyName = "张三";
        context.launch.strLevelList = "新手_0`高手_100";
        context.launch.bteScoreMode = 1;
        InitPublicDefine(context.define, context.programDirectory, context.launch.strLevelList);
        auto recording = std::make_unique<RecordingLink>();
        link = recording.get();
        session = std::make_unique<TableSession>(context, std::move(recording));
        window = std::make_unique<frmGameMain>(*session);
        window->openUrl = [this](const QUrl& url) {
            opened.push_back(url);
            return browserOpens;
        };
        window->Load();
        window->Layout() = InitialLayout({1366, 768});
        window->resize(1366, 736);
        window->LayoutMainWindow();
    }

    // A hand is running and the user sits at the table.
    void SitInAHand() {
        context.game.blnNoDeal = 0;
        context.define.blnPangGuan = false;
        context.define.blnWaitStart = false;
        context.userSet.bteUserSet[kSetWarnForceQuit] = 1;
    }
    // Presses a button of the next question box when it shows.
    void AnswerNextBox(int button) {
        QTimer::singleShot(0, [this, button] {
            auto boxes = session->Boxes().OpenBoxes();
            ASSERT_FALSE(boxes.empty());
            boxes.at(0)->Press(button);
        });
    }

    ClientContext context;
    RecordingLink* link = nullptr;
    std::unique_ptr<TableSession> session;
    std::unique_ptr<frmGameMain> window;
    std::vector<QUrl> opened;
    bool browserOpens = true;
};

TEST_F(WindowShell, TheControlsStandWhereTheLayoutPutsThem) {
    window->show();
    EXPECT_EQ(window->Splitter().geometry(), QRect(1048, 35, 12, 696));
    EXPECT_EQ(window->GameFrame().geometry(), QRect(5, 35, 1042, 696));
    EXPECT_EQ(window->Area().geometry(), QRect(0, 0, 1042, 696));
    EXPECT_EQ(window->UserButtons().geometry(), QRect(1062, 35, 298, 33));
    EXPECT_EQ(window->UserListWidget().geometry(), QRect(1062, 68, 298, 188));
    EXPECT_EQ(window->Advertisement().geometry(), QRect(1062, 261, 298, 186));
    EXPECT_EQ(window->Advertisement().Page().geometry(), QRect(4, 3, 290, 180));
    EXPECT_EQ(window->ChatWidget().geometry(), QRect(1062, 452, 298, 278));
    EXPECT_EQ(window->Frame().SysButPos[2], QPoint(1366 - 48, 7));
    EXPECT_EQ(window->Frame().UserButPos[1], QPoint(2 * (298 / 3) - 10, 4));

    // Narrower than the splitter's place: the column hides, the splitter
    // waits at the edge with the caption in sight, and comes back later.
    window->resize(1000, 700);
    window->LayoutMainWindow();
    EXPECT_FALSE(window->UserListWidget().isVisibleTo(window.get()));
    EXPECT_FALSE(window->Advertisement().isVisibleTo(window.get()));
    EXPECT_EQ(window->Splitter().geometry(), QRect(986, 35, 12, 660));
    EXPECT_EQ(window->GameFrame().geometry(), QRect(5, 35, 980, 660));
    window->resize(1366, 736);
    window->LayoutMainWindow();
    EXPECT_EQ(window->Splitter().x(), 1048);
    EXPECT_TRUE(window->UserListWidget().isVisibleTo(window.get()));
}

TEST_F(WindowShell, TheSplitterFoldsTheColumnAndDragsWithinItsLimits) {
    VSplitter& splitter = window->Splitter();
    const int middle = splitter.height() / 2;
    splitter.MouseDown(Qt::LeftButton, {6, middle});
    EXPECT_TRUE(window->Layout().blnColumnFolded);
    EXPECT_EQ(splitter.x(), 1366 - 14);
    EXPECT_FALSE(window->ChatWidget().isVisibleTo(window.get()));
    splitter.MouseDown(Qt::RightButton, {6, middle});  // any button
    EXPECT_FALSE(window->Layout().blnColumnFolded);
    EXPECT_EQ(splitter.x(), 1048);
    EXPECT_TRUE(window->ChatWidget().isVisibleTo(window.get()));

    // Dragged far left: the outline stops at 650, the release clamps there.
    splitter.MouseDown(Qt::LeftButton, {6, 10});
    EXPECT_EQ(splitter.Mark(), "MOVE");
    ASSERT_EQ(window->Outline().Shown().size(), 1u);
    splitter.MouseMove(Qt::LeftButton, {6 - 300, 10});
    EXPECT_EQ(splitter.DragOutlinePos(), QPoint(748, 35));
    splitter.MouseMove(Qt::LeftButton, {6 - 500, 10});
    EXPECT_EQ(splitter.DragOutlinePos(), QPoint(748, 35));
    ASSERT_EQ(window->Outline().Shown().size(), 1u);
    EXPECT_EQ(window->Outline().Shown()[0].x(), 748);
    splitter.MouseUp(Qt::LeftButton);
    EXPECT_TRUE(window->Outline().Shown().empty());
    EXPECT_EQ(window->Layout().lngSplitterLeft, 650);
    EXPECT_TRUE(window->Layout().blnVSplitMoved);
    EXPECT_EQ(window->GameFrame().width(), 644);

    // Dragged far right: clamped at ScaleWidth - 140.
    splitter.MouseDown(Qt::LeftButton, {6, 10});
    splitter.MouseMove(Qt::LeftButton, {6 + 900, 10});
    splitter.MouseUp(Qt::LeftButton);
    EXPECT_EQ(window->Layout().lngSplitterLeft, 1226);

    // Nothing moves while a bomb goes off; a drag it interrupts is dropped
    // with its outline.
    splitter.MouseDown(Qt::LeftButton, {6, 10});
    splitter.MouseMove(Qt::LeftButton, {6 - 100, 10});
    context.scene.blast = Blast::Bomb;
    splitter.MouseDown(Qt::LeftButton, {6, middle});
    EXPECT_FALSE(window->Layout().blnColumnFolded);
    splitter.MouseUp(Qt::LeftButton);
    EXPECT_TRUE(window->Outline().Shown().empty());
    EXPECT_EQ(window->Layout().lngSplitterLeft, 1226);
    // A release with no drag of its own moves nothing.
    context.scene.blast = Blast::None;
    splitter.MouseUp(Qt::LeftButton);
    EXPECT_TRUE(window->Outline().Shown().empty());
    EXPECT_EQ(window->Layout().lngSplitterLeft, 1226);

    // A folded column stays folded when the window grows.
    splitter.MouseDown(Qt::LeftButton, {6, middle});
    window->resize(1600, 800);
    window->LayoutMainWindow();
    EXPECT_EQ(splitter.x(), 1600 - 14);
    EXPECT_FALSE(window->ChatWidget().isVisibleTo(window.get()));
}

TEST_F(WindowShell, DraggedBarsSnapToTheirLimits) {
    window->UpperBar().move(window->UpperBar().x(), 120);
    emit window->UpperBar().Moved();
    EXPECT_EQ(window->UpperBar().y(), 200);
    EXPECT_EQ(window->UserListWidget().height(), 132);
    EXPECT_EQ(window->Advertisement().geometry().top(), 205);

    window->LowerBar().move(window->LowerBar().x(), 300);
    emit window->LowerBar().Moved();
    EXPECT_EQ(window->LowerBar().y(), 382);
    EXPECT_EQ(window->ChatWidget().y(), 387);
    EXPECT_EQ(window->Layout().lngHSplit1Top, 382);
}

TEST_F(WindowShell, FrameZonesDecideWhatAPressDoes) {
    window->show();
    const QRect outer = window->frameGeometry();
    window->PollFrameZoneAt(outer.topLeft() + QPoint(2, 2));
    EXPECT_EQ(window->Frame().strFrameZone, "LeftUp");
    EXPECT_EQ(window->cursor().shape(), Qt::SizeFDiagCursor);
    window->PollFrameZoneAt(outer.topLeft() + QPoint(300, 20));
    EXPECT_EQ(window->Frame().strFrameZone, "Move");
    const QPoint close = window->Frame().SysButPos[2] + QPoint(10, 10);
    window->PollFrameZoneAt(window->mapToGlobal(close));
    EXPECT_EQ(window->Frame().strFrameZone, "");
    window->PollFrameZoneAt(outer.topLeft() + QPoint(300, 300));
    EXPECT_EQ(window->Frame().strFrameZone, "");
    EXPECT_EQ(window->cursor().shape(), Qt::ArrowCursor);

    // Too small a window grows back within one poll.
    window->setMinimumSize(0, 0);
    window->resize(600, 400);
    window->PollFrameZoneAt(outer.topLeft() + QPoint(300, 300));
    EXPECT_GE(window->width(), 800);
    EXPECT_GE(window->height(), 570);
}

TEST_F(WindowShell, MaximiseAndRestoreSwapTheirPicture) {
    window->show();
    const QImage strip(QDir(REDTEN_TABLE_DIR).filePath("Res/SysMenu.bmp"));
    ASSERT_FALSE(strip.isNull());
    const auto shows = [&](int cell) {
        const QImage shot = window->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QPoint at = window->Frame().SysButPos[1];
        for (int y = 0; y < 21; ++y) {
            for (int x = 0; x < 21; ++x) {
                if (shot.pixel(at.x() + x, at.y() + y) != strip.pixel(cell * 21 + x, y)) {
                    return false;
                }
            }
        }
        return true;
    };
    EXPECT_TRUE(shows(SkinnedFrame::kMaximiseCell));
    window->ExecSysButton(1);
    EXPECT_TRUE(window->isMaximized());
    EXPECT_TRUE(shows(SkinnedFrame::kRestoreCell));
    window->ExecSysButton(1);
    EXPECT_FALSE(window->isMaximized());
    EXPECT_TRUE(shows(SkinnedFrame::kMaximiseCell));
}

TEST_F(WindowShell, ClosingAsksASeatedPlayerInAHand) {
    window->show();
    int unloaded = 0;
    QObject::connect(session.get(), &TableSession::Unloaded, [&] { ++unloaded; });
    SitInAHand();
    AnswerNextBox(1);  // 取消
    window->ExecSysButton(2);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(unloaded, 0);
    AnswerNextBox(1);
    window->close();  // the window manager's close, Alt+F4
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(unloaded, 0);
    EXPECT_TRUE(link->sent.empty());
    AnswerNextBox(0);  // 强退
    window->ExecSysButton(2);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(unloaded, 1);
    // The room hears the walk-out at once, and nothing more arrives.
    EXPECT_EQ(link->sent, std::vector<Bytes>{MakeLeaveTable("张三")});
    EXPECT_TRUE(link->closed);
    EXPECT_FALSE(session->Closing().has_value());
}

TEST_F(WindowShell, ClosingWithoutAHandAsksNothing) {
    window->show();
    SitInAHand();
    context.define.blnWaitStart = true;  // the hand was settled
    window->ExecSysButton(2);
    EXPECT_TRUE(session->IsUnloading());
    EXPECT_FALSE(window->isVisible());
}

TEST_F(WindowShell, TheUserButtonsOpenSettingsAndHelp) {
    window->ExecUserButton(1);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_TRUE(opened[0].toLocalFile().endsWith("help/Mygame/KOVA.htm"));
    window->ExecUserButton(0);
    window->ExecUserButton(0);  // brings the one dialog forward
    EXPECT_EQ(window->findChildren<QDialog*>().size(), 1);
    window->ExecUserButton(7);
    EXPECT_EQ(opened.size(), 1u);
    EXPECT_EQ(window->HelpShown(), nullptr);

    // No browser: the page opens in a window of ours, and its links lead
    // nowhere.
    browserOpens = false;
    window->ExecUserButton(1);
    auto* help = qobject_cast<QTextBrowser*>(window->HelpShown());
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->toPlainText().contains("红十 游戏帮助"));
    EXPECT_FALSE(help->openLinks());
    EXPECT_TRUE(help->isReadOnly());
}

TEST_F(WindowShell, TheUserListShowsEveryoneAndItsClicksPickTheAddressee) {
    session->Users().Add(Record("张三"));
    session->Users().Add(Record("李四", "2005"));
    session->Users().Add(Record("<b>看客</b>", "0", "李四"));
    QTableWidget& table = window->UserListWidget().Table();
    ASSERT_EQ(table.rowCount(), 3);
    ASSERT_EQ(table.columnCount(), 11);
    EXPECT_EQ(table.horizontalHeaderItem(2)->text(), "积分");
    EXPECT_EQ(table.columnWidth(0), 100);
    EXPECT_EQ(table.item(1, 3)->text(), "高手");
    EXPECT_EQ(table.item(2, 0)->text(), "<b>看客</b>");
    EXPECT_EQ(table.item(0, 0)->background().color(), QColor(0, 138, 140));

    window->UserListWidget().ClickRow(2, Qt::LeftButton);  // a spectator too
    EXPECT_EQ(session->Chat().Addressee(), "<b>看客</b>");
    EXPECT_EQ(window->ChatWidget().AddresseeBox().currentText(), "<b>看客</b>");

    window->UserListWidget().ClickRow(1, Qt::RightButton);
    frmUserMenu* menu = window->UserMenu();
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->ItemCount(), 8);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    menu->Popup(screen.bottomRight());
    EXPECT_TRUE(screen.contains(menu->Menu().geometry())) << menu->Menu().geometry().x();
    EXPECT_EQ(menu->Caption(0), "李四   身份：蓝钻会员");
    EXPECT_EQ(menu->Caption(3), "-");
    EXPECT_EQ(menu->Caption(7), "积分:1200   胜:22   输:16   和:2   总局数:40");
    menu->Choose(6);
    EXPECT_EQ(session->Chat().Addressee(), "<b>看客</b>");
    EXPECT_EQ(window->UserMenu(), nullptr);  // a choice forgets the menu

    window->UserListWidget().ClickRow(1, Qt::RightButton);
    ASSERT_NE(window->UserMenu(), nullptr);
    window->UserMenu()->Choose(4);
    EXPECT_EQ(session->Chat().Addressee(), "李四");
}

TEST(UserMenuCaptions, MemberKindsLevelsAndModes) {
    PublicDefine define;
    InitPublicDefine(define, "/tmp/x/table", "新手_0`高手_100");
    const auto captions = [&](const std::string& portrait, bool points = true) {
        return UserMenuCaptions(Record("王五", portrait), define, points);
    };
    EXPECT_EQ(captions("2005")->at(0), "王五   身份：蓝钻会员");
    EXPECT_EQ(captions("5003")->at(0), "王五   身份：电脑玩家");
    EXPECT_EQ(captions("7000")->at(0), "王五   身份：未知身份");
    EXPECT_EQ(captions("999")->at(0), "王五   身份：普通用户");
    EXPECT_EQ(captions("0")->at(1), "游戏ID：id-王五");
    EXPECT_EQ(captions("0")->at(4), "与他（她）交谈");
    EXPECT_EQ(captions("0")->at(6), "级别:高手   胜率:55%   逃跑率:2%");
    EXPECT_EQ(captions("0", false)->at(7).substr(0, 7), "经验:");
    EXPECT_FALSE(UserMenuCaptions("a`b`c", define, true));

    // A record that is not whole leaves the menu as it was.
    frmUserMenu menu;
    menu.Build(Record("王五"), define, true);
    menu.Build("a`b", define, true);
    EXPECT_EQ(menu.Tag(4), "王五");
    EXPECT_EQ(menu.ItemCount(), 8);
}

TEST_F(WindowShell, ChatShowsPlainTextAndSendsTenFields) {
    session->Chat().AddSystemLine("系统<i>消息</i>");
    session->Chat().AddChatLine({"李四", "所有人", "12:00:01", "0", "255", "0", "", "<b>加油</b>"});
    const QString shown = window->ChatWidget().Transcript().toPlainText();
    EXPECT_TRUE(shown.contains("系统<i>消息</i>"));
    EXPECT_TRUE(shown.contains("[12:00:01] 李四 说：<b>加油</b>"));

    session->Chat().SetAddressee("李四");
    window->ChatWidget().Input().setText("  你好  ");
    window->ChatWidget().SendTyped();
    ASSERT_EQ(link->sent.size(), 1u);
    const Bytes& message = link->sent[0];
    ASSERT_FALSE(message.empty());
    EXPECT_EQ(message[0], 1);
    const std::vector<std::string> fields = SplitFields(GetTextFromBytes(message, 1));
    ASSERT_EQ(fields.size(), 10u);
    EXPECT_EQ(fields[0], "张三");
    EXPECT_EQ(fields[1], "李四");
    EXPECT_EQ(fields[7], "0");
    EXPECT_EQ(fields[9], "你好");
    EXPECT_TRUE(window->ChatWidget().Input().text().isEmpty());

    // Nothing typed, nothing sent.
    window->ChatWidget().SendTyped();
    EXPECT_EQ(link->sent.size(), 1u);
}

TEST(PageView, ShowsOnlyFlatText) {
    EXPECT_EQ(FlatPageHtml("<html><head><title>T</title><style>p{}</style></head><body>"
                           "<h3 style=\"color:#b01010\">红十</h3><table><tr><td>a<ul><li>b</li></ul>"
                           "</td></tr></table><script>x()</script><p onclick=\"y\">c<br/></p>"
                           "<span style=\"color:red;background:url(z)\">d</span></body></html>"),
              "<h3 style=\"color:#b01010\">红十</h3>ab<p>c<br></p>d");
    EXPECT_EQ(FlatPageHtml("a<b"), "a");  // a tag cut short ends the page

    // Nesting that would stall the text layout for minutes is only text.
    QString deep;
    for (int i = 0; i < 2000; ++i) {  // 46 KB, within what the view takes
        deep += "<table><tr><td><ul><li>";
    }
    WebView view;
    QTemporaryDir dir;
    const QString file = dir.filePath("deep.htm");
    QFile out(file);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write((deep + "底").toUtf8());
    out.close();
    bool shown = false;
    QObject::connect(&view, &WebView::Finished, [&](bool ok) { shown = ok; });
    view.Navigate(QUrl::fromLocalFile(file));
    EXPECT_TRUE(shown);
    EXPECT_EQ(view.toPlainText(), "底");
}

TEST(UserListModelLimits, AHugeListIsCutWithoutReadingItAll) {
    UserListModel model;
    std::vector<std::string> records;
    for (int i = 0; i < 20000; ++i) {
        records.push_back(Record("p" + std::to_string(i)));
    }
    std::string loaded;
    QObject::connect(&model, &UserList::Loaded, [&](const std::string& names) { loaded = names; });
    model.LoadAll(JoinFields(records));
    EXPECT_EQ(model.Records().size(), UserListModel::kMaxRecords);
    EXPECT_EQ(SplitFields(loaded).size(), UserListModel::kMaxRecords);
    EXPECT_FALSE(model.Find("p511").empty());
    EXPECT_TRUE(model.Find("p512").empty());
    model.Remove("p0");
    model.Add(Record("新来的"));
    EXPECT_FALSE(model.Find("新来的").empty());
    model.Add(Record("新来的", "2005"));  // the same name replaces its record
    EXPECT_EQ(model.Records().size(), UserListModel::kMaxRecords);
    EXPECT_EQ(SplitFields(model.Find("新来的"))[12], "2005");
}

TEST_F(WindowShell, ThePagePaneStaysBlankWithoutAPage) {
    WebView& page = window->Advertisement().Page();
    bool shown = true;
    QObject::connect(&page, &WebView::Finished, [&](bool ok) { shown = ok; });
    page.Navigate(QUrl("none"));
    EXPECT_FALSE(shown);
    EXPECT_TRUE(page.toPlainText().isEmpty());
    page.Navigate(QUrl::fromLocalFile(QDir(REDTEN_TABLE_DIR).filePath("help/Mygame/KOVA.htm")));
    EXPECT_TRUE(shown);
    EXPECT_TRUE(page.toPlainText().contains("红十"));
}

TEST_F(WindowShell, Snapshot) {
    session->Users().Add(Record("张三"));
    session->Users().Add(Record("电脑甲1", "1000"));
    session->Chat().AddSystemLine("张三 进来了...");
    session->Chat().AddChatLine({"电脑甲1", "所有人", "12:00:01", "0", "0", "0", "", "大家好"});
    window->show();
    QDir().mkpath(REDTEN_SNAPSHOT_DIR);
    EXPECT_TRUE(window->grab().save(QDir(REDTEN_SNAPSHOT_DIR).filePath("window-shell.png")));
}

}  // namespace
}  // namespace redten
