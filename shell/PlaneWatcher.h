#pragma once

#include "world/vxInterfaces.h"

#include <memory>

// Something on the screen that shows one aircraft at a time and looks again
// whenever the aircraft announces a change of a kind in its filter.
//
// The aircraft it watches holds it: SetPlane(nullptr) lets it go.
class TPlaneWatcher : public IObserver, public std::enable_shared_from_this<TPlaneWatcher> {
public:
    // Detaches from the previous aircraft, attaches to this one (nullptr:
    // none) and shows what there is to show.
    void SetPlane(const std::shared_ptr<IPlaneSubject>& plane);
    std::shared_ptr<IPlaneSubject> Plane() const { return FPlane.lock(); }

    // Looks again at the aircraft.
    virtual void Refresh() = 0;

    void UpdateA(ISubject* theChangedSubject, TNotificationType notificationType) override;

private:
    std::weak_ptr<IPlaneSubject> FPlane;
};
