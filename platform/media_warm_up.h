// GStreamer made ready beside the building of the windows, for a start that will play at once.
#pragma once

#include <QString>

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace platform {

// On a thread of its own: GStreamer's set-up (reading its plug-in registry), then the loading of
// the plug-ins every sound graph of the player is built from, so the engine that opens the start's
// file later finds them ready instead of loading them on the GUI thread. Nothing is made, opened
// or played. The thread is waited for when the object goes.
class MediaWarmUp {
public:
    // `path` names the entry to play; its extension says which decoders are likely.
    MediaWarmUp(bool wanted, const QString& path);
    ~MediaWarmUp();
    MediaWarmUp(const MediaWarmUp&) = delete;
    MediaWarmUp& operator=(const MediaWarmUp&) = delete;

    // The plug-ins wait for this: the system's loader takes one library at a time, and the
    // application object's own (the display's plug-in) come first.
    void LoadPlugins();

private:
    void Run();

    std::mutex mutex_;
    std::condition_variable released_;
    bool loadPlugins_ = false;
    const std::string extension_;
    std::thread thread_;
};

// The elements whose plug-ins the warm-up loads: those of the input plug-in's decoding graph, of
// the output plug-in's graph, and the type finding every file goes through.
extern const char* const kWarmedElements[];
extern const int kWarmedElementCount;

}  // namespace platform
