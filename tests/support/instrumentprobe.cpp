#include "tests/support/instrumentprobe.h"

#include <QColor>

#include <cmath>
#include <numbers>

TSinglePoint FaceAt(const TInstrument& ins, float r, float phiDeg, float k) {
    const float a = phiDeg * std::numbers::pi_v<float> / 180.0f;
    return {static_cast<float>(ins.GetLeft()) + ins.GetXm() + r * std::sin(a) + k * std::cos(a),
            static_cast<float>(ins.GetTop()) + ins.GetYm() - r * std::cos(a) + k * std::sin(a)};
}

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
int Luma(TColor32 c) {
    return (R(c) + G(c) + B(c)) / 3;
}
} // namespace

bool IsYellow(TColor32 c) {
    return R(c) > 200 && G(c) > 200 && B(c) < 90;
}
bool IsGreen(TColor32 c) {
    return R(c) < 60 && G(c) > 90 && B(c) < 60;
}
bool IsRed(TColor32 c) {
    return R(c) > 200 && G(c) < 60 && B(c) < 60;
}
bool IsWhite(TColor32 c) {
    return R(c) > 200 && G(c) > 200 && B(c) > 200;
}
bool IsDark(TColor32 c) {
    return Luma(c) < 40;
}

TColor32 PixelAt(const QImage& image, int x, int y) {
    if (!image.rect().contains(x, y)) return 0;
    return qUnpremultiply(image.pixel(x, y));
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

namespace {
float LabelHalfDiagonal(const QString& text) {
    Bitmap32 probe(8, 8);
    probe.SetFontSize(12);
    const QSize ext = probe.TextExtent(text);
    return 0.5f * std::hypot(static_cast<float>(ext.width()), static_cast<float>(ext.height()));
}
} // namespace

float LabelRadius(const TInstrument& ins, const QString& text, bool inner) {
    const float m = LabelHalfDiagonal(text);
    return inner ? ins.GetR2() - m - 1.0f : ins.GetR2() + m + 1.0f;
}

double LabelMatch(const QImage& surfaceImage, const TInstrument& ins, const QString& text, float r,
                  float phiDeg) {
    const TSinglePoint c = FaceAt(ins, r, phiDeg);
    const float m = LabelHalfDiagonal(text);
    Bitmap32 ref(surfaceImage.width(), surfaceImage.height());
    ref.Fill(0xFF000000);
    ref.SetFontSize(12);
    ref.TextRotated(c.X, c.Y, phiDeg, text, 0xFFFFFFFF);
    const QImage& refImage = ref.Image();

    int total = 0, same = 0;
    const int reach = static_cast<int>(m) - 1;
    for (int y = static_cast<int>(c.Y) - reach; y <= static_cast<int>(c.Y) + reach; ++y) {
        for (int x = static_cast<int>(c.X) - reach; x <= static_cast<int>(c.X) + reach; ++x) {
            if (std::hypot(x + 0.5f - c.X, y + 0.5f - c.Y) > static_cast<float>(reach)) continue;
            const int a = Luma(PixelAt(surfaceImage, x, y));
            const int b = Luma(PixelAt(refImage, x, y));
            // Only where the reference or the face shows ink does the comparison say anything.
            if (a < 60 && b < 60) continue;
            ++total;
            if (std::abs(a - b) < 60) ++same;
        }
    }
    return total == 0 ? 0.0 : static_cast<double>(same) / total;
}
