// The C library's heap, kept small for a program that stays open for hours.
#pragma once

namespace platform {

// Gives the free pages inside the heaps back to the system: once a burst of work (the start,
// the opening of a track) has freed its temporaries.
void TrimHeap();

}  // namespace platform
