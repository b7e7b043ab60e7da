#include <QtTest>

#include <QCoreApplication>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

// The instrument-render tool, run as a user runs it: arguments in, exit code,
// state line and picture out.
class TestInstrumentRender : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void renders_data();
    void renders();
    void rejects_data();
    void rejects();
    void unwritableOutput();

private:
    int Run(const QStringList& args, QString* out = nullptr, QString* err = nullptr);
    QString m_tool;
    QTemporaryDir m_dir;
};

void TestInstrumentRender::initTestCase() {
    // Built next to the tests: <build>/tests/tst_... and <build>/tools/instrument-render.
    m_tool = QCoreApplication::applicationDirPath() + QStringLiteral("/../tools/instrument-render");
    if (!QFileInfo(m_tool).isExecutable()) QSKIP("instrument-render is not built");
    QVERIFY(m_dir.isValid());
}

int TestInstrumentRender::Run(const QStringList& args, QString* out, QString* err) {
    QProcess p;
    p.start(m_tool, args);
    if (!p.waitForFinished(60000)) return -1;
    if (out) *out = QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
    if (err) *err = QString::fromLocal8Bit(p.readAllStandardError()).trimmed();
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
}

void TestInstrumentRender::renders_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("state");
    QTest::addColumn<int>("width");

    QTest::newRow("VOR on the selected radial")
        << QStringList{"--type", "VOR", "--plane", "500,300", "--station", "400,300", "--value", "90"}
        << "typ=4 tofrom=1 ablage=0 obs=90" << 250;
    QTest::newRow("VOR, TO, right end")
        << QStringList{"--type",  "VOR",     "--plane", "300,282.3673",    "--station",
                       "400,300", "--value", "90",      "--dir-to-station"}
        << "typ=4 tofrom=0 ablage=10" << 250;
    QTest::newRow("HSI untuned") << QStringList{"--type", "HSI", "--heading", "45"}
                                 << "typ=5 tofrom=2 ablage=0 course=0 scale=45" << 250;
    QTest::newRow("RBI, station ahead")
        << QStringList{"--type", "RBI", "--plane", "100,100", "--station", "100,50"} << "typ=0 rb=0 scale=0"
        << 250;
    QTest::newRow("RMI2, two stations")
        << QStringList{"--type", "RMI2", "--plane", "100,100", "--station", "100,50", "--station2", "150,100"}
        << "typ=6 rb=0 rb2=90 scale=0" << 250;
    QTest::newRow("MDI card wraps") << QStringList{"--type", "MDI", "--value", "725"} << "typ=1 rb=0 scale=5"
                                    << 250;
    QTest::newRow("KK follows the heading")
        << QStringList{"--type", "KK", "--heading", "30"} << "typ=3 scale=30" << 250;
    QTest::newRow("other width") << QStringList{"--type", "VOR", "--width", "300"} << "typ=4 tofrom=2" << 300;
}

void TestInstrumentRender::renders() {
    QFETCH(QStringList, args);
    QFETCH(QString, state);
    QFETCH(int, width);

    const QString png =
        m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()).replace(' ', '_') + ".png");
    QString out, err;
    QCOMPARE(Run(args + QStringList{"--out", png}, &out, &err), 0);
    QVERIFY2(out.startsWith(state), qPrintable(out + " / " + err));
    QCOMPARE(out.count('\n'), 0);
    const QImage img(png);
    QCOMPARE(img.size(), QSize(width, width));
    // The bezel is there: the grey background in the corner, black card in the middle.
    QCOMPARE(img.pixel(1, 1) & 0xFFFFFF, 0x7F7F7Fu);
}

void TestInstrumentRender::rejects_data() {
    QTest::addColumn<QStringList>("args");

    QTest::newRow("nothing") << QStringList{};
    QTest::newRow("unknown type") << QStringList{"--type", "ADF", "--out", "x.png"};
    QTest::newRow("no type") << QStringList{"--out", "x.png"};
    QTest::newRow("no output") << QStringList{"--type", "VOR"};
    QTest::newRow("value missing at the end") << QStringList{"--out", "x.png", "--type"};
    QTest::newRow("unknown option") << QStringList{"--type", "VOR", "--out", "x.png", "--colour", "red"};
    QTest::newRow("width not a number") << QStringList{"--type", "VOR", "--width", "abc", "--out", "x.png"};
    QTest::newRow("width zero") << QStringList{"--type", "VOR", "--width", "0", "--out", "x.png"};
    QTest::newRow("width huge") << QStringList{"--type", "VOR", "--width", "100000", "--out", "x.png"};
    QTest::newRow("point with one number") << QStringList{"--type", "VOR", "--plane", "1", "--out", "x.png"};
    QTest::newRow("point not a number")
        << QStringList{"--type", "VOR", "--station", "nan,3", "--out", "x.png"};
    QTest::newRow("heading infinite") << QStringList{"--type", "HSI", "--heading", "inf", "--out", "x.png"};
    QTest::newRow("second station on a VOR")
        << QStringList{"--type", "VOR", "--station2", "1,2", "--out", "x.png"};
    QTest::newRow("value on an RBI") << QStringList{"--type", "RBI", "--value", "10", "--out", "x.png"};
    QTest::newRow("rim mark on an HSI") << QStringList{"--type", "HSI", "--dir-to-station", "--out", "x.png"};
}

void TestInstrumentRender::rejects() {
    QFETCH(QStringList, args);
    QString out, err;
    QCOMPARE(Run(args, &out, &err), 2);
    QVERIFY(out.isEmpty());
    QCOMPARE(err.count('\n'), 0);
    QVERIFY2(err.contains("usage: instrument-render --type"), qPrintable(err));
}

void TestInstrumentRender::unwritableOutput() {
    QString out, err;
    QCOMPARE(Run({"--type", "VOR", "--out", m_dir.filePath("missing/dir/x.png")}, &out, &err), 1);
    QVERIFY(err.contains("cannot write"));
}

QTEST_GUILESS_MAIN(TestInstrumentRender)
#include "tst_instrumentrender.moc"
