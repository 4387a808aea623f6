// A local HTTP server for tests of network sources, and MP3 data to serve.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QByteArray>
#include <QString>
#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

#include "tests/gst_encode.h"
#include "tests/loopback_socket.h"
#include "tests/test_support.h"

// "/live.mp3" is the body again and again, a little faster than it plays, until stalled; every
// other path is a 404. Runs on threads of its own, so the test's waits do not pace it.
class StreamServer {
public:
    explicit StreamServer(QByteArray body) : body_(std::move(body)) {
        listener_ = LoopbackSocket(&port_);
        if (listener_ < 0) return;
        accepter_ = std::thread([this] { Accept(); });
    }
    ~StreamServer() {
        done_ = true;
        shutdown(listener_, SHUT_RDWR);
        close(listener_);
        if (accepter_.joinable()) accepter_.join();
        for (std::thread& t : clients_) t.join();
    }
    QString Url(const QString& path) const { return QStringLiteral("http://127.0.0.1:%1%2").arg(port_).arg(path); }
    std::atomic<bool> stalled{false};

private:
    void Accept() {
        for (;;) {
            const int client = accept(listener_, nullptr, nullptr);
            if (client < 0 || done_) break;
            clients_.emplace_back([this, client] { Serve(client); });
        }
    }
    void Serve(int client) {
        char request[2048] = {};
        const ssize_t got = recv(client, request, sizeof request - 1, 0);
        if (got > 0 && std::strncmp(request, "GET /live.mp3 ", 14) == 0) {
            Write(client, "HTTP/1.0 200 OK\r\nContent-Type: audio/mpeg\r\n\r\n", -1);
            qsizetype offset = 0;
            bool ok = Stream(client, 32 * 1024, offset);
            while (ok && !done_) {
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
                if (!stalled) ok = Stream(client, 1200, offset);  // 24 kB/s
            }
        } else if (got > 0) {
            Write(client, "HTTP/1.0 404 Not Found\r\nContent-Length: 0\r\n\r\n", -1);
        }
        close(client);
    }
    bool Stream(int client, int bytes, qsizetype& offset) {
        while (bytes > 0) {
            const int take = int(qMin<qsizetype>(bytes, body_.size() - offset));
            if (!Write(client, body_.constData() + offset, take)) return false;
            offset = (offset + take) % body_.size();
            bytes -= take;
        }
        return true;
    }
    static bool Write(int client, const char* data, int length) {
        if (length < 0) length = int(std::strlen(data));
        return send(client, data, length, MSG_NOSIGNAL) == length;
    }

    QByteArray body_;
    int listener_ = -1;
    quint16 port_ = 0;
    std::atomic<bool> done_{false};
    std::thread accepter_;
    std::vector<std::thread> clients_;
};

// Plain MP3 frames at 128 kbit/s with no header that tells a length.
inline QByteArray Mp3Frames(const testing_support::TempFolder& folder) {
    const QString path = folder.file("frames.mp3");
    if (!EncodeWith("audiotestsrc num-buffers=130 samplesperbuffer=1024 ! audio/x-raw,rate=44100,channels=2 ! "
                    "audioconvert ! lamemp3enc target=bitrate bitrate=128 cbr=true ! filesink location=" + path))
        return {};
    return folder.read("frames.mp3");
}

