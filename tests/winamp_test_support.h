// The host's side of binding the built input and output plug-ins in a test: where they are
// installed, the no-op callbacks the player hands an input module, and a poll with a limit.
#pragma once

#include "plugins/winamp/winamp_plugin.h"

#include <QDir>

#include <chrono>
#include <cstring>
#include <dlfcn.h>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace winamp_test {

inline const std::string kPlugins = VELMORA_BUILT_INSTALL_DIR "/Plugins/";

// Polls until the condition holds; the limit only keeps a broken plug-in from hanging the test.
inline bool WaitFor(const std::function<bool()>& condition,
                    std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

inline int OpenDescriptors() {
    const QDir folder(QStringLiteral("/proc/self/fd"));
    return int(folder.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot).size());
}

// An entry point of a built plug-in; the library stays loaded for the rest of the process.
inline void* KeptEntry(const std::string& file, const char* symbol) {
    void* library = dlopen((kPlugins + file).c_str(), RTLD_NOW | RTLD_LOCAL);
    return library ? dlsym(library, symbol) : nullptr;
}

inline int HostDsp(short int*, int samples, int, int, int) { return samples; }
inline int HostZero() { return 0; }
inline int HostVsaGetMode(int*, int*) { return 0; }
inline void HostVoid() {}
inline void HostTwoInts(int, int) {}
inline void HostPcm(void*, int, int, int) {}
inline void HostSaAdd(void*, int, int) {}
inline void HostVsaAdd(void*, int) {}
inline void HostSetInfo(int, int, int, int) {}
inline int windowStandIn;  // what the host passes as its main window

using DspProc = int (*)(short int*, int, int, int, int);

// Adds the squares of a block of 16-bit samples written to a capturing output; how many there were.
inline long AddSquares(const char* buffer, int length, double& sumSquares) {
    std::vector<short> samples(std::size_t(length) / 2);
    std::memcpy(samples.data(), buffer, samples.size() * 2);
    for (const short s : samples) sumSquares += double(s) * s;
    return long(samples.size());
}

// The callbacks the host fills in after the input module's Init: nothing drawn, no DSP unless
// the test brings its own.
inline void SetHostCallbacks(In_Module* in, DspProc dsp = HostDsp) {
    in->SetInfo = HostSetInfo;
    in->dsp_isactive = HostZero;
    in->dsp_dosamples = dsp;
    in->SAVSAInit = HostTwoInts;
    in->SAVSADeInit = HostVoid;
    in->SAAddPCMData = HostPcm;
    in->SAGetMode = HostZero;
    in->SAAdd = HostSaAdd;
    in->VSAAddPCMData = HostPcm;
    in->VSAGetMode = HostVsaGetMode;
    in->VSAAdd = HostVsaAdd;
    in->VSASetInfo = HostTwoInts;
}

// An initialised input module bound to an output module the way the player binds the pair.
inline void BindPair(In_Module* in, Out_Module* out, DspProc dsp = HostDsp, void* dllInstance = nullptr) {
    in->hMainWindow = &windowStandIn;
    if (dllInstance) in->hDllInstance = dllInstance;
    in->outMod = nullptr;
    in->Init();
    SetHostCallbacks(in, dsp);
    out->hMainWindow = &windowStandIn;
    out->Init();
    in->outMod = out;
}

}  // namespace winamp_test
