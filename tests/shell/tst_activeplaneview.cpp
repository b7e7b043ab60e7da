#include "platform/ImageSurface.h"
#include "shell/FlightStatus.h"
#include "shell/OffMapIndicator.h"
#include "shell/WertEingabeForm.h"
#include "tests/support/mainformfixture.h"
#include "world/I_Flugzeug.h"
#include "world/I_Stations.h"

#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTest>
#include <QToolButton>

#include <cmath>
#include <limits>

namespace {

// The map as a student sees it, without what a test might leave elsewhere.
QSize MapSize(const TfrmMainTalvex& form) {
    return {form.ImgNav->Bitmap().Width(), form.ImgNav->Bitmap().Height()};
}

bool RedAt(const QImage& image, QPoint p) {
    const QRgb c = image.pixel(p);
    return qRed(c) > 200 && qGreen(c) < 80 && qBlue(c) < 80;
}

// The arrow is shown above every other layer, takes no mouse, and its
// centre is red on the screen.
void VerifyArrowShown(const TfrmMainTalvex& form) {
    QVERIFY(form.OffMapIndicator->Shown());
    BitmapLayer* layer = form.OffMapIndicator->Layer();
    QCOMPARE(form.ImgNav->Layers().back(), layer);
    QVERIFY(!layer->MouseEvents());
    const QPoint c = form.OffMapIndicator->Arrow().Centre;
    QCOMPARE(layer->Location(), QRectF(c.x() - 12, c.y() - 12, 24, 24));
    QVERIFY(RedAt(form.ImgNav->Render(), c));
}

// A station with a VOR indicator of the active aircraft tuned to it, so that
// the radial layer draws lines and comes to the top with every move.
std::shared_ptr<IStationSubject> TunedStation(TfrmMainTalvex& form, TSinglePoint at) {
    auto station = std::shared_ptr<IStationSubject>(TVOR_S::Create(form.ImgNav, at, QStringLiteral("1"), 0));
    form.Stationen.push_back(station);
    const auto plane = form.Flugzeuge[0];
    plane->AddInstrument(icVOR, 1, true);
    std::dynamic_pointer_cast<IInstrumentMitStation>(plane->GetInstrument(1))->SetStationSubject(station);
    form.DrawRadials();
    return station;
}

std::shared_ptr<IPlaneSubject> AddPlane(TfrmMainTalvex& form, TSinglePoint at) {
    const int index = static_cast<int>(form.Flugzeuge.size());
    form.Flugzeuge.push_back(TFlugzeug::Create(form.ImgNav, form.ImgInstr, at, index, form.IRadial));
    form.seFlugzeug->setMaximum(index + 1);
    form.seFlugzeug->setReadOnly(false);
    return form.Flugzeuge.back();
}

QLabel* FlightLabel(const TfrmMainTalvex& form) {
    return form.StatusBar1->findChild<QLabel*>(QStringLiteral("lblFlugdaten"));
}

} // namespace

class TestActivePlaneView : public QObject {
    Q_OBJECT
private slots:
    void arrowGeometry_data();
    void arrowGeometry();
    void flyingOffShowsArrow_data();
    void flyingOffShowsArrow();
    void arrowFollowsEveryMove();
    void arrowFollowsMapSize();
    void hiddenAircraftShowsNothing();
    void arrowFollowsActiveAircraft();
    void clickOnArrowDoesNothing();
    void unchangedArrowCostsNothing();
    void statusText_data();
    void statusText();
    void statusFollowsActiveAircraft();
};

void TestActivePlaneView::arrowGeometry_data() {
    QTest::addColumn<float>("x");
    QTest::addColumn<float>("y");
    QTest::addColumn<QSize>("map");
    QTest::addColumn<bool>("shown");
    QTest::addColumn<QPoint>("centre");
    QTest::addColumn<int>("direction");
    const QSize map(800, 600);
    constexpr float inf = std::numeric_limits<float>::infinity();
    constexpr float nan = std::numeric_limits<float>::quiet_NaN();
    QTest::newRow("inside") << 100.0f << 100.0f << map << false << QPoint() << 0;
    QTest::newRow("top left pixel") << 0.0f << 0.0f << map << false << QPoint() << 0;
    QTest::newRow("bottom right pixel") << 799.9f << 599.9f << map << false << QPoint() << 0;
    QTest::newRow("just right of the map") << 800.0f << 300.0f << map << true << QPoint(788, 300) << 90;
    QTest::newRow("left") << -50.0f << 300.0f << map << true << QPoint(12, 300) << 270;
    QTest::newRow("above") << 400.0f << -0.5f << map << true << QPoint(400, 12) << 0;
    QTest::newRow("below") << 400.0f << 700.0f << map << true << QPoint(400, 588) << 180;
    QTest::newRow("beyond the top left corner") << -100.0f << -100.0f << map << true << QPoint(12, 12) << 315;
    QTest::newRow("beyond the bottom right corner")
        << 900.0f << 700.0f << map << true << QPoint(788, 588) << 135;
    QTest::newRow("left, near the top edge") << -50.0f << 5.0f << map << true << QPoint(12, 12) << 276;
    QTest::newRow("far away") << 1e30f << 300.0f << map << true << QPoint(788, 300) << 90;
    QTest::newRow("infinitely far") << inf << -inf << map << true << QPoint(788, 12) << 45;
    QTest::newRow("not a number") << nan << 300.0f << map << false << QPoint() << 0;
    QTest::newRow("map smaller than the arrow")
        << -5.0f << 5.0f << QSize(10, 10) << true << QPoint(5, 5) << 270;
}

