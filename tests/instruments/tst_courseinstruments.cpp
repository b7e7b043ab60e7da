#include "instruments/HSI.h"
#include "instruments/VOR.h"
#include "rig/InstrumentRig.h"
#include "tests/support/recordingobserver.h"

#include <QtTest>

#include <cmath>

// What the VOR indicator and the HSI do alike: the course they are set to,
// when they announce it, what a change redraws and how tuning shows. Each
// row names the instrument it runs on; what only one of them does stays in
// its own test.

namespace {
const TSinglePoint kStation{400.0f, 300.0f};
constexpr auto kVor = TInstrumentRig::TStationKind::VOR;

// The instrument of type typ alone, with a VOR at `at` that it is tuned to
// unless `tune` is false (rig.stations[0]).
std::shared_ptr<TInstrumentMitStation> Make(TInstrumentRig& rig, TInstrumentCode typ, bool tune = true,
                                            const TSinglePoint& at = kStation) {
    const auto station = rig.AddStation(kVor, at);
    auto made = std::dynamic_pointer_cast<TInstrumentMitStation>(rig.Alone(typ));
    if (tune) rig.Tune(station);
    return made;
}

// The two instruments share no interface for their indication; these read it from either.
int ToFrom(TInstrumentMitStation& instrument) {
    if (auto* vor = dynamic_cast<IVOR*>(&instrument)) return vor->GetToFrom();
    return dynamic_cast<IHSI&>(instrument).GetToFrom();
}

float Ablage(TInstrumentMitStation& instrument) {
    if (auto* vor = dynamic_cast<IVOR*>(&instrument)) return vor->GetAblage();
    return dynamic_cast<IHSI&>(instrument).GetAblage();
}

// The OBS of the VOR indicator, the selected course of the HSI.
float Course(TInstrumentMitStation& instrument) {
    if (auto* vor = dynamic_cast<IVOR*>(&instrument)) return vor->GetOBS();
    return dynamic_cast<IHSI&>(instrument).GetCourse();
}

BitmapLayer* NeedleLayer(TInstrumentMitStation& instrument) {
    if (auto* vor = dynamic_cast<TVOR*>(&instrument)) return vor->GetZeigerLayer();
    return dynamic_cast<THSI&>(instrument).GetZeigerLayer();
}

const char* Prefix(TInstrumentCode typ) {
    return typ == icVOR ? "VOR" : "HSI";
}

constexpr std::array<TInstrumentCode, 2> kBoth{icVOR, icHSI};
} // namespace

class TestCourseInstruments : public QObject {
    Q_OBJECT
private slots:
    void courseSetting_data();
    void courseSetting();
    void courseAnnouncedWithNewState_data();
    void courseAnnouncedWithNewState();
    void redrawEconomy_data();
    void redrawEconomy();
    void tuningShowsAtOnce_data();
    void tuningShowsAtOnce();
};

void TestCourseInstruments::courseSetting_data() {
    QTest::addColumn<TInstrumentCode>("typ");
    QTest::addColumn<float>("start");
    QTest::addColumn<bool>("increment");
    QTest::addColumn<float>("arg");
    QTest::addColumn<float>("course");
    QTest::addColumn<int>("announced");

    for (const TInstrumentCode typ : kBoth) {
        const auto row = [typ](const char* what) -> QTestData& {
            return QTest::addRow("%s: %s", Prefix(typ), what) << typ;
        };
        row("355 + 10 wraps to 5") << 355.f << true << 10.f << 5.f << 1;
        row("0 - 1 wraps to 359") << 0.f << true << -1.f << 359.f << 1;
        row("set 360 gives 0") << 10.f << false << 360.f << 0.f << 1;
        row("set 720 gives 0") << 10.f << false << 720.f << 0.f << 1;
        row("set -90 gives 270") << 0.f << false << -90.f << 270.f << 1;
        row("set 725 gives 5") << 0.f << false << 725.f << 5.f << 1;
        row("same value: not announced") << 90.f << false << 90.f << 90.f << 0;
        row("same after normalising 450: not announced") << 90.f << false << 450.f << 90.f << 0;
        row("same after normalising -270: not announced") << 90.f << false << -270.f << 90.f << 0;
        row("increment 0: not announced") << 90.f << true << 0.f << 90.f << 0;
    }
}

