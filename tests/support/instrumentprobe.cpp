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
int Luma(TColor32 c) {
    return (((c >> 16) & 0xFF) + ((c >> 8) & 0xFF) + (c & 0xFF)) / 3;
}
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