void TestActivePlaneView::arrowGeometry() {
    QFETCH(float, x);
    QFETCH(float, y);
    QFETCH(QSize, map);
    QFETCH(bool, shown);
    QFETCH(QPoint, centre);
    QFETCH(int, direction);
    const TOffMapArrow arrow = OffMapArrowFor(TSinglePoint{x, y}, map.width(), map.height());
    QCOMPARE(arrow.Shown, shown);
    if (!shown) return;
    QCOMPARE(arrow.Centre, centre);
    QCOMPARE(arrow.Direction, direction);
}

// An aircraft flown off the top of the map: the arrow shows once its position
// leaves the map, on top of the radial lines where there are any, and goes
// when Reset brings the aircraft back.
void TestActivePlaneView::flyingOffShowsArrow_data() {
    QTest::addColumn<bool>("withStation");
    QTest::newRow("no stations") << false;
    QTest::newRow("radial lines drawn") << true;
}

void TestActivePlaneView::flyingOffShowsArrow() {
    QFETCH(bool, withStation);
    TModalRecorder recorder;
    const auto form = NewMainForm(true);
    const auto plane = form->Flugzeuge[0];
    plane->SetPosition(TSinglePoint{300.0f, 25.0f});
    if (withStation) TunedStation(*form, TSinglePoint{200.0f, 200.0f});
    plane->SetSpeed(10.0f);
    QTest::mouseClick(form->btnAnimStart, Qt::LeftButton);
    QVERIFY(!form->OffMapIndicator->Shown());
    form->tmrAnimationTimer(); // y 15
    form->tmrAnimationTimer(); // y 5
    QVERIFY(!form->OffMapIndicator->Shown());
    form->tmrAnimationTimer(); // y -5
    VerifyArrowShown(*form);
    QCOMPARE(form->OffMapIndicator->Arrow().Centre, QPoint(300, 12));
    QCOMPARE(form->OffMapIndicator->Arrow().Direction, 0);
    for (int i = 0; i < 5; ++i) {
        form->tmrAnimationTimer();
        VerifyArrowShown(*form);
    }
    QTest::mouseClick(form->btnAnimReset, Qt::LeftButton);
    QCOMPARE(plane->GetPosition(), (TSinglePoint{300.0f, 25.0f}));
    QVERIFY(!form->OffMapIndicator->Shown());
}

// Whatever moves the aircraft (a drag or the random position set it the
// same way), the arrow follows, turning with the direction to the aircraft.
void TestActivePlaneView::arrowFollowsEveryMove() {
    TModalRecorder recorder;
    const auto form = NewMainForm(true);
    const auto plane = form->Flugzeuge[0];
    const QSize map = MapSize(*form);
    plane->SetPosition(TSinglePoint{-40.0f, 100.0f});
    VerifyArrowShown(*form);
    QCOMPARE(form->OffMapIndicator->Arrow().Centre, QPoint(12, 100));
    QCOMPARE(form->OffMapIndicator->Arrow().Direction, 270);
    plane->SetPosition(TSinglePoint{float(map.width()) + 40.0f, float(map.height()) + 40.0f});
    VerifyArrowShown(*form);
    QCOMPARE(form->OffMapIndicator->Arrow().Centre, QPoint(map.width() - 12, map.height() - 12));
    QCOMPARE(form->OffMapIndicator->Arrow().Direction, 135);
    // The tip points at the aircraft: red ahead of the centre, none behind it.
    const QImage shown = form->ImgNav->Render();
    const QPoint c = form->OffMapIndicator->Arrow().Centre;
    QVERIFY(RedAt(shown, c + QPoint(5, 5)));
    QVERIFY(!RedAt(shown, c + QPoint(-7, -7)));
    plane->SetPosition(TSinglePoint{50.0f, 50.0f});
    QVERIFY(!form->OffMapIndicator->Shown());
}

