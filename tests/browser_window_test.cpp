// The station browser window over a station file the test writes: the tree, search, playing,
// the buttons that move and reload, deleting, and a save that fails and so changes nothing.
#include <QDir>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>

#include "platform/message_box.h"
#include "player/actions/region_actions.h"
#include "player/browser/browser_prompts.h"
#include "player/browser/form5.h"
#include "player/commands/menu.h"
#include "player/commands/player_targets.h"
#include "player/core/ctrl.h"
#include "player/playlist/playlist_box.h"
#include "tests/browser_test_support.h"

namespace {

using browser_test::BrowserFixture;

TEST_F(BrowserFixture, TheTreeHoldsEveryLineAsOneNode) {
    ASSERT_TRUE(Open());
    QTreeWidget* tree = Form5->TreeView1;
    ASSERT_EQ(tree->topLevelItemCount(), 3);
    EXPECT_EQ(tree->topLevelItem(0)->text(0), "音乐");
    EXPECT_EQ(tree->topLevelItem(0)->childCount(), 3) << "the two-tab line is a station of its category";
    EXPECT_EQ(tree->topLevelItem(0)->child(1)->text(0), "Deep");
    EXPECT_EQ(tree->topLevelItem(2)->childCount(), 0);
    ExpectInStep(false);
}

TEST_F(BrowserFixture, SearchIsInUpperCaseAndSelectsTheFirstMatch) {
    ASSERT_TRUE(Open());
    TypeText(u"jazz"_qs);
    EXPECT_EQ(Form5->Edit1->text(), "JAZZ") << "typed text shows in upper case";
    KeyUp(Qt::Key_Return);
    ASSERT_TRUE(Form5->TreeView1->currentItem());
    EXPECT_EQ(Form5->TreeView1->currentItem()->text(0), "Jazz One");
    EXPECT_EQ(Form5->Edit1->text(), "");
    EXPECT_TRUE(messages_.isEmpty());

    TypeText(u"nowhere"_qs);
    KeyUp(Qt::Key_A);
    EXPECT_EQ(Form5->Edit1->text(), "NOWHERE") << "only Enter searches";
    KeyUp(Qt::Key_Enter);
    EXPECT_EQ(messages_, QStringList{u"没有找到|找不到“NOWHERE”！　　"_qs});
    EXPECT_EQ(Form5->Edit1->text(), "");
    KeyUp(Qt::Key_Return);
    EXPECT_EQ(messages_.size(), 1) << "an empty box searches nothing";
}

TEST_F(BrowserFixture, DoubleClickingAStationAddsItWithItsTitle) {
    ASSERT_TRUE(Open());
    Select(1);
    Form5->TreeView1DblClick();
    Select(3);
    Form5->TreeView1DblClick();
    EXPECT_EQ(ListBox1->Items(), (QStringList{u"<*Coded*><?<:radio.example.com/live?>"_qs,
                                              u"<*Jazz One*><?http://127.0.0.1:9/jazz?>"_qs}));
    Select(0);
    Form5->TreeView1DblClick();
    EXPECT_EQ(ListBox1->Items().size(), 2) << "a category plays nothing";
}

TEST_F(BrowserFixture, BackAndForwardMoveAndPlayAndNeverTouchAnEmptyTree) {
    ASSERT_TRUE(Open());
    Select(1);
    BrowserClick(u"bForward"_qs);
    EXPECT_EQ(Form5->SelectedIndex(), 2);
    EXPECT_EQ(ListBox1->Items(), QStringList{u"<*Deep*><?http://127.0.0.1:9/deep?>"_qs});
    BrowserClick(u"bBack"_qs);
    EXPECT_EQ(Form5->SelectedIndex(), 1);
    EXPECT_EQ(ListBox1->Items().size(), 2);

    QFile::remove(StationFile());
    BrowserClick(u"bRefresh"_qs);
    EXPECT_EQ(Form5->TreeView1->topLevelItemCount(), 0) << "a missing file gives an empty tree";
    BrowserClick(u"bBack"_qs);
    BrowserClick(u"bForward"_qs);
    Form5->TreeView1DblClick();
    TPlayerTargets targets;
    targets.BrowserEditItem();
    targets.BrowserDeleteItem();
    EXPECT_EQ(ListBox1->Items().size(), 2);
    EXPECT_TRUE(questions_.isEmpty());
}

TEST_F(BrowserFixture, RefreshReadsTheFileAgain) {
    ASSERT_TRUE(Open());
    dir_.write("Plugins/BCSPlus.ini", "Only\r\n\tOne<?http://one/?>\r\n");
    BrowserClick(u"bRefresh"_qs);
    ASSERT_EQ(Form5->TreeView1->topLevelItemCount(), 1);
    EXPECT_EQ(Form5->StationLines(), (QStringList{u"Only"_qs, u"\tOne<?http://one/?>"_qs}));
}

TEST_F(BrowserFixture, DeletingACategoryRemovesEveryStationFromTreeAndFile) {
    ASSERT_TRUE(Open());
    Select(0);
    answer_ = false;
    TPlayerTargets().BrowserDeleteItem();
    EXPECT_EQ(questions_, QStringList{u"确定删除|确定删除“音乐”吗？    "_qs});
    EXPECT_EQ(Form5->StationLines().size(), 7) << "No keeps everything";

    answer_ = true;
    TPlayerTargets().BrowserDeleteItem();
    EXPECT_EQ(Form5->TreeView1->topLevelItemCount(), 2);
    EXPECT_EQ(FileLines(), (QStringList{u"新闻"_qs, u"\tWorld<?http://127.0.0.1:9/world?>"_qs, u"Empty"_qs}));
    ExpectInStep();
}

TEST_F(BrowserFixture, AFailedSaveChangesNothingAndSaysWhy) {
    ASSERT_TRUE(Open());
    const QStringList before = Form5->StationLines();
    // A folder where the file was: nothing can be renamed over it, even for the superuser.
    ASSERT_TRUE(QFile::remove(StationFile()));
    ASSERT_TRUE(QDir().mkdir(StationFile()));
    Select(0);
    answer_ = true;
    Form5->DeleteItem();
    EXPECT_EQ(Form5->StationLines(), before);
    EXPECT_EQ(Form5->TreeView1->topLevelItemCount(), 3);
    ExpectInStep(false);
    ASSERT_EQ(messages_.size(), 1);
    EXPECT_TRUE(messages_[0].startsWith(u"保存失败|"_qs));
    EXPECT_TRUE(messages_[0].contains(StationFile())) << "the reason names the file";
}

TEST_F(BrowserFixture, TheTreeOffersItsMenuOnARightReleaseAndItsCommandsReachTheBrowser) {
    dir_.write("Plugins/MenuPlus.ini", u"8.11=添加电台\r\n8.21=编辑电台\r\n8.31=删除电台\r\n"_qs.toUtf8());
    ASSERT_TRUE(Open());
    QWidget* viewport = Form5->TreeView1->viewport();
    QMouseEvent left(QEvent::MouseButtonRelease, QPointF(5, 5), viewport->mapToGlobal(QPointF(5, 5)), Qt::LeftButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &left);
    EXPECT_FALSE(Ctrl->Menu->PopupMenu(8)->isVisible());
    QMouseEvent right(QEvent::MouseButtonRelease, QPointF(5, 5), viewport->mapToGlobal(QPointF(5, 5)),
                      Qt::RightButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &right);
    EXPECT_TRUE(Ctrl->Menu->PopupMenu(8)->isVisible());
    EXPECT_EQ(Ctrl->Menu->LastShared, "8");
    Ctrl->Menu->PopupMenu(8)->hide();

    Select(6);
    Ctrl->Menu->Execute(u"8.3"_qs);
    EXPECT_EQ(questions_, QStringList{u"确定删除|确定删除“Empty”吗？    "_qs});
    EXPECT_EQ(FileLines().last(), "\tWorld<?http://127.0.0.1:9/world?>");
}

}  // namespace
