// The pages the start-up brought in and playing does not use again.
#pragma once

#include <cstddef>

namespace platform {

// Unmaps the pages of the program's and its libraries' code and read-only data from this
// process: they are copies of the files, so a later use maps them again from the file cache,
// unchanged. Most of them served the start only (the loader, the windows' building, the skin's
// decoding, the plug-ins' set-up) and would stay counted against the player for as long as it
// runs. Writable segments, and the read-only ones the loader wrote into (relocations), are never
// touched, nor is anything the loader maps or unmaps meanwhile, since the walk holds its lock.
// Returns the bytes of address range advised.
std::size_t ReleaseStartUpPages();

}  // namespace platform
