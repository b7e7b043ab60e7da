#include "platform/ImageSurface.h"
#include "platform/IniFile.h"
#include "platform/Paths.h"
#include "shell/InfoForm.h"
#include "shell/ValuePanel.h"
#include "tests/support/mainformfixture.h"
#include "world/I_Flugzeug.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QEnterEvent>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

namespace {

QString CaptionOf(const QWidget* w) {
    if (auto* b = qobject_cast<const QAbstractButton*>(w)) return b->text();
    if (auto* g = qobject_cast<const QGroupBox*>(w)) return g->title();
    if (auto* l = qobject_cast<const QLabel*>(w)) return l->text();
    if (auto* p = qobject_cast<const TsuiSetValuePanel*>(w)) return p->Caption();
    return QString();
}

// "pnlSetHeading/FastMinus" names a control inside another one.
QWidget* Find(QWidget* root, const QString& path) {
    QWidget* w = root;
    for (const QString& name : path.split(QLatin1Char('/'))) {
        w = w ? w->findChild<QWidget*>(name) : nullptr;
    }
    return w;
}

void Hover(QWidget* w) {
    const QPointF p(1, 1);
    QEnterEvent enter(p, p, w->mapToGlobal(p));
    QCoreApplication::sendEvent(w, &enter);
}

void Leave(QWidget* w) {
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(w, &leave);
}

QStringList FileLines(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) return {};
    return QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

void WriteFile(const QString& path, const QByteArray& content) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(content);
}

// A second aircraft as the program's "add aircraft" makes it, for tests of
// switching between aircraft.
void AddPlane(TfrmMainTalvex& form, const TSinglePoint& pos) {
    const int index = static_cast<int>(form.Flugzeuge.size());
    form.Flugzeuge.push_back(TFlugzeug::Create(form.ImgNav, form.ImgInstr, pos, index, form.IRadial));
    form.seFlugzeug->setMaximum(index + 1);
    form.seFlugzeug->setReadOnly(false);
}

} // namespace

class TestMainForm : public QObject {
    Q_OBJECT
private slots:
    void layoutTable_data();
    void layoutTable();
    void windowFrame();
    void startState();
    void firstAircraftAtRandomPlaces();
    void menus_data();
    void menus();
    void hintRouting_data();
    void hintRouting();
    void hintOfParentAfterLeavingChild();
    void screenCheck_data();
    void screenCheck();
    void informationWindow();
    void closingWritesBothSectionsInOrder_data();
    void closingWritesBothSectionsInOrder();
    void readOptions_data();
    void readOptions();
    void unreadableSettingsFileStartsNormally_data();
    void unreadableSettingsFileStartsNormally();
    void settingsFolderCannotBeCreated();
    void settingsFolderVanishes();
    void aircraftSelectorNeverSelectsMissingAircraft_data();
    void aircraftSelectorNeverSelectsMissingAircraft();
    void mapResizeKeepsBitmapsInStep();
};

