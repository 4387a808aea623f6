// The decoders chosen for MP3 and AAC, and the sound sink chosen when none is forced.
#include "plugins/winamp/media_defaults.h"
#include "platform/media_engine.h"
#include "platform/media_warm_up.h"
#include "plugins/winamp/decode_graph.h"
#include "plugins/winamp/held_sink.h"
#include "plugins/winamp/warmed_graph.h"
#include "plugins/winamp/winamp_plugin.h"
#include "tests/loopback_socket.h"
#include "tests/media_fixtures.h"
#include "tests/test_support.h"
#include "tests/winamp_test_support.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>

#include <gst/app/gstappsink.h>
#include <gst/app/gstappsrc.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;

bool Installed(const char* factory) {
    GstElementFactory* found = gst_element_factory_find(factory);
    if (found) gst_object_unref(found);
    return found != nullptr;
}

bool PluginLoaded(const char* name) {
    GstPlugin* plugin = gst_registry_find_plugin(gst_registry_get(), name);
    const bool loaded = plugin && gst_plugin_is_loaded(plugin);
    if (plugin) gst_object_unref(plugin);
    return loaded;
}

std::string FactoryName(GstElement* element) {
    GstElementFactory* factory = element ? gst_element_get_factory(element) : nullptr;
    return factory ? GST_OBJECT_NAME(factory) : "";
}

// The audio decoder decodebin plugged for the file, after preroll.
std::string AudioDecoderFor(const QString& path) {
    const std::string description = "filesrc location=\"" + path.toStdString() + "\" ! decodebin ! fakesink";
    GstElement* pipeline = gst_parse_launch(description.c_str(), nullptr);
    if (!pipeline) return "no pipeline";
    gst_element_set_state(pipeline, GST_STATE_PAUSED);
    gst_element_get_state(pipeline, nullptr, nullptr, 10 * GST_SECOND);
    std::string decoder;
    GstIterator* all = gst_bin_iterate_recurse(GST_BIN(pipeline));
    GValue item = G_VALUE_INIT;
    while (gst_iterator_next(all, &item) == GST_ITERATOR_OK) {
        GstElement* element = GST_ELEMENT(g_value_get_object(&item));
        GstElementFactory* factory = gst_element_get_factory(element);
        const char* klass = factory ? gst_element_factory_get_metadata(factory, GST_ELEMENT_METADATA_KLASS) : nullptr;
        if (klass && std::strstr(klass, "Decoder") && std::strstr(klass, "Audio")) decoder = FactoryName(element);
        g_value_reset(&item);
    }
    g_value_unset(&item);
    gst_iterator_free(all);
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(pipeline);
    return decoder;
}

using namespace winamp_test;

int written = 0;
int CountOpen(int, int, int, int, int) { return 1000; }
int CountWrite(char*, int length) { return written += length, 0; }
int CountRoom() { return 1 << 20; }
int CountPause(int) { return 0; }
int CountTime() { return 0; }
void CountInt(int) {}
void CountWindow(void*) {}
Out_Module countingOutput = {VELMORA_OUT_MODULE_VERSION, "counting", 97, nullptr, nullptr, CountWindow,
                             CountWindow, HostVoid, HostVoid, CountOpen, HostVoid, CountWrite, CountRoom, HostZero,
                             CountPause, CountInt, CountInt, CountInt, CountTime, CountTime};

In_Module* ShippedInput() {
    auto entry = reinterpret_cast<GetInModuleProc>(KeptEntry("input.dll", VELMORA_IN_MODULE_ENTRY));
    if (!entry) return nullptr;
    In_Module* in = entry();
    in->Init();
    SetHostCallbacks(in);
    in->outMod = &countingOutput;
    return in;
}

class Mp3Decoder : public ::testing::Test {
protected:
    void SetUp() override {
        platform::InitMedia();
        if (!Installed("mpg123audiodec") || !Installed("avdec_mp3"))
            GTEST_SKIP() << "the choice only arises with both MP3 decoders installed";
        mp3_ = MakeMedia(dir_.path(), QStringLiteral("tone"), MediaKind::Mp3, 1.0);
        ASSERT_FALSE(mp3_.isEmpty());
    }
    QTemporaryDir dir_;
    QString mp3_;
};

