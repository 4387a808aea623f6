#include "platform/media_warm_up.h"

#include <gst/gst.h>
#include <dlfcn.h>
#include <sys/stat.h>

#include <QFile>
#include <condition_variable>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <utility>

#include "plugins/winamp/decode_graph.h"
#include "plugins/winamp/held_sink.h"
#include "plugins/winamp/media_defaults.h"
#include "plugins/winamp/warmed_graph.h"

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

// The demuxer, parser and decoder automatic plugging would most likely take for a file of this
// extension: for every type the type finders name it by, the best ranked of each kind.
void LoadDecodersFor(const std::string& extension) {
    if (extension.empty()) return;
    GList* ranked = velmora_media::RankedDecodables();
    GList* finders = gst_type_find_factory_get_list();
    for (GList* i = finders; i; i = i->next) {
        auto* finder = GST_TYPE_FIND_FACTORY(i->data);
        GstCaps* caps = Claims(finder, extension) ? gst_type_find_factory_get_caps(finder) : nullptr;
        if (!caps) continue;
        for (const char* kind : {"Demuxer", "Parser", "Decoder"})
            Load(GST_PLUGIN_FEATURE(velmora_media::FirstOfKind(ranked, caps, kind)));
    }
    gst_plugin_feature_list_free(finders);
    gst_plugin_feature_list_free(ranked);
}

// The output plug-in's own elements (the rest of its graph is in the decoding graph).
const char* const kOutputElements[] = {"appsrc", "volume", "audiopanorama"};

// `extension` empty: the decoders are loaded already.
void LoadPlugins(const std::string& extension) {
    GstRegistry* registry = gst_registry_get();
    for (const char* name : kWarmedElements) Load(gst_registry_lookup_feature(registry, name));
    // Most type finders live in one plug-in, which one of them loads; each of the others is a
    // plug-in of its own, seldom needed to tell a file's type.
    Load(gst_registry_lookup_feature(registry, "application/x-id3v2"));
    LoadDecodersFor(extension);
}

