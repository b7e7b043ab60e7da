#pragma once

#include "platform/SinglePoint.h"
#include "world/InstrumentCodes.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <vector>

// A scene as plain data: what a lesson file holds. Nothing here touches the
// live world; the shell captures a scene from it and builds one into it.
// A scene read from a file has been checked completely, so building it never
// meets a bad value halfway.

struct TSzenenStation {
    QString Typ;    // "VOR" or "NDB"
    int Nummer = 0; // 1 ... n within its type, in creation order
    TSinglePoint Position;

    QString Name() const { return Typ + QLatin1Char(' ') + QString::number(Nummer); }
    friend bool operator==(const TSzenenStation&, const TSzenenStation&) = default;
};

struct TSzenenInstrument {
    static constexpr int Leer = -1;
    int Typ = Leer;            // a TInstrumentCode, Leer for an empty slot
    QString Station;           // name of the tuned station, empty when untuned
    QString Station2;          // second needle of the two-needle RMI
    float Wert = 0.0f;         // MDI card, VOR indicator OBS, HSI course; 0 for the others
    bool DirToStation = false; // VOR indicator: the rim mark is shown

    friend bool operator==(const TSzenenInstrument&, const TSzenenInstrument&) = default;
};

struct TSzenenFlugzeug {
    TSinglePoint Position;
    float Kurs = 0.0f;
    float Speed = 1.0f;
    bool Sichtbar = true;
    bool AusgangsPositionGespeichert = false;
    TSinglePoint AusgangsPosition;
    std::array<TSzenenInstrument, 3> Slots{};
    // The flown track in pieces; each piece is a line through its points.
    std::vector<std::vector<TSinglePoint>> Flugweg;

    friend bool operator==(const TSzenenFlugzeug&, const TSzenenFlugzeug&) = default;
};

struct TSzene {
    std::vector<TSzenenStation> Stationen; // creation order, VOR and NDB mixed
    std::vector<TSzenenFlugzeug> Flugzeuge;
    int Aktiv = 0; // index into Flugzeuge

    friend bool operator==(const TSzene&, const TSzene&) = default;
};

namespace Szene {
inline constexpr char FormatName[] = "Peilomat-Szene";
inline constexpr int FormatMajor = 1;
inline constexpr int FormatMinor = 0;
inline constexpr char Extension[] = ".peilomat";

// Bounds a readable scene keeps (the aircraft selector has two digits).
inline constexpr int MaxFlugzeuge = 99;
inline constexpr int MaxStationen = 999;
inline constexpr double MaxKoordinate = 1.0e6;
inline constexpr double MaxSpeed = 10000.0;
inline constexpr qint64 MaxFileSize = 64 * 1024 * 1024;

// Whether a type code may stand in a slot, and which stations it tunes to.
bool TypErlaubt(int slot, int typ);
bool StationPasst(int typ, const QString& stationsTyp);

// herkunft: the file a recovered scene came from (kept only in recovery files).
QByteArray ToJson(const TSzene& szene, const QString& herkunft = QString());
// Checks everything; on any fault returns false with a German reason (no file
// name) in error and leaves szene as it was.
bool FromJson(const QByteArray& data, TSzene& szene, QString& error, QString* herkunft = nullptr);

// Whole-file operations. Their messages name the file and say what is wrong.
bool Read(const QString& path, TSzene& szene, QString& message, QString* herkunft = nullptr);
// Atomic: either the whole new file is in place or the old one is untouched.
bool Write(const QString& path, const TSzene& szene, QString& message, const QString& herkunft = QString());
} // namespace Szene
