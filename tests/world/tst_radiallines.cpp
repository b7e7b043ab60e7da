#include "platform/ImageSurface.h"
#include "tests/support/testsupport.h"
#include "world/BaseObserver.h"
#include "world/I_Flugzeug.h"
#include "world/I_Stations.h"
#include "world/InstrumentUtilsClass.h"
#include "world/RadialLayer.h"

#include <QTest>

#include <cmath>
#include <memory>
#include <vector>

namespace {

constexpr TColor32 Green = 0xFF007F00;
constexpr TColor32 Blue = 0xFF0000FF;
const TSinglePoint StationAt{300.0f, 150.0f};

// Stands in for a station-bound instrument of any type: it is tuned by
// holding a station and computes nothing unless told to follow an aircraft.
class TStandIn : public TSubject, public IInstrument, public IInstrumentMitStation {
public:
    explicit TStandIn(int typ) : Typ(typ) {}
    bool GetVisible() override { return Visible; }
    void SetVisible(bool value) override { Visible = value; }
    int GetTyp() override { return Typ; }
    void SetTyp(int value) override { Typ = value; }
    QString GetStation() override { return Station ? Station->GetName() : QString(); }
    TSinglePoint GetStationPosition() override { return Station ? Station->GetPosition() : TSinglePoint{}; }
    std::shared_ptr<IStationSubject> GetStationSubject() override { return Station; }
    void AttachStationSubject() override {}
    void DetachStationSubject() override {}
    void SetStationSubject(const std::shared_ptr<IStationSubject>& value) override { Station = value; }

    int Typ;
    bool Visible = true;
    std::shared_ptr<IStationSubject> Station;
};

// A course instrument (VOR indicator or HSI) whose TO/FROM state follows the
// aircraft it observes, as the real ones compute it.
class TCourseStandIn : public TStandIn, public IObserver {
public:
    using TStandIn::TStandIn;
    void UpdateA(ISubject* subject, TNotificationType) override {
        if (auto* plane = dynamic_cast<IPlaneSubject*>(subject)) Follow(plane->GetPosition());
    }
    TNotificationTypes GetNotificationTypes() override { return {ntPosition}; }
    void Follow(const TSinglePoint& plane) {
        long double dx = 0, dy = 0, bearing = 0;
        BearingBetween(StationAt, plane, dx, dy, bearing);
        ToFrom = std::hypot(double(dx), double(dy)) < 10 ? tfOff : tfTo;
        CourseDeviation(ToFrom, float(bearing), Course);
    }
    void SetCourse(float value) {
        Course = value;
        Notify(ntOBS);
    }
    float Course = 0;
    int ToFrom = tfOff;
};

class TVORStandIn : public TCourseStandIn, public IVOR {
public:
    TVORStandIn() : TCourseStandIn(4) {}
    bool GetDirToStation() override { return false; }
    float GetOBS() override { return Course; }
    int GetToFrom() override { return ToFrom; }
    float GetAblage() override { return 0; }
    void SetDirToStation(bool) override {}
};

class THSIStandIn : public TCourseStandIn, public IHSI {
public:
    THSIStandIn() : TCourseStandIn(5) {}
    float GetAblage() override { return 0; }
    float GetCourse() override { return Course; }
    int GetToFrom() override { return ToFrom; }
};

class TRMI2StandIn : public TStandIn, public IRMI2 {
public:
    TRMI2StandIn() : TStandIn(6) {}
    float GetRB2() override { return 0; }
    QString GetStation2() override { return Station2 ? Station2->GetName() : QString(); }
    bool GetZeigerBelegung() override { return true; }
    void AttachStation2Subject() override {}
    void DetachStation2Subject() override {}
    void SetStation2Subject(const std::shared_ptr<IStationSubject>& value) override { Station2 = value; }
    void SetZeigerBelegung(bool) override {}
    std::shared_ptr<IStationSubject> Station2;
};

// The heading indicator is bound to no station.
class THeadingStandIn : public IInstrument {
public:
    bool GetVisible() override { return true; }
    void SetVisible(bool) override {}
    int GetTyp() override { return icKursKreisel; }
    void SetTyp(int) override {}
};

// A map with its radial layer on top, one station at StationAt and the
// selected aircraft; the radial observer draws with the scene's options and
// counts its redraws.
struct TScene {
    ImageSurface Map;
    BitmapLayer Layer{&Map};
    std::vector<std::shared_ptr<IStationSubject>> Stations;
    std::shared_ptr<TFlugzeug> Plane;
    bool ShowRadials = true;
    bool ShowBearings = true;
    int Draws = 0;
    std::shared_ptr<TRadialLayer> Radial;

