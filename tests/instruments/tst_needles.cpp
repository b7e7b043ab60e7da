// The one-needle instruments RBI, MDI and RMI: where the needle points, how
// the card turns, and what a change costs on screen.
#include "instruments/MDI.h"
#include "instruments/RBI.h"
#include "instruments/RMI.h"
#include "rig/InstrumentRig.h"
#include "tests/support/instrumentprobe.h"

#include <QtTest>

namespace {

// Where the needle head is: just in front of the head's base it is several
// pixels wide, while the tail at the same distance behind the centre is thin.
bool HeadAt(const QImage& img, const TADF& adf, float clockDeg) {
    const float r = adf.GetZLaenge() - 20.0f * adf.GetSF() + 3.0f;
    for (float k : {-2.0f, 2.0f}) {
        const TSinglePoint p = FaceAt(adf, r, clockDeg, k);
        if (!IsYellow(PixelAt(img, p))) return false;
    }
    return true;
}

} // namespace

class TstNeedles : public QObject {
    Q_OBJECT

    std::unique_ptr<TInstrumentRig> rig;
    std::shared_ptr<TFlugzeug> plane;
    std::shared_ptr<TStation> ndb;
    ImageSurface* instr = nullptr;

    // The instrument in the middle slot, tuned to the NDB.
    std::shared_ptr<TADF> Install(int type) {
        auto adf = std::dynamic_pointer_cast<TADF>(rig->InSlot(type, 1));
        if (adf) rig->Tune(ndb);
        return adf;
    }

private slots:
    void init() {
        rig = std::make_unique<TInstrumentRig>(TSinglePoint{100, 100});
        plane = rig->plane;
        instr = &rig->panel;
        plane->AddInstrument(icKursKreisel, 0, false); // its heading repaints would blur the counts
        ndb = rig->AddStation(TInstrumentRig::TStationKind::NDB, {100, 50}, QStringLiteral("335"));
    }
    void cleanup() {
        plane.reset();
        ndb.reset();
        rig.reset();
    }

    // Aircraft at (100, 100). The needle head points at the relative bearing;
    // the card stands as each type turns it.
    void needleAndCard_data() {
        QTest::addColumn<TInstrumentCode>("type");
        QTest::addColumn<float>("heading");
        QTest::addColumn<float>("stationX");
        QTest::addColumn<float>("stationY");
        QTest::addColumn<float>("rb");
        QTest::addColumn<QString>("topLabel"); // the card label at (or next to) the top index
        QTest::addColumn<float>("topAngle");   // its clock angle

        QTest::newRow("RBI hdg 0, station north") << icRBI << 0.0f << 100.0f << 50.0f << 0.0f << "0" << 0.0f;
        QTest::newRow("RBI hdg 0, station east") << icRBI << 0.0f << 150.0f << 100.0f << 90.0f << "0" << 0.0f;
        QTest::newRow("RBI hdg 0, station south")
            << icRBI << 0.0f << 100.0f << 150.0f << 180.0f << "0" << 0.0f;
        QTest::newRow("RBI hdg 90, station north")
            << icRBI << 90.0f << 100.0f << 50.0f << 270.0f << "0" << 0.0f;
        QTest::newRow("RBI hdg 90, station east")
            << icRBI << 90.0f << 150.0f << 100.0f << 0.0f << "0" << 0.0f;
        QTest::newRow("RBI hdg 90, station south")
            << icRBI << 90.0f << 100.0f << 150.0f << 90.0f << "0" << 0.0f;
        QTest::newRow("RBI on the station") << icRBI << 0.0f << 100.0f << 100.0f << 90.0f << "9" << 90.0f;
        QTest::newRow("RMI hdg 90, station north")
            << icRMI << 90.0f << 100.0f << 50.0f << 270.0f << "E" << 0.0f;
        QTest::newRow("RMI hdg 90: N where the needle points")
            << icRMI << 90.0f << 100.0f << 50.0f << 270.0f << "N" << 270.0f;
        QTest::newRow("RMI hdg 275.5, station south")
            << icRMI << 275.5f << 100.0f << 150.0f << 264.5f << "W" << -5.5f;
        QTest::newRow("MDI card stays at 0, hdg 90")
            << icMDI << 90.0f << 150.0f << 100.0f << 0.0f << "N" << 0.0f;
    }
    void needleAndCard() {
        QFETCH(TInstrumentCode, type);
        QFETCH(float, heading);
        QFETCH(float, stationX);
        QFETCH(float, stationY);
        QFETCH(float, rb);
        QFETCH(QString, topLabel);
        QFETCH(float, topAngle);

        ndb->SetPosition({stationX, stationY});
        plane->SetValue(heading);
        auto adf = Install(type);
        QVERIFY(adf);
        QCOMPARE(adf->GetRB(), rb);
        const QImage img = instr->Render();
        QVERIFY(HeadAt(img, *adf, rb));
        QVERIFY(!HeadAt(img, *adf, rb + 180.0f));
        QVERIFY(!HeadAt(img, *adf, rb + 90.0f));
        const double match = LabelMatch(img, *adf, topLabel, LabelRadius(*adf, topLabel, false), topAngle);
        QVERIFY2(match > 0.9, qPrintable(QString::number(match)));
    }

