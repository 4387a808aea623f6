// Pop-up menus built from MenuPlus.ini: nesting by level character, radio items, separators,
// shortcut texts, the favourites submenu, and the shared pop-up's rebuilds.
#include <QActionGroup>
#include <QDir>
#include <QFile>

#include "tests/fifo_watchdog.h"
#include "tests/menu_test_support.h"

namespace {

const QStringList kMainMenu{
    u"1.11=关于#F1%1"_qs,
    u"1.20=-"_qs,
    u"1.51=播放控制"_qs,
    u"1.94=上一首#Ctrl+←%1"_qs,
    u"1.104=播放"_qs,
    u"1.36=低一级甲#Alt+Shift+Q"_qs,
    u"1.37=低一级乙"_qs,
    u"1.38=低一级单选"_qs,
    u"1.112=单选一"_qs,
    u"1.122=单选二#ctrl+esc"_qs,
    u"1.120=停止#Ctrl+S%1"_qs,
    u"3.11=第1.5版#F2%001"_qs,
    u"2.1=视频菜单"_qs,
    u"1.251=收藏夹"_qs,
    u"1.264=添加到收藏夹"_qs,
    u"1.274=整理收藏夹"_qs,
    u"1.281=帮助"_qs,
};

}  // namespace

TEST_F(MenuTest, LevelsNestItemsAndRadioItemsShareAGroup) {
    WriteMenus(kMainMenu);
    QMenu* popup = Ctrl->Menu->PopupMenu(1);
    ASSERT_TRUE(Ctrl->Menu->BuildMenu(popup, u"1"_qs));
    EXPECT_EQ(Names(popup), (QStringList{u"a11"_qs, u"a20"_qs, u"a51"_qs, u"a112"_qs, u"a122"_qs, u"a120"_qs,
                                         u"a251"_qs, u"a281"_qs}));
    EXPECT_TRUE(popup->actions()[1]->isSeparator());
    QAction* control = popup->actions()[2];
    ASSERT_NE(control->menu(), nullptr);
    EXPECT_EQ(Names(control->menu()), (QStringList{u"a94"_qs, u"a104"_qs}));
    QAction* play = control->menu()->actions()[1];
    ASSERT_NE(play->menu(), nullptr);
    EXPECT_EQ(Names(play->menu()), (QStringList{u"a36"_qs, u"a37"_qs, u"a38"_qs}));

    QAction* radioOne = popup->actions()[3];
    QAction* radioTwo = popup->actions()[4];
    EXPECT_TRUE(radioOne->isCheckable());
    ASSERT_NE(radioOne->actionGroup(), nullptr);
    EXPECT_EQ(radioOne->actionGroup(), radioTwo->actionGroup());
    EXPECT_TRUE(radioOne->actionGroup()->isExclusive());
    EXPECT_FALSE(radioOne->isChecked()) << "a radio item's state comes only from the item states";
    EXPECT_NE(play->menu()->actions()[2]->actionGroup(), radioOne->actionGroup());
}

TEST_F(MenuTest, ShortcutTextOnlyForKeysTheMenusCanName) {
    WriteMenus(kMainMenu);
    QMenu* popup = Ctrl->Menu->PopupMenu(1);
    ASSERT_TRUE(Ctrl->Menu->BuildMenu(popup, u"1"_qs));
    EXPECT_EQ(Find(popup, u"a11"_qs)->text(), u"关于\tF1"_qs);
    EXPECT_EQ(Find(popup, u"a120"_qs)->text(), u"停止\tCtrl+S"_qs);
    EXPECT_EQ(Find(popup, u"a36"_qs)->text(), u"低一级甲\tShift+Alt+Q"_qs);
    EXPECT_EQ(Find(popup, u"a122"_qs)->text(), u"单选二\tCtrl+Esc"_qs);
    EXPECT_EQ(Find(popup, u"a94"_qs)->text(), u"上一首"_qs) << "the arrows have no shortcut name";
    for (QAction* action : popup->findChildren<QAction*>()) EXPECT_TRUE(action->shortcut().isEmpty());
}

