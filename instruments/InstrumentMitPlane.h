#pragma once

#include "instruments/I_Instrumente.h"

// An instrument bound to one aircraft: it observes the aircraft, keeps a copy
// of its position and heading and lets the concrete instrument recompute its
// indication when one of them changes.
class TInstrumentMitPlane : public TInstrument, public IObserver, public IInstrumentMitPlane {
public:
    // IObserver
    void UpdateA(ISubject* theChangedSubject, TNotificationType notificationType) override;
    TNotificationTypes GetNotificationTypes() override { return FNotificationTypes; }
    void SetNotificationTypes(TNotificationTypes value) { FNotificationTypes = value; }

    // IInstrumentMitPlane
    float GetPlaneHeading() override { return FPlaneHeading; }
    TSinglePoint GetPlanePosition() override { return FPlanePosition; }
    void SetPlanePosition(const TSinglePoint& p) override;
    void SetPlaneHeading(float value) override;
    void SetPlaneSubject(const std::shared_ptr<IPlaneSubject>& value) override;

    const std::shared_ptr<IPlaneSubject>& GetPlaneSubject() const { return FPlaneSubject; }

protected:
    TInstrumentMitPlane() = default;

    // Hooks of the concrete instrument. With redraw set they repaint what they
    // changed themselves; they return true when something changed that is not
    // yet on screen, and the caller then repaints the whole face.
    virtual bool UpdateIndication(bool redraw) = 0; // aircraft (or station) position changed
    virtual bool UpdateHeading(bool redraw) = 0;    // aircraft heading changed

    // This instrument as the observer that subjects hold.
    std::shared_ptr<IObserver> SelfObserver();

    float FPlaneHeading = 0.0f;
    TSinglePoint FPlanePosition;
    std::shared_ptr<IPlaneSubject> FPlaneSubject;
    TNotificationTypes FNotificationTypes;
};