TEST_F(Mp3Decoder, TheEngineDecodesMp3WithMpg123) {
    EXPECT_EQ(AudioDecoderFor(mp3_), "mpg123audiodec");
}

TEST(AacDecoder, TheEngineDecodesAacInMp4WithFaad) {
    platform::InitMedia();
    if (!Installed("faad") || !Installed("avdec_aac") || !Installed("avenc_aac"))
        GTEST_SKIP() << "the choice only arises with both AAC decoders installed";
    QTemporaryDir dir;
    const QString m4a = MakeMedia(dir.path(), QStringLiteral("tone"), MediaKind::M4a, 1.0);
    ASSERT_FALSE(m4a.isEmpty());
    EXPECT_EQ(AudioDecoderFor(m4a), "faad");
}

// The input plug-in sets the ranks itself: it may be loaded by a host that never started the engine.
TEST_F(Mp3Decoder, TheInputPluginPlaysMp3WithoutLoadingLibav) {
    GstPluginFeature* mpg123 = gst_registry_lookup_feature(gst_registry_get(), "mpg123audiodec");
    gst_plugin_feature_set_rank(mpg123, GST_RANK_MARGINAL);  // as installed, before anyone chose
    gst_object_unref(mpg123);
    ASSERT_FALSE(PluginLoaded("libav")) << "an earlier step of this process loaded it";
    In_Module* in = ShippedInput();
    ASSERT_NE(in, nullptr);
    written = 0;
    ASSERT_EQ(in->Play(mp3_.toUtf8().constData()), 0);
    for (int i = 0; i < 500 && written == 0; ++i) std::this_thread::sleep_for(10ms);
    in->Stop();
    EXPECT_GT(written, 0);
    EXPECT_FALSE(PluginLoaded("libav"));
}

// A start with a file readies GStreamer beside the windows; its guess at the decoders must be the
// engine's choice, never the heavy one the installed ranks would give.
TEST_F(Mp3Decoder, TheWarmUpForAnMp3LoadsTheGraphsPluginsAndMpg123ButNotLibav) {
    GstPluginFeature* mpg123 = gst_registry_lookup_feature(gst_registry_get(), "mpg123audiodec");
    gst_plugin_feature_set_rank(mpg123, GST_RANK_MARGINAL);  // as installed, before anyone chose
    gst_object_unref(mpg123);
    ASSERT_FALSE(PluginLoaded("libav")) << "an earlier step of this process loaded it";
    { const platform::MediaWarmUp warmUp(mp3_); }
    for (int i = 0; i < platform::kWarmedElementCount; ++i) {
        GstPluginFeature* feature = gst_registry_lookup_feature(gst_registry_get(), platform::kWarmedElements[i]);
        GstPlugin* plugin = feature ? gst_plugin_feature_get_plugin(feature) : nullptr;
        EXPECT_TRUE(plugin && gst_plugin_is_loaded(plugin)) << platform::kWarmedElements[i];
        if (plugin) gst_object_unref(plugin);
        if (feature) gst_object_unref(feature);
    }
    EXPECT_TRUE(PluginLoaded("mpg123"));
    EXPECT_TRUE(PluginLoaded("typefindfunctions"));
    EXPECT_FALSE(PluginLoaded("libav"));
    EXPECT_EQ(AudioDecoderFor(mp3_), "mpg123audiodec") << "the ranks the engine sets hold after the warm-up";
}

