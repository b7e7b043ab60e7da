#include "world/InstrumentUtilsClass.h"

#include <QtTest>

// The TO/FROM state and deviation rule that both course instruments share.
class TestToFrom : public QObject {
    Q_OBJECT
private slots:
    void courseDeviation_data();
    void courseDeviation();
};

void TestToFrom::courseDeviation_data() {
    QTest::addColumn<float>("bearing");
    QTest::addColumn<float>("course");
    QTest::addColumn<int>("stateIn");
    QTest::addColumn<int>("state");
    QTest::addColumn<float>("deviation");

    // Negative deviation: the course line lies left of the aircraft.
    QTest::newRow("outbound right of course: FROM -10") << 100.f << 90.f << 0 << 1 << -10.f;
    QTest::newRow("inbound left of course: TO 10") << 280.f << 90.f << 0 << 0 << 10.f;
    QTest::newRow("far off, TO -80") << 190.f << 90.f << 0 << 0 << -80.f;
    QTest::newRow("inbound other side: TO 80") << 350.f << 90.f << 0 << 0 << 80.f;
    QTest::newRow("on course outbound") << 90.f << 90.f << 0 << 1 << 0.f;
    QTest::newRow("+90 counts as FROM") << 180.f << 90.f << 0 << 1 << -90.f;
    QTest::newRow("-90 counts as FROM") << 0.f << 90.f << 0 << 1 << 90.f;
    QTest::newRow("just past +90 is TO") << 181.f << 90.f << 0 << 0 << -89.f;
    QTest::newRow("just past -90 is TO") << 359.f << 90.f << 0 << 0 << 89.f;
    QTest::newRow("d exactly +180: TO centred") << 270.f << 90.f << 0 << 0 << 0.f;
    QTest::newRow("d exactly -180: TO centred") << 90.f << 270.f << 0 << 0 << 0.f;
    QTest::newRow("wrap: bearing 0, course 350") << 0.f << 350.f << 0 << 1 << -10.f;
    QTest::newRow("wrap: bearing 360, course 10") << 360.f << 10.f << 0 << 1 << 10.f;
    QTest::newRow("radial 360 with course 0") << 360.f << 0.f << 0 << 1 << 0.f;
    QTest::newRow("entry state 1 is recomputed") << 280.f << 90.f << 1 << 0 << 10.f;
    QTest::newRow("state 2 stays 2") << 100.f << 90.f << 2 << 2 << 0.f;
    QTest::newRow("state 2 stays 2 in TO sector") << 280.f << 90.f << 2 << 2 << 0.f;
}

void TestToFrom::courseDeviation() {
    QFETCH(float, bearing);
    QFETCH(float, course);
    QFETCH(int, stateIn);
    QFETCH(int, state);
    QFETCH(float, deviation);

    int s = stateIn;
    const float d = CourseDeviation(s, bearing, course);
    QCOMPARE(s, state);
    QVERIFY2(std::fabs(d - deviation) < 1e-4f, qPrintable(QStringLiteral("deviation %1").arg(d)));
}

QTEST_GUILESS_MAIN(TestToFrom)
#include "tst_tofrom.moc"
