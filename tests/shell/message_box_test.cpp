#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "platform/qt_translations.h"
#include "shell/message_box.h"
#include "support/room_server.h"

namespace redten {
namespace {

using test::WaitUntil;

QString NoButtonText(frmMsg* box) {
    for (QPushButton* b : box->findChildren<QPushButton*>()) {
        if (b->text().contains("(&N)")) {
            return b->text();
        }
    }
    return {};
}

TEST(QtTranslations, QtsOwnButtonsReadInChinese) {
    ASSERT_TRUE(InstallQtChineseTranslations(*QCoreApplication::instance()));
    QMessageBox box(QMessageBox::Warning, "红十", "出牌错误：牌型不对！", QMessageBox::Ok | QMessageBox::Cancel);
    EXPECT_EQ(box.button(QMessageBox::Ok)->text(), "确定");
    EXPECT_EQ(box.button(QMessageBox::Cancel)->text(), "取消");
}

TEST(MessageBox, SlotsAreReusedOnceFree) {
    MessageBoxPool pool("/nonexistent/");
    pool.InitGlobalMsg();
    pool.ShowGlobalMsg(0, 0, "等待桌主进行本桌游戏设置...", "", 0, "", "", true);
    pool.ShowGlobalMsg(0, 0, "第二个", "", 0, "", "", true);
    auto open = pool.OpenBoxes();
    ASSERT_EQ(open.size(), 2u);
    EXPECT_EQ(open[0]->lngMsgObjectIdx, 0);
    EXPECT_EQ(open[1]->lngMsgObjectIdx, 1);
    EXPECT_TRUE(open[0]->windowTitle().isEmpty());
    pool.CloseGlobalMsg(0);
    EXPECT_TRUE(pool.OpenBoxes().empty());
    pool.ShowGlobalMsg(0, 0, "又一个", "", 0, "", "", true);
    ASSERT_EQ(pool.OpenBoxes().size(), 1u);
    EXPECT_EQ(pool.OpenBoxes()[0]->lngMsgObjectIdx, 0);
    pool.CloseGlobalMsg(0);
}

TEST(MessageBox, AQuestionCountsDownOnItsDefaultButtonAndAnswersByItself) {
    MessageBoxPool pool("/nonexistent/");
    pool.InitGlobalMsg();
    std::vector<QString> captions;
    // While the modal box is up, the program's events keep running.
    QTimer::singleShot(0, [&] {
        frmMsg* box = pool.OpenBoxes().at(0);
        EXPECT_EQ(box->windowTitle(), QString("系统提示"));
        for (int i = 0; i < 3; ++i) {
            box->TickOnce();
            captions.push_back(NoButtonText(box));
        }
        for (int i = 0; i < 10; ++i) {
            box->TickOnce();
        }
    });
    const bool answer = pool.ShowGlobalMsg(
        0, 2, "大伙正在游戏，如果你现在退出是很不道德的，并且系统会算你逃跑！你是否强退？",
        "系统提示", 10, "强退", "取消", false);
    EXPECT_FALSE(answer);
    EXPECT_EQ(captions, (std::vector<QString>{"取消(&N) 10", "取消(&N) 9", "取消(&N) 8"}));
    EXPECT_TRUE(pool.OpenBoxes().empty());
}

TEST(MessageBox, ANoticeAnswersYesAndClosingFromCodeKeepsTheLastAnswer) {
    MessageBoxPool pool("/nonexistent/");
    pool.InitGlobalMsg();
    QTimer::singleShot(0, [&] { pool.OpenBoxes().at(0)->Press(0); });
    EXPECT_TRUE(pool.ShowGlobalMsg(0, 1, "本局游戏结束!", "红十", 10, "确定", "", true));
    // The same slot, closed by a room message while up: the slot's last
    // answer comes back.
    QTimer::singleShot(0, [&] { pool.CloseGlobalMsg(0); });
    EXPECT_TRUE(pool.ShowGlobalMsg(0, 2, "问题", "红十", 10, "是", "否", false));
}

TEST(MessageBox, ZeroSecondsAnswersOnTheFirstTick) {
    MessageBoxPool pool("/nonexistent/");
    pool.InitGlobalMsg();
    QTimer::singleShot(0, [&] { pool.OpenBoxes().at(0)->TickOnce(); });
    EXPECT_TRUE(pool.ShowGlobalMsg(0, 1, "提示", "红十", 0, "确定", "", true));
}

}  // namespace
}  // namespace redten
