#pragma once

#include "platform/Bitmap32.h"
#include "platform/TileMask.h"

#include <QPointer>
#include <QRectF>
#include <QWidget>

#include <memory>
#include <vector>

class ImageSurface;

// One bitmap layer of an ImageSurface. The object that creates a layer owns it
// (through std::unique_ptr); destroying the layer removes it from its surface.
class BitmapLayer {
public:
    enum class DrawMode { Opaque, Blend };

    explicit BitmapLayer(ImageSurface* surface);
    ~BitmapLayer();
    BitmapLayer(const BitmapLayer&) = delete;
    BitmapLayer& operator=(const BitmapLayer&) = delete;

    Bitmap32& Bitmap() { return m_bitmap; }
    const Bitmap32& Bitmap() const { return m_bitmap; }
    ImageSurface* Surface() const { return m_surface; }

    // Where the layer's bitmap is shown, in surface pixels. The bitmap is
    // drawn at the rectangle's top left (rounded), unscaled.
    void SetLocation(const QRectF& location);
    QRectF Location() const { return m_location; }

    void SetVisible(bool visible);
    bool Visible() const { return m_visible; }

    void SetDrawMode(DrawMode mode);
    DrawMode GetDrawMode() const { return m_drawMode; }
    void SetMasterAlpha(int alpha);
    int MasterAlpha() const { return m_masterAlpha; }

    void SetTag(int tag) { m_tag = tag; }
    int Tag() const { return m_tag; }

    // The surface shows the cursor of the layer under the mouse, and of the
    // pressed layer for as long as the button is held.
    void SetCursor(Qt::CursorShape cursor);
    Qt::CursorShape Cursor() const { return m_cursor; }

    // A layer that takes mouse events is hit anywhere inside its location
    // rectangle, not only on its drawn pixels.
    void SetMouseEvents(bool on) { m_mouseEvents = on; }
    bool MouseEvents() const { return m_mouseEvents; }
    bool HitTest(const QPointF& p) const;

    void BringToFront();
    void SendToBack();

    // Tells the surface that the layer's bitmap changed.
    void Changed();

    // Where the bitmap lands on the surface, in whole surface pixels.
    QRect Placed() const;

private:
    // The surface cuts its layers loose when it goes away first.
    friend class ImageSurface;
    // The part of the surface the layer covers has to be composed anew.
    void DamagePlaced();

    QPointer<ImageSurface> m_surface;
    // Where the layer was when the surface last took account of it.
    QRect m_shownAt;
    bool m_queued = false;
    // Part of the surface's cached background (one of its bottom layers).
    bool m_cached = false;
    // The surface's composition count when the layer last changed.
    quint64 m_changedAt = 0;
    Bitmap32 m_bitmap;
    QRectF m_location;
    bool m_visible = true;
    DrawMode m_drawMode = DrawMode::Opaque;
    int m_masterAlpha = 255;
    int m_tag = 0;
    Qt::CursorShape m_cursor = Qt::ArrowCursor;
    bool m_mouseEvents = false;
};

// A widget showing a base bitmap with a stack of layers above it, bottom to
// top. Drawing between BeginUpdate and EndUpdate (which nest) is shown with
// exactly one repaint when the outermost bracket ends; drawing outside a
// bracket is shown on its own.
//
// The surface keeps the composed picture and recomposes and repaints only
// the tiles that changed: those the drawing operations touched (see
// Bitmap32::TakeDamage) and those a layer leaves, enters or changes its
// look over. Moving a small layer across a large map costs its two places,
// not the map.
class ImageSurface : public QWidget {
    Q_OBJECT
public:
    explicit ImageSurface(QWidget* parent = nullptr);
    ~ImageSurface() override;

    Bitmap32& Bitmap() { return m_bitmap; }
    const Bitmap32& Bitmap() const { return m_bitmap; }
    // Resizes the base bitmap (the widget's size follows).
    void SetBitmapSize(int width, int height);

