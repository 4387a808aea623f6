// The player's binding of the pinyin library, Plugins/change.dll.
#pragma once

#include <QString>

#include "platform/shared_library.h"

// WyQueryPYWhole of one library file, bound and released with the object.
class PinyinLibrary {
public:
    explicit PinyinLibrary(const QString& libraryFile);
    PinyinLibrary(const PinyinLibrary&) = delete;
    PinyinLibrary& operator=(const PinyinLibrary&) = delete;

    bool isBound() const { return function_ != nullptr; }

    // The library's pinyin form of text (at most 200 bytes of UTF-8, neither trimmed nor
    // upper-cased); the text unchanged when the library or its export is missing.
    QString convert(const QString& text) const;

private:
    using Function = void (*)(const char*, char*);
    platform::SharedLibrary library_;
    Function function_ = nullptr;
};

// Binds installFolder + "Plugins/change.dll" for the life of the program. Only the first binding
// counts, whether made here or by the first PinyinTitle; later calls change nothing.
void BindPinyinLibrary(const QString& installFolder);

// The pinyin form of a title through the program's binding, made from platform::InstallFolder()
// on first use when nobody bound it before; the title unchanged when the library is missing.
// GUI thread only.
QString PinyinTitle(const QString& title);
