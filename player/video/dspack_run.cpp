// TRun's steps for the frame-grabbing engine.
#include "player/video/dspack_run.h"

#include <algorithm>

#include "directshow/ds_util.h"
#include "directshow/filter_graph.h"
#include "player/core/ctrl.h"
#include "player/display/display.h"
#include "player/playback/run.h"
#include "player/video/dspack.h"
#include "player/video/form4.h"

using namespace directshow;

platform::MediaFailure FailureOfResult(HRESULT result) {
    switch (result) {
    case HRESULT_FILE_NOT_FOUND: return platform::MediaFailure::NotFound;
    case VFW_E_UNSUPPORTED_STREAM: return platform::MediaFailure::Unsupported;
    case VFW_E_CANNOT_RENDER: return platform::MediaFailure::NoDecoder;
    default: return platform::MediaFailure::Failed;
    }
}

bool OpenFrameEngine(TRun& run, const QString& path, QString* reason, platform::MediaFailure* failure) {
    try {
        TDspack* engine = RunDspack(&run, true);
        engine->Open(path);
        const QSize size = engine->VideoSize;
        if (size.width() > 0 && size.height() > 0) {
            run.VideoWidth = size.width();
            run.VideoHeight = size.height();
            run.VideoOpen = true;
            Ctrl->Display->BuildVideoWindow(true);
            // The setting's 1 is the picture as it comes, 0 the frame filters.
            engine->SetRatePriority(Ctrl->ReadInteger(QStringLiteral("RatePriority"), 1) ? 0 : 1);
            if (Form4) {
                Form4->update();
                Form4->setVisible(run.VideoControl.size() >= 8 && run.VideoControl.at(7) == u'1');
            }
        }
        engine->Run();
        return true;
    } catch (const EDirectShowException& error) {
        *reason = QString::fromUtf8(error.what());
        *failure = FailureOfResult(error.ErrorCode());
        return false;
    } catch (const std::exception& error) {
        *reason = QString::fromUtf8(error.what());
        *failure = platform::MediaFailure::Failed;
        return false;
    }
}

int FrameEngineLength(TRun& run) {
    TDspack* engine = RunDspack(&run, false);
    return engine ? engine->LengthMs() : 0;
}

int FrameEnginePosition(TRun& run) {
    TDspack* engine = RunDspack(&run, false);
    if (!engine) return run.Position;
    return engine->Ended ? run.Length : engine->GetPosition(run.Length);
}

bool FrameEnginePlays(TRun& run) {
    TDspack* engine = RunDspack(&run, false);
    FilterState state = FilterState::State_Stopped;
    return engine && engine->Graph()->GetState(0, &state) == S_OK && state == FilterState::State_Running;
}

bool FrameEngineEnded(TRun& run) {
    TDspack* engine = RunDspack(&run, false);
    return engine && engine->Ended;
}

void FrameEnginePause(TRun& run, bool resume) {
    TDspack* engine = RunDspack(&run, false);
    if (!engine) return;
    try {
        resume ? engine->Run() : engine->Pause();
    } catch (const std::exception&) {
        // A graph that cannot change state keeps playing as it was.
    }
}

void FrameEngineSeekBy(TRun& run, int delta) {
    TDspack* engine = RunDspack(&run, false);
    if (!engine) return;
    engine->Ended = false;
    const qint64 target = std::clamp<qint64>(qint64(engine->GetPosition(run.Length)) + delta, 0, run.Length);
    engine->SetPosition(int(target), run.Length);
}

void StopFrameEngine(TRun& run) {
    TDspack* engine = RunDspack(&run, false);
    if (!engine) return;
    try {
        engine->Stop();
    } catch (const std::exception&) {
        engine->FreeImage();
    }
}

bool StartedFrameEngine(TRun& run) {
    TDspack* engine = RunDspack(&run, false);
    if (!engine || engine->Extension.isEmpty() || !QStringLiteral(".dat.mpg.mpeg.").contains(engine->Extension + u'.')) return false;
    engine->SetAudioMode(Ctrl->ReadInteger(QStringLiteral("AudioMode"), 0));
    return true;
}
