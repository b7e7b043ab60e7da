#include "platform/ImageSurface.h"
#include "tests/support/mainformfixture.h"
#include "tests/support/testsupport.h"
#include "world/I_Flugzeug.h"
#include "world/I_Stations.h"

#include <QAction>
#include <QTest>

namespace {

constexpr TColor32 Green = 0xFF007F00;
constexpr TColor32 Blue = 0xFF0000FF;

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

struct TScene {
    std::unique_ptr<TTestMainForm> Form;
    std::shared_ptr<IPlaneSubject> Plane;
    std::shared_ptr<IStationSubject> Station;
    std::shared_ptr<IInstrument> Instrument;
};

// A station at (300, 150), the aircraft elsewhere, and an instrument of the
// given type in the middle slot tuned to the station.
TScene MakeScene(bool vor, int instrumentType, const TSinglePoint& aircraft) {
    TScene scene;
    scene.Form = NewMainForm();
    TTestMainForm& form = *scene.Form;
    const TSinglePoint at{300.0f, 150.0f};
    scene.Station =
        vor ? std::shared_ptr<IStationSubject>(TVOR_S::Create(form.ImgNav, at, QStringLiteral("1"), 0))
            : std::shared_ptr<IStationSubject>(TNDB_S::Create(form.ImgNav, at, QStringLiteral("1"), 0));
    form.Stationen.push_back(scene.Station);
    scene.Plane = form.Flugzeuge[0];
    scene.Plane->SetPosition(aircraft);
    scene.Plane->AddInstrument(instrumentType, 1, true);
    scene.Instrument = scene.Plane->GetInstrument(1);
    if (auto tuned = std::dynamic_pointer_cast<IInstrumentMitStation>(scene.Instrument))
        tuned->SetStationSubject(scene.Station);
    return scene;
}

} // namespace

class TestRadialLines : public QObject {
    Q_OBJECT
private slots:
    void noStationsLeavesLayerAlone();
    void radialOfVorIndicator_data();
    void radialOfVorIndicator();
    void bearingLineOfNeedleInstrument_data();
    void bearingLineOfNeedleInstrument();
    void linesFollowTheAircraft();
};

void TestRadialLines::noStationsLeavesLayerAlone() {
    TModalRecorder recorder;
    const auto form = NewMainForm();
    Bitmap32& layer = form->RadialLayer->Bitmap();
    layer.FillRect(10, 10, 12, 12, Blue);
    form->DrawRadials();
    QCOMPARE(ColorName(layer.Pixel(10, 10)), ColorName(Blue));
}

void TestRadialLines::radialOfVorIndicator_data() {
    QTest::addColumn<float>("obs");
    QTest::addColumn<QPointF>("aircraft");
    QTest::addColumn<bool>("showRadials");
    QTest::addColumn<QPoint>("solid"); // a point of the solid radial, or (-1, -1) for none
    QTest::newRow("FROM, course 360") << 0.0f << QPointF(300, 50) << true << QPoint(300, 110);
    QTest::newRow("TO, course 360: reciprocal") << 0.0f << QPointF(300, 250) << true << QPoint(300, 190);
    QTest::newRow("FROM, course 90") << 90.0f << QPointF(400, 150) << true << QPoint(340, 150);
    QTest::newRow("TO, course 350 gives 170") << 350.0f << QPointF(300, 250) << true
                                              << QPoint(qRound(300 + 40 * std::sin(170 * M_PI / 180)),
                                                        qRound(150 - 40 * std::cos(170 * M_PI / 180)));
    QTest::newRow("OFF: too close to the station") << 0.0f << QPointF(302, 152) << true << QPoint(-1, -1);
    QTest::newRow("option off") << 0.0f << QPointF(300, 50) << false << QPoint(-1, -1);
}

