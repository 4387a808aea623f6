// The playback engines behind TRun: the Media Player control (TMedia), the RealAudio control
// (TReal), the Flash control (TFlash) and the plain filter graph (TDirect). TRun creates each on
// first use; freeing always goes through deleteLater, because a stop can come from inside an
// engine's own event handler.
#pragma once

#include <QObject>
#include <QString>
#include <memory>

#include "platform/media_faces.h"
#include "player/playback/flash_movie.h"

// Media Player control engine (engine 6).
class TMedia : public QObject {
    Q_OBJECT
public:
    TMedia();
    ~TMedia() override;
    platform::MediaPlayerControl& Control() { return *control_; }
    // The length in ms from the duration property (seconds), rounded to the nearest.
    int LengthMs() const;
    int PositionMs() const;

    void PlayStateChange(int newState);

    // The stream has played to its end: the position counts as the length from then on, so the
    // end is seen even when the last reported position stays short of an estimated length.
    bool Ended = false;

private:
    std::unique_ptr<platform::MediaPlayerControl> control_;
};

// RealAudio control engine (engine 2). When the control cannot be made the object still exists
// with no control, and EngineCode has become 7.
class TReal : public QObject {
    Q_OBJECT
public:
    TReal();
    ~TReal() override;
    platform::RealAudioControl* Control() { return control_.get(); }

    void StateChange(int newState);
    void ErrorEvent();

    bool Ended = false;  // as TMedia::Ended

private:
    std::unique_ptr<platform::RealAudioControl> control_;
};

// Flash control engine (engine 5). No Flash runtime exists here, so the constructor's second
// attempt raises platform::OleError to the caller.
class TFlash : public QObject, public TFlashMovie {
    Q_OBJECT
public:
    TFlash();  // throws platform::OleError
    platform::FlashControl& Control() { return *control_; }

private:
    std::unique_ptr<platform::FlashControl> control_;
};

// Plain filter graph engine (engine 3): the five interfaces of one graph.
class TDirect : public QObject {
    Q_OBJECT
public:
    TDirect();
    ~TDirect() override;  // releases the interfaces in their order
    // Releases IBasicAudio, IMediaSeeking, IMediaControl, IVideoWindow, IGraphBuilder in order.
    void Release();

    std::shared_ptr<platform::FilterGraph> GraphBuilder;
    std::shared_ptr<platform::FilterGraph> MediaControl;
    std::shared_ptr<platform::FilterGraph> MediaSeeking;
    std::shared_ptr<platform::FilterGraph> BasicAudio;
    std::shared_ptr<platform::FilterGraph> VideoWindow;
    bool Ended = false;  // as TMedia::Ended
};
