// The graph's sound chain by the samples it hands its sink for a tone whose left and right sides
// differ: the MPEG audio decoder's dual mode (and which member answers for it), and the device
// levels on top of the balance.
#include <gtest/gtest.h>
#include <gst/audio/audio.h>

#include <QtCore/qtestsupport_core.h>

#include <algorithm>
#include <cmath>
#include <mutex>

#include "directshow/filter.h"
#include "directshow/filter_graph.h"
#include "directshow/gst_filter.h"
#include "directshow/sys_dev_enum.h"
#include "platform/media_engine.h"
#include "tests/gst_encode.h"
#include "tests/test_support.h"

using namespace directshow;

namespace {

constexpr int kPatience = 20000;  // ms; only an upper bound for waits

// What reached the sound sink: the loudest sample of each side and the frames whose sides differ.
struct SinkTap {
    std::mutex lock;
    double peakLeft = 0, peakRight = 0;
    long frames = 0, unequal = 0;

    void Reset() {
        std::lock_guard guard(lock);
        peakLeft = peakRight = 0;
        frames = unequal = 0;
    }
    long Frames() {
        std::lock_guard guard(lock);
        return frames;
    }

    static GstPadProbeReturn OnBuffer(GstPad* pad, GstPadProbeInfo* info, gpointer data) {
        auto* tap = static_cast<SinkTap*>(data);
        GstCaps* caps = gst_pad_get_current_caps(pad);
        GstAudioInfo audio;
        const bool known = caps && gst_audio_info_from_caps(&audio, caps);
        if (caps) gst_caps_unref(caps);
        if (!known || GST_AUDIO_INFO_CHANNELS(&audio) != 2) return GST_PAD_PROBE_OK;
        const GstAudioFormat format = GST_AUDIO_INFO_FORMAT(&audio);
        GstMapInfo map;
        if (!gst_buffer_map(GST_PAD_PROBE_INFO_BUFFER(info), &map, GST_MAP_READ)) return GST_PAD_PROBE_OK;
        std::lock_guard guard(tap->lock);
        const auto sample = [&](gsize index) -> double {
            if (format == GST_AUDIO_FORMAT_S16LE) return reinterpret_cast<const qint16*>(map.data)[index] / 32768.0;
            if (format == GST_AUDIO_FORMAT_F32LE) return reinterpret_cast<const float*>(map.data)[index];
            if (format == GST_AUDIO_FORMAT_S32LE) return reinterpret_cast<const qint32*>(map.data)[index] / 2147483648.0;
            return 0.0;
        };
        const gsize count = map.size / gsize(GST_AUDIO_INFO_BPF(&audio));
        for (gsize frame = 0; frame < count; ++frame) {
            const double left = sample(2 * frame), right = sample(2 * frame + 1);
            tap->peakLeft = std::max(tap->peakLeft, std::abs(left));
            tap->peakRight = std::max(tap->peakRight, std::abs(right));
            if (left != right) ++tap->unequal;
            ++tap->frames;
        }
        gst_buffer_unmap(GST_PAD_PROBE_INFO_BUFFER(info), &map);
        return GST_PAD_PROBE_OK;
    }
};

// The sink a render linked for sound, found beside the member's element in the graph's pipeline.
GstElement* SoundSink(GstElement* member) {
    GstObject* pipeline = GST_OBJECT_PARENT(member);
    if (!pipeline || !GST_IS_BIN(pipeline)) return nullptr;
    GstIterator* sinks = gst_bin_iterate_sinks(GST_BIN(pipeline));
    GstElement* found = nullptr;
    GValue item = G_VALUE_INIT;
    while (!found && gst_iterator_next(sinks, &item) == GST_ITERATOR_OK) {
        auto* element = GST_ELEMENT(g_value_get_object(&item));
        GstPad* pad = gst_element_get_static_pad(element, "sink");
        GstCaps* caps = pad ? gst_pad_get_current_caps(pad) : nullptr;
        if (caps && gst_structure_has_name(gst_caps_get_structure(caps, 0), "audio/x-raw")) found = element;
        if (caps) gst_caps_unref(caps);
        if (pad) gst_object_unref(pad);
        g_value_reset(&item);
    }
    g_value_unset(&item);
    gst_iterator_free(sinks);
    return found;
}

class DualModeTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::MediaEngine::SetAudioOut(platform::AudioOut::Fake);
        if (!HaveElements({"mpg123audiodec", "interleave", "wavenc"})) GTEST_SKIP() << "no MPEG audio decoder here";
        // Left: a 440 Hz tone at half scale; right: 1 kHz at a fifth. Two seconds.
        tone = folder.path() + "/sides.wav";
        const QString side = "audiotestsrc num-buffers=200 samplesperbuffer=441 freq=%1 volume=%2 ! "
                             "audio/x-raw,format=S16LE,channels=1,rate=44100 ! ";
        ASSERT_TRUE(EncodeWith(side.arg(440).arg(0.5) +
                               "interleave name=i ! audioconvert ! audio/x-raw,format=S16LE,channels=2,rate=44100 ! "
                               "wavenc ! filesink location=" + tone + " " + side.arg(1000).arg(0.2) + "i."));
        filter.BaseFilter().SetMoniker(MakeFactoryMoniker("mpg123audiodec", kMpegAudioDecoderName));
        filter.SetFilterGraph(&graph);
        graph.SetActive(true);
        ASSERT_NE(filter.GetFilter(), nullptr);
    }

    // Renders the tone, taps its sound sink and plays until a second of frames has passed it.
    void PlaySome() {
        ASSERT_EQ(graph.RenderFile(tone), S_OK);
        GstElement* sink = SoundSink(filter.GetFilter()->Element());
        ASSERT_NE(sink, nullptr);
        GstPad* pad = gst_element_get_static_pad(sink, "sink");
        gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_BUFFER, &SinkTap::OnBuffer, &tap, nullptr);
        gst_object_unref(pad);
        tap.Reset();
        graph.Run();
        WaitForFrames(22050);
    }
    void WaitForFrames(long frames) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return tap.Frames() >= frames; }, kPatience));
    }

    testing_support::TempFolder folder;
    QString tone;
    TFilterGraph graph;
    TFilter filter;
    SinkTap tap;
};

