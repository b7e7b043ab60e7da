#include "tests/support/testsupport.h"
#include "world/Flugweg.h"
#include "world/Szene.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <functional>
#include <limits>

namespace {

// A small valid file: two VORs, one NDB, two aircraft with tuned instruments.
QJsonObject ValidRoot() {
    return QJsonDocument::fromJson(R"({
      "format": "Peilomat-Szene", "version": "1.0",
      "stationen": [
        {"typ": "VOR", "nummer": 1, "x": 100, "y": 120},
        {"typ": "NDB", "nummer": 1, "x": 300, "y": 80},
        {"typ": "VOR", "nummer": 2, "x": 500, "y": 200}
      ],
      "flugzeuge": [
        {"x": 10, "y": 20, "kurs": 90, "geschwindigkeit": 2.5,
         "instrumente": [{"slot": 0, "typ": 3},
                         {"slot": 1, "typ": 4, "station": "VOR 1", "obs": 270, "randmarke": true},
                         {"slot": 2, "typ": 0, "station": "NDB 1"}]},
        {"x": 400, "y": 300, "sichtbar": false,
         "instrumente": [{"slot": 0, "typ": 5, "station": "VOR 2", "kurs": 45}]}
      ],
      "aktivesFlugzeug": 2
    })")
        .object();
}

QJsonObject Plane(const QJsonObject& root, int i) {
    return root["flugzeuge"].toArray()[i].toObject();
}

void SetPlane(QJsonObject& root, int i, const QJsonObject& plane) {
    QJsonArray planes = root["flugzeuge"].toArray();
    planes[i] = plane;
    root["flugzeuge"] = planes;
}

void SetInstrument(QJsonObject& root, int plane, int index, const QJsonObject& ins) {
    QJsonObject p = Plane(root, plane);
    QJsonArray list = p["instrumente"].toArray();
    list[index] = ins;
    p["instrumente"] = list;
    SetPlane(root, plane, p);
}

QByteArray Doc(const QJsonObject& root) {
    return QJsonDocument(root).toJson();
}

QByteArray Edited(const std::function<void(QJsonObject&)>& edit) {
    QJsonObject root = ValidRoot();
    edit(root);
    return Doc(root);
}

// A scene that is not the result of any of the files below, to see that a
// failed read leaves the target alone.
TSzene Sentinel() {
    TSzene s;
    s.Stationen.push_back({QStringLiteral("NDB"), 1, {7, 7}});
    s.Flugzeuge.resize(1);
    s.Flugzeuge[0].Slots[0].Typ = 3;
    s.Flugzeuge[0].Kurs = 123.0f;
    return s;
}

// Largest distance of p from the polyline through the points.
float DistanceToPolyline(const TSinglePoint& p, const std::vector<TSinglePoint>& line) {
    float best = INFINITY;
    for (std::size_t i = 0; i + 1 < line.size(); ++i) {
        const float ax = line[i].X, ay = line[i].Y;
        const float dx = line[i + 1].X - ax, dy = line[i + 1].Y - ay;
        const float len2 = dx * dx + dy * dy;
        float t = len2 > 0 ? ((p.X - ax) * dx + (p.Y - ay) * dy) / len2 : 0.0f;
        t = std::clamp(t, 0.0f, 1.0f);
        best = std::min(best, std::hypot(p.X - (ax + t * dx), p.Y - (ay + t * dy)));
    }
    if (line.size() == 1) best = std::hypot(p.X - line[0].X, p.Y - line[0].Y);
    return best;
}

} // namespace

class TestSzene : public QObject {
    Q_OBJECT
private slots:
    void readsTheValidFile();
    void acceptsWhatAnOlderOrNewerMinorWrites_data();
    void acceptsWhatAnOlderOrNewerMinorWrites();
    void rejectsBadFiles_data();
    void rejectsBadFiles();
    void roundTripKeepsEverything();
    void trackIsKeptAndBounded();
    void whatIsWrittenAlwaysReadsBack();
    void readNamesTheFile_data();
    void readNamesTheFile();
    void failedWriteSaysSoAndKeepsTheOldFile_data();
    void failedWriteSaysSoAndKeepsTheOldFile();

