#pragma once

#include "shell/BaseFrm.h"
#include "shell/Skins.h"
#include "world/vxInterfaces.h"

#include <QString>

#include <array>
#include <functional>
#include <memory>
#include <random>
#include <vector>

class BitmapLayer;
class ImageSurface;
class QAbstractButton;
class QAction;
class QActionGroup;
class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLabel;
class QMenu;
class QPointF;
class QPushButton;
class QSpinBox;
class QStatusBar;
class QTimer;
class QToolButton;
class TFlightStatus;
class TFlugwegLayer;
class THookHelpSystem;
class TOffMapIndicator;
class TRadialLayer;
class TSzenenDatei;
class TsuiSetValuePanel;

// The main window: it owns the world (aircraft and stations), the map and the
// instrument panel, the control panel below them and the menu.
class TfrmMainTalvex : public TfrmBase {
    Q_OBJECT
public:
    // Client area at design size; the window opens with it.
    static constexpr int DesignWidth = 920;
    static constexpr int DesignHeight = 744;
    static constexpr int ControlPanelHeight = 337;
    static constexpr int StatusBarHeight = 19;
    // The program needs a screen (and a window) at least this large.
    static constexpr int MinimumWidth = 935;
    static constexpr int MinimumHeight = ControlPanelHeight + 100;
    static constexpr int AnimationPeriodMs = 20;
    static constexpr int SpeedRepeatMs = 250;

    explicit TfrmMainTalvex(QWidget* parent = nullptr);
    ~TfrmMainTalvex() override;

    // The screen check of the first activation: the message for a screen of
    // the given size, or an empty string when it is large enough.
    static QString ScreenCheckMessage(int screenWidth, int screenHeight);

    // The information window. Shown by the window itself (sender == this) at
    // start-up its button reads "starten", otherwise "zurück".
    void ShowInfo(QObject* sender);

    // The world. Entries are never removed; index i is aircraft number i + 1.
    std::vector<std::shared_ptr<IPlaneSubject>> Flugzeuge;
    std::vector<std::shared_ptr<IStationSubject>> Stationen;
    int FSelectedPlane = 0;

    // The active aircraft, or nullptr if the index names none.
    std::shared_ptr<IPlaneSubject> ActivePlane() const;

    QString FApplicationPath;
    QString FCompanyNamePath;
    QString FApplicationDataPath;
    QString FCommonQuellbach;
    QString FCommonAnwendungsDaten;
    TTheme Theme;

    // The start-up found a problem that ends the program as soon as the event loop runs.
    bool TerminationRequested() const { return FTerminationRequested; }

    // Event handlers, public so that the program's parts and tests reach them
    // exactly as a user's action does. Each group is implemented in the unit
    // named above it.

    // I_MainForm.cpp: activation, hints, closing.
    void FormActivate();
    void DisplayHint(const QString& hint);
    void mm2HilfeAnzeigenClick();
    void btnProgEndeClick();
    void beenden1Click();

    // Animation.cpp
    void btnAnimStartClick();
    void btnAnimStopClick();
    void btnAnimResetClick();
    void tmrAnimationTimer();
    void sbMouseDown(QAbstractButton* button);
    void sbMouseUp(QAbstractButton* button);
    void Timer1Timer();
    void sbVClick();
    void ApplySpeedButton(QAbstractButton* button);

