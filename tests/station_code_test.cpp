// The station-code library, loaded from the built Plugins folder, and the player's binding.
#include "player/playlist/station_code.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <QFile>
#include <dlfcn.h>
#include <string>

namespace {
const QString kBuiltLibrary = QStringLiteral(VELMORA_BUILT_INSTALL_DIR "/Plugins/BCSCode.dll");
}

TEST(StationCode, CodesBecomeUrlsAndUnknownCodesStayAsGiven) {
    const StationCodeLibrary library(kBuiltLibrary);
    ASSERT_TRUE(library.isBound());
    const QList<std::pair<QString, QString>> cases{
        {u"<:mms://host/live"_qs, u"mms://host/live"_qs},
        {u"<:radio.example.com:8000/live?id=3"_qs, u"http://radio.example.com:8000/live?id=3"_qs},
        {u"<: localhost/a \r\n"_qs, u"http://localhost/a"_qs},
        {u"<:http://h/电台.mp3"_qs, u"http://h/电台.mp3"_qs},
        {u"<:abc"_qs, u"<:abc"_qs},
        {u"<:a b.com"_qs, u"<:a b.com"_qs},
        {u"<:javascript:alert(1)"_qs, u"<:javascript:alert(1)"_qs},
        {u"<:://x"_qs, u"<:://x"_qs},
        {u"<:host.com:99999999/"_qs, u"<:host.com:99999999/"_qs},
        {u"no marker.com"_qs, u"no marker.com"_qs},
    };
    for (const auto& [code, url] : cases) {
        EXPECT_EQ(library.resolve(code), url) << code.toStdString();
        EXPECT_EQ(library.resolve(code), url) << "a second call differs for " << code.toStdString();
    }
}

TEST(StationCode, ExportIsSafeForLongAndMissingInput) {
    void* handle = dlopen(QFile::encodeName(kBuiltLibrary).constData(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle, nullptr);
    using Function = const char* (*)(const char*);
    const auto getUrl = reinterpret_cast<Function>(dlsym(handle, "GetBCSURL"));
    ASSERT_NE(getUrl, nullptr);
    EXPECT_STREQ(getUrl(nullptr), "");
    const std::string longCode = "<:host.example.com/" + std::string(1 << 20, 'x');
    EXPECT_EQ(std::string(getUrl(longCode.c_str())), "http://" + longCode.substr(2));
    const std::string junk = "<:" + std::string(1 << 16, '\xFF');
    EXPECT_EQ(std::string(getUrl(junk.c_str())), junk);
    dlclose(handle);
}

TEST(StationCode, MissingLibraryOrExportReturnsTheCode) {
    testing_support::TempFolder folder;
    const StationCodeLibrary missing(folder.file("Plugins/BCSCode.dll"));
    EXPECT_FALSE(missing.isBound());
    EXPECT_EQ(missing.resolve(u"<:radio.example.com/live"_qs), u"<:radio.example.com/live");

    folder.write("BCSCode.dll", "not a library");
    EXPECT_FALSE(StationCodeLibrary(folder.file("BCSCode.dll")).isBound());
    EXPECT_FALSE(StationCodeLibrary(u"libm.so.6"_qs).isBound());  // a library without the export
}

// The program binds the library of its install folder once; a later binding changes nothing.
TEST(StationCode, ProgramBindingIsMadeOnce) {
    testing_support::TempFolder empty;
    BindStationCodeLibrary(QStringLiteral(VELMORA_BUILT_INSTALL_DIR "/"));
    BindStationCodeLibrary(empty.path() + u'/');
    EXPECT_EQ(GetBCSURL(u"<:radio.example.com/live"_qs), u"http://radio.example.com/live");
    EXPECT_EQ(GetBCSURL(u"<:abc"_qs), u"<:abc");
}
