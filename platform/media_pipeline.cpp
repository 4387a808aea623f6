// The playbin behind MediaEngine: its named sinks, its bus relay and what is read back from it.
#include <gst/audio/audio.h>
#include <gst/video/video.h>
#include <gst/video/videooverlay.h>

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QString>
#include <mutex>

#include "platform/media_internal.h"

namespace platform {

namespace {

// playbin's flags (GstPlayFlags is not in a public header).
constexpr guint kPlayVideo = 0x1, kPlayAudio = 0x2, kPlayNativeVideo = 0x40;

std::atomic<AudioOut> g_audioOut{AudioOut::Auto};

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
GstElement* MakeAudioBin(GstElement** volume, GstElement** panorama) {
    const bool fake = CurrentAudioOut() == AudioOut::Fake || !MachineHasSoundOutput();
    GstElement* sink = fake ? MakeFakeSink("audio-sink") : Make("autoaudiosink", "audio-sink");
    GstElement* gather = fake ? Make("audiobuffersplit", "audio-gather") : nullptr;
    GstElement* vol = Make("volume", "levels-volume");
    GstElement* pan = Make("audiopanorama", "levels-panorama");
    if (!sink || !vol || !pan) {
        for (GstElement* e : {sink, gather, vol, pan})
            if (e) gst_object_unref(gst_object_ref_sink(e));
        return nullptr;
    }
    gst_util_set_object_arg(G_OBJECT(pan), "method", "simple");
    GstElement* bin = gst_bin_new("audio-out");
    gst_bin_add_many(GST_BIN(bin), vol, pan, sink, nullptr);
    gst_element_link_many(vol, pan, sink, nullptr);
    GstElement* first = vol;
    if (gather) {
        gst_util_set_object_arg(G_OBJECT(gather), "output-buffer-duration", "1/10");
        gst_bin_add(GST_BIN(bin), gather);
        gst_element_link(gather, vol);
        first = gather;
    }
    GstPad* target = gst_element_get_static_pad(first, "sink");
    gst_element_add_pad(bin, gst_ghost_pad_new("sink", target));
    gst_object_unref(target);
    *volume = vol;
    *panorama = pan;
    return bin;
}

// The X video sinks. XVideo first (scaling in the server); Xvfb and some drivers have no XVideo
// adaptor, and then xvimagesink fails to reach READY.
GstElement* MakeWindowSink(guintptr handle) {
    for (const char* factory : {"xvimagesink", "ximagesink"}) {
        GstElement* sink = Make(factory, "video-sink");
        if (!sink) continue;
        gst_object_ref_sink(sink);
        if (gst_element_set_state(sink, GST_STATE_READY) == GST_STATE_CHANGE_FAILURE) {
            gst_element_set_state(sink, GST_STATE_NULL);
            gst_object_unref(sink);
            continue;
        }
        gst_element_set_state(sink, GST_STATE_NULL);
        g_object_set(sink, "force-aspect-ratio", TRUE, nullptr);
        if (handle) gst_video_overlay_set_window_handle(GST_VIDEO_OVERLAY(sink), handle);
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
        if (GstPluginFeature* dfb = gst_registry_lookup_feature(gst_registry_get(), "dfbvideosink")) {
            gst_plugin_feature_set_rank(dfb, GST_RANK_NONE);
            gst_object_unref(dfb);
        }
    });
}

void MediaEngine::SetAudioOut(AudioOut out) { g_audioOut = out; }

AudioOut CurrentAudioOut() {
    if (qEnvironmentVariable("VELMORA_AUDIO_SINK") == QLatin1String("fakesink")) return AudioOut::Fake;
    return g_audioOut.load();
}

// autoaudiosink with nothing to open waits seconds before it gives up, so look first.
bool MachineHasSoundOutput() {
    if (!QDir(QStringLiteral("/dev/snd")).entryList({QStringLiteral("pcm*")}, QDir::System).isEmpty())
        return true;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (runtime.isEmpty()) return false;
    return QFileInfo::exists(runtime + QStringLiteral("/pulse/native")) ||
           QFileInfo::exists(runtime + QStringLiteral("/pipewire-0"));
}

bool MediaEngine::Impl::Build(bool native) {
    Destroy();
    pipeline = Make("playbin", "velmora-playbin");
    if (!pipeline) return false;
    gst_object_ref_sink(pipeline);
    GstElement* audio = MakeAudioBin(&volume, &panorama);
    GstElement* video = native ? MakeWindowSink(windowHandle.load()) : nullptr;
    nativeVideo = video != nullptr;
    if (!video) {
        video = MakeFakeSink("video-sink");
        if (video) gst_object_ref_sink(video);
    }
    if (!audio || !video) {
        if (audio) gst_object_unref(gst_object_ref_sink(audio));
        if (video) gst_object_unref(video);
        volume = panorama = nullptr;
        gst_object_unref(pipeline);
        pipeline = nullptr;
        return false;
    }
    // No text overlay, no soft volume (the audio bin has its own), no conversion before a fake sink.
    guint flags = kPlayVideo | kPlayAudio;
    if (!nativeVideo) flags |= kPlayNativeVideo;
    g_object_set(pipeline, "flags", flags, "audio-sink", audio, "video-sink", video, nullptr);
    videoSink = video;
    gst_object_unref(video);  // playbin holds it now

    GstBus* bus = gst_element_get_bus(pipeline);
    gst_bus_set_sync_handler(bus, &Impl::OnBusSync, new Relay{this, pipeline},
                             [](gpointer relay) { delete static_cast<Relay*>(relay); });
    gst_object_unref(bus);
    ApplyLevels();
    return true;
}

void MediaEngine::Impl::Destroy() {
    if (!pipeline) return;
    gst_element_set_state(pipeline, GST_STATE_NULL);
    epoch.fetch_add(1);
    GstBus* bus = gst_element_get_bus(pipeline);
    gst_bus_set_sync_handler(bus, nullptr, nullptr, nullptr);
    gst_object_unref(bus);
    gst_object_unref(pipeline);
    pipeline = volume = panorama = videoSink = nullptr;
    nativeVideo = false;
}

GstBusSyncReply MediaEngine::Impl::OnBusSync(GstBus*, GstMessage* message, gpointer data) {
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
                    GError* failure = nullptr;
                    gst_message_parse_error(message, &failure, nullptr);
                    d->waitError = QString::fromUtf8(failure ? failure->message : "playback error");
                    if (failure) g_error_free(failure);
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

bool MediaEngine::Impl::Wait(int ms, QString* error) {
    std::unique_lock lock(waitMutex);
    waitCond.wait_for(lock, std::chrono::milliseconds(ms), [this] { return waitDone; });
    const bool done = waitDone;
    *error = waitError;
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

void MediaEngine::Impl::ReadStreamInfo() {
    if (!pipeline) return;
    gint videos = 0, audios = 0;
    g_object_get(pipeline, "n-video", &videos, "n-audio", &audios, nullptr);
    hasVideo = videos > 0;
    if (videos > 0) {
        GstPad* pad = nullptr;
        g_signal_emit_by_name(pipeline, "get-video-pad", 0, &pad);
        if (GstCaps* caps = pad ? gst_pad_get_current_caps(pad) : nullptr) {
            GstVideoInfo info;
            if (gst_video_info_from_caps(&info, caps)) {
                // Non-square pixels are shown at their display width.
                const int width = info.par_d > 0 ? int(gint64(info.width) * info.par_n / info.par_d) : info.width;
                videoSize = QSize(width, info.height);
            }
            gst_caps_unref(caps);
        }
        if (pad) gst_object_unref(pad);
    }
    if (audios > 0) {
        GstPad* pad = nullptr;
        g_signal_emit_by_name(pipeline, "get-audio-pad", 0, &pad);
        if (GstCaps* caps = pad ? gst_pad_get_current_caps(pad) : nullptr) {
            GstAudioInfo info;
            if (gst_audio_info_from_caps(&info, caps)) {
                channels = info.channels;
                rate = info.rate;
            }
            gst_caps_unref(caps);
        }
        if (pad) gst_object_unref(pad);
    }
}

bool MediaEngine::Impl::QueryDuration(qint64* value) const {
    gint64 ns = -1;
    if (!pipeline || !gst_element_query_duration(pipeline, GST_FORMAT_TIME, &ns) || ns < 0) return false;
    *value = ns / 100;
    return true;
}

int MediaEngine::Impl::ReadBitrate() const {
    if (!pipeline) return 0;
    GstTagList* tags = nullptr;
    g_signal_emit_by_name(pipeline, "get-audio-tags", 0, &tags);
    if (!tags) return 0;
    guint bitrate = 0;
    if (!gst_tag_list_get_uint(tags, GST_TAG_BITRATE, &bitrate))
        gst_tag_list_get_uint(tags, GST_TAG_NOMINAL_BITRATE, &bitrate);
    gst_tag_list_unref(tags);
    return int(qMin<guint>(bitrate, G_MAXINT));
}

}  // namespace platform
