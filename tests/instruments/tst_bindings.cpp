// Binding instruments to aircraft and stations, and the aircraft's instrument
// slots, with real aircraft and stations.
#include "instruments/HSI.h"
#include "instruments/InstrumentMitStation.h"
#include "instruments/KursKreisel.h"
#include "instruments/MDI.h"
#include "instruments/RBI.h"
#include "instruments/RMI.h"
#include "instruments/RMI2.h"
#include "instruments/VOR.h"
#include "rig/InstrumentRig.h"
#include "tests/support/instrumentprobe.h"
#include "tests/support/recordingobserver.h"
#include "world/InstrumentFactory.h"
#include "world/RadialLayer.h"

#include <QtTest>

namespace {

// Whether an instrument is of class T (or derived from it).
using TIsClass = bool (*)(IInstrument*);
template <class T> bool Is(IInstrument* instrument) {
    return dynamic_cast<T*>(instrument) != nullptr;
}

// In the tables: no instrument in the slot.
constexpr auto kEmptySlot = static_cast<TInstrumentCode>(-1);

// A station-bound instrument that only counts its hook calls.
class ProbeInstrument : public TInstrumentMitStation {
public:
    static std::shared_ptr<ProbeInstrument> Create(ImageSurface* image,
                                                   const std::shared_ptr<IObserver>& radial) {
        return Initialised(std::shared_ptr<ProbeInstrument>(new ProbeInstrument()), image, 0, 0, 250, radial);
    }
    int indications = 0;
    int headings = 0;

protected:
    ProbeInstrument() = default;
    void Init(ImageSurface* anImage, int aLeft, int aTop, int aWidth,
              const std::shared_ptr<IObserver>& radial) override {
        TInstrumentMitStation::Init(anImage, aLeft, aTop, aWidth, radial);
        FNotificationTypes = {ntPosition, ntHeading, ntStationPosition};
    }
    bool UpdateIndication(bool) override {
        ++indications;
        return false;
    }
    bool UpdateHeading(bool) override {
        ++headings;
        return false;
    }
};

int RedPixels(const TStation& station) {
    const Bitmap32& bmp = station.Layer()->Bitmap();
    return CountIn(bmp.Image(), bmp.Image().rect(), IsRed);
}

} // namespace

class TstBindings : public QObject {
    Q_OBJECT

    std::unique_ptr<TInstrumentRig> rig;
    ImageSurface* nav = nullptr;
    ImageSurface* instr = nullptr;
    std::shared_ptr<TRecordingObserver> radial;
    std::shared_ptr<TFlugzeug> plane;
    std::shared_ptr<TStation> ndbA;
    std::shared_ptr<TStation> ndbB;

private slots:

    // The radial layer is a recorder here, so that what it hears shows.
    void init() {
        radial =
            std::make_shared<TRecordingObserver>(TNotificationTypes{ntPosition, ntStationPosition, ntOBS});
        rig = std::make_unique<TInstrumentRig>(TSinglePoint{100, 200}, 0.0f, radial);
        nav = &rig->nav;
        instr = &rig->panel;
        plane = rig->plane;
        ndbA = rig->AddStation(TInstrumentRig::TStationKind::NDB, {300, 100}, QStringLiteral("335"));
        ndbB = rig->AddStation(TInstrumentRig::TStationKind::NDB, {500, 400}, QStringLiteral("410"));
    }

    void cleanup() {
        plane.reset();
        ndbA.reset();
        ndbB.reset();
        rig.reset();
        radial.reset();
    }

    // --- aircraft binding -------------------------------------------------

    void bindingDeliversCurrentStateOnce() {
        plane->SetValue(90.0f);
        auto probe = ProbeInstrument::Create(instr, radial);
        const int observersBefore = plane->ObserverCount();
        probe->SetPlaneSubject(plane);
        QCOMPARE(plane->ObserverCount(), observersBefore + 1);
        QCOMPARE(probe->GetPlanePosition(), (TSinglePoint{100, 200}));
        QCOMPARE(probe->GetPlaneHeading(), 90.0f);
        QCOMPARE(probe->indications, 1);
        QCOMPARE(probe->headings, 1);
        probe->SetPlaneSubject(nullptr);
        QCOMPARE(plane->ObserverCount(), observersBefore);
    }

