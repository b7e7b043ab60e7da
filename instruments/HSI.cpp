#include "instruments/HSI.h"

#include "instruments/CourseIndication.h"
#include "platform/Colors.h"
#include "world/InstrumentUtilsClass.h"

#include <QRectF>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace {
constexpr float Pi = std::numbers::pi_v<float>;
} // namespace

std::shared_ptr<THSI> THSI::Create(ImageSurface* image, int left, int top, int width,
                                   const std::shared_ptr<IObserver>& radial) {
    return Initialised(std::shared_ptr<THSI>(new THSI()), image, left, top, width, radial);
}

void THSI::Init(ImageSurface* anImage, int aLeft, int aTop, int aWidth,
                const std::shared_ptr<IObserver>& radial) {
    TInstrumentMitStation::Init(anImage, aLeft, aTop, aWidth, radial);
    FTyp = icHSI;
    FNotificationTypes = {ntPosition, ntHeading, ntStationPosition};
    FMittellinie = false;
    F90GradMarken = false;
    F45GradMarken = false;
    FFlugzeugsymbol = true;
    FMainDirections = true;
    FDrehknopf1 = true;
    FKnopfText1 = QStringLiteral("HDG");
    FDrehknopf2 = true;
    FKnopfText2 = QStringLiteral("Course");

    const float l0 = FR1 / std::numbers::sqrt2_v<float>;
    FZLaenge = FR1;
    FZDicke = 4.0f * FSF;
    FZSpLng = 22.0f * FSF;
    FZSpBr = 15.0f * FSF;
    FDelta = l0 / 5.0f;
    FAblageZeigerLaenge = 0.8f * l0;
    FAblMarkX = 3.0f * FSF;
    FAblMarkY = 5.0f * FSF;

    const float l = FAblageZeigerLaenge;
    FP_TO = {TSinglePoint{0.0f, -l}, TSinglePoint{-15.0f * FSF, -l + 15.0f * FSF},
             TSinglePoint{16.0f * FSF, -l + 15.0f * FSF}};
    FP_FROM = {TSinglePoint{0.0f, l}, TSinglePoint{-15.0f * FSF, l - 15.0f * FSF},
               TSinglePoint{16.0f * FSF, l - 15.0f * FSF}};
    FP_NAV = {static_cast<int>(std::lround(FXm - 20.0f * FSF)), static_cast<int>(std::lround(FYm - l)),
              static_cast<int>(std::lround(FXm + 21.0f * FSF)),
              static_cast<int>(std::lround(FYm - l + 20.0f * FSF))};

    ZeigerLayer = CreateFaceLayer(BitmapLayer::DrawMode::Blend, true);
}

void THSI::ShowLayers(bool value) {
    ShowNeedleLayer(*ZeigerLayer, value);
}

// --- indication -------------------------------------------------------------

bool THSI::UpdateIndication(bool redraw) {
    const TCourseIndication ind =
        ComputeCourseIndication(IsTuned(), FStationPosition, FPlanePosition, FCourse);
    const bool flagChanged = SetToFrom(ind.ToFrom, false);
    const bool barChanged = SetAblage(false, ind.Ablage);
    // The triangle lives on the dial as well as the flag.
    return RepaintCourseIndication(redraw, flagChanged, barChanged, [this] { RepaintBar(); });
}

bool THSI::UpdateHeading(bool redraw) {
    return SetScaleHeading(redraw, FPlaneHeading);
}

bool THSI::SetCourse(bool redraw, float value) {
    return StoreAndRepaint(FCourse, NormalizeAngle(value), redraw);
}

bool THSI::SetScaleHeading(bool redraw, float value) {
    return StoreAndRepaint(FScaleHeading, NormalizeAngle(value), redraw);
}

bool THSI::SetToFrom(int state, bool redraw) {
    return StoreAndRepaint(FToFrom, state, redraw);
}

bool THSI::SetAblage(bool redraw, float value) {
    return StoreAndRepaint(FAblage, IsTuned() ? value : 0.0f, redraw, [this] { RepaintBar(); });
}

void THSI::SetValue(float value) {
    SelectCourse(SetCourse(false, value));
}

void THSI::SetValueInc(int inc) {
    SetValue(FCourse + static_cast<float>(inc));
}

