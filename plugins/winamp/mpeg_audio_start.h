// What the start of a local file shows of MPEG audio (MP1, MP2, MP3), read from its bytes alone:
// the decoding graph puts the elements for such a file together without finding its type first.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace velmora_input {

struct MpegAudioStart {
    int version = 1;   // as GStreamer's caps count it: 1 MPEG-1, 2 MPEG-2, 3 MPEG-2.5
    int layer = 3;     // 1 to 3
    int rate = 0;      // Hz
    int channels = 2;  // 1 or 2
    bool tagged = false;  // an ID3v2 tag at the start or an ID3v1 tag at the end
};

// The length in bytes of the frame whose 4-byte header `h` is, and what it tells; 0 when the bytes
// are not a frame header GStreamer's type finder would take (free format included).
std::size_t MpegFrameLength(const unsigned char* h, MpegAudioStart* start = nullptr);

// The start of the regular file at `path` when, after an ID3v2 tag if there is one, three alike
// frames follow each other; none for anything else, and for a file carrying an APE tag, which
// automatic plugging reads through a demuxer of its own.
std::optional<MpegAudioStart> ProbeMpegAudioStart(const std::string& path);

}  // namespace velmora_input
