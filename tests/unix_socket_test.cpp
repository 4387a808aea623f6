// The session windows' Unix sockets against peers that misbehave: cut requests, slow or absent
// readers, early closes, over-long paths, and handlers that withdraw their own window.
#include "platform/session.h"
#include "platform/unix_socket.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QPointer>
#include <QTimer>
#include <QtEndian>

#include <atomic>
#include <chrono>
#include <future>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

using namespace platform;
using testing_support::TempFolder;

namespace {

std::atomic<int> g_sigpipes{0};

// Counts SIGPIPE instead of dying of it, so a test can assert that none was raised.
struct SigpipeCounter {
    sighandler_t previous = ::signal(SIGPIPE, [](int) { ++g_sigpipes; });
    int start = g_sigpipes;
    ~SigpipeCounter() { ::signal(SIGPIPE, previous); }
    int raised() const { return g_sigpipes - start; }
};

// Runs work on another thread while this one serves its event loop.
template <typename Work>
auto ServeWhile(Work work) {
    auto done = std::async(std::launch::async, work);
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (done.wait_for(std::chrono::seconds(0)) == std::future_status::ready) loop.quit();
    });
    poll.start(5);
    loop.exec();
    return done.get();
}

// A plain blocking socket, connected (or bound and listening) at path.
int Raw(const QString& path, bool listen = false) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    qstrncpy(addr.sun_path, QFile::encodeName(path).constData(), sizeof addr.sun_path);
    const auto* a = reinterpret_cast<sockaddr*>(&addr);
    const bool done = listen ? ::bind(fd, a, sizeof addr) == 0 && ::listen(fd, 8) == 0
                             : ::connect(fd, a, sizeof addr) == 0;
    return done ? fd : (::close(fd), -1);
}

// The session windows' frame: magic "VMSQ", message, wParam, lParam, big-endian.
QByteArray Request(quint32 magic, quint32 msg, qint64 lParam) {
    QByteArray bytes(24, '\0');
    uchar* p = reinterpret_cast<uchar*>(bytes.data());
    qToBigEndian<quint32>(magic, p);
    qToBigEndian<quint32>(msg, p + 4);
    qToBigEndian<qint64>(lParam, p + 16);
    return bytes;
}
constexpr quint32 kRequestMagic = 0x564D5351;

QByteArray ReadToEnd(int fd) {
    QByteArray all;
    char chunk[65536];
    for (ssize_t n; (n = ::recv(fd, chunk, sizeof chunk, 0)) > 0;) all.append(chunk, n);
    return all;
}

// Another process's view of a window of ours: messages go over its socket.
WindowRef AsIfRemote(const QString& caption) {
    WindowRef ref = FindWindow(caption);
    ref.pid = ::getppid();
    return ref;
}

}  // namespace

TEST(UnixSocketPaths, APathTooLongForAnAddressFailsAndIsNeverCut) {
    TempFolder temp;
    ASSERT_LT(temp.path().size(), 80);
    const QString dir = temp.path() + "/" + QString(80 - temp.path().size(), 'd');
    ASSERT_TRUE(QDir().mkpath(dir));
    const QString longest = dir + "/" + QString(107 - dir.size() - 1, 'x');  // 107 bytes and a NUL
    const QString tooLong = longest + "y";
    UnixServer server(4);
    EXPECT_FALSE(server.Listen(tooLong));
    EXPECT_FALSE(QFile::exists(longest)) << "the path was cut to fit";

    ASSERT_TRUE(server.Listen(longest)) << "the longest path that fits";
    EXPECT_TRUE(unix_socket::CanConnect(longest, QDeadlineTimer(1000)));
    EXPECT_FALSE(unix_socket::CanConnect(tooLong, QDeadlineTimer(1000)));
    EXPECT_EQ(QFile::permissions(longest) & 0x0077, 0) << "only the user may connect";
    server.Close();
    EXPECT_FALSE(QFile::exists(longest));
}

