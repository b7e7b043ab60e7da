#include "shell/BaseFrm.h"

#include "platform/IniFile.h"
#include "platform/Paths.h"
#include "platform/VersionInfo.h"
#include "shell/PlainMessage.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QScreen>
#include <QTimer>
#include <QWindowStateChangeEvent>

#include <algorithm>

TfrmBase::TfrmBase(const QString& componentName, const QSize& designSize, QWidget* parent)
    : QMainWindow(parent) {
    FInWMSize = true;
    setObjectName(componentName);
    if (designSize.isValid()) resize(designSize);

    ReadVersionInfo(FVersionInfo);
    const QString company = VersionInfoValue(FVersionInfo, QStringLiteral("Company Name"));
    const QString product = VersionInfoValue(FVersionInfo, QStringLiteral("Product Name"));
    FCompanyNamePath = CompanyFolder(CSIDL_APPDATA, company);
    CreateFolder(FCompanyNamePath);
    FApplicationDataPath = FCompanyNamePath + product + QDir::separator();
    CreateFolder(FApplicationDataPath);
    FIniFileName = FApplicationDataPath + ExecutableName() + QStringLiteral(".ini");

    LoadFromIni();
    FInWMSize = false;
}

TfrmBase::~TfrmBase() {
    SaveToIni();
}

void TfrmBase::CreateFolder(const QString& folder) {
    if (ForceDirectories(folder)) return;
    const QString message = FolderCreationMessage(folder);
    FFolderErrors << message;
    ShowPlainMessage(message);
    // Construction goes on; the program ends as soon as its event loop runs.
    QTimer::singleShot(0, QCoreApplication::instance(), &QCoreApplication::quit);
}

void TfrmBase::LoadFromIni() {
    const TIniFile ini(FIniFileName);
    const QString section = objectName();
    const bool maximised = ini.ReadBool(section, QStringLiteral("WindowState"), false);
    FResizeWidth = ini.ReadInteger(section, QStringLiteral("Width"), width());
    FResizeHeight = ini.ReadInteger(section, QStringLiteral("Height"), height());
    FResizeTop = ini.ReadInteger(section, QStringLiteral("Top"), y());
    FResizeLeft = ini.ReadInteger(section, QStringLiteral("Left"), x());
    // A size of zero or less cannot be shown; it comes from a damaged file.
    if (FResizeWidth <= 0) FResizeWidth = width();
    if (FResizeHeight <= 0) FResizeHeight = height();

    // The normal geometry is set in both states, so that the window system
    // also knows where to return to from maximised.
    move(FResizeLeft, FResizeTop);
    resize(FResizeWidth, FResizeHeight);
    if (maximised) {
        setWindowState(windowState() | Qt::WindowMaximized);
        FSaveSize = false;
    } else {
        FSaveSize = true;
    }
}

bool TfrmBase::SaveToIni() {
    if (FIniFileName.isEmpty()) return true;
    const bool maximised = isMaximized();
    const auto record = std::make_tuple(maximised, FResizeLeft, FResizeTop, FResizeWidth, FResizeHeight);
    if (FLastSaved == record) return true;
    FLastSaved = record;

    TIniFile ini(FIniFileName);
    const QString section = objectName();
    ini.WriteBool(section, QStringLiteral("WindowState"), maximised);
    ini.WriteInteger(section, QStringLiteral("Left"), FResizeLeft);
    ini.WriteInteger(section, QStringLiteral("Top"), FResizeTop);
    ini.WriteInteger(section, QStringLiteral("Width"), FResizeWidth);
    ini.WriteInteger(section, QStringLiteral("Height"), FResizeHeight);
    if (ini.UpdateFile()) return true;
    ShowPlainMessage(QStringLiteral("EIniFileException error raised, with message: ") + ini.LastError() +
                     QStringLiteral(", Filename: ") + FIniFileName);
    return false;
}

void TfrmBase::RecordGeometry() {
    FResizeWidth = width();
    FResizeHeight = height();
    FResizeTop = y();
    FResizeLeft = x();
}

void TfrmBase::CallSizeEvent(const TOnSetWindowSizeEvent& handler) {
    if (!handler) return;
    int w = width();
    int h = height();
    handler(this, w, h);
}

void TfrmBase::moveEvent(QMoveEvent* event) {
    if (FInWMSize) return;
    if (FSaveSize && !(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen))) {
        // An edge at 0 or beyond the screen's edge keeps the previous value.
        if (y() > 0) FResizeTop = y();
        if (x() > 0) FResizeLeft = x();
    }
    QMainWindow::moveEvent(event);
}

void TfrmBase::resizeEvent(QResizeEvent* event) {
    if (FInWMSize) return;
    if (!(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen))) {
        if (FSaveSize) RecordGeometry();
        CallSizeEvent(FOnRestore);
    }
    QMainWindow::resizeEvent(event);
}

void TfrmBase::changeEvent(QEvent* event) {
    if (event->type() == QEvent::WindowStateChange && !FInWMSize) {
        const Qt::WindowStates state = windowState();
        if (state & Qt::WindowMinimized) {
            // Minimising and coming back from it keep the state the window had.
        } else if (state & (Qt::WindowMaximized | Qt::WindowFullScreen)) {
            FSaveSize = false;
            CallSizeEvent(FOnMaximize);
        } else if (!FSaveSize) {
            // Back from maximised: the recorded normal geometry applies again.
            FInWMSize = true;
            if (width() != FResizeWidth || height() != FResizeHeight) resize(FResizeWidth, FResizeHeight);
            if (y() != FResizeTop || x() != FResizeLeft) move(FResizeLeft, FResizeTop);
            FInWMSize = false;
            FSaveSize = true;
            CallSizeEvent(FOnRestore);
        }
    }
    QMainWindow::changeEvent(event);
}

void TfrmBase::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (FShownOnce) return;
    FShownOnce = true;
    if (!FOpenCentred || (windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen))) return;
    if (const QScreen* s = screen()) {
        const QRect available = s->availableGeometry();
        const QRect frame = frameGeometry();
        QPoint topLeft = available.center() - QPoint(frame.width() / 2, frame.height() / 2);
        // A window larger than the screen keeps its title bar reachable.
        topLeft.setX(std::max(topLeft.x(), available.left()));
        topLeft.setY(std::max(topLeft.y(), available.top()));
        move(topLeft);
    }
}

void TfrmBase::closeEvent(QCloseEvent* event) {
    QMainWindow::closeEvent(event);
    if (event->isAccepted()) SaveToIni();
}
