#include <gtest/gtest.h>

#include "game/brain_fixture.h"
#include "shell/close_guard.h"

namespace redten::test {
namespace {

// Answers the question as told, and remembers it was asked.
struct AnsweringBoxes final : MessageBoxes {
    bool answer = false;
    std::vector<std::string> asked;
    void InitGlobalMsg() override {}
    bool ShowGlobalMsg(std::int32_t, std::uint8_t type, const std::string& note, const std::string& caption,
                       std::int32_t seconds, const std::string& yes, const std::string& no,
                       bool yesDefault) override {
        asked.push_back(std::to_string(type) + "|" + note + "|" + caption + "|" + std::to_string(seconds) +
                        "|" + yes + "|" + no + "|" + (yesDefault ? "yes" : "no"));
        return answer;
    }
    void CloseGlobalMsg(std::int32_t) override {}
    void ShowNotice(const std::string&, const std::string&, std::int32_t, std::function<void()>) override {}
    void ShowSystemBox(const std::string&, const std::string&, SystemBoxIcon) override {}
};

class CloseGuard : public testing::Test {
protected:
    CloseGuard() {
        context.game.blnNoDeal = 0;  // a hand is running
        context.define.blnPangGuan = false;
        context.define.blnWaitStart = false;
    }
    ClientContext context;
    AnsweringBoxes boxes;
};

TEST_F(CloseGuard, ASeatedPlayerInAHandIsAskedAndMayStay) {
    EXPECT_FALSE(AskForcedQuit(context, boxes));
    ASSERT_EQ(boxes.asked.size(), 1u);
    EXPECT_EQ(boxes.asked[0],
              "2|大伙正在游戏，如果你现在退出是很不道德的，并且系统会算你逃跑！你是否强退？|系统提示|10|强退|取消|no");
    boxes.answer = true;
    EXPECT_TRUE(AskForcedQuit(context, boxes));
}

TEST_F(CloseGuard, NobodyIsAskedWhoIsNotInTheMiddleOfAHand) {
    context.define.blnPangGuan = true;  // watching
    EXPECT_TRUE(AskForcedQuit(context, boxes));
    context.define.blnPangGuan = false;
    context.userSet.bteUserSet[kSetWarnForceQuit] = 0;  // does not want to be asked
    EXPECT_TRUE(AskForcedQuit(context, boxes));
    context.userSet.bteUserSet[kSetWarnForceQuit] = 1;
    context.define.blnWaitStart = true;  // the hand is settled
    EXPECT_TRUE(AskForcedQuit(context, boxes));
    context.define.blnWaitStart = false;
    context.game.blnNoDeal = -1;  // no hand yet
    EXPECT_TRUE(AskForcedQuit(context, boxes));
    EXPECT_TRUE(boxes.asked.empty());
}

}  // namespace
}  // namespace redten::test
