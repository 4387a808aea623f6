// The playbin behind MediaEngine: its named sinks, its bus relay and what is read back from it.
#include <gst/audio/audio.h>
#include <gst/video/video.h>
#include <gst/video/videooverlay.h>

#include <QGuiApplication>
#include <QString>
#include <mutex>

#include "platform/media_internal.h"
#include "platform/media_mms_source.h"
#include "platform/network_proxy.h"
#include "plugins/winamp/media_defaults.h"

namespace platform {

namespace {

// playbin's flags (GstPlayFlags is not in a public header).
constexpr guint kPlayVideo = 0x1, kPlayAudio = 0x2, kPlayNativeVideo = 0x40;

std::atomic<AudioOut> g_audioOut{AudioOut::Auto};
std::atomic<quint64> g_criticals{0};

void CountCritical(const gchar* domain, GLogLevelFlags level, const gchar* message, gpointer) {
    g_criticals.fetch_add(1);
    g_log_default_handler(domain, level, message, nullptr);
}

GstElement* Make(const char* factory, const char* name = nullptr) {
    return gst_element_factory_make(factory, name);
}

// A sink that keeps the clock's pace and holds nothing: no sound card, no window, or a test.
GstElement* MakeFakeSink(const char* name) {
    GstElement* sink = Make("fakesink", name);
    if (sink) g_object_set(sink, "sync", TRUE, "enable-last-sample", FALSE, nullptr);
    return sink;
}

// volume ! audiopanorama ! sink: the two levels of a stereo device volume on any stream. Before a
// fake sink, audio is first gathered into 100 ms buffers: every buffer costs the sink a clock wait,
// and at 26 ms a frame those wake-ups cost more than decoding the MP3.
ElementRef MakeAudioBin(GstElement** volume, GstElement** panorama) {
    const bool fake = CurrentAudioOut() == AudioOut::Fake;
    ElementRef sink = MakeOwned(fake ? MakeFakeSink("audio-sink") : velmora_media::MakeSoundSink());
    ElementRef gather = MakeOwned(fake ? Make("audiobuffersplit", "audio-gather") : nullptr);
    ElementRef vol = MakeOwned(Make("volume", "levels-volume"));
    ElementRef pan = MakeOwned(Make("audiopanorama", "levels-panorama"));
    if (!sink || !vol || !pan) return nullptr;
    gst_util_set_object_arg(G_OBJECT(pan.get()), "method", "simple");
    ElementRef holder = MakeOwned(gst_bin_new("audio-out"));
    GstElement* bin = holder.get();
    gst_bin_add_many(GST_BIN(bin), vol.get(), pan.get(), sink.get(), nullptr);
    gst_element_link_many(vol.get(), pan.get(), sink.get(), nullptr);
    GstElement* first = vol.get();
    if (gather) {
        gst_util_set_object_arg(G_OBJECT(gather.get()), "output-buffer-duration", "1/10");
        gst_bin_add(GST_BIN(bin), gather.get());
        gst_element_link(gather.get(), vol.get());
        first = gather.get();
    }
    const PadRef target(gst_element_get_static_pad(first, "sink"));
    gst_element_add_pad(bin, gst_ghost_pad_new("sink", target.get()));
    *volume = vol.get();  // the bin holds them from here
    *panorama = pan.get();
    return holder;
}

// The X video sinks. XVideo first (scaling in the server); Xvfb and some drivers have no XVideo
// adaptor, and then xvimagesink fails to reach READY.
ElementRef MakeWindowSink(guintptr handle) {
    for (const char* factory : {"xvimagesink", "ximagesink"}) {
        ElementRef sink = MakeOwned(Make(factory, "video-sink"));
        if (!sink) continue;
        const bool ready = gst_element_set_state(sink.get(), GST_STATE_READY) != GST_STATE_CHANGE_FAILURE;
        gst_element_set_state(sink.get(), GST_STATE_NULL);
        if (!ready) continue;
        g_object_set(sink.get(), "force-aspect-ratio", TRUE, nullptr);
        if (handle) gst_video_overlay_set_window_handle(GST_VIDEO_OVERLAY(sink.get()), handle);
        return sink;
    }
    return nullptr;
}

}  // namespace

void InitMedia() {
    static std::once_flag once;
    std::call_once(once, [] {
        gst_init(nullptr, nullptr);
        // The DirectFB sink can take the process down when something auto-plugs a video sink.
        const GstObjectRef<GstPluginFeature> dfb(gst_registry_lookup_feature(gst_registry_get(), "dfbvideosink"));
        if (dfb) gst_plugin_feature_set_rank(dfb.get(), GST_RANK_NONE);
        velmora_media::PreferLightDecoders();
        RegisterMmsSource();
        const auto levels = GLogLevelFlags(G_LOG_LEVEL_CRITICAL | G_LOG_FLAG_FATAL | G_LOG_FLAG_RECURSION);
        for (const char* domain : {"GStreamer", "GStreamer-Base", "GStreamer-Video", "GStreamer-Audio"})
            g_log_set_handler(domain, levels, &CountCritical, nullptr);
    });
}

void WatchDecoderChoice(GstElement* bin) { velmora_media::SkipFaadWhereItCannotDecode(bin); }

quint64 MediaCriticals() { return g_criticals.load(); }

void MediaEngine::SetAudioOut(AudioOut out) { g_audioOut = out; }

AudioOut CurrentAudioOut() {
    if (qEnvironmentVariable("VELMORA_AUDIO_SINK") == QLatin1String("fakesink")) return AudioOut::Fake;
    return g_audioOut.load();
}

bool MediaEngine::Impl::Build(bool native) {
    Destroy();
    PipelineRef made(MakeOwned(Make("playbin", "velmora-playbin")).release());
    if (!made) return false;
    WatchDecoderChoice(made.get());
    GstElement* audioVolume = nullptr;
    GstElement* audioPanorama = nullptr;
    ElementRef audio = MakeAudioBin(&audioVolume, &audioPanorama);
    ElementRef video = native ? MakeWindowSink(windowHandle.load()) : nullptr;
    const bool windowSink = video != nullptr;
    if (!video) video = MakeOwned(MakeFakeSink("video-sink"));
    if (!audio || !video) return false;
    // No text overlay, no soft volume (the audio bin has its own), no conversion before a fake sink.
    guint flags = kPlayVideo | kPlayAudio;
    if (!windowSink) flags |= kPlayNativeVideo;
    g_object_set(made.get(), "flags", flags, "audio-sink", audio.get(), "video-sink", video.get(), nullptr);
    WatchSourceSetup(made.get());

    pipeline = std::move(made);
    volume = audioVolume;
    panorama = audioPanorama;
    videoSink = video.get();  // playbin holds it from here
    nativeVideo = windowSink;
    const BusRef bus(gst_element_get_bus(pipeline.get()));
    gst_bus_set_sync_handler(bus.get(), &Impl::OnBusSync, new Relay{this, pipeline.get()},
                             [](gpointer relay) { delete static_cast<Relay*>(relay); });
    WatchVideoCaps();
    WatchData(audio.get());
    WatchData(videoSink);
    ApplyLevels();
    return true;
}

void MediaEngine::Impl::Destroy() {
    if (!pipeline) return;
    gst_element_set_state(pipeline.get(), GST_STATE_NULL);
    epoch.fetch_add(1);
    UnwatchVideoCaps();
    const BusRef bus(gst_element_get_bus(pipeline.get()));
    gst_bus_set_sync_handler(bus.get(), nullptr, nullptr, nullptr);
    pipeline.reset();
    volume = panorama = videoSink = nullptr;
    nativeVideo = false;
}

// Every message ends here: a sync handler that drops a message owns it, and a message kept alive
// keeps its source alive, and with it the whole pipeline and its bus's socket pair.
GstBusSyncReply MediaEngine::Impl::OnBusSync(GstBus*, GstMessage* message, gpointer data) {
    const MessageRef dropped(message);
    auto* relay = static_cast<Relay*>(data);
    Impl* d = relay->d;
    const quint64 epoch = d->epoch.load();
    const quint32 seeks = d->seeks.load();
    const bool fromPipeline = GST_MESSAGE_SRC(message) == GST_OBJECT(relay->pipeline);
    switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_ELEMENT:
        if (gst_is_video_overlay_prepare_window_handle_message(message)) {
            if (const guintptr handle = d->windowHandle.load())
                gst_video_overlay_set_window_handle(GST_VIDEO_OVERLAY(GST_MESSAGE_SRC(message)), handle);
        }
        break;
    case GST_MESSAGE_ASYNC_DONE:
    case GST_MESSAGE_ERROR: {
        const bool error = GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR;
        if (!error && !fromPipeline) break;
        {
            std::lock_guard lock(d->waitMutex);
            if (d->waitEpoch == epoch && !d->waitDone) {
                d->waitDone = true;
                if (error) {
                    d->waitError = ErrorText(message);
                    d->waitFailure = ErrorClass(message, Network::Local);  // only local files are waited for
                }
                d->waitCond.notify_all();
            }
        }
        d->Forward(message, epoch, seeks);
        break;
    }
    case GST_MESSAGE_STATE_CHANGED:
        if (fromPipeline) d->Forward(message, epoch, seeks);
        break;
    case GST_MESSAGE_EOS:
    case GST_MESSAGE_DURATION_CHANGED:
    case GST_MESSAGE_BUFFERING:
        d->Forward(message, epoch, seeks);
        break;
    default:
        break;
    }
    return GST_BUS_DROP;
}

