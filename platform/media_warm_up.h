// GStreamer made ready beside the building of the windows, for a start that will play at once.
#pragma once

#include <QString>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace platform {

// On a thread of its own: GStreamer's set-up (reading its plug-in registry, while a second thread
// maps the libraries the sound graphs need that the program does not link), then, once allowed, the
// decoding of the entry's start when it is a local file, in the input plug-in's own decoding graph,
// which is offered to the plug-in once its first data is decoded (warmed_graph.h); beside it the
// connection to the sound server when sound is wanted; then the loading of the plug-ins the sound
// graphs of the player are built from (with the likely decoders for the entry's type, when it holds
// more than sound or its start could not be decoded), so the engine that opens the entry later
// finds them ready instead of loading them on the GUI thread. After a decoded start the output's
// own come at once and the rest once the graph is taken and the output has begun. A graph not taken by the end of the
// hold is let go. The loading is held back until allowed: the set-up can run beside the application
// object's making, while the loading (which maps many libraries) would slow it. The connection is
// held a while: the server's sink shares one connection per process, so the output's sink finds it
// open instead of connecting while the first sound waits; when the output would open that very
// sink, the opened one is handed to its first graph (held_sink.h). Nothing is heard. The thread is
// waited for when the object goes (a loading that was allowed ends first, one not yet allowed
// never begins), and lets the connection go then at the latest.
class MediaWarmUp {
public:
    // The sink held open, and for how long at most: long enough for the output to open its own.
    struct ServerHold {
        const char* sink = "pulsesink";
        std::chrono::milliseconds most = std::chrono::seconds(10);
    };

    enum class Loads { Now, WhenAllowed };

    // `path` names the entry to play; its extension says which decoders are likely.
    explicit MediaWarmUp(const QString& path, Loads loads = Loads::Now) : MediaWarmUp(path, ServerHold(), loads) {}
    MediaWarmUp(const QString& path, ServerHold hold, Loads loads = Loads::Now);
    ~MediaWarmUp();
    MediaWarmUp(const MediaWarmUp&) = delete;
    MediaWarmUp& operator=(const MediaWarmUp&) = delete;

    // Lets a warm-up made with Loads::WhenAllowed go on from GStreamer's set-up to the loading.
    void AllowLoads();
    // True while the sound server's sink is held open.
    bool HoldsServer() const;

private:
    void Run(const std::string& extension, const std::string& file, ServerHold hold);
    bool Going() const;
    // Until the offered graph is taken and the output has had time to begin, or the object goes.
    void AwaitOutput();

    mutable std::mutex lock_;
    std::condition_variable going_;
    bool goes_ = false;
    bool holds_ = false;
    const bool offers_;  // its offer of the decoding graph is pending (made before the thread)
    bool loadsAllowed_;
    std::thread thread_;  // last: it starts once the rest is made
};

// The entry is opened by another engine than the input plug-in: the decoding graph warmed for it
// is let go now (or as soon as it is prerolled) instead of at the end of the hold.
void LetWarmedGraphGo();

// The elements whose plug-ins the warm-up loads: those of the input plug-in's decoding graph, of
// the output plug-in's graph, and the type finding every file goes through.
extern const char* const kWarmedElements[];
extern const int kWarmedElementCount;

}  // namespace platform
