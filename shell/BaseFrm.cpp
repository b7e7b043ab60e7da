#include "shell/BaseFrm.h"

#include "platform/IniFile.h"
#include "platform/Paths.h"
#include "platform/VersionInfo.h"
#include "shell/PlainMessage.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
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
    // Sizes reported before the first show lack the frame.
    FSettling = true;
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
    TIniFile ini(FIniFileName);
    if (ini.Unreadable()) {
        // The user's settings may still be in there: kept, not overwritten.
        QString backup;
        if (ini.MoveAside(&backup))
            ShowPlainMessage(
                QStringLiteral("Die Einstellungsdatei ") + FIniFileName +
                QStringLiteral(" konnte nicht gelesen werden. Sie wurde als ") + backup +
                QStringLiteral(" aufbewahrt; das Programm beginnt mit den Standardeinstellungen."));
    }
    const QString section = objectName();
    const bool maximised = ini.ReadBool(section, QStringLiteral("WindowState"), false);
    FResizeWidth = ini.ReadInteger(section, QStringLiteral("Width"), -1);
    FResizeHeight = ini.ReadInteger(section, QStringLiteral("Height"), -1);
    FResizeTop = ini.ReadInteger(section, QStringLiteral("Top"), y());
    FResizeLeft = ini.ReadInteger(section, QStringLiteral("Left"), x());
    // A size of zero or less cannot be shown; it comes from a damaged file.
    FKeepInnerSize = FResizeWidth <= 0 && FResizeHeight <= 0;
    if (FResizeWidth <= 0) FResizeWidth = width();
    if (FResizeHeight <= 0) FResizeHeight = height();
    // A damaged size would cost gigabytes of window memory, and be written back.
    FitToScreen();

    // The normal geometry is set in both states, so that the window system
    // also knows where to return to from maximised.
    move(FResizeLeft, FResizeTop);
    ApplyRecordedSize();
    if (maximised) {
        setWindowState(windowState() | Qt::WindowMaximized);
        FSaveSize = false;
    } else {
        FSaveSize = true;
    }
}

void TfrmBase::FitToScreen() {
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (!primary) return;
    // The part of the title bar that must be on a screen to grab it.
    static constexpr qint64 TitleBarHeight = 24;
    static constexpr qint64 TitleBarReach = 100;
    auto holds = [this](const QRect& a) {
        // 64-bit, as the values come from a file and may be anything.
        const qint64 left = FResizeLeft, top = FResizeTop;
        const qint64 across =
            std::min<qint64>(left + FResizeWidth, qint64(a.x()) + a.width()) - std::max<qint64>(left, a.x());
        const qint64 down =
            std::min<qint64>(top + TitleBarHeight, qint64(a.y()) + a.height()) - std::max<qint64>(top, a.y());
        return across >= std::min<qint64>(TitleBarReach, FResizeWidth) && down >= TitleBarHeight / 2;
    };
    auto holder = [&holds]() -> const QScreen* {
        for (const QScreen* s : QGuiApplication::screens())
            if (holds(s->availableGeometry())) return s;
        return nullptr;
    };
    const QScreen* screen = holder();
    if (!FKeepInnerSize) {
        const QRect available = (screen ? screen : primary)->availableGeometry();
        FResizeWidth = std::min(FResizeWidth, available.width());
        FResizeHeight = std::min(FResizeHeight, available.height());
        // A window made narrower may have lost its grip on the screen.
        screen = holder();
    }
    if (!screen) {
        const QRect available = primary->availableGeometry();
        FResizeLeft = available.x() + std::max(0, (available.width() - FResizeWidth) / 2);
        FResizeTop = available.y() + std::max(0, (available.height() - FResizeHeight) / 2);
    }
}

bool TfrmBase::SaveToIni() {
    if (FIniFileName.isEmpty()) return true;
    // Closed before the frame settled: the design size's outer size is what
    // the window shows now.
    if (FKeepInnerSize && FSaveSize && isVisible() && !isMaximized() && !isMinimized()) {
        FResizeWidth = frameGeometry().width();
        FResizeHeight = frameGeometry().height();
    }
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
    ReportWriteFailure(ini.LastError());
    return false;
}

QString TfrmBase::WriteFailureText(const QString& error, const QString& fileName) {
    return QStringLiteral("EIniFileException error raised, with message: ") + error +
           QStringLiteral(", Filename: ") + fileName;
}