    void straightFlightCollapses();
    void thinnedTrackStaysOnThePath();
    void trackIsBoundedToTheNewestPoints();
    void breaksAndClearing();
};

void TestSzene::readsTheValidFile() {
    TSzene s;
    QString error;
    QVERIFY2(Szene::FromJson(Doc(ValidRoot()), s, error), qPrintable(error));
    QCOMPARE(s.Stationen.size(), std::size_t(3));
    QCOMPARE(s.Stationen[2].Name(), QStringLiteral("VOR 2"));
    QCOMPARE(s.Flugzeuge.size(), std::size_t(2));
    const TSzenenFlugzeug& a = s.Flugzeuge[0];
    QCOMPARE(a.Position, (TSinglePoint{10, 20}));
    QCOMPARE(a.Kurs, 90.0f);
    QCOMPARE(a.Speed, 2.5f);
    QVERIFY(a.Sichtbar);
    QVERIFY(!a.AusgangsPositionGespeichert);
    QCOMPARE(a.Slots[1].Typ, 4);
    QCOMPARE(a.Slots[1].Station, QStringLiteral("VOR 1"));
    QCOMPARE(a.Slots[1].Wert, 270.0f);
    QVERIFY(a.Slots[1].DirToStation);
    QCOMPARE(a.Slots[2].Station, QStringLiteral("NDB 1"));
    const TSzenenFlugzeug& b = s.Flugzeuge[1];
    QVERIFY(!b.Sichtbar);
    QCOMPARE(b.Speed, 1.0f);
    QCOMPARE(b.Slots[0].Typ, 5);
    QCOMPARE(b.Slots[0].Wert, 45.0f);
    QCOMPARE(b.Slots[1].Typ, TSzenenInstrument::Leer);
    QCOMPARE(s.Aktiv, 1);
}

void TestSzene::acceptsWhatAnOlderOrNewerMinorWrites_data() {
    QTest::addColumn<QByteArray>("data");
    QTest::newRow("unknown fields everywhere") << Edited([](QJsonObject& r) {
        r["lehrer"] = "Frau Berg";
        QJsonObject p = Plane(r, 0);
        p["farbe"] = "blau";
        SetPlane(r, 0, p);
        SetInstrument(r, 0, 1, QJsonObject{{"slot", 1}, {"typ", 4}, {"station", "VOR 1"}, {"dämpfung", 3}});
    });
    QTest::newRow("newer minor version") << Edited([](QJsonObject& r) { r["version"] = "1.7"; });
    QTest::newRow("version as a number") << Edited([](QJsonObject& r) { r["version"] = 1; });
    QTest::newRow("byte order mark") << QByteArray("\xEF\xBB\xBF") + Doc(ValidRoot());
    QTest::newRow("minimal") << QByteArray(R"({"format":"Peilomat-Szene","version":"1.0",
                                               "flugzeuge":[{"x":1,"y":2}]})");
    QTest::newRow("heading 360 is north") << Edited([](QJsonObject& r) {
        QJsonObject p = Plane(r, 0);
        p["kurs"] = 360;
        SetPlane(r, 0, p);
    });
}

void TestSzene::acceptsWhatAnOlderOrNewerMinorWrites() {
    QFETCH(QByteArray, data);
    TSzene s;
    QString error;
    QVERIFY2(Szene::FromJson(data, s, error), qPrintable(error));
    QVERIFY(!s.Flugzeuge.empty());
    QCOMPARE(s.Flugzeuge[0].Slots[0].Typ, 3);
    QVERIFY(s.Flugzeuge[0].Kurs >= 0.0f && s.Flugzeuge[0].Kurs < 360.0f);
}

