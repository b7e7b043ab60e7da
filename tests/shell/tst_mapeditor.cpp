// Adding, placing, dragging and hiding on the map, through the real controls
// of a main window.
#include "platform/ImageSurface.h"
#include "shell/ZufPosForm.h"
#include "tests/support/mainformfixture.h"
#include "tests/support/pixelprobe.h"
#include "tests/support/sceneactions.h"
#include "world/I_Flugzeug.h"
#include "world/I_Stations.h"

#include <QComboBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

Q_DECLARE_METATYPE(TSinglePoint)

namespace {

void Press(ImageSurface* map, QPoint at) {
    QTest::mousePress(map, Qt::LeftButton, Qt::NoModifier, at);
}
void MoveHeld(ImageSurface* map, QPoint to) {
    QMouseEvent event(QEvent::MouseMove, QPointF(to), map->mapToGlobal(QPointF(to)), Qt::NoButton,
                      Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(map, &event);
}
void Release(ImageSurface* map, QPoint at) {
    QTest::mouseRelease(map, Qt::LeftButton, Qt::NoModifier, at);
}

// Anti-aliased: any strong enough pixel of pure blue.
bool StrongBlue(TColor32 p) {
    return (p >> 24) > 0x60 && (p & 0xFFFF00) == 0;
}

} // namespace

class TestMapEditor : public QObject {
    Q_OBJECT
private slots:
    void stationsAreNumberedPerType();
    void ndbKeepsFromTheEdges();
    void ndbOnATinyMapStandsAtZero();
    void addingAnAircraftMakesItActive();
    void aircraftLimitIsTheSelectorsTwoDigits();
    void dragging_data();
    void dragging();
    void randomPositionDialog_data();
    void randomPositionDialog();
    void randomPositionDialogKeys();
    void randomPositionOfTheAircraft();
    void hidingTheAircraft();
    void resizeKeepsCoordinates();
    void optionsSwitchTheLines();
};

void TestMapEditor::stationsAreNumberedPerType() {
    TModalRecorder recorder;
    const auto form = NewMainForm(true);
    QVERIFY(!form->btnRdmPosVOR->isEnabled());
    QVERIFY(!form->btnRdmPosNDB->isEnabled());
    ClickButton(*form, "btnNDBAdd");
    QVERIFY(form->btnRdmPosNDB->isEnabled());
    QVERIFY(!form->btnRdmPosVOR->isEnabled());
    for (const char* button : {"btnVORadd", "btnVORadd", "btnNDBAdd", "btnVORadd"})
        ClickButton(*form, button);
    QVERIFY(form->btnRdmPosVOR->isEnabled());
    QStringList names;
    for (std::size_t i = 0; i < form->Stationen.size(); ++i) {
        names << form->Stationen[i]->GetName();
        const auto* layer = std::dynamic_pointer_cast<TStation>(form->Stationen[i])->Layer();
        QCOMPARE(layer->Tag(), -int(i + 1));
        QCOMPARE(layer->Cursor(), Qt::PointingHandCursor);
    }
    QCOMPARE(names, QStringList({"NDB 1", "VOR 1", "VOR 2", "NDB 2", "VOR 3"}));
    // Stations lie below the aircraft, the older on top of the newer.
    const auto& layers = form->ImgNav->Layers();
    const auto at = [&](std::size_t i) {
        return form->ImgNav->LayerIndex(std::dynamic_pointer_cast<TStation>(form->Stationen[i])->Layer());
    };
    QVERIFY(at(0) > at(1));
    QVERIFY(at(3) > at(4));
    QVERIFY(form->ImgNav->LayerIndex(std::dynamic_pointer_cast<TFlugzeug>(form->Flugzeuge[0])->Layer()) >
            at(0));
    QCOMPARE(layers.back(), form->RadialLayer.get());
    QVERIFY(!form->RadialLayer->MouseEvents());
}

void TestMapEditor::ndbKeepsFromTheEdges() {
    TModalRecorder recorder;
    const auto form = NewMainForm(true);
    const int w = form->ImgNav->Bitmap().Width(), h = form->ImgNav->Bitmap().Height();
    for (int i = 0; i < 200; ++i)
        ClickButton(*form, "btnNDBAdd");
    for (const auto& ndb : form->Stationen) {
        const TSinglePoint p = ndb->GetPosition();
        QVERIFY(p.X >= 0 && p.X <= w - 51 && p.Y >= 0 && p.Y <= h - 51);
    }
    QCOMPARE(form->Stationen.back()->GetName(), QStringLiteral("NDB 200"));
}

void TestMapEditor::ndbOnATinyMapStandsAtZero() {
    TModalRecorder recorder;
    const auto form = NewMainForm(true);
    form->pnlMap->resize(40, 300);
    QCOMPARE(form->ImgNav->Bitmap().Width(), 40);
    QCOMPARE(form->RadialLayer->Bitmap().Width(), 40);
    ClickButton(*form, "btnNDBAdd");
    QCOMPARE(form->Stationen[0]->GetPosition().X, 0.0f);
    QVERIFY(form->Stationen[0]->GetPosition().Y <= 300 - 51);
}

void TestMapEditor::addingAnAircraftMakesItActive() {
    TModalRecorder recorder;
    const auto form = NewMainForm(true);
    ClickButton(*form, "btnAnimStart");
    QVERIFY(form->tmrAnimation->isActive());
    ClickButton(*form, "btnAddFlugzeug");
    QCOMPARE(form->Flugzeuge.size(), std::size_t(2));
    QCOMPARE(form->FSelectedPlane, 1);
    QCOMPARE(form->seFlugzeug->maximum(), 2);
    QCOMPARE(form->seFlugzeug->value(), 2);
    QVERIFY(!form->seFlugzeug->isReadOnly());
    QVERIFY(!form->tmrAnimation->isActive());
    QVERIFY(form->Flugzeuge[1]->GetSelected());
    QVERIFY(!form->Flugzeuge[0]->GetSelected());
    QCOMPARE(form->Flugzeuge[1]->GetInstrument(0)->GetTyp(), icKursKreisel);
    QCOMPARE(std::dynamic_pointer_cast<TFlugzeug>(form->Flugzeuge[1])->Layer()->Tag(), 2);
    QVERIFY(form->Flugzeuge[0]->GetInstrument(0) != form->Flugzeuge[1]->GetInstrument(0));
}

void TestMapEditor::aircraftLimitIsTheSelectorsTwoDigits() {
    TModalRecorder recorder;
    const auto form = NewMainForm(false);
    for (int i = 0; i < 97; ++i)
        form->btnAddFlugzeugClick();
    QCOMPARE(form->Flugzeuge.size(), std::size_t(98));
    QVERIFY(form->btnAddFlugzeug->isEnabled());
    form->btnAddFlugzeugClick();
    QCOMPARE(form->seFlugzeug->value(), 99);
    QCOMPARE(form->FSelectedPlane, 98);
    QVERIFY(!form->btnAddFlugzeug->isEnabled());
    form->btnAddFlugzeugClick();
    QCOMPARE(form->Flugzeuge.size(), std::size_t(99));
}

void TestMapEditor::dragging_data() {
    QTest::addColumn<QString>("scene");
    QTest::addColumn<QString>("moved"); // which object ends at the release point: "plane 1", "station 0", ...
    QTest::newRow("an aircraft") << "plane"
                                 << "plane 0";
    QTest::newRow("a station") << "station"
                               << "station 0";
    QTest::newRow("an aircraft over a station") << "plane over station"
                                                << "plane 0";
    QTest::newRow("two stations: the older") << "two stations"
                                             << "station 0";
    QTest::newRow("an aircraft that is not active") << "inactive plane"
                                                    << "plane 0";
    QTest::newRow("empty map") << "empty"
                               << "nothing";
}

void TestMapEditor::dragging() {
    QFETCH(QString, scene);
    QFETCH(QString, moved);
    TModalRecorder recorder;
    const auto form = NewMainForm(true);
    const TSinglePoint grab{200, 150};
    const QPoint to(320, 210);
    const auto plane = form->Flugzeuge[0];
    if (scene.contains(QLatin1String("plane")))
        plane->SetPosition(TSinglePoint{grab.X + 5, grab.Y + 5});
    else
        plane->SetPosition(TSinglePoint{50, 50});
    if (scene.contains(QLatin1String("station"))) {
        ClickButton(*form, "btnVORadd");
        form->Stationen[0]->SetPosition(TSinglePoint{grab.X - 3, grab.Y + 4});
    }
    if (scene == QLatin1String("two stations")) {
        ClickButton(*form, "btnNDBAdd");
        form->Stationen[1]->SetPosition(TSinglePoint{grab.X + 4, grab.Y - 2});
    }
    if (scene == QLatin1String("inactive plane")) {
        ClickButton(*form, "btnAddFlugzeug");
        form->Flugzeuge[1]->SetPosition(TSinglePoint{40, 300});
    }
    const int active = form->FSelectedPlane;
    std::vector<TSinglePoint> before;
    for (const auto& p : form->Flugzeuge)
        before.push_back(p->GetPosition());
    for (const auto& s : form->Stationen)
        before.push_back(s->GetPosition());

    const QPoint at(int(grab.X), int(grab.Y));
    Press(form->ImgNav, at);
    QCOMPARE(form->layerMouseDown, moved != QLatin1String("nothing"));
    if (form->layerMouseDown) QCOMPARE(form->ImgNav->cursor().shape(), Qt::DragMoveCursor);
    MoveHeld(form->ImgNav, QPoint(260, 180));
    MoveHeld(form->ImgNav, to);
    Release(form->ImgNav, to);
    QVERIFY(!form->layerMouseDown);
    QCOMPARE(form->FSelectedPlane, active);

    std::size_t k = 0;
    const TSinglePoint target{float(to.x()), float(to.y())};
    for (std::size_t i = 0; i < form->Flugzeuge.size(); ++i, ++k) {
        const bool isMoved = moved == QStringLiteral("plane %1").arg(i);
        QCOMPARE(form->Flugzeuge[i]->GetPosition(), isMoved ? target : before[k]);
    }
    for (std::size_t i = 0; i < form->Stationen.size(); ++i, ++k) {
        const bool isMoved = moved == QStringLiteral("station %1").arg(i);
        QCOMPARE(form->Stationen[i]->GetPosition(), isMoved ? target : before[k]);
    }
    // Released over the object: the pointing hand again; on empty map the arrow.
    QCOMPARE(form->ImgNav->cursor().shape(),
             moved == QLatin1String("nothing") ? Qt::ArrowCursor : Qt::PointingHandCursor);
}

void TestMapEditor::randomPositionDialog_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("choice");
    QTest::addColumn<bool>("moves");
    QTest::newRow("OK with a choice") << int(QDialog::Accepted) << "VOR 2" << true;
    QTest::newRow("OK without a choice") << int(QDialog::Accepted) << "" << false;
    QTest::newRow("Cancel") << int(QDialog::Rejected) << "VOR 2" << false;
}