    // InstrumentPanel.cpp. The type buttons of one kind share a handler and
    // tell their slot by their group index.
    void sbKKClick(QAbstractButton* button);
    void sbHSIClick(QAbstractButton* button);
    void sbVORClick(QAbstractButton* button);
    void sbRBIClick(QAbstractButton* button);
    void sbMDIClick(QAbstractButton* button);
    void sbRMIClick(QAbstractButton* button);
    void cbFreqChange(QComboBox* selector);
    void seFlugzeugChange();
    // Buttons, value panels and selectors in line with the slots of aircraft index.
    void UpdateInstrumentPanel(int index);
    // The names of the stations an instrument of this code can be tuned to.
    void FillStationList(QComboBox* selector, int code);
    // Selects the entry naming the instrument's station (its second one for a
    // selector with a negative slot code); an untuned instrument selects none.
    void SelectTunedStation(QComboBox* selector, const std::shared_ptr<IInstrument>& instrument);
    // Tunes the instrument of slotCode (negative: the second needle of slot
    // -slotCode) to the station named, or untunes it; with reattachOnly it
    // only attaches its station again (a name) or detaches it (no name).
    void TuneInstrument(const std::shared_ptr<IPlaneSubject>& plane, const QString& name, bool reattachOnly,
                        int slotCode);

    // MapEditor.cpp
    void btnVORaddClick();
    void btnNDBAddClick();
    // Disabled from the 99th aircraft on: the selector has two digits.
    void btnAddFlugzeugClick();
    void btnRdmPosVORClick();
    void btnRdmPosNDBClick();
    void btnRdmPosClick();
    void btnVisibleClick();
    // The layer under the mouse, or the pressed one while a button is held;
    // point in map pixels.
    void ImgNavMouseDown(BitmapLayer* layer);
    void ImgNavMouseMove(const QPointF& point, BitmapLayer* layer);
    void ImgNavMouseUp(BitmapLayer* layer);

    // Options.cpp
    void SkinClick(QAction* item);
    void mm2OptShowRadialsClick();
    void mm2OptShowRBClick();
    void mm2OptRMImitzweiZeigernClick();
    void mm2OptRtSmClick();
    void mm2OptFlugwegClick();
    void mm2FlugwegLoeschenClick();
    void ReadOptions();
    // False when the settings file could not be written (the user was told).
    bool WriteOptions();

    // Clears the radial layer and draws the radial and bearing lines anew.
    void DrawRadials();

protected:
    // The size of the screen the window is on; the screen check asks here.
    virtual QSize ScreenSize() const;

    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // The minimum window size is given with the frame.
    void FrameMeasured() override { ApplyMinimumSize(); }
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;

private:
    void FormCreate();
    void FormClose();
    void CreateDataFolders();
    void ApplyMinimumSize();
    void ShareTheme();
    // A random integer in [0, n), 0 when n <= 0.
    int RandomBelow(int n);
    TSinglePoint RandomMapPosition();

    // MainFormLayout.cpp
    void BuildMenus();
    void BuildFlugwegMenu();
    void CreateFlugweg();
    void BuildControlPanel();
    void BuildSlotRows(QWidget* panel);
    void BuildControlColumn(QWidget* panel);
    void BuildValuePanels(QWidget* panel);
    QToolButton* MakeTypeButton(QWidget* row, const char* name, const QString& caption, int x, int width,
                                const QString& hint, int slot, int typeCode);
    QComboBox* MakeStationSelector(QWidget* row, const char* name, int x, int width, int slotCode);
    // A push button whose click calls `click` of this window.
    QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption, const QRect& geometry,
                            void (TfrmMainTalvex::*click)());
    QToolButton* MakeSpeedButton(QWidget* parent, const char* name, const QString& caption, int x,
                                 const QString& hint);

    // InstrumentPanel.cpp
    struct TSlotControls {
        std::vector<QToolButton*> Buttons;
        TsuiSetValuePanel* Values;
        QComboBox* Selector;
        QComboBox* Selector2; // the second needle's, none for the left slot
    };
    TSlotControls SlotControls(int slot) const;
    void TypeButtonClick(QAbstractButton* button, int code);
    void BindValuePanel(TsuiSetValuePanel* panel, const std::shared_ptr<IInstrument>& instrument);

    // MapEditor.cpp
    void AddStation(const QString& typ);
    void MoveChosenStation(const QString& typ);
    void ImgNavCanResize(int newWidth, int newHeight);

    // ActivePlaneView.cpp: what shows the active aircraft beyond its symbol
    // and its instruments follows a change of the active aircraft.
    void FollowActivePlane();
    void ReleaseActivePlaneView();

