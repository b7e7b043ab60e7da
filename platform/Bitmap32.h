#pragma once

#include "platform/SinglePoint.h"
#include "platform/TileMask.h"

#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

// 32-bit ARGB colour as the drawing code writes it: 0xFFFF0000 is opaque red.
using TColor32 = std::uint32_t;

// A raster bitmap over a premultiplied ARGB QImage, offering exactly the
// drawing operations the map and the instruments use. All drawing is
// anti-aliased and takes sub-pixel coordinates unless the name says otherwise.
//
// Two coordinate frames, each the one that keeps its shapes crisp: lines and
// dots put integer coordinates on pixel centres (a line along y = 5 fills
// row 5), while polygons, circles, discs, arcs and text put them on pixel
// corners (a polygon from x = 3 to x = 7 fills columns 3 to 6 exactly).
// Anti-aliased drawing blends source-over; the integer operations replace.
class Bitmap32 {
public:
    Bitmap32() = default;
    Bitmap32(int width, int height);
    ~Bitmap32();
    // Copies take the pixels, the font size and the dash pattern; the
    // changed hook stays with the object it was set on (a copy of a layer's
    // bitmap must not report changes to that layer).
    Bitmap32(const Bitmap32& other);
    Bitmap32& operator=(const Bitmap32& other);
    // Moving constructs the same bitmap elsewhere, hook included; assigning
    // (copy or move) keeps the target's hook and reports the change to it.
    Bitmap32(Bitmap32&& other) noexcept;
    Bitmap32& operator=(Bitmap32&& other) noexcept;

    void SetSize(int width, int height);
    int Width() const { return m_image.width(); }
    int Height() const { return m_image.height(); }
    bool Empty() const { return m_image.isNull(); }

    // Read-only: every change goes through the drawing operations, which
    // keep account of the pixels they touch.
    const QImage& Image() const { return m_image; }
    // Reads one pixel back as un-premultiplied ARGB (0 outside the bitmap).
    TColor32 Pixel(int x, int y) const;

    // Fills the whole bitmap with one colour (Clear is the same with transparent).
    void Fill(TColor32 color);
    void Clear(TColor32 color = 0x00000000);
    // Fills [x1, x2) x [y1, y2) without anti-aliasing; the colour replaces what was there.
    void FillRect(int x1, int y1, int x2, int y2, TColor32 color);
    // One-pixel frame whose corners (x1, y1) and (x2, y2) are both drawn (corners in any order).
    void FrameRect(int x1, int y1, int x2, int y2, TColor32 color);
    // One-pixel vertical line from y1 to y2, both ends included.
    void VertLine(int x, int y1, int y2, TColor32 color);

    // Anti-aliased one-pixel line between sub-pixel points; the last pixel is
    // left out, so joined lines do not double-blend their common point.
    void LineAA(float x1, float y1, float x2, float y2, TColor32 color);
    // The same line, coloured pixel by pixel from the dash pattern. The
    // pattern position carries over from one dashed line to the next and
    // restarts only with SetDashPattern. Entries 0x00000000 leave pixels untouched.
    void SetDashPattern(const std::vector<TColor32>& pattern);
    void DashedLineAA(float x1, float y1, float x2, float y2);
    // One line of a picture drawn by DrawLines: solid in Color, or, when
    // Dashed, coloured from the dash pattern as DashedLineAA colours it. A
    // line that brings a Pattern sets it first, as SetDashPattern does
    // (restarting it); the others go on with the pattern where it stands.
    struct TLine {
        float X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
        TColor32 Color = 0;
        bool Dashed = false;
        const std::vector<TColor32>* Pattern = nullptr;
    };
    // The whole bitmap filled with background and the lines drawn over it in
    // order: the same pixels, dash pattern and position as Fill followed by
    // LineAA, SetDashPattern and DashedLineAA one line after the other. When
    // nothing else has drawn on the bitmap since the last DrawLines, only the
    // tiles where the new lines differ from the last ones are cleared and
    // drawn, so lines that stay where they were cost nothing.
    void DrawLines(TColor32 background, const std::vector<TLine>& lines);
    // Open polyline through the points (each segment without its last pixel).
    void PolylineAA(const std::vector<TSinglePoint>& points, TColor32 color);

    // Filled polygon, even-odd rule, vertices rounded to 1/65536 pixel, no transformation.
    void PolygonAA(const std::vector<TSinglePoint>& points, TColor32 color);
    // Circle outline of the given stroke width centred on the radius.
    void CircleAA(float cx, float cy, float radius, float strokeWidth, TColor32 color);
    void DiscAA(float cx, float cy, float radius, TColor32 color);
    // Ring band between two radii over the clock angles [fromDeg, toDeg]
    // (degrees clockwise from straight up); an end below the start wraps
    // past 12 o'clock, so [350, 10] is the 20 degrees around the top.
    void ArcBandAA(float cx, float cy, float innerRadius, float outerRadius, float fromDeg, float toDeg,
                   TColor32 color);
    // A dot of one pixel's area at a sub-pixel position, spread bilinearly over the four nearest pixels.
    void DotAA(float x, float y, TColor32 color);

