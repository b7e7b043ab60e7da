#include "instruments/VOR.h"
#include "rig/InstrumentRig.h"
#include "tests/support/pixelprobe.h"
#include "tests/support/testsupport.h"

#include <QtTest>

#include <cmath>
#include <numbers>

namespace {
const TSinglePoint kStation{400.0f, 300.0f};
constexpr auto kVor = TInstrumentRig::TStationKind::VOR;

// Face point at radius r and dial direction beta (clockwise from the top).
TSinglePoint Dial(const TVOR& vor, float r, float betaDeg) {
    const float a = betaDeg * std::numbers::pi_v<float> / 180.0f;
    return {vor.GetXm() + r * std::sin(a), vor.GetYm() - r * std::cos(a)};
}

TSinglePoint Centroid(const std::array<TSinglePoint, 3>& p) {
    return {(p[0].X + p[1].X + p[2].X) / 3.0f, (p[0].Y + p[1].Y + p[2].Y) / 3.0f};
}

bool RimYellow(const QImage& img, const TVOR& vor, float betaDeg) {
    const TSinglePoint p = Dial(vor, vor.GetR() + 1.5f, betaDeg);
    return AnyNear(img, p, 1, IsYellowish);
}
} // namespace

class TestVOR : public QObject {
    Q_OBJECT
private slots:
    void indication_data();
    void indication();
    void directionMark_data();
    void directionMark();
    void hiddenStaysHidden();
};

void TestVOR::indication_data() {
    QTest::addColumn<float>("obs");
    QTest::addColumn<float>("radial");
    QTest::addColumn<float>("distance");
    QTest::addColumn<bool>("tuned");
    QTest::addColumn<TToFrom>("state");
    QTest::addColumn<float>("ablage");
    QTest::addColumn<int>("mark"); // needle position in marks from the centre, -5..5

    QTest::newRow("on the radial outbound") << 90.f << 90.f << 100.f << true << tfFrom << 0.f << 0;
    QTest::newRow("reciprocal radial inbound") << 90.f << 270.f << 100.f << true << tfTo << 0.f << 0;
    QTest::newRow("radial 100: FROM, left end") << 90.f << 100.f << 100.f << true << tfFrom << -10.f << -5;
    QTest::newRow("radial 280: TO, right end") << 90.f << 280.f << 100.f << true << tfTo << 10.f << 5;
    QTest::newRow("radial 94: two marks left") << 90.f << 94.f << 150.f << true << tfFrom << -4.f << -2;
    QTest::newRow("radial 266: TO, two marks left") << 90.f << 266.f << 150.f << true << tfTo << -4.f << -2;
    QTest::newRow("radial 84: FROM, three marks right")
        << 90.f << 84.f << 150.f << true << tfFrom << 6.f << 3;
    QTest::newRow("at right angles south: pinned left")
        << 90.f << 180.f << 100.f << true << tfFrom << -90.f << -5;
    QTest::newRow("at right angles north: pinned right")
        << 90.f << 360.f << 100.f << true << tfFrom << 90.f << 5;
    QTest::newRow("straight north, OBS 0") << 0.f << 360.f << 100.f << true << tfFrom << 0.f << 0;
    QTest::newRow("9.9 px from the station") << 90.f << 100.f << 9.9f << true << tfOff << 0.f << 0;
    QTest::newRow("10 px from the station") << 90.f << 100.f << 10.f << true << tfFrom << -10.f << -5;
    QTest::newRow("untuned") << 90.f << 100.f << 100.f << false << tfOff << 0.f << 0;
}

void TestVOR::indication() {
    QFETCH(float, obs);
    QFETCH(float, radial);
    QFETCH(float, distance);
    QFETCH(bool, tuned);
    QFETCH(TToFrom, state);
    QFETCH(float, ablage);
    QFETCH(int, mark);

    TInstrumentRig rig(PointOnRadial(kStation, radial, distance));
    auto vor = rig.AloneWithStation<TVOR>(kVor, kStation);
    vor->SetValue(obs);
    if (!tuned) vor->SetStationSubject(nullptr); // untuning returns to rest at once

    QCOMPARE(vor->GetToFrom(), state);
    QVERIFY2(std::fabs(vor->GetAblage() - ablage) < 0.01f, qPrintable(QString::number(vor->GetAblage())));

    const QImage img = rig.Shot();
    // The needle, read between the marks and the card ticks.
    const float expectedX = vor->GetXm() + static_cast<float>(mark) * vor->GetDelta();
    const float needleX = YellowCentreX(img, static_cast<int>(vor->GetYm() - 40.0f), 0, img.width() - 1);
    QVERIFY2(std::fabs(needleX - expectedX) < 1.0f,
             qPrintable(QStringLiteral("needle at %1, expected %2").arg(needleX).arg(expectedX)));

    // The flag: white triangle above the centre line for TO, below for FROM, none otherwise.
    const TSinglePoint to = Centroid(vor->GetP_TO());
    const TSinglePoint from = Centroid(vor->GetP_FROM());
    QCOMPARE(IsWhite(PixelAt(img, int(to.X), int(to.Y))), state == 0);
    QCOMPARE(IsWhite(PixelAt(img, int(from.X), int(from.Y))), state == 1);
}

