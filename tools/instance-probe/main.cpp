// A trivial program behind the single-instance guard, for trying the guard
// by hand and in tests without the whole main window:
//
//     instance-probe [--minimized] [--modal] [-quit]
//
// It prints "ready" once it runs as the instance, "restore minimized=<0|1>"
// after each request of a second start, and keeps its window geometry in the
// settings file like the main window does.
#include "shell/BaseFrm.h"
#include "shell/CheckPrevious.h"

#include <QApplication>
#include <QDialog>
#include <QTimer>

#include <cstdio>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (StopIfPreviousRunning(app.arguments())) return InstanceGuardExitCode();

    TfrmBase window(QStringLiteral("frmMainTalvex"), QSize(320, 200));
    window.setWindowTitle(QStringLiteral("instance-probe"));
    ConnectInstanceGuard(&window);
    QObject::connect(TInstanceGuard::Instance(), &TInstanceGuard::RestoreRequested, &window, [&window] {
        std::printf("restore minimized=%d\n", window.isMinimized() ? 1 : 0);
        std::fflush(stdout);
    });

    if (app.arguments().contains(QStringLiteral("--minimized")))
        window.showMinimized();
    else
        window.show();
    if (app.arguments().contains(QStringLiteral("--modal"))) {
        QTimer::singleShot(0, &window, [&window] {
            QDialog dialog(&window);
            dialog.setWindowTitle(QStringLiteral("modal"));
            std::printf("modal\n");
            std::fflush(stdout);
            dialog.exec();
        });
    }
    std::printf("ready\n");
    std::fflush(stdout);
    return app.exec();
}
