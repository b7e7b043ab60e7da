#include "shell/MainFormLayout.h"

#include "platform/ImageSurface.h"
#include "shell/Animation.h"
#include "shell/Hint.h"
#include "shell/I_MainForm.h"
#include "shell/ValuePanel.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>

// Building the main window's menus and controls, at the positions and sizes
// the window was designed with.

namespace {

// The first installed face of those the layout was made for. Asked by name,
// fontconfig would answer any unknown family with its wide default face.
QString DesignFontFamily() {
    QStringList installed = QFontDatabase::families();
    for (QString& name : installed)
        name = name.section(QLatin1String(" ["), 0, 0); // without the foundry
    for (const char* family : {"MS Sans Serif", "Microsoft Sans Serif", "Liberation Sans", "Arial",
                               "Nimbus Sans", "Helvetica", "DejaVu Sans"}) {
        if (installed.contains(QLatin1String(family), Qt::CaseInsensitive)) return QLatin1String(family);
    }
    return QApplication::font().family();
}

} // namespace

// Set again after every change of the look: a new Qt style may bring the
// desktop's font back.
void ApplyDesignFont() {
    QApplication::setFont(QFont(DesignFontFamily(), 8));
}

void TfrmMainTalvex::BuildMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));

    QMenu* datei = bar->addMenu(QStringLiteral("Datei"));
    datei->setObjectName(QStringLiteral("mm2Datei"));
    datei->addSeparator();
    beenden1 = datei->addAction(QStringLiteral("beenden"));
    beenden1->setObjectName(QStringLiteral("beenden1"));
    connect(beenden1, &QAction::triggered, this, &TfrmMainTalvex::beenden1Click);

    QMenu* optionen = bar->addMenu(QStringLiteral("Optionen"));
    optionen->setObjectName(QStringLiteral("mm2Optionen"));
    optionen->setProperty("helpContext", 3017);
    const auto option = [optionen](const char* name, const QString& caption, bool checked) {
        QAction* item = optionen->addAction(caption);
        item->setObjectName(QLatin1String(name));
        item->setCheckable(true);
        item->setChecked(checked);
        return item;
    };
    mm2OptShowRadials = option("mm2OptShowRadials", QStringLiteral("Radiale anzeigen"), true);
    mm2OptShowRB = option("mm2OptShowRB", QStringLiteral("Relative Bearing anzeigen"), true);
    optionen->addSeparator();
    mm2OptRMImitzweiZeigern = option("mm2OptRMImitzweiZeigern", QStringLiteral("RMI mit zwei Zeigern"), true);
    mm2OptRtSm =
        option("mm2OptRtSm", QStringLiteral("Richtung von Station zum Flugzeug in VOR markieren"), false);
    optionen->addSeparator();
    mm2OptInfo = option("mm2OptInfo", QStringLiteral("Info-Bildschirm beim Start anzeigen"), true);
    connect(mm2OptShowRadials, &QAction::triggered, this, &TfrmMainTalvex::mm2OptShowRadialsClick);
    connect(mm2OptShowRB, &QAction::triggered, this, &TfrmMainTalvex::mm2OptShowRBClick);
    connect(mm2OptRMImitzweiZeigern, &QAction::triggered, this,
            &TfrmMainTalvex::mm2OptRMImitzweiZeigernClick);
    connect(mm2OptRtSm, &QAction::triggered, this, &TfrmMainTalvex::mm2OptRtSmClick);

    QMenu* ansicht = bar->addMenu(QStringLiteral("Ansicht"));
    ansicht->setObjectName(QStringLiteral("mm2Ansicht"));
    SkinItems = new QActionGroup(this);
    SkinItems->setExclusive(true);
    const std::array<std::pair<const char*, const char*>, 6> skins{{
        {"mm2SkinMacOS", "&MacOS"},
        {"mm2SkinWinXP", "&WinXP"},
        {"mm2SkinDeepBlue", "&DeepBlue"},
        {"mm2SkinProtein", "&Protein"},
        {"mm2SkinBlueGlass", "&BlueGlass"},
        {"mm2SkinDefault", "D&efault"},
    }};
    for (std::size_t tag = 0; tag < skins.size(); ++tag) {
        QAction* item = ansicht->addAction(QString::fromUtf8(skins[tag].second));
        item->setObjectName(QLatin1String(skins[tag].first));
        item->setData(static_cast<int>(tag));
        item->setCheckable(true);
        item->setChecked(tag == 5);
        SkinItems->addAction(item);
    }
    connect(SkinItems, &QActionGroup::triggered, this, &TfrmMainTalvex::SkinClick);

    QMenu* hilfe = bar->addMenu(QStringLiteral("Hilfe"));
    hilfe->setObjectName(QStringLiteral("mm2Hilfe"));
    mm2HilfeAnzeigen = hilfe->addAction(QStringLiteral("Hilfe anzeigen"));
    mm2HilfeAnzeigen->setObjectName(QStringLiteral("mm2HilfeAnzeigen"));
    mm2HilfeAnzeigen->setData(3001);
    hilfe->addSeparator();
    mm2Info = hilfe->addAction(QStringLiteral("Info"));
    mm2Info->setObjectName(QStringLiteral("mm2Info"));
    connect(mm2Info, &QAction::triggered, this, [this] { ShowInfo(mm2Info); });
}

