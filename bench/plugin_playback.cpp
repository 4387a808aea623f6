// The plug-in pair at work: CPU time and resident memory while input.dll and output.dll play a
// generated MP3 (60 s by default, or the seconds given as the first argument) to a fake sink in
// real time, and the silence between one track's end and the next track's first sample when the
// host starts the next file at once.
#include "bench/bench_support.h"
#include "plugins/winamp/winamp_plugin.h"

#include <gst/gst.h>

#include <dlfcn.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

std::string PluginsFolder() {
    const std::string program = VELMORA_PROGRAM;
    return program.substr(0, program.find_last_of('/') + 1) + "Plugins/";
}

using bench::MakeMp3;
using bench::ResidentKiB;

double CpuMs() { return bench::CpuSeconds() * 1000.0; }

int DspDoSamples(short int*, int numsamples, int, int, int) { return numsamples; }
int ReturnsZero() { return 0; }
int VsaGetMode(int*, int*) { return 0; }
void NoArgs() {}
void TwoInts(int, int) {}
void PcmData(void*, int, int, int) {}
void SaAdd(void*, int, int) {}
void VsaAdd(void*, int) {}
void SetInfo(int, int, int, int) {}

struct Pair {
    In_Module* in = nullptr;
    Out_Module* out = nullptr;
};

// Binds the pair as the player does; the libraries stay loaded until the program ends.
Pair Bind() {
    Pair pair;
    void* input = dlopen((PluginsFolder() + "input.dll").c_str(), RTLD_NOW);
    void* output = dlopen((PluginsFolder() + "output.dll").c_str(), RTLD_NOW);
    if (!input || !output) return pair;
    auto inEntry = reinterpret_cast<GetInModuleProc>(dlsym(input, VELMORA_IN_MODULE_ENTRY));
    auto outEntry = reinterpret_cast<GetOutModuleProc>(dlsym(output, VELMORA_OUT_MODULE_ENTRY));
    if (!inEntry || !outEntry) return pair;
    pair.in = inEntry();
    pair.in->Init();
    pair.in->SetInfo = SetInfo;
    pair.in->dsp_isactive = ReturnsZero;
    pair.in->dsp_dosamples = DspDoSamples;
    pair.in->SAVSAInit = TwoInts;
    pair.in->SAVSADeInit = NoArgs;
    pair.in->SAAddPCMData = PcmData;
    pair.in->SAGetMode = ReturnsZero;
    pair.in->SAAdd = SaAdd;
    pair.in->VSAAddPCMData = PcmData;
    pair.in->VSAGetMode = VsaGetMode;
    pair.in->VSAAdd = VsaAdd;
    pair.in->VSASetInfo = TwoInts;
    pair.out = outEntry();
    pair.out->Init();
    pair.in->outMod = pair.out;
    return pair;
}

// Start-up (Play) and playing are counted apart: the first Play loads the GStreamer plug-ins.
// While playing, the bench asks what the host asks, as often as the host does (every 500 ms),
// and sleeps in between, so the figure is the pair's own cost.
void PlayThrough(const Pair& pair, const std::string& file, double seconds) {
    const long residentBefore = ResidentKiB();
    long residentPeak = residentBefore;
    const double cpuBefore = CpuMs();
    const auto start = Clock::now();
    if (pair.in->Play(file.c_str()) != 0) {
        std::printf("playback failed to start\n");
        return;
    }
    const double playCall = Ms(Clock::now() - start);
    const int length = pair.in->GetLength();
    while (pair.in->GetOutputTime() <= 0) std::this_thread::sleep_for(1ms);  // the first sample heard
    const double playCpu = CpuMs() - cpuBefore;
    const auto playing = Clock::now();
    const double cpuPlaying = CpuMs();
    while (pair.out->IsPlaying()) {
        pair.in->GetOutputTime();
        std::this_thread::sleep_for(500ms);
        residentPeak = std::max(residentPeak, ResidentKiB());
    }
    const double wall = Ms(Clock::now() - playing);
    const double cpu = CpuMs() - cpuPlaying;
    pair.in->Stop();
    std::printf("play %.0f s MP3: Play() %.1f ms, CPU until the first sample was heard %.1f ms, length %d ms, "
                "then playing %.0f ms\n", seconds, playCall, playCpu, length, wall);
    std::printf("  CPU while playing %.0f ms (%.2f %% of one core), resident %ld kB before, %ld kB peak (+%ld kB)\n",
                cpu, 100.0 * cpu / wall, residentBefore, residentPeak, residentPeak - residentBefore);
}

void MeasureGaps(const Pair& pair, const std::string& first, const std::string& second) {
    std::vector<double> gaps, playCalls;
    for (int round = 0; round < 3; ++round) {
        if (pair.in->Play(first.c_str()) != 0) return;
        while (pair.out->IsPlaying() || pair.in->GetOutputTime() == 0) std::this_thread::sleep_for(1ms);
        const auto ended = Clock::now();
        pair.in->Stop();
        if (pair.in->Play(second.c_str()) != 0) return;
        playCalls.push_back(Ms(Clock::now() - ended));
        while (pair.in->GetOutputTime() <= 0) std::this_thread::sleep_for(1ms);
        gaps.push_back(Ms(Clock::now() - ended));
        pair.in->Stop();
    }
    std::printf("gap from IsPlaying()=0 to the next track's first sample heard, 3 rounds:");
    for (std::size_t i = 0; i < gaps.size(); ++i) std::printf(" %.1f ms (Stop+Play %.1f ms)", gaps[i], playCalls[i]);
    std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 60.0;
    setenv("VELMORA_AUDIO_SINK", "fakesink", 1);
    gst_init(nullptr, nullptr);
    char folderTemplate[] = "/tmp/velmora-bench-XXXXXX";
    const std::string folder = mkdtemp(folderTemplate);
    const std::string longFile = folder + "/long.mp3", a = folder + "/a.mp3", b = folder + "/b.mp3";
    if (!MakeMp3(longFile, seconds) || !MakeMp3(a, 1.0) || !MakeMp3(b, 1.0)) {
        std::printf("could not make the MP3 files\n");
        return 1;
    }
    const Pair pair = Bind();
    if (!pair.in) {
        std::printf("could not bind %sinput.dll and output.dll\n", PluginsFolder().c_str());
        return 1;
    }
    PlayThrough(pair, longFile, seconds);
    MeasureGaps(pair, a, b);
    pair.in->Quit();
    pair.out->Quit();
    for (const std::string& file : {longFile, a, b}) unlink(file.c_str());
    rmdir(folder.c_str());
    return 0;
}
