#include "platform/ImageSurface.h"
#include "shell/I_MainForm.h"
#include "shell/ModalRunner.h"
#include "world/I_Flugzeug.h"
#include "world/I_Stations.h"

#include <benchmark/benchmark.h>

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QMenuBar>
#include <QTest>

#include <algorithm>
#include <chrono>
#include <memory>
#include <random>
#include <vector>

#include <time.h>

namespace {

constexpr int kMapWidth = 1600;
constexpr int kMapHeight = 900;
// Steps per scene; PEILOMAT_BENCH_STEPS raises it for profiling the steps
// rather than the building of the scene.
const int kSteps = qEnvironmentVariableIntValue("PEILOMAT_BENCH_STEPS") > 0
                       ? qEnvironmentVariableIntValue("PEILOMAT_BENCH_STEPS")
                       : 500;

// A screen large enough for the map the scenes need, whatever the platform reports.
class TBenchMainForm : public TfrmMainTalvex {
protected:
    QSize ScreenSize() const override { return {2560, 1600}; }
};

// Counts the paint events a widget really gets, so that a step is only
// measured once its painting has been done.
class TPaintCounter : public QObject {
public:
    int Paints = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++Paints;
        return QObject::eventFilter(watched, event);
    }
};

// Resident set size of this process in MiB, from /proc.
double ResidentMiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return 0;
}

struct TScene {
    std::unique_ptr<TBenchMainForm> Form;
    TPaintCounter Counter;
};

void Tune(const std::shared_ptr<IPlaneSubject>& plane, const std::vector<std::shared_ptr<IStationSubject>>& vors,
          const std::vector<std::shared_ptr<IStationSubject>>& ndbs) {
    plane->AddInstrument(icHSI, 0, true);
    plane->AddInstrument(icVOR, 1, true);
    plane->AddInstrument(icRMI2, 2, true);
    std::dynamic_pointer_cast<IInstrumentMitStation>(plane->GetInstrument(0))->SetStationSubject(vors[0]);
    std::dynamic_pointer_cast<IInstrumentMitStation>(plane->GetInstrument(1))->SetStationSubject(vors[1]);
    std::dynamic_pointer_cast<IInstrumentMitStation>(plane->GetInstrument(2))->SetStationSubject(ndbs[0]);
    std::dynamic_pointer_cast<IRMI2>(plane->GetInstrument(2))->SetStation2Subject(vors[0]);
}

// The main window shown offscreen with a 1600 x 900 map, the given number of
// stations (VOR and NDB alternately at fixed random places) and aircraft, each
// aircraft carrying an HSI, a VOR indicator and a two-needle RMI tuned to
// stations; the first aircraft is the active one, flying east from the left.
void BuildScene(TScene& scene, int stations, int aircraft) {
    QFile::remove(QStringLiteral("%1/Quellbach/Peilomat/Talvex.ini")
                      .arg(qEnvironmentVariable("XDG_CONFIG_HOME")));
    scene.Form = std::make_unique<TBenchMainForm>();
    TfrmMainTalvex& form = *scene.Form;
    form.mm2OptInfo->setChecked(false);
    form.show();
    form.resize(kMapWidth, form.height());
    QCoreApplication::processEvents();
    // Grow the window until the map has its size (menu and panels take the rest).
    for (int i = 0; i < 3; ++i) {
        const QSize map(form.ImgNav->Bitmap().Width(), form.ImgNav->Bitmap().Height());
        if (map == QSize(kMapWidth, kMapHeight)) break;
        form.resize(form.width() + kMapWidth - map.width(), form.height() + kMapHeight - map.height());
        QCoreApplication::processEvents();
    }
    (void)QTest::qWaitForWindowExposed(&form);
    form.FormActivate();

    std::mt19937 random(4711);
    std::uniform_real_distribution<float> x(30.0f, kMapWidth - 30.0f), y(40.0f, kMapHeight - 30.0f);
    std::vector<std::shared_ptr<IStationSubject>> vors, ndbs;
    for (int i = 0; i < stations; ++i) {
        const TSinglePoint at{x(random), y(random)};
        std::shared_ptr<IStationSubject> station;
        if (i % 2 == 0) {
            station = TVOR_S::Create(form.ImgNav, at, QString::number(vors.size() + 1), i);
            vors.push_back(station);
        } else {
            station = TNDB_S::Create(form.ImgNav, at, QString::number(ndbs.size() + 1), i);
            ndbs.push_back(station);
        }
        form.Stationen.push_back(station);
    }

    for (int i = 1; i < aircraft; ++i) {
        auto plane = TFlugzeug::Create(form.ImgNav, form.ImgInstr, TSinglePoint{x(random), y(random)}, i,
                                       form.IRadial);
        Tune(plane, vors, ndbs);
        // A new aircraft is not the selected one yet shows what it was given;
        // selecting and deselecting hides its instruments as a switch does.
        plane->SetSelected(true);
        plane->SetSelected(false);
        form.Flugzeuge.push_back(plane);
    }
    const auto active = form.Flugzeuge[0];
    active->SetPosition(TSinglePoint{150.0f, 420.0f});
    active->SetValue(80.0f);
    active->SetSpeed(1.0f);
    Tune(active, vors, ndbs);
    form.mm2OptShowRadials->setChecked(true);
    form.mm2OptShowRB->setChecked(true);
    form.DrawRadials();

    form.ImgNav->installEventFilter(&scene.Counter);
    form.ImgInstr->installEventFilter(&scene.Counter);
    QCoreApplication::processEvents();
}

