#include "platform/Bitmap32.h"

#include "platform/PainterRaster.h"
#include "platform/PixelOps.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <numbers>

// QPainter copies and blends (platform/PainterRaster.cpp); QImage::fill
// fills. The rasterisers below are kept where bench/bench_raster.cpp
// measured QPainter slower on the same image (lines, polygons, circles,
// discs, arcs, dots, the integer rectangles and lines, short labels), where
// a painter would stay with each of thousands of small bitmaps (the frame),
// where it has no such operation (the per-pixel dash pattern, the exchange of
// one colour, the partial redraw of DrawLines), or where its picture differs
// from ours by more than the faces allow (turned text).
namespace {

constexpr QImage::Format kFormat = QImage::Format_ARGB32_Premultiplied;

inline quint32 Premultiplied(TColor32 color) {
    return qPremultiply(color);
}


inline bool Finite(double v) {
    return std::isfinite(v);
}

// Pixel indices from coordinates that may lie anywhere in float range.
inline int ClampedInt(double v, int lo, int hi) {
    return static_cast<int>(std::clamp(v, double(lo), double(hi)));
}

// Operations remembered per bitmap; a bitmap drawn on for ever without being
// covered again stops remembering and falls back to its changed tiles.
constexpr std::size_t kMaxOps = 4096;
// Bitmaps up to this many pixels keep no record of their operations: a
// repaint of a station's or an aircraft's symbol simply damages what it
// touches, and two thousand stations do not hold their dots twice over.
constexpr int kMinRecordedPixels = 128 * 128;

} // namespace

// Two independent 64-bit mixes of an operation's arguments: two different
// operations share both only by an accident far rarer than any other fault.
class Bitmap32::TKey {
public:
    explicit TKey(int code) { Add(static_cast<quint64>(code)); }
    TKey& Add(quint64 v) {
        m_a = (m_a ^ v) * 0x100000001B3ull;
        m_a ^= m_a >> 29;
        m_b += v + 0x9E3779B97F4A7C15ull;
        m_b = (m_b ^ (m_b >> 30)) * 0xBF58476D1CE4E5B9ull;
        m_b ^= m_b >> 27;
        return *this;
    }
    TKey& Add(int v) { return Add(static_cast<quint64>(static_cast<qint64>(v))); }
    TKey& Add(float v) {
        quint32 bits = 0;
        std::memcpy(&bits, &v, sizeof bits);
        return Add(static_cast<quint64>(bits));
    }
    TKey& Add(const QString& text) {
        for (const QChar c : text)
            Add(static_cast<quint64>(c.unicode()));
        return Add(static_cast<quint64>(text.size()));
    }
    Bitmap32::TOp Rect(const QRect& r) const {
        Bitmap32::TOp op;
        op.k1 = m_a;
        op.k2 = m_b;
        op.rect = r;
        return op;
    }
    Bitmap32::TOp Line(float x1, float y1, float x2, float y2) const {
        Bitmap32::TOp op = Rect(QRect());
        op.line = true;
        op.x1 = x1;
        op.y1 = y1;
        op.x2 = x2;
        op.y2 = y2;
        return op;
    }

private:
    quint64 m_a = 0xCBF29CE484222325ull;
    quint64 m_b = 0;
};

namespace {
enum OpCode {
    opFill = 1,
    opFillRect,
    opFrameRect,
    opVertLine,
    opLine,
    opDashedLine,
    opPolygon,
    opCircle,
    opDisc,
    opArcBand,
    opDot,
    opText,
    opTextRotated,
    opCopy,
    opBlend,
    opReplace,
};

// Pixels of a box of doubles, widened to whole pixels plus a margin and kept in int range.
QRect BoxOf(double x1, double y1, double x2, double y2, int margin) {
    const double lim = 1 << 28;
    const int l = static_cast<int>(std::clamp(std::floor(x1) - margin, -lim, lim));
    const int t = static_cast<int>(std::clamp(std::floor(y1) - margin, -lim, lim));
    const int r = static_cast<int>(std::clamp(std::ceil(x2) + margin, -lim, lim));
    const int b = static_cast<int>(std::clamp(std::ceil(y2) + margin, -lim, lim));
    return QRect(QPoint(l, t), QPoint(r - 1, b - 1));
}
} // namespace

void Bitmap32::ResetAccounting() {
    m_damage.Reset(Width(), Height());
    m_painted.Reset(Width(), Height());
    m_redraw.Reset(Width(), Height());
}

void Bitmap32::Forget() {
    m_ops.clear();
    m_copied = false;
    m_opsValid = false;
    m_uniform = false;
    m_damage.MarkAll();
    m_pendingOps = false;
    ++m_generation;
}

void Bitmap32::Changed() {
    Forget();
    Notify();
}

quint64 Bitmap32::ContentKey() const {
    if (m_opsValid) return m_signature;
    return TKey(0).Add(m_uid).Add(m_generation).Rect(QRect()).k1;
}

void Bitmap32::MarkOp(TTileMask& mask, const TOp& op) const {
    if (op.line)
        mask.MarkLine(op.x1, op.y1, op.x2, op.y2);
    else
        mask.MarkRect(op.rect);
}

void Bitmap32::Record(const TOp& op, bool notify) {
    ++m_generation;
    MarkOp(m_painted, op);
    if (m_opsValid) {
        if (m_ops.size() >= kMaxOps) {
            // Settle what the record still owes before it is dropped.
            if (m_pendingOps) CollectDamage();
            m_ops.clear();
            m_opsValid = false;
        } else {
            m_ops.push_back(op);
            m_signature = TKey(0).Add(m_signature).Add(op.k1).Add(op.k2).Rect(QRect()).k1;
        }
    }
    if (m_opsValid && m_shownValid) {
        // Damage is worked out from the two records when it is asked for.
        m_pendingOps = true;
    } else {
        MarkOp(m_damage, op);
    }
    if (notify) Notify();
}

void Bitmap32::RecordCover(const TOp& op) {
    ++m_generation;
    m_copied = false;
    // What was recorded before is lost from the record; if it was still to
    // be compared, the tiles it touched are damage now.
    if (m_pendingOps) CollectDamage();
    m_ops.clear();
    if (Width() * Height() < kMinRecordedPixels) {
        m_ops.shrink_to_fit();
        m_opsValid = false;
        m_pendingOps = false;
        Notify();
        return;
    }
    m_ops.push_back(op);
    m_opsValid = true;
    m_signature = TKey(0).Add(op.k1).Add(op.k2).Rect(QRect()).k1;
    m_pendingOps = m_shownValid;
    Notify();
}

void Bitmap32::MarkDifferences(TTileMask& tiles, const std::vector<TOp>& now,
                               const std::vector<TOp>& before) const {
    // The pixels are the same wherever the same operations touched them in
    // the same order: match the two records in order, and whatever either
    // has that the other lacks is marked.
    std::size_t i = 0;
    const std::size_t n = before.size();
    for (const TOp& op : now) {
        std::size_t j = i;
        while (j < n && (before[j].k1 != op.k1 || before[j].k2 != op.k2))
            ++j;
        if (j == n) {
            MarkOp(tiles, op);
            continue;
        }
        for (; i < j; ++i)
            MarkOp(tiles, before[i]);
        i = j + 1;
    }
    for (; i < n; ++i)
        MarkOp(tiles, before[i]);
}

