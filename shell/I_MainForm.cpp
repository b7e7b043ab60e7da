#include "shell/I_MainForm.h"

#include "instruments/InstrumentRegistry.h"
#include "platform/ImageSurface.h"
#include "platform/IniFile.h"
#include "platform/Paths.h"
#include "platform/VersionInfo.h"
#include "shell/Hint.h"
#include "shell/HintRouter.h"
#include "shell/InfoForm.h"
#include "shell/ModalRunner.h"
#include "shell/PlainMessage.h"
#include "shell/ValuePanel.h"
#include "shell/WertEingabeForm.h"
#include "world/I_Flugzeug.h"
#include "world/RadialLayer.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <chrono>
#include <cmath>
#include <mutex>
#include <numbers>

namespace {

const QString OptionsSection = QStringLiteral("Optionen");

// The four speed step buttons, slowest first.
struct TSpeedStep {
    const char* Name;
    const char* Caption;
    const char* Hint;
};
constexpr std::array<TSpeedStep, 4> SpeedSteps{{
    {"sbMinus10", "<<", "-50%|halbiert Geschwindigkeit"},
    {"sbMinus1", "<", "-10%|reduziert Geschwindigkeit um  10%"},
    {"sbPlus1", ">", "+10%|erhöht Geschwindigkeit um 10%"},
    {"sbPlus10", ">>", "+100%|verdoppelt Geschwindigkeit"},
}};

// What a step button does, in tenths of the speed: -10 halves it, +10 doubles it.
int SpeedStepOf(const QString& caption) {
    if (caption == QLatin1String("<<")) return -10;
    if (caption == QLatin1String("<")) return -1;
    if (caption == QLatin1String(">")) return 1;
    if (caption == QLatin1String(">>")) return 10;
    return 0;
}

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

// Set again after every change of the look: a new Qt style may bring the
// desktop's font back.
void ApplyDesignFont() {
    QApplication::setFont(QFont(DesignFontFamily(), 8));
}

// Instruments are registered once per process, whoever creates a window first.
void RegisterInstrumentsOnce() {
    static std::once_flag once;
    std::call_once(once, [] { RegisterInstruments(); });
}

} // namespace

TfrmMainTalvex::TfrmMainTalvex(QWidget* parent)
    : TfrmBase(QStringLiteral("frmMainTalvex"), QSize(DesignWidth, DesignHeight), parent) {
    SetOpenCentred(true);
    setProperty("helpContext", 1001);
    RegisterInstrumentsOnce();
    // The layout is made for a small sans-serif face at 8 points, whatever
    // the desktop's font size; set before any control exists, so all take it.
    ApplyDesignFont();
    setFont(QApplication::font());
    BuildMenus();

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setFixedHeight(StatusBarHeight);
    StatusBar1->setSizeGripEnabled(false);
    setStatusBar(StatusBar1);

    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("frmSkin"));
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    // The map fills what the control panel leaves; the surface inside is sized
    // to its container so that its bitmap always matches what is seen.
    pnlMap = new QWidget(central);
    pnlMap->setObjectName(QStringLiteral("pnlMap"));
    pnlMap->setMinimumSize(1, 1);
    pnlMap->installEventFilter(this);
    ImgNav = new ImageSurface(pnlMap);
    ImgNav->setObjectName(QStringLiteral("ImgNav"));
    ImgNav->setProperty("helpContext", 3012);
    ApplyHint(ImgNav,
              QStringLiteral("|Flugzeug oder Station kann durch Ziehen mit der Maus verschoben werden"));
    layout->addWidget(pnlMap, 1);
    BuildControlPanel();
    layout->addWidget(pnlControl);
    setCentralWidget(central);

    tmrAnimation = new QTimer(this);
    tmrAnimation->setObjectName(QStringLiteral("tmrAnimation"));
    tmrAnimation->setInterval(AnimationPeriodMs);
    connect(tmrAnimation, &QTimer::timeout, this, &TfrmMainTalvex::tmrAnimationTimer);
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    connect(Timer1, &QTimer::timeout, this, &TfrmMainTalvex::Timer1Timer);

    FormCreate();
}

