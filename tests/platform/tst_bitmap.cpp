#include "platform/Bitmap32.h"
#include "tests/support/pixelprobe.h"
#include "tests/support/testsupport.h"

#include <QPointF>
#include <QTest>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <numbers>

namespace {

constexpr TColor32 kRed = 0xFFFF0000;
constexpr TColor32 kGreen = 0xFF00FF00;
constexpr TColor32 kBlue = 0xFF0000FF;
constexpr TColor32 kWhite = 0xFFFFFFFF;

using Points = std::vector<TSinglePoint>;
using DrawFn = std::function<void(Bitmap32&)>;

// Alpha-weighted centre of the ink (in pixel-centre coordinates +0.5, the
// same frame as the sub-pixel drawing coordinates of text).
QPointF InkCentre(const Bitmap32& b) {
    double sx = 0, sy = 0, sum = 0;
    for (int y = 0; y < b.Height(); ++y) {
        for (int x = 0; x < b.Width(); ++x) {
            const double a = AlphaAt(b, x, y);
            sx += a * (x + 0.5);
            sy += a * (y + 0.5);
            sum += a;
        }
    }
    return sum > 0 ? QPointF(sx / sum, sy / sum) : QPointF(-1, -1);
}

} // namespace

Q_DECLARE_METATYPE(Points)
Q_DECLARE_METATYPE(DrawFn)

class TestBitmap : public QObject {
    Q_OBJECT
private slots:
    void lineLeavesOutItsEndPixel_data();
    void lineLeavesOutItsEndPixel();
    void lineSpreadsSubPixelPosition_data();
    void lineSpreadsSubPixelPosition();
    void lineClipsAndSurvivesWildCoordinates_data();
    void lineClipsAndSurvivesWildCoordinates();
    void dashPatternCarriesOverAndRestarts();
    void dashPatternCountsStepsOffTheBitmap();
    void drawLinesMatchesDrawingEverythingAnew_data();
    void drawLinesMatchesDrawingEverythingAnew();
    void polylineDoesNotDoubleBlendJoints();
    void polygonCoverage_data();
    void polygonCoverage();
    void roundShapes_data();
    void roundShapes();
    void dotSpreadsOnePixel_data();
    void dotSpreadsOnePixel();
    void wildCoordinatesAreHarmless_data();
    void wildCoordinatesAreHarmless();
    void integerShapes();
    void pixelReadsUnpremultiplied();
    void replaceColorMatchesExactly();
    void copyAndBlend();
    void copiesKeepTheirOwnChangedHook();
    void everyDrawingOperationReportsAChange_data();
    void everyDrawingOperationReportsAChange();
    void textExtent();
    void textOutPutsTopLeftAtPoint();
    void textRotatedTurnsClockwiseAboutItsCentre_data();
    void textRotatedTurnsClockwiseAboutItsCentre();
};

void TestBitmap::lineLeavesOutItsEndPixel_data() {
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<QPoint>("to");
    QTest::newRow("right") << QPoint(2, 5) << QPoint(8, 5);
    QTest::newRow("left") << QPoint(8, 5) << QPoint(2, 5);
    QTest::newRow("down") << QPoint(4, 1) << QPoint(4, 9);
    QTest::newRow("up") << QPoint(4, 9) << QPoint(4, 1);
    QTest::newRow("diagonal down right") << QPoint(1, 1) << QPoint(7, 7);
    QTest::newRow("diagonal up left") << QPoint(8, 8) << QPoint(3, 3);
    QTest::newRow("anti-diagonal") << QPoint(9, 0) << QPoint(2, 7);
    QTest::newRow("single step") << QPoint(3, 3) << QPoint(4, 3);
}

void TestBitmap::lineLeavesOutItsEndPixel() {
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);
    Bitmap32 b(12, 12);
    b.LineAA(from.x(), from.y(), to.x(), to.y(), kRed);
    const QPoint d = to - from;
    const int steps = std::max(std::abs(d.x()), std::abs(d.y()));
    for (int k = 0; k < steps; ++k) {
        const int x = from.x() + d.x() * k / steps, y = from.y() + d.y() * k / steps;
        QVERIFY2(
            b.Pixel(x, y) == kRed,
            qPrintable(
                QStringLiteral("step %1 at %2,%3: %4").arg(k).arg(x).arg(y).arg(ColorName(b.Pixel(x, y)))));
    }
    QCOMPARE(ColorName(b.Pixel(to.x(), to.y())), ColorName(0));
    QCOMPARE(CountIn(b, IsInked), steps);
}

void TestBitmap::lineSpreadsSubPixelPosition_data() {
    QTest::addColumn<float>("offset");
    QTest::addColumn<bool>("vertical");
    QTest::addColumn<int>("nearAlpha");
    QTest::addColumn<int>("farAlpha");
    QTest::newRow("horizontal quarter") << 0.25f << false << 191 << 64;
    QTest::newRow("horizontal half") << 0.5f << false << 128 << 128;
    QTest::newRow("vertical three quarters") << 0.75f << true << 64 << 191;
}

