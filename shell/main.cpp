#include "shell/CheckPrevious.h"
#include "shell/I_MainForm.h"

#include <QApplication>

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

    if (StopIfPreviousRunning(app.arguments())) return InstanceGuardExitCode();

    TfrmMainTalvex window;
    ConnectInstanceGuard(&window);
    window.show();
    return app.exec();
}