TfrmMainTalvex::~TfrmMainTalvex() {
    tmrAnimation->stop();
    Timer1->stop();
    // A bound instrument and its aircraft hold each other; unbinding breaks
    // the cycle so that everything is released with the window.
    if (const auto active = ActivePlane(); active && IRadial) active->Detach(IRadial);
    for (const auto& plane : Flugzeuge) {
        if (!plane) continue;
        for (int slot = 0; slot < TFlugzeug::SlotCount; ++slot) {
            if (const auto instrument = plane->GetInstrument(slot)) TFlugzeug::UnbindInstrument(instrument);
        }
    }
    RadialLayer.reset();
}

// ---------------------------------------------------------------------------
// Building the window

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
    return button;
}

QComboBox* TfrmMainTalvex::MakeStationSelector(QWidget* row, const char* name, int x, int width,
                                               int slotCode) {
    auto* selector = new QComboBox(row);
    selector->setObjectName(QLatin1String(name));
    selector->setGeometry(x, 0, width, 22);
    selector->setProperty("tag", slotCode);
    selector->setVisible(false);
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
                                        const QRect& geometry) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(geometry);
    button->setAutoDefault(false);
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
    btnVORadd = MakeButton(add, "btnVORadd", QStringLiteral("VOR"), QRect(6, 24, 42, 25));
    btnNDBAdd = MakeButton(add, "btnNDBAdd", QStringLiteral("NDB"), QRect(52, 24, 42, 25));
    btnAddFlugzeug = MakeButton(add, "btnAddFlugzeug", QStringLiteral("Flugzeug"), QRect(98, 24, 57, 25));

    auto* random = new QGroupBox(QStringLiteral("Zufallsposition"), Panel1);
    random->setObjectName(QStringLiteral("gbZufallsposition"));
    random->setGeometry(3, 88, 161, 58);
    btnRdmPosVOR = MakeButton(random, "btnRdmPosVOR", QStringLiteral("VOR"), QRect(6, 24, 42, 25));
    btnRdmPosNDB = MakeButton(random, "btnRdmPosNDB", QStringLiteral("NDB"), QRect(52, 24, 42, 25));
    btnRdmPos = MakeButton(random, "btnRdmPos", QStringLiteral("Flugzeug"), QRect(98, 24, 57, 25));
    // Nothing to move until the first station of the type exists.
    btnRdmPosVOR->setEnabled(false);
    btnRdmPosNDB->setEnabled(false);

    auto* animation = new QGroupBox(QStringLiteral("Animation"), Panel1);
    animation->setObjectName(QStringLiteral("gbAnimation"));
    animation->setGeometry(4, 160, 160, 86);
    btnAnimStart = MakeButton(animation, "btnAnimStart", QStringLiteral("Start"), QRect(6, 22, 47, 25));
    btnAnimStop = MakeButton(animation, "btnAnimStop", QStringLiteral("Stopp"), QRect(57, 22, 47, 25));
    btnAnimReset = MakeButton(animation, "btnAnimReset", QStringLiteral("Reset"), QRect(108, 22, 46, 25));
    btnAnimStop->setEnabled(false);
    btnAnimReset->setEnabled(false);
    connect(btnAnimStart, &QPushButton::clicked, this, &TfrmMainTalvex::btnAnimStartClick);
    connect(btnAnimStop, &QPushButton::clicked, this, &TfrmMainTalvex::btnAnimStopClick);
    connect(btnAnimReset, &QPushButton::clicked, this, &TfrmMainTalvex::btnAnimResetClick);

    const std::array<int, 5> xs{6, 36, 66, 96, 127};
    sbSpeed[0] = MakeSpeedButton(animation, SpeedSteps[0].Name, QLatin1String(SpeedSteps[0].Caption), xs[0],
                                 QString::fromUtf8(SpeedSteps[0].Hint));
    sbSpeed[1] = MakeSpeedButton(animation, SpeedSteps[1].Name, QLatin1String(SpeedSteps[1].Caption), xs[1],
                                 QString::fromUtf8(SpeedSteps[1].Hint));
    sbV =
        MakeSpeedButton(animation, "sbV", QStringLiteral("Val"), xs[2],
                        QStringLiteral("Wert eingeben|öffnet Dialogfester zum Eingeben der Geschwindigkeit  "
                                       "als Wert"));
    sbSpeed[2] = MakeSpeedButton(animation, SpeedSteps[2].Name, QLatin1String(SpeedSteps[2].Caption), xs[3],
                                 QString::fromUtf8(SpeedSteps[2].Hint));
    sbSpeed[3] = MakeSpeedButton(animation, SpeedSteps[3].Name, QLatin1String(SpeedSteps[3].Caption), xs[4],
                                 QString::fromUtf8(SpeedSteps[3].Hint));
    // The step buttons act on press and release (holding repeats), not on clicks.
    for (QToolButton* step : sbSpeed)
        step->installEventFilter(this);
    connect(sbV, &QToolButton::clicked, this, &TfrmMainTalvex::sbVClick);

    btnVisible =
        MakeButton(Panel1, "btnVisible", QStringLiteral("Flugzeug unsichtbar"), QRect(12, 256, 145, 25));
    btnProgEnde =
        MakeButton(Panel1, "btnProgEnde", QStringLiteral("Programm beenden"), QRect(12, 296, 145, 25));
    connect(btnProgEnde, &QPushButton::clicked, this, &TfrmMainTalvex::btnProgEndeClick);
}

