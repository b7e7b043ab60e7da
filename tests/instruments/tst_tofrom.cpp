#include "instruments/CourseIndication.h"
#include "world/InstrumentUtilsClass.h"

#include <QtTest>

// The TO/FROM state and deviation rule that both course instruments share.
class TestToFrom : public QObject {
    Q_OBJECT
private slots:
    void courseDeviation_data();
    void courseDeviation();
    void fromPositions_data();
    void fromPositions();
};

void TestToFrom::courseDeviation_data() {
    QTest::addColumn<float>("bearing");
    QTest::addColumn<float>("course");
    QTest::addColumn<TToFrom>("stateIn");
    QTest::addColumn<TToFrom>("state");
    QTest::addColumn<float>("deviation");

    // Negative deviation: the course line lies left of the aircraft.
    QTest::newRow("outbound right of course: FROM -10") << 100.f << 90.f << tfTo << tfFrom << -10.f;
    QTest::newRow("inbound left of course: TO 10") << 280.f << 90.f << tfTo << tfTo << 10.f;
    QTest::newRow("far off, TO -80") << 190.f << 90.f << tfTo << tfTo << -80.f;
    QTest::newRow("inbound other side: TO 80") << 350.f << 90.f << tfTo << tfTo << 80.f;
    QTest::newRow("on course outbound") << 90.f << 90.f << tfTo << tfFrom << 0.f;
    QTest::newRow("+90 counts as FROM") << 180.f << 90.f << tfTo << tfFrom << -90.f;
    QTest::newRow("-90 counts as FROM") << 0.f << 90.f << tfTo << tfFrom << 90.f;
    QTest::newRow("just past +90 is TO") << 181.f << 90.f << tfTo << tfTo << -89.f;
    QTest::newRow("just past -90 is TO") << 359.f << 90.f << tfTo << tfTo << 89.f;
    QTest::newRow("d exactly +180: TO centred") << 270.f << 90.f << tfTo << tfTo << 0.f;
    QTest::newRow("d exactly -180: TO centred") << 90.f << 270.f << tfTo << tfTo << 0.f;
    QTest::newRow("wrap: bearing 0, course 350") << 0.f << 350.f << tfTo << tfFrom << -10.f;
    QTest::newRow("wrap: bearing 360, course 10") << 360.f << 10.f << tfTo << tfFrom << 10.f;
    QTest::newRow("radial 360 with course 0") << 360.f << 0.f << tfTo << tfFrom << 0.f;
    QTest::newRow("entry state FROM is recomputed") << 280.f << 90.f << tfFrom << tfTo << 10.f;
    QTest::newRow("OFF stays OFF") << 100.f << 90.f << tfOff << tfOff << 0.f;
    QTest::newRow("OFF stays OFF in the TO sector") << 280.f << 90.f << tfOff << tfOff << 0.f;
}

void TestToFrom::courseDeviation() {
    QFETCH(float, bearing);
    QFETCH(float, course);
    QFETCH(TToFrom, stateIn);
    QFETCH(TToFrom, state);
    QFETCH(float, deviation);

    int s = stateIn;
    const float d = CourseDeviation(s, bearing, course);
    QCOMPARE(s, state);
    QVERIFY2(std::fabs(d - deviation) < 1e-4f, qPrintable(QStringLiteral("deviation %1").arg(d)));
}

void TestToFrom::fromPositions_data() {
    QTest::addColumn<bool>("tuned");
    QTest::addColumn<float>("dx"); // aircraft minus station, map pixels (y down)
    QTest::addColumn<float>("dy");
    QTest::addColumn<float>("course");
    QTest::addColumn<TToFrom>("state");
    QTest::addColumn<float>("deviation");

    QTest::newRow("east of the station, course 090") << true << 100.f << 0.f << 90.f << tfFrom << 0.f;
    QTest::newRow("west of the station, course 090") << true << -100.f << 0.f << 90.f << tfTo << 0.f;
    QTest::newRow("north (radial 360), course 0") << true << 0.f << -100.f << 0.f << tfFrom << 0.f;
    QTest::newRow("south, course 090: at right angles") << true << 0.f << 100.f << 90.f << tfFrom << -90.f;
    QTest::newRow("9.9 px away: no indication") << true << 9.9f << 0.f << 90.f << tfOff << 0.f;
    QTest::newRow("10 px away: indication") << true << 10.f << 0.f << 90.f << tfFrom << 0.f;
    QTest::newRow("6/8 px diagonal is exactly 10") << true << 6.f << 8.f << 90.f << tfFrom << -53.1301f;
    QTest::newRow("on the station") << true << 0.f << 0.f << 90.f << tfOff << 0.f;
    QTest::newRow("untuned") << false << 100.f << 0.f << 45.f << tfOff << 0.f;
}

void TestToFrom::fromPositions() {
    QFETCH(bool, tuned);
    QFETCH(float, dx);
    QFETCH(float, dy);
    QFETCH(float, course);
    QFETCH(TToFrom, state);
    QFETCH(float, deviation);

    const TSinglePoint station{400.0f, 300.0f};
    const TCourseIndication ind =
        ComputeCourseIndication(tuned, station, {station.X + dx, station.Y + dy}, course);
    QCOMPARE(ind.ToFrom, state);
    QVERIFY2(std::fabs(ind.Ablage - deviation) < 1e-3f,
             qPrintable(QStringLiteral("deviation %1").arg(ind.Ablage)));
}

QTEST_GUILESS_MAIN(TestToFrom)
#include "tst_tofrom.moc"
