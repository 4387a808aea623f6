// The GStreamer side of the filter graph: the pipeline, what a render added to it, and the bus
// relay that turns messages into graph events for the owner's thread. Private to the layer.
#pragma once

#include <gst/gst.h>

#include <QStringList>
#include <atomic>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "directshow/filter_graph.h"

namespace directshow {

// A renderer is an element that ends a stream.
inline bool IsRenderer(GstElement* element) { return GST_OBJECT_FLAG_IS_SET(element, GST_ELEMENT_FLAG_SINK); }

class GraphLog;

struct TFilterGraph::Core {
    explicit Core(TFilterGraph* owner);
    ~Core();
    Core(const Core&) = delete;
    Core& operator=(const Core&) = delete;

    // Members' filters: a renderer of a stream (it has a sink) waits outside the pipeline until a
    // render gives it a stream, so an idle one never holds up a preroll; any other joins at once.
    void AddFilter(const FilterPtr& filter, const QString& name);
    void RemoveFilter(const FilterPtr& filter);

    HRESULT Render(const QString& name);
    void ClearRendered();  // to NULL; the render's elements go, the members' stay
    void UnlinkAll();
    HRESULT ChangeState(GstState state, bool announcePause);  // announcePause: EC_PAUSED once there
    HRESULT State(int timeoutMs, FilterState* state);
    HRESULT Duration(qint64* duration) const;
    HRESULT Position(qint64* position) const;
    HRESULT Seek(qint64 position);
    void ApplyLevels(long volume, long balance);
    // The window sink draws again what it last drew (the window was exposed or resized).
    void ExposeWindow();
    QStringList Factories() const;
    // The language (ISO 639 code) of a DVD's audio or sub-picture stream, as its source told.
    bool DvdLanguage(bool audio, int stream, QString* code) const;

    bool dvd = false;  // renders a DVD folder or device through the DVD source
    std::unique_ptr<GraphLog> log;

    TFilterGraph* owner;
    GstElement* pipeline;
    std::atomic<quint64> epoch{1};  // events of an older render or graph are dropped
    std::atomic<bool> rendering{false};
    std::atomic<bool> pausing{false};
    std::atomic<int> lastBuffering{-1};
    std::atomic<bool> flowed{false};  // a sample of the render reached a stream's branch
    FilterState wanted = FilterState::State_Stopped;

    // Touched by the streaming thread that exposes a stream.
    mutable std::mutex lock;
    std::vector<FilterPtr> members;       // every member filter in the graph
    std::vector<FilterPtr> waiting;       // renderers outside the pipeline, not linked
    std::vector<FilterPtr> linkedTargets;  // renderers a render linked in
    std::vector<GstElement*> rendered;    // the render's own elements (the pipeline holds them)
    GstElement* volume = nullptr;         // in the audio branch, borrowed
    GstElement* panorama = nullptr;
    double linearVolume = 1.0, pan = 0.0;
    double deviceLeft = 1.0, deviceRight = 1.0;
    std::atomic<int> dualMode{0};  // read by the audio streaming thread
    int streamsLinked = 0;
    std::vector<FilterPtr> spliced;  // member decoders a render put into a stream
    std::map<int, QString> audioLanguages, subpictureLanguages;
    int dvdTitle = -1, dvdChapter = -1;
    // The native window the first video stream is drawn into by the X sink; 0 for none.
    std::atomic<guintptr> windowHandle{0};
    GstElement* windowSink = nullptr;  // rendered, borrowed
    bool videoLinked = false;          // the render has a video stream

    // The preroll a render waits for.
    std::mutex waitMutex;
    std::condition_variable waitCond;
    bool waitDone = false;
    HRESULT waitResult = S_OK;

private:
    static GstBusSyncReply OnBusSync(GstBus* bus, GstMessage* message, gpointer data);
    static void OnPadAdded(GstElement* source, GstPad* pad, gpointer data);
    static GstPadProbeReturn OnAudioBuffer(GstPad* pad, GstPadProbeInfo* info, gpointer data);
    static GstPadProbeReturn OnVideoCaps(GstPad* pad, GstPadProbeInfo* info, gpointer data);
    static GstPadProbeReturn OnData(GstPad* pad, GstPadProbeInfo* info, gpointer data);
    static void OnDvdElement(GstBin* bin, GstElement* element, gpointer data);
    static GstPadProbeReturn OnDvdEvent(GstPad* pad, GstPadProbeInfo* info, gpointer data);
    static int OnAutoplugSelect(GstElement* bin, GstPad* pad, GstCaps* caps, GstElementFactory* factory, gpointer data);
    FilterPtr MemberDecoderFor(GstCaps* caps) const;
    bool LinkToMemberDecoder(GstPad* pad);
    void RelayDvd(GstMessage* message);
    void Relay(GstMessage* message);
    void Post(int code, qintptr param1, qintptr param2);
    void FinishWait(HRESULT result);
    void LinkStream(GstPad* pad);
    bool LinkToTarget(GstPad* pad);
    bool LinkToWindow(GstPad* pad);
    void LinkAudio(GstPad* pad);
    void LinkToFakeSink(GstPad* pad, bool sync);
    GstElement* AddRendered(const char* factory);
};

HRESULT ResultOfError(GstMessage* message);

}  // namespace directshow
