#include "platform/Bitmap32.h"
#include "platform/ImageSurface.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

namespace {

constexpr float kSide = 250.0f;
constexpr float kCentre = kSide / 2.0f;

// Point at radius r and clock angle phi (degrees clockwise from up) around the face centre.
TSinglePoint ClockPoint(float r, float phiDeg) {
    const float a = phiDeg * std::numbers::pi_v<float> / 180.0f;
    return {kCentre + r * std::sin(a), kCentre - r * std::cos(a)};
}

// A needle as the instruments draw it: head and shaft in one polygon, the
// tapered tail in another (shaft 5, head 13 pixels wide, 90 pixels long).
std::vector<TSinglePoint> Needle(float phiDeg) {
    auto at = [phiDeg](float along, float side) {
        const float a = phiDeg * std::numbers::pi_v<float> / 180.0f;
        const float fx = std::sin(a), fy = -std::cos(a);
        return TSinglePoint{kCentre + along * fx - side * fy, kCentre + along * fy + side * fx};
    };
    return {at(90, -1), at(70, -7), at(70, -3), at(-70, -3), at(-70, 2), at(70, 2), at(70, 6), at(90, 0)};
}

std::vector<TSinglePoint> NeedleTail(float phiDeg) {
    auto at = [phiDeg](float along, float side) {
        const float a = phiDeg * std::numbers::pi_v<float> / 180.0f;
        const float fx = std::sin(a), fy = -std::cos(a);
        return TSinglePoint{kCentre + along * fx - side * fy, kCentre + along * fy + side * fx};
    };
    return {at(-90, -1), at(-70, -3), at(-70, 2), at(-90, 0)};
}

// The steps of one complete instrument face: background, bezel, card disc,
// two knobs with labels, 72 ticks, 12 turned labels and the fixed marks.
void PaintFace(Bitmap32& b, float heading) {
    const float fr = kCentre - 10.0f * kSide / 300.0f;
    const float fr1 = fr - 53.0f * kSide / 300.0f, fr2 = fr1 + 14.0f * kSide / 300.0f,
                fr3 = fr1 + 7.0f * kSide / 300.0f;
    b.Fill(0xFF7F7F7F);
    b.CircleAA(kCentre, kCentre, fr, 1, 0xFF000000);
    b.CircleAA(kCentre, kCentre, fr - 1, 1, 0xFFFFFFFF);
    b.DiscAA(kCentre, kCentre, fr - 3, 0xFF000000);
    const float rd2 = fr / 7, rd1 = fr + rd2;
    const char* knobs[2] = {"OBS", "HDG"};
    for (int k = 0; k < 2; ++k) {
        const float kx = kCentre + (k ? 1 : -1) * rd1 * std::sin(std::numbers::pi_v<float> / 4);
        const float ky = kCentre + rd1 * std::cos(std::numbers::pi_v<float> / 4);
        b.CircleAA(kx, ky, rd2, 1, 0xFFFFFFFF);
        b.DiscAA(kx, ky, rd2 - 1, 0xFF000000);
        b.SetFontSize(8);
        const QString text = QString::fromLatin1(knobs[k]);
        const QSize e = b.TextExtent(text);
        b.TextOut(qRound(kx - e.width() / 2.0f), qRound(ky - e.height() / 2.0f), text, 0xFFFFFFFF);
    }
    const float off = std::fmod(heading, 10.0f);
    int v = static_cast<int>(heading - off);
    b.SetFontSize(12);
    for (int i = 0; i < 36; ++i) {
        const float phi = 10.0f * i - off;
        const TSinglePoint a = ClockPoint(fr1, phi), c = ClockPoint(fr2, phi);
        b.LineAA(a.X, a.Y, c.X, c.Y, 0xFFFFFFFF);
        if (v % 30 == 0) {
            const QString label = QString::number(v / 10);
            const QSize e = b.TextExtent(label);
            const float m = 0.5f * std::hypot(float(e.width()), float(e.height()));
            const TSinglePoint p = ClockPoint(fr2 + m + 1, phi);
            b.TextRotated(p.X, p.Y, phi, label, 0xFFFFFFFF);
        }
        const TSinglePoint d = ClockPoint(fr1, phi + 5), f = ClockPoint(fr3, phi + 5);
        b.LineAA(d.X, d.Y, f.X, f.Y, 0xFFFFFFFF);
        v += 10;
        if (v > 360) v -= 360;
    }
    for (float phi : {0.0f, 90.0f, 180.0f, 270.0f}) {
        b.PolygonAA({ClockPoint(fr - 13, phi), ClockPoint(fr - 3, phi - 2), ClockPoint(fr - 3, phi + 2)},
                    0xFFFF0000);
    }
    b.FillRect(123, 105, 128, 145, 0xFFFF0000);
    b.FillRect(105, 113, 146, 117, 0xFFFF0000);
}

void BM_PlatformFace(benchmark::State& state) {
    Bitmap32 b(250, 250);
    float heading = 0;
    for (auto _ : state) {
        PaintFace(b, heading);
        heading = std::fmod(heading + 7.3f, 360.0f);
        benchmark::DoNotOptimize(b.Image().constBits());
    }
}
BENCHMARK(BM_PlatformFace)->Unit(benchmark::kMicrosecond);

// What an aircraft move costs an instrument: the needle layer is cleared
// (or recopied from the face) and the needle polygons drawn anew.
void BM_PlatformNeedle(benchmark::State& state) {
    Bitmap32 b(250, 250);
    std::vector<std::vector<TSinglePoint>> needles, tails;
    for (int i = 0; i < 211; ++i) {
        needles.push_back(Needle(i * 1.7f));
        tails.push_back(NeedleTail(i * 1.7f));
    }
    std::size_t i = 0;
    for (auto _ : state) {
        b.Clear();
        b.PolygonAA(needles[i], 0xFFFFFF00);
        b.PolygonAA(tails[i], 0xFFFFFF00);
        i = (i + 1) % needles.size();
        benchmark::DoNotOptimize(b.Image().constBits());
    }
}
BENCHMARK(BM_PlatformNeedle)->Unit(benchmark::kMicrosecond);

void BM_LineAA(benchmark::State& state) {
    Bitmap32 b(250, 250);
    float phi = 0;
    for (auto _ : state) {
        const TSinglePoint a = ClockPoint(70, phi), c = ClockPoint(85, phi);
        b.LineAA(a.X, a.Y, c.X, c.Y, 0xFFFFFFFF);
        phi += 5.3f;
    }
}
BENCHMARK(BM_LineAA);

void BM_DashedLineAA(benchmark::State& state) {
    Bitmap32 b(800, 600);
    b.SetDashPattern({0xFF007F00, 0xFF007F00, 0xFF007F00, 0, 0, 0xFFFFFFFF, 0, 0});
    float phi = 0;
    for (auto _ : state) {
        const float a = phi * std::numbers::pi_v<float> / 180.0f;
        b.DashedLineAA(400, 300, 400 + 1000 * std::sin(a), 300 - 1000 * std::cos(a));
        phi += 5.3f;
    }
}
BENCHMARK(BM_DashedLineAA)->Unit(benchmark::kMicrosecond);

void BM_PolygonAA(benchmark::State& state) {
    Bitmap32 b(250, 250);
    float phi = 0;
    for (auto _ : state) {
        b.PolygonAA(Needle(phi), 0xFFFFFF00);
        phi += 1.7f;
    }
}
BENCHMARK(BM_PolygonAA)->Unit(benchmark::kMicrosecond);

void BM_CircleAA(benchmark::State& state) {
    Bitmap32 b(250, 250);
    for (auto _ : state)
        b.CircleAA(kCentre, kCentre, 116.67f, 1, 0xFFFFFFFF);
}
BENCHMARK(BM_CircleAA)->Unit(benchmark::kMicrosecond);

void BM_DiscAA(benchmark::State& state) {
    Bitmap32 b(250, 250);
    for (auto _ : state)
        b.DiscAA(kCentre, kCentre, 113.67f, 0xFF000000);
}
BENCHMARK(BM_DiscAA)->Unit(benchmark::kMicrosecond);

void BM_TextOut(benchmark::State& state) {
    Bitmap32 b(250, 250);
    b.SetFontSize(8);
    for (auto _ : state)
        b.TextOut(30, 200, QStringLiteral("Course"), 0xFFFFFFFF);
}
BENCHMARK(BM_TextOut)->Unit(benchmark::kMicrosecond);

void BM_TextRotated(benchmark::State& state) {
    Bitmap32 b(250, 250);
    b.SetFontSize(12);
    float phi = 0;
    for (auto _ : state) {
        const TSinglePoint p = ClockPoint(95, phi);
        b.TextRotated(p.X, p.Y, phi, QStringLiteral("33"), 0xFFFFFFFF);
        phi += 30.0f;
    }
}
BENCHMARK(BM_TextRotated)->Unit(benchmark::kMicrosecond);

void BM_TextExtent(benchmark::State& state) {
    Bitmap32 b(250, 250);
    b.SetFontSize(12);
    for (auto _ : state)
        benchmark::DoNotOptimize(b.TextExtent(QStringLiteral("33")));
}
BENCHMARK(BM_TextExtent);

void BM_Clear250(benchmark::State& state) {
    Bitmap32 b(250, 250);
    for (auto _ : state) {
        b.Clear();
        benchmark::DoNotOptimize(b.Image().constBits());
    }
}
BENCHMARK(BM_Clear250)->Unit(benchmark::kMicrosecond);

void BM_Copy250(benchmark::State& state) {
    Bitmap32 face(250, 250), needle(250, 250);
    face.Fill(0xFF7F7F7F);
    for (auto _ : state) {
        needle.CopyFrom(face);
        benchmark::DoNotOptimize(needle.Image().constBits());
    }
}
BENCHMARK(BM_Copy250)->Unit(benchmark::kMicrosecond);

// The instrument panel as the widget shows it: a base and three instruments,
// each a hidden face layer and a blended needle layer, composed after a change.
void BM_SurfaceRender(benchmark::State& state) {
    ImageSurface surface;
    surface.SetBitmapSize(750, 250);
    std::vector<std::unique_ptr<BitmapLayer>> layers;
    for (int slot = 0; slot < 3; ++slot) {
        for (int k = 0; k < 2; ++k) {
            auto layer = std::make_unique<BitmapLayer>(&surface);
            layer->Bitmap().SetSize(250, 250);
            layer->Bitmap().Fill(0xFF7F7F7F);
            layer->SetLocation(QRectF(250 * slot, 0, 250, 250));
            layer->SetVisible(k == 1);
            layer->SetDrawMode(k == 1 ? BitmapLayer::DrawMode::Blend : BitmapLayer::DrawMode::Opaque);
            layers.push_back(std::move(layer));
        }
    }
    QImage target;
    const QRect all(0, 0, 750, 250);
    for (auto _ : state) {
        surface.RenderInto(target, all);
        benchmark::DoNotOptimize(target.constBits());
    }
}
BENCHMARK(BM_SurfaceRender)->Unit(benchmark::kMicrosecond);

} // namespace
