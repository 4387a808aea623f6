// The per-user install folder that stands in for an unwritable program folder: what it takes
// over the first time, and how an upgrade of the program reaches it.
#include <gtest/gtest.h>

#include <QFile>

#include "platform/install_folder.h"
#include "tests/test_support.h"

namespace {

using testing_support::TempFolder;

class PerUserFolderTest : public ::testing::Test {
protected:
    platform::InstallFolderChoice Choose() { return platform::ChoosePerUserFolder(program_.path(), user_.path()); }
    QByteArray User(const QString& name) const { return user_.read(name); }

    TempFolder program_;
    TempFolder user_;
};

TEST_F(PerUserFolderTest, FirstUseTakesOverTheUsersFilesAndSaysSoOnce) {
    program_.write("setup.ini", "MA_L=7\r\n");
    program_.write("velmora.kpl", "<?/a.mp3?>\r\n");
    program_.write("Favor/Favor.ini", "Mine\r\n");
    program_.write("Favor/Mine.kpl", "<?/b.mp3?>\r\n");
    program_.write("Plugins/FilePlus.ini", "[DECODE_SETUP]\r\n");
    const platform::InstallFolderChoice first = Choose();
    EXPECT_EQ(first.folder, user_.path() + "/");
    EXPECT_FALSE(first.notice.isEmpty()) << "the switch is said the first time";
    EXPECT_TRUE(first.notice.contains(program_.path()));
    EXPECT_EQ(User("setup.ini"), "MA_L=7\r\n");
    EXPECT_EQ(User("velmora.kpl"), "<?/a.mp3?>\r\n");
    EXPECT_EQ(User("Favor/Favor.ini"), "Mine\r\n");
    EXPECT_EQ(User("Favor/Mine.kpl"), "<?/b.mp3?>\r\n");
    EXPECT_EQ(User("Plugins/FilePlus.ini"), "[DECODE_SETUP]\r\n");

    user_.write("setup.ini", "MA_L=9\r\n");
    program_.write("velmora.kpl", "<?/changed.mp3?>\r\n");
    EXPECT_TRUE(Choose().notice.isEmpty()) << "only once";
    EXPECT_EQ(User("setup.ini"), "MA_L=9\r\n") << "later starts take nothing over";
    EXPECT_EQ(User("velmora.kpl"), "<?/a.mp3?>\r\n");
}

TEST_F(PerUserFolderTest, FirstUseKeepsWhatThePerUserFolderAlreadyHolds) {
    program_.write("setup.ini", "MA_L=7\r\n");
    user_.write("setup.ini", "MA_L=1\r\n");
    Choose();
    EXPECT_EQ(User("setup.ini"), "MA_L=1\r\n");
}

TEST_F(PerUserFolderTest, UpgradeReplacesUntouchedShippedFilesAndKeepsEditedOnes) {
    program_.write("Plugins/input.dll", "library 1");
    program_.write("Plugins/MenuPlus.ini", "menu 1");
    program_.write("Plugins/EQPlus.ini", "presets 1");
    program_.write("Favor/Favor.ini", "");
    Choose();
    user_.write("Plugins/EQPlus.ini", "my presets");
    user_.write("Favor/Favor.ini", "Mine\r\n");

    program_.write("Plugins/input.dll", "library 2");
    program_.write("Plugins/MenuPlus.ini", "menu 2");
    program_.write("Plugins/EQPlus.ini", "presets 2");
    program_.write("Favor/Favor.ini", "Shipped\r\n");
    program_.write("skins/new.wsz", "skin");
    Choose();
    EXPECT_EQ(User("Plugins/input.dll"), "library 2");
    EXPECT_EQ(User("Plugins/MenuPlus.ini"), "menu 2") << "an untouched menu follows the program";
    EXPECT_EQ(User("Plugins/EQPlus.ini"), "my presets") << "edited presets stay";
    EXPECT_EQ(User("Favor/Favor.ini"), "Mine\r\n");
    EXPECT_EQ(User("skins/new.wsz"), "skin") << "a new shipped file arrives";

    program_.write("Plugins/MenuPlus.ini", "menu 3");
    Choose();
    EXPECT_EQ(User("Plugins/MenuPlus.ini"), "menu 3") << "the record follows each replacement";
}

// A per-user folder seeded before seeded files were recorded: libraries follow the program,
// files the user may have edited stay.
TEST_F(PerUserFolderTest, UnrecordedCopiesFollowTheProgramUnlessTheUserEditsSuchFiles) {
    user_.write("Plugins/input.dll", "old library");
    user_.write("Plugins/BCSPlus.ini", "my stations");
    user_.write("setup.ini", "MA_L=3\r\n");
    program_.write("Plugins/input.dll", "new library");
    program_.write("Plugins/BCSPlus.ini", "shipped stations");
    Choose();
    EXPECT_EQ(User("Plugins/input.dll"), "new library");
    EXPECT_EQ(User("Plugins/BCSPlus.ini"), "my stations");
    EXPECT_EQ(User("setup.ini"), "MA_L=3\r\n");
}

TEST(InstallFolder, WritableProgramFolderIsUsedAsItIs) {
    TempFolder program;
    const platform::InstallFolderChoice choice = platform::ChooseInstallFolder(program.path());
    EXPECT_EQ(choice.folder, program.path() + "/");
    EXPECT_TRUE(choice.notice.isEmpty());
}

}  // namespace
