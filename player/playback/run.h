// TRun: plays one playlist entry at a time through the engine its extension and protocol choose,
// waits for the engine to report a length, then runs the progress display. GUI thread only.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>

class TMedia;
class TReal;
class TFlash;
class TDirect;
class TWinamp;
class TLrcCtrl;

// The engine of the current entry. The values are the stored codes other parts of the player
// compare against, so they stay as they are.
enum class Engine : quint8 {
    None = 0,           // the entry's type is not defined
    Winamp = 1,         // the plug-in pair
    Real = 2,           // the RealAudio control
    DirectShow = 3,     // the plain filter graph
    FrameGrabbing = 4,  // the filter graph with the sample grabber
    Flash = 5,          // the Flash control
    MediaPlayer = 6,    // the Media Player control
    RealUnusable = 7,   // RealAudio wanted but its control cannot be made; never plays
};

class TRun : public QObject {
    Q_OBJECT
public:
    TRun();
    ~TRun() override;

    // The three timers, created disabled with their fixed intervals.
    void CreateTimers();

    void PlayIndex(int index);
    void Stop();
    void Started();
    // The Media Player or RealAudio engine says it plays: Started now, or at the first open-wait
    // tick that has a length.
    void EngineReportedPlaying();
    // The engine of `engine` failed: the entry ends at once, stopped, with the reason the user
    // reads (Chinese); the engine's own text goes to the log. Ignored unless that engine is the
    // one opening or playing the current entry.
    void EngineFailed(Engine engine, const QString& reason, const QString& detail);
    void OpenFiles(bool replace);
    void PauseResume();
    void SeekBy(int delta);
    void LoadWinampPlugins(int kind);
    // The lyrics of the current entry, shown in the video window (defined with the lyrics).
    void LoadLyrics();
    // The lyrics timer's step; also called to find the lines again at once.
    void LyricsTimerTick();
    // Stores an equaliser value (value -1: none) and hands the equaliser to the input module.
    void SetEq(const QString& name, int value);
    // Preset n of Plugins/EQPlus.ini into the equaliser (an unknown n changes nothing).
    void LoadEqPreset(int n);
    // Every live engine takes the device levels of its family.
    void ApplyDeviceLevels();
    // Quits and frees the plug-in pair and the remaining engines (the close query).
    void ReleaseEngines();

    // The engine code of an entry by its path (see the engine table): lists, the automatic
    // control of video types, stream protocols and the audio-CD rule. Loads nothing.
    Engine ChooseEngine(const QString& path) const;
    // The path of a playlist entry; a station code becomes its URL.
    static QString EntryPath(const QString& entry);
    // The open dialog's filter from the OPEN_SETUP section.
    QString OpenFilter() const;

    int Length = 0;
    int Position = 0;
    int BarPixel = 0;
    int Wait = 0;
    int ListScrollThumb = 0;
    bool TimeOrder = true;
    QString Title;
    QPointer<QTimer> LyricsTimer;
    QPointer<TLrcCtrl> LrcCtrl;
    bool VideoOpen = false;
    bool Paused = false;
    QTimer* ProgressTimerObj = nullptr;
    QTimer* OpenWaitTimerObj = nullptr;
    int Timeout = 30000;
    QTimer* TitleTimerObj = nullptr;
    QString LrcFileControl;
    QString VideoControl;
    int Index = -1;
    std::unique_ptr<TWinamp> Winamp;
    QPointer<TReal> Real;
    QPointer<TFlash> Flash;
    int RealSeek = -1;
    QPointer<TDirect> Direct;
    QPointer<TMedia> Media;
    Engine EngineCode = Engine::None;
    int VideoWidth = 360;
    int VideoHeight = 268;
    // Monotonic milliseconds. The silence of a stalled stream is measured on it, since the
    // progress handler also runs on every redraw; tests put a clock of their own here.
    std::function<qint64()> Clock;

public slots:
    void ProgressTimer();
    void OpenWaitTimer();
    void TitleScrollTimer();

private:
    // The open step of the chosen engine; false when PlayIndex must end at once.
    bool OpenInEngine(const QString& path, const QString& mask);
    void OpenFlash(QString path, const QString& mask, bool& endNow);
    void OpenReal(const QString& path);
    void RealUnusable(const QString& path);
    void OpenMedia(const QString& path);
    bool OpenDirect(const QString& path);
    void FailEntry(const QString& reason, const QString& detail = QString());
    bool OpenWinamp(const QString& path);
    int EngineLength();
    int EnginePosition();
    // The engine has begun to play the entry (a stream may start before it has a length).
    bool EnginePlays();
    // A stream without a length has reached its end.
    bool StreamEnded();
    // Output idle with the time standing still: the end of a file; for a stream, which may be
    // refilling its buffer, only once that has lasted the connection timeout.
    bool WinampIdle(int now);
    bool AtEnd() const;
    void EndOfTrack();
    // The current entry is a network stream (local files and file:// are not).
    bool IsStream() const;
    void StartedVideo();
    void DrawStereoMark(bool stereo);
    void DrawMarksOff();
    void WriteEntryTime();
    void ShowVideoWindow();
    void FreeVideoWindow();

    int deviceListener_ = -1;
    bool enginePlaying_ = false;  // the engine's own state event came during the open wait
    QString path_;                // the path the engine opened
    qint64 aliveAt_ = -1;         // Clock when the plug-in pair's output was last seen playing
    quint64 criticalsAtOpen_ = 0;  // the media libraries' critical warnings when the entry opened
};