void TestMapEditor::randomPositionDialog() {
    QFETCH(int, answer);
    QFETCH(QString, choice);
    QFETCH(bool, moves);
    TModalRecorder recorder;
    const auto form = NewMainForm(true);
    for (const char* button : {"btnVORadd", "btnNDBAdd", "btnVORadd"})
        ClickButton(*form, button);
    // Far outside the map, where no random place can be.
    for (const auto& station : form->Stationen)
        station->SetPosition(TSinglePoint{-500, -500});
    QStringList entries;
    QString title;
    QSize size;
    recorder.Answer = [&](QDialog& dialog) {
        auto& zufPos = dynamic_cast<TfrmZufPos&>(dialog);
        title = dialog.windowTitle();
        size = dialog.size();
        entries = Entries(zufPos.cb1);
        zufPos.cb1->setCurrentIndex(zufPos.cb1->findText(choice));
        return answer;
    };
    ClickButton(*form, "btnRdmPosVOR");
    QCOMPARE(recorder.DialogClasses.last(), QStringLiteral("TfrmZufPos"));
    QCOMPARE(title, QStringLiteral("Zufallsposition VOR"));
    QCOMPARE(size, QSize(264, 187));
    QCOMPARE(entries, QStringList({"VOR 1", "VOR 2"}));
    const TSinglePoint moved = form->Stationen[2]->GetPosition();
    QCOMPARE(moved.X >= 0 && moved.Y >= 0, moves);
    QCOMPARE(form->Stationen[0]->GetPosition(), (TSinglePoint{-500, -500}));
    QCOMPARE(form->Stationen[1]->GetPosition(), (TSinglePoint{-500, -500}));

    // The NDB dialog lists the NDBs.
    recorder.Answer = [&](QDialog& dialog) {
        title = dialog.windowTitle();
        entries = Entries(dynamic_cast<TfrmZufPos&>(dialog).cb1);
        return int(QDialog::Rejected);
    };
    ClickButton(*form, "btnRdmPosNDB");
    QCOMPARE(title, QStringLiteral("Zufallsposition NDB"));
    QCOMPARE(entries, QStringList{"NDB 1"});
}