void Bitmap32::CollectDamage() {
    if (m_pendingOps && m_opsValid && m_shownValid) {
        MarkDifferences(m_damage, m_ops, m_shownOps);
    }
    m_pendingOps = false;
    m_shownOps = m_ops;
    if (m_ops.empty()) m_shownOps.shrink_to_fit();
    m_shownValid = m_opsValid;
}

quint64 Bitmap32::NewUid() {
    static quint64 next = 0;
    return ++next;
}

Bitmap32::Bitmap32(int width, int height) {
    SetSize(width, height);
}

Bitmap32::~Bitmap32() = default;

Bitmap32::Bitmap32(const Bitmap32& other)
    : m_fontSize(other.m_fontSize), m_dash(other.m_dash), m_dashPos(other.m_dashPos) {
    m_image = other.m_image;
    ResetAccounting();
    Forget();
}

Bitmap32& Bitmap32::operator=(const Bitmap32& other) {
    if (this == &other) return *this;
    m_image = other.m_image;
    m_fontSize = other.m_fontSize;
    m_dash = other.m_dash;
    m_dashPos = other.m_dashPos;
    ResetAccounting();
    Changed();
    return *this;
}

Bitmap32::Bitmap32(Bitmap32&& other) noexcept
    : m_image(std::move(other.m_image)), m_fontSize(other.m_fontSize), m_dash(std::move(other.m_dash)),
      m_dashPos(other.m_dashPos), m_onChanged(std::move(other.m_onChanged)) {
    other.m_onChanged = nullptr;
    ResetAccounting();
    Forget();
}

Bitmap32& Bitmap32::operator=(Bitmap32&& other) noexcept {
    if (this == &other) return *this;
    m_image = std::move(other.m_image);
    m_fontSize = other.m_fontSize;
    m_dash = std::move(other.m_dash);
    m_dashPos = other.m_dashPos;
    ResetAccounting();
    Changed();
    return *this;
}

void Bitmap32::SetSize(int width, int height) {
    width = std::max(0, width);
    height = std::max(0, height);
    if (width == Width() && height == Height()) return;
    if (width == 0 || height == 0) {
        m_image = QImage();
    } else {
        m_image = QImage(width, height, kFormat);
        m_image.fill(0u);
    }
    ResetAccounting();
    m_damage.MarkAll();
    m_uniform = true;
    m_uniformPixel = 0;
    // As if cleared to transparent: a later Clear matches it.
    RecordCover(TKey(opFill).Add(width).Add(height).Add(quint64(0)).Rect(QRect(0, 0, width, height)));
}

TColor32 Bitmap32::Pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= Width() || y >= Height()) return 0;
    const auto* line = reinterpret_cast<const quint32*>(m_image.constScanLine(y));
    return qUnpremultiply(line[x]);
}

void Bitmap32::Fill(TColor32 color) {
    const quint32 p = Premultiplied(color);
    if (!Empty()) {
        if (m_uniform && m_uniformPixel == p && !m_painted.All()) {
            // Filled with this colour before: only what was drawn since differs.
            auto* bits = reinterpret_cast<quint32*>(m_image.bits());
            const qsizetype stride = m_image.bytesPerLine() / 4;
            m_painted.ForEachRun([&](const QRect& r) {
                for (int y = r.top(); y <= r.bottom(); ++y)
                    std::fill_n(bits + y * stride + r.left(), r.width(), p);
                if (!m_shownValid) m_damage.MarkRect(r);
            });
        } else {
            // QImage::fill, not a painter: a painter once begun on an image
            // leaves its engine (a few kilobytes) with it for the image's
            // life, and the map holds thousands of small symbol bitmaps.
            m_image.fill(p);
            // Without an earlier record to compare with, all of it changed.
            if (!m_shownValid) m_damage.MarkAll();
        }
    }
    m_painted.Clear();
    m_uniform = true;
    m_uniformPixel = p;
    RecordCover(TKey(opFill).Add(Width()).Add(Height()).Add(quint64(p)).Rect(QRect(0, 0, Width(), Height())));
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
    Record(TKey(opFillRect).Add(x1).Add(y1).Add(x2).Add(y2).Add(quint64(color)).Rect(QRect(QPoint(x1, y1), QPoint(x2 - 1, y2 - 1))));
}

