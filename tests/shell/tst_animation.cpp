#include "shell/WertEingabeForm.h"
#include "tests/support/mainformfixture.h"
#include "world/I_Flugzeug.h"

#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <cmath>

namespace {

// Start, Stopp, Reset enabled, and the animation timer running.
using TAnimState = QList<bool>;

TAnimState StateOf(const TfrmMainTalvex& form) {
    return {form.btnAnimStart->isEnabled(), form.btnAnimStop->isEnabled(), form.btnAnimReset->isEnabled(),
            form.tmrAnimation->isActive()};
}

void Click(QPushButton* button) {
    QTest::mouseClick(button, Qt::LeftButton);
}

QToolButton* SpeedButton(TfrmMainTalvex& form, const QString& caption) {
    for (QToolButton* b : form.sbSpeed)
        if (b->text() == caption) return b;
    return nullptr;
}

void PressAndRelease(TfrmMainTalvex& form, const QString& caption) {
    QToolButton* b = SpeedButton(form, caption);
    QVERIFY2(b, qPrintable(caption));
    QTest::mousePress(b, Qt::LeftButton);
    QTest::mouseRelease(b, Qt::LeftButton);
}

} // namespace

class TestAnimation : public QObject {
    Q_OBJECT
private slots:
    void stateTable_data();
    void stateTable();
    void timers();
    void positionAfterSteps_data();
    void positionAfterSteps();
    void resetReturnsToLastStart();
    void speedSteps_data();
    void speedSteps();
    void doubleClickIsTwoSteps_data();
    void doubleClickIsTwoSteps();
    void holdingRepeatsEveryTick();
    void speedEntry_data();
    void speedEntry();
    void switchingAircraftStopsAnimation();
};

void TestAnimation::stateTable_data() {
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<TAnimState>("state"); // Start, Stopp, Reset, timer
    QTest::newRow("idle") << QStringList{} << TAnimState{true, false, false, false};
    QTest::newRow("running") << QStringList{"Start"} << TAnimState{false, true, true, true};
    QTest::newRow("stopped") << QStringList{"Start", "Stopp"} << TAnimState{true, false, true, false};
    QTest::newRow("restarted") << QStringList{"Start", "Stopp", "Start"}
                               << TAnimState{false, true, true, true};
    QTest::newRow("reset after stop")
        << QStringList{"Start", "Stopp", "Reset"} << TAnimState{true, false, false, false};
    QTest::newRow("reset while running")
        << QStringList{"Start", "Reset"} << TAnimState{true, false, false, false};
    // Disabled buttons do nothing.
    QTest::newRow("stop when idle") << QStringList{"Stopp", "Reset"} << TAnimState{true, false, false, false};
    QTest::newRow("start twice") << QStringList{"Start", "Start"} << TAnimState{false, true, true, true};
}

void TestAnimation::stateTable() {
    QFETCH(QStringList, clicks);
    QFETCH(TAnimState, state);
    TModalRecorder recorder;
    const auto form = NewMainForm(true);
    for (const QString& caption : clicks) {
        for (QPushButton* b : {form->btnAnimStart, form->btnAnimStop, form->btnAnimReset})
            if (b->text() == caption) Click(b);
    }
    QCOMPARE(StateOf(*form), state);
}

void TestAnimation::timers() {
    TModalRecorder recorder;
    const auto form = NewMainForm();
    QCOMPARE(form->tmrAnimation->interval(), 20);
    QVERIFY(!form->tmrAnimation->isActive());
    QVERIFY(!form->Timer1->isActive());
    // The real timer moves the aircraft by itself.
    const auto plane = form->Flugzeuge[0];
    plane->SetPosition(TSinglePoint{200.0f, 200.0f});
    form->btnAnimStartClick();
    QTRY_VERIFY(plane->GetPosition().Y < 199.0f);
    form->btnAnimStopClick();
    QCOMPARE(plane->GetPosition().X, 200.0f);
}