// ---------------------------------------------------------------------------
// Start-up

void TfrmMainTalvex::CreateDataFolders() {
    const QString company = VersionInfoValue(VersionInfo(), QStringLiteral("Company Name"));
    const QString product = VersionInfoValue(VersionInfo(), QStringLiteral("Product Name"));
    FCompanyNamePath = CompanyFolder(CSIDL_APPDATA, company);
    FApplicationDataPath = ProductFolder(CSIDL_APPDATA, company, product);
    FCommonQuellbach = CompanyFolder(CSIDL_COMMON_APPDATA, company);
    FCommonAnwendungsDaten = ProductFolder(CSIDL_COMMON_APPDATA, company, product);

    // The base window has already tried the per-user folders and told the
    // user about any it could not create; one message per folder is enough.
    const QStringList reported = FolderErrors();
    for (const QString& folder :
         {FCompanyNamePath, FApplicationDataPath, FCommonQuellbach, FCommonAnwendungsDaten}) {
        if (ForceDirectories(folder)) continue;
        FTerminationRequested = true;
        const QString message = FolderCreationMessage(folder);
        if (!reported.contains(message)) ShowPlainMessage(message);
    }
    if (!reported.isEmpty()) FTerminationRequested = true;
    if (FTerminationRequested) QTimer::singleShot(0, QCoreApplication::instance(), &QCoreApplication::quit);
}

