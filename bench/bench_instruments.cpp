// Instrument drawing costs: a complete face repaint per type, and the needle
// (or bar) update an aircraft move causes, on a visible, bound and tuned
// instrument in the left panel slot.

#include "instruments/I_Instrumente.h"
#include "platform/ImageSurface.h"
#include "world/I_Flugzeug.h"
#include "world/I_Stations.h"
#include "world/RadialLayer.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <numbers>

namespace {

const TSinglePoint kStation{400.0f, 300.0f};
const TSinglePoint kStation2{700.0f, 200.0f};

TSinglePoint OnRadial(float radialDeg, float distance) {
    const float a = radialDeg * std::numbers::pi_v<float> / 180.0f;
    return {kStation.X + distance * std::sin(a), kStation.Y - distance * std::cos(a)};
}

// One aircraft with one instrument of the given type in slot 0, set up the
// way the program does it.
struct TBenchRig {
    explicit TBenchRig(int code) {
        nav.SetBitmapSize(1000, 800);
        panel.SetBitmapSize(750, 250);
        radial = std::make_shared<TRadialLayer>([] {});
        // On radial 95 of the station: 5 degrees off a 090 course, so that
        // small moves change the deviation without crossing TO/FROM.
        start = OnRadial(95.0f, 150.0f);
        plane = TFlugzeug::Create(&nav, &panel, start, 0, radial);
        plane->SetSelected(true);
        plane->SetValue(30.0f);
        const bool vorType = code == 4 || code == 5;
        if (vorType)
            station = TVOR_S::Create(&nav, kStation, QStringLiteral("1"), 0);
        else
            station = TNDB_S::Create(&nav, kStation, QStringLiteral("1"), 0);
        plane->AddInstrument(code, 0, true);
        instrument = plane->GetInstrument(0);
        if (auto tuned = std::dynamic_pointer_cast<IInstrumentMitStation>(instrument))
            tuned->SetStationSubject(station);
        if (auto rmi2 = std::dynamic_pointer_cast<IRMI2>(instrument)) {
            station2 = TNDB_S::Create(&nav, kStation2, QStringLiteral("2"), 1);
            rmi2->SetStation2Subject(station2);
        }
        if (vorType) std::dynamic_pointer_cast<IValueSetting>(instrument)->SetValue(90.0f);
    }
    ~TBenchRig() {
        for (int i = 0; i < TFlugzeug::SlotCount; ++i)
            plane->AddInstrument(0, i, false);
    }

    ImageSurface nav;
    ImageSurface panel;
    std::shared_ptr<TRadialLayer> radial;
    TSinglePoint start;
    std::shared_ptr<TFlugzeug> plane;
    std::shared_ptr<IStationSubject> station;
    std::shared_ptr<IStationSubject> station2;
    std::shared_ptr<IInstrument> instrument;
};

void BM_FaceRepaint(benchmark::State& state) {
    TBenchRig rig(static_cast<int>(state.range(0)));
    auto face = std::dynamic_pointer_cast<TInstrument>(rig.instrument);
    if (!face || !face->GetVisible()) {
        state.SkipWithError("instrument not created");
        return;
    }
    for (auto _ : state)
        face->FullRepaint();
}
BENCHMARK(BM_FaceRepaint)->DenseRange(0, 6)->Unit(benchmark::kMicrosecond);

void BM_NeedleUpdate(benchmark::State& state) {
    TBenchRig rig(static_cast<int>(state.range(0)));
    if (!rig.instrument || !rig.instrument->GetVisible()) {
        state.SkipWithError("instrument not created");
        return;
    }
    // Half a pixel east and back: every step moves the needle or bar a little.
    const TSinglePoint a = rig.start;
    const TSinglePoint b{a.X + 0.5f, a.Y};
    const int repaintsBefore = rig.panel.RepaintCount();
    bool atB = false;
    for (auto _ : state) {
        atB = !atB;
        rig.plane->SetPosition(atB ? b : a);
    }
    // Every move must have shown something, or nothing was measured.
    state.counters["repaints_per_move"] = static_cast<double>(rig.panel.RepaintCount() - repaintsBefore) /
                                          static_cast<double>(state.iterations());
}
BENCHMARK(BM_NeedleUpdate)->Arg(0)->Arg(1)->Arg(2)->Arg(4)->Arg(5)->Arg(6)->Unit(benchmark::kMicrosecond);

} // namespace