void TestAnimation::positionAfterSteps_data() {
    QTest::addColumn<float>("heading");
    QTest::addColumn<float>("speed");
    QTest::addColumn<int>("steps");
    QTest::addColumn<QPointF>("moved");
    QTest::newRow("north, speed 1") << 0.0f << 1.0f << 50 << QPointF(0, -50);
    QTest::newRow("east, speed 2") << 90.0f << 2.0f << 10 << QPointF(20, 0);
    QTest::newRow("south, speed 1") << 180.0f << 1.0f << 7 << QPointF(0, 7);
    QTest::newRow("west, speed 0.5") << 270.0f << 0.5f << 4 << QPointF(-2, 0);
    QTest::newRow("north-east") << 45.0f << 1.0f << 10 << QPointF(10 / std::sqrt(2.0), -10 / std::sqrt(2.0));
    QTest::newRow("beyond the map edge") << 0.0f << 100.0f << 30 << QPointF(0, -3000);
}

void TestAnimation::positionAfterSteps() {
    QFETCH(float, heading);
    QFETCH(float, speed);
    QFETCH(int, steps);
    QFETCH(QPointF, moved);
    TModalRecorder recorder;
    const auto form = NewMainForm();
    const auto plane = form->Flugzeuge[0];
    plane->SetKurs(heading);
    plane->SetSpeed(speed);
    plane->SetPosition(TSinglePoint{300.0f, 200.0f});
    for (int i = 0; i < steps; ++i)
        form->tmrAnimationTimer();
    const TSinglePoint p = plane->GetPosition();
    QVERIFY2(std::abs(p.X - (300.0 + moved.x())) < 1e-3, qPrintable(QString::number(p.X)));
    QVERIFY2(std::abs(p.Y - (200.0 + moved.y())) < 1e-3, qPrintable(QString::number(p.Y)));
    // The symbol follows the aircraft.
    QCOMPARE(std::dynamic_pointer_cast<TFlugzeug>(plane)->Layer()->Location().center(), QPointF(p.X, p.Y));
}

void TestAnimation::resetReturnsToLastStart() {
    TModalRecorder recorder;
    const auto form = NewMainForm(true);
    const auto plane = form->Flugzeuge[0];
    plane->SetKurs(90.0f);
    plane->SetPosition(TSinglePoint{100.0f, 100.0f});
    Click(form->btnAnimStart);
    for (int i = 0; i < 5; ++i)
        form->tmrAnimationTimer();
    Click(form->btnAnimStop);
    QCOMPARE(plane->GetPosition(), (TSinglePoint{105.0f, 100.0f}));
    Click(form->btnAnimStart);
    for (int i = 0; i < 3; ++i)
        form->tmrAnimationTimer();
    Click(form->btnAnimReset);
    QCOMPARE(plane->GetPosition(), (TSinglePoint{105.0f, 100.0f}));
    QVERIFY(!plane->GetAusgangsPositionGespeichert());
    QVERIFY(!form->btnAnimReset->isEnabled());
    // Reset stays disabled until the next start.
    Click(form->btnAnimStart);
    Click(form->btnAnimStop);
    QVERIFY(form->btnAnimReset->isEnabled());
}

void TestAnimation::speedSteps_data() {
    QTest::addColumn<QStringList>("buttons");
    QTest::addColumn<float>("speed");
    QTest::addColumn<float>("tolerance");
    QTest::newRow("<<") << QStringList{"<<"} << 0.5f << 0.0f;
    QTest::newRow(">>") << QStringList{">>"} << 2.0f << 0.0f;
    QTest::newRow(">") << QStringList{">"} << 1.1f << 1e-6f;
    QTest::newRow("<") << QStringList{"<"} << float(1.0 / 1.1) << 1e-6f;
    QTest::newRow("<< then >>") << QStringList{"<<", ">>"} << 1.0f << 0.0f;
    QTest::newRow("< then >") << QStringList{"<", ">"} << 1.0f << 1e-6f;
    QTest::newRow("> then <") << QStringList{">", "<"} << 1.0f << 1e-6f;
}

