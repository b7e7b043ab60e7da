#include "world/Szene.h"

#include "platform/AtomicFile.h"
#include "world/Flugweg.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace {

// The key under which an instrument's adjustable value is kept, or nullptr.
const char* WertKey(int typ) {
    switch (typ) {
    case icMDI:
        return "karte";
    case icVOR:
        return "obs";
    case icHSI:
        return "kurs";
    default:
        return nullptr;
    }
}

QString Quoted(const QString& s) {
    return QStringLiteral("„") + s + QStringLiteral("“");
}

QString Zahl(double v) {
    return QString::number(v, 'g', 10);
}

// The shortest decimal that reads back as the same float, so a file shows
// 123.4 rather than 123.40000152587891 and a round trip is exact. Fixed
// notation: coordinates are bounded, and 100000 reads better than 1e+05.
QByteArray Num(float f) {
    if (!std::isfinite(f)) f = 0.0f;
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, f, std::chars_format::fixed);
    if (result.ec != std::errc()) return "0";
    return QByteArray(buffer, static_cast<int>(result.ptr - buffer));
}

// A JSON string literal, quoted and escaped.
QByteArray Text(const QString& s) {
    const QByteArray array = QJsonDocument(QJsonArray{s}).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2);
}

// Reads one JSON value after another, remembering the first fault with where
// it was found ("Flugzeug 2, Feld „kurs“: ...").
class TReader {
public:
    QString Fehler;
    QString Wo;

    bool Fail(const QString& what) {
        Fehler = Wo.isEmpty() ? what : Wo + QStringLiteral(", ") + what;
        return false;
    }

    bool Number(const QJsonObject& o, const char* key, double lo, double hi, bool required, double fallback,
                double& out) {
        const QJsonValue v = o.value(QLatin1String(key));
        if (v.isUndefined()) {
            if (required) return Fail(QStringLiteral("Feld %1 fehlt").arg(Quoted(QLatin1String(key))));
            out = fallback;
            return true;
        }
        if (!v.isDouble())
            return Fail(QStringLiteral("Feld %1 muss eine Zahl sein").arg(Quoted(QLatin1String(key))));
        const double d = v.toDouble();
        if (!std::isfinite(d) || d < lo || d > hi)
            return Fail(QStringLiteral("Feld %1: %2 liegt nicht zwischen %3 und %4")
                            .arg(Quoted(QLatin1String(key)), Zahl(d), Zahl(lo), Zahl(hi)));
        out = d;
        return true;
    }

    bool Integer(const QJsonObject& o, const char* key, bool required, int fallback, int& out) {
        const QJsonValue v = o.value(QLatin1String(key));
        if (v.isUndefined()) {
            if (required) return Fail(QStringLiteral("Feld %1 fehlt").arg(Quoted(QLatin1String(key))));
            out = fallback;
            return true;
        }
        const double d = v.toDouble(0.5);
        if (!v.isDouble() || !std::isfinite(d) || std::floor(d) != d || std::fabs(d) > 1.0e9)
            return Fail(QStringLiteral("Feld %1 muss eine ganze Zahl sein").arg(Quoted(QLatin1String(key))));
        out = static_cast<int>(d);
        return true;
    }

    bool Bool(const QJsonObject& o, const char* key, bool fallback, bool& out) {
        const QJsonValue v = o.value(QLatin1String(key));
        if (v.isUndefined()) {
            out = fallback;
            return true;
        }
        if (!v.isBool())
            return Fail(QStringLiteral("Feld %1 muss true oder false sein").arg(Quoted(QLatin1String(key))));
        out = v.toBool();
        return true;
    }

    bool String(const QJsonObject& o, const char* key, bool required, QString& out) {
        const QJsonValue v = o.value(QLatin1String(key));
        if (v.isUndefined() || v.isNull()) {
            if (required) return Fail(QStringLiteral("Feld %1 fehlt").arg(Quoted(QLatin1String(key))));
            out.clear();
            return true;
        }
        if (!v.isString())
            return Fail(QStringLiteral("Feld %1 muss ein Text sein").arg(Quoted(QLatin1String(key))));
        out = v.toString();
        return true;
    }

