// The filter graph and the Media Player and RealAudio controls, each a thin face over one engine.
#include "platform/media_faces.h"

#include <QFileInfo>
#include <QRect>
#include <QWidget>
#include <cmath>
#include <limits>

namespace platform {

namespace {

using State = MediaEngine::State;

bool IsStream(const QString& path) {
    return path.contains(QLatin1String("://")) && !path.startsWith(QLatin1String("file://"), Qt::CaseInsensitive);
}

// 1/100 dB to a linear level; -10000 is silence.
double LevelOf(long hundredthsDb) {
    if (hundredthsDb <= -10000) return 0.0;
    return std::pow(10.0, double(hundredthsDb) / 2000.0);
}

// Seconds as the controls give them, to 100-ns units; NaN and overflow are clamped first.
qint64 UnitsOfSeconds(double seconds) {
    if (!(seconds > 0)) return 0;
    const double units = seconds * 1e7;
    return units >= 9.0e18 ? qint64(9.0e18) : qint64(std::llround(units));
}

double SecondsOf(qint64 units) { return units > 0 ? double(units) / 1e7 : 0.0; }

int MsOf(qint64 units) {
    return units > 0 ? int(qMin<qint64>(units / 10000, std::numeric_limits<int>::max())) : 0;
}

// A control's window: the engine's video window placed at the control's bounds once shown.
struct ControlWindow {
    QRect bounds;
    bool shown = false;
    void Place(MediaEngine& engine) const { engine.SetVideoRect(shown ? bounds : QRect()); }
};

}  // namespace

// ---- Filter graph ----

FilterGraph::FilterGraph() : engine_(std::make_unique<MediaEngine>()) {}
FilterGraph::~FilterGraph() = default;

HRESULT FilterGraph::RenderFile(const QString& path) {
    const bool stream = IsStream(path);
    if (engine_->Open(path, stream ? 0 : 3000)) return S_OK;
    if (!stream && !path.contains(QLatin1String("://")) && !QFileInfo(path).isFile()) return VFW_E_NOT_FOUND;
    return E_FAIL;
}

HRESULT FilterGraph::Run() {
    if (engine_->Source().isEmpty()) return E_FAIL;
    engine_->Play();
    return S_OK;
}

HRESULT FilterGraph::Pause() {
    if (engine_->Source().isEmpty()) return E_FAIL;
    engine_->Pause();
    return S_OK;
}

HRESULT FilterGraph::Stop() {
    engine_->Stop();
    return S_OK;
}

HRESULT FilterGraph::GetDuration(qint64* duration) {
    if (!duration) return E_POINTER;
    const qint64 value = engine_->Duration();
    if (value < 0) return E_FAIL;
    *duration = value;
    return S_OK;
}

HRESULT FilterGraph::GetCurrentPosition(qint64* position) {
    if (!position) return E_POINTER;
    const qint64 value = engine_->Position();
    if (value < 0) return E_FAIL;
    *position = value;
    return S_OK;
}

HRESULT FilterGraph::SetPositions(qint64* current, int currentFlags, qint64*, int) {
    const int positioning = currentFlags & 0x3;
    if (positioning == AM_SEEKING_NoPositioning) return S_OK;
    if (positioning != AM_SEEKING_AbsolutePositioning) return E_INVALIDARG;
    if (!current) return E_POINTER;
    return engine_->SetPosition(*current) ? S_OK : E_FAIL;
}

HRESULT FilterGraph::put_Volume(long volume) {
    if (volume < -10000 || volume > 0) return E_INVALIDARG;
    volume_ = volume;
    ApplyLevels();
    return S_OK;
}

HRESULT FilterGraph::put_Balance(long balance) {
    if (balance < -10000 || balance > 10000) return E_INVALIDARG;
    balance_ = balance;
    ApplyLevels();
    return S_OK;
}

// The balance takes its decibels off the side it points away from.
void FilterGraph::ApplyLevels() {
    const double level = LevelOf(volume_);
    const double left = balance_ > 0 ? LevelOf(-balance_) : 1.0;
    const double right = balance_ < 0 ? LevelOf(balance_) : 1.0;
    engine_->SetLevels(level * left, level * right);
}

HRESULT FilterGraph::get_Width(long* width) {
    if (!width) return E_POINTER;
    *width = engine_->VideoSize().width();
    return *width > 0 ? S_OK : E_NOINTERFACE;  // no video: no video window
}

HRESULT FilterGraph::get_Height(long* height) {
    if (!height) return E_POINTER;
    *height = engine_->VideoSize().height();
    return *height > 0 ? S_OK : E_NOINTERFACE;
}

HRESULT FilterGraph::put_Owner(QWidget* owner) {
    engine_->SetVideoOwner(owner);
    return S_OK;
}

HRESULT FilterGraph::put_WindowStyle(long style) {
    style_ = style;  // the video window is always a clipped child here
    return S_OK;
}

HRESULT FilterGraph::SetWindowPosition(long left, long top, long width, long height) {
    engine_->SetVideoRect(QRect(int(left), int(top), int(qMax(0L, width)), int(qMax(0L, height))));
    return S_OK;
}

MediaEngine& FilterGraph::Engine() { return *engine_; }

HRESULT CreateFilterGraph(std::shared_ptr<FilterGraph>* graph) {
    if (!graph) return E_POINTER;
    *graph = std::make_shared<FilterGraph>();
    return S_OK;
}

namespace {
thread_local int g_comInits = 0;
}

HRESULT CoInitialize(void*) { return g_comInits++ == 0 ? S_OK : S_FALSE; }

void CoUninitialize() {
    if (g_comInits > 0) --g_comInits;
}

// ---- Media Player control ----

struct MediaPlayerControl::Impl {
    MediaEngine engine;
    ControlWindow window;
    QString fileName;
    int displaySize = 0;
    bool showControls = true, enabled = true;
    int playState = 0;  // 0 stopped, 1 paused, 2 playing
};

MediaPlayerControl::MediaPlayerControl(QObject* parent) : QObject(parent), d(std::make_unique<Impl>()) {
    connect(&d->engine, &MediaEngine::StateChanged, this, [this](State state) {
        const int now = state == State::Playing ? 2 : state == State::Paused ? 1 : 0;
        if (now == d->playState) return;
        const int old = std::exchange(d->playState, now);
        emit PlayStateChange(old, now);
    });
}

MediaPlayerControl::~MediaPlayerControl() = default;

QVariant MediaPlayerControl::GetProperty(int dispid) const {
    switch (dispid) {
    case mp::Duration: return SecondsOf(d->engine.Duration());
    case mp::CurrentPosition: return SecondsOf(d->engine.Position());
    case mp::FileName: return d->fileName;
    case mp::ImageSourceWidth: return d->engine.VideoSize().width();
    case mp::ImageSourceHeight: return d->engine.VideoSize().height();
    case mp::DisplaySize: return d->displaySize;
    case mp::ShowControls: return d->showControls;
    case mp::Enabled: return d->enabled;
    default: return {};
    }
}

void MediaPlayerControl::SetProperty(int dispid, const QVariant& value) {
    switch (dispid) {
    case mp::CurrentPosition: d->engine.SetPosition(UnitsOfSeconds(value.toDouble())); break;
    case mp::FileName: Open(value.toString()); break;
    case mp::DisplaySize: d->displaySize = value.toInt(); break;
    case mp::ShowControls: d->showControls = value.toBool(); break;
    case mp::Enabled: d->enabled = value.toBool(); break;
    default: break;
    }
}

void MediaPlayerControl::Open(const QString& path) {
    d->fileName = path;
    if (d->engine.Open(path, 0)) d->engine.Play();  // the control starts by itself
}

void MediaPlayerControl::Play() { d->engine.Play(); }
void MediaPlayerControl::Pause() { d->engine.Pause(); }
void MediaPlayerControl::Stop() { d->engine.Stop(); }

void MediaPlayerControl::SetParentWidget(QWidget* parent) {
    d->engine.SetVideoOwner(parent);
    d->window.Place(d->engine);
}

void MediaPlayerControl::SetBounds(int left, int top, int width, int height) {
    d->window.bounds = QRect(left, top, qMax(0, width), qMax(0, height));
    d->window.Place(d->engine);
}

void MediaPlayerControl::Show() {
    d->window.shown = true;
    d->window.Place(d->engine);
}

MediaEngine& MediaPlayerControl::Engine() { return d->engine; }

// ---- RealAudio control ----

namespace {
bool g_realAvailable = true;
constexpr int kSeverityCritical = 2;
}  // namespace

struct RealAudioControl::Impl {
    MediaEngine engine;
    ControlWindow window;
    QString source, controls;
    bool wantErrors = false;
    bool playRequested = false;  // between DoPlay and the first playing state
    int state = 0;               // 0 stopped, 1 contacting, 2 buffering, 3 playing, 4 paused
};

void RealAudioControl::SetAvailable(bool available) { g_realAvailable = available; }

RealAudioControl::RealAudioControl(QObject* parent) : QObject(parent) {
    if (!g_realAvailable) throw OleError("RealAudio control: class not registered");
    d = std::make_unique<Impl>();
    auto setState = [this](int now) {
        if (now == d->state) return;
        const int old = std::exchange(d->state, now);
        emit StateChange(old, now);
    };
    connect(&d->engine, &MediaEngine::StateChanged, this, [this, setState](State state) {
        if (state == State::Playing) d->playRequested = false;
        if (state == State::Stopped) d->playRequested = false;
        setState(state == State::Playing ? 3 : state == State::Paused ? (d->playRequested ? 2 : 4) : 0);
    });
    connect(&d->engine, &MediaEngine::ErrorOccurred, this, [this, setState](const QString& message) {
        d->playRequested = false;
        setState(0);
        if (d->wantErrors) emit Error(kSeverityCritical, int(E_FAIL), message);  // last: may free us
    });
}

RealAudioControl::~RealAudioControl() = default;

void RealAudioControl::SetSource(const QString& source) {
    if (source == d->source) return;
    d->source = source;
    if (!d->engine.Source().isEmpty()) d->engine.Close();
}

QString RealAudioControl::GetSource() const { return d->source; }
void RealAudioControl::SetControls(const QString& controls) { d->controls = controls; }

void RealAudioControl::DoPlay() {
    if (d->source.isEmpty()) return;
    d->playRequested = true;
    if (d->state == 0 || d->engine.Source() != d->source) {
        if (d->state != 1) {
            const int old = std::exchange(d->state, 1);
            emit StateChange(old, 1);
        }
        if (d->engine.Source() != d->source && !d->engine.Open(d->source, 0)) return;  // error follows
    }
    d->engine.Play();
}

void RealAudioControl::DoStop() {
    d->playRequested = false;
    d->engine.Stop();
}

void RealAudioControl::DoPause() {
    d->playRequested = false;
    d->engine.Pause();
}

int RealAudioControl::GetPosition() const { return MsOf(d->engine.Position()); }
int RealAudioControl::GetLength() const { return MsOf(d->engine.Duration()); }
void RealAudioControl::SetPosition(int ms) { d->engine.SetPosition(qint64(qMax(0, ms)) * 10000); }
int RealAudioControl::GetClipWidth() const { return d->engine.VideoSize().width(); }
int RealAudioControl::GetClipHeight() const { return d->engine.VideoSize().height(); }
bool RealAudioControl::GetStereoState() const { return d->engine.AudioChannels() >= 2; }
int RealAudioControl::GetBandwidthAverage() const { return d->engine.Bitrate(); }
void RealAudioControl::SetWantErrors(bool on) { d->wantErrors = on; }

void RealAudioControl::SetParentWidget(QWidget* parent) {
    d->engine.SetVideoOwner(parent);
    d->window.Place(d->engine);
}

void RealAudioControl::SetBounds(int left, int top, int width, int height) {
    d->window.bounds = QRect(left, top, qMax(0, width), qMax(0, height));
    d->window.Place(d->engine);
}

void RealAudioControl::Show() {
    d->window.shown = true;
    d->window.Place(d->engine);
}

MediaEngine& RealAudioControl::Engine() { return d->engine; }

}  // namespace platform
