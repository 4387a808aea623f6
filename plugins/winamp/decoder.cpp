#include "plugins/winamp/decoder.h"

#include <dlfcn.h>
#include <gst/app/app.h>
#include <gst/audio/audio.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "plugins/winamp/media_defaults.h"
#include "plugins/winamp/warmed_graph.h"

namespace velmora_input {

using namespace velmora_gst;

namespace {

// Blocks of 576 sample frames, the size DSP plug-ins are used to.
constexpr int kBlockFrames = 576;
// Play waits this long at most for the first decoded data (and with it the length).
constexpr auto kPrerollWait = std::chrono::milliseconds(500);
// When the output is full, the decoder sleeps until this much has been played out of it, so it
// wakes a few times a second rather than once per block.
constexpr int kRefillMs = 500;
constexpr auto kRoomWaitMin = std::chrono::milliseconds(5);
constexpr auto kRoomWaitMax = std::chrono::milliseconds(1000);
// All decoded: the thread only waits for a seek back or the stop, which both wake it.
constexpr auto kEndWait = std::chrono::milliseconds(500);
constexpr GstClockTime kPullWait = 20 * GST_MSECOND;
constexpr auto kWaitingNoteEvery = std::chrono::milliseconds(200);

void Report(const char* what, const char* detail) {
    std::fprintf(stderr, "velmora decoder: %s%s%s\n", what, detail ? ": " : "", detail ? detail : "");
}

// True when the error says the source is not there.
bool ReportError(GstMessage* message) {
    GError* error = nullptr;
    gchar* debug = nullptr;
    gst_message_parse_error(message, &error, &debug);
    const ErrorRef heldError(error);
    const TextRef heldDebug(debug);
    Report(error ? error->message : "decoding failed", debug);
    return error && error->domain == GST_RESOURCE_ERROR && error->code == GST_RESOURCE_ERROR_NOT_FOUND;
}

}  // namespace

double EqualiserDb(int value) {
    value = std::clamp(value, 0, 63);
    if (value <= 32) return (32 - value) * 12.0 / 32.0;
    return -(value - 32) * 12.0 / 31.0;
}

bool EqualiserFlat(const Equaliser& equaliser) {
    if (!equaliser.on) return true;
    return EqualiserDb(equaliser.preamp) == 0 &&
           std::all_of(equaliser.bands.begin(), equaliser.bands.end(), [](int band) { return EqualiserDb(band) == 0; });
}

bool Decoder::Build(const Source& source) {
    if (!gst_init_check(nullptr, nullptr, nullptr)) return false;
    velmora_media::PreferLightDecoders();
    DecodeGraph graph;
    if (!MakeDecodeGraph(source.uri, &graph)) return false;
    pipeline_.reset(graph.pipeline);
    device_ = source.device;
    proxy_ = source.proxy;
    // A local MPEG audio file's decoding is put together without uridecodebin, and has no say in its source.
    const bool plugged = g_signal_lookup("source-setup", G_OBJECT_TYPE(graph.decode)) != 0;
    if (plugged && (!device_.empty() || !proxy_.empty()))
        g_signal_connect(graph.decode, "source-setup", G_CALLBACK(OnSourceSetup), this);
    Drive(graph);
    return true;
}

// The graph the player's start-up made for this source and prerolled, if it made one: its first
// data is decoded already. Only with a flat equaliser, as that data went through a flat one; a
// graph not taken is let go.
bool Decoder::TakeWarmed(const Source& source) {
    static const auto take =
        reinterpret_cast<VelmoraTakeWarmedGraphFn>(dlsym(RTLD_DEFAULT, VELMORA_TAKE_WARMED_GRAPH_EXPORT));
    if (!take || !source.device.empty()) return false;
    PipelineRef pipeline(take(source.uri.c_str()));
    DecodeGraph graph;
    if (!pipeline || !EqualiserFlat(eq_) || !FindDecodeGraph(pipeline.get(), &graph)) return false;
    pipeline_ = std::move(pipeline);
    device_ = source.device;
    proxy_ = source.proxy;
    Drive(graph);
    return true;
}

void Decoder::Drive(const DecodeGraph& graph) {
    convert_ = graph.convert;
    preamp_ = graph.preamp;
    equaliser_ = graph.equaliser;
    format_ = graph.format;
    sink_ = graph.sink;
    ApplyEqualiser();
}

void Decoder::OnSourceSetup(GstElement*, GstElement* source, gpointer self) {
    auto* decoder = static_cast<Decoder*>(self);
    if (!decoder->device_.empty() && g_object_class_find_property(G_OBJECT_GET_CLASS(source), "device"))
        g_object_set(source, "device", decoder->device_.c_str(), nullptr);
    // Only the HTTP source: rtspsrc has a "proxy" too, but the HTTP proxy is not for RTSP.
    GstElementFactory* factory = gst_element_get_factory(source);
    const bool http = factory && g_strcmp0(gst_plugin_feature_get_name(GST_PLUGIN_FEATURE(factory)), "souphttpsrc") == 0;
    if (!decoder->proxy_.empty() && http) g_object_set(source, "proxy", decoder->proxy_.c_str(), nullptr);
}

// Playing, and wait until the first data has reached the end of the graph or something failed.
// A warmed graph has it there already.
Decoder::Preroll Decoder::WaitForPreroll(bool warmed) {
    if (gst_element_set_state(pipeline_.get(), GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
        if (!TakeError()) Report("the source cannot be opened", nullptr);
        return Preroll::Failed;
    }
    if (warmed) return Preroll::Done;
    const BusRef bus(gst_element_get_bus(pipeline_.get()));
    const auto wait = std::chrono::duration_cast<std::chrono::nanoseconds>(kPrerollWait).count();
    const MessageRef message(gst_bus_timed_pop_filtered(
        bus.get(), GstClockTime(wait), GstMessageType(GST_MESSAGE_ERROR | GST_MESSAGE_ASYNC_DONE)));
    if (!message) return Preroll::Pending;  // still working on it: the decoding thread takes over
    const bool failed = GST_MESSAGE_TYPE(message.get()) == GST_MESSAGE_ERROR;
    if (!failed) return Preroll::Done;
    return ReportError(message.get()) ? Preroll::NotFound : Preroll::Failed;
}

int Decoder::Play(const Source& source) {
    Stop();
    const bool warmed = TakeWarmed(source);
    if (!warmed && !Build(source)) return 1;
    const Preroll preroll = WaitForPreroll(warmed);
    if (preroll == Preroll::Done) {
        // Open the output now, as a host expects of Play, so that it never sees an idle output
        // with the time standing still before the decoding thread gets going.
        const SampleRef first(gst_app_sink_try_pull_preroll(GST_APP_SINK(sink_), 0));
        bool opened = false;
        {
            std::lock_guard lock(mutex_);
            opened = first && OpenOutput(gst_sample_get_caps(first.get()));
        }
        if (!opened) {
            Stop();
            return 1;
        }
    }
    if (preroll == Preroll::Failed || preroll == Preroll::NotFound) {
        Stop();
        return preroll == Preroll::NotFound ? kPlayNotFound : 1;
    }
    GetLength();
    thread_ = std::thread(&Decoder::Run, this);
    return 0;
}

void Decoder::Stop() {
    {
        std::lock_guard lock(mutex_);  // so the decoding thread cannot miss the wake-up
        stop_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
    const bool wasLoaded = Loaded();
    pipeline_.reset();
    convert_ = preamp_ = equaliser_ = format_ = sink_ = nullptr;
    if (wasLoaded && module_->outMod) module_->outMod->Close();
    outputOpen_ = false;
    baseMs_ = 0;
    length_ = -1;
    paused_ = false;
    stop_ = false;
}

bool Decoder::TakeError() {
    // Everything else is dropped on the way, so a long stream's buffering messages do not pile up.
    const BusRef bus(gst_element_get_bus(pipeline_.get()));
    while (const MessageRef message{gst_bus_pop(bus.get())}) {
        if (GST_MESSAGE_TYPE(message.get()) != GST_MESSAGE_ERROR) continue;
        ReportError(message.get());
        return true;
    }
    return false;
}

void Decoder::Run() {
    while (!stop_) {
        if (TakeError()) break;  // the track ends with what has been written
        unsigned generation = 0;
        BufferRef buffer;
        {
            std::unique_lock lock(mutex_);
            generation = generation_;
            const SampleRef sample(gst_app_sink_try_pull_sample(GST_APP_SINK(sink_), kPullWait));
            if (!sample && gst_app_sink_is_eos(GST_APP_SINK(sink_))) {
                // All decoded: stay, so that a seek back can decode again, until stopped.
                wake_.wait_for(lock, kEndWait, [&] { return stop_ || generation_ != generation; });
                continue;
            }
            if (!sample) {
                TellOutputWaiting();
                continue;
            }
            const bool opened = outputOpen_ || OpenOutput(gst_sample_get_caps(sample.get()));
            // The sink reuses its sample object and must be able to change it after a seek, so
            // only the buffer is kept.
            if (opened && gst_sample_get_buffer(sample.get()))
                buffer.reset(gst_buffer_ref(gst_sample_get_buffer(sample.get())));
            if (!opened) break;
        }
        if (buffer) HandBuffer(buffer.get(), generation);
    }
}

bool Decoder::OpenOutput(GstCaps* caps) {
    GstAudioInfo info;
    Out_Module* out = module_->outMod;
    if (!caps || !gst_audio_info_from_caps(&info, caps) || !out) return false;
    rate_ = GST_AUDIO_INFO_RATE(&info);
    channels_ = GST_AUDIO_INFO_CHANNELS(&info);
    const int latencyMs = out->Open(rate_, channels_, 16, -1, -1);
    if (latencyMs < 0) {
        Report("the output module refused the format", nullptr);
        return false;
    }
    // Refill at most half of what the output holds, so the waits end before it runs dry.
    bytesPerSecond_ = rate_ * channels_ * 2;
    refillBytes_ = int(std::int64_t(std::min(kRefillMs, latencyMs / 2)) * bytesPerSecond_ / 1000);
    knownRoom_ = 0;
    outputOpen_ = true;
    if (paused_) out->Pause(1);
    if (baseMs_ > 0) out->Flush(baseMs_);
    // Later streams of a chained file are converted to this format rather than reopening the
    // output, which would lose the time and what is queued.
    const CapsRef fixed(gst_caps_new_simple("audio/x-raw", "format", G_TYPE_STRING, "S16LE", "layout", G_TYPE_STRING,
                                            "interleaved", "rate", G_TYPE_INT, rate_, "channels", G_TYPE_INT,
                                            channels_, nullptr));
    g_object_set(format_, "caps", fixed.get(), nullptr);
    return true;
}

// The source has nothing yet (a network stall, a stream buffering) but has not ended: an empty
// write tells the output so, now and then, and it keeps counting as playing.
void Decoder::TellOutputWaiting() {
    const auto now = std::chrono::steady_clock::now();
    if (!outputOpen_ || !module_->outMod || now - lastWaitingNote_ < kWaitingNoteEvery) return;
    lastWaitingNote_ = now;
    static char nothing = 0;
    module_->outMod->Write(&nothing, 0);
}

// The output only tells how much it takes now. Rather than ask again every few ms when it is full,
// sleep for the time it needs to play out a refill; a seek or stop ends the sleep at once.
// knownRoom_ is a lower bound of the room between asks: only writes take room away.
bool Decoder::WaitForRoom(int bytes, unsigned generation) {
    Out_Module* out = module_->outMod;
    if (!out) return false;
    if (knownRoom_ >= bytes) return true;
    knownRoom_ = out->CanWrite();
    while (knownRoom_ < bytes) {
        const int shortfall = std::max(bytes, refillBytes_) - knownRoom_;
        const auto wait = std::clamp<std::chrono::milliseconds>(
            std::chrono::milliseconds(std::int64_t(shortfall) * 1000 / std::max(bytesPerSecond_, 1)), kRoomWaitMin,
            kRoomWaitMax);
        {
            std::unique_lock lock(mutex_);
            if (wake_.wait_for(lock, wait, [&] { return stop_ || generation_ != generation; })) return false;
        }
        knownRoom_ = out->CanWrite();
    }
    return true;
}

// Hands one decoded buffer to the DSP callback and the output module in blocks.
void Decoder::HandBuffer(GstBuffer* buffer, unsigned generation) {
    GstMapInfo map;
    if (!gst_buffer_map(buffer, &map, GST_MAP_READ)) return;
    const std::size_t frameBytes = std::size_t(channels_) * 2;
    // Twice the block: a DSP callback may return more samples than it was given.
    std::vector<short> block(std::size_t(kBlockFrames) * 2 * channels_);
    for (std::size_t offset = 0; offset + frameBytes <= map.size && !stop_;) {
        const int frames = int(std::min<std::size_t>(kBlockFrames, (map.size - offset) / frameBytes));
        std::memcpy(block.data(), map.data + offset, frames * frameBytes);
        offset += frames * frameBytes;
        int count = frames;
        if (module_->dsp_dosamples)
            count = std::clamp(module_->dsp_dosamples(block.data(), frames, 16, channels_, rate_), 0, 2 * kBlockFrames);
        const int bytes = count * int(frameBytes);
        if (!WaitForRoom(bytes, generation)) break;
        std::lock_guard lock(mutex_);
        if (generation_ != generation || stop_) break;
        module_->outMod->Write(reinterpret_cast<char*>(block.data()), bytes);
        knownRoom_ -= bytes;
    }
    gst_buffer_unmap(buffer, &map);
}

void Decoder::Pause() {
    paused_ = true;
    if (Loaded() && module_->outMod) module_->outMod->Pause(1);
}

void Decoder::UnPause() {
    paused_ = false;
    if (Loaded() && module_->outMod) module_->outMod->Pause(0);
}

int Decoder::GetLength() {
    if (!Loaded()) return -1;
    if (length_ < 0) {
        gint64 duration = 0;
        if (gst_element_query_duration(pipeline_.get(), GST_FORMAT_TIME, &duration) && duration >= 0)
            length_ = int(duration / GST_MSECOND);
    }
    return std::max<int>(length_, 0);  // loaded, length not known (yet): 0
}

int Decoder::GetOutputTime() {
    if (!Loaded()) return 0;
    if (!outputOpen_ || !module_->outMod) return baseMs_;
    return module_->outMod->GetOutputTime();
}

void Decoder::SetOutputTime(int ms) {
    if (!Loaded()) return;
    ms = std::max(ms, 0);
    std::lock_guard lock(mutex_);
    if (!gst_element_seek_simple(pipeline_.get(), GST_FORMAT_TIME,
                                 GstSeekFlags(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE), gint64(ms) * GST_MSECOND))
        return;
    ++generation_;
    baseMs_ = ms;
    if (outputOpen_ && module_->outMod) module_->outMod->Flush(ms);
    wake_.notify_all();
}

void Decoder::SetEqualiser(const Equaliser& equaliser) {
    eq_ = equaliser;
    ApplyEqualiser();
}

void Decoder::ApplyEqualiser() {
    if (!equaliser_) return;
    for (int band = 0; band < 10; ++band) {
        const std::string name = "band" + std::to_string(band);
        g_object_set(equaliser_, name.c_str(), eq_.on ? EqualiserDb(eq_.bands[band]) : 0.0, nullptr);
    }
    g_object_set(preamp_, "volume", eq_.on ? std::pow(10.0, EqualiserDb(eq_.preamp) / 20.0) : 1.0, nullptr);
}

}  // namespace velmora_input