void TestBitmap::lineSpreadsSubPixelPosition() {
    QFETCH(float, offset);
    QFETCH(bool, vertical);
    QFETCH(int, nearAlpha);
    QFETCH(int, farAlpha);
    Bitmap32 b(10, 10);
    if (vertical)
        b.LineAA(4 + offset, 1, 4 + offset, 8, kWhite);
    else
        b.LineAA(1, 4 + offset, 8, 4 + offset, kWhite);
    const QPoint nearPx = vertical ? QPoint(4, 5) : QPoint(5, 4);
    const QPoint farPx = vertical ? QPoint(5, 5) : QPoint(5, 5);
    QVERIFY(std::abs(AlphaAt(b, nearPx.x(), nearPx.y()) - nearAlpha) <= 1);
    QVERIFY(std::abs(AlphaAt(b, farPx.x(), farPx.y()) - farAlpha) <= 1);
}

void TestBitmap::lineClipsAndSurvivesWildCoordinates_data() {
    QTest::addColumn<QPointF>("from");
    QTest::addColumn<QPointF>("to");
    QTest::addColumn<int>("inked");
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    QTest::newRow("through the bitmap") << QPointF(-100, 3) << QPointF(300, 3) << 20;
    QTest::newRow("far beyond float range of pixels") << QPointF(-1e30, 3) << QPointF(1e30, 3) << 20;
    QTest::newRow("wholly outside") << QPointF(-50, -5) << QPointF(70, -5) << 0;
    QTest::newRow("steep, through top and bottom") << QPointF(5, -100) << QPointF(6, 500) << 20;
    QTest::newRow("infinite end") << QPointF(0, 3) << QPointF(inf, 3) << 0;
    QTest::newRow("NaN start") << QPointF(nan, 3) << QPointF(5, 3) << 0;
    QTest::newRow("zero length") << QPointF(5.2, 5.2) << QPointF(5.3, 5.1) << 0;
}

void TestBitmap::lineClipsAndSurvivesWildCoordinates() {
    QFETCH(QPointF, from);
    QFETCH(QPointF, to);
    QFETCH(int, inked);
    Bitmap32 b(20, 20);
    b.LineAA(from.x(), from.y(), to.x(), to.y(), kRed);
    // A steep line one pixel off the vertical still touches two columns on
    // some rows; what matters is that every visible row got its step.
    if (std::abs(to.y() - from.y()) > std::abs(to.x() - from.x()))
        QVERIFY(CountIn(b, IsInked) >= inked);
    else
        QCOMPARE(CountIn(b, IsInked), inked);
}

void TestBitmap::dashPatternCarriesOverAndRestarts() {
    Bitmap32 b(16, 3);
    b.Fill(kWhite);
    b.SetDashPattern({kRed, kGreen, 0x00000000});
    b.DashedLineAA(0, 1, 4, 1); // steps 0..3: R G - R
    b.DashedLineAA(4, 1, 8, 1); // carries on: G - R G
    b.SetDashPattern({kRed, kGreen, 0x00000000});
    b.DashedLineAA(8, 1, 13, 1); // restarted: R G - R G
    const std::vector<TColor32> expected = {kRed, kGreen, kWhite, kRed, kGreen, kWhite, kRed,  kGreen,
                                            kRed, kGreen, kWhite, kRed, kGreen, kWhite, kWhite};
    for (int x = 0; x < static_cast<int>(expected.size()); ++x)
        QVERIFY2(b.Pixel(x, 1) == expected[x],
                 qPrintable(QStringLiteral("x %1: %2").arg(x).arg(ColorName(b.Pixel(x, 1)))));
    // Transparent entries left the rows beside the line alone as well.
    QCOMPARE(ColorName(b.Pixel(2, 0)), ColorName(kWhite));
    QCOMPARE(ColorName(b.Pixel(2, 2)), ColorName(kWhite));
}

void TestBitmap::dashPatternCountsStepsOffTheBitmap() {
    // The radial lines start far outside the map; the dashes on screen must
    // sit where they would on an endless bitmap.
    Bitmap32 b(6, 3);
    b.SetDashPattern({kRed, kGreen, 0x00000000, kBlue});
    b.DashedLineAA(-5, 1, 5, 1); // x = -5 is step 0, so x = 0 is step 5 -> kGreen
    QCOMPARE(ColorName(b.Pixel(0, 1)), ColorName(kGreen));
    QCOMPARE(ColorName(b.Pixel(1, 1)), ColorName(0));
    QCOMPARE(ColorName(b.Pixel(2, 1)), ColorName(kBlue));
    // Ten steps were taken, so the next line goes on with entry 10 mod 4 = 2.
    b.DashedLineAA(0, 2, 2, 2);
    QCOMPARE(ColorName(b.Pixel(0, 2)), ColorName(0));
    QCOMPARE(ColorName(b.Pixel(1, 2)), ColorName(kBlue));
}

