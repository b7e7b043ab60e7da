#pragma once

#include "world/vxInterfaces.h"

#include <functional>

using TSetRadialProcedure = std::function<void()>;

// Observer of everything the radial and bearing lines on the map depend on:
// any notification of a kind in its filter redraws all lines through the
// installed procedure. Headings are not in the default filter because no
// line depends on them.
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
