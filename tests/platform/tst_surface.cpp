#include "platform/ImageSurface.h"
#include "platform/UpdateBracket.h"
#include "tests/support/testsupport.h"

#include <QApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

#include <map>
#include <memory>
#include <random>

namespace {

constexpr TColor32 kWhite = 0xFFFFFFFF;
constexpr TColor32 kRed = 0xFFFF0000;
constexpr TColor32 kBlue = 0xFF0000FF;

TColor32 Unpremultiplied(const QImage& image, int x, int y) {
    return qUnpremultiply(image.pixel(x, y));
}

// A surface with named layers, as the map uses it.
struct Stack {
    ImageSurface surface;
    std::map<QString, std::unique_ptr<BitmapLayer>> layers;

    Stack() { surface.SetBitmapSize(100, 100); }

    BitmapLayer* Add(const QString& name, const QRectF& location, bool mouse = true, bool visible = true) {
        auto layer = std::make_unique<BitmapLayer>(&surface);
        layer->Bitmap().SetSize(int(location.width()), int(location.height()));
        layer->SetLocation(location);
        layer->SetMouseEvents(mouse);
        layer->SetVisible(visible);
        BitmapLayer* raw = layer.get();
        layers[name] = std::move(layer);
        return raw;
    }

    QString NameOf(const BitmapLayer* layer) const {
        for (const auto& [name, l] : layers)
            if (l.get() == layer) return name;
        return layer ? QStringLiteral("?") : QStringLiteral("none");
    }