    bool Array(const QJsonObject& o, const char* key, bool required, QJsonArray& out) {
        const QJsonValue v = o.value(QLatin1String(key));
        if (v.isUndefined()) {
            if (required) return Fail(QStringLiteral("Feld %1 fehlt").arg(Quoted(QLatin1String(key))));
            out = QJsonArray();
            return true;
        }
        if (!v.isArray())
            return Fail(QStringLiteral("Feld %1 muss eine Liste sein").arg(Quoted(QLatin1String(key))));
        out = v.toArray();
        return true;
    }

    bool Position(const QJsonObject& o, TSinglePoint& p) {
        double x = 0, y = 0;
        if (!Number(o, "x", -Szene::MaxKoordinate, Szene::MaxKoordinate, true, 0, x) ||
            !Number(o, "y", -Szene::MaxKoordinate, Szene::MaxKoordinate, true, 0, y))
            return false;
        p = {static_cast<float>(x), static_cast<float>(y)};
        return true;
    }

    bool Winkel(const QJsonObject& o, const char* key, float& out) {
        double d = 0;
        if (!Number(o, key, 0.0, 360.0, false, 0.0, d)) return false;
        out = d >= 360.0 ? 0.0f : static_cast<float>(d);
        return true;
    }
};

bool ReadVersion(TReader& r, const QJsonObject& root) {
    const QJsonValue v = root.value(QLatin1String("version"));
    int major = -1;
    QString shown;
    if (v.isString()) {
        shown = v.toString();
        bool ok = false;
        major = shown.section(QLatin1Char('.'), 0, 0).trimmed().toInt(&ok);
        if (!ok) major = -1;
    } else if (v.isDouble() && std::isfinite(v.toDouble()) && v.toDouble() >= 0 && v.toDouble() < 1e6) {
        major = static_cast<int>(std::floor(v.toDouble()));
        shown = Zahl(v.toDouble());
    } else if (v.isUndefined()) {
        return r.Fail(QStringLiteral("Feld %1 fehlt").arg(Quoted(QStringLiteral("version"))));
    }
    if (major < 1) return r.Fail(QStringLiteral("unbekannte Formatversion %1").arg(Quoted(shown)));
    if (major > Szene::FormatMajor)
        return r.Fail(
            QStringLiteral("die Datei hat die Formatversion %1 einer neueren Programmversion; dieses "
                           "Programm liest Version %2")
                .arg(shown, QStringLiteral("%1.x").arg(Szene::FormatMajor)));
    return true;
}

bool ReadStations(TReader& r, const QJsonObject& root, TSzene& szene) {
    QJsonArray list;
    if (!r.Array(root, "stationen", false, list)) return false;
    if (list.size() > Szene::MaxStationen)
        return r.Fail(QStringLiteral("%1 Stationen sind mehr als die erlaubten %2")
                          .arg(list.size())
                          .arg(Szene::MaxStationen));
    int vor = 0, ndb = 0;
    for (int i = 0; i < list.size(); ++i) {
        r.Wo = QStringLiteral("Station %1").arg(i + 1);
        if (!list[i].isObject()) return r.Fail(QStringLiteral("kein JSON-Objekt"));
        const QJsonObject o = list[i].toObject();
        TSzenenStation s;
        if (!r.String(o, "typ", true, s.Typ)) return false;
        if (s.Typ != QLatin1String("VOR") && s.Typ != QLatin1String("NDB"))
            return r.Fail(QStringLiteral("Feld %1: %2 ist weder \"VOR\" noch \"NDB\"")
                              .arg(Quoted(QStringLiteral("typ")), Quoted(s.Typ)));
        if (!r.Integer(o, "nummer", true, 0, s.Nummer) || !r.Position(o, s.Position)) return false;
        // The program numbers each type 1, 2, 3 ... in creation order.
        const int expected = (s.Typ == QLatin1String("VOR") ? ++vor : ++ndb);
        if (s.Nummer != expected) {
            const QString why =
                s.Nummer < expected && s.Nummer >= 1
                    ? QStringLiteral("%1 %2 kommt ein zweites Mal vor").arg(s.Typ).arg(s.Nummer)
                    : QStringLiteral("Nummer %1 statt %2 (die Nummern jedes Typs laufen ohne "
                                     "Lücke 1, 2, 3 ... in der Reihenfolge der Liste)")
                          .arg(s.Nummer)
                          .arg(expected);
            return r.Fail(why);
        }
        szene.Stationen.push_back(s);
    }
    r.Wo.clear();
    return true;
}

