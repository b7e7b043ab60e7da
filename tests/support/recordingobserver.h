#pragma once

#include "world/vxInterfaces.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <utility>
#include <vector>

// An observer that writes down every notification it gets, optionally into a
// log shared with other observers so that the order between them shows.
class TRecordingObserver : public IObserver {
public:
    explicit TRecordingObserver(TNotificationTypes filter, QString name = {},
                                QStringList* sharedLog = nullptr)
        : Filter(filter), Name(std::move(name)), SharedLog(sharedLog) {}

    void UpdateA(ISubject* theChangedSubject, TNotificationType notificationType) override {
        Received.emplace_back(theChangedSubject, notificationType);
        if (SharedLog) SharedLog->append(QStringLiteral("%1:%2").arg(Name).arg(int(notificationType)));
        if (OnUpdate) OnUpdate(theChangedSubject, notificationType);
    }
    TNotificationTypes GetNotificationTypes() override { return Filter; }

    // The kinds received so far, in order.
    std::vector<int> Kinds() const {
        std::vector<int> kinds;
        for (const auto& entry : Received)
            kinds.push_back(int(entry.second));
        return kinds;
    }
    int Count(TNotificationType kind) const {
        int n = 0;
        for (const auto& entry : Received)
            n += entry.second == kind ? 1 : 0;
        return n;
    }
    int Total() const { return static_cast<int>(Received.size()); }
    // The subject of the last notification, or nullptr.
    ISubject* LastSubject() const { return Received.empty() ? nullptr : Received.back().first; }
    void Clear() { Received.clear(); }

    TNotificationTypes Filter;
    QString Name;
    QStringList* SharedLog;
    std::vector<std::pair<ISubject*, TNotificationType>> Received;
    std::function<void(ISubject*, TNotificationType)> OnUpdate;
};
