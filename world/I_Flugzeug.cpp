#include "world/I_Flugzeug.h"

#include "platform/Colors.h"
#include "platform/UpdateBracket.h"
#include "world/InstrumentFactory.h"
#include "world/InstrumentUtilsClass.h"

#include <cmath>
#include <numbers>
#include <vector>

namespace {
// Cross-shaped aeroplane seen from above, nose at y = -20; the polygon closes on itself.
constexpr std::array<TSinglePoint, 21> SymbolOutline{{
    {-2, -20}, {3, -20}, {3, -12}, {21, -12}, {21, -8},   {3, -8},   {3, 13},
    {9, 13},   {9, 17},  {3, 17},  {3, 20},   {-2, 20},   {-2, 17},  {-8, 17},
    {-8, 13},  {-2, 13}, {-2, -8}, {-20, -8}, {-20, -12}, {-2, -12}, {-2, -20},
}};

} // namespace

TFlugzeug::TFlugzeug(ImageSurface* imgNav, ImageSurface* imgInstr, const TSinglePoint& pos, int tag,
                     const std::shared_ptr<IObserver>& radObj)
    : FPos(pos), FImgNav(imgNav), FImgInstr(imgInstr), FFS(SymbolOutline), FRadial(radObj) {
    FFLayer = std::make_unique<BitmapLayer>(imgNav);
    FFLayer->Bitmap().SetSize(SymbolSize, SymbolSize);
    FFLayer->SetDrawMode(BitmapLayer::DrawMode::Blend);
    FFLayer->SetMasterAlpha(255);
    FFLayer->SetVisible(true);
    PlaceLayer();
    FFLayer->SetCursor(Qt::PointingHandCursor);
    FFLayer->SetMouseEvents(true);
    FFLayer->SetTag(tag + 1);
}

TFlugzeug::~TFlugzeug() = default;

std::shared_ptr<TFlugzeug> TFlugzeug::Create(ImageSurface* imgNav, ImageSurface* imgInstr,
                                             const TSinglePoint& pos, int tag,
                                             const std::shared_ptr<IObserver>& radObj) {
    std::shared_ptr<TFlugzeug> plane(new TFlugzeug(imgNav, imgInstr, pos, tag, radObj));
    plane->AddInstrument(icKursKreisel, 0, true);
    return plane;
}

void TFlugzeug::PlaceLayer() {
    FFLayer->SetLocation(
        QRectF(FPos.X - FMitte.X, FPos.Y - FMitte.Y, FFLayer->Bitmap().Width(), FFLayer->Bitmap().Height()));
}

void TFlugzeug::Paint() {
    TUpdateBracket bracket(FImgNav);
    Bitmap32& bitmap = FFLayer->Bitmap();
    bitmap.Clear();
    if (FVisible) {
        // The outline stands 10 px towards the tail from the layer's centre,
        // mirrored left to right, turned to the heading.
        QTransform t;
        t.translate(FMitte.X, FMitte.Y);
        t.rotate(FKurs);
        t.scale(-1.0, 1.0);
        t.translate(0.0, 10.0);
        bitmap.PolygonAA(PlaceShape(t, FFS), FSelected ? clActive : clInactive);
    }
    FFLayer->Changed();
}

void TFlugzeug::SetKurs(float value) {
    const float kurs = NormalizeAngle(value);
    if (kurs == FKurs) return;
    FKurs = kurs;
    Paint();
}

void TFlugzeug::SetValue(float value) {
    SetKurs(NormalizeAngle(value));
    Notify(ntHeading);
}

void TFlugzeug::SetValueInc(int inc) {
    SetKurs(NormalizeAngle(FKurs + static_cast<float>(inc)));
    Notify(ntHeading);
}

void TFlugzeug::SetPosition(const TSinglePoint& p) {
    if (p.X == FPos.X && p.Y == FPos.Y) return;
    FPos = p;
    PlaceLayer();
    if (FSelected) Notify(ntPosition);
}

void TFlugzeug::SetSelected(bool value) {
    if (value == FSelected) return;
    FSelected = value;
    for (const auto& instrument : FInstr) {
        if (instrument) instrument->SetVisible(value);
    }
    Paint();
}

void TFlugzeug::SetVisible(bool value) {
    if (value == FVisible) return;
    FVisible = value;
    Paint();
}

void TFlugzeug::SetAusgangsPosition(const TSinglePoint& p) {
    FAusgangsPosition = p;
    FAusgangsPositionGespeichert = true;
}

std::shared_ptr<IInstrument> TFlugzeug::GetInstrument(int i) {
    if (i < 0 || i >= SlotCount) return nullptr;
    return FInstr[static_cast<std::size_t>(i)];
}

void TFlugzeug::SetInstrument(int i, const std::shared_ptr<IInstrument>& value) {
    if (i < 0 || i >= SlotCount) return;
    FInstr[static_cast<std::size_t>(i)] = value;
}

void TFlugzeug::UnbindInstrument(const std::shared_ptr<IInstrument>& instrument) {
    if (!instrument) return;
    if (auto tuned = std::dynamic_pointer_cast<IInstrumentMitStation>(instrument))
        tuned->SetStationSubject(nullptr);
    if (auto twoNeedles = std::dynamic_pointer_cast<IRMI2>(instrument))
        twoNeedles->SetStation2Subject(nullptr);
    if (auto bound = std::dynamic_pointer_cast<IInstrumentMitPlane>(instrument))
        bound->SetPlaneSubject(nullptr);
}

void TFlugzeug::AddInstrument(int instrType, int n, bool ins) {
    if (n < 0 || n >= SlotCount) return;
    TUpdateBracket bracket(FImgInstr);
    auto& slot = FInstr[static_cast<std::size_t>(n)];
    if (ins) {
        if (!slot || slot->GetTyp() != instrType) {
            if (slot) {
                UnbindInstrument(slot);
                // Whoever still holds the old instrument must not see it on the panel.
                slot->SetVisible(false);
            }
            slot = CreateInstrument(instrType, FImgInstr, n * SlotWidth, 0, SlotWidth, FRadial);
            if (auto bound = std::dynamic_pointer_cast<IInstrumentMitPlane>(slot))
                bound->SetPlaneSubject(shared_from_this());
        }
        if (slot) slot->SetVisible(true);
    } else if (slot) {
        UnbindInstrument(slot);
        slot->SetVisible(false);
        slot.reset();
    }
    if (FImgInstr) FImgInstr->Changed();
}
