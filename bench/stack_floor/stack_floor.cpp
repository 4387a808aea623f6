// The floor under the player's memory and first sound: a bare Qt window of the main window's size
// that plays its argument through playbin, with the same light decoders ranked first and the sink
// chosen as the player chooses it (the silent one under VELMORA_AUDIO_SINK=fakesink, as the
// benchmarks set, else GStreamer's own choice). Built as stack_floor/velmora, so the first-sound
// benchmark can measure it as an install folder:
//   xvfb-run -a build/bench/bench_first_sound 5 --libs --install build/bench/stack_floor
#include <gst/gst.h>

#include <QApplication>
#include <QWidget>

#include "plugins/winamp/media_defaults.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.resize(275, 116);
    window.show();
    if (argc > 1) {
        gst_init(nullptr, nullptr);
        velmora_media::PreferLightDecoders();
        GstElement* play = gst_element_factory_make("playbin", nullptr);
        GstElement* sink = velmora_media::MakeSoundSink();
        gchar* uri = gst_filename_to_uri(argv[1], nullptr);
        g_object_set(play, "uri", uri, "audio-sink", sink, nullptr);
        g_free(uri);
        gst_element_set_state(play, GST_STATE_PLAYING);
    }
    return app.exec();
}
