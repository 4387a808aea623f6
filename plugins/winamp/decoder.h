// The decoding half shared by input.dll and cdrun.dll: a GStreamer graph that decodes one source
// through the equaliser to 16-bit interleaved PCM, and a thread that hands the PCM, block by
// block, to the host's DSP callback and then to the output module of the plug-in record.
#pragma once

#include "plugins/winamp/decode_graph.h"
#include "plugins/winamp/gst_ref.h"
#include "plugins/winamp/winamp_plugin.h"

#include <gst/gst.h>

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace velmora_input {

// What to decode: a URI, for an audio CD the device its source element reads, and the HTTP
// proxy of a network source (empty: none).
struct Source {
    std::string uri;
    std::string device;
    std::string proxy;
};

struct Equaliser {
    bool on = false;
    std::array<int, 10> bands{32, 32, 32, 32, 32, 32, 32, 32, 32, 32};  // 0 top .. 63 bottom
    int preamp = 32;
};

// Gain in dB of an equaliser value as the host sends it: 0 (knob at the top) +12 dB, the middle
// value 32 (what a stored middle of 31 becomes) flat, 63 (at the bottom) -12 dB.
double EqualiserDb(int value);
// True when the equaliser changes nothing: off, or every value at its middle.
bool EqualiserFlat(const Equaliser& equaliser);

constexpr int kPlayNotFound = -1;

class Decoder {
public:
    explicit Decoder(In_Module* module) : module_(module) {}
    ~Decoder() { Stop(); }

    // 0 when decoding has started; kPlayNotFound when the source is not there; another non-zero
    // value, with the reason on stderr, when the source cannot be opened or its first data cannot
    // be decoded. Waits briefly for the first data, so that the
    // length is known when it returns.
    int Play(const Source& source);
    void Stop();
    bool Loaded() const { return pipeline_ != nullptr; }

    void Pause();
    void UnPause();
    bool IsPaused() const { return paused_; }
    int GetLength();
    int GetOutputTime();
    void SetOutputTime(int ms);
    void SetEqualiser(const Equaliser& equaliser);

private:
    enum class Preroll { Done, Pending, Failed, NotFound };

    bool Build(const Source& source);
    bool TakeWarmed(const Source& source);
    void Drive(const DecodeGraph& graph);
    Preroll WaitForPreroll(bool warmed);
    void ApplyEqualiser();
    void Run();
    bool TakeError();
    void HandBuffer(GstBuffer* buffer, unsigned generation);
    bool OpenOutput(GstCaps* caps);
    bool WaitForRoom(int bytes, unsigned generation);
    void TellOutputWaiting();
    static void OnSourceSetup(GstElement* decodebin, GstElement* source, gpointer self);

    In_Module* module_;
    velmora_gst::PipelineRef pipeline_;
    GstElement* convert_ = nullptr;  // these are owned by the pipeline
    GstElement* preamp_ = nullptr;
    GstElement* equaliser_ = nullptr;
    GstElement* format_ = nullptr;
    GstElement* sink_ = nullptr;
    std::string device_;
    std::string proxy_;

    std::thread thread_;
    std::mutex mutex_;  // pulling a sample and handing it over against seeks and stops
    std::condition_variable wake_;
    std::atomic<bool> stop_{false};
    std::atomic<unsigned> generation_{0};  // counts seeks; a sample of an older one is dropped
    std::atomic<bool> paused_{false};
    std::atomic<int> length_{-1};
    Equaliser eq_;
    std::atomic<int> baseMs_{0};  // where the last seek put the output's clock
    int rate_ = 0;
    int channels_ = 0;
    int bytesPerSecond_ = 0;
    int refillBytes_ = 0;  // what the decoding thread waits for when the output is full
    int knownRoom_ = 0;    // what the output could take when last asked, less what was written since
    std::atomic<bool> outputOpen_{false};
    std::chrono::steady_clock::time_point lastWaitingNote_{};  // decoding thread only
};

}  // namespace velmora_input