bool IsRegularFile(const std::string& file) {
    struct stat status {};
    return !file.empty() && file.front() == '/' && stat(file.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

// The input plug-in's decoding graph for the start's file, offered to the plug-in once prerolled
// (warmed_graph.h): one at a time. Pending from the warm-up's making until its thread settles it,
// so the plug-in's asking never misses a graph on its way; any asking ends the offer, and so does
// the warm-up's end, so a graph nobody takes does not stay.
struct Offer {
    enum class State { Pending, Made, Closed };
    std::mutex lock;
    std::condition_variable settled;
    State state = State::Closed;
    bool asked = false;  // the plug-in asked: what is still on its way is let go
    std::string uri;
    GstElement* pipeline = nullptr;  // while Made
};

Offer& TheOffer() {
    static Offer* const offer = new Offer;  // never destroyed: no order to mind at exit
    return *offer;
}

// Stops a graph or closes a sink, and drops the reference.
void Release(GstElement* element) {
    if (!element) return;
    gst_element_set_state(element, GST_STATE_NULL);
    gst_object_unref(element);
}

// A new warm-up's offer, pending before its thread runs. False while another warm-up's is still
// pending: that one settles its own, and this warm-up offers nothing.
bool OpenOffer() {
    Offer& offer = TheOffer();
    GstElement* left = nullptr;
    {
        std::lock_guard guard(offer.lock);
        if (offer.state == Offer::State::Pending) return false;
        left = std::exchange(offer.pipeline, nullptr);
        offer.state = Offer::State::Pending;
        offer.asked = false;
        offer.uri.clear();
    }
    Release(left);
    return true;
}

// Ends the pending offer with the prerolled graph of `uri` (the offer takes the reference) or
// with nothing (null). Every way out of the warm-up settles its offer.
void Settle(GstElement* made, const std::string& uri = {}) {
    Offer& offer = TheOffer();
    {
        std::lock_guard guard(offer.lock);
        if (made && offer.state == Offer::State::Pending && !offer.asked) {
            offer.state = Offer::State::Made;
            offer.uri = uri;
            offer.pipeline = std::exchange(made, nullptr);
        } else {
            offer.state = Offer::State::Closed;
        }
    }
    offer.settled.notify_all();
    Release(made);
}

// The warm-up's end: a graph not taken by now is let go.
void Withdraw() {
    Offer& offer = TheOffer();
    GstElement* left = nullptr;
    {
        std::lock_guard guard(offer.lock);
        if (offer.state != Offer::State::Made) return;
        left = std::exchange(offer.pipeline, nullptr);
        offer.state = Offer::State::Closed;
    }
    Release(left);
}

// The offered graph of `uri`, or null (and the offer ended). `wait`: while the warm-up may still
// offer one, bounded, as a warm-up settles within a second of its loading's start.
GstElement* TakeOffer(const char* uri, bool wait) {
    constexpr auto kMostWait = std::chrono::seconds(2);
    Offer& offer = TheOffer();
    GstElement* taken = nullptr;
    bool matches = false;
    {
        std::unique_lock guard(offer.lock);
        if (wait) offer.settled.wait_for(guard, kMostWait, [&offer] { return offer.state != Offer::State::Pending; });
        offer.asked = true;
        if (offer.state == Offer::State::Pending) return nullptr;  // its warm-up lets it go
        taken = std::exchange(offer.pipeline, nullptr);
        matches = uri && offer.uri == uri;
        offer.state = Offer::State::Closed;
    }
    if (matches) return taken;
    Release(taken);
    return nullptr;
}

bool Made() {
    Offer& offer = TheOffer();
    std::lock_guard guard(offer.lock);
    return offer.state == Offer::State::Made;
}

bool Asked() {
    Offer& offer = TheOffer();
    std::lock_guard guard(offer.lock);
    return offer.asked;
}

// True when every stream the source holds is sound: the graph decoded what there is to load.
bool OnlySound(GstElement* decode) {
    bool sound = true;
    GstIterator* pads = gst_element_iterate_src_pads(decode);
    GValue item = G_VALUE_INIT;
    while (sound && gst_iterator_next(pads, &item) == GST_ITERATOR_OK) {
        GstPad* pad = GST_PAD(g_value_get_object(&item));
        GstCaps* caps = gst_pad_get_current_caps(pad);
        if (!caps) caps = gst_pad_query_caps(pad, nullptr);
        sound = caps && gst_caps_get_size(caps) > 0 &&
                g_str_has_prefix(gst_structure_get_name(gst_caps_get_structure(caps, 0)), "audio/");
        if (caps) gst_caps_unref(caps);
        g_value_reset(&item);
    }
    g_value_unset(&item);
    gst_iterator_free(pads);
    return sound;
}

// The file's decoding graph, made and prerolling; null (the offer settled) when there is none to
// make. Only a regular local file: a stream would be connected to twice, and a pipe or a device
// could block the read past the player's close.
GstElement* BeginOffer(const std::string& file, std::string* uri) {
    gchar* name = IsRegularFile(file) && !Asked() ? gst_filename_to_uri(file.c_str(), nullptr) : nullptr;
    const bool named = name != nullptr;
    if (named) *uri = name;
    g_free(name);
    velmora_input::DecodeGraph graph;
    if (!named || !velmora_input::MakeDecodeGraph(*uri, &graph)) {
        Settle(nullptr);
        return nullptr;
    }
    if (gst_element_set_state(graph.pipeline, GST_STATE_PAUSED) == GST_STATE_CHANGE_FAILURE) {
        Release(graph.pipeline);
        Settle(nullptr);
        return nullptr;
    }
    return graph.pipeline;
}

// Waits for the graph's first data, then offers it, or lets it go when it fails, takes too long
// or the player goes first. True when only sound was decoded, so the plug-ins of all the file's
// streams are loaded and made.
bool FinishOffer(GstElement* pipeline, const std::string& uri, const std::function<bool()>& going) {
    constexpr int kSlices = 20;  // of 50 ms: a file that takes longer is left to the engine
    bool prerolled = false;
    GstBus* bus = gst_element_get_bus(pipeline);
    for (int slice = 0; slice < kSlices && !going(); ++slice) {
        // The plug-in finds everything else on the bus as its own graph would have left it.
        GstMessage* message = gst_bus_timed_pop_filtered(
            bus, 50 * GST_MSECOND, GstMessageType(GST_MESSAGE_ERROR | GST_MESSAGE_ASYNC_DONE));
        if (!message) continue;
        prerolled = GST_MESSAGE_TYPE(message) == GST_MESSAGE_ASYNC_DONE;
        gst_message_unref(message);
        break;
    }
    gst_object_unref(bus);
    velmora_input::DecodeGraph graph;
    const bool sound = prerolled && velmora_input::FindDecodeGraph(pipeline, &graph) && OnlySound(graph.decode);
    if (!prerolled) Release(std::exchange(pipeline, nullptr));
    Settle(pipeline, uri);
    return sound;
}

// Maps libraries the sound graphs need and the program does not link: the type finders' I/O
// library and, when sound is wanted, the sound server's client. The process maps one library at a
// time, so mapping them beside the registry's reading (which maps nothing) is what takes them off
// the way to the first sound. They stay, as the plug-ins that need them would keep them.
void MapLibraries(bool server) {
    for (const char* library : {"libgio-2.0.so.0", server ? "libpulse.so.0" : nullptr})
        if (library) dlopen(library, RTLD_NOW | RTLD_LOCAL);
}

// The server's sink opened (connected), or null when it cannot be.
GstElement* OpenServerSink(const char* factory) {
    GstElement* sink = gst_element_factory_make(factory, nullptr);
    if (!sink) return nullptr;
    gst_object_ref_sink(sink);
    if (gst_element_set_state(sink, GST_STATE_READY) != GST_STATE_CHANGE_FAILURE) return sink;
    Release(sink);
    return nullptr;
}

// The opened server sink, handed to the output plug-in's first graph: its own would open a second
// one, on the way to the first sound. Held by the slot until taken or the hold ends.
struct HeldSink {
    std::mutex lock;
    GstElement* sink = nullptr;  // the slot's reference, ready
};

HeldSink& TheHeldSink() {
    static HeldSink* const held = new HeldSink;  // never destroyed: no order to mind at exit
    return *held;
}

// The held sink, or null; `only`: that sink alone (a warm-up takes back its own, not a later one's).
GstElement* TakeHeldSink(GstElement* only = nullptr) {
    HeldSink& held = TheHeldSink();
    std::lock_guard guard(held.lock);
    if (only && held.sink != only) return nullptr;
    return std::exchange(held.sink, nullptr);
}

// Offers the sink (taking the reference) when it is what the output would open itself: the
// automatic choice's first. Otherwise it stays with the caller, who closes it after the hold.
GstElement* OfferSink(GstElement* sink, const char* factory) {
    if (!sink || !velmora_media::FirstAutomaticChoice(factory)) return sink;
    GstElement* left = nullptr;
    {
        HeldSink& held = TheHeldSink();
        std::lock_guard guard(held.lock);
        left = std::exchange(held.sink, sink);
    }
    Release(left);  // a former warm-up's, not taken
    return nullptr;
}

}  // namespace

MediaWarmUp::MediaWarmUp(const QString& path, ServerHold hold, Loads loads)
    : offers_(OpenOffer()),
      loadsAllowed_(loads == Loads::Now),
      thread_(&MediaWarmUp::Run, this, ExtensionOf(path), std::string(QFile::encodeName(path).constData()), hold) {}

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
    const bool server = !velmora_media::SilentSinkWanted() && hold.sink;
    const std::jthread mapping(MapLibraries, server);
    if (!gst_init_check(nullptr, nullptr, nullptr)) {
        if (offers_) Settle(nullptr);
        return;
    }
    {
        std::unique_lock guard(lock_);
        going_.wait(guard, [this] { return loadsAllowed_ || goes_; });
        if (!loadsAllowed_) {  // gone first: nothing will be played
            if (offers_) Settle(nullptr);
            return;
        }
    }
    // The ranks first, as every engine sets them, so nothing here could pick the heavy decoder.
    velmora_media::PreferLightDecoders();
    // The decoding runs in GStreamer's threads meanwhile: the output needs the connection as soon
    // as the first block is decoded.
    std::string uri;
    GstElement* offered = offers_ ? BeginOffer(file, &uri) : nullptr;
    GstElement* opened = server ? OpenServerSink(hold.sink) : nullptr;
    GstElement* sink = OfferSink(opened, hold.sink);  // null when offered
    const bool decoded = offered && FinishOffer(offered, uri, [this] { return Going(); });
    if (decoded) {
        // The output's elements at once: the player takes the graph about now and plays it through
        // them. The rest only readies later files: loaded at once, it held the plug-in loading the
        // output's making waited on.
        for (const char* name : kOutputElements) Load(gst_registry_lookup_feature(gst_registry_get(), name));
        AwaitOutput();
    }
    LoadPlugins(decoded ? std::string() : extension);
    std::unique_lock guard(lock_);
    holds_ = opened != nullptr;
    // Held only for the start: a connection kept for good would outlive a restart of the server,
    // and a graph or sink not taken by then is not wanted.
    if (opened || Made()) going_.wait_for(guard, hold.most, [this] { return goes_; });
    holds_ = false;
    guard.unlock();
    Withdraw();
    if (sink != opened) Release(TakeHeldSink(opened));
    Release(sink);
}

void MediaWarmUp::AwaitOutput() {
    constexpr auto kMostTakingWait = std::chrono::seconds(2);
    constexpr auto kPoll = std::chrono::milliseconds(5);
    // From the graph's taking to its first block out of the output, with room.
    constexpr auto kOutputStart = std::chrono::milliseconds(100);
    const auto until = std::chrono::steady_clock::now() + kMostTakingWait;
    std::unique_lock guard(lock_);
    while (!goes_ && Made() && std::chrono::steady_clock::now() < until) going_.wait_for(guard, kPoll);
    going_.wait_for(guard, kOutputStart, [this] { return goes_; });
}

void LetWarmedGraphGo() { TakeOffer(nullptr, false); }

}  // namespace platform

GstElement* VelmoraTakeWarmedGraph(const char* uri) { return platform::TakeOffer(uri, true); }

GstElement* VelmoraTakeHeldSink() { return platform::TakeHeldSink(); }