// A smaller map leaves the aircraft outside; a larger one brings it back.
void TestActivePlaneView::arrowFollowsMapSize() {
    TModalRecorder recorder;
    const auto form = NewMainForm(true);
    const auto plane = form->Flugzeuge[0];
    const QSize map = MapSize(*form);
    plane->SetPosition(TSinglePoint{100.0f, float(map.height()) - 10.0f});
    QVERIFY(!form->OffMapIndicator->Shown());
    form->resize(form->width(), form->height() - 50);
    QTRY_COMPARE(MapSize(*form).height(), map.height() - 50);
    VerifyArrowShown(*form);
    QCOMPARE(form->OffMapIndicator->Arrow().Centre, QPoint(100, map.height() - 50 - 12));
    QCOMPARE(form->OffMapIndicator->Arrow().Direction, 180);
    form->resize(form->width(), form->height() + 50);
    QTRY_COMPARE(MapSize(*form), map);
    QVERIFY(!form->OffMapIndicator->Shown());
}

// Hidden aircraft show nothing, not even their arrow; shown again, it is back.
void TestActivePlaneView::hiddenAircraftShowsNothing() {
    TModalRecorder recorder;
    const auto form = NewMainForm(true);
    const auto plane = form->Flugzeuge[0];
    plane->SetPosition(TSinglePoint{-30.0f, 100.0f});
    QVERIFY(form->OffMapIndicator->Shown());
    // As the visibility button does it: the lines are redrawn after the change.
    plane->SetVisible(false);
    form->DrawRadials();
    QVERIFY(!form->OffMapIndicator->Shown());
    plane->SetPosition(TSinglePoint{-60.0f, 100.0f});
    QVERIFY(!form->OffMapIndicator->Shown());
    plane->SetVisible(true);
    form->DrawRadials();
    VerifyArrowShown(*form);
}

// The arrow points at the active aircraft only; the one left behind no
// longer moves it, and a new aircraft's layer does not cover it.
void TestActivePlaneView::arrowFollowsActiveAircraft() {
    TModalRecorder recorder;
    const auto form = NewMainForm(true);
    const auto first = form->Flugzeuge[0];
    first->SetPosition(TSinglePoint{-30.0f, 100.0f});
    QVERIFY(form->OffMapIndicator->Shown());
    const auto second = AddPlane(*form, TSinglePoint{100.0f, 100.0f});
    form->seFlugzeug->setValue(2);
    QCOMPARE(form->OffMapIndicator->Plane(), second);
    QVERIFY(!form->OffMapIndicator->Shown());
    first->SetPosition(TSinglePoint{-60.0f, 100.0f});
    QVERIFY(!form->OffMapIndicator->Shown());
    second->SetPosition(TSinglePoint{100.0f, -30.0f});
    VerifyArrowShown(*form);
    QCOMPARE(form->OffMapIndicator->Arrow().Centre, QPoint(100, 12));

    // An aircraft made while the arrow shows lies above it until selected.
    const auto third = AddPlane(*form, TSinglePoint{100.0f, 20.0f});
    form->seFlugzeug->setValue(2);
    form->seFlugzeug->setValue(3);
    form->seFlugzeug->setValue(2);
    VerifyArrowShown(*form);
    (void)third;
}

// The arrow never takes the mouse: a press on it reaches what lies below,
// here the empty map, and nothing moves.
void TestActivePlaneView::clickOnArrowDoesNothing() {
    TModalRecorder recorder;
    const auto form = NewMainForm(true);
    const auto plane = form->Flugzeuge[0];
    plane->SetPosition(TSinglePoint{-30.0f, 100.0f});
    VerifyArrowShown(*form);
    const QPoint c = form->OffMapIndicator->Arrow().Centre;
    QCOMPARE(form->ImgNav->LayerAt(QPointF(c)), nullptr);
    QTest::mouseClick(form->ImgNav, Qt::LeftButton, {}, c);
    QTest::mouseDClick(form->ImgNav, Qt::LeftButton, {}, c);
    QTest::mouseRelease(form->ImgNav, Qt::LeftButton, {}, c);
    QVERIFY(!form->layerMouseDown);
    QCOMPARE(plane->GetPosition(), (TSinglePoint{-30.0f, 100.0f}));
    QCOMPARE(form->FSelectedPlane, 0);
    VerifyArrowShown(*form);
}

