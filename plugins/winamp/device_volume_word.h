/* The device-volume word the player exports for our output plug-in, which has no Qt and finds it
   in the host program by name. Shared by the player (platform/device_volume.cpp) and the plug-in. */
#ifndef VELMORA_DEVICE_VOLUME_WORD_H
#define VELMORA_DEVICE_VOLUME_WORD_H

#ifdef __cplusplus
extern "C" {
#endif

/* Device families of the word. */
#define VELMORA_DEVICE_WAVE 0
#define VELMORA_DEVICE_MIDI 1

/* The volume word of the family's device: left channel in the low 16 bits, right in the high 16,
   each 0..0xFFFF; 0xFFFFFFFF (full volume) for an unknown family. Safe on any thread. */
typedef unsigned int (*VelmoraDeviceVolumeWordFn)(int family);
#define VELMORA_DEVICE_VOLUME_WORD_EXPORT "VelmoraDeviceVolumeWord"
__attribute__((visibility("default"))) unsigned int VelmoraDeviceVolumeWord(int family);

#ifdef __cplusplus
}
#endif

#endif
