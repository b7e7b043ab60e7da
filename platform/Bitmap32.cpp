#include "platform/Bitmap32.h"

#include <QFontMetrics>
#include <QHash>
#include <QPainterPath>
#include <QPolygonF>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <map>

namespace {

constexpr QImage::Format kFormat = QImage::Format_ARGB32_Premultiplied;

inline quint32 Premultiplied(TColor32 color) {
    return qPremultiply(color);
}

// x * a / 255 for all four channels of a premultiplied pixel at once.
inline quint32 ByteMul(quint32 x, quint32 a) {
    quint32 t = (x & 0xff00ffu) * a;
    t = (t + ((t >> 8) & 0xff00ffu) + 0x800080u) >> 8;
    t &= 0xff00ffu;
    x = ((x >> 8) & 0xff00ffu) * a;
    x = (x + ((x >> 8) & 0xff00ffu) + 0x800080u);
    x &= 0xff00ff00u;
    return x | t;
}

// Source-over of a premultiplied source scaled by coverage (0..255).
inline quint32 BlendOver(quint32 dst, quint32 src, quint32 coverage) {
    if (coverage != 255) src = ByteMul(src, coverage);
    return src + ByteMul(dst, 255u - (src >> 24));
}

inline bool Finite(double v) {
    return std::isfinite(v);
}

struct LabelKey {
    QString text;
    int pixelSize;
    TColor32 color;
    friend bool operator==(const LabelKey& a, const LabelKey& b) {
        return a.pixelSize == b.pixelSize && a.color == b.color && a.text == b.text;
    }
};

size_t qHash(const LabelKey& key, size_t seed = 0) {
    return qHashMulti(seed, key.text, key.pixelSize, key.color);
}

// Labels are few and repeat on every repaint (card numbers, knob texts,
// station names); rendering each once keeps rotated text cheap. The cache is
// bounded so that an endless stream of distinct texts cannot grow it forever.
constexpr qsizetype kMaxLabels = 1024;

QHash<LabelKey, QImage>& LabelCache() {
    static QHash<LabelKey, QImage> cache;
    return cache;
}

int PixelSizeForPoints(int points) {
    return std::max(1, qRound(points * 96.0 / 72.0));
}

struct FontEntry {
    QFont font;
    QFontMetrics metrics;
};

const FontEntry& FontFor(int points) {
    static std::map<int, FontEntry> fonts;
    const int px = PixelSizeForPoints(points);
    auto it = fonts.find(px);
    if (it == fonts.end()) {
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(px);
        font.setStyleStrategy(QFont::PreferAntialias);
        font.setHintingPreference(QFont::PreferVerticalHinting);
        it = fonts.emplace(px, FontEntry{font, QFontMetrics(font)}).first;
    }
    return it->second;
}

} // namespace

Bitmap32::Bitmap32(int width, int height) {
    SetSize(width, height);
}

Bitmap32::~Bitmap32() {
    EndPainting();
}

Bitmap32::Bitmap32(const Bitmap32& other)
    : m_fontSize(other.m_fontSize), m_dash(other.m_dash), m_dashPos(other.m_dashPos) {
    other.EndPainting();
    m_image = other.m_image;
}

Bitmap32& Bitmap32::operator=(const Bitmap32& other) {
    if (this == &other) return *this;
    EndPainting();
    other.EndPainting();
    m_image = other.m_image;
    m_fontSize = other.m_fontSize;
    m_dash = other.m_dash;
    m_dashPos = other.m_dashPos;
    Changed();
    return *this;
}

void Bitmap32::EndPainting() const {
    if (m_painter.isActive()) m_painter.end();
}

QPainter& Bitmap32::Painter() {
    if (!m_painter.isActive()) {
        m_painter.begin(&m_image);
        m_painter.setRenderHint(QPainter::Antialiasing, true);
        m_painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    }
    return m_painter;
}

void Bitmap32::SetSize(int width, int height) {
    width = std::max(0, width);
    height = std::max(0, height);
    if (width == Width() && height == Height()) return;
    EndPainting();
    if (width == 0 || height == 0) {
        m_image = QImage();
    } else {
        m_image = QImage(width, height, kFormat);
        m_image.fill(0u);
    }
    Changed();
}

