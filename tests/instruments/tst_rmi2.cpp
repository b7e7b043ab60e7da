// The two-needle RMI: two independent station bindings, a hollow second
// needle and the needle legends below the bezel.
#include "instruments/RMI2.h"
#include "rig/InstrumentRig.h"
#include "tests/support/instrumentprobe.h"
#include "tests/support/recordingobserver.h"

#include <QtTest>

namespace {

// Needle 1: filled green head, several pixels wide just in front of its base.
bool GreenHeadAt(const QImage& img, const TRMI2& rmi, float clockDeg) {
    const float r = rmi.GetZLaenge() - 20.0f * rmi.GetSF() + 3.0f;
    for (float k : {-1.5f, 1.5f}) {
        const TSinglePoint p = FaceAt(rmi, r, clockDeg, k);
        if (!IsGreen(PixelAt(img, p))) return false;
    }
    return true;
}

// Needle 2: a yellow outline; both sides of the head's base and of the shaft,
// and nothing yellow on the axis of the shaft (hollow).
bool HollowNeedleAt(const QImage& img, const TRMI2& rmi, float clockDeg) {
    const float base = rmi.GetZLaenge() - 20.0f * rmi.GetSF();
    const float halfHead = 5.0f * rmi.GetSF();
    const float halfShaft = 3.0f * rmi.GetSF();
    for (float k : {-halfHead + 1.0f, halfHead - 1.0f})
        if (!AnyNear(img, FaceAt(rmi, base, clockDeg, k), 1, IsYellowish)) return false;
    for (float k : {-halfShaft, halfShaft})
        if (!AnyNear(img, FaceAt(rmi, 30.0f, clockDeg, k), 1, IsYellowish)) return false;
    const TSinglePoint axis = FaceAt(rmi, 30.0f, clockDeg);
    return !IsYellowish(PixelAt(img, axis));
}

// The corner of the face outside the bezel: kind 1 lower right, kind 2 lower left.
QRect Corner(const TRMI2& rmi, int kind) {
    const int w = rmi.GetWidth();
    const int half = w / 2;
    return kind == 1 ? QRect(rmi.GetLeft() + half + half / 2, half + half / 2, half / 2, half / 2)
                     : QRect(rmi.GetLeft(), half + half / 2, half / 2, half / 2);
}

int OutsideBezel(const QImage& img, const TRMI2& rmi, const QRect& rect, const ColorTest& test) {
    int n = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x) {
            const float dx = x + 0.5f - rmi.GetLeft() - rmi.GetXm(), dy = y + 0.5f - rmi.GetYm();
            if (std::hypot(dx, dy) > rmi.GetR() + 1.5f && test(PixelAt(img, x, y))) ++n;
        }
    return n;
}

} // namespace

class TstRMI2 : public QObject {
    Q_OBJECT

    using Kind = TInstrumentRig::TStationKind;
    std::unique_ptr<TInstrumentRig> rig;
    std::shared_ptr<TFlugzeug> plane;
    ImageSurface* instr = nullptr;
    std::shared_ptr<TStation> north; // (100, 50)
    std::shared_ptr<TStation> east;  // (150, 100)
    std::shared_ptr<TRMI2> rmi;

private slots:
    // The two-needle RMI in the right slot, untuned; the slot 0 heading indicator taken out.
    void init() {
        rig = std::make_unique<TInstrumentRig>(TSinglePoint{100, 100});
        plane = rig->plane;
        instr = &rig->panel;
        plane->AddInstrument(icKursKreisel, 0, false);
        north = rig->AddStation(Kind::NDB, {100, 50}, QStringLiteral("335"));
        east = rig->AddStation(Kind::VOR, {150, 100}, QStringLiteral("114.5"));
        rmi = std::dynamic_pointer_cast<TRMI2>(rig->InSlot(6, 2));
        QVERIFY(rmi);
    }
    void cleanup() {
        rmi.reset();
        plane.reset();
        north.reset();
        east.reset();
        rig.reset();
    }

