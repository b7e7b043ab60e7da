#include "instruments/RBI.h"

std::shared_ptr<TRBI> TRBI::Create(ImageSurface* image, int left, int top, int width,
                                   const std::shared_ptr<IObserver>& radial) {
    return Initialised(std::shared_ptr<TRBI>(new TRBI()), image, left, top, width, radial);
}

void TRBI::Init(ImageSurface* anImage, int aLeft, int aTop, int aWidth,
                const std::shared_ptr<IObserver>& radial) {
    TADF::Init(anImage, aLeft, aTop, aWidth, radial);
    FTyp = icRBI;
    FSyncScaleHeading = false;
    FMainDirections = false;
    FDrehknopf1 = false;
    FScaleHeading = 0.0f;
}
