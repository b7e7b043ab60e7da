#include "shell/I_MainForm.h"
#include <QMenu>
#include "platform/IniFile.h"
#include "world/FlugwegLayer.h"
#include "shell/SzenenDatei.h"

#include "platform/ApplicationHelp.h"
#include "platform/Colors.h"
#include "platform/ImageSurface.h"
#include "platform/Paths.h"
#include "platform/UpdateBracket.h"
#include "platform/VersionInfo.h"
#include "shell/ContextHelp.h"
#include "shell/HeldButton.h"
#include "shell/Hint.h"
#include "shell/HintRouter.h"
#include "shell/InfoForm.h"
#include "shell/MainFormLayout.h"
#include "shell/ModalRunner.h"
#include "shell/OffMapIndicator.h"
#include "shell/PlainMessage.h"
#include "shell/ValuePanel.h"
#include "support/DLogFile.h"
#include "support/hh_funcs.h"
#include "world/I_Flugzeug.h"
#include "world/RadialLayer.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMenuBar>
#include <QScopeGuard>
#include <QScreen>
#include <QSpinBox>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <chrono>
#include <cmath>
#include <numbers>

// The main window's spine: construction, start-up, activation, closing and
// hints. What each group of controls does lives in a unit of its own:
// MainFormLayout (building the controls), InstrumentPanel (type buttons,
// selectors, aircraft selector), MapEditor (adding, placing and dragging on
// the map), Animation (flight and speed), Options (menu options and looks).

TfrmMainTalvex::TfrmMainTalvex(QWidget* parent)
    : TfrmBase(QStringLiteral("frmMainTalvex"), QSize(DesignWidth, DesignHeight), parent) {
    SetOpenCentred(true);
    setProperty("helpContext", 1001);
    // The layout is made for a small sans-serif face at 8 points, whatever
    // the desktop's font size; set before any control exists, so all take it.
    ApplyDesignFont();
    setFont(QApplication::font());
    BuildMenus();
    BuildFlugwegMenu();

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
    connect(ImgNav, &ImageSurface::MouseDown, this,
            [this](QMouseEvent*, const QPointF&, BitmapLayer* layer) { ImgNavMouseDown(layer); });
    connect(
        ImgNav, &ImageSurface::MouseMove, this,
        [this](QMouseEvent*, const QPointF& point, BitmapLayer* layer) { ImgNavMouseMove(point, layer); });
    connect(ImgNav, &ImageSurface::MouseUp, this,
            [this](QMouseEvent*, const QPointF&, BitmapLayer* layer) { ImgNavMouseUp(layer); });
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
    if (Flugweg) Flugweg->SetPlane(nullptr);
    if (const auto active = ActivePlane(); active && IRadial) active->Detach(IRadial);
    ReleaseActivePlaneView();
    for (const auto& plane : Flugzeuge) {
        if (!plane) continue;
        for (int slot = 0; slot < TFlugzeug::SlotCount; ++slot) {
            if (const auto instrument = plane->GetInstrument(slot)) TFlugzeug::UnbindInstrument(instrument);
        }
    }
    RadialLayer.reset();
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
    const bool skinApplied = ApplySkin(Theme);
    // An installation keeps the skin elsewhere than a build; the log says which file was taken.
    if (TDLogFile* log = DLogFile())
        log->DebugOut2(QStringLiteral("ApplySkin(\"%s\", %d) - %s"),
                       {Theme.ThemeFile, int(Theme.UIStyle),
                        skinApplied ? QStringLiteral("OK") : QStringLiteral("not applied")});
    ApplyDesignFont();
    ShareTheme();
    ApplyMinimumSize();
    setWindowState(state);

    connect(THintRouter::Instance(), &THintRouter::HintChanged, this, &TfrmMainTalvex::DisplayHint);

    mHHelp = StartHelpSystem(HelpFilePath(FApplicationPath));
    new TContextHelpKey(this, {ImgNav, ImgInstr});
    connect(mm2HilfeAnzeigen, &QAction::triggered, this, &TfrmMainTalvex::mm2HilfeAnzeigenClick);

    ReadOptions();

    FRandom.seed(
        static_cast<std::mt19937::result_type>(std::chrono::system_clock::now().time_since_epoch().count()));

    SetRadProc = [this] { DrawRadials(); };
    IRadial = std::make_shared<TRadialLayer>(SetRadProc);

    {
        // Both surfaces show the first aircraft, the radial layer and the track in one repaint each.
        TUpdateBracket instrBracket(ImgInstr);
        ImgInstr->SetBitmapSize(750, 247);
        ImgInstr->Bitmap().Fill(clWhite);

        // The map control has no size before the window is laid out; it gets
        // what the window leaves below the menu and above the control panel.
        const int mapWidth = std::max(1, width());
        const int mapHeight =
            std::max(1, height() - menuBar()->sizeHint().height() - ControlPanelHeight - StatusBarHeight);
        pnlMap->resize(mapWidth, mapHeight);
        TUpdateBracket navBracket(ImgNav);
        ImgNav->SetBitmapSize(mapWidth, mapHeight);
        ImgNav->Bitmap().Fill(clWhite);

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
        FollowActivePlane();

        CreateFlugweg();
    }

    Szenen = new TSzenenDatei(this);
    if (QMenu* datei = menuBar()->findChild<QMenu*>(QStringLiteral("mm2Datei"))) {
        const QList<QAction*> items = datei->actions();
        const qsizetype at = items.indexOf(beenden1);
        Szenen->BuildMenu(datei, at > 0 ? items[at - 1] : beenden1);
    }
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
    Szenen->Started();
}

