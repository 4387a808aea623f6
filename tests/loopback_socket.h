// A socket on a free port of the loopback address, and a server over it, for the tests' own
// servers.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QByteArray>
#include <QtGlobal>
#include <atomic>
#include <functional>
#include <thread>

// The socket, listening unless asked otherwise, with its port in *port; -1 (port 0) on failure.
// A socket only bound and then closed leaves a port on which nobody answers.
inline int LoopbackSocket(quint16* port, bool listening = true) {
    *port = 0;
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return -1;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), size) != 0 || (listening && listen(fd, 8) != 0) ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        close(fd);
        return -1;
    }
    *port = ntohs(address.sin_port);
    return fd;
}

// All of bytes to the client; false once the client is gone.
inline bool SendAll(int client, const QByteArray& bytes) {
    for (qsizetype sent = 0; sent < bytes.size();) {
        const ssize_t n = send(client, bytes.constData() + sent, size_t(bytes.size() - sent), MSG_NOSIGNAL);
        if (n <= 0) return false;
        sent += n;
    }
    return true;
}

// Accepts on a loopback port on a thread of its own and hands each client, one at a time, to
// `answer`; the client is closed after it. A member of a server declared after what `answer`
// reads, so it starts last and stops first.
class LoopbackServer {
public:
    explicit LoopbackServer(std::function<void(int client)> answer) : answer_(std::move(answer)) {
        listener_ = LoopbackSocket(&port_);
        thread_ = std::thread([this] { Serve(); });
    }
    ~LoopbackServer() {
        stop_ = true;
        thread_.join();
        if (listener_ >= 0) close(listener_);
    }
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;
    quint16 Port() const { return port_; }

private:
    void Serve() {
        while (!stop_) {
            pollfd waiting{listener_, POLLIN, 0};
            if (poll(&waiting, 1, 50) <= 0) continue;
            const int client = accept(listener_, nullptr, nullptr);
            if (client < 0) continue;
            answer_(client);
            close(client);
        }
    }

    std::function<void(int client)> answer_;
    int listener_ = -1;
    quint16 port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};
