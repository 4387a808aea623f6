// Build-time tool: reads the Unihan readings (Unihan_Readings.txt.bz2 of Debian's unicode-data)
// and writes the C++ source of change.dll's pinyin table.
//
//   make_pinyin_table <Unihan_Readings.txt.bz2> <pinyin_table.cpp>
//
// A character's reading is the first one of the first field that has a usable one, in the order
// kMandarin (the customary reading), kHanyuPinlu (readings by frequency), kXHC1983, kHanyuPinyin.
// Tone marks are dropped and "ü" is written "v", so every syllable is plain lower-case ASCII.
#include "plugins/change/pinyin_table.h"

#include <bzlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr std::string_view kFields[] = {"kMandarin", "kHanyuPinlu", "kXHC1983", "kHanyuPinyin"};
constexpr int kFieldCount = static_cast<int>(std::size(kFields));

[[noreturn]] void Fail(const std::string& message) {
    std::fprintf(stderr, "make_pinyin_table: %s\n", message.c_str());
    std::exit(1);
}

// The whole decompressed file. Streams written one after another (parallel compressors do that)
// are read as one text.
std::string ReadBzip2(const char* path) {
    FILE* file = std::fopen(path, "rb");
    if (!file) Fail(std::string("cannot open ") + path);
    std::string text;
    std::vector<char> unused;
    for (;;) {
        int error = BZ_OK;
        BZFILE* bz = BZ2_bzReadOpen(&error, file, 0, 0, unused.data(), static_cast<int>(unused.size()));
        if (error != BZ_OK) Fail(std::string("not a bzip2 file: ") + path);
        char buffer[1 << 16];
        while (error == BZ_OK) {
            const int got = BZ2_bzRead(&error, bz, buffer, sizeof buffer);
            if (error == BZ_OK || error == BZ_STREAM_END) text.append(buffer, static_cast<std::size_t>(got));
        }
        if (error == BZ_DATA_ERROR_MAGIC) Fail(std::string("not a bzip2 file: ") + path);
        if (error != BZ_STREAM_END) Fail(std::string("damaged bzip2 data in ") + path);
        void* rest = nullptr;
        int restSize = 0;
        BZ2_bzReadGetUnused(&error, bz, &rest, &restSize);
        unused.assign(static_cast<char*>(rest), static_cast<char*>(rest) + restSize);
        BZ2_bzReadClose(&error, bz);
        if (unused.empty() && std::feof(file)) break;
        if (unused.empty()) {
            const int c = std::fgetc(file);
            if (c == EOF) break;
            unused.push_back(static_cast<char>(c));
        }
    }
    std::fclose(file);
    return text;
}

// The next code point of valid UTF-8 at pos, or nullopt.
std::optional<char32_t> NextCodePoint(std::string_view text, std::size_t& pos) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(pos);
    const int length = lead < 0x80 ? 1 : (lead >> 5) == 6 ? 2 : (lead >> 4) == 14 ? 3 : (lead >> 3) == 30 ? 4 : 0;
    if (length == 0 || pos + length > text.size()) return std::nullopt;
    char32_t cp = length == 1 ? lead : lead & (0x7F >> length);
    for (int i = 1; i < length; ++i) {
        if ((byte(pos + i) & 0xC0) != 0x80) return std::nullopt;
        cp = (cp << 6) | (byte(pos + i) & 0x3F);
    }
    pos += length;
    return cp;
}