void TestCourseInstruments::courseSetting() {
    QFETCH(TInstrumentCode, typ);
    QFETCH(float, start);
    QFETCH(bool, increment);
    QFETCH(float, arg);
    QFETCH(float, course);
    QFETCH(int, announced);

    constexpr float heading = 30.0f;
    TInstrumentRig rig(PointOnRadial(kStation, 100.0f, 100.0f));
    rig.plane->SetValue(heading);
    auto instrument = Make(rig, typ);
    auto& value = dynamic_cast<IValueSetting&>(*instrument);
    value.SetValue(start);
    auto listener = std::make_shared<TRecordingObserver>(TNotificationTypes{ntOBS});
    instrument->Attach(listener);
    const int before = listener->Count(ntOBS);

    if (increment)
        value.SetValueInc(static_cast<int>(arg));
    else
        value.SetValue(arg);

    QCOMPARE(Course(*instrument), course);
    QCOMPARE(value.GetValue(), course);
    // The VOR indicator's card puts the selected course at the top; the HSI's
    // card follows the heading, not the course.
    QCOMPARE(instrument->GetCardHeading(), typ == icVOR ? course : heading);
    QCOMPARE(listener->Count(ntOBS) - before, announced);
    instrument->Detach(listener);
}

void TestCourseInstruments::courseAnnouncedWithNewState_data() {
    QTest::addColumn<TInstrumentCode>("typ");
    for (const TInstrumentCode typ : kBoth)
        QTest::addRow("%s: the map hears the TO/FROM of the new course", Prefix(typ)) << typ;
}

void TestCourseInstruments::courseAnnouncedWithNewState() {
    // Whoever hears of a new course (the map's radial lines) reads the TO/FROM
    // state at once; it must already belong to the new course.
    QFETCH(TInstrumentCode, typ);
    TInstrumentRig rig(PointOnRadial(kStation, 90.0f, 100.0f));
    auto instrument = Make(rig, typ);
    auto& value = dynamic_cast<IValueSetting&>(*instrument);
    value.SetValue(90.0f);
    QCOMPARE(ToFrom(*instrument), tfFrom);

    auto listener = std::make_shared<TRecordingObserver>(TNotificationTypes{ntOBS});
    int heardState = -1;
    listener->OnUpdate = [&](ISubject*, TNotificationType) { heardState = ToFrom(*instrument); };
    instrument->Attach(listener);
    const int radialBefore = rig.radialRedraws;
    value.SetValue(270.0f);
    QCOMPARE(heardState, tfTo);
    QCOMPARE(rig.radialRedraws - radialBefore, 1);
    instrument->Detach(listener);
}

void TestCourseInstruments::redrawEconomy_data() {
    QTest::addColumn<TInstrumentCode>("typ");
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("repaints");
    QTest::addColumn<bool>("faceDrawn");
    QTest::addColumn<bool>("needleDrawn");

    for (const TInstrumentCode typ : kBoth) {
        const auto row = [typ](const char* what) -> QTestData& {
            return QTest::addRow("%s: %s", Prefix(typ), what) << typ;
        };
        row("deviation change repaints the needle layer only") << "move" << 1 << false << true;
        row("station moved: needle layer only") << "station" << 1 << false << true;
        row("same position repaints nothing") << "same" << 0 << false << false;
        row("same heading repaints nothing") << "sameheading" << 0 << false << false;
        row("TO/FROM change redraws the dial once") << "tofrom" << 1 << true << true;
        row("over the station redraws the dial once") << "over" << 1 << true << true;
        row("course change redraws the dial once") << "course" << 1 << true << true;
        row("unchanged course repaints nothing") << "samecourse" << 0 << false << false;
    }
    // The VOR indicator never looks at the heading; the HSI's card turns with it.
    QTest::newRow("VOR: heading change repaints nothing") << icVOR << "heading" << 0 << false << false;
    QTest::newRow("HSI: heading change redraws the dial once") << icHSI << "heading" << 1 << true << true;
}