void Bitmap32::FrameRect(int x1, int y1, int x2, int y2, TColor32 color) {
    if (x1 > x2) std::swap(x1, x2);
    if (y1 > y2) std::swap(y1, y2);
    // Our own pixels rather than a painter, which would stay with every
    // VOR symbol's bitmap (see Fill).
    const quint32 p = Premultiplied(color);
    auto put = [&](int x, int y) {
        if (x >= 0 && y >= 0 && x < Width() && y < Height()) reinterpret_cast<quint32*>(m_image.scanLine(y))[x] = p;
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
    Record(TKey(opFrameRect).Add(x1).Add(y1).Add(x2).Add(y2).Add(quint64(color)).Rect(QRect(QPoint(x1, y1), QPoint(x2, y2))));
}

void Bitmap32::VertLine(int x, int y1, int y2, TColor32 color) {
    if (y1 > y2) std::swap(y1, y2);
    if (x >= 0 && x < Width()) {
        const quint32 p = Premultiplied(color);
        const int from = std::max(y1, 0), to = std::min(y2, Height() - 1);
        for (int y = from; y <= to; ++y)
            reinterpret_cast<quint32*>(m_image.scanLine(y))[x] = p;
    }
    Record(TKey(opVertLine).Add(x).Add(y1).Add(y2).Add(quint64(color)).Rect(QRect(QPoint(x, y1), QPoint(x, y2))));
}

namespace {

// Major-axis steps of a line from (x1, y1) to (x2, y2) as the rasteriser
// takes them: from the rounded start to the rounded end.
double LineSteps(double x1, double y1, double x2, double y2) {
    if (!Finite(x1) || !Finite(y1) || !Finite(x2) || !Finite(y2)) return 0;
    const bool xMajor = std::fabs(x2 - x1) >= std::fabs(y2 - y1);
    const double a1 = xMajor ? x1 : y1, a2 = xMajor ? x2 : y2;
    return std::fabs(std::floor(a2 + 0.5) - std::floor(a1 + 0.5));
}

// The pattern entry a dashed line reaches after k steps from entry pos.
std::size_t DashEntry(std::size_t pos, double k, std::size_t size) {
    const auto n = static_cast<double>(size);
    return static_cast<std::size_t>(std::fmod(static_cast<double>(pos) + std::fmod(k, n), n));
}

} // namespace

// Wu-style rasteriser: one step per pixel along the major axis, integer
// coordinates being pixel centres, the pixel of the end point left out. Each
// step spreads the colour over the two pixels nearest the true line. Returns
// the number of major-axis steps the whole (unclipped) line has, so that a
// dash pattern advances as if every step had been drawn. colorAt gets the
// step number (a double: lines may start far outside the bitmap); it is
// called for the steps on the bitmap in order, the number rising by one
// each time, so that a pattern can follow it without dividing. With a
// clip, only pixels in its marked tiles are drawn, exactly as they would be
// without it, and a tile's worth of steps with no marked tile is passed
// over without a call: the number then jumps.
template <typename ColorAt>
double Bitmap32::RasterLine(double x1, double y1, double x2, double y2, ColorAt colorAt, const TTileMask* clip) {
    const double steps = LineSteps(x1, y1, x2, y2);
    if (steps == 0 || Empty()) return steps;
    const bool xMajor = std::fabs(x2 - x1) >= std::fabs(y2 - y1);
    // Work in (major, minor) coordinates.
    const double a1 = xMajor ? x1 : y1, b1 = xMajor ? y1 : x1;
    const double a2 = xMajor ? x2 : y2, b2 = xMajor ? y2 : x2;
    const int majorSize = xMajor ? Width() : Height();
    const int minorSize = xMajor ? Height() : Width();

    const double start = std::floor(a1 + 0.5), end = std::floor(a2 + 0.5);
    const bool forward = end > start;
    const double slope = (b2 - b1) / (a2 - a1);

    // Only the major coordinates on the bitmap are visited, in drawing order.
    const double first = forward ? std::max(start, 0.0) : std::min(start, majorSize - 1.0);
    const double last = forward ? std::min(end - 1.0, majorSize - 1.0) : std::max(end + 1.0, 0.0);
    if (forward ? first > last : first < last) return steps;

    uchar* bits = m_image.bits();
    const qsizetype stride = m_image.bytesPerLine();
    auto plot = [&](int major, int minor, quint32 src, quint32 coverage) {
        if (minor < 0 || minor >= minorSize || coverage == 0) return;
        const int x = xMajor ? major : minor, y = xMajor ? minor : major;
        if (clip && !clip->MarkedAt(x, y)) return;
        auto* px = reinterpret_cast<quint32*>(bits + y * stride) + x;
        *px = BlendOver(*px, src, coverage);
    };

    // With a clip, a tile's worth of major steps whose tiles are all
    // unmarked is passed over whole: redrawing a few tiles must not cost
    // the full length of every long line through the bitmap.
    const auto chunkMarked = [&](int a, int c) {
        const double ba = b1 + (a - a1) * slope, bc = b1 + (c - a1) * slope;
        const int lo = static_cast<int>(std::max(std::floor(std::min(ba, bc)), 0.0));
        const int hi = static_cast<int>(std::min(std::floor(std::max(ba, bc)) + 1.0, minorSize - 1.0));
        const int major = a >> TTileMask::Shift;
        for (int m = lo >> TTileMask::Shift; m <= hi >> TTileMask::Shift; ++m)
            if (xMajor ? clip->Marked(major, m) : clip->Marked(m, major)) return true;
        return false;
    };
    constexpr int tileLast = TTileMask::Size - 1;

    const int from = static_cast<int>(first), to = static_cast<int>(last);
    const int dir = forward ? 1 : -1;
    TColor32 lastColor = 0;
    quint32 src = 0;
    for (int a = from;; a += dir) {
        if (clip && (a == from || (a & tileLast) == (forward ? 0 : tileLast))) {
            const int chunkEnd = forward ? std::min(to, a | tileLast) : std::max(to, a & ~tileLast);
            if (!chunkMarked(a, chunkEnd)) {
                a = chunkEnd;
                if (a == to) break;
                continue;
            }
        }
        const double k = forward ? a - start : start - a;
        const TColor32 color = colorAt(k);
        if (color != 0) {
            const double b = b1 + (a - a1) * slope;
            const double bf = std::floor(b);
            if (bf >= -1.0 && bf < minorSize) {
                const auto upper = static_cast<quint32>((b - bf) * 255.0 + 0.5);
                if (color != lastColor) {
                    lastColor = color;
                    src = Premultiplied(color);
                }
                const int minor = static_cast<int>(bf);
                plot(a, minor, src, 255u - upper);
                plot(a, minor + 1, src, upper);
            }
        }
        if (a == to) break;
    }
    return steps;
}

void Bitmap32::LineAA(float x1, float y1, float x2, float y2, TColor32 color) {
    if (color != 0) RasterLine(x1, y1, x2, y2, [color](double) { return color; });
    Record(TKey(opLine).Add(x1).Add(y1).Add(x2).Add(y2).Add(quint64(color)).Line(x1, y1, x2, y2));
}

void Bitmap32::SetDashPattern(const std::vector<TColor32>& pattern) {
    m_dash = pattern;
    m_dashPos = 0;
}

void Bitmap32::RasterDashed(float x1, float y1, float x2, float y2, const TTileMask* clip) {
    if (m_dash.empty()) return;
    const std::size_t size = m_dash.size();
    // The entry of the first step on the bitmap, and of the first after a
    // stretch a clip passed over, is worked out; each step after it is the
    // next entry.
    std::size_t entry = 0;
    double next = -1.0;
    const auto colorAt = [&](double k) {
        if (k != next) {
            entry = DashEntry(m_dashPos, k, size);
        } else if (++entry == size) {
            entry = 0;
        }
        next = k + 1.0;
        return m_dash[entry];
    };
    m_dashPos = DashEntry(m_dashPos, RasterLine(x1, y1, x2, y2, colorAt, clip), size);
}

void Bitmap32::DashedLineAA(float x1, float y1, float x2, float y2) {
    TKey key(opDashedLine);
    key.Add(x1).Add(y1).Add(x2).Add(y2).Add(quint64(m_dashPos));
    for (const TColor32 c : m_dash)
        key.Add(quint64(c));
    RasterDashed(x1, y1, x2, y2, nullptr);
    Record(key.Line(x1, y1, x2, y2));
}

void Bitmap32::DrawLines(TColor32 background, const std::vector<TLine>& lines) {
    const quint32 bg = Premultiplied(background);
    // Each line's record as LineAA or DashedLineAA would make it, the dash
    // pattern followed through the lines as they would follow it.
    std::vector<TOp> ops;
    ops.reserve(lines.size());
    const std::vector<TColor32>* pattern = &m_dash;
    std::size_t pos = m_dashPos;
    for (const TLine& line : lines) {
        if (line.Pattern) {
            pattern = line.Pattern;
            pos = 0;
        }
        if (line.Dashed) {
            TKey key(opDashedLine);
            key.Add(line.X1).Add(line.Y1).Add(line.X2).Add(line.Y2).Add(quint64(pos));
            for (const TColor32 c : *pattern)
                key.Add(quint64(c));
            ops.push_back(key.Line(line.X1, line.Y1, line.X2, line.Y2));
            if (!pattern->empty())
                pos = DashEntry(pos, LineSteps(line.X1, line.Y1, line.X2, line.Y2), pattern->size());
        } else {
            ops.push_back(TKey(opLine)
                              .Add(line.X1)
                              .Add(line.Y1)
                              .Add(line.X2)
                              .Add(line.Y2)
                              .Add(quint64(line.Color))
                              .Line(line.X1, line.Y1, line.X2, line.Y2));
        }
    }

    const auto draw = [this](const TLine& line, const TTileMask* clip) {
        if (line.Pattern) SetDashPattern(*line.Pattern);
        if (line.Dashed)
            RasterDashed(line.X1, line.Y1, line.X2, line.Y2, clip);
        else if (line.Color != 0)
            RasterLine(line.X1, line.Y1, line.X2, line.Y2, [&line](double) { return line.Color; }, clip);
    };

    if (!m_linesValid || m_linesGeneration != m_generation || m_linesBackground != bg) {
        // Something else drew here since (or nothing was drawn yet): all of it, one operation at a time.
        Fill(background);
        for (std::size_t i = 0; i < lines.size(); ++i) {
            draw(lines[i], nullptr);
            Record(ops[i]);
        }
    } else {
        // Anywhere the two sequences of lines agree, the same lines are
        // drawn in the same order over the same background.
        m_redraw.Clear();
        MarkDifferences(m_redraw, ops, m_lines);

        // The operation record no longer describes the pixels: from here on
        // damage is counted in tiles until the next covering operation.
        if (m_pendingOps) CollectDamage();
        m_ops.clear();
        m_opsValid = false;
        m_shownOps.clear();
        m_shownValid = false;
        m_copied = false;
        ++m_generation;
        auto* bits = reinterpret_cast<quint32*>(m_image.bits());
        const qsizetype stride = m_image.bytesPerLine() / 4;
        m_redraw.ForEachRun([&](const QRect& r) {
            for (int y = r.top(); y <= r.bottom(); ++y)
                std::fill_n(bits + y * stride + r.left(), r.width(), bg);
            m_damage.MarkRect(r);
            m_painted.MarkRect(r);
        });
        if (m_redraw.Any()) {
            for (const TLine& line : lines)
                draw(line, &m_redraw);
        } else {
            // Nothing to draw; the pattern still ends where the lines leave it.
            for (const TLine& line : lines)
                if (line.Pattern) SetDashPattern(*line.Pattern);
            m_dashPos = pos;
        }
        Notify();
    }
    m_lines = std::move(ops);
    m_linesBackground = bg;
    m_linesGeneration = m_generation;
    m_linesValid = true;
}

void Bitmap32::PolylineAA(const std::vector<TSinglePoint>& points, TColor32 color) {
    // Each segment is the line it would be on its own, and is accounted as one.
    for (std::size_t i = 1; i < points.size(); ++i) {
        const auto& p = points[i - 1];
        const auto& q = points[i];
        if (color != 0) RasterLine(p.X, p.Y, q.X, q.Y, [color](double) { return color; });
        Record(TKey(opLine).Add(p.X).Add(p.Y).Add(q.X).Add(q.Y).Add(quint64(color)).Line(p.X, p.Y, q.X, q.Y),
               false);
    }
    Notify();
}

namespace {

// Polygon filler by exact signed area, the way font rasterisers do it: every
// edge adds, cell by cell, the area it sweeps to its right into a buffer;
// a running sum along a row is then the winding number integrated over each
// pixel. Folding that sum (0..1..2 -> 0..1..0) gives the even-odd rule.
// Between the cells an edge touched the sum is constant, so long covered
// runs are filled at memory speed.
struct Touched {
    int row, from, to; // cells [from, to] of row got area
};

struct Contour {
    const QPointF* points;
    std::size_t n;
};

struct Scratch {
    std::vector<float> area; // rows x stride, kept all zero between fills
    std::vector<Touched> touched;
    std::vector<Touched> sorted;
    std::vector<int> rowStart;
    std::vector<int> fillPos;
    std::vector<Contour> contours;
};

Scratch& RasterScratch() {
    thread_local Scratch scratch;
    return scratch;
}

class ContourFiller {
public:
    explicit ContourFiller(QImage& image) : m_image(image), m_s(RasterScratch()), m_contours(m_s.contours) {
        m_contours.clear();
    }

    // Adds the closed contour points[0..n).
    void AddContour(const QPointF* points, std::size_t n) {
        if (n < 3) return;
        m_contours.push_back({points, n});
    }

    void Fill(TColor32 color) {
        if (m_contours.empty() || color == 0 || m_image.isNull()) return;
        const int width = m_image.width(), height = m_image.height();
        double minX = m_contours[0].points[0].x(), maxX = minX;
        double minY = m_contours[0].points[0].y(), maxY = minY;
        for (const Contour& c : m_contours) {
            for (std::size_t i = 0; i < c.n; ++i) {
                minX = std::min(minX, c.points[i].x());
                maxX = std::max(maxX, c.points[i].x());
                minY = std::min(minY, c.points[i].y());
                maxY = std::max(maxY, c.points[i].y());
            }
        }
        m_rowFrom = static_cast<int>(std::clamp(std::floor(minY), 0.0, double(height)));
        m_rowTo = static_cast<int>(std::clamp(std::ceil(maxY), 0.0, double(height)));
        if (m_rowFrom >= m_rowTo || maxX < 0 || minX >= width) return;
        m_xMin = std::clamp(std::floor(minX), 0.0, double(width));
        m_xMax = std::clamp(std::ceil(maxX), 0.0, double(width));
        m_colFrom = static_cast<int>(m_xMin);
        m_stride = static_cast<int>(m_xMax) - m_colFrom + 2;
        const std::size_t need =
            static_cast<std::size_t>(m_rowTo - m_rowFrom) * static_cast<std::size_t>(m_stride);
        if (m_s.area.size() < need) m_s.area.resize(need, 0.0f);
        m_s.touched.clear();

        for (const Contour& c : m_contours) {
            for (std::size_t i = 0; i < c.n; ++i) {
                const QPointF& a = c.points[i];
                const QPointF& b = c.points[(i + 1) % c.n];
                AddClippedLine(a.x(), a.y(), b.x(), b.y());
            }
        }
        Accumulate(Premultiplied(color));
    }

private:
    // Parts of an edge left or right of the filled box act like a vertical
    // edge on its border (everything right of them is covered, or nothing
    // visible is), so they are pressed onto it.
    void AddClippedLine(double x0, double y0, double x1, double y1) {
        if (y0 == y1) return;
        // Rows above and below the bitmap contribute nothing; cutting them
        // off first keeps far-away vertices from costing the precision of
        // the x split below.
        const double top = m_rowFrom, bottom = m_rowTo;
        if (std::max(y0, y1) <= top || std::min(y0, y1) >= bottom) return;
        auto xAt = [&](double y) { return x0 + (x1 - x0) * ((y - y0) / (y1 - y0)); };
        double cx0 = x0, cy0 = y0, cx1 = x1, cy1 = y1;
        if (cy0 < top)
            cx0 = xAt(cy0 = top);
        else if (cy0 > bottom)
            cx0 = xAt(cy0 = bottom);
        if (cy1 < top)
            cx1 = xAt(cy1 = top);
        else if (cy1 > bottom)
            cx1 = xAt(cy1 = bottom);
        x0 = cx0;
        y0 = cy0;
        x1 = cx1;
        y1 = cy1;
        double ts[2];
        int nt = 0;
        for (double edge : {m_xMin, m_xMax}) {
            if ((x0 < edge) != (x1 < edge)) {
                const double t = (edge - x0) / (x1 - x0);
                if (t > 0 && t < 1) ts[nt++] = t;
            }
        }
        if (nt == 2 && ts[0] > ts[1]) std::swap(ts[0], ts[1]);
        double px = x0, py = y0;
        for (int i = 0; i <= nt; ++i) {
            const double t = i < nt ? ts[i] : 1.0;
            const double qx = i < nt ? x0 + (x1 - x0) * t : x1;
            const double qy = i < nt ? y0 + (y1 - y0) * t : y1;
            AddLine(std::clamp(px, m_xMin, m_xMax), py, std::clamp(qx, m_xMin, m_xMax), qy);
            px = qx;
            py = qy;
        }
    }

    void AddLine(double x0, double y0, double x1, double y1) {
        if (y0 == y1) return;
        double dir = 1.0;
        if (y0 > y1) {
            std::swap(x0, x1);
            std::swap(y0, y1);
            dir = -1.0;
        }
        const double dxdy = (x1 - x0) / (y1 - y0);
        double x = x0;
        const int rowFrom = std::max(m_rowFrom, ClampedInt(std::floor(y0), -1, m_rowTo));
        const int rowTo = std::min(m_rowTo, static_cast<int>(std::min(double(m_rowTo), std::ceil(y1))));
        if (y0 < rowFrom) x += (rowFrom - y0) * dxdy;
        for (int y = rowFrom; y < rowTo; ++y) {
            const double dy = std::min(double(y + 1), y1) - std::max(double(y), y0);
            const double xnext = x + dxdy * dy;
            const double d = dy * dir;
            const double xa = std::min(x, xnext) - m_colFrom, xb = std::max(x, xnext) - m_colFrom;
            const double xaFloor = std::floor(xa);
            const int ia = static_cast<int>(xaFloor);
            const double xbCeil = std::ceil(xb);
            const int ib = static_cast<int>(xbCeil);
            float* row = m_s.area.data() + static_cast<std::size_t>(y - m_rowFrom) * m_stride;
            int last;
            if (ib <= ia + 1) {
                const double xmf = 0.5 * (x + xnext) - m_colFrom - xaFloor;
                row[ia] += static_cast<float>(d - d * xmf);
                row[ia + 1] += static_cast<float>(d * xmf);
                last = ia + 1;
            } else {
                const double s = 1.0 / (xb - xa);
                const double xaf = xa - xaFloor;
                const double a0 = 0.5 * s * (1.0 - xaf) * (1.0 - xaf);
                const double xbf = xb - xbCeil + 1.0;
                const double am = 0.5 * s * xbf * xbf;
                row[ia] += static_cast<float>(d * a0);
                if (ib == ia + 2) {
                    row[ia + 1] += static_cast<float>(d * (1.0 - a0 - am));
                } else {
                    const double a1 = s * (1.5 - xaf);
                    row[ia + 1] += static_cast<float>(d * (a1 - a0));
                    for (int xi = ia + 2; xi < ib - 1; ++xi)
                        row[xi] += static_cast<float>(d * s);
                    const double a2 = a1 + (ib - ia - 3) * s;
                    row[ib - 1] += static_cast<float>(d * (1.0 - a2 - am));
                }
                row[ib] += static_cast<float>(d * am);
                last = ib;
            }
            m_s.touched.push_back({y, ia, last});
            x = xnext;
        }
    }

    static quint32 Coverage(float acc) {
        float v = std::fabs(acc);
        if (v > 2.0f) v -= 2.0f * std::floor(v * 0.5f);
        if (v > 1.0f) v = 2.0f - v;
        return static_cast<quint32>(v * 255.0f + 0.5f);
    }

    void Accumulate(quint32 src) {
        const bool opaque = (src >> 24) == 255;
        const int width = m_image.width();
        uchar* bits = m_image.bits();
        const qsizetype stride = m_image.bytesPerLine();
        // Bucket the touched runs by row (counting sort), then by column.
        const int rows = m_rowTo - m_rowFrom;
        auto& start = m_s.rowStart;
        start.assign(static_cast<std::size_t>(rows) + 1, 0);
        for (const Touched& t : m_s.touched)
            ++start[static_cast<std::size_t>(t.row - m_rowFrom) + 1];
        for (int r = 0; r < rows; ++r)
            start[r + 1] += start[r];
        auto& sorted = m_s.sorted;
        sorted.resize(m_s.touched.size());
        {
            std::vector<int>& fillPos = m_s.fillPos;
            fillPos.assign(start.begin(), start.end() - 1);
            for (const Touched& t : m_s.touched)
                sorted[fillPos[t.row - m_rowFrom]++] = t;
        }
        for (int r = 0; r < rows; ++r) {
            Touched* first = sorted.data() + start[r];
            Touched* end = sorted.data() + start[r + 1];
            if (first == end) continue;
            // Few runs per row: insertion sort beats the general one here.
            for (Touched* i = first + 1; i < end; ++i) {
                const Touched t = *i;
                Touched* j = i;
                for (; j > first && (j - 1)->from > t.from; --j)
                    *j = *(j - 1);
                *j = t;
            }
            float* area = m_s.area.data() + static_cast<std::size_t>(r) * m_stride;
            auto* line = reinterpret_cast<quint32*>(bits + (m_rowFrom + r) * stride) + m_colFrom;
            const int visible = width - m_colFrom; // cells at or beyond are off the bitmap
            float acc = 0.0f;
            int x = first->from;
            for (Touched* t = first; t != end; ++t) {
                if (t->to < x) continue;
                const int from = std::max(x, t->from);
                // Constant coverage up to the next touched cell.
                const quint32 gap = Coverage(acc);
                if (gap != 0 && from > x) {
                    const int gx1 = std::min(from, visible);
                    if (gap == 255 && opaque)
                        std::fill(line + x, line + std::max(x, gx1), src);
                    else
                        for (int i = x; i < gx1; ++i)
                            line[i] = BlendOver(line[i], src, gap);
                }
                for (int i = from; i <= t->to; ++i) {
                    acc += area[i];
                    area[i] = 0.0f;
                    if (i >= visible) continue;
                    const quint32 cov = Coverage(acc);
                    if (cov == 0) continue;
                    line[i] = (cov == 255 && opaque) ? src : BlendOver(line[i], src, std::min(cov, 255u));
                }
                x = t->to + 1;
            }
        }
    }

    QImage& m_image;
    Scratch& m_s;
    std::vector<Contour>& m_contours;
    int m_rowFrom = 0, m_rowTo = 0, m_colFrom = 0, m_stride = 0;
    double m_xMin = 0, m_xMax = 0;
};

// Discs and rings by distance: a pixel's coverage is how far its centre lies
// inside the circle, clamped to one pixel (a ring is the outer disc less the
// inner one). Only the pixels near an edge need the square root; the rest of
// each row is filled or skipped in runs.
void FillRing(QImage& image, double cx, double cy, double outer, double inner, TColor32 color) {
    if (image.isNull() || color == 0 || !(outer > 0)) return;
    const int width = image.width(), height = image.height();
    const quint32 src = Premultiplied(color);
    const bool opaque = (src >> 24) == 255;
    const bool ring = inner > 0;
    auto firstPixelFrom = [width](double pos) { return ClampedInt(std::ceil(pos - 0.5), -1, width + 1); };
    auto clampX = [width](int x) { return std::clamp(x, 0, width); };
    const int rowFrom = ClampedInt(std::floor(cy - outer - 1), 0, height);
    const int rowTo = ClampedInt(std::ceil(cy + outer + 1), 0, height);
    for (int y = rowFrom; y < rowTo; ++y) {
        const double dy = y + 0.5 - cy, dy2 = dy * dy;
        const double reach = outer + 0.5;
        if (dy2 >= reach * reach) continue;
        auto half = [dy, dy2](double r) { return r > std::fabs(dy) ? std::sqrt(r * r - dy2) : -1.0; };
        const double xo = std::sqrt(reach * reach - dy2);
        const double xoFull = half(outer - 0.5);
        const double xi = ring ? half(inner + 0.5) : -1.0;
        const double xiZero = ring ? half(inner - 0.5) : -1.0;
        const int left = clampX(firstPixelFrom(cx - xo)), right = clampX(firstPixelFrom(cx + xo));
        const int fullL = xoFull >= 0 ? firstPixelFrom(cx - xoFull) : 0;
        const int fullR = xoFull >= 0 ? firstPixelFrom(cx + xoFull) : 0;
        const int innerL = xi >= 0 ? firstPixelFrom(cx - xi) : 0,
                  innerR = xi >= 0 ? firstPixelFrom(cx + xi) : 0;
        const int holeL = xiZero >= 0 ? firstPixelFrom(cx - xiZero) : 0;
        const int holeR = xiZero >= 0 ? firstPixelFrom(cx + xiZero) : 0;
        auto* line = reinterpret_cast<quint32*>(image.scanLine(y));
        for (int x = left; x < right;) {
            if (x >= holeL && x < holeR) {
                x = holeR;
                continue;
            }
            if (x >= fullL && x < fullR && !(x >= innerL && x < innerR)) {
                int end = fullR;
                if (x < innerL && innerL < innerR) end = std::min(end, innerL);
                end = clampX(end);
                if (opaque)
                    std::fill(line + x, line + end, src);
                else
                    for (int i = x; i < end; ++i)
                        line[i] = BlendOver(line[i], src, 255);
                x = std::max(end, x + 1);
                continue;
            }
            const double dx = x + 0.5 - cx;
            const double d = std::sqrt(dx * dx + dy2);
            double cov = std::clamp(outer - d + 0.5, 0.0, 1.0);
            if (ring) cov -= std::clamp(inner - d + 0.5, 0.0, 1.0);
            const auto c = static_cast<quint32>(cov * 255.0 + 0.5);
            if (c != 0) line[x] = (c >= 255 && opaque) ? src : BlendOver(line[x], src, std::min(c, 255u));
            ++x;
        }
    }
}

// Points of a circular arc from clock angle fromDeg through sweepDeg
// (clockwise), fine enough that no chord strays more than 1/20 pixel.
void AppendArc(std::vector<QPointF>& out, double cx, double cy, double r, double fromDeg, double sweepDeg) {
    const double maxStep = r > 0.05 ? 2.0 * std::acos(1.0 - 0.05 / r) : std::numbers::pi;
    const double sweep = sweepDeg * std::numbers::pi / 180.0;
    // Capped: a radius of millions of pixels must not cost millions of points.
    const int n = ClampedInt(std::ceil(std::fabs(sweep) / maxStep) + 1, 2, 8192);
    const double start = fromDeg * std::numbers::pi / 180.0;
    for (int i = 0; i < n; ++i) {
        const double a = start + sweep * i / (n - 1);
        out.emplace_back(cx + r * std::sin(a), cy - r * std::cos(a));
    }
}

std::vector<QPointF>& PointScratch(int which) {
    thread_local std::vector<QPointF> points[2];
    points[which].clear();
    return points[which];
}

bool AllFinite(std::initializer_list<double> values) {
    return std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); });
}

} // namespace

