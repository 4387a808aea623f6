// A tiny input plug-in for the host tests: it plays nothing, reports what the test sets and logs
// every call. Built as input.dll and as cdrun.dll.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "plugins/winamp/winamp_plugin.h"
#include "tests/plugins/fake_plugins.h"

namespace {

std::string log;
int length = -1;
int outputTime = 0;
int lastSamples = 0;
int visAnswers = -1;
In_Module module;

// A real decoder feeds the host's visualisation services while it plays: each must be there, and
// the modes the host answers are kept (SAGetMode x 10 + VSAGetMode), -1 for a missing service.
void FeedVisualisation() {
    const In_Module& m = module;
    if (!m.SAVSAInit || !m.SAVSADeInit || !m.SAAddPCMData || !m.SAGetMode || !m.SAAdd || !m.VSAAddPCMData ||
        !m.VSAGetMode || !m.VSAAdd || !m.VSASetInfo || !m.SetInfo) {
        visAnswers = -1;
        return;
    }
    char pcm[576 * 4] = {};
    m.SAVSAInit(200, 44100);
    m.VSASetInfo(44100, 2);
    m.SetInfo(128, 44, 2, 1);
    m.SAAddPCMData(pcm, 2, 16, 0);
    m.VSAAddPCMData(pcm, 2, 16, 0);
    m.SAAdd(pcm, 0, 1);
    m.VSAAdd(pcm, 0);
    int specNch = 7, waveNch = 7;
    visAnswers = m.SAGetMode() * 10 + m.VSAGetMode(&specNch, &waveNch);
    m.SAVSADeInit();
}

// Load and unload go to the file the test names, so a library unloaded by the host is seen.
void Note(const char* what) {
    if (const char* file = std::getenv("VELMORA_FAKE_PLUGIN_LOG")) {
        if (FILE* f = std::fopen(file, "a")) {
            std::fprintf(f, "%s %s\n", what, FAKE_NAME);
            std::fclose(f);
        }
    }
}
__attribute__((constructor)) void Loaded() { Note("load"); }
__attribute__((destructor)) void Unloaded() { Note("unload"); }

void Init() { log += "Init "; }
void Quit() { log += "Quit "; }
int Play(const char* file) {
    log += std::string("Play:") + file + " ";
    length = 3000;
    outputTime = 0;
    // The host's DSP stand-in must hand the samples back unchanged.
    short samples[576 * 2] = {};
    lastSamples = module.dsp_dosamples ? module.dsp_dosamples(samples, 576, 16, 2, 44100) : -1;
    FeedVisualisation();
    return 0;
}
void Pause() { log += "Pause "; }
void UnPause() { log += "UnPause "; }
int IsPaused() { return 0; }
void Stop() {
    log += "Stop ";
    length = -1;
}
int GetLength() { return length; }
int GetOutputTime() { return outputTime; }
void SetOutputTime(int ms) {
    log += "Seek:" + std::to_string(ms) + " ";
    outputTime = ms;
}
void SetVolume(int v) { log += "Volume:" + std::to_string(v) + " "; }
void SetPan(int p) { log += "Pan:" + std::to_string(p) + " "; }
void EQSet(int on, char data[10], int preamp) {
    log += "EQ:" + std::to_string(on) + ":" + std::to_string(int(data[0])) + "," + std::to_string(int(data[9])) + ":" +
           std::to_string(preamp) + " ";
}

}  // namespace

extern "C" {

const char* FakeLog() { return log.c_str(); }

void FakeSet(const char* name, int value) {
    if (!std::strcmp(name, "length")) length = value;
    if (!std::strcmp(name, "time")) outputTime = value;
    if (!std::strcmp(name, "clear")) log.clear();
    if (!std::strcmp(name, "samples")) lastSamples = value;
}

__attribute__((visibility("default"))) int FakeSamples() { return lastSamples; }
__attribute__((visibility("default"))) int FakeVisualisation() { return visAnswers; }

__attribute__((visibility("default"))) In_Module* winampGetInModule2() {
    module = In_Module{};
    module.version = VELMORA_IN_MODULE_VERSION;
    module.description = FAKE_NAME;
    module.Init = Init;
    module.Quit = Quit;
    module.Play = Play;
    module.Pause = Pause;
    module.UnPause = UnPause;
    module.IsPaused = IsPaused;
    module.Stop = Stop;
    module.GetLength = GetLength;
    module.GetOutputTime = GetOutputTime;
    module.SetOutputTime = SetOutputTime;
    module.SetVolume = SetVolume;
    module.SetPan = SetPan;
    module.EQSet = EQSet;
    return &module;
}
}
