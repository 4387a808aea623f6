#include "plugins/winamp/output/audio_out.h"

#include "plugins/winamp/output/gains.h"

#include <gst/app/app.h>
#include <gst/audio/audio.h>

#include <dlfcn.h>
#include <glob.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace velmora_output {

namespace {

// The input decodes this far ahead, so an equaliser change is heard within this time.
constexpr int kDefaultBufferMs = 1000;
// A sink that has neither moved nor been fed for this long is stuck; the track must still end.
constexpr auto kStallLimit = std::chrono::seconds(3);
// Less than this left unheard counts as all heard: a resampling sink rounds the last timestamp.
constexpr gint64 kHeardSlackNs = GST_MSECOND;

bool PathExists(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0;
}

// Without a sound card or a sound server the automatic sink only falls back to a fake one after
// seconds of waiting, so say so at once.
bool HaveSoundOutput() {
    glob_t found{};
    const bool cards = glob("/dev/snd/pcm*", 0, nullptr, &found) == 0 && found.gl_pathc > 0;
    globfree(&found);
    if (cards) return true;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (!runtime || !*runtime) return false;
    const std::string folder = runtime;
    return PathExists(folder + "/pulse/native") || PathExists(folder + "/pipewire-0");
}

GstElement* MakeSink() {
    const char* wanted = std::getenv("VELMORA_AUDIO_SINK");
    if ((wanted && std::strcmp(wanted, "fakesink") == 0) || !HaveSoundOutput()) {
        GstElement* sink = gst_element_factory_make("fakesink", nullptr);
        if (sink) g_object_set(sink, "sync", TRUE, nullptr);
        return sink;
    }
    return gst_element_factory_make("autoaudiosink", nullptr);
}

GstAudioFormat FormatFor(int bitsPerSample) {
    switch (bitsPerSample) {
    case 8: return GST_AUDIO_FORMAT_U8;  // 8-bit PCM is unsigned, as in wave files
    case 16: return GST_AUDIO_FORMAT_S16LE;
    case 24: return GST_AUDIO_FORMAT_S24LE;
    case 32: return GST_AUDIO_FORMAT_S32LE;
    default: return GST_AUDIO_FORMAT_UNKNOWN;
    }
}

// A sink that has taken all it was given cannot preroll again, so a pause waiting for it would
// never complete and the resumed clock would stand still. While pausing, the state change must
// not wait for data; starting after Open and Flush must, so the first block is not late.
void SetSinkAsync(GstElement* sink, bool async) {
    const auto set = [async](GstElement* element) {
        if (GST_OBJECT_FLAG_IS_SET(element, GST_ELEMENT_FLAG_SINK) &&
            g_object_class_find_property(G_OBJECT_GET_CLASS(element), "async"))
            g_object_set(element, "async", gboolean(async), nullptr);
    };
    set(sink);
    if (!GST_IS_BIN(sink)) return;
    GstIterator* children = gst_bin_iterate_recurse(GST_BIN(sink));
    GValue item = G_VALUE_INIT;
    while (gst_iterator_next(children, &item) == GST_ITERATOR_OK) {
        set(GST_ELEMENT(g_value_get_object(&item)));
        g_value_reset(&item);
    }
    g_value_unset(&item);
    gst_iterator_free(children);
}

// appsrc ! audioconvert ! audioresample ! volume ! audiopanorama ! sink; no pipeline on failure.
struct Road {
    PipelinePtr pipeline;
    GstElement* source = nullptr;  // the elements are owned by the pipeline
    GstElement* volume = nullptr;
    GstElement* panorama = nullptr;
    GstElement* sink = nullptr;
};

Road MakeRoad(const GstAudioInfo& info) {
    Road road;
    GstElement* source = gst_element_factory_make("appsrc", nullptr);
    GstElement* convert = gst_element_factory_make("audioconvert", nullptr);
    GstElement* resample = gst_element_factory_make("audioresample", nullptr);
    GstElement* volume = gst_element_factory_make("volume", nullptr);
    GstElement* panorama = gst_element_factory_make("audiopanorama", nullptr);
    GstElement* sink = MakeSink();
    GstElement* all[] = {source, convert, resample, volume, panorama, sink};
    if (std::any_of(std::begin(all), std::end(all), [](GstElement* e) { return e == nullptr; })) {
        for (GstElement* e : all)
            if (e) gst_object_unref(gst_object_ref_sink(e));
        std::fprintf(stderr, "output.dll: a GStreamer element is missing\n");
        return road;
    }
    PipelinePtr pipeline(gst_pipeline_new("velmora-output"));
    gst_bin_add_many(GST_BIN(pipeline.get()), source, convert, resample, volume, panorama, sink, nullptr);
    if (!gst_element_link_many(source, convert, resample, volume, panorama, sink, nullptr)) return road;
    GstCaps* caps = gst_audio_info_to_caps(&info);
    g_object_set(source, "caps", caps, "format", GST_FORMAT_TIME, "is-live", FALSE, "block", FALSE,
                 "max-bytes", guint64(0), nullptr);
    gst_caps_unref(caps);
    g_object_set(panorama, "method", 1 /* simple: attenuates one side only */, nullptr);
    road = {std::move(pipeline), source, volume, panorama, sink};
    return road;
}

}  // namespace

