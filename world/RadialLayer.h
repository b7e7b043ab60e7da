#pragma once

#include "world/vxInterfaces.h"

#include <functional>
#include <memory>
#include <vector>

class BitmapLayer;

using TSetRadialProcedure = std::function<void()>;

// Observer of everything the radial and bearing lines on the map depend on:
// any notification of a kind in its filter redraws all lines through the
// installed procedure. Headings are not in the default filter because no
// line depends on them.
//
// The lines show what the instruments show, and the instruments learn of a
// change from the same notification, some of them after this observer. So
// the redraw waits until the outermost notification has ended (every
// instrument has recomputed by then) and happens once for all the kinds and
// subjects that reached it meanwhile; it is still synchronous, done before
// the change that caused it returns.
class TRadialLayer : public IObserver {
public:
    explicit TRadialLayer(TSetRadialProcedure setRadialProcedure);

    void UpdateA(ISubject* theChangedSubject, TNotificationType notificationType) override;
    TNotificationTypes GetNotificationTypes() override { return FNotificationTypes; }

    TNotificationTypes NotificationTypes() const { return FNotificationTypes; }
    void SetNotificationTypes(TNotificationTypes value) { FNotificationTypes = value; }

private:
    TSetRadialProcedure FSetRadialProcedure;
    TNotificationTypes FNotificationTypes;
};

// Draws the lines of the aircraft's tuned, visible instruments on the radial
// layer: for a VOR indicator or HSI (with showRadials) the radial of its
// course and TO/FROM state through its station, solid, the course line on
// behind the station and the TO/FROM boundary across it, dashed; for the
// needle instruments (with showBearings) a line from each tuned station to
// the aircraft. Stations are matched by name. With no stations the layer
// keeps what it shows; otherwise it is cleared and brought above every other
// layer first, whether or not there is an aircraft. showBearings stands for
// the option and the aircraft's visibility together.
void DrawRadialLines(BitmapLayer& layer, IPlaneSubject* plane,
                     const std::vector<std::shared_ptr<IStationSubject>>& stations, bool showRadials,
                     bool showBearings);