void TestSzene::rejectsBadFiles_data() {
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("reason");

    const QByteArray valid = Doc(ValidRoot());
    QTest::newRow("not JSON") << QByteArray("Anflug auf VOR 1, Radial 090") << "kein gültiges JSON";
    QTest::newRow("empty") << QByteArray("  \n") << "die Datei ist leer";
    QTest::newRow("truncated") << valid.left(valid.size() / 2) << "unvollständig";
    QTest::newRow("truncated after a comma") << valid.left(valid.indexOf("\"flugzeuge\"")) << "unvollständig";
    QTest::newRow("NaN") << QByteArray(valid).replace("\"x\": 10,", "\"x\": NaN,") << "kein gültiges JSON";
    QTest::newRow("array, not object") << QByteArray("[1, 2, 3]") << "kein JSON-Objekt";
    QTest::newRow("other format") << Edited([](QJsonObject& r) { r["format"] = "GPX"; })
                                  << "keine Peilomat-Szene, sondern vom Format „GPX“";
    QTest::newRow("no format") << Edited([](QJsonObject& r) { r.remove("format"); })
                               << "keine Peilomat-Szene (Feld „format“ fehlt)";
    QTest::newRow("newer major") << Edited([](QJsonObject& r) { r["version"] = "2.0"; })
                                 << "Formatversion 2.0 einer neueren Programmversion";
    QTest::newRow("no version") << Edited([](QJsonObject& r) { r.remove("version"); })
                                << "Feld „version“ fehlt";
    QTest::newRow("x 1e30") << QByteArray(valid).replace("\"x\": 100", "\"x\": 1e30")
                            << "Station 1, Feld „x“: 1e+30 liegt nicht zwischen";
    QTest::newRow("y missing") << Edited([](QJsonObject& r) {
        QJsonObject p = Plane(r, 1);
        p.remove("y");
        SetPlane(r, 1, p);
    }) << "Flugzeug 2, Feld „y“ fehlt";
    QTest::newRow("negative speed") << Edited([](QJsonObject& r) {
        QJsonObject p = Plane(r, 0);
        p["geschwindigkeit"] = -1;
        SetPlane(r, 0, p);
    }) << "Flugzeug 1, Feld „geschwindigkeit“: -1 liegt nicht zwischen 0 und";
    QTest::newRow("speed as text") << Edited([](QJsonObject& r) {
        QJsonObject p = Plane(r, 0);
        p["geschwindigkeit"] = "schnell";
        SetPlane(r, 0, p);
    }) << "Feld „geschwindigkeit“ muss eine Zahl sein";
    QTest::newRow("heading 400") << Edited([](QJsonObject& r) {
        QJsonObject p = Plane(r, 0);
        p["kurs"] = 400;
        SetPlane(r, 0, p);
    }) << "Feld „kurs“: 400 liegt nicht zwischen 0 und 360";
    QTest::newRow("visibility as number") << Edited([](QJsonObject& r) {
        QJsonObject p = Plane(r, 0);
        p["sichtbar"] = 0;
        SetPlane(r, 0, p);
    }) << "Feld „sichtbar“ muss true oder false sein";
    QTest::newRow("type code 9") << Edited([](QJsonObject& r) {
        SetInstrument(r, 0, 2, QJsonObject{{"slot", 2}, {"typ", 9}});
    }) << "Flugzeug 1, Instrument 3, Feld „typ“: 9 ist kein Instrumenttyp";
    QTest::newRow("type code 2.5") << Edited([](QJsonObject& r) {
        SetInstrument(r, 0, 2, QJsonObject{{"slot", 2}, {"typ", 2.5}});
    }) << "Feld „typ“ muss eine ganze Zahl sein";
    QTest::newRow("slot 5") << Edited([](QJsonObject& r) {
        SetInstrument(r, 0, 2, QJsonObject{{"slot", 5}, {"typ", 0}});
    }) << "Feld „slot“: 5 ist kein Platz";
    QTest::newRow("slot twice") << Edited([](QJsonObject& r) {
        SetInstrument(r, 0, 2, QJsonObject{{"slot", 1}, {"typ", 0}});
    }) << "Platz 1 ist zweimal belegt";
    QTest::newRow("heading indicator in the middle") << Edited([](QJsonObject& r) {
        SetInstrument(r, 0, 1, QJsonObject{{"slot", 1}, {"typ", 3}});
    }) << "Instrumenttyp 3 kann nicht auf Platz 1 stehen";
    QTest::newRow("VAG on the left") << Edited([](QJsonObject& r) {
        SetInstrument(r, 0, 0, QJsonObject{{"slot", 0}, {"typ", 4}});
    }) << "Instrumenttyp 4 kann nicht auf Platz 0 stehen";
    QTest::newRow("tuned to a missing station") << Edited([](QJsonObject& r) {
        SetInstrument(r, 0, 1, QJsonObject{{"slot", 1}, {"typ", 4}, {"station", "VOR 3"}});
    }) << "Flugzeug 1, Instrument 2, Feld „station“: die Station „VOR 3“ gibt es nicht";
    QTest::newRow("second needle to a missing station") << Edited([](QJsonObject& r) {
        SetInstrument(r, 0, 2,
                      QJsonObject{{"slot", 2}, {"typ", 6}, {"station", "VOR 1"}, {"station2", "NDB 2"}});
    }) << "Feld „station2“: die Station „NDB 2“ gibt es nicht";
    QTest::newRow("VAG tuned to an NDB") << Edited([](QJsonObject& r) {
        SetInstrument(r, 0, 1, QJsonObject{{"slot", 1}, {"typ", 4}, {"station", "NDB 1"}});
    }) << "kann nicht auf „NDB 1“ abgestimmt werden";
    QTest::newRow("OBS NaN as text") << Edited([](QJsonObject& r) {
        SetInstrument(r, 0, 1, QJsonObject{{"slot", 1}, {"typ", 4}, {"obs", "NaN"}});
    }) << "Feld „obs“ muss eine Zahl sein";
    QTest::newRow("100 aircraft") << Edited([](QJsonObject& r) {
        QJsonArray planes;
        for (int i = 0; i < 100; ++i)
            planes.append(QJsonObject{{"x", i}, {"y", i}});
        r["flugzeuge"] = planes;
        r["aktivesFlugzeug"] = 1;
    }) << "100 Flugzeuge sind mehr als die erlaubten 99";
    QTest::newRow("no aircraft") << Edited([](QJsonObject& r) { r["flugzeuge"] = QJsonArray(); })
                                 << "die Szene enthält kein Flugzeug";
    QTest::newRow("active aircraft missing") << Edited([](QJsonObject& r) { r["aktivesFlugzeug"] = 3; })
                                             << "Feld „aktivesFlugzeug“: Flugzeug 3 gibt es nicht";
    QTest::newRow("station numbers with a gap")
        << QByteArray(valid).replace("\"nummer\": 2", "\"nummer\": 3") << "Station 3, Nummer 3 statt 2";
    QTest::newRow("station number repeated") << QByteArray(valid).replace("\"nummer\": 2", "\"nummer\": 1")
                                             << "Station 3, VOR 1 kommt ein zweites Mal vor";
    QTest::newRow("station number 0")
        << QByteArray(valid).replace("\"nummer\": 2", "\"nummer\": 0") << "Station 3, Nummer 0 statt 2";
    QTest::newRow("station of unknown type")
        << QByteArray(valid).replace("\"NDB\"", "\"DME\"") << "Station 2, Feld „typ“: „DME“ ist weder";
    QTest::newRow("track point not a pair") << Edited([](QJsonObject& r) {
        QJsonObject p = Plane(r, 0);
        p["flugweg"] = QJsonArray{QJsonArray{QJsonArray{1, 2}, QJsonArray{3}}};
        SetPlane(r, 0, p);
    }) << "Flugzeug 1, Flugweg-Stück 1, Punkt 2 ist kein Paar";
    QTest::newRow("start position far away") << Edited([](QJsonObject& r) {
        QJsonObject p = Plane(r, 0);
        p["startposition"] = QJsonObject{{"x", 1}, {"y", -5e6}};
        SetPlane(r, 0, p);
    }) << "Flugzeug 1, Startposition, Feld „y“";
}