void TestMainForm::layoutTable_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QRect>("geometry"); // width or height -1: not fixed
    QTest::addColumn<QString>("caption");

    const auto row = [](const char* name, const char* parent, QRect r, const char* caption = "") {
        QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(parent) << r
                            << QString::fromUtf8(caption);
    };
    row("pnlSlot1", "pnlControl", QRect(2, 4, 250, 22));
    row("lblFlugzeug", "pnlSlot1", QRect(0, 0, -1, 22), "Flugz.:");
    row("seFlugzeug", "pnlSlot1", QRect(32, 0, 49, 22));
    row("sbKK", "pnlSlot1", QRect(97, 0, 27, 22), "KK");
    row("sbHSI1", "pnlSlot1", QRect(126, 0, 27, 22), "HSI");
    row("cbFreq1", "pnlSlot1", QRect(184, 0, 65, 22));
    for (const char* n : {"2", "3"}) {
        const QByteArray p = QByteArray("pnlSlot") + n;
        QTest::newRow(p) << QString::fromLatin1(p) << QStringLiteral("pnlControl")
                         << QRect(n[0] == '2' ? 258 : 508, 4, 250, 22) << QString();
        const auto child = [&](const char* prefix, QRect r, const char* caption) {
            const QByteArray name = QByteArray(prefix) + n;
            QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(p) << r
                                << QString::fromLatin1(caption);
        };
        child("cbLFreq", QRect(0, 0, 55, 22), "");
        child("sbVOR", QRect(55, 0, 26, 22), "VAG");
        child("sbHSI", QRect(83, 0, 26, 22), "HSI");
        child("sbRBI", QRect(111, 0, 26, 22), "RBI");
        child("sbMDI", QRect(139, 0, 26, 22), "MDI");
        child("sbRMI", QRect(167, 0, 26, 22), "RMI");
        child("cbFreq", QRect(194, 0, 55, 22), "");
    }
    row("ImgInstr", "pnlControl", QRect(7, 31, 750, 247));
    row("pnlSetHeading", "pnlControl", QRect(5, 284, 250, 22), "HDG");
    row("pnlSetValues1", "pnlControl", QRect(5, 310, 250, 22), "OBS");
    row("pnlSetValues2", "pnlControl", QRect(255, 284, 250, 22));
    row("pnlSetValues3", "pnlControl", QRect(505, 284, 250, 22));
    row("gbHinzufuegen", "Panel1", QRect(3, 24, -1, -1), "Hinzufügen");
    row("btnVORadd", "gbHinzufuegen", QRect(-1, -1, -1, -1), "VOR");
    row("btnNDBAdd", "gbHinzufuegen", QRect(-1, -1, -1, -1), "NDB");
    row("btnAddFlugzeug", "gbHinzufuegen", QRect(-1, -1, -1, -1), "Flugzeug");
    row("gbZufallsposition", "Panel1", QRect(3, 88, -1, -1), "Zufallsposition");
    row("btnRdmPosVOR", "gbZufallsposition", QRect(-1, -1, -1, -1), "VOR");
    row("btnRdmPosNDB", "gbZufallsposition", QRect(-1, -1, -1, -1), "NDB");
    row("btnRdmPos", "gbZufallsposition", QRect(-1, -1, -1, -1), "Flugzeug");
    row("gbAnimation", "Panel1", QRect(4, 160, -1, -1), "Animation");
    row("btnAnimStart", "gbAnimation", QRect(-1, -1, -1, -1), "Start");
    row("btnAnimStop", "gbAnimation", QRect(-1, -1, -1, -1), "Stopp");
    row("btnAnimReset", "gbAnimation", QRect(-1, -1, -1, -1), "Reset");
    row("sbMinus10", "gbAnimation", QRect(-1, -1, -1, -1), "<<");
    row("sbMinus1", "gbAnimation", QRect(-1, -1, -1, -1), "<");
    row("sbV", "gbAnimation", QRect(-1, -1, -1, -1), "Val");
    row("sbPlus1", "gbAnimation", QRect(-1, -1, -1, -1), ">");
    row("sbPlus10", "gbAnimation", QRect(-1, -1, -1, -1), ">>");
    row("btnVisible", "Panel1", QRect(12, 256, 145, 25), "Flugzeug unsichtbar");
    row("btnProgEnde", "Panel1", QRect(12, 296, 145, 25), "Programm beenden");
}

void TestMainForm::layoutTable() {
    QFETCH(QString, name);
    QFETCH(QString, parent);
    QFETCH(QRect, geometry);
    QFETCH(QString, caption);
    TModalRecorder recorder;
    const auto form = NewMainForm(true);
    QWidget* w = form->findChild<QWidget*>(name);
    QVERIFY2(w, qPrintable(name));
    QVERIFY(w->parentWidget());
    QCOMPARE(w->parentWidget()->objectName(), parent);
    const QRect g = w->geometry();
    if (geometry.x() >= 0) QCOMPARE(g.x(), geometry.x());
    if (geometry.y() >= 0) QCOMPARE(g.y(), geometry.y());
    if (geometry.width() >= 0) QCOMPARE(g.width(), geometry.width());
    if (geometry.height() >= 0) QCOMPARE(g.height(), geometry.height());
    QCOMPARE(CaptionOf(w), caption);
    // Whatever lies inside a group or row must be seen whole.
    QVERIFY2(w->parentWidget()->rect().contains(g), qPrintable(name));
}

