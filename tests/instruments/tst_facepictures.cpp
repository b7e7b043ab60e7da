#include "tests/support/testsupport.h"

#include <QtTest>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdlib>

// Every instrument face as instrument-render draws it, compared with the
// pictures kept in tests/data/faces. Drawing code may be rearranged freely as
// long as the pictures stay the same: exact away from edges, and within
// kEdgeTolerance levels per channel on anti-aliased edges, where a different
// but equally good rasterisation moves coverage by a few levels.
//
// After a deliberate change of a face, write new pictures with
//   PEILOMAT_WRITE_FACES=1 build/tests/tst_facepictures
// and look at every one of them before committing.
class TestFacePictures : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void sameAsReference_data();
    void sameAsReference();
    void comparison_data();
    void comparison();

private:
    QString m_tool;
    QTemporaryDir m_dir;
};

namespace {

constexpr int kEdgeTolerance = kPictureEdgeTolerance;

QString ReferenceDir() {
    return QStringLiteral(PEILOMAT_TEST_DATA "/faces");
}

// Stores the picture losslessly in as few bytes as Qt's PNG writer allows:
// a palette when it has few colours, no alpha channel when it is opaque.
bool WriteCompact(const QImage& picture, const QString& file) {
    const QImage argb = picture.convertToFormat(QImage::Format_ARGB32);
    QList<QRgb> palette;
    bool opaque = true;
    for (int y = 0; y < argb.height(); ++y) {
        for (int x = 0; x < argb.width(); ++x) {
            const QRgb c = argb.pixel(x, y);
            opaque = opaque && qAlpha(c) == 255;
            if (palette.size() <= 256 && !palette.contains(c)) palette << c;
        }
    }
    QImage compact = opaque ? argb.convertToFormat(QImage::Format_RGB32) : argb;
    if (palette.size() <= 256) {
        compact = QImage(argb.size(), QImage::Format_Indexed8);
        compact.setColorTable(palette);
        for (int y = 0; y < argb.height(); ++y)
            for (int x = 0; x < argb.width(); ++x)
                compact.setPixel(x, y, static_cast<uint>(palette.indexOf(argb.pixel(x, y))));
    }
    if (!compact.save(file, "PNG", 0)) return false;
    return QImage(file).convertToFormat(QImage::Format_ARGB32) == argb;
}

} // namespace

void TestFacePictures::initTestCase() {
    // Built next to the tests: <build>/tests/tst_... and <build>/tools/instrument-render.
    m_tool = QCoreApplication::applicationDirPath() + QStringLiteral("/../tools/instrument-render");
    QVERIFY2(QFileInfo(m_tool).isExecutable(), qPrintable(m_tool));
    QVERIFY(m_dir.isValid());
    if (qEnvironmentVariableIsSet("PEILOMAT_WRITE_FACES")) QVERIFY(QDir().mkpath(ReferenceDir()));
}

// One row per picture: its file name and the arguments for instrument-render.
// The map positions give round numbers: the aircraft at 498.904,420.906 is on
// radial 96 of the station at 300,400, 199.1 pixels out.
void TestFacePictures::sameAsReference_data() {
    QTest::addColumn<QStringList>("args");

    const QStringList vor{"--station", "300,400"};
    const QStringList onRadial96{"--plane", "498.904,420.906"};
    const QStringList ndbs{"--plane", "500,400", "--station", "600,573.205"};

    QTest::newRow("kk_000") << QStringList{"--type", "KK"};
    QTest::newRow("kk_030") << QStringList{"--type", "KK", "--heading", "30"};
    QTest::newRow("kk_247.5") << QStringList{"--type", "KK", "--heading", "247.5"};
    QTest::newRow("rbi_untuned") << QStringList{"--type", "RBI", "--heading", "60"};
    QTest::newRow("rbi_150") << QStringList{"--type", "RBI", "--heading", "60"} + ndbs;
    QTest::newRow("mdi_card_060") << QStringList{"--type", "MDI", "--heading", "60", "--value", "60"} + ndbs;
    QTest::newRow("mdi_card_wraps") << QStringList{"--type", "MDI", "--value", "725"};
    QTest::newRow("rmi_untuned") << QStringList{"--type", "RMI", "--heading", "315"};
    QTest::newRow("rmi_heading_060") << QStringList{"--type", "RMI", "--heading", "60"} + ndbs;
    QTest::newRow("rmi2_two_stations")
        << QStringList{"--type", "RMI2", "--heading", "60", "--station2", "600,226.795"} + ndbs;
    QTest::newRow("rmi2_first_only") << QStringList{"--type", "RMI2", "--heading", "200"} + ndbs;
    QTest::newRow("rmi2_second_only") << QStringList{"--type",  "RMI2",    "--heading",  "200",
                                                     "--plane", "500,400", "--station2", "600,226.795"};
    QTest::newRow("vor_from") << QStringList{"--type", "VOR", "--value", "90"} + onRadial96 + vor;
    QTest::newRow("vor_to") << QStringList{"--type", "VOR", "--value", "270"} + onRadial96 + vor;
    QTest::newRow("vor_off_at_station")
        << QStringList{"--type", "VOR", "--plane", "305,400", "--value", "90"} + vor;
    QTest::newRow("vor_untuned") << QStringList{"--type", "VOR", "--value", "45"};
    QTest::newRow("vor_full_left") << QStringList{"--type", "VOR", "--value", "120"} + onRadial96 + vor;
    QTest::newRow("vor_full_right") << QStringList{"--type", "VOR", "--value", "75"} + onRadial96 + vor;
    QTest::newRow("vor_rim_mark") << QStringList{"--type", "VOR", "--value", "90", "--dir-to-station"} +
                                         onRadial96 + vor;
    QTest::newRow("hsi_from") << QStringList{"--type", "HSI", "--heading", "60", "--value", "90"} +
                                     onRadial96 + vor;
    QTest::newRow("hsi_to") << QStringList{"--type", "HSI", "--heading", "250", "--value", "280"} +
                                   onRadial96 + vor;
    QTest::newRow("hsi_untuned") << QStringList{"--type", "HSI", "--heading", "60", "--value", "90"} +
                                        onRadial96;
    QTest::newRow("hsi_off_at_station")
        << QStringList{"--type", "HSI", "--heading", "135", "--value", "20", "--plane", "305,400"} + vor;
    QTest::newRow("hsi_full_left") << QStringList{"--type", "HSI", "--heading", "330", "--value", "120"} +
                                          onRadial96 + vor;
    // Not a panel slot: the instrument on a surface of its own at another scale.
    QTest::newRow("w300_kk_100") << QStringList{"--type", "KK", "--heading", "100", "--width", "300"};
    QTest::newRow("w300_rmi2") << QStringList{"--type",     "RMI2",        "--heading", "60",
                                              "--station2", "600,226.795", "--width",   "300"} +
                                      ndbs;
    QTest::newRow("w300_vor_to") << QStringList{"--type", "VOR", "--value", "270", "--width", "300"} +
                                        onRadial96 + vor;
    QTest::newRow("w300_hsi_from") << QStringList{"--type",  "HSI", "--heading", "60",
                                                  "--value", "90",  "--width",   "300"} +
                                          onRadial96 + vor;
    QTest::newRow("w180_mdi") << QStringList{"--type", "MDI", "--value", "330", "--width", "180"} + ndbs;
}