void Bitmap32::PolygonAA(const std::vector<TSinglePoint>& points, TColor32 color) {
    if (points.size() >= 3 && !Empty()) {
        auto& polygon = PointScratch(0);
        bool ok = true;
        for (const auto& p : points) {
            if (!Finite(p.X) || !Finite(p.Y)) {
                ok = false;
                break;
            }
            polygon.emplace_back(std::round(double(p.X) * 65536.0) / 65536.0,
                                 std::round(double(p.Y) * 65536.0) / 65536.0);
        }
        if (ok) {
            ContourFiller filler(m_image);
            filler.AddContour(polygon.data(), polygon.size());
            filler.Fill(color);
        }
    }
    TKey key(opPolygon);
    key.Add(quint64(color)).Add(quint64(points.size()));
    bool finite = points.size() >= 3;
    double minY = 0, maxY = -1;
    for (const auto& p : points) {
        key.Add(p.X).Add(p.Y);
        if (!Finite(p.X) || !Finite(p.Y)) finite = false;
    }
    if (finite) {
        minY = maxY = points[0].Y;
        for (const auto& p : points) {
            minY = std::min(minY, double(p.Y));
            maxY = std::max(maxY, double(p.Y));
        }
    }
    // A needle lies thin and slanted: its bounding box would be mostly
    // empty, so the damage is counted band by band of tile rows, each as
    // wide as the edges crossing it (what lies inside lies between them).
    const int top = std::max(0, static_cast<int>(std::floor(std::max(minY, -1.0e6))) - 1);
    const int bottom = std::min(Height(), static_cast<int>(std::ceil(std::min(maxY, 1.0e6))) + 2);
    if (!finite || top >= bottom || Empty()) {
        Record(key.Rect(QRect()));
        return;
    }
    const int firstBand = top >> TTileMask::Shift, lastBand = (bottom - 1) >> TTileMask::Shift;
    std::vector<std::pair<double, double>> spans(static_cast<std::size_t>(lastBand - firstBand + 1),
                                                 {std::numeric_limits<double>::max(), std::numeric_limits<double>::lowest()});
    for (std::size_t i = 0; i < points.size(); ++i) {
        const TSinglePoint& a = points[i];
        const TSinglePoint& b = points[(i + 1) % points.size()];
        const double y0 = std::min(a.Y, b.Y) - 1.0, y1 = std::max(a.Y, b.Y) + 1.0;
        const int from = std::max(firstBand, static_cast<int>(std::floor(std::max(y0, double(top)))) >> TTileMask::Shift);
        const int to = std::min(lastBand, static_cast<int>(std::floor(std::min(y1, double(bottom - 1)))) >> TTileMask::Shift);
        for (int band = from; band <= to; ++band) {
            // The edge's x between the band's top and bottom (one pixel wider each way).
            const double bt = std::max(double(band << TTileMask::Shift) - 1.0, y0);
            const double bb = std::min(double((band + 1) << TTileMask::Shift) + 1.0, y1);
            auto xAt = [&](double y) {
                if (a.Y == b.Y) return double(a.X);
                const double t = std::clamp((y - a.Y) / (double(b.Y) - a.Y), 0.0, 1.0);
                return a.X + t * (double(b.X) - a.X);
            };
            const double xa = xAt(bt), xb = xAt(bb);
            auto& span = spans[static_cast<std::size_t>(band - firstBand)];
            span.first = std::min({span.first, xa, xb});
            span.second = std::max({span.second, xa, xb});
        }
    }
    int part = 0;
    for (int band = firstBand; band <= lastBand; ++band) {
        const auto& span = spans[static_cast<std::size_t>(band - firstBand)];
        QRect r;
        if (span.first <= span.second) {
            const int y = band << TTileMask::Shift;
            r = BoxOf(span.first, y, span.second, y + TTileMask::Size - 1, 1);
        }
        Record(TKey(opPolygon).Add(key.Rect(QRect()).k1).Add(part++).Rect(r), band == lastBand);
    }
}

