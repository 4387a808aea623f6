// The thin faces the playback engines call, each over one MediaEngine: the plain filter graph
// (its five interfaces), the Media Player control and the RealAudio control with the properties
// and events the player uses, and the Flash control, which has no runtime on Linux.
#pragma once

#include <QObject>
#include <QSize>
#include <QString>
#include <QVariant>
#include <functional>
#include <memory>
#include <stdexcept>

#include "platform/media_engine.h"

class QWidget;

namespace platform {

using HRESULT = qint32;
constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003u);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT VFW_E_NOT_FOUND = static_cast<HRESULT>(0x80040216u);
inline bool Succeeded(HRESULT hr) { return hr >= 0; }

constexpr long WS_CHILD = 0x40000000L;
constexpr long WS_CLIPSIBLINGS = 0x04000000L;
constexpr int AM_SEEKING_NoPositioning = 0;
constexpr int AM_SEEKING_AbsolutePositioning = 1;

// The filter graph. One object serves all five interfaces; the engine holds one shared pointer
// per interface and releases them one by one, and the graph goes when the last one is released.
class FilterGraph {
public:
    FilterGraph();
    ~FilterGraph();
    // IGraphBuilder: builds the graph for a file (waits for its preroll, so the video size is
    // known at return) or a URL (does not wait).
    HRESULT RenderFile(const QString& path);
    // IMediaControl
    HRESULT Run();
    HRESULT Pause();
    HRESULT Stop();
    // IMediaSeeking, 100-ns units; E_FAIL while a time is unknown
    HRESULT GetDuration(qint64* duration);
    HRESULT GetCurrentPosition(qint64* position);
    HRESULT SetPositions(qint64* current, int currentFlags, qint64* stop, int stopFlags);
    // IBasicAudio: volume in 1/100 dB, -10000..0; balance -10000 (left) .. 10000 (right);
    // E_INVALIDARG outside those ranges
    HRESULT put_Volume(long volume);
    HRESULT put_Balance(long balance);
    // IVideoWindow; the size is 0 with E_NOINTERFACE when the stream has no video
    HRESULT get_Width(long* width);
    HRESULT get_Height(long* height);
    HRESULT put_Owner(QWidget* owner);
    HRESULT put_WindowStyle(long style);
    HRESULT SetWindowPosition(long left, long top, long width, long height);

    MediaEngine& Engine();

private:
    void ApplyLevels();
    std::unique_ptr<MediaEngine> engine_;
    long volume_ = 0;   // 1/100 dB
    long balance_ = 0;  // 1/100 dB taken off the other side
    long style_ = 0;
};

// Creates the graph as CoCreateInstance would; S_OK.
HRESULT CreateFilterGraph(std::shared_ptr<FilterGraph>* graph);
// COM per-thread start and end; counts calls. S_OK the first time, S_FALSE after.
HRESULT CoInitialize(void* reserved);
void CoUninitialize();

// Raised where the class library raises an OLE error for a control.
class OleError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Dispatch ids of the Media Player control.
namespace mp {
constexpr int Duration = 1003;
constexpr int CurrentPosition = 1027;
constexpr int FileName = 1026;
constexpr int ImageSourceWidth = 1001;
constexpr int ImageSourceHeight = 1002;
constexpr int DisplaySize = 1032;
constexpr int ShowControls = 23;
constexpr int Enabled = -514;
}  // namespace mp

// The Media Player control: properties by dispatch id, open/play/pause/stop, the play-state
// event (2 when playing begins, 1 paused, 0 stopped). Hosted as a child widget for video.
class MediaPlayerControl : public QObject {
    Q_OBJECT
public:
    explicit MediaPlayerControl(QObject* parent = nullptr);
    ~MediaPlayerControl() override;
    QVariant GetProperty(int dispid) const;  // seconds as double; sizes as int; FileName string
    void SetProperty(int dispid, const QVariant& value);
    void Open(const QString& path);  // asynchronous; the play-state event tells when it plays
    void Play();
    void Pause();
    void Stop();
    // The control's window: parent and bounds (in parent coordinates), shown or hidden.
    void SetParentWidget(QWidget* parent);
    void SetBounds(int left, int top, int width, int height);
    void Show();
    MediaEngine& Engine();
signals:
    void PlayStateChange(int oldState, int newState);
private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

// The RealAudio control, backed by its own engine. Creating it raises OleError while tests have
// made it unavailable (SetAvailable(false)), as when the control is not installed.
class RealAudioControl : public QObject {
    Q_OBJECT
public:
    explicit RealAudioControl(QObject* parent = nullptr);
    ~RealAudioControl() override;
    void SetSource(const QString& source);  // property 102
    QString GetSource() const;
    void SetControls(const QString& controls);  // property 104
    void DoPlay();
    void DoStop();
    void DoPause();
    int GetPosition() const;  // ms
    int GetLength() const;    // ms, 0 unknown
    void SetPosition(int ms);
    int GetClipWidth() const;
    int GetClipHeight() const;
    bool GetStereoState() const;
    int GetBandwidthAverage() const;  // bits per second
    void SetWantErrors(bool on);      // the Boolean option: errors arrive as the error event
    void SetParentWidget(QWidget* parent);
    void SetBounds(int left, int top, int width, int height);
    void Show();
    MediaEngine& Engine();
    static void SetAvailable(bool available);
signals:
    // 0 stopped, 1 contacting, 2 buffering, 3 playing, 4 paused, 5 seeking
    void StateChange(int oldState, int newState);
    void Error(int severity, int code, const QString& message);
private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

// The Flash control: no SWF runtime exists here, so creating it always raises OleError.
// The class exists so the engine's own code (projector trailer, movie header) can be built.
class FlashControl : public QObject {
    Q_OBJECT
public:
    explicit FlashControl(QObject* parent = nullptr);  // throws OleError
    QVariant GetProperty(int dispid) const;
    void SetProperty(int dispid, const QVariant& value);
    void Play();
};

// WinExec: starts a command line detached. Tests install a recorder instead.
using CommandRecorder = std::function<void(const QString& commandLine, int show)>;
void WinExec(const QString& commandLine, int show);
void SetCommandRecorder(CommandRecorder recorder);
constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;

}  // namespace platform