void TfrmMainTalvex::FormCreate() {
    // The application title; Qt shows it as the display name in message boxes.
    QCoreApplication::setApplicationName(QStringLiteral("Peilomat"));
    FApplicationPath = QCoreApplication::applicationDirPath() + QLatin1Char('/');

    CreateDataFolders();

    setWindowTitle(QCoreApplication::applicationName() + QStringLiteral(" Version ") +
                   VersionInfoValue(VersionInfo(), QStringLiteral("Product Version")));

    Theme.ThemeFile = ProgramFile(FApplicationPath, QLatin1String(DefaultSkinFileName));
    Theme.UIStyle = ssFromThemeFile;
    const Qt::WindowStates state = windowState();
    setWindowState(Qt::WindowNoState);
    ApplySkin(Theme);
    ApplyDesignFont();
    ShareTheme();
    ApplyMinimumSize();
    setWindowState(state);

    connect(THintRouter::Instance(), &THintRouter::HintChanged, this, &TfrmMainTalvex::DisplayHint);

    ReadOptions();

    FRandom.seed(
        static_cast<std::mt19937::result_type>(std::chrono::system_clock::now().time_since_epoch().count()));

    SetRadProc = [this] { DrawRadials(); };
    IRadial = std::make_shared<TRadialLayer>(SetRadProc);

    ImgInstr->BeginUpdate();
    ImgInstr->SetBitmapSize(750, 247);
    ImgInstr->Bitmap().Fill(0xFFFFFFFF);

    // The map control has no size before the window is laid out; it gets
    // what the window leaves below the menu and above the control panel.
    const int mapWidth = std::max(1, width());
    const int mapHeight =
        std::max(1, height() - menuBar()->sizeHint().height() - ControlPanelHeight - StatusBarHeight);
    pnlMap->resize(mapWidth, mapHeight);
    ImgNav->BeginUpdate();
    ImgNav->SetBitmapSize(mapWidth, mapHeight);
    ImgNav->Bitmap().Fill(0xFFFFFFFF);

    Flugzeuge.resize(1);
    seFlugzeug->setRange(1, 1);
    seFlugzeug->setValue(1);
    seFlugzeug->setReadOnly(true);

    const std::shared_ptr<TFlugzeug> first =
        TFlugzeug::Create(ImgNav, ImgInstr, RandomMapPosition(), 0, IRadial);
    Flugzeuge[0] = first;
    pnlSetHeading->SetValueSettingInterface(first);

    RadialLayer = std::make_unique<BitmapLayer>(ImgNav);
    RadialLayer->SetTag(0);
    RadialLayer->Bitmap().SetSize(mapWidth, mapHeight);
    RadialLayer->Bitmap().Clear(0x00FFFFFF);
    RadialLayer->SetDrawMode(BitmapLayer::DrawMode::Blend);
    RadialLayer->SetMasterAlpha(255);
    RadialLayer->SetVisible(true);
    RadialLayer->SetLocation(QRectF(0, 0, mapWidth, mapHeight));
    RadialLayer->SetMouseEvents(false);

    FSelectedPlane = 0;
    first->SetSelected(true);
    first->Attach(IRadial);

    ImgNav->EndUpdate();
    ImgInstr->EndUpdate();
}

void TfrmMainTalvex::ApplyMinimumSize() {
    // The smallest useful window is given with its frame; Qt limits the
    // client area, so the frame comes off. Until the window is shown its frame
    // is unknown, and the size the window is made for must pass.
    const QSize frame = isVisible() ? frameGeometry().size() - size() : QSize(MinimumWidth - DesignWidth, 0);
    setMinimumSize(std::max(1, MinimumWidth - frame.width()), std::max(1, MinimumHeight - frame.height()));
}

void TfrmMainTalvex::ShareTheme() {
    // The value panels hand the skin on to the dialogs they open.
    for (TsuiSetValuePanel* panel : {pnlSetHeading, pnlSetValues1, pnlSetValues2, pnlSetValues3}) {
        panel->SetUIStyle(Theme.UIStyle);
        panel->SetFileTheme(Theme.ThemeFile);
    }
}

QSize TfrmMainTalvex::ScreenSize() const {
    const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    return s ? s->size() : QSize();
}

QString TfrmMainTalvex::ScreenCheckMessage(int screenWidth, int screenHeight) {
    if (screenWidth >= MinimumWidth && screenHeight >= MinimumHeight) return QString();
    return QStringLiteral("Das Programm erfodert eine minimale Bildschirmlauflösung von 935 x ") +
           QString::number(MinimumHeight) + QStringLiteral("\n\r") +
           QStringLiteral("Die eingestelle Bildschirmauflösung ist: ") + QString::number(screenWidth) +
           QStringLiteral(" x ") + QString::number(screenHeight) + QStringLiteral(".") +
           QStringLiteral("\n\r") +
           QStringLiteral("Bei dieser Einstellung ist das Programm nicht lauffähig.\n\r") +
           QStringLiteral("Bitte ändern Sie die Bildschirmauflösung und starten dann das Programm erneut.");
}

