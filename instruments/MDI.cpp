#include "instruments/MDI.h"

std::shared_ptr<TMDI> TMDI::Create(ImageSurface* image, int left, int top, int width,
                                   const std::shared_ptr<IObserver>& radial) {
    return Initialised(std::shared_ptr<TMDI>(new TMDI()), image, left, top, width, radial);
}

void TMDI::Init(ImageSurface* anImage, int aLeft, int aTop, int aWidth,
                const std::shared_ptr<IObserver>& radial) {
    TADF::Init(anImage, aLeft, aTop, aWidth, radial);
    FTyp = icMDI;
    FSyncScaleHeading = false;
    FMainDirections = true;
    // The knob is a picture only; the card turns through IValueSetting.
    FDrehknopf1 = true;
}