// The base letter of a pinyin letter with or without its tone mark; 0 for a combining mark (a
// tone written as a separate mark); nullopt for anything that has no place in pinyin.
std::optional<char> BaseLetter(char32_t cp) {
    if (cp >= 'a' && cp <= 'z') return static_cast<char>(cp);
    if (cp >= 'A' && cp <= 'Z') return static_cast<char>(cp - 'A' + 'a');
    if (cp >= 0x300 && cp <= 0x36F) return 0;
    static const std::map<char32_t, char> accented{
        {U'ā', 'a'}, {U'á', 'a'}, {U'ǎ', 'a'}, {U'à', 'a'},
        {U'ē', 'e'}, {U'é', 'e'}, {U'ě', 'e'}, {U'è', 'e'}, {U'ê', 'e'}, {U'ế', 'e'}, {U'ề', 'e'},
        {U'ī', 'i'}, {U'í', 'i'}, {U'ǐ', 'i'}, {U'ì', 'i'},
        {U'ō', 'o'}, {U'ó', 'o'}, {U'ǒ', 'o'}, {U'ò', 'o'},
        {U'ū', 'u'}, {U'ú', 'u'}, {U'ǔ', 'u'}, {U'ù', 'u'},
        {U'ü', 'v'}, {U'ǖ', 'v'}, {U'ǘ', 'v'}, {U'ǚ', 'v'}, {U'ǜ', 'v'},
        {U'ń', 'n'}, {U'ň', 'n'}, {U'ǹ', 'n'}, {U'ḿ', 'm'},
    };
    const auto found = accented.find(cp);
    if (found == accented.end()) return std::nullopt;
    return found->second;
}

// A reading as toneless ASCII; nullopt when it holds anything else or is too long for a syllable.
std::optional<std::string> Toneless(std::string_view reading) {
    std::string syllable;
    std::size_t pos = 0;
    while (pos < reading.size()) {
        const std::optional<char32_t> cp = NextCodePoint(reading, pos);
        if (!cp) return std::nullopt;
        const std::optional<char> letter = BaseLetter(*cp);
        if (!letter) return std::nullopt;
        if (*letter) syllable += *letter;
    }
    if (syllable.empty() || syllable.size() >= pinyin_table::kSyllableSize) return std::nullopt;
    return syllable;
}

// The first reading of a field's value: "lè yuè", "lè(283) yuè(54)", "0683.040:lè 1430.060:yuè",
// "10093.130:xī,lǔ 74609.020:lǔ,xī".
std::string_view FirstReading(std::string_view value) {
    value = value.substr(0, value.find(' '));
    if (const std::size_t colon = value.rfind(':'); colon != std::string_view::npos) value.remove_prefix(colon + 1);
    return value.substr(0, value.find_first_of(",("));
}

struct Entry {
    int field = kFieldCount;  // the field the reading came from; lower is better
    std::string syllable;
};

// "U+5468" as a code point; nullopt when malformed.
std::optional<char32_t> ParseCodePoint(std::string_view text) {
    if (text.size() < 6 || text.size() > 8 || text.substr(0, 2) != "U+") return std::nullopt;
    char32_t cp = 0;
    for (const char c : text.substr(2)) {
        const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
        if (digit < 0) return std::nullopt;
        cp = cp * 16 + static_cast<char32_t>(digit);
    }
    if (cp > 0x10FFFF) return std::nullopt;
    return cp;
}

struct Parsed {
    std::map<char32_t, Entry> entries;  // sorted by code point
    int rejected = 0;                   // readings that were not pinyin
};

void ParseLine(std::string_view line, Parsed& parsed) {
    if (line.empty() || line.front() == '#') return;
    const std::size_t tab1 = line.find('\t');
    const std::size_t tab2 = tab1 == std::string_view::npos ? tab1 : line.find('\t', tab1 + 1);
    if (tab2 == std::string_view::npos) return;
    const std::string_view field = line.substr(tab1 + 1, tab2 - tab1 - 1);
    int rank = 0;
    while (rank < kFieldCount && kFields[rank] != field) ++rank;
    if (rank == kFieldCount) return;
    const std::optional<char32_t> cp = ParseCodePoint(line.substr(0, tab1));
    if (!cp) return;
    Entry& entry = parsed.entries[*cp];
    if (entry.field <= rank) return;
    const std::optional<std::string> syllable = Toneless(FirstReading(line.substr(tab2 + 1)));
    if (!syllable) {
        ++parsed.rejected;
        return;
    }
    entry = Entry{rank, *syllable};
}