// Paints what the last step scheduled, now: the window's pending update
// request is delivered at once instead of at the next turn of the event loop.
void PaintPending(QWidget& window) {
    QEvent request(QEvent::UpdateRequest);
    QCoreApplication::sendEvent(&window, &request);
}

// CPU time of this thread: on a machine shared with other work it shows the
// step's own cost where the wall clock also counts the waiting.
double ThreadCpuMicros() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e6 + static_cast<double>(t.tv_nsec) / 1e3;
}

double Percentile(std::vector<double> values, double p) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
    return values[std::min(index, values.size() - 1)];
}

// One animation step as the timer makes it: the active aircraft moves, its
// instruments and the radial and bearing lines follow, and both surfaces are
// painted. Counters: median and 90th percentile of a step in microseconds,
// the same for the thread's CPU time, paints per step, and the resident memory of the whole scene.
void BM_AnimationStep(benchmark::State& state) {
    SetModalRunner([](QDialog&) { return 0; });
    TScene scene;
    BuildScene(scene, static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    TfrmMainTalvex& form = *scene.Form;
    std::vector<double> steps, cpu;
    steps.reserve(kSteps);
    cpu.reserve(kSteps);
    const int paintsBefore = scene.Counter.Paints;
    for (auto _ : state) {
        const double cpuStart = ThreadCpuMicros();
        const auto start = std::chrono::steady_clock::now();
        form.tmrAnimationTimer();
        PaintPending(form);
        const auto end = std::chrono::steady_clock::now();
        cpu.push_back(ThreadCpuMicros() - cpuStart);
        steps.push_back(std::chrono::duration<double, std::micro>(end - start).count());
    }
    state.counters["median_us"] = Percentile(steps, 0.5);
    state.counters["p90_us"] = Percentile(steps, 0.9);
    state.counters["cpu_median_us"] = Percentile(cpu, 0.5);
    state.counters["cpu_p90_us"] = Percentile(cpu, 0.9);
    state.counters["paints_per_step"] =
        static_cast<double>(scene.Counter.Paints - paintsBefore) / static_cast<double>(steps.size());
    state.counters["rss_MiB"] = ResidentMiB();
    form.close();
    SetModalRunner(nullptr);
}

} // namespace

BENCHMARK(BM_AnimationStep)
    ->ArgNames({"stations", "aircraft"})
    ->ArgsProduct({{4, 200, 2000}, {1, 99}})
    ->Iterations(kSteps)
    ->Unit(benchmark::kMicrosecond);
