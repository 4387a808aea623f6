// Inside of MediaEngine, shared by its source files: the pipeline and the state the GUI thread
// keeps, plus the few fields GStreamer's streaming threads touch (atomics and one guarded block).
#pragma once

#include <gst/gst.h>

#include <QPointer>
#include <QWidget>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

#include "platform/media_engine.h"

namespace platform {

// Holders of one GStreamer reference each: the release runs once, when the holder goes. No other
// code of the engine releases a reference by hand.
template <auto Release>
struct GstRelease {
    template <typename T>
    void operator()(T* p) const {
        Release(p);
    }
};
template <typename T>
using GstObjectRef = std::unique_ptr<T, GstRelease<gst_object_unref>>;
using ElementRef = GstObjectRef<GstElement>;
using PadRef = GstObjectRef<GstPad>;
using BusRef = GstObjectRef<GstBus>;
using CapsRef = std::unique_ptr<GstCaps, GstRelease<gst_caps_unref>>;
using MessageRef = std::unique_ptr<GstMessage, GstRelease<gst_message_unref>>;
using TagListRef = std::unique_ptr<GstTagList, GstRelease<gst_tag_list_unref>>;
using ErrorRef = std::unique_ptr<GError, GstRelease<g_error_free>>;
using TextRef = std::unique_ptr<gchar, GstRelease<g_free>>;

// A new element owned by its holder: a floating reference is sunk first, so that adding the
// element to a bin takes a reference of its own.
inline ElementRef MakeOwned(GstElement* element) {
    return ElementRef(element ? GST_ELEMENT(gst_object_ref_sink(element)) : nullptr);
}

// Owns a top-level pipeline: to NULL first, so no streaming thread outlives it.
struct PipelineRelease {
    void operator()(GstElement* pipeline) const {
        gst_element_set_state(pipeline, GST_STATE_NULL);
        gst_object_unref(pipeline);
    }
};
using PipelineRef = std::unique_ptr<GstElement, PipelineRelease>;

// The native child window video is drawn into. It tells the engine before its window goes, so a
// sink never draws into a destroyed X window.
class VideoWindow : public QWidget {
public:
    VideoWindow(QWidget* owner, bool native);
    ~VideoWindow() override;
    std::function<void()> onGone;
    std::function<void()> onExposed;

protected:
    bool event(QEvent* e) override;
};

struct MediaEngine::Impl {
    explicit Impl(MediaEngine* engine) : q(engine) {}

    MediaEngine* q;
    PipelineRef pipeline;          // playbin; reused from one Open to the next
    GstElement* volume = nullptr;  // inside the audio bin, borrowed
    GstElement* panorama = nullptr;
    GstElement* videoSink = nullptr;
    bool nativeVideo = false;  // the pipeline draws into the video window

    // Touched by streaming threads. Every message is tagged with the epoch current when it was
    // posted; the GUI thread drops it when the epoch has moved on (new source, stop, close).
    std::atomic<quint64> epoch{1};
    std::atomic<guintptr> windowHandle{0};
    std::atomic<quint32> seeks{0};  // flushing seeks issued; tags ASYNC_DONE as before or after one
    std::atomic<bool> flowed{false};  // some data of the source reached a sink since Open
    std::mutex waitMutex;
    std::condition_variable waitCond;
    quint64 waitEpoch = 0;  // guarded by waitMutex
    bool waitDone = false;
    QString waitError;
    MediaFailure waitFailure = MediaFailure::Failed;

    // GUI thread only.
    QString source, lastError;
    MediaFailure lastFailure = MediaFailure::Failed;
    QByteArray uri;
    bool local = false;
    State state = State::Stopped;
    std::optional<State> settling;  // while rebuilding: ignore states until this one
    bool prerolled = false, prerolledEmitted = false, hasVideo = false;
    bool playAfterPreroll = false;
    bool buffering = false;  // a network source is filling its buffer
    gulong capsWatch = 0;    // the video sink pad's caps notification
    qint64 duration = -1;          // last duration read
    qint64 reportedDuration = -1;  // last one announced by DurationChanged
    qint64 seekTarget = -1;   // a seek in flight: reported as the position until it lands
    qint64 pendingSeek = -1;  // applied at the next preroll
    QSize videoSize{0, 0};
    int channels = 0, rate = 0;
    double left = 1.0, right = 1.0;
    QPointer<QWidget> owner;
    QPointer<VideoWindow> window;
    QRect rect;

    // media_pipeline.cpp
    struct Relay {
        Impl* d;
        GstElement* pipeline;
    };
    static GstBusSyncReply OnBusSync(GstBus* bus, GstMessage* message, gpointer data);
    void Forward(GstMessage* message, quint64 epochOfMessage, quint32 seeksOfMessage);
    bool Build(bool native);  // makes the playbin with its named sinks
    static void OnVideoCaps(GstPad* pad, GParamSpec*, gpointer data);
    void WatchVideoCaps();
    static GstPadProbeReturn OnData(GstPad* pad, GstPadProbeInfo* info, gpointer data);
    void WatchData(GstElement* sink);
    void UnwatchVideoCaps();
    QSize SinkVideoSize() const;
    void Destroy();
    void ApplyLevels();
    void ReadStreamInfo();
    bool QueryDuration(qint64* value) const;
    int ReadBitrate() const;
    void ArmWait();
    bool Wait(int ms, QString* error, MediaFailure* failure);

    // media_engine.cpp
    void Handle(GstMessage* message, quint64 epochOfMessage, quint32 seeksOfMessage);
    void OnAsyncDone(quint32 seeksOfMessage);
    void OnError(const QString& text, MediaFailure failure);
    void SetState(State s);
    void SetBuffering(bool now);
    void OnVideoSize(QSize size, quint64 epochOfSize);
    void RefreshDuration();
    void EmitErrorLater(const QString& text, MediaFailure failure);
    void Halt();  // pipeline to NULL; messages posted before are dropped
    bool WantsNativeVideo() const;
    bool NeedsRebuild() const;
    void Rebuild();
    bool Seek(qint64 position100ns);
    void ResetStream();
    void OnWindowGone();
};

// The text of an error message.
QString ErrorText(GstMessage* message);
// The class of an error message; a source on the network fails to connect where a local one is
// not found. Silent: a network source from which no data has come yet.
enum class Network { Local, Silent, Sent };
MediaFailure ErrorClass(GstMessage* message, Network network);

// Fake when the process or a test asks for silence; else GStreamer picks (MakeSoundSink).
AudioOut CurrentAudioOut();

}  // namespace platform
