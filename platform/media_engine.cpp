// MediaEngine: opening, transport, times and the bus messages as seen on the GUI thread.
#include "platform/media_engine.h"

#include <QFile>
#include <QFileInfo>
#include <QMetaObject>
#include <memory>
#include <utility>

#include "platform/media_internal.h"

namespace platform {

namespace {

// GStreamer counts nanoseconds; the faces count 100-ns units. Keep clear of overflow both ways.
constexpr qint64 kMaxUnits = G_MAXINT64 / 100;

struct ResolvedSource {
    QByteArray uri;
    QString localPath;  // empty for a stream
    QString error;
    MediaFailure failure = MediaFailure::Failed;
};

// A local path becomes a file URI (escaped by GStreamer, so spaces, "#" and any script survive);
// a URL must name a protocol some installed element can read.
ResolvedSource Resolve(const QString& pathOrUrl) {
    ResolvedSource r;
    if (pathOrUrl.contains(QLatin1String("://"))) {
        r.uri = pathOrUrl.toUtf8();
        if (!gst_uri_is_valid(r.uri.constData())) {
            r.error = QStringLiteral("Not a valid address: %1").arg(pathOrUrl);
            r.failure = MediaFailure::NotFound;
            return r;
        }
        const TextRef protocol(gst_uri_get_protocol(r.uri.constData()));
        const QString name = QString::fromUtf8(protocol.get());
        if (!gst_uri_protocol_is_supported(GST_URI_SRC, protocol.get())) {
            r.error = QStringLiteral("No installed element reads the \"%1\" protocol: %2").arg(name, pathOrUrl);
            r.failure = MediaFailure::NoProtocol;
            return r;
        }
        if (name.compare(QLatin1String("file"), Qt::CaseInsensitive) == 0) {
            if (const TextRef file{g_filename_from_uri(r.uri.constData(), nullptr, nullptr)})
                r.localPath = QFile::decodeName(file.get());
        }
        return r;
    }
    r.localPath = QFileInfo(pathOrUrl).absoluteFilePath();
    GError* failure = nullptr;
    const TextRef uri(gst_filename_to_uri(QFile::encodeName(r.localPath).constData(), &failure));
    const ErrorRef held(failure);
    if (uri) r.uri = uri.get();
    else r.error = QStringLiteral("Not a valid file name: %1").arg(pathOrUrl);
    r.failure = MediaFailure::NotFound;
    return r;
}

}  // namespace

QString FailureReason(MediaFailure failure) {
    switch (failure) {
    case MediaFailure::NotFound: return QStringLiteral("找不到这个文件或网址。");
    case MediaFailure::CannotConnect: return QStringLiteral("无法连接到服务器。");
    case MediaFailure::Unsupported: return QStringLiteral("不支持这种文件格式。");
    case MediaFailure::NoProtocol: return QStringLiteral("不支持这种网络协议。");
    case MediaFailure::NoDecoder: return QStringLiteral("没有能解码这种格式的解码器。");
    case MediaFailure::Failed: break;
    }
    return QStringLiteral("播放时发生错误。");
}

QString NothingToPlay() { return QStringLiteral("文件里没有可以播放的数据"); }

MediaEngine::MediaEngine(QObject* parent) : QObject(parent), d(std::make_unique<Impl>(this)) {
    InitMedia();
}

MediaEngine::~MediaEngine() {
    d->Destroy();
    if (VideoWindow* window = d->window) {
        window->onGone = nullptr;
        delete window;
    }
}

bool MediaEngine::Open(const QString& pathOrUrl, int waitMs) {
    d->Halt();  // also retires an error queued by an Open that failed before
    d->ResetStream();
    d->prerolledEmitted = false;
    d->source = pathOrUrl;
    d->uri.clear();
    d->lastError.clear();
    d->SetState(State::Stopped);

    const ResolvedSource resolved = Resolve(pathOrUrl);
    d->local = !resolved.localPath.isEmpty();
    if (!resolved.error.isEmpty()) {
        d->EmitErrorLater(resolved.error, resolved.failure);
        return false;
    }
    if (d->local && !QFileInfo(resolved.localPath).isFile()) {
        d->EmitErrorLater(QStringLiteral("File not found: %1").arg(resolved.localPath), MediaFailure::NotFound);
        return false;
    }
    if ((!d->pipeline || d->nativeVideo != d->WantsNativeVideo()) && !d->Build(d->WantsNativeVideo())) {
        d->EmitErrorLater(QStringLiteral("Cannot make a playback pipeline (is GStreamer's base set installed?)"),
                          MediaFailure::Failed);
        return false;
    }
    d->uri = resolved.uri;
    g_object_set(d->pipeline.get(), "uri", d->uri.constData(), nullptr);

    const bool wait = d->local && waitMs > 0;
    if (wait) d->ArmWait();
    gst_element_set_state(d->pipeline.get(), GST_STATE_PAUSED);
    if (!wait) return true;
    // Popped here without running the event loop; the same messages still reach Handle later.
    QString error;
    MediaFailure failure = MediaFailure::Failed;
    if (!d->Wait(waitMs, &error, &failure)) return true;  // still prerolling: the messages will tell
    if (!error.isEmpty()) {
        d->lastError = error;
        d->lastFailure = failure;
        return false;
    }
    d->prerolled = true;
    d->ReadStreamInfo();
    d->QueryDuration(&d->duration);
    return true;
}

void MediaEngine::Play() {
    if (!d->pipeline || d->uri.isEmpty()) return;
    d->settling.reset();
    if (!d->prerolled && d->pendingSeek >= 0) {
        // Preroll first, seek, then play (see OnAsyncDone).
        d->playAfterPreroll = true;
        gst_element_set_state(d->pipeline.get(), GST_STATE_PAUSED);
        return;
    }
    gst_element_set_state(d->pipeline.get(), GST_STATE_PLAYING);
}

void MediaEngine::Pause() {
    if (!d->pipeline || d->uri.isEmpty()) return;
    d->settling.reset();
    d->playAfterPreroll = false;
    gst_element_set_state(d->pipeline.get(), GST_STATE_PAUSED);
}

void MediaEngine::Stop() {
    if (!d->pipeline) return;
    // NULL rather than READY: READY keeps the sound device open.
    d->Halt();
    d->prerolled = false;
    d->playAfterPreroll = false;
    d->seekTarget = d->pendingSeek = -1;
    d->settling.reset();
    d->SetState(State::Stopped);
}

void MediaEngine::Close() {
    d->Destroy();
    d->SetBuffering(false);
    d->ResetStream();
    d->source.clear();
    d->uri.clear();
    d->SetState(State::Stopped);
}

QString MediaEngine::Source() const { return d->source; }
MediaEngine::State MediaEngine::CurrentState() const { return d->state; }
bool MediaEngine::IsPrerolled() const { return d->prerolled; }

qint64 MediaEngine::Duration() const {
    qint64 value = -1;
    return d->QueryDuration(&value) ? value : d->duration;
}

qint64 MediaEngine::Position() const {
    if (!d->pipeline || d->uri.isEmpty()) return -1;
    if (d->seekTarget >= 0) return d->seekTarget;
    if (d->state == State::Stopped) return 0;
    gint64 ns = -1;
    if (!gst_element_query_position(d->pipeline.get(), GST_FORMAT_TIME, &ns) || ns < 0) return -1;
    return ns / 100;
}

bool MediaEngine::SetPosition(qint64 position100ns) {
    if (!d->pipeline || d->uri.isEmpty()) return false;
    const qint64 target = qBound<qint64>(0, position100ns, kMaxUnits);
    if (!d->prerolled) {
        // Nothing to seek in yet (opening, or stopped): applied at the next preroll.
        d->pendingSeek = d->seekTarget = target;
        return true;
    }
    return d->Seek(target);
}

QSize MediaEngine::VideoSize() const { return d->videoSize; }
bool MediaEngine::IsBuffering() const { return d->buffering; }
int MediaEngine::AudioChannels() const { return d->channels; }
int MediaEngine::AudioRate() const { return d->rate; }
int MediaEngine::Bitrate() const { return d->ReadBitrate(); }
QString MediaEngine::LastError() const { return d->lastError; }
MediaFailure MediaEngine::LastFailure() const { return d->lastFailure; }

void MediaEngine::SetLevels(double left, double right) {
    d->left = left;
    d->right = right;
    d->ApplyLevels();
}

// ---- Impl: GUI-thread side ----

void MediaEngine::Impl::Forward(GstMessage* message, quint64 epochOfMessage, quint32 seeksOfMessage) {
    std::shared_ptr<GstMessage> ref(MessageRef(gst_message_ref(message)));
    // Queued to the engine's thread; dropped by Qt if the engine is gone by then.
    QMetaObject::invokeMethod(
        q, [this, ref, epochOfMessage, seeksOfMessage] { Handle(ref.get(), epochOfMessage, seeksOfMessage); },
        Qt::QueuedConnection);
}

void MediaEngine::Impl::Handle(GstMessage* message, quint64 epochOfMessage, quint32 seeksOfMessage) {
    if (epochOfMessage != epoch.load() || !pipeline) return;  // from a source since replaced
    switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_STATE_CHANGED: {
        GstState oldState, newState, pending;
        gst_message_parse_state_changed(message, &oldState, &newState, &pending);
        // Only settled states: a flushing seek passes through PAUSED on its way back to PLAYING.
        if (pending != GST_STATE_VOID_PENDING) break;
        if (newState == GST_STATE_PLAYING) SetState(State::Playing);
        else if (newState == GST_STATE_PAUSED) SetState(State::Paused);
        break;
    }
    case GST_MESSAGE_ASYNC_DONE:
        OnAsyncDone(seeksOfMessage);
        break;
    case GST_MESSAGE_DURATION_CHANGED:
        RefreshDuration();
        break;
    case GST_MESSAGE_EOS:
        // The end of a source that never gave a sample is no end of play but a broken file.
        if (!flowed.load()) {
            OnError(NothingToPlay(), MediaFailure::Unsupported);
            break;
        }
        seekTarget = -1;
        SetBuffering(false);
        emit q->EndOfStream();
        break;
    case GST_MESSAGE_ERROR:
        OnError(ErrorText(message), ErrorClass(message, local ? Network::Local
                                                        : flowed.load() ? Network::Sent
                                                                        : Network::Silent));
        break;
    case GST_MESSAGE_BUFFERING: {
        gint percent = 100;
        gst_message_parse_buffering(message, &percent);
        SetBuffering(percent < 100);
        break;
    }
    default:
        break;
    }
}