void TestSzene::rejectsBadFiles() {
    QFETCH(QByteArray, data);
    QFETCH(QString, reason);
    TSzene s = Sentinel();
    QString error;
    QVERIFY(!Szene::FromJson(data, s, error));
    QVERIFY2(error.contains(reason), qPrintable(error));
    // Nothing of a bad file reaches the caller.
    QVERIFY(s == Sentinel());
}

void TestSzene::roundTripKeepsEverything() {
    TSzene s;
    s.Stationen = {{"VOR", 1, {100.25f, -3.0f}},
                   {"NDB", 1, {0.1f, 0.2f}},
                   {"NDB", 2, {799.9f, 600.0f}},
                   {"VOR", 2, {123.456f, 654.321f}}};
    const std::array<std::array<int, 3>, 4> kinds{{{3, 4, 6}, {5, 0, 1}, {3, 2, 5}, {5, -1, -1}}};
    for (std::size_t i = 0; i < kinds.size(); ++i) {
        TSzenenFlugzeug f;
        f.Position = {10.5f * float(i), 1.0f / 3.0f};
        f.Kurs = 359.9f - float(i);
        f.Speed = 0.1f * float(i + 1);
        f.Sichtbar = i != 1;
        f.AusgangsPositionGespeichert = i == 2;
        if (i == 2) f.AusgangsPosition = {-20.0f, 1e5f};
        for (std::size_t k = 0; k < 3; ++k)
            f.Slots[k].Typ = kinds[i][k];
        s.Flugzeuge.push_back(f);
    }
    auto& a = s.Flugzeuge[0].Slots;
    a[1].Station = "VOR 2";
    a[1].Wert = 271.5f;
    a[1].DirToStation = true;
    a[2].Station = "NDB 2";
    a[2].Station2 = "VOR 1";
    auto& b = s.Flugzeuge[1].Slots;
    b[0].Station = "VOR 1";
    b[0].Wert = 0.3f;
    b[1].Station = "NDB 1";
    b[2].Wert = 12.0f;
    s.Flugzeuge[2].Slots[1].Station = "NDB 1";
    s.Flugzeuge[0].Flugweg = {{{1, 1}, {50.5f, 1}, {80, 40.25f}}, {{300, 300}, {301, 305}}};
    s.Aktiv = 2;

    const QByteArray json = Szene::ToJson(s);
    TSzene back;
    QString error;
    QVERIFY2(Szene::FromJson(json, back, error), qPrintable(error));
    QVERIFY(back == s);
    // Hand-readable numbers: the shortest form that reads back exactly.
    QVERIFY2(json.contains("\"x\": 0.1,"), json.constData());
    QVERIFY(!json.contains("0.100000"));
    // And writing what was read gives the same text.
    QCOMPARE(Szene::ToJson(back), json);
}

