// A local MPEG audio file is decoded by the elements automatic plugging would choose, put together
// without finding the file's type; anything that does not show MPEG audio frames at its start
// goes through automatic plugging as before.
#include "plugins/winamp/decode_graph.h"
#include "plugins/winamp/media_defaults.h"
#include "plugins/winamp/mpeg_audio_start.h"
#include "tests/fifo_watchdog.h"
#include "tests/gst_encode.h"
#include "tests/media_fixtures.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <set>
#include <string>
#include <vector>

namespace {

using velmora_input::DecodeGraph;
using velmora_input::MakeDecodeGraph;

std::string UriOf(const QString& path) {
    gchar* uri = gst_filename_to_uri(QFile::encodeName(path).constData(), nullptr);
    std::string text = uri ? uri : "";
    g_free(uri);
    return text;
}

std::string FactoryOf(GstElement* element) {
    GstElementFactory* factory = gst_element_get_factory(element);
    return factory ? GST_OBJECT_NAME(factory) : "";
}

// What a decoding graph did with a file: the elements that decoded it (type finding and the
// bins around them left out), and what came out.
struct Decoded {
    bool direct = false;  // put together without automatic plugging
    std::vector<std::string> chain;
    int rate = 0;
    int channels = 0;
    gsize frames = 0;
    bool failed = false;
};

void Record(GstBin*, GstBin*, GstElement* element, gpointer chain) {
    static const std::set<std::string> around{"uridecodebin", "decodebin", "typefind", "filesrc", "multiqueue"};
    const std::string name = FactoryOf(element);
    if (!name.empty() && !around.count(name)) static_cast<std::vector<std::string>*>(chain)->push_back(name);
}

QByteArray Bytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool Write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// The MP3 without its ID3v2 tag.
QByteArray Untagged(const QByteArray& mp3) {
    if (!mp3.startsWith("ID3") || mp3.size() < 10) return mp3;
    int size = 0;
    for (int i = 6; i < 10; ++i) size = size << 7 | (quint8(mp3[i]) & 0x7F);
    return mp3.mid(10 + size);
}

class MpegDecoding : public ::testing::Test {
protected:
    void SetUp() override {
        gst_init(nullptr, nullptr);
        velmora_media::PreferLightDecoders();  // as every engine does before its first graph
        tagged_ = MakeMedia(dir_.path(), QStringLiteral("tagged"), MediaKind::Mp3, 1.0);
        ASSERT_FALSE(tagged_.isEmpty());
        plain_ = dir_.filePath(QStringLiteral("plain.mp3"));
        ASSERT_TRUE(Write(plain_, Untagged(Bytes(tagged_))));
    }

    QString WithBytes(const QString& name, const QByteArray& bytes) {
        const QString path = dir_.filePath(name);
        EXPECT_TRUE(Write(path, bytes));
        return path;
    }

    // The file decoded to its end through the input plug-in's graph, or through a uridecodebin
    // on its own when `automatic`.
    static Decoded Decode(const QString& path, bool automatic = false) {
        Decoded decoded;
        const std::string uri = UriOf(path);
        GstElement* pipeline = nullptr;
        GstElement* sink = nullptr;
        if (automatic) {
            const std::string description =
                "uridecodebin uri=" + uri + " ! audioconvert ! audio/x-raw,format=S16LE ! appsink name=sink sync=false";
            pipeline = gst_parse_launch(description.c_str(), nullptr);
            sink = pipeline ? gst_bin_get_by_name(GST_BIN(pipeline), "sink") : nullptr;
            if (sink) gst_object_unref(sink);  // the pipeline holds it
        } else {
            DecodeGraph graph;
            if (!MakeDecodeGraph(uri, &graph)) return decoded.failed = true, decoded;
            pipeline = graph.pipeline;
            sink = graph.sink;
            decoded.direct = FactoryOf(graph.decode) != "uridecodebin";
            if (decoded.direct) {
                GstIterator* children = gst_bin_iterate_sorted(GST_BIN(graph.decode));
                GValue item = G_VALUE_INIT;
                while (gst_iterator_next(children, &item) == GST_ITERATOR_OK) {
                    const std::string name = FactoryOf(GST_ELEMENT(g_value_get_object(&item)));
                    if (name != "filesrc") decoded.chain.insert(decoded.chain.begin(), name);  // sinks first
                    g_value_reset(&item);
                }
                g_value_unset(&item);
                gst_iterator_free(children);
            }
        }
        if (!pipeline || !sink) return decoded.failed = true, decoded;
        if (!decoded.direct) g_signal_connect(pipeline, "deep-element-added", G_CALLBACK(Record), &decoded.chain);
        gst_element_set_state(pipeline, GST_STATE_PLAYING);
        for (;;) {
            GstSample* sample = nullptr;
            g_signal_emit_by_name(sink, "try-pull-sample", GstClockTime(5 * GST_SECOND), &sample);
            if (!sample) break;
            if (decoded.rate == 0) {
                const GstStructure* s = gst_caps_get_structure(gst_sample_get_caps(sample), 0);
                gst_structure_get_int(s, "rate", &decoded.rate);
                gst_structure_get_int(s, "channels", &decoded.channels);
            }
            decoded.frames += gst_buffer_get_size(gst_sample_get_buffer(sample));
            gst_sample_unref(sample);
        }
        if (decoded.channels > 0) decoded.frames /= gsize(2 * decoded.channels);  // 16-bit samples
        GstBus* bus = gst_element_get_bus(pipeline);
        GstMessage* error = gst_bus_pop_filtered(bus, GST_MESSAGE_ERROR);
        decoded.failed = error != nullptr || decoded.frames == 0;
        if (error) gst_message_unref(error);
        gst_object_unref(bus);
        gst_element_set_state(pipeline, GST_STATE_NULL);
        gst_object_unref(pipeline);
        return decoded;
    }

