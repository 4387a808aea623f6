// The output plug-in's one audio road: PCM written by the input plug-in is gathered into buffers
// of about 100 ms and goes through an appsrc, a volume and a panorama element (with format and
// rate conversion only where needed) to the audio sink. Times are counted from the sink's
// position, so "heard" means heard, not merely queued.
//
// Thread use: Write and CanWrite come from the input's decoding thread, everything else from the
// host's thread; one mutex guards the state. What is gathered and not yet pushed has a mutex of
// its own, because the appsrc's streaming thread takes it too when it runs dry.
#pragma once

#include "plugins/winamp/device_volume_word.h"
#include "plugins/winamp/gst_ref.h"

#include <gst/app/app.h>
#include <gst/gst.h>

#include <chrono>
#include <memory>
#include <mutex>
#include <vector>

namespace velmora_output {

using PipelinePtr = velmora_gst::PipelineRef;

class AudioOut {
public:
    AudioOut();
    ~AudioOut();

    int Open(int sampleRate, int channels, int bitsPerSample, int bufferMs);
    void Close();
    int Write(const char* data, int length);
    int CanWrite();
    int IsPlaying();
    int Pause(int pause);
    void SetVolume(int volume);
    void SetPan(int pan);
    void Flush(int ms);
    int GetOutputTime();
    int GetWrittenTime();

private:
    using Clock = std::chrono::steady_clock;

    // Written whole frames not yet pushed into the appsrc. Small writes cost the sink a wake-up
    // each, so they are pushed together, except while the appsrc has nothing left to play.
    struct Gather {
        GstAppSrc* source = nullptr;  // the appsrc this data is for
        int rate = 0;
        int frameBytes = 0;
        int limitBytes = 0;         // push once this much is gathered
        guint64 pushedFrames = 0;   // since the restart; the next buffer's timestamp
        std::vector<char> data;
        bool starving = true;       // the appsrc's queue is empty: push at once
    };

    bool Opened() const { return pipeline_ != nullptr; }
    void PushLocked(const char* data, int length);
    static void SendGathered(Gather& gather);
    static void OnNeedData(GstAppSrc* source, guint length, gpointer self);
    void ResetGather(GstAppSrc* source);
    gint64 PositionLocked();
    gint64 WrittenNsLocked() const;
    void CheckBusLocked();
    void ApplyGainsLocked();
    void FollowDeviceVolumeLocked();
    void ResetCountersLocked(int baseMs);

    std::mutex mutex_;
    PipelinePtr pipeline_;
    GstElement* source_ = nullptr;  // owned by the pipeline
    GstElement* volumeElement_ = nullptr;
    GstElement* panoramaElement_ = nullptr;
    GstElement* sink_ = nullptr;

    int rate_ = 0;
    int frameBytes_ = 0;
    int capacityBytes_ = 0;
    std::vector<char> partialFrame_;  // bytes of a frame that a Write split
    std::mutex gatherMutex_;  // taken after mutex_, or alone from the streaming thread
    Gather gather_;

    int baseMs_ = 0;              // where the clock restarted (Open: 0, Flush: its argument)
    guint64 writtenFrames_ = 0;   // since the restart
    gint64 positionNs_ = 0;       // since the restart; never goes back
    bool paused_ = false;
    bool failed_ = false;         // the pipeline reported an error: swallow data, stay idle
    Clock::time_point lastWrite_;
    Clock::time_point lastProgress_;
    Clock::time_point inputWaiting_;  // the input last said it waits for its source

    int volume_ = 255;
    int pan_ = 0;
    unsigned int deviceWord_ = 0xFFFFFFFFu;
    VelmoraDeviceVolumeWordFn deviceWordFn_ = nullptr;
};

}  // namespace velmora_output