void TestSzene::trackIsKeptAndBounded() {
    QJsonObject root = ValidRoot();
    QJsonArray piece;
    const int n = int(TFlugweg::MaxPoints) + 500;
    for (int i = 0; i < n; ++i)
        piece.append(QJsonArray{i % 2 ? 5 : 0, i}); // a zigzag: nothing thins
    QJsonObject p = Plane(root, 0);
    p["flugweg"] = QJsonArray{QJsonArray{QJsonArray{-1, -1}, QJsonArray{-2, -2}}, piece};
    SetPlane(root, 0, p);
    TSzene s;
    QString error;
    QVERIFY2(Szene::FromJson(Doc(root), s, error), qPrintable(error));
    const auto& weg = s.Flugzeuge[0].Flugweg;
    // The newest points are kept; the first piece is older than all of them.
    QCOMPARE(weg.size(), std::size_t(1));
    QCOMPARE(weg[0].size(), TFlugweg::MaxPoints);
    QCOMPARE(weg[0].back(), (TSinglePoint{float((n - 1) % 2 ? 5 : 0), float(n - 1)}));
}

void TestSzene::whatIsWrittenAlwaysReadsBack() {
    // A live world can hold what no file may: an aircraft flown off for
    // hours, a speed pushed up without end, an angle a hair below zero.
    TSzene s = Sentinel();
    TSzenenFlugzeug& f = s.Flugzeuge[0];
    f.Position = {3.0e7f, -std::numeric_limits<float>::infinity()};
    f.Speed = 1.0e9f;
    f.Kurs = -0.0001f;
    f.Slots[1] = {4, QString(), QString(), 725.0f, false};
    f.Flugweg = {{{1.0e8f, 0}, {std::nanf(""), 5}}};
    TSzene back;
    QString error;
    QVERIFY2(Szene::FromJson(Szene::ToJson(s), back, error), qPrintable(error));
    const TSzenenFlugzeug& g = back.Flugzeuge[0];
    QCOMPARE(g.Position, (TSinglePoint{float(Szene::MaxKoordinate), -float(Szene::MaxKoordinate)}));
    QCOMPARE(g.Speed, float(Szene::MaxSpeed));
    QVERIFY(g.Kurs >= 0.0f && g.Kurs < 360.0f);
    QCOMPARE(g.Slots[1].Wert, 5.0f);
    QCOMPARE(g.Flugweg.size(), std::size_t(1));
}

