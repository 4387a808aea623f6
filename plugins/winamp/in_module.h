// The input module record shared by input.dll and cdrun.dll. Each library supplies what differs:
// its name, its file types and how a path it is given becomes a source to decode.
#pragma once

#include "plugins/winamp/decoder.h"

namespace velmora_input {

extern const char kPluginDescription[];
// Pairs of zero-terminated texts (types, then their description), ended by an empty text.
extern const char kPluginExtensions[];

// False, with the reason on stderr, when the path cannot be played by this library.
bool ResolveSource(const char* path, Source* source);

}  // namespace velmora_input