// The output's elements are loaded as soon as the start is decoded; the plug-ins for later files
// only once the graph is taken, so their loading does not hold up the output's making. An MP3's
// start needs no type finding at all.
TEST_F(Mp3Decoder, TheWarmUpLoadsWhatLaterFilesNeedOnlyOnceItsGraphIsTaken) {
    ASSERT_FALSE(PluginLoaded("typefindfunctions")) << "an earlier step of this process loaded it";
    const platform::MediaWarmUp::ServerHold noHold{nullptr};
    const platform::MediaWarmUp warmUp(mp3_, noHold);
    EXPECT_TRUE(winamp_test::WaitFor([] { return PluginLoaded("audiofx"); })) << "the output's panorama";
    std::this_thread::sleep_for(300ms);  // past the loading's wait for the output, were it not taken
    EXPECT_FALSE(PluginLoaded("typefindfunctions")) << "loaded before the graph was taken";
    gchar* uri = gst_filename_to_uri(QFile::encodeName(mp3_).constData(), nullptr);
    GstElement* taken = VelmoraTakeWarmedGraph(uri);
    g_free(uri);
    ASSERT_NE(taken, nullptr);
    gst_element_set_state(taken, GST_STATE_NULL);
    gst_object_unref(taken);
    EXPECT_TRUE(winamp_test::WaitFor([] { return PluginLoaded("typefindfunctions"); }))
        << "the plug-ins for later files were never loaded";
}

// The warm-up decodes the start of a regular local file only: a stream would be connected to
// twice, and a pipe's read would block the close. What it cannot decode still gets the likely
// decoders loaded.
TEST_F(Mp3Decoder, TheWarmUpDecodesOnlyRegularLocalFilesAndOtherwiseLoadsTheLikelyDecoders) {
    ASSERT_FALSE(PluginLoaded("mpg123")) << "an earlier step of this process loaded it";
    const platform::MediaWarmUp::ServerHold noHold{nullptr};
    std::atomic<int> connections{0};
    {
        const LoopbackServer server([&connections](int) { ++connections; });
        const QString url = QStringLiteral("http://127.0.0.1:%1/live.mp3").arg(server.Port());
        { const platform::MediaWarmUp warmUp(url, noHold); }
        std::this_thread::sleep_for(200ms);
    }
    EXPECT_EQ(connections.load(), 0) << "the warm-up connected to a stream";
    EXPECT_TRUE(PluginLoaded("mpg123")) << "the likely decoders were not loaded for a stream";

    const QString pipe = dir_.filePath(QStringLiteral("pipe.mp3"));
    ASSERT_EQ(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    { const platform::MediaWarmUp warmUp(pipe, noHold); }  // a read of it would never end
    EXPECT_FALSE(PluginLoaded("libav")) << "the heavy decoder was taken for likely";

    // A file no type finder names is tried by all of them, the heavy decoder's plug-in among them,
    // as the engine's own opening of it would: only its ending is asked for here.
    const QString noise = dir_.filePath(QStringLiteral("noise.mp3"));
    QFile file(noise);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("no song at all\n") > 0);
    file.close();
    { const platform::MediaWarmUp warmUp(noise, noHold); }
}

// The warm-up offers the input plug-in its prerolled decoding graph of the start's file: only for
// that file, once, and not past its own end nor past another engine's opening of the entry.
TEST_F(Mp3Decoder, TheWarmUpOffersItsPrerolledGraphOnceOnlyForItsFileAndNotPastItsEnd) {
    const platform::MediaWarmUp::ServerHold longHold{nullptr, std::chrono::hours(1)};
    gchar* name = gst_filename_to_uri(QFile::encodeName(mp3_).constData(), nullptr);
    const std::string uri = name;
    g_free(name);
    {
        const platform::MediaWarmUp warmUp(mp3_, longHold);
        GstElement* graph = VelmoraTakeWarmedGraph(uri.c_str());  // waits for the preroll
        ASSERT_NE(graph, nullptr);
        GstState state = GST_STATE_VOID_PENDING;
        EXPECT_EQ(gst_element_get_state(graph, &state, nullptr, 0), GST_STATE_CHANGE_SUCCESS);
        EXPECT_EQ(state, GST_STATE_PAUSED);
        velmora_input::DecodeGraph parts;
        EXPECT_TRUE(velmora_input::FindDecodeGraph(graph, &parts)) << "not the plug-in's graph";
        GstSample* first = parts.sink ? gst_app_sink_try_pull_preroll(GST_APP_SINK(parts.sink), 0) : nullptr;
        EXPECT_NE(first, nullptr) << "offered before its first data was decoded";
        if (first) gst_sample_unref(first);
        gst_element_set_state(graph, GST_STATE_NULL);
        gst_object_unref(graph);
        EXPECT_EQ(VelmoraTakeWarmedGraph(uri.c_str()), nullptr) << "offered twice";
    }
    {
        const platform::MediaWarmUp warmUp(mp3_, longHold);
        EXPECT_EQ(VelmoraTakeWarmedGraph("file:///music/other.mp3"), nullptr);
        EXPECT_EQ(VelmoraTakeWarmedGraph(uri.c_str()), nullptr) << "kept after an entry of another file";
    }
    {
        const platform::MediaWarmUp warmUp(mp3_, longHold);
        platform::LetWarmedGraphGo();  // the entry opened in another engine, before the preroll ended
        EXPECT_EQ(VelmoraTakeWarmedGraph(uri.c_str()), nullptr) << "kept after another engine opened the entry";
    }
    {
        const platform::MediaWarmUp warmUp(mp3_, longHold);
        std::this_thread::sleep_for(300ms);
    }
    EXPECT_EQ(VelmoraTakeWarmedGraph(uri.c_str()), nullptr) << "kept past the warm-up's end";
}