void TestBitmap::drawLinesMatchesDrawingEverythingAnew_data() {
    QTest::addColumn<QString>("change");
    QTest::newRow("aircraft flies: bearing lines move, the radial stays") << "fly";
    QTest::newRow("station dragged: its radial and bearing line move") << "station";
    QTest::newRow("course turned: dashes after a changed line shift") << "course";
    QTest::newRow("lines toggled off and on") << "toggle";
    QTest::newRow("lines in another order, crossing each other") << "order";
    QTest::newRow("other drawing in between") << "other";
    QTest::newRow("another background") << "background";
    QTest::newRow("bitmap resized in between") << "resize";
}

void TestBitmap::drawLinesMatchesDrawingEverythingAnew() {
    // Lines drawn again with a few of them changed give the pixels, damage
    // and dash position that filling and drawing every line anew gives.
    QFETCH(QString, change);
    const std::vector<TColor32> patternA{kGreen, kGreen, kGreen, 0, 0, kWhite, 0, 0};
    const std::vector<TColor32> patternB{0xFF7F7F7F, kWhite, 0, 0};
    QPointF station(70.3, 50.6), other(150.5, 90.2), plane(20.25, 100.5);
    double course = 30;
    bool radialOn = true, bearingsOn = true, reversed = false;
    TColor32 background = 0x00FFFFFF;
    auto makeLines = [&] {
        std::vector<Bitmap32::TLine> lines;
        auto line = [&](QPointF a, QPointF b) {
            Bitmap32::TLine l;
            l.X1 = float(a.x());
            l.Y1 = float(a.y());
            l.X2 = float(b.x());
            l.Y2 = float(b.y());
            return l;
        };
        if (radialOn) {
            // Long enough to leave the bitmap, as the radials do.
            const double rad = course * std::numbers::pi / 180, d = 300;
            const QPointF v(d * std::sin(rad), -d * std::cos(rad)), w(d * std::cos(rad), d * std::sin(rad));
            Bitmap32::TLine solid = line(station, station + v);
            solid.Color = 0xFF007F00;
            Bitmap32::TLine behind = line(station, station - v);
            behind.Dashed = true;
            behind.Pattern = &patternA;
            Bitmap32::TLine boundary = line(station, station + w);
            boundary.Dashed = true;
            boundary.Pattern = &patternB;
            Bitmap32::TLine rest = line(station, station - w);
            rest.Dashed = true;
            lines.insert(lines.end(), {solid, behind, boundary, rest});
        }
        if (bearingsOn) {
            Bitmap32::TLine one = line(station, plane), two = line(other, plane);
            one.Color = kBlue;
            two.Color = 0x800000FF;
            const auto at = reversed ? lines.begin() : lines.end();
            lines.insert(at, {two, one});
        }
        return lines;
    };
    // The same bitmap drawn one operation at a time all along.
    Bitmap32 full(200, 120);
    auto drawAnew = [&](const std::vector<Bitmap32::TLine>& lines) {
        full.Fill(background);
        for (const Bitmap32::TLine& l : lines) {
            if (l.Pattern) full.SetDashPattern(*l.Pattern);
            if (l.Dashed)
                full.DashedLineAA(l.X1, l.Y1, l.X2, l.Y2);
            else
                full.LineAA(l.X1, l.Y1, l.X2, l.Y2, l.Color);
        }
    };

    Bitmap32 b(200, 120);
    QImage shown;
    auto show = [&] {
        // The damage brings a picture kept from before up to date.
        if (shown.size() != b.Image().size()) shown = QImage(b.Image().size(), b.Image().format());
        b.TakeDamage([&](const QRect& r) {
            for (int y = r.top(); y <= r.bottom(); ++y)
                std::memcpy(shown.scanLine(y) + r.left() * 4, b.Image().constScanLine(y) + r.left() * 4,
                            std::size_t(r.width()) * 4);
        });
    };
    b.DrawLines(background, makeLines());
    show();
    drawAnew(makeLines());
    for (int step = 0; step < 40; ++step) {
        if (change == QLatin1String("fly")) plane += QPointF(4.3, -1.7);
        if (change == QLatin1String("station")) station = QPointF(20 + (step * 37) % 170, 10 + (step * 53) % 100);
        if (change == QLatin1String("course")) course += 7.5;
        if (change == QLatin1String("toggle")) {
            radialOn = step % 3 != 1;
            bearingsOn = step % 4 != 2;
        }
        if (change == QLatin1String("order")) {
            reversed = !reversed;
            plane += QPointF(1.5, -0.5);
        }
        for (Bitmap32* bitmap : {&b, &full}) {
            if (change == QLatin1String("other")) bitmap->FillRect(step * 4, 40, step * 4 + 30, 70, kRed);
            if (change == QLatin1String("resize")) bitmap->SetSize(step % 2 ? 180 : 200, step % 2 ? 130 : 120);
        }
        if (change == QLatin1String("background")) background = step % 2 ? kWhite : 0x00FFFFFF;
        const auto lines = makeLines();
        b.DrawLines(background, lines);
        show();
        drawAnew(lines);
        const QString drawn = FirstDifference(b.Image(), full.Image());
        QVERIFY2(drawn.isEmpty(), qPrintable(QStringLiteral("step %1, drawn: %2").arg(step).arg(drawn)));
        const QString damaged = FirstDifference(shown, full.Image());
        QVERIFY2(damaged.isEmpty(), qPrintable(QStringLiteral("step %1, damage: %2").arg(step).arg(damaged)));
        // The dash pattern goes on from the same entry.
        Bitmap32 next(b), fullNext(full);
        next.DashedLineAA(0, 3, 199, 3);
        fullNext.DashedLineAA(0, 3, 199, 3);
        QCOMPARE(FirstDifference(next.Image(), fullNext.Image()), QString());
        // The same lines again cost nothing.
        b.DrawLines(background, lines);
        int again = 0;
        b.TakeDamage([&again](const QRect&) { ++again; });
        QCOMPARE(again, 0);
    }
}