TColor32 Bitmap32::Pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= Width() || y >= Height()) return 0;
    const auto* line = reinterpret_cast<const quint32*>(m_image.constScanLine(y));
    return qUnpremultiply(line[x]);
}

void Bitmap32::Fill(TColor32 color) {
    if (!Empty()) {
        const quint32 p = Premultiplied(color);
        auto* bits = reinterpret_cast<quint32*>(m_image.bits());
        const qsizetype stride = m_image.bytesPerLine() / 4;
        if (stride == Width()) {
            std::fill_n(bits, stride * Height(), p);
        } else {
            for (int y = 0; y < Height(); ++y)
                std::fill_n(bits + y * stride, Width(), p);
        }
    }
    Changed();
}

void Bitmap32::Clear(TColor32 color) {
    Fill(color);
}

void Bitmap32::FillRect(int x1, int y1, int x2, int y2, TColor32 color) {
    x1 = std::max(x1, 0);
    y1 = std::max(y1, 0);
    x2 = std::min(x2, Width());
    y2 = std::min(y2, Height());
    if (x1 < x2 && y1 < y2) {
        const quint32 p = Premultiplied(color);
        for (int y = y1; y < y2; ++y) {
            auto* line = reinterpret_cast<quint32*>(m_image.scanLine(y));
            std::fill(line + x1, line + x2, p);
        }
    }
    Changed();
}

void Bitmap32::FrameRect(int x1, int y1, int x2, int y2, TColor32 color) {
    if (x1 > x2) std::swap(x1, x2);
    if (y1 > y2) std::swap(y1, y2);
    const quint32 p = Premultiplied(color);
    auto put = [&](int x, int y) {
        if (x >= 0 && y >= 0 && x < Width() && y < Height())
            reinterpret_cast<quint32*>(m_image.scanLine(y))[x] = p;
    };
    const int cx1 = std::max(x1, 0), cx2 = std::min(x2, Width() - 1);
    for (int x = cx1; x <= cx2; ++x) {
        put(x, y1);
        put(x, y2);
    }
    const int cy1 = std::max(y1, 0), cy2 = std::min(y2, Height() - 1);
    for (int y = cy1; y <= cy2; ++y) {
        put(x1, y);
        put(x2, y);
    }
    Changed();
}

void Bitmap32::VertLine(int x, int y1, int y2, TColor32 color) {
    if (y1 > y2) std::swap(y1, y2);
    if (x >= 0 && x < Width()) {
        const quint32 p = Premultiplied(color);
        const int from = std::max(y1, 0), to = std::min(y2, Height() - 1);
        for (int y = from; y <= to; ++y)
            reinterpret_cast<quint32*>(m_image.scanLine(y))[x] = p;
    }
    Changed();
}