void TfrmMainTalvex::BuildControlPanel() {
    pnlControl = new QWidget;
    pnlControl->setObjectName(QStringLiteral("pnlControl"));
    pnlControl->setAttribute(Qt::WA_StyledBackground);
    pnlControl->setFixedHeight(ControlPanelHeight);
    pnlControl->setMinimumWidth(DesignWidth);
    // The control column keeps to the right edge (see eventFilter).
    pnlControl->installEventFilter(this);

    // The control column lies under the instrument panel where the two meet,
    // so it is made first.
    BuildControlColumn(pnlControl);

    ImgInstr = new ImageSurface(pnlControl);
    ImgInstr->setObjectName(QStringLiteral("ImgInstr"));
    ImgInstr->setProperty("helpContext", 3011);
    ImgInstr->setGeometry(7, 31, 750, 247);

    BuildSlotRows(pnlControl);
    BuildValuePanels(pnlControl);
}

QToolButton* TfrmMainTalvex::MakeTypeButton(QWidget* row, const char* name, const QString& caption, int x,
                                            int width, const QString& hint, int slot, int typeCode) {
    auto* button = new QToolButton(row);
    button->setObjectName(QLatin1String(name));
    button->setText(caption);
    button->setCheckable(true);
    // The slot it chooses for (group index = slot + 1) and the instrument it
    // puts there; "RMI" stands for the one- or two-needle RMI by the option.
    button->setProperty("groupIndex", slot + 1);
    button->setProperty("typeCode", typeCode);
    button->setGeometry(x, 0, width, 22);
    ApplyHint(button, hint);
    // Clicks only: a down state set from code runs no handler. By type code:
    // RBI, MDI, RMI, KK, VAG, HSI.
    using THandler = void (TfrmMainTalvex::*)(QAbstractButton*);
    static constexpr std::array<THandler, 6> handlers{
        &TfrmMainTalvex::sbRBIClick, &TfrmMainTalvex::sbMDIClick, &TfrmMainTalvex::sbRMIClick,
        &TfrmMainTalvex::sbKKClick,  &TfrmMainTalvex::sbVORClick, &TfrmMainTalvex::sbHSIClick};
    const THandler handler = handlers.at(static_cast<std::size_t>(typeCode));
    connect(button, &QToolButton::clicked, this, [this, button, handler] { (this->*handler)(button); });
    return button;
}

