#include "platform/ImageSurface.h"
#include "tests/support/recordingobserver.h"
#include "tests/support/testsupport.h"
#include "world/I_Stations.h"

#include <QRegularExpression>
#include <QtTest>

#include <memory>

Q_DECLARE_METATYPE(TSinglePoint)

namespace {
std::shared_ptr<TStation> MakeStation(const QString& typ, ImageSurface* surface, TSinglePoint pos,
                                      const QString& freq, int tag) {
    if (typ == "VOR") return TVOR_S::Create(surface, pos, freq, tag);
    return TNDB_S::Create(surface, pos, freq, tag);
}

int CountExactly(const Bitmap32& bitmap, TColor32 colour) {
    int n = 0;
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x)
            n += bitmap.Pixel(x, y) == colour ? 1 : 0;
    return n;
}

// Visible pixels drawn in red (also where anti-aliasing mixed it with the
// white background) and those drawn in grey.
struct TInk {
    int Red = 0;
    int Grey = 0;
};

TInk CountInk(const Bitmap32& bitmap) {
    TInk ink;
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x) {
            const QColor c = QColor::fromRgba(bitmap.Pixel(x, y));
            if (c.alpha() == 0) continue;
            if (c.red() - c.green() > 40 && std::abs(c.green() - c.blue()) < 8) ++ink.Red;
            // Faint edges next to white cannot tell red from grey.
            if (c.red() < 230 && std::abs(c.red() - c.green()) < 8 && std::abs(c.green() - c.blue()) < 8)
                ++ink.Grey;
        }
    return ink;
}

// Bounding box of the visible pixels in the given rows.
QRect InkBox(const Bitmap32& bitmap, int firstRow, int lastRow) {
    QRect box;
    for (int y = firstRow; y <= lastRow; ++y)
        for (int x = 0; x < bitmap.Width(); ++x)
            if ((bitmap.Pixel(x, y) >> 24) != 0) box |= QRect(x, y, 1, 1);
    return box;
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
        QVERIFY2(CountExactly(bitmap, 0xFFFFFFFF) == 0, when);
        QVERIFY2(CountExactly(bitmap, 0x00000000) > 1000, when); // the background is see-through
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

    const QRect label = InkBox(bitmap, 0, 19);
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

QTEST_MAIN(TestStations)
#include "tst_stations.moc"