void TfrmMainTalvex::showEvent(QShowEvent* event) {
    TfrmBase::showEvent(event);
    // A window manager frames the window a moment after it appears; until
    // then the frame reads as nothing, and a minimum taken from that would
    // widen the window beyond its design size.
    if (frameGeometry().size() != size())
        ApplyMinimumSize();
    else
        QTimer::singleShot(FrameSettleMs, this, &TfrmMainTalvex::ApplyMinimumSize);
    // The first activation follows the first show; it runs once the window
    // is on the screen, from the event loop.
    if (!FActivated) QTimer::singleShot(0, this, &TfrmMainTalvex::FormActivate);
}

void TfrmMainTalvex::FormActivate() {
    if (FActivated || FTerminationRequested) return;
    FActivated = true;
    const QSize screenSize = ScreenSize();
    const QString problem = ScreenCheckMessage(screenSize.width(), screenSize.height());
    if (!problem.isEmpty()) {
        ShowMessageBox(this, QMessageBox::Critical, problem);
        close();
        return;
    }
    if (mm2OptInfo->isChecked()) ShowInfo(this);
}

void TfrmMainTalvex::ShowInfo(QObject* sender) {
    TfrmInfo info(this, VersionInfoValue(VersionInfo(), QStringLiteral("Product Name")),
                  VersionInfoValue(VersionInfo(), QStringLiteral("Product Version")), sender == this);
    RunModal(info);
}

// ---------------------------------------------------------------------------
// Closing

void TfrmMainTalvex::closeEvent(QCloseEvent* event) {
    if (!FClosing) {
        FClosing = true;
        FormClose();
    }
    TfrmBase::closeEvent(event);
}

void TfrmMainTalvex::FormClose() {
    tmrAnimation->stop();
    Timer1->stop();
    WriteOptions();
}

void TfrmMainTalvex::btnProgEndeClick() {
    close();
}

void TfrmMainTalvex::beenden1Click() {
    close();
}

// ---------------------------------------------------------------------------
// Options

void TfrmMainTalvex::ReadOptions() {
    const TIniFile ini(IniFileName());
    mm2OptShowRadials->setChecked(ini.ReadBool(OptionsSection, QStringLiteral("ShowRadials"), true));
    mm2OptShowRB->setChecked(ini.ReadBool(OptionsSection, QStringLiteral("ShowRB"), true));
    mm2OptRMImitzweiZeigern->setChecked(
        ini.ReadBool(OptionsSection, QStringLiteral("RMImitZweiZeigern"), true));
    mm2OptRtSm->setChecked(ini.ReadBool(OptionsSection, QStringLiteral("RtSm"), false));
    mm2OptInfo->setChecked(ini.ReadBool(OptionsSection, QStringLiteral("Info"), true));
}

bool TfrmMainTalvex::WriteOptions() {
    TIniFile ini(IniFileName());
    ini.WriteBool(OptionsSection, QStringLiteral("ShowRadials"), mm2OptShowRadials->isChecked());
    ini.WriteBool(OptionsSection, QStringLiteral("ShowRB"), mm2OptShowRB->isChecked());
    ini.WriteBool(OptionsSection, QStringLiteral("RMImitZweiZeigern"), mm2OptRMImitzweiZeigern->isChecked());
    ini.WriteBool(OptionsSection, QStringLiteral("RtSm"), mm2OptRtSm->isChecked());
    ini.WriteBool(OptionsSection, QStringLiteral("Info"), mm2OptInfo->isChecked());
    if (ini.UpdateFile()) return true;
    ShowPlainMessage(ini.LastError());
    return false;
}

void TfrmMainTalvex::mm2OptShowRadialsClick() {
    DrawRadials();
}

void TfrmMainTalvex::mm2OptShowRBClick() {
    DrawRadials();
}

void TfrmMainTalvex::mm2OptRtSmClick() {
    const auto plane = ActivePlane();
    if (!plane) return;
    for (int slot = 0; slot < TFlugzeug::SlotCount; ++slot) {
        const auto instrument = plane->GetInstrument(slot);
        if (!instrument || instrument->GetTyp() != 4) continue;
        if (const auto vor = std::dynamic_pointer_cast<IVOR>(instrument))
            vor->SetDirToStation(mm2OptRtSm->isChecked());
    }
}

