#include "plugins/winamp/mpeg_audio_start.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <vector>

namespace velmora_input {

namespace {

// kbit/s by bitrate index (1 to 14): MPEG-1 layers 1-3, then MPEG-2/2.5 layer 1 and layers 2-3.
constexpr int kBitrates[5][15] = {
    {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
    {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
};
constexpr int kRates[3] = {44100, 48000, 32000};  // MPEG-1; halved for MPEG-2, quartered for 2.5

constexpr std::size_t kId3v2Header = 10;
constexpr std::size_t kId3v1 = 128;
constexpr std::size_t kApeFooter = 32;
constexpr int kFramesToSee = 3;
// Three of the longest frames (MPEG-2.5 layer 2 at 160 kbit/s and 8 kHz: 2880 bytes), with room.
constexpr std::size_t kStartRead = 12 * 1024;

// Reads up to `length` bytes at `offset`; what was read.
std::size_t ReadAt(int fd, unsigned char* data, std::size_t length, off_t offset) {
    std::size_t got = 0;
    while (got < length) {
        const ssize_t n = ::pread(fd, data + got, length - got, offset + off_t(got));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += std::size_t(n);
    }
    return got;
}

bool StartsWith(const unsigned char* data, std::size_t length, const char* text) {
    const std::size_t n = std::strlen(text);
    return length >= n && std::memcmp(data, text, n) == 0;
}

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

}  // namespace

std::size_t MpegFrameLength(const unsigned char* h, MpegAudioStart* start) {
    if (h[0] != 0xFF || (h[1] & 0xE0) != 0xE0) return 0;
    const int versionBits = (h[1] >> 3) & 3;  // 0: 2.5, 1: reserved, 2: MPEG-2, 3: MPEG-1
    const int layerBits = (h[1] >> 1) & 3;    // 0: reserved, 1: layer 3, 2: layer 2, 3: layer 1
    const int bitrateIndex = h[2] >> 4;
    const int rateIndex = (h[2] >> 2) & 3;
    const int padding = (h[2] >> 1) & 1;
    const int emphasis = h[3] & 3;
    // Free format (index 0) has no length in its header; the type finder leaves it out too.
    if (versionBits == 1 || layerBits == 0 || bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3 ||
        emphasis == 2)
        return 0;
    const int version = versionBits == 3 ? 1 : versionBits == 2 ? 2 : 3;
    const int layer = 4 - layerBits;
    const int rate = kRates[rateIndex] >> (version - 1);
    const int table = version == 1 ? layer - 1 : layer == 1 ? 3 : 4;
    const long bitrate = kBitrates[table][bitrateIndex] * 1000L;
    std::size_t length = 0;
    if (layer == 1)
        length = std::size_t((12 * bitrate / rate + padding) * 4);
    else if (layer == 3 && version != 1)
        length = std::size_t(72 * bitrate / rate + padding);  // half the samples per frame
    else
        length = std::size_t(144 * bitrate / rate + padding);
    if (start) *start = {version, layer, rate, (h[3] >> 6) == 3 ? 1 : 2, start->tagged};
    return length;
}

std::optional<MpegAudioStart> ProbeMpegAudioStart(const std::string& path) {
    // Not blocking: a FIFO put in a file's place is refused below, never waited on.
    const Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat status {};
    if (fd.get() < 0 || ::fstat(fd.get(), &status) != 0 || !S_ISREG(status.st_mode)) return std::nullopt;
    const auto size = std::size_t(status.st_size);

    MpegAudioStart start;
    std::size_t content = 0;
    std::array<unsigned char, kId3v2Header> head{};
    if (ReadAt(fd.get(), head.data(), head.size(), 0) == head.size() && StartsWith(head.data(), head.size(), "ID3")) {
        // Version 2.2 to 2.4; the size is stored in 7-bit bytes.
        if (head[3] < 2 || head[3] > 4 || head[4] == 0xFF) return std::nullopt;
        std::size_t tag = 0;
        for (int i = 6; i < 10; ++i) {
            if (head[i] & 0x80) return std::nullopt;
            tag = tag << 7 | head[i];
        }
        const bool footer = (head[5] & 0x10) != 0;
        content = kId3v2Header + tag + (footer ? kId3v2Header : 0);
        start.tagged = true;
    }

    std::vector<unsigned char> frames(kStartRead);
    const std::size_t got = content < size ? ReadAt(fd.get(), frames.data(), frames.size(), off_t(content)) : 0;
    if (StartsWith(frames.data(), got, "APETAGEX")) return std::nullopt;
    std::size_t at = 0;
    MpegAudioStart first = start;
    for (int frame = 0; frame < kFramesToSee; ++frame) {
        MpegAudioStart seen = start;
        const std::size_t length = at + 4 <= got ? MpegFrameLength(frames.data() + at, &seen) : 0;
        if (length == 0) return std::nullopt;
        if (frame == 0)
            first = seen;
        else if (seen.version != first.version || seen.layer != first.layer || seen.rate != first.rate)
            return std::nullopt;
        at += length;
    }

    // Tags at the end: ID3v1 goes through the same tag demuxer; an APE tag (before an ID3v1 one
    // or last) through another.
    constexpr std::size_t kTail = kId3v1 + kApeFooter;
    if (size >= content + at + kTail) {
        std::array<unsigned char, kTail> tail{};
        if (ReadAt(fd.get(), tail.data(), tail.size(), off_t(size - kTail)) != tail.size()) return std::nullopt;
        const unsigned char* id3v1 = tail.data() + kApeFooter;
        if (StartsWith(id3v1, kId3v1, "TAG")) first.tagged = true;
        if (StartsWith(tail.data(), kTail, "APETAGEX") || StartsWith(tail.data() + kId3v1, kApeFooter, "APETAGEX"))
            return std::nullopt;
    }
    return first;
}

}  // namespace velmora_input
