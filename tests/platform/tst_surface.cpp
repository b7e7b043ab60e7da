#include "platform/ImageSurface.h"
#include "tests/support/testsupport.h"

#include <QApplication>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>

#include <map>
#include <memory>

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
    void changesOutsideBracketsRepaintEach();
    void hiddenLayerDrawingCostsNoRepaint();
    void destroyingALayerRemovesIt();
    void surfaceGoingFirstLeavesLayersSafe();
    void renderComposesLayers_data();
    void renderComposesLayers();
    void widgetSizeFollowsBitmap();
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

QTEST_MAIN(TestSurface)
#include "tst_surface.moc"
