#pragma once

#include <QRect>

#include <algorithm>
#include <cstdint>
#include <vector>

// Which 8 x 8 pixel tiles of a bitmap or surface need to be shown anew. Fine
// enough that a thin line across the map marks a narrow band, coarse enough
// that marking and walking the tiles costs far less than the pixels do.
class TTileMask {
public:
    static constexpr int Shift = 3;
    static constexpr int Size = 1 << Shift;

    // Covers width x height pixels, all clean.
    void Reset(int width, int height);
    int Width() const { return m_width; }
    int Height() const { return m_height; }

    void Clear();
    void MarkAll();
    // Pixels [x1, x2) x [y1, y2), clipped to the covered area.
    void MarkRect(int x1, int y1, int x2, int y2);
    void MarkRect(const QRect& r) { MarkRect(r.left(), r.top(), r.right() + 1, r.bottom() + 1); }
    // Every pixel a one-pixel anti-aliased line between these points can
    // touch: along the major axis the pixel centres from the rounded start to
    // the one before the rounded end, across it the two rows around the line.
    void MarkLine(double x1, double y1, double x2, double y2);

    bool Any() const { return m_any; }
    bool All() const { return m_all; }
    bool Marked(int tileX, int tileY) const;
    // Whether the tile holding pixel (x, y) is marked; false outside the covered area.
    bool MarkedAt(int x, int y) const {
        if (x < 0 || y < 0 || x >= m_width || y >= m_height) return false;
        return m_all || m_tiles[static_cast<std::size_t>(y >> Shift) * static_cast<std::size_t>(m_tilesX) +
                                static_cast<std::size_t>(x >> Shift)] != 0;
    }
    bool RowMarked(int tileY) const {
        return tileY >= 0 && tileY < m_tilesY && (m_all || m_rowMarked[static_cast<std::size_t>(tileY)] != 0);
    }
    int TilesY() const { return m_tilesY; }

    // Calls f(QRect) for each run of marked tiles of one tile row, top to
    // bottom and left to right, clipped to the covered area: rectangles that
    // neither overlap nor touch side by side, as QRegion::setRects wants them.
    template <typename F>
    void ForEachRun(F f) const {
        if (!m_any) return;
        if (m_all) {
            // Row by row here too: the composition picks the layers of a run
            // by its tile row, so a run must never span more than one.
            for (int y = 0; y < m_height; y += Size)
                f(QRect(0, y, m_width, std::min(Size, m_height - y)));
            return;
        }
        for (int ty = 0; ty < m_tilesY; ++ty) {
            if (!m_rowMarked[static_cast<std::size_t>(ty)]) continue;
            const std::uint8_t* row = m_tiles.data() + static_cast<std::size_t>(ty) * m_tilesX;
            const int y = ty << Shift, h = std::min(Size, m_height - y);
            for (int tx = 0; tx < m_tilesX;) {
                if (!row[tx]) {
                    ++tx;
                    continue;
                }
                const int from = tx;
                while (tx < m_tilesX && row[tx])
                    ++tx;
                const int x = from << Shift;
                f(QRect(x, y, std::min(tx << Shift, m_width) - x, h));
            }
        }
    }

private:
    int m_width = 0, m_height = 0;
    int m_tilesX = 0, m_tilesY = 0;
    bool m_any = false;
    bool m_all = false;
    std::vector<std::uint8_t> m_tiles;
    std::vector<std::uint8_t> m_rowMarked;
};
