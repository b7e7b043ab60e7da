#include "instruments/HSI.h"
#include "rig/InstrumentRig.h"
#include "tests/support/pixelprobe.h"
#include "tests/support/recordingobserver.h"

#include <QtTest>

#include <cmath>

namespace {
const TSinglePoint kStation{400.0f, 300.0f};
constexpr auto kVor = TInstrumentRig::TStationKind::VOR;

// Face point `along` pixels towards the arrow head and `across` to its right.
TSinglePoint OnAxis(const THSI& hsi, float along, float across) {
    const TSinglePoint v = hsi.CourseAxis();
    const TSinglePoint w = hsi.CrossAxis();
    return {hsi.GetXm() + along * v.X + across * w.X, hsi.GetYm() + along * v.Y + across * w.Y};
}

bool Is(const QImage& img, const TSinglePoint& p, bool (*test)(TColor32)) {
    return test(PixelAt(img, p));
}
} // namespace

class TestHSI : public QObject {
    Q_OBJECT
private slots:
    void indication_data();
    void indication();
    void headingTurnsCardNotIndication();
};

void TestHSI::indication_data() {
    QTest::addColumn<float>("heading");
    QTest::addColumn<float>("course");
    QTest::addColumn<float>("radial");
    QTest::addColumn<float>("distance");
    QTest::addColumn<bool>("tuned");
    QTest::addColumn<TToFrom>("state");
    QTest::addColumn<float>("ablage");
    QTest::addColumn<int>("bar"); // bar position in marks right of the arrow, -5..5

    QTest::newRow("on the radial outbound") << 90.f << 90.f << 90.f << 100.f << true << tfFrom << 0.f << 0;
    QTest::newRow("reciprocal radial inbound") << 90.f << 90.f << 270.f << 100.f << true << tfTo << 0.f << 0;
    QTest::newRow("radial 100: FROM, bar left end")
        << 90.f << 90.f << 100.f << 100.f << true << tfFrom << -10.f << -5;
    QTest::newRow("radial 280: TO, bar right end")
        << 90.f << 90.f << 280.f << 100.f << true << tfTo << 10.f << 5;
    QTest::newRow("arrow to the right, bar 2 marks left")
        << 0.f << 90.f << 94.f << 150.f << true << tfFrom << -4.f << -2;
    QTest::newRow("arrow down, bar 3 marks left")
        << 180.f << 0.f << 6.f << 150.f << true << tfFrom << -6.f << -3;
    QTest::newRow("oblique arrow, TO, bar 1 mark right")
        << 45.f << 90.f << 272.f << 150.f << true << tfTo << 2.f << 1;
    QTest::newRow("deviation 25 pins the bar")
        << 90.f << 90.f << 65.f << 100.f << true << tfFrom << 25.f << 5;
    QTest::newRow("9.9 px from the station: NAV")
        << 90.f << 90.f << 100.f << 9.9f << true << tfOff << 0.f << 0;
    QTest::newRow("10 px from the station") << 90.f << 90.f << 100.f << 10.f << true << tfFrom << -10.f << -5;
    QTest::newRow("untuned: NAV") << 30.f << 90.f << 100.f << 100.f << false << tfOff << 0.f << 0;
}

void TestHSI::indication() {
    QFETCH(float, heading);
    QFETCH(float, course);
    QFETCH(float, radial);
    QFETCH(float, distance);
    QFETCH(bool, tuned);
    QFETCH(TToFrom, state);
    QFETCH(float, ablage);
    QFETCH(int, bar);

    TInstrumentRig rig(PointOnRadial(kStation, radial, distance));
    rig.plane->SetValue(heading);
    auto hsi = rig.AloneWithStation<THSI>(kVor, kStation, tuned);
    hsi->SetValue(course);

    QCOMPARE(hsi->GetToFrom(), state);
    QVERIFY2(std::fabs(hsi->GetAblage() - ablage) < 0.01f, qPrintable(QString::number(hsi->GetAblage())));
    QCOMPARE(hsi->GetScaleHeading(), heading);

    const QImage img = rig.Shot();
    const float l = hsi->GetAblageZeigerLaenge();
    const float delta = hsi->GetDelta();

    // The bar stands `bar` marks right of the arrow, parallel to it.
    QVERIFY(Is(img, OnAxis(*hsi, l / 2.0f, bar * delta), IsGreen));
    QVERIFY(Is(img, OnAxis(*hsi, -l / 2.0f, bar * delta), IsGreen));
    if (bar != 0) QVERIFY(!Is(img, OnAxis(*hsi, l / 2.0f, -bar * delta), IsGreen));

    // The arrow points at the course on the turned card: its wide head on
    // the course side, its narrow tail on the other.
    const float head = hsi->GetZLaenge() - 15.0f;
    QVERIFY(Is(img, OnAxis(*hsi, head, 3.0f), IsGreen));
    QVERIFY(!Is(img, OnAxis(*hsi, -head, 3.0f), IsGreen));

    // TO triangle towards the head, FROM triangle towards the tail, red NAV flag otherwise.
    QCOMPARE(Is(img, OnAxis(*hsi, l - 12.0f, -7.0f), IsWhite), state == 0);
    QCOMPARE(Is(img, OnAxis(*hsi, -(l - 12.0f), -7.0f), IsWhite), state == 1);
    const TIntRect nav = hsi->GetP_NAV();
    QCOMPARE(IsRed(PixelAt(img, nav.Left + 2, nav.Top + 2)), state == 2);
    QCOMPARE(IsRed(PixelAt(img, nav.Right - 3, nav.Bottom - 3)), state == 2);
}

void TestHSI::headingTurnsCardNotIndication() {
    TInstrumentRig rig(PointOnRadial(kStation, 96.0f, 100.0f));
    auto hsi = rig.AloneWithStation<THSI>(kVor, kStation);
    hsi->SetValue(90.0f);
    const float ablage = hsi->GetAblage();
    const int state = hsi->GetToFrom();
    auto listener = std::make_shared<TRecordingObserver>(TNotificationTypes{ntOBS});
    hsi->Attach(listener);
    const int obsBefore = listener->Count(ntOBS);
    rig.WatchLayers(hsi->GetInstrumentLayer(), hsi->GetZeigerLayer());
    const int repaintsBefore = rig.alone.RepaintCount();

    rig.plane->SetValue(90.0f); // turn right by 90: everything turns left by 90

    QCOMPARE(hsi->GetScaleHeading(), 90.0f);
    QCOMPARE(hsi->GetAblage(), ablage);
    QCOMPARE(hsi->GetToFrom(), state);
    QCOMPARE(listener->Count(ntOBS) - obsBefore, 0);
    QCOMPARE(rig.alone.RepaintCount() - repaintsBefore, 1);
    QVERIFY(rig.faceDraws > 0);
    // Course 90 at heading 90: the arrow points straight up.
    const QImage img = rig.Shot();
    QVERIFY(IsGreen(PixelAt(img, int(hsi->GetXm()), int(hsi->GetYm() - hsi->GetZLaenge() + 10.0f))));
    hsi->Detach(listener);
}

QTEST_MAIN(TestHSI)
#include "tst_hsi.moc"
