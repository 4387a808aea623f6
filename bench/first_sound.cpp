// The player as a user starts it: from the process's start to its main window mapped, to idle,
// and to the first non-silent sample reaching the sound sink; resident memory (RSS and PSS) idle
// and while playing, and its CPU share while playing; per media type. Median of several runs,
// since the machine may be busy.
//   xvfb-run -a build/bench/bench_first_sound [runs] [--real-sink] [--libs] [--install FOLDER]
//   xvfb-run -a build/bench/bench_first_sound [runs] --table [--install FOLDER]
// build/bench/stack_floor is the bare stack (a Qt window and playbin) to measure as such a folder.
// The first sample is noted by a GStreamer tracer loaded from outside (bench/tracer), so the
// player runs as it ships. Sound goes to a fake sink unless --real-sink is given. --libs prints
// what each mapped file costs (PSS) while an MP3 plays. --install measures another build's
// install folder (a copy of build/velmora/ kept from before a change), for side-by-side figures.
// --table prints the start-up figures of the player beside those of the bare stack: returning
// starts (an install folder started before), first starts (a new install folder and a new user's
// folders each run, so the first-run set-up runs), an MP3's first sound with its phases, playing
// memory and CPU, and a 100,000-line .m3u given at start.
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
    // The tracer's phases of a start with a file: GStreamer set up, the first source element made.
    double initMs = -1, sourceMs = -1;
    double cpuPercent = -1;  // of one core, over some seconds of steady playing
    Memory memory;
};

// User plus system time of the whole process, in clock ticks.
long long ProcessCpuTicks(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const std::size_t close = text.rfind(')');
    if (close == std::string::npos) return -1;
    std::istringstream fields(text.substr(close + 2));
    std::string field;
    long long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i == 14) utime = std::atoll(field.c_str());
        if (i == 15) stime = std::atoll(field.c_str());
    }
    return utime + stime;
}

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

std::map<std::string, long long> PhasesNs(const std::string& soundFile) {
    std::ifstream in(soundFile + ".phases");
    std::map<std::string, long long> phases;
    std::string name;
    long long ns = 0;
    while (in >> name >> ns) phases.emplace(name, ns);  // the first of each name
    return phases;
}

struct StartOptions {
    double playSeconds = 3;     // how long it plays before its memory is read
    double cpuSeconds = 0;      // then how long its CPU share is measured
    bool waitForSound = true;   // false: a file that is not played (a list) is measured to idle
};

