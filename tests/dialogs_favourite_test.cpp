// Naming favourites: names refused, the playlist saved under its name with Favor.ini read afresh,
// renames that move the file, and failures reported instead of taken for success.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QLabel>
#include <QListWidget>
#include <QMenu>

#include "dialogs/favourite_name.h"
#include "dialogs/favourite_store.h"
#include "dialogs/settings_favourites.h"
#include "platform/message_box.h"
#include "platform/text_file.h"
#include "player/app/form1.h"
#include "player/commands/menu.h"
#include "player/core/ctrl.h"
#include "player/playlist/playlist_box.h"
#include "player/playlist/playlist_files.h"
#include "tests/test_support.h"

using dialogs::FavouriteNameProblem;

namespace {

class FavouriteTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = dir_.path() + "/Favor/";
        platform::SetMessageRecorder([this](const QString& text, const QString&, platform::MessageIcon) { messages_ << text; });
    }
    void TearDown() override { platform::SetMessageRecorder({}); }
    QStringList Index() const {
        QStringList lines;
        platform::ReadTextLines(folder_ + "Favor.ini", &lines);
        return lines;
    }
    void Seed(const QStringList& names) const {
        QDir().mkpath(folder_);
        ASSERT_TRUE(platform::WriteTextLines(folder_ + "Favor.ini", names));
        for (const QString& name : names) ASSERT_TRUE(playlist::WriteKpl(folder_ + name + ".kpl", {"<?/m/" + name + ".mp3?>"}));
    }
    QStringList Kpl(const QString& name) const {
        QStringList entries;
        playlist::ReadKpl(folder_ + name + ".kpl", &entries);
        return entries;
    }

    testing_support::TempFolder dir_;
    QString folder_;
    QStringList messages_;
};

TEST(FavouriteName, RefusedNames) {
    EXPECT_EQ(dialogs::CheckFavouriteName(""), FavouriteNameProblem::Empty);
    EXPECT_EQ(dialogs::CheckFavouriteName("-"), FavouriteNameProblem::Minus);
    for (const QString bad : {"a/b", "a\\b", "../x", "a:b", "a*b", "a?b", "a\"b", "a<b", "a>b", "a|b"})
        EXPECT_EQ(dialogs::CheckFavouriteName(bad), FavouriteNameProblem::Forbidden) << bad.toStdString();
    EXPECT_EQ(dialogs::CheckFavouriteName("."), FavouriteNameProblem::Dots);
    EXPECT_EQ(dialogs::CheckFavouriteName(".."), FavouriteNameProblem::Dots);
    for (const QString& bad : {QString("line\nbreak"), QString("tab\tname"), QString("nul") + QChar(0), QString("del") + QChar(0x7f)})
        EXPECT_EQ(dialogs::CheckFavouriteName(bad), FavouriteNameProblem::Control) << bad.toStdString();
    EXPECT_EQ(dialogs::CheckFavouriteName("rock-pop"), FavouriteNameProblem::None);
    EXPECT_EQ(dialogs::CheckFavouriteName("摇滚 1.2"), FavouriteNameProblem::None);
    for (const char* dotted : {"Hits...", "Vol..2", "x..", "...", ".hidden"})
        EXPECT_EQ(dialogs::CheckFavouriteName(dotted), FavouriteNameProblem::None) << dotted;
}

// Dots inside a name are a file name's own characters: the dialog saves such a favourite and the
// favourites page lists it; "." and ".." and control characters are refused, each saying why.
TEST_F(FavouriteTest, DottedNamesAreKeptAndTheRefusalsSayWhatIsWrong) {
    TForm11 form;
    form.FavorFolder = folder_;
    form.Ask = [](const QString&, const QString&) { return true; };
    for (const char* name : {"Hits...", "Vol..2"}) {
        form.OpenAdd(name);
        form.open();
        form.Button2Click();
        EXPECT_FALSE(form.isVisible()) << name;
    }
    EXPECT_TRUE(messages_.isEmpty()) << messages_.join(" | ").toStdString();
    EXPECT_EQ(Index(), QStringList({"Vol..2", "Hits..."}));
    EXPECT_TRUE(QFile::exists(folder_ + "Hits....kpl"));
    QStringList shown;
    ASSERT_TRUE(ReadFavouriteNames(folder_, &shown, nullptr));
    EXPECT_EQ(shown, QStringList({"Vol..2", "Hits..."}));

    for (const char* bad : {"..", "a\tb", "a/b"}) {
        form.OpenAdd(bad);
        form.open();
        form.Button2Click();
        EXPECT_TRUE(form.isVisible()) << bad;
    }
    EXPECT_EQ(messages_, QStringList({QStringLiteral("名字不能是“.”或“..”、请重新输入！  "),
                                      QStringLiteral("名字不能含有换行、制表符等控制字符、请重新输入！  "),
                                      QStringLiteral("名字不能含有 \\/:*?\"<>| 这些符号、请重新输入！  ")}));
    EXPECT_EQ(Index(), QStringList({"Vol..2", "Hits..."}));
}

