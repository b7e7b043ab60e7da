#include "instruments/RMI.h"

std::shared_ptr<TRMI> TRMI::Create(ImageSurface* image, int left, int top, int width,
                                   const std::shared_ptr<IObserver>& radial) {
    return Initialised(std::shared_ptr<TRMI>(new TRMI()), image, left, top, width, radial);
}

void TRMI::Init(ImageSurface* anImage, int aLeft, int aTop, int aWidth,
                const std::shared_ptr<IObserver>& radial) {
    TADF::Init(anImage, aLeft, aTop, aWidth, radial);
    FTyp = icRMI;
    FSyncScaleHeading = true;
    FMainDirections = true;
    FDrehknopf1 = false;
}