void TestAnimation::speedSteps() {
    QFETCH(QStringList, buttons);
    QFETCH(float, speed);
    QFETCH(float, tolerance);
    TModalRecorder recorder;
    const auto form = NewMainForm(true);
    for (const QString& caption : buttons)
        PressAndRelease(*form, caption);
    QVERIFY(!form->Timer1->isActive());
    QVERIFY(!form->btnMouseDown);
    const float v = form->Flugzeuge[0]->GetSpeed();
    QVERIFY2(std::abs(v - speed) <= tolerance, qPrintable(QString::number(v, 'g', 9)));
    // The steps work whether or not the aircraft flies, and do not move it.
    QVERIFY(!form->tmrAnimation->isActive());
}

void TestAnimation::doubleClickIsTwoSteps_data() {
    QTest::addColumn<QString>("caption");
    QTest::addColumn<Qt::MouseButton>("mouse");
    QTest::addColumn<int>("doubleClicks");
    QTest::addColumn<float>("speed");
    QTest::newRow(">> twice") << ">>" << Qt::LeftButton << 1 << 4.0f;
    QTest::newRow("<< twice") << "<<" << Qt::LeftButton << 1 << 0.25f;
    QTest::newRow("> twice") << ">" << Qt::LeftButton << 1 << float(1.1 * 1.1);
    QTest::newRow("< twice") << "<" << Qt::LeftButton << 1 << float(1 / 1.1 / 1.1);
    QTest::newRow(">> four quick clicks") << ">>" << Qt::LeftButton << 2 << 16.0f;
    QTest::newRow(">> twice with the right mouse button") << ">>" << Qt::RightButton << 1 << 4.0f;
}

void TestAnimation::doubleClickIsTwoSteps() {
    QFETCH(QString, caption);
    QFETCH(Qt::MouseButton, mouse);
    QFETCH(int, doubleClicks);
    QFETCH(float, speed);
    TModalRecorder recorder;
    const auto form = NewMainForm(true);
    QToolButton* b = SpeedButton(*form, caption);
    QVERIFY(b);
    // The window system sends press, release, double-click (in place of the
    // second press), release; four quick clicks are two such pairs.
    for (int i = 0; i < doubleClicks; ++i) {
        QTest::mouseClick(b, mouse);
        QTest::mouseDClick(b, mouse);
        QTest::mouseRelease(b, mouse);
    }
    const float v = form->Flugzeuge[0]->GetSpeed();
    QVERIFY2(std::abs(v - speed) <= 1e-6f, qPrintable(QString::number(v, 'g', 9)));
    QVERIFY(!form->Timer1->isActive());
    QVERIFY(!form->btnMouseDown);
}

void TestAnimation::holdingRepeatsEveryTick() {
    TModalRecorder recorder;
    const auto form = NewMainForm(true);
    const auto plane = form->Flugzeuge[0];
    QToolButton* faster = SpeedButton(*form, QStringLiteral(">>"));
    QTest::mousePress(faster, Qt::LeftButton);
    // The press itself changes nothing; it arms the repeat.
    QCOMPARE(plane->GetSpeed(), 1.0f);
    QVERIFY(form->Timer1->isActive());
    QCOMPARE(form->Timer1->interval(), 250);
    QCOMPARE(form->btnMouseDown, faster);
    for (int tick = 0; tick < 3; ++tick)
        form->Timer1Timer();
    QCOMPARE(plane->GetSpeed(), 8.0f);
    QTest::mouseRelease(faster, Qt::LeftButton);
    QCOMPARE(plane->GetSpeed(), 16.0f);
    QVERIFY(!form->Timer1->isActive());
    // A stray tick after the release does nothing.
    form->Timer1Timer();
    QCOMPARE(plane->GetSpeed(), 16.0f);
}

