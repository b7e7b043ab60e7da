#pragma once

#include "platform/Bitmap32.h"
#include "platform/SinglePoint.h"
#include "world/vxInterfaces.h"

#include <memory>

class BitmapLayer;
class ImageSurface;
class TFlugzeug;

// Records the active aircraft's path into its track and draws the track on a
// transparent full-map layer of its own. The layer lies below every aircraft
// and never takes the mouse. Each position notice adds at most one short
// segment to the picture; only a change of aircraft, a cleared track, a new
// scene or a resized map draws the whole track again.
//
// The aircraft it is attached to holds it: SetPlane(nullptr) lets it go.
class TFlugwegLayer : public IObserver, public std::enable_shared_from_this<TFlugwegLayer> {
public:
    // Magenta, the colour of a flown or planned track on a pilot's display;
    // bearing lines are blue, radials green, the active aircraft red.
    static constexpr TColor32 Farbe = 0xFFC000C0;

    explicit TFlugwegLayer(ImageSurface* map);
    ~TFlugwegLayer() override;
    TFlugwegLayer(const TFlugwegLayer&) = delete;
    TFlugwegLayer& operator=(const TFlugwegLayer&) = delete;

    // The aircraft whose path is recorded and shown: detaches from the
    // previous one, attaches to this one (nullptr: none) and draws its track.
    void SetPlane(const std::shared_ptr<TFlugzeug>& plane);
    std::shared_ptr<TFlugzeug> Plane() const { return FPlane.lock(); }

    // Whether the track is shown. The path is recorded either way, so that
    // switching the option on shows what has been flown.
    void SetShown(bool shown);
    bool Shown() const;

    // The map bitmap took a new size.
    void Resize(int width, int height);
    // The track of the shown aircraft starts again at its current position.
    void ClearTrack();
    // The aircraft is about to jump (not fly) to a new place: no line across the map.
    void Jump();
    // Draws the whole track anew.
    void Redraw();

    BitmapLayer* Layer() const { return FLayer.get(); }

    void UpdateA(ISubject* theChangedSubject, TNotificationType notificationType) override;
    TNotificationTypes GetNotificationTypes() override { return {ntPosition}; }

private:
    ImageSurface* FMap = nullptr;
    std::unique_ptr<BitmapLayer> FLayer;
    std::weak_ptr<TFlugzeug> FPlane;
    TSinglePoint FLast;
    bool FHasLast = false;
};