void TfrmBase::ReportWriteFailure(const QString& error) {
    if (FWriteFailureReported) return;
    FWriteFailureReported = true;
    ShowPlainMessage(WriteFailureText(error, FIniFileName));
}

void TfrmBase::RecordGeometry() {
    const QRect outer = frameGeometry();
    FResizeWidth = outer.width();
    FResizeHeight = outer.height();
    FResizeTop = outer.y();
    FResizeLeft = outer.x();
}

void TfrmBase::ApplyRecordedSize() {
    const QSize inner(std::max(1, FResizeWidth - FFrameExtra.width()),
                      std::max(1, FResizeHeight - FFrameExtra.height()));
    if (size() != inner) resize(inner);
}

void TfrmBase::MeasureFrameSoon() {
    if (FMeasurePending) return;
    FMeasurePending = true;
    QTimer::singleShot(0, this, [this] {
        FMeasurePending = false;
        MeasureFrame(false);
    });
}

void TfrmBase::StartSettling() {
    FSettling = true;
    MeasureFrameSoon();
    QTimer::singleShot(FrameSettleMs, this, [this] { MeasureFrame(true); });
}

void TfrmBase::MeasureFrame(bool settled) {
    if (!isVisible() ||
        (windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen))) {
        if (settled) FSettling = false;
        return;
    }
    const QSize extra = frameGeometry().size() - size();
    const bool changed = extra != FFrameExtra && extra.width() >= 0 && extra.height() >= 0;
    if (changed) FFrameExtra = extra;
    const bool wasSettling = FSettling;
    const bool centring = FCentring;
    if (settled) {
        // From here on the window reports its real geometry.
        FSettling = false;
        FCentring = false;
    }
    if (FSaveSize) {
        if (FKeepInnerSize) {
            // The design size is the inner one; its outer size is known now.
            if (settled) {
                RecordGeometry();
                FKeepInnerSize = false;
            }
        } else if (changed || wasSettling) {
            // Sizes applied before the frame was known lacked it: the recorded
            // outer size applies again, with the frame taken off.
            FInWMSize = true;
            ApplyRecordedSize();
            // A move made while the frame was unknown placed the inner window.
            if (wasSettling && pos() != QPoint(FResizeLeft, FResizeTop)) move(FResizeLeft, FResizeTop);
            FInWMSize = false;
        }
        if (centring) CentreOnScreen();
    }
    FrameMeasured();
}

void TfrmBase::CallSizeEvent(const TOnSetWindowSizeEvent& handler) {
    if (!handler) return;
    int w = width();
    int h = height();
    handler(this, w, h);
}

void TfrmBase::moveEvent(QMoveEvent* event) {
    if (FInWMSize) return;
    // While settling the position may be the inner window's.
    if (FSaveSize && !FSettling &&
        !(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen))) {
        // An edge at 0 or beyond the screen's edge keeps the previous value.
        if (y() > 0) FResizeTop = y();
        if (x() > 0) FResizeLeft = x();
    }
    // A window manager framing the window moves it.
    if (isVisible()) MeasureFrameSoon();
    QMainWindow::moveEvent(event);
}

void TfrmBase::resizeEvent(QResizeEvent* event) {
    if (FInWMSize) return;
    if (!(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen))) {
        // While settling the reported size may lack the frame.
        if (FSaveSize && !FSettling) RecordGeometry();
        if (isVisible()) MeasureFrameSoon();
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
            ApplyRecordedSize();
            if (y() != FResizeTop || x() != FResizeLeft) move(FResizeLeft, FResizeTop);
            FInWMSize = false;
            FSaveSize = true;
            CallSizeEvent(FOnRestore);
        }
        if (!(state & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen))) {
            // The frame of a restored window may differ from the maximised one,
            // and the window manager may take a moment to restore it.
            StartSettling();
        }
    }
    QMainWindow::changeEvent(event);
}

void TfrmBase::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    StartSettling();
    if (FShownOnce) return;
    FShownOnce = true;
    if (!FOpenCentred || (windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen))) return;
    // Again once the frame is known, as the window's outer size may change then.
    FCentring = true;
    CentreOnScreen();
}

void TfrmBase::CentreOnScreen() {
    if (const QScreen* s = screen()) {
        const QRect available = s->availableGeometry();
        // The size asked for, which a window manager may not have applied yet.
        const QSize frame = FKeepInnerSize ? size() + FFrameExtra : QSize(FResizeWidth, FResizeHeight);
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
