#include "tests/support/pixelprobe.h"
#include "tests/support/testsupport.h"
#include "world/InstrumentUtilsClass.h"

#include <QtTest>

#include <cmath>
#include <limits>
#include <numbers>

Q_DECLARE_METATYPE(TSinglePoint)

namespace {
constexpr float Pi = std::numbers::pi_v<float>;

bool Inked(const Bitmap32& bitmap, int x, int y) {
    return AlphaAt(bitmap, x, y) >= 0xC0;
}
bool Blank(const Bitmap32& bitmap, int x, int y) {
    return AlphaAt(bitmap, x, y) == 0;
}

using PixelList = QList<QPoint>;
} // namespace

class TestGeometry : public QObject {
    Q_OBJECT
private slots:
    void normalizeAngle_data();
    void normalizeAngle();
    void normalizeAngleEndsForHugeAndNonFiniteValues();
    void radialAndDeviation_data();
    void radialAndDeviation();
    void pointOnRadial_data();
    void pointOnRadial();
    void thickLine_data();
    void thickLine();
    void thickLineRefusesDegenerateInput_data();
    void thickLineRefusesDegenerateInput();
    void needlePointsAlongTheta_data();
    void needlePointsAlongTheta();
    void needleOutlineIsHollowAndPointsAlongTheta();
};

void TestGeometry::normalizeAngle_data() {
    QTest::addColumn<float>("value");
    QTest::addColumn<float>("expected");
    QTest::newRow("0 stays") << 0.0f << 0.0f;
    QTest::newRow("359.5 stays") << 359.5f << 359.5f;
    QTest::newRow("360 -> 0") << 360.0f << 0.0f;
    QTest::newRow("-90 -> 270") << -90.0f << 270.0f;
    QTest::newRow("725 -> 5") << 725.0f << 5.0f;
    QTest::newRow("-720 -> 0") << -720.0f << 0.0f;
    QTest::newRow("-360.5 -> 359.5") << -360.5f << 359.5f;
    // Single precision: 360 - 0.00001 rounds to 360 itself.
    QTest::newRow("tiny negative -> 360") << -0.00001f << 360.0f;
}

void TestGeometry::normalizeAngle() {
    QFETCH(float, value);
    QFETCH(float, expected);
    QCOMPARE(NormalizeAngle(value), expected);
}

void TestGeometry::normalizeAngleEndsForHugeAndNonFiniteValues() {
    for (float v : {1e30f, -1e30f, 3.0e8f}) {
        const float r = NormalizeAngle(v);
        QVERIFY2(r >= 0.0f && r < 360.0f, qPrintable(QString::number(r)));
    }
    QCOMPARE(NormalizeAngle(std::numeric_limits<float>::infinity()), 0.0f);
    QCOMPARE(NormalizeAngle(-std::numeric_limits<float>::infinity()), 0.0f);
    QCOMPARE(NormalizeAngle(std::numeric_limits<float>::quiet_NaN()), 0.0f);
}

