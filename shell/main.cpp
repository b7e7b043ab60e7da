#include "platform/DisplayCheck.h"
#include "shell/CheckPrevious.h"
#include "shell/I_MainForm.h"
#include "shell/SzenenDatei.h"
#include "support/DLogFile.h"

#include <QApplication>
#include <QIcon>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
bool HasGraphicalSession() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* value = std::getenv(name);
        if (value && *value) return true;
    }
    return false;
}

// An X display is set and will be used, but no server answers there (it
// has not started yet, or it is gone).
bool XDisplayUnreachable(int argc, char* argv[]) {
    // Told on the command line which platform or display to use, Qt decides.
    for (int i = 1; i < argc; ++i)
        for (const char* option : {"-platform", "-display", "--platform", "--display"})
            if (std::strcmp(argv[i], option) == 0) return false;
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (!platform.isEmpty() && platform != "xcb") return false;
    if (!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") || qEnvironmentVariableIsEmpty("DISPLAY"))
        return false;
    return !X11DisplayReachable(qgetenv("DISPLAY"));
}
} // namespace

int main(int argc, char* argv[]) {
    // Without any display Qt would abort with a message about plugins; say
    // plainly what is missing instead.
    if (!HasGraphicalSession()) {
        std::fprintf(stderr, "Peilomat braucht eine grafische Sitzung (kein Bildschirm gefunden); "
                             "ohne Bildschirm hilft: xvfb-run -a ./run.sh\n");
        return 1;
    }

    if (XDisplayUnreachable(argc, argv)) {
        std::fprintf(
            stderr,
            "Peilomat erreicht den Bildschirm %s nicht: dort antwortet kein X-Server (DISPLAY prüfen)\n",
            qgetenv("DISPLAY").constData());
        return 1;
    }

    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Quellbach"));
    QCoreApplication::setApplicationName(QStringLiteral("Peilomat"));
    QCoreApplication::setApplicationVersion(QStringLiteral(PEILOMAT_VERSION));
    // Lets the desktop match the window to the installed menu entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("de.quellbach.Peilomat"));
    // Installed, the icon theme holds the program's icon; a build folder has none and keeps the default.
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("de.quellbach.Peilomat")));

    if (StopIfPreviousRunning(app.arguments())) return InstanceGuardExitCode();

    // Made after the instance check, so that a second start, which only
    // brings the first to the front, leaves the first one's log alone.
    const QString programFolder = QCoreApplication::applicationDirPath();
    TDLogFile log(DebugLogFolder(programFolder) + QLatin1Char('/') + QLatin1String(TDLogFile::LogFileName),
                  false, true, true, DebugSwitchedOn(programFolder, app.arguments()));
    SetDLogFile(&log);
    struct LogRelease {
        ~LogRelease() { SetDLogFile(nullptr); }
    } logRelease;

    TfrmMainTalvex window;
    window.Szenen->SetStartFile(TSzenenDatei::FileArgument(app.arguments()));
    ConnectInstanceGuard(&window);
    window.show();
    return app.exec();
}
