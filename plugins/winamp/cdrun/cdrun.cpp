// Plugins/cdrun.dll: the input module for audio CD tracks. The player names a track the way
// Windows lists it, "<drive root>/TrackNN.cda"; the root of an unmounted disc is its device
// ("/dev/sr0/"), that of a mounted one its mount point, whose device /proc/mounts gives.
#include "plugins/winamp/cdrun/cd_track.h"
#include "plugins/winamp/in_module.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace velmora_input {

extern const char kPluginDescription[] = "Velmora audio CD player";
extern const char kPluginExtensions[] = "cda\0Audio CD track (*.cda)\0";

bool ResolveSource(const char* path, Source* source) {
    const std::optional<CdTrack> track = ParseCdTrackPath(path);
    if (!track) {
        std::fprintf(stderr, "cdrun.dll: %s is not a track of a CD drive\n", path);
        return false;
    }
    // The source element only reports a missing drive once the graph runs; ask the device now.
    const int handle = open(track->device.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (handle < 0) {
        std::fprintf(stderr, "cdrun.dll: cannot open %s: %s\n", track->device.c_str(), std::strerror(errno));
        return false;
    }
    close(handle);
    source->uri = "cdda://" + std::to_string(track->number);
    source->device = track->device;
    return true;
}

}  // namespace velmora_input
