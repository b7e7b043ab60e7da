#include "instruments/InstrumentMitStation.h"

void TInstrumentMitStation::UpdateA(ISubject* theChangedSubject, TNotificationType notificationType) {
    TInstrumentMitPlane::UpdateA(theChangedSubject, notificationType);
    if (notificationType != ntStationPosition || !FStationSubject) return;
    auto* station = dynamic_cast<IStationSubject*>(theChangedSubject);
    if (station == FStationSubject.get()) SetStationPosition(station->GetPosition());
}

QString TInstrumentMitStation::GetStation() {
    return FStationSubject ? FStationSubject->GetName() : QString();
}

void TInstrumentMitStation::SetStationPosition(const TSinglePoint& p) {
    if (p == FStationPosition) return;
    FStationPosition = p;
    TUpdateBracket bracket(Image32);
    if (UpdateIndication(true)) FullRepaint();
}

bool TInstrumentMitStation::AttachBinding(const std::shared_ptr<IStationSubject>& station, bool& attached,
                                          bool paint) {
    if (!station || attached) return false;
    attached = true;
    // Three attaches, one redraw of the radial layer.
    const TNotificationBracket bracket;
    TUpdateBracket repaint(Image32);
    station->Attach(SelfObserver());
    if (FRadial) {
        station->Attach(FRadial);
        // The radial layer listens to the instrument itself (course changes,
        // a second station) for as long as any binding is attached.
        if (FNRadialAttached == 0) Attach(FRadial);
    }
    ++FNRadialAttached;
    if (paint) FullRepaint();
    return true;
}

bool TInstrumentMitStation::DetachBinding(const std::shared_ptr<IStationSubject>& station, bool& attached,
                                          bool paint) {
    if (!station || !attached) return false;
    attached = false;
    TUpdateBracket bracket(Image32);
    station->Detach(SelfObserver());
    if (FRadial) station->Detach(FRadial);
    --FNRadialAttached;
    if (FNRadialAttached == 0 && FRadial) Detach(FRadial);
    if (paint) FullRepaint();
    return true;
}

void TInstrumentMitStation::AttachStationSubject() {
    AttachBinding(FStationSubject, FStationAttached, true);
}

void TInstrumentMitStation::DetachStationSubject() {
    DetachBinding(FStationSubject, FStationAttached, true);
}

void TInstrumentMitStation::RetuneBinding(std::shared_ptr<IStationSubject>& station, bool& attached,
                                          const std::shared_ptr<IStationSubject>& value,
                                          const std::function<void()>& recompute) {
    if (!value && !station) return;
    // The radial layer draws once, after the indication has been recomputed.
    const TNotificationBracket bracket;
    TUpdateBracket repaint(Image32);
    DetachBinding(station, attached, false);
    station = value;
    if (value) AttachBinding(station, attached, false);
    // The station's position notice only recomputes when the position differs
    // from the stored one, so a retune to a station at the same place (or at
    // (0, 0)) would keep the old indication; without a station the indication
    // falls back to its rest position at once. Either way: recompute, paint once.
    recompute();
    FullRepaint();
}

void TInstrumentMitStation::SetStationSubject(const std::shared_ptr<IStationSubject>& value) {
    RetuneBinding(FStationSubject, FStationAttached, value, [this] { UpdateIndication(false); });
}

bool TInstrumentMitStation::RepaintCourseIndication(bool redraw, bool flagChanged, bool needleChanged,
                                                    const std::function<void()>& repaintNeedle) {
    if (!redraw) return flagChanged || needleChanged;
    if (flagChanged)
        FullRepaint();
    else if (needleChanged)
        repaintNeedle();
    return false;
}

void TInstrumentMitStation::SelectCourse(bool courseChanged) {
    {
        TUpdateBracket bracket(Image32);
        const bool indicationChanged = UpdateIndication(false);
        if (courseChanged || indicationChanged) FullRepaint();
    }
    // Announced only once the TO/FROM state belongs to the new course, so
    // that the map never draws the new course with the old state.
    if (courseChanged) Notify(ntOBS);
}
