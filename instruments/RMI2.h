#pragma once

#include "instruments/ADF.h"

// RMI with two needles tuned independently: needle 1 (narrow, filled, green)
// to the ordinary station binding, needle 2 (wide, hollow, yellow) to a second
// station. A legend below the bezel names the station of each needle.
class TRMI2 : public TADF, public IRMI2 {
public:
    static std::shared_ptr<TRMI2> Create(ImageSurface* image, int left, int top, int width,
                                         const std::shared_ptr<IObserver>& radial);

    void UpdateA(ISubject* theChangedSubject, TNotificationType notificationType) override;

    // IRMI2
    float GetRB2() override;
    QString GetStation2() override;
    bool GetZeigerBelegung() override { return FZeigerBelegung; }
    void AttachStation2Subject() override;
    void DetachStation2Subject() override;
    void SetStation2Subject(const std::shared_ptr<IStationSubject>& value) override;
    void SetZeigerBelegung(bool value) override;

    const std::shared_ptr<IStationSubject>& GetStation2Subject() const { return FStation2Subject; }
    TSinglePoint GetStation2Position() const { return FStation2Position; }
    bool GetStation2Attached() const { return FStation2Attached; }

protected:
    TRMI2() = default;
    void Init(ImageSurface* anImage, int aLeft, int aTop, int aWidth,
              const std::shared_ptr<IObserver>& radial) override;
    void PaintSymbols() override;
    bool UpdateIndication(bool redraw) override;
    bool UpdateHeading(bool redraw) override;
    void PaintNeedle() override;

    void SetStation2Position(const TSinglePoint& p);
    bool UpdateRB2(bool redraw);
    bool SetRB2(bool redraw, float value);

    std::shared_ptr<IStationSubject> FStation2Subject;
    TSinglePoint FStation2Position;
    bool FStation2Attached = false;
    float FRB2 = 0.0f;
    float FZDicke2 = 0.0f;
    float FZSpBr2 = 0.0f;
    float FZSpLng2 = 0.0f;
    bool FZeigerBelegung = false;
};
