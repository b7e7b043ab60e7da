#include "platform/ImageSurface.h"
#include "tests/support/pixelprobe.h"
#include "tests/support/recordingobserver.h"
#include "tests/support/testsupport.h"
#include "world/I_Stations.h"

#include <QRegularExpression>
#include <QtTest>

#include <cmath>
#include <memory>
#include <numbers>

Q_DECLARE_METATYPE(TSinglePoint)

namespace {
std::shared_ptr<TStation> MakeStation(const QString& typ, ImageSurface* surface, TSinglePoint pos,
                                      const QString& freq, int tag) {
    if (typ == "VOR") return TVOR_S::Create(surface, pos, freq, tag);
    return TNDB_S::Create(surface, pos, freq, tag);
}

// Visible pixels drawn in red (also where anti-aliasing mixed it with the
// white background) and those drawn in grey.
struct TInk {
    int Red = 0;
    int Grey = 0;
};

bool RedInk(TColor32 pixel) {
    const QColor c = QColor::fromRgba(pixel);
    return c.alpha() != 0 && c.red() - c.green() > 40 && std::abs(c.green() - c.blue()) < 8;
}

// Faint edges next to white cannot tell red from grey.
bool GreyInk(TColor32 pixel) {
    const QColor c = QColor::fromRgba(pixel);
    return c.alpha() != 0 && c.red() < 230 && std::abs(c.red() - c.green()) < 8 &&
           std::abs(c.green() - c.blue()) < 8;
}

TInk CountInk(const Bitmap32& bitmap) {
    return {CountIn(bitmap, RedInk), CountIn(bitmap, GreyInk)};
}

ColorTest Exactly(TColor32 colour) {
    return [colour](TColor32 pixel) { return pixel == colour; };
}
} // namespace

class TestStations : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void createNamesAndPlacesTheStation_data();
    void createNamesAndPlacesTheStation();
    void emptyFrequencyIsRefused_data();
    void emptyFrequencyIsRefused();
    void colourFollowsObservers_data();
    void colourFollowsObservers();
    void labelIsCentredAboveTheSymbol_data();
    void labelIsCentredAboveTheSymbol();
    void movingAnnouncesRealChangesOnly_data();
    void movingAnnouncesRealChangesOnly();
    void vorSymbol_data();
    void vorSymbol();
    void ndbSymbol_data();
    void ndbSymbol();

private:
    std::unique_ptr<ImageSurface> m_nav;
};

void TestStations::init() {
    m_nav = std::make_unique<ImageSurface>();
    m_nav->SetBitmapSize(800, 500);
    m_nav->Bitmap().Fill(0xFFFFFFFF);
}

void TestStations::cleanup() {
    m_nav.reset();
}

void TestStations::createNamesAndPlacesTheStation_data() {
    QTest::addColumn<QString>("typ");
    QTest::newRow("VOR") << "VOR";
    QTest::newRow("NDB") << "NDB";
}

void TestStations::createNamesAndPlacesTheStation() {
    QFETCH(QString, typ);
    // Something already on the map: a new station goes below it.
    BitmapLayer above(m_nav.get());
    above.Bitmap().SetSize(10, 10);

    auto station = MakeStation(typ, m_nav.get(), {200.5f, 100.0f}, "1", 2);
    QCOMPARE(station->GetTyp(), typ);
    QCOMPARE(station->GetFrequenz(), QString("1"));
    QCOMPARE(station->GetName(), typ + " 1");
    QCOMPARE(station->GetPosition(), (TSinglePoint{200.5f, 100.0f}));

    BitmapLayer* layer = station->Layer();
    QVERIFY(layer);
    QCOMPARE(layer->Surface(), m_nav.get());
    QCOMPARE(m_nav->LayerIndex(layer), 0);
    QCOMPARE(layer->Tag(), -3);
    QCOMPARE(layer->Bitmap().Width(), 50);
    QCOMPARE(layer->Bitmap().Height(), 50);
    QCOMPARE(layer->Location(), QRectF(175.5, 66.0, 50.0, 50.0));
    QVERIFY(layer->Visible());
    QVERIFY(layer->GetDrawMode() == BitmapLayer::DrawMode::Blend);
    QVERIFY(layer->MouseEvents());
    QCOMPARE(layer->Cursor(), Qt::PointingHandCursor);
    QCOMPARE(station->ObserverCount(), 0);
}

void TestStations::emptyFrequencyIsRefused_data() {
    QTest::addColumn<QString>("typ");
    QTest::newRow("VOR") << "VOR";
    QTest::newRow("NDB") << "NDB";
}

void TestStations::emptyFrequencyIsRefused() {
    QFETCH(QString, typ);
    const std::size_t layers = m_nav->Layers().size();
    QString message;
    try {
        MakeStation(typ, m_nav.get(), {10, 10}, QString(), 0);
        QFAIL("no exception");
    } catch (const EAssertionFailed& e) {
        message = QString::fromUtf8(e.what());
    }
    static const QRegularExpression expected(
        R"(^Fehler: Freq ist Leerstring \(I_Stations, Zeile [1-9]\d*\)$)");
    QVERIFY2(expected.match(message).hasMatch(), qPrintable(message));
    QCOMPARE(m_nav->Layers().size(), layers);
}

