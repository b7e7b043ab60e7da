#include "shell/CheckPrevious.h"
#include "shell/I_MainForm.h"
#include "shell/SzenenDatei.h"
#include "support/DLogFile.h"

#include <QApplication>
#include <QIcon>

#include <cstdio>
#include <cstdlib>

namespace {
bool HasGraphicalSession() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* value = std::getenv(name);
        if (value && *value) return true;
    }
    return false;
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
