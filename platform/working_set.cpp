#include "platform/working_set.h"

#include <elf.h>
#include <link.h>
#include <sys/auxv.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

namespace platform {

namespace {

// An object whose code the loader patched in place (text relocations) holds written pages in a
// segment that reads as read-only; unmapping them would undo the patches.
bool HasTextRelocations(const dl_phdr_info* info) {
    for (int i = 0; i < info->dlpi_phnum; ++i) {
        const ElfW(Phdr)& header = info->dlpi_phdr[i];
        if (header.p_type != PT_DYNAMIC) continue;
        const auto* entry = reinterpret_cast<const ElfW(Dyn)*>(info->dlpi_addr + header.p_vaddr);
        for (; entry->d_tag != DT_NULL; ++entry) {
            if (entry->d_tag == DT_TEXTREL) return true;
            if (entry->d_tag == DT_FLAGS && (entry->d_un.d_val & DF_TEXTREL)) return true;
        }
    }
    return false;
}

struct Walk {
    std::uintptr_t page = 0;
    std::uintptr_t vdso = 0;
    std::size_t advised = 0;
};

int ReleaseObject(dl_phdr_info* info, size_t, void* data) {
    auto* walk = static_cast<Walk*>(data);
    // The kernel's own page of entry points is no file's copy.
    bool vdso = false;
    for (int i = 0; i < info->dlpi_phnum && walk->vdso && !vdso; ++i)
        vdso = info->dlpi_phdr[i].p_type == PT_LOAD && info->dlpi_addr + info->dlpi_phdr[i].p_vaddr == walk->vdso;
    if (vdso || HasTextRelocations(info)) return 0;
    for (int i = 0; i < info->dlpi_phnum; ++i) {
        const ElfW(Phdr)& header = info->dlpi_phdr[i];
        // Writable segments hold data, and the read-only-after-relocation part lies inside them.
        if (header.p_type != PT_LOAD || (header.p_flags & PF_W)) continue;
        const std::uintptr_t begin = info->dlpi_addr + header.p_vaddr;
        const std::uintptr_t end = begin + header.p_filesz;
        // Whole pages inside the segment only: a shared edge page may belong to a neighbour.
        const std::uintptr_t first = (begin + walk->page - 1) & ~(walk->page - 1);
        const std::uintptr_t last = end & ~(walk->page - 1);
        if (last <= first) continue;
        if (madvise(reinterpret_cast<void*>(first), last - first, MADV_DONTNEED) == 0) walk->advised += last - first;
    }
    return 0;
}

}  // namespace

std::size_t ReleaseStartUpPages() {
    Walk walk;
    walk.page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
    walk.vdso = static_cast<std::uintptr_t>(getauxval(AT_SYSINFO_EHDR));
    // The loader's lock is held for the walk: no object is loaded or unloaded under it.
    dl_iterate_phdr(ReleaseObject, &walk);
    return walk.advised;
}

}  // namespace platform
