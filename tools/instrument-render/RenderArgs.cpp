#include "RenderArgs.h"

#include "world/InstrumentCodes.h"

#include <cmath>

namespace {

// Map coordinates and angles far outside anything the map can hold only
// produce meaningless pictures, and non-finite ones poison every bearing.
constexpr double kMaxCoordinate = 1.0e6;
constexpr int kMinWidth = 20;
constexpr int kMaxWidth = 4000;

int TypeCode(const QString& name) {
    static const struct {
        const char* name;
        int code;
    } kTypes[] = {{"RBI", icRBI}, {"MDI", icMDI}, {"RMI", icRMI},  {"KK", icKursKreisel},
                  {"VOR", icVOR}, {"HSI", icHSI}, {"RMI2", icRMI2}};
    for (const auto& t : kTypes)
        if (name == QLatin1String(t.name)) return t.code;
    return -1;
}

std::optional<float> ParseNumber(const QString& text) {
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(v) || std::fabs(v) > kMaxCoordinate) return std::nullopt;
    return static_cast<float>(v);
}

std::optional<TSinglePoint> ParsePoint(const QString& text) {
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 2) return std::nullopt;
    const auto x = ParseNumber(parts[0]);
    const auto y = ParseNumber(parts[1]);
    if (!x || !y) return std::nullopt;
    return TSinglePoint{*x, *y};
}

} // namespace

QString RenderUsage() {
    return QStringLiteral("usage: instrument-render --type KK|RBI|MDI|RMI|RMI2|VOR|HSI [--width 250] "
                          "[--plane X,Y] [--heading H] [--station X,Y] [--station2 X,Y] [--value V] "
                          "[--dir-to-station] --out FILE.png");
}

std::optional<RenderArgs> ParseRenderArgs(const QStringList& args, QString& error) {
    RenderArgs r;
    bool valueGiven = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString& opt = args[i];
        if (opt == QLatin1String("--help") || opt == QLatin1String("-h")) {
            r.help = true;
            return r;
        }
        if (opt == QLatin1String("--dir-to-station")) {
            r.dirToStation = true;
            continue;
        }
        static const QStringList kWithValue = {"--type",    "--width",    "--plane", "--heading",
                                               "--station", "--station2", "--value", "--out"};
        if (!kWithValue.contains(opt)) {
            error = QStringLiteral("unknown argument '%1'").arg(opt);
            return std::nullopt;
        }
        if (i + 1 >= args.size()) {
            error = QStringLiteral("%1 needs a value").arg(opt);
            return std::nullopt;
        }
        const QString arg = args[++i];
        const auto bad = [&]() {
            error = QStringLiteral("bad value '%1' for %2").arg(arg, opt);
            return std::nullopt;
        };
        if (opt == QLatin1String("--type")) {
            r.typ = TypeCode(arg);
            r.typName = arg;
            if (r.typ < 0) return bad();
        } else if (opt == QLatin1String("--width")) {
            bool ok = false;
            r.width = arg.toInt(&ok);
            if (!ok || r.width < kMinWidth || r.width > kMaxWidth) return bad();
        } else if (opt == QLatin1String("--plane")) {
            const auto p = ParsePoint(arg);
            if (!p) return bad();
            r.plane = *p;
        } else if (opt == QLatin1String("--heading")) {
            const auto h = ParseNumber(arg);
            if (!h) return bad();
            r.heading = *h;
        } else if (opt == QLatin1String("--station")) {
            r.station = ParsePoint(arg);
            if (!r.station) return bad();
        } else if (opt == QLatin1String("--station2")) {
            r.station2 = ParsePoint(arg);
            if (!r.station2) return bad();
        } else if (opt == QLatin1String("--value")) {
            r.value = ParseNumber(arg);
            if (!r.value) return bad();
            valueGiven = true;
        } else if (opt == QLatin1String("--out")) {
            if (arg.isEmpty()) return bad();
            r.out = arg;
        }
    }
    if (r.typ < 0) {
        error = QStringLiteral("--type is required");
        return std::nullopt;
    }
    if (r.out.isEmpty()) {
        error = QStringLiteral("--out is required");
        return std::nullopt;
    }
    // Options that the chosen instrument has no use for are mistakes, not
    // something to ignore silently.
    if (r.station2 && r.typ != icRMI2) {
        error = QStringLiteral("--station2 applies only to RMI2");
        return std::nullopt;
    }
    if (valueGiven && r.typ != icMDI && r.typ != icVOR && r.typ != icHSI) {
        error = QStringLiteral("--value applies only to MDI, VOR and HSI");
        return std::nullopt;
    }
    if (r.dirToStation && r.typ != icVOR) {
        error = QStringLiteral("--dir-to-station applies only to VOR");
        return std::nullopt;
    }
    if (r.station && r.typ == icKursKreisel) {
        error = QStringLiteral("--station does not apply to KK");
        return std::nullopt;
    }
    return r;
}