AudioOut::AudioOut() {
    // The player exports its device-volume stand-in; used alone, the plug-in plays at full volume.
    deviceWordFn_ = reinterpret_cast<DeviceWordFn>(dlsym(RTLD_DEFAULT, "VelmoraDeviceVolumeWord"));
}

AudioOut::~AudioOut() { Close(); }

int AudioOut::Open(int sampleRate, int channels, int bitsPerSample, int bufferMs) {
    Close();
    const GstAudioFormat format = FormatFor(bitsPerSample);
    if (sampleRate <= 0 || sampleRate > 768000 || channels < 1 || channels > 8 ||
        format == GST_AUDIO_FORMAT_UNKNOWN || !gst_init_check(nullptr, nullptr, nullptr))
        return -1;
    GstAudioInfo info;
    gst_audio_info_set_format(&info, format, sampleRate, channels, nullptr);
    Road road = MakeRoad(info);
    if (!road.pipeline) return -1;

    std::lock_guard lock(mutex_);
    rate_ = sampleRate;
    frameBytes_ = channels * bitsPerSample / 8;
    bufferMs = bufferMs > 0 ? std::min(bufferMs, 60000) : kDefaultBufferMs;
    capacityBytes_ = int(gint64(bufferMs) * sampleRate / 1000) * frameBytes_;
    source_ = road.source;
    volumeElement_ = road.volume;
    panoramaElement_ = road.panorama;
    sink_ = road.sink;
    pipeline_ = std::move(road.pipeline);
    paused_ = false;
    failed_ = false;
    ResetCountersLocked(0);
    if (deviceWordFn_) deviceWord_ = deviceWordFn_(0);
    ApplyGainsLocked();
    if (gst_element_set_state(pipeline_.get(), GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
        pipeline_.reset();
        return -1;
    }
    // The sink's latency is not known before data flows; the buffer bounds what we hold.
    return capacityBytes_ / frameBytes_ * 1000 / rate_;
}

void AudioOut::Close() {
    PipelinePtr old;
    {
        std::lock_guard lock(mutex_);
        old = std::move(pipeline_);
        source_ = volumeElement_ = panoramaElement_ = sink_ = nullptr;
        partialFrame_.clear();
        paused_ = false;
        failed_ = false;
        ResetCountersLocked(0);
    }
    // Stopping the pipeline waits for its streaming thread; do it outside the lock.
}

void AudioOut::ResetCountersLocked(int baseMs) {
    baseMs_ = baseMs;
    writtenFrames_ = 0;
    positionNs_ = 0;
    lastWrite_ = lastProgress_ = Clock::now();
}

int AudioOut::Write(const char* data, int length) {
    std::lock_guard lock(mutex_);
    if (!Opened() || length < 0 || (length > 0 && !data)) return 1;
    CheckBusLocked();
    FollowDeviceVolumeLocked();
    lastWrite_ = Clock::now();
    if (!partialFrame_.empty()) {
        const int take = std::min<int>(length, frameBytes_ - int(partialFrame_.size()));
        partialFrame_.insert(partialFrame_.end(), data, data + take);
        data += take;
        length -= take;
        if (int(partialFrame_.size()) == frameBytes_) {
            const std::vector<char> frame = std::move(partialFrame_);
            partialFrame_.clear();
            PushLocked(frame.data(), frameBytes_);
        }
    }
    const int whole = length / frameBytes_ * frameBytes_;
    if (whole > 0) PushLocked(data, whole);
    partialFrame_.insert(partialFrame_.end(), data + whole, data + length);
    return 0;
}

void AudioOut::PushLocked(const char* data, int length) {
    const guint64 frames = guint64(length / frameBytes_);
    const GstClockTime start = gst_util_uint64_scale(writtenFrames_, GST_SECOND, rate_);
    const GstClockTime end = gst_util_uint64_scale(writtenFrames_ + frames, GST_SECOND, rate_);
    writtenFrames_ += frames;
    if (failed_) return;  // the sink is gone; the data is taken and dropped so the input moves on
    GstBuffer* buffer = gst_buffer_new_memdup(data, gsize(length));
    GST_BUFFER_PTS(buffer) = start;
    GST_BUFFER_DURATION(buffer) = end - start;
    gst_app_src_push_buffer(GST_APP_SRC(source_), buffer);
}

gint64 AudioOut::WrittenNsLocked() const {
    return gint64(gst_util_uint64_scale(writtenFrames_, GST_SECOND, rate_));
}

// The sink's position within the data written since the last restart.
gint64 AudioOut::PositionLocked() {
    if (!failed_) {
        gint64 position = 0;
        if (gst_element_query_position(pipeline_.get(), GST_FORMAT_TIME, &position) && position > positionNs_) {
            positionNs_ = std::min(position, WrittenNsLocked());
            lastProgress_ = Clock::now();
        }
    }
    return positionNs_;
}

void AudioOut::CheckBusLocked() {
    if (failed_) return;
    GstBus* bus = gst_element_get_bus(pipeline_.get());
    GstMessage* message = gst_bus_pop_filtered(bus, GST_MESSAGE_ERROR);
    gst_object_unref(bus);
    if (!message) return;
    GError* error = nullptr;
    gst_message_parse_error(message, &error, nullptr);
    std::fprintf(stderr, "output.dll: %s\n", error ? error->message : "audio output failed");
    if (error) g_error_free(error);
    gst_message_unref(message);
    failed_ = true;
}

int AudioOut::CanWrite() {
    std::lock_guard lock(mutex_);
    if (!Opened()) return 0;
    CheckBusLocked();
    FollowDeviceVolumeLocked();
    if (failed_) return capacityBytes_;
    const gint64 queuedNs = WrittenNsLocked() - PositionLocked();
    const gint64 queuedBytes = gint64(gst_util_uint64_scale(guint64(queuedNs), guint64(rate_), GST_SECOND)) *
                                   frameBytes_ + gint64(partialFrame_.size());
    return int(std::max<gint64>(0, capacityBytes_ - queuedBytes));
}

int AudioOut::IsPlaying() {
    std::lock_guard lock(mutex_);
    if (!Opened()) return 0;
    CheckBusLocked();
    FollowDeviceVolumeLocked();
    if (failed_) return 0;
    if (WrittenNsLocked() - PositionLocked() <= kHeardSlackNs) {
        positionNs_ = WrittenNsLocked();  // what is left is shorter than the time the sink reports in
        return 0;
    }
    if (paused_) return 1;
    const Clock::time_point now = Clock::now();
    return now - lastProgress_ < kStallLimit || now - lastWrite_ < kStallLimit;
}

int AudioOut::Pause(int pause) {
    std::lock_guard lock(mutex_);
    const int previous = paused_ ? 1 : 0;
    paused_ = pause != 0;
    if (Opened() && paused_ != bool(previous)) {
        if (paused_) {
            SetSinkAsync(sink_, false);
            gst_element_set_state(pipeline_.get(), GST_STATE_PAUSED);
        } else {
            gst_element_set_state(pipeline_.get(), GST_STATE_PLAYING);
            SetSinkAsync(sink_, true);
        }
        lastProgress_ = lastWrite_ = Clock::now();  // a pause is no stall
    }
    return previous;
}

void AudioOut::SetVolume(int volume) {
    if (volume == -666) return;  // "no change" in the plug-in interface
    std::lock_guard lock(mutex_);
    volume_ = std::clamp(volume, 0, 255);
    ApplyGainsLocked();
}

void AudioOut::SetPan(int pan) {
    std::lock_guard lock(mutex_);
    pan_ = std::clamp(pan, -128, 127);
    ApplyGainsLocked();
}

void AudioOut::Flush(int ms) {
    std::lock_guard lock(mutex_);
    partialFrame_.clear();
    ResetCountersLocked(std::max(ms, 0));
    if (!Opened()) return;
    // Going through READY empties the appsrc queue and the sink; the next buffer starts a new
    // segment at 0, so the sink's position counts from the restart.
    gst_element_set_state(pipeline_.get(), GST_STATE_READY);
    SetSinkAsync(sink_, true);
    gst_element_set_state(pipeline_.get(), paused_ ? GST_STATE_PAUSED : GST_STATE_PLAYING);
}

int AudioOut::GetOutputTime() {
    std::lock_guard lock(mutex_);
    if (!Opened()) return baseMs_;
    FollowDeviceVolumeLocked();
    return baseMs_ + int(PositionLocked() / GST_MSECOND);
}

int AudioOut::GetWrittenTime() {
    std::lock_guard lock(mutex_);
    if (!Opened()) return baseMs_;
    return baseMs_ + int(WrittenNsLocked() / GST_MSECOND);
}

void AudioOut::FollowDeviceVolumeLocked() {
    if (!deviceWordFn_) return;
    const unsigned int word = deviceWordFn_(0);
    if (word == deviceWord_) return;
    deviceWord_ = word;
    ApplyGainsLocked();
}

void AudioOut::ApplyGainsLocked() {
    if (!Opened()) return;
    const Gains gains = CombineGains(volume_, pan_, deviceWord_);
    g_object_set(volumeElement_, "volume", gains.volume, nullptr);
    g_object_set(panoramaElement_, "panorama", gfloat(gains.panorama), nullptr);
}

}  // namespace velmora_output
