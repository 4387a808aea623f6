// Windows by caption across processes. A published window is a local socket under `s/` and an
// entry under `windows/` with its caption and process id, both named by one window id. A
// request is one fixed-size frame per connection, answered with one fixed-size reply.
#include "platform/session.h"
#include "platform/unix_socket.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>
#include <QRandomGenerator>
#include <QTimer>
#include <QtEndian>

#include <cerrno>
#include <climits>
#include <signal.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr quint32 kRequestMagic = 0x564D5351;  // "VMSQ"
constexpr quint32 kReplyMagic = 0x564D5350;    // "VMSP"
constexpr qsizetype kRequestSize = 4 + 4 + 8 + 8;
constexpr qsizetype kReplySize = 4 + 8;
// Connecting to a local socket completes at once when anyone listens; this only bounds a
// full backlog.
constexpr int kProbeTimeoutMs = 1000;
// A client that connects and never sends is dropped, so it cannot pin a socket forever.
constexpr int kIdleConnectionMs = 30000;
constexpr qint64 kMaxEntryBytes = 64 * 1024;

struct Request {
    quint32 msg = 0;
    quintptr wParam = 0;
    qintptr lParam = 0;
};

// The windows this process publishes, by socket path: a message to one of them is a call.
QHash<QString, SessionWindow*>& LocalWindows() {
    static QHash<QString, SessionWindow*> windows;
    return windows;
}

// Unique across processes and across a reused pid, so a stale node is never mistaken for ours.
QString NewWindowId() {
    static quint32 serial = 0;
    return QString("%1-%2-%3")
        .arg(qint64(::getpid()))
        .arg(++serial)
        .arg(QRandomGenerator::global()->generate(), 8, 16, QChar('0'));
}

QByteArray EncodeRequest(const Request& r) {
    QByteArray bytes(kRequestSize, '\0');
    uchar* p = reinterpret_cast<uchar*>(bytes.data());
    qToBigEndian<quint32>(kRequestMagic, p);
    qToBigEndian<quint32>(r.msg, p + 4);
    qToBigEndian<quint64>(quint64(r.wParam), p + 8);
    qToBigEndian<qint64>(qint64(r.lParam), p + 16);
    return bytes;
}

bool DecodeRequest(const QByteArray& bytes, Request* r) {
    if (bytes.size() != kRequestSize) return false;
    const uchar* p = reinterpret_cast<const uchar*>(bytes.constData());
    if (qFromBigEndian<quint32>(p) != kRequestMagic) return false;
    r->msg = qFromBigEndian<quint32>(p + 4);
    r->wParam = quintptr(qFromBigEndian<quint64>(p + 8));
    r->lParam = qintptr(qFromBigEndian<qint64>(p + 16));
    return true;
}

QByteArray EncodeReply(qintptr result) {
    QByteArray bytes(kReplySize, '\0');
    uchar* p = reinterpret_cast<uchar*>(bytes.data());
    qToBigEndian<quint32>(kReplyMagic, p);
    qToBigEndian<qint64>(qint64(result), p + 4);
    return bytes;
}

bool DecodeReply(const QByteArray& bytes, qintptr* result) {
    if (bytes.size() != kReplySize) return false;
    const uchar* p = reinterpret_cast<const uchar*>(bytes.constData());
    if (qFromBigEndian<quint32>(p) != kReplyMagic) return false;
    *result = qintptr(qFromBigEndian<qint64>(p + 4));
    return true;
}

bool ReadEntry(const QString& path, QString* caption, qint64* pid) {
    QByteArray bytes;
    if (!session_detail::ReadSmallFile(path, kMaxEntryBytes, &bytes)) return false;
    const QJsonObject o = QJsonDocument::fromJson(bytes).object();
    *caption = o.value("caption").toString();
    *pid = o.value("pid").toInteger(0);
    // A pid of 0 or below would make the liveness probe address a whole process group.
    return o.value("caption").isString() && *pid > 0 && *pid <= INT_MAX;
}

bool ProcessIsGone(qint64 pid) { return ::kill(pid_t(pid), 0) != 0 && errno == ESRCH; }

bool AcceptsConnection(const WindowRef& ref) {
    if (ref.pid == ::getpid()) return LocalWindows().contains(ref.socketPath);
    if (ProcessIsGone(ref.pid)) return false;
    return unix_socket::CanConnect(ref.socketPath, QDeadlineTimer(kProbeTimeoutMs));
}

void RemoveWindowNodes(const QString& entryPath, const QString& socketPath) {
    QFile::remove(entryPath);
    unix_socket::RemoveSocketFile(socketPath);
}

// One blocking exchange with another process; false on any failure or when the time is up.
bool Exchange(const QString& socketPath, const Request& request, int timeoutMs, qintptr* result) {
    QByteArray reply;
    return unix_socket::Exchange(socketPath, EncodeRequest(request), kReplySize,
                                 QDeadlineTimer(timeoutMs), &reply) &&
           DecodeReply(reply, result);
}

}  // namespace

SessionWindow::SessionWindow(QObject* parent) : QObject(parent) {}

SessionWindow::~SessionWindow() { Withdraw(); }

