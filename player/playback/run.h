// TRun: plays one playlist entry at a time through the engine its extension and protocol choose,
// waits for the engine to report a length, then runs the progress display. GUI thread only.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

class TMedia;
class TReal;
class TFlash;
class TDirect;
class TWinamp;

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
    void OpenFiles(bool replace);
    void PauseResume();
    void SeekBy(int delta);
    void LoadWinampPlugins(int kind);
    // Stores an equaliser value (value -1: none) and hands the equaliser to the input module.
    void SetEq(const QString& name, int value);
    // Every live engine takes the device levels of its family.
    void ApplyDeviceLevels();
    // Quits and frees the plug-in pair and the remaining engines (the close query).
    void ReleaseEngines();

    // The engine code of an entry by its path (see the engine table): lists, the automatic
    // control of video types, stream protocols and the audio-CD rule. Loads nothing.
    quint8 ChooseEngine(const QString& path) const;
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
    bool VideoOpen = false;
    bool Paused = false;
    QTimer* ProgressTimerObj = nullptr;
    QTimer* OpenWaitTimerObj = nullptr;
    int Timeout = 30000;
    QTimer* TitleTimerObj = nullptr;
    QString LrcFileControl;
    QString VideoControl;
    int Index = -1;
    TWinamp* Winamp = nullptr;
    QPointer<TReal> Real;
    QPointer<TFlash> Flash;
    int RealSeek = -1;
    QPointer<TDirect> Direct;
    QPointer<TMedia> Media;
    quint8 EngineCode = 0;
    int VideoWidth = 360;
    int VideoHeight = 268;

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
    void OpenDirect(const QString& path);
    bool OpenWinamp(const QString& path);
    int EngineLength();
    int EnginePosition();
    void StartedVideo();
    void DrawStereoMark(bool stereo);
    void DrawMarksOff();
    void WriteEntryTime();
    void ShowVideoWindow();
    void FreeVideoWindow();

    int deviceListener_ = -1;
    bool enginePlaying_ = false;  // the engine's own state event came during the open wait
};

// "*" + the lower-cased extension + ";": the form in which the decoder lists hold a type.
QString ExtensionMask(const QString& path);
