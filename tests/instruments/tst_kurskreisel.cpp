// The heading indicator: its card follows the aircraft heading, nothing else.
#include "instruments/KursKreisel.h"
#include "rig/InstrumentRig.h"
#include "tests/support/instrumentprobe.h"

#include <QtTest>

class TstKursKreisel : public QObject {
    Q_OBJECT

    std::unique_ptr<TInstrumentRig> rig;
    std::shared_ptr<TFlugzeug> plane;
    ImageSurface* instr = nullptr;
    std::shared_ptr<TKursKreisel> kk;

private slots:
    // The heading indicator every new aircraft carries in slot 0.
    void init() {
        rig = std::make_unique<TInstrumentRig>(TSinglePoint{100, 100});
        plane = rig->plane;
        instr = &rig->panel;
        kk = std::dynamic_pointer_cast<TKursKreisel>(plane->GetInstrument(0));
        QVERIFY(kk);
    }
    void cleanup() {
        kk.reset();
        plane.reset();
        rig.reset();
    }

    void listensToTheHeadingOnly() {
        QCOMPARE(kk->GetNotificationTypes(), (TNotificationTypes{ntHeading}));
        QCOMPARE(kk->GetTyp(), icKursKreisel);
        QVERIFY(!std::dynamic_pointer_cast<IInstrumentMitStation>(plane->GetInstrument(0)));
    }

    // The heading stands under the top index; labels inside the tick ring.
    void cardFollowsTheHeading_data() {
        QTest::addColumn<float>("heading");
        QTest::addColumn<QString>("label");
        QTest::addColumn<float>("value"); // the label's card value
        QTest::newRow("0: N at the top") << 0.0f << "N" << 0.0f;
        QTest::newRow("0: E right") << 0.0f << "E" << 90.0f;
        QTest::newRow("90: E at the top") << 90.0f << "E" << 90.0f;
        QTest::newRow("90: N left") << 90.0f << "N" << 0.0f;
        QTest::newRow("275.5: W 5.5 left of the top") << 275.5f << "W" << 270.0f;
        QTest::newRow("275.5: 30 right of the top") << 275.5f << "30" << 300.0f;
        QTest::newRow("359: N 1 right of the top") << 359.0f << "N" << 360.0f;
    }
    void cardFollowsTheHeading() {
        QFETCH(float, heading);
        QFETCH(QString, label);
        QFETCH(float, value);
        plane->SetValue(heading);
        QCOMPARE(kk->GetScaleHeading(), heading);
        const double match =
            LabelMatch(instr->Render(), *kk, label, LabelRadius(*kk, label, true), value - heading);
        QVERIFY2(match > 0.9, qPrintable(QString::number(match)));
    }

    void headingIsNormalised() {
        kk->SetPlaneHeading(450.0f);
        QCOMPARE(kk->GetScaleHeading(), 90.0f);
        kk->SetPlaneHeading(-30.0f);
        QCOMPARE(kk->GetScaleHeading(), 330.0f);
    }

    // One screen update per heading change; nothing for anything else.
    void repaints_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("repaints");
        QTest::newRow("heading changes") << "turn" << 1;
        QTest::newRow("same heading announced again") << "same" << 0;
        QTest::newRow("aircraft moves") << "move" << 0;
    }
    void repaints() {
        QFETCH(QString, action);
        QFETCH(int, repaints);
        plane->SetValue(40.0f);
        const int before = instr->RepaintCount();
        if (action == "turn")
            plane->SetValue(41.0f);
        else if (action == "same")
            plane->SetValue(40.0f);
        else
            plane->SetPosition({200, 150});
        QCOMPARE(instr->RepaintCount() - before, repaints);
    }

    void unbindingLeavesTheCard() {
        plane->SetValue(123.0f);
        kk->SetPlaneSubject(nullptr);
        plane->SetValue(10.0f);
        QCOMPARE(kk->GetScaleHeading(), 123.0f);
        kk->SetPlaneSubject(plane); // rebinding shows the current heading at once
        QCOMPARE(kk->GetScaleHeading(), 10.0f);
    }
};

QTEST_MAIN(TstKursKreisel)
#include "tst_kurskreisel.moc"