    void untunedNeedlePointsUp() {
        plane->SetValue(90.0f);
        plane->AddInstrument(icRBI, 1, true);
        auto adf = std::dynamic_pointer_cast<TADF>(plane->GetInstrument(1));
        QCOMPARE(adf->GetRB(), 0.0f);
        QVERIFY(HeadAt(instr->Render(), *adf, 0.0f));

        // Untuning brings the needle back up at once, not only at the next move.
        adf->SetStationSubject(ndb);
        QCOMPARE(adf->GetRB(), 270.0f);
        adf->SetStationSubject(nullptr);
        QCOMPARE(adf->GetRB(), 0.0f);
        const QImage img = instr->Render();
        QVERIFY(HeadAt(img, *adf, 0.0f));
        QVERIFY(!HeadAt(img, *adf, 270.0f));
    }

    // Retuning shows the bearing at once even when the station's position
    // notice brings nothing new: a station at the map origin (the stored
    // position starts there) or a second station at the same place.
    void retuningShowsTheBearingAtOnce() {
        plane->SetValue(90.0f);
        auto atOrigin = rig->AddStation(TInstrumentRig::TStationKind::NDB, {0, 0}, QStringLiteral("1"));
        auto adf = Install(0);
        adf->SetStationSubject(nullptr);
        adf->SetStationSubject(atOrigin);
        QCOMPARE(adf->GetRB(), 225.0f); // bearing 315 to the north-west, heading 90
        QVERIFY(HeadAt(instr->Render(), *adf, 225.0f));

        auto twin = rig->AddStation(TInstrumentRig::TStationKind::NDB, {0, 0}, QStringLiteral("2"));
        adf->SetStationSubject(nullptr);
        adf->SetStationSubject(twin);
        QCOMPARE(adf->GetRB(), 225.0f);
        QVERIFY(HeadAt(instr->Render(), *adf, 225.0f));
    }

    // The MDI card through the value panel's interface, wrapping through north.
    void mdiCardThroughValueSetting_data() {
        QTest::addColumn<float>("start");
        QTest::addColumn<int>("inc");
        QTest::addColumn<float>("card");
        QTest::newRow("355 + 10") << 355.0f << 10 << 5.0f;
        QTest::newRow("3 - 10") << 3.0f << -10 << 353.0f;
        QTest::newRow("0 - 1") << 0.0f << -1 << 359.0f;
        QTest::newRow("set 725") << 725.0f << 0 << 5.0f;
        QTest::newRow("set -90") << -90.0f << 0 << 270.0f;
    }
    void mdiCardThroughValueSetting() {
        QFETCH(float, start);
        QFETCH(int, inc);
        QFETCH(float, card);
        auto adf = Install(1);
        auto value = std::dynamic_pointer_cast<IValueSetting>(plane->GetInstrument(1));
        QVERIFY(value);
        value->SetValue(start);
        if (inc != 0) value->SetValueInc(inc);
        QCOMPARE(value->GetValue(), card);
        QCOMPARE(adf->GetScaleHeading(), card);
        // N stands at clock angle -card; the heading does not move an MDI card.
        plane->SetValue(200.0f);
        QCOMPARE(adf->GetScaleHeading(), card);
        const double match = LabelMatch(instr->Render(), *adf, "N", LabelRadius(*adf, "N", false), -card);
        QVERIFY2(match > 0.9, qPrintable(QString::number(match)));
    }