void MediaEngine::Impl::OnAsyncDone(quint32 seeksOfMessage) {
    const quint64 current = epoch.load();
    prerolled = true;
    ReadStreamInfo();
    if (pendingSeek >= 0) Seek(std::exchange(pendingSeek, -1));
    // A preroll that began before the latest seek does not mean that seek has landed.
    else if (seeksOfMessage == seeks.load()) seekTarget = -1;
    if (playAfterPreroll) {
        playAfterPreroll = false;
        gst_element_set_state(pipeline.get(), GST_STATE_PLAYING);
    }
    RefreshDuration();
    if (epoch.load() != current || prerolledEmitted) return;  // a handler opened something else
    prerolledEmitted = true;
    emit q->Prerolled();
}

bool MediaEngine::Impl::Seek(qint64 position100ns) {
    seeks.fetch_add(1);  // before the seek: its preroll may be done before the call returns
    const bool ok = gst_element_seek_simple(pipeline.get(), GST_FORMAT_TIME,
                                            GstSeekFlags(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE),
                                            position100ns * 100);
    seekTarget = ok ? position100ns : -1;
    return ok;
}

void MediaEngine::Impl::RefreshDuration() {
    if (!QueryDuration(&duration) || duration == reportedDuration) return;
    reportedDuration = duration;
    emit q->DurationChanged();
}

