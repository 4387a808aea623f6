// The C library's heap, kept small for a program that stays open for hours.
#pragma once

namespace platform {

// Called once at the start, before anything sizeable is allocated. Blocks of 128 KB and more
// (pictures, back buffers, font tables) each get a mapping of their own, given back whole when
// freed; glibc would otherwise raise that bound after the first such block is freed and let the
// later ones fragment the heap.
void KeepHeapCompact();

// Gives the free pages inside the heaps back to the system: once a burst of work (the start,
// the opening of a track) has freed its temporaries.
void TrimHeap();

}  // namespace platform
