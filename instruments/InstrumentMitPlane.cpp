#include "instruments/InstrumentMitPlane.h"

std::shared_ptr<IObserver> TInstrumentMitPlane::SelfObserver() {
    // Shares ownership with the instrument but points at its observer part,
    // so attaching and detaching compare the very same pointer.
    return std::shared_ptr<IObserver>(shared_from_this(), static_cast<IObserver*>(this));
}

void TInstrumentMitPlane::UpdateA(ISubject* theChangedSubject, TNotificationType notificationType) {
    auto* plane = dynamic_cast<IPlaneSubject*>(theChangedSubject);
    if (!plane || plane != FPlaneSubject.get()) return;
    switch (notificationType) {
    case ntPosition:
        SetPlanePosition(plane->GetPosition());
        break;
    case ntHeading:
        SetPlaneHeading(plane->GetHeading());
        break;
    default:
        break;
    }
}

void TInstrumentMitPlane::SetPlanePosition(const TSinglePoint& p) {
    if (p == FPlanePosition) return;
    FPlanePosition = p;
    TUpdateBracket bracket(Image32);
    if (UpdateIndication(true)) FullRepaint();
}

void TInstrumentMitPlane::SetPlaneHeading(float value) {
    if (value == FPlaneHeading) return;
    FPlaneHeading = value;
    TUpdateBracket bracket(Image32);
    if (UpdateHeading(true)) FullRepaint();
}

void TInstrumentMitPlane::SetPlaneSubject(const std::shared_ptr<IPlaneSubject>& value) {
    if (FPlaneSubject) {
        // Cleared before detaching so that nothing the aircraft still says reaches us.
        auto old = std::move(FPlaneSubject);
        FPlaneSubject.reset();
        old->Detach(SelfObserver());
    }
    if (value) {
        FPlaneSubject = value;
        value->Attach(SelfObserver());
    }
}
