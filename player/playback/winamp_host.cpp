#include "player/playback/winamp_host.h"

#include "platform/message_box.h"
#include "platform/shared_library.h"
#include "player/core/ctrl.h"
#include "player/app/form1.h"
#include "player/playback/run.h"

namespace {

struct Slot {
    platform::SharedLibrary library;
    void* entry = nullptr;
};
Slot inputSlot;
Slot outputSlot;

void Unload(Slot& slot) {
    slot.entry = nullptr;
    slot.library = platform::SharedLibrary();
}

bool Load(Slot& slot, const QString& path, const char* entryName) {
    Unload(slot);
    slot.library = platform::SharedLibrary(path);
    slot.entry = slot.library.symbol(entryName);
    return slot.entry != nullptr;
}

// Visualisation and DSP are not offered: every service does nothing, and the samples pass
// through unchanged.
void NoSaVsaInit(int, int) {}
void NoSaVsaDeInit() {}
void NoAddPcmData(void*, int, int, int) {}
int NoGetMode() { return 0; }
void NoSaAdd(void*, int, int) {}
int NoVsaGetMode(int*, int*) { return 0; }
void NoVsaAdd(void*, int) {}
void NoVsaSetInfo(int, int) {}
int NoDspActive() { return 0; }
int PassSamples(short*, int numsamples, int, int, int) { return numsamples; }
void NoSetInfo(int, int, int, int) {}

// The window the modules are told about: the main window's native handle when there is one.
void* MainWindowHandle() { return Form1 ? reinterpret_cast<void*>(Form1->winId()) : nullptr; }

GetOutModuleProc OutputEntry() { return reinterpret_cast<GetOutModuleProc>(outputSlot.entry); }
// The slots' library handles, handed to the modules as their instance.
void* InputHandle() { return inputSlot.library.nativeHandle(); }
void* OutputHandle() { return outputSlot.library.nativeHandle(); }

// The host's stand-ins for visualisation and DSP, installed into every input record.
void InstallHostCallbacks(In_Module* module) {
    module->SetInfo = NoSetInfo;
    module->dsp_isactive = NoDspActive;
    module->dsp_dosamples = PassSamples;
    module->SAVSAInit = NoSaVsaInit;
    module->SAVSADeInit = NoSaVsaDeInit;
    module->SAAddPCMData = NoAddPcmData;
    module->SAAdd = NoSaAdd;
    module->VSAAddPCMData = NoAddPcmData;
    module->VSAAdd = NoVsaAdd;
    module->VSASetInfo = NoVsaSetInfo;
    module->SAGetMode = NoGetMode;
    module->VSAGetMode = NoVsaGetMode;
}

}  // namespace

bool LoadInputPlugin(const QString& path) { return Load(inputSlot, path, VELMORA_IN_MODULE_ENTRY); }
bool LoadOutputPlugin(const QString& path) { return Load(outputSlot, path, VELMORA_OUT_MODULE_ENTRY); }
void UnloadInputPlugin() { Unload(inputSlot); }
void UnloadOutputPlugin() { Unload(outputSlot); }
GetInModuleProc InputEntry() { return reinterpret_cast<GetInModuleProc>(inputSlot.entry); }

bool SetInputHttpProxy(const QString& proxy) {
    const auto set = reinterpret_cast<VelmoraSetHttpProxyProc>(inputSlot.library.symbol(VELMORA_IN_PROXY_ENTRY));
    if (!set) return false;
    set(proxy.toUtf8().constData());
    return true;
}

void TWinamp::QuitPair() {
    if (InModule && InModule->Quit) InModule->Quit();
    if (OutModule && OutModule->Quit) OutModule->Quit();
}

void TRun::LoadWinampPlugins(int kind) {
    Winamp.reset();
    Winamp = std::make_unique<TWinamp>(kind);
    // A pair that cannot be bound stays as far as it got; the caller sees it is not bound.
    const auto fail = [] { platform::ShowMessage(QStringLiteral("发生错误"), QStringLiteral("Velmora Player"), platform::MessageIcon::None);
    };
    const QString plugins = Ctrl->InstallFolder + QStringLiteral("Plugins/");
    In_Module* in = nullptr;
    if (!LoadInputPlugin(plugins + (kind == 2 ? QStringLiteral("cdrun.dll") : QStringLiteral("input.dll"))) ||
        !(in = InputEntry()())) {
        fail();
        return;
    }
    Winamp->InModule = in;
    in->hMainWindow = MainWindowHandle();
    in->hDllInstance = InputHandle();
    in->outMod = Winamp->OutModule;
    if (in->Init) in->Init();
    InstallHostCallbacks(in);
    Out_Module* out = nullptr;
    if (!LoadOutputPlugin(plugins + QStringLiteral("output.dll")) || !(out = OutputEntry()())) {
        fail();
        return;
    }
    Winamp->OutModule = out;
    out->hMainWindow = MainWindowHandle();
    out->hDllInstance = OutputHandle();
    if (out->Init) out->Init();
    in->outMod = out;
    SetEq(QStringLiteral("RunEQ"), -1);
}