void TfrmMainTalvex::ShowInfo(QObject* sender) {
    TfrmInfo info(this, VersionInfoValue(VersionInfo(), QStringLiteral("Product Name")),
                  VersionInfoValue(VersionInfo(), QStringLiteral("Product Version")), sender == this);
    RunModal(info);
}

// ---------------------------------------------------------------------------
// Closing

void TfrmMainTalvex::closeEvent(QCloseEvent* event) {
    const bool first = !FClosing;
    if (first) {
        // Unsaved changes of a scene file are asked about before anything is written.
        if (Szenen && !Szenen->MayClose()) {
            event->ignore();
            return;
        }
        FClosing = true;
        FormClose();
    }
    TfrmBase::closeEvent(event);
    // After the window's own two sections, so a new settings file keeps their order.
    if (first && Szenen && !Szenen->WriteZuletzt())
        ReportWriteFailure(TIniFile::WriteErrorMessage(IniFileName()));
}

void TfrmMainTalvex::FormClose() {
    StopHelpSystem(mHHelp);
    tmrAnimation->stop();
    Timer1->stop();
    WriteOptions();
}

void TfrmMainTalvex::mm2HilfeAnzeigenClick() {
    ApplicationHelpContext(mm2HilfeAnzeigen->data().toInt());
}

void TfrmMainTalvex::btnProgEndeClick() {
    close();
}

void TfrmMainTalvex::beenden1Click() {
    close();
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

// ---------------------------------------------------------------------------
// Events and the radial lines

bool TfrmMainTalvex::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize) {
        if (watched == pnlMap) ImgNavCanResize(pnlMap->width(), pnlMap->height());
        if (watched == pnlControl) Panel1->move(pnlControl->width() - Panel1->width(), 0);
        return false;
    }
    if (const THeldButtonEdge edge = HeldButtonEdgeOf(event); edge != THeldButtonEdge::None) {
        for (QToolButton* step : sbSpeed) {
            if (watched != step || !step->isEnabled()) continue;
            if (edge == THeldButtonEdge::Down)
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

void TfrmMainTalvex::DrawRadials() {
    // The lines come on top of the map's layers; the arrow to an aircraft off
    // the map stays above them. The lines are also redrawn when the map took
    // a new size or the aircraft was hidden or shown, which moves the arrow.
    const auto keepArrow = qScopeGuard([this] {
        if (OffMapIndicator) OffMapIndicator->Refresh();
    });
    if (!RadialLayer) return;
    // The bearing lines follow the aircraft chosen in the selector, shown or not.
    const int shown = seFlugzeug->value() - 1;
    const bool chosenVisible = shown >= 0 && shown < static_cast<int>(Flugzeuge.size()) &&
                               Flugzeuge[static_cast<std::size_t>(shown)] &&
                               Flugzeuge[static_cast<std::size_t>(shown)]->GetVisible();
    DrawRadialLines(*RadialLayer, ActivePlane().get(), Stationen, mm2OptShowRadials->isChecked(),
                    mm2OptShowRB->isChecked() && chosenVisible);
}