// Station P1, aircraft P2: the radial of the aircraft, then deviation and
// TO/FROM for a selected course as a VOR receiver computes them.
void TestGeometry::radialAndDeviation_data() {
    QTest::addColumn<TSinglePoint>("station");
    QTest::addColumn<TSinglePoint>("plane");
    QTest::addColumn<double>("radial");
    QTest::addColumn<float>("course");
    QTest::addColumn<int>("stateIn");
    QTest::addColumn<int>("state");
    QTest::addColumn<float>("deviation");

    const TSinglePoint s{200, 200};
    QTest::newRow("due north is 360, not 0")
        << s << TSinglePoint{200, 120} << 360.0 << 0.0f << 0 << 1 << 0.0f;
    QTest::newRow("due east") << s << TSinglePoint{260, 200} << 90.0 << 90.0f << 0 << 1 << 0.0f;
    QTest::newRow("due south") << s << TSinglePoint{200, 280} << 180.0 << 180.0f << 0 << 1 << 0.0f;
    QTest::newRow("due west") << s << TSinglePoint{140, 200} << 270.0 << 270.0f << 0 << 1 << 0.0f;
    QTest::newRow("north-east") << s << TSinglePoint{250, 150} << 45.0 << 45.0f << 0 << 1 << 0.0f;
    QTest::newRow("coincident: 270, no signal") << s << s << 270.0 << 90.0f << 2 << 2 << 0.0f;
    QTest::newRow("bearing 100 course 90: FROM -10")
        << s << PointOnRadial(s, 100, 100) << 100.0 << 90.0f << 0 << 1 << -10.0f;
    QTest::newRow("bearing 280 course 90: TO 10")
        << s << PointOnRadial(s, 280, 100) << 280.0 << 90.0f << 0 << 0 << 10.0f;
    QTest::newRow("bearing 190 course 90: TO -80")
        << s << PointOnRadial(s, 190, 100) << 190.0 << 90.0f << 0 << 0 << -80.0f;
    QTest::newRow("wrap: bearing 360 course 350")
        << s << TSinglePoint{200, 100} << 360.0 << 350.0f << 0 << 1 << -10.0f;
    QTest::newRow("wrap: bearing 10 course 350")
        << s << PointOnRadial(s, 10, 100) << 10.0 << 350.0f << 0 << 1 << -20.0f;
    QTest::newRow("wrap: bearing 350 course 10")
        << s << PointOnRadial(s, 350, 100) << 350.0 << 10.0f << 0 << 1 << 20.0f;
    QTest::newRow("exactly +90 counts FROM")
        << s << TSinglePoint{300, 200} << 90.0 << 0.0f << 0 << 1 << -90.0f;
    QTest::newRow("exactly -90 counts FROM")
        << s << TSinglePoint{100, 200} << 270.0 << 0.0f << 0 << 1 << 90.0f;
    QTest::newRow("opposite course: TO 0") << s << TSinglePoint{200, 300} << 180.0 << 0.0f << 0 << 0 << 0.0f;
    QTest::newRow("state 2 stays 2") << s << PointOnRadial(s, 100, 100) << 100.0 << 90.0f << 2 << 2 << 0.0f;
    QTest::newRow("state 2 stays 2 on TO side")
        << s << TSinglePoint{200, 300} << 180.0 << 0.0f << 2 << 2 << 0.0f;
}

void TestGeometry::radialAndDeviation() {
    QFETCH(TSinglePoint, station);
    QFETCH(TSinglePoint, plane);
    QFETCH(double, radial);
    QFETCH(float, course);
    QFETCH(int, stateIn);
    QFETCH(int, state);
    QFETCH(float, deviation);

    long double dx = -1, dy = -1, angle = -1;
    BearingBetween(station, plane, dx, dy, angle);
    QCOMPARE(double(dx), double(station.X) - double(plane.X));
    QCOMPARE(double(dy), double(station.Y) - double(plane.Y));
    QVERIFY2(std::fabs(double(angle) - radial) < 1e-4, qPrintable(QString::number(double(angle), 'g', 12)));
    QVERIFY(angle > 0.0L && angle <= 360.0L);

    int s = stateIn;
    const float d = CourseDeviation(s, static_cast<float>(angle), course);
    QCOMPARE(s, state);
    QVERIFY2(std::fabs(d - deviation) < 1e-3f, qPrintable(QString::number(d)));
}

// North up, y down: radial 090 lies to the east, 180 below the station.
void TestGeometry::pointOnRadial_data() {
    QTest::addColumn<float>("radial");
    QTest::addColumn<float>("distance");
    QTest::addColumn<TSinglePoint>("expected");
    QTest::newRow("north") << 0.0f << 50.0f << TSinglePoint{200, 150};
    QTest::newRow("360 is north") << 360.0f << 50.0f << TSinglePoint{200, 150};
    QTest::newRow("east") << 90.0f << 50.0f << TSinglePoint{250, 200};
    QTest::newRow("south") << 180.0f << 50.0f << TSinglePoint{200, 250};
    QTest::newRow("west") << 270.0f << 50.0f << TSinglePoint{150, 200};
    QTest::newRow("north-east") << 45.0f << 100.0f << TSinglePoint{270.71068f, 129.28932f};
    QTest::newRow("distance 0 is the station") << 123.0f << 0.0f << TSinglePoint{200, 200};
}

