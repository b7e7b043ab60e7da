#include "shell/CheckPrevious.h"

#include "platform/SingleInstance.h"
#include "shell/SzenenDatei.h"

#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include <cstdio>

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

void ConnectInstanceGuard(QWidget* mainWindow) {
    TInstanceGuard* guard = TInstanceGuard::Instance();
    if (!guard || !mainWindow) return;
    QObject::connect(guard, &TInstanceGuard::RestoreRequested, mainWindow,
                     [mainWindow] { RestoreAndRaise(mainWindow); });
    QObject::connect(guard, &TInstanceGuard::QuitRequested, mainWindow,
                     [mainWindow] { CloseApplicationWindow(mainWindow); });
}