    TScene(bool vor, const TSinglePoint& aircraft) {
        Map.SetBitmapSize(600, 400);
        Map.Bitmap().Fill(0xFFFFFFFF);
        Radial = std::make_shared<TRadialLayer>([this] {
            ++Draws;
            DrawRadialLines(Layer, Plane.get(), Stations, ShowRadials, ShowBearings);
        });
        Stations.push_back(vor ? std::shared_ptr<IStationSubject>(TVOR_S::Create(&Map, StationAt, "1", 0))
                               : std::shared_ptr<IStationSubject>(TNDB_S::Create(&Map, StationAt, "1", 0)));
        Layer.Bitmap().SetSize(600, 400);
        Layer.SetDrawMode(BitmapLayer::DrawMode::Blend);
        Layer.SetLocation(QRectF(0, 0, 600, 400));
        Plane = TFlugzeug::Create(&Map, nullptr, aircraft, 0, Radial);
        Plane->SetSelected(true);
    }
    ~TScene() {
        Plane->Detach(Radial);
        for (int slot = 0; slot < TFlugzeug::SlotCount; ++slot)
            Plane->SetInstrument(slot, nullptr);
    }
    // The instrument goes into the middle slot, tuned to the station.
    template <class T> std::shared_ptr<T> Tuned(std::shared_ptr<T> instrument) {
        instrument->SetStationSubject(Stations[0]);
        Plane->SetInstrument(1, instrument);
        return instrument;
    }
    void Draw() { Radial->UpdateA(nullptr, ntPosition); }
    const Bitmap32& Lines() const { return Layer.Bitmap(); }
};

// The strongest colour of a kind near a point of the radial layer: lines are
// anti-aliased, so the pixel on the line may be shared with its neighbour.
bool LineNear(const Bitmap32& bitmap, int x, int y, TColor32 color) {
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            const TColor32 p = bitmap.Pixel(x + dx, y + dy);
            if ((p >> 24) > 0x50 && (p & 0x00FFFFFF) == (color & 0x00FFFFFF)) return true;
        }
    return false;
}

// How many of the n points from `from` along the unit direction (ux, uy),
// starting 10 pixels out, have something drawn on them or beside them
// (across the line, never along it, so that gaps in a dash pattern show).
int MarksAlong(const Bitmap32& bitmap, QPointF from, double ux, double uy, int n) {
    int marks = 0;
    for (int i = 10; i < 10 + n; ++i) {
        bool drawn = false;
        for (int k = -1; k <= 1 && !drawn; ++k) {
            const int x = qRound(from.x() + ux * i - uy * k), y = qRound(from.y() + uy * i + ux * k);
            drawn = (bitmap.Pixel(x, y) >> 24) > 0x40;
        }
        marks += drawn ? 1 : 0;
    }
    return marks;
}

bool Empty(const Bitmap32& bitmap) {
    for (int y = 0; y < bitmap.Height(); y += 3)
        for (int x = 0; x < bitmap.Width(); x += 3)
            if (bitmap.Pixel(x, y) >> 24) return false;
    return true;
}

// The solid radial through StationAt towards `solid`, its dashed
// continuation behind the station and the dashed boundary across it.
void VerifyRadial(const Bitmap32& layer, QPoint solid) {
    QVERIFY(LineNear(layer, solid.x(), solid.y(), Green));
    const double length = std::hypot(solid.x() - StationAt.X, solid.y() - StationAt.Y);
    const double ux = (solid.x() - StationAt.X) / length, uy = (solid.y() - StationAt.Y) / length;
    const QPointF station(StationAt.X, StationAt.Y);
    QCOMPARE(MarksAlong(layer, station, ux, uy, 50), 50);
    const int behind = MarksAlong(layer, station, -ux, -uy, 50);
    QVERIFY2(behind > 10 && behind < 45, qPrintable(QString::number(behind)));
    for (const double side : {1.0, -1.0}) {
        const int boundary = MarksAlong(layer, station, -uy * side, ux * side, 50);
        QVERIFY2(boundary > 5 && boundary < 45, qPrintable(QString::number(boundary)));
    }
}

} // namespace

