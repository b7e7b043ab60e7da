#include "instruments/KursKreisel.h"

#include "world/InstrumentUtilsClass.h"

std::shared_ptr<TKursKreisel> TKursKreisel::Create(ImageSurface* image, int left, int top, int width,
                                                   const std::shared_ptr<IObserver>& radial) {
    return Initialised(std::shared_ptr<TKursKreisel>(new TKursKreisel()), image, left, top, width, radial);
}

void TKursKreisel::Init(ImageSurface* anImage, int aLeft, int aTop, int aWidth,
                        const std::shared_ptr<IObserver>& radial) {
    TInstrumentMitPlane::Init(anImage, aLeft, aTop, aWidth, radial);
    FNotificationTypes = {ntHeading};
    {
        // The face layer is the one on screen; there is no needle layer.
        TUpdateBracket bracket(Image32);
        InstrumentLayer->SetVisible(true);
    }
    FTyp = icKursKreisel;
    FMittellinie = true;
    F90GradMarken = true;
    F45GradMarken = true;
    FFlugzeugsymbol = true;
    FSkalaInnen = true;
    FMainDirections = true;
    FDrehknopf1 = true;
    FDrehknopf2 = false;
    FKnopfText1 = QStringLiteral("Push");
    // Inner scale: ticks start just inside the bezel and point inwards.
    FR1 = FR - 8.0f * FSF;
    FR2 = FR1 - 14.0f * FSF;
    FR3 = FR2 + 7.0f * FSF;
}

bool TKursKreisel::UpdateIndication(bool) {
    return false;
}

bool TKursKreisel::UpdateHeading(bool redraw) {
    return UpdateScaleHeading(redraw, FPlaneHeading);
}

bool TKursKreisel::UpdateScaleHeading(bool redraw, float value) {
    return StoreAndRepaint(FScaleHeading, NormalizeAngle(value), redraw);
}
