#include "platform/ImageSurface.h"
#include "tests/support/pixelprobe.h"
#include "tests/support/recordingobserver.h"
#include "tests/support/testsupport.h"
#include "world/I_Flugzeug.h"
#include "world/I_Stations.h"
#include "world/InstrumentFactory.h"

#include <QtTest>

#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

Q_DECLARE_METATYPE(TSinglePoint)

namespace {

// In the tables: no instrument in the slot.
constexpr auto kEmptySlot = static_cast<TInstrumentCode>(-1);

// Stands in for every instrument type: bound to an aircraft it observes it;
// tuned to stations it observes them; every call is logged.
class TFakeInstrument : public IInstrument,
                        public IInstrumentMitPlane,
                        public IInstrumentMitStation,
                        public IRMI2,
                        public IObserver,
                        public std::enable_shared_from_this<TFakeInstrument> {
public:
    explicit TFakeInstrument(int typ) : Typ(typ) {}

    bool GetVisible() override { return Visible; }
    void SetVisible(bool value) override {
        Visible = value;
        Log << QStringLiteral("visible:%1").arg(int(value));
    }
    int GetTyp() override { return Typ; }
    void SetTyp(int value) override { Typ = value; }

    float GetPlaneHeading() override { return Heading; }
    TSinglePoint GetPlanePosition() override { return Position; }
    void SetPlanePosition(const TSinglePoint& p) override { Position = p; }
    void SetPlaneHeading(float value) override { Heading = value; }
    void SetPlaneSubject(const std::shared_ptr<IPlaneSubject>& value) override {
        if (Plane) Plane->Detach(Self());
        Plane = value;
        if (Plane) Plane->Attach(Self());
    }

    QString GetStation() override { return Station ? Station->GetName() : QString(); }
    TSinglePoint GetStationPosition() override { return Station ? Station->GetPosition() : TSinglePoint{}; }
    std::shared_ptr<IStationSubject> GetStationSubject() override { return Station; }
    void AttachStationSubject() override {
        if (Station) Station->Attach(Self());
    }
    void DetachStationSubject() override {
        if (Station) Station->Detach(Self());
    }
    void SetStationSubject(const std::shared_ptr<IStationSubject>& value) override {
        DetachStationSubject();
        Station = value;
        AttachStationSubject();
    }

    float GetRB2() override { return 0.0f; }
    QString GetStation2() override { return Station2 ? Station2->GetName() : QString(); }
    bool GetZeigerBelegung() override { return true; }
    void AttachStation2Subject() override {
        if (Station2) Station2->Attach(Self());
    }
    void DetachStation2Subject() override {
        if (Station2) Station2->Detach(Self());
    }
    void SetStation2Subject(const std::shared_ptr<IStationSubject>& value) override {
        DetachStation2Subject();
        Station2 = value;
        AttachStation2Subject();
    }
    void SetZeigerBelegung(bool) override {}

    void UpdateA(ISubject* changed, TNotificationType kind) override {
        Log << QStringLiteral("update:%1").arg(int(kind));
        auto* plane = dynamic_cast<IPlaneSubject*>(changed);
        if (!plane || plane != Plane.get()) return;
        if (kind == ntPosition) SetPlanePosition(plane->GetPosition());
        if (kind == ntHeading) SetPlaneHeading(plane->GetHeading());
    }
    TNotificationTypes GetNotificationTypes() override { return {ntPosition, ntHeading, ntStationPosition}; }

    std::shared_ptr<IObserver> Self() { return shared_from_this(); }

    int Typ;
    bool Visible = false;
    float Heading = -1.0f;
    TSinglePoint Position{-1.0f, -1.0f};
    std::shared_ptr<IPlaneSubject> Plane;
    std::shared_ptr<IStationSubject> Station;
    std::shared_ptr<IStationSubject> Station2;
    QStringList Log;
};

struct TFactoryCall {
    int Type;
    ImageSurface* Image;
    int Left;
    int Top;
    int Width;
    std::shared_ptr<IObserver> Radial;
};

std::vector<TFactoryCall> g_calls;
// Every fake made, so that each test can end by unbinding them: an instrument
// bound to its aircraft and the aircraft holding it form a cycle that only
// unbinding breaks.
std::vector<std::shared_ptr<TFakeInstrument>> g_fakes;

std::shared_ptr<TFakeInstrument> NewFake(int type) {
    auto fake = std::make_shared<TFakeInstrument>(type);
    g_fakes.push_back(fake);
    return fake;
}

void UnbindFakes() {
    for (const auto& fake : g_fakes) {
        fake->SetPlaneSubject(nullptr);
        fake->SetStationSubject(nullptr);
        fake->SetStation2Subject(nullptr);
    }
    g_fakes.clear();
}

void InstallFakeFactory() {
    SetInstrumentFactory([](int type, ImageSurface* image, int left, int top, int width,
                            const std::shared_ptr<IObserver>& radial) -> std::shared_ptr<IInstrument> {
        g_calls.push_back({type, image, left, top, width, radial});
        return NewFake(type);
    });
}

std::shared_ptr<TFakeInstrument> Fake(const std::shared_ptr<IInstrument>& instrument) {
    return std::dynamic_pointer_cast<TFakeInstrument>(instrument);
}

int SlotType(TFlugzeug& plane, int slot) {
    auto instrument = plane.GetInstrument(slot);
    return instrument ? instrument->GetTyp() : -1;
}

} // namespace

