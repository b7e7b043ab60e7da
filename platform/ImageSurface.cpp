#include "platform/ImageSurface.h"

#include "platform/PixelOps.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cstring>

// ---------------------------------------------------------------------------
// BitmapLayer

BitmapLayer::BitmapLayer(ImageSurface* surface) : m_surface(surface) {
    m_bitmap.SetOnChanged([this] { Changed(); });
    if (m_surface) m_surface->AddLayer(this);
}

BitmapLayer::~BitmapLayer() {
    m_bitmap.SetOnChanged(nullptr);
    if (m_surface) m_surface->RemoveLayer(this);
}

QRect BitmapLayer::Placed() const {
    return QRect(QPoint(qRound(m_location.left()), qRound(m_location.top())),
                 QSize(m_bitmap.Width(), m_bitmap.Height()));
}

void BitmapLayer::DamagePlaced() {
    if (!m_surface || !m_visible) return;
    m_surface->Damage(m_shownAt, this);
    m_shownAt = Placed();
    m_surface->Damage(m_shownAt, this);
}

void BitmapLayer::SetLocation(const QRectF& location) {
    if (location == m_location) return;
    m_location = location;
    if (Placed() == m_shownAt) {
        // A move within the same whole pixels shows nothing new.
        if (m_surface && m_visible) m_surface->Changed();
        return;
    }
    DamagePlaced();
    Changed();
}

void BitmapLayer::SetVisible(bool visible) {
    if (visible == m_visible) return;
    if (m_surface && m_visible) m_surface->Damage(m_shownAt, this);
    m_visible = visible;
    if (visible) {
        // What was drawn while hidden is shown as a whole now.
        m_bitmap.TakeDamage([](const QRect&) {});
        m_shownAt = Placed();
        if (m_surface) m_surface->Damage(m_shownAt, this);
    }
    if (m_surface) m_surface->Changed();
}

void BitmapLayer::SetDrawMode(DrawMode mode) {
    if (mode == m_drawMode) return;
    m_drawMode = mode;
    DamagePlaced();
    Changed();
}

void BitmapLayer::SetMasterAlpha(int alpha) {
    alpha = std::clamp(alpha, 0, 255);
    if (alpha == m_masterAlpha) return;
    m_masterAlpha = alpha;
    DamagePlaced();
    Changed();
}

bool BitmapLayer::HitTest(const QPointF& p) const {
    // Half-open like pixels: a layer from 0 to 50 owns pixels 0 to 49, so
    // two layers side by side never both claim the point on their border.
    const QRectF r = m_location.normalized();
    return p.x() >= r.left() && p.x() < r.right() && p.y() >= r.top() && p.y() < r.bottom();
}

void BitmapLayer::SetCursor(Qt::CursorShape cursor) {
    if (cursor == m_cursor) return;
    m_cursor = cursor;
    // A press handler that gives its layer the drag cursor must see it at once.
    if (m_surface && m_surface->m_pressed == this) m_surface->ShowCursor(cursor);
}

void BitmapLayer::BringToFront() {
    if (m_surface) m_surface->MoveLayer(this, true);
}

void BitmapLayer::SendToBack() {
    if (m_surface) m_surface->MoveLayer(this, false);
}

void BitmapLayer::Changed() {
    // A hidden layer's drawing cannot be seen, so it costs no repaint.
    if (!m_surface || !m_visible) return;
    m_surface->Queue(this);
    m_surface->Changed();
}

// ---------------------------------------------------------------------------
// ImageSurface

ImageSurface::ImageSurface(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    m_bitmap.SetOnChanged([this] { Changed(); });
}

ImageSurface::~ImageSurface() {
    // Layers may outlive the surface (their owners destroy them later, or
    // child widgets destroy theirs while QWidget tears down after this body);
    // they must find no surface then.
    for (BitmapLayer* layer : m_layers)
        layer->m_surface = nullptr;
    m_layers.clear();
    m_pressed = nullptr;
    m_bitmap.SetOnChanged(nullptr);
}

