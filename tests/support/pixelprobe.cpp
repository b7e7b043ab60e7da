#include "tests/support/pixelprobe.h"

#include <QColor>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {
int R(TColor32 c) {
    return (c >> 16) & 0xFF;
}
int G(TColor32 c) {
    return (c >> 8) & 0xFF;
}
int B(TColor32 c) {
    return c & 0xFF;
}
} // namespace

bool IsYellow(TColor32 c) {
    return R(c) > 200 && G(c) > 200 && B(c) < 90;
}
bool IsGreen(TColor32 c) {
    return R(c) < 60 && G(c) > 70 && B(c) < 60;
}
bool IsRed(TColor32 c) {
    return R(c) > 200 && G(c) < 60 && B(c) < 60;
}
bool IsWhite(TColor32 c) {
    return R(c) > 200 && G(c) > 200 && B(c) > 200;
}
bool IsDark(TColor32 c) {
    return (R(c) + G(c) + B(c)) / 3 < 40;
}
bool IsYellowish(TColor32 c) {
    return R(c) > 90 && G(c) > 90 && std::abs(R(c) - G(c)) < 40 && B(c) + 50 < std::min(R(c), G(c));
}
bool IsInked(TColor32 c) {
    return (c >> 24) != 0;
}

TColor32 PixelAt(const QImage& image, int x, int y) {
    if (!image.rect().contains(x, y)) return 0;
    return qUnpremultiply(image.pixel(x, y));
}

TColor32 PixelAt(const QImage& image, const TSinglePoint& p) {
    return PixelAt(image, static_cast<int>(std::floor(p.X)), static_cast<int>(std::floor(p.Y)));
}

bool AnyNear(const QImage& image, const TSinglePoint& p, int radius, const ColorTest& test) {
    const int cx = static_cast<int>(std::floor(p.X));
    const int cy = static_cast<int>(std::floor(p.Y));
    for (int y = cy - radius; y <= cy + radius; ++y)
        for (int x = cx - radius; x <= cx + radius; ++x)
            if (image.rect().contains(x, y) && test(PixelAt(image, x, y))) return true;
    return false;
}

int CountIn(const QImage& image, const QRect& rect, const ColorTest& test) {
    int n = 0;
    const QRect r = rect.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (test(PixelAt(image, x, y))) ++n;
    return n;
}

int AlphaAt(const Bitmap32& bitmap, int x, int y) {
    return static_cast<int>(bitmap.Pixel(x, y) >> 24);
}

int CountIn(const Bitmap32& bitmap, const ColorTest& test) {
    int n = 0;
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x)
            if (test(bitmap.Pixel(x, y))) ++n;
    return n;
}

QRect InkBounds(const Bitmap32& bitmap, const QRect& within) {
    const QRect all(0, 0, bitmap.Width(), bitmap.Height());
    const QRect r = within.isEmpty() ? all : within.intersected(all);
    QRect box;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (AlphaAt(bitmap, x, y) > 0) box |= QRect(x, y, 1, 1);
    return box;
}

float YellowCentreX(const QImage& image, int y, int x0, int x1) {
    double sum = 0, weight = 0;
    for (int x = x0; x <= x1; ++x) {
        const TColor32 c = PixelAt(image, x, y);
        const double w = std::max(0, std::min(R(c), G(c)) - B(c));
        sum += w * (x + 0.5);
        weight += w;
    }
    return weight > 0 ? static_cast<float>(sum / weight) : -1.0f;
}

std::vector<TRun> RunsAlong(const QImage& image, const TSinglePoint& start, float phiDeg, float r0, float r1,
                            const ColorTest& test, float maxGap) {
    const double a = phiDeg * std::numbers::pi / 180.0;
    const double dx = std::sin(a), dy = -std::cos(a);
    constexpr double step = 1.0 / 16.0;
    std::vector<TRun> runs;
    bool inside = false;
    for (double r = r0; r <= r1 + 1e-9; r += step) {
        const TSinglePoint p{static_cast<float>(start.X + r * dx), static_cast<float>(start.Y + r * dy)};
        const bool hit = test(PixelAt(image, p));
        const bool bridged = !runs.empty() && r - runs.back().To <= maxGap + 1e-6;
        if (hit && !inside && !bridged) runs.push_back({static_cast<float>(r), static_cast<float>(r)});
        if (hit) runs.back().To = static_cast<float>(r);
        inside = hit;
    }
    return runs;
}

TRun RunAlong(const QImage& image, const TSinglePoint& start, float phiDeg, float r0, float r1,
              const ColorTest& test, float maxGap) {
    const std::vector<TRun> runs = RunsAlong(image, start, phiDeg, r0, r1, test, maxGap);
    return runs.empty() ? TRun{} : runs.front();
}
