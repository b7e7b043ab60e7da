#pragma once

#include <QMainWindow>
#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <tuple>

// (Sender, NewClientWidth, NewClientHeight); the handler may change the two sizes.
using TOnSetWindowSizeEvent = std::function<void(QObject* sender, int& newClientWidth, int& newClientHeight)>;

// Base of the program's top-level windows. It reads the version record,
// creates the per-user folders <config>/<company>/<product>/, and keeps the
// window's normal-state position and size and its maximised state in the
// settings file, in the section named after the window (its objectName).
//
// "Left", "Top", "Width" and "Height" are the window's outer geometry, its
// frame included, as desktop windows have always stored it. The frame is
// known only once a window manager has framed the shown window; it is
// measured then and whenever the window returns to the normal state, and the
// outer size is applied again with it. (A file from a build that stored the
// inner size thus brings the window up smaller by its frame, once.)
//
// Only moves and sizes in the normal state are recorded (a move only where the
// new edge is greater than 0); while maximised the recorded geometry stays, so
// a window closed maximised stores "WindowState" 1 with the geometry it had
// before, and restoring from maximised brings that geometry back.
//
// The geometry is written when the window closes and, if it changed since,
// when it is destroyed. Derived classes that override closeEvent call
// TfrmBase::closeEvent last, after their own saving. A failed write shows a
// message and the window still closes.
class TfrmBase : public QMainWindow {
    Q_OBJECT
public:
    // componentName: objectName of the window and its settings section.
    // designSize: the window's size when the settings file holds none.
    TfrmBase(const QString& componentName, const QSize& designSize, QWidget* parent = nullptr);
    ~TfrmBase() override;

    // Writes "WindowState", "Left", "Top", "Width", "Height" in this order.
    // False when the file could not be written (the failure has been reported).
    bool SaveToIni();

    // Reports a failed write of the settings file (error: the settings
    // layer's message) as "EIniFileException error raised, with message: "
    // + error + ", Filename: " + the file. Once in the window's life: closing
    // writes several parts of the file, and one message says it all.
    void ReportWriteFailure(const QString& error);
    static QString WriteFailureText(const QString& error, const QString& fileName);

    const QStringList& VersionInfo() const { return FVersionInfo; }
    QString IniFileName() const { return FIniFileName; }
    // Per-user folders, with trailing separator.
    QString CompanyNamePath() const { return FCompanyNamePath; }
    QString ApplicationDataPath() const { return FApplicationDataPath; }
    // Messages of folders that could not be created; the application was
    // asked to end once its event loop runs.
    QStringList FolderErrors() const { return FFolderErrors; }

    int ResizeWidth() const { return FResizeWidth; }
    int ResizeHeight() const { return FResizeHeight; }
    int ResizeTop() const { return FResizeTop; }
    int ResizeLeft() const { return FResizeLeft; }
    void SetResizeWidth(int value) { FResizeWidth = value; }
    void SetResizeHeight(int value) { FResizeHeight = value; }
    bool SaveSize() const { return FSaveSize; }

    void SetOnRestore(TOnSetWindowSizeEvent handler) { FOnRestore = std::move(handler); }
    void SetOnMaximize(TOnSetWindowSizeEvent handler) { FOnMaximize = std::move(handler); }

    // The window opens centred on its screen the first time it is shown, so
    // the stored position does not decide where it opens (its size and
    // maximised state do).
    void SetOpenCentred(bool value) { FOpenCentred = value; }
    bool OpenCentred() const { return FOpenCentred; }

    // Frame width and height (outer size less inner size) as last measured in
    // the normal state; 0 x 0 without a window manager or before the first show.
    QSize FrameExtra() const { return FFrameExtra; }

    // How long a window manager may take to frame a newly shown window.
    static constexpr int FrameSettleMs = 500;

protected:
    // Called after the frame has been measured in the normal state (on the
    // first show, after the window manager framed the window, and after each
    // return to the normal state), for limits that depend on the frame.
    virtual void FrameMeasured() {}

    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateFolder(const QString& folder);
    void LoadFromIni();
    // Makes the geometry read from the file fit the screens: no larger than the
    // screen that holds the title bar, and on the primary screen when the
    // title bar would be on none.
    void FitToScreen();
    void RecordGeometry();
    // Gives the window the recorded outer size (less the known frame).
    void ApplyRecordedSize();
    // settled: the last measurement after a show or a return from maximised.
    void MeasureFrame(bool settled);
    void MeasureFrameSoon();
    void StartSettling();
    void CentreOnScreen();
    void CallSizeEvent(const TOnSetWindowSizeEvent& handler);

    TOnSetWindowSizeEvent FOnRestore;
    TOnSetWindowSizeEvent FOnMaximize;
    bool FSaveSize = false;
    bool FInWMSize = false;
    int FResizeWidth = 0;
    int FResizeHeight = 0;
    int FResizeTop = 0;
    int FResizeLeft = 0;
    QStringList FVersionInfo;
    QString FIniFileName;

    QString FCompanyNamePath;
    QString FApplicationDataPath;
    QStringList FFolderErrors;
    bool FOpenCentred = false;
    bool FShownOnce = false;
    QSize FFrameExtra{0, 0};
    // No size came from the file: the design size is the inner size, and the
    // outer one is recorded once the frame is known.
    bool FKeepInnerSize = true;
    // From a show or a return from maximised until the window manager has
    // settled the frame: the sizes the window reports meanwhile may lack the
    // frame, so the recorded outer size is kept and applied again.
    bool FSettling = false;
    bool FCentring = false;
    bool FMeasurePending = false;
    // What the last write attempted, so closing and then destroying the window
    // does not write (or complain) twice about the same geometry.
    std::optional<std::tuple<bool, int, int, int, int>> FLastSaved;
    bool FWriteFailureReported = false;
};