TEST_F(DualModeTest, BothSidesAsTheyComeByDefault) {
    IMpegAudioDecoder* decoder = filter.QueryMpegAudioDecoder();
    ASSERT_NE(decoder, nullptr);
    unsigned long mode = 9;
    EXPECT_EQ(decoder->get_DualMode(&mode), S_OK);
    EXPECT_EQ(mode, 0u);
    PlaySome();
    std::lock_guard guard(tap.lock);
    EXPECT_NEAR(tap.peakLeft, 0.5, 0.05);
    EXPECT_NEAR(tap.peakRight, 0.2, 0.05);
    EXPECT_GT(tap.unequal, tap.frames / 2);
}

TEST_F(DualModeTest, LeftOrRightIsHeardOnBothSides) {
    IMpegAudioDecoder* decoder = filter.QueryMpegAudioDecoder();
    ASSERT_NE(decoder, nullptr);
    ASSERT_EQ(decoder->put_DualMode(AM_MPEG_AUDIO_DUAL_LEFT), S_OK);
    PlaySome();
    {
        std::lock_guard guard(tap.lock);
        EXPECT_EQ(tap.unequal, 0);
        EXPECT_NEAR(tap.peakLeft, 0.5, 0.05);
        EXPECT_NEAR(tap.peakRight, 0.5, 0.05);
    }
    // A change while playing holds from the next buffer on.
    ASSERT_EQ(decoder->put_DualMode(AM_MPEG_AUDIO_DUAL_RIGHT), S_OK);
    QTest::qWait(100);
    tap.Reset();
    WaitForFrames(4410);
    {
        std::lock_guard guard(tap.lock);
        EXPECT_EQ(tap.unequal, 0);
        EXPECT_NEAR(tap.peakLeft, 0.2, 0.05);
        EXPECT_NEAR(tap.peakRight, 0.2, 0.05);
    }
    // The mode outlasts the render: the next file is heard the same way.
    graph.Stop();
    graph.ClearGraph();
    PlaySome();
    std::lock_guard guard(tap.lock);
    EXPECT_EQ(tap.unequal, 0);
    EXPECT_NEAR(tap.peakLeft, 0.2, 0.05);
}

TEST_F(DualModeTest, DeviceLevelsScaleEachSideOnTopOfTheGraphsBalance) {
    graph.SetDeviceLevels(0.5, 1.0);
    PlaySome();
    {
        std::lock_guard guard(tap.lock);
        EXPECT_NEAR(tap.peakLeft, 0.25, 0.03);
        EXPECT_NEAR(tap.peakRight, 0.2, 0.03);
    }
    // -6 dB of balance to the left halves the right side too.
    ASSERT_EQ(graph.put_Balance(-602), S_OK);
    QTest::qWait(100);
    tap.Reset();
    WaitForFrames(4410);
    std::lock_guard guard(tap.lock);
    EXPECT_NEAR(tap.peakLeft, 0.25, 0.03);
    EXPECT_NEAR(tap.peakRight, 0.1, 0.02);
}

TEST_F(DualModeTest, OnlyTheMpegAudioDecoderInAnActiveGraphAnswers) {
    unsigned long mode = 0;
    IMpegAudioDecoder* decoder = filter.QueryMpegAudioDecoder();
    ASSERT_NE(decoder, nullptr);
    EXPECT_EQ(decoder->put_DualMode(3), E_INVALIDARG);
    EXPECT_EQ(decoder->get_DualMode(&mode), S_OK);
    EXPECT_EQ(mode, 0u) << "a mode beyond right changes nothing";

    TFilter other;
    other.BaseFilter().SetMoniker(MakeFactoryMoniker("identity", "Identity"));
    other.SetFilterGraph(&graph);
    EXPECT_EQ(other.QueryMpegAudioDecoder(), nullptr);

    graph.SetActive(false);
    EXPECT_EQ(filter.QueryMpegAudioDecoder(), nullptr);
    other.SetFilterGraph(nullptr);
}

}  // namespace
