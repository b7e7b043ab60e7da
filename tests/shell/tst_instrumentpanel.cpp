// The type buttons, station selectors, value panels and aircraft selector,
// driven through the real controls of a main window.
#include "shell/ValuePanel.h"
#include "tests/support/mainformfixture.h"
#include "tests/support/pixelprobe.h"
#include "tests/support/sceneactions.h"
#include "world/I_Flugzeug.h"
#include "world/I_Stations.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>

namespace {

std::shared_ptr<IInstrumentMitStation> Tuned(TfrmMainTalvex& form, int slot, int plane = -1) {
    const auto& aircraft = form.Flugzeuge[static_cast<std::size_t>(plane < 0 ? form.FSelectedPlane : plane)];
    return std::dynamic_pointer_cast<IInstrumentMitStation>(aircraft->GetInstrument(slot));
}

bool Shown(TfrmMainTalvex& form, const char* name) {
    const QWidget* w = Control(form, name);
    return w && !w->isHidden();
}

bool Down(TfrmMainTalvex& form, const char* name) {
    const auto* b = qobject_cast<QToolButton*>(Control(form, name));
    return b && b->isChecked();
}

// Two VORs and two NDBs, added in the order VOR, NDB, VOR, NDB, placed in a
// row well away from the aircraft so that every instrument has a signal.
void AddStations(TfrmMainTalvex& form) {
    float x = 100;
    for (const char* button : {"btnVORadd", "btnNDBAdd", "btnVORadd", "btnNDBAdd"}) {
        ClickButton(form, button);
        form.Stationen.back()->SetPosition(TSinglePoint{x, 100});
        x += 100;
    }
    form.ActivePlane()->SetPosition(TSinglePoint{600, 250});
}

} // namespace

class TestInstrumentPanel : public QObject {
    Q_OBJECT
private slots:
    void selectorsListTheStationsOfTheType_data();
    void selectorsListTheStationsOfTheType();
    void valuePanelsFollowTheInstruments_data();
    void valuePanelsFollowTheInstruments();
    void tuningRetuningAndTuningAgain();
    void twoInstrumentsOnOneStation();
    void replacingVagByHsiGivesAnUntunedHsi();
    void raisingThePressedRmiEmptiesTheSlot();
    void switchingAircraftKeepsTheirTuning();
    void panelUpdatesFireNoHandler();
    void aircraftSelectorNeverChoosesAMissingAircraft_data();
    void aircraftSelectorNeverChoosesAMissingAircraft();
    void vagTakesTheRimMarkOption();
    void rmiOptionReplacesTheActiveAircraftsRmis();
};

void TestInstrumentPanel::selectorsListTheStationsOfTheType_data() {
    QTest::addColumn<QByteArray>("button");
    QTest::addColumn<bool>("twoNeedles");
    QTest::addColumn<bool>("stations");
    QTest::addColumn<QByteArray>("selector");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QStringList>("second"); // cbLFreq2, or {"hidden"}
    const QStringList vors{"VOR 1", "VOR 2"}, ndbs{"NDB 1", "NDB 2"};
    const QStringList all{"VOR 1", "NDB 1", "VOR 2", "NDB 2"}, hidden{"hidden"};
    QTest::newRow("VAG: VOR only") << QByteArray("sbVOR2") << true << true << QByteArray("cbFreq2") << vors
                                   << hidden;
    QTest::newRow("HSI: VOR only") << QByteArray("sbHSI2") << true << true << QByteArray("cbFreq2") << vors
                                   << hidden;
    QTest::newRow("RBI: NDB only") << QByteArray("sbRBI2") << true << true << QByteArray("cbFreq2") << ndbs
                                   << hidden;
    QTest::newRow("MDI: NDB only") << QByteArray("sbMDI2") << true << true << QByteArray("cbFreq2") << ndbs
                                   << hidden;
    QTest::newRow("RMI: NDB only") << QByteArray("sbRMI2") << false << true << QByteArray("cbFreq2") << ndbs
                                   << hidden;
    QTest::newRow("two-needle RMI: all, both needles")
        << QByteArray("sbRMI2") << true << true << QByteArray("cbFreq2") << all << all;
    QTest::newRow("left HSI: VOR only")
        << QByteArray("sbHSI1") << true << true << QByteArray("cbFreq1") << vors << hidden;
    QTest::newRow("no stations: empty")
        << QByteArray("sbVOR2") << true << false << QByteArray("cbFreq2") << QStringList() << hidden;
    QTest::newRow("no stations, two-needle RMI")
        << QByteArray("sbRMI2") << true << false << QByteArray("cbFreq2") << QStringList() << QStringList();
}

