#include "shell/PlaneWatcher.h"

void TPlaneWatcher::SetPlane(const std::shared_ptr<IPlaneSubject>& plane) {
    const auto old = FPlane.lock();
    if (old != plane) {
        FPlane = plane;
        if (old) old->Detach(shared_from_this());
        // The attach announces the current state, which refreshes.
        if (plane) plane->Attach(shared_from_this());
    }
    Refresh();
}

void TPlaneWatcher::UpdateA(ISubject* theChangedSubject, TNotificationType notificationType) {
    if (!GetNotificationTypes().Contains(notificationType)) return;
    const auto plane = FPlane.lock();
    if (!plane || theChangedSubject != static_cast<ISubject*>(plane.get())) return;
    Refresh();
}