TEST_F(MenuTest, ALineOfAnotherMenuIsNotPulledInByItsCaption) {
    WriteMenus(kMainMenu);
    QMenu* popup = Ctrl->Menu->PopupMenu(1);
    ASSERT_TRUE(Ctrl->Menu->BuildMenu(popup, u"1"_qs));
    EXPECT_EQ(Find(popup, u"a11"_qs)->text(), u"关于\tF1"_qs);
    for (QAction* action : popup->findChildren<QAction*>()) EXPECT_NE(action->text(), u"第1.5版\tF2"_qs);
}

TEST_F(MenuTest, FavouritesFollowTheirSeparatorOnlyForExistingLists) {
    WriteMenus(kMainMenu);
    WriteLines("Favor/Favor.ini", {u"甲"_qs, u"缺"_qs, u"../escape"_qs, u"乙"_qs});
    dir_.write("Favor/甲.kpl", "");
    dir_.write("Favor/乙.kpl", "");
    dir_.write("escape.kpl", "");
    dir_.write("favor/缺.kpl", "");  // another folder on a case-sensitive disk
    QMenu* popup = Ctrl->Menu->PopupMenu(1);
    ASSERT_TRUE(Ctrl->Menu->BuildMenu(popup, u"1"_qs));
    QMenu* favourites = Find(popup, u"a251"_qs)->menu();
    ASSERT_NE(favourites, nullptr);
    EXPECT_EQ(Names(favourites), (QStringList{u"a264"_qs, u"a274"_qs, u"a1000"_qs, u"a1000"_qs, u"a1000"_qs}));
    EXPECT_TRUE(favourites->actions()[2]->isSeparator());
    EXPECT_EQ(favourites->actions()[3]->data().toString(), u"甲"_qs);
    EXPECT_EQ(favourites->actions()[4]->data().toString(), u"乙"_qs);
    EXPECT_EQ(Find(popup, u"a281"_qs)->menu(), nullptr) << "the next line starts a new top-level item";
}

TEST_F(MenuTest, FavouritesSeparatorStandsWithoutAFavouritesFile) {
    WriteMenus(kMainMenu);
    QMenu* popup = Ctrl->Menu->PopupMenu(1);
    ASSERT_TRUE(Ctrl->Menu->BuildMenu(popup, u"1"_qs));
    QMenu* favourites = Find(popup, u"a251"_qs)->menu();
    ASSERT_NE(favourites, nullptr);
    EXPECT_EQ(Names(favourites), (QStringList{u"a264"_qs, u"a274"_qs, u"a1000"_qs}));
}

// A FIFO named Favor.ini or MenuPlus.ini is refused at once: a blocking open would wait for a
// writer, and the player with it, from the first right click on.
TEST_F(MenuTest, FifosNamedLikeTheMenuFilesAreNotWaitedOn) {
    WriteMenus(kMainMenu);
    QDir().mkpath(dir_.file("Favor"));
    testing_support::FifoWatchdog favourites(dir_.file("Favor/Favor.ini"));
    ASSERT_TRUE(favourites.Made());
    QMenu* popup = Ctrl->Menu->PopupMenu(1);
    bool built = false;
    favourites.Run([&] { built = Ctrl->Menu->BuildMenu(popup, u"1"_qs); });
    EXPECT_FALSE(favourites.Released()) << "the favourites submenu waited on the FIFO";
    ASSERT_TRUE(built);
    EXPECT_EQ(Names(Find(popup, u"a251"_qs)->menu()), (QStringList{u"a264"_qs, u"a274"_qs, u"a1000"_qs}));

    QFile::remove(dir_.file("Plugins/MenuPlus.ini"));
    testing_support::FifoWatchdog menus(dir_.file("Plugins/MenuPlus.ini"));
    ASSERT_TRUE(menus.Made());
    QMenu* other = Ctrl->Menu->PopupMenu(2);
    menus.Run([&] { built = Ctrl->Menu->BuildMenu(other, u"2"_qs); });
    EXPECT_FALSE(menus.Released()) << "the menu build waited on the FIFO";
    EXPECT_FALSE(built);
    EXPECT_TRUE(Names(other).isEmpty());
}

