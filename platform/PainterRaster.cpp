#include "platform/PainterRaster.h"

#include <QFontMetrics>
#include <QHash>
#include <QPainter>

#include <algorithm>
#include <map>

namespace PainterRaster {

namespace {

int PixelSizeForPoints(int points) {
    return std::max(1, qRound(points * 96.0 / 72.0));
}

struct FontEntry {
    QFont font;
    QFontMetrics metrics;
};

const FontEntry& EntryFor(int points) {
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

struct LabelKey {
    QString text;
    int pixelSize;
    Color color;
    friend bool operator==(const LabelKey& a, const LabelKey& b) {
        return a.pixelSize == b.pixelSize && a.color == b.color && a.text == b.text;
    }
};

size_t qHash(const LabelKey& key, size_t seed = 0) {
    return qHashMulti(seed, key.text, key.pixelSize, key.color);
}

// Bounded, so that an endless stream of distinct texts cannot grow the caches for ever.
constexpr qsizetype kMaxLabels = 1024;

} // namespace

// Measuring is asked for every label of every repaint; the answers never change.
QSize TextExtent(const QString& text, int points) {
    static QHash<LabelKey, QSize> extents;
    const FontEntry& f = EntryFor(points);
    const LabelKey key{text, f.font.pixelSize(), 0};
    auto it = extents.constFind(key);
    if (it != extents.constEnd()) return *it;
    if (extents.size() >= kMaxLabels) extents.clear();
    const QSize size(f.metrics.horizontalAdvance(text), f.metrics.height());
    extents.insert(key, size);
    return size;
}

const QImage& LabelImage(const QString& text, int points, Color color) {
    static QHash<LabelKey, QImage> cache;
    const FontEntry& f = EntryFor(points);
    const LabelKey key{text, f.font.pixelSize(), color};
    auto it = cache.constFind(key);
    if (it != cache.constEnd()) return *it;
    if (cache.size() >= kMaxLabels) cache.clear();
    const QSize size = TextExtent(text, points);
    QImage image;
    if (!size.isEmpty()) {
        image = QImage(size, QImage::Format_ARGB32_Premultiplied);
        image.fill(0u);
        QPainter p(&image);
        p.setRenderHint(QPainter::TextAntialiasing, true);
        p.setFont(f.font);
        p.setPen(QColor::fromRgba(color));
        p.drawText(QPointF(0, f.metrics.ascent()), text);
    }
    return *cache.insert(key, image);
}

void CopyFrom(QImage& image, const QImage& source, int x, int y) {
    if (image.isNull() || source.isNull()) return;
    QPainter p(&image);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(x, y, source);
}

void BlendFrom(QImage& image, const QImage& source, int x, int y) {
    if (image.isNull() || source.isNull()) return;
    QPainter p(&image);
    p.drawImage(x, y, source);
}

} // namespace PainterRaster