void TestSzene::readNamesTheFile_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing") << "Fehlt.peilomat" << QByteArray() << "die Datei gibt es nicht";
    QTest::newRow("broken") << "Anflug.peilomat" << QByteArray("{\"format\":") << "unvollständig";
    QTest::newRow("folder") << "Ordner.peilomat" << QByteArray() << "keine Datei";
}

void TestSzene::readNamesTheFile() {
    QFETCH(QString, name);
    QFETCH(QByteArray, data);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString path = dir.filePath(name);
    if (!data.isEmpty()) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(data);
    }
    if (name.startsWith("Ordner")) QVERIFY(QDir().mkdir(path));
    TSzene s = Sentinel();
    QString message;
    QVERIFY(!Szene::Read(path, s, message));
    QVERIFY2(message.contains("„" + QDir::toNativeSeparators(path) + "“"), qPrintable(message));
    QVERIFY2(message.contains(reason), qPrintable(message));
    QVERIFY(s == Sentinel());

    // A good file next to it reads.
    const QString good = dir.filePath("Gut.peilomat");
    QVERIFY(Szene::Write(good, Sentinel(), message));
    QVERIFY2(Szene::Read(good, s, message), qPrintable(message));
    QVERIFY(s == Sentinel());
}

void TestSzene::failedWriteSaysSoAndKeepsTheOldFile_data() {
    QTest::addColumn<QString>("failure");
    QTest::newRow("missing folder") << "folder";
    QTest::newRow("name taken by a folder") << "directory";
    QTest::newRow("disk full") << "full";
}

void TestSzene::failedWriteSaysSoAndKeepsTheOldFile() {
    QFETCH(QString, failure);
    QTemporaryDir dir;
    QString path = dir.filePath("Anflug.peilomat");
    QString message;
    TSzene big = Sentinel();
    big.Flugzeuge[0].Flugweg = {std::vector<TSinglePoint>(2000, TSinglePoint{1, 2})};
    QVERIFY(Szene::Write(path, Sentinel(), message));
    const QByteArray before = [&] {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();

    bool written = true;
    if (failure == "folder") {
        path = dir.filePath("fehlt/Anflug.peilomat");
        written = Szene::Write(path, big, message);
    } else if (failure == "directory") {
        path = dir.filePath("Ordner.peilomat");
        QVERIFY(QDir().mkdir(path));
        written = Szene::Write(path, big, message);
    } else {
        QVERIFY(WithFileSizeLimit(1024, [&] { written = Szene::Write(path, big, message); }));
    }
    QVERIFY(!written);
    QVERIFY2(
        message.startsWith("Die Szene konnte nicht in „" + QDir::toNativeSeparators(path) + "“ gespeichert"),
        qPrintable(message));
    QFile f(dir.filePath("Anflug.peilomat"));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), before);
}

void TestSzene::straightFlightCollapses() {
    TFlugweg weg;
    QCOMPARE(weg.Add({100, 100}), TFlugweg::TAdd::Started);
    // 30 degrees, one pixel per step, computed as the animation does.
    TSinglePoint p{100, 100};
    const float s = std::sin(30.0f * float(M_PI) / 180.0f), c = std::cos(30.0f * float(M_PI) / 180.0f);
    QCOMPARE((p = {p.X + s, p.Y - c}, weg.Add(p)), TFlugweg::TAdd::Appended);
    for (int i = 0; i < 5000; ++i) {
        p = {p.X + s, p.Y - c};
        QCOMPARE(weg.Add(p), TFlugweg::TAdd::Extended);
    }
    QCOMPARE(weg.Size(), std::size_t(2));
    QCOMPARE(weg.Punkte().back().P, p);
    // Tiny steps add nothing until they add up; turning back starts a new segment.
    QCOMPARE(weg.Add({p.X + 0.1f, p.Y}), TFlugweg::TAdd::Ignored);
    QCOMPARE(weg.Add({p.X - s * 10, p.Y + c * 10}), TFlugweg::TAdd::Appended);
    QCOMPARE(weg.Size(), std::size_t(3));
}