    // Text in a fixed face (DejaVu Sans), so that extents do not depend on the
    // desktop; only the size in points is set, taken at 96 dpi.
    void SetFontSize(int points);
    int FontSize() const { return m_fontSize; }
    // The text's advance width and the font's height (ascent + descent).
    QSize TextExtent(const QString& text) const;
    // Text whose bounding box has its top left corner at (x, y).
    void TextOut(int x, int y, const QString& text, TColor32 color);
    // Text centred on (cx, cy) and turned clockwise by angleDeg about that centre.
    void TextRotated(float cx, float cy, float angleDeg, const QString& text, TColor32 color);

    // Copies source onto this bitmap at (x, y), replacing the pixels (no blending).
    void CopyFrom(const Bitmap32& source, int x = 0, int y = 0);
    // Draws source over this bitmap at (x, y) with per-pixel alpha.
    void BlendFrom(const Bitmap32& source, int x = 0, int y = 0);
    // Every pixel exactly equal to `from` becomes `to`.
    void ReplaceColor(TColor32 from, TColor32 to);

    // Called after every drawing operation, so that a surface holding this
    // bitmap learns that it has to be shown anew.
    void SetOnChanged(std::function<void()> onChanged) { m_onChanged = std::move(onChanged); }
    // Announces a change the bitmap cannot account for: all of it counts as changed.
    void Changed();

    // Damage: which pixels may differ from what they were when TakeDamage
    // was last called. Calls onRect for each changed rectangle (bitmap
    // pixels) and starts counting afresh.
    //
    // Drawing that begins with covering the whole bitmap (Fill, Clear, a
    // whole CopyFrom) is remembered operation by operation, so that a
    // repaint that draws mostly the same things again (the radial lines, a
    // needle over the same face) damages only where the two sequences of
    // operations differ, not every pixel it drew.
    template <typename F>
    void TakeDamage(F onRect) {
        CollectDamage();
        m_damage.ForEachRun(onRect);
        m_damage.Clear();
    }
    bool HasDamage() const { return m_damage.Any() || m_pendingOps; }

private:
    // One recorded drawing operation: what it was (k1, k2 identify the
    // operation with all its arguments) and which pixels it may have touched.
    struct TOp {
        quint64 k1 = 0, k2 = 0;
        QRect rect;
        float x1 = 0, y1 = 0, x2 = 0, y2 = 0; // a line's end points, used when line is set
        bool line = false;
    };
    class TKey;

    // Draws a line (only where clip, when given, has its tiles marked) and
    // returns its number of major-axis steps; see Bitmap32.cpp.
    template <typename ColorAt>
    double RasterLine(double x1, double y1, double x2, double y2, ColorAt colorAt,
                      const TTileMask* clip = nullptr);
    // A dashed line with the current pattern from its current position,
    // which moves on to where the line ends.
    void RasterDashed(float x1, float y1, float x2, float y2, const TTileMask* clip);
    // Marks the tiles of every operation that one record has and the other
    // lacks, the two matched in order.
    void MarkDifferences(TTileMask& tiles, const std::vector<TOp>& now, const std::vector<TOp>& before) const;
    // Book-keeping after a drawing operation and the change notice.
    void Record(const TOp& op, bool notify = true);
    // The same for an operation that replaced every pixel: the record starts anew with it.
    void RecordCover(const TOp& op);
    void MarkOp(TTileMask& mask, const TOp& op) const;
    void CollectDamage();
    void ResetAccounting();
    void Forget();
    void Notify() const {
        if (m_onChanged) m_onChanged();
    }
    // Identity of the current contents, for a copy of this bitmap taken by another.
    quint64 ContentKey() const;

    QImage m_image;
    int m_fontSize = 8;
    std::vector<TColor32> m_dash;
    std::size_t m_dashPos = 0;
    std::function<void()> m_onChanged;

    static quint64 NewUid();
    quint64 m_uid = NewUid();
    quint64 m_generation = 0;
    // Tiles changed since TakeDamage (when the operations cannot tell).
    TTileMask m_damage;
    // Tiles drawn on since the last fill with one colour, so that filling
    // with that colour again only has to clear these.
    TTileMask m_painted;
    bool m_uniform = false;
    quint32 m_uniformPixel = 0;
    // Or copied whole from a source whose copy operation had this key, so
    // that the same copy again only has to restore these.
    bool m_copied = false;
    quint64 m_copiedK1 = 0, m_copiedK2 = 0;
    // Operations since the last covering one, and those as they were at the
    // last TakeDamage; a record is valid only if it starts with a covering one.
    std::vector<TOp> m_ops, m_shownOps;
    bool m_opsValid = false, m_shownValid = false;
    bool m_pendingOps = false;
    quint64 m_signature = 0;
    // What the last DrawLines drew (one record per line), on which
    // background, and the generation it left: any other drawing since
    // makes the next DrawLines draw everything.
    std::vector<TOp> m_lines;
    quint32 m_linesBackground = 0;
    quint64 m_linesGeneration = 0;
    bool m_linesValid = false;
    // The tiles a DrawLines clears and draws anew.
    TTileMask m_redraw;
};