void TestMainForm::windowFrame() {
    TModalRecorder recorder;
    const auto form = NewMainForm(true);
    QCOMPARE(form->windowTitle(), QStringLiteral("Peilomat Version 2.1.4.0"));

    // Top to bottom: menu, map, control panel (337 high), status line (19 high).
    QWidget* map = form->findChild<QWidget*>(QStringLiteral("pnlMap"));
    QVERIFY(map);
    QCOMPARE(form->pnlControl->height(), 337);
    QCOMPARE(form->StatusBar1->height(), 19);
    QCOMPARE(form->pnlControl->width(), form->width());
    const QPoint mapTop = map->mapTo(form.get(), QPoint(0, 0));
    const QPoint panelTop = form->pnlControl->mapTo(form.get(), QPoint(0, 0));
    QCOMPARE(mapTop.y(), form->menuBar()->geometry().bottom() + 1);
    QCOMPARE(panelTop.y(), mapTop.y() + map->height());
    QCOMPARE(panelTop.y() + 337, form->StatusBar1->geometry().top());
    QCOMPARE(form->ImgNav->size(), map->size());
    QCOMPARE(form->ImgNav->Bitmap().Width(), map->width());
    QCOMPARE(form->ImgNav->Bitmap().Height(), map->height());

    // The control column stands at the right edge, full panel height.
    QCOMPARE(form->Panel1->geometry(), QRect(form->pnlControl->width() - 167, 0, 167, 337));

    // The window, frame included, never becomes smaller than 935 x 437.
    const QSize frame = form->frameGeometry().size() - form->size();
    QCOMPARE(form->minimumSize() + frame, QSize(935, 437));
    form->resize(500, 300);
    QTRY_COMPARE(form->frameGeometry().size(), QSize(935, 437));
}

void TestMainForm::startState() {
    TModalRecorder recorder;
    const auto form = NewMainForm(true);
    QCOMPARE(form->Flugzeuge.size(), std::size_t(1));
    QVERIFY(form->Stationen.empty());
    QCOMPARE(form->FSelectedPlane, 0);
    const auto plane = form->Flugzeuge[0];
    QVERIFY(plane->GetSelected());
    QVERIFY(plane->GetVisible());
    QCOMPARE(plane->GetKurs(), 0.0f);
    QCOMPARE(plane->GetSpeed(), 1.0f);
    QVERIFY(plane->GetInstrument(0));
    QCOMPARE(plane->GetInstrument(0)->GetTyp(), icKursKreisel);
    QVERIFY(!plane->GetInstrument(1));
    QVERIFY(!plane->GetInstrument(2));

    QCOMPARE(form->seFlugzeug->value(), 1);
    QCOMPARE(form->seFlugzeug->maximum(), 1);
    QVERIFY(form->seFlugzeug->isReadOnly());
    QVERIFY(form->sbKK->isChecked());
    QVERIFY(!form->sbHSI1->isChecked());
    for (int slot : {2, 3}) {
        for (QToolButton* b :
             {form->sbVOR[slot], form->sbHSI[slot], form->sbRBI[slot], form->sbMDI[slot], form->sbRMI[slot]})
            QVERIFY2(!b->isChecked(), qPrintable(b->objectName()));
    }
    QVERIFY(form->pnlSetHeading->isVisible());
    QCOMPARE(form->pnlSetHeading->ValueSettingInterface(), std::dynamic_pointer_cast<IValueSetting>(plane));
    for (QWidget* hidden : std::initializer_list<QWidget*>{form->pnlSetValues1, form->pnlSetValues2,
                                                           form->pnlSetValues3, form->cbFreq1, form->cbFreq2,
                                                           form->cbFreq3, form->cbLFreq2, form->cbLFreq3})
        QVERIFY2(!hidden->isVisible(), qPrintable(hidden->objectName()));
    QVERIFY(form->btnAnimStart->isEnabled());
    QVERIFY(!form->btnAnimStop->isEnabled());
    QVERIFY(!form->btnAnimReset->isEnabled());
    QVERIFY(!form->btnRdmPosVOR->isEnabled());
    QVERIFY(!form->btnRdmPosNDB->isEnabled());
    QVERIFY(form->btnRdmPos->isEnabled());

    // The radial layer covers the map above everything and lets clicks through.
    QVERIFY(form->RadialLayer);
    QCOMPARE(form->ImgNav->Layers().back(), form->RadialLayer.get());
    QCOMPARE(form->RadialLayer->Tag(), 0);
    QVERIFY(!form->RadialLayer->MouseEvents());
    QCOMPARE(form->RadialLayer->Location(),
             QRectF(0, 0, form->ImgNav->Bitmap().Width(), form->ImgNav->Bitmap().Height()));
    QVERIFY(form->TerminationRequested() == false);
    // The aircraft symbol is red on the white map.
    const QImage shown = form->ImgNav->Render();
    const TSinglePoint p = plane->GetPosition();
    QCOMPARE(shown.pixel(QPoint(2, 2)) | 0xFF000000u, 0xFFFFFFFFu);
    bool red = false;
    for (int dy = -12; dy <= 12 && !red; ++dy)
        for (int dx = -12; dx <= 12 && !red; ++dx) {
            const QPoint q(int(p.X) + dx, int(p.Y) + dy);
            if (shown.rect().contains(q)) red = qRed(shown.pixel(q)) > 200 && qGreen(shown.pixel(q)) < 60;
        }
    QVERIFY(red);
}

