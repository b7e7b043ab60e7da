#include "platform/ImageSurface.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

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

void BitmapLayer::SetLocation(const QRectF& location) {
    if (location == m_location) return;
    m_location = location;
    Changed();
}

void BitmapLayer::SetVisible(bool visible) {
    if (visible == m_visible) return;
    m_visible = visible;
    if (m_surface) m_surface->Changed();
}

void BitmapLayer::SetDrawMode(DrawMode mode) {
    if (mode == m_drawMode) return;
    m_drawMode = mode;
    Changed();
}

void BitmapLayer::SetMasterAlpha(int alpha) {
    alpha = std::clamp(alpha, 0, 255);
    if (alpha == m_masterAlpha) return;
    m_masterAlpha = alpha;
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
    if (m_surface && m_visible) m_surface->Changed();
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
    Changed();
}

void ImageSurface::RemoveLayer(BitmapLayer* layer) {
    const int index = LayerIndex(layer);
    if (index < 0) return;
    m_layers.erase(m_layers.begin() + index);
    if (m_pressed == layer) m_pressed = nullptr;
    if (layer->Visible()) Changed();
}

void ImageSurface::MoveLayer(BitmapLayer* layer, bool toFront) {
    const int index = LayerIndex(layer);
    if (index < 0) return;
    const int target = toFront ? static_cast<int>(m_layers.size()) - 1 : 0;
    if (index == target) return;
    m_layers.erase(m_layers.begin() + index);
    if (toFront)
        m_layers.push_back(layer);
    else
        m_layers.insert(m_layers.begin(), layer);
    if (layer->Visible()) Changed();
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
    ++m_repaintCount;
    emit SurfaceChanged();
    update();
}

void ImageSurface::Changed() {
    if (m_updateCount > 0) {
        m_dirty = true;
        return;
    }
    ++m_repaintCount;
    emit SurfaceChanged();
    update();
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

    QPainter p(&target);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(clip.topLeft(), m_bitmap.Image(), clip);
    for (const BitmapLayer* layer : m_layers) {
        if (!layer->Visible()) continue;
        const Bitmap32& bmp = layer->Bitmap();
        if (bmp.Empty()) continue;
        const QPoint origin(qRound(layer->Location().left()), qRound(layer->Location().top()));
        const QRect placed = QRect(origin, QSize(bmp.Width(), bmp.Height())).intersected(clip);
        if (placed.isEmpty()) continue;
        if (layer->GetDrawMode() == BitmapLayer::DrawMode::Opaque) {
            p.setCompositionMode(QPainter::CompositionMode_Source);
            p.setOpacity(1.0);
        } else {
            if (layer->MasterAlpha() == 0) continue;
            p.setCompositionMode(QPainter::CompositionMode_SourceOver);
            p.setOpacity(layer->MasterAlpha() / 255.0);
        }
        p.drawImage(placed.topLeft(), bmp.Image(), placed.translated(-origin));
    }
}

void ImageSurface::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    const QRect bounds(0, 0, m_bitmap.Width(), m_bitmap.Height());
    const QRect area = event->rect().intersected(bounds);
    if (!area.isEmpty()) {
        RenderInto(m_backing, area);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(area.topLeft(), m_backing, area);
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
