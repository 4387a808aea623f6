// The skin cursor decoder on arbitrary bytes, including the step that makes a real cursor.
#include "fuzz_support.h"

#include "player/skin/skin_files.h"

#include <QByteArray>
#include <QCursor>
#include <QLoggingCategory>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::EnsureGuiApplication();
    // PNG cursors with broken chunks make the image plug-in warn once per input (libpng's own
    // error lines still reach stderr).
    QLoggingCategory::setFilterRules(QStringLiteral("qt.gui.imageio=false"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const CursorImage picture = DecodeCursorImage(bytes);
    QCursor cursor;
    const bool made = DecodeCursor(bytes, &cursor);
    FUZZ_CHECK(made == !picture.image.isNull());
    if (!made) return 0;
    const QImage& image = picture.image;
    FUZZ_CHECK(image.format() == QImage::Format_ARGB32);
    FUZZ_CHECK(image.width() <= kMaxCursorSide && image.height() <= kMaxCursorSide);
    FUZZ_CHECK(image.rect().contains(picture.hotspot));
    FUZZ_CHECK(cursor.hotSpot() == picture.hotspot);
    return 0;
}