// Wu-style rasteriser: one step per pixel along the major axis, integer
// coordinates being pixel centres, the pixel of the end point left out. Each
// step spreads the colour over the two pixels nearest the true line. Returns
// the number of major-axis steps the whole (unclipped) line has, so that a
// dash pattern advances as if every step had been drawn.
template <typename ColorAt>
long long Bitmap32::RasterLine(double x1, double y1, double x2, double y2, ColorAt colorAt) {
    if (!Finite(x1) || !Finite(y1) || !Finite(x2) || !Finite(y2) || Empty()) return 0;
    const bool xMajor = std::fabs(x2 - x1) >= std::fabs(y2 - y1);
    // Work in (major, minor) coordinates.
    const double a1 = xMajor ? x1 : y1, b1 = xMajor ? y1 : x1;
    const double a2 = xMajor ? x2 : y2, b2 = xMajor ? y2 : x2;
    const int majorSize = xMajor ? Width() : Height();
    const int minorSize = xMajor ? Height() : Width();

    const double start = std::floor(a1 + 0.5), end = std::floor(a2 + 0.5);
    const double steps = std::fabs(end - start);
    if (steps == 0) return 0;
    const double dir = end > start ? 1.0 : -1.0;
    const double slope = (b2 - b1) / (a2 - a1);

    // Only steps whose major coordinate lies on the bitmap are visited.
    double kFrom = 0, kTo = steps;
    if (dir > 0) {
        kFrom = std::max(kFrom, -start);
        kTo = std::min(kTo, majorSize - start);
    } else {
        kFrom = std::max(kFrom, start - (majorSize - 1));
        kTo = std::min(kTo, start + 1);
    }
    const long long stepCount = steps > 9e15 ? static_cast<long long>(9e15) : static_cast<long long>(steps);
    if (kFrom >= kTo) return stepCount;

    uchar* bits = m_image.bits();
    const qsizetype stride = m_image.bytesPerLine();
    auto plot = [&](long long major, long long minor, quint32 src, quint32 coverage) {
        if (minor < 0 || minor >= minorSize || coverage == 0) return;
        const long long x = xMajor ? major : minor, y = xMajor ? minor : major;
        auto* px = reinterpret_cast<quint32*>(bits + y * stride) + x;
        *px = BlendOver(*px, src, coverage);
    };

    const long long k0 = static_cast<long long>(kFrom), k1 = static_cast<long long>(kTo);
    for (long long k = k0; k < k1; ++k) {
        const TColor32 color = colorAt(k);
        if (color == 0) continue;
        const double a = start + dir * static_cast<double>(k);
        const double b = b1 + (a - a1) * slope;
        const double bf = std::floor(b);
        if (bf < -1.0 || bf >= minorSize) continue;
        const quint32 upper = static_cast<quint32>(std::lround((b - bf) * 255.0));
        const quint32 src = Premultiplied(color);
        const long long major = static_cast<long long>(a), minor = static_cast<long long>(bf);
        plot(major, minor, src, 255u - upper);
        plot(major, minor + 1, src, upper);
    }
    return stepCount;
}

void Bitmap32::LineAA(float x1, float y1, float x2, float y2, TColor32 color) {
    if (color != 0) RasterLine(x1, y1, x2, y2, [color](long long) { return color; });
    Changed();
}

void Bitmap32::SetDashPattern(const std::vector<TColor32>& pattern) {
    m_dash = pattern;
    m_dashPos = 0;
}

void Bitmap32::DashedLineAA(float x1, float y1, float x2, float y2) {
    if (!m_dash.empty()) {
        const std::size_t n = m_dash.size();
        const std::size_t pos = m_dashPos;
        const long long steps = RasterLine(x1, y1, x2, y2, [this, n, pos](long long k) {
            return m_dash[(pos + static_cast<std::size_t>(k % static_cast<long long>(n))) % n];
        });
        m_dashPos = (pos + static_cast<std::size_t>(steps % static_cast<long long>(n))) % n;
    }
    Changed();
}

void Bitmap32::PolylineAA(const std::vector<TSinglePoint>& points, TColor32 color) {
    if (color != 0) {
        for (std::size_t i = 1; i < points.size(); ++i) {
            const auto& p = points[i - 1];
            const auto& q = points[i];
            RasterLine(p.X, p.Y, q.X, q.Y, [color](long long) { return color; });
        }
    }
    Changed();
}

void Bitmap32::PolygonAA(const std::vector<TSinglePoint>& points, TColor32 color) {
    if (points.size() >= 3 && !Empty()) {
        QPolygonF polygon;
        polygon.reserve(static_cast<qsizetype>(points.size()));
        bool ok = true;
        for (const auto& p : points) {
            if (!Finite(p.X) || !Finite(p.Y)) {
                ok = false;
                break;
            }
            polygon.append(QPointF(std::round(double(p.X) * 65536.0) / 65536.0,
                                   std::round(double(p.Y) * 65536.0) / 65536.0));
        }
        if (ok) {
            QPainter& p = Painter();
            p.setPen(Qt::NoPen);
            p.setBrush(QColor::fromRgba(color));
            p.drawPolygon(polygon, Qt::OddEvenFill);
        }
    }
    Changed();
}

void Bitmap32::CircleAA(float cx, float cy, float radius, float strokeWidth, TColor32 color) {
    if (!Empty() && Finite(cx) && Finite(cy) && Finite(radius) && Finite(strokeWidth) && radius > 0 &&
        strokeWidth > 0) {
        // A ring filled between two circles: cheaper than stroking the path.
        const double outer = radius + strokeWidth / 2.0;
        const double inner = std::max(0.0, radius - strokeWidth / 2.0);
        QPainterPath path;
        path.setFillRule(Qt::OddEvenFill);
        path.addEllipse(QPointF(cx, cy), outer, outer);
        if (inner > 0) path.addEllipse(QPointF(cx, cy), inner, inner);
        QPainter& p = Painter();
        p.setPen(Qt::NoPen);
        p.setBrush(QColor::fromRgba(color));
        p.drawPath(path);
    }
    Changed();
}