void TestStations::colourFollowsObservers_data() {
    QTest::addColumn<QString>("typ");
    QTest::newRow("VOR") << "VOR";
    QTest::newRow("NDB") << "NDB";
}

void TestStations::colourFollowsObservers() {
    QFETCH(QString, typ);
    auto station = MakeStation(typ, m_nav.get(), {100, 100}, "17", 0);
    const Bitmap32& bitmap = station->Layer()->Bitmap();
    auto check = [&](bool red, const char* when) {
        const TInk ink = CountInk(bitmap);
        QVERIFY2((red ? ink.Red : ink.Grey) > 20, when);
        QVERIFY2((red ? ink.Grey : ink.Red) == 0, when);
        QVERIFY2(CountIn(bitmap, Exactly(0xFFFFFFFF)) == 0, when);
        QVERIFY2(CountIn(bitmap, Exactly(0x00000000)) > 1000, when); // the background is see-through
    };
    check(false, "new");

    auto first = std::make_shared<TRecordingObserver>(TNotificationTypes{ntStationPosition});
    auto second = std::make_shared<TRecordingObserver>(TNotificationTypes{ntStationPosition});
    station->Attach(first);
    QCOMPARE(first->Count(ntStationPosition), 1);
    check(true, "first observer");

    const int repaints = m_nav->RepaintCount();
    station->Attach(second);
    QCOMPARE(m_nav->RepaintCount(), repaints); // already red: nothing drawn
    station->Detach(first);
    check(true, "one observer left");
    station->Detach(second);
    QCOMPARE(station->ObserverCount(), 0);
    check(false, "last observer gone");
}

void TestStations::labelIsCentredAboveTheSymbol_data() {
    QTest::addColumn<QString>("typ");
    QTest::addColumn<QString>("freq");
    QTest::newRow("VOR 1") << "VOR"
                           << "1";
    QTest::newRow("NDB 12") << "NDB"
                            << "12";
    QTest::newRow("VOR wider than the layer") << "VOR"
                                              << "112345678901";
}

void TestStations::labelIsCentredAboveTheSymbol() {
    QFETCH(QString, typ);
    QFETCH(QString, freq);
    auto station = MakeStation(typ, m_nav.get(), {100, 100}, freq, 0);
    const Bitmap32& bitmap = station->Layer()->Bitmap();
    const QSize text = station->TextSize();
    QCOMPARE(text, bitmap.TextExtent(typ + " " + freq));

    const QRect label = InkBounds(bitmap, QRect(0, 0, bitmap.Width(), 20)); // rows 0 to 19
    QVERIFY(!label.isEmpty());
    if (text.width() >= 50) {
        // Centred, so cut off on both sides.
        QCOMPARE(label.left(), 0);
        QCOMPARE(label.right(), 49);
    } else {
        const double centre = (label.left() + label.right() + 1) / 2.0;
        QVERIFY2(std::abs(centre - 25.0) <= 2.0, qPrintable(QString::number(centre)));
    }
    // The symbol starts below the label band; the centre dot/ring is at (25, 34).
    QVERIFY((bitmap.Pixel(25, 34) >> 24) != 0 || (bitmap.Pixel(25, 37) >> 24) != 0);
}

void TestStations::movingAnnouncesRealChangesOnly_data() {
    QTest::addColumn<TSinglePoint>("target");
    QTest::addColumn<int>("announced");
    QTest::newRow("moved") << TSinglePoint{300.5f, 120.0f} << 1;
    QTest::newRow("only X changes") << TSinglePoint{101.0f, 100.0f} << 1;
    QTest::newRow("same position") << TSinglePoint{100.0f, 100.0f} << 0;
}

void TestStations::movingAnnouncesRealChangesOnly() {
    QFETCH(TSinglePoint, target);
    QFETCH(int, announced);
    auto station = TVOR_S::Create(m_nav.get(), {100, 100}, "3", 0);
    auto observer = std::make_shared<TRecordingObserver>(TNotificationTypes{ntStationPosition, ntOBS});
    station->Attach(observer);
    observer->Received.clear();
    station->SetPosition(target);
    station->SetPosition(target);
    QCOMPARE(observer->Count(ntStationPosition), announced);
    QCOMPARE(int(observer->Received.size()), announced);
    QCOMPARE(station->GetPosition(), target);
    QCOMPARE(station->Layer()->Location(), QRectF(target.X - 25.0, target.Y - 34.0, 50.0, 50.0));
}

