#include "platform/heap.h"

#include <cstddef>  // brings in the C library's feature macros
#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace platform {

void KeepHeapCompact() {
#if defined(__GLIBC__)
    // Setting the bound at all fixes it: glibc stops moving it.
    constexpr int kOwnMappingBytes = 128 * 1024;
    mallopt(M_MMAP_THRESHOLD, kOwnMappingBytes);
#endif
}

void TrimHeap() {
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

}  // namespace platform
