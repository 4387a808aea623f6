// GStreamer made ready beside the building of the windows, for a start that will play at once.
#pragma once

#include <QString>

#include <thread>

namespace platform {

// On a thread of its own: GStreamer's set-up (reading its plug-in registry), then the loading of
// the plug-ins the sound graphs of the player are built from and of the likely decoders for the
// entry's type, so the engine that opens the entry later finds them ready instead of loading them
// on the GUI thread. Nothing is made, opened or played. The thread is waited for when the object
// goes.
class MediaWarmUp {
public:
    // `path` names the entry to play; its extension says which decoders are likely.
    explicit MediaWarmUp(const QString& path);
    ~MediaWarmUp();
    MediaWarmUp(const MediaWarmUp&) = delete;
    MediaWarmUp& operator=(const MediaWarmUp&) = delete;

private:
    std::thread thread_;
};

// The elements whose plug-ins the warm-up loads: those of the input plug-in's decoding graph, of
// the output plug-in's graph, and the type finding every file goes through.
extern const char* const kWarmedElements[];
extern const int kWarmedElementCount;

}  // namespace platform