TEST_F(FavouriteTest, AddPutsNameFirstAndSavesPlaylist) {
    Seed({"Jazz", "Rock", "Pop"});
    ASSERT_TRUE(dialogs::AddFavourite(folder_, "Rock", {"<?/a.mp3?>", "<?/b.mp3?>"}, nullptr));
    EXPECT_EQ(Index(), QStringList({"Rock", "Jazz", "Pop"}));
    EXPECT_EQ(Kpl("Rock"), QStringList({"<?/a.mp3?>", "<?/b.mp3?>"}));
    ASSERT_TRUE(dialogs::AddFavourite(folder_, "rock", {"<?/c.mp3?>"}, nullptr));
    EXPECT_EQ(Index(), QStringList({"rock", "Rock", "Jazz", "Pop"})) << "case variants are two names";
    EXPECT_EQ(Kpl("Rock").size(), 2);
}

TEST_F(FavouriteTest, AddReportsFailureAndLeavesIndexAlone) {
    Seed({"Jazz"});
    // A folder where the playlist file should go makes the save fail.
    QDir().mkpath(folder_ + "Blocked.kpl");
    QString error;
    EXPECT_FALSE(dialogs::AddFavourite(folder_, "Blocked", {"<?/a.mp3?>"}, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(Index(), QStringList({"Jazz"}));
    EXPECT_FALSE(dialogs::AddFavourite(folder_, "../escape", {"<?/a.mp3?>"}, &error));
    EXPECT_FALSE(QFile::exists(dir_.path() + "/escape.kpl"));
}

TEST_F(FavouriteTest, RenameReplacesExistingAndReadsIndexAfresh) {
    Seed({"Jazz", "Pop"});
    // Added after the settings page read its list: a rename must not drop it.
    ASSERT_TRUE(dialogs::AddFavourite(folder_, "New", {"<?/n.mp3?>"}, nullptr));
    ASSERT_TRUE(dialogs::RenameFavourite(folder_, "Jazz", "Pop", nullptr));
    EXPECT_EQ(Index(), QStringList({"New", "Pop"}));
    EXPECT_EQ(Kpl("Pop"), QStringList({"<?/m/Jazz.mp3?>"}));
    EXPECT_FALSE(QFile::exists(folder_ + "Jazz.kpl"));
    EXPECT_EQ(dialogs::RenamedList({"Jazz", "Rock", "Pop"}, 0, "Pop"), QStringList({"Pop", "Rock"}));
}

TEST_F(FavouriteTest, RenameFailureReported) {
    Seed({"Jazz"});
    QDir().mkpath(folder_ + "Full.kpl/inside");  // a non-empty folder cannot be replaced by a file
    QString error;
    EXPECT_FALSE(dialogs::RenameFavourite(folder_, "Jazz", "Full", &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(Index(), QStringList({"Jazz"}));
    EXPECT_TRUE(QFile::exists(folder_ + "Jazz.kpl"));
    // A hand-edited Favor.ini line naming a file outside the folder moves nothing.
    dir_.write("outside.kpl", "keep");
    EXPECT_FALSE(dialogs::RenameFavourite(folder_, "../outside", "Moved", &error));
    EXPECT_EQ(dir_.read("outside.kpl"), "keep");
    EXPECT_FALSE(QFile::exists(folder_ + "Moved.kpl"));
}

TEST_F(FavouriteTest, DialogRefusesAndAsksBeforeOverwriting) {
    Seed({"Jazz"});
    TForm11 form;
    form.FavorFolder = folder_;
    int asked = 0;
    form.Ask = [&](const QString&, const QString&) { return ++asked > 1; };
    form.OpenAdd("a/b");
    form.open();
    form.Button2Click();
    ASSERT_EQ(messages_.size(), 1);
    EXPECT_TRUE(messages_[0].startsWith(QStringLiteral("名字不能含有")));
    EXPECT_TRUE(form.isVisible());
    form.OpenAdd("Jazz");
    form.Button2Click();  // answered No
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(Kpl("Jazz"), QStringList({"<?/m/Jazz.mp3?>"}));
    form.Button2Click();  // answered Yes
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.result(), QDialog::Accepted);
}

TEST_F(FavouriteTest, DialogRenameEditsTheShownList) {
    Seed({"Jazz", "Rock", "Pop"});
    QListWidget list;
    list.addItems({"Jazz", "Rock", "Pop"});
    list.setCurrentRow(2);
    TForm11 form;
    form.FavorFolder = folder_;
    form.Ask = [](const QString&, const QString&) { return true; };
    form.OpenRename(&list);
    form.open();
    EXPECT_EQ(form.windowTitle(), QStringLiteral("更改列表名称"));
    form.findChild<QLineEdit*>("Edit1")->setText("Jazz");
    form.Button2Click();
    ASSERT_EQ(list.count(), 2);
    EXPECT_EQ(list.item(0)->text(), "Rock");
    EXPECT_EQ(list.item(1)->text(), "Jazz");
    EXPECT_EQ(list.currentItem()->text(), "Jazz");
    EXPECT_EQ(Index(), QStringList({"Rock", "Jazz"}));
    EXPECT_EQ(Kpl("Jazz"), QStringList({"<?/m/Pop.mp3?>"}));
}

TEST_F(FavouriteTest, EachModeShowsItsCaptions) {
    TForm11 form;
    form.FavorFolder = folder_;
    form.OpenAdd(QStringLiteral("未命名"));
    form.open();
    EXPECT_EQ(form.windowTitle(), QStringLiteral("加入收藏夹"));
    EXPECT_EQ(form.findChild<QLabel*>("Label2")->text(), QStringLiteral("加入收藏"));
    EXPECT_EQ(form.findChild<QLabel*>("Label1")->text(), QStringLiteral("把当前播放列表命名为："));
    form.reject();
    QListWidget list;
    list.addItem("Jazz");
    list.setCurrentRow(0);
    form.OpenRename(&list);
    form.open();
    EXPECT_EQ(form.windowTitle(), QStringLiteral("更改列表名称"));
    EXPECT_EQ(form.findChild<QLabel*>("Label2")->text(), QStringLiteral("更改名称"));
    EXPECT_EQ(form.findChild<QLabel*>("Label1")->text(), QStringLiteral("把当前播放列表重命名为："));
    form.reject();
    form.OpenAdd(QStringLiteral("again"));
    form.open();
    EXPECT_EQ(form.windowTitle(), QStringLiteral("加入收藏夹")) << "each opening sets its own mode's captions";
}

TEST_F(FavouriteTest, RenamingToTheSameNameInAnotherCaseChangesNothing) {
    Seed({"Jazz", "Pop"});
    QListWidget list;
    list.addItems({"Jazz", "Pop"});
    list.setCurrentRow(0);
    TForm11 form;
    form.FavorFolder = folder_;
    int asked = 0;
    form.Ask = [&asked](const QString&, const QString&) { return ++asked > 0; };
    form.OpenRename(&list);
    form.open();
    form.findChild<QLineEdit*>("Edit1")->setText("jAZZ");
    form.Button2Click();
    EXPECT_FALSE(form.isVisible()) << "the dialog closes";
    EXPECT_EQ(asked, 0);
    EXPECT_TRUE(messages_.isEmpty());
    EXPECT_EQ(list.item(0)->text(), "Jazz");
    EXPECT_EQ(Index(), QStringList({"Jazz", "Pop"}));
    EXPECT_EQ(Kpl("Jazz"), QStringList({"<?/m/Jazz.mp3?>"}));
    EXPECT_FALSE(QFile::exists(folder_ + "jAZZ.kpl"));
}

// With the player running: a saved or renamed favourite drops the built menus, so the favourites
// submenu is built afresh at the next pop-up; a refused name leaves them.
TEST(FavouriteMenus, AddAndRenameDropTheBuiltMenus) {
    testing_support::TempFolder dir;
    dir.write("Plugins/MenuPlus.ini", "1.11=关于\r\n1.270=收藏夹\r\n");
    auto* main = new TForm1(dir.path() + "/");
    QMenu* menu = Ctrl->Menu->PopupMenu(1);
    auto build = [menu] {
        if (menu->actions().isEmpty()) Ctrl->Menu->BuildMenu(menu, QStringLiteral("1"));
        return !menu->actions().isEmpty();
    };
    platform::SetMessageRecorder([](const QString&, const QString&, platform::MessageIcon) {});
    ListBox1->SetItems({"<?/m/a.mp3?>"});
    {
        TForm11 form;
        ASSERT_TRUE(build());
        form.OpenAdd(QStringLiteral("a/b"));
        form.open();
        form.Button2Click();
        EXPECT_FALSE(menu->actions().isEmpty()) << "a refused name changes nothing";
        form.OpenAdd(QStringLiteral("Mix"));
        form.Button2Click();
        EXPECT_TRUE(QFile::exists(dir.file("Favor/Mix.kpl")));
        EXPECT_TRUE(menu->actions().isEmpty()) << "dropped after an add";
    }
    {
        ASSERT_TRUE(build());
        QListWidget list;
        list.addItem("Mix");
        list.setCurrentRow(0);
        TForm11 form;
        form.OpenRename(&list);
        form.open();
        form.findChild<QLineEdit*>("Edit1")->setText("Remix");
        form.Button2Click();
        EXPECT_TRUE(QFile::exists(dir.file("Favor/Remix.kpl")));
        EXPECT_TRUE(menu->actions().isEmpty()) << "dropped after a rename";
    }
    platform::SetMessageRecorder({});
    main->QuietClose = true;
    main->close();
    delete main;
}

}  // namespace