class TestRadialLines : public QObject {
    Q_OBJECT
private slots:
    void noStationsLeavesLayerAlone();
    void radialOfCourseInstrument_data();
    void radialOfCourseInstrument();
    void bearingLineOfNeedleInstrument_data();
    void bearingLineOfNeedleInstrument();
    void clearsAndBringsToFrontWithoutAircraft();
    void linesStayInsideTheLayer();
    void linesFollowTheAircraft();
    void redrawOncePerNotification_data();
    void redrawOncePerNotification();
    void crossingTheBoundaryShowsTheNewState_data();
    void crossingTheBoundaryShowsTheNewState();
};

void TestRadialLines::noStationsLeavesLayerAlone() {
    TScene scene(true, TSinglePoint{300, 50});
    scene.Stations.clear();
    scene.Layer.Bitmap().FillRect(10, 10, 12, 12, Blue);
    scene.Draw();
    QCOMPARE(ColorName(scene.Lines().Pixel(10, 10)), ColorName(Blue));
}

void TestRadialLines::radialOfCourseInstrument_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<float>("course");
    QTest::addColumn<QPointF>("aircraft");
    QTest::addColumn<bool>("showRadials");
    QTest::addColumn<QPoint>("solid"); // a point of the solid radial, or (-1, -1) for none
    const QPoint course350To(qRound(300 + 40 * std::sin(170 * M_PI / 180)),
                             qRound(150 - 40 * std::cos(170 * M_PI / 180)));
    for (const int type : {icVOR, icHSI}) {
        const QByteArray what = type == icVOR ? "VOR indicator, " : "HSI, ";
        QTest::newRow(what + "FROM, course 360")
            << type << 0.0f << QPointF(300, 50) << true << QPoint(300, 110);
        QTest::newRow(what + "TO, course 360: reciprocal")
            << type << 0.0f << QPointF(300, 250) << true << QPoint(300, 190);
        QTest::newRow(what + "FROM, course 90")
            << type << 90.0f << QPointF(400, 150) << true << QPoint(340, 150);
        QTest::newRow(what + "TO, course 350 gives 170")
            << type << 350.0f << QPointF(300, 250) << true << course350To;
        QTest::newRow(what + "OFF: too close") << type << 0.0f << QPointF(302, 152) << true << QPoint(-1, -1);
        QTest::newRow(what + "option off") << type << 0.0f << QPointF(300, 50) << false << QPoint(-1, -1);
    }
}

void TestRadialLines::radialOfCourseInstrument() {
    QFETCH(int, type);
    QFETCH(float, course);
    QFETCH(QPointF, aircraft);
    QFETCH(bool, showRadials);
    QFETCH(QPoint, solid);
    TScene scene(true, TSinglePoint{float(aircraft.x()), float(aircraft.y())});
    const std::shared_ptr<TCourseStandIn> instrument =
        type == icVOR ? std::shared_ptr<TCourseStandIn>(scene.Tuned(std::make_shared<TVORStandIn>()))
                      : std::shared_ptr<TCourseStandIn>(scene.Tuned(std::make_shared<THSIStandIn>()));
    instrument->Course = course;
    instrument->Follow(scene.Plane->GetPosition());
    scene.ShowRadials = showRadials;
    scene.Draw();
    QCOMPARE(scene.Map.Layers().back(), &scene.Layer);
    if (solid.x() < 0) {
        QVERIFY(Empty(scene.Lines()));
        return;
    }
    VerifyRadial(scene.Lines(), solid);
    QVERIFY(!LineNear(scene.Lines(), 400, 100, Blue));
}

