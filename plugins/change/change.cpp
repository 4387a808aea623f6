// Plugins/change.dll: Chinese text to readable pinyin ("周杰伦 - 晴天" -> "zhou jie lun - qing tian").
// The readings come from the generated table; characters without one are copied unchanged.
#include "plugins/change/change_dll.h"
#include "plugins/change/pinyin_table.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace {

constexpr std::size_t kResultLimit = CHANGE_DLL_RESULT_SIZE - 1;

// One character of the input: its bytes and, for well-formed UTF-8, its code point. A byte that
// does not start a well-formed sequence is a character of its own, so nothing is lost.
struct Character {
    std::string_view bytes;
    char32_t codePoint = 0;
    bool valid = false;
};

Character NextCharacter(std::string_view text, std::size_t pos) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(pos);
    Character single{text.substr(pos, 1), lead, lead < 0x80};
    const std::size_t length = lead < 0xC2 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : lead < 0xF5 ? 4 : 1;
    if (length == 1 || pos + length > text.size()) return single;
    char32_t cp = lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(pos + i) & 0xC0) != 0x80) return single;
        cp = (cp << 6) | (byte(pos + i) & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not characters.
    const char32_t smallest = length == 3 ? 0x800 : length == 4 ? 0x10000 : 0x80;
    if (cp < smallest || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) return single;
    return {text.substr(pos, length), cp, true};
}

// The syllable of a character, or nullptr when the table has no reading for it.
const char* Syllable(char32_t cp) {
    using pinyin_table::Run;
    // The readings are of CJK ideographs, which all lie above this; a Latin title is answered
    // without touching (and so paging in) the table at all.
    constexpr char32_t kBelowIdeographs = 0x2E80;
    if (cp < kBelowIdeographs) return nullptr;
    const Run* begin = pinyin_table::kRuns;
    const Run* end = begin + pinyin_table::kRunCount;
    const Run* after = std::upper_bound(begin, end, cp, [](char32_t c, const Run& run) { return c < run.first; });
    if (after == begin) return nullptr;
    const Run& run = after[-1];
    const std::uint32_t offset = cp - run.first;
    if (run.start + offset >= after->start) return nullptr;  // past the end of its run
    return pinyin_table::kSyllables[pinyin_table::kSyllableOf[run.start + offset]];
}

bool IsAsciiLetterOrDigit(const Character& c) {
    const char32_t cp = c.codePoint;
    return c.valid && ((cp >= 'a' && cp <= 'z') || (cp >= 'A' && cp <= 'Z') || (cp >= '0' && cp <= '9'));
}

enum class Kind { Start, Syllable, Word, Other };

// Writes the pinyin form of text into out, at most limit bytes, and returns its length. Each
// step appends one whole piece (a syllable with the space before it, or one character), so a cut
// never splits either.
std::size_t ToPinyin(std::string_view text, char* out, std::size_t limit) {
    std::size_t size = 0;
    Kind last = Kind::Start;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const Character c = NextCharacter(text, pos);
        const char* syllable = c.valid ? Syllable(c.codePoint) : nullptr;
        const Kind kind = syllable ? Kind::Syllable : IsAsciiLetterOrDigit(c) ? Kind::Word : Kind::Other;
        // A space keeps a syllable apart from the syllable or word beside it.
        const bool spaced = (kind == Kind::Syllable && (last == Kind::Syllable || last == Kind::Word)) ||
                            (kind == Kind::Word && last == Kind::Syllable);
        const std::string_view piece = syllable ? std::string_view(syllable) : c.bytes;
        if (size + spaced + piece.size() > limit) break;
        if (spaced) out[size++] = ' ';
        std::memcpy(out + size, piece.data(), piece.size());
        size += piece.size();
        last = kind;
        pos += c.bytes.size();
    }
    return size;
}

}  // namespace

extern "C" void WyQueryPYWhole(const char* text, char* result) {
    if (!result) return;
    const std::size_t size = ToPinyin(text ? std::string_view(text) : std::string_view(), result, kResultLimit);
    result[size] = '\0';
}
