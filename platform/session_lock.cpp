// Named session locks: flock on a file of the session directory.
#include "platform/session.h"

#include <QDeadlineTimer>
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

namespace platform {

SessionLock::SessionLock(const QString& name) : name_(name) {}

SessionLock::~SessionLock() { Release(); }

SessionLock::State SessionLock::TryAcquire() {
    if (held_) return State::Acquired;
    if (fd_ < 0) {
        const QString dir = SessionDirectory();
        if (dir.isEmpty()) return State::Unavailable;
        const QByteArray path = QFile::encodeName(dir + "/" + name_ + ".lock");
        fd_ = ::open(path.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
        struct stat st {};
        if (fd_ >= 0 && (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode))) {
            ::close(fd_);
            fd_ = -1;
        }
        if (fd_ < 0) return State::Unavailable;
    }
    int rc;
    do {
        rc = ::flock(fd_, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc == 0) {
        held_ = true;
        return State::Acquired;
    }
    return errno == EWOULDBLOCK ? State::Busy : State::Unavailable;
}

SessionLock::State SessionLock::Acquire(int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        const State state = TryAcquire();
        if (state != State::Busy || deadline.hasExpired()) return state;
        const struct timespec pause = {0, 5 * 1000 * 1000};
        ::nanosleep(&pause, nullptr);
    }
}

void SessionLock::Release() {
    if (fd_ >= 0) ::close(fd_);  // closing drops the lock
    fd_ = -1;
    held_ = false;
}

}  // namespace platform
