// A GStreamer tracer for the first-sound benchmark: it notes the moment the first audio buffer
// holding anything but silence reaches a sink element, on the monotonic clock, in the file named
// by VELMORA_FIRST_SOUND_FILE. Loaded from outside (GST_PLUGIN_PATH, GST_TRACERS), so the
// player is measured as it ships, whichever sink it picked. The same file gets the phases before
// it, one "name ns" line each: "init" when GStreamer was set up (the tracer is made then) and
// "source" when the first source element was put into a graph (the engine began to open the file).
#include <gst/gst.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

namespace {

std::atomic<bool> g_noted{false};
std::atomic<bool> g_sourceNoted{false};

long long NowNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

// Phases go first into a file of their own: the benchmark takes the sound file's presence as
// the end of the start.
void NotePhase(const char* name, long long ns) {
    const char* path = std::getenv("VELMORA_FIRST_SOUND_FILE");
    if (!path) return;
    const std::string phases = std::string(path) + ".phases";
    if (FILE* file = std::fopen(phases.c_str(), "a")) {
        std::fprintf(file, "%s %lld\n", name, ns);
        std::fclose(file);
    }
}

bool IsAudioSink(GstPad* pad) {
    GstPad* peer = gst_pad_get_peer(pad);
    if (!peer) return false;
    GstObject* parent = gst_pad_get_parent(peer);
    bool sink = false;
    if (parent && GST_IS_ELEMENT(parent) && GST_OBJECT_FLAG_IS_SET(parent, GST_ELEMENT_FLAG_SINK)) {
        // The decoder's appsink hands audio on inside the process; it is not where sound is heard.
        GstElementFactory* factory = gst_element_get_factory(GST_ELEMENT(parent));
        sink = !(factory && std::strcmp(GST_OBJECT_NAME(factory), "appsink") == 0);
    }
    if (sink) {
        GstCaps* caps = gst_pad_get_current_caps(peer);
        sink = caps && gst_caps_get_size(caps) > 0 &&
               std::strcmp(gst_structure_get_name(gst_caps_get_structure(caps, 0)), "audio/x-raw") == 0;
        if (caps) gst_caps_unref(caps);
    }
    if (parent) gst_object_unref(parent);
    gst_object_unref(peer);
    return sink;
}

bool HasSound(GstBuffer* buffer) {
    GstMapInfo map;
    if (!gst_buffer_map(buffer, &map, GST_MAP_READ)) return false;
    bool sound = false;
    for (gsize i = 0; i < map.size && !sound; ++i) sound = map.data[i] != 0;
    gst_buffer_unmap(buffer, &map);
    return sound;
}

void Note() {
    if (g_noted.exchange(true)) return;
    const long long ns = NowNs();
    const char* path = std::getenv("VELMORA_FIRST_SOUND_FILE");
    if (!path) return;
    if (FILE* file = std::fopen(path, "w")) {
        std::fprintf(file, "%lld\n", ns);
        std::fclose(file);
    }
}

void OnPush(GObject*, GstClockTime, GstPad* pad, GstBuffer* buffer) {
    if (g_noted.load() || !IsAudioSink(pad) || !HasSound(buffer)) return;
    Note();
}

void OnPushList(GObject*, GstClockTime, GstPad* pad, GstBufferList* list) {
    if (g_noted.load() || !IsAudioSink(pad)) return;
    for (guint i = 0; i < gst_buffer_list_length(list); ++i)
        if (HasSound(gst_buffer_list_get(list, i))) return Note();
}

// The first source put in a bin; on a start with a local file, the warm-up's, whose graph the
// input plug-in takes over.
void OnBinAdd(GObject*, GstClockTime, GstBin*, GstElement* element, gboolean added) {
    if (!added || g_sourceNoted.load() || !GST_OBJECT_FLAG_IS_SET(element, GST_ELEMENT_FLAG_SOURCE)) return;
    if (!g_sourceNoted.exchange(true)) NotePhase("source", NowNs());
}

}  // namespace

extern "C" {

typedef struct {
    GstTracer parent;
} FirstSoundTracer;
typedef struct {
    GstTracerClass parent_class;
} FirstSoundTracerClass;

G_DEFINE_TYPE(FirstSoundTracer, first_sound_tracer, GST_TYPE_TRACER)

static void first_sound_tracer_class_init(FirstSoundTracerClass*) {}

static void first_sound_tracer_init(FirstSoundTracer* self) {
    gst_tracing_register_hook(GST_TRACER(self), "pad-push-pre", G_CALLBACK(OnPush));
    gst_tracing_register_hook(GST_TRACER(self), "pad-push-list-pre", G_CALLBACK(OnPushList));
    gst_tracing_register_hook(GST_TRACER(self), "bin-add-post", G_CALLBACK(OnBinAdd));
    NotePhase("init", NowNs());
}

static gboolean plugin_init(GstPlugin* plugin) {
    return gst_tracer_register(plugin, "velmorafirstsound", first_sound_tracer_get_type());
}

#define PACKAGE "velmora-bench"
GST_PLUGIN_DEFINE(GST_VERSION_MAJOR, GST_VERSION_MINOR, velmorafirstsound, "first sound at the sink",
                  plugin_init, "1.0", "LGPL", PACKAGE, "velmora")
}
