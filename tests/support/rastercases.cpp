#include "tests/support/rastercases.h"

#include "platform/PainterRaster.h"

#include <QBitmap>
#include <QPainter>
#include <QPainterPath>
#include <QRegion>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>

namespace {

using Points = std::vector<TSinglePoint>;

TSinglePoint Clock(float cx, float cy, float r, float phiDeg) {
    const float a = phiDeg * std::numbers::pi_v<float> / 180.0f;
    return {cx + r * std::sin(a), cy - r * std::cos(a)};
}

// A needle in the face's frame: head and shaft, 90 pixels to the tip.
Points Needle(float phiDeg) {
    auto at = [phiDeg](float along, float side) {
        const float a = phiDeg * std::numbers::pi_v<float> / 180.0f;
        const float fx = std::sin(a), fy = -std::cos(a);
        return TSinglePoint{125 + along * fx - side * fy, 125 + along * fy + side * fx};
    };
    return {at(90, -1), at(70, -7), at(70, -3), at(-70, -3), at(-70, 2), at(70, 2), at(70, 6), at(90, 0)};
}

// The aircraft symbol's outline as the map places it on its 62 x 62 bitmap.
Points Aircraft(float headingDeg) {
    const Points unit = {{0, -28}, {3, -22}, {3, -8},  {26, 2},  {26, 6},   {3, 2},
                         {3, 18},  {10, 24}, {10, 27}, {0, 25},  {-10, 27}, {-10, 24},
                         {-3, 18}, {-3, 2},  {-26, 6}, {-26, 2}, {-3, -8},  {-3, -22}};
    const float a = headingDeg * std::numbers::pi_v<float> / 180.0f;
    Points out;
    for (const auto& p : unit)
        out.push_back(
            {31 + p.X * std::cos(a) - p.Y * std::sin(a), 31 + p.X * std::sin(a) + p.Y * std::cos(a)});
    return out;
}

// A hexagon as the VOR symbol has it (corners at 30 + k * 60 degrees, radius 15).
Points Hexagon() {
    Points out;
    for (int k = 0; k <= 6; ++k) {
        const float t = (30.0f + 60.0f * static_cast<float>(k % 6)) * std::numbers::pi_v<float> / 180.0f;
        out.push_back({25 + 15 * std::sin(t), 34 + 15 * std::cos(t)});
    }
    return out;
}

// A picture to copy or blend: opaque, half-transparent and clear parts.
std::shared_ptr<const Bitmap32> Source(int w, int h) {
    auto b = std::make_shared<Bitmap32>(w, h);
    b->Fill(0x80204060);
    b->DiscAA(w / 2.0f, h / 2.0f, w / 3.0f, 0xFFFFFF00);
    b->FillRect(0, 0, w / 4, h / 4, 0);
    return b;
}

// QPainter doing what Bitmap32 keeps a rasteriser of its own for, in
// Bitmap32's frames (lines and dots on pixel centres, shapes on pixel
// corners) and colours; integer operations replace what was there.
namespace Painter {

using Color = TColor32;

QColor ColorOf(Color color) {
    return QColor::fromRgba(color);
}

// A painter for anti-aliased filling with the colour as brush and no pen.
void BeginFill(QPainter& p, Color color) {
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);
    p.setBrush(ColorOf(color));
}

bool Finite(std::initializer_list<double> values) {
    return std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); });
}