    void unchangedNotificationCallsNoHook_data() {
        QTest::addColumn<int>("kind");
        QTest::newRow("position") << int(ntPosition);
        QTest::newRow("heading") << int(ntHeading);
    }
    void unchangedNotificationCallsNoHook() {
        QFETCH(int, kind);
        plane->SetValue(45.0f);
        auto probe = ProbeInstrument::Create(instr, radial);
        probe->SetPlaneSubject(plane);
        probe->indications = probe->headings = 0;
        const int repaints = instr->RepaintCount();
        plane->Notify(static_cast<TNotificationType>(kind));
        QCOMPARE(probe->indications, 0);
        QCOMPARE(probe->headings, 0);
        QCOMPARE(instr->RepaintCount(), repaints);
        probe->SetPlaneSubject(nullptr);
    }

    void notificationsOfOtherAircraftAreIgnored() {
        auto other = TFlugzeug::Create(nav, instr, {400, 400}, 2, radial);
        other->SetSelected(true);
        auto probe = ProbeInstrument::Create(instr, radial);
        probe->SetPlaneSubject(plane);
        other->Attach(probe); // hears the other aircraft without being bound to it
        probe->indications = probe->headings = 0;
        other->SetValue(123.0f);
        other->SetPosition({410, 420});
        QCOMPARE(probe->GetPlaneHeading(), 0.0f);
        QCOMPARE(probe->GetPlanePosition(), (TSinglePoint{100, 200}));
        QCOMPARE(probe->indications + probe->headings, 0);
        other->Detach(probe);
        probe->SetPlaneSubject(nullptr);
        other->AddInstrument(icKursKreisel, 0, false);
    }
    void rebindingMovesTheInstrumentToTheOtherAircraft() {
        auto other = TFlugzeug::Create(nav, instr, {400, 400}, 2, radial);
        auto probe = ProbeInstrument::Create(instr, radial);
        probe->SetPlaneSubject(plane);
        const int planeObservers = plane->ObserverCount();
        const int otherObservers = other->ObserverCount();
        probe->SetPlaneSubject(other);
        QCOMPARE(plane->ObserverCount(), planeObservers - 1);
        QCOMPARE(other->ObserverCount(), otherObservers + 1);
        QCOMPARE(probe->GetPlanePosition(), (TSinglePoint{400, 400}));
        probe->SetPlaneSubject(nullptr);
        QCOMPARE(other->ObserverCount(), otherObservers);
        // Unbound: the aircraft's changes no longer arrive, the last values stay.
        other->SetValue(200.0f);
        QCOMPARE(probe->GetPlaneHeading(), 0.0f);
        other->AddInstrument(icKursKreisel, 0, false);
    }

    // --- station bindings ---------------------------------------------------

    // Each step: "tuneA", "tuneB", "untune", "detach", "attach".
    void stationBindingSequences_data() {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<int>("attachedCount"); // bindings with the radial layer attached
        QTest::addColumn<int>("observersA");    // instrument + radial layer while attached
        QTest::addColumn<int>("observersB");
        QTest::addColumn<bool>("radialOnInstrument");
        QTest::addColumn<QString>("station");

        const QString a = QStringLiteral("NDB 335"), b = QStringLiteral("NDB 410");
        QTest::newRow("tune") << QStringList{"tuneA"} << 1 << 2 << 0 << true << a;
        QTest::newRow("detach keeps the station")
            << QStringList{"tuneA", "detach"} << 0 << 0 << 0 << false << a;
        QTest::newRow("detach, attach restores")
            << QStringList{"tuneA", "detach", "attach"} << 1 << 2 << 0 << true << a;
        QTest::newRow("detach twice, then attach")
            << QStringList{"tuneA", "detach", "detach", "attach"} << 1 << 2 << 0 << true << a;
        QTest::newRow("attach twice, then untune")
            << QStringList{"tuneA", "attach", "attach", "untune"} << 0 << 0 << 0 << false << QString();
        QTest::newRow("untune while detached")
            << QStringList{"tuneA", "detach", "untune"} << 0 << 0 << 0 << false << QString();
        QTest::newRow("retune while detached")
            << QStringList{"tuneA", "detach", "tuneB"} << 1 << 0 << 2 << true << b;
        QTest::newRow("retune") << QStringList{"tuneA", "tuneB"} << 1 << 0 << 2 << true << b;
        QTest::newRow("tune the same station again")
            << QStringList{"tuneA", "tuneA"} << 1 << 2 << 0 << true << a;
        QTest::newRow("three aircraft switches away and back")
            << QStringList{"tuneA", "detach", "detach", "detach", "attach", "attach", "untune"} << 0 << 0 << 0
            << false << QString();
        QTest::newRow("nothing tuned")
            << QStringList{"untune", "detach", "attach"} << 0 << 0 << 0 << false << QString();
    }
    void stationBindingSequences() {
        QFETCH(QStringList, steps);
        QFETCH(int, attachedCount);
        QFETCH(int, observersA);
        QFETCH(int, observersB);
        QFETCH(bool, radialOnInstrument);
        QFETCH(QString, station);

        auto probe = ProbeInstrument::Create(instr, radial);
        probe->SetPlaneSubject(plane);
        for (const QString& step : steps) {
            if (step == "tuneA")
                probe->SetStationSubject(ndbA);
            else if (step == "tuneB")
                probe->SetStationSubject(ndbB);
            else if (step == "untune")
                probe->SetStationSubject(nullptr);
            else if (step == "detach")
                probe->DetachStationSubject();
            else if (step == "attach")
                probe->AttachStationSubject();
        }
        QCOMPARE(probe->GetNRadialAttached(), attachedCount);
        QCOMPARE(ndbA->ObserverCount(), observersA);
        QCOMPARE(ndbB->ObserverCount(), observersB);
        QCOMPARE(probe->ObserverCount(), radialOnInstrument ? 1 : 0);
        QCOMPARE(probe->GetStation(), station);
        // A station is drawn red exactly while something is tuned to it.
        QCOMPARE(RedPixels(*ndbA) > 0, observersA > 0);
        QCOMPARE(RedPixels(*ndbB) > 0, observersB > 0);

        // The radial layer hears the instrument's own announcements only while attached.
        radial->Clear();
        probe->Notify(ntOBS);
        QCOMPARE(radial->Count(ntOBS), radialOnInstrument ? 1 : 0);
        probe->SetStationSubject(nullptr);
        probe->SetPlaneSubject(nullptr);
    }