void TestFacePictures::sameAsReference() {
    QFETCH(QStringList, args);
    const QString name = QString::fromLatin1(QTest::currentDataTag());
    const QString got = m_dir.filePath(name + QStringLiteral(".png"));
    const QString ref = ReferenceDir() + QLatin1Char('/') + name + QStringLiteral(".png");

    QProcess p;
    p.start(m_tool, args + QStringList{"--out", got});
    QVERIFY(p.waitForFinished(60000));
    QVERIFY2(p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0,
             qPrintable(QString::fromLocal8Bit(p.readAllStandardError())));

    if (qEnvironmentVariableIsSet("PEILOMAT_WRITE_FACES")) {
        QVERIFY(WriteCompact(QImage(got), ref));
        QSKIP("reference written");
    }

    const QImage reference(ref);
    QVERIFY2(!reference.isNull(), qPrintable(QStringLiteral("no reference picture %1").arg(ref)));
    const TPictureDifference d = ComparePictures(reference, QImage(got));
    if (!d.ok) {
        const QString diff = m_dir.filePath(name + QStringLiteral("_diff.png"));
        if (!d.map.isNull()) d.map.save(diff);
        m_dir.setAutoRemove(false);
        QFAIL(qPrintable(QStringLiteral("%1 differs from %2: %3; drawn %4, differences in %5")
                             .arg(name, ref, d.worst, got, diff)));
    }
}

// The comparison itself: what it lets through and what it catches.
void TestFacePictures::comparison_data() {
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<int>("change");
    QTest::addColumn<bool>("accepted");

    // The reference below is black with a white square from (10,10) to (19,19).
    QTest::newRow("flat area, one level") << QPoint(3, 3) << 1 << false;
    QTest::newRow("inside the square, one level") << QPoint(15, 15) << -1 << false;
    QTest::newRow("edge inside, within tolerance") << QPoint(10, 15) << -kEdgeTolerance << true;
    QTest::newRow("edge outside, within tolerance") << QPoint(9, 15) << kEdgeTolerance << true;
    QTest::newRow("corner diagonal, within tolerance") << QPoint(9, 9) << kEdgeTolerance << true;
    QTest::newRow("edge, beyond tolerance") << QPoint(20, 12) << kEdgeTolerance + 1 << false;
    QTest::newRow("two pixels off the edge") << QPoint(8, 15) << 2 << false;
}

void TestFacePictures::comparison() {
    QFETCH(QPoint, at);
    QFETCH(int, change);
    QFETCH(bool, accepted);

    QImage ref(30, 30, QImage::Format_ARGB32);
    ref.fill(qRgb(0, 0, 0));
    for (int y = 10; y < 20; ++y)
        for (int x = 10; x < 20; ++x)
            ref.setPixel(x, y, qRgb(255, 255, 255));
    QImage got = ref.copy();
    const int v = std::clamp(qGreen(ref.pixel(at)) + change, 0, 255);
    got.setPixel(at, qRgb(qRed(ref.pixel(at)), v, qBlue(ref.pixel(at))));

    const TPictureDifference d = ComparePictures(ref, got);
    QCOMPARE(d.ok, accepted);
    if (!accepted)
        QVERIFY2(d.worst.startsWith(QStringLiteral("pixel (%1, %2)").arg(at.x()).arg(at.y())),
                 qPrintable(d.worst));
    QVERIFY(!ComparePictures(ref, ref.copy(0, 0, 29, 30)).ok);
}

QTEST_GUILESS_MAIN(TestFacePictures)
#include "tst_facepictures.moc"