void TestRadialLines::bearingLineOfNeedleInstrument_data() {
    QTest::addColumn<TInstrumentCode>("type");
    QTest::addColumn<int>("needle"); // the needle tuned to the station: 1, 2, or 0 for none
    QTest::addColumn<bool>("visible");
    QTest::addColumn<bool>("showBearings");
    QTest::addColumn<bool>("line");
    QTest::newRow("RBI") << icRBI << 1 << true << true << true;
    QTest::newRow("MDI") << icMDI << 1 << true << true << true;
    QTest::newRow("RMI") << icRMI << 1 << true << true << true;
    QTest::newRow("two-needle RMI, needle 1") << icRMI2 << 1 << true << true << true;
    QTest::newRow("two-needle RMI, needle 2") << icRMI2 << 2 << true << true << true;
    QTest::newRow("untuned") << icRMI << 0 << true << true << false;
    QTest::newRow("two-needle RMI untuned") << icRMI2 << 0 << true << true << false;
    QTest::newRow("instrument hidden") << icRBI << 1 << false << true << false;
    QTest::newRow("option off or aircraft hidden") << icRMI << 1 << true << false << false;
}

void TestRadialLines::bearingLineOfNeedleInstrument() {
    QFETCH(TInstrumentCode, type);
    QFETCH(int, needle);
    QFETCH(bool, visible);
    QFETCH(bool, showBearings);
    QFETCH(bool, line);
    TScene scene(false, TSinglePoint{500.0f, 150.0f});
    std::shared_ptr<TStandIn> instrument;
    if (type == icRMI2) {
        auto rmi2 = std::make_shared<TRMI2StandIn>();
        if (needle == 2) rmi2->SetStation2Subject(scene.Stations[0]);
        instrument = rmi2;
    } else {
        instrument = std::make_shared<TStandIn>(type);
    }
    if (needle == 1) instrument->SetStationSubject(scene.Stations[0]);
    instrument->Visible = visible;
    scene.Plane->SetInstrument(1, instrument);
    // The heading indicator beside it draws nothing.
    scene.Plane->SetInstrument(0, std::make_shared<THeadingStandIn>());
    scene.ShowBearings = showBearings;
    scene.Draw();
    QCOMPARE(LineNear(scene.Lines(), 400, 150, Blue), line);
    if (!line) QVERIFY(Empty(scene.Lines()));
}

void TestRadialLines::clearsAndBringsToFrontWithoutAircraft() {
    TScene scene(true, TSinglePoint{300, 50});
    scene.Tuned(std::make_shared<TVORStandIn>())->Follow(scene.Plane->GetPosition());
    scene.Draw();
    QVERIFY(!Empty(scene.Lines()));
    // A station made later lies on top of the layer until the next redraw.
    const auto later = TNDB_S::Create(&scene.Map, TSinglePoint{50, 50}, "2", 1);
    later->Layer()->BringToFront();
    QCOMPARE(scene.Map.Layers().back(), later->Layer());
    DrawRadialLines(scene.Layer, nullptr, scene.Stations, true, true);
    QVERIFY(Empty(scene.Lines()));
    QCOMPARE(scene.Map.Layers().back(), &scene.Layer);
}

void TestRadialLines::linesStayInsideTheLayer() {
    // A station near the corner: every line runs off the map, and a station
    // off the map still draws the part that crosses it.
    for (const TSinglePoint at : {TSinglePoint{2, 2}, TSinglePoint{-100, 200}}) {
        TScene scene(true, TSinglePoint{550, 350});
        scene.Stations[0]->SetPosition(at);
        const auto vor = scene.Tuned(std::make_shared<TVORStandIn>());
        vor->ToFrom = tfFrom;
        vor->Course = at.X < 0 ? 90.0f : 135.0f;
        scene.Draw();
        QCOMPARE(scene.Lines().Width(), 600);
        QVERIFY(LineNear(scene.Lines(), at.X < 0 ? 100 : 102, at.X < 0 ? 200 : 102, Green));
    }
}

