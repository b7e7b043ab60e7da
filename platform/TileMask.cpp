#include "platform/TileMask.h"

#include <algorithm>
#include <cmath>

void TTileMask::Reset(int width, int height) {
    m_width = std::max(0, width);
    m_height = std::max(0, height);
    m_tilesX = (m_width + Size - 1) >> Shift;
    m_tilesY = (m_height + Size - 1) >> Shift;
    m_tiles.assign(static_cast<std::size_t>(m_tilesX) * static_cast<std::size_t>(m_tilesY), 0);
    m_rowMarked.assign(static_cast<std::size_t>(m_tilesY), 0);
    m_any = false;
    m_all = false;
}

void TTileMask::Clear() {
    if (!m_any) return;
    for (int ty = 0; ty < m_tilesY; ++ty) {
        auto& marked = m_rowMarked[static_cast<std::size_t>(ty)];
        if (!marked) continue;
        std::fill_n(m_tiles.begin() + static_cast<std::ptrdiff_t>(ty) * m_tilesX, m_tilesX, 0);
        marked = 0;
    }
    m_any = false;
    m_all = false;
}

void TTileMask::MarkAll() {
    if (m_width == 0 || m_height == 0) return;
    m_any = true;
    m_all = true;
}

bool TTileMask::Marked(int tileX, int tileY) const {
    if (tileX < 0 || tileY < 0 || tileX >= m_tilesX || tileY >= m_tilesY) return false;
    return m_all || m_tiles[static_cast<std::size_t>(tileY) * m_tilesX + tileX] != 0;
}

void TTileMask::MarkRect(int x1, int y1, int x2, int y2) {
    if (m_all) return;
    x1 = std::max(x1, 0);
    y1 = std::max(y1, 0);
    x2 = std::min(x2, m_width);
    y2 = std::min(y2, m_height);
    if (x1 >= x2 || y1 >= y2) return;
    const int tx1 = x1 >> Shift, tx2 = (x2 - 1) >> Shift;
    const int ty1 = y1 >> Shift, ty2 = (y2 - 1) >> Shift;
    for (int ty = ty1; ty <= ty2; ++ty) {
        m_rowMarked[static_cast<std::size_t>(ty)] = 1;
        std::fill_n(m_tiles.begin() + static_cast<std::ptrdiff_t>(ty) * m_tilesX + tx1, tx2 - tx1 + 1, 1);
    }
    m_any = true;
}

void TTileMask::MarkLine(double x1, double y1, double x2, double y2) {
    if (m_all || !std::isfinite(x1) || !std::isfinite(y1) || !std::isfinite(x2) || !std::isfinite(y2)) return;
    const bool xMajor = std::fabs(x2 - x1) >= std::fabs(y2 - y1);
    const double a1 = xMajor ? x1 : y1, b1 = xMajor ? y1 : x1;
    const double a2 = xMajor ? x2 : y2, b2 = xMajor ? y2 : x2;
    const int majorSize = xMajor ? m_width : m_height;
    const double start = std::floor(a1 + 0.5), end = std::floor(a2 + 0.5);
    if (start == end || majorSize == 0) return;
    const double slope = (b2 - b1) / (a2 - a1);
    // The visited major coordinates as an increasing range.
    double lo = end > start ? start : end + 1.0;
    double hi = end > start ? end - 1.0 : start;
    lo = std::max(lo, 0.0);
    hi = std::min(hi, majorSize - 1.0);
    if (lo > hi) return;
    // A tile's worth of major steps at a time: the line is straight, so the
    // minor coordinates of a chunk lie between those at its two ends.
    for (double a = lo; a <= hi;) {
        const double chunkEnd = std::min(hi, (std::floor(a / Size) + 1.0) * Size - 1.0);
        const double ba = b1 + (a - a1) * slope, bb = b1 + (chunkEnd - a1) * slope;
        const double minor1 = std::floor(std::min(ba, bb)), minor2 = std::floor(std::max(ba, bb)) + 1.0;
        const double limit = 1 << 30;
        const int m1 = static_cast<int>(std::clamp(minor1, -limit, limit));
        const int m2 = static_cast<int>(std::clamp(minor2, -limit, limit)) + 1;
        const int j1 = static_cast<int>(a), j2 = static_cast<int>(chunkEnd) + 1;
        if (xMajor)
            MarkRect(j1, m1, j2, m2);
        else
            MarkRect(m1, j1, m2, j2);
        a = chunkEnd + 1.0;
    }
}