void TestMainForm::firstAircraftAtRandomPlaces() {
    TModalRecorder recorder;
    QSet<QPair<float, float>> seen;
    for (int run = 0; run < 4; ++run) {
        const auto form = NewMainForm();
        const TSinglePoint p = form->Flugzeuge[0]->GetPosition();
        QVERIFY(p.X >= 0 && p.X < form->ImgNav->Bitmap().Width());
        QVERIFY(p.Y >= 0 && p.Y < form->ImgNav->Bitmap().Height());
        QCOMPARE(p.X, std::floor(p.X));
        QCOMPARE(p.Y, std::floor(p.Y));
        seen.insert({p.X, p.Y});
        QTest::qWait(2); // the generator is seeded from the clock
    }
    QVERIFY(seen.size() > 1);
}

void TestMainForm::menus_data() {
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QStringList>("items"); // "-" for a separator
    QTest::addColumn<QStringList>("names");
    // The last opened files are hidden while there are none.
    QTest::newRow("Datei") << "Datei"
                           << QStringList{"Neu", "Öffnen...", "Speichern", "Speichern unter...", "-", "-", "beenden"}
                           << QStringList{"mm2Neu", "mm2Oeffnen", "mm2Speichern", "mm2SpeichernUnter", "", "",
                                          "beenden1"};
    QTest::newRow("Optionen")
        << "Optionen"
        << QStringList{"Radiale anzeigen",
                       "Relative Bearing anzeigen",
                       "Flugweg anzeigen",
                       "Flugweg löschen",
                       "-",
                       "RMI mit zwei Zeigern",
                       "Richtung von Station zum Flugzeug in VOR markieren",
                       "-",
                       "Info-Bildschirm beim Start anzeigen"}
        << QStringList{"mm2OptShowRadials", "mm2OptShowRB", "mm2OptFlugweg", "mm2FlugwegLoeschen", "",
                       "mm2OptRMImitzweiZeigern", "mm2OptRtSm", "", "mm2OptInfo"};
    QTest::newRow("Ansicht") << "Ansicht" << QStringList{"&MacOS",   "&WinXP",     "&DeepBlue",
                                                         "&Protein", "&BlueGlass", "D&efault"}
                             << QStringList{"mm2SkinMacOS",   "mm2SkinWinXP",     "mm2SkinDeepBlue",
                                            "mm2SkinProtein", "mm2SkinBlueGlass", "mm2SkinDefault"};
    QTest::newRow("Hilfe") << "Hilfe" << QStringList{"Hilfe anzeigen", "-", "Info"}
                           << QStringList{"mm2HilfeAnzeigen", "", "mm2Info"};
}

void TestMainForm::menus() {
    QFETCH(QString, menu);
    QFETCH(QStringList, items);
    QFETCH(QStringList, names);
    TModalRecorder recorder;
    const auto form = NewMainForm();
    QMenu* found = nullptr;
    for (QAction* top : form->menuBar()->actions())
        if (top->text() == menu) found = top->menu();
    QVERIFY(found);
    QStringList texts, objectNames;
    for (QAction* item : found->actions()) {
        if (!item->isVisible()) continue;
        texts << (item->isSeparator() ? QStringLiteral("-") : item->text());
        objectNames << item->objectName();
    }
    QCOMPARE(texts, items);
    QCOMPARE(objectNames, names);
}

