#include "platform/heap.h"

#include <cstddef>  // brings in the C library's feature macros
#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace platform {

void TrimHeap() {
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

}  // namespace platform