TEST(UnixSocketServer, ARequestInPiecesIsCollectedAndALongReplyReachesASlowReaderWhole) {
    TempFolder temp;
    UnixServer server(4);
    ASSERT_TRUE(server.Listen(temp.file("sock")));
    QByteArray big(4 << 20, '\0');
    for (qsizetype i = 0; i < big.size(); ++i) big[i] = char(i * 7 + i / 4096);
    std::atomic<bool> replied{false};
    QList<QByteArray> requests;
    QObject::connect(&server, &UnixServer::NewConnection, [&](UnixConnection* c) {
        QObject::connect(c, &UnixConnection::RequestReceived, [&, c](const QByteArray& r) {
            requests.append(r);
            c->Reply(big);  // must come back before the reader reads anything
            replied = true;
        });
    });
    const QByteArray got = ServeWhile([&] {
        const int fd = Raw(temp.file("sock"));
        ::send(fd, "ab", 2, MSG_NOSIGNAL);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        ::send(fd, "cdEXTRA", 7, MSG_NOSIGNAL);
        for (int i = 0; i < 1000 && !replied; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        const QByteArray all = replied ? ReadToEnd(fd) : QByteArray("blocked");
        ::close(fd);
        return all;
    });
    EXPECT_EQ(requests, QList<QByteArray>{"abcd"}) << "one request, what follows is not read";
    EXPECT_TRUE(got == big) << "got " << got.size() << " of " << big.size() << " bytes";
}

TEST(UnixSocketClient, PeersThatCloseEarlyOrAnswerShortGiveFalseAndNoSigpipe) {
    TempFolder temp;
    const QString path = temp.file("raw");
    const int listener = Raw(path, true);
    ASSERT_GE(listener, 0);
    // Each round: the request's size, and how many reply bytes the raw peer sends before it
    // closes (-1: it closes at once). A request larger than the socket buffers is still being
    // sent when the peer closes, so the client surely writes into a closed socket.
    const QList<QPair<int, int>> rounds{{24, 12}, {24, 5}, {24, 0}, {24, -1}, {8 << 20, -1}, {24, 12}};
    std::thread peer([&] {
        for (const auto& [size, send] : rounds) {
            const int fd = ::accept(listener, nullptr, nullptr);
            if (send >= 0) {
                QByteArray in(size, '\0');
                qsizetype got = 0;
                for (ssize_t n = 1; got < size && n > 0; got += n) n = ::recv(fd, in.data() + got, size - got, 0);
                ::send(fd, "VMSP-reply-0", size_t(send), MSG_NOSIGNAL);
            }
            ::close(fd);
        }
    });
    SigpipeCounter sigpipes;
    QList<bool> results;
    for (const auto& round : rounds) {
        QByteArray reply;
        results.append(unix_socket::Exchange(path, QByteArray(round.first, 'q'), 12,
                                             QDeadlineTimer(5000), &reply));
        if (results.last()) {
            EXPECT_EQ(reply, "VMSP-reply-0");
        }
    }
    peer.join();
    ::close(listener);
    EXPECT_EQ(results, (QList<bool>{true, false, false, false, false, true}));
    EXPECT_EQ(sigpipes.raised(), 0);
}

TEST(SessionWindowSockets, MisbehavingPeersNeitherStopNorKillTheWindow) {
    SigpipeCounter sigpipes;
    SessionWindow window;
    ASSERT_TRUE(window.Publish("Sturdy", [](quint32, quintptr, qintptr l) { return l + 1; }));
    const WindowRef ref = AsIfRemote("sturdy");
    ASSERT_FALSE(ref.isNull());

    const int cut = Raw(ref.socketPath);  // part of a request, then gone
    ::send(cut, Request(kRequestMagic, 7, 1).constData(), 10, MSG_NOSIGNAL);
    ::close(cut);
    const int garbage = Raw(ref.socketPath);  // a whole frame with the wrong magic
    ::send(garbage, Request(0x12345678, 7, 1).constData(), 24, MSG_NOSIGNAL);
    const int deaf = Raw(ref.socketPath);  // asks, then does not read for a while
    ::send(deaf, Request(kRequestMagic, 7, 41).constData(), 24, MSG_NOSIGNAL);
    const int gone = Raw(ref.socketPath);  // asks and leaves: the reply meets a closed socket
    ::send(gone, Request(kRequestMagic, 7, 1).constData(), 24, MSG_NOSIGNAL);
    ::shutdown(gone, SHUT_RDWR);
    ::close(gone);
    ServeWhile([] { return ::usleep(50000); });

    bool ok = false;
    const qintptr result = ServeWhile([&] { return SendMessage(ref, 7, 0, 99, &ok); });
    EXPECT_TRUE(ok);
    EXPECT_EQ(result, 100);
    EXPECT_EQ(ReadToEnd(garbage), QByteArray()) << "a bad frame is dropped unanswered";
    const QByteArray late = ReadToEnd(deaf);
    ASSERT_EQ(late.size(), 12) << "the reply waited, whole, for the slow reader";
    EXPECT_EQ(qFromBigEndian<quint32>(late.constData()), 0x564D5350u);
    EXPECT_EQ(qFromBigEndian<qint64>(late.constData() + 4), 42);
    ::close(garbage);
    ::close(deaf);
    EXPECT_EQ(sigpipes.raised(), 0);
}

TEST(SessionWindowSockets, AHandlerThatWithdrawsOrDeletesItsWindowStillAnswers) {
    QPointer<SessionWindow> window = new SessionWindow;
    const MessageHandler leave = [&window](quint32 msg, quintptr, qintptr) -> qintptr {
        if (msg == 1) window->Withdraw();
        if (msg == 2) delete window.data();
        return msg * 11;
    };
    ASSERT_TRUE(window->Publish("Leaving", leave));
    WindowRef ref = AsIfRemote("Leaving");
    ASSERT_FALSE(ref.isNull());
    bool ok = false;
    EXPECT_EQ(ServeWhile([&] { return SendMessage(ref, 1, 0, 0, &ok); }), 11);
    EXPECT_TRUE(ok);
    EXPECT_FALSE(window->IsPublished());
    EXPECT_FALSE(QFile::exists(ref.socketPath));
    EXPECT_TRUE(FindWindow("Leaving").isNull());

    ASSERT_TRUE(window->Publish("Leaving", leave));
    ref = AsIfRemote("Leaving");
    ok = false;
    EXPECT_EQ(ServeWhile([&] { return SendMessage(ref, 2, 0, 0, &ok); }), 22);
    EXPECT_TRUE(ok);
    EXPECT_TRUE(window.isNull());
    EXPECT_FALSE(QFile::exists(ref.socketPath));
    ServeWhile([] { return ::usleep(50000); });  // the deferred deletions run cleanly
}