void TestMainForm::hintRouting_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("tooltip");
    QTest::addColumn<QString>("status");
    QTest::newRow("map") << "ImgNav"
                         << ""
                         << "Flugzeug oder Station kann durch Ziehen mit der Maus verschoben werden";
    QTest::newRow("KK") << "sbKK"
                        << "Kurskreisel"
                        << "linkes Instrument als Kurskreisel definieren";
    QTest::newRow("HSI left") << "sbHSI1"
                              << "Horizontal Situation Indicator"
                              << "linkes Instrument als Horizontal Situation Indicator definieren";
    QTest::newRow("VAG middle") << "sbVOR2"
                                << "VOR Anzeigegerät"
                                << "mittleres Instrument als VOR-Anzeigegerät definieren";
    QTest::newRow("VAG right") << "sbVOR3"
                               << "VOR Anzeigegerät"
                               << "rechtes Instrument als VOR-Anzeigegerät definieren";
    QTest::newRow("MDI middle") << "sbMDI2"
                                << "Moving Dial Indicator"
                                << "mittleres Instrument als Moving Dial Indicator definieren";
    QTest::newRow("RMI right") << "sbRMI3"
                               << "Radio Magnetic Indicator"
                               << "rechtes Instrument als Radio Magnetic Indicator definieren";
    QTest::newRow("RBI right") << "sbRBI3"
                               << "Relative Bearing Indicator"
                               << "rechtes Instrument als Relative Bearing Indicator definieren";
    QTest::newRow("<<") << "sbMinus10"
                        << "-50%"
                        << "halbiert Geschwindigkeit";
    QTest::newRow("<") << "sbMinus1"
                       << "-10%"
                       << "reduziert Geschwindigkeit um  10%";
    QTest::newRow("Val") << "sbV"
                         << "Wert eingeben"
                         << "öffnet Dialogfester zum Eingeben der Geschwindigkeit  als Wert";
    QTest::newRow(">") << "sbPlus1"
                       << "+10%"
                       << "erhöht Geschwindigkeit um 10%";
    QTest::newRow(">>") << "sbPlus10"
                        << "+100%"
                        << "verdoppelt Geschwindigkeit";
    QTest::newRow("HDG -10") << "pnlSetHeading/FastMinus"
                             << "-10"
                             << "-10";
    QTest::newRow("HDG Val") << "pnlSetHeading/ValueInput"
                             << "Wert eingeben"
                             << "Wert eingeben";
    QTest::newRow("no hint") << "btnAnimStart"
                             << ""
                             << "";
}

void TestMainForm::hintRouting() {
    QFETCH(QString, control);
    QFETCH(QString, tooltip);
    QFETCH(QString, status);
    TModalRecorder recorder;
    const auto form = NewMainForm(true);
    QWidget* w = Find(form.get(), control);
    QVERIFY2(w, qPrintable(control));
    // Another control first, so that a stale text cannot pass for the right one.
    Hover(form->sbMDI[3]);
    QCOMPARE(form->StatusBar1->currentMessage(),
             QStringLiteral("rechtes Instrument als Moving Dial Indicator definieren"));
    Hover(w);
    QCOMPARE(w->toolTip(), tooltip);
    QCOMPARE(form->StatusBar1->currentMessage(), status);
}

void TestMainForm::hintOfParentAfterLeavingChild() {
    TModalRecorder recorder;
    const auto form = NewMainForm(true);
    // The map's hint comes back when the mouse returns to it from a control
    // without a hint of its own, and an empty hint clears the status line.
    Hover(form->sbRMI[2]);
    QCOMPARE(form->StatusBar1->currentMessage(),
             QStringLiteral("mittleres Instrument als Radio Magnetic Indicator definieren"));
    Leave(form->sbRMI[2]);
    QCOMPARE(form->StatusBar1->currentMessage(), QString());
    auto* child = new QWidget(form->ImgNav);
    Hover(child);
    QCOMPARE(form->StatusBar1->currentMessage(),
             QStringLiteral("Flugzeug oder Station kann durch Ziehen mit der Maus verschoben werden"));
}

void TestMainForm::screenCheck_data() {
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<bool>("passes");
    QTest::newRow("935 x 437") << QSize(935, 437) << true;
    QTest::newRow("934 wide") << QSize(934, 437) << false;
    QTest::newRow("436 high") << QSize(935, 436) << false;
    QTest::newRow("large") << QSize(1920, 1080) << true;
}

void TestMainForm::screenCheck() {
    QFETCH(QSize, screen);
    QFETCH(bool, passes);
    const QString message = TfrmMainTalvex::ScreenCheckMessage(screen.width(), screen.height());
    QCOMPARE(message.isEmpty(), passes);
    if (!passes) {
        QCOMPARE(message,
                 QStringLiteral("Das Programm erfodert eine minimale Bildschirmlauflösung von 935 x 437\n\r"
                                "Die eingestelle Bildschirmauflösung ist: %1 x %2.\n\r"
                                "Bei dieser Einstellung ist das Programm nicht lauffähig.\n\r"
                                "Bitte ändern Sie die Bildschirmauflösung und starten dann das "
                                "Programm erneut.")
                     .arg(screen.width())
                     .arg(screen.height()));
    }

    // At the first activation: a screen too small ends the program after its
    // message; otherwise the information window greets the user.
    TModalRecorder recorder;
    QFile::remove(SettingsFileName());
    TTestMainForm form;
    form.Screen = screen;
    form.show();
    QTRY_COMPARE(recorder.Messages.size() + recorder.DialogClasses.size(), 1);
    QCOMPARE(form.isVisible(), passes);
    if (passes)
        QCOMPARE(recorder.DialogClasses, QStringList{"TfrmInfo"});
    else
        QCOMPARE(recorder.Messages, QStringList{message});
    // Activation happens once.
    form.FormActivate();
    QCOMPARE(recorder.Messages.size() + recorder.DialogClasses.size(), 1);
}

