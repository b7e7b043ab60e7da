#pragma once

#include "instruments/InstrumentMitPlane.h"

#include <functional>

// An aircraft-bound instrument that is also tuned to one radio station. While
// the binding is attached the instrument and the map's radial layer observe the
// station, and the radial layer observes the instrument.
//
// A station binding is either attached or not: attaching an attached binding
// and detaching a detached one change nothing. The shell detaches and
// re-attaches the bindings of every aircraft it switches away from and back to,
// so unbalanced calls must not drift the observer lists or the radial counter.
class TInstrumentMitStation : public TInstrumentMitPlane, public IInstrumentMitStation {
public:
    // IObserver
    void UpdateA(ISubject* theChangedSubject, TNotificationType notificationType) override;

    // IInstrumentMitStation
    QString GetStation() override;
    TSinglePoint GetStationPosition() override { return FStationPosition; }
    std::shared_ptr<IStationSubject> GetStationSubject() override { return FStationSubject; }
    void AttachStationSubject() override;
    void DetachStationSubject() override;
    void SetStationSubject(const std::shared_ptr<IStationSubject>& value) override;

    bool GetStationAttached() const { return FStationAttached; }

protected:
    TInstrumentMitStation() = default;

    void SetStationPosition(const TSinglePoint& p);
    // A station is assigned (it may be detached for the moment).
    bool IsTuned() const { return FStationSubject != nullptr; }

    // The binding machinery shared by every station binding of an instrument
    // (the two-needle RMI has two). Return whether anything changed.
    bool AttachBinding(const std::shared_ptr<IStationSubject>& station, bool& attached, bool paint);
    bool DetachBinding(const std::shared_ptr<IStationSubject>& station, bool& attached, bool paint);
    // Tunes one binding to value (none untunes it), then lets recompute bring
    // its indication up to date and paints the face once.
    void RetuneBinding(std::shared_ptr<IStationSubject>& station, bool& attached,
                       const std::shared_ptr<IStationSubject>& value, const std::function<void()>& recompute);

    // After the selected course of a course instrument (VOR indicator, HSI)
    // was stored without a repaint: the indication follows and the face is
    // painted once, and a changed course is announced after that.
    void SelectCourse(bool courseChanged);
    // What a course instrument owes once its TO/FROM state and deviation are
    // stored without a repaint (the result of UpdateIndication). The flag lives
    // on the dial, so its change repaints the whole face; a deviation change
    // alone recomposes only the needle layer.
    bool RepaintCourseIndication(bool redraw, bool flagChanged, bool needleChanged,
                                 const std::function<void()>& repaintNeedle);

    std::shared_ptr<IStationSubject> FStationSubject;
    TSinglePoint FStationPosition;
    bool FStationAttached = false;
};
