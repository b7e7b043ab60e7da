#include "world/FlugwegLayer.h"

#include "platform/ImageSurface.h"
#include "platform/UpdateBracket.h"
#include "world/I_Flugzeug.h"

#include <vector>

TFlugwegLayer::TFlugwegLayer(ImageSurface* map) : FMap(map) {
    FLayer = std::make_unique<BitmapLayer>(map);
    FLayer->SetDrawMode(BitmapLayer::DrawMode::Blend);
    FLayer->SetMasterAlpha(255);
    FLayer->SetMouseEvents(false);
    // Hidden, the layer holds no pixels (a map's worth); shown, it gets them.
    FLayer->SetVisible(false);
    FLayer->SetLocation(QRectF(0, 0, map->Bitmap().Width(), map->Bitmap().Height()));
    // Below every aircraft; stations added later go below it in turn.
    FLayer->SendToBack();
}

// An attached aircraft holds this observer, so by now it is detached.
TFlugwegLayer::~TFlugwegLayer() = default;

void TFlugwegLayer::SetPlane(const std::shared_ptr<TFlugzeug>& plane) {
    const auto old = FPlane.lock();
    if (old != plane) {
        FPlane = plane;
        if (old) old->Detach(shared_from_this());
        // The attach announces the current position: the track goes on from
        // there (or starts there), without a line from where it last ended.
        if (plane) {
            plane->Flugweg().Break();
            plane->Attach(shared_from_this());
        }
    }
    Redraw();
}

void TFlugwegLayer::SetShown(bool shown) {
    if (shown == FLayer->Visible()) return;
    if (shown) {
        // Hidden, the layer was not kept up to date.
        FLayer->SetVisible(false);
        FLayer->Bitmap().SetSize(FMap->Bitmap().Width(), FMap->Bitmap().Height());
        Redraw();
    }
    FLayer->SetVisible(shown);
    if (!shown) FLayer->Bitmap().SetSize(0, 0);
}

bool TFlugwegLayer::Shown() const {
    return FLayer->Visible();
}

void TFlugwegLayer::Resize(int width, int height) {
    if (FLayer->Visible()) FLayer->Bitmap().SetSize(width, height);
    FLayer->SetLocation(QRectF(0, 0, width, height));
    Redraw();
}

void TFlugwegLayer::ClearTrack() {
    if (const auto plane = FPlane.lock()) {
        plane->Flugweg().Clear();
        plane->Flugweg().Add(plane->GetPosition());
    }
    Redraw();
}

void TFlugwegLayer::Jump() {
    if (const auto plane = FPlane.lock()) plane->Flugweg().Break();
}

void TFlugwegLayer::Redraw() {
    Bitmap32& bitmap = FLayer->Bitmap();
    TUpdateBracket bracket(FMap);
    bitmap.Clear();
    FHasLast = false;
    if (const auto plane = FPlane.lock()) {
        for (const auto& stueck : plane->Flugweg().Stuecke()) {
            if (stueck.size() >= 2) bitmap.PolylineAA(stueck, Farbe);
            FLast = stueck.back();
            FHasLast = true;
        }
    }
}

void TFlugwegLayer::UpdateA(ISubject* theChangedSubject, TNotificationType notificationType) {
    if (notificationType != ntPosition) return;
    const auto plane = FPlane.lock();
    if (!plane || theChangedSubject != static_cast<ISubject*>(plane.get())) return;
    const TSinglePoint p = plane->GetPosition();
    const TFlugweg::TAdd added = plane->Flugweg().Add(p);
    if (added == TFlugweg::TAdd::Ignored) return;
    if (added != TFlugweg::TAdd::Started && FHasLast && FLayer->Visible())
        FLayer->Bitmap().LineAA(FLast.X, FLast.Y, p.X, p.Y, Farbe);
    FLast = p;
    FHasLast = true;
}
