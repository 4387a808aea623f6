#include "plugins/winamp/cdrun/cd_track.h"

#include <sys/stat.h>

#include <cctype>
#include <fstream>
#include <sstream>

namespace velmora_input {

namespace {

std::optional<int> TrackNumber(std::string name) {
    for (char& c : name) c = char(std::tolower(static_cast<unsigned char>(c)));
    const std::string prefix = "track", suffix = ".cda";
    if (name.size() <= prefix.size() + suffix.size() || name.compare(0, prefix.size(), prefix) != 0 ||
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
        return std::nullopt;
    const std::string digits = name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
    if (digits.size() > 3) return std::nullopt;
    int number = 0;
    for (const char c : digits) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
        number = number * 10 + (c - '0');
    }
    if (number < 1 || number > 99) return std::nullopt;
    return number;
}

// /proc/mounts writes space, tab, newline and backslash in names as octal escapes ("\040").
std::string Unescape(const std::string& field) {
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        const auto octal = [&](std::size_t at) { return field[at] >= '0' && field[at] <= '7'; };
        if (field[i] == '\\' && i + 3 < field.size() && octal(i + 1) && octal(i + 2) && octal(i + 3)) {
            out += char((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0'));
            i += 3;
        } else {
            out += field[i];
        }
    }
    return out;
}

std::string MountedDevice(const std::string& mountPoint) {
    std::ifstream mounts("/proc/mounts");
    std::string line, device;
    while (std::getline(mounts, line)) {
        std::istringstream fields(line);
        std::string source, target;
        if (!(fields >> source >> target)) continue;
        if (Unescape(target) == mountPoint) device = Unescape(source);  // the last mount there wins
    }
    return device;
}

bool IsBlockDevice(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISBLK(info.st_mode);
}

}  // namespace

std::optional<CdTrack> ParseCdTrackPath(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return std::nullopt;
    const std::optional<int> number = TrackNumber(path.substr(slash + 1));
    if (!number) return std::nullopt;
    std::size_t end = slash;
    while (end > 0 && path[end - 1] == '/') --end;
    const std::string root = end == 0 ? std::string(1, '/') : path.substr(0, end);
    std::string device = IsBlockDevice(root) ? root : MountedDevice(root);
    if (device.empty() || !IsBlockDevice(device)) return std::nullopt;
    return CdTrack{device, *number};
}

}  // namespace velmora_input