void MediaEngine::Impl::ArmWait() {
    std::lock_guard lock(waitMutex);
    waitEpoch = epoch.load();
    waitDone = false;
    waitError.clear();
}

bool MediaEngine::Impl::Wait(int ms, QString* error, MediaFailure* failure) {
    std::unique_lock lock(waitMutex);
    waitCond.wait_for(lock, std::chrono::milliseconds(ms), [this] { return waitDone; });
    const bool done = waitDone;
    *error = waitError;
    *failure = waitFailure;
    waitEpoch = 0;
    return done;
}

void MediaEngine::Impl::ApplyLevels() {
    if (!volume || !panorama) return;
    const double l = qBound(0.0, left, 1.0), r = qBound(0.0, right, 1.0);
    const double level = qMax(l, r);
    // The quieter side is attenuated by its ratio to the louder one.
    double pan = 0.0;
    if (level > 0.0) pan = r >= l ? 1.0 - l / r : -(1.0 - r / l);
    g_object_set(volume, "volume", level, nullptr);
    g_object_set(panorama, "panorama", gfloat(pan), nullptr);
}

namespace {

// Non-square pixels are shown at their display width.
QSize DisplaySize(GstCaps* caps) {
    GstVideoInfo info;
    if (!caps || !gst_video_info_from_caps(&info, caps) || info.width <= 0 || info.height <= 0) return {};
    const int width = info.par_d > 0 && info.par_n > 0 ? int(gint64(info.width) * info.par_n / info.par_d) : info.width;
    return QSize(width, info.height);
}

}  // namespace