// A one-pixel pen takes QPainter's thin-line stroker, which steps along the
// major axis and splits each step between the two nearest pixels, as
// Bitmap32's own line does, and counts dashes in those steps. The line it
// is given, in pixel-corner coordinates, runs along the major axis from the
// outer edge of the start's pixel to the outer edge of the end's, so that
// the end pixel is left out.
bool CentreLine(double x1, double y1, double x2, double y2, QLineF& out) {
    if (!Finite({x1, y1, x2, y2})) return false;
    const bool xMajor = std::fabs(x2 - x1) >= std::fabs(y2 - y1);
    const double a1 = xMajor ? x1 : y1, b1 = xMajor ? y1 : x1;
    const double a2 = xMajor ? x2 : y2, b2 = xMajor ? y2 : x2;
    const double start = std::floor(a1 + 0.5), end = std::floor(a2 + 0.5);
    if (start == end) return false;
    const double slope = (b2 - b1) / (a2 - a1);
    const double from = end > start ? start - 0.5 : start + 0.5;
    const double to = end > start ? end - 0.5 : end + 0.5;
    auto at = [&](double a) {
        const double b = b1 + (a - a1) * slope;
        return xMajor ? QPointF(a + 0.5, b + 0.5) : QPointF(b + 0.5, a + 0.5);
    };
    out = QLineF(at(from), at(to));
    return true;
}

void BeginLine(QPainter& p, Color color) {
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(ColorOf(color), 1.0, Qt::SolidLine, Qt::FlatCap));
}

void AddArc(QPainterPath& path, double cx, double cy, double r, double fromDeg, double sweepDeg, bool move) {
    // QPainter's angles run counter-clockwise from three o'clock.
    const QRectF box(cx - r, cy - r, 2 * r, 2 * r);
    if (move) path.arcMoveTo(box, 90.0 - fromDeg);
    path.arcTo(box, 90.0 - fromDeg, -sweepDeg);
}

void FillRect(QImage& image, int x1, int y1, int x2, int y2, Color color) {
    if (x1 >= x2 || y1 >= y2 || image.isNull()) return;
    QPainter p(&image);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.fillRect(QRect(x1, y1, x2 - x1, y2 - y1), ColorOf(color));
}

void Fill(QImage& image, Color color) {
    if (image.isNull()) return;
    QPainter p(&image);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.fillRect(image.rect(), ColorOf(color));
}

void FrameRect(QImage& image, int x1, int y1, int x2, int y2, Color color) {
    if (image.isNull()) return;
    if (x1 > x2) std::swap(x1, x2);
    if (y1 > y2) std::swap(y1, y2);
    // An edge beyond the image stays beyond it one pixel out, and the sides'
    // lengths stay in int range whatever the corners.
    x1 = std::clamp(x1, -1, image.width());
    x2 = std::clamp(x2, -1, image.width());
    y1 = std::clamp(y1, -1, image.height());
    y2 = std::clamp(y2, -1, image.height());
    QPainter p(&image);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    const QColor c = ColorOf(color);
    p.fillRect(QRect(x1, y1, x2 - x1 + 1, 1), c);
    p.fillRect(QRect(x1, y2, x2 - x1 + 1, 1), c);
    p.fillRect(QRect(x1, y1, 1, y2 - y1 + 1), c);
    p.fillRect(QRect(x2, y1, 1, y2 - y1 + 1), c);
}

void VertLine(QImage& image, int x, int y1, int y2, Color color) {
    if (image.isNull()) return;
    if (y1 > y2) std::swap(y1, y2);
    QPainter p(&image);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.fillRect(QRect(x, y1, 1, y2 - y1 + 1), ColorOf(color));
}

void LineAA(QImage& image, float x1, float y1, float x2, float y2, Color color) {
    QLineF line;
    if (color == 0 || image.isNull() || !CentreLine(x1, y1, x2, y2, line)) return;
    QPainter p(&image);
    BeginLine(p, color);
    p.drawLine(line);
}

