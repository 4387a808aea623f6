// Media files the tests make themselves with GStreamer test sources: a 440 Hz stereo tone at
// 44.1 kHz, and for the video kinds a 320 x 240 test picture at 25 frames a second beside it.
#pragma once

#include <QString>

enum class MediaKind { Wav, Mp3, Ogg, Flac, M4a, Mp4Video, MkvVideo };

// Writes folder/baseName plus the kind's extension and returns its path, or the empty text (with
// the reason on stderr) when the pipeline fails. Each kind and length is encoded once into the
// build folder's test-media/ and copied from there, by every later call of every test process.
QString MakeMedia(const QString& folder, const QString& baseName, MediaKind kind, double seconds);
