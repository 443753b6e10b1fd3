#include <gtest/gtest.h>

#include "game/brain_fixture.h"
#include "game/game_set_dialog.h"
#include "wire/client_messages.h"

namespace redten::test {
namespace {

class GameSet : public testing::Test {
protected:
    GameSet() {
        launch.strGameTitle = "红十";
        launch.strMyName = "张三";
    }
    frmGameSet* Open(bool owner, const std::string& settings = "100`1000`10`50`500`0") {
        EXPECT_TRUE(windows.OpenGameSet(owner, settings));
        return windows.Current();
    }

    LaunchContext launch;
    RecordingSender link;
    RecordingBoxes boxes;
    GameSetWindows windows{link, boxes, launch};
};

TEST_F(GameSet, TheOwnerConfirmsTheProposedSettings) {
    frmGameSet* dialog = Open(true);
    EXPECT_EQ(dialog->windowTitle(), QString("红十 游戏设置"));
    EXPECT_EQ(dialog->SizeBox().text(), QString("100"));
    EXPECT_EQ(dialog->PenaltyBox().text(), QString("50"));
    EXPECT_FALSE(dialog->SizeBox().isReadOnly());
    dialog->PressConfirm();
    ASSERT_EQ(link.sent.size(), 1u);
    EXPECT_EQ(link.sent[0], MakeConfirmSettings("张三", "100`1000`10`50`500`0"));
}

TEST_F(GameSet, OutOfRangeAndOverlongValuesAreRefusedAndNothingIsSent) {
    frmGameSet* dialog = Open(true);
    dialog->SizeBox().setText("5");
    dialog->PressConfirm();
    ASSERT_EQ(boxes.system.size(), 1u);
    EXPECT_EQ(boxes.system[0].text, "本桌大小必须在 10 和 1000 之间！");
    EXPECT_EQ(boxes.system[0].caption, "红十");
    dialog->SizeBox().setText("12345678");
    dialog->PressConfirm();
    EXPECT_EQ(boxes.system.back().text, "每个输入区域的数字不能超过 7 位！");
    dialog->SizeBox().setText("100");
    dialog->PenaltyBox().setText("600");
    dialog->PressConfirm();
    EXPECT_EQ(boxes.system.back().text, "逃跑者扣分大小必须在 0 和 500 之间！");
    EXPECT_TRUE(link.sent.empty());
}

TEST_F(GameSet, OthersAgreeOrLeave) {
    frmGameSet* dialog = Open(false);
    EXPECT_TRUE(dialog->SizeBox().isReadOnly());
    EXPECT_EQ(dialog->ConfirmCaption(), QString("同意"));
    dialog->PressCancel();
    ASSERT_EQ(link.sent.size(), 1u);
    EXPECT_EQ(link.sent[0], MakeLeaveTable("张三"));
    EXPECT_FALSE(windows.OpenGameSet(false, "1`2`3"));
}

TEST_F(GameSet, ANewTriggerReplacesTheOldDialogWithoutAnsweringForIt) {
    Open(false);
    Open(true);
    EXPECT_TRUE(link.sent.empty());
    windows.Current()->close();  // closed by the program
    EXPECT_TRUE(link.sent.empty());
}

TEST_F(GameSet, UntouchedItCountsDownAndAnswersOnTheTwentyFirstTick) {
    frmGameSet* dialog = Open(false);
    dialog->TickOnce();
    EXPECT_EQ(dialog->ConfirmCaption(), QString("同意 20"));
    for (int i = 0; i < 19; ++i) {
        dialog->TickOnce();
    }
    EXPECT_EQ(dialog->ConfirmCaption(), QString("同意 1"));
    EXPECT_TRUE(link.sent.empty());
    dialog->TickOnce();
    ASSERT_EQ(link.sent.size(), 1u);
    EXPECT_EQ(link.sent[0], MakeRaiseHand("张三"));
}

}  // namespace
}  // namespace redten::test
