// The player's binding of the pinyin library.
#include "player/playback/pinyin.h"

#include "platform/install_folder.h"
#include "plugins/change/change_dll.h"

#include <QFile>
#include <cstring>
#include <memory>
#include <type_traits>

static_assert(std::is_same_v<WyQueryPYWholeFn, void (*)(const char*, char*)>);

PinyinLibrary::PinyinLibrary(const QString& libraryFile)
    : library_(libraryFile), function_(library_.function<Function>("WyQueryPYWhole")) {}

QString PinyinLibrary::convert(const QString& text) const {
    if (!function_) return text;
    const QByteArray argument = text.toUtf8();
    char buffer[CHANGE_DLL_RESULT_SIZE] = {};
    function_(argument.constData(), buffer);
    // A library that leaves the terminator out still gives no more than the buffer holds.
    return QString::fromUtf8(buffer, static_cast<qsizetype>(strnlen(buffer, sizeof buffer)));
}

namespace {

std::unique_ptr<PinyinLibrary>& Binding() {
    static std::unique_ptr<PinyinLibrary> binding;
    return binding;
}

}  // namespace

void BindPinyinLibrary(const QString& installFolder) {
    std::unique_ptr<PinyinLibrary>& binding = Binding();
    if (!binding) binding = std::make_unique<PinyinLibrary>(installFolder + QStringLiteral("Plugins/change.dll"));
}

QString PinyinTitle(const QString& title) {
    if (!Binding()) BindPinyinLibrary(platform::InstallFolder());
    return Binding()->convert(title);
}