    void cardSettingByType() {
        auto rbi = Install(0);
        rbi->SetScaleHeading(30.0f);
        QCOMPARE(rbi->GetScaleHeading(), 0.0f); // fixed card

        auto rmi = Install(2);
        plane->SetValue(10.0f);
        rmi->SetScaleHeading(30.0f);
        QCOMPARE(rmi->GetScaleHeading(), 30.0f);
        plane->SetValue(20.0f); // the next heading change takes the card back
        QCOMPARE(rmi->GetScaleHeading(), 20.0f);
    }

    // A bearing change recomposes only the needle layer: one screen update,
    // and the cached face is not painted again. The face is marked with a
    // sentinel pixel that only a face repaint removes.
    void redrawEconomy_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("repaints");
        QTest::addColumn<bool>("faceRepainted");
        QTest::newRow("same position announced again") << "notify" << 0 << false;
        QTest::newRow("move along the bearing") << "moveSameBearing" << 0 << false;
        QTest::newRow("move, bearing changes") << "move" << 1 << false;
        QTest::newRow("station moves") << "station" << 1 << false;
        QTest::newRow("same heading announced again") << "sameHeading" << 0 << false;
        QTest::newRow("heading changes") << "turn" << 1 << true;
    }
    void redrawEconomy() {
        QFETCH(QString, action);
        QFETCH(int, repaints);
        QFETCH(bool, faceRepainted);
        plane->SetValue(30.0f);
        auto adf = Install(2);
        Bitmap32& face = adf->GetInstrumentLayer()->Bitmap();
        face.FillRect(1, 1, 2, 2, 0xFFFF00FF);
        const float rbBefore = adf->GetRB();
        const int before = instr->RepaintCount();

        if (action == "notify")
            plane->Notify(ntPosition);
        else if (action == "moveSameBearing")
            plane->SetPosition({100, 120});
        else if (action == "move")
            plane->SetPosition({130, 100});
        else if (action == "station")
            ndb->SetPosition({60, 50});
        else if (action == "sameHeading")
            plane->SetValue(30.0f);
        else if (action == "turn")
            plane->SetValue(31.0f);

        QCOMPARE(instr->RepaintCount() - before, repaints);
        QCOMPARE(face.Pixel(1, 1) != 0xFFFF00FF, faceRepainted);
        if (repaints > 0) {
            QVERIFY(adf->GetRB() != rbBefore);
            QVERIFY(HeadAt(instr->Render(), *adf, adf->GetRB()));
        }
    }

    void layersFollowVisibility() {
        auto adf = Install(0);
        QVERIFY(!adf->GetInstrumentLayer()->Visible()); // off-screen picture only
        QVERIFY(adf->GetZeigerLayer()->Visible());
        QCOMPARE(adf->GetZeigerLayer()->Location(), QRectF(250, 0, 250, 250));
        QCOMPARE(adf->GetZeigerLayer()->GetDrawMode(), BitmapLayer::DrawMode::Blend);
        adf->SetVisible(false);
        QVERIFY(!adf->GetZeigerLayer()->Visible());
        QVERIFY(!adf->GetInstrumentLayer()->Visible());
        adf->SetVisible(true);
        QVERIFY(adf->GetZeigerLayer()->Visible());
        QVERIFY(HeadAt(instr->Render(), *adf, 0.0f));
    }
};

QTEST_MAIN(TstNeedles)
#include "tst_needles.moc"
