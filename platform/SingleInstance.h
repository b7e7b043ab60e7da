#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;
class QLockFile;

// The channel through which instances of one executable, started by one user,
// find each other: a local socket (QLocalServer/QLocalSocket) and a lock file
// beside it. The running instance holds the lock for as long as it runs and
// listens on the socket; a later start that cannot take the lock connects,
// sends one line and waits for the answer "OK". Only the holder of the lock
// ever removes or creates the socket, so however many starts race each other,
// exactly one becomes the instance. A lock left by a killed instance names a
// process that no longer runs and is taken over at once, together with the
// socket it left behind.
class TSingleInstanceChannel : public QObject {
    Q_OBJECT
public:
    // Channel name for an executable and the current user: a hash of both, as
    // a socket path in RuntimeFolder().
    static QString ChannelName(const QString& executablePath);
    // XDG_RUNTIME_DIR when it is set to a folder of ours, otherwise
    // PrivateRuntimeFolder(). Only looks; creates nothing.
    static QString RuntimeFolder();
    // A folder of this user and this machine alone, for when the session
    // gives no runtime folder: <cache folder>/peilomat-<host name>, mode 0700.
    // Never in the shared temporary folder, where another user could take
    // the name first.
    static QString PrivateRuntimeFolder();
    // Makes folder a private folder of this user: created with mode 0700 if
    // missing, its mode set back to 0700 if it is ours with another mode.
    // False (and a German reason in error) when it is not a real folder
    // (a file, a symbolic link) or belongs to another user.
    static bool EnsurePrivateFolder(const QString& folder, QString* error);

    explicit TSingleInstanceChannel(const QString& channelName, QObject* parent = nullptr);
    ~TSingleInstanceChannel() override;

    QString Name() const { return m_name; }

    enum class TClaim {
        Claimed,      // this process holds the lock and listens: it is the running instance
        OtherRunning, // another instance answered (and got firstMessage)
        NoAnswer,     // another instance holds the lock but did not answer in time
        Failed,       // the channel could not be created; see ErrorString
    };
    // Becomes the running instance, or, when another one runs, hands it
    // firstMessage, trying for up to waitMs while that one is still starting.
    TClaim Claim(const QByteArray& firstMessage, int waitMs = 5000);
    bool IsListening() const;
    QString ErrorString() const { return m_error; }

    enum class TSend {
        Delivered,  // the running instance answered
        NoInstance, // nobody listens (no socket, or one left by a dead process)
        NoAnswer,   // something listens but did not answer in time
    };
    // Sends one line to the running instance of the channel.
    static TSend Send(const QString& channelName, const QByteArray& message, int timeoutMs = 5000);

    static QString LockFileName(const QString& channelName);

signals:
    // A line received by the running instance (without the line break),
    // emitted after it has been acknowledged.
    void MessageReceived(const QByteArray& message);

private:
    void OnNewConnection();
    bool Listen();

    QString m_name;
    QLocalServer* m_server = nullptr;
    std::unique_ptr<QLockFile> m_lock;
    QString m_error;
};
