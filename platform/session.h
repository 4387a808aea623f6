// The per-user session: global atoms, windows found by caption across processes, and a
// synchronous request/reply between them. Everything lives in one private session directory,
// so two player processes of the same user see the same atoms and windows. The window services
// keep a per-process list of published windows: use them from the GUI thread.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QtGlobal>

#include <functional>

namespace platform {

class UnixConnection;
class UnixServer;

// `$XDG_RUNTIME_DIR/velmora`, else `/tmp/velmora-<uid>`, created 0700 when missing. Empty when
// no private directory can be had (for instance one owned by another user): every service
// below then fails softly, as if the session were empty.
QString SessionDirectory();

// ---- Global atoms -------------------------------------------------------------------------

using Atom = quint16;

constexpr Atom kFirstStringAtom = 0xC000;
constexpr int kMaxAtomNameChars = 255;

// Adds the name or takes one more reference to it. Names compare case-insensitively. The empty
// name, a name over 255 characters or a failure give 0.
Atom GlobalAddAtom(const QString& name);
// 0 when the name is not in the table.
Atom GlobalFindAtom(const QString& name);
// Drops one reference; the atom goes at zero. 0 on success, the atom itself on failure.
Atom GlobalDeleteAtom(Atom atom);
// The atom's name cut to maxChars characters; empty for atom 0 or an unknown atom.
QString GlobalGetAtomName(Atom atom, int maxChars);

// ---- Windows by caption -------------------------------------------------------------------

using MessageHandler = std::function<qintptr(quint32 msg, quintptr wParam, qintptr lParam)>;

// A handle to another window of the session, as FindWindow returns it.
struct WindowRef {
    QString caption;
    qint64 pid = 0;
    QString socketPath;

    bool isNull() const { return socketPath.isEmpty(); }
    explicit operator bool() const { return !isNull(); }
};

// A window this process publishes to the session under a caption. Messages sent to it are
// served by the event loop of the thread that owns the object; the handler's result is the
// reply.
class SessionWindow : public QObject {
    Q_OBJECT
public:
    explicit SessionWindow(QObject* parent = nullptr);
    ~SessionWindow() override;
    SessionWindow(const SessionWindow&) = delete;
    SessionWindow& operator=(const SessionWindow&) = delete;

    bool Publish(const QString& caption, MessageHandler handler);
    void Withdraw();
    // Renames the published window (or the one to be published).
    bool SetCaption(const QString& caption);

    QString Caption() const { return caption_; }
    bool IsPublished() const { return server_ != nullptr; }
    // Runs the handler as a message delivered to this window would.
    qintptr Deliver(quint32 msg, quintptr wParam, qintptr lParam);

private:
    bool WriteEntry();
    void AcceptConnection(UnixConnection* connection);
    void ServeRequest(UnixConnection* connection, const QByteArray& bytes);

    QString caption_;
    MessageHandler handler_;
    UnixServer* server_ = nullptr;
    QString id_;
    int serving_ = 0;  // handler calls on the stack
};

// A live window with this caption (compared case-insensitively), or a null ref. Entries of dead
// processes and sockets that accept no connection are removed on the way.
WindowRef FindWindow(const QString& caption);

// A generous limit: the peer may be busy in a long step of its own before it reads the request.
constexpr int kSendTimeoutMs = 15000;

// Delivers the message and waits for the handler's result. A window of this process is called
// directly. A dead, vanished or hung peer yields 0 with *ok false.
qintptr SendMessage(const WindowRef& window, quint32 msg, quintptr wParam, qintptr lParam,
                    bool* ok = nullptr);
qintptr SendMessageTimeout(const WindowRef& window, quint32 msg, quintptr wParam, qintptr lParam,
                           int timeoutMs, bool* ok = nullptr);

// ---- Session locks ------------------------------------------------------------------------

// An exclusive lock named within the session, held until Release or the end of the process
// (the kernel drops it with the process, so a crashed holder never blocks anyone). Not
// inherited by programs the holder starts.
class SessionLock {
public:
    enum class State { Acquired, Busy, Unavailable };

    explicit SessionLock(const QString& name);
    ~SessionLock();
    SessionLock(const SessionLock&) = delete;
    SessionLock& operator=(const SessionLock&) = delete;

    // One attempt, no wait. Unavailable: there is no private session directory to lock in.
    State TryAcquire();
    // Waits up to timeoutMs for the holder to let go.
    State Acquire(int timeoutMs);
    void Release();
    bool Held() const { return held_; }

private:
    QString name_;
    int fd_ = -1;
    bool held_ = false;
};

// Shared by the session's files; not for callers outside the session stand-in.
namespace session_detail {
// Reads a regular file of at most maxBytes without following links or blocking on a FIFO.
bool ReadSmallFile(const QString& path, qint64 maxBytes, QByteArray* out);
// Writes a new file beside the target and renames it over the target.
bool WriteFileAtomically(const QString& path, const QByteArray& bytes);
// A subdirectory of the session directory, created 0700 when missing; empty on failure.
QString SessionSubdirectory(const QString& name);
}  // namespace session_detail

}  // namespace platform