void TestAnimation::speedEntry_data() {
    QTest::addColumn<float>("speed");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("vorKomma"); // -1: leave the field as shown
    QTest::addColumn<int>("nachKomma");
    QTest::addColumn<QList<int>>("shown");
    QTest::addColumn<float>("result");
    QTest::newRow("2,0 to 3,0") << 2.0f << true << 3 << 0 << QList<int>{2, 0} << 3.0f;
    QTest::newRow("cancel keeps 2") << 2.0f << false << 3 << 0 << QList<int>{2, 0} << 2.0f;
    QTest::newRow("unchanged keeps 2,3 exactly") << 2.3f << true << -1 << -1 << QList<int>{2, 3} << 2.3f;
    QTest::newRow("tenths added") << 1.0f << true << 1 << 5 << QList<int>{1, 0} << 1.5f;
    QTest::newRow("1/1.1 unchanged") << float(1.0 / 1.1) << true << -1 << -1 << QList<int>{0, 9}
                                     << float(1.0 / 1.1);
    QTest::newRow("beyond the field unchanged") << 400.0f << true << -1 << -1 << QList<int>{359, 0} << 400.0f;
    QTest::newRow("beyond the field, one less") << 400.0f << true << 358 << 0 << QList<int>{359, 0} << 399.0f;
}

void TestAnimation::speedEntry() {
    QFETCH(float, speed);
    QFETCH(bool, ok);
    QFETCH(int, vorKomma);
    QFETCH(int, nachKomma);
    QFETCH(QList<int>, shown);
    QFETCH(float, result);
    TModalRecorder recorder;
    QList<int> seen;
    QString title;
    recorder.Answer = [&](QDialog& dialog) {
        auto* entry = qobject_cast<TfrmWertEing*>(&dialog);
        if (!entry) return int(QDialog::Rejected);
        title = entry->windowTitle();
        seen = {entry->seVorKomma->value(), entry->seNachKomma->value()};
        if (vorKomma >= 0) entry->seVorKomma->setValue(vorKomma);
        if (nachKomma >= 0) entry->seNachKomma->setValue(nachKomma);
        return int(ok ? QDialog::Accepted : QDialog::Rejected);
    };
    const auto form = NewMainForm(true);
    const auto plane = form->Flugzeuge[0];
    plane->SetSpeed(speed);
    QTest::mouseClick(form->sbV, Qt::LeftButton);
    QCOMPARE(recorder.DialogClasses.count(QStringLiteral("TfrmWertEing")), 1);
    QCOMPARE(title, QStringLiteral("Wert eingeben"));
    QCOMPARE(seen, shown);
    QVERIFY2(std::abs(plane->GetSpeed() - result) <= 1e-6f * std::max(1.0f, result),
             qPrintable(QString::number(plane->GetSpeed(), 'g', 9)));
    if (vorKomma < 0 && nachKomma < 0) QCOMPARE(plane->GetSpeed(), result);
}

void TestAnimation::switchingAircraftStopsAnimation() {
    TModalRecorder recorder;
    const auto form = NewMainForm(true);
    const int index = 1;
    form->Flugzeuge.push_back(
        TFlugzeug::Create(form->ImgNav, form->ImgInstr, TSinglePoint{50.0f, 50.0f}, index, form->IRadial));
    form->seFlugzeug->setMaximum(2);
    form->seFlugzeug->setReadOnly(false);
    const auto first = form->Flugzeuge[0];
    const auto second = form->Flugzeuge[1];
    second->SetSpeed(3.0f);
    Click(form->btnAnimStart);
    form->seFlugzeug->setValue(2);
    QCOMPARE(form->FSelectedPlane, 1);
    // Stopped; the new aircraft has no start position, so no Reset.
    QCOMPARE(StateOf(*form), (TAnimState{true, false, false, false}));
    QCOMPARE(second->GetSpeed(), 3.0f);
    PressAndRelease(*form, QStringLiteral(">>"));
    QCOMPARE(second->GetSpeed(), 6.0f);
    QCOMPARE(first->GetSpeed(), 1.0f);
    // Steps move only the active aircraft.
    const TSinglePoint before = first->GetPosition();
    form->tmrAnimationTimer();
    QCOMPARE(first->GetPosition(), before);
    QCOMPARE(second->GetPosition(), (TSinglePoint{50.0f, 44.0f}));
    // Back to the first: its saved start position makes Reset available.
    form->seFlugzeug->setValue(1);
    QCOMPARE(StateOf(*form), (TAnimState{true, false, true, false}));
    QVERIFY(first->GetSelected());
    QVERIFY(!second->GetSelected());
}

QTEST_MAIN(TestAnimation)
#include "tst_animation.moc"
