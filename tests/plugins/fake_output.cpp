// A tiny output plug-in for the host tests: it logs its calls and says it plays while the test
// says so.
#include <cstring>
#include <string>

#include "plugins/winamp/winamp_plugin.h"
#include "tests/plugins/fake_plugins.h"

namespace {

std::string log;
int playing = 1;
Out_Module module;

void Init() { log += "Init "; }
void Quit() { log += "Quit "; }
int IsPlaying() { return playing; }
void SetVolume(int v) { log += "Volume:" + std::to_string(v) + " "; }
void SetPan(int p) { log += "Pan:" + std::to_string(p) + " "; }

}  // namespace

extern "C" {

const char* FakeLog() { return log.c_str(); }

void FakeSet(const char* name, int value) {
    if (!std::strcmp(name, "playing")) playing = value;
    if (!std::strcmp(name, "clear")) log.clear();
}

__attribute__((visibility("default"))) Out_Module* winampGetOutModule() {
    module = Out_Module{};
    module.version = VELMORA_OUT_MODULE_VERSION;
    module.description = "fake output";
    module.Init = Init;
    module.Quit = Quit;
    module.IsPlaying = IsPlaying;
    module.SetVolume = SetVolume;
    module.SetPan = SetPan;
    return &module;
}
}