void TestMainForm::informationWindow() {
    TModalRecorder recorder;
    QStringList buttons;
    QStringList texts;
    recorder.Answer = [&](QDialog& dialog) {
        auto* info = qobject_cast<TfrmInfo*>(&dialog);
        if (!info) return int(QDialog::Rejected);
        buttons << info->CloseButton()->text();
        QStringList labels;
        for (QLabel* l : info->findChildren<QLabel*>())
            labels << l->text();
        texts << labels.join(QLatin1Char('|'));
        texts << info->windowTitle();
        return int(QDialog::Accepted);
    };
    const auto form = NewMainForm(true);
    form->mm2Info->trigger();
    QCOMPARE(buttons, (QStringList{"starten", "zurück"}));
    QVERIFY(texts[0].contains(QStringLiteral("Peilomat")));
    QVERIFY(texts[0].contains(QStringLiteral("2.1.4.0")));
    QVERIFY(texts[0].contains(QStringLiteral("Viel Erfolg beim Erlernen der Funknavigation!")));
    QCOMPARE(texts[1], QStringLiteral("Info"));

    // With the option off the window does not greet at start-up.
    form->mm2OptInfo->trigger();
    QVERIFY(!form->mm2OptInfo->isChecked());
    form->close();
    buttons.clear();
    TTestMainForm second;
    QVERIFY(!second.mm2OptInfo->isChecked());
    second.show();
    QVERIFY(QTest::qWaitForWindowExposed(&second));
    second.FormActivate();
    QVERIFY(buttons.isEmpty());
}

void TestMainForm::closingWritesBothSectionsInOrder_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("Programm beenden") << "btnProgEnde";
    QTest::newRow("Datei beenden") << "beenden1";
    QTest::newRow("window closed") << "close";
}

void TestMainForm::closingWritesBothSectionsInOrder() {
    QFETCH(QString, how);
    TModalRecorder recorder;
    auto form = NewMainForm(true);
    const QString ini = form->IniFileName();
    form->mm2OptShowRB->trigger();
    form->mm2OptRtSm->trigger();
    if (how == QLatin1String("btnProgEnde"))
        QTest::mouseClick(form->btnProgEnde, Qt::LeftButton);
    else if (how == QLatin1String("beenden1"))
        form->beenden1->trigger();
    else
        form->close();
    QVERIFY(!form->isVisible());
    form.reset();

    const QStringList lines = FileLines(ini);
    QCOMPARE(lines.size(), 13);
    QCOMPARE(lines.mid(0, 7), (QStringList{"[Optionen]", "ShowRadials=1", "ShowRB=0", "RMImitZweiZeigern=1",
                                           "RtSm=1", "Info=1", "Flugweg=0"}));
    QCOMPARE(lines[7], QStringLiteral("[frmMainTalvex]"));
    QStringList keys;
    for (const QString& line : lines.mid(8))
        keys << line.section(QLatin1Char('='), 0, 0);
    QCOMPARE(keys, (QStringList{"WindowState", "Left", "Top", "Width", "Height"}));
    QVERIFY(recorder.Messages.isEmpty());
}

void TestMainForm::readOptions_data() {
    QTest::addColumn<QByteArray>("content"); // empty: no file
    QTest::addColumn<QList<bool>>("checks"); // ShowRadials, ShowRB, RMImitZweiZeigern, RtSm, Info
    QTest::newRow("no file") << QByteArray() << QList<bool>{true, true, true, false, true};
    QTest::newRow("only ShowRB=0") << QByteArray("[Optionen]\nShowRB=0\n")
                                   << QList<bool>{true, false, true, false, true};
    QTest::newRow("RtSm=5 is on") << QByteArray("[Optionen]\r\nRtSm=5\r\n")
                                  << QList<bool>{true, true, true, true, true};
    QTest::newRow("RtSm not a number")
        << QByteArray("[Optionen]\nRtSm=ja\n") << QList<bool>{true, true, true, false, true};
    QTest::newRow("all off, hex") << QByteArray("[Optionen]\nShowRadials=0\nShowRB=0x0\nRMImitZweiZeigern=0\n"
                                                "RtSm=0\nInfo=0\n")
                                  << QList<bool>{false, false, false, false, false};
    QTest::newRow("other section") << QByteArray("[frmMainTalvex]\nShowRB=0\nInfo=0\n")
                                   << QList<bool>{true, true, true, false, true};
}