void TestSzene::thinnedTrackStaysOnThePath() {
    // A standard-rate turn and a drag with jitter: every point passed lies
    // within the tolerance of the stored path.
    TFlugweg weg;
    std::vector<TSinglePoint> flown;
    TSinglePoint p{400, 400};
    float heading = 0;
    for (int i = 0; i < 2000; ++i) {
        heading += i < 1000 ? 0.3f : 0.0f;
        const float a = heading * float(M_PI) / 180.0f;
        p = {p.X + std::sin(a), p.Y - std::cos(a)};
        if (i > 1500) p = {std::round(p.X + float(i % 3)), std::round(p.Y)};
        weg.Add(p);
        flown.push_back(p);
    }
    QVERIFY2(weg.Size() < flown.size() / 4, qPrintable(QString::number(weg.Size())));
    std::vector<TSinglePoint> line;
    for (const auto& punkt : weg.Punkte())
        line.push_back(punkt.P);
    float worst = 0;
    for (const TSinglePoint& q : flown)
        worst = std::max(worst, DistanceToPolyline(q, line));
    QVERIFY2(worst <= TFlugweg::StraightTolerance + 1e-3f, qPrintable(QString::number(worst)));
}

void TestSzene::trackIsBoundedToTheNewestPoints() {
    TFlugweg weg;
    const int n = int(TFlugweg::MaxPoints) * 3 / 2;
    for (int i = 0; i < n; ++i)
        weg.Add({float(i % 2) * 4, float(i)});
    QCOMPARE(weg.Size(), TFlugweg::MaxPoints);
    QCOMPARE(weg.Punkte().back().P, (TSinglePoint{float((n - 1) % 2) * 4, float(n - 1)}));
    QCOMPARE(weg.Punkte().front().P.Y, float(n - int(TFlugweg::MaxPoints)));
    // The oldest kept point begins the line: nothing is drawn to it from a dropped one.
    QVERIFY(weg.Punkte().front().NeuesStueck);
    QCOMPARE(weg.Stuecke().size(), std::size_t(1));
}

void TestSzene::breaksAndClearing() {
    TFlugweg weg;
    weg.Add({0, 0});
    weg.Add({10, 0});
    weg.Break();
    QCOMPARE(weg.Add({500, 500}), TFlugweg::TAdd::Started);
    weg.Add({500, 510});
    QCOMPARE(weg.Stuecke().size(), std::size_t(2));
    // A jump right after a jump leaves no piece of a single point behind.
    weg.Break();
    weg.Add({20, 20});
    weg.Break();
    weg.Add({40, 40});
    QCOMPARE(weg.Stuecke().size(), std::size_t(3));
    QCOMPARE(weg.Stuecke().back(), (std::vector<TSinglePoint>{{40, 40}}));

    // A path set from a file goes on where it stopped.
    weg.SetStuecke({{{0, 0}, {10, 0}}});
    QCOMPARE(weg.Add({10, 0.2f}), TFlugweg::TAdd::Ignored);
    QCOMPARE(weg.Add({20, 5}), TFlugweg::TAdd::Appended);
    QCOMPARE(weg.Stuecke().size(), std::size_t(1));

    weg.Clear();
    QVERIFY(weg.Empty());
    QCOMPARE(weg.Add({1, 1}), TFlugweg::TAdd::Started);
    QCOMPARE(weg.Add({std::nanf(""), 1}), TFlugweg::TAdd::Ignored);
    QCOMPARE(weg.Size(), std::size_t(1));
}

QTEST_GUILESS_MAIN(TestSzene)
#include "tst_szene.moc"