void ImageSurface::SetBitmapSize(int width, int height) {
    m_bitmap.SetSize(width, height);
    m_damage.Reset(m_bitmap.Width(), m_bitmap.Height());
    m_damage.MarkAll();
    m_bgDamage.Reset(m_bitmap.Width(), m_bitmap.Height());
    m_bgDamage.MarkAll();
    resize(m_bitmap.Width(), m_bitmap.Height());
    updateGeometry();
}

QSize ImageSurface::sizeHint() const {
    return m_bitmap.Empty() ? QWidget::sizeHint() : QSize(m_bitmap.Width(), m_bitmap.Height());
}

int ImageSurface::LayerIndex(const BitmapLayer* layer) const {
    const auto it = std::find(m_layers.begin(), m_layers.end(), layer);
    return it == m_layers.end() ? -1 : static_cast<int>(it - m_layers.begin());
}

BitmapLayer* ImageSurface::LayerAt(const QPointF& p) const {
    for (auto it = m_layers.rbegin(); it != m_layers.rend(); ++it) {
        BitmapLayer* layer = *it;
        if (layer->Visible() && layer->MouseEvents() && layer->HitTest(p)) return layer;
    }
    return nullptr;
}

void ImageSurface::AddLayer(BitmapLayer* layer) {
    if (!layer || LayerIndex(layer) >= 0) return;
    m_layers.push_back(layer);
    layer->m_shownAt = layer->Placed();
    if (layer->Visible()) Damage(layer->m_shownAt, layer);
    Changed();
}

void ImageSurface::RemoveLayer(BitmapLayer* layer) {
    const int index = LayerIndex(layer);
    if (index < 0) return;
    if (layer->Visible()) {
        Damage(layer->m_shownAt, layer);
        Damage(layer->Placed(), layer);
    }
    if (layer->m_cached) --m_split;
    layer->m_cached = false;
    m_layers.erase(m_layers.begin() + index);
    if (layer->m_queued) {
        m_queue.erase(std::remove(m_queue.begin(), m_queue.end(), layer), m_queue.end());
        layer->m_queued = false;
    }
    if (m_pressed == layer) m_pressed = nullptr;
    if (layer->Visible()) Changed();
}

void ImageSurface::Queue(BitmapLayer* layer) {
    if (layer->m_queued) return;
    layer->m_queued = true;
    m_queue.push_back(layer);
}

void ImageSurface::MoveLayer(BitmapLayer* layer, bool toFront) {
    const int index = LayerIndex(layer);
    if (index < 0) return;
    const int target = toFront ? static_cast<int>(m_layers.size()) - 1 : 0;
    if (index == target) return;
    // The cached layers stay the bottom ones: one going to the front leaves
    // them, one going to the back joins them. Either way the background
    // changes where it lies.
    if (layer->Visible()) Damage(layer->m_shownAt, layer);
    if (toFront && layer->m_cached) {
        layer->m_cached = false;
        --m_split;
    } else if (!toFront && !layer->m_cached) {
        layer->m_cached = true;
        ++m_split;
    }
    m_layers.erase(m_layers.begin() + index);
    if (toFront)
        m_layers.push_back(layer);
    else
        m_layers.insert(m_layers.begin(), layer);
    if (layer->Visible()) {
        layer->DamagePlaced();
        Changed();
    }
}

void ImageSurface::BeginUpdate() {
    ++m_updateCount;
}

void ImageSurface::EndUpdate() {
    // An unmatched EndUpdate must not leave the count negative, or every
    // later bracket would be swallowed.
    if (m_updateCount <= 0) return;
    if (--m_updateCount > 0 || !m_dirty) return;
    m_dirty = false;
    RequestRepaint();
}

void ImageSurface::Changed() {
    if (m_updateCount > 0) {
        m_dirty = true;
        return;
    }
    RequestRepaint();
}

void ImageSurface::RequestRepaint() {
    ++m_repaintCount;
    CollectDamage();
    emit SurfaceChanged();
    if (!m_damage.Any()) return;
    std::vector<QRect> rects;
    m_damage.ForEachRun([&rects](const QRect& r) { rects.push_back(r); });
    QRegion region;
    region.setRects(rects.data(), static_cast<int>(rects.size()));
    update(region);
}