void DashedLineAA(QImage& image, float x1, float y1, float x2, float y2, const std::vector<Color>& pattern,
                  std::size_t pos) {
    QLineF line;
    if (pattern.empty() || image.isNull() || !CentreLine(x1, y1, x2, y2, line)) return;
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    const std::size_t n = pattern.size();
    std::vector<Color> done;
    for (std::size_t i = 0; i < n; ++i) {
        const Color c = pattern[i];
        if (c == 0 || std::find(done.begin(), done.end(), c) != done.end()) continue;
        done.push_back(c);
        // The entries of this colour as on and off runs, from the first entry
        // that starts a run of it; the line starts `pos` entries into the pattern.
        std::size_t first = 0;
        while (pattern[first] != c || pattern[(first + n - 1) % n] == c) {
            if (++first == n) {
                first = 0;
                break;
            }
        }
        QList<qreal> dashes;
        bool on = true;
        qreal run = 0;
        for (std::size_t k = 0; k < n; ++k) {
            const bool mine = pattern[(first + k) % n] == c;
            if (mine != on) {
                dashes << run;
                run = 0;
                on = !on;
            }
            ++run;
        }
        dashes << run;
        if (dashes.size() % 2) dashes << 0;
        QPen pen(ColorOf(c), 1.0, Qt::CustomDashLine, Qt::FlatCap);
        pen.setDashPattern(dashes);
        pen.setDashOffset(qreal((pos + n - first) % n));
        p.setPen(pen);
        p.drawLine(line);
    }
}

void PolylineAA(QImage& image, const std::vector<TSinglePoint>& points, Color color) {
    if (color == 0 || image.isNull() || points.size() < 2) return;
    QPainter p(&image);
    BeginLine(p, color);
    QLineF line;
    for (std::size_t i = 1; i < points.size(); ++i) {
        if (CentreLine(points[i - 1].X, points[i - 1].Y, points[i].X, points[i].Y, line)) p.drawLine(line);
    }
}

void PolygonAA(QImage& image, const std::vector<TSinglePoint>& points, Color color) {
    if (color == 0 || image.isNull() || points.size() < 3) return;
    QPolygonF polygon;
    polygon.reserve(static_cast<qsizetype>(points.size()));
    for (const auto& pt : points) {
        if (!Finite({pt.X, pt.Y})) return;
        polygon << QPointF(pt.X, pt.Y);
    }
    QPainter p(&image);
    BeginFill(p, color);
    p.drawPolygon(polygon, Qt::OddEvenFill);
}

void CircleAA(QImage& image, float cx, float cy, float radius, float strokeWidth, Color color) {
    if (color == 0 || image.isNull() || !Finite({cx, cy, radius, strokeWidth}) || radius <= 0 ||
        strokeWidth <= 0)
        return;
    const double outer = radius + strokeWidth / 2.0, inner = radius - strokeWidth / 2.0;
    QPainterPath ring;
    ring.addEllipse(QPointF(cx, cy), outer, outer);
    if (inner > 0) ring.addEllipse(QPointF(cx, cy), inner, inner);
    QPainter p(&image);
    BeginFill(p, color);
    p.drawPath(ring);
}

void DiscAA(QImage& image, float cx, float cy, float radius, Color color) {
    if (color == 0 || image.isNull() || !Finite({cx, cy, radius}) || radius <= 0) return;
    QPainter p(&image);
    BeginFill(p, color);
    p.drawEllipse(QPointF(cx, cy), radius, radius);
}

void ArcBandAA(QImage& image, float cx, float cy, float innerRadius, float outerRadius, float fromDeg,
               float toDeg, Color color) {
    if (innerRadius > outerRadius) std::swap(innerRadius, outerRadius);
    innerRadius = std::max(0.0f, innerRadius);
    if (color == 0 || image.isNull() || !Finite({cx, cy, innerRadius, outerRadius, fromDeg, toDeg}) ||
        outerRadius <= innerRadius)
        return;
    double sweep = double(toDeg) - double(fromDeg);
    if (sweep < 0) sweep += 360.0 * std::ceil(-sweep / 360.0);
    sweep = std::min(sweep, 360.0);
    if (sweep <= 0) return;
    QPainterPath band;
    if (sweep >= 360.0) {
        band.addEllipse(QPointF(cx, cy), outerRadius, outerRadius);
        if (innerRadius > 0) band.addEllipse(QPointF(cx, cy), innerRadius, innerRadius);
    } else {
        AddArc(band, cx, cy, outerRadius, fromDeg, sweep, true);
        if (innerRadius > 0)
            AddArc(band, cx, cy, innerRadius, fromDeg + sweep, -sweep, false);
        else
            band.lineTo(cx, cy);
        band.closeSubpath();
    }
    QPainter p(&image);
    BeginFill(p, color);
    p.drawPath(band);
}