    // Layers bottom to top.
    const std::vector<BitmapLayer*>& Layers() const { return m_layers; }
    int LayerIndex(const BitmapLayer* layer) const;
    // The topmost visible layer that takes mouse events and contains p.
    BitmapLayer* LayerAt(const QPointF& p) const;

    void BeginUpdate();
    void EndUpdate();
    bool Updating() const { return m_updateCount > 0; }
    // Something on the surface changed: repaint now, or when the outermost bracket ends.
    void Changed();
    // How many repaints have been asked for so far (each bracket counts once).
    int RepaintCount() const { return m_repaintCount; }

    // Base bitmap and visible layers composed from scratch, as they appear on screen.
    QImage Render() const;
    // Composes from scratch into a target of the surface's size.
    void RenderInto(QImage& target, const QRect& area) const;
    // The picture the widget shows, brought up to date with what changed
    // since (the incremental counterpart of Render).
    const QImage& Composed();

    // The layer that got the last press and keeps the mouse until release.
    BitmapLayer* PressedLayer() const { return m_pressed; }

signals:
    // Emitted once per repaint request (once per outermost update bracket).
    void SurfaceChanged();
    // Mouse events in surface pixels with the topmost layer under the mouse
    // that takes events (or the pressed layer while a button is held).
    void MouseDown(QMouseEvent* event, const QPointF& pos, BitmapLayer* layer);
    void MouseMove(QMouseEvent* event, const QPointF& pos, BitmapLayer* layer);
    void MouseUp(QMouseEvent* event, const QPointF& pos, BitmapLayer* layer);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    QSize sizeHint() const override;

private:
    friend class BitmapLayer;
    void AddLayer(BitmapLayer* layer);
    void RemoveLayer(BitmapLayer* layer);
    void MoveLayer(BitmapLayer* layer, bool toFront);
    void UpdateCursor(const QPointF& pos);
    void ShowCursor(Qt::CursorShape shape);
    void Queue(BitmapLayer* layer);
    // rect has to be composed anew, for a change of layer (or of the base bitmap when null).
    void Damage(const QRect& rect, BitmapLayer* layer);
    // Chooses how many bottom layers the cached background holds.
    void UpdateSplit();
    // Takes the damage of the base bitmap and of the queued layers.
    void CollectDamage();
    // Asks the widget to repaint the damaged tiles.
    void RequestRepaint();
    // Recomposes the damaged tiles of the background and of the kept picture.
    void ComposePending();
    // A layer that can show, with what composing it needs.
    struct TPlaced {
        const uchar* bits;
        qsizetype stride;
        QRect placed;
        bool opaque;
        quint32 alpha;
    };
    // The visible layers [from, to) that show something, bottom to top.
    void ShowingLayers(std::vector<TPlaced>& out, std::size_t from, std::size_t to) const;
    // Composes the damaged tiles of target from base and the layers [from, to).
    void ComposeDamaged(QImage& target, const TTileMask& damage, const QImage& base, std::size_t from,
                        std::size_t to);
    // Composes rect of the surface into target: base, then the given layers that overlap it.
    void ComposeRect(QImage& target, const QRect& rect, const QImage& base, const TPlaced* const* layers,
                     std::size_t count) const;

    Bitmap32 m_bitmap;
    std::vector<BitmapLayer*> m_layers;
    int m_updateCount = 0;
    bool m_dirty = false;
    int m_repaintCount = 0;
    BitmapLayer* m_pressed = nullptr;
    QImage m_backing;
    TTileMask m_damage;
    // The base bitmap with the bottom m_split layers composed on it, which
    // have not changed for a while (the stations under a flying aircraft),
    // so that a step composes only the layers above them.
    QImage m_background;
    TTileMask m_bgDamage;
    int m_split = 0;
    quint64 m_serial = 0;
    std::vector<BitmapLayer*> m_queue;
    // Scratch of the composition: per tile row the layers that reach into it.
    std::vector<int> m_rowStart;
    std::vector<const TPlaced*> m_rowLayers;
    std::vector<TPlaced> m_candidates;
};
