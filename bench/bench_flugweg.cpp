#include "platform/ImageSurface.h"
#include "world/FlugwegLayer.h"
#include "world/I_Flugzeug.h"
#include "world/InstrumentFactory.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <numbers>

namespace {

// One flying step of the active aircraft on a map of the design size, the
// aircraft turning slowly so that the track keeps adding segments. Arg 0:
// no track layer; 1: the track recorded but hidden; 2: recorded and shown.
// What the track costs per step is the difference to row 0.
void BM_FlugwegStep(benchmark::State& state) {
    SetInstrumentFactory(nullptr); // the aircraft alone, without instruments
    ImageSurface nav;
    nav.SetBitmapSize(913, 384);
    nav.Bitmap().Fill(0xFFFFFFFF);
    ImageSurface instr;
    instr.SetBitmapSize(750, 247);
    const auto plane = TFlugzeug::Create(&nav, &instr, {450, 190}, 0, nullptr);
    plane->SetSelected(true);
    const auto track = std::make_shared<TFlugwegLayer>(&nav);
    if (state.range(0) > 0) {
        track->SetPlane(plane);
        track->SetShown(state.range(0) > 1);
    }
    float heading = 0;
    for (auto _ : state) {
        heading += 0.5f;
        const float a = heading * std::numbers::pi_v<float> / 180.0f;
        const TSinglePoint p = plane->GetPosition();
        plane->SetPosition({p.X + 1.5f * std::sin(a), p.Y - 1.5f * std::cos(a)});
    }
    state.counters["points"] = static_cast<double>(plane->Flugweg().Size());
    track->SetPlane(nullptr);
}
BENCHMARK(BM_FlugwegStep)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);

} // namespace
