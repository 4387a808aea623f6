// The volume of the sound output devices as the player knows it from Windows: one device per
// family (wave and MIDI), each with a 32-bit volume word, low 16 bits the left channel and high
// 16 bits the right, 0..0xFFFF each. The words belong to the user: they are kept in the registry
// stand-in ("Software\Velmora\DeviceVolume", values "Wave" and "Midi"; full volume when absent),
// and every audio output of the player applies them to its sound.
#pragma once

#include <QtGlobal>
#include <functional>
#include <utility>

namespace platform {

enum class DeviceFamily { Wave = 0, Midi = 1 };

// Number of devices of the family; device numbers run 0..count-1.
int DeviceCount(DeviceFamily family);

// The device's volume word; 0 for a device number that does not exist (no answer).
quint32 GetDeviceVolume(DeviceFamily family, int device);

// Sets and stores the word; false, changing nothing, for a device number that does not exist.
bool SetDeviceVolume(DeviceFamily family, int device, quint32 word);

// The family's left and right levels, linear 0..1.
std::pair<double, double> DeviceLevels(DeviceFamily family);

// Listeners hear every change of a word, on the thread that made it. The id removes it again.
using DeviceVolumeListener = std::function<void(DeviceFamily family, quint32 word)>;
int AddDeviceVolumeListener(DeviceVolumeListener listener);
void RemoveDeviceVolumeListener(int id);

// The words are read from the registry once and then kept in memory; this reads them again.
void ReloadDeviceVolumes();
// A change is written to the registry a moment after the last one (and at exit); this writes
// what is pending now.
void SaveDeviceVolumes();

}  // namespace platform

// VelmoraDeviceVolumeWord, which our output plug-in finds in the host, is declared in
// plugins/winamp/device_volume_word.h.