    // Decodes the file both ways and expects the same elements and the same sound out.
    void ExpectAsAutomaticPlugging(const QString& path) {
        SCOPED_TRACE(path.toStdString());
        const Decoded direct = Decode(path);
        const Decoded automatic = Decode(path, true);
        ASSERT_FALSE(automatic.failed);
        ASSERT_FALSE(direct.failed);
        EXPECT_TRUE(direct.direct) << "the file went through type finding";
        EXPECT_EQ(direct.chain, automatic.chain);
        EXPECT_EQ(direct.rate, automatic.rate);
        EXPECT_EQ(direct.channels, automatic.channels);
        EXPECT_EQ(direct.frames, automatic.frames) << "a different length decoded";
    }

    QTemporaryDir dir_;
    QString tagged_;
    QString plain_;
};

TEST_F(MpegDecoding, TaggedAndUntaggedMp3sAreDecodedByTheElementsAutomaticPluggingChooses) {
    ExpectAsAutomaticPlugging(tagged_);
    ExpectAsAutomaticPlugging(plain_);
    // An ID3v1 tag at the end goes through the tag demuxer too, which keeps it out of the sound.
    QByteArray v1 = Bytes(plain_) + QByteArray("TAG") + QByteArray(125, ' ');
    ExpectAsAutomaticPlugging(WithBytes(QStringLiteral("v1.mp3"), v1));
}

TEST_F(MpegDecoding, OtherRatesAndLayersAreDecodedAsAutomaticPluggingWould) {
    struct Case {
        const char* name;
        const char* caps;
        const char* encoder;
    };
    const Case cases[] = {
        {"mono22.mp3", "rate=22050,channels=1", "lamemp3enc"},     // MPEG-2 layer 3
        {"eight.mp3", "rate=8000,channels=1", "lamemp3enc"},       // MPEG-2.5
        {"cbr48.mp3", "rate=48000,channels=2", "lamemp3enc target=bitrate bitrate=256 cbr=true"},
        {"layer2.mp2", "rate=44100,channels=2", "avenc_mp2"},      // MPEG-1 layer 2
    };
    for (const Case& c : cases) {
        const QString encoder = QString::fromLatin1(c.encoder).section(u' ', 0, 0);
        if (!HaveElements({encoder})) continue;  // the other cases still run
        const QString path = dir_.filePath(QString::fromLatin1(c.name));
        ASSERT_TRUE(EncodeWith(QStringLiteral("audiotestsrc num-buffers=40 ! audio/x-raw,%1 ! audioconvert ! %2 ! "
                                              "filesink location=%3")
                                   .arg(QLatin1String(c.caps), QLatin1String(c.encoder), path)));
        ExpectAsAutomaticPlugging(path);
    }
}

TEST_F(MpegDecoding, WhatDoesNotShowMpegFramesGoesThroughAutomaticPluggingAndStillPlays) {
    const QByteArray plain = Bytes(plain_);
    // A WAV file by another name, an APE tag (read by a demuxer of its own), data before the
    // first frame, and a file that ends inside its second frame.
    const QString wav = MakeMedia(dir_.path(), QStringLiteral("wave"), MediaKind::Wav, 0.5);
    ASSERT_FALSE(wav.isEmpty());
    QByteArray ape("APETAGEX");
    ape += QByteArray::fromHex("d0070000200000000000000000000080") + QByteArray(8, '\0');
    const QString playable[] = {
        WithBytes(QStringLiteral("wave.mp3"), Bytes(wav)),
        WithBytes(QStringLiteral("ape.mp3"), plain + ape),
        WithBytes(QStringLiteral("junk.mp3"), QByteArray(100, '\0') + plain),
    };
    for (const QString& path : playable) {
        SCOPED_TRACE(path.toStdString());
        const Decoded decoded = Decode(path);
        EXPECT_FALSE(decoded.direct);
        EXPECT_FALSE(decoded.failed) << "the file no longer plays";
    }
    const QString cut = WithBytes(QStringLiteral("cut.mp3"), plain.left(600));
    DecodeGraph graph;
    ASSERT_TRUE(MakeDecodeGraph(UriOf(cut), &graph));
    EXPECT_EQ(FactoryOf(graph.decode), "uridecodebin");
    gst_object_unref(graph.pipeline);
}

TEST_F(MpegDecoding, AFifoNamedLikeAnMp3IsNeitherWaitedOnNorTakenForOne) {
    const QString path = dir_.filePath(QStringLiteral("pipe.mp3"));
    testing_support::FifoWatchdog fifo(path);
    ASSERT_TRUE(fifo.Made());
    std::string decode;
    fifo.Run([&] {
        DecodeGraph graph;
        if (!MakeDecodeGraph(UriOf(path), &graph)) return;
        decode = FactoryOf(graph.decode);
        gst_object_unref(graph.pipeline);
    });
    EXPECT_FALSE(fifo.Released()) << "the graph's making waited for a writer";
    EXPECT_EQ(decode, "uridecodebin");
}

TEST(MpegFrameHeader, LengthsAreThoseOfTheStandardsTables) {
    struct Case {
        unsigned char header[4];
        std::size_t length;
        int version, layer, rate, channels;
    };
    const Case cases[] = {
        {{0xFF, 0xFB, 0x90, 0x00}, 417, 1, 3, 44100, 2},  // 128 kbit/s
        {{0xFF, 0xFB, 0x92, 0xC0}, 418, 1, 3, 44100, 1},  // padded, mono
        {{0xFF, 0xF3, 0xA4, 0x00}, 288, 2, 3, 24000, 2},  // MPEG-2, 96 kbit/s: 72 * 96000 / 24000
        {{0xFF, 0xE3, 0x18, 0x00}, 72, 3, 3, 8000, 2},    // MPEG-2.5, 8 kbit/s
        {{0xFF, 0xFD, 0xA4, 0x00}, 576, 1, 2, 48000, 2},  // layer 2, 192 kbit/s
        {{0xFF, 0xFF, 0xC4, 0x00}, 384, 1, 1, 48000, 2},  // layer 1, 384 kbit/s
    };
    for (const Case& c : cases) {
        velmora_input::MpegAudioStart start;
        EXPECT_EQ(velmora_input::MpegFrameLength(c.header, &start), c.length);
        EXPECT_EQ(start.version, c.version);
        EXPECT_EQ(start.layer, c.layer);
        EXPECT_EQ(start.rate, c.rate);
        EXPECT_EQ(start.channels, c.channels);
    }
    // Free format, a bad bitrate, the reserved version, layer, rate and emphasis, no sync.
    const unsigned char refused[][4] = {{0xFF, 0xFB, 0x00, 0x00}, {0xFF, 0xFB, 0xF0, 0x00}, {0xFF, 0xEB, 0x90, 0x00},
                                        {0xFF, 0xF9, 0x90, 0x00}, {0xFF, 0xFB, 0x9C, 0x00}, {0xFF, 0xFB, 0x90, 0x02},
                                        {0xFE, 0xFB, 0x90, 0x00}};
    for (const auto& header : refused) EXPECT_EQ(velmora_input::MpegFrameLength(header), 0u);
}

}  // namespace