    void stationMovesReachTheInstrument() {
        auto probe = ProbeInstrument::Create(instr, radial);
        probe->SetPlaneSubject(plane);
        probe->SetStationSubject(ndbA);
        QCOMPARE(probe->GetStationPosition(), (TSinglePoint{300, 100}));
        probe->indications = 0;
        ndbA->SetPosition({310, 90});
        QCOMPARE(probe->GetStationPosition(), (TSinglePoint{310, 90}));
        QCOMPARE(probe->indications, 1);
        ndbA->Notify(ntStationPosition); // unchanged
        QCOMPARE(probe->indications, 1);
        // Another station's moves do not concern it.
        ndbB->Attach(probe);
        ndbB->SetPosition({520, 380});
        QCOMPARE(probe->GetStationPosition(), (TSinglePoint{310, 90}));
        ndbB->Detach(probe);
        // Detached, the station's moves no longer arrive.
        probe->DetachStationSubject();
        ndbA->SetPosition({320, 80});
        QCOMPARE(probe->GetStationPosition(), (TSinglePoint{310, 90}));
        probe->SetStationSubject(nullptr);
        probe->SetPlaneSubject(nullptr);
    }

    void twoNeedleBindingsShareTheRadialCounter() {
        plane->AddInstrument(icRMI2, 1, true);
        auto rmi2 = std::dynamic_pointer_cast<TRMI2>(plane->GetInstrument(1));
        QVERIFY(rmi2);
        rmi2->SetStationSubject(ndbA);
        rmi2->SetStation2Subject(ndbA);
        QCOMPARE(rmi2->GetNRadialAttached(), 2);
        QCOMPARE(ndbA->ObserverCount(), 4);
        QCOMPARE(rmi2->ObserverCount(), 1); // the radial layer, once
        rmi2->DetachStation2Subject();
        rmi2->DetachStation2Subject();
        QCOMPARE(rmi2->GetNRadialAttached(), 1);
        QCOMPARE(rmi2->ObserverCount(), 1);
        QCOMPARE(rmi2->GetStation2(), QStringLiteral("NDB 335"));
        rmi2->SetStationSubject(nullptr);
        QCOMPARE(rmi2->GetNRadialAttached(), 0);
        QCOMPARE(rmi2->ObserverCount(), 0);
        rmi2->AttachStation2Subject();
        rmi2->AttachStation2Subject();
        QCOMPARE(rmi2->GetNRadialAttached(), 1);
        QCOMPARE(ndbA->ObserverCount(), 2);
        rmi2->SetStation2Subject(nullptr);
        QCOMPARE(ndbA->ObserverCount(), 0);
        QCOMPARE(rmi2->GetNRadialAttached(), 0);
        QCOMPARE(RedPixels(*ndbA), 0);
    }

    // --- instrument slots of the aircraft ------------------------------------

