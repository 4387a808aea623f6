// The output plug-in plays its first graph into the sound sink the player's start opened, when the
// program hands one over, and closes it with that graph; a later graph opens its own.
#include "plugins/winamp/held_sink.h"
#include "plugins/winamp/winamp_plugin.h"
#include "tests/winamp_test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <utility>
#include <vector>

namespace {

using namespace winamp_test;

GstElement* handed = nullptr;
int asked = 0;

TEST(HeldSink, TheOutputPlaysIntoTheHandedSinkAndClosesItWithItsGraph) {
    gst_init(nullptr, nullptr);
    setenv("VELMORA_AUDIO_SINK", "fakesink", 1);  // what it opens itself plays nothing either
    auto entry = reinterpret_cast<GetOutModuleProc>(KeptEntry("output.dll", VELMORA_OUT_MODULE_ENTRY));
    ASSERT_NE(entry, nullptr);
    Out_Module* out = entry();

    // As the warm-up holds it: sunk and opened.
    GstElement* sink = GST_ELEMENT(gst_object_ref_sink(gst_element_factory_make("fakesink", "handed")));
    ASSERT_NE(sink, nullptr);
    g_object_set(sink, "sync", TRUE, nullptr);
    ASSERT_NE(gst_element_set_state(sink, GST_STATE_READY), GST_STATE_CHANGE_FAILURE);
    bool gone = false;
    g_object_weak_ref(G_OBJECT(sink), [](gpointer flag, GObject*) { *static_cast<bool*>(flag) = true; }, &gone);
    handed = sink;  // the program's reference goes to the plug-in

    ASSERT_GE(out->Open(44100, 2, 16, -1, -1), 0);
    EXPECT_EQ(handed, nullptr) << "not taken";
    GstObject* graph = gst_object_get_parent(GST_OBJECT(sink));
    ASSERT_NE(graph, nullptr) << "taken but not played into";
    EXPECT_STREQ(GST_OBJECT_NAME(graph), "velmora-output");
    gst_object_unref(graph);
    std::vector<short> tone(44100 / 2 * 2);
    for (std::size_t i = 0; i < tone.size(); ++i) tone[i] = short(i % 100 * 200);
    out->Write(reinterpret_cast<char*>(tone.data()), int(tone.size() * sizeof(short)));
    EXPECT_TRUE(WaitFor([out] { return out->GetOutputTime() > 100; })) << "nothing played";
    out->Close();
    EXPECT_TRUE(gone) << "the handed sink outlived its graph";

    ASSERT_GE(out->Open(44100, 2, 16, -1, -1), 0);
    EXPECT_EQ(asked, 2) << "a later graph did not ask, or the first asked twice";
    out->Write(reinterpret_cast<char*>(tone.data()), int(tone.size() * sizeof(short)));
    EXPECT_TRUE(WaitFor([out] { return out->GetOutputTime() > 100; })) << "its own sink plays nothing";
    out->Close();
}

}  // namespace

// The program's side, as the player exports it: hands over what it holds, once.
extern "C" GstElement* VelmoraTakeHeldSink() {
    ++asked;
    return std::exchange(handed, nullptr);
}
