// The folder picker: the tree opened at the start folder, what OK stores, and the scan options
// written as soon as they are clicked.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QPushButton>
#include <QTreeView>

#include "dialogs/folder_picker.h"
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

}  // namespace