void TestGeometry::pointOnRadial() {
    QFETCH(float, radial);
    QFETCH(float, distance);
    QFETCH(TSinglePoint, expected);
    const TSinglePoint station{200, 200};
    const TSinglePoint p = PointOnRadial(station, radial, distance);
    QVERIFY2(std::fabs(p.X - expected.X) < 1e-3f && std::fabs(p.Y - expected.Y) < 1e-3f,
             qPrintable(QStringLiteral("%1, %2").arg(p.X).arg(p.Y)));
    if (distance > 0) {
        // And back: the bearing of the point as seen from the station.
        long double dx = 0, dy = 0, angle = 0;
        BearingBetween(station, p, dx, dy, angle);
        QVERIFY2(std::fabs(double(angle) - (radial == 0.0f ? 360.0 : double(radial))) < 1e-3,
                 qPrintable(QString::number(double(angle))));
    }
}

void TestGeometry::thickLine_data() {
    QTest::addColumn<QLineF>("line");
    QTest::addColumn<float>("width");
    QTest::addColumn<PixelList>("inked");
    QTest::addColumn<PixelList>("blank");
    // The side vector of A->B points up for a line to the right: width 1
    // fills the pixel row just above the line's y.
    QTest::newRow("w1 rightwards") << QLineF(5, 10, 25, 10) << 1.0f << PixelList{{15, 9}}
                                   << PixelList{{15, 8}, {15, 10}, {3, 9}, {27, 9}};
    QTest::newRow("w3 rightwards") << QLineF(5, 10, 25, 10) << 3.0f << PixelList{{15, 8}, {15, 9}, {15, 10}}
                                   << PixelList{{15, 7}, {15, 11}};
    QTest::newRow("w1 downwards") << QLineF(10, 5, 10, 25) << 1.0f << PixelList{{10, 15}}
                                  << PixelList{{9, 15}, {11, 15}};
    // h = 1.5: rows 18 and 22 are half covered.
    QTest::newRow("w4 leftwards") << QLineF(25, 20, 5, 20) << 4.0f << PixelList{{15, 19}, {15, 20}, {15, 21}}
                                  << PixelList{{15, 17}, {15, 23}};
}

void TestGeometry::thickLine() {
    QFETCH(QLineF, line);
    QFETCH(float, width);
    QFETCH(PixelList, inked);
    QFETCH(PixelList, blank);
    Bitmap32 bitmap(40, 40);
    bitmap.Clear();
    DrawThickLine(bitmap, 0xFF0000FF, float(line.x1()), float(line.y1()), float(line.x2()), float(line.y2()),
                  width);
    for (const QPoint& p : inked)
        QVERIFY2(Inked(bitmap, p.x(), p.y()), qPrintable(ColorName(bitmap.Pixel(p.x(), p.y()))));
    for (const QPoint& p : blank)
        QVERIFY2(Blank(bitmap, p.x(), p.y()), qPrintable(ColorName(bitmap.Pixel(p.x(), p.y()))));
}

void TestGeometry::thickLineRefusesDegenerateInput_data() {
    QTest::addColumn<float>("x1");
    QTest::addColumn<float>("y1");
    QTest::addColumn<float>("x2");
    QTest::addColumn<float>("y2");
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    QTest::newRow("identical end points") << 12.5f << 12.5f << 12.5f << 12.5f;
    QTest::newRow("NaN end point") << 5.0f << 5.0f << nan << 20.0f;
    QTest::newRow("infinite end point") << 5.0f << 5.0f << inf << 20.0f;
}