// The set-up may run beside the application object's making, the loading only once allowed; a
// player that closes before allowing it loads nothing and is not kept waiting.
TEST_F(Mp3Decoder, TheWarmUpLoadsOnlyOnceAllowed) {
    ASSERT_FALSE(PluginLoaded("mpg123")) << "an earlier step of this process loaded it";
    {
        const platform::MediaWarmUp warmUp(mp3_, platform::MediaWarmUp::Loads::WhenAllowed);
        std::this_thread::sleep_for(200ms);
        EXPECT_FALSE(PluginLoaded("mpg123")) << "loaded before it was allowed";
    }
    EXPECT_FALSE(PluginLoaded("mpg123")) << "loaded while it went";
    {
        platform::MediaWarmUp warmUp(mp3_, platform::MediaWarmUp::Loads::WhenAllowed);
        warmUp.AllowLoads();
    }
    EXPECT_TRUE(PluginLoaded("mpg123")) << "an allowed loading ends before the warm-up goes";
}

// AudioSpecificConfigs written bit by bit: object type (5 bits, 31 escapes to 32 + 6 bits),
// rate index, channels, then what the type carries.
constexpr guint8 kLcConfig[] = {0x12, 0x10};  // LC, 44.1 kHz, stereo
// HE-AAC signalled explicitly: type 5, 24 kHz, stereo, SBR at 48 kHz, core type 2 (LC).
constexpr guint8 kHeConfig[] = {0x2B, 0x11, 0x88};
// ER AAC ELD (type 39), 48 kHz, mono, 512-sample frames, no SBR, no extensions, no error protection.
constexpr guint8 kEldConfig[] = {0xF8, 0xE6, 0x20, 0x00};
constexpr guint8 kSsrConfig[] = {0x19, 0x90};  // SSR, 44.1 kHz, stereo

TEST(AacObjectType, ReadFromTheCodecDataWithEscapesAndExplicitSbr) {
    EXPECT_EQ(velmora_media::AacObjectType(kLcConfig, sizeof kLcConfig), 2);
    EXPECT_EQ(velmora_media::AacObjectType(kHeConfig, sizeof kHeConfig), 2);
    EXPECT_EQ(velmora_media::AacObjectType(kEldConfig, sizeof kEldConfig), 39);
    EXPECT_EQ(velmora_media::AacObjectType(kSsrConfig, sizeof kSsrConfig), 3);
    EXPECT_EQ(velmora_media::AacObjectType(kEldConfig, 1), 0) << "the escape runs past the end";
    EXPECT_EQ(velmora_media::AacObjectType(kHeConfig, 2), 0) << "the core type runs past the end";
    EXPECT_EQ(velmora_media::AacObjectType(nullptr, 0), 0);
    EXPECT_TRUE(velmora_media::FaadDecodes(2));
    EXPECT_TRUE(velmora_media::FaadDecodes(23));
    EXPECT_FALSE(velmora_media::FaadDecodes(3));
    EXPECT_FALSE(velmora_media::FaadDecodes(39));
}