void TestBitmap::polylineDoesNotDoubleBlendJoints() {
    Bitmap32 b(10, 10);
    b.PolylineAA({{1, 1}, {6, 1}, {6, 6}}, 0x80FF0000);
    // The corner is drawn once, by the second segment, at the colour's own alpha.
    QCOMPARE(AlphaAt(b, 6, 1), 128);
    QCOMPARE(AlphaAt(b, 5, 1), 128);
    QCOMPARE(b.Pixel(6, 6), 0u);
}

void TestBitmap::polygonCoverage_data() {
    QTest::addColumn<Points>("points");
    QTest::addColumn<QPoint>("probe");
    QTest::addColumn<int>("alpha");
    // Outer square 4..16, inner 8..12, joined by a bridge there and back.
    const Points holed = {{4, 4}, {16, 4}, {16, 16}, {4, 16}, {4, 4},
                          {8, 8}, {8, 12}, {12, 12}, {12, 8}, {8, 8}};
    QTest::newRow("ring of a holed square") << holed << QPoint(5, 10) << 255;
    QTest::newRow("hole of a holed square") << holed << QPoint(10, 10) << 0;
    QTest::newRow("outside a holed square") << holed << QPoint(2, 10) << 0;
    // A pentagram: even-odd leaves its centre pentagon empty, a point filled.
    Points star;
    for (int i = 0; i < 5; ++i) {
        const double a = i * 4 * std::numbers::pi / 5;
        star.push_back({float(10 + 9 * std::sin(a)), float(10 - 9 * std::cos(a))});
    }
    QTest::newRow("centre of a pentagram") << star << QPoint(9, 10) << 0;
    QTest::newRow("point of a pentagram") << star << QPoint(9, 5) << 255;
    // Integer vertices are pixel corners: edges are crisp.
    const Points box = {{3, 3}, {7, 3}, {7, 6}, {3, 6}};
    QTest::newRow("inside edge of a box") << box << QPoint(3, 3) << 255;
    QTest::newRow("last pixel of a box") << box << QPoint(6, 5) << 255;
    QTest::newRow("beyond a box") << box << QPoint(7, 5) << 0;
    QTest::newRow("half-pixel edge") << Points{{2.5f, 2}, {9, 2}, {9, 9}, {2.5f, 9}} << QPoint(2, 5) << 128;
    QTest::newRow("quarter-pixel edge")
        << Points{{2, 2}, {9, 2}, {9, 9.25f}, {2, 9.25f}} << QPoint(5, 9) << 64;
    QTest::newRow("cut at the left border")
        << Points{{-30, 2}, {5, 2}, {5, 6}, {-30, 6}} << QPoint(0, 3) << 255;
    QTest::newRow("cut at the right border")
        << Points{{15, 2}, {90, 2}, {90, 6}, {15, 6}} << QPoint(19, 3) << 255;
    // Edges leaving the bitmap on the left still bound what is visible.
    const Points wedge = {{-20, 0}, {10, 10}, {-20, 20}};
    QTest::newRow("wedge cut at the border, inside") << wedge << QPoint(0, 10) << 255;
    QTest::newRow("wedge cut at the border, outside") << wedge << QPoint(0, 3) << 0;
    QTest::newRow("wedge cut at the border, edge pixel") << wedge << QPoint(0, 6) << 43;
    QTest::newRow("fewer than three points") << Points{{1, 1}, {15, 15}} << QPoint(8, 8) << 0;
    QTest::newRow("NaN vertex") << Points{{1, 1}, {15, 1}, {std::numeric_limits<float>::quiet_NaN(), 15}}
                                << QPoint(8, 3) << 0;
}

