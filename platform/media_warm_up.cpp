#include "platform/media_warm_up.h"

#include <gst/gst.h>
#include <sys/stat.h>

#include <QFile>
#include <cstring>
#include <functional>
#include <string>

#include "plugins/winamp/media_defaults.h"

namespace platform {

const char* const kWarmedElements[] = {
    "uridecodebin", "decodebin", "filesrc",   "typefind",     "audioconvert", "volume",         "equalizer-10bands",
    "audioresample", "capsfilter", "appsink", "appsrc",       "audiobuffersplit", "audiopanorama", "fakesink",
    "autoaudiosink",
};
const int kWarmedElementCount = int(std::size(kWarmedElements));

namespace {

std::string ExtensionOf(const QString& path) {
    const QString name = path.section(QLatin1Char('/'), -1);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? name.mid(dot + 1).toLower().toStdString() : std::string();
}

void Load(GstPluginFeature* feature) {
    if (!feature) return;
    if (GstPluginFeature* loaded = gst_plugin_feature_load(feature)) gst_object_unref(loaded);
    gst_object_unref(feature);
}

bool Claims(GstTypeFindFactory* finder, const std::string& extension) {
    const gchar* const* extensions = gst_type_find_factory_get_extensions(finder);
    for (; extensions && *extensions; ++extensions)
        if (extension == *extensions) return true;
    return false;
}

// The first (best ranked) element of `ranked` of a kind taking `caps`, or null.
GstElementFactory* FirstOfKind(GList* ranked, GstCaps* caps, const char* kind) {
    GList* taking = gst_element_factory_list_filter(ranked, caps, GST_PAD_SINK, FALSE);
    GstElementFactory* first = nullptr;
    for (GList* i = taking; i && !first; i = i->next) {
        const gchar* klass = gst_element_factory_get_metadata(GST_ELEMENT_FACTORY(i->data), GST_ELEMENT_METADATA_KLASS);
        if (klass && std::strstr(klass, kind)) first = GST_ELEMENT_FACTORY(gst_object_ref(i->data));
    }
    gst_plugin_feature_list_free(taking);
    return first;
}

// The demuxer, parser and decoder automatic plugging would most likely take for a file of this
// extension: for every type the type finders name it by, the best ranked of each kind.
void LoadDecodersFor(const std::string& extension) {
    if (extension.empty()) return;
    GList* ranked = gst_element_factory_list_get_elements(GST_ELEMENT_FACTORY_TYPE_DECODABLE, GST_RANK_MARGINAL);
    ranked = g_list_sort(ranked, gst_plugin_feature_rank_compare_func);
    GList* finders = gst_type_find_factory_get_list();
    for (GList* i = finders; i; i = i->next) {
        auto* finder = GST_TYPE_FIND_FACTORY(i->data);
        GstCaps* caps = Claims(finder, extension) ? gst_type_find_factory_get_caps(finder) : nullptr;
        if (!caps) continue;
        for (const char* kind : {"Demuxer", "Parser", "Decoder"})
            Load(GST_PLUGIN_FEATURE(FirstOfKind(ranked, caps, kind)));
    }
    gst_plugin_feature_list_free(finders);
    gst_plugin_feature_list_free(ranked);
}

// `extension` empty: the decoders are loaded already.
void LoadPlugins(const std::string& extension) {
    GstRegistry* registry = gst_registry_get();
    for (const char* name : kWarmedElements) Load(gst_registry_lookup_feature(registry, name));
    // Most type finders live in one plug-in, which one of them loads; each of the others is a
    // plug-in of its own, seldom needed to tell a file's type.
    Load(gst_registry_lookup_feature(registry, "application/x-id3v2"));
    LoadDecodersFor(extension);
}

// Every stream the decoding finds goes into a fake sink of its own, so that all of them preroll.
void SinkEveryStream(GstElement*, GstPad* pad, gpointer pipeline) {
    GstElement* sink = gst_element_factory_make("fakesink", nullptr);
    if (!sink) return;
    g_object_set(sink, "sync", FALSE, nullptr);
    gst_bin_add(GST_BIN(pipeline), sink);
    gst_element_sync_state_with_parent(sink);
    GstPad* target = gst_element_get_static_pad(sink, "sink");
    gst_pad_link(pad, target);
    gst_object_unref(target);
}

bool IsRegularFile(const std::string& file) {
    struct stat status {};
    return !file.empty() && file.front() == '/' && stat(file.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

// The file's start decoded into nothing: the type finding, demuxer, parser and decoder the engine
// will take are then loaded and made once, and the file's first blocks read, so that the engine's
// own opening finds them ready. Only a regular local file: a stream would be connected to twice,
// and a pipe or a device could block the read past the player's close. False when the file
// could not be decoded (or the player went first).
bool PrerollFile(const std::string& file, const std::function<bool()>& going) {
    constexpr int kSlices = 20;  // of 50 ms: a file that takes longer is left to the engine
    if (!IsRegularFile(file)) return false;
    gchar* uri = gst_filename_to_uri(file.c_str(), nullptr);
    GstElement* decode = uri ? gst_element_factory_make("uridecodebin", nullptr) : nullptr;
    if (!decode) {
        g_free(uri);
        return false;
    }
    g_object_set(decode, "uri", uri, nullptr);
    g_free(uri);
    GstElement* pipeline = GST_ELEMENT(gst_object_ref_sink(gst_pipeline_new("velmora-warm-up")));
    velmora_media::SkipFaadWhereItCannotDecode(pipeline);
    gst_bin_add(GST_BIN(pipeline), decode);
    g_signal_connect(decode, "pad-added", G_CALLBACK(SinkEveryStream), pipeline);
    bool prerolled = false;
    if (gst_element_set_state(pipeline, GST_STATE_PAUSED) != GST_STATE_CHANGE_FAILURE) {
        GstBus* bus = gst_element_get_bus(pipeline);
        for (int slice = 0; slice < kSlices && !going(); ++slice) {
            GstMessage* message = gst_bus_timed_pop_filtered(bus, 50 * GST_MSECOND,
                                                             GstMessageType(GST_MESSAGE_ERROR | GST_MESSAGE_ASYNC_DONE));
            if (!message) continue;
            prerolled = GST_MESSAGE_TYPE(message) == GST_MESSAGE_ASYNC_DONE;
            gst_message_unref(message);
            break;
        }
        gst_object_unref(bus);
    }
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(pipeline);
    return prerolled;
}

// The server's sink opened (connected), or null when it cannot be.
GstElement* OpenServerSink(const char* factory) {
    GstElement* sink = gst_element_factory_make(factory, nullptr);
    if (!sink) return nullptr;
    gst_object_ref_sink(sink);
    if (gst_element_set_state(sink, GST_STATE_READY) != GST_STATE_CHANGE_FAILURE) return sink;
    gst_element_set_state(sink, GST_STATE_NULL);
    gst_object_unref(sink);
    return nullptr;
}

}  // namespace

MediaWarmUp::MediaWarmUp(const QString& path, ServerHold hold, Loads loads)
    : loadsAllowed_(loads == Loads::Now), thread_(&MediaWarmUp::Run, this, ExtensionOf(path), std::string(QFile::encodeName(path).constData()), hold) {}

MediaWarmUp::~MediaWarmUp() {
    {
        std::lock_guard guard(lock_);
        goes_ = true;
    }
    going_.notify_all();
    thread_.join();
}

void MediaWarmUp::AllowLoads() {
    {
        std::lock_guard guard(lock_);
        loadsAllowed_ = true;
    }
    going_.notify_all();
}

bool MediaWarmUp::HoldsServer() const {
    std::lock_guard guard(lock_);
    return holds_;
}

bool MediaWarmUp::Going() const {
    std::lock_guard guard(lock_);
    return goes_;
}

void MediaWarmUp::Run(const std::string& extension, const std::string& file, ServerHold hold) {
    if (!gst_init_check(nullptr, nullptr, nullptr)) return;
    {
        std::unique_lock guard(lock_);
        going_.wait(guard, [this] { return loadsAllowed_ || goes_; });
        if (!loadsAllowed_) return;  // gone first: nothing will be played
    }
    // The ranks first, as every engine sets them, so nothing here could pick the heavy decoder.
    velmora_media::PreferLightDecoders();
    // The connection first: the output needs it as soon as the first block is decoded.
    GstElement* sink = nullptr;
    if (!velmora_media::SilentSinkWanted() && hold.sink) sink = OpenServerSink(hold.sink);
    const bool prerolled = PrerollFile(file, [this] { return Going(); });
    LoadPlugins(prerolled ? std::string() : extension);
    if (!sink) return;  // no server: the output finds its own way, as without the warm-up
    std::unique_lock guard(lock_);
    holds_ = true;
    // Held only for the start: a connection kept for good would outlive a restart of the server.
    going_.wait_for(guard, hold.most, [this] { return goes_; });
    holds_ = false;
    guard.unlock();
    gst_element_set_state(sink, GST_STATE_NULL);
    gst_object_unref(sink);
}

}  // namespace platform
