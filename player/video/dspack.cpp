// The frame-grabbing engine over the filter-graph layer.
#include "player/video/dspack.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QPainter>
#include <chrono>
#include <cmath>
#include <thread>

#include "directshow/filter.h"
#include "directshow/filter_graph.h"
#include "directshow/frame_bitmap.h"
#include "directshow/sample_grabber.h"
#include "directshow/sys_dev_enum.h"
#include "player/display/display.h"
#include "player/playback/run.h"
#include "player/video/capture.h"
#include "player/video/dspack_run.h"
#include "player/video/form4.h"

using namespace directshow;

namespace {

// Frames waiting for the GUI thread beyond this are dropped, so a slow window never piles them up.
constexpr int kMostQueuedFrames = 2;

// The window's own format: the stretch converts while it scales, and the window copies the
// picture into its screen image without converting it again.
constexpr QImage::Format kWindowFormat = QImage::Format_RGB32;

// Rows top first, as the frame bitmap holds them: the grabber then leaves them as the decoder
// made them, instead of turning them over for a picture that turns them back.
void AskTopDownRows(TSampleGrabber& grabber) {
    std::uint8_t block[kVideoInfoHeaderSize] = {};
    BitmapInfoHeader header;
    header.biHeight = -1;
    header.biBitCount = 24;
    WriteBitmapInfoHeader(header, block + 48);
    grabber.MediaType().SetFormat(block, sizeof block);
    grabber.UpdateMediaType();
}

}  // namespace

TDspack::TDspack(QObject* parent) : QObject(parent), graph_(std::make_unique<TFilterGraph>()) {
    grabber_ = new TSampleGrabber(this);
    grabber_->SetFilterGraph(graph_.get());
    AskTopDownRows(*grabber_);
    grabber_->SetOnBuffer([this](QObject* s, double t, const std::uint8_t* b, int n) { GrabberBuffer(s, t, b, n); });
    filter_ = new TFilter(this);
    filter_->SetFilterGraph(graph_.get());
    TSysDevEnum filters(CLSID_LegacyAmFilterCategory);
    decoderIndex_ = FindDecoder(filters);
    if (decoderIndex_ >= 0) filter_->BaseFilter().SetMoniker(filters.GetMoniker(decoderIndex_));
    graph_->SetActive(false);
    graph_->SetActive(true);
    connect(graph_.get(), &TFilterGraph::OnGraphComplete, this, [this] { Ended = true; });
    connect(graph_.get(), &TFilterGraph::OnGraphVideoSizeChanged, this,
            [this](quint16 width, quint16 height) { VideoSize = QSize(width, height); });
}

// The graph goes first: taking it down joins the streaming threads before the frames go.
TDspack::~TDspack() {
    if (grabber_) grabber_->SetOnBuffer({});
    epoch_.fetch_add(1);
    if (graph_) graph_->SetActive(false);
    delete grabber_.data();
    delete filter_.data();
    graph_.reset();
}

int TDspack::FindDecoder(const TSysDevEnum& filters) {
    int found = -1;
    for (int i = 0; i < filters.FilterCount(); ++i) {
        TDeviceFilterRecord record;
        filters.GetFilterInfo(i, &record);
        // A later match replaces an earlier one.
        if (record.FriendlyName == QLatin1String(kMpegAudioDecoderName)) found = i;
    }
    return found;
}

void TDspack::Open(const QString& path) {
    Ended = false;
    VideoSize = QSize();
    const QString suffix = QFileInfo(path).suffix().toLower();
    Extension = suffix.isEmpty() ? QString() : u'.' + suffix;
    graph_->RenderFile(path);
    // The picture's size is reported while the file prerolls; take it now rather than later.
    QCoreApplication::sendPostedEvents(graph_.get(), QEvent::MetaCall);
}

void TDspack::Run() {
    epoch_.fetch_add(1);
    graph_->Run();
}

void TDspack::Pause() { graph_->Pause(); }

void TDspack::Stop() {
    graph_->Stop();
    SetPosition(0, LengthMs());
    graph_->ClearGraph();
    windowMode_ = false;
    graph_->SetWindowPosition(0, 0, 0, 0);
    epoch_.fetch_add(1);  // frames still queued for the window are not drawn
    FreeImage();
    Ended = false;
}

int TDspack::LengthMs() { return GraphDurationMs(graph_.get()); }

int TDspack::GetPosition(int runLength) {
    qint64 duration = 0, current = 0;
    if (graph_->GetDuration(&duration) != S_OK || graph_->GetCurrentPosition(&current) != S_OK) return 0;
    return PositionMs(current, duration, runLength);
}

int TDspack::PositionMs(qint64 current, qint64 duration, int runLength) {
    // Nothing to divide by while the file opens or for a live source.
    if (duration <= 0) return 0;
    const double ms = std::nearbyint(double(current) / double(duration) * runLength);
    return ms > 2147483647.0 ? 2147483647 : ms < 0 ? 0 : int(ms);
}

void TDspack::SetPosition(int ms, int runLength) {
    if (runLength <= 0) return;
    qint64 duration = 0;
    if (graph_->GetDuration(&duration) != S_OK) return;
    qint64 target = qint64(std::nearbyint(double(ms) / runLength * double(duration)));
    graph_->SetPositions(&target, AM_SEEKING_AbsolutePositioning, &duration, AM_SEEKING_NoPositioning);
}