    QString Order() const {
        QStringList names;
        for (const BitmapLayer* l : surface.Layers())
            names << NameOf(l);
        return names.join(QLatin1Char(','));
    }
};

void SendMouse(QWidget* w, QEvent::Type type, QPointF pos, Qt::MouseButton button, Qt::MouseButtons buttons) {
    QMouseEvent event(type, pos, w->mapToGlobal(pos), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

} // namespace

class TestSurface : public QObject {
    Q_OBJECT
private slots:
    void hitTestPicksTopmostTakingLayer_data();
    void hitTestPicksTopmostTakingLayer();
    void pressedLayerKeepsTheMouseUntilRelease();
    void movesWithoutPressReportLayerAndCursor();
    void pressedLayerShowsItsCursorWhileHeld();
    void bringToFrontAndSendToBack();
    void nestedBracketRepaintsOnce();
    void updateBracketClosesOnEveryPath();
    void changesOutsideBracketsRepaintEach();
    void hiddenLayerDrawingCostsNoRepaint();
    void destroyingALayerRemovesIt();
    void surfaceGoingFirstLeavesLayersSafe();
    void renderComposesLayers_data();
    void renderComposesLayers();
    void widgetSizeFollowsBitmap();
    void incrementalMatchesFullComposition();
    void wholeSurfaceRepaintShowsEveryLayer_data();
    void wholeSurfaceRepaintShowsEveryLayer();
    void movingASmallLayerRepaintsOnlyItsPlaces();
};

void TestSurface::hitTestPicksTopmostTakingLayer_data() {
    QTest::addColumn<QPointF>("point");
    QTest::addColumn<QString>("expected");
    // bottom (0..60), top (40..80) overlap at 40..60; deaf (50..70) above
    // both takes no mouse events; hidden (0..20) is the topmost but not shown.
    QTest::newRow("bottom only") << QPointF(10, 30) << QStringLiteral("bottom");
    QTest::newRow("overlap goes to the top layer") << QPointF(45, 45) << QStringLiteral("top");
    QTest::newRow("deaf layer is skipped") << QPointF(55, 55) << QStringLiteral("top");
    QTest::newRow("hidden layer is skipped") << QPointF(10, 10) << QStringLiteral("bottom");
    QTest::newRow("transparent pixels still hit") << QPointF(75.5, 75.5) << QStringLiteral("top");
    QTest::newRow("right edge belongs to the neighbour") << QPointF(60, 30) << QStringLiteral("none");
    QTest::newRow("nothing there") << QPointF(90, 10) << QStringLiteral("none");
}

void TestSurface::hitTestPicksTopmostTakingLayer() {
    QFETCH(QPointF, point);
    QFETCH(QString, expected);
    Stack s;
    s.Add(QStringLiteral("bottom"), QRectF(0, 0, 60, 60));
    s.Add(QStringLiteral("top"), QRectF(40, 40, 40, 40));
    s.Add(QStringLiteral("deaf"), QRectF(50, 50, 20, 20), false);
    s.Add(QStringLiteral("hidden"), QRectF(0, 0, 20, 20), true, false);
    QCOMPARE(s.NameOf(s.surface.LayerAt(point)), expected);

    // The mouse goes to the same layer.
    QSignalSpy down(&s.surface, &ImageSurface::MouseDown);
    SendMouse(&s.surface, QEvent::MouseButtonPress, point, Qt::LeftButton, Qt::LeftButton);
    QCOMPARE(down.count(), 1);
    QCOMPARE(s.NameOf(down.at(0).at(2).value<BitmapLayer*>()), expected);
    QCOMPARE(down.at(0).at(1).toPointF(), point);
}

void TestSurface::pressedLayerKeepsTheMouseUntilRelease() {
    Stack s;
    BitmapLayer* a = s.Add(QStringLiteral("a"), QRectF(0, 0, 30, 30));
    s.Add(QStringLiteral("b"), QRectF(50, 50, 30, 30));
    s.surface.show();
    QVERIFY(QTest::qWaitForWindowExposed(&s.surface));
    QSignalSpy moves(&s.surface, &ImageSurface::MouseMove);
    QSignalSpy ups(&s.surface, &ImageSurface::MouseUp);

    QTest::mousePress(&s.surface, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
    QCOMPARE(s.surface.PressedLayer(), a);
    // Dragged across empty ground and over another layer: still a. (The
    // moves carry the held button explicitly; that is what a drag delivers.)
    SendMouse(&s.surface, QEvent::MouseMove, QPointF(40, 40), Qt::NoButton, Qt::LeftButton);
    SendMouse(&s.surface, QEvent::MouseMove, QPointF(60, 60), Qt::NoButton, Qt::LeftButton);
    QCOMPARE(moves.count(), 2);
    QCOMPARE(s.NameOf(moves.at(0).at(2).value<BitmapLayer*>()), QStringLiteral("a"));
    QCOMPARE(s.NameOf(moves.at(1).at(2).value<BitmapLayer*>()), QStringLiteral("a"));
    QCOMPARE(moves.at(1).at(1).toPointF(), QPointF(60, 60));

    QTest::mouseRelease(&s.surface, Qt::LeftButton, Qt::NoModifier, QPoint(60, 60));
    QCOMPARE(ups.count(), 1);
    QCOMPARE(s.NameOf(ups.at(0).at(2).value<BitmapLayer*>()), QStringLiteral("a"));
    QCOMPARE(s.surface.PressedLayer(), nullptr);

    // Released: moves report the layer under the mouse again.
    SendMouse(&s.surface, QEvent::MouseMove, QPointF(61, 61), Qt::NoButton, Qt::NoButton);
    QCOMPARE(s.NameOf(moves.last().at(2).value<BitmapLayer*>()), QStringLiteral("b"));

    // A press on empty ground captures nothing.
    QTest::mousePress(&s.surface, Qt::LeftButton, Qt::NoModifier, QPoint(95, 5));
    QCOMPARE(s.surface.PressedLayer(), nullptr);
    SendMouse(&s.surface, QEvent::MouseMove, QPointF(10, 10), Qt::NoButton, Qt::LeftButton);
    QCOMPARE(s.NameOf(moves.last().at(2).value<BitmapLayer*>()), QStringLiteral("a"));
    QTest::mouseRelease(&s.surface, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
}

void TestSurface::movesWithoutPressReportLayerAndCursor() {
    Stack s;
    s.Add(QStringLiteral("station"), QRectF(10, 10, 20, 20))->SetCursor(Qt::PointingHandCursor);
    s.Add(QStringLiteral("plane"), QRectF(50, 50, 20, 20))->SetCursor(Qt::SizeAllCursor);
    s.surface.show();
    QVERIFY(QTest::qWaitForWindowExposed(&s.surface));
    QSignalSpy moves(&s.surface, &ImageSurface::MouseMove);

    QTest::mouseMove(&s.surface, QPoint(15, 15));
    QTRY_COMPARE(moves.count(), 1);
    QCOMPARE(s.NameOf(moves.last().at(2).value<BitmapLayer*>()), QStringLiteral("station"));
    QCOMPARE(s.surface.cursor().shape(), Qt::PointingHandCursor);

    QTest::mouseMove(&s.surface, QPoint(55, 55));
    QTRY_COMPARE(moves.count(), 2);
    QCOMPARE(s.surface.cursor().shape(), Qt::SizeAllCursor);

    QTest::mouseMove(&s.surface, QPoint(90, 5));
    QTRY_COMPARE(moves.count(), 3);
    QCOMPARE(moves.last().at(2).value<BitmapLayer*>(), nullptr);
    QCOMPARE(s.surface.cursor().shape(), Qt::ArrowCursor);
}

void TestSurface::pressedLayerShowsItsCursorWhileHeld() {
    Stack s;
    BitmapLayer* plane = s.Add(QStringLiteral("plane"), QRectF(50, 50, 20, 20));
    plane->SetCursor(Qt::PointingHandCursor);
    s.surface.show();
    QVERIFY(QTest::qWaitForWindowExposed(&s.surface));
    // As a map editor does: the pressed layer takes the drag cursor, and
    // gets its own back on release.
    QObject::connect(&s.surface, &ImageSurface::MouseDown, &s.surface,
                     [](QMouseEvent*, const QPointF&, BitmapLayer* layer) {
                         if (layer) layer->SetCursor(Qt::DragMoveCursor);
                     });
    QObject::connect(&s.surface, &ImageSurface::MouseUp, &s.surface,
                     [](QMouseEvent*, const QPointF&, BitmapLayer* layer) {
                         if (layer) layer->SetCursor(Qt::PointingHandCursor);
                     });
    SendMouse(&s.surface, QEvent::MouseMove, QPointF(55, 55), Qt::NoButton, Qt::NoButton);
    QCOMPARE(s.surface.cursor().shape(), Qt::PointingHandCursor);
    SendMouse(&s.surface, QEvent::MouseButtonPress, QPointF(55, 55), Qt::LeftButton, Qt::LeftButton);
    QCOMPARE(s.surface.cursor().shape(), Qt::DragMoveCursor);
    // Dragged off the layer, the cursor stays the pressed layer's.
    SendMouse(&s.surface, QEvent::MouseMove, QPointF(5, 5), Qt::NoButton, Qt::LeftButton);
    QCOMPARE(s.surface.cursor().shape(), Qt::DragMoveCursor);
    SendMouse(&s.surface, QEvent::MouseButtonRelease, QPointF(5, 5), Qt::LeftButton, Qt::NoButton);
    QCOMPARE(s.surface.cursor().shape(), Qt::ArrowCursor);
    QCOMPARE(plane->Cursor(), Qt::PointingHandCursor);
    // Released over the layer: its own cursor again.
    SendMouse(&s.surface, QEvent::MouseButtonPress, QPointF(55, 55), Qt::LeftButton, Qt::LeftButton);
    SendMouse(&s.surface, QEvent::MouseButtonRelease, QPointF(55, 55), Qt::LeftButton, Qt::NoButton);
    QCOMPARE(s.surface.cursor().shape(), Qt::PointingHandCursor);
}

void TestSurface::bringToFrontAndSendToBack() {
    Stack s;
    s.Add(QStringLiteral("a"), QRectF(0, 0, 10, 10));
    s.Add(QStringLiteral("b"), QRectF(0, 0, 10, 10));
    s.Add(QStringLiteral("c"), QRectF(0, 0, 10, 10));
    QCOMPARE(s.Order(), QStringLiteral("a,b,c"));
    s.layers[QStringLiteral("a")]->BringToFront();
    QCOMPARE(s.Order(), QStringLiteral("b,c,a"));
    s.layers[QStringLiteral("c")]->SendToBack();
    QCOMPARE(s.Order(), QStringLiteral("c,b,a"));
    QCOMPARE(s.surface.LayerIndex(s.layers[QStringLiteral("a")].get()), 2);
    QCOMPARE(s.NameOf(s.surface.LayerAt(QPointF(5, 5))), QStringLiteral("a"));

    // Moving to where it already is costs no repaint.
    QSignalSpy changed(&s.surface, &ImageSurface::SurfaceChanged);
    s.layers[QStringLiteral("a")]->BringToFront();
    s.layers[QStringLiteral("c")]->SendToBack();
    QCOMPARE(changed.count(), 0);
    s.layers[QStringLiteral("a")]->SendToBack();
    QCOMPARE(s.Order(), QStringLiteral("a,c,b"));
    QCOMPARE(changed.count(), 1);
}

void TestSurface::nestedBracketRepaintsOnce() {
    Stack s;
    BitmapLayer* layer = s.Add(QStringLiteral("face"), QRectF(0, 0, 50, 50));
    QSignalSpy changed(&s.surface, &ImageSurface::SurfaceChanged);
    const int before = s.surface.RepaintCount();

    s.surface.BeginUpdate();
    layer->Bitmap().Fill(kWhite);
    s.surface.BeginUpdate();
    layer->Bitmap().DiscAA(25, 25, 10, kRed);
    s.surface.Bitmap().Fill(kBlue);
    layer->SetLocation(QRectF(5, 5, 50, 50));
    s.surface.EndUpdate();
    QCOMPARE(changed.count(), 0);
    QVERIFY(s.surface.Updating());
    layer->Bitmap().LineAA(0, 0, 10, 10, kRed);
    s.surface.EndUpdate();
    QCOMPARE(changed.count(), 1);
    QCOMPARE(s.surface.RepaintCount(), before + 1);
    QVERIFY(!s.surface.Updating());

    // A bracket in which nothing changed asks for no repaint.
    s.surface.BeginUpdate();
    s.surface.BeginUpdate();
    s.surface.EndUpdate();
    s.surface.EndUpdate();
    QCOMPARE(changed.count(), 1);

    // An EndUpdate too many must not swallow the next bracket's repaint.
    s.surface.EndUpdate();
    s.surface.BeginUpdate();
    layer->Bitmap().Clear();
    s.surface.EndUpdate();
    QCOMPARE(changed.count(), 2);
}

void TestSurface::updateBracketClosesOnEveryPath() {
    Stack s;
    BitmapLayer* layer = s.Add(QStringLiteral("face"), QRectF(0, 0, 50, 50));
    QSignalSpy changed(&s.surface, &ImageSurface::SurfaceChanged);

    // Nested brackets, the inner one left early: one repaint, at the outer end.
    const auto draw = [&](bool leaveEarly) {
        TUpdateBracket bracket(&s.surface);
        layer->Bitmap().Fill(kWhite);
        if (leaveEarly) return;
        layer->Bitmap().DiscAA(25, 25, 10, kRed);
    };
    {
        TUpdateBracket outer(&s.surface);
        draw(true);
        draw(false);
        QVERIFY(s.surface.Updating());
        QCOMPARE(changed.count(), 0);
    }
    QVERIFY(!s.surface.Updating());
    QCOMPARE(changed.count(), 1);

    // Nothing drawn, but marked: the bracket asks for the repaint itself.
    { TUpdateBracket bracket(&s.surface); }
    QCOMPARE(changed.count(), 1);
    {
        TUpdateBracket bracket(&s.surface);
        bracket.MarkChanged();
    }
    QCOMPARE(changed.count(), 2);

    // No surface, or one that goes away first: nothing to close.
    { TUpdateBracket bracket(nullptr); }
    auto gone = std::make_unique<ImageSurface>();
    TUpdateBracket late(gone.get());
    late.MarkChanged();
    gone.reset();
}

void TestSurface::changesOutsideBracketsRepaintEach() {
    Stack s;
    BitmapLayer* layer = s.Add(QStringLiteral("needle"), QRectF(0, 0, 50, 50));
    QSignalSpy changed(&s.surface, &ImageSurface::SurfaceChanged);
    layer->Bitmap().Clear();
    layer->Bitmap().PolygonAA({{1, 1}, {20, 1}, {10, 20}}, kRed);
    s.surface.Bitmap().Fill(kWhite);
    QCOMPARE(changed.count(), 3);
    QCOMPARE(s.surface.RepaintCount() >= 3, true);
    // Setting what is already set changes nothing.
    layer->SetLocation(QRectF(0, 0, 50, 50));
    layer->SetVisible(true);
    layer->SetMasterAlpha(255);
    QCOMPARE(changed.count(), 3);
}

void TestSurface::hiddenLayerDrawingCostsNoRepaint() {
    Stack s;
    BitmapLayer* face = s.Add(QStringLiteral("face"), QRectF(0, 0, 50, 50), false, false);
    QSignalSpy changed(&s.surface, &ImageSurface::SurfaceChanged);
    face->Bitmap().Fill(kRed);
    QCOMPARE(changed.count(), 0);
    face->SetVisible(true);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(ColorName(Unpremultiplied(s.surface.Render(), 10, 10)), ColorName(kRed));
}

void TestSurface::destroyingALayerRemovesIt() {
    Stack s;
    s.Add(QStringLiteral("a"), QRectF(0, 0, 30, 30));
    BitmapLayer* b = s.Add(QStringLiteral("b"), QRectF(0, 0, 30, 30));
    b->Bitmap().Fill(kRed);
    QSignalSpy changed(&s.surface, &ImageSurface::SurfaceChanged);

    // Destroyed while it holds the mouse: the capture goes with it.
    SendMouse(&s.surface, QEvent::MouseButtonPress, QPointF(5, 5), Qt::LeftButton, Qt::LeftButton);
    QCOMPARE(s.surface.PressedLayer(), b);
    s.layers.erase(QStringLiteral("b"));
    QCOMPARE(s.Order(), QStringLiteral("a"));
    QCOMPARE(s.surface.PressedLayer(), nullptr);
    QCOMPARE(s.NameOf(s.surface.LayerAt(QPointF(5, 5))), QStringLiteral("a"));
    QCOMPARE(changed.count(), 1);
    QCOMPARE(Unpremultiplied(s.surface.Render(), 5, 5), 0u);
    QSignalSpy moves(&s.surface, &ImageSurface::MouseMove);
    SendMouse(&s.surface, QEvent::MouseMove, QPointF(6, 6), Qt::NoButton, Qt::LeftButton);
    QCOMPARE(s.NameOf(moves.last().at(2).value<BitmapLayer*>()), QStringLiteral("a"));
    SendMouse(&s.surface, QEvent::MouseButtonRelease, QPointF(6, 6), Qt::LeftButton, Qt::NoButton);
}

void TestSurface::surfaceGoingFirstLeavesLayersSafe() {
    auto surface = std::make_unique<ImageSurface>();
    auto layer = std::make_unique<BitmapLayer>(surface.get());
    layer->Bitmap().SetSize(10, 10);
    surface.reset();
    QCOMPARE(layer->Surface(), nullptr);
    // Drawing, moving and restacking an orphaned layer is harmless.
    layer->Bitmap().Fill(kRed);
    layer->SetLocation(QRectF(1, 1, 10, 10));
    layer->SetVisible(false);
    layer->BringToFront();
    layer.reset();

    // A layer owned by a child widget dies while the surface tears down.
    struct Owner : QWidget {
        explicit Owner(ImageSurface* s) : QWidget(s), layer(s) {}
        BitmapLayer layer;
    };
    auto parent = std::make_unique<ImageSurface>();
    new Owner(parent.get());
    parent.reset();
}

void TestSurface::renderComposesLayers_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("alpha");
    QTest::addColumn<QRectF>("location");
    QTest::addColumn<QPoint>("probe");
    QTest::addColumn<TColor32>("expected");
    const int opaque = int(BitmapLayer::DrawMode::Opaque), blend = int(BitmapLayer::DrawMode::Blend);
    // Base white; the layer is 20x20: left half red, right half transparent.
    QTest::newRow("opaque replaces") << opaque << 255 << QRectF(10, 10, 20, 20) << QPoint(12, 12) << kRed;
    QTest::newRow("opaque replaces even with transparency")
        << opaque << 255 << QRectF(10, 10, 20, 20) << QPoint(25, 12) << TColor32(0);
    QTest::newRow("opaque ignores master alpha")
        << opaque << 64 << QRectF(10, 10, 20, 20) << QPoint(12, 12) << kRed;
    QTest::newRow("blend lets transparency through")
        << blend << 255 << QRectF(10, 10, 20, 20) << QPoint(25, 12) << kWhite;
    QTest::newRow("blend at half master alpha")
        << blend << 128 << QRectF(10, 10, 20, 20) << QPoint(12, 12) << TColor32(0xFFFF7F7F);
    QTest::newRow("blend at zero master alpha")
        << blend << 0 << QRectF(10, 10, 20, 20) << QPoint(12, 12) << kWhite;
    QTest::newRow("location rounded, left of it")
        << opaque << 255 << QRectF(10.6, 10.4, 20, 20) << QPoint(10, 12) << kWhite;
    QTest::newRow("location rounded, first column")
        << opaque << 255 << QRectF(10.6, 10.4, 20, 20) << QPoint(11, 10) << kRed;
    QTest::newRow("unscaled in a larger location")
        << opaque << 255 << QRectF(10, 10, 60, 60) << QPoint(35, 35) << kWhite;
    QTest::newRow("partly off the surface")
        << opaque << 255 << QRectF(-5, 90, 20, 20) << QPoint(0, 95) << kRed;
}

void TestSurface::renderComposesLayers() {
    QFETCH(int, mode);
    QFETCH(int, alpha);
    QFETCH(QRectF, location);
    QFETCH(QPoint, probe);
    QFETCH(TColor32, expected);
    Stack s;
    s.surface.Bitmap().Fill(kWhite);
    BitmapLayer* layer = s.Add(QStringLiteral("layer"), QRectF(0, 0, 20, 20));
    layer->Bitmap().FillRect(0, 0, 10, 20, kRed);
    layer->SetLocation(location);
    layer->SetDrawMode(BitmapLayer::DrawMode(mode));
    layer->SetMasterAlpha(alpha);
    // A hidden layer above everything never shows.
    s.Add(QStringLiteral("hidden"), QRectF(0, 0, 100, 100), false, false)->Bitmap().Fill(kBlue);

    const QImage image = s.surface.Render();
    QCOMPARE(image.size(), QSize(100, 100));
    const TColor32 got = Unpremultiplied(image, probe.x(), probe.y());
    for (int shift : {0, 8, 16, 24}) {
        const int g = int((got >> shift) & 0xFF), e = int((expected >> shift) & 0xFF);
        QVERIFY2(std::abs(g - e) <= 1,
                 qPrintable(ColorName(got) + QStringLiteral(" != ") + ColorName(expected)));
    }
}

void TestSurface::widgetSizeFollowsBitmap() {
    ImageSurface surface;
    surface.SetBitmapSize(750, 250);
    QCOMPARE(surface.size(), QSize(750, 250));
    QCOMPARE(static_cast<QWidget&>(surface).sizeHint(), QSize(750, 250));
    QCOMPARE(surface.Bitmap().Width(), 750);
    surface.SetBitmapSize(300, 200);
    QCOMPARE(surface.size(), QSize(300, 200));
    QCOMPARE(surface.Render().size(), QSize(300, 200));
    surface.SetBitmapSize(0, 0);
    QVERIFY(surface.Render().isNull());
}

namespace {

// Paints whatever the surface's window has been asked to repaint, now.
void PaintPending(QWidget& window) {
    QEvent request(QEvent::UpdateRequest);
    QCoreApplication::sendEvent(&window, &request);
}

// What the window really shows: the platform's copy of its pixels, as the
// repaints left it (grabbing the widget would repaint all of it first).
QImage OnScreen(QWidget& window) {
    return window.screen()->grabWindow(window.winId()).toImage();
}

} // namespace

void TestSurface::incrementalMatchesFullComposition() {
    // Random moves, shows and hides, restacking, drawing, covering repaints
    // that draw mostly the same again, and brackets: after every step the
    // window shows exactly what composing everything from scratch gives.
    ImageSurface surface;
    surface.SetBitmapSize(240, 160);
    surface.Bitmap().Fill(kWhite);
    surface.show();
    QVERIFY(QTest::qWaitForWindowExposed(&surface));
    std::mt19937 random(20261210);
    auto uniform = [&random](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    auto real = [&random](double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(random); };
    const TColor32 colours[] = {kRed, kBlue, 0x80FF0000, 0x4000FF00, 0xFF7F7F7F, 0x00FFFFFF};
    auto colour = [&] { return colours[uniform(0, 5)]; };

    std::vector<std::unique_ptr<BitmapLayer>> layers;
    auto addLayer = [&] {
        auto layer = std::make_unique<BitmapLayer>(&surface);
        const int w = uniform(5, 120), h = uniform(5, 90);
        layer->Bitmap().SetSize(w, h);
        layer->Bitmap().Fill(uniform(0, 1) ? 0x00000000 : colour());
        layer->SetLocation(QRectF(real(-30, 220), real(-30, 150), w, h));
        layer->SetDrawMode(uniform(0, 2) ? BitmapLayer::DrawMode::Blend : BitmapLayer::DrawMode::Opaque);
        layers.push_back(std::move(layer));
    };
    for (int i = 0; i < 8; ++i)
        addLayer();
    // A full-size overlay redrawn like the radial lines: cleared (or kept),
    // then a few lines of which only some move.
    BitmapLayer overlay(&surface);
    overlay.Bitmap().SetSize(240, 160);
    overlay.SetDrawMode(BitmapLayer::DrawMode::Blend);
    std::vector<QLineF> lines{{10, 10, 230, 150}, {0, 80, 240, 70}, {120, 0, 100, 160}};
    const std::vector<TColor32> dash{kRed, 0x00000000, kBlue};

    for (int step = 0; step < 400; ++step) {
        const int brackets = uniform(0, 2);
        for (int b = 0; b < brackets; ++b)
            surface.BeginUpdate();
        const int actions = uniform(1, 3);
        for (int a = 0; a < actions; ++a) {
            BitmapLayer& layer = *layers[static_cast<std::size_t>(uniform(0, int(layers.size()) - 1))];
            Bitmap32& bmp = layer.Bitmap();
            switch (uniform(0, 13)) {
            case 0:
                layer.SetLocation(QRectF(real(-40, 230), real(-40, 150), bmp.Width(), bmp.Height()));
                break;
            case 1:
                layer.SetVisible(!layer.Visible());
                break;
            case 2:
                if (uniform(0, 1))
                    layer.BringToFront();
                else
                    layer.SendToBack();
                break;
            case 3:
                bmp.LineAA(real(-20, 140), real(-20, 100), real(-20, 140), real(-20, 100), colour());
                break;
            case 4:
                bmp.PolygonAA({{float(real(0, 60)), float(real(0, 60))},
                               {float(real(0, 120)), float(real(0, 20))},
                               {float(real(0, 90)), float(real(0, 90))}},
                              colour());
                break;
            case 5:
                bmp.DiscAA(real(0, 100), real(0, 80), real(1, 30), colour());
                break;
            case 6:
                bmp.SetFontSize(uniform(6, 14));
                bmp.TextRotated(real(0, 100), real(0, 80), real(0, 360), QStringLiteral("N 30"), colour());
                break;
            case 7:
                bmp.Fill(colour());
                break;
            case 8:
                layer.SetMasterAlpha(uniform(0, 3) * 85);
                break;
            case 9:
                bmp.SetSize(uniform(0, 100), uniform(0, 80));
                bmp.Clear(colour());
                break;
            case 10:
                // A needle over a cached face: the same copy, something new on top.
                bmp.CopyFrom(layers[0]->Bitmap());
                bmp.LineAA(0, 0, real(0, 100), real(0, 80), kRed);
                break;
            case 11:
                surface.Bitmap().FillRect(uniform(0, 200), uniform(0, 140), uniform(0, 240), uniform(0, 160),
                                          colour());
                break;
            case 12:
                if (uniform(0, 1) && layers.size() > 2)
                    layers.erase(layers.begin() + uniform(0, int(layers.size()) - 1));
                else
                    addLayer();
                break;
            default: {
                lines[static_cast<std::size_t>(uniform(0, 2))].setP2(QPointF(real(0, 240), real(0, 160)));
                Bitmap32& o = overlay.Bitmap();
                if (uniform(0, 1)) {
                    o.Clear(0x00FFFFFF);
                    o.SetDashPattern(dash);
                    for (const QLineF& l : lines)
                        o.DashedLineAA(float(l.x1()), float(l.y1()), float(l.x2()), float(l.y2()));
                    o.LineAA(5, 150, 235, 5, 0xFF007F00);
                } else {
                    // The same through the kept lines, which redraw only where they changed.
                    std::vector<Bitmap32::TLine> set;
                    for (const QLineF& l : lines) {
                        Bitmap32::TLine line;
                        line.X1 = float(l.x1());
                        line.Y1 = float(l.y1());
                        line.X2 = float(l.x2());
                        line.Y2 = float(l.y2());
                        line.Dashed = true;
                        line.Pattern = set.empty() ? &dash : nullptr;
                        set.push_back(line);
                    }
                    Bitmap32::TLine solid;
                    solid.X1 = 5;
                    solid.Y1 = 150;
                    solid.X2 = 235;
                    solid.Y2 = 5;
                    solid.Color = 0xFF007F00;
                    set.push_back(solid);
                    o.DrawLines(0x00FFFFFF, set);
                }
                break;
            }
            }
        }
        for (int b = 0; b < brackets; ++b)
            surface.EndUpdate();
        PaintPending(surface);
        const QImage full = surface.Render();
        const QString kept = FirstDifference(surface.Composed(), full);
        QVERIFY2(kept.isEmpty(), qPrintable(QStringLiteral("step %1, kept picture: %2").arg(step).arg(kept)));
        const QString shown = FirstDifference(OnScreen(surface), full, true);
        QVERIFY2(shown.isEmpty(), qPrintable(QStringLiteral("step %1, on screen: %2").arg(step).arg(shown)));
    }
}

void TestSurface::wholeSurfaceRepaintShowsEveryLayer_data() {
    QTest::addColumn<QRectF>("location");
    QTest::addColumn<bool>("resized");
    // The surface is 200 x 120, 8-pixel tiles: the layers lie in or below
    // the first tile row, as an aircraft anywhere on the map does.
    QTest::newRow("in the first tile row") << QRectF(20, 2, 20, 20) << false;
    QTest::newRow("below the first tile row") << QRectF(120, 60, 20, 20) << false;
    QTest::newRow("across the bottom edge") << QRectF(60, 105, 20, 20) << false;
    QTest::newRow("below the first tile row, after a resize") << QRectF(120, 60, 20, 20) << true;
}

void TestSurface::wholeSurfaceRepaintShowsEveryLayer() {
    // The first paint of a shown surface, and the one after a new size,
    // compose all of it at once: every layer has to be in it, not only
    // those reaching into the top row of tiles.
    QFETCH(QRectF, location);
    QFETCH(bool, resized);
    ImageSurface surface;
    surface.SetBitmapSize(200, 120);
    surface.Bitmap().Fill(kWhite);
    BitmapLayer overlay(&surface);
    overlay.Bitmap().SetSize(200, 120);
    overlay.SetDrawMode(BitmapLayer::DrawMode::Blend);
    overlay.Bitmap().LineAA(0, 1, 200, 1, kBlue);
    BitmapLayer layer(&surface);
    layer.Bitmap().SetSize(20, 20);
    layer.Bitmap().DiscAA(10, 10, 8, kRed);
    layer.SetDrawMode(BitmapLayer::DrawMode::Blend);
    layer.SetLocation(location);
    surface.show();
    QVERIFY(QTest::qWaitForWindowExposed(&surface));
    PaintPending(surface);
    if (resized) {
        surface.SetBitmapSize(210, 130);
        surface.Bitmap().Fill(kWhite);
        PaintPending(surface);
    }
    const QImage full = surface.Render();
    const QPoint centre = location.toRect().topLeft() + QPoint(10, 10);
    QCOMPARE(Unpremultiplied(full, centre.x(), centre.y()), kRed);
    const QString kept = FirstDifference(surface.Composed(), full);
    QVERIFY2(kept.isEmpty(), qPrintable(QStringLiteral("kept picture: %1").arg(kept)));
    const QString shown = FirstDifference(OnScreen(surface), full, true);
    QVERIFY2(shown.isEmpty(), qPrintable(QStringLiteral("on screen: %1").arg(shown)));
    const QString grabbed = FirstDifference(surface.grab().toImage(), full, true);
    QVERIFY2(grabbed.isEmpty(), qPrintable(QStringLiteral("grabbed: %1").arg(grabbed)));
}

void TestSurface::movingASmallLayerRepaintsOnlyItsPlaces() {
    // The widget is asked to repaint where the layer was and where it is,
    // not the whole surface.
    class TRecorder : public QObject {
    public:
        QRegion Painted;

    protected:
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Paint) Painted += static_cast<QPaintEvent*>(event)->region();
            return false;
        }
    } recorder;
    ImageSurface surface;
    surface.SetBitmapSize(400, 300);
    surface.Bitmap().Fill(kWhite);
    BitmapLayer layer(&surface);
    layer.Bitmap().SetSize(20, 20);
    layer.Bitmap().DiscAA(10, 10, 8, kRed);
    layer.SetDrawMode(BitmapLayer::DrawMode::Blend);
    layer.SetLocation(QRectF(100, 100, 20, 20));
    surface.show();
    QVERIFY(QTest::qWaitForWindowExposed(&surface));
    PaintPending(surface);
    surface.installEventFilter(&recorder);
    layer.SetLocation(QRectF(103, 101, 20, 20));
    PaintPending(surface);
    const QRect painted = recorder.Painted.boundingRect();
    QVERIFY2(QRect(96, 96, 32, 32).contains(painted),
             qPrintable(QStringLiteral("painted %1,%2 %3x%4")
                            .arg(painted.x()).arg(painted.y()).arg(painted.width()).arg(painted.height())));
    QVERIFY(painted.contains(QRect(100, 100, 23, 21)));
}

QTEST_MAIN(TestSurface)
#include "tst_surface.moc"