void Bitmap32::DiscAA(float cx, float cy, float radius, TColor32 color) {
    if (!Empty() && Finite(cx) && Finite(cy) && Finite(radius) && radius > 0) {
        QPainter& p = Painter();
        p.setPen(Qt::NoPen);
        p.setBrush(QColor::fromRgba(color));
        p.drawEllipse(QPointF(cx, cy), double(radius), double(radius));
    }
    Changed();
}

void Bitmap32::ArcBandAA(float cx, float cy, float innerRadius, float outerRadius, float fromDeg, float toDeg,
                         TColor32 color) {
    if (innerRadius > outerRadius) std::swap(innerRadius, outerRadius);
    innerRadius = std::max(0.0f, innerRadius);
    if (!Empty() && Finite(cx) && Finite(cy) && Finite(innerRadius) && Finite(outerRadius) &&
        Finite(fromDeg) && Finite(toDeg) && outerRadius > innerRadius) {
        double sweep = double(toDeg) - double(fromDeg);
        // Clock angles run clockwise, so an end below the start wraps past 12 o'clock.
        if (sweep < 0) sweep += 360.0 * std::ceil(-sweep / 360.0);
        sweep = std::min(sweep, 360.0);
        if (sweep > 0) {
            // Qt angles: counter-clockwise from 3 o'clock.
            const double qtFrom = 90.0 - fromDeg;
            const QRectF outerRect(cx - outerRadius, cy - outerRadius, 2.0 * outerRadius, 2.0 * outerRadius);
            const QRectF innerRect(cx - innerRadius, cy - innerRadius, 2.0 * innerRadius, 2.0 * innerRadius);
            QPainterPath path;
            path.setFillRule(Qt::WindingFill);
            path.arcMoveTo(outerRect, qtFrom);
            path.arcTo(outerRect, qtFrom, -sweep);
            if (innerRadius > 0)
                path.arcTo(innerRect, qtFrom - sweep, sweep);
            else
                path.lineTo(cx, cy);
            path.closeSubpath();
            QPainter& p = Painter();
            p.setPen(Qt::NoPen);
            p.setBrush(QColor::fromRgba(color));
            p.drawPath(path);
        }
    }
    Changed();
}

void Bitmap32::DotAA(float x, float y, TColor32 color) {
    if (!Empty() && Finite(x) && Finite(y) && color != 0) {
        // Bilinear split of one pixel's worth of colour over the four pixels
        // around the point (integer coordinates are pixel centres).
        const double fx = std::floor(x), fy = std::floor(y);
        if (fx >= -1 && fy >= -1 && fx < Width() && fy < Height()) {
            const int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
            const double ax = x - fx, ay = y - fy;
            const quint32 src = Premultiplied(color);
            const double w[4] = {(1 - ax) * (1 - ay), ax * (1 - ay), (1 - ax) * ay, ax * ay};
            for (int i = 0; i < 4; ++i) {
                const int px = ix + (i & 1), py = iy + (i >> 1);
                if (px < 0 || py < 0 || px >= Width() || py >= Height()) continue;
                const auto coverage = static_cast<quint32>(std::lround(w[i] * 255.0));
                if (coverage == 0) continue;
                auto* p = reinterpret_cast<quint32*>(m_image.scanLine(py)) + px;
                *p = BlendOver(*p, src, coverage);
            }
        }
    }
    Changed();
}

QFont Bitmap32::FontForPoints(int points) {
    return FontFor(points).font;
}

void Bitmap32::SetFontSize(int points) {
    m_fontSize = std::max(1, points);
}

QSize Bitmap32::TextExtent(const QString& text) const {
    const FontEntry& f = FontFor(m_fontSize);
    return QSize(f.metrics.horizontalAdvance(text), f.metrics.height());
}