class TestFlugzeug : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void createBuildsSymbolLayerAndHeadingIndicator();
    void createWithoutFactoryLeavesSlotsEmpty();
    void positionChanges_data();
    void positionChanges();
    void headingChanges_data();
    void headingChanges();
    void symbolPointsAlongHeading_data();
    void symbolPointsAlongHeading();
    void invisibleAircraftLeavesEmptyLayer();
    void selectionShowsAndHidesInstruments();
    void addInstrument_data();
    void addInstrument();
    void replacedHeadingIndicatorHearsNoMoreHeadings();
    void startPosition();
    void slotIndexOutsideRangeIsHarmless_data();
    void slotIndexOutsideRangeIsHarmless();

private:
    std::shared_ptr<TFlugzeug> NewPlane(TSinglePoint pos = {100, 100}, int tag = 0) {
        return TFlugzeug::Create(m_nav.get(), m_instr.get(), pos, tag, m_radial);
    }

    std::unique_ptr<ImageSurface> m_nav;
    std::unique_ptr<ImageSurface> m_instr;
    std::shared_ptr<TRecordingObserver> m_radial;
};

void TestFlugzeug::init() {
    m_nav = std::make_unique<ImageSurface>();
    m_nav->SetBitmapSize(800, 500);
    m_nav->Bitmap().Fill(0xFFFFFFFF);
    m_instr = std::make_unique<ImageSurface>();
    m_instr->SetBitmapSize(750, 250);
    m_radial = std::make_shared<TRecordingObserver>(TNotificationTypes{ntPosition, ntStationPosition, ntOBS});
    g_calls.clear();
    InstallFakeFactory();
}

void TestFlugzeug::cleanup() {
    UnbindFakes();
    SetInstrumentFactory(nullptr);
    g_calls.clear();
    m_radial.reset();
    m_instr.reset();
    m_nav.reset();
}

