#pragma once

#include "instruments/ADF.h"

// Movable dial indicator: the pilot turns the card by hand (through the value
// panel); set to the heading, the needle reads the bearing to the station.
class TMDI : public TADF, public IValueSetting {
public:
    static std::shared_ptr<TMDI> Create(ImageSurface* image, int left, int top, int width,
                                        const std::shared_ptr<IObserver>& radial);

    // IValueSetting: the card rotation, wrapping around through 0.
    float GetValue() override { return FScaleHeading; }
    void SetValue(float value) override { SetScaleHeading(value); }
    void SetValueInc(int inc) override { SetScaleHeading(FScaleHeading + static_cast<float>(inc)); }

protected:
    TMDI() = default;
    void Init(ImageSurface* anImage, int aLeft, int aTop, int aWidth,
              const std::shared_ptr<IObserver>& radial) override;
};
