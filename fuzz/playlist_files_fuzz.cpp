// The list readers on arbitrary files: .m3u, .pls and other text lists, and .kpl appends.
#include "fuzz_support.h"

#include "platform/text_file.h"
#include "player/playlist/playlist_files.h"

#include <QByteArray>
#include <QStringList>

namespace {

// The decoder lists as a fresh setup.ini gives them, so the masks are the ones users meet.
const QStringList& Masks() {
    static const QStringList masks = playlist::BuildMaskList(
        "*.mp3;*.mp2;*.wav;*.wma", "*.asf;*.wmv;*.avi;*.mpg", "*.rm;*.ram;*.rmvb", "*.mid;*.rmi",
        "*.cda; *.ogg ;*.exe;;*.a", "*.wma;*.wmv;*.mid");
    return masks;
}

// A kept line is the trimmed line itself, perhaps without its .pls key: never longer, and it
// names a place.
void CheckKept(const QStringList& lines, const QStringList& kept) {
    FUZZ_CHECK(kept.size() <= lines.size());
    for (const QString& path : kept) {
        FUZZ_CHECK(!path.isEmpty());
        FUZZ_CHECK(path.front().unicode() > u' ' && path.back().unicode() > u' ');
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString text = platform::DecodeText(bytes);
    const QStringList lines = platform::SplitLines(text);

    const QStringList kept = playlist::FilterListText(text, Masks());
    CheckKept(lines, kept);
    for (const QString& line : lines) {
        if (playlist::IsKplAppendLine(line)) FUZZ_CHECK(!line.contains(".kpl", Qt::CaseInsensitive) && line.contains('.'));
    }

    // The file readers must agree with the line functions they are built from.
    const QString path = fuzz::WriteScratchFile("list.m3u", data, size);
    QStringList fromFile;
    FUZZ_CHECK(playlist::ReadListFile(path, Masks(), &fromFile));
    FUZZ_CHECK(fromFile == kept);
    QStringList entries;
    FUZZ_CHECK(playlist::ReadKpl(path, &entries));
    FUZZ_CHECK(entries == lines);

    // A mask list built from hostile decoder settings still holds only distinct, usable masks.
    const QString settings = platform::DecodeText(bytes.left(256));
    QStringList masks = playlist::BuildMaskList(settings, settings, {}, {}, {}, settings);
    CheckKept(lines, playlist::FilterListText(text, masks));
    for (const QString& mask : masks)
        FUZZ_CHECK(mask.size() > 2 && mask != "*.exe" && mask == mask.toLower() && mask == mask.trimmed());
    FUZZ_CHECK(masks.removeDuplicates() == 0);
    return 0;
}