// Every audio decoder a decodebin inside a watched bin tried for raw AAC with the given codec
// data, in the order tried. The frames are silence of no real profile: the choice is made on the
// caps, before any frame is decoded.
std::vector<std::string> AacDecodersTried(const guint8* config, gsize size) {
    GstElement* pipeline = gst_pipeline_new(nullptr);
    platform::WatchDecoderChoice(pipeline);
    std::vector<std::string> tried;
    g_signal_connect(pipeline, "deep-element-added", G_CALLBACK(+[](GstBin*, GstBin*, GstElement* e, gpointer into) {
        GstElementFactory* factory = gst_element_get_factory(e);
        const char* klass = factory ? gst_element_factory_get_metadata(factory, GST_ELEMENT_METADATA_KLASS) : nullptr;
        if (klass && std::strstr(klass, "Decoder") && std::strstr(klass, "Audio"))
            static_cast<std::vector<std::string>*>(into)->push_back(GST_OBJECT_NAME(factory));
    }), &tried);
    GstElement* source = gst_element_factory_make("appsrc", nullptr);
    GstElement* decode = gst_element_factory_make("decodebin", nullptr);
    GstElement* sink = velmora_media::MakeSilentSink();
    GstBuffer* codecData = gst_buffer_new_memdup(config, size);
    GstCaps* caps = gst_caps_new_simple("audio/mpeg", "mpegversion", G_TYPE_INT, 4, "stream-format", G_TYPE_STRING, "raw",
                                        "rate", G_TYPE_INT, 48000, "channels", G_TYPE_INT, 1, "codec_data",
                                        GST_TYPE_BUFFER, codecData, nullptr);
    g_object_set(source, "caps", caps, "format", GST_FORMAT_TIME, nullptr);
    gst_caps_unref(caps);
    gst_buffer_unref(codecData);
    gst_bin_add_many(GST_BIN(pipeline), source, decode, sink, nullptr);
    gst_element_link(source, decode);
    g_signal_connect(decode, "pad-added", G_CALLBACK(+[](GstElement*, GstPad* pad, gpointer to) {
        GstPad* in = gst_element_get_static_pad(GST_ELEMENT(to), "sink");
        if (!gst_pad_is_linked(in)) gst_pad_link(pad, in);
        gst_object_unref(in);
    }), sink);
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    for (int i = 0; i < 3; ++i) {
        GstBuffer* frame = gst_buffer_new_allocate(nullptr, 64, nullptr);
        gst_buffer_memset(frame, 0, 0, 64);
        gst_app_src_push_buffer(GST_APP_SRC(source), frame);
    }
    gst_app_src_end_of_stream(GST_APP_SRC(source));
    GstBus* bus = gst_element_get_bus(pipeline);
    GstMessage* end = gst_bus_timed_pop_filtered(bus, 10 * GST_SECOND, GstMessageType(GST_MESSAGE_ERROR | GST_MESSAGE_EOS));
    if (end) gst_message_unref(end);
    gst_object_unref(bus);
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(pipeline);
    return tried;
}

class AacProfiles : public ::testing::Test {
protected:
    void SetUp() override {
        platform::InitMedia();
        if (!Installed("faad") || !Installed("avdec_aac"))
            GTEST_SKIP() << "the choice only arises with both AAC decoders installed";
    }
};

TEST_F(AacProfiles, LcAndHeAacStayWithFaad) {
    EXPECT_EQ(AacDecodersTried(kLcConfig, sizeof kLcConfig), std::vector<std::string>{"faad"});
    EXPECT_EQ(AacDecodersTried(kHeConfig, sizeof kHeConfig), std::vector<std::string>{"faad"});
}

// faad refuses AAC-ELD caps; libav decodes them, so faad is not even tried.
TEST_F(AacProfiles, AacEldGoesStraightToLibav) {
    EXPECT_EQ(AacDecodersTried(kEldConfig, sizeof kEldConfig), std::vector<std::string>{"avdec_aac"});
    EXPECT_EQ(AacDecodersTried(kSsrConfig, sizeof kSsrConfig), std::vector<std::string>{"avdec_aac"});
}