void TestMainForm::readOptions() {
    QFETCH(QByteArray, content);
    QFETCH(QList<bool>, checks);
    TModalRecorder recorder;
    QFile::remove(SettingsFileName());
    if (!content.isEmpty()) WriteFile(SettingsFileName(), content);
    TTestMainForm form;
    const QList<bool> read{form.mm2OptShowRadials->isChecked(), form.mm2OptShowRB->isChecked(),
                           form.mm2OptRMImitzweiZeigern->isChecked(), form.mm2OptRtSm->isChecked(),
                           form.mm2OptInfo->isChecked()};
    QCOMPARE(read, checks);
    // What was read is what is written back.
    QVERIFY(form.WriteOptions());
    const TIniFile ini(SettingsFileName());
    const QStringList keys{"ShowRadials", "ShowRB", "RMImitZweiZeigern", "RtSm", "Info"};
    for (int i = 0; i < keys.size(); ++i) {
        QCOMPARE(ini.ReadString(QStringLiteral("Optionen"), keys[i], QString()),
                 checks[i] ? QStringLiteral("1") : QStringLiteral("0"));
    }
}

void TestMainForm::unreadableSettingsFileStartsNormally_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("binary junk") << "junk";
    QTest::newRow("a folder") << "folder";
}

void TestMainForm::unreadableSettingsFileStartsNormally() {
    QFETCH(QString, kind);
    TModalRecorder recorder;
    const QString ini = SettingsFileName();
    QFile::remove(ini);
    if (kind == QLatin1String("junk"))
        WriteFile(ini, QByteArray("\x00\x01[Optionen]\nShowRB=0\n\xff\xfe", 22));
    else
        QVERIFY(QDir().mkpath(ini));
    {
        TTestMainForm form;
        QVERIFY(!form.TerminationRequested());
        QCOMPARE(form.Flugzeuge.size(), std::size_t(1));
        QVERIFY(form.mm2OptShowRB->isChecked());
        QVERIFY(form.mm2OptInfo->isChecked());
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.FormActivate();
        QCOMPARE(recorder.DialogClasses, QStringList{"TfrmInfo"});
        // The junk may hold the user's settings: it is kept, and the user told once.
        QCOMPARE(recorder.Messages.size(), kind == QLatin1String("junk") ? 1 : 0);
        form.close();
        QVERIFY(!form.isVisible());
    }
    if (kind == QLatin1String("junk")) {
        // The damaged file was kept as Talvex.ini.bak, and a good one took its place.
        QVERIFY(recorder.Messages[0].contains(ini + QStringLiteral(".bak")));
        QVERIFY(QFileInfo(ini + QStringLiteral(".bak")).size() == 22);
        QCOMPARE(FileLines(ini).value(0), QStringLiteral("[Optionen]"));
        QCOMPARE(recorder.Messages.size(), 1);
    } else {
        // A folder cannot be replaced: the user is told, and the window still closed.
        QCOMPARE(recorder.Messages.size(), 1);
        QVERIFY(recorder.Messages[0].contains(QStringLiteral("kann nicht geschrieben werden")));
        QDir(ini).removeRecursively();
    }
}

void TestMainForm::settingsFolderCannotBeCreated() {
    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    // A plain file where the configuration folder should be: no folder can be
    // made below it, whoever runs the test.
    const QString blocker = temp.filePath(QStringLiteral("blocker"));
    WriteFile(blocker, "x");
    const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(blocker + QStringLiteral("/config")));
    TModalRecorder recorder;
    {
        TTestMainForm form;
        const QString company = CompanyFolder(CSIDL_APPDATA, QStringLiteral("Quellbach"));
        const QString product =
            ProductFolder(CSIDL_APPDATA, QStringLiteral("Quellbach"), QStringLiteral("Peilomat"));
        // One message per folder, though both the base window and the start-up try them.
        QCOMPARE(recorder.Messages,
                 (QStringList{FolderCreationMessage(company), FolderCreationMessage(product)}));
        QVERIFY(form.TerminationRequested());
        QCOMPARE(form.Flugzeuge.size(), std::size_t(1));
        // The program is on its way out: no information window.
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.FormActivate();
        QVERIFY(recorder.DialogClasses.isEmpty());
        recorder.Messages.clear();
        form.close();
        QVERIFY(!form.isVisible());
    }
    qputenv("XDG_CONFIG_HOME", oldConfig);
}

