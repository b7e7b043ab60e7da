#include "instruments/ADF.h"

#include "platform/Colors.h"
#include "world/InstrumentUtilsClass.h"

#include <QRectF>

#include <algorithm>

void TADF::Init(ImageSurface* anImage, int aLeft, int aTop, int aWidth,
                const std::shared_ptr<IObserver>& radial) {
    TInstrumentMitStation::Init(anImage, aLeft, aTop, aWidth, radial);
    FNotificationTypes = {ntPosition, ntHeading, ntStationPosition};
    FMittellinie = false;
    F90GradMarken = true;
    F45GradMarken = true;
    FFlugzeugsymbol = true;
    FDrehknopf2 = false;
    FKnopfText1 = QStringLiteral("HDG");
    FZLaenge = FR - 60.0f * FSF;
    FZDicke = 3.0f * FSF;
    FZSpLng = 20.0f * FSF;
    FZSpBr = 10.0f * FSF;

    ZeigerLayer = CreateFaceLayer(BitmapLayer::DrawMode::Blend, true);
}

void TADF::ShowLayers(bool value) {
    ShowNeedleLayer(*ZeigerLayer, value);
}

void TADF::Paint() {
    TInstrumentMitStation::Paint();
    FZLaenge = std::min(FR1, FR2) - 1.0f;
    PaintNeedle();
}

void TADF::PaintNeedle() {
    Bitmap32& bmp = ZeigerLayer->Bitmap();
    bmp.CopyFrom(InstrumentLayer->Bitmap());
    DrawNeedle(bmp, clYellow, FXm, FYm, FZLaenge, FZDicke, FZSpLng, FZSpBr, NeedleTheta(FRB), 0.0f);
}

void TADF::RepaintNeedle() {
    RepaintLayer(*ZeigerLayer, [this] { PaintNeedle(); });
}

float TADF::GetRB() {
    return IsTuned() ? NormalizeAngle(FRB) : 0.0f;
}

float TADF::RelativeBearing(const TSinglePoint& stationPos) const {
    long double dx = 0, dy = 0, radial = 0;
    BearingBetween(stationPos, FPlanePosition, dx, dy, radial);
    // The bearing to the station is the radial + 180; the heading makes it relative to the nose.
    return static_cast<float>(radial) - FPlaneHeading + 180.0f;
}

bool TADF::UpdateRB() {
    if (!IsTuned()) return SetRB(true, 0.0f);
    return SetRB(true, RelativeBearing(FStationPosition));
}

bool TADF::SetRB(bool redraw, float value) {
    return StoreAndRepaint(FRB, IsTuned() ? NormalizeAngle(value) : 0.0f, redraw, [this] { RepaintNeedle(); });
}

bool TADF::UpdateIndication(bool) {
    // A move changes only the bearing, never the face.
    UpdateRB();
    return false;
}

bool TADF::UpdateHeading(bool redraw) {
    TUpdateBracket bracket(Image32);
    UpdateRB();
    if (FSyncScaleHeading) FScaleHeading = NormalizeAngle(FPlaneHeading);
    if (!redraw) return true;
    FullRepaint();
    return false;
}

void TADF::SetScaleHeading(float value) {
    StoreAndRepaint(FScaleHeading, NormalizeAngle(value), true);
}

void TADF::SetNOSW(bool value) {
    StoreAndRepaint(FMainDirections, value, true);
}
