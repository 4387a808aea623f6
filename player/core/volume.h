// The arithmetic between the player's volume (0..100) and balance (-100..100) and a device
// volume word (low 16 bits left, high 16 bits right), and the plug-in scales.
#pragma once

#include <QtGlobal>

// The louder channel, as 0..100 taken to the nearest (halves to even).
int VolumeFromWord(quint32 word);
// The balance of a word; `current` stays when both channels are below 256.
int BalanceFromWord(quint32 word, int current);
// The word for a volume and balance: each channel's 8-bit level in its high byte.
quint32 WordFromVolume(int volume, int balance);
// The plug-in scales: volume 0..255 and pan -128..127.
int PluginVolume(int volume);
int PluginPan(int balance);