bool ReadTuning(TReader& r, const QJsonObject& o, const char* key, int typ, const TSzene& szene,
                QString& out) {
    if (!r.String(o, key, false, out)) return false;
    if (out.isEmpty()) return true;
    for (const TSzenenStation& s : szene.Stationen) {
        if (s.Name() != out) continue;
        if (Szene::StationPasst(typ, s.Typ)) return true;
        return r.Fail(QStringLiteral("Feld %1: dieses Instrument kann nicht auf %2 abgestimmt werden")
                          .arg(Quoted(QLatin1String(key)), Quoted(out)));
    }
    return r.Fail(
        QStringLiteral("Feld %1: die Station %2 gibt es nicht").arg(Quoted(QLatin1String(key)), Quoted(out)));
}

bool ReadInstruments(TReader& r, const QJsonObject& o, const TSzene& szene, TSzenenFlugzeug& f,
                     const QString& plane) {
    QJsonArray list;
    if (!r.Array(o, "instrumente", false, list)) return false;
    // Slot 0 always holds an instrument; a file that names none keeps the
    // heading indicator every aircraft starts with.
    f.Slots[0].Typ = icKursKreisel;
    std::array<bool, 3> seen{};
    for (int i = 0; i < list.size(); ++i) {
        r.Wo = QStringLiteral("%1, Instrument %2").arg(plane).arg(i + 1);
        if (!list[i].isObject()) return r.Fail(QStringLiteral("kein JSON-Objekt"));
        const QJsonObject io = list[i].toObject();
        int slot = 0;
        if (!r.Integer(io, "slot", true, 0, slot)) return false;
        if (slot < 0 || slot > 2)
            return r.Fail(QStringLiteral("Feld %1: %2 ist kein Platz (0 links, 1 Mitte, 2 rechts)")
                              .arg(Quoted(QStringLiteral("slot")))
                              .arg(slot));
        if (seen[slot]) return r.Fail(QStringLiteral("Platz %1 ist zweimal belegt").arg(slot));
        seen[slot] = true;
        TSzenenInstrument& ins = f.Slots[slot];
        ins = TSzenenInstrument();
        if (!r.Integer(io, "typ", true, 0, ins.Typ)) return false;
        if (ins.Typ < 0 || ins.Typ >= InstrumentCodeCount)
            return r.Fail(QStringLiteral("Feld %1: %2 ist kein Instrumenttyp (0 bis 6)")
                              .arg(Quoted(QStringLiteral("typ")))
                              .arg(ins.Typ));
        if (!Szene::TypErlaubt(slot, ins.Typ))
            return r.Fail(
                QStringLiteral("Instrumenttyp %1 kann nicht auf Platz %2 stehen").arg(ins.Typ).arg(slot));
        if (ins.Typ != icKursKreisel && !ReadTuning(r, io, "station", ins.Typ, szene, ins.Station))
            return false;
        if (ins.Typ == icRMI2 && !ReadTuning(r, io, "station2", ins.Typ, szene, ins.Station2)) return false;
        if (const char* key = WertKey(ins.Typ); key && !r.Winkel(io, key, ins.Wert)) return false;
        if (ins.Typ == icVOR && !r.Bool(io, "randmarke", false, ins.DirToStation)) return false;
    }
    return true;
}

bool ReadTrack(TReader& r, const QJsonObject& o, TSzenenFlugzeug& f, const QString& plane) {
    QJsonArray pieces;
    r.Wo = plane;
    if (!r.Array(o, "flugweg", false, pieces)) return false;
    std::vector<std::vector<TSinglePoint>> stuecke;
    for (int i = 0; i < pieces.size(); ++i) {
        r.Wo = QStringLiteral("%1, Flugweg-Stück %2").arg(plane).arg(i + 1);
        if (!pieces[i].isArray()) return r.Fail(QStringLiteral("keine Liste von Punkten"));
        const QJsonArray points = pieces[i].toArray();
        std::vector<TSinglePoint> stueck;
        stueck.reserve(static_cast<std::size_t>(points.size()));
        for (int k = 0; k < points.size(); ++k) {
            const QJsonArray xy = points[k].toArray();
            const double x = xy.size() == 2 ? xy[0].toDouble(NAN) : NAN;
            const double y = xy.size() == 2 ? xy[1].toDouble(NAN) : NAN;
            if (!std::isfinite(x) || !std::isfinite(y) || std::fabs(x) > Szene::MaxKoordinate ||
                std::fabs(y) > Szene::MaxKoordinate)
                return r.Fail(QStringLiteral("Punkt %1 ist kein Paar [x, y] von Zahlen zwischen %2 und %3")
                                  .arg(k + 1)
                                  .arg(Zahl(-Szene::MaxKoordinate), Zahl(Szene::MaxKoordinate)));
            stueck.push_back({static_cast<float>(x), static_cast<float>(y)});
        }
        stuecke.push_back(std::move(stueck));
    }
    // Keep what a live track would keep: the newest points, thinned pieces as they are.
    TFlugweg weg;
    weg.SetStuecke(stuecke);
    f.Flugweg = weg.Stuecke();
    return true;
}

