// The pinyin library, loaded from the built Plugins folder, and the player's binding.
#include "player/playback/pinyin.h"
#include "plugins/change/change_dll.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QStringList>
#include <cstring>
#include <dlfcn.h>
#include <string>

namespace {

const QString kBuiltLibrary = QStringLiteral(VELMORA_BUILT_INSTALL_DIR "/Plugins/change.dll");

// The export itself, called on raw bytes.
class PinyinExport : public testing::Test {
protected:
    void SetUp() override {
        handle_ = dlopen(QFile::encodeName(kBuiltLibrary).constData(), RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(handle_, nullptr) << dlerror();
        query_ = reinterpret_cast<WyQueryPYWholeFn>(dlsym(handle_, "WyQueryPYWhole"));
        ASSERT_NE(query_, nullptr);
    }
    void TearDown() override {
        if (handle_) dlclose(handle_);
    }

    // The result of one call; fails the test when the call writes past the caller's 201 bytes.
    std::string query(const char* text) const {
        char buffer[CHANGE_DLL_RESULT_SIZE + 16];
        std::memset(buffer, '#', sizeof buffer);
        query_(text, buffer);
        for (std::size_t i = CHANGE_DLL_RESULT_SIZE; i < sizeof buffer; ++i)
            EXPECT_EQ(buffer[i], '#') << "written past the buffer for " << (text ? text : "(null)");
        const std::size_t length = strnlen(buffer, CHANGE_DLL_RESULT_SIZE);
        EXPECT_LT(length, std::size_t{CHANGE_DLL_RESULT_SIZE}) << "no terminator";
        return std::string(buffer, length);
    }
    std::string query(const QString& text) const { return query(text.toUtf8().constData()); }

    void* handle_ = nullptr;
    WyQueryPYWholeFn query_ = nullptr;
};

bool IsValidUtf8(const std::string& bytes) {
    const QByteArray raw = QByteArray::fromStdString(bytes);
    return QString::fromUtf8(raw).toUtf8() == raw && !QString::fromUtf8(raw).contains(QChar::ReplacementCharacter);
}

}  // namespace

TEST_F(PinyinExport, ChineseBecomesSpacedSyllablesAndOtherTextStays) {
    const QList<std::pair<QString, QString>> cases{
        {u"周杰伦 - 晴天"_qs, u"zhou jie lun - qing tian"_qs},
        {u"晴天"_qs, u"qing tian"_qs},
        {u"Jay周杰伦2004"_qs, u"Jay zhou jie lun 2004"_qs},
        {u"A 晴天 B"_qs, u"A qing tian B"_qs},
        {u" 晴天  "_qs, u" qing tian  "_qs},
        {u"周杰伦《晴天》.mp3"_qs, u"zhou jie lun《qing tian》.mp3"_qs},
        {u"01.七里香(Live)"_qs, u"01.qi li xiang(Live)"_qs},
        {u"Hello, World! 123 -_()[]"_qs, u"Hello, World! 123 -_()[]"_qs},
        {u"Beyoncé – Déjà vu"_qs, u"Beyoncé – Déjà vu"_qs},
        {QString(), QString()},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(QString::fromStdString(query(text)), expected) << text.toStdString();
    EXPECT_EQ(query(static_cast<const char*>(nullptr)), "");
    query_("晴天", nullptr);  // a null result buffer is left alone
}

TEST_F(PinyinExport, ReadingsAreTonelessWithVForUmlautAndTheCustomaryReadingFirst) {
    const QList<std::pair<QString, QString>> cases{
        {u"绿"_qs, u"lv"_qs}, {u"女"_qs, u"nv"_qs}, {u"略"_qs, u"lve"_qs}, {u"旅"_qs, u"lv"_qs},
        {u"双"_qs, u"shuang"_qs}, {u"嗯"_qs, u"n"_qs},
        // Characters with several readings take the everyday one.
        {u"行"_qs, u"xing"_qs}, {u"长"_qs, u"zhang"_qs}, {u"重"_qs, u"zhong"_qs}, {u"还"_qs, u"hai"_qs},
        {u"乐"_qs, u"le"_qs}, {u"都"_qs, u"dou"_qs},
        {u"𠀀"_qs, u"he"_qs},  // beyond the BMP, with a reading
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(QString::fromStdString(query(text)), expected) << text.toStdString();
}

TEST_F(PinyinExport, CharactersWithoutReadingsAndBrokenBytesPassThrough) {
    const QList<QString> unchanged{
        u"😀🎵"_qs,    // outside the BMP, not Chinese
        u"兙㐂"_qs,    // Chinese characters with no reading in the table
        u"のハ한글"_qs, u"ＡＢＣ１２３"_qs, u"♪★～"_qs,
    };
    for (const QString& text : unchanged) EXPECT_EQ(QString::fromStdString(query(text)), text) << text.toStdString();
    EXPECT_EQ(query(u"晴😀天"_qs), "qing😀tian");
    // Bytes that are not UTF-8 are copied as they are.
    EXPECT_EQ(query("a\xFF\xE6\x99" "b\xC0\xAF"), "a\xFF\xE6\x99" "b\xC0\xAF");
    EXPECT_EQ(query("\xED\xA0\x80x"), "\xED\xA0\x80x");  // an encoded surrogate
    EXPECT_EQ(query("\xF0\x86\x99\xB4"), "\xF0\x86\x99\xB4");  // an overlong form of 晴 is no 晴
}

// The player cuts a title to 60 characters before the call; the pinyin of 60 Chinese characters
// is longer than 200 bytes, so the library has to cut it, and cleanly.
TEST_F(PinyinExport, LongResultsAreCutBetweenWholeSyllablesAndCharacters) {
    const QString line = u"床前明月光疑是地上霜举头望明月低头思故乡"_qs;
    const QString title = (line + line + line).left(60);
    const std::string whole = [&] {
        std::string all;
        for (const QChar c : title) all += (all.empty() ? "" : " ") + query(QString(c));
        return all;
    }();
    ASSERT_GT(whole.size(), 200u);
    const std::string cut = query(title);
    EXPECT_LE(cut.size(), 200u);
    ASSERT_EQ(whole.compare(0, cut.size(), cut), 0) << cut;
    EXPECT_EQ(whole[cut.size()], ' ') << "cut inside a syllable: " << cut;
    EXPECT_GT(whole.find(' ', cut.size() + 1), 200u) << "stopped before the limit: " << cut;
    EXPECT_NE(cut.back(), ' ');
    // 201 bytes in full: the space before the last syllable counts too.
    EXPECT_EQ(QString::fromStdString(query(u"a"_qs + u"晴"_qs.repeated(60))), u"a"_qs + u" qing"_qs.repeated(39));

    // Multi-byte characters that pass through are never split either.
    // Lengths in UTF-16 units: each emoji is two.
    const QList<std::pair<QString, int>> passThrough{{QString(150, u'é'), 100},
                                                     {u"a"_qs + QString(150, u'é'), 100},
                                                     {u"a"_qs + QString(80, u'の'), 67},
                                                     {u"😀"_qs.repeated(60), 100}};
    for (const auto& [text, characters] : passThrough) {
        const std::string result = query(text);
        EXPECT_TRUE(IsValidUtf8(result));
        EXPECT_EQ(QString::fromStdString(result), text.left(characters));
    }
    const std::string mixed = query(u"Jay"_qs + u"晴天é😀"_qs.repeated(40));
    EXPECT_LE(mixed.size(), 200u);
    EXPECT_TRUE(IsValidUtf8(mixed));
}

// The table comes from the Unihan readings, not from a hand-made list.
TEST_F(PinyinExport, TableCoversTheUnifiedIdeographs) {
    const auto hasReading = [&](char32_t cp) {
        const std::string result = query(QString::fromUcs4(&cp, 1));
        return !result.empty() && result.find_first_not_of("abcdefghijklmnopqrstuvwxyz") == std::string::npos;
    };
    int withReading = 0;
    for (const auto& [first, last] : {std::pair{0x3400, 0x4DBF}, std::pair{0x4E00, 0x9FFF}, std::pair{0x20000, 0x2A6DF}})
        for (char32_t cp = first; cp <= char32_t(last); ++cp) withReading += hasReading(cp);
    EXPECT_GT(withReading, 35000);
    int commonWithout = 0;
    for (char32_t cp = 0x4E00; cp <= 0x9FA5; ++cp) commonWithout += !hasReading(cp);
    EXPECT_LT(commonWithout, 20) << "characters of the original unified block without a reading";
}

TEST(PinyinBinding, ConvertsThroughTheLibraryOrReturnsTheTextUnchanged) {
    const PinyinLibrary library(kBuiltLibrary);
    ASSERT_TRUE(library.isBound());
    EXPECT_EQ(library.convert(u"周杰伦 - 晴天"_qs), u"zhou jie lun - qing tian");
    const QString longTitle = u"晴"_qs.repeated(60);
    EXPECT_EQ(library.convert(longTitle), QStringList(40, u"qing"_qs).join(u' '));  // 40 * 5 - 1 bytes

    testing_support::TempFolder folder;
    const PinyinLibrary missing(folder.file("Plugins/change.dll"));
    EXPECT_FALSE(missing.isBound());
    EXPECT_EQ(missing.convert(u"周杰伦 - 晴天"_qs), u"周杰伦 - 晴天");
    folder.write("change.dll", "not a library");
    EXPECT_EQ(PinyinLibrary(folder.file("change.dll")).convert(u"晴天"_qs), u"晴天");
    const PinyinLibrary withoutExport(u"libm.so.6"_qs);
    EXPECT_FALSE(withoutExport.isBound());
    EXPECT_EQ(withoutExport.convert(u"晴天"_qs), u"晴天");
}

// The program binds the library of its install folder once; a later binding changes nothing.
TEST(PinyinBinding, ProgramBindingIsMadeOnce) {
    testing_support::TempFolder empty;
    BindPinyinLibrary(QStringLiteral(VELMORA_BUILT_INSTALL_DIR "/"));
    BindPinyinLibrary(empty.path() + u'/');
    EXPECT_EQ(PinyinTitle(u"晴天 Live"_qs), u"qing tian Live");
}