void TestMainForm::settingsFolderVanishes() {
    TModalRecorder recorder;
    auto form = NewMainForm(true);
    const QString ini = form->IniFileName();
    const QString folder = form->ApplicationDataPath();
    QVERIFY(QDir(folder).removeRecursively());
    WriteFile(QDir::cleanPath(folder), "not a folder");
    form->close();
    QVERIFY(!form->isVisible());
    form.reset();
    // Options, geometry and recent files all fail: one message says it.
    QCOMPARE(recorder.Messages,
             QStringList{QStringLiteral("EIniFileException error raised, with message: In ") + ini +
                         QStringLiteral(" kann nicht geschrieben werden, Filename: ") + ini});
    QFile::remove(QDir::cleanPath(folder));
    QVERIFY(QDir().mkpath(folder));
}

void TestMainForm::aircraftSelectorNeverSelectsMissingAircraft_data() {
    QTest::addColumn<int>("planes");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("selected"); // expected index afterwards; -1: whichever the selector shows
    QTest::newRow("one plane, read-only") << 1 << "2" << 0;
    QTest::newRow("second") << 2 << "2" << 1;
    QTest::newRow("beyond the count") << 2 << "9" << 0;
    QTest::newRow("two digits beyond") << 3 << "42" << -1;
    QTest::newRow("zero") << 3 << "0" << -1;
    QTest::newRow("not a number") << 3 << "x" << 0;
    QTest::newRow("third of three") << 3 << "3" << 2;
}

void TestMainForm::aircraftSelectorNeverSelectsMissingAircraft() {
    QFETCH(int, planes);
    QFETCH(QString, typed);
    QFETCH(int, selected);
    TModalRecorder recorder;
    const auto form = NewMainForm(true);
    for (int i = 1; i < planes; ++i)
        AddPlane(*form, TSinglePoint{10.0f * i, 20.0f});
    QLineEdit* edit = form->seFlugzeug->findChild<QLineEdit*>();
    QVERIFY(edit);
    edit->selectAll();
    QTest::keyClicks(edit, typed);
    QTest::keyClick(edit, Qt::Key_Tab);
    form->seFlugzeug->clearFocus();
    if (selected >= 0) QCOMPARE(form->FSelectedPlane, selected);
    QCOMPARE(form->FSelectedPlane, form->seFlugzeug->value() - 1);
    selected = form->FSelectedPlane;
    QVERIFY(form->FSelectedPlane >= 0 && form->FSelectedPlane < planes);
    for (int i = 0; i < planes; ++i)
        QCOMPARE(form->Flugzeuge[std::size_t(i)]->GetSelected(), i == selected);
    // Whatever code asks for, the selector stays within the aircraft.
    form->seFlugzeug->setValue(planes + 5);
    QVERIFY(form->FSelectedPlane < planes);
    QVERIFY(form->ActivePlane());
}

void TestMainForm::mapResizeKeepsBitmapsInStep() {
    TModalRecorder recorder;
    const auto form = NewMainForm(true);
    const auto plane = form->Flugzeuge[0];
    plane->SetPosition(TSinglePoint{900.0f, 300.0f});
    form->resize(1100, 900);
    QTRY_COMPARE(form->ImgNav->Bitmap().Width(), form->width());
    QWidget* map = form->findChild<QWidget*>(QStringLiteral("pnlMap"));
    QCOMPARE(form->ImgNav->Bitmap().Height(), map->height());
    QCOMPARE(form->RadialLayer->Bitmap().Width(), form->ImgNav->Bitmap().Width());
    QCOMPARE(form->RadialLayer->Bitmap().Height(), form->ImgNav->Bitmap().Height());
    QCOMPARE(form->RadialLayer->Location(), QRectF(0, 0, form->ImgNav->Bitmap().Width(), map->height()));
    QCOMPARE(form->ImgNav->Bitmap().Pixel(5, 5), 0xFFFFFFFFu);
    // Objects keep their map coordinates.
    form->resize(935, 437);
    QTRY_COMPARE(form->ImgNav->Bitmap().Width(), 935);
    QCOMPARE(plane->GetPosition(), (TSinglePoint{900.0f, 300.0f}));
}

QTEST_MAIN(TestMainForm)
#include "tst_mainform.moc"