void TfrmMainTalvex::SkinClick(QAction* item) {
    const int tag = item->data().toInt();
    // The window is hidden while its look changes, so it is never seen half restyled.
    const bool wasVisible = isVisible();
    hide();
    TTheme theme;
    theme.ThemeFile = ProgramFile(FApplicationPath, QLatin1String(DefaultSkinFileName));
    theme.UIStyle =
        tag >= 0 && tag < 5 ? static_cast<std::uint8_t>(tag + 1) : static_cast<std::uint8_t>(ssFromThemeFile);
    ApplySkin(theme);
    ApplyDesignFont();
    Theme = theme;
    ShareTheme();
    if (wasVisible) show();
}

// ---------------------------------------------------------------------------
// Hints

void TfrmMainTalvex::DisplayHint(const QString& hint) {
    if (hint.isEmpty())
        StatusBar1->clearMessage();
    else
        StatusBar1->showMessage(LongHint(hint));
}

// ---------------------------------------------------------------------------
// The world

std::shared_ptr<IPlaneSubject> TfrmMainTalvex::ActivePlane() const {
    if (FSelectedPlane < 0 || FSelectedPlane >= static_cast<int>(Flugzeuge.size())) return nullptr;
    return Flugzeuge[static_cast<std::size_t>(FSelectedPlane)];
}

int TfrmMainTalvex::RandomBelow(int n) {
    if (n <= 0) return 0;
    return std::uniform_int_distribution<int>(0, n - 1)(FRandom);
}

TSinglePoint TfrmMainTalvex::RandomMapPosition() {
    const int x = RandomBelow(ImgNav->Bitmap().Width());
    const int y = RandomBelow(ImgNav->Bitmap().Height());
    return TSinglePoint{static_cast<float>(x), static_cast<float>(y)};
}

void TfrmMainTalvex::seFlugzeugChange() {
    if (Flugzeuge.empty()) return;
    // The selector keeps its value within range; the index is bounded here as
    // well, so no text can ever select an aircraft that does not exist.
    const int count = static_cast<int>(Flugzeuge.size());
    const int index = std::clamp(seFlugzeug->value(), 1, count) - 1;
    if (const auto previous = ActivePlane(); previous && IRadial) previous->Detach(IRadial);
    FSelectedPlane = index;
    if (const auto active = ActivePlane(); active && IRadial) active->Attach(IRadial);
    btnAnimStopClick();
    for (int i = 0; i < count; ++i) {
        const auto& plane = Flugzeuge[static_cast<std::size_t>(i)];
        if (!plane) continue;
        const bool selected = i == FSelectedPlane;
        plane->SetSelected(selected);
        if (selected) {
            btnAnimReset->setEnabled(plane->GetAusgangsPositionGespeichert());
            btnVisible->setText(plane->GetVisible() ? QStringLiteral("Flugzeug unsichtbar")
                                                    : QStringLiteral("Flugzeug sichtbar"));
        }
    }
}

// ---------------------------------------------------------------------------
// Map

bool TfrmMainTalvex::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize) {
        if (watched == pnlMap) ImgNavCanResize(pnlMap->width(), pnlMap->height());
        if (watched == pnlControl) Panel1->move(pnlControl->width() - Panel1->width(), 0);
        return false;
    }
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease) {
        for (QToolButton* step : sbSpeed) {
            if (watched != step || !step->isEnabled()) continue;
            if (event->type() == QEvent::MouseButtonPress)
                sbMouseDown(step);
            else
                sbMouseUp(step);
        }
    }
    return TfrmBase::eventFilter(watched, event);
}

bool TfrmMainTalvex::event(QEvent* event) {
    // The status line belongs to DisplayHint; Qt's own status tips would
    // clear it whenever the mouse leaves a control for a parent with a hint.
    if (event->type() == QEvent::StatusTip) return true;
    return TfrmBase::event(event);
}

