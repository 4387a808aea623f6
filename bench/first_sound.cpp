// The player as a user starts it: from the process's start to its main window mapped, to idle,
// and to the first non-silent sample reaching the sound sink; resident memory (RSS and PSS) idle
// and while playing; per media type. Median of several runs, since the machine may be busy.
//   xvfb-run -a build/bench/bench_first_sound [runs] [--real-sink] [--libs] [--install FOLDER]
// build/bench/stack_floor is the bare stack (a Qt window and playbin) to measure as such a folder.
// The first sample is noted by a GStreamer tracer loaded from outside (bench/tracer), so the
// player runs as it ships. Sound goes to a fake sink unless --real-sink is given. --libs prints
// what each mapped file costs (PSS) while an MP3 plays. --install measures another build's
// install folder (a copy of build/velmora/ kept from before a change), for side-by-side figures.
#include <gst/gst.h>
#include <spawn.h>
#include <sys/wait.h>
#include <xcb/xcb.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "bench_support.h"

#include "bench/bench_home.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;  // CLOCK_MONOTONIC, the tracer's clock too

double MsSince(Clock::time_point start, Clock::time_point then) {
    return std::chrono::duration<double, std::milli>(then - start).count();
}

bool Encode(const std::string& description) { return bench::RunToEnd(description); }

struct MediaType {
    const char* name;
    const char* file;
    const char* encoder;  // after a 20 s tone; empty when the encoder is missing
};

const MediaType kTypes[] = {
    {"MP3", "tone.mp3", "audioconvert ! lamemp3enc ! xingmux ! id3v2mux"},
    {"Ogg Vorbis", "tone.ogg", "audioconvert ! vorbisenc ! oggmux"},
    {"FLAC", "tone.flac", "audioconvert ! flacenc"},
    {"WAV", "tone.wav", "audioconvert ! wavenc"},
    {"AAC in MP4", "tone.m4a", "audioconvert ! voaacenc ! mp4mux"},
};

bool MakeMedia(const QString& folder, const MediaType& type) {
    const std::string path = QFile::encodeName(folder + "/" + type.file).toStdString();
    return Encode("audiotestsrc num-buffers=862 samplesperbuffer=1024 freq=440 ! "
                  "audio/x-raw,rate=44100,channels=2 ! " +
                  std::string(type.encoder) + " ! filesink location=\"" + path + "\"");
}

void CopyTree(const QString& from, const QString& to) {
    QDirIterator it(from, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const QString target = to + file.mid(from.size());
        QDir().mkpath(QFileInfo(target).absolutePath());
        QFile::copy(file, target);
    }
}

// The main thread's time on the CPU, in ns: the GUI thread is idle when it stops growing.
long long MainThreadCpuNs(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid) + "/schedstat");
    long long ns = -1;
    stat >> ns;
    return ns;
}

struct Memory {
    double rssMb = -1, pssMb = -1;
};

Memory MemoryOf(pid_t pid) {
    std::ifstream rollup("/proc/" + std::to_string(pid) + "/smaps_rollup");
    Memory m;
    std::string line;
    while (std::getline(rollup, line)) {
        if (line.rfind("Rss:", 0) == 0) m.rssMb = std::atof(line.c_str() + 4) / 1024.0;
        if (line.rfind("Pss:", 0) == 0) m.pssMb = std::atof(line.c_str() + 4) / 1024.0;
    }
    return m;
}

using PssList = std::vector<std::pair<double, std::string>>;

// PSS by mapped file (anonymous memory as "[heap and anonymous]"), largest first.
PssList PssByFile(pid_t pid) {
    std::ifstream smaps("/proc/" + std::to_string(pid) + "/smaps");
    std::map<std::string, double> kib;
    std::string line, current = "[heap and anonymous]";
    while (std::getline(smaps, line)) {
        if (!line.empty() && std::isxdigit(static_cast<unsigned char>(line[0])) && line.find('-') < 17) {
            std::istringstream fields(line);
            std::string range, perms, offset, dev, inode, path;
            fields >> range >> perms >> offset >> dev >> inode >> path;
            current = path.empty() || path[0] == '[' ? "[heap and anonymous]" : path;
        } else if (line.rfind("Pss:", 0) == 0) {
            kib[current] += std::atof(line.c_str() + 4);
        }
    }
    PssList sorted;
    for (const auto& [path, value] : kib) sorted.emplace_back(value / 1024.0, path);
    std::sort(sorted.rbegin(), sorted.rend());
    return sorted;
}

