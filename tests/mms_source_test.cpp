// mms:// streams through our libmms source: a small MMS-over-HTTP server of the test's own sends a
// short ASF file the way a Windows Media server does, and the engine plays it to its end; the
// failures of the protocol end in the engine's error with the class the user is told.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netdb.h>
#include <gst/gst.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QtCore/qtestsupport_core.h>

#include <QFile>
#include <atomic>
#include <functional>
#include <thread>

#include "platform/media_engine.h"
#include "platform/media_mms_source.h"
#include "tests/loopback_socket.h"
#include "tests/test_support.h"

using platform::MediaEngine;
using platform::MediaFailure;

namespace {

constexpr int kPatience = 20000;  // ms; only an upper bound for waits

bool WaitFor(const std::function<bool()>& condition) { return QTest::qWaitFor(condition, kPatience); }

void PutLe16(QByteArray& out, int value) {
    out += char(value & 0xff);
    out += char((value >> 8) & 0xff);
}

void PutLe32(QByteArray& out, quint32 value) {
    for (int i = 0; i < 4; ++i) out += char((value >> (8 * i)) & 0xff);
}

quint64 Le64(const QByteArray& bytes, qsizetype at) {
    quint64 value = 0;
    for (int i = 7; i >= 0; --i) value = (value << 8) | quint8(bytes[at + i]);
    return value;
}

// An MMSH chunk: "$H" (header) or "$D" (data) with its 8-byte extension (sequence number, two
// flag bytes, the length again); the length counts the extension too.
QByteArray Chunk(char type, quint32 sequence, const QByteArray& body) {
    QByteArray out;
    out += '$';
    out += type;
    PutLe16(out, int(body.size() + 8));
    PutLe32(out, sequence);
    out += char(0);
    out += char(type == 'H' ? 0x0c : 0);
    PutLe16(out, int(body.size() + 8));
    return out + body;
}

// The MMS-over-HTTP side of a Windows Media server, for one ASF file: the first request of a
// client gets the header, the one that asks for the play stream ("xPlayStrm=1") the header and
// every data packet, each in its chunk. Anything that does not begin like an HTTP request (the
// client's try of the TCP protocol first) is closed at once. brokenData: the play stream stops in
// the middle of a packet.
class MmshServer {
public:
    MmshServer(QByteArray asf, bool brokenData = false) : asf_(std::move(asf)), broken_(brokenData) {}
    QString Url(const QString& scheme) const {
        return QString("%1://127.0.0.1:%2/tone.asf").arg(scheme).arg(server_.Port());
    }
    int PlayRequests() const { return plays_.load(); }

private:
    void Answer(int client) {
        QByteArray request;
        char chunk[1024];
        while (!request.contains("\r\n\r\n")) {
            pollfd waiting{client, POLLIN, 0};
            if (poll(&waiting, 1, 2000) <= 0) return;
            const ssize_t got = recv(client, chunk, sizeof chunk, 0);
            if (got <= 0) return;
            request.append(chunk, got);
            if (request.size() >= 4 && !request.startsWith("GET ")) return;
        }
        const bool play = request.contains("xPlayStrm=1");
        if (play) ++plays_;
        QByteArray answer = "HTTP/1.0 200 OK\r\nServer: Test\r\nContent-Type: application/x-mms-framed\r\n"
                            "Pragma: no-cache\r\nPragma: client-id=3320437311\r\nPragma: features=\"seekable,stridx\"\r\n"
                            "\r\n";
        // The header chunk: the header object and the head of the data object (50 bytes).
        const qsizetype headerSize = qsizetype(Le64(asf_, 16));
        answer += Chunk('H', 0, asf_.left(headerSize + 50));
        if (play) {
            const qsizetype packet = PacketSize();
            quint32 sequence = 0;
            for (qsizetype at = headerSize + 50; packet > 0 && at + packet <= asf_.size(); at += packet)
                answer += Chunk('D', sequence++, asf_.mid(at, packet));
            if (broken_) answer.chop(answer.size() / 3);
        }
        SendAll(client, answer);
    }
    // The file properties' packet size.
    qsizetype PacketSize() const {
        const QByteArray guid = QByteArray::fromHex("a1dcab8c47a9cf118ee400c00c205365");
        const qsizetype at = asf_.indexOf(guid);
        if (at < 0) return 0;
        quint32 size = 0;
        for (int i = 3; i >= 0; --i) size = (size << 8) | quint8(asf_[at + 92 + i]);
        return qsizetype(size);
    }

