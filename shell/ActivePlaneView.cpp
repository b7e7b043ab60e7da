#include "shell/I_MainForm.h"

#include "shell/FlightStatus.h"
#include "shell/OffMapIndicator.h"

// Beyond its symbol and its instruments, the active aircraft shows in an
// arrow at the map's edge while it is off the map, and in its heading and
// speed at the right of the status line. Both watch the active aircraft
// itself, so they follow it whatever moves or turns it.

void TfrmMainTalvex::FollowActivePlane() {
    if (!OffMapIndicator) OffMapIndicator = std::make_shared<TOffMapIndicator>(ImgNav);
    if (!FlightStatus) FlightStatus = std::make_shared<TFlightStatus>(StatusBar1);
    const auto active = ActivePlane();
    OffMapIndicator->SetPlane(active);
    FlightStatus->SetPlane(active);
}

void TfrmMainTalvex::ReleaseActivePlaneView() {
    // The watched aircraft holds them; they must let go before it is released.
    if (OffMapIndicator) OffMapIndicator->SetPlane(nullptr);
    if (FlightStatus) FlightStatus->SetPlane(nullptr);
}
