// The settings dialog's frame: the page tree, page switching, loading, opening at a page and the
// lifetime of the one dialog; and the general page with the connection time-out.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QListWidget>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSlider>
#include <QStackedWidget>
#include <QTreeWidget>

#include "dialogs/dialog_targets.h"
#include "dialogs/settings_dialog.h"
#include "player/core/ctrl.h"
#include "player/playback/run.h"
#include "tests/settings_dialog_support.h"

namespace {

using SettingsFrameTest = SettingsDialogFixture;

TEST_F(SettingsFrameTest, FormHasTheTreeOfFifteenNodesAndTheirPages) {
    TForm8 form;
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Velmora Player参数设置"));
    EXPECT_EQ(form.size(), QSize(478, 355));
    EXPECT_FALSE(form.isModal());
    const QStringList expected = {"选择界面", "热键设置", "文件关联", "视频设置", "色彩调节", "特效处理", "截图控制", "动态歌词",
                                  "控制选项", "显示选项", "常规选项", "网络设置", "操作系统", "定时关机", "列表收藏夹"};
    EXPECT_EQ(NodeCaptions(form), expected);
    for (QTreeWidgetItemIterator it(Widget<QTreeWidget>(form, "TreeView1")); *it; ++it) EXPECT_TRUE((*it)->isExpanded() || (*it)->childCount() == 0);
    EXPECT_EQ(form.CurrentPage(), QString()) << "no page before a node is selected";
}

TEST_F(SettingsFrameTest, SelectingANodeLoadsAndShowsOnlyItsPage) {
    TForm8 form;
    form.SelectPage(4);
    EXPECT_EQ(form.CurrentPage(), QStringLiteral("色彩调节"));
    EXPECT_EQ(Widget<QStackedWidget>(form, "Pages")->currentWidget()->findChild<QWidget*>(QStringLiteral("GroupBox6"))->objectName(), "GroupBox6");
    form.SelectPage(10);
    EXPECT_EQ(form.CurrentPage(), QStringLiteral("常规选项"));
    EXPECT_NE(Widget<QStackedWidget>(form, "Pages")->currentWidget()->findChild<QCheckBox*>(QStringLiteral("CheckBox34")), nullptr);
    form.LoadPage(QStringLiteral("no such page"));
    EXPECT_EQ(form.CurrentPage(), QStringLiteral("常规选项")) << "an unknown caption loads and shows nothing";
}

TEST_F(SettingsFrameTest, FillWritesNothingAndEachChangeWritesOnce) {
    TForm8 form;
    form.SelectPage(10);
    form.SelectPage(11);
    for (const char* key : {"AutoStartPlay", "AutoPlayNewFile", "UseCursor", "UseReverse", "ConnectTimeOut"})
        EXPECT_EQ(Ctrl->ReadString(key, "absent"), "absent") << key << " written by a fill";
    EXPECT_EQ(Widget<QSlider>(form, "TrackBar11")->value(), 30);
    EXPECT_EQ(Widget<QLabel>(form, "Label49")->text(), QStringLiteral("30秒"));
    EXPECT_EQ(form.Loading, 0);
}

TEST_F(SettingsFrameTest, GeneralBoxesFlipTheirKeysAndReachThePlayer) {
    TForm8 form;
    form.SelectPage(10);
    EXPECT_TRUE(Widget<QCheckBox>(form, "CheckBox35")->isChecked()) << "AutoPlayNewFile defaults to on";
    Widget<QCheckBox>(form, "CheckBox35")->click();
    EXPECT_EQ(Ctrl->ReadString("AutoPlayNewFile", ""), "0") << "a missing key flips from its default";
    Widget<QCheckBox>(form, "CheckBox35")->click();
    EXPECT_EQ(Ctrl->ReadString("AutoPlayNewFile", ""), "1");
    Widget<QCheckBox>(form, "CheckBox34")->click();
    EXPECT_EQ(Ctrl->ReadString("AutoStartPlay", ""), "1");
    Widget<QCheckBox>(form, "CheckBox26")->click();
    EXPECT_EQ(Ctrl->ReadString("UseReverse", ""), "0");
    Widget<QCheckBox>(form, "CheckBox36")->click();
    EXPECT_EQ(Ctrl->ReadString("UseCursor", ""), "0");
    EXPECT_EQ(Ctrl->SkinCursors, 0) << "skin cursors switched off at once";
    Widget<QCheckBox>(form, "CheckBox36")->click();
    EXPECT_EQ(Ctrl->SkinCursors, 1);
}

TEST_F(SettingsFrameTest, TimeOutBarStoresTextShowsSecondsAndSetsThePlaybackTimeout) {
    TForm8 form;
    form.SelectPage(11);
    Widget<QSlider>(form, "TrackBar11")->setValue(90);
    EXPECT_EQ(Ctrl->ReadString("ConnectTimeOut", ""), "90");
    EXPECT_EQ(Widget<QLabel>(form, "Label49")->text(), QStringLiteral("90秒"));
    EXPECT_EQ(Ctrl->Run->Timeout, 90000);
}

TEST_F(SettingsFrameTest, AFailedFillIsShownAndLaterChangesAreStillStored) {
    // Favor.ini that is a folder cannot be read.
    QDir().mkpath(dir_.file("Favor/Favor.ini"));
    TForm8 form;
    form.SelectPage(14);
    EXPECT_EQ(form.Loading, 0) << "the flag is cleared however the fill ended";
    const auto* box = form.findChild<QMessageBox*>();
    ASSERT_NE(box, nullptr) << "the failure is shown";
    EXPECT_TRUE(box->text().contains(QStringLiteral("列表收藏夹")));
    form.SelectPage(10);
    Widget<QCheckBox>(form, "CheckBox34")->click();
    EXPECT_EQ(Ctrl->ReadString("AutoStartPlay", ""), "1");
}

TEST_F(SettingsFrameTest, ShowingReloadsTheSelectedPageFromTheStore) {
    ShowSettingsDialog(10);
    ASSERT_NE(Form8, nullptr);
    EXPECT_TRUE(Form8->isVisible());
    Widget<QPushButton>(*Form8, "Button1")->click();
    EXPECT_FALSE(Form8->isVisible()) << "closing hides";
    ASSERT_NE(Form8, nullptr) << "closing does not free";
    Ctrl->WriteBool("AutoStartPlay", true);
    ShowSettingsDialog(-1);
    EXPECT_EQ(Form8->CurrentPage(), QStringLiteral("常规选项")) << "page < 0 keeps the page";
    EXPECT_TRUE(Widget<QCheckBox>(*Form8, "CheckBox34")->isChecked()) << "reloaded on show";
    const QPointer<TForm8> first = Form8;
    ShowSettingsDialog(14);
    EXPECT_EQ(Form8, first) << "one dialog only";
    EXPECT_EQ(Form8->CurrentPage(), QStringLiteral("列表收藏夹"));
}

TEST_F(SettingsFrameTest, TheFirstOpeningShowsNoPageUntilANodeIsChosen) {
    ShowSettingsDialog(-1);
    ASSERT_NE(Form8, nullptr);
    auto* tree = Widget<QTreeWidget>(*Form8, "TreeView1");
    // The tree taking the focus (as the first control of the window does) chooses nothing.
    QFocusEvent focus(QEvent::FocusIn, Qt::TabFocusReason);
    QApplication::sendEvent(tree, &focus);
    QApplication::processEvents();
    EXPECT_EQ(Form8->CurrentPage(), QString());
    EXPECT_EQ(Widget<QListWidget>(*Form8, "ListBox1")->count(), 0) << "the skin page was loaded";
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(tree, &down);
    EXPECT_FALSE(Form8->CurrentPage().isEmpty()) << "a node chosen by the keys shows its page";
}

TEST_F(SettingsFrameTest, ASkinChosenByTheKeysIsInstalled) {
    dir_.write("skins/Blue/main.bmp", "blue");
    dir_.write("skins/Blue/volume.bmp", "v");
    TForm8 form;
    form.SelectPage(0);
    auto* list = Widget<QListWidget>(form, "ListBox1");
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->currentRow(), 0);
    EXPECT_EQ(Ctrl->ReadString("SkinsName", "absent"), "absent") << "the fill installs nothing";
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(list, &down);
    EXPECT_EQ(Ctrl->ReadString("SkinsName", "absent"), "Blue");
    EXPECT_TRUE(QFile::exists(dir_.file("skins/default/main.bmp")));
    EXPECT_TRUE(QFile::exists(dir_.file("skins/default/balance.bmp")));
    QKeyEvent up(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier);
    QApplication::sendEvent(list, &up);
    EXPECT_EQ(Ctrl->ReadString("SkinsName", "absent"), QStringLiteral("<默认界面>"));
    EXPECT_FALSE(QDir(dir_.file("skins/default")).exists());
}

TEST_F(SettingsFrameTest, TheInstalledTargetsOpenTheDialogAtThePage) {
    TDialogTargets targets;
    targets.ShowSettingsPage(8);
    ASSERT_NE(Form8, nullptr);
    EXPECT_EQ(Form8->CurrentPage(), QStringLiteral("控制选项"));
}

TEST_F(SettingsFrameTest, ABriefUseFreesOnlyTheDialogItCreated) {
    ShowSettingsDialog(13);
    Form8->hide();  // hidden, as with a countdown running out of sight
    const QPointer<TForm8> kept = Form8;
    { TForm8Use use; EXPECT_FALSE(use.Created()); EXPECT_EQ(use.get(), kept.data()); }
    EXPECT_EQ(Form8, kept) << "a dialog it did not create survives";
    ASSERT_FALSE(kept.isNull());
    delete kept.data();
    { TForm8Use use; EXPECT_TRUE(use.Created()); EXPECT_EQ(Form8, use.get()); }
    EXPECT_TRUE(Form8.isNull()) << "its own hidden dialog is freed again";
}

}  // namespace
