// The dispatcher: command texts, clicks, the pending command, and the rows of menus 0, 1, 3 and 5
// on a main window over a private install folder.
#include <QCoreApplication>

#include "player/display/display.h"
#include "player/playback/run.h"
#include "player/playlist/playlist_box.h"
#include "player/skin/skin_sprites.h"
#include "player/video/form4.h"
#include "tests/menu_test_support.h"

namespace {

void Click(const QString& itemName) {
    QAction item;
    item.setObjectName(itemName);
    Ctrl->Menu->DoCommand(&item);
}

QString Entry(const QString& path, const QString& time = QString()) {
    return u"<?"_qs + path + u"?>"_qs + (time.isEmpty() ? QString() : u"<#"_qs + time + u"#>"_qs);
}

class MenuCommandTest : public MenuTest {
protected:
    void SetUp() override {
        MenuTest::SetUp();
        form_->show();
        ASSERT_TRUE(PlaylistWindow && ListBox1);
        ListBox1->AutoPlayNewFile = false;
    }
    void Entries(const QStringList& entries) {
        ListBox1->SetItems(entries);
        ListBox1->RefreshAllTime();
    }
};

}  // namespace

TEST_F(MenuCommandTest, TextsWithoutAMenuDoNothingAndABadNumberLeavesNothingPending) {
    Ctrl->Menu->Execute(u"5"_qs);
    Ctrl->Menu->Execute(u".5"_qs);
    EXPECT_TRUE(messages_.isEmpty());
    Ctrl->Menu->Execute(u"1.x"_qs);
    EXPECT_EQ(messages_.size(), 1) << "a conversion error is shown";
    EXPECT_TRUE(Ctrl->Menu->Pending.isEmpty());
    Click(u"a61"_qs);
    EXPECT_EQ(calls_, QStringList{u"address"_qs}) << "the next click runs its own item";
}

TEST_F(MenuCommandTest, AClickDuringAModalCommandRunsItsOwnItem) {
    targets_->DuringAbout = [this] {
        targets_->DuringAbout = nullptr;
        Click(u"a61"_qs);
    };
    Ctrl->Menu->Execute(u"1.1"_qs);
    EXPECT_EQ(calls_, (QStringList{u"about"_qs, u"address"_qs}));
}

TEST_F(MenuCommandTest, AMenuClickRunsAfterTheMenuHasClosed) {
    WriteMenus({u"1.61=网址"_qs});
    QMenu* popup = Ctrl->Menu->PopupMenu(1);
    ASSERT_TRUE(Ctrl->Menu->BuildMenu(popup, u"1"_qs));
    popup->actions().value(0)->trigger();
    EXPECT_TRUE(calls_.isEmpty());
    QCoreApplication::processEvents();
    EXPECT_EQ(calls_, QStringList{u"address"_qs});
}

TEST_F(MenuCommandTest, VolumeStepsStopAtTheEnds) {
    Ctrl->Volume = 98;
    Ctrl->Menu->Execute(u"0.2"_qs);
    EXPECT_EQ(Ctrl->Volume, 100);
    Ctrl->Volume = 2;
    Ctrl->Menu->Execute(u"0.3"_qs);
    EXPECT_EQ(Ctrl->Volume, 0);
}

TEST_F(MenuCommandTest, VolumeStepsShowTheHeldThumb) {
    TDisplay& display = *Ctrl->Display;
    // Thumbs of plain colours, so the picture tells which one was copied.
    display.VolumeBmp = QImage(68, 440, QImage::Format_RGB32);
    display.VolumeBmp.fill(Qt::black);
    for (const auto& [rect, colour] : {std::pair{sliders::kThumbNormal, QColor(Qt::green)},
                                       std::pair{sliders::kThumbHeld, QColor(Qt::red)}})
        for (int y = rect.top(); y <= rect.bottom(); ++y)
            for (int x = rect.left(); x <= rect.right(); ++x) display.VolumeBmp.setPixelColor(x, y, colour);
    for (const QString& command : {u"0.2"_qs, u"0.3"_qs}) {
        Ctrl->Volume = 50;
        Ctrl->Menu->Execute(command);
        const QPoint thumb = sliders::VolumeThumbDest(sliders::VolumeThumb(Ctrl->Volume)).center();
        EXPECT_EQ(display.MainBuffer.pixelColor(thumb), QColor(Qt::red)) << command.toStdString();
    }
}