void TestVOR::directionMark_data() {
    QTest::addColumn<float>("radial");
    QTest::addColumn<float>("distance");
    QTest::addColumn<bool>("tuned");
    // A stroke at `from` when `to` equals it, an arc from..to otherwise; no mark when from < 0.
    QTest::addColumn<float>("from");
    QTest::addColumn<float>("to");

    // OBS 90 throughout: the dial direction is the radial relative to 090.
    QTest::newRow("TO within scale: stroke") << 276.f << 100.f << true << 186.f << 186.f;
    QTest::newRow("TO, needle pinned right") << 300.f << 100.f << true << 190.f << 270.f;
    QTest::newRow("TO, needle pinned left") << 240.f << 100.f << true << 90.f << 170.f;
    QTest::newRow("FROM within scale: stroke") << 96.f << 100.f << true << 6.f << 6.f;
    QTest::newRow("FROM, needle pinned right") << 60.f << 100.f << true << 270.f << 350.f;
    QTest::newRow("FROM, needle pinned left") << 120.f << 100.f << true << 10.f << 90.f;
    QTest::newRow("over the station: left half") << 100.f << 9.9f << true << 180.f << 360.f;
    QTest::newRow("untuned: no mark") << 100.f << 100.f << false << -1.f << -1.f;
}

void TestVOR::directionMark() {
    QFETCH(float, radial);
    QFETCH(float, distance);
    QFETCH(bool, tuned);
    QFETCH(float, from);
    QFETCH(float, to);

    TInstrumentRig rig(PointOnRadial(kStation, radial, distance));
    auto vor = rig.AloneWithStation<TVOR>(kVor, kStation, tuned);
    vor->SetValue(90.0f);
    vor->SetDirToStation(true);
    const QImage img = rig.Shot();

    if (from < 0) {
        for (float b = 0; b < 360; b += 5)
            QVERIFY2(!RimYellow(img, *vor, b), qPrintable(QString::number(b)));
    } else if (from == to) {
        QVERIFY(RimYellow(img, *vor, from));
        QVERIFY(!RimYellow(img, *vor, from + 10.0f));
        QVERIFY(!RimYellow(img, *vor, from - 10.0f));
        QVERIFY(!RimYellow(img, *vor, from + 180.0f));
    } else {
        QVERIFY(RimYellow(img, *vor, from + 3.0f));
        QVERIFY(RimYellow(img, *vor, (from + to) / 2.0f));
        QVERIFY(RimYellow(img, *vor, to - 3.0f));
        QVERIFY(!RimYellow(img, *vor, from - 8.0f));
        QVERIFY(!RimYellow(img, *vor, to + 8.0f));
    }

    // Switching the option off removes the mark at once.
    vor->SetDirToStation(false);
    const QImage off = rig.Shot();
    for (float b = 0; b < 360; b += 5)
        QVERIFY2(!RimYellow(off, *vor, b), qPrintable(QString::number(b)));
}

void TestVOR::hiddenStaysHidden() {
    TInstrumentRig rig(PointOnRadial(kStation, 100.0f, 100.0f));
    auto vor = rig.AloneWithStation<TVOR>(kVor, kStation);
    vor->SetValue(90.0f);
    QVERIFY(vor->GetZeigerLayer()->Visible());
    QVERIFY(!vor->GetInstrumentLayer()->Visible()); // the dial is only the cached picture

    vor->SetVisible(false);
    rig.plane->SetPosition(PointOnRadial(kStation, 280.0f, 100.0f));
    vor->SetDirToStation(true);
    vor->SetStationSubject(nullptr);
    vor->SetStationSubject(rig.stations[0]);
    QVERIFY(!vor->GetZeigerLayer()->Visible());
    QVERIFY(!vor->GetInstrumentLayer()->Visible());

    // Shown again, it shows what happened meanwhile: TO, needle at the right end.
    vor->SetVisible(true);
    QVERIFY(vor->GetZeigerLayer()->Visible());
    QVERIFY(!vor->GetInstrumentLayer()->Visible());
    const QImage img = rig.Shot();
    const float needleX = YellowCentreX(img, static_cast<int>(vor->GetYm() - 40.0f), 0, img.width() - 1);
    QVERIFY(std::fabs(needleX - (vor->GetXm() + 5.0f * vor->GetDelta())) < 1.0f);
    const TSinglePoint to = Centroid(vor->GetP_TO());
    QVERIFY(IsWhite(PixelAt(img, int(to.X), int(to.Y))));
}

QTEST_MAIN(TestVOR)
#include "tst_vor.moc"
