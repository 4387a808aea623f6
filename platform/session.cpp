// The session directory and the file primitives the atom table and the window directory share.
#include "platform/session.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// Removes whatever sits at path when it is not what we expect there (a file where a directory
// belongs, a directory or FIFO where a file belongs). Only ever called inside our own directory.
void RemoveForeignNode(const QByteArray& path, const struct stat& st) {
    if (S_ISDIR(st.st_mode))
        ::rmdir(path.constData());
    else
        ::unlink(path.constData());
}

// A directory owned by us with no access for anyone else. A directory someone else owns is
// refused: it could be watched or planted in /tmp.
bool EnsurePrivateDirectory(const QString& dir, bool mayReplace) {
    const QByteArray path = QFile::encodeName(dir);
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST) return false;
        struct stat st {};
        if (::lstat(path.constData(), &st) != 0) return false;
        if (st.st_uid != ::getuid()) return false;
        if (S_ISDIR(st.st_mode)) {
            if ((st.st_mode & 077) != 0) ::chmod(path.constData(), 0700);
            return true;
        }
        if (!mayReplace) return false;
        RemoveForeignNode(path, st);
    }
    return false;
}

bool WriteAll(int fd, const QByteArray& bytes) {
    qint64 done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += n;
    }
    return true;
}

}  // namespace

QString SessionDirectory() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    struct stat st {};
    if (runtime.startsWith('/') && ::stat(QFile::encodeName(runtime).constData(), &st) == 0 &&
        S_ISDIR(st.st_mode)) {
        const QString dir = runtime + "/velmora";
        return EnsurePrivateDirectory(dir, true) ? dir : QString();
    }
    // /tmp is shared: never replace or adopt a node someone else put there.
    const QString dir = QString("/tmp/velmora-%1").arg(::getuid());
    return EnsurePrivateDirectory(dir, false) ? dir : QString();
}

namespace session_detail {

QString SessionSubdirectory(const QString& name) {
    const QString base = SessionDirectory();
    if (base.isEmpty()) return {};
    const QString dir = base + "/" + name;
    return EnsurePrivateDirectory(dir, true) ? dir : QString();
}

bool ReadSmallFile(const QString& path, qint64 maxBytes, QByteArray* out) {
    out->clear();
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= maxBytes;
    if (ok) {
        out->resize(qsizetype(st.st_size));
        qint64 done = 0;
        while (ok && done < out->size()) {
            const ssize_t n = ::read(fd, out->data() + done, size_t(out->size() - done));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;  // the file shrank under us: keep what was read
            done += n;
        }
        out->truncate(qsizetype(done));
    }
    ::close(fd);
    return ok;
}

bool WriteFileAtomically(const QString& path, const QByteArray& bytes) {
    const QByteArray target = QFile::encodeName(path);
    const int slash = target.lastIndexOf('/');
    const QByteArray temp = target.left(slash + 1) + "." + target.mid(slash + 1) + ".new-" +
                            QByteArray::number(qint64(::getpid()));
    ::unlink(temp.constData());
    const int fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    bool ok = WriteAll(fd, bytes);
    ok = (::close(fd) == 0) && ok;
    struct stat st {};
    if (ok && ::lstat(target.constData(), &st) == 0 && !S_ISREG(st.st_mode))
        RemoveForeignNode(target, st);  // rename cannot replace a directory
    ok = ok && ::rename(temp.constData(), target.constData()) == 0;
    if (!ok) ::unlink(temp.constData());
    return ok;
}

}  // namespace session_detail

}  // namespace platform