// Maps of top-level windows, watched on the X server the player uses; none on other platforms.
class MapWatch {
public:
    MapWatch() {
        if (qEnvironmentVariable("QT_QPA_PLATFORM", "xcb") != QLatin1String("xcb")) return;
        connection_ = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(connection_)) {
            Drop();
            return;
        }
        xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data;
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(connection_, screen->root, XCB_CW_EVENT_MASK, &mask);
        const char name[] = "_NET_WM_PID";
        xcb_intern_atom_reply_t* atom =
            xcb_intern_atom_reply(connection_, xcb_intern_atom(connection_, 0, sizeof name - 1, name), nullptr);
        if (atom) pidAtom_ = atom->atom;
        free(atom);
        xcb_flush(connection_);
    }
    ~MapWatch() { Drop(); }
    bool Active() const { return connection_ != nullptr; }

    // True when a window of `pid` was mapped since the last call.
    bool Mapped(pid_t pid) {
        bool mapped = false;
        while (Active()) {
            xcb_generic_event_t* event = xcb_poll_for_event(connection_);
            if (!event) break;
            if ((event->response_type & 0x7f) == XCB_MAP_NOTIFY)
                mapped = mapped || OwnerOf(reinterpret_cast<xcb_map_notify_event_t*>(event)->window) == pid;
            free(event);
        }
        return mapped;
    }

private:
    pid_t OwnerOf(xcb_window_t window) {
        xcb_get_property_reply_t* reply = xcb_get_property_reply(
            connection_, xcb_get_property(connection_, 0, window, pidAtom_, XCB_ATOM_CARDINAL, 0, 1), nullptr);
        pid_t owner = -1;
        if (reply && xcb_get_property_value_length(reply) == 4) owner = *static_cast<pid_t*>(xcb_get_property_value(reply));
        free(reply);
        return owner;
    }
    void Drop() {
        if (connection_) xcb_disconnect(connection_);
        connection_ = nullptr;
    }
    xcb_connection_t* connection_ = nullptr;
    xcb_atom_t pidAtom_ = XCB_NONE;
};

struct Run {
    double mappedMs = -1, idleMs = -1, soundMs = -1;
    Memory memory;
};

