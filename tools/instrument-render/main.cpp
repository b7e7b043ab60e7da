// Renders one instrument as the program shows it in the left slot of the
// instrument panel and prints its state, for looking at faces and for checks.

#include "RenderArgs.h"

#include "instruments/ADF.h"
#include "rig/InstrumentRig.h"

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

    TInstrumentRig rig(a.plane, a.heading);
    // VOR indicator and HSI take VORs, the needle instruments NDBs.
    const bool vorType = a.typ == icVOR || a.typ == icHSI;
    using Kind = TInstrumentRig::TStationKind;
    std::shared_ptr<TStation> station;
    if (a.station) station = rig.AddStation(vorType ? Kind::VOR : Kind::NDB, *a.station, QStringLiteral("1"));
    std::shared_ptr<TStation> station2;
    if (a.station2) station2 = rig.AddStation(Kind::NDB, *a.station2, QStringLiteral("2"));

    // A face of the panel's width stands in slot 0; any other on a surface of its own size.
    const std::shared_ptr<IInstrument> instr =
        a.width == TFlugzeug::SlotWidth ? rig.InSlot(a.typ, 0) : rig.Alone(a.typ, a.width);
    if (!instr) {
        PrintLine(stderr, QStringLiteral("instrument-render: no instrument of type %1").arg(a.typName));
        return 1;
    }
    rig.Tune(station, station2);
    if (a.value) {
        if (auto vs = std::dynamic_pointer_cast<IValueSetting>(instr)) vs->SetValue(*a.value);
    }
    if (a.dirToStation) {
        if (auto vor = std::dynamic_pointer_cast<IVOR>(instr)) vor->SetDirToStation(true);
    }

    const bool saved = rig.Shot().save(a.out, "PNG");
    PrintLine(stdout, StateLine(instr));

    if (!saved) {
        PrintLine(stderr, QStringLiteral("instrument-render: cannot write %1").arg(a.out));
        return 1;
    }
    return 0;
}
