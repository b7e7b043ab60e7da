#pragma once

#include "instruments/InstrumentMitPlane.h"

// Heading indicator (directional gyro): the card turns with the aircraft
// heading, read against a fixed aircraft symbol. Takes no station.
class TKursKreisel : public TInstrumentMitPlane, public IScaleHeading {
public:
    static std::shared_ptr<TKursKreisel> Create(ImageSurface* image, int left, int top, int width,
                                                const std::shared_ptr<IObserver>& radial);

    // IScaleHeading
    float GetScaleHeading() override { return FScaleHeading; }

protected:
    TKursKreisel() = default;
    void Init(ImageSurface* anImage, int aLeft, int aTop, int aWidth,
              const std::shared_ptr<IObserver>& radial) override;
    bool UpdateIndication(bool redraw) override;
    bool UpdateHeading(bool redraw) override;

    bool UpdateScaleHeading(bool redraw, float value);
};