// --- geometry ----------------------------------------------------------------

QTransform THSI::CourseFrame() const {
    // The course stands at its angle on the turning card, which the heading turns back.
    return FaceFrame(FCourse - FScaleHeading);
}

TSinglePoint THSI::CourseAxis() const {
    const QPointF v = CourseFrame().map(QPointF(0.0, -1.0)) - QPointF(FXm, FYm);
    return {static_cast<float>(v.x()), static_cast<float>(v.y())};
}

TSinglePoint THSI::CrossAxis() const {
    const QPointF w = CourseFrame().map(QPointF(1.0, 0.0)) - QPointF(FXm, FYm);
    return {static_cast<float>(w.x()), static_cast<float>(w.y())};
}

TSinglePoint THSI::Local(float x, float y) const {
    return PlacePoint(CourseFrame(), x, y);
}

TSinglePoint THSI::BarCentre() const {
    const float a = std::clamp(FAblage, -10.0f, 10.0f);
    const float s = -(5.0f - (a + 10.0f) / 2.0f) * FDelta;
    return Local(s, 0.0f);
}

// --- painting ----------------------------------------------------------------

void THSI::Paint() {
    TInstrumentMitStation::Paint();
    PaintCourseFace();
    PaintDeviationBar();
}

void THSI::PaintCourseFace() {
    Bitmap32& bmp = InstrumentLayer->Bitmap();
    const QTransform frame = CourseFrame();
    auto line = [&](float x1, float y1, float x2, float y2) {
        const TSinglePoint a = PlacePoint(frame, x1, y1);
        const TSinglePoint b = PlacePoint(frame, x2, y2);
        bmp.LineAA(a.X, a.Y, b.X, b.Y, clWhite);
    };

    for (int k = -5; k <= 5; ++k) {
        const float x = static_cast<float>(k) * FDelta;
        // The added pixel makes each stroke reach across the centre symmetrically
        // although the line leaves its end point out.
        line(x, FAblMarkY, x, -(FAblMarkY + 1.0f));
        line(x + FAblMarkX, 0.0f, x - (FAblMarkX + 1.0f), 0.0f);
    }

    auto triangle = [&](const std::array<TSinglePoint, 3>& local) {
        bmp.PolygonAA(PlaceShape(frame, local), clWhite);
    };
    switch (FToFrom) {
    case tfTo:
        triangle(FP_TO);
        break;
    case tfFrom:
        triangle(FP_FROM);
        break;
    default: {
        bmp.FillRect(FP_NAV.Left, FP_NAV.Top, FP_NAV.Right, FP_NAV.Bottom, clRed);
        const QString nav = QStringLiteral("NAV");
        bmp.SetFontSize(static_cast<int>(std::ceil(10.0f * FSF)));
        const QSize ext = bmp.TextExtent(nav);
        const float bottom = static_cast<float>(FP_NAV.Bottom);
        const float height = static_cast<float>(FP_NAV.Bottom - FP_NAV.Top);
        bmp.TextOut(static_cast<int>(std::lround(FXm - ext.width() / 2.0f)),
                    static_cast<int>(std::lround(bottom - (height + ext.height()) / 2.0f)), nav, clBlack);
        break;
    }
    }

    // a = -(theta + 180 degrees): the needle helper's forward vector is then v.
    const float a = (1.0f - (360.0f - FScaleHeading + FCourse) / 180.0f) * Pi;
    DrawNeedle(bmp, clGreen, FXm, FYm, FZLaenge, FZDicke, FZSpLng, FZSpBr, a, FAblageZeigerLaenge);
}

void THSI::PaintDeviationBar() {
    Bitmap32& bmp = ZeigerLayer->Bitmap();
    bmp.CopyFrom(InstrumentLayer->Bitmap());
    const TSinglePoint b = BarCentre();
    const TSinglePoint v = CourseAxis();
    const float l = FAblageZeigerLaenge;
    DrawThickLine(bmp, clGreen, b.X + l * v.X, b.Y + l * v.Y, b.X - l * v.X, b.Y - l * v.Y, FZDicke);
}

void THSI::RepaintBar() {
    RepaintLayer(*ZeigerLayer, [this] { PaintDeviationBar(); });
}