void ImageSurface::CollectDamage() {
    if (m_damage.Width() != m_bitmap.Width() || m_damage.Height() != m_bitmap.Height()) {
        m_damage.Reset(m_bitmap.Width(), m_bitmap.Height());
        m_damage.MarkAll();
    }
    if (m_bgDamage.Width() != m_bitmap.Width() || m_bgDamage.Height() != m_bitmap.Height()) {
        m_bgDamage.Reset(m_bitmap.Width(), m_bitmap.Height());
        m_bgDamage.MarkAll();
    }
    m_bitmap.TakeDamage([this](const QRect& r) { Damage(r, nullptr); });
    for (BitmapLayer* layer : m_queue) {
        layer->m_queued = false;
        if (!layer->Visible()) continue;
        const QRect placed = layer->Placed();
        if (placed != layer->m_shownAt) {
            // The bitmap changed its size: the whole of both places.
            Damage(layer->m_shownAt, layer);
            Damage(placed, layer);
            layer->m_shownAt = placed;
        }
        const QPoint origin = placed.topLeft();
        layer->Bitmap().TakeDamage([this, origin, layer](const QRect& r) { Damage(r.translated(origin), layer); });
    }
    m_queue.clear();
}

const QImage& ImageSurface::Composed() {
    ComposePending();
    return m_backing;
}

void ImageSurface::Damage(const QRect& rect, BitmapLayer* layer) {
    m_damage.MarkRect(rect);
    if (!layer || layer->m_cached) m_bgDamage.MarkRect(rect);
    if (layer) layer->m_changedAt = m_serial;
}

void ImageSurface::UpdateSplit() {
    // The cache holds the bottom layers up to the first one that changed in
    // the last few compositions: what moves or is redrawn each step (an
    // aircraft, the lines above it) stays out, the stations below it go in.
    constexpr quint64 settled = 8;
    const std::size_t count = m_layers.size();
    std::size_t split = 0;
    while (split < count && m_layers[split]->m_changedAt + settled <= m_serial)
        ++split;
    const std::size_t old = static_cast<std::size_t>(m_split);
    if (split == old) return;
    // The background changes wherever a layer joins or leaves it; the
    // picture on screen does not.
    const QRect bounds(0, 0, m_bitmap.Width(), m_bitmap.Height());
    for (std::size_t i = std::min(split, old); i < std::max(split, old); ++i) {
        BitmapLayer* layer = m_layers[i];
        layer->m_cached = i < split;
        if (layer->Visible()) m_bgDamage.MarkRect(layer->m_shownAt.intersected(bounds));
    }
    m_split = static_cast<int>(split);
}

void ImageSurface::ComposePending() {
    CollectDamage();
    ++m_serial;
    const QSize size(m_bitmap.Width(), m_bitmap.Height());
    if (size.isEmpty()) {
        m_backing = QImage();
        m_background = QImage();
        m_damage.Clear();
        m_bgDamage.Clear();
        return;
    }
    if (m_backing.size() != size || m_backing.format() != QImage::Format_ARGB32_Premultiplied) {
        m_backing = QImage(size, QImage::Format_ARGB32_Premultiplied);
        m_damage.MarkAll();
    }
    if (!m_damage.Any()) return;
    UpdateSplit();
    const auto split = static_cast<std::size_t>(m_split);
    const QImage* base = &m_bitmap.Image();
    if (split > 0) {
        if (m_background.size() != size) {
            m_background = QImage(size, QImage::Format_ARGB32_Premultiplied);
            m_bgDamage.MarkAll();
        }
        if (m_bgDamage.Any()) {
            ComposeDamaged(m_background, m_bgDamage, m_bitmap.Image(), 0, split);
            // Whatever changed in the background shows through above it.
            m_bgDamage.ForEachRun([this](const QRect& r) { m_damage.MarkRect(r); });
            m_bgDamage.Clear();
        }
        base = &m_background;
    } else if (!m_background.isNull()) {
        // Nothing cached: the background is not kept up to date any more.
        m_background = QImage();
        m_bgDamage.MarkAll();
    }
    ComposeDamaged(m_backing, m_damage, *base, split, m_layers.size());
    m_damage.Clear();
}