void TestBitmap::polygonCoverage() {
    QFETCH(Points, points);
    QFETCH(QPoint, probe);
    QFETCH(int, alpha);
    Bitmap32 b(20, 20);
    b.PolygonAA(points, kRed);
    QVERIFY2(std::abs(AlphaAt(b, probe.x(), probe.y()) - alpha) <= 2,
             qPrintable(ColorName(b.Pixel(probe.x(), probe.y()))));
}

void TestBitmap::roundShapes_data() {
    QTest::addColumn<int>("shape");
    QTest::addColumn<QPoint>("probe");
    QTest::addColumn<bool>("inked");
    enum { Disc, Circle, ArcQuarter, ArcAcrossNoon, ThickCircle };
    // Centre (20.5, 20.5), the middle of pixel (20, 20): shape coordinates
    // are those of polygons, where integers are pixel corners.
    QTest::newRow("disc centre") << int(Disc) << QPoint(20, 20) << true;
    QTest::newRow("disc just inside") << int(Disc) << QPoint(20, 11) << true;
    QTest::newRow("disc outside") << int(Disc) << QPoint(20, 8) << false;
    QTest::newRow("circle on its radius") << int(Circle) << QPoint(20 + 10, 20) << true;
    QTest::newRow("circle centre stays empty") << int(Circle) << QPoint(20, 20) << false;
    QTest::newRow("circle inside the stroke") << int(Circle) << QPoint(20 + 7, 20) << false;
    QTest::newRow("thick circle inner side") << int(ThickCircle) << QPoint(20 + 9, 20) << true;
    QTest::newRow("thick circle outer side") << int(ThickCircle) << QPoint(20 + 11, 20) << true;
    QTest::newRow("thick circle beyond") << int(ThickCircle) << QPoint(20 + 13, 20) << false;
    QTest::newRow("arc 90-180 at 135") << int(ArcQuarter) << QPoint(26, 26) << true;
    QTest::newRow("arc 90-180 not at 45") << int(ArcQuarter) << QPoint(26, 13) << false;
    QTest::newRow("arc 90-180 not at 270") << int(ArcQuarter) << QPoint(11, 20) << false;
    QTest::newRow("arc 350-10 at noon") << int(ArcAcrossNoon) << QPoint(20, 11) << true;
    QTest::newRow("arc 350-10 not at six") << int(ArcAcrossNoon) << QPoint(20, 28) << false;
    QTest::newRow("arc band hollow inside") << int(ArcAcrossNoon) << QPoint(20, 16) << false;
}

void TestBitmap::roundShapes() {
    QFETCH(int, shape);
    QFETCH(QPoint, probe);
    QFETCH(bool, inked);
    Bitmap32 b(40, 40);
    switch (shape) {
    case 0:
        b.DiscAA(20.5f, 20.5f, 10, kRed);
        break;
    case 1:
        b.CircleAA(20.5f, 20.5f, 10, 1, kRed);
        break;
    case 2:
        b.ArcBandAA(20.5f, 20.5f, 6, 12, 90, 180, kRed);
        break;
    case 3:
        b.ArcBandAA(20.5f, 20.5f, 6, 12, 350, 10, kRed);
        break;
    case 4:
        b.CircleAA(20.5f, 20.5f, 10, 4, kRed);
        break;
    }
    if (inked)
        QVERIFY2(AlphaAt(b, probe.x(), probe.y()) > 200,
                 qPrintable(ColorName(b.Pixel(probe.x(), probe.y()))));
    else
        QCOMPARE(ColorName(b.Pixel(probe.x(), probe.y())), ColorName(0));
}

void TestBitmap::dotSpreadsOnePixel_data() {
    QTest::addColumn<QPointF>("at");
    QTest::addColumn<QPoint>("pixel");
    QTest::addColumn<int>("alpha");
    QTest::newRow("on a pixel") << QPointF(5, 5) << QPoint(5, 5) << 255;
    QTest::newRow("halfway right, left share") << QPointF(5.5, 5) << QPoint(5, 5) << 128;
    QTest::newRow("halfway right, right share") << QPointF(5.5, 5) << QPoint(6, 5) << 128;
    QTest::newRow("quarter down, lower share") << QPointF(5, 5.25) << QPoint(5, 6) << 64;
    QTest::newRow("on the border, inside share") << QPointF(-0.5, 0) << QPoint(0, 0) << 128;
}

void TestBitmap::dotSpreadsOnePixel() {
    QFETCH(QPointF, at);
    QFETCH(QPoint, pixel);
    QFETCH(int, alpha);
    Bitmap32 b(10, 10);
    b.DotAA(at.x(), at.y(), kWhite);
    QVERIFY(std::abs(AlphaAt(b, pixel.x(), pixel.y()) - alpha) <= 1);
}

