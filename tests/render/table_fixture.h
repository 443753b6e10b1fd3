#pragma once

#include <gtest/gtest.h>

#include <QDir>

#include "render/table_painter.h"

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
        area.onResized = [this] { painter->OnResized(); };
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
        painter->OnResized();
    }

    void Snapshot(const std::string& name) {
        QDir().mkpath(REDTEN_SNAPSHOT_DIR);
        area.Surface().save(QString(REDTEN_SNAPSHOT_DIR) + "/" + QString::fromStdString(name) + ".png");
    }

    QRgb At(int x, int y) { return area.Surface().pixel(x, y) & 0xFFFFFF; }

    ClientContext context;
    GameArea area;
    std::unique_ptr<ImageStore> images;
    std::unique_ptr<TablePainter> painter;
};


}  // namespace redten
