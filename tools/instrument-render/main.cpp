// Renders one instrument as the program shows it in the left slot of the
// instrument panel and prints its state, for looking at faces and for checks.

#include "RenderArgs.h"

#include "instruments/ADF.h"
#include "platform/ImageSurface.h"
#include "world/I_Flugzeug.h"
#include "world/I_Stations.h"
#include "world/InstrumentFactory.h"
#include "world/RadialLayer.h"

#include <QApplication>
#include <QImage>
#include <QStringList>

#include <cstdio>
#include <memory>

namespace {

void PrintLine(FILE* f, const QString& line) {
    std::fputs(qPrintable(line), f);
    std::fputc('\n', f);
}

QString Num(float v) {
    return QString::number(static_cast<double>(v));
}

// The instrument's state in the units of its own fields.
QString StateLine(const std::shared_ptr<IInstrument>& instr) {
    QStringList parts{QStringLiteral("typ=%1").arg(instr->GetTyp())};
    if (auto adf = std::dynamic_pointer_cast<TADF>(instr)) parts << QStringLiteral("rb=") + Num(adf->GetRB());
    if (auto rmi2 = std::dynamic_pointer_cast<IRMI2>(instr))
        parts << QStringLiteral("rb2=") + Num(rmi2->GetRB2());
    if (auto vor = std::dynamic_pointer_cast<IVOR>(instr)) {
        parts << QStringLiteral("tofrom=%1").arg(vor->GetToFrom())
              << QStringLiteral("ablage=") + Num(vor->GetAblage())
              << QStringLiteral("obs=") + Num(vor->GetOBS());
    }
    if (auto hsi = std::dynamic_pointer_cast<IHSI>(instr)) {
        parts << QStringLiteral("tofrom=%1").arg(hsi->GetToFrom())
              << QStringLiteral("ablage=") + Num(hsi->GetAblage())
              << QStringLiteral("course=") + Num(hsi->GetCourse());
    }
    if (auto adf = std::dynamic_pointer_cast<TADF>(instr))
        parts << QStringLiteral("scale=") + Num(adf->GetScaleHeading());
    else if (auto sh = std::dynamic_pointer_cast<IScaleHeading>(instr))
        parts << QStringLiteral("scale=") + Num(sh->GetScaleHeading());
    return parts.join(QLatin1Char(' '));
}

} // namespace

int main(int argc, char** argv) {
    QStringList rawArgs;
    for (int i = 1; i < argc; ++i)
        rawArgs << QString::fromLocal8Bit(argv[i]);
    QString error;
    const auto parsed = ParseRenderArgs(rawArgs, error);
    if (!parsed) {
        PrintLine(stderr, QStringLiteral("instrument-render: %1; %2").arg(error, RenderUsage()));
        return 2;
    }
    if (parsed->help) {
        PrintLine(stdout, RenderUsage());
        return 0;
    }
    const RenderArgs& a = *parsed;

    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt reads its own options from the command line; ours are already parsed.
    int qtArgc = 1;
    QApplication app(qtArgc, argv);

    ImageSurface imgNav;
    imgNav.SetBitmapSize(1000, 800);
    ImageSurface imgInstr;
    imgInstr.SetBitmapSize(TFlugzeug::SlotCount * TFlugzeug::SlotWidth, TFlugzeug::SlotWidth);
    ImageSurface imgDirect;
    imgDirect.SetBitmapSize(a.width, a.width);

    auto radial = std::make_shared<TRadialLayer>([] {});
    auto plane = TFlugzeug::Create(&imgNav, &imgInstr, a.plane, 0, radial);
    plane->SetSelected(true);
    plane->SetValue(a.heading);

    // VOR indicator and HSI take VORs, the needle instruments NDBs.
    const bool vorType = a.typ == 4 || a.typ == 5;
    std::shared_ptr<IStationSubject> station;
    if (a.station) {
        if (vorType)
            station = TVOR_S::Create(&imgNav, *a.station, QStringLiteral("1"), 0);
        else
            station = TNDB_S::Create(&imgNav, *a.station, QStringLiteral("1"), 0);
    }
    std::shared_ptr<IStationSubject> station2;
    if (a.station2) station2 = TNDB_S::Create(&imgNav, *a.station2, QStringLiteral("2"), 1);

    std::shared_ptr<IInstrument> instr;
    ImageSurface* surface = &imgInstr;
    if (a.width == TFlugzeug::SlotWidth) {
        plane->AddInstrument(a.typ, 0, true);
        instr = plane->GetInstrument(0);
    } else {
        // Not a panel slot: the instrument stands on a surface of its own size.
        surface = &imgDirect;
        instr = CreateInstrument(a.typ, &imgDirect, 0, 0, a.width, radial);
        if (auto bound = std::dynamic_pointer_cast<IInstrumentMitPlane>(instr)) bound->SetPlaneSubject(plane);
        if (instr) instr->SetVisible(true);
    }
    if (!instr) {
        PrintLine(stderr, QStringLiteral("instrument-render: no instrument of type %1").arg(a.typName));
        return 1;
    }

    if (station) {
        if (auto tuned = std::dynamic_pointer_cast<IInstrumentMitStation>(instr))
            tuned->SetStationSubject(station);
    }
    if (station2) {
        if (auto rmi2 = std::dynamic_pointer_cast<IRMI2>(instr)) rmi2->SetStation2Subject(station2);
    }
    if (a.value) {
        if (auto vs = std::dynamic_pointer_cast<IValueSetting>(instr)) vs->SetValue(*a.value);
    }
    if (a.dirToStation) {
        if (auto vor = std::dynamic_pointer_cast<IVOR>(instr)) vor->SetDirToStation(true);
    }

    const QImage shot = surface->Render().copy(0, 0, a.width, a.width);
    const bool saved = shot.save(a.out, "PNG");
    PrintLine(stdout, StateLine(instr));

    // Break the binding cycles so that everything is released in order.
    if (a.width == TFlugzeug::SlotWidth) {
        plane->AddInstrument(a.typ, 0, false);
    } else {
        TFlugzeug::UnbindInstrument(instr);
    }
    instr.reset();
    plane->AddInstrument(3, 0, false);

    if (!saved) {
        PrintLine(stderr, QStringLiteral("instrument-render: cannot write %1").arg(a.out));
        return 1;
    }
    return 0;
}