void TfrmMainTalvex::ImgNavCanResize(int newWidth, int newHeight) {
    newWidth = std::max(1, newWidth);
    newHeight = std::max(1, newHeight);
    if (ImgNav->Bitmap().Width() == newWidth && ImgNav->Bitmap().Height() == newHeight) {
        ImgNav->setGeometry(0, 0, newWidth, newHeight);
        return;
    }
    ImgNav->BeginUpdate();
    ImgNav->SetBitmapSize(newWidth, newHeight);
    ImgNav->setGeometry(0, 0, newWidth, newHeight);
    ImgNav->Bitmap().Fill(0xFFFFFFFF);
    // Before start-up has made the radial layer there is none to resize.
    if (RadialLayer) {
        RadialLayer->Bitmap().SetSize(newWidth, newHeight);
        RadialLayer->Bitmap().Clear(0x00FFFFFF);
        RadialLayer->SetLocation(QRectF(0, 0, newWidth, newHeight));
        DrawRadials();
    }
    ImgNav->EndUpdate();
}

void TfrmMainTalvex::DrawRadials() {
    if (!RadialLayer || Stationen.empty()) return;
    Bitmap32& bitmap = RadialLayer->Bitmap();
    ImgNav->BeginUpdate();
    bitmap.Clear(0x00FFFFFF);
    RadialLayer->BringToFront();
    const auto plane = ActivePlane();
    if (!plane) {
        ImgNav->EndUpdate();
        return;
    }
    const double diagonal = std::hypot(bitmap.Width(), bitmap.Height());
    const TSinglePoint a = plane->GetPosition();
    const int shown = seFlugzeug->value() - 1;
    const bool chosenVisible = shown >= 0 && shown < static_cast<int>(Flugzeuge.size()) &&
                               Flugzeuge[static_cast<std::size_t>(shown)] &&
                               Flugzeuge[static_cast<std::size_t>(shown)]->GetVisible();
    const bool showRadials = mm2OptShowRadials->isChecked();
    const bool showBearings = mm2OptShowRB->isChecked() && chosenVisible;
    const std::vector<TColor32> patternA{0xFF007F00, 0xFF007F00, 0xFF007F00, 0x00000000,
                                         0x00000000, 0xFFFFFFFF, 0x00000000, 0x00000000};
    const std::vector<TColor32> patternB{0xFF7F7F7F, 0xFFFFFFFF, 0x00000000, 0x00000000};

    for (int slot = 0; slot < TFlugzeug::SlotCount; ++slot) {
        const auto instrument = plane->GetInstrument(slot);
        if (!instrument || !instrument->GetVisible()) continue;
        const auto tuned = std::dynamic_pointer_cast<IInstrumentMitStation>(instrument);
        if (!tuned) continue;
        const QString name1 = tuned->GetStation();
        const int type = instrument->GetTyp();
        if (type == 4 || type == 5) {
            if (name1.isEmpty() || !showRadials) continue;
            float course = 0;
            int toFrom = 2;
            if (const auto vor = std::dynamic_pointer_cast<IVOR>(instrument)) {
                course = vor->GetOBS();
                toFrom = vor->GetToFrom();
            } else if (const auto hsi = std::dynamic_pointer_cast<IHSI>(instrument)) {
                course = hsi->GetCourse();
                toFrom = hsi->GetToFrom();
            }
            if (toFrom != 0 && toFrom != 1) continue;
            double alpha = toFrom == 0 ? course + 180.0 : course;
            while (alpha > 360.0)
                alpha -= 360.0;
            const double rad = alpha * std::numbers::pi / 180.0;
            const double vx = diagonal * std::sin(rad), vy = -diagonal * std::cos(rad);
            const double wx = diagonal * std::cos(rad), wy = diagonal * std::sin(rad);
            for (const auto& station : Stationen) {
                if (!station || station->GetName() != name1) continue;
                const TSinglePoint s = station->GetPosition();
                const auto at = [](float base, double delta) { return static_cast<float>(base + delta); };
                bitmap.LineAA(s.X, s.Y, at(s.X, vx), at(s.Y, vy), 0xFF007F00);
                bitmap.SetDashPattern(patternA);
                bitmap.DashedLineAA(s.X, s.Y, at(s.X, -vx), at(s.Y, -vy));
                bitmap.SetDashPattern(patternB);
                bitmap.DashedLineAA(s.X, s.Y, at(s.X, wx), at(s.Y, wy));
                bitmap.DashedLineAA(s.X, s.Y, at(s.X, -wx), at(s.Y, -wy));
            }
        } else if (type == 0 || type == 1 || type == 2 || type == 6) {
            QString name2;
            if (type == 6) {
                if (const auto rmi2 = std::dynamic_pointer_cast<IRMI2>(instrument))
                    name2 = rmi2->GetStation2();
            }
            if ((name1.isEmpty() && name2.isEmpty()) || !showBearings) continue;
            for (const auto& station : Stationen) {
                if (!station) continue;
                const QString name = station->GetName();
                if (name.isEmpty() || (name != name1 && name != name2)) continue;
                const TSinglePoint s = station->GetPosition();
                bitmap.LineAA(s.X, s.Y, a.X, a.Y, 0xFF0000FF);
            }
        }
    }
    ImgNav->EndUpdate();
}

