#include "shell/I_MainForm.h"

#include "world/FlugwegLayer.h"
#include "world/I_Flugzeug.h"

#include <QPushButton>
#include <QSpinBox>

// The instrument panel: which aircraft is active and what its three slots
// show.

void TfrmMainTalvex::seFlugzeugChange() {
    if (Flugzeuge.empty()) return;
    // The selector keeps its value within range; the index is bounded here as
    // well, so no text can ever select an aircraft that does not exist.
    const int count = static_cast<int>(Flugzeuge.size());
    const int index = std::clamp(seFlugzeug->value(), 1, count) - 1;
    if (const auto previous = ActivePlane(); previous && IRadial) previous->Detach(IRadial);
    FSelectedPlane = index;
    if (const auto active = ActivePlane(); active && IRadial) active->Attach(IRadial);
    FollowActivePlane();
    btnAnimStopClick();
    for (int i = 0; i < count; ++i) {
        const auto& plane = Flugzeuge[static_cast<std::size_t>(i)];
        if (!plane) continue;
        const bool selected = i == FSelectedPlane;
        plane->SetSelected(selected);
        if (selected) {
            btnAnimReset->setEnabled(plane->GetAusgangsPositionGespeichert());
            btnVisible->setText(plane->GetVisible() ? QStringLiteral("Flugzeug unsichtbar")
                                                    : QStringLiteral("Flugzeug sichtbar"));
        }
    }
    if (Flugweg) Flugweg->SetPlane(std::dynamic_pointer_cast<TFlugzeug>(ActivePlane()));
}
