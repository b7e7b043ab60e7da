#include "platform/Bitmap32.h"
#include "tests/support/rastercases.h"

#include <benchmark/benchmark.h>

#include <string>

// Every drawing operation of Bitmap32 side by side with QPainter doing the
// same on an image of the same size, in the cases of the comparison test
// (tests/support/rastercases.cpp):
//   ./build/bench/peilomat-bench --benchmark_filter=BM_Raster --benchmark_repetitions=5
// Both draw the case again and again on the same picture; "ours" includes
// the bitmap's accounting of what it touched. Where Bitmap32 draws with
// QPainter itself (Fill, FrameRect, CopyFrom, BlendFrom) the pair
// shows what that accounting costs; elsewhere Bitmap32 keeps its own
// rasteriser because the QPainter side was slower, or drew otherwise.
namespace {

void RunOurs(benchmark::State& state, const TRasterCase& c) {
    Bitmap32 b(c.size.width(), c.size.height());
    b.Fill(c.background);
    for (auto _ : state) {
        c.ours(b);
        benchmark::DoNotOptimize(b.Image().constBits());
    }
}

void RunPainter(benchmark::State& state, const TRasterCase& c) {
    QImage image = RasterCanvas(c);
    for (auto _ : state) {
        c.painter(image);
        benchmark::DoNotOptimize(image.constBits());
    }
}

const bool registered = [] {
    for (const TRasterCase& c : RasterCases()) {
        const std::string name = "BM_Raster/" + c.name.toStdString();
        benchmark::RegisterBenchmark((name + "/ours").c_str(), RunOurs, c)->Unit(benchmark::kMicrosecond);
        if (c.painter)
            benchmark::RegisterBenchmark((name + "/qpainter").c_str(), RunPainter, c)
                ->Unit(benchmark::kMicrosecond);
    }
    return true;
}();

} // namespace
