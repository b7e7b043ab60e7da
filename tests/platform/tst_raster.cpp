#include "platform/Bitmap32.h"
#include "tests/support/rastercases.h"
#include "tests/support/testsupport.h"

#include <QPainter>
#include <QtTest>

// Every drawing operation of Bitmap32 against QPainter doing the same on the
// same premultiplied image, in the cases the instruments and the map draw
// (the table in tests/support/rastercases.cpp, which the benchmark times).
// Where Bitmap32 draws with QPainter itself this guards its frame, clipping
// and colours; where it keeps a rasteriser of its own, the row shows how
// close QPainter would come, and a row with a wider tolerance says why not.
class TestRaster : public QObject {
    Q_OBJECT
private slots:
    void pixelClose_data();
    void pixelClose();
};

namespace {

// A see-through bitmap as it looks on the map: over an opaque grey. (Compared
// on their own, a pixel of alpha 1 would count as a full colour.)
QImage Shown(const QImage& image) {
    QImage shown(image.size(), QImage::Format_ARGB32_Premultiplied);
    shown.fill(0xFF808080u);
    QPainter(&shown).drawImage(0, 0, image);
    return shown;
}

} // namespace

void TestRaster::pixelClose_data() {
    QTest::addColumn<int>("index");
    const auto& cases = RasterCases();
    for (std::size_t i = 0; i < cases.size(); ++i)
        QTest::newRow(cases[i].name.constData()) << int(i);
}

void TestRaster::pixelClose() {
    QFETCH(int, index);
    const TRasterCase& c = RasterCases()[static_cast<std::size_t>(index)];
    Bitmap32 ours(c.size.width(), c.size.height());
    ours.Fill(c.background);
    c.ours(ours);
    QImage theirs = RasterCanvas(c);
    c.painter(theirs);
    QVERIFY2(ours.Image() != RasterCanvas(c), "the operation drew nothing");
    QVERIFY2(theirs != RasterCanvas(c), "QPainter drew nothing");
    const TPictureDifference d = ComparePictures(Shown(theirs), Shown(ours.Image()), c.edgeTolerance);
    // The figure for the table of ours against QPainter.
    qInfo("largest difference %d levels%s%s", d.largest, c.differs ? ": " : "", c.differs ? c.differs : "");
    QVERIFY2(d.ok, qPrintable(d.worst));
}

QTEST_MAIN(TestRaster)
#include "tst_raster.moc"
