// Video into a native child window of the owner (X11), or into a fake sink where there is none.
#include <gst/video/videooverlay.h>

#include <QEvent>
#include <QGuiApplication>
#include <QPalette>
#include <utility>

#include "platform/media_internal.h"

namespace platform {

VideoWindow::VideoWindow(QWidget* owner, bool native) : QWidget(owner) {
    setAttribute(Qt::WA_DontCreateNativeAncestors);
    if (native) setAttribute(Qt::WA_NativeWindow);
    setAutoFillBackground(true);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    hide();
}

VideoWindow::~VideoWindow() {
    // Runs before QWidget's destructor takes the native window away.
    if (onGone) std::exchange(onGone, nullptr)();
}

bool VideoWindow::event(QEvent* e) {
    const bool handled = QWidget::event(e);
    if (onExposed && (e->type() == QEvent::Paint || e->type() == QEvent::Resize)) onExposed();
    return handled;
}

void MediaEngine::SetVideoOwner(QWidget* owner) {
    if (owner == d->owner && (!owner || d->window)) return;
    VideoWindow* old = d->window;
    d->owner = owner;
    d->window = nullptr;
    d->windowHandle = 0;
    if (owner) {
        const bool native = QGuiApplication::platformName() == QLatin1String("xcb");
        auto* window = new VideoWindow(owner, native);
        Impl* impl = d.get();
        window->onGone = [impl] { impl->OnWindowGone(); };
        window->onExposed = [impl] {
            if (impl->nativeVideo && impl->videoSink) gst_video_overlay_expose(GST_VIDEO_OVERLAY(impl->videoSink));
        };
        d->window = window;
        if (native) d->windowHandle = guintptr(window->winId());
        SetVideoRect(d->rect);
    }
    // A running window sink moves to the new window before the old one goes.
    if (d->nativeVideo && d->videoSink && d->windowHandle)
        gst_video_overlay_set_window_handle(GST_VIDEO_OVERLAY(d->videoSink), d->windowHandle);
    if (d->NeedsRebuild()) d->Rebuild();
    if (old) {
        old->onGone = nullptr;
        delete old;
    }
}

void MediaEngine::SetVideoRect(const QRect& rect) {
    d->rect = rect;
    VideoWindow* window = d->window;
    if (!window) return;
    if (rect.isEmpty()) {
        window->hide();
        return;
    }
    window->setGeometry(rect);
    window->show();
    window->raise();
}

QWidget* MediaEngine::VideoOwner() const { return d->owner; }

bool MediaEngine::Impl::WantsNativeVideo() const {
    return window && window->testAttribute(Qt::WA_NativeWindow) && windowHandle.load() != 0;
}

// Only a stream that has (or may have) video needs its sinks changed.
bool MediaEngine::Impl::NeedsRebuild() const {
    return pipeline && !uri.isEmpty() && nativeVideo != WantsNativeVideo() && (hasVideo || !prerolled);
}

// playbin takes a new video sink only in NULL, so the pipeline is made again and brought back to
// where it was: same state and position; Prerolled is not announced twice.
void MediaEngine::Impl::Rebuild() {
    GstState now = GST_STATE_NULL, pending = GST_STATE_VOID_PENDING;
    gst_element_get_state(pipeline.get(), &now, &pending, 0);
    const GstState wanted = pending != GST_STATE_VOID_PENDING ? pending : now;
    const qint64 position = wanted >= GST_STATE_PAUSED ? q->Position() : -1;
    if (!Build(WantsNativeVideo())) {
        OnError(QStringLiteral("Cannot make a playback pipeline"), MediaFailure::Failed);
        return;
    }
    g_object_set(pipeline.get(), "uri", uri.constData(), nullptr);
    prerolled = false;
    seekTarget = pendingSeek = -1;
    playAfterPreroll = false;
    if (wanted < GST_STATE_PAUSED) return;  // Play starts it from here
    settling = wanted == GST_STATE_PLAYING ? State::Playing : State::Paused;
    if (position > 0) pendingSeek = seekTarget = position;
    playAfterPreroll = wanted == GST_STATE_PLAYING;
    gst_element_set_state(pipeline.get(), GST_STATE_PAUSED);
}

void MediaEngine::Impl::OnWindowGone() {
    window = nullptr;
    windowHandle = 0;
    if (!pipeline || !nativeVideo) return;
    // The sink lets go of the window before it is destroyed; playback carries on without it.
    if (uri.isEmpty()) Destroy();
    else Rebuild();
}

}  // namespace platform
