#include "world/RadialLayer.h"

#include <utility>

TRadialLayer::TRadialLayer(TSetRadialProcedure setRadialProcedure)
    : FSetRadialProcedure(std::move(setRadialProcedure)), FNotificationTypes{ntPosition, ntStationPosition,
                                                                             ntOBS} {}

void TRadialLayer::UpdateA(ISubject* /*theChangedSubject*/, TNotificationType notificationType) {
    if (!FNotificationTypes.Contains(notificationType)) return;
    if (FSetRadialProcedure) FSetRadialProcedure();
}
