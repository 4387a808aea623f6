// Plugins/input.dll: the input module for files and URLs, decoding whatever GStreamer reads.
#include "plugins/winamp/in_module.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace velmora_input {

extern const char kPluginDescription[] = "Velmora GStreamer decoder";
extern const char kPluginExtensions[] =
    "mp3;mp2;mp1\0MPEG audio (*.mp3;*.mp2;*.mp1)\0"
    "ogg;oga;opus\0Ogg audio (*.ogg;*.oga;*.opus)\0"
    "wav\0Wave audio (*.wav)\0"
    "flac\0FLAC audio (*.flac)\0"
    "wma\0Windows Media audio (*.wma)\0"
    "m4a;aac\0AAC audio (*.m4a;*.aac)\0"
    "ape;mpc;wv\0Other lossless and lossy audio (*.ape;*.mpc;*.wv)\0"
    "aif;aiff;au;snd\0AIFF and AU audio (*.aif;*.aiff;*.au;*.snd)\0";

bool ResolveSource(const char* path, Source* source) {
    if (std::strstr(path, "://")) {
        source->uri = path;
        return true;
    }
    // Checked here so that a missing file fails at once with a plain reason.
    if (access(path, R_OK) != 0) {
        std::fprintf(stderr, "input.dll: cannot read %s: %s\n", path, std::strerror(errno));
        return false;
    }
    GError* error = nullptr;
    const velmora_gst::TextRef uri(gst_filename_to_uri(path, &error));
    const velmora_gst::ErrorRef held(error);
    if (!uri) {
        std::fprintf(stderr, "input.dll: %s: %s\n", path, error ? error->message : "not a file name");
        return false;
    }
    source->uri = uri.get();
    return true;
}

}  // namespace velmora_input
