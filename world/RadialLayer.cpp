#include "world/RadialLayer.h"

#include "platform/ImageSurface.h"
#include "world/BaseObserver.h"
#include "world/I_Flugzeug.h"

#include <cmath>
#include <numbers>
#include <utility>

namespace {

constexpr TColor32 RadialColor = 0xFF007F00;
constexpr TColor32 BearingColor = 0xFF0000FF;
// The course line on behind the station, and the TO/FROM boundary.
const std::vector<TColor32> PatternA{0xFF007F00, 0xFF007F00, 0xFF007F00, 0x00000000,
                                     0x00000000, 0xFFFFFFFF, 0x00000000, 0x00000000};
const std::vector<TColor32> PatternB{0xFF7F7F7F, 0xFFFFFFFF, 0x00000000, 0x00000000};

// The radial of the selected course through S: solid where the aircraft lies
// when on course with this TO/FROM state, dashed beyond the station, and the
// boundary at right angles. length reaches beyond the map from any point.
void DrawRadial(Bitmap32& bitmap, const TSinglePoint& s, float course, int toFrom, double length) {
    double alpha = toFrom == 0 ? course + 180.0 : course;
    while (alpha > 360.0)
        alpha -= 360.0;
    const double rad = alpha * std::numbers::pi / 180.0;
    const double vx = length * std::sin(rad), vy = -length * std::cos(rad);
    const double wx = length * std::cos(rad), wy = length * std::sin(rad);
    const auto at = [](float base, double delta) { return static_cast<float>(base + delta); };
    bitmap.LineAA(s.X, s.Y, at(s.X, vx), at(s.Y, vy), RadialColor);
    bitmap.SetDashPattern(PatternA);
    bitmap.DashedLineAA(s.X, s.Y, at(s.X, -vx), at(s.Y, -vy));
    bitmap.SetDashPattern(PatternB);
    bitmap.DashedLineAA(s.X, s.Y, at(s.X, wx), at(s.Y, wy));
    // Pattern B goes on from where the other half ended.
    bitmap.DashedLineAA(s.X, s.Y, at(s.X, -wx), at(s.Y, -wy));
}

} // namespace

TRadialLayer::TRadialLayer(TSetRadialProcedure setRadialProcedure)
    : FSetRadialProcedure(std::move(setRadialProcedure)), FNotificationTypes{ntPosition, ntStationPosition,
                                                                             ntOBS} {}

void TRadialLayer::UpdateA(ISubject* /*theChangedSubject*/, TNotificationType notificationType) {
    if (!FNotificationTypes.Contains(notificationType)) return;
    TNotificationBracket::Defer(this, FSetRadialProcedure);
}

void DrawRadialLines(BitmapLayer& layer, IPlaneSubject* plane,
                     const std::vector<std::shared_ptr<IStationSubject>>& stations, bool showRadials,
                     bool showBearings) {
    if (stations.empty()) return;
    ImageSurface* surface = layer.Surface();
    if (surface) surface->BeginUpdate();
    Bitmap32& bitmap = layer.Bitmap();
    bitmap.Clear(0x00FFFFFF);
    layer.BringToFront();
    const double diagonal = std::hypot(bitmap.Width(), bitmap.Height());
    for (int slot = 0; plane && slot < TFlugzeug::SlotCount; ++slot) {
        const auto instrument = plane->GetInstrument(slot);
        if (!instrument || !instrument->GetVisible()) continue;
        const auto tuned = std::dynamic_pointer_cast<IInstrumentMitStation>(instrument);
        if (!tuned) continue;
        const QString name1 = tuned->GetStation();
        const int type = instrument->GetTyp();
        if (type == 4 || type == 5) {
            if (name1.isEmpty() || !showRadials) continue;
            float course = 0;
            int toFrom = 2;
            if (const auto vor = std::dynamic_pointer_cast<IVOR>(instrument)) {
                course = vor->GetOBS();
                toFrom = vor->GetToFrom();
            } else if (const auto hsi = std::dynamic_pointer_cast<IHSI>(instrument)) {
                course = hsi->GetCourse();
                toFrom = hsi->GetToFrom();
            }
            if (toFrom != 0 && toFrom != 1) continue;
            for (const auto& station : stations) {
                if (station && station->GetName() == name1)
                    DrawRadial(bitmap, station->GetPosition(), course, toFrom, diagonal);
            }
        } else if (type == 0 || type == 1 || type == 2 || type == 6) {
            QString name2;
            if (type == 6) {
                if (const auto rmi2 = std::dynamic_pointer_cast<IRMI2>(instrument))
                    name2 = rmi2->GetStation2();
            }
            if ((name1.isEmpty() && name2.isEmpty()) || !showBearings) continue;
            const TSinglePoint a = plane->GetPosition();
            for (const auto& station : stations) {
                if (!station) continue;
                const QString name = station->GetName();
                if (name.isEmpty() || (name != name1 && name != name2)) continue;
                const TSinglePoint s = station->GetPosition();
                bitmap.LineAA(s.X, s.Y, a.X, a.Y, BearingColor);
            }
        }
    }
    if (surface) surface->EndUpdate();
}