void TestInstrumentPanel::selectorsListTheStationsOfTheType() {
    QFETCH(QByteArray, button);
    QFETCH(bool, twoNeedles);
    QFETCH(bool, stations);
    QFETCH(QByteArray, selector);
    QFETCH(QStringList, entries);
    QFETCH(QStringList, second);
    TModalRecorder recorder;
    const auto form = NewMainForm(true);
    if (stations) AddStations(*form);
    if (!twoNeedles) form->mm2OptRMImitzweiZeigern->trigger();
    QCOMPARE(form->mm2OptRMImitzweiZeigern->isChecked(), twoNeedles);
    QVERIFY(!Shown(*form, "cbFreq1"));
    ClickButton(*form, button.constData());
    QVERIFY(Down(*form, button.constData()));
    QVERIFY(Shown(*form, selector.constData()));
    const auto* box = qobject_cast<QComboBox*>(Control(*form, selector.constData()));
    QCOMPARE(Entries(box), entries);
    QCOMPARE(box->currentIndex(), -1);
    if (second == QStringList{"hidden"}) {
        QVERIFY(!Shown(*form, "cbLFreq2"));
    } else {
        QVERIFY(Shown(*form, "cbLFreq2"));
        QCOMPARE(Entries(form->cbLFreq2), second);
    }
    // Back to the heading indicator: the left selector goes.
    if (button == "sbHSI1") {
        ClickButton(*form, "sbKK");
        QVERIFY(Down(*form, "sbKK"));
        QVERIFY(!Down(*form, "sbHSI1"));
        QVERIFY(!Shown(*form, "cbFreq1"));
        QCOMPARE(form->Flugzeuge[0]->GetInstrument(0)->GetTyp(), icKursKreisel);
    }
}

void TestInstrumentPanel::valuePanelsFollowTheInstruments_data() {
    QTest::addColumn<QByteArray>("button");
    QTest::addColumn<QByteArray>("panel");
    QTest::addColumn<bool>("shown");
    QTest::newRow("VAG: OBS") << QByteArray("sbVOR3") << QByteArray("pnlSetValues3") << true;
    QTest::newRow("HSI: course") << QByteArray("sbHSI2") << QByteArray("pnlSetValues2") << true;
    QTest::newRow("MDI: card") << QByteArray("sbMDI2") << QByteArray("pnlSetValues2") << true;
    QTest::newRow("RBI: none") << QByteArray("sbRBI2") << QByteArray("pnlSetValues2") << false;
    QTest::newRow("RMI: none") << QByteArray("sbRMI3") << QByteArray("pnlSetValues3") << false;
    QTest::newRow("left HSI: course") << QByteArray("sbHSI1") << QByteArray("pnlSetValues1") << true;
}

void TestInstrumentPanel::valuePanelsFollowTheInstruments() {
    QFETCH(QByteArray, button);
    QFETCH(QByteArray, panel);
    QFETCH(bool, shown);
    TModalRecorder recorder;
    const auto form = NewMainForm(true);
    ClickButton(*form, button.constData());
    auto* valuePanel = qobject_cast<TsuiSetValuePanel*>(Control(*form, panel.constData()));
    QCOMPARE(!valuePanel->isHidden(), shown);
    const int slot = panel.back() - '1';
    const auto instrument = form->Flugzeuge[0]->GetInstrument(slot);
    QCOMPARE(valuePanel->ValueSettingInterface(), std::dynamic_pointer_cast<IValueSetting>(instrument));
    // The heading panel stays with the aircraft.
    QVERIFY(Shown(*form, "pnlSetHeading"));
    QCOMPARE(form->pnlSetHeading->ValueSettingInterface(),
             std::dynamic_pointer_cast<IValueSetting>(form->Flugzeuge[0]));
    // The value panel drives the instrument it is bound to.
    if (shown) {
        const float before = valuePanel->ValueSettingInterface()->GetValue();
        QTest::mouseClick(valuePanel->findChild<QWidget*>(QStringLiteral("SlowPlus")), Qt::LeftButton);
        QCOMPARE(valuePanel->ValueSettingInterface()->GetValue(), before + 1.0f);
    }
}

