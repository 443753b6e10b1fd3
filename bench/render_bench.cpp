// How long the table's drawing takes.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>

#include <cstring>

#include "render/blit.h"
#include "render/table_painter.h"

namespace redten {
namespace {

void BM_MaskedCard(benchmark::State& state) {
    QImage area(1880, 1000, QImage::Format_RGB32);
    area.fill(qRgb(20, 100, 40));
    QImage mask(80, 105, QImage::Format_RGB32);
    mask.fill(qRgb(0, 0, 0));
    QImage face(80, 105, QImage::Format_RGB32);
    face.fill(qRgb(250, 250, 240));
    int x = 0;
    for (auto _ : state) {
        BlitMasked(area, 400 + (x++ % 13) * 18, 700, mask, face);
        benchmark::DoNotOptimize(area.constBits());
    }
}
BENCHMARK(BM_MaskedCard);

// A table in the middle of a game: a 13-card own hand, three rows of
// backs, four played rows.
struct Table {
    Table(int w, int h, qreal ratio = 1) {
        context.programDirectory = REDTEN_TABLE_DIR;
        InitPublicDefine(context.define, context.programDirectory, "");
        images = std::make_unique<ImageStore>(context.define.strAppPath, context.define.strParentPath);
        const char* names[] = {"甲", "乙", "丙", "丁"};
        for (int s = 0; s < 4; ++s) {
            context.game.udtUser[s].strUserName = names[s];
            context.game.udtUser[s].bteCardCount = 13;
            context.game.udtUser[s].bteOutPai = {static_cast<std::uint8_t>(s), 14, 27};
        }
        context.define.strViewUserName = "甲";
        CalcViewPos(context.define, {names[0], names[1], names[2], names[3]}, "甲");
        context.game.blnNoDeal = 0;
        context.game.blnShowOtherBack = 1;
        context.game.bteMyPai = {59, 12, 11, 24, 10, 9, 8, 20, 6, 5, 4, 16, 0};
        painter = std::make_unique<TablePainter>(context, area, *images);
        area.onResized = [this] { painter->DrawFrame(); };
        area.SetRatio(ratio);
        area.resize(w, h);
        area.show();
    }
    ClientContext context;
    GameArea area;
    std::unique_ptr<ImageStore> images;
    std::unique_ptr<TablePainter> painter;
};

// A whole frame of a busy table, as every change of the table draws it.
void BM_Frame(benchmark::State& state) {
    Table table(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    for (auto _ : state) {
        table.painter->DrawFrame();
    }
}
BENCHMARK(BM_Frame)->Args({1366, 736})->Args({1880, 1000})->Unit(benchmark::kMicrosecond);

// The same table on a screen of twice the density: 3760 × 2000 pixels.
void BM_FrameAtTwo(benchmark::State& state) {
    Table table(1880, 1000, 2);
    for (auto _ : state) {
        table.painter->DrawFrame();
    }
}
BENCHMARK(BM_FrameAtTwo)->Unit(benchmark::kMicrosecond);

// The floor a repaint is measured against: one copy of the whole
// framebuffer, at 1 and at 2.
void BM_FramebufferCopy(benchmark::State& state) {
    const int ratio = static_cast<int>(state.range(0));
    QImage from(1880 * ratio, 1000 * ratio, QImage::Format_RGB32);
    from.fill(qRgb(20, 100, 40));
    QImage to(from.size(), QImage::Format_RGB32);
    for (auto _ : state) {
        std::memcpy(to.bits(), from.constBits(), static_cast<std::size_t>(from.sizeInBytes()));
        benchmark::DoNotOptimize(to.constBits());
    }
}
BENCHMARK(BM_FramebufferCopy)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace redten

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