void DotAA(QImage& image, float x, float y, Color color) {
    if (color == 0 || image.isNull() || !Finite({x, y})) return;
    QPainter p(&image);
    BeginFill(p, color);
    p.drawRect(QRectF(x, y, 1.0, 1.0));
}

// Text with its bounding box's top left corner at (x, y): the label drawn there.
void TextOut(QImage& image, int x, int y, const QString& text, int points, Color color) {
    if (text.isEmpty() || image.isNull()) return;
    const QImage& label = PainterRaster::LabelImage(text, points, color);
    if (label.isNull()) return;
    QPainter p(&image);
    p.drawImage(x, y, label);
}

// The label drawn turned and filtered bilinearly; unturned text stays on whole pixels.
void TextRotated(QImage& image, float cx, float cy, float angleDeg, const QString& text, int points,
                 Color color) {
    if (text.isEmpty() || image.isNull() || !Finite({cx, cy, angleDeg})) return;
    const QImage& label = PainterRaster::LabelImage(text, points, color);
    if (label.isNull()) return;
    const double w = label.width(), h = label.height();
    QPainter p(&image);
    if (std::fmod(double(angleDeg), 360.0) == 0.0) {
        p.drawImage(QPointF(std::round(cx - w / 2.0), std::round(cy - h / 2.0)), label);
        return;
    }
    p.setRenderHint(QPainter::SmoothPixmapTransform, true);
    p.translate(cx, cy);
    p.rotate(angleDeg);
    p.drawImage(QPointF(-w / 2.0, -h / 2.0), label);
}

// QPainter has no operation for it: the pixels of the one colour as a clip
// region, filled with the other. (The mask "out" of the colour is the one
// whose set bits, Qt::color1, are the pixels of that colour.)
void ReplaceColor(QImage& image, Color from, Color to) {
    const QImage mask = image.createMaskFromColor(qPremultiply(from), Qt::MaskOutColor);
    QPainter p(&image);
    p.setClipRegion(QRegion(QBitmap::fromImage(mask)));
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.fillRect(image.rect(), QColor::fromRgba(to));
}

} // namespace Painter

} // namespace

QImage RasterCanvas(const TRasterCase& c) {
    QImage image(c.size, QImage::Format_ARGB32_Premultiplied);
    image.fill(qPremultiply(c.background));
    return image;
}