void TestInstrumentPanel::tuningRetuningAndTuningAgain() {
    TModalRecorder recorder;
    const auto form = NewMainForm(true);
    AddStations(*form);
    ClickButton(*form, "sbVOR2");
    const auto vor = Tuned(*form, 1);
    QVERIFY(vor->GetStation().isEmpty());
    const auto& vor1 = form->Stationen[0];
    const auto& vor2 = form->Stationen[2];

    QVERIFY(Pick(*form, "cbFreq2", "VOR 1"));
    QCOMPARE(vor->GetStation(), QStringLiteral("VOR 1"));
    QCOMPARE(Chosen(*form, "cbFreq2"), QStringLiteral("VOR 1"));
    const int observers = std::dynamic_pointer_cast<TSubject>(vor1)->ObserverCount();
    QVERIFY(observers > 0);

    // The station already tuned: nothing changes.
    QVERIFY(Pick(*form, "cbFreq2", "VOR 1"));
    QCOMPARE(std::dynamic_pointer_cast<TSubject>(vor1)->ObserverCount(), observers);
    QCOMPARE(Tuned(*form, 1), vor);

    QVERIFY(Pick(*form, "cbFreq2", "VOR 2"));
    QCOMPARE(vor->GetStation(), QStringLiteral("VOR 2"));
    QCOMPARE(std::dynamic_pointer_cast<TSubject>(vor1)->ObserverCount(), 0);
    QCOMPARE(std::dynamic_pointer_cast<TSubject>(vor2)->ObserverCount(), observers);
    // The map shows the radial of the station now tuned, at once.
    QVERIFY(CountIn(form->RadialLayer->Bitmap(), IsInked) > 0);
}

void TestInstrumentPanel::twoInstrumentsOnOneStation() {
    TModalRecorder recorder;
    const auto form = NewMainForm(true);
    AddStations(*form);
    ClickButton(*form, "sbRBI2");
    ClickButton(*form, "sbRMI3");
    QVERIFY(Pick(*form, "cbFreq2", "NDB 2"));
    QVERIFY(Pick(*form, "cbFreq3", "NDB 2"));
    QCOMPARE(Tuned(*form, 1)->GetStation(), QStringLiteral("NDB 2"));
    QCOMPARE(Tuned(*form, 2)->GetStation(), QStringLiteral("NDB 2"));
    // Untuning one leaves the other on the station.
    QVERIFY(Pick(*form, "cbFreq3", "NDB 1"));
    QCOMPARE(Tuned(*form, 1)->GetStation(), QStringLiteral("NDB 2"));
    QVERIFY(std::dynamic_pointer_cast<TSubject>(form->Stationen[3])->ObserverCount() > 0);
}

void TestInstrumentPanel::replacingVagByHsiGivesAnUntunedHsi() {
    TModalRecorder recorder;
    const auto form = NewMainForm(true);
    AddStations(*form);
    ClickButton(*form, "sbVOR2");
    QVERIFY(Pick(*form, "cbFreq2", "VOR 2"));
    QVERIFY(CountIn(form->RadialLayer->Bitmap(), IsInked) > 0);
    ClickButton(*form, "sbHSI2");
    QVERIFY(Down(*form, "sbHSI2"));
    QVERIFY(!Down(*form, "sbVOR2"));
    QCOMPARE(form->Flugzeuge[0]->GetInstrument(1)->GetTyp(), icHSI);
    QVERIFY(Tuned(*form, 1)->GetStation().isEmpty());
    QCOMPARE(Chosen(*form, "cbFreq2"), QString());
    // The VAG's radial left the map with it.
    QCOMPARE(CountIn(form->RadialLayer->Bitmap(), IsInked), 0);
}