// One start. Idle: the GUI thread used under 3 ms of CPU in the 300 ms that followed.
Run StartOnce(const std::string& program, const std::string& file, const std::string& soundFile, MapWatch& watch,
              PssList* libs, StartOptions options = {}) {
    std::remove(soundFile.c_str());
    std::remove((soundFile + ".phases").c_str());
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
        if (run.idleMs < 0 && (file.empty() || !options.waitForSound) && (run.mappedMs >= 0 || !watch.Active())) {
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
        const bool done = file.empty() || !options.waitForSound ? run.idleMs >= 0 : run.soundMs >= 0;
        if (done) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    const bool playing = run.soundMs >= 0;
    if (playing) {
        std::this_thread::sleep_for(std::chrono::duration<double>(options.playSeconds));  // playing steadily
        const auto phases = PhasesNs(soundFile);
        const auto at = [&](const char* name) {
            const auto it = phases.find(name);
            return it == phases.end() ? -1.0 : MsSince(start, Clock::time_point(std::chrono::nanoseconds(it->second)));
        };
        run.initMs = at("init");
        run.sourceMs = at("source");
    }
    run.memory = MemoryOf(pid);
    if (playing && options.cpuSeconds > 0) {
        const long long before = ProcessCpuTicks(pid);
        const Clock::time_point from = Clock::now();
        std::this_thread::sleep_for(std::chrono::duration<double>(options.cpuSeconds));
        const double seconds = std::chrono::duration<double>(Clock::now() - from).count();
        run.cpuPercent = 100.0 * double(ProcessCpuTicks(pid) - before) / double(sysconf(_SC_CLK_TCK)) / seconds;
    }
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
    double mapped, idle, sound, rss, pss, init, source, cpu;
};

Summary Summarise(const std::vector<Run>& runs) {
    std::vector<double> mapped, idle, sound, rss, pss, init, source, cpu;
    for (const Run& r : runs) {
        mapped.push_back(r.mappedMs);
        idle.push_back(r.idleMs);
        sound.push_back(r.soundMs);
        rss.push_back(r.memory.rssMb);
        pss.push_back(r.memory.pssMb);
        init.push_back(r.initMs);
        source.push_back(r.sourceMs);
        cpu.push_back(r.cpuPercent);
    }
    return {Median(mapped), Median(idle), Median(sound), Median(rss), Median(pss), Median(init), Median(source), Median(cpu)};
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

// The figures of the start-up table for one install folder.
struct Figures {
    std::vector<Run> returning, first, firstPlay, play, list;
};

// A copy of `install` in a folder of its own under `home`, started once (as a user would have),
// so later starts of it are returning ones; the program's path.
std::string Seeded(const QString& install, const QString& home, const QString& name, const std::string& soundFile,
                   MapWatch& watch) {
    bench::CopyTree(install, home + "/" + name);
    const std::string program = QFile::encodeName(home + "/" + name + "/velmora").toStdString();
    StartOnce(program, {}, soundFile, watch, nullptr);
    return program;
}

// One first start: a new install folder and a new user's folders (desktop, menus, MIME data,
// settings), the bench's plug-in registry kept. The environment is the home's again after it.
Run FirstStart(const QString& install, const QString& home, const QString& run, const std::string& file,
               const std::string& soundFile, MapWatch& watch) {
    const QString fresh = home + "/fresh/" + run;
    bench::CopyTree(install, fresh + "/velmora");
    bench::UsePrivateHome(fresh);
    const Run result = StartOnce(QFile::encodeName(fresh + "/velmora/velmora").toStdString(), file, soundFile, watch, nullptr);
    bench::UsePrivateHome(home);
    QDir(fresh).removeRecursively();
    return result;
}

// A list of 100,000 entries; the files need not exist, the list box keeps their names.
bool MakeLongList(const QString& path) {
    QFile list(path);
    if (!list.open(QIODevice::WriteOnly)) return false;
    list.write("#EXTM3U\n");
    for (int i = 0; i < 100000; ++i) list.write(QStringLiteral("/music/album %1/track %2.mp3\n").arg(i / 12).arg(i).toUtf8());
    return list.error() == QFile::NoError;
}

// A start with the long list, the install folder's saved list put back afterwards, so the next
// starts do not load the list too.
Run ListStart(const std::string& program, const std::string& list, const std::string& soundFile, MapWatch& watch) {
    const QString saved = QFileInfo(QFile::decodeName(program.c_str())).absolutePath() + "/velmora.kpl";
    QFile before(saved);
    const bool existed = before.open(QIODevice::ReadOnly);
    const QByteArray bytes = existed ? before.readAll() : QByteArray();
    before.close();
    StartOptions options;
    options.waitForSound = false;
    const Run run = StartOnce(program, list, soundFile, watch, nullptr, options);
    QFile after(saved);
    if (!existed) after.remove();
    else if (after.open(QIODevice::WriteOnly | QIODevice::Truncate)) after.write(bytes);
    return run;
}

void PrintTable(const std::vector<std::pair<QString, Figures>>& columns) {
    std::vector<Summary> returning, first, firstPlay, play, list;
    for (const auto& [name, f] : columns) {
        returning.push_back(Summarise(f.returning));
        first.push_back(Summarise(f.first));
        firstPlay.push_back(Summarise(f.firstPlay));
        play.push_back(Summarise(f.play));
        list.push_back(Summarise(f.list));
    }
    std::printf("\n%-58s", "figure (median)");
    for (const auto& column : columns) std::printf("%14s", qPrintable(column.first));
    std::printf("\n");
    const auto row = [&](const char* label, const std::vector<Summary>& values, double Summary::*field,
                         double Summary::*minus = nullptr) {
        std::printf("%-58s", label);
        for (std::size_t i = 0; i < values.size(); ++i) {
            double v = values[i].*field;
            if (minus && v >= 0) v = values[i].*minus >= 0 ? v - values[i].*minus : -1;
            if (v < 0) std::printf("%14s", "-");
            else std::printf("%14.1f", v);
        }
        std::printf("\n");
    };
    row("start to main window, returning user (ms)", returning, &Summary::mapped);
    row("start to idle, returning user (ms)", returning, &Summary::idle);
    row("start to main window, first start of an install (ms)", first, &Summary::mapped);
    row("start to idle, first start of an install (ms)", first, &Summary::idle);
    row("MP3 to first sound, first start of an install (ms)", firstPlay, &Summary::sound);
    row("MP3 to first sound, returning user (ms)", play, &Summary::sound);
    row("  of which: start to GStreamer set up (ms)", play, &Summary::init);
    row("  of which: start to the engine's first source (ms)", play, &Summary::source);
    row("  of which: start to main window (ms)", play, &Summary::mapped);
    row("resident memory idle, returning user (MB)", returning, &Summary::rss);
    row("resident memory while playing an MP3 (MB)", play, &Summary::rss);
    row("proportional memory while playing an MP3 (MB)", play, &Summary::pss);
    row("CPU while playing an MP3 (% of a core)", play, &Summary::cpu);
    row("100,000-line .m3u to idle (ms)", list, &Summary::idle);
    std::vector<Summary> growth = list;
    for (std::size_t i = 0; i < growth.size(); ++i) growth[i].rss = list[i].rss >= 0 && returning[i].rss >= 0 ? list[i].rss - returning[i].rss : -1;
    row("  memory growth over idle (MB)", growth, &Summary::rss);
}

// The start-up table of the player and of the bare stack, runs interleaved so a busy spell of
// the machine costs both alike.
int RunTable(int runs, const QString& install, const QString& home, const std::string& soundFile) {
    MapWatch watch;
    const QString media = home + "/media";
    if (!MakeMedia(media, kTypes[0]) || !MakeLongList(media + "/long.m3u")) {
        std::printf("could not make the MP3 or the list\n");
        return 1;
    }
    const std::string mp3 = QFile::encodeName(media + "/" + kTypes[0].file).toStdString();
    const std::string list = QFile::encodeName(media + "/long.m3u").toStdString();
    const QString floor = QFileInfo(QStringLiteral(VELMORA_TRACER_FOLDER)).absolutePath() + "/stack_floor";
    struct Column {
        QString name, install;
        std::string program;
        Figures figures;
    };
    std::vector<Column> columns{{"player", install, {}, {}}, {"floor", floor, {}, {}}};
    for (Column& c : columns) c.program = Seeded(c.install, home, c.name, soundFile, watch);
    StartOptions playing;
    playing.cpuSeconds = 4;
    for (int i = 0; i < runs; ++i) {
        for (Column& c : columns) {
            const QString tag = c.name + QString::number(i);
            c.figures.returning.push_back(StartOnce(c.program, {}, soundFile, watch, nullptr));
            c.figures.first.push_back(FirstStart(c.install, home, tag + "a", {}, soundFile, watch));
            c.figures.firstPlay.push_back(FirstStart(c.install, home, tag + "b", mp3, soundFile, watch));
            c.figures.play.push_back(StartOnce(c.program, mp3, soundFile, watch, nullptr, playing));
            c.figures.list.push_back(ListStart(c.program, list, soundFile, watch));
        }
    }
    std::printf("program: %s\nfloor: %s\nplatform: %s, sink: fakesink, median of %d runs\n", qPrintable(install),
                qPrintable(floor), qgetenv("QT_QPA_PLATFORM").constData(), runs);
    std::vector<std::pair<QString, Figures>> table;
    for (const Column& c : columns) table.emplace_back(c.name, c.figures);
    PrintTable(table);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    int runs = 5;
    bool realSink = false, wantLibs = false, wantTable = false;
    QString install = QFileInfo(QStringLiteral(VELMORA_PROGRAM)).absolutePath();
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--real-sink") == 0) realSink = true;
        else if (std::strcmp(argv[i], "--install") == 0 && i + 1 < argc) install = QFile::decodeName(argv[++i]);
        else if (std::strcmp(argv[i], "--libs") == 0) wantLibs = true;
        else if (std::strcmp(argv[i], "--table") == 0) wantTable = true;
        else runs = std::max(1, std::atoi(argv[i]));
    }
    gst_init(&argc, &argv);
    QTemporaryDir home;
    if (wantTable) {
        QDir(home.path()).mkpath("media");
        PrepareEnvironment(home.path(), QStringLiteral(VELMORA_TRACER_FOLDER), false);
        return RunTable(runs, install, home.path(), qgetenv("VELMORA_FIRST_SOUND_FILE").toStdString());
    }
    bench::CopyTree(install, home.path() + "/velmora");
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