void TestBitmap::wildCoordinatesAreHarmless_data() {
    QTest::addColumn<DrawFn>("draw");
    QTest::addColumn<bool>("inksAll");
    using F = DrawFn;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    QTest::newRow("disc far away") << F([](Bitmap32& b) { b.DiscAA(1e30f, -1e30f, 5, kRed); }) << false;
    QTest::newRow("disc far away, huge enough to cover")
        << F([](Bitmap32& b) { b.DiscAA(-1e6f, 5, 2e6f, kRed); }) << true;
    QTest::newRow("ring of huge radius through nothing")
        << F([](Bitmap32& b) { b.CircleAA(5, 5, 1e30f, 1, kRed); }) << false;
    QTest::newRow("arc band of huge radius")
        << F([](Bitmap32& b) { b.ArcBandAA(5, 5, 1e11f, 1e12f, 0, 359, kRed); }) << false;
    QTest::newRow("polygon with a far vertex") << F([](Bitmap32& b) {
        b.PolygonAA({{-1e30f, -1e30f}, {1e30f, -1e30f}, {0, 1e30f}}, kRed);
    }) << true;
    QTest::newRow("NaN radius") << F([nan](Bitmap32& b) { b.CircleAA(5, 5, nan, 1, kRed); }) << false;
    QTest::newRow("infinite disc centre") << F([inf](Bitmap32& b) { b.DiscAA(inf, 5, 3, kRed); }) << false;
    QTest::newRow("text far away") << F([](Bitmap32& b) {
        b.TextRotated(1e30f, 5, 30, QStringLiteral("W"), kRed);
    }) << false;
    QTest::newRow("upright text far away")
        << F([](Bitmap32& b) { b.TextRotated(-1e30f, 5, 0, QStringLiteral("W"), kRed); }) << false;
    QTest::newRow("dot far away") << F([](Bitmap32& b) { b.DotAA(-1e30f, 1e30f, kRed); }) << false;
    QTest::newRow("negative stroke") << F([](Bitmap32& b) { b.CircleAA(5, 5, 4, -2, kRed); }) << false;
}

void TestBitmap::wildCoordinatesAreHarmless() {
    QFETCH(DrawFn, draw);
    QFETCH(bool, inksAll);
    Bitmap32 b(10, 10);
    draw(b);
    QCOMPARE(CountIn(b, IsInked), inksAll ? 100 : 0);
}

void TestBitmap::integerShapes() {
    Bitmap32 b(12, 12);
    b.Fill(kWhite);
    // FillRect is half-open and replaces: a transparent fill punches a hole.
    b.FillRect(2, 3, 5, 6, 0x00000000);
    QCOMPARE(b.Pixel(2, 3), 0u);
    QCOMPARE(b.Pixel(4, 5), 0u);
    QCOMPARE(b.Pixel(5, 5), kWhite);
    QCOMPARE(b.Pixel(4, 6), kWhite);
    b.FillRect(-5, -5, 100, 1, kRed); // clipped
    QCOMPARE(b.Pixel(11, 0), kRed);
    QCOMPARE(b.Pixel(0, 1), kWhite);

    b.Fill(0);
    b.FrameRect(7, 8, 2, 3, kBlue); // corners given in any order, both included
    QCOMPARE(b.Pixel(2, 3), kBlue);
    QCOMPARE(b.Pixel(7, 8), kBlue);
    QCOMPARE(b.Pixel(7, 3), kBlue);
    QCOMPARE(b.Pixel(2, 8), kBlue);
    QCOMPARE(b.Pixel(4, 5), 0u);
    QCOMPARE(CountIn(b, IsInked), 2 * 6 + 2 * 4);

    b.Fill(0);
    b.VertLine(3, 9, 2, kGreen);
    QCOMPARE(b.Pixel(3, 2), kGreen);
    QCOMPARE(b.Pixel(3, 9), kGreen);
    QCOMPARE(CountIn(b, IsInked), 8);
    b.VertLine(20, 0, 5, kGreen); // off the bitmap: nothing, no crash
    QCOMPARE(CountIn(b, IsInked), 8);
}

void TestBitmap::pixelReadsUnpremultiplied() {
    Bitmap32 b(4, 4);
    b.Fill(0x80FF0000);
    QCOMPARE(ColorName(b.Pixel(1, 1)), ColorName(0x80FF0000));
    QCOMPARE(b.Image().pixel(1, 1) & 0xFFFFFFu, 0x800000u); // stored premultiplied
    QCOMPARE(b.Pixel(-1, 0), 0u);
    QCOMPARE(b.Pixel(0, 4), 0u);
    QCOMPARE(Bitmap32().Pixel(0, 0), 0u);
}

void TestBitmap::replaceColorMatchesExactly() {
    Bitmap32 b(6, 1);
    b.Fill(kWhite);
    b.FillRect(1, 0, 2, 1, 0xFFFEFFFF);
    b.FillRect(2, 0, 3, 1, 0x80FFFFFF);
    b.FillRect(3, 0, 4, 1, kRed);
    b.ReplaceColor(kWhite, 0x00000000);
    QCOMPARE(b.Pixel(0, 0), 0u);
    QCOMPARE(b.Pixel(5, 0), 0u);
    QCOMPARE(ColorName(b.Pixel(1, 0)), ColorName(0xFFFEFFFF));
    QCOMPARE(ColorName(b.Pixel(2, 0)), ColorName(0x80FFFFFF));
    QCOMPARE(ColorName(b.Pixel(3, 0)), ColorName(kRed));
}