pid_t Spawn(const std::string& program, const std::string& file) {
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    if (!file.empty()) argv.push_back(const_cast<char*>(file.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    return posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) == 0 ? pid : -1;
}

void End(pid_t pid) {
    kill(pid, SIGTERM);
    for (int i = 0; i < 500 && waitpid(pid, nullptr, WNOHANG) == 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (waitpid(pid, nullptr, WNOHANG) == 0) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
}

std::optional<long long> FirstSoundNs(const std::string& path) {
    std::ifstream in(path);
    long long ns = 0;
    if (in >> ns) return ns;
    return std::nullopt;
}

// One start. Idle: the GUI thread used under 3 ms of CPU in the 300 ms that followed.
Run StartOnce(const std::string& program, const std::string& file, const std::string& soundFile, MapWatch& watch,
              PssList* libs) {
    std::remove(soundFile.c_str());
    watch.Mapped(-1);  // what an earlier run left
    Run run;
    const Clock::time_point start = Clock::now();
    const pid_t pid = Spawn(program, file);
    if (pid < 0) return run;
    std::vector<std::pair<Clock::time_point, long long>> cpu;
    const auto limit = start + std::chrono::seconds(20);
    while (Clock::now() < limit) {
        const Clock::time_point now = Clock::now();
        if (run.mappedMs < 0 && watch.Mapped(pid)) run.mappedMs = MsSince(start, now);
        cpu.emplace_back(now, MainThreadCpuNs(pid));
        if (run.idleMs < 0 && file.empty() && (run.mappedMs >= 0 || !watch.Active())) {
            // The first sample of the last 300 ms, if it came after the window was mapped.
            const auto first = std::find_if(cpu.begin(), cpu.end(), [&](const auto& s) {
                return now - s.first <= std::chrono::milliseconds(300);
            });
            const bool afterMap = MsSince(start, first->first) >= std::max(run.mappedMs, 0.0);
            if (first != cpu.begin() && afterMap && cpu.back().second - first->second < 3000000)
                run.idleMs = MsSince(start, first->first);
        }
        if (run.soundMs < 0 && !file.empty())
            if (const auto ns = FirstSoundNs(soundFile))
                run.soundMs = MsSince(start, Clock::time_point(std::chrono::nanoseconds(*ns)));
        const bool done = file.empty() ? run.idleMs >= 0 : run.soundMs >= 0;
        if (done) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (!file.empty()) std::this_thread::sleep_for(std::chrono::seconds(2));  // playing steadily
    run.memory = MemoryOf(pid);
    if (libs) *libs = PssByFile(pid);
    End(pid);
    return run;
}

double Median(std::vector<double> values) {
    values.erase(std::remove_if(values.begin(), values.end(), [](double v) { return v < 0; }), values.end());
    if (values.empty()) return -1;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

struct Summary {
    double mapped, idle, sound, rss, pss;
};

Summary Summarise(const std::vector<Run>& runs) {
    std::vector<double> mapped, idle, sound, rss, pss;
    for (const Run& r : runs) {
        mapped.push_back(r.mappedMs);
        idle.push_back(r.idleMs);
        sound.push_back(r.soundMs);
        rss.push_back(r.memory.rssMb);
        pss.push_back(r.memory.pssMb);
    }
    return {Median(mapped), Median(idle), Median(sound), Median(rss), Median(pss)};
}

void PrepareEnvironment(const QString& home, const QString& tracerFolder, bool realSink) {
    if (qEnvironmentVariableIsSet("DISPLAY")) setenv("QT_QPA_PLATFORM", "xcb", 0);
    bench::UsePrivateHome(home);
    setenv("VELMORA_MESSAGES_TO_STDERR", "1", 1);  // a message box nobody closes would hold a start open
    if (!realSink) setenv("VELMORA_AUDIO_SINK", "fakesink", 1);
    // The tracer's plug-in goes into a registry of the bench's own, so the shared cache is left alone.
    setenv("GST_REGISTRY", QFile::encodeName(home + "/gst-registry.bin").constData(), 1);
    const QByteArray path = qgetenv("GST_PLUGIN_PATH");
    setenv("GST_PLUGIN_PATH", QFile::encodeName(tracerFolder + (path.isEmpty() ? "" : ":" + path)).constData(), 1);
    setenv("GST_TRACERS", "velmorafirstsound", 1);
    setenv("VELMORA_FIRST_SOUND_FILE", QFile::encodeName(home + "/first-sound").constData(), 1);
}

// The kind of cost a mapped file stands for; the first pattern found in its path decides.
const char* KindOf(const std::string& path, const std::string& install) {
    static constexpr const char* kQt = "Qt (Core, Gui, Widgets, platform plug-in, D-Bus)";
    static constexpr const char* kGst = "GStreamer, its elements and decoder libraries";
    static constexpr const char* kText = "fonts and text (faces, fontconfig, FreeType, HarfBuzz)";
    static constexpr const char* kX = "X11 and xcb";
    static constexpr const char* kGl = "OpenGL dispatch (linked by Qt Gui)";
    static constexpr const char* kRuntime = "C and C++ runtime";
    static constexpr const char* kGlib = "GLib";
    static const std::pair<const char*, const char*> kKinds[] = {
        {"[heap", "heap and anonymous (GStreamer's registry, skin pictures, window canvases)"},
        {"libQt6", kQt}, {"qt6/plugins", kQt},
        {"gstreamer", kGst}, {"libgst", kGst}, {"liborc", kGst}, {"libmpg123", kGst}, {"libfaad", kGst},
        {"libvorbis", kGst}, {"libogg", kGst}, {"libFLAC", kGst}, {"libav", kGst}, {"libdw", kGst},
        {"libelf", kGst}, {"libunwind", kGst},
        {"/fonts/", kText}, {"fontconfig", kText}, {"libfreetype", kText}, {"libharfbuzz", kText},
        {"libgraphite", kText}, {"libicu", "ICU (linked by Qt Core)"},
        {"libX", kX}, {"libxcb", kX}, {"libxkb", kX}, {"xorg", kX},
        {"libGL", kGl}, {"libEGL", kGl}, {"libOpenGL", kGl},
        {"libc.so", kRuntime}, {"libstdc++", kRuntime}, {"libm.so", kRuntime}, {"ld-linux", kRuntime},
        {"libgcc_s", kRuntime},
        {"libglib", kGlib}, {"libgobject", kGlib}, {"libgio", kGlib}, {"libgmodule", kGlib},
    };
    if (!install.empty() && path.rfind(install, 0) == 0) return "the player and its plug-ins";
    for (const auto& [pattern, kind] : kKinds)
        if (path.find(pattern) != std::string::npos) return kind;
    return "other libraries";
}

void PrintLibs(const PssList& idle, const PssList& playing, const std::string& install) {
    std::map<std::string, std::pair<double, double>> byKind;
    for (const auto& [mb, path] : idle) byKind[KindOf(path, install)].first += mb;
    for (const auto& [mb, path] : playing) byKind[KindOf(path, install)].second += mb;
    std::vector<std::pair<std::pair<double, double>, std::string>> kinds;
    for (const auto& [kind, mb] : byKind) kinds.emplace_back(std::make_pair(mb.second, mb.first), kind);
    std::sort(kinds.rbegin(), kinds.rend());
    std::printf("\nPSS by kind, idle and while an MP3 plays:\n");
    for (const auto& [mb, kind] : kinds) std::printf("  %7.2f  %7.2f MB  %s\n", mb.second, mb.first, kind.c_str());
    std::printf("\nPSS by mapped file while an MP3 plays (largest 20):\n");
    for (std::size_t i = 0; i < playing.size() && i < 20; ++i)
        std::printf("  %7.2f MB  %s\n", playing[i].first, playing[i].second.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    int runs = 5;
    bool realSink = false, wantLibs = false;
    QString install = QFileInfo(QStringLiteral(VELMORA_PROGRAM)).absolutePath();
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--real-sink") == 0) realSink = true;
        else if (std::strcmp(argv[i], "--install") == 0 && i + 1 < argc) install = QFile::decodeName(argv[++i]);
        else if (std::strcmp(argv[i], "--libs") == 0) wantLibs = true;
        else runs = std::max(1, std::atoi(argv[i]));
    }
    gst_init(&argc, &argv);
    QTemporaryDir home;
    CopyTree(install, home.path() + "/velmora");
    QDir(home.path()).mkpath("media");
    PrepareEnvironment(home.path(), QStringLiteral(VELMORA_TRACER_FOLDER), realSink);
    const std::string program = QFile::encodeName(home.path() + "/velmora/velmora").toStdString();
    const std::string soundFile = qgetenv("VELMORA_FIRST_SOUND_FILE").toStdString();
    MapWatch watch;

    StartOnce(program, {}, soundFile, watch, nullptr);  // builds the bench's plug-in registry
    std::vector<Run> idleRuns;
    PssList idleLibs;
    for (int i = 0; i < runs; ++i)
        idleRuns.push_back(StartOnce(program, {}, soundFile, watch, wantLibs && i == 0 ? &idleLibs : nullptr));
    const Summary idle = Summarise(idleRuns);
    std::printf("program: %s\nplatform: %s, sink: %s, median of %d runs\n", qPrintable(install),
                qgetenv("QT_QPA_PLATFORM").constData(), realSink ? "the player's own choice" : "fakesink", runs);
    std::printf("start to main window mapped:      %7.1f ms%s\n", idle.mapped, watch.Active() ? "" : " (no X server)");
    std::printf("start to idle:                    %7.1f ms\n", idle.idle);
    std::printf("resident memory idle (RSS / PSS): %5.1f / %5.1f MB\n", idle.rss, idle.pss);

    PssList libs;
    for (const MediaType& type : kTypes) {
        const QString media = home.path() + "/media";
        if (!MakeMedia(media, type)) {
            std::printf("%-11s could not be made here (encoder missing)\n", type.name);
            continue;
        }
        const std::string file = QFile::encodeName(media + "/" + type.file).toStdString();
        std::vector<Run> playRuns;
        for (int i = 0; i < runs; ++i)
            playRuns.push_back(StartOnce(program, file, soundFile, watch, wantLibs && i == 0 && &type == &kTypes[0] ? &libs : nullptr));
        const Summary play = Summarise(playRuns);
        std::printf("%-11s start to first sound: %7.1f ms   playing RSS / PSS: %5.1f / %5.1f MB\n", type.name,
                    play.sound, play.rss, play.pss);
    }
    if (wantLibs) PrintLibs(idleLibs, libs, QFile::encodeName(home.path() + "/velmora/").toStdString());
    return 0;
}