void TestMapEditor::randomPositionDialogKeys() {
    for (const auto& [key, result] : {std::pair{Qt::Key_Escape, int(QDialog::Rejected)},
                                      std::pair{Qt::Key_Return, int(QDialog::Accepted)}}) {
        TfrmZufPos dialog;
        dialog.cb1->addItem(QStringLiteral("VOR 1"));
        QCOMPARE(dialog.findChild<QWidget*>(QStringLiteral("cb1")), dialog.cb1);
        QCOMPARE(dialog.BitBtn1->text(), QStringLiteral("OK"));
        QCOMPARE(dialog.BitBtn2->text(), QStringLiteral("Cancel"));
        QCOMPARE(dialog.cb1->geometry().topLeft(), QPoint(16, 80));
        QCOMPARE(dialog.BitBtn2->geometry(), QRect(16, 112, 97, 25));
        QCOMPARE(dialog.BitBtn1->geometry(), QRect(128, 112, 75, 25));
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        dialog.setResult(-1);
        QTest::keyClick(&dialog, key);
        QCOMPARE(dialog.result(), result);
    }
}

void TestMapEditor::randomPositionOfTheAircraft() {
    TModalRecorder recorder;
    const auto form = NewMainForm(true);
    form->Flugzeuge[0]->SetPosition(TSinglePoint{-300, -300});
    ClickButton(*form, "btnRdmPos");
    const TSinglePoint p = form->Flugzeuge[0]->GetPosition();
    QVERIFY(p.X >= 0 && p.X < form->ImgNav->Bitmap().Width());
    QVERIFY(p.Y >= 0 && p.Y < form->ImgNav->Bitmap().Height());
}

