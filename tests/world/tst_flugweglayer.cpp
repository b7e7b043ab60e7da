#include "platform/ImageSurface.h"
#include "tests/support/pixelprobe.h"
#include "world/FlugwegLayer.h"
#include "world/I_Flugzeug.h"
#include "world/InstrumentFactory.h"

#include <QTest>

#include <memory>

namespace {

bool Inked(const Bitmap32& bitmap, int x, int y) {
    return (bitmap.Pixel(x, y) >> 24) != 0;
}

// Flies one step along the heading, as the animation does.
void Fly(TFlugzeug& plane, int steps, float dx, float dy) {
    for (int i = 0; i < steps; ++i) {
        const TSinglePoint p = plane.GetPosition();
        plane.SetPosition({p.X + dx, p.Y + dy});
    }
}

} // namespace

class TestFlugwegLayer : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void liesBelowAircraftAndNeverTakesTheMouse();
    void addsOneSegmentPerStep();
    void recordsWhileHiddenAndShowsWhenSwitchedOn();
    void eachAircraftHasItsOwnTrack();
    void clearingAndJumping();
    void resizeKeepsTheTrack();

private:
    std::shared_ptr<TFlugzeug> NewPlane(TSinglePoint pos, int tag) {
        auto plane = TFlugzeug::Create(m_nav.get(), m_instr.get(), pos, tag, nullptr);
        return plane;
    }

    std::unique_ptr<ImageSurface> m_nav;
    std::unique_ptr<ImageSurface> m_instr;
    std::shared_ptr<TFlugwegLayer> m_track;
};

void TestFlugwegLayer::init() {
    SetInstrumentFactory(nullptr);
    m_nav = std::make_unique<ImageSurface>();
    m_nav->SetBitmapSize(800, 500);
    m_nav->Bitmap().Fill(0xFFFFFFFF);
    m_instr = std::make_unique<ImageSurface>();
    m_instr->SetBitmapSize(750, 250);
    m_track = std::make_shared<TFlugwegLayer>(m_nav.get());
}

void TestFlugwegLayer::cleanup() {
    m_track->SetPlane(nullptr);
    m_track.reset();
    m_instr.reset();
    m_nav.reset();
}

void TestFlugwegLayer::liesBelowAircraftAndNeverTakesTheMouse() {
    auto plane = NewPlane({200, 200}, 0);
    plane->SetSelected(true);
    m_track->SetPlane(plane);
    m_track->SetShown(true);
    QVERIFY(m_nav->LayerIndex(m_track->Layer()) < m_nav->LayerIndex(plane->Layer()));
    QVERIFY(!m_track->Layer()->MouseEvents());
    Fly(*plane, 100, 1, 0);
    // Over the track, away from the aircraft, the mouse finds nothing to grab.
    QCOMPARE(m_nav->LayerAt(QPointF(220, 200)), nullptr);
    QCOMPARE(m_nav->LayerAt(QPointF(300, 200)), plane->Layer());
}

void TestFlugwegLayer::addsOneSegmentPerStep() {
    auto plane = NewPlane({100, 100}, 0);
    plane->SetSelected(true);
    m_track->SetPlane(plane);
    m_track->SetShown(true);
    // A mark the layer's own drawing never makes: a full redraw would wipe it.
    Bitmap32& bitmap = m_track->Layer()->Bitmap();
    bitmap.FillRect(700, 400, 701, 401, 0xFF00FF00);
    Fly(*plane, 150, 1, 0.5f);
    Fly(*plane, 100, 0, -1);
    QCOMPARE(bitmap.Pixel(700, 400), TColor32(0xFF00FF00));
    for (int x : {101, 150, 200, 240})
        QVERIFY2(Inked(bitmap, x, int(100 + (x - 100) * 0.5f + 0.5f)), qPrintable(QString::number(x)));
    QVERIFY(Inked(bitmap, 250, 120));
    // Two straight legs keep three points.
    QCOMPARE(plane->Flugweg().Size(), std::size_t(3));
}