QComboBox* TfrmMainTalvex::MakeStationSelector(QWidget* row, const char* name, int x, int width,
                                               int slotCode) {
    auto* selector = new QComboBox(row);
    selector->setObjectName(QLatin1String(name));
    selector->setGeometry(x, 0, width, 22);
    selector->setProperty("tag", slotCode);
    // At 55 pixels the style's own padding left only "VOR" of "VOR 1": which
    // station is tuned has to be readable at a glance.
    selector->setStyleSheet(QStringLiteral("QComboBox { padding: 1px 0px 1px 3px; }"));
    selector->setVisible(false);
    // A pick by the user, never a list refilled or selected from code.
    connect(selector, &QComboBox::activated, this, [this, selector] { cbFreqChange(selector); });
    return selector;
}

void TfrmMainTalvex::BuildSlotRows(QWidget* panel) {
    auto* row1 = new QWidget(panel);
    row1->setObjectName(QStringLiteral("pnlSlot1"));
    row1->setGeometry(2, 4, 250, 22);
    auto* label = new QLabel(QStringLiteral("Flugz.:"), row1);
    label->setObjectName(QStringLiteral("lblFlugzeug"));
    label->setGeometry(0, 0, 32, 22);
    seFlugzeug = new QSpinBox(row1);
    seFlugzeug->setObjectName(QStringLiteral("seFlugzeug"));
    seFlugzeug->setGeometry(32, 0, 49, 22);
    seFlugzeug->setRange(1, 1);
    seFlugzeug->setValue(1);
    seFlugzeug->setReadOnly(true);
    seFlugzeug->findChild<QLineEdit*>()->setMaxLength(2);
    connect(seFlugzeug, &QSpinBox::valueChanged, this, &TfrmMainTalvex::seFlugzeugChange);

    sbKK = MakeTypeButton(row1, "sbKK", QStringLiteral("KK"), 97, 27,
                          QStringLiteral("Kurskreisel|linkes Instrument als Kurskreisel definieren"), 0, 3);
    sbHSI1 = MakeTypeButton(row1, "sbHSI1", QStringLiteral("HSI"), 126, 27,
                            QStringLiteral("Horizontal Situation Indicator|linkes Instrument als Horizontal "
                                           "Situation Indicator definieren"),
                            0, 5);
    cbFreq1 = MakeStationSelector(row1, "cbFreq1", 184, 65, 0);
    // The left slot always holds an instrument: exactly one of its buttons is down.
    TypeButtonGroups[0] = new QButtonGroup(this);
    TypeButtonGroups[0]->setExclusive(true);
    TypeButtonGroups[0]->addButton(sbKK);
    TypeButtonGroups[0]->addButton(sbHSI1);
    sbKK->setChecked(true);
    sbHSI[1] = sbHSI1;

    for (int slot = 1; slot <= 2; ++slot) {
        const QString n = QString::number(slot + 1);
        const QString where = slot == 1 ? QStringLiteral("mittleres") : QStringLiteral("rechtes");
        auto* row = new QWidget(panel);
        row->setObjectName(QStringLiteral("pnlSlot") + n);
        row->setGeometry(slot == 1 ? 258 : 508, 4, 250, 22);
        QComboBox* second = MakeStationSelector(row, qPrintable(QStringLiteral("cbLFreq") + n), 0, 55, -slot);
        const auto type = [&](const char* prefix, const QString& caption, int x, const QString& name,
                              int code) {
            return MakeTypeButton(
                row, qPrintable(QLatin1String(prefix) + n), caption, x, 26,
                name + QStringLiteral("|") + where + QStringLiteral(" Instrument als ") +
                    (caption == QLatin1String("VAG") ? QStringLiteral("VOR-Anzeigegerät") : name) +
                    QStringLiteral(" definieren"),
                slot, code);
        };
        sbVOR[slot + 1] = type("sbVOR", QStringLiteral("VAG"), 55, QStringLiteral("VOR Anzeigegerät"), 4);
        sbHSI[slot + 1] =
            type("sbHSI", QStringLiteral("HSI"), 83, QStringLiteral("Horizontal Situation Indicator"), 5);
        sbRBI[slot + 1] =
            type("sbRBI", QStringLiteral("RBI"), 111, QStringLiteral("Relative Bearing Indicator"), 0);
        sbMDI[slot + 1] =
            type("sbMDI", QStringLiteral("MDI"), 139, QStringLiteral("Moving Dial Indicator"), 1);
        sbRMI[slot + 1] =
            type("sbRMI", QStringLiteral("RMI"), 167, QStringLiteral("Radio Magnetic Indicator"), 2);
        QComboBox* first = MakeStationSelector(row, qPrintable(QStringLiteral("cbFreq") + n), 194, 55, slot);
        if (slot == 1) {
            cbLFreq2 = second;
            cbFreq2 = first;
        } else {
            cbLFreq3 = second;
            cbFreq3 = first;
        }
        // The middle and right slots may be empty: at most one button down,
        // and the one that is down can be raised again.
        auto* group = new QButtonGroup(this);
        group->setExclusive(false);
        for (QToolButton* b :
             {sbVOR[slot + 1], sbHSI[slot + 1], sbRBI[slot + 1], sbMDI[slot + 1], sbRMI[slot + 1]})
            group->addButton(b);
        connect(group, &QButtonGroup::buttonToggled, this, [group](QAbstractButton* button, bool down) {
            if (!down) return;
            for (QAbstractButton* other : group->buttons()) {
                if (other != button && other->isChecked()) {
                    const QSignalBlocker block(other);
                    other->setChecked(false);
                }
            }
        });
        TypeButtonGroups[static_cast<std::size_t>(slot)] = group;
    }
}

