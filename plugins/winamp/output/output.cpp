// Plugins/output.dll: the output module of the plug-in pair, playing PCM through GStreamer.
#include "plugins/winamp/output/audio_out.h"
#include "plugins/winamp/winamp_plugin.h"

namespace {

velmora_output::AudioOut& Out() {
    static velmora_output::AudioOut out;
    return out;
}

void Config(void*) {}
void About(void*) {}
void Init() { Out(); }
void Quit() { Out().Close(); }

int Open(int samplerate, int numchannels, int bitspersamp, int bufferlenms, int /*prebufferms*/) {
    // Playback starts with the first block: the sink prerolls on it, so no prebuffer is needed.
    return Out().Open(samplerate, numchannels, bitspersamp, bufferlenms);
}
void Close() { Out().Close(); }
int Write(char* buf, int len) { return Out().Write(buf, len); }
int CanWrite() { return Out().CanWrite(); }
int IsPlaying() { return Out().IsPlaying(); }
int Pause(int pause) { return Out().Pause(pause); }
void SetVolume(int volume) { Out().SetVolume(volume); }
void SetPan(int pan) { Out().SetPan(pan); }
void Flush(int t) { Out().Flush(t); }
int GetOutputTime() { return Out().GetOutputTime(); }
int GetWrittenTime() { return Out().GetWrittenTime(); }

Out_Module module = {
    VELMORA_OUT_MODULE_VERSION,
    "Velmora GStreamer output",
    1,
    nullptr,
    nullptr,
    Config,
    About,
    Init,
    Quit,
    Open,
    Close,
    Write,
    CanWrite,
    IsPlaying,
    Pause,
    SetVolume,
    SetPan,
    Flush,
    GetOutputTime,
    GetWrittenTime,
};

}  // namespace

extern "C" VELMORA_PLUGIN_EXPORT Out_Module* winampGetOutModule() { return &module; }