void Bitmap32::CircleAA(float cx, float cy, float radius, float strokeWidth, TColor32 color) {
    if (!Empty() && AllFinite({cx, cy, radius, strokeWidth}) && radius > 0 && strokeWidth > 0)
        FillRing(m_image, cx, cy, radius + strokeWidth / 2.0, radius - strokeWidth / 2.0, color);
    const double outer = double(radius) + std::fabs(double(strokeWidth)) / 2.0;
    Record(TKey(opCircle).Add(cx).Add(cy).Add(radius).Add(strokeWidth).Add(quint64(color))
               .Rect(AllFinite({cx, cy, radius, strokeWidth}) ? BoxOf(cx - outer, cy - outer, cx + outer, cy + outer, 2)
                                                              : QRect()));
}

void Bitmap32::DiscAA(float cx, float cy, float radius, TColor32 color) {
    if (!Empty() && AllFinite({cx, cy, radius}) && radius > 0) FillRing(m_image, cx, cy, radius, 0, color);
    Record(TKey(opDisc).Add(cx).Add(cy).Add(radius).Add(quint64(color))
               .Rect(AllFinite({cx, cy, radius}) ? BoxOf(cx - radius, cy - radius, cx + radius, cy + radius, 2)
                                                 : QRect()));
}

void Bitmap32::ArcBandAA(float cx, float cy, float innerRadius, float outerRadius, float fromDeg, float toDeg,
                         TColor32 color) {
    if (innerRadius > outerRadius) std::swap(innerRadius, outerRadius);
    innerRadius = std::max(0.0f, innerRadius);
    if (!Empty() && AllFinite({cx, cy, innerRadius, outerRadius, fromDeg, toDeg}) &&
        outerRadius > innerRadius) {
        double sweep = double(toDeg) - double(fromDeg);
        // Clock angles run clockwise, so an end below the start wraps past 12 o'clock.
        if (sweep < 0) sweep += 360.0 * std::ceil(-sweep / 360.0);
        sweep = std::min(sweep, 360.0);
        if (sweep > 0) {
            ContourFiller filler(m_image);
            auto& band = PointScratch(0);
            if (sweep >= 360.0) {
                // A whole ring: two closed circles, no seam.
                AppendArc(band, cx, cy, outerRadius, 0, 360);
                filler.AddContour(band.data(), band.size());
                if (innerRadius > 0) {
                    auto& i = PointScratch(1);
                    AppendArc(i, cx, cy, innerRadius, 0, 360);
                    filler.AddContour(i.data(), i.size());
                }
            } else {
                AppendArc(band, cx, cy, outerRadius, fromDeg, sweep);
                if (innerRadius > 0)
                    AppendArc(band, cx, cy, innerRadius, fromDeg + sweep, -sweep);
                else
                    band.emplace_back(cx, cy);
                filler.AddContour(band.data(), band.size());
            }
            filler.Fill(color);
        }
    }
    Record(TKey(opArcBand).Add(cx).Add(cy).Add(innerRadius).Add(outerRadius).Add(fromDeg).Add(toDeg)
               .Add(quint64(color))
               .Rect(AllFinite({cx, cy, outerRadius})
                         ? BoxOf(cx - outerRadius, cy - outerRadius, cx + outerRadius, cy + outerRadius, 2)
                         : QRect()));
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
    Record(TKey(opDot).Add(x).Add(y).Add(quint64(color))
               .Rect(Finite(x) && Finite(y) ? BoxOf(x, y, x, y, 1) : QRect()));
}

