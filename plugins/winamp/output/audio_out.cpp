#include "plugins/winamp/output/audio_out.h"

#include "plugins/winamp/output/gains.h"
#include "plugins/winamp/held_sink.h"
#include "plugins/winamp/media_defaults.h"

#include <gst/app/app.h>
#include <gst/audio/audio.h>

#include <dlfcn.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace velmora_output {

namespace {

// The input decodes this far ahead, so an equaliser change is heard within this time.
constexpr int kDefaultBufferMs = 1000;
// A sink that has neither moved nor been fed for this long is stuck; the track must still end.
constexpr auto kStallLimit = std::chrono::seconds(3);
// An input that waits for its source says so with empty writes; it counts as playing this long
// after the last one.
constexpr auto kInputWaitingHolds = std::chrono::seconds(1);
// Less than this left unheard counts as all heard: a resampling sink rounds the last timestamp.
constexpr gint64 kHeardSlackNs = GST_MSECOND;

GstAudioFormat FormatFor(int bitsPerSample) {
    switch (bitsPerSample) {
    case 8: return GST_AUDIO_FORMAT_U8;  // 8-bit PCM is unsigned, as in wave files
    case 16: return GST_AUDIO_FORMAT_S16LE;
    case 24: return GST_AUDIO_FORMAT_S24LE;
    case 32: return GST_AUDIO_FORMAT_S32LE;
    default: return GST_AUDIO_FORMAT_UNKNOWN;
    }
}

// The sink and, when it is a bin (the automatic sink), every element inside it.
template <class Visit>
void ForSinkAndInside(GstElement* sink, Visit visit) {
    visit(sink);
    if (!GST_IS_BIN(sink)) return;
    GstIterator* children = gst_bin_iterate_recurse(GST_BIN(sink));
    GValue item = G_VALUE_INIT;
    while (gst_iterator_next(children, &item) == GST_ITERATOR_OK) {
        visit(GST_ELEMENT(g_value_get_object(&item)));
        g_value_reset(&item);
    }
    g_value_unset(&item);
    gst_iterator_free(children);
}

// A sink that has taken all it was given cannot preroll again, so a pause waiting for it would
// never complete and the resumed clock would stand still. While pausing, the state change must
// not wait for data; starting after Open and Flush must, so the first block is not late.
void SetSinkAsync(GstElement* sink, bool async) {
    ForSinkAndInside(sink, [async](GstElement* element) {
        if (GST_OBJECT_FLAG_IS_SET(element, GST_ELEMENT_FLAG_SINK) &&
            g_object_class_find_property(G_OBJECT_GET_CLASS(element), "async"))
            g_object_set(element, "async", gboolean(async), nullptr);
    });
}

// Pushed buffers of at least this length: each buffer costs the sink a wake-up and a clock wait.
constexpr int kGatherMs = 100;

// appsrc ! [audioconvert] ! volume ! audiopanorama ! [audioconvert ! audioresample] ! sink; no
// pipeline on failure. The panorama takes 16-bit mono or stereo as it comes; a fake sink takes
// anything, a real one may want another format or rate.
struct Road {
    PipelinePtr pipeline;
    GstElement* source = nullptr;  // the elements are owned by the pipeline
    GstElement* volume = nullptr;
    GstElement* panorama = nullptr;
    GstElement* sink = nullptr;
};

bool IsFakeSink(GstElement* sink) {
    GstElementFactory* factory = gst_element_get_factory(sink);
    return factory && std::strcmp(GST_OBJECT_NAME(factory), "fakesink") == 0;
}

// Before its stream exists, the server's sink answers a caps query by opening a probe stream on
// the server and closing it again, which the first sound waits for. It plays every raw format
// (the server converts) and the output sends it nothing else, so the raw part of its template
// answers for it.
GstPadProbeReturn AnswerRawCaps(GstPad* pad, GstPadProbeInfo* info, gpointer) {
    GstQuery* query = GST_PAD_PROBE_INFO_QUERY(info);
    const bool asks = GST_QUERY_TYPE(query) == GST_QUERY_CAPS;
    if (!asks && GST_QUERY_TYPE(query) != GST_QUERY_ACCEPT_CAPS) return GST_PAD_PROBE_OK;
    const velmora_gst::CapsRef all(gst_pad_get_pad_template_caps(pad));
    const velmora_gst::CapsRef rawOnly(gst_caps_from_string("audio/x-raw"));
    velmora_gst::CapsRef raw(gst_caps_intersect(all.get(), rawOnly.get()));
    GstCaps* caps = nullptr;
    if (!asks) {
        gst_query_parse_accept_caps(query, &caps);
        // Anything but fixed raw audio goes the sink's own way.
        if (!caps || !gst_caps_is_fixed(caps) || !gst_caps_is_subset(caps, raw.get())) return GST_PAD_PROBE_OK;
        gst_query_set_accept_caps_result(query, TRUE);
        return GST_PAD_PROBE_HANDLED;
    }
    gst_query_parse_caps(query, &caps);
    if (caps) raw.reset(gst_caps_intersect_full(caps, raw.get(), GST_CAPS_INTERSECT_FIRST));
    gst_query_set_caps_result(query, raw.get());
    return GST_PAD_PROBE_HANDLED;
}

void SkipServerProbes(GstElement* sink) {
    ForSinkAndInside(sink, [](GstElement* element) {
        GstElementFactory* factory = gst_element_get_factory(element);
        if (!factory || std::strcmp(GST_OBJECT_NAME(factory), "pulsesink") != 0) return;
        const velmora_gst::PadRef pad(gst_element_get_static_pad(element, "sink"));
        if (pad) gst_pad_add_probe(pad.get(), GST_PAD_PROBE_TYPE_QUERY_DOWNSTREAM, AnswerRawCaps, nullptr, nullptr);
    });
}

// The sink the player's start opened for the first graph, else a new one; floating either way, as
// a new element is.
GstElement* TakeOrMakeSoundSink() {
    static const auto take =
        reinterpret_cast<VelmoraTakeHeldSinkFn>(dlsym(RTLD_DEFAULT, VELMORA_TAKE_HELD_SINK_EXPORT));
    if (GstElement* held = take ? take() : nullptr) {
        g_object_force_floating(G_OBJECT(held));
        return held;
    }
    return velmora_media::MakeSoundSink();
}

Road MakeRoad(const GstAudioInfo& info) {
    Road road;
    GstElement* sink = TakeOrMakeSoundSink();
    if (sink) SkipServerProbes(sink);
    const bool fitsPanorama =
        GST_AUDIO_INFO_FORMAT(&info) == GST_AUDIO_FORMAT_S16LE && GST_AUDIO_INFO_CHANNELS(&info) <= 2;
    const bool fitsSink = sink && IsFakeSink(sink);
    std::vector<GstElement*> chain{gst_element_factory_make("appsrc", nullptr)};
    if (!fitsPanorama) chain.push_back(gst_element_factory_make("audioconvert", nullptr));
    GstElement* volume = gst_element_factory_make("volume", nullptr);
    GstElement* panorama = gst_element_factory_make("audiopanorama", nullptr);
    chain.insert(chain.end(), {volume, panorama});
    if (!fitsSink) {
        chain.push_back(gst_element_factory_make("audioconvert", nullptr));
        chain.push_back(gst_element_factory_make("audioresample", nullptr));
    }
    chain.push_back(sink);
    std::vector<velmora_gst::ObjectRef<GstElement>> held;
    for (GstElement* e : chain) held.push_back(velmora_gst::MakeOwned(e));
    if (std::any_of(chain.begin(), chain.end(), [](GstElement* e) { return e == nullptr; })) {
        std::fprintf(stderr, "output.dll: a GStreamer element is missing\n");
        return road;
    }
    PipelinePtr pipeline(GST_ELEMENT(gst_object_ref_sink(gst_pipeline_new("velmora-output"))));
    for (GstElement* e : chain) gst_bin_add(GST_BIN(pipeline.get()), e);  // the pipeline holds them from here
    for (std::size_t i = 1; i < chain.size(); ++i)
        if (!gst_element_link(chain[i - 1], chain[i])) return road;
    const velmora_gst::CapsRef caps(gst_audio_info_to_caps(&info));
    g_object_set(chain.front(), "caps", caps.get(), "format", GST_FORMAT_TIME, "is-live", FALSE, "block", FALSE,
                 "max-bytes", guint64(0), nullptr);
    g_object_set(panorama, "method", 1 /* simple: attenuates one side only */, nullptr);
    road = {std::move(pipeline), chain.front(), volume, panorama, sink};
    return road;
}

}  // namespace