void MediaEngine::Impl::OnError(const QString& text, MediaFailure failure) {
    lastError = text;
    lastFailure = failure;
    Halt();
    prerolled = false;
    playAfterPreroll = false;
    seekTarget = pendingSeek = -1;
    settling.reset();
    const quint64 current = epoch.load();
    SetState(State::Stopped);
    if (epoch.load() != current) return;
    emit q->ErrorOccurred(text);
}

void MediaEngine::Impl::SetState(State s) {
    if (settling) {
        if (s != *settling) return;
        settling.reset();
    }
    if (s == state) return;
    state = s;
    emit q->StateChanged(s);
}

void MediaEngine::Impl::EmitErrorLater(const QString& text, MediaFailure failure) {
    lastError = text;
    lastFailure = failure;
    const quint64 current = epoch.load();
    QMetaObject::invokeMethod(
        q,
        [this, current, text] {
            if (epoch.load() == current) emit q->ErrorOccurred(text);
        },
        Qt::QueuedConnection);
}

void MediaEngine::Impl::Halt() {
    if (pipeline) gst_element_set_state(pipeline.get(), GST_STATE_NULL);
    epoch.fetch_add(1);
    SetBuffering(false);
}

void MediaEngine::Impl::SetBuffering(bool now) {
    if (now == buffering) return;
    buffering = now;
    emit q->BufferingChanged(now);
}

// A size the video sink was given; announced when it differs from what is known.
void MediaEngine::Impl::OnVideoSize(QSize size, quint64 epochOfSize) {
    if (epochOfSize != epoch.load() || !pipeline) return;
    hasVideo = true;
    if (size == videoSize) return;
    videoSize = size;
    emit q->VideoSizeChanged();
}

void MediaEngine::Impl::ResetStream() {
    prerolled = hasVideo = playAfterPreroll = false;
    flowed = false;
    duration = reportedDuration = seekTarget = pendingSeek = -1;
    videoSize = QSize(0, 0);
    channels = rate = 0;
    settling.reset();
}

}  // namespace platform