void Bitmap32::SetFontSize(int points) {
    m_fontSize = std::max(1, points);
}

namespace {

void BlitOver(QImage& dst, const QImage& src, int x, int y) {
    const int sx = std::max(0, -x), sy = std::max(0, -y);
    const int dx = std::max(0, x), dy = std::max(0, y);
    const int w = std::min(src.width() - sx, dst.width() - dx);
    const int h = std::min(src.height() - sy, dst.height() - dy);
    for (int row = 0; row < h && w > 0; ++row) {
        const auto* s = reinterpret_cast<const quint32*>(src.constScanLine(sy + row)) + sx;
        auto* d = reinterpret_cast<quint32*>(dst.scanLine(dy + row)) + dx;
        for (int i = 0; i < w; ++i) {
            const quint32 a = s[i] >> 24;
            if (a == 255)
                d[i] = s[i];
            else if (s[i] != 0)
                d[i] = BlendOver(d[i], s[i], 255);
        }
    }
}

// Interpolates two premultiplied pixels, w in 0..256 towards b.
inline quint32 Lerp(quint32 a, quint32 b, quint32 w) {
    const quint32 iw = 256 - w;
    const quint32 rb = (((a & 0xff00ffu) * iw + (b & 0xff00ffu) * w) >> 8) & 0xff00ffu;
    const quint32 ag = (((a >> 8) & 0xff00ffu) * iw + ((b >> 8) & 0xff00ffu) * w) & 0xff00ff00u;
    return rb | ag;
}

// Draws src turned clockwise by angleDeg with its centre on (cx, cy). Every
// target pixel is mapped back into the source and sampled bilinearly.
void BlitRotated(QImage& dst, const QImage& src, double cx, double cy, double angleDeg) {
    const double a = angleDeg * std::numbers::pi / 180.0;
    const double c = std::cos(a), s = std::sin(a);
    const double hw = src.width() / 2.0, hh = src.height() / 2.0;
    // Bounding box of the turned image, one pixel wider for the filter.
    const double ex = std::fabs(hw * c) + std::fabs(hh * s) + 1.0;
    const double ey = std::fabs(hw * s) + std::fabs(hh * c) + 1.0;
    const int x0 = ClampedInt(std::floor(cx - ex), 0, dst.width());
    const int x1 = ClampedInt(std::ceil(cx + ex), 0, dst.width());
    const int y0 = ClampedInt(std::floor(cy - ey), 0, dst.height());
    const int y1 = ClampedInt(std::ceil(cy + ey), 0, dst.height());
    if (x0 >= x1 || y0 >= y1) return;

    const int sw = src.width(), sh = src.height();
    const auto* sbits = reinterpret_cast<const quint32*>(src.constBits());
    const qsizetype sstride = src.bytesPerLine() / 4;
    auto fetch = [&](int u, int v) -> quint32 {
        if (u < 0 || v < 0 || u >= sw || v >= sh) return 0;
        return sbits[v * sstride + u];
    };
    // Source position, in 16.16 fixed point of pixel-centre coordinates, of
    // the target pixel centre (x + 0.5, y + 0.5); inverse rotation.
    constexpr double kOne = 65536.0;
    const auto du = static_cast<qint64>(std::llround(c * kOne));
    const auto dv = static_cast<qint64>(std::llround(-s * kOne));
    for (int y = y0; y < y1; ++y) {
        const double dy = y + 0.5 - cy;
        const double rx = x0 + 0.5 - cx;
        auto u = static_cast<qint64>(std::llround((rx * c + dy * s + hw - 0.5) * kOne));
        auto v = static_cast<qint64>(std::llround((-rx * s + dy * c + hh - 0.5) * kOne));
        auto* line = reinterpret_cast<quint32*>(dst.scanLine(y));
        for (int x = x0; x < x1; ++x, u += du, v += dv) {
            const qint64 uf = u >> 16, vf = v >> 16;
            if (uf < -1 || vf < -1 || uf >= sw || vf >= sh) continue;
            const int iu = static_cast<int>(uf), iv = static_cast<int>(vf);
            const auto wu = static_cast<quint32>((u >> 8) & 0xff), wv = static_cast<quint32>((v >> 8) & 0xff);
            const quint32 top = Lerp(fetch(iu, iv), fetch(iu + 1, iv), wu);
            const quint32 bottom = Lerp(fetch(iu, iv + 1), fetch(iu + 1, iv + 1), wu);
            const quint32 p = Lerp(top, bottom, wv);
            if (p != 0) line[x] = BlendOver(line[x], p, 255);
        }
    }
}

} // namespace