void TestFlugzeug::createBuildsSymbolLayerAndHeadingIndicator() {
    const int layersBefore = int(m_nav->Layers().size());
    auto plane = NewPlane({120.5f, 80.0f}, 4);

    BitmapLayer* layer = plane->Layer();
    QVERIFY(layer);
    QCOMPARE(int(m_nav->Layers().size()), layersBefore + 1);
    QCOMPARE(layer->Surface(), m_nav.get());
    QCOMPARE(layer->Bitmap().Width(), 62);
    QCOMPARE(layer->Bitmap().Height(), 62);
    QCOMPARE(layer->Location(), QRectF(89.5, 49.0, 62.0, 62.0));
    QCOMPARE(layer->Tag(), 5);
    QVERIFY(layer->Visible());
    QVERIFY(layer->GetDrawMode() == BitmapLayer::DrawMode::Blend);
    QCOMPARE(layer->MasterAlpha(), 255);
    QVERIFY(layer->MouseEvents());
    QCOMPARE(layer->Cursor(), Qt::PointingHandCursor);
    // Hit anywhere in the square, not only on the drawn aeroplane.
    QCOMPARE(m_nav->LayerAt(QPointF(90.0, 50.0)), layer);

    QCOMPARE(plane->GetKurs(), 0.0f);
    QCOMPARE(plane->GetSpeed(), 1.0f);
    QVERIFY(plane->GetVisible());
    QVERIFY(!plane->GetSelected());
    QVERIFY(!plane->GetAusgangsPositionGespeichert());

    // Exactly one instrument: a heading indicator in slot 0, bound to the aircraft.
    QCOMPARE(int(g_calls.size()), 1);
    QCOMPARE(g_calls[0].Type, 3);
    QCOMPARE(g_calls[0].Image, m_instr.get());
    QCOMPARE(g_calls[0].Left, 0);
    QCOMPARE(g_calls[0].Top, 0);
    QCOMPARE(g_calls[0].Width, 250);
    QCOMPARE(g_calls[0].Radial, std::static_pointer_cast<IObserver>(m_radial));
    auto kk = Fake(plane->GetInstrument(0));
    QVERIFY(kk);
    QCOMPARE(kk->Plane.get(), static_cast<IPlaneSubject*>(plane.get()));
    QCOMPARE(plane->ObserverCount(), 1);
    QVERIFY(!plane->GetInstrument(1));
    QVERIFY(!plane->GetInstrument(2));
    // It learnt the aircraft's state while being bound, before it was shown.
    QCOMPARE(kk->Log, QStringList({"update:0", "update:1", "update:2", "visible:1"}));
    QCOMPARE(kk->Position, (TSinglePoint{120.5f, 80.0f}));
    QCOMPARE(kk->Heading, 0.0f);
}

void TestFlugzeug::createWithoutFactoryLeavesSlotsEmpty() {
    SetInstrumentFactory(nullptr);
    auto plane = NewPlane();
    for (int i = 0; i < 3; ++i)
        QVERIFY(!plane->GetInstrument(i));
    const int repaints = m_instr->RepaintCount();
    plane->AddInstrument(icVOR, 1, true);
    QVERIFY(!plane->GetInstrument(1));
    QCOMPARE(m_instr->RepaintCount(), repaints + 1);
    plane->SetSelected(true);
    QCOMPARE(plane->ObserverCount(), 0);
}

void TestFlugzeug::positionChanges_data() {
    QTest::addColumn<bool>("selected");
    QTest::addColumn<TSinglePoint>("target");
    QTest::addColumn<int>("announced");
    QTest::newRow("selected, moved") << true << TSinglePoint{250.25f, 40.0f} << 1;
    QTest::newRow("selected, only Y changes") << true << TSinglePoint{100.0f, 101.0f} << 1;
    QTest::newRow("selected, same position") << true << TSinglePoint{100.0f, 100.0f} << 0;
    QTest::newRow("not selected, moved") << false << TSinglePoint{250.25f, 40.0f} << 0;
}

void TestFlugzeug::positionChanges() {
    QFETCH(bool, selected);
    QFETCH(TSinglePoint, target);
    QFETCH(int, announced);
    auto plane = NewPlane({100.0f, 100.0f});
    plane->SetSelected(selected);
    auto observer = std::make_shared<TRecordingObserver>(TNotificationTypes{ntPosition, ntHeading});
    plane->Attach(observer);
    observer->Received.clear();
    TSinglePoint seen{-1, -1};
    observer->OnUpdate = [&](ISubject* s, TNotificationType) {
        seen = dynamic_cast<IPlaneSubject*>(s)->GetPosition();
    };

    plane->SetPosition(target);
    QCOMPARE(observer->Count(ntPosition), announced);
    QCOMPARE(int(observer->Received.size()), announced);
    if (announced) QCOMPARE(seen, target);
    QCOMPARE(plane->GetPosition(), target);
    QCOMPARE(plane->Layer()->Location(), QRectF(target.X - 31.0, target.Y - 31.0, 62.0, 62.0));
}