TEST_F(MenuTest, AnInvalidNameEndsTheBuildAndKeepsWhatCameBefore) {
    WriteMenus({u"1.11=关于"_qs, u"1.5 =坏"_qs, u"1.61=之后"_qs});
    QMenu* popup = Ctrl->Menu->PopupMenu(1);
    EXPECT_FALSE(Ctrl->Menu->BuildMenu(popup, u"1"_qs));
    EXPECT_EQ(Names(popup), QStringList{u"a11"_qs});
    EXPECT_EQ(messages_.size(), 1);
}

TEST_F(MenuTest, AMissingFileIsReportedAndTheNextPopupTriesAgain) {
    QMenu* popup = Ctrl->Menu->PopupMenu(1);
    Ctrl->Menu->PopupAt(u"1"_qs, QPoint(10, 10));
    popup->hide();
    EXPECT_TRUE(popup->actions().isEmpty());
    EXPECT_EQ(messages_.size(), 1);
    WriteMenus(kMainMenu);
    Ctrl->Menu->PopupAt(u"1"_qs, QPoint(10, 10));
    popup->hide();
    EXPECT_EQ(Names(popup).value(0), u"a11"_qs);
}

TEST_F(MenuTest, TheSharedPopupIsRebuiltOnlyForAnotherMenu) {
    WriteMenus({u"5.11=本地"_qs, u"5.21=网络"_qs, u"6.11=标题"_qs});
    QMenu* shared = Ctrl->Menu->PopupMenu(5);
    EXPECT_EQ(shared, Ctrl->Menu->PopupMenu(8));
    Ctrl->Menu->PopupAt(u"5"_qs, QPoint(0, 0));
    shared->hide();
    EXPECT_EQ(Names(shared), (QStringList{u"e11"_qs, u"e21"_qs}));
    const QAction* first = shared->actions()[0];
    Ctrl->Menu->PopupAt(u"5"_qs, QPoint(0, 0));
    shared->hide();
    EXPECT_EQ(shared->actions()[0], first) << "the same menu again only refreshes its states";
    Ctrl->Menu->PopupAt(u"6"_qs, QPoint(0, 0));
    shared->hide();
    EXPECT_EQ(Names(shared), QStringList{u"f11"_qs});
    EXPECT_EQ(Ctrl->Menu->LastShared, u"6"_qs);
}

TEST_F(MenuTest, ItemsWithoutAPlaceAreLeftOut) {
    WriteMenus({u"1.13=无父"_qs, u"1.19=无处"_qs, u"1.26=无子级父"_qs, u"1.21=顶"_qs, u"1.39=无处"_qs, u"1.33=子"_qs,
                u"1.47=孙"_qs, u"1.=空"_qs, u"1.5=无级"_qs});
    QMenu* popup = Ctrl->Menu->PopupMenu(1);
    ASSERT_TRUE(Ctrl->Menu->BuildMenu(popup, u"1"_qs));
    EXPECT_EQ(Names(popup), (QStringList{u"a21"_qs, u"a"_qs}));
    QMenu* sub = popup->actions()[0]->menu();
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(Names(sub), QStringList{u"a33"_qs});
    EXPECT_EQ(Names(sub->actions()[0]->menu()), QStringList{u"a47"_qs});
    EXPECT_EQ(Ctrl->Menu->Items.count(nullptr), 4);
}

TEST_F(MenuTest, ABuiltMenuSwitchesTheMainWindowsFlatPainterOn) {
    WriteMenus(kMainMenu);
    ASSERT_NE(form_->XPMenu1, nullptr);
    EXPECT_FALSE(form_->XPMenu1->Active()) << "the painter starts inactive";
    QMenu* popup = Ctrl->Menu->PopupMenu(1);
    ASSERT_TRUE(Ctrl->Menu->BuildMenu(popup, u"1"_qs));
    EXPECT_TRUE(form_->XPMenu1->Active());
    EXPECT_EQ(popup->style(), form_->XPMenu1) << "the main window's pop-up is drawn by the painter";
}