void TfrmMainTalvex::BuildValuePanels(QWidget* panel) {
    const auto make = [this, panel](const char* name, const QString& caption, int x, int y) {
        auto* valuePanel = new TsuiSetValuePanel(panel);
        valuePanel->setObjectName(QLatin1String(name));
        valuePanel->setGeometry(x, y, 250, 22);
        valuePanel->SetCaption(caption);
        valuePanel->SetIncrementFastMinus(-10);
        valuePanel->SetIncrementSlowMinus(-1);
        valuePanel->SetIncrementSlowPlus(1);
        valuePanel->SetIncrementFastPlus(10);
        valuePanel->SetHintFastMinus(QStringLiteral("-10"));
        valuePanel->SetHintSlowMinus(QStringLiteral("-1"));
        valuePanel->SetHintSlowPlus(QStringLiteral("+1"));
        valuePanel->SetHintFastPlus(QStringLiteral("+10"));
        valuePanel->SetHintValueInput(QStringLiteral("Wert eingeben"));
        return valuePanel;
    };
    pnlSetHeading = make("pnlSetHeading", QStringLiteral("HDG"), 5, 284);
    pnlSetValues1 = make("pnlSetValues1", QStringLiteral("OBS"), 5, 310);
    pnlSetValues2 = make("pnlSetValues2", QString(), 255, 284);
    pnlSetValues3 = make("pnlSetValues3", QString(), 505, 284);
    pnlSetValues1->setVisible(false);
    pnlSetValues2->setVisible(false);
    pnlSetValues3->setVisible(false);
}

QPushButton* TfrmMainTalvex::MakeButton(QWidget* parent, const char* name, const QString& caption,
                                        const QRect& geometry, void (TfrmMainTalvex::*click)()) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(geometry);
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, click);
    return button;
}

QToolButton* TfrmMainTalvex::MakeSpeedButton(QWidget* parent, const char* name, const QString& caption, int x,
                                             const QString& hint) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setText(caption);
    button->setGeometry(x, 52, 27, 25);
    button->setProperty("tag", 5);
    ApplyHint(button, hint);
    return button;
}