void TestCourseInstruments::redrawEconomy() {
    QFETCH(TInstrumentCode, typ);
    QFETCH(QString, action);
    QFETCH(int, repaints);
    QFETCH(bool, faceDrawn);
    QFETCH(bool, needleDrawn);

    const TSinglePoint start = PointOnRadial(kStation, 95.0f, 100.0f);
    TInstrumentRig rig(start);
    rig.plane->SetValue(20.0f);
    auto instrument = Make(rig, typ);
    auto& value = dynamic_cast<IValueSetting&>(*instrument);
    value.SetValue(90.0f);
    rig.WatchLayers(instrument->GetInstrumentLayer(), NeedleLayer(*instrument));
    const int before = rig.alone.RepaintCount();

    if (action == "move")
        rig.plane->SetPosition(PointOnRadial(kStation, 96.0f, 100.0f));
    else if (action == "station")
        rig.stations[0]->SetPosition({kStation.X, kStation.Y + 1.0f});
    else if (action == "same")
        rig.plane->SetPosition(start);
    else if (action == "sameheading")
        rig.plane->SetValue(20.0f);
    else if (action == "heading")
        rig.plane->SetValue(45.0f);
    else if (action == "tofrom")
        rig.plane->SetPosition(PointOnRadial(kStation, 275.0f, 100.0f));
    else if (action == "over")
        rig.plane->SetPosition(PointOnRadial(kStation, 95.0f, 5.0f));
    else if (action == "course")
        value.SetValue(100.0f);
    else if (action == "samecourse")
        value.SetValue(90.0f);

    QCOMPARE(rig.alone.RepaintCount() - before, repaints);
    QCOMPARE(rig.faceDraws > 0, faceDrawn);
    QCOMPARE(rig.needleDraws > 0, needleDrawn);
}

void TestCourseInstruments::tuningShowsAtOnce_data() {
    QTest::addColumn<TInstrumentCode>("typ");
    QTest::addColumn<QString>("how");
    for (const TInstrumentCode typ : kBoth) {
        QTest::addRow("%s: station at the map origin", Prefix(typ)) << typ << "origin";
        QTest::addRow("%s: retuned to the same station", Prefix(typ)) << typ << "retune";
        QTest::addRow("%s: tuned to another station at the same place", Prefix(typ)) << typ << "twin";
    }
}

void TestCourseInstruments::tuningShowsAtOnce() {
    // A fresh binding shows the indication at once even when the station's
    // position equals the one the instrument stored before.
    QFETCH(TInstrumentCode, typ);
    QFETCH(QString, how);
    const TSinglePoint at = how == "origin" ? TSinglePoint{0.0f, 0.0f} : kStation;
    TInstrumentRig rig(PointOnRadial(at, 100.0f, 100.0f));
    auto instrument = Make(rig, typ, false, at);
    dynamic_cast<IValueSetting&>(*instrument).SetValue(90.0f);
    if (how == "origin") {
        instrument->SetStationSubject(rig.stations[0]);
    } else if (how == "retune") {
        instrument->SetStationSubject(rig.stations[0]);
        instrument->SetStationSubject(nullptr);
        QCOMPARE(ToFrom(*instrument), tfOff);
        instrument->SetStationSubject(rig.stations[0]);
    } else {
        instrument->SetStationSubject(rig.stations[0]);
        auto twin = rig.AddStation(kVor, at, QStringLiteral("2"));
        instrument->SetStationSubject(nullptr);
        instrument->SetStationSubject(twin);
        QCOMPARE(instrument->GetStation(), QStringLiteral("VOR 2"));
        QCOMPARE(ToFrom(*instrument), tfFrom);
        instrument->SetStationSubject(nullptr);
        return;
    }
    QCOMPARE(ToFrom(*instrument), tfFrom);
    QVERIFY(std::fabs(Ablage(*instrument) + 10.0f) < 0.01f);
}

QTEST_MAIN(TestCourseInstruments)
#include "tst_courseinstruments.moc"