    void newAircraftCarriesOneHeadingIndicator() {
        auto kk = std::dynamic_pointer_cast<TKursKreisel>(plane->GetInstrument(0));
        QVERIFY(kk);
        QVERIFY(kk->GetVisible());
        QCOMPARE(kk->GetPlaneSubject().get(), static_cast<IPlaneSubject*>(plane.get()));
        QVERIFY(!plane->GetInstrument(1));
        QVERIFY(!plane->GetInstrument(2));
    }

    // The factory an aircraft fills its slots through: each type code makes
    // its own class, any other code nothing.
    void factoryMakesTheClassOfEachCode_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<TIsClass>("isClass");
        QTest::newRow("0: RBI") << int(icRBI) << &Is<TRBI>;
        QTest::newRow("1: MDI") << int(icMDI) << &Is<TMDI>;
        QTest::newRow("2: RMI") << int(icRMI) << &Is<TRMI>;
        QTest::newRow("3: heading indicator") << int(icKursKreisel) << &Is<TKursKreisel>;
        QTest::newRow("4: VOR indicator") << int(icVOR) << &Is<TVOR>;
        QTest::newRow("5: HSI") << int(icHSI) << &Is<THSI>;
        QTest::newRow("6: two-needle RMI") << int(icRMI2) << &Is<TRMI2>;
        QTest::newRow("-1: nothing") << -1 << TIsClass{};
        QTest::newRow("7: nothing") << InstrumentCodeCount << TIsClass{};
    }
    void factoryMakesTheClassOfEachCode() {
        QFETCH(int, code);
        QFETCH(TIsClass, isClass);
        const auto made = CreateInstrument(code, instr, 0, 0, TFlugzeug::SlotWidth, radial);
        if (!isClass) {
            QVERIFY(!made);
            return;
        }
        QVERIFY(made);
        QVERIFY(isClass(made.get()));
        QCOMPARE(made->GetTyp(), code);
    }

    // Slot 1 starts with `before` (-1: empty), tuned to station A where it can
    // be; then AddInstrument(`type`, 1, `ins`).
    void addInstrument_data() {
        QTest::addColumn<TInstrumentCode>("before");
        QTest::addColumn<TInstrumentCode>("type");
        QTest::addColumn<bool>("ins");
        QTest::addColumn<TInstrumentCode>("after"); // type in slot 1 afterwards, -1 empty
        QTest::addColumn<bool>("sameInstance");

        QTest::newRow("into an empty slot") << kEmptySlot << icRBI << true << icRBI << false;
        QTest::newRow("same type shows it again") << icRBI << icRBI << true << icRBI << true;
        QTest::newRow("RBI replaced by RMI") << icRBI << icRMI << true << icRMI << false;
        QTest::newRow("MDI replaced by two-needle RMI") << icMDI << icRMI2 << true << icRMI2 << false;
        QTest::newRow("two-needle RMI replaced by RBI") << icRMI2 << icRBI << true << icRBI << false;
        QTest::newRow("emptied") << icRMI << icRMI << false << kEmptySlot << false;
        QTest::newRow("emptying an empty slot") << kEmptySlot << icRMI << false << kEmptySlot << false;
    }
    void addInstrument() {
        QFETCH(TInstrumentCode, before);
        QFETCH(TInstrumentCode, type);
        QFETCH(bool, ins);
        QFETCH(TInstrumentCode, after);
        QFETCH(bool, sameInstance);

        const auto baseLayers = instr->Layers().size();
        std::shared_ptr<IInstrument> old;
        if (before >= 0) {
            plane->AddInstrument(before, 1, true);
            old = plane->GetInstrument(1);
            QVERIFY(old);
            std::dynamic_pointer_cast<IInstrumentMitStation>(old)->SetStationSubject(ndbA);
            if (auto rmi2 = std::dynamic_pointer_cast<IRMI2>(old)) rmi2->SetStation2Subject(ndbB);
            old->SetVisible(false); // as if hidden by an aircraft switch
        }
        const int planeObservers = plane->ObserverCount();
        const int repaints = instr->RepaintCount();

        plane->AddInstrument(type, 1, ins);

        QVERIFY(instr->RepaintCount() > repaints);
        auto now = plane->GetInstrument(1);
        if (after < 0) {
            QVERIFY(!now);
        } else {
            QVERIFY(now);
            QCOMPARE(now->GetTyp(), after);
            QVERIFY(now->GetVisible());
            QCOMPARE(now == old, sameInstance);
            auto bound = std::dynamic_pointer_cast<TInstrumentMitPlane>(now);
            QCOMPARE(bound->GetPlaneSubject().get(), static_cast<IPlaneSubject*>(plane.get()));
        }
        if (old && old != now) {
            // Released: untuned, unbound, hidden.
            auto oldBound = std::dynamic_pointer_cast<TInstrumentMitStation>(old);
            QVERIFY(!oldBound->GetPlaneSubject());
            QVERIFY(oldBound->GetStation().isEmpty());
            QCOMPARE(oldBound->GetNRadialAttached(), 0);
            QVERIFY(!old->GetVisible());
            QCOMPARE(ndbA->ObserverCount(), 0);
            QCOMPARE(ndbB->ObserverCount(), 0);
            QCOMPARE(plane->ObserverCount(), planeObservers - 1 + (now ? 1 : 0));
            // Nothing else holds it: its layers leave the panel with our last reference.
            std::weak_ptr<IInstrument> gone = old;
            old.reset();
            oldBound.reset();
            QVERIFY(gone.expired());
        }
        const std::size_t layersPerInstrument = 2; // face and needle
        QCOMPARE(instr->Layers().size(), baseLayers + (now ? layersPerInstrument : 0));
    }

    void slotAboveTwoIsIgnored() {
        const int repaints = instr->RepaintCount();
        plane->AddInstrument(icRBI, 3, true);
        QCOMPARE(instr->RepaintCount(), repaints);
        QVERIFY(!plane->GetInstrument(3));
    }

    void replacedHeadingIndicatorNoLongerFollowsTheHeading() {
        auto kk = std::dynamic_pointer_cast<TKursKreisel>(plane->GetInstrument(0));
        plane->AddInstrument(icRMI, 0, true);
        QCOMPARE(plane->GetInstrument(0)->GetTyp(), icRMI);
        QVERIFY(!kk->GetPlaneSubject());
        plane->SetValue(77.0f);
        QCOMPARE(kk->GetScaleHeading(), 0.0f);
        QCOMPARE(std::dynamic_pointer_cast<TADF>(plane->GetInstrument(0))->GetScaleHeading(), 77.0f);
    }

    // --- what the radial layer sees ---------------------------------------

    void radialLayerDrawsTheTunedState_data() {
        QTest::addColumn<QPointF>("first");  // where the first station stands, or (-1, -1) for none
        QTest::addColumn<QPointF>("second"); // the station tuned last
        QTest::newRow("station at (0, 0)") << QPointF(-1, -1) << QPointF(0, 0);
        QTest::newRow("retune to a station at the same place") << QPointF(300, 100) << QPointF(300, 100);
        QTest::newRow("retune across the TO/FROM boundary") << QPointF(100, 400) << QPointF(100, 50);
    }
    void radialLayerDrawsTheTunedState() {
        QFETCH(QPointF, first);
        QFETCH(QPointF, second);
        // The lines are drawn from what the instrument reports at the time.
        struct TSeen {
            QString Station;
            int ToFrom;
        };
        std::vector<TSeen> seen;
        std::shared_ptr<TVOR> vor;
        const auto layer = std::make_shared<TRadialLayer>([&] {
            if (vor) seen.push_back({vor->GetStation(), vor->GetToFrom()});
        });
        auto aircraft = TFlugzeug::Create(nav, instr, {100, 200}, 2, layer);
        aircraft->SetSelected(true);
        aircraft->AddInstrument(icVOR, 1, true);
        vor = std::dynamic_pointer_cast<TVOR>(aircraft->GetInstrument(1));
        QVERIFY(vor);
        std::shared_ptr<TVOR_S> a;
        if (first.x() >= 0) {
            a = TVOR_S::Create(nav, {float(first.x()), float(first.y())}, QStringLiteral("1"), 5);
            vor->SetStationSubject(a);
        }
        const auto b = TVOR_S::Create(nav, {float(second.x()), float(second.y())}, QStringLiteral("2"), 6);
        seen.clear();
        vor->SetStationSubject(b);
        QCOMPARE(int(seen.size()), 1);
        QCOMPARE(seen.back().Station, QStringLiteral("VOR 2"));
        QCOMPARE(seen.back().ToFrom, vor->GetToFrom());
        QVERIFY(vor->GetToFrom() != tfOff);
        vor.reset();
        aircraft->AddInstrument(icVOR, 1, false);
        aircraft->AddInstrument(icKursKreisel, 0, false);
    }
};

QTEST_MAIN(TstBindings)
#include "tst_bindings.moc"
