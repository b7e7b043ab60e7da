#include "instruments/RMI2.h"

#include "platform/Colors.h"
#include "world/InstrumentUtilsClass.h"

namespace {
constexpr TColor32 clNeedle1 = clGreen;
constexpr TColor32 clNeedle2 = clYellow;
constexpr float LegendLength = 20.0f;
} // namespace

std::shared_ptr<TRMI2> TRMI2::Create(ImageSurface* image, int left, int top, int width,
                                     const std::shared_ptr<IObserver>& radial) {
    return Initialised(std::shared_ptr<TRMI2>(new TRMI2()), image, left, top, width, radial);
}

void TRMI2::Init(ImageSurface* anImage, int aLeft, int aTop, int aWidth,
                 const std::shared_ptr<IObserver>& radial) {
    TADF::Init(anImage, aLeft, aTop, aWidth, radial);
    FTyp = icRMI2;
    FSyncScaleHeading = true;
    FMainDirections = true;
    FDrehknopf1 = false;
    FZDicke2 = 6.0f * FSF;
    FZSpLng2 = 20.0f * FSF;
    FZSpBr2 = 10.0f * FSF;
    FZeigerBelegung = true;
}

void TRMI2::UpdateA(ISubject* theChangedSubject, TNotificationType notificationType) {
    TADF::UpdateA(theChangedSubject, notificationType);
    if (notificationType != ntStationPosition || !FStation2Subject) return;
    auto* station = dynamic_cast<IStationSubject*>(theChangedSubject);
    if (station == FStation2Subject.get()) SetStation2Position(station->GetPosition());
}

float TRMI2::GetRB2() {
    return FStation2Subject ? NormalizeAngle(FRB2) : 0.0f;
}

QString TRMI2::GetStation2() {
    return FStation2Subject ? FStation2Subject->GetName() : QString();
}

void TRMI2::SetStation2Position(const TSinglePoint& p) {
    if (p == FStation2Position) return;
    FStation2Position = p;
    TUpdateBracket bracket(Image32);
    const bool r = UpdateRB2(true);
    // The radial layer draws the bearing line of station 2 from what the instrument says.
    Notify(ntStationPosition);
    if (r) FullRepaint();
}

bool TRMI2::UpdateRB2(bool redraw) {
    if (!FStation2Subject) return SetRB2(redraw, 0.0f);
    return SetRB2(redraw, RelativeBearing(FStation2Position));
}

bool TRMI2::SetRB2(bool redraw, float value) {
    return StoreAndRepaint(FRB2, FStation2Subject ? NormalizeAngle(value) : 0.0f, redraw,
                           [this] { RepaintNeedle(); });
}

bool TRMI2::UpdateIndication(bool redraw) {
    // Both bearings first, then one needle-layer repaint: a move under
    // animation must not compose the needle layer twice.
    const bool r1 = SetRB(false, IsTuned() ? RelativeBearing(FStationPosition) : 0.0f);
    const bool r2 = UpdateRB2(false);
    if (!r1 && !r2) return false;
    if (!redraw) return true;
    RepaintNeedle();
    return false;
}

bool TRMI2::UpdateHeading(bool redraw) {
    TUpdateBracket bracket(Image32);
    TADF::UpdateHeading(false);
    UpdateRB2(false);
    // The card turned, so the face is owed in any case; paint it once.
    if (!redraw) return true;
    FullRepaint();
    return false;
}

void TRMI2::PaintNeedle() {
    Bitmap32& bmp = ZeigerLayer->Bitmap();
    bmp.CopyFrom(InstrumentLayer->Bitmap());
    DrawNeedle(bmp, clNeedle1, FXm, FYm, FZLaenge, FZDicke, FZSpLng, FZSpBr, NeedleTheta(GetRB()), 0.0f);
    DrawNeedleOutline(bmp, clNeedle2, FXm, FYm, FZLaenge, FZDicke2, FZSpLng2, FZSpBr2, NeedleTheta(FRB2));
}

void TRMI2::PaintSymbols() {
    TADF::PaintSymbols();
    if (!FZeigerBelegung) return;
    Bitmap32& bmp = InstrumentLayer->Bitmap();
    PaintNeedleLegend(bmp, GetStation(), clNeedle1, FZSpBr, FZSpLng, FZDicke, LegendLength, 1);
    PaintNeedleLegend(bmp, GetStation2(), clNeedle2, FZSpBr2, FZSpLng2, FZDicke2, LegendLength, 2);
}

void TRMI2::SetZeigerBelegung(bool value) {
    StoreAndRepaint(FZeigerBelegung, value, true);
}

void TRMI2::AttachStation2Subject() {
    AttachBinding(FStation2Subject, FStation2Attached, true);
}

void TRMI2::DetachStation2Subject() {
    DetachBinding(FStation2Subject, FStation2Attached, true);
}

void TRMI2::SetStation2Subject(const std::shared_ptr<IStationSubject>& value) {
    // Untuned, needle 2 rests at the top and its legend entry goes at once.
    RetuneBinding(FStation2Subject, FStation2Attached, value, [this] { UpdateRB2(false); });
}