TEST_F(MenuCommandTest, RowMovesStayInsideThePlaylist) {
    Entries({Entry(u"/a.mp3"_qs), Entry(u"/b.mp3"_qs), Entry(u"/c.mp3"_qs)});
    ListBox1->SetItemIndex(-1);
    Ctrl->Menu->Execute(u"0.10"_qs);
    EXPECT_EQ(ListBox1->ItemIndex(), -1);
    Ctrl->Menu->Execute(u"0.11"_qs);
    EXPECT_EQ(ListBox1->ItemIndex(), 0);
    EXPECT_EQ(ListBox1->LastSelected, 0);
    Ctrl->Menu->Execute(u"0.10"_qs);
    EXPECT_EQ(ListBox1->ItemIndex(), 0);
    Ctrl->Menu->Execute(u"0.13"_qs);
    EXPECT_EQ(ListBox1->ItemIndex(), 2);
    Ctrl->Menu->Execute(u"0.11"_qs);
    EXPECT_EQ(ListBox1->ItemIndex(), 2);
    Ctrl->Menu->Execute(u"0.12"_qs);
    EXPECT_EQ(ListBox1->ItemIndex(), 0);
}

TEST_F(MenuCommandTest, DeletingAnEntryKeepsThePlayingIndexOnItsEntry) {
    Entries({Entry(u"/a.mp3"_qs, u"00:10"_qs), Entry(u"/b.mp3"_qs, u"00:20"_qs), Entry(u"/c.mp3"_qs),
             Entry(u"/d.mp3"_qs)});
    const int total = ListBox1->TotalSeconds;
    Ctrl->Run->Index = 2;
    ListBox1->LastSelected = 1;
    Ctrl->Menu->Execute(u"3.4"_qs);
    EXPECT_EQ(ListBox1->Count(), 3);
    EXPECT_EQ(Ctrl->Run->Index, 1) << "still the entry /c.mp3";
    EXPECT_EQ(ListBox1->TotalSeconds, total - 20);
    ListBox1->LastSelected = 1;
    Ctrl->Menu->Execute(u"3.4"_qs);
    EXPECT_EQ(Ctrl->Run->Index, -1) << "the playing entry went";
    ListBox1->LastSelected = 1;
    Ctrl->Menu->Execute(u"3.4"_qs);
    EXPECT_EQ(ListBox1->Items(), QStringList{Entry(u"/a.mp3"_qs, u"00:10"_qs)});
    EXPECT_EQ(ListBox1->LastSelected, 0);
    ListBox1->LastSelected = 5;
    Ctrl->Menu->Execute(u"3.4"_qs);
    EXPECT_EQ(ListBox1->Count(), 1);
}

TEST_F(MenuCommandTest, RemovalFiltersMoveThePlayingIndex) {
    Entries({Entry(u"/a.mp3"_qs), Entry(u"http://x/s"_qs, u"01:00"_qs), Entry(u"/b.mp3"_qs)});
    Ctrl->Run->Index = 1;
    Ctrl->Menu->Execute(u"5.1"_qs);
    EXPECT_EQ(ListBox1->Items(), QStringList{Entry(u"http://x/s"_qs, u"01:00"_qs)});
    EXPECT_EQ(Ctrl->Run->Index, 0);
    EXPECT_EQ(ListBox1->TotalSeconds, 60);
    Ctrl->Menu->Execute(u"5.3"_qs);
    EXPECT_EQ(ListBox1->Count(), 0);
    EXPECT_EQ(Ctrl->Run->Index, -1);
    EXPECT_EQ(ListBox1->TotalSeconds, 0);
}

TEST_F(MenuCommandTest, AddToFavouritesProposesTheFirstTitleWithNothingSelected) {
    Ctrl->Menu->Execute(u"1.26"_qs);
    EXPECT_TRUE(calls_.isEmpty()) << "an empty playlist proposes nothing";
    Entries({Entry(u"/歌一.mp3"_qs), Entry(u"/歌二.mp3"_qs)});
    ListBox1->SetItemIndex(-1);
    Ctrl->Menu->Execute(u"1.26"_qs);
    EXPECT_EQ(calls_, QStringList{u"favourite "_qs + ListBox1->GetTitle(0)});
}