QString ErrorText(GstMessage* message) {
    GError* failure = nullptr;
    gst_message_parse_error(message, &failure, nullptr);
    const ErrorRef held(failure);
    return QString::fromUtf8(failure ? failure->message : "playback error");
}

MediaFailure ErrorClass(GstMessage* message, Network network) {
    GError* failure = nullptr;
    gst_message_parse_error(message, &failure, nullptr);
    const ErrorRef held(failure);
    if (!failure) return MediaFailure::Failed;
    const int code = failure->code;
    if (failure->domain == GST_RESOURCE_ERROR) {
        if (code == GST_RESOURCE_ERROR_NOT_FOUND) return MediaFailure::NotFound;
        if (network != Network::Local) return MediaFailure::CannotConnect;
        const bool opening = code == GST_RESOURCE_ERROR_OPEN_READ || code == GST_RESOURCE_ERROR_OPEN_READ_WRITE;
        return opening ? MediaFailure::NotFound : MediaFailure::Failed;
    }
    if (failure->domain == GST_STREAM_ERROR) {
        if (code == GST_STREAM_ERROR_CODEC_NOT_FOUND) return MediaFailure::NoDecoder;
        // The generic error of the element after the source can come first when the source
        // cannot reach its server; on a network stream that has sent nothing, that is the cause.
        if (code == GST_STREAM_ERROR_FAILED && network == Network::Silent) return MediaFailure::CannotConnect;
        return MediaFailure::Unsupported;
    }
    if (failure->domain == GST_CORE_ERROR) {
        if (code == GST_CORE_ERROR_MISSING_PLUGIN) return MediaFailure::NoDecoder;
        if (code == GST_CORE_ERROR_NEGOTIATION) return MediaFailure::Unsupported;
    }
    return MediaFailure::Failed;
}

