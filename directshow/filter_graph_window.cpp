// The graph's video window: the X video sink draws the first video stream straight into a native
// child window of the owner, so a picture that is only shown is never copied out of GStreamer.
#include <gst/video/videooverlay.h>

#include <QGuiApplication>
#include <QMetaObject>
#include <atomic>

#include "directshow/filter_graph_core.h"
#include "platform/media_internal.h"

namespace directshow {

namespace {

// XVideo first (the server scales); Xvfb and some drivers have no XVideo adaptor, and then
// xvimagesink fails to reach READY. The first sink that reached READY is made straight away at
// later renders: the process has one display. Not yet in a bin.
GstElement* MakeWindowSink(guintptr handle) {
    static std::atomic<const char*> known{nullptr};
    const char* const kinds[] = {"xvimagesink", "ximagesink"};
    for (const char* factory : kinds) {
        const char* proven = known.load();
        if (proven && factory != proven) continue;
        GstElement* sink = gst_element_factory_make(factory, nullptr);
        if (!sink) continue;
        gst_object_ref_sink(sink);
        if (!proven) {
            const bool ready = gst_element_set_state(sink, GST_STATE_READY) != GST_STATE_CHANGE_FAILURE;
            gst_element_set_state(sink, GST_STATE_NULL);
            if (!ready) {
                gst_object_unref(sink);
                continue;
            }
            known = factory;
        }
        g_object_set(sink, "force-aspect-ratio", TRUE, nullptr);
        gst_video_overlay_set_window_handle(GST_VIDEO_OVERLAY(sink), handle);
        return sink;
    }
    return nullptr;
}

}  // namespace

// convert ! X sink for the first video stream while a window is wanted; the converter passes
// the decoder's frames through untouched where the sink takes their format (XVideo's YUV).
bool TFilterGraph::Core::LinkToWindow(GstPad* pad) {
    const guintptr handle = windowHandle.load();
    if (!handle) return false;
    {
        std::lock_guard guard(lock);
        if (windowSink) return false;
    }
    GstElement* sink = MakeWindowSink(handle);
    if (!sink) return false;
    GstElement* convert = AddRendered("videoconvert");
    if (!convert) {
        gst_object_unref(sink);
        return false;
    }
    gst_bin_add(GST_BIN(pipeline), sink);  // the pipeline takes our reference's place
    gst_object_unref(sink);
    {
        std::lock_guard guard(lock);
        rendered.push_back(sink);
    }
    GstPad* in = gst_element_get_static_pad(convert, "sink");
    const bool linked = gst_element_link(convert, sink) && gst_pad_link(pad, in) == GST_PAD_LINK_OK;
    gst_object_unref(in);
    if (!linked) {
        // Left in the pipeline, a sink that never prerolls would hold the render until it times out.
        for (GstElement* element : {convert, sink}) {
            {
                std::lock_guard guard(lock);
                std::erase(rendered, element);
            }
            gst_element_set_state(element, GST_STATE_NULL);
            gst_bin_remove(GST_BIN(pipeline), element);
        }
        return false;
    }
    gst_element_sync_state_with_parent(sink);
    gst_element_sync_state_with_parent(convert);
    std::lock_guard guard(lock);
    windowSink = sink;
    // The window may have changed while the sink was made: FollowWindow found no sink to move then.
    const guintptr now = windowHandle.load();
    if (now && now != handle) gst_video_overlay_set_window_handle(GST_VIDEO_OVERLAY(sink), now);
    return true;
}

void TFilterGraph::Core::ExposeWindow() {
    std::lock_guard guard(lock);
    if (windowSink) gst_video_overlay_expose(GST_VIDEO_OVERLAY(windowSink));
}

void TFilterGraph::put_Owner(QWidget* owner) {
    if (window_ && window_->parentWidget() == owner) return;
    if (!window_ && !owner) return;
    auto* old = static_cast<platform::VideoWindow*>(window_.data());
    window_ = nullptr;
    if (owner) {
        const bool native = QGuiApplication::platformName() == QLatin1String("xcb");
        auto* window = new platform::VideoWindow(owner, native);
        QPointer<TFilterGraph> self(this);
        window->onGone = [self] {
            if (!self) return;
            self->window_ = nullptr;
            self->FollowWindow();
        };
        window->onExposed = [self] {
            if (self && self->core_) self->core_->ExposeWindow();
        };
        if (native) window->winId();  // the X window exists from here on
        window_ = window;
    }
    // A sink drawing now moves to the new window, or leaves, before the old window goes.
    FollowWindow();
    if (old) {
        old->onGone = nullptr;
        delete old;
    }
}

HRESULT TFilterGraph::SetWindowPosition(long left, long top, long width, long height) {
    windowPlace_ = QRect(int(left), int(top), int(qMax(0L, width)), int(qMax(0L, height)));
    if (window_ && !windowPlace_.isEmpty()) window_->setGeometry(windowPlace_);
    FollowWindow();
    return S_OK;
}

QWidget* TFilterGraph::VideoWindowWidget() const { return window_.data(); }

bool TFilterGraph::DrawsVideo() const {
    if (!core_) return false;
    std::lock_guard guard(core_->lock);
    return core_->windowSink != nullptr;
}

bool TFilterGraph::WantsWindow() const {
    return window_ && window_->testAttribute(Qt::WA_NativeWindow) && window_->internalWinId() != 0 &&
           !windowPlace_.isEmpty();
}

// The core learns the window; a rendered video that is not where it should be is rendered again.
void TFilterGraph::FollowWindow() {
    const bool wanted = WantsWindow();
    const guintptr handle = wanted ? guintptr(window_->internalWinId()) : 0;
    if (core_) {
        const guintptr before = core_->windowHandle.exchange(handle);
        bool drawing = false, video = false;
        {
            std::lock_guard guard(core_->lock);
            drawing = core_->windowSink != nullptr;
            video = core_->videoLinked;
            if (drawing && wanted && handle != before)
                gst_video_overlay_set_window_handle(GST_VIDEO_OVERLAY(core_->windowSink), handle);
        }
        // Once per change: a sink that cannot be made leaves the picture where it went.
        if (!renderedName_.isEmpty() && video && wanted != renderedWanted_) RenderAgain();
    }
    ShowWindow();
}

// Shown only while the sink draws into it (or may, once a file is rendered): a window with no
// picture would cover what the owner draws itself. It stays below the owner's other children, so
// a native child that the owner puts over the picture (text drawn over the video) stays on top.
void TFilterGraph::ShowWindow() {
    QWidget* window = window_;
    if (!window) return;
    const bool show = WantsWindow() && (renderedName_.isEmpty() || DrawsVideo());
    if (!show) {
        window->hide();
        return;
    }
    if (!window->isHidden()) return;
    window->lower();
    window->show();
}

// The same file again, with the video where the window says; back to the position and the state
// it had. A failure is reported as the graph's abort.
void TFilterGraph::RenderAgain() {
    const FilterState state = core_->wanted;
    qint64 position = 0;
    const bool known = core_->Position(&position) == S_OK;
    renderedWanted_ = WantsWindow();
    const HRESULT result = core_->Render(renderedName_);
    if (result != S_OK) {
        renderedName_.clear();
        // Through Deliver, as every graph event: a handler's exception is told, not thrown into
        // the event loop, and an abort for a render that a newer one replaced is dropped.
        QPointer<TFilterGraph> self(this);
        const quint64 epoch = core_->epoch.load();
        QMetaObject::invokeMethod(
            this, [self, epoch, result] {
                if (self) self->Deliver(epoch, EC_ERRORABORT, result, 0);
            },
            Qt::QueuedConnection);
        return;
    }
    if (known && position > 0) core_->Seek(position);
    if (state == FilterState::State_Running) core_->ChangeState(GST_STATE_PLAYING, false);
    core_->wanted = state;
}

}  // namespace directshow