bool SessionWindow::Publish(const QString& caption, MessageHandler handler) {
    Withdraw();
    caption_ = caption;
    handler_ = std::move(handler);
    const QString sockets = session_detail::SessionSubdirectory("s");
    if (sockets.isEmpty() || session_detail::SessionSubdirectory("windows").isEmpty()) return false;
    const QString id = NewWindowId();
    const QString path = sockets + "/" + id;
    // A socket file left by a killed process makes listen fail.
    unix_socket::RemoveSocketFile(path);
    auto* server = new UnixServer(kRequestSize);
    if (!server->Listen(path)) {
        delete server;
        return false;
    }
    connect(server, &UnixServer::NewConnection, this, &SessionWindow::AcceptConnection);
    server_ = server;
    id_ = id;
    LocalWindows().insert(path, this);
    // The entry comes last: whoever finds it can connect.
    if (!WriteEntry()) {
        Withdraw();
        return false;
    }
    return true;
}

void SessionWindow::Withdraw() {
    if (!server_) return;
    LocalWindows().remove(server_->Path());
    const QString windows = session_detail::SessionSubdirectory("windows");
    if (!windows.isEmpty()) QFile::remove(windows + "/" + id_);
    server_->Close();  // removes the socket file too
    // Its connections are its children; one of them may be serving the request that led here.
    if (serving_ > 0)
        server_->deleteLater();
    else
        delete server_;
    server_ = nullptr;
    id_.clear();
}

bool SessionWindow::SetCaption(const QString& caption) {
    caption_ = caption;
    return server_ ? WriteEntry() : true;
}

bool SessionWindow::WriteEntry() {
    const QString windows = session_detail::SessionSubdirectory("windows");
    if (windows.isEmpty() || id_.isEmpty()) return false;
    const QJsonObject entry{{"caption", caption_}, {"pid", qint64(::getpid())}};
    return session_detail::WriteFileAtomically(windows + "/" + id_,
                                                QJsonDocument(entry).toJson(QJsonDocument::Compact));
}

qintptr SessionWindow::Deliver(quint32 msg, quintptr wParam, qintptr lParam) {
    // The handler may replace itself, withdraw the window or delete it.
    const MessageHandler handler = handler_;
    if (!handler) return 0;
    QPointer<SessionWindow> self(this);
    ++serving_;
    const qintptr result = handler(msg, wParam, lParam);
    if (self) --serving_;
    return result;
}

void SessionWindow::AcceptConnection(UnixConnection* connection) {
    connect(connection, &UnixConnection::RequestReceived, this,
            [this, connection](const QByteArray& bytes) { ServeRequest(connection, bytes); });
    QTimer::singleShot(kIdleConnectionMs, connection, [connection] { connection->Abort(); });
}

void SessionWindow::ServeRequest(UnixConnection* connection, const QByteArray& bytes) {
    Request request;
    if (!DecodeRequest(bytes, &request)) {
        connection->Abort();
        return;
    }
    QPointer<UnixConnection> guard(connection);
    const qintptr result = Deliver(request.msg, request.wParam, request.lParam);
    // This window may be gone now; only the connection is touched from here on.
    if (!guard) return;
    guard->Reply(EncodeReply(result));  // closes once the reply is sent
}

WindowRef FindWindow(const QString& caption) {
    const QString windows = session_detail::SessionSubdirectory("windows");
    const QString sockets = session_detail::SessionSubdirectory("s");
    if (windows.isEmpty() || sockets.isEmpty()) return {};
    const QStringList ids = QDir(windows).entryList(QDir::Files, QDir::Name);
    for (const QString& id : ids) {
        const QString entryPath = windows + "/" + id;
        WindowRef ref;
        ref.socketPath = sockets + "/" + id;
        if (!ReadEntry(entryPath, &ref.caption, &ref.pid)) {
            RemoveWindowNodes(entryPath, ref.socketPath);  // damaged beyond use
            continue;
        }
        const bool match = ref.caption.compare(caption, Qt::CaseInsensitive) == 0;
        if (!match && !ProcessIsGone(ref.pid)) continue;
        if (match && AcceptsConnection(ref)) return ref;
        RemoveWindowNodes(entryPath, ref.socketPath);
    }
    return {};
}

qintptr SendMessage(const WindowRef& window, quint32 msg, quintptr wParam, qintptr lParam, bool* ok) {
    return SendMessageTimeout(window, msg, wParam, lParam, kSendTimeoutMs, ok);
}

qintptr SendMessageTimeout(const WindowRef& window, quint32 msg, quintptr wParam, qintptr lParam,
                           int timeoutMs, bool* ok) {
    if (ok) *ok = false;
    if (window.isNull()) return 0;
    if (window.pid == ::getpid()) {
        // A blocking exchange with our own event loop would never be answered.
        SessionWindow* local = LocalWindows().value(window.socketPath);
        if (!local) return 0;
        const qintptr result = local->Deliver(msg, wParam, lParam);
        if (ok) *ok = true;
        return result;
    }
    qintptr result = 0;
    if (!Exchange(window.socketPath, Request{msg, wParam, lParam}, timeoutMs, &result)) return 0;
    if (ok) *ok = true;
    return result;
}

}  // namespace platform