public:
    // Controls, named as their objectName.
    QStatusBar* StatusBar1 = nullptr;
    QWidget* pnlMap = nullptr;
    ImageSurface* ImgNav = nullptr;
    QWidget* pnlControl = nullptr;
    ImageSurface* ImgInstr = nullptr;
    QSpinBox* seFlugzeug = nullptr;
    QToolButton* sbKK = nullptr;
    QToolButton* sbHSI1 = nullptr;
    std::array<QToolButton*, 4> sbVOR{};
    std::array<QToolButton*, 4> sbHSI{};
    std::array<QToolButton*, 4> sbRBI{};
    std::array<QToolButton*, 4> sbMDI{};
    std::array<QToolButton*, 4> sbRMI{};
    std::array<QButtonGroup*, 3> TypeButtonGroups{};
    QComboBox* cbFreq1 = nullptr;
    QComboBox* cbFreq2 = nullptr;
    QComboBox* cbFreq3 = nullptr;
    QComboBox* cbLFreq2 = nullptr;
    QComboBox* cbLFreq3 = nullptr;
    TsuiSetValuePanel* pnlSetHeading = nullptr;
    TsuiSetValuePanel* pnlSetValues1 = nullptr;
    TsuiSetValuePanel* pnlSetValues2 = nullptr;
    TsuiSetValuePanel* pnlSetValues3 = nullptr;
    QWidget* Panel1 = nullptr;
    QPushButton* btnVORadd = nullptr;
    QPushButton* btnNDBAdd = nullptr;
    QPushButton* btnAddFlugzeug = nullptr;
    QPushButton* btnRdmPosVOR = nullptr;
    QPushButton* btnRdmPosNDB = nullptr;
    QPushButton* btnRdmPos = nullptr;
    QPushButton* btnAnimStart = nullptr;
    QPushButton* btnAnimStop = nullptr;
    QPushButton* btnAnimReset = nullptr;
    std::array<QToolButton*, 4> sbSpeed{}; // "<<", "<", ">", ">>"
    QToolButton* sbV = nullptr;
    QPushButton* btnVisible = nullptr;
    QPushButton* btnProgEnde = nullptr;
    QTimer* tmrAnimation = nullptr;
    QTimer* Timer1 = nullptr;

    QAction* beenden1 = nullptr;
    QAction* mm2OptShowRadials = nullptr;
    QAction* mm2OptShowRB = nullptr;
    QAction* mm2OptRMImitzweiZeigern = nullptr;
    QAction* mm2OptRtSm = nullptr;
    QAction* mm2OptInfo = nullptr;
    QAction* mm2OptFlugweg = nullptr;
    QAction* mm2FlugwegLoeschen = nullptr;
    QActionGroup* SkinItems = nullptr;
    QAction* mm2HilfeAnzeigen = nullptr;
    QAction* mm2Info = nullptr;

    // The speed button held down, or nullptr.
    QAbstractButton* btnMouseDown = nullptr;
    bool layerMouseDown = false;

    std::unique_ptr<BitmapLayer> RadialLayer;
    std::shared_ptr<IObserver> IRadial;
    std::function<void()> SetRadProc;

    // The arrow towards the active aircraft while it is off the map, and its
    // heading and speed in the status line.
    std::shared_ptr<TOffMapIndicator> OffMapIndicator;
    std::shared_ptr<TFlightStatus> FlightStatus;

    // The help service; none once the window has closed.
    std::unique_ptr<THookHelpSystem> mHHelp;

    // Records and shows the active aircraft's flown track.
    std::shared_ptr<TFlugwegLayer> Flugweg;
    // Scene files: the file commands, the unsaved-changes question, recovery.
    TSzenenDatei* Szenen = nullptr;

private:
    std::mt19937 FRandom;
    bool FActivated = false;
    bool FTerminationRequested = false;
    bool FClosing = false;
};