// Caps reach the video sink's pad before the sink can preroll, and again whenever the picture
// changes size; some demuxers (ASF) tell nothing of the size before that.
void MediaEngine::Impl::OnVideoCaps(GstPad* pad, GParamSpec*, gpointer data) {
    auto* d = static_cast<Impl*>(data);
    const CapsRef caps(gst_pad_get_current_caps(pad));
    const QSize size = DisplaySize(caps.get());
    if (size.isEmpty()) return;  // caps cleared on the way down
    const quint64 epochOfCaps = d->epoch.load();
    QMetaObject::invokeMethod(
        d->q, [d, size, epochOfCaps] { d->OnVideoSize(size, epochOfCaps); }, Qt::QueuedConnection);
}

void MediaEngine::Impl::WatchVideoCaps() {
    const PadRef pad(videoSink ? gst_element_get_static_pad(videoSink, "sink") : nullptr);
    if (pad) capsWatch = g_signal_connect(pad.get(), "notify::caps", G_CALLBACK(&Impl::OnVideoCaps), this);
}

// Whether anything of the source was ever handed to the sound or the picture: a file that
// ends before that (a header and no data) has played nothing.
GstPadProbeReturn MediaEngine::Impl::OnData(GstPad*, GstPadProbeInfo*, gpointer data) {
    static_cast<Impl*>(data)->flowed.store(true, std::memory_order_relaxed);
    return GST_PAD_PROBE_OK;
}

void MediaEngine::Impl::WatchData(GstElement* sink) {
    const PadRef pad(sink ? gst_element_get_static_pad(sink, "sink") : nullptr);
    if (pad) gst_pad_add_probe(pad.get(), GstPadProbeType(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_BUFFER_LIST),
                                &Impl::OnData, this, nullptr);
}

// Only with the pipeline in NULL: then no streaming thread is inside the handler.
void MediaEngine::Impl::UnwatchVideoCaps() {
    const PadRef pad(videoSink ? gst_element_get_static_pad(videoSink, "sink") : nullptr);
    if (pad && capsWatch) g_signal_handler_disconnect(pad.get(), capsWatch);
    capsWatch = 0;
}

QSize MediaEngine::Impl::SinkVideoSize() const {
    const PadRef pad(videoSink ? gst_element_get_static_pad(videoSink, "sink") : nullptr);
    const CapsRef caps(pad ? gst_pad_get_current_caps(pad.get()) : nullptr);
    return DisplaySize(caps.get());
}

void MediaEngine::Impl::ReadStreamInfo() {
    if (!pipeline) return;
    gint videos = 0, audios = 0;
    g_object_get(pipeline.get(), "n-video", &videos, "n-audio", &audios, nullptr);
    hasVideo = hasVideo || videos > 0;
    if (videos > 0) {
        QSize size = SinkVideoSize();
        if (size.isEmpty()) {
            GstPad* pad = nullptr;
            g_signal_emit_by_name(pipeline.get(), "get-video-pad", 0, &pad);
            const PadRef held(pad);
            const CapsRef caps(pad ? gst_pad_get_current_caps(pad) : nullptr);
            size = DisplaySize(caps.get());
        }
        if (!size.isEmpty()) videoSize = size;
    }
    if (audios > 0) {
        GstPad* pad = nullptr;
        g_signal_emit_by_name(pipeline.get(), "get-audio-pad", 0, &pad);
        const PadRef held(pad);
        const CapsRef caps(pad ? gst_pad_get_current_caps(pad) : nullptr);
        GstAudioInfo info;
        if (caps && gst_audio_info_from_caps(&info, caps.get())) {
            channels = info.channels;
            rate = info.rate;
        }
    }
}

bool MediaEngine::Impl::QueryDuration(qint64* value) const {
    gint64 ns = -1;
    if (!pipeline || !gst_element_query_duration(pipeline.get(), GST_FORMAT_TIME, &ns) || ns < 0) return false;
    *value = ns / 100;
    return true;
}

int MediaEngine::Impl::ReadBitrate() const {
    if (!pipeline) return 0;
    GstTagList* found = nullptr;
    g_signal_emit_by_name(pipeline.get(), "get-audio-tags", 0, &found);
    const TagListRef tags(found);
    if (!tags) return 0;
    guint bitrate = 0;
    if (!gst_tag_list_get_uint(tags.get(), GST_TAG_BITRATE, &bitrate))
        gst_tag_list_get_uint(tags.get(), GST_TAG_NOMINAL_BITRATE, &bitrate);
    return int(qMin<guint>(bitrate, G_MAXINT));
}

}  // namespace platform