void TestRadialLines::linesFollowTheAircraft() {
    TScene scene(false, TSinglePoint{500.0f, 150.0f});
    scene.Tuned(std::make_shared<TStandIn>(0));
    scene.Plane->Attach(scene.Radial);
    QVERIFY(LineNear(scene.Lines(), 400, 150, Blue));
    // The aircraft flies north: the line is redrawn through notification alone.
    scene.Plane->SetPosition(TSinglePoint{500.0f, 50.0f});
    QVERIFY(!LineNear(scene.Lines(), 400, 150, Blue));
    QVERIFY(LineNear(scene.Lines(), 400, 100, Blue));
}

void TestRadialLines::redrawOncePerNotification_data() {
    QTest::addColumn<QString>("change");
    QTest::addColumn<int>("draws");
    QTest::newRow("attaching to the aircraft") << "attach" << 1;
    QTest::newRow("aircraft moves") << "move" << 1;
    QTest::newRow("station moves") << "station" << 1;
    QTest::newRow("course changes") << "course" << 1;
    QTest::newRow("heading changes") << "heading" << 0;
    QTest::newRow("three changes in one bracket") << "bracket" << 1;
}

void TestRadialLines::redrawOncePerNotification() {
    QFETCH(QString, change);
    QFETCH(int, draws);
    TScene scene(true, TSinglePoint{300, 50});
    const auto vor = scene.Tuned(std::make_shared<TVORStandIn>());
    if (change != QLatin1String("attach")) {
        scene.Plane->Attach(scene.Radial);
        scene.Stations[0]->Attach(scene.Radial);
        vor->Attach(scene.Radial);
        scene.Draws = 0;
    }
    if (change == QLatin1String("attach")) scene.Plane->Attach(scene.Radial);
    if (change == QLatin1String("move")) scene.Plane->SetPosition(TSinglePoint{310, 40});
    if (change == QLatin1String("station")) scene.Stations[0]->SetPosition(TSinglePoint{320, 160});
    if (change == QLatin1String("course")) vor->SetCourse(90.0f);
    if (change == QLatin1String("heading")) scene.Plane->SetValue(45.0f);
    if (change == QLatin1String("bracket")) {
        const TNotificationBracket bracket;
        scene.Plane->SetPosition(TSinglePoint{310, 40});
        scene.Stations[0]->SetPosition(TSinglePoint{320, 160});
        vor->SetCourse(90.0f);
        QCOMPARE(scene.Draws, 0);
    }
    QCOMPARE(scene.Draws, draws);
}

void TestRadialLines::crossingTheBoundaryShowsTheNewState_data() {
    QTest::addColumn<QPointF>("from");
    QTest::addColumn<QPointF>("to");
    QTest::addColumn<QPoint>("solid"); // a point of the solid radial after the move, (-1, -1) for none
    // Course 360: north of the station is FROM, south is TO.
    QTest::newRow("FROM to TO") << QPointF(300, 50) << QPointF(300, 250) << QPoint(300, 190);
    QTest::newRow("TO to FROM") << QPointF(300, 250) << QPointF(300, 50) << QPoint(300, 110);
    QTest::newRow("over the station: OFF") << QPointF(300, 50) << QPointF(303, 151) << QPoint(-1, -1);
    QTest::newRow("away from the station again")
        << QPointF(303, 151) << QPointF(300, 250) << QPoint(300, 190);
}

void TestRadialLines::crossingTheBoundaryShowsTheNewState() {
    QFETCH(QPointF, from);
    QFETCH(QPointF, to);
    QFETCH(QPoint, solid);
    TScene scene(true, TSinglePoint{float(from.x()), float(from.y())});
    const auto vor = scene.Tuned(std::make_shared<TVORStandIn>());
    // The radial observer is told before the instrument, as on the map,
    // where it is attached to the aircraft before instruments are chosen.
    scene.Plane->Attach(scene.Radial);
    const std::shared_ptr<IObserver> follower(vor, static_cast<IObserver*>(vor.get()));
    scene.Plane->Attach(follower);
    scene.Draws = 0;
    scene.Plane->SetPosition(TSinglePoint{float(to.x()), float(to.y())});
    QCOMPARE(scene.Draws, 1);
    if (solid.x() < 0)
        QVERIFY(Empty(scene.Lines()));
    else
        VerifyRadial(scene.Lines(), solid);
    scene.Plane->Detach(follower);
}

QTEST_MAIN(TestRadialLines)
#include "tst_radiallines.moc"