Parsed Parse(std::string_view text) {
    Parsed parsed;
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        ParseLine(line, parsed);
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    std::erase_if(parsed.entries, [](const auto& item) { return item.second.syllable.empty(); });
    return parsed;
}

// Writes numbers as the body of an array initialiser, sixteen to a line.
template <typename List, typename Format>
void WriteNumbers(FILE* out, const List& list, Format format) {
    std::size_t column = 0;
    for (const auto& item : list) {
        std::fputs(column == 0 ? "    " : " ", out);
        format(item);
        std::fputc(',', out);
        if (++column == 16) {
            std::fputc('\n', out);
            column = 0;
        }
    }
    if (column) std::fputc('\n', out);
}

void WriteTable(const Parsed& parsed, const std::string& path) {
    std::map<std::string, std::uint16_t> syllableIndex;
    for (const auto& [cp, entry] : parsed.entries) syllableIndex.emplace(entry.syllable, 0);
    std::vector<std::string> syllables;
    for (auto& [syllable, index] : syllableIndex) {
        index = static_cast<std::uint16_t>(syllables.size());
        syllables.push_back(syllable);
    }
    if (syllables.size() > 0xFFFF) Fail("too many syllables");

    std::vector<pinyin_table::Run> runs;
    std::vector<std::uint16_t> indices;
    for (const auto& [cp, entry] : parsed.entries) {
        const bool continues = !runs.empty() && runs.back().first + (indices.size() - runs.back().start) == cp;
        if (!continues) runs.push_back({static_cast<std::uint32_t>(cp), static_cast<std::uint32_t>(indices.size())});
        indices.push_back(syllableIndex.at(entry.syllable));
    }
    runs.push_back({0x110000, static_cast<std::uint32_t>(indices.size())});  // end marker

    const std::string temporary = path + ".tmp";
    FILE* out = std::fopen(temporary.c_str(), "w");
    if (!out) Fail("cannot write " + temporary);
    std::fputs("// Made at build time by make_pinyin_table from the Unihan readings. Do not edit.\n"
               "#include \"plugins/change/pinyin_table.h\"\n\nnamespace pinyin_table {\n\n", out);
    std::fprintf(out, "const char kSyllables[][kSyllableSize] = {\n");
    WriteNumbers(out, syllables, [&](const std::string& s) { std::fprintf(out, "\"%s\"", s.c_str()); });
    std::fprintf(out, "};\n\nconst std::uint16_t kSyllableOf[] = {\n");
    WriteNumbers(out, indices, [&](std::uint16_t i) { std::fprintf(out, "%u", static_cast<unsigned>(i)); });
    std::fprintf(out, "};\n\nconst Run kRuns[] = {\n");
    WriteNumbers(out, runs, [&](const pinyin_table::Run& run) {
        std::fprintf(out, "{0x%X, %u}", static_cast<unsigned>(run.first), static_cast<unsigned>(run.start));
    });
    std::fprintf(out, "};\n\nconst std::size_t kRunCount = %zu;\n\n}  // namespace pinyin_table\n", runs.size() - 1);
    const bool written = std::ferror(out) == 0;
    if (std::fclose(out) != 0 || !written) Fail("cannot write " + temporary);
    if (std::rename(temporary.c_str(), path.c_str()) != 0) Fail("cannot replace " + path);
    std::printf("pinyin table: %zu characters, %zu syllables, %zu runs, %d readings skipped\n",
                indices.size(), syllables.size(), runs.size() - 1, parsed.rejected);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_pinyin_table <Unihan_Readings.txt.bz2> <pinyin_table.cpp>\n");
        return 2;
    }
    const Parsed parsed = Parse(ReadBzip2(argv[1]));
    if (parsed.entries.size() < 20000) Fail(std::string("too few readings in ") + argv[1]);
    WriteTable(parsed, argv[2]);
    return 0;
}