void TestBitmap::copyAndBlend() {
    Bitmap32 src(4, 4);
    src.FillRect(0, 0, 2, 4, 0x80000000); // left half translucent black, right half transparent
    Bitmap32 dst(6, 6);
    dst.Fill(kWhite);
    Bitmap32 blended = dst;

    dst.CopyFrom(src, 3, 1); // replaces, clipped at the right edge
    QCOMPARE(ColorName(dst.Pixel(3, 1)), ColorName(0x80000000));
    QCOMPARE(dst.Pixel(5, 1), 0u); // transparent source pixel replaced white
    QCOMPARE(dst.Pixel(2, 1), kWhite);
    QCOMPARE(dst.Pixel(3, 0), kWhite);

    blended.BlendFrom(src, -1, 0); // source column 1 lands on column 0
    const TColor32 half = blended.Pixel(0, 0);
    QCOMPARE(half >> 24, 0xFFu);
    QVERIFY(std::abs(int(half & 0xFF) - 127) <= 1);
    QCOMPARE(blended.Pixel(1, 0), kWhite); // transparent source leaves it
}

void TestBitmap::copiesKeepTheirOwnChangedHook() {
    int originalCalls = 0, targetCalls = 0;
    Bitmap32 original(3, 3);
    original.SetOnChanged([&] { ++originalCalls; });
    Bitmap32 copy(original);
    copy.Fill(kRed);
    QCOMPARE(originalCalls, 0);
    QCOMPARE(original.Pixel(0, 0), 0u); // pixels are not shared after drawing

    Bitmap32 target(1, 1);
    target.SetOnChanged([&] { ++targetCalls; });
    target = copy; // a layer's bitmap that gets new pixels stays wired to its layer
    QCOMPARE(targetCalls, 1);
    QCOMPARE(target.Width(), 3);
    target.Fill(kBlue);
    QCOMPARE(targetCalls, 2);
    QCOMPARE(copy.Pixel(0, 0), kRed);

    target = Bitmap32(5, 5); // moved in: still the target's hook
    QCOMPARE(targetCalls, 3);
    QCOMPARE(target.Width(), 5);

    // Bitmaps kept by value in a growing container keep their hooks.
    std::vector<Bitmap32> kept;
    kept.emplace_back(2, 2);
    kept.back().SetOnChanged([&] { ++originalCalls; });
    for (int i = 0; i < 16; ++i)
        kept.emplace_back(1, 1);
    kept.front().Clear();
    QCOMPARE(originalCalls, 1);
}

void TestBitmap::everyDrawingOperationReportsAChange_data() {
    QTest::addColumn<DrawFn>("draw");
    using F = DrawFn;
    QTest::newRow("Fill") << F([](Bitmap32& b) { b.Fill(kRed); });
    QTest::newRow("Clear") << F([](Bitmap32& b) { b.Clear(); });
    QTest::newRow("FillRect") << F([](Bitmap32& b) { b.FillRect(1, 1, 3, 3, kRed); });
    QTest::newRow("FrameRect") << F([](Bitmap32& b) { b.FrameRect(1, 1, 3, 3, kRed); });
    QTest::newRow("VertLine") << F([](Bitmap32& b) { b.VertLine(1, 1, 3, kRed); });
    QTest::newRow("LineAA") << F([](Bitmap32& b) { b.LineAA(1, 1, 5, 3, kRed); });
    QTest::newRow("DashedLineAA") << F([](Bitmap32& b) { b.DashedLineAA(1, 1, 5, 3); });
    QTest::newRow("PolylineAA") << F([](Bitmap32& b) { b.PolylineAA({{1, 1}, {5, 1}, {5, 5}}, kRed); });
    QTest::newRow("PolygonAA") << F([](Bitmap32& b) { b.PolygonAA({{1, 1}, {5, 1}, {5, 5}}, kRed); });
    QTest::newRow("CircleAA") << F([](Bitmap32& b) { b.CircleAA(4, 4, 3, 1, kRed); });
    QTest::newRow("DiscAA") << F([](Bitmap32& b) { b.DiscAA(4, 4, 3, kRed); });
    QTest::newRow("ArcBandAA") << F([](Bitmap32& b) { b.ArcBandAA(4, 4, 1, 3, 0, 90, kRed); });
    QTest::newRow("DotAA") << F([](Bitmap32& b) { b.DotAA(4, 4, kRed); });
    QTest::newRow("TextOut") << F([](Bitmap32& b) { b.TextOut(0, 0, QStringLiteral("A"), kRed); });
    QTest::newRow("TextRotated") << F(
        [](Bitmap32& b) { b.TextRotated(4, 4, 30, QStringLiteral("A"), kRed); });
    QTest::newRow("CopyFrom") << F([](Bitmap32& b) { b.CopyFrom(Bitmap32(2, 2)); });
    QTest::newRow("BlendFrom") << F([](Bitmap32& b) { b.BlendFrom(Bitmap32(2, 2)); });
    QTest::newRow("ReplaceColor") << F([](Bitmap32& b) { b.ReplaceColor(0, kRed); });
    QTest::newRow("SetSize") << F([](Bitmap32& b) { b.SetSize(9, 9); });
}

