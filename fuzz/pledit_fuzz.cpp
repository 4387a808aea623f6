// Pledit.txt and colour words on arbitrary text.
#include "fuzz_support.h"

#include "platform/text_file.h"
#include "player/skin/skin_files.h"

#include <QByteArray>
#include <QStringList>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const QStringList lines = platform::SplitLines(platform::DecodeText(bytes));
    const PlaylistColors colors = PlaylistColorsFromLines(lines);
    for (quint32 word : {colors.Normal, colors.NormalBG, colors.Current, colors.SelectedBG, colors.MBBG,
                         colors.MBFG}) {
        const QColor shown = ColorFromWord(word);
        FUZZ_CHECK(shown.isValid());
        FUZZ_CHECK(ColorFromWord(word & 0xFFFFFF) == shown);
    }
    // Each line as a colour text of its own, as the skin's other colour settings are read.
    for (const QString& line : lines.mid(0, 64)) {
        quint32 word = 0xA5A5A5A5;
        HexToColor(line, word);
        FUZZ_CHECK(ColorFromWord(word).isValid());
    }
    return 0;
}