void TestStations::vorSymbol_data() {
    QTest::addColumn<QPoint>("pixel");
    QTest::addColumn<int>("reach"); // ink anywhere within this many pixels counts
    QTest::addColumn<bool>("inked");

    // The centre is (25, 34); hexagon of radius 15 with its corners left and
    // right, flat top and bottom; frame over columns 10..40, rows 20..48;
    // a disc of radius 2 at the centre.
    QTest::newRow("frame: top left corner") << QPoint(10, 20) << 0 << true;
    QTest::newRow("frame: top right corner") << QPoint(40, 20) << 0 << true;
    QTest::newRow("frame: bottom left corner") << QPoint(10, 48) << 0 << true;
    QTest::newRow("frame: bottom right corner") << QPoint(40, 48) << 0 << true;
    QTest::newRow("frame: left side") << QPoint(10, 27) << 0 << true;
    QTest::newRow("frame: right side") << QPoint(40, 42) << 0 << true;
    QTest::newRow("frame: top edge") << QPoint(14, 20) << 0 << true;
    QTest::newRow("frame: bottom edge") << QPoint(36, 48) << 0 << true;
    QTest::newRow("hexagon: flat top") << QPoint(25, 21) << 0 << true;
    QTest::newRow("hexagon: flat bottom") << QPoint(25, 47) << 0 << true;
    QTest::newRow("hexagon: upper left edge") << QPoint(14, 27) << 1 << true;
    QTest::newRow("hexagon: lower right edge") << QPoint(36, 40) << 1 << true;
    QTest::newRow("hexagon: left corner on the frame") << QPoint(11, 34) << 1 << true;
    QTest::newRow("disc at the centre") << QPoint(25, 34) << 0 << true;
    QTest::newRow("no ink inside, above the disc") << QPoint(25, 28) << 1 << false;
    QTest::newRow("no ink inside, below the disc") << QPoint(25, 41) << 1 << false;
    QTest::newRow("no ink inside, left of the disc") << QPoint(18, 34) << 1 << false;
    QTest::newRow("no ink inside, right of the disc") << QPoint(32, 34) << 1 << false;
    QTest::newRow("no ink between hexagon and frame, top left") << QPoint(12, 22) << 1 << false;
    QTest::newRow("no ink between hexagon and frame, bottom right") << QPoint(38, 46) << 1 << false;
    QTest::newRow("no ink below the frame") << QPoint(25, 49) << 0 << false;
    QTest::newRow("no ink left of the frame") << QPoint(8, 34) << 1 << false;
    QTest::newRow("no ink right of the frame") << QPoint(42, 34) << 1 << false;
}

void TestStations::vorSymbol() {
    QFETCH(QPoint, pixel);
    QFETCH(int, reach);
    QFETCH(bool, inked);
    auto station = TVOR_S::Create(m_nav.get(), {100, 100}, "1", 0);
    const QImage& img = station->Layer()->Bitmap().Image();
    const TSinglePoint at{pixel.x() + 0.5f, pixel.y() + 0.5f};
    QCOMPARE(AnyNear(img, at, reach, IsInked), inked);
    // Nothing of the symbol outside the frame, below the label band.
    QCOMPARE(CountIn(img, QRect(0, 20, 10, 30), IsInked), 0);
    QCOMPARE(CountIn(img, QRect(41, 20, 9, 30), IsInked), 0);
    QCOMPARE(CountIn(img, QRect(0, 49, 50, 1), IsInked), 0);
}

void TestStations::ndbSymbol_data() {
    QTest::addColumn<int>("ring");
    QTest::newRow("radius 15") << 15;
    QTest::newRow("radius 12") << 12;
    QTest::newRow("radius 9") << 9;
    QTest::newRow("radius 6") << 6;
    QTest::newRow("radius 3") << 3;
}

void TestStations::ndbSymbol() {
    QFETCH(int, ring);
    auto station = TNDB_S::Create(m_nav.get(), {100, 100}, "1", 0);
    const QImage& img = station->Layer()->Bitmap().Image();
    // The ring of radius r: 3r + 1 dots around the centre (25, 34), 120/r degrees apart.
    const int dots = 3 * ring;
    for (int j = 0; j <= dots; ++j) {
        const double theta = 2.0 * std::numbers::pi * j / dots;
        const int x = static_cast<int>(std::lround(25.0 + ring * std::sin(theta)));
        const int y = static_cast<int>(std::lround(34.0 + ring * std::cos(theta)));
        QVERIFY2(IsInked(PixelAt(img, x, y)),
                 qPrintable(QStringLiteral("dot %1 at %2,%3").arg(j).arg(x).arg(y)));
    }
    // A dot inks only the pixels less than one pixel away across and down, so
    // the rings keep clear gaps: nothing at the centre, nothing on the axis
    // below it between this ring and the next one out, nothing beyond the
    // outermost ring below the label band.
    if (ring < 15) {
        QVERIFY(!IsInked(PixelAt(img, 25, 34 + ring + 1)));
        QVERIFY(!IsInked(PixelAt(img, 25, 34 + ring + 2)));
    }
    for (int y = 20; y < 50; ++y)
        for (int x = 0; x < 50; ++x) {
            const double d = std::hypot(x - 25.0, y - 34.0);
            if (d < 1.5 || d > 16.5)
                QVERIFY2(!IsInked(PixelAt(img, x, y)),
                         qPrintable(QStringLiteral("ink at %1,%2").arg(x).arg(y)));
        }
}

QTEST_MAIN(TestStations)
#include "tst_stations.moc"
