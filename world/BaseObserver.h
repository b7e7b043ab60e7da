#pragma once

#include "world/vxInterfaces.h"

#include <functional>
#include <memory>
#include <optional>
#include <vector>

// One change of the world often notifies many times: an aircraft's move
// reaches each of its instruments in turn, a new binding announces every kind
// in its filter. An observer that shows what several others compute (the
// radial layer reads the instruments) defers its work to the end of the
// outermost notification, when all of them are up to date, and does it once.
// Every Notify and Attach is such a bracket; a caller that makes several
// changes in a row may open one around all of them. User-interface thread only.
class TNotificationBracket {
public:
    TNotificationBracket();
    ~TNotificationBracket();
    TNotificationBracket(const TNotificationBracket&) = delete;
    TNotificationBracket& operator=(const TNotificationBracket&) = delete;

    // Runs work when the outermost bracket ends, or at once when none is
    // open. Work deferred again under the same key before then runs once.
    static void Defer(const void* key, std::function<void()> work);
    static bool IsOpen();
};

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
