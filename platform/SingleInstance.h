#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QLocalServer;

// The channel through which instances of one executable, started by one user,
// find each other: a local socket (QLocalServer/QLocalSocket). The running
// instance listens; a later start connects, sends one line and waits for the
// answer "OK". A socket left behind by a killed instance refuses connections
// and is removed by the next start, so it never blocks that start.
class TSingleInstanceChannel : public QObject {
    Q_OBJECT
public:
    // Channel name for an executable and the current user: a hash of both, as
    // a socket path in XDG_RUNTIME_DIR when that folder exists, otherwise a
    // bare name (Qt then places it in the temporary folder).
    static QString ChannelName(const QString& executablePath);

    explicit TSingleInstanceChannel(const QString& channelName, QObject* parent = nullptr);
    ~TSingleInstanceChannel() override;

    QString Name() const { return m_name; }

    enum class TClaim {
        Claimed,      // this process listens now: it is the running instance
        OtherRunning, // another instance answered (and got firstMessage)
        Failed,       // the channel could not be created; see ErrorString
    };
    // Becomes the running instance, or, when another one runs, hands it
    // firstMessage. Start-ups racing each other are serialised by a lock file
    // beside the channel, so exactly one of them claims it.
    TClaim Claim(const QByteArray& firstMessage);
    bool IsListening() const;
    QString ErrorString() const { return m_error; }

    enum class TSend {
        Delivered,  // the running instance answered
        NoInstance, // nobody listens (no socket, or one left by a dead process)
        NoAnswer,   // something listens but did not answer in time
    };
    // Sends one line to the running instance of the channel.
    static TSend Send(const QString& channelName, const QByteArray& message, int timeoutMs = 5000);

signals:
    // A line received by the running instance (without the line break),
    // emitted after it has been acknowledged.
    void MessageReceived(const QByteArray& message);

private:
    void OnNewConnection();

    QString m_name;
    QLocalServer* m_server = nullptr;
    QString m_error;
};
