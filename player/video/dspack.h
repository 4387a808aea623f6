// TDspack: the frame-grabbing engine. A filter graph with a sample grabber and the MPEG audio
// decoder; the picture is drawn into the video window frame by frame from the grabber, through
// the frame filters when the grabber path is chosen.
#pragma once

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QSize>
#include <QString>
#include <atomic>
#include <cstdint>
#include <memory>

#include "directshow/ds_util.h"

namespace directshow {
class TFilterGraph;
class TSampleGrabber;
class TFilter;
class TSysDevEnum;
}  // namespace directshow
class TImgVideo;
class TRun;

class TDspack : public QObject {
    Q_OBJECT
public:
    explicit TDspack(QObject* parent = nullptr);
    ~TDspack() override;

    // Renders the file, remembering its lower-cased extension (with the dot) and its picture
    // size; raises what the graph raises. Call Run to start.
    void Open(const QString& path);
    void Run();
    void Pause();
    // Stop, back to the start, the graph cleared, nothing drawn, the filter objects freed.
    void Stop();
    int LengthMs();
    // ms within runLength, by the share of the graph's duration played; 0 while that is unknown.
    int GetPosition(int runLength);
    // current of duration (100-ns units) as ms of runLength; 0 for an unknown duration.
    static int PositionMs(qint64 current, qint64 duration, int runLength);
    // Only while runLength > 0.
    void SetPosition(int ms, int runLength);
    // 0: the picture as it comes, drawn by the graph into its video window (a native child of the
    // video window at the picture area) or, with no native windows, from the grabber; 1: through
    // the grabber and the frame filters. GUI thread.
    void SetRatePriority(int mode);
    // The MPEG audio decoder's channel mode: 0 both, 1 left, 2 right.
    void SetAudioMode(int mode);
    int AudioMode() const { return audioMode_; }
    void FreeImage();
    // The filters read their settings again (no effect while frames come unfiltered).
    void ReloadSettings();

    // Streaming thread: one frame from the grabber.
    void GrabberBuffer(QObject* sender, double sampleTime, const std::uint8_t* buffer, int length);

    QString Extension;
    QSize VideoSize;
    bool Ended = false;
    directshow::TFilterGraph* Graph() const { return graph_.get(); }
    TImgVideo* ImgVideo() const { return imgVideo_.get(); }
    bool FiltersOn() const { return filtersOn_.load(); }
    // The decoder moniker the search kept, by its index in the legacy filters; -1 for none.
    int DecoderIndex() const { return decoderIndex_; }
    // The first index among those filters whose friendly name is the MPEG audio decoder's; every
    // entry is examined, the last one too.
    static int FindDecoder(const directshow::TSysDevEnum& filters);

    // Where frames are drawn: the video window's picture area, from the GUI thread.
    void SetDrawArea(const QSize& area);
    // GUI thread: the last frame drawn, as it was put into the window (tests read its pixels).
    QImage LastDrawn() const { return lastDrawn_; }

signals:
    void FrameDrawn();

private:
    void Draw(const QImage& picture, quint64 epoch);
    QImage Stretch(const QImage& frame, const QSize& area, QImage* window);
    QSize AreaNow() const;

    std::unique_ptr<directshow::TFilterGraph> graph_;
    QPointer<directshow::TSampleGrabber> grabber_;
    QPointer<directshow::TFilter> filter_;
    std::unique_ptr<TImgVideo> imgVideo_;
    std::atomic<bool> filtersOn_{false};
    bool windowMode_ = false;  // mode 0: the graph's video window follows the picture area
    std::atomic<int> areaWidth_{0}, areaHeight_{0};
    std::atomic<int> framesQueued_{0};
    std::atomic<quint64> epoch_{0};
    // Under the grabber's lock: the unfiltered path's frame and window bitmap, and the spare
    // window bitmap of both paths.
    QImage rawFrame_, rawWindow_, spareWindow_;
    QImage lastDrawn_;
    int audioMode_ = 0;
    int decoderIndex_ = -1;
};

// The run's frame engine, made on first use with `create` and kept for later entries.
TDspack* RunDspack(TRun* run, bool create);
