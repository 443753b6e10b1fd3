// How long the table's drawing primitives take.
#include <benchmark/benchmark.h>

#include <QImage>

#include "render/blit.h"

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

}  // namespace
}  // namespace redten

BENCHMARK_MAIN();