void TestFlugzeug::headingChanges_data() {
    QTest::addColumn<float>("start");
    QTest::addColumn<QString>("operation");
    QTest::addColumn<float>("argument");
    QTest::addColumn<float>("heading");
    QTest::addColumn<int>("announced");
    QTest::addColumn<bool>("repainted");
    QTest::newRow("SetValue 370 -> 10") << 0.0f << "SetValue" << 370.0f << 10.0f << 1 << true;
    QTest::newRow("SetValue -90 -> 270") << 0.0f << "SetValue" << -90.0f << 270.0f << 1 << true;
    QTest::newRow("SetValue unchanged still announces")
        << 45.0f << "SetValue" << 45.0f << 45.0f << 1 << false;
    QTest::newRow("SetValue 360 at 0 is no change") << 0.0f << "SetValue" << 360.0f << 0.0f << 1 << false;
    QTest::newRow("SetValueInc -1 at 0 -> 359") << 0.0f << "SetValueInc" << -1.0f << 359.0f << 1 << true;
    QTest::newRow("SetValueInc 10 at 355 -> 5") << 355.0f << "SetValueInc" << 10.0f << 5.0f << 1 << true;
    QTest::newRow("SetValueInc 360 at 20 is no change")
        << 20.0f << "SetValueInc" << 360.0f << 20.0f << 1 << false;
    QTest::newRow("SetKurs 725 -> 5, silent") << 0.0f << "SetKurs" << 725.0f << 5.0f << 0 << true;
    QTest::newRow("SetKurs unchanged, silent") << 90.0f << "SetKurs" << 90.0f << 90.0f << 0 << false;
}

void TestFlugzeug::headingChanges() {
    QFETCH(float, start);
    QFETCH(QString, operation);
    QFETCH(float, argument);
    QFETCH(float, heading);
    QFETCH(int, announced);
    QFETCH(bool, repainted);
    auto plane = NewPlane();
    plane->SetKurs(start);
    auto observer = std::make_shared<TRecordingObserver>(TNotificationTypes{ntHeading});
    plane->Attach(observer);
    observer->Received.clear();
    float seen = -1.0f;
    observer->OnUpdate = [&](ISubject* s, TNotificationType) {
        seen = dynamic_cast<IPlaneSubject*>(s)->GetHeading();
    };
    const int repaints = m_nav->RepaintCount();

    if (operation == "SetValue")
        plane->SetValue(argument);
    else if (operation == "SetValueInc")
        plane->SetValueInc(int(argument));
    else
        plane->SetKurs(argument);

    QCOMPARE(plane->GetKurs(), heading);
    QCOMPARE(plane->GetHeading(), heading);
    QCOMPARE(plane->GetValue(), heading);
    QCOMPARE(observer->Count(ntHeading), announced);
    if (announced) QCOMPARE(seen, heading);
    QCOMPARE(m_nav->RepaintCount() - repaints, repainted ? 1 : 0);
}

void TestFlugzeug::symbolPointsAlongHeading_data() {
    QTest::addColumn<float>("heading");
    QTest::addColumn<bool>("selected");
    QTest::newRow("0 selected: nose up") << 0.0f << true;
    QTest::newRow("90: nose right") << 90.0f << false;
    QTest::newRow("180 selected: nose down") << 180.0f << true;
    QTest::newRow("270: nose left") << 270.0f << false;
}

void TestFlugzeug::symbolPointsAlongHeading() {
    QFETCH(float, heading);
    QFETCH(bool, selected);
    auto plane = NewPlane();
    plane->SetSelected(selected);
    plane->SetKurs(heading);
    plane->Paint();
    const Bitmap32& bitmap = plane->Layer()->Bitmap();

    const double rad = heading * std::numbers::pi / 180.0;
    const double ax = std::sin(rad), ay = -std::cos(rad); // ahead
    const double sx = -ay, sy = ax;                       // to the right
    // The position (31, 31) is the middle of the wing; the nose is 10 ahead
    // of it, the tail 30 behind.
    auto pixel = [&](double ahead, double side) {
        return bitmap.Pixel(int(std::floor(31.0 + ahead * ax + side * sx)),
                            int(std::floor(31.0 + ahead * ay + side * sy)));
    };
    const TColor32 colour = selected ? 0xFFFF0000 : 0xFF7F7F7F;
    QCOMPARE(ColorName(pixel(0, 0)), ColorName(colour));
    QCOMPARE(ColorName(pixel(7, 0)), ColorName(colour));
    QCOMPARE(ColorName(pixel(13, 0)), ColorName(0));       // beyond the nose
    QCOMPARE(ColorName(pixel(-26, 0)), ColorName(colour)); // the tail
    QCOMPARE(ColorName(pixel(0, 15)), ColorName(colour));  // wings
    QCOMPARE(ColorName(pixel(0, -15)), ColorName(colour));
    QCOMPARE(ColorName(pixel(-15, 15)), ColorName(0)); // behind the wing
}