    const QByteArray asf_;
    const bool broken_;
    std::atomic<int> plays_{0};
    LoopbackServer server_{[this](int client) { Answer(client); }};
};

// One second of tone as Windows Media audio in ASF, or empty when the encoder is missing.
QByteArray MakeAsf(const QString& folder) {
    const QString path = folder + "/tone.asf";
    const QByteArray line = "audiotestsrc num-buffers=43 ! audioconvert ! avenc_wmav2 ! asfmux ! filesink location=\"" +
                            QFile::encodeName(path) + "\"";
    GError* error = nullptr;
    GstElement* pipeline = gst_parse_launch(line.constData(), &error);
    if (error) g_error_free(error);
    if (!pipeline) return {};
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    GstBus* bus = gst_element_get_bus(pipeline);
    GstMessage* end = gst_bus_timed_pop_filtered(bus, 20 * GST_SECOND, GstMessageType(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
    const bool done = end && GST_MESSAGE_TYPE(end) == GST_MESSAGE_EOS;
    if (end) gst_message_unref(end);
    gst_object_unref(bus);
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(pipeline);
    QFile file(path);
    return done && file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class MmsSourceTest : public ::testing::Test {
protected:
    void SetUp() override {
        qputenv("VELMORA_AUDIO_SINK", "fakesink");
        platform::InitMedia();
        asf_ = MakeAsf(folder_.path());
        if (asf_.isEmpty()) GTEST_SKIP() << "no Windows Media audio encoder or ASF muxer";
    }
    testing_support::TempFolder folder_;
    QByteArray asf_;
};

TEST(MmsSource, EveryMmsSchemeHasItsSource) {
    platform::InitMedia();
    for (const char* scheme : {"mms", "mmsh", "mmst", "mmsu"}) {
        EXPECT_TRUE(gst_uri_protocol_is_supported(GST_URI_SRC, scheme)) << scheme;
        GstElement* source = gst_element_make_from_uri(GST_URI_SRC, (std::string(scheme) + "://h/x").c_str(), nullptr, nullptr);
        ASSERT_TRUE(source) << scheme;
        EXPECT_STREQ(gst_plugin_feature_get_name(GST_PLUGIN_FEATURE(gst_element_get_factory(source))),
                     platform::kMmsSourceName);
        gst_object_unref(source);
    }
}

TEST_F(MmsSourceTest, StreamFromAnMmsOverHttpServerPlaysToItsEnd) {
    const MmshServer server(asf_);
    // mms:// tries the TCP protocol first and falls back to HTTP, as a player does.
    for (const char* scheme : {"mmsh", "mms"}) {
        SCOPED_TRACE(scheme);
        MediaEngine engine;
        int ends = 0;
        QStringList errors;
        QObject::connect(&engine, &MediaEngine::EndOfStream, [&] { ++ends; });
        QObject::connect(&engine, &MediaEngine::ErrorOccurred, [&](const QString& text) { errors << text; });
        ASSERT_TRUE(engine.Open(server.Url(scheme))) << engine.LastError().toStdString();
        engine.Play();
        ASSERT_TRUE(WaitFor([&] { return ends > 0 || !errors.isEmpty(); }));
        EXPECT_TRUE(errors.isEmpty()) << errors.join('|').toStdString();
        EXPECT_EQ(ends, 1);
        EXPECT_GT(engine.AudioRate(), 0) << "the sound was decoded";
    }
    EXPECT_EQ(server.PlayRequests(), 2);
}

TEST_F(MmsSourceTest, StreamCutInItsMiddleEndsOrFailsButNeverHangs) {
    const MmshServer server(asf_, true);
    MediaEngine engine;
    bool over = false;
    QObject::connect(&engine, &MediaEngine::EndOfStream, [&] { over = true; });
    QObject::connect(&engine, &MediaEngine::ErrorOccurred, [&] { over = true; });
    ASSERT_TRUE(engine.Open(server.Url("mmsh")));
    engine.Play();
    EXPECT_TRUE(WaitFor([&] { return over; }));
}

TEST(MmsSourceFailures, NoServerIsAFailureToConnect) {
    platform::InitMedia();
    // A port nobody listens on: bound, then closed again.
    quint16 port = 0;
    const int probe = LoopbackSocket(&port, false);
    ASSERT_GE(probe, 0);
    close(probe);
    MediaEngine engine;
    QStringList errors;
    QObject::connect(&engine, &MediaEngine::ErrorOccurred, [&](const QString& text) { errors << text; });
    ASSERT_TRUE(engine.Open(QString("mms://127.0.0.1:%1/live").arg(port)))
        << "the protocol is known: " << engine.LastError().toStdString();
    engine.Play();
    ASSERT_TRUE(WaitFor([&] { return !errors.isEmpty(); }));
    EXPECT_EQ(engine.LastFailure(), MediaFailure::CannotConnect) << engine.LastError().toStdString();
}

TEST(MmsSourceFailures, StopWhileTheServerSaysNothingReturnsAtOnce) {
    platform::InitMedia();
    // Accepts the connection and never answers.
    quint16 port = 0;
    const int listener = LoopbackSocket(&port);
    ASSERT_GE(listener, 0);
    MediaEngine engine;
    ASSERT_TRUE(engine.Open(QString("mmsh://127.0.0.1:%1/live").arg(port)));
    engine.Play();
    // The connection is made: the source now waits for the answer.
    pollfd waiting{listener, POLLIN, 0};
    ASSERT_EQ(poll(&waiting, 1, kPatience), 1);
    const int client = accept(listener, nullptr, nullptr);
    engine.Close();  // would wait for the server's silence to run out if the source could not be stopped
    EXPECT_EQ(engine.CurrentState(), MediaEngine::State::Stopped);
    close(client);
    close(listener);
}

// A name server that does not answer until the test lets it.
std::atomic<bool> lookupEntered{false};
std::atomic<bool> lookupReleased{false};
int SlowLookup(const char* host, const char* service, const addrinfo* hints, addrinfo** found) {
    lookupEntered = true;
    while (!lookupReleased) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return getaddrinfo(host, service, hints, found);
}

TEST(MmsSourceFailures, StopWhileTheNameIsLookedUpReturnsAtOnce) {
    platform::InitMedia();
    platform::SetMmsResolver(&SlowLookup);
    MediaEngine engine;
    ASSERT_TRUE(engine.Open(QStringLiteral("mms://localhost:9/live")));
    engine.Play();
    ASSERT_TRUE(WaitFor([&] { return lookupEntered.load(); }));
    engine.Close();  // would wait for the name server here if the lookup held the source
    EXPECT_EQ(engine.CurrentState(), MediaEngine::State::Stopped);
    lookupReleased = true;
    platform::SetMmsResolver(nullptr);
}

}  // namespace
