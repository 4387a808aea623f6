// TCtrl: the volume and balance, read from and written to the device-volume stand-in.
#include "platform/device_volume.h"
#include "player/core/ctrl.h"
#include "player/playback/engines.h"
#include "player/playback/run.h"
#include "player/core/volume.h"
#include "player/playback/winamp_host.h"

namespace {

// MIDI devices while the Media Player engine plays a .mid file; wave devices otherwise.
platform::DeviceFamily CurrentFamily(const TCtrl& ctrl) {
    const TRun* run = ctrl.Run.get();
    if (run && run->EngineCode == Engine::MediaPlayer && run->Media &&
        run->Media->Control().GetProperty(platform::mp::FileName).toString().toLower().contains(QLatin1String(".mid")))
        return platform::DeviceFamily::Midi;
    return platform::DeviceFamily::Wave;
}

// Every device of the family is asked; the last answer counts, and no device gives 0.
quint32 ReadWord(platform::DeviceFamily family) {
    quint32 word = 0;
    for (int device = 0; device < platform::DeviceCount(family); ++device)
        word = platform::GetDeviceVolume(family, device);
    return word;
}

}  // namespace

void TCtrl::ReadVolume() { Volume = VolumeFromWord(ReadWord(CurrentFamily(*this))); }

void TCtrl::ReadBalance() { Balance = BalanceFromWord(ReadWord(CurrentFamily(*this)), Balance); }

void TCtrl::ApplyVolume() {
    TWinamp* pair = Run ? Run->Winamp.get() : nullptr;
    if (pair && pair->Kind == 2 && pair->Bound()) {
        const int pan = PluginPan(Balance);
        const int volume = PluginVolume(Volume);
        if (pair->In()->SetPan) pair->In()->SetPan(pan);
        if (pair->Out()->SetPan) pair->Out()->SetPan(pan);
        if (pair->In()->SetVolume) pair->In()->SetVolume(volume);
        if (pair->Out()->SetVolume) pair->Out()->SetVolume(volume);
        return;
    }
    const platform::DeviceFamily family = CurrentFamily(*this);
    const quint32 word = WordFromVolume(Volume, Balance);
    for (int device = 0; device < platform::DeviceCount(family); ++device)
        platform::SetDeviceVolume(family, device, word);
}
