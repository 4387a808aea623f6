// The settings store's lookup and write rules, and setup.ini on disk.
#include <gtest/gtest.h>

#include <QFile>

#include "platform/text_file.h"
#include "player/core/settings_store.h"
#include "tests/test_support.h"

namespace {

TEST(SettingsStoreLookup, EmptyStoreGivesDefaultsThenWrittenValues) {
    TSettingsStore store;
    EXPECT_EQ(store.ReadInteger("MA_L", 150), 150);
    EXPECT_EQ(store.ReadString("SkinsName", "<默认界面>"), "<默认界面>");
    EXPECT_TRUE(store.ReadBool("Repeat", true));
    store.WriteInteger("MA_L", 7);
    EXPECT_EQ(store.Lines().last(), "MA_L=7");
    EXPECT_EQ(store.ReadInteger("MA_L", 150), 7);
    store.WriteInteger("MA_L", 8);
    EXPECT_EQ(store.Lines(), QStringList{"MA_L=8"}) << "a second write replaces the line in place";
}

TEST(SettingsStoreLookup, NonIntegersReadAsZeroNotTheDefault) {
    TSettingsStore store({"Repeat=abc", "MA_T=", "ConnectTimeOut=99999999999"});
    EXPECT_FALSE(store.ReadBool("Repeat", true));
    EXPECT_EQ(store.ReadInteger("Repeat", 5), 0);
    EXPECT_EQ(store.ReadInteger("MA_T", 110), 0);
    EXPECT_EQ(store.ReadInteger("ConnectTimeOut", 30), 0) << "out of range is not an integer";
    EXPECT_EQ(store.ReadString("Repeat", "x"), "abc");
}

TEST(SettingsStoreLookup, BooleansLookAtTheLowEightBits) {
    TSettingsStore store({"TimeOrder=256", "Shuffle=2", "EQON=-1", "EQAuto=0"});
    EXPECT_FALSE(store.ReadBool("TimeOrder", true));
    EXPECT_TRUE(store.ReadBool("Shuffle", false));
    EXPECT_TRUE(store.ReadBool("EQON", false));
    EXPECT_FALSE(store.ReadBool("EQAuto", true));
}

TEST(SettingsStoreLookup, SpaceBeforeEqualsDoesNotMatch) {
    TSettingsStore store({"MA_L =5"});
    EXPECT_EQ(store.ReadInteger("MA_L", 150), 150);
    EXPECT_EQ(store.ReadString("MA_L", "d"), "d");
    store.WriteInteger("MA_L", 9);
    EXPECT_EQ(store.Lines(), (QStringList{"MA_L =5", "MA_L=9"}));
}

TEST(SettingsStoreLookup, LongerNameBeforeTheKeyBlocksTextReadsAndWrites) {
    TSettingsStore store({"XMA_L=9", "MA_L=5"});
    EXPECT_EQ(store.ReadInteger("MA_L", 150), 5) << "integer reads pass over a line that does not fit";
    EXPECT_TRUE(store.ReadString("MA_L", "anything").isEmpty()) << "the first matching line decides for text";
    store.WriteInteger("MA_L", 1);
    EXPECT_EQ(store.Lines(), (QStringList{"XMA_L=9", "MA_L=5"})) << "a write stopped by a non-fitting line changes nothing";
}

TEST(SettingsStoreLookup, NamesAreCaseSensitiveAndValuesKeepEverything) {
    TSettingsStore store({"repeat=1", "LrcFilePath=/歌词/a=b "});
    EXPECT_TRUE(store.ReadBool("Repeat", true));
    EXPECT_FALSE(store.ReadBool("Repeat", false)) << "repeat= is another name";
    EXPECT_EQ(store.ReadString("LrcFilePath", ""), "/歌词/a=b ");
    store.WriteBool("Repeat", false);
    EXPECT_EQ(store.Lines().last(), "Repeat=0");
}

TEST(SettingsStoreFile, MissingFileStartsWithInitialiseAndSavesGb18030WithCrLf) {
    testing_support::TempFolder dir;
    TSettingsStore store;
    store.Load(dir.file("setup.ini"));
    EXPECT_EQ(store.Lines(), QStringList{"[Initialise]"});
    store.WriteString("SkinsName", "中");
    store.WriteInteger("MA_L", -3);
    QString error;
    ASSERT_TRUE(store.Save(dir.file("setup.ini"), &error)) << error.toStdString();
    EXPECT_EQ(dir.read("setup.ini"), QByteArray("[Initialise]\r\nSkinsName=\xD6\xD0\r\nMA_L=-3\r\n"));

    TSettingsStore again;
    again.Load(dir.file("setup.ini"));
    EXPECT_EQ(again.Lines(), store.Lines());
    EXPECT_EQ(again.ReadString("SkinsName", ""), "中");
}

TEST(SettingsStoreFile, HandWrittenUtf8AndLfFilesAreRead) {
    testing_support::TempFolder dir;
    dir.write("setup.ini", "LrcFontName=\xE5\xAE\x8B\xE4\xBD\x93\nLrcFontSize=20\n");
    TSettingsStore store;
    store.Load(dir.file("setup.ini"));
    EXPECT_EQ(store.ReadString("LrcFontName", ""), "宋体");
    EXPECT_EQ(store.ReadInteger("LrcFontSize", 18), 20);
}

TEST(SettingsStoreFile, FileThatCannotBeReadIsNotTakenForAMissingOne) {
    testing_support::TempFolder dir;
    TSettingsStore store;
    QString error;
    EXPECT_TRUE(store.Load(dir.file("setup.ini"), &error)) << "missing: nothing to lose";
    dir.write("setup.ini", "MA_L=7\r\n");
    QFile::setPermissions(dir.file("setup.ini"), {});
    {
        const testing_support::AsOrdinaryUser ordinary;
        EXPECT_FALSE(store.Load(dir.file("setup.ini"), &error));
    }
    EXPECT_TRUE(error.contains("setup.ini")) << error.toStdString();
    EXPECT_EQ(store.Lines(), QStringList{"[Initialise]"}) << "the run still has its defaults";
    dir.write("folder.ini/x", "");
    EXPECT_FALSE(store.Load(dir.file("folder.ini"), &error));
}

TEST(SettingsStoreFile, FailedSaveKeepsTheOldFileAndSaysSo) {
    testing_support::TempFolder dir;
    dir.write("sub/placeholder", "");  // a folder where the file should go
    TSettingsStore store({"MA_L=1"});
    QString error;
    EXPECT_FALSE(store.Save(dir.file("sub"), &error));
    EXPECT_FALSE(error.isEmpty());
}

}  // namespace