void TestInstrumentPanel::raisingThePressedRmiEmptiesTheSlot() {
    TModalRecorder recorder;
    const auto form = NewMainForm(true);
    AddStations(*form);
    ClickButton(*form, "sbRMI2");
    QCOMPARE(form->Flugzeuge[0]->GetInstrument(1)->GetTyp(), icRMI2);
    QVERIFY(Pick(*form, "cbLFreq2", "VOR 1"));
    QVERIFY(Shown(*form, "cbLFreq2"));
    ClickButton(*form, "sbRMI2");
    QVERIFY(!form->Flugzeuge[0]->GetInstrument(1));
    for (const char* name : {"sbVOR2", "sbHSI2", "sbRBI2", "sbMDI2", "sbRMI2"})
        QVERIFY2(!Down(*form, name), name);
    QVERIFY(!Shown(*form, "pnlSetValues2"));
    QVERIFY(!Shown(*form, "cbFreq2"));
    QVERIFY(!Shown(*form, "cbLFreq2"));
    QCOMPARE(form->cbFreq2->count(), 0);
    QCOMPARE(form->cbLFreq2->count(), 0);
    QCOMPARE(std::dynamic_pointer_cast<TSubject>(form->Stationen[0])->ObserverCount(), 0);
    // The left slot's pressed button stays down and changes nothing.
    const auto kk = form->Flugzeuge[0]->GetInstrument(0);
    ClickButton(*form, "sbKK");
    QVERIFY(Down(*form, "sbKK"));
    QCOMPARE(form->Flugzeuge[0]->GetInstrument(0), kk);
}

void TestInstrumentPanel::switchingAircraftKeepsTheirTuning() {
    TModalRecorder recorder;
    const auto form = NewMainForm(true);
    AddStations(*form);
    ClickButton(*form, "sbVOR2");
    QVERIFY(Pick(*form, "cbFreq2", "VOR 2"));
    ClickButton(*form, "btnAddFlugzeug");
    QCOMPARE(form->FSelectedPlane, 1);
    QVERIFY(!Down(*form, "sbVOR2"));
    QVERIFY(!Shown(*form, "cbFreq2"));
    ClickButton(*form, "sbRBI3");
    QVERIFY(Pick(*form, "cbFreq3", "NDB 1"));
    const auto rbi = Tuned(*form, 2, 1);

    form->seFlugzeug->setValue(1);
    QCOMPARE(form->FSelectedPlane, 0);
    QVERIFY(Down(*form, "sbVOR2"));
    QCOMPARE(Chosen(*form, "cbFreq2"), QStringLiteral("VOR 2"));
    QVERIFY(!Shown(*form, "cbFreq3"));
    QVERIFY(form->Flugzeuge[0]->GetInstrument(1)->GetVisible());
    QVERIFY(!form->Flugzeuge[1]->GetInstrument(2)->GetVisible());
    // Aircraft 2's RBI keeps its station but no longer follows it.
    const TSinglePoint before = rbi->GetStationPosition();
    form->Stationen[1]->SetPosition(TSinglePoint{before.X + 40, before.Y + 30});
    QCOMPARE(rbi->GetStationPosition(), before);
    QCOMPARE(rbi->GetStation(), QStringLiteral("NDB 1"));
    // Aircraft 1's VAG does follow its station.
    const auto vor = Tuned(*form, 1);
    form->Stationen[2]->SetPosition(TSinglePoint{123, 45});
    QCOMPARE(vor->GetStationPosition(), (TSinglePoint{123, 45}));

    // Back on aircraft 2, its RBI follows again and shows the station's new place.
    form->seFlugzeug->setValue(2);
    QCOMPARE(Chosen(*form, "cbFreq3"), QStringLiteral("NDB 1"));
    form->Stationen[1]->SetPosition(TSinglePoint{200, 100});
    QCOMPARE(rbi->GetStationPosition(), (TSinglePoint{200, 100}));
}

void TestInstrumentPanel::panelUpdatesFireNoHandler() {
    TModalRecorder recorder;
    const auto form = NewMainForm(true);
    AddStations(*form);
    ClickButton(*form, "sbVOR2");
    QVERIFY(Pick(*form, "cbFreq2", "VOR 1"));
    QSignalSpy clicks(form->sbVOR[2], &QAbstractButton::clicked);
    QSignalSpy picks(form->cbFreq2, &QComboBox::activated);
    const auto vor = form->Flugzeuge[0]->GetInstrument(1);
    form->UpdateInstrumentPanel(0);
    ClickButton(*form, "btnVORadd"); // refills every selector
    QCOMPARE(clicks.count(), 0);
    QCOMPARE(picks.count(), 0);
    QCOMPARE(form->Flugzeuge[0]->GetInstrument(1), vor);
    QCOMPARE(Chosen(*form, "cbFreq2"), QStringLiteral("VOR 1"));
    QCOMPARE(Entries(form->cbFreq2), QStringList({"VOR 1", "VOR 2", "VOR 3"}));
}

void TestInstrumentPanel::aircraftSelectorNeverChoosesAMissingAircraft_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("selected");
    QTest::newRow("in range") << "2" << 1;
    QTest::newRow("above the number of aircraft") << "9" << 1; // stays where it was
    QTest::newRow("zero") << "0" << 1;
    QTest::newRow("not a number") << "x" << 1;
    QTest::newRow("empty") << "" << 1;
}