void TestBitmap::everyDrawingOperationReportsAChange() {
    QFETCH(DrawFn, draw);
    Bitmap32 b(8, 8);
    b.SetDashPattern({kRed});
    int calls = 0;
    b.SetOnChanged([&] { ++calls; });
    draw(b);
    QCOMPARE(calls, 1);
}

void TestBitmap::textExtent() {
    Bitmap32 b(10, 10);
    b.SetFontSize(8);
    const QSize small = b.TextExtent(QStringLiteral("VOR 1"));
    QVERIFY(small.width() > 0 && small.height() > 0);
    QVERIFY(b.TextExtent(QStringLiteral("VOR 12")).width() > small.width());
    QCOMPARE(b.TextExtent(QString()).width(), 0);
    QCOMPARE(b.TextExtent(QString()).height(), small.height()); // the font's height, as a text extent has
    b.SetFontSize(12);
    QCOMPARE(b.FontSize(), 12);
    const QSize big = b.TextExtent(QStringLiteral("VOR 1"));
    QVERIFY(big.width() > small.width());
    QVERIFY(big.height() > small.height());
}

void TestBitmap::textOutPutsTopLeftAtPoint() {
    Bitmap32 b(60, 40);
    b.SetFontSize(12);
    const QString text = QStringLiteral("HW");
    const QSize e = b.TextExtent(text);
    b.TextOut(10, 7, text, kWhite);
    const QRect ink = InkBounds(b);
    QVERIFY(!ink.isEmpty());
    // Ink stays within the extent box at (10, 7) and reaches close to its
    // left and top (capital letters start just below the line gap).
    QVERIFY2(
        QRect(QPoint(10, 7), e).contains(ink),
        qPrintable(
            QStringLiteral("ink %1,%2 %3x%4").arg(ink.x()).arg(ink.y()).arg(ink.width()).arg(ink.height())));
    QVERIFY(ink.left() <= 12);
    QVERIFY(ink.top() <= 7 + e.height() / 3);
    QVERIFY(ink.width() >= e.width() - 4);
}

void TestBitmap::textRotatedTurnsClockwiseAboutItsCentre_data() {
    QTest::addColumn<float>("angle");
    QTest::newRow("0") << 0.0f;
    QTest::newRow("90") << 90.0f;
    QTest::newRow("180") << 180.0f;
    QTest::newRow("270") << 270.0f;
    QTest::newRow("30") << 30.0f;
    QTest::newRow("-123.4") << -123.4f;
}

void TestBitmap::textRotatedTurnsClockwiseAboutItsCentre() {
    QFETCH(float, angle);
    const QPointF centre(40, 40);
    const QString text = QStringLiteral("47");
    // Unturned, the label is the same as TextOut of its box centred on the point.
    Bitmap32 upright(80, 80);
    upright.SetFontSize(12);
    const QSize e = upright.TextExtent(text);
    upright.TextOut(40 - e.width() / 2, 40 - e.height() / 2, text, kWhite);
    Bitmap32 unturned(80, 80);
    unturned.SetFontSize(12);
    unturned.TextRotated(centre.x(), centre.y(), 0, text, kWhite);
    if (e.width() % 2 == 0 && e.height() % 2 == 0) QVERIFY(upright.Image() == unturned.Image());

    Bitmap32 turned(80, 80);
    turned.SetFontSize(12);
    turned.TextRotated(centre.x(), centre.y(), angle, text, kWhite);
    // The ink's centre turns with the text: clockwise on screen (y down).
    const QPointF v = InkCentre(unturned) - centre;
    const double a = angle * std::numbers::pi / 180.0;
    const QPointF expected = centre + QPointF(v.x() * std::cos(a) - v.y() * std::sin(a),
                                              v.x() * std::sin(a) + v.y() * std::cos(a));
    const QPointF got = InkCentre(turned);
    QVERIFY2(QLineF(expected, got).length() < 0.75, qPrintable(QStringLiteral("expected %1,%2 got %3,%4")
                                                                   .arg(expected.x())
                                                                   .arg(expected.y())
                                                                   .arg(got.x())
                                                                   .arg(got.y())));
    // Digits sit above the descent, so their ink is above the box centre;
    // a quarter turn clockwise takes it to the right.
    if (angle == 90.0f) QVERIFY(got.x() > centre.x() - 0.5);
}

QTEST_MAIN(TestBitmap)
#include "tst_bitmap.moc"