void TestRadialLines::radialOfVorIndicator() {
    QFETCH(float, obs);
    QFETCH(QPointF, aircraft);
    QFETCH(bool, showRadials);
    QFETCH(QPoint, solid);
    TModalRecorder recorder;
    TScene scene = MakeScene(true, 4, TSinglePoint{float(aircraft.x()), float(aircraft.y())});
    TTestMainForm& form = *scene.Form;
    QVERIFY(scene.Instrument);
    std::dynamic_pointer_cast<IValueSetting>(scene.Instrument)->SetValue(obs);
    if (!showRadials) form.mm2OptShowRadials->trigger();
    QCOMPARE(form.mm2OptShowRadials->isChecked(), showRadials);
    form.DrawRadials();
    const Bitmap32& layer = form.RadialLayer->Bitmap();
    QCOMPARE(form.ImgNav->Layers().back(), form.RadialLayer.get());
    if (solid.x() < 0) {
        QVERIFY(Empty(layer));
        return;
    }
    QVERIFY(LineNear(layer, solid.x(), solid.y(), Green));
    // The radial is solid; through the station the course goes on dashed,
    // and the TO/FROM boundary crosses the station at right angles, dashed too.
    const QPointF station(300, 150);
    const double ux = (solid.x() - 300) / 40.0, uy = (solid.y() - 150) / 40.0;
    QCOMPARE(MarksAlong(layer, station, ux, uy, 50), 50);
    const int behind = MarksAlong(layer, station, -ux, -uy, 50);
    QVERIFY2(behind > 10 && behind < 45, qPrintable(QString::number(behind)));
    for (const double side : {1.0, -1.0}) {
        const int boundary = MarksAlong(layer, station, -uy * side, ux * side, 50);
        QVERIFY2(boundary > 5 && boundary < 45, qPrintable(QString::number(boundary)));
    }
}

void TestRadialLines::bearingLineOfNeedleInstrument_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("visible");
    QTest::addColumn<bool>("showRB");
    QTest::addColumn<bool>("line");
    QTest::newRow("RBI") << 0 << true << true << true;
    QTest::newRow("MDI") << 1 << true << true << true;
    QTest::newRow("RMI") << 2 << true << true << true;
    QTest::newRow("two-needle RMI") << 6 << true << true << true;
    QTest::newRow("hidden aircraft") << 0 << false << true << false;
    QTest::newRow("option off") << 2 << true << false << false;
}

void TestRadialLines::bearingLineOfNeedleInstrument() {
    QFETCH(int, type);
    QFETCH(bool, visible);
    QFETCH(bool, showRB);
    QFETCH(bool, line);
    TModalRecorder recorder;
    TScene scene = MakeScene(false, type, TSinglePoint{500.0f, 150.0f});
    TTestMainForm& form = *scene.Form;
    scene.Plane->SetVisible(visible);
    if (!showRB) form.mm2OptShowRB->trigger();
    form.DrawRadials();
    const Bitmap32& layer = form.RadialLayer->Bitmap();
    QCOMPARE(LineNear(layer, 400, 150, Blue), line);
    QVERIFY(!LineNear(layer, 300, 100, Green));
}

void TestRadialLines::linesFollowTheAircraft() {
    TModalRecorder recorder;
    TScene scene = MakeScene(false, 0, TSinglePoint{500.0f, 150.0f});
    TTestMainForm& form = *scene.Form;
    form.DrawRadials();
    QVERIFY(LineNear(form.RadialLayer->Bitmap(), 400, 150, Blue));
    // One animation step north: the line is redrawn through notification alone.
    scene.Plane->SetKurs(0.0f);
    scene.Plane->SetSpeed(100.0f);
    form.tmrAnimationTimer();
    QVERIFY(!LineNear(form.RadialLayer->Bitmap(), 400, 150, Blue));
    QVERIFY(LineNear(form.RadialLayer->Bitmap(), 400, 100, Blue));
}

QTEST_MAIN(TestRadialLines)
#include "tst_radiallines.moc"
