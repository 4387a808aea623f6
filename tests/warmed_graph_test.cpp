// The input plug-in plays the decoding graph the player's start-up prerolled for the entry, when
// the program offers one; with an equaliser that would have shaped its decoded start, it plays a
// graph of its own.
#include "plugins/winamp/decode_graph.h"
#include "plugins/winamp/warmed_graph.h"
#include "tests/media_fixtures.h"
#include "tests/winamp_test_support.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <atomic>
#include <cstring>
#include <string>
#include <utility>

namespace {

using namespace winamp_test;

// What the plug-in asked the program for, and the graph the program offers.
std::string asked;
GstElement* offered = nullptr;

std::atomic<long long> written{0};
int CountOpen(int, int, int, int, int) { return 1000; }
int CountWrite(char*, int length) { return written += length, 0; }
int CountRoom() { return 1 << 20; }
int CountPause(int) { return 0; }
int CountTime() { return 0; }
void CountInt(int) {}
void CountWindow(void*) {}
Out_Module countingOutput = {VELMORA_OUT_MODULE_VERSION, "counting", 98, nullptr, nullptr, CountWindow,
                             CountWindow, HostVoid, HostVoid, CountOpen, HostVoid, CountWrite, CountRoom, HostZero,
                             CountPause, CountInt, CountInt, CountInt, CountTime, CountTime};

GstState StateOf(GstElement* pipeline) {
    GstState state = GST_STATE_VOID_PENDING;
    gst_element_get_state(pipeline, &state, nullptr, 5 * GST_SECOND);
    return state;
}

class WarmedGraph : public ::testing::Test {
protected:
    void SetUp() override {
        gst_init(nullptr, nullptr);
        mp3_ = MakeMedia(dir_.path(), QStringLiteral("tone"), MediaKind::Mp3, 1.0);
        ASSERT_FALSE(mp3_.isEmpty());
        gchar* uri = gst_filename_to_uri(QFile::encodeName(mp3_).constData(), nullptr);
        uri_ = uri;
        g_free(uri);
        auto entry = reinterpret_cast<GetInModuleProc>(KeptEntry("input.dll", VELMORA_IN_MODULE_ENTRY));
        ASSERT_NE(entry, nullptr);
        in_ = entry();
        in_->Init();
        SetHostCallbacks(in_);
        in_->outMod = &countingOutput;
        written = 0;
        asked.clear();
    }
    void TearDown() override {
        if (in_) in_->Stop();
        if (watched_) gst_object_unref(watched_);
        if (offered) gst_object_unref(std::exchange(offered, nullptr));
    }

    // Offers a prerolled graph of `uri` and keeps a reference of its own to watch it.
    void Offer(const std::string& uri) {
        velmora_input::DecodeGraph graph;
        ASSERT_TRUE(velmora_input::MakeDecodeGraph(uri, &graph));
        gst_element_set_state(graph.pipeline, GST_STATE_PAUSED);
        ASSERT_EQ(StateOf(graph.pipeline), GST_STATE_PAUSED);
        watched_ = GST_ELEMENT(gst_object_ref(graph.pipeline));
        offered = graph.pipeline;
    }

    void SetEqualiser(int on, int band) {
        char bands[10];
        std::memset(bands, band, sizeof bands);
        in_->EQSet(on, bands, 32);
    }

    QTemporaryDir dir_;
    QString mp3_;
    std::string uri_;
    In_Module* in_ = nullptr;
    GstElement* watched_ = nullptr;
};

TEST_F(WarmedGraph, TheOfferedGraphOfTheEntryIsPlayedAndStoppedByThePlugIn) {
    SetEqualiser(1, 32);  // on, but flat: the offered start is what it would have made
    Offer(uri_);
    ASSERT_EQ(in_->Play(QFile::encodeName(mp3_).constData()), 0);
    EXPECT_EQ(asked, uri_);
    EXPECT_EQ(offered, nullptr) << "not taken";
    EXPECT_EQ(StateOf(watched_), GST_STATE_PLAYING) << "the plug-in made a graph of its own";
    EXPECT_TRUE(WaitFor([] { return written > 0; })) << "nothing decoded from the offered graph";
    in_->Stop();
    EXPECT_EQ(StateOf(watched_), GST_STATE_NULL) << "the taken graph outlived the stop";
}

TEST_F(WarmedGraph, WithAShapingEqualiserThePlugInLetsTheOfferedGraphGoAndDecodesAfresh) {
    SetEqualiser(1, 10);  // every band raised: the offered start went through a flat one
    Offer(uri_);
    ASSERT_EQ(in_->Play(QFile::encodeName(mp3_).constData()), 0);
    EXPECT_EQ(StateOf(watched_), GST_STATE_NULL) << "the offered graph was played or kept";
    EXPECT_TRUE(WaitFor([] { return written > 0; }));
    in_->Stop();
}

}  // namespace

// The program's side, as the player exports it, without its matching of the entry (which the
// warm-up's test checks): hands over what is offered.
extern "C" GstElement* VelmoraTakeWarmedGraph(const char* uri) {
    asked = uri ? uri : "";
    return std::exchange(offered, nullptr);
}