void TestInstrumentPanel::aircraftSelectorNeverChoosesAMissingAircraft() {
    QFETCH(QString, typed);
    QFETCH(int, selected);
    TModalRecorder recorder;
    const auto form = NewMainForm(true);
    ClickButton(*form, "btnAddFlugzeug");
    QCOMPARE(form->FSelectedPlane, 1);
    QLineEdit* edit = form->seFlugzeug->findChild<QLineEdit*>();
    edit->selectAll();
    QTest::keyClicks(edit, typed);
    QTest::keyClick(edit, Qt::Key_Return);
    form->seFlugzeugChange();
    QCOMPARE(form->FSelectedPlane, selected);
    QVERIFY(form->seFlugzeug->value() >= 1 && form->seFlugzeug->value() <= 2);
    QVERIFY(form->ActivePlane());
}

void TestInstrumentPanel::vagTakesTheRimMarkOption() {
    TModalRecorder recorder;
    const auto form = NewMainForm(true);
    ClickButton(*form, "sbVOR2");
    QVERIFY(!std::dynamic_pointer_cast<IVOR>(form->Flugzeuge[0]->GetInstrument(1))->GetDirToStation());
    form->mm2OptRtSm->trigger();
    QVERIFY(std::dynamic_pointer_cast<IVOR>(form->Flugzeuge[0]->GetInstrument(1))->GetDirToStation());
    ClickButton(*form, "sbVOR3");
    QVERIFY(std::dynamic_pointer_cast<IVOR>(form->Flugzeuge[0]->GetInstrument(2))->GetDirToStation());
}

void TestInstrumentPanel::rmiOptionReplacesTheActiveAircraftsRmis() {
    TModalRecorder recorder;
    const auto form = NewMainForm(true);
    AddStations(*form);
    // Aircraft 1 (inactive later): a two-needle RMI in the right slot.
    ClickButton(*form, "sbRMI3");
    ClickButton(*form, "btnAddFlugzeug");
    // Aircraft 2: a tuned two-needle RMI in the middle, a VAG on the right.
    ClickButton(*form, "sbRMI2");
    QVERIFY(Pick(*form, "cbFreq2", "NDB 1"));
    QVERIFY(Pick(*form, "cbLFreq2", "VOR 2"));
    ClickButton(*form, "sbVOR3");
    const auto vag = form->Flugzeuge[1]->GetInstrument(2);
    const auto other = form->Flugzeuge[0]->GetInstrument(2);

    form->mm2OptRMImitzweiZeigern->trigger();
    QVERIFY(!form->mm2OptRMImitzweiZeigern->isChecked());
    const auto rmi = form->Flugzeuge[1]->GetInstrument(1);
    QCOMPARE(rmi->GetTyp(), icRMI);
    QVERIFY(std::dynamic_pointer_cast<IInstrumentMitStation>(rmi)->GetStation().isEmpty());
    QVERIFY(Down(*form, "sbRMI2"));
    QVERIFY(Shown(*form, "cbFreq2"));
    QCOMPARE(Chosen(*form, "cbFreq2"), QString());
    QVERIFY(!Shown(*form, "cbLFreq2"));
    QCOMPARE(form->Flugzeuge[1]->GetInstrument(2), vag);
    QCOMPARE(form->Flugzeuge[0]->GetInstrument(2), other);
    QCOMPARE(other->GetTyp(), icRMI2);
    // Its bearing lines went with the replaced RMI.
    QCOMPARE(CountIn(form->RadialLayer->Bitmap(), IsInked), 0);
    // A new RMI follows the option; on again, the one-needle RMI becomes a two-needle one.
    ClickButton(*form, "sbRMI3");
    QCOMPARE(form->Flugzeuge[1]->GetInstrument(2)->GetTyp(), icRMI);
    form->mm2OptRMImitzweiZeigern->trigger();
    QCOMPARE(form->Flugzeuge[1]->GetInstrument(1)->GetTyp(), icRMI2);
    QCOMPARE(form->Flugzeuge[1]->GetInstrument(2)->GetTyp(), icRMI2);
    QVERIFY(Shown(*form, "cbLFreq3"));
}

QTEST_MAIN(TestInstrumentPanel)
#include "tst_instrumentpanel.moc"