class SoundSink : public ::testing::Test {
protected:
    void SetUp() override {
        platform::InitMedia();
        const char* wanted = std::getenv("VELMORA_AUDIO_SINK");
        saved_ = wanted ? wanted : "";
        unsetenv("VELMORA_AUDIO_SINK");
    }
    void TearDown() override {
        if (!saved_.empty()) setenv("VELMORA_AUDIO_SINK", saved_.c_str(), 1);
    }
    static std::string Chosen(GstElement* sink) {
        const std::string name = FactoryName(sink);
        gst_element_set_state(sink, GST_STATE_NULL);
        gst_object_unref(gst_object_ref_sink(sink));
        return name;
    }
    std::string saved_;
};

// A sound server named by PULSE_SERVER has no socket in the runtime folder; the player must not
// decide by itself that there is no sound.
TEST_F(SoundSink, GStreamerChoosesWhenSilenceIsNotAsked) {
    if (!Installed("autoaudiosink")) GTEST_SKIP() << "no automatic sink installed";
    QTemporaryDir runtime;
    const QByteArray savedRuntime = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
    qputenv("PULSE_SERVER", "tcp:127.0.0.1:1");
    const std::string chosen = Chosen(velmora_media::MakeSoundSink());
    qputenv("XDG_RUNTIME_DIR", savedRuntime);
    qunsetenv("PULSE_SERVER");
    EXPECT_EQ(chosen, "autoaudiosink");
}

TEST_F(SoundSink, ASinkThatCannotOpenGivesWayToTheSilentSink) {
    if (!Installed("osssink")) GTEST_SKIP() << "no sink with a device to refuse";
    GstElement* refusing = gst_element_factory_make("osssink", nullptr);
    g_object_set(refusing, "device", "/nonexistent/dsp", nullptr);
    GstElement* sink = velmora_media::OpenedOrSilent(refusing);
    gboolean sync = FALSE;
    g_object_get(sink, "sync", &sync, nullptr);
    EXPECT_TRUE(sync) << "a silent sink must still keep the clock's pace";
    EXPECT_EQ(Chosen(sink), "fakesink");
}

TEST_F(SoundSink, TestsAskForSilenceAndGetItAtOnce) {
    setenv("VELMORA_AUDIO_SINK", "fakesink", 1);
    EXPECT_EQ(Chosen(velmora_media::MakeSoundSink()), "fakesink");
}

// The warm-up holds the server's connection open for the output to share; the player's close
// must not wait out the hold (an hour here: a close that waited would time the test out).
TEST_F(SoundSink, TheWarmUpHoldsTheServerOpenUntilItGoes) {
    const QString mp3 = QStringLiteral("/music/first.mp3");  // only its extension counts
    {
        const platform::MediaWarmUp warmUp(mp3, {"fakesink", std::chrono::hours(1)});
        for (int i = 0; i < 1000 && !warmUp.HoldsServer(); ++i) std::this_thread::sleep_for(10ms);
        EXPECT_TRUE(warmUp.HoldsServer());
    }
    // A sink that cannot open holds nothing and keeps nobody waiting, nor does a silent start.
    { const platform::MediaWarmUp warmUp(mp3, {"no-such-sink", std::chrono::hours(1)}); }
    setenv("VELMORA_AUDIO_SINK", "fakesink", 1);
    {
        const platform::MediaWarmUp warmUp(mp3, {"fakesink", std::chrono::hours(1)});
        std::this_thread::sleep_for(200ms);
        EXPECT_FALSE(warmUp.HoldsServer()) << "a silent start connects to no server";
    }
}

// An audio sink that plays nothing, counted while it lives, registered above every installed one
// so the automatic choice would open it first.
std::atomic<int> liveTestSinks{0};
void (*testSinkParentFinalize)(GObject*) = nullptr;