void TestMapEditor::hidingTheAircraft() {
    TModalRecorder recorder;
    const auto form = NewMainForm(true);
    ClickButton(*form, "btnNDBAdd");
    form->Stationen[0]->SetPosition(TSinglePoint{100, 100});
    form->Flugzeuge[0]->SetPosition(TSinglePoint{300, 100});
    ClickButton(*form, "sbRBI2");
    QVERIFY(Pick(*form, "cbFreq2", "NDB 1"));
    QVERIFY(CountIn(form->RadialLayer->Bitmap(), StrongBlue) > 100);
    QCOMPARE(form->btnVisible->text(), QStringLiteral("Flugzeug unsichtbar"));
    ClickButton(*form, "btnVisible");
    QVERIFY(!form->Flugzeuge[0]->GetVisible());
    QCOMPARE(form->btnVisible->text(), QStringLiteral("Flugzeug sichtbar"));
    QCOMPARE(CountIn(form->RadialLayer->Bitmap(), StrongBlue), 0);
    // Hidden, it still drags and drives its instruments.
    Press(form->ImgNav, QPoint(300, 100));
    MoveHeld(form->ImgNav, QPoint(300, 200));
    Release(form->ImgNav, QPoint(300, 200));
    QCOMPARE(form->Flugzeuge[0]->GetPosition(), (TSinglePoint{300, 200}));
    ClickButton(*form, "btnVisible");
    QCOMPARE(form->btnVisible->text(), QStringLiteral("Flugzeug unsichtbar"));
    QVERIFY(CountIn(form->RadialLayer->Bitmap(), StrongBlue) > 100);
    // The caption follows the aircraft that becomes active.
    ClickButton(*form, "btnVisible");
    ClickButton(*form, "btnAddFlugzeug");
    QCOMPARE(form->btnVisible->text(), QStringLiteral("Flugzeug unsichtbar"));
    form->seFlugzeug->setValue(1);
    QCOMPARE(form->btnVisible->text(), QStringLiteral("Flugzeug sichtbar"));
}

