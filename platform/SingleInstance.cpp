#include "platform/SingleInstance.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QSysInfo>
#include <QThread>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

QString UserName() {
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty()) user = qEnvironmentVariable("USERNAME");
    return user;
}

const QByteArray Ack = QByteArrayLiteral("OK");

// A folder given by the session must be ours and a real folder; anything else
// is not used.
bool OwnFolder(const QString& folder) {
    if (folder.isEmpty() || !QFileInfo(folder).isAbsolute()) return false;
#ifdef Q_OS_UNIX
    struct stat st {};
    return ::lstat(QFile::encodeName(folder).constData(), &st) == 0 && S_ISDIR(st.st_mode) &&
           st.st_uid == ::geteuid() && ::access(QFile::encodeName(folder).constData(), W_OK | X_OK) == 0;
#else
    const QFileInfo info(folder);
    return info.isDir() && info.isWritable();
#endif
}

} // namespace

QString TSingleInstanceChannel::PrivateRuntimeFolder() {
    QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (cache.isEmpty()) cache = QDir::homePath() + QStringLiteral("/.cache");
    // A home shared by several machines holds one folder per machine: a socket
    // and a lock are this machine's.
    QString host = QSysInfo::machineHostName();
    host.replace(QLatin1Char('/'), QLatin1Char('_'));
    return QDir(cache).filePath(QStringLiteral("peilomat-") + host);
}

QString TSingleInstanceChannel::RuntimeFolder() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return OwnFolder(runtime) ? QDir::cleanPath(runtime) : PrivateRuntimeFolder();
}

bool TSingleInstanceChannel::EnsurePrivateFolder(const QString& folder, QString* error) {
    auto fail = [&](const QString& reason) {
        if (error)
            *error = QStringLiteral("Der Ordner %1 für die Verbindung zwischen Programmstarts ist nicht "
                                    "sicher: %2")
                         .arg(folder, reason);
        return false;
    };
#ifdef Q_OS_UNIX
    const QByteArray path = QFile::encodeName(folder);
    QDir().mkpath(QFileInfo(folder).absolutePath());
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST)
        return fail(QString::fromLocal8Bit(std::strerror(errno)));
    // Looked at through an open handle that does not follow a link, so that
    // what is checked is what is repaired.
    const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return fail(errno == ELOOP || errno == ENOTDIR ? QStringLiteral("Er ist kein Ordner.")
                                                       : QString::fromLocal8Bit(std::strerror(errno)));
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0;
    QString reason;
    if (ok && st.st_uid != ::geteuid()) {
        ok = false;
        reason = QStringLiteral("Er gehört einem anderen Benutzer.");
    }
    if (ok && (st.st_mode & 07777) != 0700 && ::fchmod(fd, 0700) != 0) {
        ok = false;
        reason = QString::fromLocal8Bit(std::strerror(errno));
    }
    ::close(fd);
    return ok ? true : fail(reason);
#else
    Q_UNUSED(error);
    return QDir().mkpath(folder);
#endif
}

QString TSingleInstanceChannel::ChannelName(const QString& executablePath) {
    QString path = QFileInfo(executablePath).absoluteFilePath();
    const QString canonical = QFileInfo(path).canonicalFilePath();
    if (!canonical.isEmpty()) path = canonical;
    const QByteArray key = (path + QLatin1Char('\n') + UserName()).toUtf8();
    const QString hash =
        QString::fromLatin1(QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex().left(24));
    return QDir(RuntimeFolder()).filePath(QStringLiteral("Peilomat-") + hash);
}

QString TSingleInstanceChannel::LockFileName(const QString& channelName) {
    return channelName + QStringLiteral(".lock");
}

TSingleInstanceChannel::TSingleInstanceChannel(const QString& channelName, QObject* parent)
    : QObject(parent), m_name(channelName) {}

TSingleInstanceChannel::~TSingleInstanceChannel() {
    // The socket goes first, so that whoever takes the lock next finds the name free.
    if (m_server) m_server->close();
    if (m_lock) m_lock->unlock();
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

bool TSingleInstanceChannel::Listen() {
    // Holding the lock, whatever is left at the name belongs to no living instance.
    QLocalServer::removeServer(m_name);
    if (!m_server) {
        m_server = new QLocalServer(this);
        m_server->setSocketOptions(QLocalServer::UserAccessOption);
        connect(m_server, &QLocalServer::newConnection, this, &TSingleInstanceChannel::OnNewConnection);
    }
    if (m_server->listen(m_name)) return true;
    m_error = m_server->errorString();
    return false;
}

TSingleInstanceChannel::TClaim TSingleInstanceChannel::Claim(const QByteArray& firstMessage, int waitMs) {
    m_error.clear();
    if (IsListening()) return TClaim::Claimed;
    const QString folder = QFileInfo(m_name).absolutePath();
    if (folder != QDir::cleanPath(qEnvironmentVariable("XDG_RUNTIME_DIR")) &&
        !EnsurePrivateFolder(folder, &m_error))
        return TClaim::Failed;

    // Held by the running instance for its whole life: a lock is never taken
    // from a process that still runs, however old the lock is.
    if (!m_lock) {
        m_lock = std::make_unique<QLockFile>(LockFileName(m_name));
        m_lock->setStaleLockTime(0);
    }
    const QDeadlineTimer deadline(waitMs);
    for (;;) {
        if (m_lock->tryLock(0)) {
            if (Listen()) return TClaim::Claimed;
            m_lock->unlock();
            return TClaim::Failed;
        }
        if (m_lock->error() != QLockFile::LockFailedError) {
            m_error =
                QStringLiteral("Die Sperrdatei %1 kann nicht angelegt werden").arg(LockFileName(m_name));
            return TClaim::Failed;
        }
        // Another instance runs, or is starting and not yet answering.
        const int remaining = int(std::max<qint64>(1, deadline.remainingTime()));
        if (Send(m_name, firstMessage, std::min(remaining, 1000)) == TSend::Delivered)
            return TClaim::OtherRunning;
        if (deadline.hasExpired()) return TClaim::NoAnswer;
        QThread::msleep(50);
    }
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