const char* RegisterTopAudioSink() {
    static const char* const name = [] {
        GstElement* probe = gst_element_factory_make("fakesink", nullptr);  // registers its type
        gst_object_unref(gst_object_ref_sink(probe));
        const GType parent = g_type_from_name("GstFakeSink");
        GTypeQuery query;
        g_type_query(parent, &query);
        const GType type = g_type_register_static_simple(
            parent, "VelmoraTopAudioSink", query.class_size,
            [](gpointer klass, gpointer) {
                gst_element_class_set_static_metadata(GST_ELEMENT_CLASS(klass), "top audio sink", "Sink/Audio",
                                                      "plays nothing", "tests");
                testSinkParentFinalize = G_OBJECT_CLASS(g_type_class_peek_parent(klass))->finalize;
                G_OBJECT_CLASS(klass)->finalize = [](GObject* object) {
                    --liveTestSinks;
                    testSinkParentFinalize(object);
                };
            },
            query.instance_size, [](GTypeInstance*, gpointer) { ++liveTestSinks; }, GTypeFlags(0));
        gst_element_register(nullptr, "velmoratopaudiosink", GST_RANK_PRIMARY + 100, type);
        return "velmoratopaudiosink";
    }();
    return name;
}

// The output's first graph plays into the sink the warm-up opened instead of opening a second
// one; only a sink the automatic choice would have opened is handed over, and only once. One not
// taken is closed at the end of the hold.
TEST_F(SoundSink, TheWarmUpHandsItsOpenedSinkOverOnceWhenTheAutomaticChoiceWouldOpenItFirst) {
    const QString mp3 = QStringLiteral("/music/first.mp3");  // only its extension counts
    const char* top = RegisterTopAudioSink();
    {
        const platform::MediaWarmUp warmUp(mp3, {top, std::chrono::hours(1)});
        GstElement* held = nullptr;
        for (int i = 0; i < 1000 && !held; ++i) {
            held = VelmoraTakeHeldSink();
            if (!held) std::this_thread::sleep_for(10ms);
        }
        ASSERT_NE(held, nullptr) << "the opened sink was not handed over";
        EXPECT_EQ(FactoryName(held), top);
        GstState state = GST_STATE_VOID_PENDING;
        gst_element_get_state(held, &state, nullptr, 0);
        EXPECT_EQ(state, GST_STATE_READY) << "handed over unopened";
        EXPECT_EQ(VelmoraTakeHeldSink(), nullptr) << "handed over twice";
        gst_element_set_state(held, GST_STATE_NULL);
        gst_object_unref(held);
    }
    EXPECT_EQ(liveTestSinks.load(), 0) << "the warm-up closed or kept a sink it had handed over";
    {
        // Not among the automatic choice's sinks at all: the output would have opened another.
        const platform::MediaWarmUp warmUp(mp3, {"fakesink", std::chrono::hours(1)});
        for (int i = 0; i < 1000 && !warmUp.HoldsServer(); ++i) std::this_thread::sleep_for(10ms);
        ASSERT_TRUE(warmUp.HoldsServer());
        EXPECT_EQ(VelmoraTakeHeldSink(), nullptr) << "a sink the automatic choice would not open";
    }
    {
        const platform::MediaWarmUp warmUp(mp3, {top, 300ms});
        for (int i = 0; i < 1000 && !warmUp.HoldsServer(); ++i) std::this_thread::sleep_for(10ms);
        for (int i = 0; i < 1000 && warmUp.HoldsServer(); ++i) std::this_thread::sleep_for(10ms);
        EXPECT_EQ(VelmoraTakeHeldSink(), nullptr) << "offered past the hold";
        EXPECT_EQ(liveTestSinks.load(), 0) << "a sink not taken was left open";
    }
}

// Held only a while: a connection kept for good would outlive a restart of the server.
TEST_F(SoundSink, TheWarmUpLetsTheServerGoAfterItsHold) {
    const platform::MediaWarmUp warmUp(QStringLiteral("/music/first.mp3"), {"fakesink", 300ms});
    bool held = false;
    for (int i = 0; i < 1000 && !held; ++i) {
        held = warmUp.HoldsServer();
        std::this_thread::sleep_for(10ms);
    }
    EXPECT_TRUE(held);
    for (int i = 0; i < 1000 && warmUp.HoldsServer(); ++i) std::this_thread::sleep_for(10ms);
    EXPECT_FALSE(warmUp.HoldsServer());
}

}  // namespace