// Looking again at an arrow that has not changed asks for no repaint, and an
// aircraft flying on the map leaves the hidden arrow alone.
void TestActivePlaneView::unchangedArrowCostsNothing() {
    TModalRecorder recorder;
    const auto form = NewMainForm(true);
    const auto plane = form->Flugzeuge[0];
    plane->SetPosition(TSinglePoint{-30.0f, 100.0f});
    const int repaints = form->ImgNav->RepaintCount();
    form->OffMapIndicator->Refresh();
    QCOMPARE(form->ImgNav->RepaintCount(), repaints);

    plane->SetPosition(TSinglePoint{100.0f, 100.0f});
    const int index = form->ImgNav->LayerIndex(form->OffMapIndicator->Layer());
    for (int i = 0; i < 3; ++i)
        form->tmrAnimationTimer();
    QVERIFY(!form->OffMapIndicator->Shown());
    QCOMPARE(form->ImgNav->LayerIndex(form->OffMapIndicator->Layer()), index);
}

void TestActivePlaneView::statusText_data() {
    QTest::addColumn<float>("heading");
    QTest::addColumn<float>("speed");
    QTest::addColumn<QString>("text");
    QTest::newRow("start") << 0.0f << 1.0f << QStringLiteral("HDG 000°  v 1,0");
    QTest::newRow("east") << 90.0f << 1.0f << QStringLiteral("HDG 090°  v 1,0");
    QTest::newRow("tenths of a degree round") << 123.5f << 2.0f << QStringLiteral("HDG 124°  v 2,0");
    QTest::newRow("nearly north") << 359.6f << 0.5f << QStringLiteral("HDG 000°  v 0,5");
    QTest::newRow("one tenth slower") << 5.0f << float(1.0 / 1.1) << QStringLiteral("HDG 005°  v 0,9");
    QTest::newRow("no thousands separator") << 270.0f << 1024.0f << QStringLiteral("HDG 270°  v 1024,0");
    QTest::newRow("next to nothing") << 45.0f << -0.01f << QStringLiteral("HDG 045°  v 0,0");
}

void TestActivePlaneView::statusText() {
    QFETCH(float, heading);
    QFETCH(float, speed);
    QFETCH(QString, text);
    QCOMPARE(FlightStatusText(heading, speed), text);
}

// The right-hand part of the status line shows the active aircraft's heading
// and speed as they change, and the hints never cover it.
void TestActivePlaneView::statusFollowsActiveAircraft() {
    TModalRecorder recorder;
    recorder.Answer = [](QDialog& dialog) {
        auto* entry = qobject_cast<TfrmWertEing*>(&dialog);
        if (!entry) return int(QDialog::Rejected);
        entry->seVorKomma->setValue(3);
        entry->seNachKomma->setValue(5);
        return int(QDialog::Accepted);
    };
    const auto form = NewMainForm(true);
    QLabel* label = FlightLabel(*form);
    QVERIFY(label);
    QVERIFY(label->isVisible());
    QCOMPARE(label->text(), QStringLiteral("HDG 000°  v 1,0"));

    QToolButton* faster = form->sbSpeed[3];
    QTest::mouseClick(faster, Qt::LeftButton);
    QCOMPARE(label->text(), QStringLiteral("HDG 000°  v 2,0"));
    QTest::mouseClick(form->sbV, Qt::LeftButton);
    QCOMPARE(label->text(), QStringLiteral("HDG 000°  v 3,5"));
    form->Flugzeuge[0]->SetValueInc(90);
    QCOMPARE(label->text(), QStringLiteral("HDG 090°  v 3,5"));

    // A long hint takes the rest of the line, beside the values.
    form->DisplayHint(QStringLiteral("+100%|verdoppelt Geschwindigkeit"));
    QCOMPARE(form->StatusBar1->currentMessage(), QStringLiteral("verdoppelt Geschwindigkeit"));
    QVERIFY(label->isVisible());
    QCOMPARE(label->text(), QStringLiteral("HDG 090°  v 3,5"));
    form->DisplayHint(QString());
    QVERIFY(label->isVisible());

    const auto second = AddPlane(*form, TSinglePoint{100.0f, 100.0f});
    second->SetValue(180.0f);
    QCOMPARE(label->text(), QStringLiteral("HDG 090°  v 3,5"));
    form->seFlugzeug->setValue(2);
    QCOMPARE(label->text(), QStringLiteral("HDG 180°  v 1,0"));
    // The aircraft left behind no longer writes there.
    form->Flugzeuge[0]->SetValue(10.0f);
    QCOMPARE(label->text(), QStringLiteral("HDG 180°  v 1,0"));
    form->seFlugzeug->setValue(1);
    QCOMPARE(label->text(), QStringLiteral("HDG 010°  v 3,5"));
}

QTEST_MAIN(TestActivePlaneView)
#include "tst_activeplaneview.moc"
