// Instrument drawing costs: a complete face repaint per type, and the needle
// (or bar) update an aircraft move causes, on a visible, bound and tuned
// instrument in the left panel slot.

#include "instruments/I_Instrumente.h"
#include "rig/InstrumentRig.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

const TSinglePoint kStation{400.0f, 300.0f};
const TSinglePoint kStation2{700.0f, 200.0f};
// On radial 95 of the station: 5 degrees off a 090 course, so that small
// moves change the deviation without crossing TO/FROM.
const TSinglePoint kStart = PointOnRadial(kStation, 95.0f, 150.0f);

// One aircraft heading 030 with one instrument of the given type in slot 0,
// tuned; the course instruments set to 090.
std::unique_ptr<TInstrumentRig> MakeRig(int code) {
    using Kind = TInstrumentRig::TStationKind;
    auto rig = std::make_unique<TInstrumentRig>(kStart, 30.0f);
    const bool vorType = code == icVOR || code == icHSI;
    auto station = rig->AddStation(vorType ? Kind::VOR : Kind::NDB, kStation);
    rig->InSlot(code, 0);
    rig->Tune(station);
    if (std::dynamic_pointer_cast<IRMI2>(rig->instrument))
        rig->Tune(nullptr, rig->AddStation(Kind::NDB, kStation2));
    if (vorType) std::dynamic_pointer_cast<IValueSetting>(rig->instrument)->SetValue(90.0f);
    return rig;
}

void BM_FaceRepaint(benchmark::State& state) {
    const auto rig = MakeRig(static_cast<int>(state.range(0)));
    auto face = std::dynamic_pointer_cast<TInstrument>(rig->instrument);
    if (!face || !face->GetVisible()) {
        state.SkipWithError("instrument not created");
        return;
    }
    for (auto _ : state)
        face->FullRepaint();
}
BENCHMARK(BM_FaceRepaint)->DenseRange(icRBI, icRMI2)->Unit(benchmark::kMicrosecond);

void BM_NeedleUpdate(benchmark::State& state) {
    const auto rig = MakeRig(static_cast<int>(state.range(0)));
    if (!rig->instrument || !rig->instrument->GetVisible()) {
        state.SkipWithError("instrument not created");
        return;
    }
    // Half a pixel east and back: every step moves the needle or bar a little.
    const TSinglePoint a = kStart;
    const TSinglePoint b{a.X + 0.5f, a.Y};
    const int repaintsBefore = rig->panel.RepaintCount();
    bool atB = false;
    for (auto _ : state) {
        atB = !atB;
        rig->plane->SetPosition(atB ? b : a);
    }
    // Every move must have shown something, or nothing was measured.
    state.counters["repaints_per_move"] = static_cast<double>(rig->panel.RepaintCount() - repaintsBefore) /
                                          static_cast<double>(state.iterations());
}
BENCHMARK(BM_NeedleUpdate)
    ->Arg(icRBI)
    ->Arg(icMDI)
    ->Arg(icRMI)
    ->Arg(icVOR)
    ->Arg(icHSI)
    ->Arg(icRMI2)
    ->Unit(benchmark::kMicrosecond);

} // namespace
