#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>

#include "pictures/variants.h"

namespace {

// Every file the table loads is in the staged program tree, at the size its
// painter takes it.
TEST(ResourceTree, EveryPictureTheTableLoadsIsThereAtItsSize) {
    const QDir stage(REDTEN_STAGE_DIR);
    struct Expected {
        const char* path;
        int w, h;
    };
    const Expected pictures[] = {
        {"table/Res/ResPk/Pk0.bmp", 80, 105},   {"table/Res/ResPk/Pk51.bmp", 80, 105},
        {"table/Res/ResPk/PkMask.bmp", 80, 105}, {"table/Res/PkBack.bmp", 80, 105},
        {"table/Res/GameBackMid.bmp", 244, 247}, {"table/Res/GameBackVsBian.bmp", 7, 16},
        {"table/Res/GameBackHsBian.bmp", 16, 7}, {"table/Res/GameBackJiao.bmp", 53, 50},
        {"table/Res/BuChu.bmp", 134, 34},        {"table/Res/LiangFlag.bmp", 64, 30},
        {"table/Res/Hand.bmp", 80, 35},          {"table/Res/MingCi.bmp", 144, 46},
        {"table/Res/Clock.bmp", 279, 38},        {"table/Res/TimeBarHead.bmp", 52, 36},
        {"table/Res/TimeBarEnd.bmp", 12, 36},    {"table/Res/UserOptBut.bmp", 176, 24},
        {"table/Res/UserOutBut.bmp", 427, 28},   {"table/Res/LiangHong10.bmp", 270, 20},
        {"table/Res/MsgMid.bmp", 6, 51},         {"table/Res/MsgBian.bmp", 36, 51},
        {"table/Res/ModeMsg.bmp", 126, 28},      {"table/Res/CaptionMid.bmp", 12, 31},
        {"table/Res/CaptionLR.bmp", 15, 31},     {"table/Res/SysMenu.bmp", 168, 21},
        {"table/Res/UserButton.bmp", 164, 25},   {"table/Res/Bomb/b1/Blast001.jpg", 180, 135},
        {"table/Res/Bomb/b1/Blast009.jpg", 180, 135}, {"table/Res/Bomb/b2/Blast015.jpg", 88, 80},
        {"table/Res/VSpliterBk.bmp", 12, 3},     {"table/Res/VSpliterMidBk.bmp", 12, 3},
        {"table/Res/VSpliterMid_Right.bmp", 12, 9}, {"table/Res/VSpliterMid_Left.bmp", 12, 9},
        {"res/Msg0.ico", 32, 32},                {"res/Msg2.ico", 32, 32},
        {"UserRes/LargeUser/0.ico", 32, 32},     {"UserRes/LargeUser/12.ico", 32, 32},
    };
    for (const Expected& e : pictures) {
        const QImage image(stage.filePath(e.path));
        EXPECT_EQ(image.size(), QSize(e.w, e.h)) << e.path;
        // And beside it the same picture for denser screens.
        for (const double scale : {1.5, 2.0}) {
            const QString name = redten::assets::VariantName(QString(e.path), scale);
            const QImage variant(stage.filePath(name));
            EXPECT_EQ(variant.size(), QSize(qRound(e.w * scale), qRound(e.h * scale))) << name.toStdString();
        }
    }
    for (const char* wave : {"Start", "Liang", "OutPai", "Pass", "Hong10", "ZhaDan", "Warning",
                             "End", "PangGuanIn", "PangGuanOut"}) {
        QFile file(stage.filePath(QString("table/Res/Sound/%1.wav").arg(wave)));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << wave;
        const QByteArray head = file.read(12);
        EXPECT_TRUE(head.startsWith("RIFF") && head.endsWith("WAVE")) << wave;
        EXPECT_GT(file.size(), 1000) << wave;
    }
    EXPECT_TRUE(QFile::exists(stage.filePath("table/Res/DaoJu/DaoJuInfo.ini")));
}

}  // namespace
