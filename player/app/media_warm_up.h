// A start with a file to play: GStreamer is set up, and the plug-ins that playing a local file
// always needs are loaded, on a thread of its own while the windows are being made, so that the
// engine's open finds them ready instead of loading them on the GUI thread.
#pragma once

#include <thread>

class TMediaWarmUp {
public:
    explicit TMediaWarmUp(bool wanted);
    // Waits for the thread: the process must not end while it loads a library.
    ~TMediaWarmUp();
    TMediaWarmUp(const TMediaWarmUp&) = delete;
    TMediaWarmUp& operator=(const TMediaWarmUp&) = delete;

private:
    std::thread thread_;
};

// What the warm-up loads: the elements of the input plug-ins' decoding graph and of the sound
// output's graph, with what finds a file's type. Loading one twice is harmless.
void WarmUpMedia();