void ImageSurface::ComposeDamaged(QImage& target, const TTileMask& damage, const QImage& base, std::size_t from,
                                  std::size_t to) {
    // The layers that can show, sorted into the tile rows they reach (in
    // stacking order), so that each damaged run looks only at those.
    const int rows = damage.TilesY();
    ShowingLayers(m_candidates, from, to);
    m_rowStart.assign(static_cast<std::size_t>(rows) + 1, 0);
    auto rowsOf = [rows](const QRect& r) {
        return std::pair<int, int>(std::max(0, r.top() >> TTileMask::Shift),
                                   std::min(rows - 1, r.bottom() >> TTileMask::Shift));
    };
    for (const TPlaced& layer : m_candidates) {
        const auto [first, last] = rowsOf(layer.placed);
        for (int ty = first; ty <= last; ++ty)
            if (damage.RowMarked(ty)) ++m_rowStart[static_cast<std::size_t>(ty) + 1];
    }
    for (int r = 0; r < rows; ++r)
        m_rowStart[static_cast<std::size_t>(r) + 1] += m_rowStart[static_cast<std::size_t>(r)];
    m_rowLayers.resize(static_cast<std::size_t>(m_rowStart.back()));
    {
        std::vector<int> fill(m_rowStart.begin(), m_rowStart.end() - 1);
        for (const TPlaced& layer : m_candidates) {
            const auto [first, last] = rowsOf(layer.placed);
            for (int ty = first; ty <= last; ++ty)
                if (damage.RowMarked(ty))
                    m_rowLayers[static_cast<std::size_t>(fill[static_cast<std::size_t>(ty)]++)] = &layer;
        }
    }
    damage.ForEachRun([&](const QRect& r) {
        const auto ty = static_cast<std::size_t>(r.top() >> TTileMask::Shift);
        const auto first = static_cast<std::size_t>(m_rowStart[ty]), last = static_cast<std::size_t>(m_rowStart[ty + 1]);
        ComposeRect(target, r, base, m_rowLayers.data() + first, last - first);
    });
}

QImage ImageSurface::Render() const {
    QImage target;
    RenderInto(target, QRect(0, 0, m_bitmap.Width(), m_bitmap.Height()));
    return target;
}

void ImageSurface::RenderInto(QImage& target, const QRect& area) const {
    const QRect bounds(0, 0, m_bitmap.Width(), m_bitmap.Height());
    if (bounds.isEmpty()) {
        target = QImage();
        return;
    }
    if (target.size() != bounds.size() || target.format() != QImage::Format_ARGB32_Premultiplied)
        target = QImage(bounds.size(), QImage::Format_ARGB32_Premultiplied);
    const QRect clip = area.intersected(bounds);
    if (clip.isEmpty()) return;
    std::vector<TPlaced> layers;
    ShowingLayers(layers, 0, m_layers.size());
    std::vector<const TPlaced*> all;
    all.reserve(layers.size());
    for (const TPlaced& layer : layers)
        all.push_back(&layer);
    ComposeRect(target, clip, m_bitmap.Image(), all.data(), all.size());
}

void ImageSurface::ShowingLayers(std::vector<TPlaced>& out, std::size_t from, std::size_t to) const {
    out.clear();
    const QRect bounds(0, 0, m_bitmap.Width(), m_bitmap.Height());
    for (std::size_t i = from; i < to && i < m_layers.size(); ++i) {
        const BitmapLayer* layer = m_layers[i];
        if (!layer->Visible() || layer->Bitmap().Empty()) continue;
        const bool opaque = layer->GetDrawMode() == BitmapLayer::DrawMode::Opaque;
        if (!opaque && layer->MasterAlpha() == 0) continue;
        const QRect placed = layer->Placed();
        if (!placed.intersects(bounds)) continue;
        const QImage& image = layer->Bitmap().Image();
        out.push_back({image.constBits(), image.bytesPerLine(), placed, opaque,
                       static_cast<quint32>(layer->MasterAlpha())});
    }
}

