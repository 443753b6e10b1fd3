#pragma once

#include <gtest/gtest.h>

#include <QDir>

#include <algorithm>
#include <cstdlib>

#include "render/table_painter.h"
#include "shell/main_layout.h"

namespace redten {

// The table as the generated resources draw it, on a game area of a fixed
// size; snapshots land in build/snapshots/ for people to look at.
class TablePicture : public testing::Test {
protected:
    TablePicture() {
        context.programDirectory = REDTEN_TABLE_DIR;
        context.launch.strMyName = "张三";
        InitPublicDefine(context.define, context.programDirectory, "");
        images = std::make_unique<ImageStore>(context.define.strAppPath, context.define.strParentPath);
        const char* names[] = {"张三", "李四", "王五", "赵六六六六六六六六六"};
        for (int s = 0; s < 4; ++s) {
            context.game.udtUser[s].strUserName = names[s];
            context.game.udtUser[s].lngIconNo = 1000 + s;
        }
        context.define.strViewUserName = "张三";
        CalcViewPos(context.define, {names[0], names[1], names[2], names[3]}, "张三");
        painter = std::make_unique<TablePainter>(context, area, *images);
        area.onResized = [this] { painter->DrawFrame(); };
        area.resize(1366, 736);
        area.show();  // a shown area takes its size, lays out and paints
    }

    void Deal() {
        context.game.blnNoDeal = 0;
        context.game.blnShowOtherBack = 1;
        context.game.bteMyPai = {59, 12, 11, 24, 10, 9, 8, 20, 6, 5, 4, 16, 0};
        for (auto& u : context.game.udtUser) {
            u.bteCardCount = 13;
        }
        painter->DrawFrame();
    }

    void Snapshot(const std::string& name) {
        QDir().mkpath(REDTEN_SNAPSHOT_DIR);
        area.Surface().save(QString(REDTEN_SNAPSHOT_DIR) + "/" + QString::fromStdString(name) + ".png");
    }

    // The whole area with the widgets on it, such as the start button.
    void SnapshotWithWidgets(const std::string& name) {
        QDir().mkpath(REDTEN_SNAPSHOT_DIR);
        area.grab().save(QString(REDTEN_SNAPSHOT_DIR) + "/" + QString::fromStdString(name) +
                         ".png");
    }

    // The game area as the window lays it out on a 1366 × 768 screen, the
    // window taking the screen less 32 rows.
    void SizeAsTheShell() {
        LayoutState state = InitialLayout(QSize(1366, 768));
        ShellRects rects;
        LayoutMainWindow(state, QSize(1366, 768 - 32), rects);
        area.resize(rects.gameFrame.size());
    }

    // The buttons as the turn flow sets them, then a frame.
    void ShowOutButtons() {
        auto& out = context.controls.bteOutState;
        out.fill(ButtonState::Hidden);
        std::fill_n(out.begin(), context.game.bteGameState == kPhaseLead ? 1 : 3, ButtonState::Shown);
        painter->DrawFrame();
    }
    void HideOutButtons() {
        context.controls.bteOutState.fill(ButtonState::Hidden);
        painter->DrawFrame();
    }
    void ShowLiangPanel() {
        auto& buttons = context.controls.bteLiangState;
        buttons.fill(ButtonState::Hidden);
        std::fill_n(buttons.begin(), context.game.bteLiangMode == 2 ? 3 : 2, ButtonState::Shown);
        painter->DrawFrame();
    }
    void HideLiangPanel() {
        context.game.bteLiangMode = 0;
        context.game.blnFollowLiang = 0;
        context.controls.bteLiangState.fill(ButtonState::Hidden);
        painter->DrawFrame();
    }

    QRgb At(int x, int y) { return area.Surface().pixel(x, y) & 0xFFFFFF; }

    // Pixels of r that differ by more than the cloth's weave, which a restored
    // block may show shifted.
    static int Differences(const QImage& a, const QImage& b, const QRect& r) {
        int n = 0;
        for (int y = r.top(); y <= r.bottom(); ++y) {
            for (int x = r.left(); x <= r.right(); ++x) {
                const QRgb p = a.pixel(x, y);
                const QRgb q = b.pixel(x, y);
                n += std::abs(qRed(p) - qRed(q)) > 6 || std::abs(qGreen(p) - qGreen(q)) > 6 ||
                     std::abs(qBlue(p) - qBlue(q)) > 6;
            }
        }
        return n;
    }

    ClientContext context;
    GameArea area;
    std::unique_ptr<ImageStore> images;
    std::unique_ptr<TablePainter> painter;
};


}  // namespace redten
