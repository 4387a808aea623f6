// The folder picker: the tree opened at the start folder, what OK stores, and the scan options
// written as soon as they are clicked.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QTimer>
#include <QToolButton>
#include <QDir>
#include <QPushButton>
#include <QTreeView>

#include "dialogs/folder_picker.h"
#include "dialogs/dialog_targets.h"
#include "player/playback/run.h"
#include "player/video/dspack.h"
#include "tests/settings_dialog_support.h"
#include "player/core/settings_store.h"
#include "tests/test_support.h"

namespace {

class FolderPickerTest : public ::testing::Test {
protected:
    void SetUp() override {
        QDir().mkpath(dir_.path() + "/Music/Sub");
        form_.Settings = &settings_;
        form_.open();
    }
    QPushButton* Ok() { return form_.findChild<QPushButton*>("Button1"); }

    testing_support::TempFolder dir_;
    TSettingsStore settings_;
    TForm7 form_;
};

TEST_F(FolderPickerTest, OpensAtStartFolderAndStoresAbsolutePath) {
    form_.Init(dir_.path() + "/Music/Sub", "prompt", false, "SkinsPath");
    EXPECT_EQ(form_.SelectedFolder(), dir_.path() + "/Music/Sub/");
    form_.Button1Click();
    EXPECT_TRUE(form_.OK);
    EXPECT_EQ(settings_.ReadString("SkinsPath", "none"), dir_.path() + "/Music/Sub/");
}

TEST_F(FolderPickerTest, MissingComponentStopsAtDeepestExistingFolder) {
    form_.Init(dir_.path() + "/Music/Gone/Deeper", "prompt", false, "LrcFilePath");
    EXPECT_EQ(form_.SelectedFolder(), dir_.path() + "/Music/");
    form_.Init("/", "prompt", false, "LrcFilePath");
    EXPECT_EQ(form_.SelectedFolder(), "/") << "the root keeps a single separator";
}

TEST_F(FolderPickerTest, NoFolderChosenIsNotOk) {
    settings_.WriteString("DefaultFolder", "/kept/");
    form_.Init("", "prompt", true, "DefaultFolder");
    EXPECT_EQ(form_.SelectedFolder(), "");
    EXPECT_FALSE(Ok()->isEnabled());
    form_.Button1Click();
    EXPECT_FALSE(form_.OK);
    EXPECT_TRUE(form_.isVisible());
    EXPECT_EQ(settings_.ReadString("DefaultFolder", ""), "/kept/");
    form_.Init("relative/path", "prompt", true, "DefaultFolder");
    EXPECT_EQ(form_.SelectedFolder(), "");
}

TEST_F(FolderPickerTest, OptionsShowOnlyWhenAskedAndWriteAtOnce) {
    settings_.WriteInteger("AddSubFolder", 0);
    form_.Init(dir_.path(), "请选择音乐文件存放的路径", true, "DefaultFolder");
    auto* sub = form_.findChild<QCheckBox*>("CheckBox1");
    EXPECT_FALSE(sub->isHidden());
    EXPECT_FALSE(sub->isChecked());
    sub->click();
    form_.reject();
    EXPECT_EQ(settings_.ReadInteger("AddSubFolder", -1), 1) << "written even though the dialog was cancelled";
    EXPECT_FALSE(form_.OK);
    form_.Init(dir_.path(), "p", false, "SkinsPath");
    EXPECT_TRUE(sub->isHidden());
}

TEST_F(FolderPickerTest, TheListFilesOptionIsReadAndWrittenAtOnce) {
    settings_.WriteInteger("AddListFile", 0);
    form_.Init(dir_.path(), "p", true, "DefaultFolder");
    auto* lists = form_.findChild<QCheckBox*>("CheckBox2");
    ASSERT_TRUE(lists);
    EXPECT_FALSE(lists->isHidden());
    EXPECT_FALSE(lists->isChecked());
    lists->click();
    EXPECT_EQ(settings_.ReadInteger("AddListFile", -1), 1);
    lists->click();
    EXPECT_EQ(settings_.ReadInteger("AddListFile", -1), 0);
    settings_.WriteInteger("AddListFile", 1);
    form_.Init(dir_.path(), "p", true, "DefaultFolder");
    EXPECT_TRUE(lists->isChecked()) << "read at every opening";
    form_.Init(dir_.path(), "p", false, "SkinsPath");
    EXPECT_TRUE(lists->isHidden());
}

// What each caller asks the one picker: its prompt (with five blanks after it), whether the
// scan options show, and the setting that receives the folder.
class FolderPickerCallersTest : public SettingsDialogFixture {
protected:
    struct Asked {
        QString prompt;
        bool options = false;
        QString setting;
    };
    Asked Catch(const std::function<void()>& open) {
        Asked asked;
        QTimer::singleShot(0, [&asked] {
            auto* picker = qobject_cast<TForm7*>(QApplication::activeModalWidget());
            if (!picker) return;
            asked.prompt = picker->findChild<QLabel*>("Label1")->text();
            asked.options = !picker->findChild<QCheckBox*>("CheckBox1")->isHidden();
            asked.setting = picker->SettingName;
            picker->reject();
        });
        open();
        return asked;
    }
};

TEST_F(FolderPickerCallersTest, EachCallerHasItsPromptOptionsAndSetting) {
    const Asked folder = Catch([] { TDialogTargets().PickFolder("/", QStringLiteral("请选择音乐文件存放的路径")); });
    EXPECT_EQ(folder.prompt, QStringLiteral("请选择音乐文件存放的路径     "));
    EXPECT_TRUE(folder.options);
    EXPECT_EQ(folder.setting, "DefaultFolder");

    TForm8 form;
    form.SelectPage(0);
    const Asked skins = Catch([&form] { Widget<QPushButton>(form, "Button3")->click(); });
    EXPECT_EQ(skins.prompt, QStringLiteral("请选择SKINS文件的路径     "));
    EXPECT_FALSE(skins.options);
    EXPECT_EQ(skins.setting, "SkinsPath");

    form.SelectPage(7);
    const Asked lyrics = Catch([&form] { Widget<QPushButton>(form, "Button4")->click(); });
    EXPECT_EQ(lyrics.prompt, QStringLiteral("请选择动态歌词存放的路径     "));
    EXPECT_FALSE(lyrics.options);
    EXPECT_EQ(lyrics.setting, "LrcFilePath");

    Ctrl->WriteInteger("RatePriority", 0);
    TDspack* engine = RunDspack(Ctrl->Run.get(), true);
    engine->SetRatePriority(1);
    form.SelectPage(6);
    const Asked capture = Catch([&form] { Widget<QToolButton>(form, "SpeedButton3")->click(); });
    EXPECT_EQ(capture.prompt, QStringLiteral("请选择保存的路径     "));
    EXPECT_TRUE(capture.options);
    EXPECT_EQ(capture.setting, "GetVideoFolder");
}

}  // namespace
