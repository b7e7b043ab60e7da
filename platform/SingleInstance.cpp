#include "platform/SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>

namespace {

QString UserName() {
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty()) user = qEnvironmentVariable("USERNAME");
    return user;
}

QString LockFileName(const QString& channelName) {
    if (QFileInfo(channelName).isAbsolute()) return channelName + QStringLiteral(".lock");
    return QDir::temp().filePath(channelName + QStringLiteral(".lock"));
}

const QByteArray Ack = QByteArrayLiteral("OK");

} // namespace

QString TSingleInstanceChannel::ChannelName(const QString& executablePath) {
    QString path = QFileInfo(executablePath).absoluteFilePath();
    const QString canonical = QFileInfo(path).canonicalFilePath();
    if (!canonical.isEmpty()) path = canonical;
    const QByteArray key = (path + QLatin1Char('\n') + UserName()).toUtf8();
    const QString hash =
        QString::fromLatin1(QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex().left(24));
    const QString name = QStringLiteral("Peilomat-") + hash;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir() && QFileInfo(runtime).isWritable())
        return QDir(runtime).filePath(name);
    return name;
}

TSingleInstanceChannel::TSingleInstanceChannel(const QString& channelName, QObject* parent)
    : QObject(parent), m_name(channelName) {}

TSingleInstanceChannel::~TSingleInstanceChannel() {
    if (m_server) m_server->close();
}

bool TSingleInstanceChannel::IsListening() const {
    return m_server && m_server->isListening();
}

TSingleInstanceChannel::TSend TSingleInstanceChannel::Send(const QString& channelName,
                                                           const QByteArray& message, int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(channelName);
    if (!socket.waitForConnected(timeoutMs)) {
        const auto error = socket.error();
        return error == QLocalSocket::ServerNotFoundError || error == QLocalSocket::ConnectionRefusedError ||
                       error == QLocalSocket::SocketAccessError
                   ? TSend::NoInstance
                   : TSend::NoAnswer;
    }
    socket.write(message + '\n');
    if (!socket.waitForBytesWritten(timeoutMs)) return TSend::NoAnswer;
    QByteArray answer;
    while (!answer.contains('\n')) {
        if (!socket.waitForReadyRead(timeoutMs)) break;
        answer += socket.readAll();
    }
    socket.disconnectFromServer();
    return answer.trimmed() == Ack ? TSend::Delivered : TSend::NoAnswer;
}

TSingleInstanceChannel::TClaim TSingleInstanceChannel::Claim(const QByteArray& firstMessage) {
    m_error.clear();
    if (IsListening()) return TClaim::Claimed;

    // Held only while deciding; a lock left by a killed process is stale and
    // taken over after its owner is found gone.
    QLockFile lock(LockFileName(m_name));
    lock.setStaleLockTime(10000);
    const bool locked = lock.tryLock(10000);

    const TSend sent = Send(m_name, firstMessage);
    if (sent != TSend::NoInstance) return TClaim::OtherRunning;

    // Whatever is left at the name belongs to no living instance.
    QLocalServer::removeServer(m_name);
    if (!m_server) {
        m_server = new QLocalServer(this);
        m_server->setSocketOptions(QLocalServer::UserAccessOption);
        connect(m_server, &QLocalServer::newConnection, this, &TSingleInstanceChannel::OnNewConnection);
    }
    if (!m_server->listen(m_name)) {
        m_error = m_server->errorString();
        return TClaim::Failed;
    }
    if (locked) lock.unlock();
    return TClaim::Claimed;
}

void TSingleInstanceChannel::OnNewConnection() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            while (socket->canReadLine()) {
                const QByteArray line = socket->readLine().trimmed();
                socket->write(Ack + '\n');
                socket->flush();
                emit MessageReceived(line);
            }
            // A peer that sends endless text without a line break is not one of us.
            if (socket->bytesAvailable() > 4096) socket->abort();
        });
    }
}