bool ReadPlanes(TReader& r, const QJsonObject& root, TSzene& szene) {
    QJsonArray list;
    if (!r.Array(root, "flugzeuge", true, list)) return false;
    if (list.isEmpty()) return r.Fail(QStringLiteral("die Szene enthält kein Flugzeug"));
    if (list.size() > Szene::MaxFlugzeuge)
        return r.Fail(QStringLiteral("%1 Flugzeuge sind mehr als die erlaubten %2")
                          .arg(list.size())
                          .arg(Szene::MaxFlugzeuge));
    for (int i = 0; i < list.size(); ++i) {
        const QString plane = QStringLiteral("Flugzeug %1").arg(i + 1);
        r.Wo = plane;
        if (!list[i].isObject()) return r.Fail(QStringLiteral("kein JSON-Objekt"));
        const QJsonObject o = list[i].toObject();
        TSzenenFlugzeug f;
        double speed = 1.0;
        if (!r.Position(o, f.Position) || !r.Winkel(o, "kurs", f.Kurs) ||
            !r.Number(o, "geschwindigkeit", 0.0, Szene::MaxSpeed, false, 1.0, speed) ||
            !r.Bool(o, "sichtbar", true, f.Sichtbar))
            return false;
        f.Speed = static_cast<float>(speed);
        const QJsonValue start = o.value(QLatin1String("startposition"));
        if (!start.isUndefined() && !start.isNull()) {
            r.Wo = plane + QStringLiteral(", Startposition");
            if (!start.isObject()) return r.Fail(QStringLiteral("kein JSON-Objekt"));
            if (!r.Position(start.toObject(), f.AusgangsPosition)) return false;
            f.AusgangsPositionGespeichert = true;
        }
        if (!ReadInstruments(r, o, szene, f, plane) || !ReadTrack(r, o, f, plane)) return false;
        szene.Flugzeuge.push_back(std::move(f));
    }
    r.Wo.clear();
    int aktiv = 1;
    if (!r.Integer(root, "aktivesFlugzeug", false, 1, aktiv)) return false;
    if (aktiv < 1 || aktiv > static_cast<int>(szene.Flugzeuge.size()))
        return r.Fail(QStringLiteral("Feld %1: Flugzeug %2 gibt es nicht")
                          .arg(Quoted(QStringLiteral("aktivesFlugzeug")))
                          .arg(aktiv));
    szene.Aktiv = aktiv - 1;
    return true;
}

QString ParseProblem(const QByteArray& data, const QJsonParseError& error) {
    // An error at the very end means the text stops in the middle of a value.
    if (error.offset >= data.trimmed().size() || error.error == QJsonParseError::UnterminatedObject ||
        error.error == QJsonParseError::UnterminatedArray ||
        error.error == QJsonParseError::UnterminatedString)
        return QStringLiteral("die Datei ist unvollständig (abgeschnitten)");
    return QStringLiteral("die Datei ist kein gültiges JSON (Fehler bei Zeichen %1)").arg(error.offset);
}

} // namespace