const std::vector<TRasterCase>& RasterCases() {
    static const std::vector<TRasterCase> cases = [] {
        std::vector<TRasterCase> out;
        const QSize face(250, 250), map(1600, 900), plane(62, 62), station(50, 60);
        constexpr TColor32 grey = 0xFF7F7F7F, black = 0xFF000000, white = 0xFFFFFFFF, yellow = 0xFFFFFF00;
        auto row = [&out](const QByteArray& name, QSize size, TColor32 bg,
                          std::function<void(Bitmap32&)> ours, std::function<void(QImage&)> painter,
                          const char* differs = nullptr, int tolerance = 24) {
            out.push_back({name, size, bg, std::move(ours), std::move(painter), tolerance, differs});
        };

        // Filling with the other colour each time, so that a repeat is never
        // the refill of only what was drawn since.
        row(
            "Fill, a face's grey", face, yellow,
            [](Bitmap32& b) { b.Fill(b.Pixel(0, 0) == grey ? yellow : grey); },
            [](QImage& i) { Painter::Fill(i, i.pixel(0, 0) == grey ? yellow : grey); });

        row(
            "FillRect, the cross bar", face, grey,
            [](Bitmap32& b) { b.FillRect(105, 113, 146, 117, 0xFFFF0000); },
            [](QImage& i) { Painter::FillRect(i, 105, 113, 146, 117, 0xFFFF0000); });
        row(
            "FillRect, clipped at the corner", face, grey,
            [](Bitmap32& b) { b.FillRect(-5, -5, 10, 10, 0x80FF0000); },
            [](QImage& i) { Painter::FillRect(i, -5, -5, 10, 10, 0x80FF0000); });
        row(
            "FrameRect, the VOR frame", station, white,
            [](Bitmap32& b) { b.FrameRect(10, 20, 40, 48, black); },
            [](QImage& i) { Painter::FrameRect(i, 10, 20, 40, 48, black); });
        row(
            "FrameRect, corners swapped", station, white,
            [](Bitmap32& b) { b.FrameRect(40, 48, 10, 20, black); },
            [](QImage& i) { Painter::FrameRect(i, 40, 48, 10, 20, black); });
        // Sides beyond the bitmap are not drawn, however far away their corners.
        row(
            "FrameRect, sides far outside", station, white,
            [](Bitmap32& b) { b.FrameRect(-2000000000, 10, 2000000000, 2000000000, black); },
            [](QImage& i) { Painter::FillRect(i, 0, 10, 50, 11, black); });
        row(
            "VertLine, the heading line", face, black, [](Bitmap32& b) { b.VertLine(125, 30, 220, white); },
            [](QImage& i) { Painter::VertLine(i, 125, 30, 220, white); });

        for (float phi : {0.0f, 30.0f, 45.0f, 100.0f, 263.0f}) {
            const TSinglePoint a = Clock(125, 125, 64, phi), c = Clock(125, 125, 76, phi);
            const QByteArray name = "LineAA, tick at " + QByteArray::number(phi);
            row(
                name, face, black, [=](Bitmap32& b) { b.LineAA(a.X, a.Y, c.X, c.Y, white); },
                [=](QImage& i) { Painter::LineAA(i, a.X, a.Y, c.X, c.Y, white); });
        }
        row(
            "LineAA, 1600 px radial across the map", map, white,
            [](Bitmap32& b) { b.LineAA(10.3f, 880.6f, 1590.2f, 20.1f, 0xFF00007F); },
            [](QImage& i) { Painter::LineAA(i, 10.3f, 880.6f, 1590.2f, 20.1f, 0xFF00007F); });
        row(
            "LineAA, leaving the map", map, white,
            [](Bitmap32& b) { b.LineAA(800, 450, -3000, 2000, 0xFF00007F); },
            [](QImage& i) { Painter::LineAA(i, 800, 450, -3000, 2000, 0xFF00007F); });

        const std::vector<TColor32> dash = {0xFF007F00, 0xFF007F00, 0xFF007F00, 0, 0, 0xFFFFFFFF, 0, 0};
        row(
            "DashedLineAA, along a row", map, black,
            [dash](Bitmap32& b) {
                b.SetDashPattern(dash);
                b.DashedLineAA(100, 450, 1500, 450);
            },
            [dash](QImage& i) { Painter::DashedLineAA(i, 100, 450, 1500, 450, dash, 0); });
        row(
            "DashedLineAA, a slanted radial", map, black,
            [dash](Bitmap32& b) {
                b.SetDashPattern(dash);
                b.DashedLineAA(800, 450, 1700, -150);
            },
            [dash](QImage& i) { Painter::DashedLineAA(i, 800, 450, 1700, -150, dash, 0); });
        // 303 steps leave the pattern at entry 303 mod 8 = 7 for the next line.
        row(
            "DashedLineAA, the pattern going on into the next line", map, black,
            [dash](Bitmap32& b) {
                b.SetDashPattern(dash);
                b.DashedLineAA(100, 300, 403, 300);
                b.DashedLineAA(403, 300, 900, 650);
            },
            [dash](QImage& i) {
                Painter::DashedLineAA(i, 100, 300, 403, 300, dash, 0);
                Painter::DashedLineAA(i, 403, 300, 900, 650, dash, 7);
            });

        row(
            "PolylineAA, the VOR hexagon", station, white,
            [](Bitmap32& b) { b.PolylineAA(Hexagon(), black); },
            [](QImage& i) { Painter::PolylineAA(i, Hexagon(), black); });

        for (float phi : {0.0f, 37.0f, 90.0f, 211.0f}) {
            const QByteArray name = "PolygonAA, needle at " + QByteArray::number(phi);
            row(
                name, face, grey, [=](Bitmap32& b) { b.PolygonAA(Needle(phi), yellow); },
                [=](QImage& i) { Painter::PolygonAA(i, Needle(phi), yellow); });
        }
        for (float heading : {0.0f, 73.0f}) {
            const QByteArray name = "PolygonAA, aircraft heading " + QByteArray::number(heading);
            row(
                name, plane, 0, [=](Bitmap32& b) { b.PolygonAA(Aircraft(heading), 0xFFFF0000); },
                [=](QImage& i) { Painter::PolygonAA(i, Aircraft(heading), 0xFFFF0000); });
        }
        const Points bow = {{20, 20}, {230, 230}, {230, 20}, {20, 230}};
        row(
            "PolygonAA, self-crossing, even-odd", face, grey, [=](Bitmap32& b) { b.PolygonAA(bow, black); },
            [=](QImage& i) { Painter::PolygonAA(i, bow, black); });
        const Points wedge = {Clock(125, 125, 112, -3), Clock(125, 125, 102, 0), Clock(125, 125, 112, 3)};
        row(
            "PolygonAA, half-transparent wedge", face, grey,
            [=](Bitmap32& b) { b.PolygonAA(wedge, 0x80FF0000); },
            [=](QImage& i) { Painter::PolygonAA(i, wedge, 0x80FF0000); });

        row(
            "CircleAA, the bezel ring", face, grey,
            [](Bitmap32& b) { b.CircleAA(125, 125, 116.67f, 1, black); },
            [](QImage& i) { Painter::CircleAA(i, 125, 125, 116.67f, 1, black); });
        row(
            "CircleAA, a knob", face, black, [](Bitmap32& b) { b.CircleAA(60.5f, 201.3f, 16.7f, 1, white); },
            [](QImage& i) { Painter::CircleAA(i, 60.5f, 201.3f, 16.7f, 1, white); },
            "ours takes a pixel's coverage from its centre's distance to the circle, QPainter the exact "
            "area: a one-pixel ring differs most",
            32);
        row(
            "DiscAA, the card", face, grey, [](Bitmap32& b) { b.DiscAA(125, 125, 113.67f, black); },
            [](QImage& i) { Painter::DiscAA(i, 125, 125, 113.67f, black); });
        row(
            "DiscAA, the station centre", station, white, [](Bitmap32& b) { b.DiscAA(25, 34, 2, black); },
            [](QImage& i) { Painter::DiscAA(i, 25, 34, 2, black); });
        row(
            "DiscAA, a 45 degree dot", face, black, [](Bitmap32& b) { b.DiscAA(170.2f, 79.8f, 3, white); },
            [](QImage& i) { Painter::DiscAA(i, 170.2f, 79.8f, 3, white); });
        row(
            "ArcBandAA, the TO mark", face, black,
            [](Bitmap32& b) { b.ArcBandAA(125, 125, 20, 30, -20, 20, yellow); },
            [](QImage& i) { Painter::ArcBandAA(i, 125, 125, 20, 30, -20, 20, yellow); });
        row(
            "ArcBandAA, wrapping past the top", face, black,
            [](Bitmap32& b) { b.ArcBandAA(125, 125, 50, 58, 350, 10, yellow); },
            [](QImage& i) { Painter::ArcBandAA(i, 125, 125, 50, 58, 350, 10, yellow); });
        row(
            "ArcBandAA, whole ring", face, black,
            [](Bitmap32& b) { b.ArcBandAA(125, 125, 50, 58, 0, 360, yellow); },
            [](QImage& i) { Painter::ArcBandAA(i, 125, 125, 50, 58, 0, 360, yellow); });
        row(
            "ArcBandAA, sector to the centre", face, black,
            [](Bitmap32& b) { b.ArcBandAA(125, 125, 0, 40, 100, 170, yellow); },
            [](QImage& i) { Painter::ArcBandAA(i, 125, 125, 0, 40, 100, 170, yellow); });

        for (const TSinglePoint p : {TSinglePoint{25, 34}, TSinglePoint{31.3f, 20.75f}}) {
            const QByteArray name =
                "DotAA, NDB dot at " + QByteArray::number(p.X) + "," + QByteArray::number(p.Y);
            row(
                name, station, white, [=](Bitmap32& b) { b.DotAA(p.X, p.Y, black); },
                [=](QImage& i) { Painter::DotAA(i, p.X, p.Y, black); });
        }

        row(
            "TextOut, a knob label", face, black,
            [](Bitmap32& b) {
                b.SetFontSize(8);
                b.TextOut(50, 195, QStringLiteral("OBS"), white);
            },
            [](QImage& i) { Painter::TextOut(i, 50, 195, QStringLiteral("OBS"), 8, white); });
        row(
            "TextOut, a station label wider than its bitmap", station, white,
            [](Bitmap32& b) {
                b.SetFontSize(8);
                b.TextOut(-6, 2, QStringLiteral("VOR 112.30"), black);
            },
            [](QImage& i) { Painter::TextOut(i, -6, 2, QStringLiteral("VOR 112.30"), 8, black); });
        struct Turned {
            const char* label;
            float phi;
        };
        for (const Turned t :
             {Turned{"33", 0}, Turned{"33", 30}, Turned{"33", 90}, Turned{"33", 45}, Turned{"W", 240}}) {
            const QByteArray name =
                "TextRotated, card label " + QByteArray(t.label) + " at " + QByteArray::number(t.phi);
            const QString label = QString::fromLatin1(t.label);
            const TSinglePoint p = Clock(125, 125, 95, t.phi);
            const float phi = t.phi;
            // The W of a card turned by 30 degrees: the worst of all card labels.
            const bool worst = phi == 240;
            row(
                name, face, black,
                [=](Bitmap32& b) {
                    b.SetFontSize(12);
                    b.TextRotated(p.X, p.Y, phi, label, white);
                },
                [=](QImage& i) { Painter::TextRotated(i, p.X, p.Y, phi, label, 12, white); },
                worst ? "QPainter's smooth transform filters the turned label otherwise than our bilinear "
                        "sampling; with it the face pictures of turned cards no longer match"
                      : nullptr,
                worst ? 40 : 24);
        }

        const auto big = Source(250, 250), small = Source(62, 62);
        // Changed() first, so that a repeat is a whole copy and not the
        // restoring of only what was drawn over the last one.
        row(
            "CopyFrom, the face under a needle", face, 0,
            [=](Bitmap32& b) {
                b.Changed();
                b.CopyFrom(*big);
            },
            [=](QImage& i) { PainterRaster::CopyFrom(i, big->Image(), 0, 0); });
        row(
            "CopyFrom, partly outside", face, grey, [=](Bitmap32& b) { b.CopyFrom(*small, 220, -10); },
            [=](QImage& i) { PainterRaster::CopyFrom(i, small->Image(), 220, -10); });
        row(
            "BlendFrom, the aircraft over the map", map, white,
            [=](Bitmap32& b) { b.BlendFrom(*small, 700, 400); },
            [=](QImage& i) { PainterRaster::BlendFrom(i, small->Image(), 700, 400); });
        row(
            "BlendFrom, partly outside", face, grey, [=](Bitmap32& b) { b.BlendFrom(*small, -20, 230); },
            [=](QImage& i) { PainterRaster::BlendFrom(i, small->Image(), -20, 230); });
        // Back and forth, so that every repeat finds the colour it replaces.
        row(
            "ReplaceColor, a station's white made clear", station, white,
            [](Bitmap32& b) {
                if (b.Pixel(0, 0) == white)
                    b.ReplaceColor(white, 0);
                else
                    b.ReplaceColor(0, white);
            },
            [](QImage& i) {
                if (i.pixel(0, 0) == white)
                    Painter::ReplaceColor(i, white, 0);
                else
                    Painter::ReplaceColor(i, 0, white);
            });
        return out;
    }();
    return cases;
}
