#pragma once

#include "instruments/ADF.h"

// Radio magnetic indicator: the card follows the aircraft heading, the needle
// head reads the bearing to the station and its tail the radial.
class TRMI : public TADF {
public:
    static std::shared_ptr<TRMI> Create(ImageSurface* image, int left, int top, int width,
                                        const std::shared_ptr<IObserver>& radial);

protected:
    TRMI() = default;
    void Init(ImageSurface* anImage, int aLeft, int aTop, int aWidth,
              const std::shared_ptr<IObserver>& radial) override;
};
