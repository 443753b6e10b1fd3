#include <gtest/gtest.h>

#include <QMouseEvent>
#include <QTest>

#include "game/brain_fixture.h"
#include "game/hand_interaction.h"
#include "render/table_painter.h"
#include "rules/pai_type.h"
#include "wire/client_messages.h"

namespace redten::test {
namespace {

// The real game area with the generated pictures, the real painter and
// mouse events as Qt delivers them; the link and the boxes are recorded.
class HandTest : public testing::Test {
protected:
    HandTest() {
        context.programDirectory = REDTEN_TABLE_DIR;
        context.launch.strGameTitle = "红十";
        context.launch.strMyName = "张三";
        InitPublicDefine(context.define, context.programDirectory, "");
        const char* names[] = {"张三", "李四", "王五", "赵六"};
        for (int s = 0; s < 4; ++s) {
            context.game.udtUser[s].strUserName = names[s];
            context.game.udtUser[s].bteCardCount = 13;
        }
        context.define.strViewUserName = "张三";
        CalcViewPos(context.define, {names[0], names[1], names[2], names[3]}, "张三");
        context.game.blnNoDeal = 0;
        context.game.bteMyPai = {0, 14, 28, 3, 4, 17, 30, 9, 22, 35, 11, 12, 59};
        images = std::make_unique<ImageStore>(context.define.strAppPath, context.define.strParentPath);
        painter = std::make_unique<TablePainter>(context, area, *images);
        area.onResized = [this] { painter->DrawFrame(); };
        area.resize(1366, 736);
        area.show();
        area.installEventFilter(&mouse);
    }

    // The own turn in a phase, with its buttons up.
    void OwnTurn(std::uint8_t phase, MaxOutPai toBeat = {}) {
        context.game.hints.lngHintCount = 0;  // as every game message does
        context.game.bteGameState = phase;
        context.game.bteCurSeat = 0;
        context.game.udtMaxOutPai = toBeat;
        flow.ShowGameState();
        painter->DrawFrame();
    }

    QPoint CardPoint(int k) const {  // the visible strip of card k (1-based)
        const PixelPoint h = painter->Layout().PaiPos[2];
        const int n = static_cast<int>(context.game.bteMyPai.size());
        const int left = h.x - ((n - 1) * PkStepX + PkWidth) / 2;
        return QPoint(left + (k - 1) * PkStepX + 5, h.y + 50);
    }
    QPoint OutButton(int i) const {
        const PixelPoint b = painter->Buttons().OutButtonPos(i);
        return QPoint(b.x + 30, b.y + 14);
    }
    void Click(QPoint at, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mouseMove(&area, QPoint(2, 2));  // from elsewhere, so the button lights
        QTest::mouseMove(&area, at);
        QTest::mouseClick(&area, button, Qt::NoModifier, at);
    }
    std::vector<std::uint8_t> Selected() const {
        std::vector<std::uint8_t> s = context.game.bteSelected;
        s.resize(context.game.bteMyPai.size(), 0);
        return s;
    }

    // As the window does: what lies under the pointer in the last frame
    // goes to the hand, and a new frame follows every event.
    struct Mouse final : QObject {
        explicit Mouse(HandTest* t) : test(t) {}
        HandTest* test;
        bool eventFilter(QObject*, QEvent* event) override {
            const auto type = event->type();
            if (type != QEvent::MouseMove && type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease) {
                return false;
            }
            const auto* m = static_cast<QMouseEvent*>(event);
            const TablePoint at = test->painter->At(m->position().toPoint().x(), m->position().toPoint().y());
            if (type == QEvent::MouseButtonRelease) {
                test->hand.MouseUp(m->button() == Qt::LeftButton    ? MouseButton::Left
                                   : m->button() == Qt::RightButton ? MouseButton::Right
                                                                    : MouseButton::Other,
                                   at);
            } else {
                test->hand.MouseMove(at);
            }
            test->painter->DrawFrame();
            return false;
        }
    } mouse{this};

