#include "shell/CheckPrevious.h"

#include "platform/HeadlessMessage.h"
#include "platform/SingleInstance.h"
#include "shell/SzenenDatei.h"

#include <QApplication>
#include <QPointer>
#include <QSessionManager>
#include <QSocketNotifier>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <thread>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

QPointer<TInstanceGuard> g_guard;
int g_exitCode = 0;

const QByteArray RestoreMessage = QByteArrayLiteral("RESTORE");
const QByteArray QuitMessage = QByteArrayLiteral("QUIT");
// Followed by the percent-encoded path, so that any file name fits one line.
const QByteArray OpenPrefix = QByteArrayLiteral("OPEN ");

QString ChannelOfThisProgram() {
    return TSingleInstanceChannel::ChannelName(QCoreApplication::applicationFilePath());
}

} // namespace

TInstanceGuard::TInstanceGuard(TSingleInstanceChannel* channel, QObject* parent) : QObject(parent) {
    channel->setParent(this);
    connect(channel, &TSingleInstanceChannel::MessageReceived, this, &TInstanceGuard::OnMessage);
}

TInstanceGuard* TInstanceGuard::Instance() {
    return g_guard.data();
}

void TInstanceGuard::OnMessage(const QByteArray& message) {
    if (message == RestoreMessage)
        emit RestoreRequested();
    else if (message == QuitMessage)
        emit QuitRequested();
    else if (const QString path = OpenMessagePath(message); !path.isEmpty()) {
        emit RestoreRequested();
        emit OpenRequested(path);
    }
}

QByteArray OpenMessage(const QString& path) {
    return OpenPrefix + QUrl::toPercentEncoding(path);
}

QString OpenMessagePath(const QByteArray& message) {
    if (!message.startsWith(OpenPrefix)) return QString();
    return QUrl::fromPercentEncoding(message.mid(OpenPrefix.size()));
}

bool HasQuitSwitch(const QStringList& args) {
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString arg = args[i].toUpper();
        if ((arg.startsWith(QLatin1Char('/')) || arg.startsWith(QLatin1Char('-'))) &&
            arg.mid(1) == QLatin1String("QUIT"))
            return true;
    }
    return false;
}

bool QuitPreviousInstance() {
    TSingleInstanceChannel::Send(ChannelOfThisProgram(), QuitMessage);
    return true;
}

bool RestoreIfRunning(int maxInstances, const QString& sceneFile) {
    Q_UNUSED(maxInstances);
    if (g_guard) return false;
    auto* channel = new TSingleInstanceChannel(ChannelOfThisProgram());
    switch (channel->Claim(sceneFile.isEmpty() ? RestoreMessage : OpenMessage(sceneFile))) {
    case TSingleInstanceChannel::TClaim::Claimed:
        g_guard = new TInstanceGuard(channel, QCoreApplication::instance());
        return false;
    case TSingleInstanceChannel::TClaim::OtherRunning:
        delete channel;
        return true;
    case TSingleInstanceChannel::TClaim::NoAnswer:
        // The running instance is busy; this start ends without a window, as
        // when the running one was reached.
        std::fprintf(stderr, "Peilomat läuft bereits, antwortet aber gerade nicht.\n");
        delete channel;
        return true;
    case TSingleInstanceChannel::TClaim::Failed:
        std::fprintf(stderr, "%s\n", qPrintable(channel->ErrorString()));
        g_exitCode = 1;
        delete channel;
        return true;
    }
    return true;
}

bool StopIfPreviousRunning(const QStringList& args) {
    if (HasQuitSwitch(args)) return QuitPreviousInstance();
    return RestoreIfRunning(1, TSzenenDatei::FileArgument(args));
}

int InstanceGuardExitCode() {
    return g_exitCode;
}

void RestoreAndRaise(QWidget* window) {
    if (!window) return;
    if (window->isMinimized()) window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
    // An open dialog stays in front of its window.
    if (QWidget* modal = QApplication::activeModalWidget(); modal && modal != window) {
        modal->raise();
        modal->activateWindow();
    }
}

void CloseApplicationWindow(QWidget* window) {
    if (!window) return;
    // A modal dialog runs its own event loop; it has to end before the window
    // can close, so close it first and the window once control is back.
    QPointer<QWidget> target(window);
    for (int guard = 0; guard < 16; ++guard) {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal == window) break;
        modal->close();
        if (QApplication::activeModalWidget() == modal) break;
    }
    QTimer::singleShot(0, window, [target] {
        if (target) target->close();
    });
}

namespace {

// The process ends by this time at the latest once it was asked to end from
// outside. Runs on a thread of its own, as whatever holds the process may
// hold its event loop too.
void StartEndDeadline() {
    static std::atomic<bool> started{false};
    if (started.exchange(true)) return;
    std::thread([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(EndDeadlineMs));
        static const char text[] = "Peilomat: Das Programm endet, ohne das Schließen abzuwarten.\n";
        [[maybe_unused]] const auto written = ::write(STDERR_FILENO, text, sizeof text - 1);
        ::_exit(1);
    }).detach();
}

#ifdef Q_OS_UNIX
// Signals arrive at any moment; the handler only writes a byte into a pipe
// that the event loop watches.
int g_signalPipe[2] = {-1, -1};

void OnTerminationSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(g_signalPipe[1], &byte, 1);
}

void EndOnTerminationSignals(QWidget* mainWindow) {
    if (g_signalPipe[0] < 0 && ::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, mainWindow);
    QObject::connect(notifier, &QSocketNotifier::activated, mainWindow, [mainWindow] {
        char buffer[16];
        while (::read(g_signalPipe[0], buffer, sizeof buffer) > 0) {
        }
        EndFromOutside(mainWindow);
    });
    struct sigaction action {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        sigaction(signal, &action, nullptr);
}
#endif

} // namespace

void EndFromOutside(QWidget* mainWindow) {
    SetEndingFromOutside();
    StartEndDeadline();
    CloseApplicationWindow(mainWindow);
}

void ConnectInstanceGuard(QWidget* mainWindow) {
    if (!mainWindow) return;
#ifdef Q_OS_UNIX
    EndOnTerminationSignals(mainWindow);
#endif
    // The desktop session ends: its manager asks for the data to be saved;
    // nobody is there to answer a question.
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        QObject::connect(app, &QGuiApplication::commitDataRequest, mainWindow,
                         [mainWindow](QSessionManager&) { EndFromOutside(mainWindow); });
    TInstanceGuard* guard = TInstanceGuard::Instance();
    if (!guard) return;
    QObject::connect(guard, &TInstanceGuard::RestoreRequested, mainWindow,
                     [mainWindow] { RestoreAndRaise(mainWindow); });
    QObject::connect(guard, &TInstanceGuard::QuitRequested, mainWindow,
                     [mainWindow] { EndFromOutside(mainWindow); });
}