AudioOut::AudioOut() {
    // The player exports its device-volume stand-in; used alone, the plug-in plays at full volume.
    deviceWordFn_ = reinterpret_cast<VelmoraDeviceVolumeWordFn>(dlsym(RTLD_DEFAULT, VELMORA_DEVICE_VOLUME_WORD_EXPORT));
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
    ResetGather(GST_APP_SRC(source_));
    GstAppSrcCallbacks callbacks{};
    callbacks.need_data = OnNeedData;
    gst_app_src_set_callbacks(GST_APP_SRC(source_), &callbacks, this, nullptr);
    if (deviceWordFn_) deviceWord_ = deviceWordFn_(VELMORA_DEVICE_WAVE);
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
        ResetGather(nullptr);
    }
    // Stopping the pipeline waits for its streaming thread; do it outside the lock.
}

void AudioOut::ResetCountersLocked(int baseMs) {
    baseMs_ = baseMs;
    writtenFrames_ = 0;
    positionNs_ = 0;
    lastWrite_ = lastProgress_ = Clock::now();
    inputWaiting_ = {};
}

int AudioOut::Write(const char* data, int length) {
    std::lock_guard lock(mutex_);
    if (!Opened() || length < 0 || (length > 0 && !data)) return 1;
    CheckBusLocked();
    FollowDeviceVolumeLocked();
    if (length == 0) {
        inputWaiting_ = Clock::now();
        return 0;
    }
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
    writtenFrames_ += guint64(length / frameBytes_);
    if (failed_) return;  // the sink is gone; the data is taken and dropped so the input moves on
    std::lock_guard lock(gatherMutex_);
    gather_.data.insert(gather_.data.end(), data, data + length);
    if (gather_.starving || int(gather_.data.size()) >= gather_.limitBytes) SendGathered(gather_);
}

