// What the benchmarks share: a test MP3 made with GStreamer's test sources, the process's CPU
// time and its resident memory.
#pragma once

#include <gst/gst.h>
#include <sys/resource.h>

#include <cstdlib>
#include <fstream>
#include <string>

namespace bench {

// A 440 Hz stereo tone of the given length as an MP3 with a Xing header; false on failure.
// Runs a gst-launch description to its end: true at end of stream, false on an error, a bad
// description or when nothing ends within timeoutSeconds.
inline bool RunToEnd(const std::string& description, int timeoutSeconds = 120) {
    gst_init(nullptr, nullptr);
    GError* error = nullptr;
    GstElement* pipeline = gst_parse_launch(description.c_str(), &error);
    if (error) g_error_free(error);
    if (!pipeline) return false;
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    GstBus* bus = gst_element_get_bus(pipeline);
    GstMessage* message =
        gst_bus_timed_pop_filtered(bus, timeoutSeconds * GST_SECOND, GstMessageType(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
    const bool ok = message && GST_MESSAGE_TYPE(message) == GST_MESSAGE_EOS;
    if (message) gst_message_unref(message);
    gst_object_unref(bus);
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(pipeline);
    return ok;
}

inline bool MakeMp3(const std::string& path, double seconds) {
    return RunToEnd("audiotestsrc num-buffers=" + std::to_string(int(seconds * 44100 / 1024 + 1)) +
                    " samplesperbuffer=1024 freq=440 ! audio/x-raw,rate=44100,channels=2 ! "
                    "audioconvert ! lamemp3enc ! xingmux ! id3v2mux ! filesink location=\"" + path + "\"");
}

// User plus system CPU time of the process so far.
inline double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

inline long ResidentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    return -1;
}

}  // namespace bench
