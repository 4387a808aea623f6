// The pinyin table of change.dll, made at build time from the Unihan readings.
#pragma once

#include <cstddef>
#include <cstdint>

namespace pinyin_table {

// Longest syllable ("zhuang", "shuang") plus its terminator, with room to spare.
constexpr std::size_t kSyllableSize = 8;

// A run of consecutive code points that all have readings: code points first, first + 1, ...
// take their syllable indices from kSyllableOf[start], kSyllableOf[start + 1], ... up to the
// next run's start. Runs are sorted by first; kRuns[kRunCount] is an end marker.
struct Run {
    std::uint32_t first;
    std::uint32_t start;
};

extern const char kSyllables[][kSyllableSize];  // sorted, lower-case ASCII, no tone marks
extern const std::uint16_t kSyllableOf[];
extern const Run kRuns[];
extern const std::size_t kRunCount;

}  // namespace pinyin_table
