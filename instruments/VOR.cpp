#include "instruments/VOR.h"

#include "instruments/CourseIndication.h"
#include "platform/Colors.h"
#include "world/InstrumentUtilsClass.h"

#include <QRectF>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

std::shared_ptr<TVOR> TVOR::Create(ImageSurface* image, int left, int top, int width,
                                   const std::shared_ptr<IObserver>& radial) {
    return Initialised(std::shared_ptr<TVOR>(new TVOR()), image, left, top, width, radial);
}

void TVOR::Init(ImageSurface* anImage, int aLeft, int aTop, int aWidth,
                const std::shared_ptr<IObserver>& radial) {
    TInstrumentMitStation::Init(anImage, aLeft, aTop, aWidth, radial);
    FTyp = icVOR;
    // The indication depends on positions only; the heading is of no concern.
    FNotificationTypes = {ntPosition, ntStationPosition};
    FMittellinie = false;
    F90GradMarken = false;
    F45GradMarken = false;
    FFlugzeugsymbol = false;
    FMainDirections = true;
    FDrehknopf1 = true;
    FKnopfText1 = QStringLiteral("OBS");
    FDrehknopf2 = false;

    FAblageZeigerLaenge = FR1 / std::numbers::sqrt2_v<float>;
    FDelta = FAblageZeigerLaenge / 5.0f;
    FAblMarkX = 3.0f * FSF;
    FAblMarkY = 5.0f * FSF;
    // The triangles sit right of the centre by half the needle length.
    const float cx = FXm + FAblageZeigerLaenge / 2.0f;
    FP_TO = {TSinglePoint{cx, FYm - 30.0f * FSF}, TSinglePoint{cx - 15.0f * FSF, FYm - 15.0f * FSF},
             TSinglePoint{cx + 15.0f * FSF, FYm - 15.0f * FSF}};
    FP_FROM = {TSinglePoint{cx, FYm + 30.0f * FSF}, TSinglePoint{cx - 15.0f * FSF, FYm + 15.0f * FSF},
               TSinglePoint{cx + 15.0f * FSF, FYm + 15.0f * FSF}};
    FScaleHeading = FOBS;

    ZeigerLayer = CreateFaceLayer(BitmapLayer::DrawMode::Blend, true);
}

void TVOR::ShowLayers(bool value) {
    ShowNeedleLayer(*ZeigerLayer, value);
}

// --- indication -------------------------------------------------------------

bool TVOR::UpdateIndication(bool redraw) {
    const TCourseIndication ind = ComputeCourseIndication(IsTuned(), FStationPosition, FPlanePosition, FOBS);
    const bool flagChanged = SetToFrom(ind.ToFrom, false);
    const bool needleChanged = SetAblage(false, ind.Ablage);
    return RepaintCourseIndication(redraw, flagChanged, needleChanged, [this] { RepaintNeedle(); });
}

bool TVOR::UpdateHeading(bool) {
    return false;
}

bool TVOR::SetOBS(bool redraw, float value) {
    const float v = NormalizeAngle(value);
    // The card always has the OBS at the top.
    FScaleHeading = v;
    return StoreAndRepaint(FOBS, v, redraw);
}

bool TVOR::SetToFrom(int state, bool redraw) {
    return StoreAndRepaint(FToFrom, state, redraw);
}

bool TVOR::SetAblage(bool redraw, float value) {
    return StoreAndRepaint(FAblage, IsTuned() ? value : 0.0f, redraw, [this] { RepaintNeedle(); });
}

void TVOR::SetValue(float value) {
    SelectCourse(SetOBS(false, value));
}

void TVOR::SetValueInc(int inc) {
    SetValue(FOBS + static_cast<float>(inc));
}

void TVOR::SetDirToStation(bool value) {
    StoreAndRepaint(FDirToStation, value, true);
}

// --- painting ----------------------------------------------------------------

void TVOR::Paint() {
    TInstrumentMitStation::Paint();
    PaintMarks();
    Bitmap32& bmp = InstrumentLayer->Bitmap();
    if (FToFrom == tfTo)
        bmp.PolygonAA(std::vector<TSinglePoint>(FP_TO.begin(), FP_TO.end()), clWhite);
    else if (FToFrom == tfFrom)
        bmp.PolygonAA(std::vector<TSinglePoint>(FP_FROM.begin(), FP_FROM.end()), clWhite);
    PaintNeedle();
}

void TVOR::PaintMarks() {
    Bitmap32& bmp = InstrumentLayer->Bitmap();
    for (int k = -5; k <= 5; ++k) {
        const float x = FXm + static_cast<float>(k) * FDelta;
        if (k == 0) {
            bmp.CircleAA(FXm, FYm, FAblMarkY, 1.0f, clWhite);
        } else {
            bmp.LineAA(x, FYm - FAblMarkY, x, FYm + FAblMarkY, clWhite);
            bmp.LineAA(x - FAblMarkX, FYm, x + FAblMarkX, FYm, clWhite);
        }
    }
}

float TVOR::NeedleX() const {
    const float a = std::clamp(FAblage, -10.0f, 10.0f);
    return FXm - (5.0f - (a + 10.0f) / 2.0f) * FDelta;
}

void TVOR::PaintNeedle() {
    Bitmap32& bmp = ZeigerLayer->Bitmap();
    bmp.CopyFrom(InstrumentLayer->Bitmap());
    const float x = NeedleX();
    bmp.LineAA(x, FYm - FAblageZeigerLaenge, x, FYm + FAblageZeigerLaenge, clYellow);
    if (FDirToStation && IsTuned()) PaintDirectionMark(bmp);
}

void TVOR::PaintDirectionMark(Bitmap32& bmp) {
    const float r1 = FR - 3.0f;
    const float r2 = FR + 3.0f;
    auto stroke = [&](float beta) {
        const TSinglePoint a = FacePoint(r1, beta);
        const TSinglePoint b = FacePoint(r2, beta);
        bmp.LineAA(a.X, a.Y, b.X, b.Y, clYellow);
        bmp.DotAA(b.X, b.Y, clYellow); // the line leaves its end point out; the mark includes it
    };
    auto arc = [&](float from, float to) { bmp.ArcBandAA(FXm, FYm, r1, r2, from, to, clYellow); };

    // The card's top is the OBS, so the aircraft's radial relative to the OBS
    // is the direction on the dial: exact within the scale, an 80-degree
    // sector beyond it.
    const bool inScale = FAblage > -10.0f && FAblage < 10.0f;
    switch (FToFrom) {
    case tfTo:
        if (inScale)
            stroke(FAblage + 180.0f);
        else if (FAblage >= 10.0f)
            arc(190.0f, 270.0f);
        else
            arc(90.0f, 170.0f);
        break;
    case tfFrom:
        if (inScale)
            stroke(-FAblage);
        else if (FAblage >= 10.0f)
            arc(270.0f, 350.0f);
        else
            arc(10.0f, 90.0f);
        break;
    default:
        arc(180.0f, 360.0f);
        break;
    }
}

void TVOR::RepaintNeedle() {
    RepaintLayer(*ZeigerLayer, [this] { PaintNeedle(); });
}