    void needles_data() {
        QTest::addColumn<float>("heading");
        QTest::addColumn<QString>("station1"); // "north", "east" or "" (untuned)
        QTest::addColumn<QString>("station2");
        QTest::addColumn<float>("rb1");
        QTest::addColumn<float>("rb2");
        QTest::newRow("north and east") << 0.0f << "north"
                                        << "east" << 0.0f << 90.0f;
        QTest::newRow("only needle 1 tuned") << 0.0f << "north"
                                             << "" << 0.0f << 0.0f;
        QTest::newRow("only needle 2 tuned") << 0.0f << ""
                                             << "east" << 0.0f << 90.0f;
        QTest::newRow("both on one station") << 0.0f << "east"
                                             << "east" << 90.0f << 90.0f;
        QTest::newRow("heading 90") << 90.0f << "north"
                                    << "east" << 270.0f << 0.0f;
    }
    void needles() {
        QFETCH(float, heading);
        QFETCH(QString, station1);
        QFETCH(QString, station2);
        QFETCH(float, rb1);
        QFETCH(float, rb2);
        auto pick = [&](const QString& name) -> std::shared_ptr<IStationSubject> {
            if (name == "north") return north;
            if (name == "east") return east;
            return nullptr;
        };
        plane->SetValue(heading);
        rmi->SetStationSubject(pick(station1));
        rmi->SetStation2Subject(pick(station2));
        QCOMPARE(rmi->GetRB(), rb1);
        QCOMPARE(rmi->GetRB2(), rb2);
        QCOMPARE(rmi->GetScaleHeading(), heading);
        const QImage img = instr->Render();
        QVERIFY(GreenHeadAt(img, *rmi, rb1));
        QVERIFY(!GreenHeadAt(img, *rmi, rb1 + 180.0f));
        QVERIFY(HollowNeedleAt(img, *rmi, rb2));
        if (rb1 != rb2) QVERIFY(!HollowNeedleAt(img, *rmi, rb1));
    }

    // Lower right: needle 1's symbol and station name; lower left: needle 2's.
    void legends_data() {
        QTest::addColumn<QString>("freq1"); // "" untuned
        QTest::addColumn<QString>("freq2");
        QTest::newRow("needle 1 only") << "335"
                                       << "";
        QTest::newRow("needle 2 only") << ""
                                       << "114.5";
        QTest::newRow("both") << "335"
                              << "114.5";
        QTest::newRow("long names") << "1750.5"
                                    << "117.95";
        QTest::newRow("none") << ""
                              << "";
    }
    void legends() {
        QFETCH(QString, freq1);
        QFETCH(QString, freq2);
        std::shared_ptr<TStation> s1, s2;
        if (!freq1.isEmpty()) s1 = rig->AddStation(Kind::NDB, {100, 50}, freq1);
        if (!freq2.isEmpty()) s2 = rig->AddStation(Kind::NDB, {150, 100}, freq2);
        rmi->SetStationSubject(s1);
        rmi->SetStation2Subject(s2);
        QCOMPARE(rmi->GetStation2(), s2 ? s2->GetName() : QString());
        const QImage img = instr->Render();

        QCOMPARE(OutsideBezel(img, *rmi, Corner(*rmi, 1), IsGreen) > 20, bool(s1));
        QCOMPARE(OutsideBezel(img, *rmi, Corner(*rmi, 1), IsWhite) > 20, bool(s1));
        QCOMPARE(OutsideBezel(img, *rmi, Corner(*rmi, 2), IsYellowish) > 10, bool(s2));
        QCOMPARE(OutsideBezel(img, *rmi, Corner(*rmi, 2), IsWhite) > 20, bool(s2));
        QCOMPARE(OutsideBezel(img, *rmi, Corner(*rmi, 1), IsYellowish), 0);
        QCOMPARE(OutsideBezel(img, *rmi, Corner(*rmi, 2), IsGreen), 0);

        // Nothing of a legend reaches the edge of the face: no name is cut off.
        const QRect face(rmi->GetLeft(), 0, rmi->GetWidth(), rmi->GetWidth());
        const auto notGrey = [](TColor32 c) { return c != 0xFF7F7F7F; };
        QCOMPARE(CountIn(img, QRect(face.left(), face.bottom() - 1, face.width(), 2), notGrey), 0);
        QCOMPARE(CountIn(img, QRect(face.left(), face.top(), 2, face.height()), notGrey), 0);
        QCOMPARE(CountIn(img, QRect(face.right() - 1, face.top(), 2, face.height()), notGrey), 0);

        rmi->SetStationSubject(nullptr);
        rmi->SetStation2Subject(nullptr);
        // Untuning takes the legend away at once.
        const QImage after = instr->Render();
        QCOMPARE(OutsideBezel(after, *rmi, Corner(*rmi, 1), IsGreen), 0);
        QCOMPARE(OutsideBezel(after, *rmi, Corner(*rmi, 2), IsYellowish), 0);
    }

