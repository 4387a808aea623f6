// The sample grabber: a member of a filter graph that takes the first video stream as 24-bit
// RGB frames and hands each one to OnBuffer on the streaming thread, under the grabber's lock.
#pragma once

#include <QImage>
#include <QObject>
#include <QPointer>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

#include "directshow/filter_graph.h"
#include "directshow/frame_bitmap.h"
#include "directshow/persistent.h"

namespace directshow {

// sender, the sample's start in seconds, its bytes (valid only during the call), their count.
using TOnBuffer = std::function<void(QObject* sender, double sampleTime, const std::uint8_t* buffer, int length)>;

class TSampleGrabber : public QObject, public IFilterProvider {
    Q_OBJECT
public:
    // Raises EAssertionFailed when the elements the grabber is made of are not installed.
    explicit TSampleGrabber(QObject* owner = nullptr);
    ~TSampleGrabber() override;

    // Set and cleared from any thread while frames arrive; takes effect at the next frame.
    void SetOnBuffer(TOnBuffer handler);
    bool HasOnBuffer() const;

    TFilterGraph* FilterGraph() const { return graph_; }
    void SetFilterGraph(TFilterGraph* graph);

    // By default video, RGB24, video-info format and no format block: bottom-up rows. A format
    // block whose bitmap height is negative asks for top-down rows.
    TMediaType& MediaType() { return mediaType_; }
    void UpdateMediaType();
    // The type of the stream now connected; VFW_E_NOT_CONNECTED before the first frame.
    HRESULT GetConnectedMediaType(AM_MEDIA_TYPE* type) const;

    // The frame's bytes as a picture (top row first) by the connected type; called from OnBuffer.
    // False, with bitmap unchanged, for no bytes, no bitmap or a type it cannot read.
    bool FrameToBitmap(QImage* bitmap, const std::uint8_t* buffer, int length);

    // Streaming thread: the handler, read once, called under the lock; its exceptions stop here.
    HRESULT BufferCB(double sampleTime, const std::uint8_t* buffer, int length);
    std::mutex& CriticalSection() { return lock_; }

    FilterPtr GetFilter() const override { return filter_; }
    QString GetName() const override { return objectName(); }
    void NotifyFilter(FilterOperation operation, int param = 0) override;

private:
    void Create();
    void Added();
    void Release();
    void Connected(void* caps);
    static int OnNewSample(void* sink, void* data);

    std::atomic<std::shared_ptr<const TOnBuffer>> onBuffer_;
    FilterPtr filter_;
    QPointer<TFilterGraph> graph_;
    TMediaType mediaType_;
    std::uint8_t header_[44] = {};  // reused by every FrameToBitmap, under the lock
    std::mutex lock_;
    mutable std::mutex connectedLock_;
    TMediaType connected_;
    bool isConnected_ = false;
    void* lastCaps_ = nullptr;  // the caps of the last frame, held; streaming thread while active
};

}  // namespace directshow
