// Unix-domain stream sockets for the session windows: a listening socket whose connections each
// carry one fixed-size request and one reply, served by the event loop, and a blocking client
// bounded by one deadline. Only what the session windows use.
#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QObject>
#include <QString>

class QSocketNotifier;

namespace platform {

class UnixConnection;

// Listens on a socket file only its user can use. The connections it accepts are its children.
class UnixServer : public QObject {
    Q_OBJECT
public:
    explicit UnixServer(qsizetype requestSize, QObject* parent = nullptr);
    ~UnixServer() override;
    UnixServer(const UnixServer&) = delete;
    UnixServer& operator=(const UnixServer&) = delete;

    // False when the path does not fit a socket address or the socket cannot be made there.
    bool Listen(const QString& path);
    // Stops listening and removes the socket file; accepted connections carry on.
    void Close();
    QString Path() const { return path_; }

signals:
    void NewConnection(platform::UnixConnection* connection);

private:
    void AcceptPending();

    qsizetype requestSize_;
    int fd_ = -1;
    QString path_;
    QSocketNotifier* notifier_ = nullptr;
};

// One accepted connection: collects one request, then sends one reply and closes.
class UnixConnection : public QObject {
    Q_OBJECT
public:
    ~UnixConnection() override;
    UnixConnection(const UnixConnection&) = delete;
    UnixConnection& operator=(const UnixConnection&) = delete;

    // Sends without blocking, finishing from the event loop when the peer is slow, then closes
    // the connection and deletes it.
    void Reply(const QByteArray& bytes);
    // Closes at once and deletes the connection later.
    void Abort();

signals:
    void RequestReceived(const QByteArray& request);

private:
    friend class UnixServer;
    UnixConnection(int fd, qsizetype requestSize, QObject* parent);
    void ReadAvailable();
    void WritePending();
    void CloseSocket();

    int fd_;
    qsizetype requestSize_;
    QByteArray buffer_;  // the request as it arrives, later the reply being sent
    qsizetype written_ = 0;
    QSocketNotifier* readNotifier_ = nullptr;
    QSocketNotifier* writeNotifier_ = nullptr;
};

namespace unix_socket {

// Removes the socket file at path; anything else there stays.
void RemoveSocketFile(const QString& path);
// Whether something at path accepts a connection before the deadline.
bool CanConnect(const QString& path, const QDeadlineTimer& deadline);
// Connects, sends the request and reads a reply of replySize bytes, all before the deadline.
// False on any failure, including a peer that closes early or sends less.
bool Exchange(const QString& path, const QByteArray& request, qsizetype replySize,
              const QDeadlineTimer& deadline, QByteArray* reply);

}  // namespace unix_socket

}  // namespace platform
