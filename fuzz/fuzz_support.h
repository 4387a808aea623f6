// What every fuzz target shares: a scratch folder, the application object some decoders need,
// and checks that stop the run with the broken rule's text.
#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>

namespace fuzz {

// A folder of this process for the files a target writes, on a memory file system when there is
// one: the readers under test take paths, and a disk would slow every run down.
QString ScratchFolder();

// Writes the input as a file in the scratch folder and returns its path.
QString WriteScratchFile(const QString& name, const uint8_t* data, size_t size);

// A QGuiApplication on the offscreen platform, made once (cursors and pixmaps need one).
void EnsureGuiApplication();

[[noreturn]] void Fail(const char* rule, const char* file, int line);

}  // namespace fuzz

// A broken rule aborts, so libFuzzer keeps the input as a crash.
#define FUZZ_CHECK(rule) \
    do { \
        if (!(rule)) ::fuzz::Fail(#rule, __FILE__, __LINE__); \
    } while (false)
