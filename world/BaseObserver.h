#pragma once

#include "world/vxInterfaces.h"

#include <memory>
#include <optional>
#include <vector>

// The observable base of aircraft, stations and instruments. Notification is
// synchronous: every attached observer whose filter holds the kind is called
// before Notify returns.
class TSubject : public virtual ISubject {
public:
    // Appends the observer, then announces every kind in its filter (0 to 7,
    // ascending) so that it can show the current state at once.
    void Attach(const std::shared_ptr<IObserver>& observer) override;
    // Removes the first entry that is this very observer; unknown observers are ignored.
    void Detach(const std::shared_ptr<IObserver>& observer) override;
    void Notify(TNotificationType notificationType) override;
    int ObserverCount() const;

private:
    // Exists only while at least one observer is attached.
    std::optional<std::vector<std::shared_ptr<IObserver>>> FObservers;
};