TEST_F(MenuCommandTest, AFavouriteLoadsItsListOnlyWhileTheFileExists) {
    Entries({Entry(u"/a.mp3"_qs)});
    QAction favourite;
    favourite.setObjectName(u"a1000"_qs);
    favourite.setData(u"旧"_qs);
    Ctrl->Menu->DoCommand(&favourite);
    EXPECT_EQ(ListBox1->Count(), 1) << "a list deleted since the menu was built";
    WriteLines("Favor/旧.kpl", {u"[playlist]"_qs});
    Ctrl->Menu->DoCommand(&favourite);
    EXPECT_NE(ListBox1->Items(), QStringList{Entry(u"/a.mp3"_qs)}) << "the favourite replaced the playlist";
    Ctrl->Menu->Execute(u"1.100"_qs);
}

TEST_F(MenuCommandTest, StopRunsFromItsCommand) {
    Ctrl->Run->Position = 1234;
    Ctrl->Run->Length = 5000;
    Ctrl->Menu->Execute(u"1.12"_qs);
    EXPECT_EQ(Ctrl->Run->Position, 0);
    EXPECT_EQ(Ctrl->Run->Length, 0);
}

TEST_F(MenuCommandTest, MenusWhoseWindowIsMissingDoNothing) {
    ASSERT_FALSE(Form4);
    Ctrl->Menu->Execute(u"2.9"_qs);
    EXPECT_TRUE(calls_.isEmpty());
    Ctrl->Display->BuildVideoWindow(true);
    ASSERT_TRUE(Form4);
    Ctrl->Menu->Execute(u"2.9"_qs);
    EXPECT_EQ(calls_, QStringList{u"settings 4"_qs});
}

TEST_F(MenuCommandTest, TheBrowserClosedByItsCommandComesBackWhereItWas) {
    WaitForBrowser();
    const QRect place(123, 45, 300, 400);
    Form5->setGeometry(place);
    ASSERT_EQ(Form5->geometry(), place);
    Ctrl->Menu->Execute(u"1.22"_qs);
    ASSERT_FALSE(Form5);
    EXPECT_EQ(QRect(Ctrl->ReadInteger(u"MB_L"_qs, 0), Ctrl->ReadInteger(u"MB_T"_qs, 0), Ctrl->ReadInteger(u"MB_W"_qs, 0),
                    Ctrl->ReadInteger(u"MB_H"_qs, 0)),
              place);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    Ctrl->Menu->Execute(u"1.22"_qs);
    ASSERT_TRUE(Form5);
    EXPECT_EQ(Form5->geometry(), place);
}

TEST_F(MenuCommandTest, TheMainMenuHotkeyPopsItUpBesideTheMainWindow) {
    WriteMenus({u"1.11=关于"_qs, u"1.121=停止"_qs});
    Ctrl->Menu->Execute(u"0.1"_qs);
    QMenu* popup = Ctrl->Menu->PopupMenu(1);
    EXPECT_EQ(Names(popup), (QStringList{u"a11"_qs, u"a121"_qs}));
    EXPECT_TRUE(popup->isVisible());
    popup->hide();
}

TEST_F(MenuCommandTest, ThePlayersOwnTargetsRunWithoutTheDialogs) {
    Ctrl->Menu->SetTargets(nullptr);  // what the player has before the program installs more
    ASSERT_TRUE(PlaylistWindow->isVisible());
    Ctrl->Menu->Execute(u"1.16"_qs);
    EXPECT_EQ(Ctrl->ReadString("PL_Open", ""), "0") << "the menu item clicks the PL button";
    EXPECT_FALSE(PlaylistWindow && PlaylistWindow->isVisible());
    EXPECT_FALSE(Ctrl->Menu->Targets().LyricsLoaded());
    Ctrl->Menu->Targets().SetLyricsLiteral(false);  // no lyrics loaded: nothing to redraw
}

