#include "world/BaseObserver.h"

#include <algorithm>
#include <utility>

namespace {
int g_bracketDepth = 0;
std::vector<std::pair<const void*, std::function<void()>>> g_deferred;
} // namespace

TNotificationBracket::TNotificationBracket() {
    ++g_bracketDepth;
}

TNotificationBracket::~TNotificationBracket() {
    if (--g_bracketDepth > 0) return;
    // Work run now may notify again; what it defers joins this loop instead
    // of running from inside the work that caused it.
    ++g_bracketDepth;
    while (!g_deferred.empty()) {
        const auto batch = std::exchange(g_deferred, {});
        for (const auto& entry : batch)
            entry.second();
    }
    --g_bracketDepth;
}

void TNotificationBracket::Defer(const void* key, std::function<void()> work) {
    if (!work) return;
    if (g_bracketDepth == 0) {
        work();
        return;
    }
    const auto same = [key](const auto& entry) { return entry.first == key; };
    if (std::none_of(g_deferred.begin(), g_deferred.end(), same))
        g_deferred.emplace_back(key, std::move(work));
}

bool TNotificationBracket::IsOpen() {
    return g_bracketDepth > 0;
}

void TSubject::Attach(const std::shared_ptr<IObserver>& observer) {
    if (!observer) return;
    if (!FObservers) FObservers.emplace();
    FObservers->push_back(observer);
    const TNotificationBracket bracket;
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
    const TNotificationBracket bracket;
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
