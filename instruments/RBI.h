#pragma once

#include "instruments/ADF.h"

// Relative bearing indicator: fixed card with 0 at the top, the needle reads
// the relative bearing of the station directly.
class TRBI : public TADF {
public:
    static std::shared_ptr<TRBI> Create(ImageSurface* image, int left, int top, int width,
                                        const std::shared_ptr<IObserver>& radial);

    // The card is fixed with 0 at the top.
    void SetScaleHeading(float) override {}

protected:
    TRBI() = default;
    void Init(ImageSurface* anImage, int aLeft, int aTop, int aWidth,
              const std::shared_ptr<IObserver>& radial) override;
};