namespace {

TEST_F(MenuCommandTest, AlwaysOnTopTogglesTheFlagTheSettingAndTheWindows) {
    Form1->AppOnTop = 0;
    Ctrl->Menu->Execute(u"1.14"_qs);
    EXPECT_EQ(Form1->AppOnTop, 1);
    EXPECT_EQ(Ctrl->ReadInteger(u"AppOnTop"_qs, -1), 1);
    Ctrl->Menu->Execute(u"1.14"_qs);
    EXPECT_EQ(Form1->AppOnTop, 0);
    EXPECT_EQ(Ctrl->ReadInteger(u"AppOnTop"_qs, -1), 0);
    EXPECT_EQ(targets_->Also, QStringList({u"on top 1"_qs, u"on top 0"_qs}));
}

TEST_F(MenuCommandTest, VideoWindowCommandBuildsShowsLoadsLyricsAndHides) {
    dir_.write("Plugins/MenuPlus.ini", "");
    TRun& run = *Ctrl->Run;
    run.VideoWidth = 0;
    run.Length = 0;
    Ctrl->Menu->Execute(u"1.19"_qs);
    ASSERT_TRUE(Form4);
    EXPECT_TRUE(Form4->isVisible());
    EXPECT_EQ(QSize(run.VideoWidth, run.VideoHeight), QSize(360, 268)) << "no video size yet";
    EXPECT_FALSE(targets_->Also.contains(u"load lyrics"_qs)) << "no track: no lyrics to look for";
    Ctrl->Menu->Execute(u"1.19"_qs);
    ASSERT_TRUE(Form4);
    EXPECT_FALSE(Form4->isVisible());
    run.Length = 5000;
    run.VideoWidth = 320;
    run.VideoHeight = 240;
    Ctrl->Menu->Execute(u"1.19"_qs);
    EXPECT_TRUE(Form4->isVisible());
    EXPECT_EQ(run.VideoWidth, 320);
    EXPECT_EQ(targets_->Also.count(u"load lyrics"_qs), 1);
    Form4->hide();
    targets_->Lyrics = true;
    Ctrl->Menu->Execute(u"1.19"_qs);
    EXPECT_EQ(targets_->Also.count(u"load lyrics"_qs), 1) << "lyrics already loaded";
    run.Length = 0;
}

TEST_F(MenuCommandTest, SortCommandsOrderThePlaylist) {
    const QString c = Entry(u"/z/c.mp3"_qs, u"00:30"_qs), a = Entry(u"/y/a.ogg"_qs, u"00:10"_qs),
                  b = Entry(u"/x/b.wav"_qs, u"00:20"_qs);
    struct Sort {
        int item;
        QStringList before, after;
    };
    const Sort sorts[] = {{1, {c, a, b}, {a, b, c}}, {2, {c, a, b}, {c, a, b}}, {2, {a, b, c}, {c, a, b}},
                          {3, {c, a, b}, {b, a, c}}, {4, {c, b, a}, {a, b, c}}, {5, {a, c, b}, {b, c, a}}};
    for (const auto& [item, before, order] : sorts) {
        Entries(before);
        Ctrl->Menu->Execute(u"6."_qs + QString::number(item));
        EXPECT_EQ(ListBox1->Items(), order) << "6." << item;
    }
    Entries({c, a, b});
    Ctrl->Menu->Execute(u"6.6"_qs);
    QStringList shuffled = ListBox1->Items(), all{c, a, b};
    shuffled.sort();
    all.sort();
    EXPECT_EQ(shuffled, all) << "the same entries";
    Entries({c, a, b});
    Ctrl->Menu->Execute(u"6.7"_qs);
    EXPECT_EQ(ListBox1->Items(), QStringList({c, a, b})) << "no row";
}

TEST_F(MenuCommandTest, DisplayCommandsSetTheExtensionAndPathFlags) {
    Ctrl->Menu->Execute(u"7.1"_qs);
    EXPECT_EQ(Ctrl->ReadInteger(u"ShowFileExt"_qs, -1), 1);
    EXPECT_TRUE(ListBox1->ShowFileExt);
    Ctrl->Menu->Execute(u"7.1"_qs);
    EXPECT_EQ(Ctrl->ReadInteger(u"ShowFileExt"_qs, -1), 0);
    EXPECT_FALSE(ListBox1->ShowFileExt);
    Ctrl->Menu->Execute(u"7.3"_qs);
    EXPECT_EQ(Ctrl->ReadInteger(u"ShowFilePath"_qs, -1), 1);
    EXPECT_TRUE(ListBox1->ShowFilePath);
    Ctrl->Menu->Execute(u"7.3"_qs);
    EXPECT_TRUE(ListBox1->ShowFilePath) << "7.3 sets, it does not toggle";
    Ctrl->Menu->Execute(u"7.2"_qs);
    EXPECT_EQ(Ctrl->ReadInteger(u"ShowFilePath"_qs, -1), 0);
    EXPECT_FALSE(ListBox1->ShowFilePath);
}

}  // namespace