void TestFlugzeug::invisibleAircraftLeavesEmptyLayer() {
    auto plane = NewPlane();
    plane->SetSelected(true);
    QVERIFY(CountIn(plane->Layer()->Bitmap(), IsInked) > 100);
    plane->SetVisible(false);
    QVERIFY(!plane->GetVisible());
    QCOMPARE(CountIn(plane->Layer()->Bitmap(), IsInked), 0);
    plane->SetValue(90); // turning while hidden draws nothing either
    QCOMPARE(CountIn(plane->Layer()->Bitmap(), IsInked), 0);
    plane->SetVisible(true);
    QVERIFY(CountIn(plane->Layer()->Bitmap(), IsInked) > 100);
}

void TestFlugzeug::selectionShowsAndHidesInstruments() {
    auto plane = NewPlane();
    plane->AddInstrument(icVOR, 1, true);
    plane->AddInstrument(icRMI2, 2, true);
    plane->SetSelected(true);
    for (int i = 0; i < 3; ++i)
        QVERIFY(plane->GetInstrument(i)->GetVisible());
    QCOMPARE(ColorName(plane->Layer()->Bitmap().Pixel(31, 31)), ColorName(0xFFFF0000));

    plane->SetSelected(false);
    for (int i = 0; i < 3; ++i)
        QVERIFY(!plane->GetInstrument(i)->GetVisible());
    QCOMPARE(ColorName(plane->Layer()->Bitmap().Pixel(31, 31)), ColorName(0xFF7F7F7F));

    plane->SetSelected(true);
    for (int i = 0; i < 3; ++i)
        QVERIFY(plane->GetInstrument(i)->GetVisible());
}

void TestFlugzeug::addInstrument_data() {
    QTest::addColumn<int>("slot");
    QTest::addColumn<TInstrumentCode>("before"); // type put into the slot and tuned first; -1: slot empty
    QTest::addColumn<TInstrumentCode>("type");
    QTest::addColumn<bool>("ins");
    QTest::addColumn<TInstrumentCode>("after"); // type in the slot afterwards; -1: empty
    QTest::addColumn<bool>("newInstance"); // the factory made a new one for this call
    QTest::addColumn<int>("repaints");     // of the instrument surface
    QTest::newRow("replace another type") << 1 << icVOR << icHSI << true << icHSI << true << 1;
    QTest::newRow("same type is only shown again") << 1 << icVOR << icVOR << true << icVOR << false << 1;
    QTest::newRow("fill an empty slot") << 2 << kEmptySlot << icRMI2 << true << icRMI2 << true << 1;
    QTest::newRow("replace the two-needle RMI") << 2 << icRMI2 << icRBI << true << icRBI << true << 1;
    QTest::newRow("remove") << 1 << icRMI << icRMI << false << kEmptySlot << false << 1;
    QTest::newRow("remove from an empty slot")
        << 1 << kEmptySlot << icRBI << false << kEmptySlot << false << 1;
    QTest::newRow("slot 3 is ignored") << 3 << kEmptySlot << icVOR << true << kEmptySlot << false << 0;
    QTest::newRow("negative slot is ignored")
        << -1 << kEmptySlot << icVOR << true << kEmptySlot << false << 0;
}

