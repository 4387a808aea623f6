// The host of the plug-in pair of engine 1: two loader slots (input and output library) over
// the platform loader, and TWinamp, which holds one bound pair.
#pragma once

#include <QString>

#include "plugins/winamp/winamp_plugin.h"

// Loading into a slot always unloads what the slot held, even the same file. True exactly when
// the library loaded and exports its entry point.
bool LoadInputPlugin(const QString& path);
bool LoadOutputPlugin(const QString& path);
void UnloadInputPlugin();
void UnloadOutputPlugin();
// The input slot's entry point; null when the slot holds no usable library.
GetInModuleProc InputEntry();
// Hands the HTTP proxy (empty: none) to the input library, for its next Play. False when the
// library takes none.
bool SetInputHttpProxy(const QString& proxy);

// One bound pair. Dropping it quits the modules that are bound, so no decoding thread outlives
// the object that drives it.
class TWinamp {
public:
    explicit TWinamp(int kind) : Kind(kind) {}
    ~TWinamp() { QuitPair(); }
    TWinamp(const TWinamp&) = delete;
    TWinamp& operator=(const TWinamp&) = delete;

    // Both modules bound: only then does anything call into them.
    bool Bound() const { return InModule && OutModule; }
    In_Module* In() const { return InModule; }
    Out_Module* Out() const { return OutModule; }
    // Input Quit, then output Quit, for the modules that are bound.
    void QuitPair();

    int Kind;  // 1 file pair (input.dll), 2 audio-CD pair (cdrun.dll)
    In_Module* InModule = nullptr;
    Out_Module* OutModule = nullptr;
};