void TestGeometry::thickLineRefusesDegenerateInput() {
    QFETCH(float, x1);
    QFETCH(float, y1);
    QFETCH(float, x2);
    QFETCH(float, y2);
    Bitmap32 bitmap(30, 30);
    bitmap.Clear();
    DrawThickLine(bitmap, 0xFFFF0000, x1, y1, x2, y2, 5.0f);
    QCOMPARE(CountIn(bitmap, IsInked), 0);
}

// Needle through (50, 50), L 40, head length 10: the head (wide) lies at the
// tip side, the tail (narrow) at the other; with K the centre stays empty.
void TestGeometry::needlePointsAlongTheta_data() {
    QTest::addColumn<float>("compass");
    QTest::addColumn<float>("k");
    QTest::newRow("up, no gap") << 0.0f << 0.0f;
    QTest::newRow("right, no gap") << 90.0f << 0.0f;
    QTest::newRow("down, gap 6") << 180.0f << 6.0f;
    QTest::newRow("left, gap 6") << 270.0f << 6.0f;
}

void TestGeometry::needlePointsAlongTheta() {
    QFETCH(float, compass);
    QFETCH(float, k);
    Bitmap32 bitmap(100, 100);
    bitmap.Clear();
    const float theta = Pi - compass * Pi / 180.0f;
    DrawNeedle(bitmap, 0xFFFFFF00, 50, 50, 40, 5, 10, 13, theta, k);

    const float fx = std::sin(theta), fy = std::cos(theta);
    const float nx = fy, ny = -fx;
    // Pixel whose centre lies `along` the axis and `side` across it.
    auto at = [&](float along, float side) {
        return QPoint(int(std::floor(50 + along * fx + side * nx)),
                      int(std::floor(50 + along * fy + side * ny)));
    };
    const QPoint tip = at(38.5f, -0.5f);
    const QPoint headWide = at(31.5f, -4.5f);
    const QPoint tailWide = at(-31.5f, -4.5f);
    const QPoint tailAxis = at(-37.5f, -0.5f);
    const QPoint centre = at(0.5f, -0.5f);
    QVERIFY2(Inked(bitmap, tip.x(), tip.y()), "tip");
    QVERIFY2(Inked(bitmap, headWide.x(), headWide.y()), "head is wide at the tip side");
    QVERIFY2(Blank(bitmap, tailWide.x(), tailWide.y()), "tail is narrow");
    QVERIFY2(Inked(bitmap, tailAxis.x(), tailAxis.y()), "tail reaches back");
    if (k == 0.0f)
        QVERIFY2(Inked(bitmap, centre.x(), centre.y()), "shaft through the centre");
    else
        QVERIFY2(Blank(bitmap, centre.x(), centre.y()), "gap around the centre");
}

void TestGeometry::needleOutlineIsHollowAndPointsAlongTheta() {
    Bitmap32 bitmap(100, 100);
    bitmap.Clear();
    // Compass 90: the tip points right.
    DrawNeedleOutline(bitmap, 0xFF00FF00, 50.5f, 50.5f, 40, 8, 12, 16, Pi / 2.0f);
    QVERIFY2(Inked(bitmap, 90, 50), "tip");
    QVERIFY2(Blank(bitmap, 50, 50), "the shaft is hollow");
    QVERIFY2(Blank(bitmap, 84, 50), "the head is hollow");
    // Shaft side lines 4 px above and below the axis, the head's base 8 px.
    QVERIFY2(AlphaAt(bitmap, 50, 46) > 0x40, "shaft edge");
    QVERIFY2(AlphaAt(bitmap, 50, 54) > 0x40, "shaft edge");
    QVERIFY2(AlphaAt(bitmap, 78, 44) > 0x40, "base of the head");
    QVERIFY2(Blank(bitmap, 20, 42), "no head at the tail side");
    QVERIFY2(AlphaAt(bitmap, 14, 50) > 0x40, "tail stroke on the axis");
}

QTEST_MAIN(TestGeometry)
#include "tst_geometry.moc"