QSize Bitmap32::TextExtent(const QString& text) const {
    return PainterRaster::TextExtent(text, m_fontSize);
}

void Bitmap32::TextOut(int x, int y, const QString& text, TColor32 color) {
    if (!Empty() && !text.isEmpty()) {
        const QImage& label = PainterRaster::LabelImage(text, m_fontSize, color);
        if (!label.isNull()) BlitOver(m_image, label, x, y);
    }
    const QSize extent = text.isEmpty() ? QSize() : PainterRaster::TextExtent(text, m_fontSize);
    Record(TKey(opText).Add(x).Add(y).Add(text).Add(m_fontSize).Add(quint64(color))
               .Rect(QRect(x - 1, y - 1, extent.width() + 2, extent.height() + 2)));
}

void Bitmap32::TextRotated(float cx, float cy, float angleDeg, const QString& text, TColor32 color) {
    if (!Empty() && !text.isEmpty() && AllFinite({cx, cy, angleDeg})) {
        const QImage& label = PainterRaster::LabelImage(text, m_fontSize, color);
        if (!label.isNull()) {
            const double w = label.width(), h = label.height();
            if (std::fmod(double(angleDeg), 360.0) == 0.0) {
                // Unturned text stays on whole pixels and keeps its sharpness.
                BlitOver(m_image, label, ClampedInt(std::round(cx - w / 2.0), -(1 << 24), 1 << 24),
                         ClampedInt(std::round(cy - h / 2.0), -(1 << 24), 1 << 24));
            } else {
                BlitRotated(m_image, label, cx, cy, angleDeg);
            }
        }
    }
    QRect area;
    if (!text.isEmpty() && AllFinite({cx, cy, angleDeg})) {
        const QSize extent = PainterRaster::TextExtent(text, m_fontSize);
        const double a = double(angleDeg) * std::numbers::pi / 180.0;
        const double c = std::fabs(std::cos(a)), sn = std::fabs(std::sin(a));
        const double hw = extent.width() / 2.0, hh = extent.height() / 2.0;
        const double ex = hw * c + hh * sn + 1.0, ey = hw * sn + hh * c + 1.0;
        area = BoxOf(cx - ex, cy - ey, cx + ex, cy + ey, 1);
    }
    Record(TKey(opTextRotated).Add(cx).Add(cy).Add(angleDeg).Add(text).Add(m_fontSize).Add(quint64(color))
               .Rect(area));
}

