#pragma once

#include "platform/Bitmap32.h"
#include "platform/Colors.h"
#include "platform/SinglePoint.h"
#include "shell/PlaneWatcher.h"

#include <QPoint>

#include <memory>

class BitmapLayer;
class ImageSurface;

// Where the arrow for an aircraft at p goes on a map of width × height: shown
// while p lies outside the map, centred on the point of the map nearest to p
// (kept far enough inside that the whole arrow can be seen), pointing at p.
// Nothing is shown for a position that is not a number.
struct TOffMapArrow {
    bool Shown = false;
    QPoint Centre;
    // Whole degrees clockwise from north, 0 to 359.
    int Direction = 0;
};
TOffMapArrow OffMapArrowFor(const TSinglePoint& p, int width, int height);

// A small red arrow at the edge of the map pointing towards the active
// aircraft while it lies outside the visible map, so that an aircraft that
// flew, was dragged or was left outside by a smaller map can be found again.
// It lies on a small layer of its own above the radial lines and never takes
// the mouse. A hidden aircraft shows nothing.
class TOffMapIndicator : public TPlaneWatcher {
public:
    static constexpr int Size = 24;
    static constexpr TColor32 Farbe = clRed;

    explicit TOffMapIndicator(ImageSurface* map);
    ~TOffMapIndicator() override;
    TOffMapIndicator(const TOffMapIndicator&) = delete;
    TOffMapIndicator& operator=(const TOffMapIndicator&) = delete;

    // Also after a resize of the map, a change of the aircraft's visibility,
    // or a layer put on top of the arrow.
    void Refresh() override;

    BitmapLayer* Layer() const { return FLayer.get(); }
    bool Shown() const;
    // The arrow as drawn (meaningful while shown).
    const TOffMapArrow& Arrow() const { return FArrow; }

    TNotificationTypes GetNotificationTypes() override { return {ntPosition}; }

private:
    void Draw(int direction);

    ImageSurface* FMap = nullptr;
    std::unique_ptr<BitmapLayer> FLayer;
    TOffMapArrow FArrow;
    // The direction the bitmap shows; -1 before the first drawing.
    int FDrawn = -1;
};