    void legendSwitch() {
        rmi->SetStationSubject(north);
        QVERIFY(rmi->GetZeigerBelegung());
        int before = instr->RepaintCount();
        rmi->SetZeigerBelegung(true);
        QCOMPARE(instr->RepaintCount(), before);

        rmi->SetZeigerBelegung(false);
        QCOMPARE(instr->RepaintCount(), before + 1);
        QCOMPARE(OutsideBezel(instr->Render(), *rmi, Corner(*rmi, 1), IsGreen), 0);
        rmi->SetZeigerBelegung(true);
        QVERIFY(OutsideBezel(instr->Render(), *rmi, Corner(*rmi, 1), IsGreen) > 20);
    }

    // Station 2 moving: its bearing recomputed, the needle layer recomposed
    // (the face is not), and the instrument tells its own observers.
    void station2Moves() {
        auto listener = std::make_shared<TRecordingObserver>(TNotificationTypes{ntStationPosition});
        rmi->SetStationSubject(north);
        rmi->SetStation2Subject(east);
        rmi->Attach(listener);
        listener->Clear();
        Bitmap32& face = rmi->GetInstrumentLayer()->Bitmap();
        face.FillRect(1, 1, 2, 2, 0xFFFF00FF);
        const int before = instr->RepaintCount();

        east->SetPosition({100, 150}); // now south of the aircraft

        QCOMPARE(rmi->GetRB2(), 180.0f);
        QCOMPARE(rmi->GetRB(), 0.0f);
        QCOMPARE(instr->RepaintCount() - before, 1);
        QCOMPARE(face.Pixel(1, 1), 0xFFFF00FFu);
        QCOMPARE(listener->Count(ntStationPosition), 1);
        QCOMPARE(listener->LastSubject(), static_cast<ISubject*>(rmi.get()));
        QVERIFY(HollowNeedleAt(instr->Render(), *rmi, 180.0f));

        east->Notify(ntStationPosition); // unchanged: nothing
        QCOMPARE(listener->Count(ntStationPosition), 1);
        QCOMPARE(instr->RepaintCount() - before, 1);
        rmi->Detach(listener);
    }

    // The second needle shows a station at the map origin as soon as it is
    // tuned: the stored position starts there, so no position notice changes it.
    void station2AtOriginShowsAtOnce() {
        auto atOrigin = rig->AddStation(Kind::NDB, {0, 0}, QStringLiteral("1"));
        rmi->SetStation2Subject(atOrigin);
        QCOMPARE(rmi->GetRB2(), 315.0f);
        QVERIFY(HollowNeedleAt(instr->Render(), *rmi, 315.0f));
    }

    void headingTurnsTheCardAndBothNeedles() {
        rmi->SetStationSubject(north);
        rmi->SetStation2Subject(east);
        const int before = instr->RepaintCount();
        plane->SetValue(90.0f);
        QCOMPARE(instr->RepaintCount() - before, 1);
        QCOMPARE(rmi->GetScaleHeading(), 90.0f);
        QCOMPARE(rmi->GetRB(), 270.0f);
        QCOMPARE(rmi->GetRB2(), 0.0f);
        const QImage img = instr->Render();
        QVERIFY(LabelMatch(img, *rmi, "E", LabelRadius(*rmi, "E", false), 0.0f) > 0.9);
    }
};

QTEST_MAIN(TstRMI2)
#include "tst_rmi2.moc"
