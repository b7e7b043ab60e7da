#include "world/RadialLayer.h"

#include "platform/Colors.h"
#include "platform/ImageSurface.h"
#include "platform/UpdateBracket.h"
#include "world/BaseObserver.h"
#include "world/I_Flugzeug.h"

#include <array>
#include <cmath>
#include <numbers>
#include <utility>

namespace {

constexpr TColor32 RadialColor = clGreen;
constexpr TColor32 BearingColor = clBlue;
// The course line on behind the station, and the TO/FROM boundary.
const std::vector<TColor32> PatternA{clGreen,       clGreen, clGreen,       clTransparent,
                                     clTransparent, clWhite, clTransparent, clTransparent};
const std::vector<TColor32> PatternB{clGrey, clWhite, clTransparent, clTransparent};

// The radial of the selected course through S: solid where the aircraft lies
// when on course with this TO/FROM state, dashed beyond the station, and the
// boundary at right angles. length reaches beyond the map from any point.
void AddRadial(std::vector<Bitmap32::TLine>& lines, const TSinglePoint& s, float course, int toFrom,
               double length) {
    double alpha = toFrom == tfTo ? course + 180.0 : course;
    while (alpha > 360.0)
        alpha -= 360.0;
    const double rad = alpha * std::numbers::pi / 180.0;
    const double vx = length * std::sin(rad), vy = -length * std::cos(rad);
    const double wx = length * std::cos(rad), wy = length * std::sin(rad);
    const auto to = [&s](double dx, double dy) {
        Bitmap32::TLine line;
        line.X1 = s.X;
        line.Y1 = s.Y;
        line.X2 = static_cast<float>(s.X + dx);
        line.Y2 = static_cast<float>(s.Y + dy);
        return line;
    };
    Bitmap32::TLine solid = to(vx, vy);
    solid.Color = RadialColor;
    lines.push_back(solid);
    Bitmap32::TLine behind = to(-vx, -vy);
    behind.Dashed = true;
    behind.Pattern = &PatternA;
    lines.push_back(behind);
    Bitmap32::TLine boundary = to(wx, wy);
    boundary.Dashed = true;
    boundary.Pattern = &PatternB;
    lines.push_back(boundary);
    // Pattern B goes on from where the other half ended.
    Bitmap32::TLine other = to(-wx, -wy);
    other.Dashed = true;
    lines.push_back(other);
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
    TUpdateBracket bracket(layer.Surface());
    Bitmap32& bitmap = layer.Bitmap();
    layer.BringToFront();
    const double diagonal = std::hypot(bitmap.Width(), bitmap.Height());

    // What each slot draws, and the station names it looks for.
    struct TSlotLines {
        bool radial = false;
        float course = 0;
        int toFrom = tfOff;
        QString name1, name2;
        std::vector<IStationSubject*> matches;
    };
    std::array<TSlotLines, TFlugzeug::SlotCount> wanted;
    bool any = false;
    for (int slot = 0; plane && slot < TFlugzeug::SlotCount; ++slot) {
        TSlotLines& lines = wanted[static_cast<std::size_t>(slot)];
        const auto instrument = plane->GetInstrument(slot);
        if (!instrument || !instrument->GetVisible()) continue;
        const auto tuned = std::dynamic_pointer_cast<IInstrumentMitStation>(instrument);
        if (!tuned) continue;
        const QString name1 = tuned->GetStation();
        const int type = instrument->GetTyp();
        if (type == icVOR || type == icHSI) {
            if (name1.isEmpty() || !showRadials) continue;
            if (const auto vor = std::dynamic_pointer_cast<IVOR>(instrument)) {
                lines.course = vor->GetOBS();
                lines.toFrom = vor->GetToFrom();
            } else if (const auto hsi = std::dynamic_pointer_cast<IHSI>(instrument)) {
                lines.course = hsi->GetCourse();
                lines.toFrom = hsi->GetToFrom();
            }
            if (lines.toFrom != tfTo && lines.toFrom != tfFrom) continue;
            lines.radial = true;
            lines.name1 = name1;
            any = true;
        } else if (type == icRBI || type == icMDI || type == icRMI || type == icRMI2) {
            QString name2;
            if (type == icRMI2) {
                if (const auto rmi2 = std::dynamic_pointer_cast<IRMI2>(instrument))
                    name2 = rmi2->GetStation2();
            }
            if ((name1.isEmpty() && name2.isEmpty()) || !showBearings) continue;
            lines.name1 = name1;
            lines.name2 = name2;
            any = true;
        }
    }
    // One look at each station's name for all slots together, however many
    // stations there are; the lines are then drawn slot by slot in the
    // order of the stations.
    if (any) {
        for (const auto& station : stations) {
            if (!station) continue;
            const QString name = station->GetName();
            if (name.isEmpty()) continue;
            for (TSlotLines& lines : wanted) {
                if ((!lines.name1.isEmpty() && name == lines.name1) ||
                    (!lines.radial && !lines.name2.isEmpty() && name == lines.name2))
                    lines.matches.push_back(station.get());
            }
        }
    }
    // The layer is cleared and all lines drawn on it anew; the bitmap keeps
    // the lines it drew last, so that only the tiles of lines that moved
    // (the bearing lines of a flying aircraft) are cleared and drawn.
    std::vector<Bitmap32::TLine> lines;
    for (const TSlotLines& slot : wanted) {
        for (IStationSubject* s : slot.matches) {
            if (slot.radial) {
                AddRadial(lines, s->GetPosition(), slot.course, slot.toFrom, diagonal);
            } else {
                const TSinglePoint a = plane->GetPosition();
                const TSinglePoint p = s->GetPosition();
                Bitmap32::TLine bearing;
                bearing.X1 = p.X;
                bearing.Y1 = p.Y;
                bearing.X2 = a.X;
                bearing.Y2 = a.Y;
                bearing.Color = BearingColor;
                lines.push_back(bearing);
            }
        }
    }
    bitmap.DrawLines(0x00FFFFFF, lines);
}
