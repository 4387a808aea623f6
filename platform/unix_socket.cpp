// Unix-domain stream sockets for the session windows.
#include "platform/unix_socket.h"

#include <QFile>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <climits>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <utility>

namespace platform {

namespace {

constexpr int kBacklog = 32;
// Out of descriptors: stop accepting for a moment rather than spin on a listener that stays
// readable.
constexpr int kAcceptPauseMs = 100;
// A full backlog refuses a non-blocking connect at once; try again until the deadline.
constexpr int kConnectRetryMs = 10;

// False for a path that would not fit whole, or would be cut at an embedded NUL.
bool MakeAddress(const QString& path, sockaddr_un* addr) {
    const QByteArray name = QFile::encodeName(path);
    *addr = {};
    addr->sun_family = AF_UNIX;
    if (name.isEmpty() || name.contains('\0') || size_t(name.size()) >= sizeof addr->sun_path)
        return false;
    std::memcpy(addr->sun_path, name.constData(), size_t(name.size()));
    return true;
}

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }

private:
    int fd_;
};

int RemainingMs(const QDeadlineTimer& deadline) {
    if (deadline.isForever()) return -1;
    return int(qBound(qint64(0), deadline.remainingTime(), qint64(INT_MAX)));
}

// True once the descriptor is ready (or in error, which the next call reports).
bool WaitFor(int fd, short events, const QDeadlineTimer& deadline) {
    for (;;) {
        pollfd p{fd, events, 0};
        const int ready = ::poll(&p, 1, RemainingMs(deadline));
        if (ready > 0) return true;
        if (ready == 0 || errno != EINTR) return false;
    }
}

int Connect(const QString& path, const QDeadlineTimer& deadline) {
    sockaddr_un addr;
    if (!MakeAddress(path, &addr)) return -1;
    Descriptor fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (fd.get() < 0) return -1;
    for (;;) {
        if (::connect(fd.get(), reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0)
            return fd.release();
        if (errno == EAGAIN) {
            const int left = RemainingMs(deadline);
            if (left == 0) return -1;
            ::poll(nullptr, 0, left < 0 ? kConnectRetryMs : qMin(left, kConnectRetryMs));
            continue;
        }
        if (errno != EINPROGRESS && errno != EINTR) return -1;
        // The connection goes on without us: wait for it and ask how it ended.
        int error = 0;
        socklen_t size = sizeof error;
        if (!WaitFor(fd.get(), POLLOUT, deadline) ||
            ::getsockopt(fd.get(), SOL_SOCKET, SO_ERROR, &error, &size) != 0 || error != 0)
            return -1;
        return fd.release();
    }
}

bool SendAll(int fd, const QByteArray& bytes, const QDeadlineTimer& deadline) {
    qsizetype sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.constData() + sent, size_t(bytes.size() - sent), MSG_NOSIGNAL);
        if (n >= 0) {
            sent += n;
        } else if (errno == EAGAIN) {
            if (!WaitFor(fd, POLLOUT, deadline)) return false;
        } else if (errno != EINTR) {
            return false;
        }
    }
    return true;
}

bool ReceiveExactly(int fd, qsizetype size, const QDeadlineTimer& deadline, QByteArray* out) {
    out->resize(size);
    qsizetype received = 0;
    while (received < size) {
        const ssize_t n = ::recv(fd, out->data() + received, size_t(size - received), 0);
        if (n > 0) {
            received += n;
        } else if (n == 0) {
            return false;  // the peer closed before the whole reply
        } else if (errno == EAGAIN) {
            if (!WaitFor(fd, POLLIN, deadline)) return false;
        } else if (errno != EINTR) {
            return false;
        }
    }
    return true;
}

}  // namespace

// ---- Server -------------------------------------------------------------------------------

UnixServer::UnixServer(qsizetype requestSize, QObject* parent)
    : QObject(parent), requestSize_(requestSize) {}

UnixServer::~UnixServer() { Close(); }

bool UnixServer::Listen(const QString& path) {
    Close();
    sockaddr_un addr;
    if (!MakeAddress(path, &addr)) return false;
    Descriptor fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (fd.get() < 0) return false;
    if (::bind(fd.get(), reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) return false;
    // The session folder is private already; the socket is too, in case it is ever moved.
    if (::chmod(addr.sun_path, S_IRUSR | S_IWUSR) != 0 || ::listen(fd.get(), kBacklog) != 0) {
        ::unlink(addr.sun_path);
        return false;
    }
    fd_ = fd.release();
    path_ = path;
    notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &UnixServer::AcceptPending);
    return true;
}