    ClientContext context;
    GameArea area;
    std::unique_ptr<ImageStore> images;
    std::unique_ptr<TablePainter> painter;
    RecordedParts parts;
    RecordingSender& link = parts.link;
    RecordingBoxes& boxes = parts.boxes;
    TurnFlow flow{context, parts.services, false};
    HandInteraction hand{context, flow};

};

TEST_F(HandTest, LeftClicksPickCardsUpAndPutThemBack) {
    OwnTurn(kPhaseLead);
    Click(CardPoint(3));
    EXPECT_EQ(Selected()[2], 1);
    // Above the row, the raised card still answers.
    const QPoint above(CardPoint(3).x(), painter->Layout().PaiPos[2].y - 10);
    Click(above);
    EXPECT_EQ(Selected()[2], 0);
    EXPECT_TRUE(link.sent.empty());
}

TEST_F(HandTest, ARightClickPlaysTheSelectionOnlyOnTheOwnTurn) {
    OwnTurn(kPhaseLead);
    Click(CardPoint(1));
    Click(QPoint(300, 300), Qt::RightButton);  // off the cards
    ASSERT_EQ(link.sent.size(), 1u);
    EXPECT_EQ(link.sent[0], MakePlay(0, CardList{0}));

    link.sent.clear();
    context.game.bteCurSeat = 1;  // somebody else's turn
    Click(QPoint(300, 300), Qt::RightButton);
    EXPECT_TRUE(link.sent.empty());
}

TEST_F(HandTest, PlayingNothingSendsNothingAndABadLeadIsRefused) {
    OwnTurn(kPhaseLead);
    Click(OutButton(0));
    EXPECT_TRUE(link.sent.empty());
    Click(CardPoint(1));  // a three
    Click(CardPoint(4));  // a six
    Click(OutButton(0));
    EXPECT_TRUE(link.sent.empty());
    ASSERT_EQ(boxes.system.size(), 1u);
    EXPECT_EQ(boxes.system[0].text, "出牌错误：牌型不对！");
    EXPECT_EQ(boxes.system[0].caption, "红十");
    EXPECT_EQ(Selected()[0], 1);  // a refused play keeps the selection
}

TEST_F(HandTest, HintCyclesThroughItsSuggestionsAndPassesWhenNothingBeats) {
    context.game.bteMyPai = {0, 18, 31, 11, 24};
    OwnTurn(kPhaseFollow, MaxOutPai{1, kTypeSingle, 5, 1});
    Click(OutButton(2));
    const auto first = Selected();
    Click(OutButton(2));
    const auto second = Selected();
    Click(OutButton(2));
    EXPECT_EQ(Selected(), first);
    EXPECT_NE(first, second);
    EXPECT_TRUE(link.sent.empty());

    OwnTurn(kPhaseFollow, MaxOutPai{1, kTypeRedTens, 59, 2});
    Click(OutButton(2));
    ASSERT_EQ(link.sent.size(), 1u);
    EXPECT_EQ(link.sent[0], MakePass(0));
    EXPECT_EQ(context.controls.bteOutState, (std::array<ButtonState, 3>{}));
}

TEST_F(HandTest, AButtonThatAppearsUnderAStillPointerTakesTheClick) {
    OwnTurn(kPhaseFollow, MaxOutPai{1, kTypeSingle, 5, 1});
    Click(OutButton(1));  // 不出
    ASSERT_EQ(link.sent, std::vector<Bytes>{MakePass(0)});
    // The next turn brings the buttons back under the pointer, which stays.
    OwnTurn(kPhaseFollow, MaxOutPai{2, kTypeSingle, 5, 1});
    QTest::mouseClick(&area, Qt::LeftButton, Qt::NoModifier, OutButton(1));
    EXPECT_EQ(link.sent, (std::vector<Bytes>{MakePass(0), MakePass(0)}));
}

TEST_F(HandTest, SortTwiceAndThePreviousTrickForTwoTicks) {
    OwnTurn(kPhaseFollow, MaxOutPai{1, kTypeSingle, 5, 1});
    const PixelPoint opt = painter->Layout().OptionButtonPos;
    const CardList dealt = context.game.bteMyPai;
    Click(QPoint(opt.x + 20, opt.y + 12));
    CardList grouped = dealt;
    PaiGroups groups;
    SortPaiByGroup(grouped, groups);
    EXPECT_EQ(context.game.bteMyPai, grouped);
    Click(QPoint(opt.x + 20, opt.y + 12));
    CardList plain = grouped;
    SortPai(plain);
    EXPECT_EQ(context.game.bteMyPai, plain);

    context.game.udtUser[1].bteLastOutPai = {44};
    Click(QPoint(opt.x + 20, opt.y + 29 + 12));
    EXPECT_TRUE(hand.ShowingPreviousTrick());
    hand.OnPaintLastOutPaiTick();
    EXPECT_TRUE(hand.ShowingPreviousTrick());
    hand.OnPaintLastOutPaiTick();
    EXPECT_FALSE(hand.ShowingPreviousTrick());
}

TEST_F(HandTest, ASpectatorsClicksSelectNothing) {
    context.define.blnPangGuan = true;
    OwnTurn(kPhaseLead);
    Click(CardPoint(2));
    Click(QPoint(300, 300), Qt::RightButton);
    EXPECT_EQ(Selected(), std::vector<std::uint8_t>(13, 0));
    EXPECT_TRUE(link.sent.empty());
}

}  // namespace
}  // namespace redten::test
