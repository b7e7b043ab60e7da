// Draws the map picture of the help: an aircraft with a VOR indicator tuned
// to a VOR and an RBI tuned to an NDB, with the radial and bearing lines the
// program draws for them.
//   help-map --out FILE.png
#include "platform/ImageSurface.h"
#include "rig/InstrumentRig.h"
#include "world/I_Flugzeug.h"
#include "world/I_Stations.h"
#include "world/InstrumentFactory.h"
#include "world/RadialLayer.h"

#include <QApplication>
#include <QStringList>

#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

int main(int argc, char** argv) {
    const QStringList args = [&] {
        QStringList list;
        for (int i = 1; i < argc; ++i)
            list << QString::fromLocal8Bit(argv[i]);
        return list;
    }();
    if (args.size() != 2 || args[0] != QLatin1String("--out")) {
        std::fputs("usage: help-map --out FILE.png\n", stderr);
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QApplication app(qtArgc, argv);

    constexpr int W = 640;
    constexpr int H = 380;
    ImageSurface map;
    map.SetBitmapSize(W, H);
    map.Bitmap().Fill(0xFFFFFFFF);
    ImageSurface panel;
    panel.SetBitmapSize(TFlugzeug::SlotCount * TFlugzeug::SlotWidth, TFlugzeug::SlotWidth);

    BitmapLayer lines(&map);
    lines.SetTag(0);
    lines.Bitmap().SetSize(W, H);
    lines.Bitmap().Clear(0x00FFFFFF);
    lines.SetDrawMode(BitmapLayer::DrawMode::Blend);
    lines.SetMasterAlpha(255);
    lines.SetVisible(true);
    lines.SetLocation(QRectF(0, 0, W, H));
    lines.SetMouseEvents(false);

    // The aircraft stands on radial 068 of the VOR with the course 060 set
    // (FROM, 8 degrees off) and sees the NDB ahead on its right.
    const TSinglePoint vorAt{170, 250};
    const std::vector<std::shared_ptr<IStationSubject>> stations{
        TVOR_S::Create(&map, vorAt, QStringLiteral("1"), 0),
        TNDB_S::Create(&map, {520, 230}, QStringLiteral("1"), 1),
    };
    auto radial = std::make_shared<TRadialLayer>([] {});
    auto plane = TFlugzeug::Create(&map, &panel, PointOnRadial(vorAt, 68, 260), 0, radial);
    plane->SetKurs(60);
    plane->SetSelected(true);
    plane->AddInstrument(icVOR, 1, true);
    plane->AddInstrument(icRBI, 2, true);
    const auto vag = std::dynamic_pointer_cast<IInstrumentMitStation>(plane->GetInstrument(1));
    const auto rbi = std::dynamic_pointer_cast<IInstrumentMitStation>(plane->GetInstrument(2));
    if (!vag || !rbi) {
        std::fputs("help-map: instruments missing\n", stderr);
        return 1;
    }
    vag->SetStationSubject(stations[0]);
    if (auto course = std::dynamic_pointer_cast<IValueSetting>(vag)) course->SetValue(60);
    rbi->SetStationSubject(stations[1]);

    DrawRadialLines(lines, plane.get(), stations, true, true);
    const bool saved = map.Render().save(args[1], "PNG");

    // Break the binding cycles so that everything is released in order.
    for (int slot = 0; slot < TFlugzeug::SlotCount; ++slot)
        if (const auto instrument = plane->GetInstrument(slot)) TFlugzeug::UnbindInstrument(instrument);
    if (!saved) {
        std::fprintf(stderr, "help-map: cannot write %s\n", qPrintable(args[1]));
        return 1;
    }
    return 0;
}
