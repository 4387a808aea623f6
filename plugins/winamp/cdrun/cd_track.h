// From the player's name of an audio CD track to the drive's device and the track number.
#pragma once

#include <optional>
#include <string>

namespace velmora_input {

struct CdTrack {
    std::string device;  // "/dev/sr0"
    int number = 0;      // 1..99
};

// "<root>/TrackNN.cda" (any case): the root is a block device itself, or the mount point of one.
// Nothing when the name is not a track's or the root is neither.
std::optional<CdTrack> ParseCdTrackPath(const std::string& path);

}  // namespace velmora_input