void TestFlugzeug::addInstrument() {
    QFETCH(int, slot);
    QFETCH(TInstrumentCode, before);
    QFETCH(TInstrumentCode, type);
    QFETCH(bool, ins);
    QFETCH(TInstrumentCode, after);
    QFETCH(bool, newInstance);
    QFETCH(int, repaints);

    auto plane = NewPlane();
    plane->SetSelected(true);
    auto vor = TVOR_S::Create(m_nav.get(), {300, 300}, "1", 0);
    auto ndb = TNDB_S::Create(m_nav.get(), {400, 200}, "2", 1);
    std::shared_ptr<TFakeInstrument> old;
    if (before >= 0) {
        plane->AddInstrument(before, slot, true);
        old = Fake(plane->GetInstrument(slot));
        old->SetStationSubject(vor);
        if (before == icRMI2) old->SetStation2Subject(ndb);
        old->SetVisible(false); // so that showing it again is seen
    }
    const int observersBefore = plane->ObserverCount();
    const int kk = SlotType(*plane, 0);
    g_calls.clear();
    const int repaintCount = m_instr->RepaintCount();

    plane->AddInstrument(type, slot, ins);

    QCOMPARE(m_instr->RepaintCount() - repaintCount, repaints);
    QCOMPARE(SlotType(*plane, 0), slot == 0 ? after : kk);
    if (slot >= 0 && slot <= 2) QCOMPARE(SlotType(*plane, slot), after);
    QCOMPARE(int(g_calls.size()), newInstance ? 1 : 0);

    auto now = Fake(plane->GetInstrument(slot));
    if (newInstance) {
        QCOMPARE(g_calls[0].Type, type);
        QCOMPARE(g_calls[0].Left, 250 * slot);
        QCOMPARE(g_calls[0].Top, 0);
        QCOMPARE(g_calls[0].Width, 250);
        QVERIFY(now && now != old);
        QCOMPARE(now->Plane.get(), static_cast<IPlaneSubject*>(plane.get()));
    }
    if (after >= 0) QVERIFY(now->Visible);

    if (old && now != old) {
        // Left the slot: off the aircraft and off both stations, and hidden.
        QVERIFY(!old->Plane);
        QVERIFY(!old->Station);
        QVERIFY(!old->Station2);
        QVERIFY(!old->Visible);
        QCOMPARE(vor->ObserverCount(), 0);
        QCOMPARE(ndb->ObserverCount(), 0);
        QCOMPARE(plane->ObserverCount(), observersBefore - 1 + (newInstance ? 1 : 0));
    } else if (old) {
        QCOMPARE(old->Plane.get(), static_cast<IPlaneSubject*>(plane.get()));
        QCOMPARE(vor->ObserverCount(), 1);
        QCOMPARE(plane->ObserverCount(), observersBefore);
    } else {
        QCOMPARE(plane->ObserverCount(), observersBefore + (newInstance ? 1 : 0));
    }
}

void TestFlugzeug::replacedHeadingIndicatorHearsNoMoreHeadings() {
    auto plane = NewPlane();
    auto kk = Fake(plane->GetInstrument(0));
    plane->AddInstrument(icHSI, 0, true);
    auto hsi = Fake(plane->GetInstrument(0));
    QVERIFY(hsi && hsi != kk);
    kk->Log.clear();
    hsi->Log.clear();
    plane->SetValue(30);
    QCOMPARE(kk->Log, QStringList());
    QCOMPARE(hsi->Log, QStringList({"update:1"}));
    QCOMPARE(hsi->Heading, 30.0f);
    QCOMPARE(plane->ObserverCount(), 1);
}

void TestFlugzeug::startPosition() {
    auto plane = NewPlane();
    plane->SetAusgangsPosition({12.5f, 7.0f});
    QCOMPARE(plane->GetAusgangsPosition(), (TSinglePoint{12.5f, 7.0f}));
    QVERIFY(plane->GetAusgangsPositionGespeichert());
    plane->SetAusgangsPositionGespeichert(false);
    QVERIFY(!plane->GetAusgangsPositionGespeichert());
    QCOMPARE(plane->GetAusgangsPosition(), (TSinglePoint{12.5f, 7.0f}));
}

void TestFlugzeug::slotIndexOutsideRangeIsHarmless_data() {
    QTest::addColumn<int>("slot");
    QTest::newRow("-1") << -1;
    QTest::newRow("3") << 3;
    QTest::newRow("1000") << 1000;
}

void TestFlugzeug::slotIndexOutsideRangeIsHarmless() {
    QFETCH(int, slot);
    auto plane = NewPlane();
    auto kk = plane->GetInstrument(0);
    plane->SetInstrument(slot, NewFake(4));
    QVERIFY(!plane->GetInstrument(slot));
    QCOMPARE(plane->GetInstrument(0), kk);
    QVERIFY(!plane->GetInstrument(1));
    QVERIFY(!plane->GetInstrument(2));
}

QTEST_MAIN(TestFlugzeug)
#include "tst_flugzeug.moc"