void ImageSurface::ComposeRect(QImage& target, const QRect& rect, const QImage& base, const TPlaced* const* layers,
                               std::size_t count) const {
    const int width = rect.width();
    uchar* const targetBits = target.bits();
    const qsizetype targetStride = target.bytesPerLine();
    const uchar* const baseBits = base.constBits();
    const qsizetype baseStride = base.bytesPerLine();
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        std::memcpy(reinterpret_cast<quint32*>(targetBits + y * targetStride) + rect.left(),
                    reinterpret_cast<const quint32*>(baseBits + y * baseStride) + rect.left(),
                    static_cast<std::size_t>(width) * 4);
    for (std::size_t n = 0; n < count; ++n) {
        const TPlaced& layer = *layers[n];
        const QRect part = layer.placed.intersected(rect);
        if (part.isEmpty()) continue;
        const int sx = part.left() - layer.placed.left();
        for (int y = part.top(); y <= part.bottom(); ++y) {
            const auto* s =
                reinterpret_cast<const quint32*>(layer.bits + (y - layer.placed.top()) * layer.stride) + sx;
            auto* d = reinterpret_cast<quint32*>(targetBits + y * targetStride) + part.left();
            if (layer.opaque) {
                std::memcpy(d, s, static_cast<std::size_t>(part.width()) * 4);
            } else if (layer.alpha == 255) {
                for (int i = 0; i < part.width(); ++i) {
                    const quint32 p = s[i];
                    if (p == 0) continue;
                    d[i] = (p >> 24) == 255 ? p : p + ByteMul(d[i], 255u - (p >> 24));
                }
            } else {
                for (int i = 0; i < part.width(); ++i)
                    if (s[i] != 0) d[i] = BlendOver(d[i], s[i], layer.alpha);
            }
        }
    }
}

void ImageSurface::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    const QRect bounds(0, 0, m_bitmap.Width(), m_bitmap.Height());
    ComposePending();
    if (!m_backing.isNull()) {
        p.setCompositionMode(QPainter::CompositionMode_Source);
        for (const QRect& r : event->region()) {
            const QRect area = r.intersected(bounds);
            if (!area.isEmpty()) p.drawImage(area.topLeft(), m_backing, area);
        }
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
    // Whatever the bitmap does not cover shows the window colour.
    const QRegion rest = QRegion(event->rect()).subtracted(QRegion(bounds));
    for (const QRect& r : rest)
        p.fillRect(r, palette().window());
}

void ImageSurface::mousePressEvent(QMouseEvent* event) {
    const QPointF pos = event->position();
    if (!m_pressed) m_pressed = LayerAt(pos);
    emit MouseDown(event, pos, m_pressed);
    if (m_pressed) ShowCursor(m_pressed->Cursor());
}

void ImageSurface::mouseMoveEvent(QMouseEvent* event) {
    const QPointF pos = event->position();
    if (m_pressed) {
        emit MouseMove(event, pos, m_pressed);
        return;
    }
    UpdateCursor(pos);
    emit MouseMove(event, pos, LayerAt(pos));
}

void ImageSurface::mouseReleaseEvent(QMouseEvent* event) {
    const QPointF pos = event->position();
    BitmapLayer* layer = m_pressed ? m_pressed : LayerAt(pos);
    // The capture ends with the last button, before the handlers run, so a
    // handler that opens a dialog leaves no layer holding the mouse.
    if (event->buttons() == Qt::NoButton) m_pressed = nullptr;
    emit MouseUp(event, pos, layer);
    if (!m_pressed) UpdateCursor(pos);
}

void ImageSurface::UpdateCursor(const QPointF& pos) {
    const BitmapLayer* layer = LayerAt(pos);
    ShowCursor(layer ? layer->Cursor() : Qt::ArrowCursor);
}

void ImageSurface::ShowCursor(Qt::CursorShape shape) {
    if (cursor().shape() != shape) setCursor(shape);
}
