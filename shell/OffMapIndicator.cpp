#include "shell/OffMapIndicator.h"

#include "platform/ImageSurface.h"
#include "platform/UpdateBracket.h"
#include "world/InstrumentUtilsClass.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <vector>

namespace {

// An arrow pointing up around the layer's centre, tip 10 pixels ahead.
constexpr std::array<TSinglePoint, 7> ArrowOutline{{
    {0.0f, -10.0f},
    {7.0f, -1.0f},
    {2.5f, -1.0f},
    {2.5f, 9.0f},
    {-2.5f, 9.0f},
    {-2.5f, -1.0f},
    {-7.0f, -1.0f},
}};

int ClampedCentre(float p, int extent) {
    constexpr int half = TOffMapIndicator::Size / 2;
    // A map too small for the arrow shows it in the middle.
    if (extent < TOffMapIndicator::Size) return extent / 2;
    return static_cast<int>(
        std::lround(std::clamp(p, static_cast<float>(half), static_cast<float>(extent - half))));
}

} // namespace

TOffMapArrow OffMapArrowFor(const TSinglePoint& p, int width, int height) {
    TOffMapArrow arrow;
    if (std::isnan(p.X) || std::isnan(p.Y)) return arrow;
    arrow.Shown = p.X < 0 || p.Y < 0 || p.X >= static_cast<float>(width) || p.Y >= static_cast<float>(height);
    if (!arrow.Shown) return arrow;
    arrow.Centre = QPoint(ClampedCentre(p.X, width), ClampedCentre(p.Y, height));
    long double dx = 0, dy = 0, bearing = 0;
    BearingBetween(TSinglePoint{static_cast<float>(arrow.Centre.x()), static_cast<float>(arrow.Centre.y())},
                   p, dx, dy, bearing);
    if (!std::isfinite(bearing)) bearing = 0;
    arrow.Direction = static_cast<int>(std::lround(bearing)) % 360;
    return arrow;
}

TOffMapIndicator::TOffMapIndicator(ImageSurface* map) : FMap(map) {
    FLayer = std::make_unique<BitmapLayer>(map);
    FLayer->SetTag(0);
    FLayer->SetDrawMode(BitmapLayer::DrawMode::Blend);
    FLayer->SetMasterAlpha(255);
    FLayer->SetMouseEvents(false);
    FLayer->SetVisible(false);
    FLayer->Bitmap().SetSize(Size, Size);
    FLayer->Bitmap().Clear();
    // Out of the way while hidden; it comes to the top when it shows.
    FLayer->SendToBack();
}

// An attached aircraft holds this observer, so by now it is detached.
TOffMapIndicator::~TOffMapIndicator() = default;

bool TOffMapIndicator::Shown() const {
    return FLayer->Visible();
}

void TOffMapIndicator::Refresh() {
    const auto plane = Plane();
    TOffMapArrow arrow;
    if (plane && plane->GetVisible())
        arrow = OffMapArrowFor(plane->GetPosition(), FMap->Bitmap().Width(), FMap->Bitmap().Height());
    FArrow = arrow;
    if (!arrow.Shown) {
        // Hidden, the layer costs nothing; it is placed again when it shows.
        FLayer->SetVisible(false);
        return;
    }
    TUpdateBracket bracket(FMap);
    if (arrow.Direction != FDrawn) Draw(arrow.Direction);
    FLayer->SetLocation(QRectF(arrow.Centre.x() - Size / 2, arrow.Centre.y() - Size / 2, Size, Size));
    // Aircraft made later and the radial lines, redrawn, come above it.
    const auto& layers = FMap->Layers();
    if (layers.empty() || layers.back() != FLayer.get()) FLayer->BringToFront();
    FLayer->SetVisible(true);
}

void TOffMapIndicator::Draw(int direction) {
    FDrawn = direction;
    const double a = direction * std::numbers::pi / 180.0;
    const float s = static_cast<float>(std::sin(a));
    const float c = static_cast<float>(std::cos(a));
    constexpr float mitte = Size / 2.0f;
    std::vector<TSinglePoint> polygon;
    polygon.reserve(ArrowOutline.size());
    for (const TSinglePoint& p : ArrowOutline)
        polygon.push_back(TSinglePoint{mitte + p.X * c - p.Y * s, mitte + p.X * s + p.Y * c});
    Bitmap32& bitmap = FLayer->Bitmap();
    bitmap.Clear();
    bitmap.PolygonAA(polygon, Farbe);
    FLayer->Changed();
}