// Pushes all that is gathered as one buffer timed from the frames pushed before it.
void AudioOut::SendGathered(Gather& gather) {
    if (gather.data.empty() || !gather.source) return;
    const guint64 frames = gather.data.size() / gather.frameBytes;
    const GstClockTime start = gst_util_uint64_scale(gather.pushedFrames, GST_SECOND, gather.rate);
    const GstClockTime end = gst_util_uint64_scale(gather.pushedFrames + frames, GST_SECOND, gather.rate);
    gather.pushedFrames += frames;
    GstBuffer* buffer = gst_buffer_new_memdup(gather.data.data(), gather.data.size());
    gather.data.clear();
    gather.starving = false;
    GST_BUFFER_PTS(buffer) = start;
    GST_BUFFER_DURATION(buffer) = end - start;
    gst_app_src_push_buffer(gather.source, buffer);
}

// The appsrc has played out its queue: what is gathered must not wait for more (the end of a
// track, or an input slower than real time).
void AudioOut::OnNeedData(GstAppSrc* source, guint, gpointer self) {
    auto* out = static_cast<AudioOut*>(self);
    std::lock_guard lock(out->gatherMutex_);
    if (out->gather_.source != source) return;  // a pipeline being replaced
    if (out->gather_.data.empty())
        out->gather_.starving = true;
    else
        SendGathered(out->gather_);
}

// A new or emptied appsrc; mutex_ is held, rate_ and frameBytes_ are those of the open format.
void AudioOut::ResetGather(GstAppSrc* source) {
    std::lock_guard lock(gatherMutex_);
    gather_.source = source;
    gather_.rate = rate_;
    gather_.frameBytes = frameBytes_;
    gather_.limitBytes = std::max(1, rate_ * kGatherMs / 1000) * frameBytes_;
    gather_.pushedFrames = 0;
    gather_.data.clear();
    gather_.data.reserve(std::size_t(gather_.limitBytes) + 8192);
    gather_.starving = true;
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
    // Other messages are dropped on the way, so they do not pile up over a long track.
    const velmora_gst::BusRef bus(gst_element_get_bus(pipeline_.get()));
    while (const velmora_gst::MessageRef message{gst_bus_pop(bus.get())}) {
        if (GST_MESSAGE_TYPE(message.get()) != GST_MESSAGE_ERROR) continue;
        GError* error = nullptr;
        gst_message_parse_error(message.get(), &error, nullptr);
        const velmora_gst::ErrorRef held(error);
        std::fprintf(stderr, "output.dll: %s\n", error ? error->message : "audio output failed");
        failed_ = true;
        return;
    }
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
        // All heard, but the input has more to come once its source delivers: not the end.
        return Clock::now() - inputWaiting_ < kInputWaitingHolds ? 1 : 0;
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
    ResetGather(GST_APP_SRC(source_));
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
    const unsigned int word = deviceWordFn_(VELMORA_DEVICE_WAVE);
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
