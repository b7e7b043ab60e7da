#include "world/BaseObserver.h"

#include <algorithm>

void TSubject::Attach(const std::shared_ptr<IObserver>& observer) {
    if (!observer) return;
    if (!FObservers) FObservers.emplace();
    FObservers->push_back(observer);
    // The filter is read once: an observer that changes it while being told
    // about the current state must not get a different set of kinds.
    const TNotificationTypes kinds = observer->GetNotificationTypes();
    for (int kind = 0; kind < 8; ++kind) {
        if (kinds.Contains(kind)) Notify(static_cast<TNotificationType>(kind));
    }
}

void TSubject::Detach(const std::shared_ptr<IObserver>& observer) {
    if (!FObservers) return;
    auto& list = *FObservers;
    const auto it = std::find(list.begin(), list.end(), observer);
    if (it == list.end()) return;
    list.erase(it);
    if (list.empty()) FObservers.reset();
}

void TSubject::Notify(TNotificationType notificationType) {
    if (!FObservers) return;
    // Observers may detach themselves or others while being told; iterating a
    // copy keeps every observer present at the start alive and visited once.
    const std::vector<std::shared_ptr<IObserver>> snapshot = *FObservers;
    for (const auto& observer : snapshot) {
        if (!observer) continue;
        if (observer->GetNotificationTypes().Contains(notificationType))
            observer->UpdateA(this, notificationType);
    }
}

int TSubject::ObserverCount() const {
    return FObservers ? static_cast<int>(FObservers->size()) : 0;
}
