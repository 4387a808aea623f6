// The input module record and its functions; the exported entry point hands it to the host.
#include "plugins/winamp/in_module.h"

#include <cstdio>
#include <cstring>
#include <unistd.h>
#include <string>

namespace velmora_input {

namespace {

velmora_input::Decoder& Player();
std::string currentPath;  // the path given to the last successful Play
std::string httpProxy;    // as the host last handed it over

void Config(void*) {}
void About(void*) {}
void Init() { gst_init_check(nullptr, nullptr, nullptr); }
void Quit() { Player().Stop(); }

void GetFileInfo(const char* file, char* title, int* length) {
    const bool current = !file || !*file || currentPath == file;
    const std::string path = (!file || !*file) ? currentPath : std::string(file);
    if (length) *length = current && Player().Loaded() ? Player().GetLength() : -1;
    if (!title) return;
    std::string name = path.substr(path.find_last_of('/') == std::string::npos ? 0 : path.find_last_of('/') + 1);
    if (const auto dot = name.find_last_of('.'); dot != std::string::npos && dot > 0) name.resize(dot);
    std::snprintf(title, 2048, "%s", name.c_str());
}

int InfoBox(const char*, void*) { return 0; }
int IsOurFile(const char*) { return 0; }

int Play(const char* fn) {
    Player().Stop();
    Source source;
    if (!fn) return 1;
    if (!ResolveSource(fn, &source)) return std::strstr(fn, "://") || access(fn, F_OK) == 0 ? 1 : kPlayNotFound;
    source.proxy = httpProxy;
    const int result = Player().Play(source);
    currentPath = result == 0 ? fn : "";
    return result;
}

void Pause() { Player().Pause(); }
void UnPause() { Player().UnPause(); }
int IsPaused() { return Player().IsPaused() ? 1 : 0; }
void Stop() { Player().Stop(); }
int GetLength() { return Player().GetLength(); }
int GetOutputTime() { return Player().GetOutputTime(); }
void SetOutputTime(int ms) { Player().SetOutputTime(ms); }
void SetVolume(int volume);
void SetPan(int pan);

void EQSet(int on, char data[10], int preamp) {
    Equaliser equaliser;
    equaliser.on = on != 0;
    for (int band = 0; band < 10 && data; ++band) equaliser.bands[band] = static_cast<unsigned char>(data[band]);
    equaliser.preamp = preamp;
    Player().SetEqualiser(equaliser);
}

In_Module module = {
    VELMORA_IN_MODULE_VERSION,
    kPluginDescription,
    nullptr,
    nullptr,
    kPluginExtensions,
    1,  // is_seekable
    1,  // UsesOutputPlug
    Config,
    About,
    Init,
    Quit,
    GetFileInfo,
    InfoBox,
    IsOurFile,
    Play,
    Pause,
    UnPause,
    IsPaused,
    Stop,
    GetLength,
    GetOutputTime,
    SetOutputTime,
    SetVolume,
    SetPan,
    // The visualisation and DSP services and the output module come from the host.
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    EQSet,
    nullptr,
    nullptr,
};

void SetVolume(int volume) {
    if (module.outMod) module.outMod->SetVolume(volume);
}

void SetPan(int pan) {
    if (module.outMod) module.outMod->SetPan(pan);
}

velmora_input::Decoder& Player() {
    static Decoder decoder(&module);
    return decoder;
}

}  // namespace

}  // namespace velmora_input

extern "C" VELMORA_PLUGIN_EXPORT In_Module* winampGetInModule2() { return &velmora_input::module; }

extern "C" VELMORA_PLUGIN_EXPORT void velmoraSetHttpProxy(const char* proxy) {
    velmora_input::httpProxy = proxy ? proxy : "";
}