// ---------------------------------------------------------------------------
// Animation

void TfrmMainTalvex::btnAnimStartClick() {
    btnAnimStop->setEnabled(true);
    btnAnimStart->setEnabled(false);
    btnAnimReset->setEnabled(true);
    if (const auto plane = ActivePlane()) plane->SetAusgangsPosition(plane->GetPosition());
    tmrAnimation->start();
}

void TfrmMainTalvex::btnAnimStopClick() {
    btnAnimStop->setEnabled(false);
    btnAnimStart->setEnabled(true);
    tmrAnimation->stop();
}

void TfrmMainTalvex::btnAnimResetClick() {
    btnAnimStopClick();
    if (const auto plane = ActivePlane()) {
        plane->SetPosition(plane->GetAusgangsPosition());
        plane->SetAusgangsPositionGespeichert(false);
    }
    btnAnimReset->setEnabled(false);
}

void TfrmMainTalvex::tmrAnimationTimer() {
    const auto plane = ActivePlane();
    if (!plane) return;
    const long double heading =
        static_cast<long double>(plane->GetKurs()) * std::numbers::pi_v<long double> / 180;
    const long double speed = plane->GetSpeed();
    const TSinglePoint p = plane->GetPosition();
    plane->SetPosition(TSinglePoint{static_cast<float>(p.X + speed * std::sin(heading)),
                                    static_cast<float>(p.Y - speed * std::cos(heading))});
}

void TfrmMainTalvex::ApplySpeedButton(QAbstractButton* button) {
    const auto plane = ActivePlane();
    if (!plane || !button) return;
    const double d = SpeedStepOf(button->text());
    const double v = plane->GetSpeed();
    plane->SetSpeed(static_cast<float>(d <= 0 ? v / (1.0 - d / 10.0) : v * (1.0 + d / 10.0)));
}

void TfrmMainTalvex::sbMouseDown(QAbstractButton* button) {
    btnMouseDown = button;
    Timer1->setInterval(SpeedRepeatMs);
    Timer1->start();
}

void TfrmMainTalvex::Timer1Timer() {
    if (btnMouseDown) ApplySpeedButton(btnMouseDown);
}

void TfrmMainTalvex::sbMouseUp(QAbstractButton* /*button*/) {
    if (btnMouseDown) {
        ApplySpeedButton(btnMouseDown);
        btnMouseDown = nullptr;
    }
    Timer1->stop();
}

void TfrmMainTalvex::sbVClick() {
    const auto plane = ActivePlane();
    if (!plane) return;
    const float v = plane->GetSpeed();
    TfrmWertEing dialog(this);
    dialog.SetFileTheme(Theme.ThemeFile);
    dialog.SetUIStyle(Theme.UIStyle);
    dialog.SetWert(v);
    if (RunModal(dialog) != QDialog::Accepted) return;
    // Applied as a difference, so that confirming unchanged fields keeps the
    // speed exactly, whatever digits the fields could not show.
    plane->SetSpeed(static_cast<float>(static_cast<double>(v) + dialog.WertAenderung()));
}
