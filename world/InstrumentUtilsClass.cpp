#include "world/InstrumentUtilsClass.h"

#include <cmath>
#include <numbers>
#include <vector>

float NormalizeAngle(float value) {
    // Subtracting 360 from an infinity, or from a float so large that 360 is
    // below its resolution, would never end; such values carry no angle.
    if (!std::isfinite(value)) return 0.0f;
    // Below 2^24 every step of the loops is exact, so fmod (also exact) only
    // shortens the walk for large magnitudes without changing the result.
    if (std::fabs(value) >= 16777216.0f) value = std::fmod(value, 360.0f);
    while (value >= 360.0f)
        value -= 360.0f;
    while (value < 0.0f)
        value += 360.0f;
    return value;
}

void BearingBetween(const TSinglePoint& p1, const TSinglePoint& p2, long double& dx, long double& dy,
                    long double& angle) {
    constexpr long double pi = std::numbers::pi_v<long double>;
    dx = static_cast<long double>(p1.X) - static_cast<long double>(p2.X);
    dy = static_cast<long double>(p1.Y) - static_cast<long double>(p2.Y);
    if (dy != 0.0L) {
        angle = (pi - std::atan2(dx, dy)) * 180.0L / pi + 180.0L;
        if (angle > 360.0L) angle -= 360.0L;
    } else {
        angle = dx >= 0.0L ? 270.0L : 90.0L;
    }
}

TSinglePoint PointOnRadial(const TSinglePoint& station, float radialDeg, float distance) {
    const double a = radialDeg * std::numbers::pi / 180.0;
    return {static_cast<float>(station.X + distance * std::sin(a)),
            static_cast<float>(station.Y - distance * std::cos(a))};
}

float CourseDeviation(int& state, float bearing, float course) {
    float d = bearing - course;
    if (d > 180.0f)
        d -= 360.0f;
    else if (d < -180.0f)
        d += 360.0f;
    if (state != tfOff) state = (d >= -90.0f && d <= 90.0f) ? tfFrom : tfTo;
    switch (state) {
    case tfTo:
        return d > 0.0f ? d - 180.0f : d + 180.0f;
    case tfFrom:
        return -d;
    default:
        return 0.0f;
    }
}

TSinglePoint PlacePoint(const QTransform& t, float x, float y) {
    const QPointF p = t.map(QPointF(x, y));
    return TSinglePoint{static_cast<float>(p.x()), static_cast<float>(p.y())};
}

std::vector<TSinglePoint> PlaceShape(const QTransform& t, std::span<const TSinglePoint> shape) {
    std::vector<TSinglePoint> placed;
    placed.reserve(shape.size());
    for (const TSinglePoint& p : shape)
        placed.push_back(PlacePoint(t, p.X, p.Y));
    return placed;
}

QTransform NeedleFrame(float x0, float y0, float theta) {
    // Forward (sin Theta, cos Theta) is the frame's y axis, n = (cos Theta, -sin Theta) its x axis.
    QTransform t;
    t.translate(x0, y0);
    t.rotateRadians(-theta);
    return t;
}

namespace {
struct TVec {
    float X;
    float Y;
};

void Line(Bitmap32& bitmap, const TSinglePoint& p, const TSinglePoint& q, TColor32 color) {
    bitmap.LineAA(p.X, p.Y, q.X, q.Y, color);
}
} // namespace

void DrawNeedleOutline(Bitmap32& bitmap, TColor32 color, float x0, float y0, float l, float w1, float t,
                       float w2, float theta) {
    // Worked in single precision on purpose: at the legend's 45-degree angles
    // the end points of these one-pixel lines fall on pixel boundaries, and
    // the double-precision frame moves some of them across, dropping or
    // adding a whole end pixel.
    const TVec f{std::sin(theta), std::cos(theta)};
    const TVec n{f.Y, -f.X};
    const float h1 = w1 / 2.0f;
    const float h2 = w2 / 2.0f;
    const float b = l - t;
    auto p = [&](float along, float side) {
        return TSinglePoint{x0 + along * f.X + side * n.X, y0 + along * f.Y + side * n.Y};
    };

    const TSinglePoint tip = p(l, 0.0f);
    const TSinglePoint tail = p(-l, 0.0f);
    const TSinglePoint rearEnd = p(-b, 0.0f);
    const TSinglePoint wa = p(b, h2);
    const TSinglePoint wb = p(b, -h2);
    const TSinglePoint wd = p(b, h1);
    const TSinglePoint wc = p(b, -h1);
    const TSinglePoint tf = p(-b, h1);
    const TSinglePoint te = p(-b, -h1);

    Line(bitmap, tip, wb, color);
    Line(bitmap, wb, wc, color);
    Line(bitmap, wc, wd, color);
    Line(bitmap, wc, te, color);
    Line(bitmap, te, tf, color);
    Line(bitmap, tf, wd, color);
    Line(bitmap, wd, wa, color);
    Line(bitmap, wa, tip, color);
    Line(bitmap, rearEnd, tail, color);
}

void DrawNeedle(Bitmap32& bitmap, TColor32 color, float x0, float y0, float l, float wa, float t, float wb,
                float theta, float k) {
    const QTransform frame = NeedleFrame(x0, y0, theta);
    const float ha = (wa - 1.0f) / 2.0f;
    const float hb = (wb - 1.0f) / 2.0f;
    const float b = l - t;
    auto p = [&](float along, float side) { return PlacePoint(frame, side, along); };

    // With a gap the front polygon ends at the gap instead of the shaft's rear end.
    const float frontShaftEnd = k != 0.0f ? k : -b;
    const std::vector<TSinglePoint> front{
        p(l, -1.0f),          p(b, -(hb + 1.0f)), p(b, -(ha + 1.0f)), p(frontShaftEnd, -(ha + 1.0f)),
        p(frontShaftEnd, ha), p(b, ha),           p(b, hb),           p(l, 0.0f)};
    const std::vector<TSinglePoint> tailPart{p(-l, -1.0f), p(-b, -(ha + 1.0f)), p(-b, ha), p(-l, 0.0f)};
    bitmap.PolygonAA(front, color);
    bitmap.PolygonAA(tailPart, color);
    if (k != 0.0f) {
        const std::vector<TSinglePoint> rearShaft{p(-k, -(ha + 1.0f)), p(-b, -(ha + 1.0f)), p(-b, ha),
                                                  p(-k, ha)};
        bitmap.PolygonAA(rearShaft, color);
    }
}

void DrawThickLine(Bitmap32& bitmap, TColor32 color, float x1, float y1, float x2, float y2, float w) {
    const float len = std::hypot(x2 - x1, y2 - y1);
    // Also refuses NaN and infinite input, which would give a polygon of NaN corners.
    if (!(len > 0.0f) || !std::isfinite(len)) return;
    const TVec m{(y2 - y1) / len, -(x2 - x1) / len};
    const float h = (w - 1.0f) / 2.0f;
    const std::vector<TSinglePoint> quad{
        TSinglePoint{x1 - h * m.X, y1 - h * m.Y}, TSinglePoint{x1 + (h + 1.0f) * m.X, y1 + (h + 1.0f) * m.Y},
        TSinglePoint{x2 + (h + 1.0f) * m.X, y2 + (h + 1.0f) * m.Y}, TSinglePoint{x2 - h * m.X, y2 - h * m.Y}};
    bitmap.PolygonAA(quad, color);
}