// Mode 0 lets the graph draw the picture into its video window on the video window's area; only
// where no native window exists do the frames still come through the grabber, unfiltered. Mode 1
// takes the window away, so the graph renders the picture into the grabber again.
void TDspack::SetRatePriority(int mode) {
    const QSize area = Form4 ? QSize(Form4->width() - 14, Form4->height() - 20) : AreaNow();
    if (mode == 0) {
        filtersOn_ = false;
        windowMode_ = true;
        graph_->put_Owner(Form4);
        SetDrawArea(area);
        return;
    }
    windowMode_ = false;
    SetDrawArea(area);
    if (!imgVideo_) {
        imgVideo_ = std::make_unique<TImgVideo>();
        imgVideo_->LoadSettings();
        std::lock_guard guard(imgVideo_->FrameLock);
        if (VideoSize.isValid() && !VideoSize.isEmpty())
            imgVideo_->FrameBitmap = QImage(VideoSize, QImage::Format_BGR888);
        imgVideo_->WindowBitmap = QImage(AreaNow().expandedTo(QSize(1, 1)), kWindowFormat);
    }
    filtersOn_ = true;
    graph_->SetWindowPosition(0, 0, 0, 0);
}

// Only the MPEG audio decoder answers; without one the mode is kept and nothing changes.
void TDspack::SetAudioMode(int mode) {
    audioMode_ = mode;
    IMpegAudioDecoder* decoder = filter_ ? filter_->QueryMpegAudioDecoder() : nullptr;
    if (decoder && mode >= 0) decoder->put_DualMode(static_cast<unsigned long>(mode));
}

void TDspack::FreeImage() {
    filtersOn_ = false;
    if (!imgVideo_) return;
    // Wait for a frame being filtered now: it holds the grabber's lock.
    std::lock_guard guard(grabber_->CriticalSection());
    imgVideo_.reset();
}

void TDspack::ReloadSettings() {
    if (imgVideo_) imgVideo_->LoadSettings();
}

void TDspack::SetDrawArea(const QSize& area) {
    areaWidth_ = std::max(area.width(), 0);
    areaHeight_ = std::max(area.height(), 0);
    if (windowMode_) graph_->SetWindowPosition(7, 15, areaWidth_.load(), areaHeight_.load());
}

QSize TDspack::AreaNow() const { return QSize(areaWidth_.load(), areaHeight_.load()); }

// Runs under the grabber's lock, which FreeImage also takes, so the filter object cannot go away
// during a frame. The window is drawn on the GUI thread from the window bitmap itself, shared,
// not copied.
void TDspack::GrabberBuffer(QObject*, double, const std::uint8_t* buffer, int length) {
    const QSize area = AreaNow();
    TImgVideo* img = filtersOn_ ? imgVideo_.get() : nullptr;
    int delayMs = 0;
    QImage shown;
    try {
        if (img) {
            std::lock_guard guard(img->FrameLock);
            if (grabber_->FrameToBitmap(&img->FrameBitmap, buffer, length) && !area.isEmpty()) {
                img->ApplyFilters(&img->FrameBitmap);
                shown = Stretch(img->FrameBitmap, area, &img->WindowBitmap);
            }
            delayMs = img->FrameDelayMs();
        } else if (grabber_->FrameToBitmap(&rawFrame_, buffer, length) && !area.isEmpty()) {
            shown = Stretch(rawFrame_, area, &rawWindow_);
        }
    } catch (...) {
        shown = QImage();  // the frame is dropped
    }
    if (!shown.isNull() && framesQueued_.load() < kMostQueuedFrames) {
        framesQueued_.fetch_add(1);
        const quint64 epoch = epoch_.load();
        QMetaObject::invokeMethod(this, [this, shown, epoch] { Draw(shown, epoch); }, Qt::QueuedConnection);
    }
    if (delayMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
}

// The frame stretched over the whole area, into a window bitmap no one else holds: the one the
// GUI thread still draws from (or keeps as the last drawn) is swapped for the spare, and a new one
// is made only when both are held.
QImage TDspack::Stretch(const QImage& frame, const QSize& area, QImage* window) {
    const auto usable = [&area](const QImage& image) {
        return image.isDetached() && image.size() == area && image.format() == kWindowFormat;
    };
    if (!usable(*window)) {
        QImage previous = std::move(*window);
        *window = usable(spareWindow_) ? std::move(spareWindow_) : QImage(area, kWindowFormat);
        spareWindow_ = std::move(previous);
    }
    if (window->isNull()) return QImage();
    QPainter painter(window);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(QRect(QPoint(0, 0), area), frame);
    painter.end();
    return *window;
}

void TDspack::Draw(const QImage& picture, quint64 epoch) {
    framesQueued_.fetch_sub(1);
    if (epoch != epoch_.load()) return;
    lastDrawn_ = picture;
    if (Form4) {
        Form4->DrawOnWindow(QRect(QPoint(7, 15), picture.size()), picture, picture.rect());
        SetDrawArea(QSize(Form4->width() - 14, Form4->height() - 20));
    }
    emit FrameDrawn();
}

TDspack* RunDspack(TRun* run, bool create) {
    auto* engine = run->findChild<TDspack*>(QString(), Qt::FindDirectChildrenOnly);
    if (!engine && create) {
        engine = new TDspack(run);
        // A file that fails while it plays ends the entry with the failure message.
        QObject::connect(engine->Graph(), &TFilterGraph::OnGraphErrorAbort, engine, [run](HRESULT result) {
            run->EngineFailed(Engine::FrameGrabbing, platform::FailureReason(FailureOfResult(result)), DSErrorText(result));
        });
    }
    return engine;
}
