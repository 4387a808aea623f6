// TRun: plays one playlist entry at a time through the engine its extension and protocol choose.
// The fields stand in their final shape; the engines and the progress display arrive with the
// playback work.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

class TRun : public QObject {
    Q_OBJECT
public:
    TRun();
    ~TRun() override;

    // The three timers, created disabled with their fixed intervals.
    void CreateTimers();

    void PlayIndex(int index);
    void Stop();

    int Length = 0;
    int Position = 0;
    int BarPixel = 0;
    int Wait = 0;
    int ListScrollThumb = 0;
    bool TimeOrder = true;
    QString Title;
    QTimer* LyricsTimer = nullptr;
    bool VideoOpen = false;
    bool Paused = false;
    QTimer* ProgressTimerObj = nullptr;
    QTimer* OpenWaitTimerObj = nullptr;
    int Timeout = 30000;
    QTimer* TitleTimerObj = nullptr;
    QString LrcFileControl;
    QString VideoControl;
    int Index = -1;
    int RealSeek = -1;
    quint8 EngineCode = 0;
    int VideoWidth = 360;
    int VideoHeight = 268;

public slots:
    void ProgressTimer();
    void OpenWaitTimer();
    void TitleScrollTimer();
};