void UnixServer::Close() {
    if (fd_ < 0) return;
    delete notifier_;
    notifier_ = nullptr;
    ::close(fd_);
    fd_ = -1;
    unix_socket::RemoveSocketFile(path_);
    path_.clear();
}

void UnixServer::AcceptPending() {
    QPointer<UnixServer> self(this);
    while (self && fd_ >= 0) {
        const int fd = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd >= 0) {
            emit NewConnection(new UnixConnection(fd, requestSize_, this));
            continue;
        }
        if (errno == EINTR || errno == ECONNABORTED) continue;
        if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
            notifier_->setEnabled(false);
            QTimer::singleShot(kAcceptPauseMs, this, [this] {
                if (notifier_) notifier_->setEnabled(true);
            });
        }
        return;  // EAGAIN: nothing more waiting
    }
}

// ---- Connection ---------------------------------------------------------------------------

UnixConnection::UnixConnection(int fd, qsizetype requestSize, QObject* parent)
    : QObject(parent), fd_(fd), requestSize_(requestSize) {
    buffer_.reserve(requestSize_);
    readNotifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read, this);
    connect(readNotifier_, &QSocketNotifier::activated, this, &UnixConnection::ReadAvailable);
}

UnixConnection::~UnixConnection() { CloseSocket(); }

void UnixConnection::CloseSocket() {
    if (fd_ < 0) return;
    // A notifier must never watch a closed (and perhaps reused) descriptor.
    readNotifier_->setEnabled(false);
    if (writeNotifier_) writeNotifier_->setEnabled(false);
    ::close(fd_);
    fd_ = -1;
}

void UnixConnection::Abort() {
    CloseSocket();
    deleteLater();
}

void UnixConnection::ReadAvailable() {
    while (fd_ >= 0 && buffer_.size() < requestSize_) {
        char chunk[64];
        const size_t want = size_t(qMin<qsizetype>(requestSize_ - buffer_.size(), sizeof chunk));
        const ssize_t n = ::recv(fd_, chunk, want, 0);
        if (n > 0) {
            buffer_.append(chunk, n);
        } else if (n == 0 || (errno != EINTR && errno != EAGAIN)) {
            Abort();  // closed or failed before a whole request
            return;
        } else if (errno == EAGAIN) {
            return;
        }
    }
    if (fd_ < 0) return;
    // One request per connection: whatever follows it is never read.
    readNotifier_->setEnabled(false);
    const QByteArray request = std::exchange(buffer_, {});
    emit RequestReceived(request);
}

void UnixConnection::Reply(const QByteArray& bytes) {
    if (fd_ < 0) return;
    readNotifier_->setEnabled(false);
    buffer_ = bytes;
    written_ = 0;
    WritePending();
}

void UnixConnection::WritePending() {
    while (fd_ >= 0 && written_ < buffer_.size()) {
        const ssize_t n = ::send(fd_, buffer_.constData() + written_, size_t(buffer_.size() - written_),
                                 MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n >= 0) {
            written_ += n;
        } else if (errno == EAGAIN) {
            if (!writeNotifier_) {
                writeNotifier_ = new QSocketNotifier(fd_, QSocketNotifier::Write, this);
                connect(writeNotifier_, &QSocketNotifier::activated, this, &UnixConnection::WritePending);
            }
            writeNotifier_->setEnabled(true);
            return;
        } else if (errno != EINTR) {
            break;  // the peer is gone: nobody is left to answer
        }
    }
    // Sent bytes are already queued at the peer, so closing now loses none.
    Abort();
}

namespace unix_socket {

void RemoveSocketFile(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    struct stat st {};
    if (!name.isEmpty() && ::lstat(name.constData(), &st) == 0 && S_ISSOCK(st.st_mode))
        ::unlink(name.constData());
}

bool CanConnect(const QString& path, const QDeadlineTimer& deadline) {
    const Descriptor fd(Connect(path, deadline));
    return fd.get() >= 0;
}

bool Exchange(const QString& path, const QByteArray& request, qsizetype replySize,
              const QDeadlineTimer& deadline, QByteArray* reply) {
    const Descriptor fd(Connect(path, deadline));
    return fd.get() >= 0 && SendAll(fd.get(), request, deadline) &&
           ReceiveExactly(fd.get(), replySize, deadline, reply);
}

}  // namespace unix_socket

}  // namespace platform
