// What TRun does with the frame-grabbing engine: open, length, position, pause, seek, stop and
// the steps of the start. GUI thread.
#pragma once

#include <QString>

#include "platform/media_engine.h"

class TRun;

// Renders and runs the file; false with the graph's reason and its class when it cannot be played.
bool OpenFrameEngine(TRun& run, const QString& path, QString* reason, platform::MediaFailure* failure);
// The class of a failure the graph reports.
platform::MediaFailure FailureOfResult(qint32 result);
int FrameEngineLength(TRun& run);
int FrameEnginePosition(TRun& run);
bool FrameEnginePlays(TRun& run);
bool FrameEngineEnded(TRun& run);
void FrameEnginePause(TRun& run, bool resume);
void FrameEngineSeekBy(TRun& run, int delta);
void StopFrameEngine(TRun& run);
// The start: MPEG files get the channel mode of the settings. True when the stereo mark is due.
bool StartedFrameEngine(TRun& run);