namespace Szene {

bool TypErlaubt(int slot, int typ) {
    if (slot == 0) return typ == icKursKreisel || typ == icHSI;
    if (slot == 1 || slot == 2) return typ >= 0 && typ < InstrumentCodeCount && typ != icKursKreisel;
    return false;
}

bool StationPasst(int typ, const QString& stationsTyp) {
    switch (typ) {
    case icRBI:
    case icMDI:
    case icRMI:
        return stationsTyp == QLatin1String("NDB");
    case icVOR:
    case icHSI:
        return stationsTyp == QLatin1String("VOR");
    case icRMI2:
        return true;
    default:
        return false;
    }
}

QByteArray ToJson(const TSzene& szene, const QString& herkunft) {
    // Written by hand rather than through QJsonDocument, whose output sorts the
    // keys and spreads every track point over four lines: a teacher editing a
    // lesson should find "format" first and one station per line.
    QByteArray out;
    const auto line = [&out](int indent, const QByteArray& text) {
        out += QByteArray(indent * 2, ' ') + text + '\n';
    };
    const auto sep = [](std::size_t i, std::size_t n) { return i + 1 < n ? QByteArray(",") : QByteArray(); };
    // What is written always reads back: a value the reader would refuse (an
    // aircraft flown off for hours, a speed pushed up without end) is written
    // at the nearest bound.
    const auto coord = [](float v) {
        return Num(std::clamp(v, static_cast<float>(-MaxKoordinate), static_cast<float>(MaxKoordinate)));
    };
    const auto angle = [](float v) {
        if (!std::isfinite(v)) return Num(0.0f);
        v = std::fmod(v, 360.0f);
        return Num(v < 0.0f ? v + 360.0f : v);
    };
    const auto pos = [&coord](const TSinglePoint& p) {
        return "\"x\": " + coord(p.X) + ", \"y\": " + coord(p.Y);
    };

    line(0, "{");
    line(1, "\"format\": " + Text(QLatin1String(FormatName)) + ",");
    line(1, "\"version\": " + Text(QStringLiteral("%1.%2").arg(FormatMajor).arg(FormatMinor)) + ",");
    if (!herkunft.isEmpty()) line(1, "\"herkunft\": " + Text(herkunft) + ",");
    line(1, "\"aktivesFlugzeug\": " + QByteArray::number(szene.Aktiv + 1) + ",");
    line(1, "\"stationen\": [");
    for (std::size_t i = 0; i < szene.Stationen.size(); ++i) {
        const TSzenenStation& st = szene.Stationen[i];
        line(2, "{\"typ\": " + Text(st.Typ) + ", \"nummer\": " + QByteArray::number(st.Nummer) + ", " +
                    pos(st.Position) + "}" + sep(i, szene.Stationen.size()));
    }
    line(1, "],");
    line(1, "\"flugzeuge\": [");
    for (std::size_t i = 0; i < szene.Flugzeuge.size(); ++i) {
        const TSzenenFlugzeug& f = szene.Flugzeuge[i];
        line(2, "{");
        line(3, pos(f.Position) + ", \"kurs\": " + angle(f.Kurs) +
                    ", \"geschwindigkeit\": " + Num(std::clamp(f.Speed, 0.0f, static_cast<float>(MaxSpeed))) +
                    ", \"sichtbar\": " + (f.Sichtbar ? "true" : "false") + ",");
        if (f.AusgangsPositionGespeichert) line(3, "\"startposition\": {" + pos(f.AusgangsPosition) + "},");
        std::vector<QByteArray> instrumente;
        for (int slot = 0; slot < 3; ++slot) {
            const TSzenenInstrument& ins = f.Slots[static_cast<std::size_t>(slot)];
            if (ins.Typ == TSzenenInstrument::Leer) continue;
            QByteArray io =
                "{\"slot\": " + QByteArray::number(slot) + ", \"typ\": " + QByteArray::number(ins.Typ);
            if (ins.Typ != icKursKreisel) io += ", \"station\": " + Text(ins.Station);
            if (ins.Typ == icRMI2) io += ", \"station2\": " + Text(ins.Station2);
            if (const char* key = WertKey(ins.Typ)) io += ", \"" + QByteArray(key) + "\": " + angle(ins.Wert);
            if (ins.Typ == icVOR)
                io += QByteArray(", \"randmarke\": ") + (ins.DirToStation ? "true" : "false");
            instrumente.push_back(io + "}");
        }
        line(3, "\"instrumente\": [");
        for (std::size_t k = 0; k < instrumente.size(); ++k)
            line(4, instrumente[k] + sep(k, instrumente.size()));
        line(3, "],");
        if (f.Flugweg.empty()) {
            line(3, "\"flugweg\": []");
            line(2, "}" + sep(i, szene.Flugzeuge.size()));
            continue;
        }
        line(3, "\"flugweg\": [");
        for (std::size_t k = 0; k < f.Flugweg.size(); ++k) {
            const auto& stueck = f.Flugweg[k];
            line(4, "[");
            constexpr std::size_t PerLine = 6;
            for (std::size_t j = 0; j < stueck.size(); j += PerLine) {
                QByteArray row;
                for (std::size_t m = j; m < std::min(stueck.size(), j + PerLine); ++m) {
                    if (m > j) row += ", ";
                    row += "[" + coord(stueck[m].X) + ", " + coord(stueck[m].Y) + "]";
                }
                line(5, row + (j + PerLine < stueck.size() ? "," : ""));
            }
            line(4, "]" + sep(k, f.Flugweg.size()));
        }
        line(3, "]");
        line(2, "}" + sep(i, szene.Flugzeuge.size()));
    }
    line(1, "]");
    line(0, "}");
    return out;
}

bool FromJson(const QByteArray& input, TSzene& szene, QString& error, QString* herkunft) {
    QByteArray data = input;
    // Editors on some systems put a byte order mark in front.
    if (data.startsWith("\xEF\xBB\xBF")) data.remove(0, 3);
    if (data.trimmed().isEmpty()) {
        error = QStringLiteral("die Datei ist leer");
        return false;
    }
    QJsonParseError parseError{};
    const QJsonDocument doc = QJsonDocument::fromJson(data, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        error = ParseProblem(data, parseError);
        return false;
    }
    if (!doc.isObject()) {
        error = QStringLiteral("die Datei ist keine Peilomat-Szene (kein JSON-Objekt)");
        return false;
    }
    const QJsonObject root = doc.object();
    TReader r;
    TSzene result;
    const QJsonValue format = root.value(QLatin1String("format"));
    if (format.isUndefined()) {
        error = QStringLiteral("die Datei ist keine Peilomat-Szene (Feld %1 fehlt)")
                    .arg(Quoted(QStringLiteral("format")));
        return false;
    }
    if (!format.isString()) {
        error = QStringLiteral("die Datei ist keine Peilomat-Szene (Feld %1 ist kein Text)")
                    .arg(Quoted(QStringLiteral("format")));
        return false;
    }
    if (format.toString() != QLatin1String(FormatName)) {
        error = QStringLiteral("die Datei ist keine Peilomat-Szene, sondern vom Format %1")
                    .arg(Quoted(format.toString()));
        return false;
    }
    if (!ReadVersion(r, root) || !ReadStations(r, root, result) || !ReadPlanes(r, root, result)) {
        error = r.Fehler;
        return false;
    }
    if (herkunft) *herkunft = root.value(QLatin1String("herkunft")).toString();
    szene = std::move(result);
    return true;
}

bool Read(const QString& path, TSzene& szene, QString& message, QString* herkunft) {
    const auto fail = [&](const QString& why) {
        message = QStringLiteral("Die Szene %1 kann nicht geöffnet werden:\n%2.")
                      .arg(Quoted(QDir::toNativeSeparators(path)), why);
        return false;
    };
    const QFileInfo info(path);
    if (!info.exists()) return fail(QStringLiteral("die Datei gibt es nicht"));
    if (!info.isFile()) return fail(QStringLiteral("das ist keine Datei"));
    if (info.size() > MaxFileSize)
        return fail(QStringLiteral("die Datei ist größer als %1 MB").arg(MaxFileSize / (1024 * 1024)));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("die Datei lässt sich nicht lesen (%1)").arg(file.errorString()));
    const QByteArray data = file.read(MaxFileSize + 1);
    if (data.size() > MaxFileSize)
        return fail(QStringLiteral("die Datei ist größer als %1 MB").arg(MaxFileSize / (1024 * 1024)));
    QString why;
    if (!FromJson(data, szene, why, herkunft)) return fail(why);
    return true;
}

bool Write(const QString& path, const TSzene& szene, QString& message, const QString& herkunft) {
    QString why;
    if (WriteFileAtomically(path, ToJson(szene, herkunft), &why)) return true;
    message =
        QStringLiteral("Die Szene konnte nicht in %1 gespeichert werden (%2).\nEine schon vorhandene Datei "
                       "dieses Namens ist unverändert.")
            .arg(Quoted(QDir::toNativeSeparators(path)), why);
    return false;
}

} // namespace Szene