void Bitmap32::CopyFrom(const Bitmap32& source, int x, int y) {
    const bool covers = &source != this && !Empty() && !source.Empty() && x <= 0 && y <= 0 &&
                        source.Width() + x >= Width() && source.Height() + y >= Height();
    const TOp op = TKey(opCopy).Add(source.ContentKey()).Add(x).Add(y).Add(source.Width()).Add(source.Height())
                       .Rect(QRect(x, y, source.Width(), source.Height()));
    // The same copy as the last covering one (a needle over an unchanged
    // face): only what was drawn over it since differs from the source.
    const bool again = covers && m_copied && m_copiedK1 == op.k1 && m_copiedK2 == op.k2 && !m_painted.All();
    if (again) {
        m_painted.ForEachRun([&](const QRect& r) {
            for (int row = r.top(); row <= r.bottom(); ++row) {
                const auto* s = reinterpret_cast<const quint32*>(source.m_image.constScanLine(row - y)) - x;
                auto* d = reinterpret_cast<quint32*>(m_image.scanLine(row));
                std::copy_n(s + r.left(), r.width(), d + r.left());
            }
            if (!m_shownValid) m_damage.MarkRect(r);
        });
    } else if (&source != this && !Empty() && !source.Empty()) {
        PainterRaster::CopyFrom(m_image, source.m_image, x, y);
    }
    if (covers) {
        m_painted.Clear();
        m_uniform = false;
        if (!again && !m_shownValid) m_damage.MarkAll();
        RecordCover(op);
        m_copied = true;
        m_copiedK1 = op.k1;
        m_copiedK2 = op.k2;
    } else {
        Record(op);
    }
}

void Bitmap32::BlendFrom(const Bitmap32& source, int x, int y) {
    if (&source != this && !Empty() && !source.Empty()) PainterRaster::BlendFrom(m_image, source.m_image, x, y);
    Record(TKey(opBlend).Add(source.ContentKey()).Add(x).Add(y).Add(source.Width()).Add(source.Height())
               .Rect(QRect(x, y, source.Width(), source.Height())));
}

void Bitmap32::ReplaceColor(TColor32 from, TColor32 to) {
    if (!Empty()) {
        const quint32 f = Premultiplied(from), t = Premultiplied(to);
        for (int y = 0; y < Height(); ++y) {
            auto* line = reinterpret_cast<quint32*>(m_image.scanLine(y));
            std::replace(line, line + Width(), f, t);
        }
    }
    m_uniform = false;
    Record(TKey(opReplace).Add(quint64(from)).Add(quint64(to)).Rect(QRect(0, 0, Width(), Height())));
}