void TfrmMainTalvex::BuildControlColumn(QWidget* panel) {
    Panel1 = new QWidget(panel);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setProperty("helpContext", 3013);
    Panel1->setFixedSize(167, ControlPanelHeight);

    auto* add = new QGroupBox(QStringLiteral("Hinzufügen"), Panel1);
    add->setObjectName(QStringLiteral("gbHinzufuegen"));
    add->setGeometry(3, 24, 161, 58);
    btnVORadd = MakeButton(add, "btnVORadd", QStringLiteral("VOR"), QRect(6, 24, 42, 25),
                           &TfrmMainTalvex::btnVORaddClick);
    btnNDBAdd = MakeButton(add, "btnNDBAdd", QStringLiteral("NDB"), QRect(52, 24, 42, 25),
                           &TfrmMainTalvex::btnNDBAddClick);
    btnAddFlugzeug = MakeButton(add, "btnAddFlugzeug", QStringLiteral("Flugzeug"), QRect(98, 24, 57, 25),
                                &TfrmMainTalvex::btnAddFlugzeugClick);

    auto* random = new QGroupBox(QStringLiteral("Zufallsposition"), Panel1);
    random->setObjectName(QStringLiteral("gbZufallsposition"));
    random->setGeometry(3, 88, 161, 58);
    btnRdmPosVOR = MakeButton(random, "btnRdmPosVOR", QStringLiteral("VOR"), QRect(6, 24, 42, 25),
                              &TfrmMainTalvex::btnRdmPosVORClick);
    btnRdmPosNDB = MakeButton(random, "btnRdmPosNDB", QStringLiteral("NDB"), QRect(52, 24, 42, 25),
                              &TfrmMainTalvex::btnRdmPosNDBClick);
    btnRdmPos = MakeButton(random, "btnRdmPos", QStringLiteral("Flugzeug"), QRect(98, 24, 57, 25),
                           &TfrmMainTalvex::btnRdmPosClick);
    // Nothing to move until the first station of the type exists.
    btnRdmPosVOR->setEnabled(false);
    btnRdmPosNDB->setEnabled(false);

    auto* animation = new QGroupBox(QStringLiteral("Animation"), Panel1);
    animation->setObjectName(QStringLiteral("gbAnimation"));
    animation->setGeometry(4, 160, 160, 86);
    btnAnimStart = MakeButton(animation, "btnAnimStart", QStringLiteral("Start"), QRect(6, 22, 47, 25),
                              &TfrmMainTalvex::btnAnimStartClick);
    btnAnimStop = MakeButton(animation, "btnAnimStop", QStringLiteral("Stopp"), QRect(57, 22, 47, 25),
                             &TfrmMainTalvex::btnAnimStopClick);
    btnAnimReset = MakeButton(animation, "btnAnimReset", QStringLiteral("Reset"), QRect(108, 22, 46, 25),
                              &TfrmMainTalvex::btnAnimResetClick);
    btnAnimStop->setEnabled(false);
    btnAnimReset->setEnabled(false);

    // Left to right: the two steps down, the value button between them (also
    // in the focus chain), the two steps up.
    const std::array<int, 4> stepX{6, 36, 96, 127};
    for (std::size_t i = 0; i < SpeedSteps.size(); ++i) {
        if (i == 2)
            sbV = MakeSpeedButton(animation, "sbV", QStringLiteral("Val"), 66,
                                  QStringLiteral("Wert eingeben|öffnet Dialogfester zum Eingeben der "
                                                 "Geschwindigkeit  als Wert"));
        sbSpeed[i] = MakeSpeedButton(animation, SpeedSteps[i].Name, QLatin1String(SpeedSteps[i].Caption),
                                     stepX[i], QString::fromUtf8(SpeedSteps[i].Hint));
    }
    // The step buttons act on press and release (holding repeats), not on clicks.
    for (QToolButton* step : sbSpeed)
        step->installEventFilter(this);
    connect(sbV, &QToolButton::clicked, this, &TfrmMainTalvex::sbVClick);

    btnVisible = MakeButton(Panel1, "btnVisible", QStringLiteral("Flugzeug unsichtbar"),
                            QRect(12, 256, 145, 25), &TfrmMainTalvex::btnVisibleClick);
    btnProgEnde = MakeButton(Panel1, "btnProgEnde", QStringLiteral("Programm beenden"),
                             QRect(12, 296, 145, 25), &TfrmMainTalvex::btnProgEndeClick);
}