void TestFlugwegLayer::recordsWhileHiddenAndShowsWhenSwitchedOn() {
    auto plane = NewPlane({100, 300}, 0);
    plane->SetSelected(true);
    m_track->SetPlane(plane);
    QVERIFY(!m_track->Shown());
    QVERIFY(!m_track->Layer()->Visible());
    Fly(*plane, 200, 1, 0);
    QCOMPARE(CountIn(m_track->Layer()->Bitmap(), IsInked), 0);
    QCOMPARE(plane->Flugweg().Size(), std::size_t(2));
    m_track->SetShown(true);
    QVERIFY(Inked(m_track->Layer()->Bitmap(), 200, 300));
    QVERIFY(m_nav->Render().pixel(200, 300) != 0xFFFFFFFF);
}

void TestFlugwegLayer::eachAircraftHasItsOwnTrack() {
    auto one = NewPlane({100, 100}, 0);
    auto two = NewPlane({100, 400}, 1);
    m_track->SetShown(true);
    one->SetSelected(true);
    m_track->SetPlane(one);
    Fly(*one, 100, 1, 0);
    one->SetSelected(false);
    two->SetSelected(true);
    m_track->SetPlane(two);
    const Bitmap32& bitmap = m_track->Layer()->Bitmap();
    QVERIFY(!Inked(bitmap, 150, 100));
    Fly(*two, 100, 1, 0);
    QVERIFY(Inked(bitmap, 150, 400));
    // Moving the first one now (dragged, not active) records nothing for it.
    one->SetPosition({600, 100});
    QCOMPARE(one->Flugweg().Punkte().back().P, (TSinglePoint{200, 100}));
    two->SetSelected(false);
    one->SetSelected(true);
    m_track->SetPlane(one);
    QVERIFY(Inked(bitmap, 150, 100));
    QVERIFY(!Inked(bitmap, 150, 400));
    // Its track goes on from where it stands now, not with a line from where it stopped.
    Fly(*one, 50, 0, 1);
    QVERIFY(!Inked(bitmap, 400, 100));
    QVERIFY(Inked(bitmap, 600, 130));
}

void TestFlugwegLayer::clearingAndJumping() {
    auto plane = NewPlane({100, 100}, 0);
    plane->SetSelected(true);
    m_track->SetPlane(plane);
    m_track->SetShown(true);
    Fly(*plane, 100, 1, 0);
    m_track->Jump();
    plane->SetPosition({500, 400});
    Fly(*plane, 50, 0, -1);
    const Bitmap32& bitmap = m_track->Layer()->Bitmap();
    QVERIFY(!Inked(bitmap, 350, 250)); // no line across the jump
    QVERIFY(Inked(bitmap, 500, 370));
    QCOMPARE(plane->Flugweg().Stuecke().size(), std::size_t(2));

    m_track->ClearTrack();
    QCOMPARE(CountIn(bitmap, IsInked), 0);
    QCOMPARE(plane->Flugweg().Size(), std::size_t(1));
    Fly(*plane, 20, 1, 0);
    QVERIFY(Inked(bitmap, 510, 350));
}

void TestFlugwegLayer::resizeKeepsTheTrack() {
    auto plane = NewPlane({100, 100}, 0);
    plane->SetSelected(true);
    m_track->SetPlane(plane);
    m_track->SetShown(true);
    Fly(*plane, 100, 1, 1);
    m_nav->SetBitmapSize(400, 300);
    m_track->Resize(400, 300);
    QCOMPARE(m_track->Layer()->Bitmap().Width(), 400);
    QCOMPARE(m_track->Layer()->Location(), QRectF(0, 0, 400, 300));
    QVERIFY(Inked(m_track->Layer()->Bitmap(), 150, 150));
}

QTEST_MAIN(TestFlugwegLayer)
#include "tst_flugweglayer.moc"