const QImage& Bitmap32::Label(const QString& text, TColor32 color) const {
    const FontEntry& f = FontFor(m_fontSize);
    LabelKey key{text, f.font.pixelSize(), color};
    auto& cache = LabelCache();
    auto it = cache.constFind(key);
    if (it != cache.constEnd()) return *it;
    if (cache.size() >= kMaxLabels) cache.clear();
    const QSize size(f.metrics.horizontalAdvance(text), f.metrics.height());
    QImage image;
    if (!size.isEmpty()) {
        image = QImage(size, kFormat);
        image.fill(0u);
        QPainter p(&image);
        p.setRenderHint(QPainter::TextAntialiasing, true);
        p.setFont(f.font);
        p.setPen(QColor::fromRgba(color));
        p.drawText(QPointF(0, f.metrics.ascent()), text);
    }
    return *cache.insert(key, image);
}

void Bitmap32::TextOut(int x, int y, const QString& text, TColor32 color) {
    if (!Empty() && !text.isEmpty()) {
        const QImage& label = Label(text, color);
        if (!label.isNull()) {
            QPainter& p = Painter();
            p.drawImage(QPoint(x, y), label);
        }
    }
    Changed();
}

void Bitmap32::TextRotated(float cx, float cy, float angleDeg, const QString& text, TColor32 color) {
    if (!Empty() && !text.isEmpty() && Finite(cx) && Finite(cy) && Finite(angleDeg)) {
        const QImage& label = Label(text, color);
        if (!label.isNull()) {
            QPainter& p = Painter();
            const double w = label.width(), h = label.height();
            if (std::fmod(double(angleDeg), 360.0) == 0.0) {
                // Unturned text stays on whole pixels and keeps its sharpness.
                p.drawImage(QPointF(std::round(cx - w / 2.0), std::round(cy - h / 2.0)), label);
            } else {
                p.setTransform(QTransform().translate(cx, cy).rotate(angleDeg));
                p.drawImage(QPointF(-w / 2.0, -h / 2.0), label);
                p.resetTransform();
            }
        }
    }
    Changed();
}

void Bitmap32::CopyFrom(const Bitmap32& source, int x, int y) {
    if (&source != this && !Empty() && !source.Empty()) {
        const int sx = std::max(0, -x), sy = std::max(0, -y);
        const int dx = std::max(0, x), dy = std::max(0, y);
        const int w = std::min(source.Width() - sx, Width() - dx);
        const int h = std::min(source.Height() - sy, Height() - dy);
        if (w > 0 && h > 0) {
            for (int row = 0; row < h; ++row) {
                const auto* s = reinterpret_cast<const quint32*>(source.m_image.constScanLine(sy + row)) + sx;
                auto* d = reinterpret_cast<quint32*>(m_image.scanLine(dy + row)) + dx;
                std::copy_n(s, w, d);
            }
        }
    }
    Changed();
}

void Bitmap32::BlendFrom(const Bitmap32& source, int x, int y) {
    if (&source != this && !Empty() && !source.Empty()) {
        const int sx = std::max(0, -x), sy = std::max(0, -y);
        const int dx = std::max(0, x), dy = std::max(0, y);
        const int w = std::min(source.Width() - sx, Width() - dx);
        const int h = std::min(source.Height() - sy, Height() - dy);
        for (int row = 0; row < h && w > 0; ++row) {
            const auto* s = reinterpret_cast<const quint32*>(source.m_image.constScanLine(sy + row)) + sx;
            auto* d = reinterpret_cast<quint32*>(m_image.scanLine(dy + row)) + dx;
            for (int i = 0; i < w; ++i) {
                const quint32 a = s[i] >> 24;
                if (a == 255)
                    d[i] = s[i];
                else if (a != 0 || s[i] != 0)
                    d[i] = BlendOver(d[i], s[i], 255);
            }
        }
    }
    Changed();
}

void Bitmap32::ReplaceColor(TColor32 from, TColor32 to) {
    if (!Empty()) {
        const quint32 f = Premultiplied(from), t = Premultiplied(to);
        for (int y = 0; y < Height(); ++y) {
            auto* line = reinterpret_cast<quint32*>(m_image.scanLine(y));
            std::replace(line, line + Width(), f, t);
        }
    }
    Changed();
}