void TestMapEditor::resizeKeepsCoordinates() {
    TModalRecorder recorder;
    const auto form = NewMainForm(true);
    ClickButton(*form, "btnVORadd");
    form->Stationen[0]->SetPosition(TSinglePoint{700, 300});
    form->Flugzeuge[0]->SetPosition(TSinglePoint{650, 350});
    form->pnlMap->resize(300, 200);
    QCOMPARE(form->ImgNav->Bitmap().Width(), 300);
    QCOMPARE(form->RadialLayer->Bitmap().Height(), 200);
    QCOMPARE(form->RadialLayer->Location(), QRectF(0, 0, 300, 200));
    form->pnlMap->resize(900, 400);
    QCOMPARE(form->Stationen[0]->GetPosition(), (TSinglePoint{700, 300}));
    QCOMPARE(form->Flugzeuge[0]->GetPosition(), (TSinglePoint{650, 350}));
    QCOMPARE(form->RadialLayer->Bitmap().Width(), 900);
}

void TestMapEditor::optionsSwitchTheLines() {
    TModalRecorder recorder;
    const auto form = NewMainForm(true);
    ClickButton(*form, "btnNDBAdd");
    ClickButton(*form, "btnVORadd");
    form->Stationen[0]->SetPosition(TSinglePoint{100, 100});
    form->Stationen[1]->SetPosition(TSinglePoint{500, 150});
    form->Flugzeuge[0]->SetPosition(TSinglePoint{300, 60});
    ClickButton(*form, "sbRBI2");
    QVERIFY(Pick(*form, "cbFreq2", "NDB 1"));
    ClickButton(*form, "sbVOR3");
    QVERIFY(Pick(*form, "cbFreq3", "VOR 1"));
    const auto green = [&] {
        // The solid radial north of the station (FROM, course 360).
        const TColor32 p = form->RadialLayer->Bitmap().Pixel(500, 100);
        return (p >> 24) > 0x60 && (p & 0xFF00) != 0;
    };
    QVERIFY(CountIn(form->RadialLayer->Bitmap(), StrongBlue) > 100);
    QVERIFY(green());
    form->mm2OptShowRB->trigger();
    QCOMPARE(CountIn(form->RadialLayer->Bitmap(), StrongBlue), 0);
    QVERIFY(green());
    form->mm2OptShowRadials->trigger();
    QVERIFY(!green());
    form->mm2OptShowRB->trigger();
    form->mm2OptShowRadials->trigger();
    QVERIFY(CountIn(form->RadialLayer->Bitmap(), StrongBlue) > 100);
    QVERIFY(green());
}

QTEST_MAIN(TestMapEditor)
#include "tst_mapeditor.moc"
