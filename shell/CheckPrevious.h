#pragma once

#include <QObject>
#include <QStringList>

class QWidget;
class TSingleInstanceChannel;

// Only one instance of the program runs at a time.
//
// Program entry, once the QApplication exists (the channel is named after
// QCoreApplication::applicationFilePath()):
//
//     QApplication app(argc, argv);
//     if (StopIfPreviousRunning(app.arguments())) return InstanceGuardExitCode();
//     ... create the main window w ...
//     ConnectInstanceGuard(&w);   // restore/raise and quit requests reach w
//     w.show();
//     return app.exec();

// The running instance's end of the guard. It exists once StopIfPreviousRunning
// has returned false, and lives as long as the application object.
class TInstanceGuard : public QObject {
    Q_OBJECT
public:
    explicit TInstanceGuard(TSingleInstanceChannel* channel, QObject* parent = nullptr);
    // The guard of this process, or nullptr when this process did not register.
    static TInstanceGuard* Instance();

signals:
    // A second start asks this instance to show its window.
    void RestoreRequested();
    // A start with /QUIT asks this instance to end.
    void QuitRequested();
    // A second start with a scene file hands it over (after RestoreRequested).
    void OpenRequested(const QString& path);

private:
    void OnMessage(const QByteArray& message);
};

// True if any argument after the program name (args[0]) is "/" or "-"
// followed by "QUIT" in any letter case.
bool HasQuitSwitch(const QStringList& args);

// Asks the running instance, if any, to end. The caller ends in any case.
bool QuitPreviousInstance();

// Registers this process as the running instance (false: go on starting), or
// asks the running one to restore and raise its window (true: end now).
// maxInstances is always 1 in this program.
// A scene file (absolute path, may be empty) goes to the running instance
// instead of the bare restore request.
bool RestoreIfRunning(int maxInstances = 1, const QString& sceneFile = QString());

// The guard as the program entry runs it: true when this process must end,
// either because it carried the quit switch, or another instance runs, or
// the channel could not be created (then InstanceGuardExitCode is 1 and the
// reason went to stderr). A scene file named on the command line is handed
// to the running instance.
bool StopIfPreviousRunning(const QStringList& args);

// The message that hands a scene file to the running instance, and back.
QByteArray OpenMessage(const QString& path);
QString OpenMessagePath(const QByteArray& message);
int InstanceGuardExitCode();

// Connects the running instance's guard to its main window: a restore request
// brings the window back from minimised and to the front; a quit request ends
// the program from outside (EndFromOutside). The end of the desktop session
// and the signals SIGTERM, SIGINT and SIGHUP end it the same way, with or
// without a guard.
void ConnectInstanceGuard(QWidget* mainWindow);

// What the two requests do to a window.
void RestoreAndRaise(QWidget* window);
void CloseApplicationWindow(QWidget* window);

// Ends the program at the request of something other than its user: nobody
// is asked anything any more (messages go to standard error), open modal
// dialogs are closed and then the window closes the normal way, so everything
// saved on closing is saved. Should anything still hold the process, it ends
// EndDeadlineMs after the request all the same.
void EndFromOutside(QWidget* mainWindow);
// A build with AddressSanitizer runs several times slower; its close is not held,
// only slow, and is given time accordingly.
#ifdef __SANITIZE_ADDRESS__
constexpr int EndDeadlineMs = 8000;
#else
constexpr int EndDeadlineMs = 1800;
#endif
