// The playlist box's inputs and orders: arguments, files, playlist files, folder and CD scans,
// the six sort modes and the time total, on the box of a main window over a private install folder.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTimer>
#include <QtCore/qtestsupport_core.h>

#include "platform/drives.h"
#include "platform/message_box.h"
#include "platform/registry.h"
#include "platform/text_file.h"
#include "player/core/ctrl.h"
#include "player/display/display.h"
#include "player/app/form1.h"
#include "player/playlist/list_loader.h"
#include "player/playlist/playlist_box.h"
#include "player/playlist/playlist_files.h"
#include "player/playlist/playlist_item.h"
#include "player/playlist/saved_list.h"
#include "player/playback/run.h"
#include "tests/fifo_watchdog.h"
#include "tests/test_support.h"

namespace {

class PlaylistBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_.write("Plugins/FilePlus.ini",
                   "[decode_setup]\r\nDECODE0=*.MP3;*.wav\r\nDECODE1=*.cda\r\nDECODE2=*.wma;*.mid\r\n"
                   "DECODE3=*.avi;*.dat\r\n");
        form_ = new TForm1(dir_.path() + "/");
        box_ = ListBox1;
        ASSERT_NE(box_, nullptr);
        box_->UseReverse = true;
        box_->AutoPlayNewFile = true;
    }
    void TearDown() override {
        form_->QuietClose = true;
        form_->close();
        delete form_;
        platform::SetFakeDrives(std::nullopt);
        platform::SetMessageRecorder({});
    }
    QStringList Paths() const {
        QStringList paths;
        for (const QString& entry : box_->Items()) paths << playlist::PathField(entry).toString();
        return paths;
    }
    // A file of `bytes` bytes (sparse), its folders made.
    QString Touch(const QString& name, qint64 bytes = 0) const {
        dir_.write(name, "");
        QFile(dir_.file(name)).resize(bytes);
        return dir_.file(name);
    }
    void Lines(const QString& name, const QStringList& lines) const {
        QString error;
        ASSERT_TRUE(platform::WriteTextLines(dir_.file(name), lines, &error)) << error.toStdString();
    }

    testing_support::TempFolder dir_;
    TForm1* form_ = nullptr;
    QPointer<TListBox1> box_;
};

TEST_F(PlaylistBoxTest, AddFileGoesToTheTopAndThePlayingEntryMovesDown) {
    box_->SetItems({"<?/m/a.mp3?>", "<?/m/b.mp3?>", "<?/m/c.mp3?>"});
    Ctrl->Run->Index = 2;
    box_->LastSelected = 1;
    box_->addFile("/m/new.mp3", false);
    EXPECT_EQ(box_->Item(0), "<?/m/new.mp3?>");
    EXPECT_EQ(Ctrl->Run->Index, 3);
    EXPECT_EQ(box_->LastSelected, -1);
    EXPECT_EQ(box_->ItemIndex(), -1);
    box_->addFile("<*Radio*><?mms://h/s?>", true);
    EXPECT_EQ(box_->Item(0), "<*Radio*><?mms://h/s?>") << "an entry stays as it is";
    EXPECT_EQ(Ctrl->Run->Index, 0) << "played";

    box_->UseReverse = false;
    box_->addFile("/m/last.mp3", true);
    EXPECT_EQ(box_->Item(box_->Count() - 1), "<?/m/last.mp3?>");
    EXPECT_EQ(Ctrl->Run->Index, box_->Count() - 1);
    box_->AutoPlayNewFile = false;
    box_->addFile("/m/quiet.mp3", true);
    EXPECT_EQ(Ctrl->Run->Index, box_->Count() - 2);
}

TEST_F(PlaylistBoxTest, ExistingListFileReplacesThePlaylist) {
    Lines("l.m3u", {"#EXTM3U", "music\\rel.mp3", "/m/1.mp3", "C:\\m\\2.wav", "http://h/play?id=3.mp3"});
    Lines("l.pls", {"[playlist]", "File1=http://h/x.mp3", "Title1=x.mp3", "Length1=9"});
    box_->SetItems({"<?/m/old.mp3?>"});
    Ctrl->Run->Index = 0;
    box_->addFile(dir_.file("l.m3u"), true);
    EXPECT_EQ(Paths(), (QStringList{"/m/1.mp3", "C:\\m\\2.wav", "http://h/play?id=3.mp3"})) << "in file order";
    EXPECT_EQ(Ctrl->Run->Index, -1);
    box_->addFile(dir_.file("l.pls"), false);
    EXPECT_EQ(Paths(), QStringList{"http://h/x.mp3"});
    box_->addFile(dir_.file("gone.m3u"), false);
    EXPECT_EQ(box_->Item(0), "<?" + dir_.file("gone.m3u") + "?>") << "a missing list is an entry";
}

TEST_F(PlaylistBoxTest, KplReplaceKeepsEveryLineAndAppendKeepsFileOrderOnTop) {
    Lines("a.kpl", {"<?/m/a.mp3?><#01:00#>", "", "<?/m/nested.KPL?>", "<?/m/c.mp3?><#123:04#>"});
    box_->loadList(dir_.file("a.kpl"), true);
    EXPECT_EQ(box_->Count(), 4) << "the empty line too";
    EXPECT_EQ(box_->TotalSeconds, 60) << "123:04 is shown, never counted";

    box_->SetItems({"<?/m/x.mp3?>"});
    box_->loadList(dir_.file("a.kpl"), false);
    EXPECT_EQ(Paths(), (QStringList{"/m/a.mp3", "/m/c.mp3", "/m/x.mp3"}));
    box_->UseReverse = false;
    box_->SetItems({"<?/m/x.mp3?>"});
    box_->loadList(dir_.file("a.kpl"), false);
    EXPECT_EQ(Paths(), (QStringList{"/m/x.mp3", "/m/a.mp3", "/m/c.mp3"}));
}

// A list file's entries go in as one block in file order, where UseReverse puts new entries, and
// the playing entry keeps playing.
TEST_F(PlaylistBoxTest, AppendedListsGoInAsOneBlockAndThePlayingEntryStays) {
    Lines("l.m3u", {"#EXTM3U", "#EXTINF:10,One", "/m/1.mp3", "/m/2.wma", "/m/3.mp3"});
    Lines("l.pls", {"[playlist]", "File1=/m/p1.mp3", "Title1=p1", "File2=/m/p2.mp3"});
    box_->SetItems({"<?/m/old0.mp3?>", "<?/m/old1.mp3?>"});
    Ctrl->Run->Index = 1;
    box_->loadList(dir_.file("l.m3u"), false);
    EXPECT_EQ(Paths(), (QStringList{"/m/1.mp3", "/m/2.wma", "/m/3.mp3", "/m/old0.mp3", "/m/old1.mp3"}));
    EXPECT_EQ(Ctrl->Run->Index, 4) << "the playing entry moved down with the block";
    box_->UseReverse = false;
    box_->loadList2(dir_.file("l.pls"));
    EXPECT_EQ(Paths().mid(5), (QStringList{"/m/p1.mp3", "/m/p2.mp3"}));
    EXPECT_EQ(Ctrl->Run->Index, 4);
}

// A list named in a list gives its own entries in its place.
TEST_F(PlaylistBoxTest, ListNamedInAListIsReadInItsPlace) {
    Lines("inner.m3u", {"/m/i1.mp3", "/m/i2.mp3"});
    Lines("outer.kpl", {"/m/first.mp3", dir_.file("inner.m3u"), "/m/last.mp3"});
    box_->SetItems({"<?/m/x.mp3?>"});
    box_->loadList(dir_.file("outer.kpl"), false);
    EXPECT_EQ(Paths(), (QStringList{"/m/first.mp3", "/m/i1.mp3", "/m/i2.mp3", "/m/last.mp3", "/m/x.mp3"}));
}

// Seven lists of eleven lines, each naming the next one twice: read once each, not 127 times,
// and every reference gives the whole list.
TEST_F(PlaylistBoxTest, ListsNamedOverAndOverAreReadOncePerLoad) {
    QStringList shown;
    platform::SetMessageRecorder([&](const QString& text, const QString&, platform::MessageIcon) { shown << text; });
    for (int k = 0; k < 7; ++k) {
        QStringList lines;
        for (int t = 0; t < 9; ++t) lines << QString("/m/%1-%2.mp3").arg(k).arg(t);
        if (k < 6) lines.insert(3, dir_.file(QString("%1.m3u").arg(k + 1)));
        if (k < 6) lines.insert(7, dir_.file(QString("%1.m3u").arg(k + 1)));
        Lines(QString("%1.m3u").arg(k), lines);
    }
    box_->loadList(dir_.file("0.m3u"), true);
    // 9 entries in the last list, then 2 x the next list + 9 in each before it.
    EXPECT_EQ(box_->Count(), 1143);
    EXPECT_EQ(Paths().mid(0, 5), (QStringList{"/m/0-0.mp3", "/m/0-1.mp3", "/m/0-2.mp3", "/m/1-0.mp3", "/m/1-1.mp3"}));
    EXPECT_TRUE(shown.isEmpty()) << "nothing was cut short";
}

// A chain of lists deeper than the player follows is cut, and the user is told once.
TEST_F(PlaylistBoxTest, DeepChainOfListsIsCutAndSaidOnce) {
    QStringList shown;
    platform::SetMessageRecorder([&](const QString& text, const QString&, platform::MessageIcon) { shown << text; });
    constexpr int kChain = 2000;
    for (int k = 0; k < kChain; ++k) {
        QFile file(dir_.file(QString("c%1.m3u").arg(k)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QString("/m/%1.mp3\r\n%2\r\n").arg(k).arg(dir_.file(QString("c%1.m3u").arg(k + 1))).toUtf8());
    }
    box_->loadList(dir_.file("c0.m3u"), true);
    const playlist::ListLoadLimits limits;
    EXPECT_EQ(box_->Count(), limits.maxDepth + 1);
    EXPECT_EQ(Paths().last(), QString("/m/%1.mp3").arg(limits.maxDepth));
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].contains("嵌套")) << shown[0].toStdString();
}

// Entries are saved one per line: a line end inside a name or argument must not split an entry
// or smuggle a second one into the saved list.
TEST_F(PlaylistBoxTest, ControlCharactersNeverReachAnEntry) {
    QStringList shown;
    platform::SetMessageRecorder([&](const QString& text, const QString&, platform::MessageIcon) { shown << text; });
    box_->addFile("/m/a\nb.mp3", true);
    box_->addParam("/m/x.mp3\r\n<?/m/evil.mp3?>");
    box_->addParam("vmp://x<ONE>www.host.cn/a\n.mp3");
    EXPECT_EQ(box_->Count(), 0);
    dir_.write("l.m3u", "/m/bell\x07.mp3\r\n/m/ok.mp3\t\r\n");
    box_->loadList(dir_.file("l.m3u"), false);
    EXPECT_EQ(Paths(), QStringList{"/m/ok.mp3"}) << "only the ends of a line are trimmed";
    EXPECT_EQ(shown.size(), 1) << "the skipped line is reported once";
    Touch("t/bad\nname.mp3");
    Touch("t/good.mp3");
    box_->SearchFile(dir_.file("t"), false);
    EXPECT_EQ(Paths(), (QStringList{dir_.file("t/good.mp3"), "/m/ok.mp3"}));
    ASSERT_TRUE(playlist::WriteKpl(dir_.file("saved.kpl"), box_->Items()));
    const QStringList saved = box_->Items();
    box_->loadList(dir_.file("saved.kpl"), true);
    EXPECT_EQ(box_->Items(), saved);
}

// A file of one 20 MB line would be looked through on every paint: no entry is that long.
TEST_F(PlaylistBoxTest, OverlongTextsNeverBecomeEntries) {
    QStringList shown;
    platform::SetMessageRecorder([&](const QString& text, const QString&, platform::MessageIcon) { shown << text; });
    const QString longPath = "/m/" + QString(playlist::kMaxEntryChars, 'a') + ".mp3";
    box_->addFile(longPath, true);
    EXPECT_EQ(box_->Count(), 0);
    dir_.write("long.m3u", (longPath + "\r\n/m/ok.mp3\r\n" + longPath).toUtf8());
    box_->loadList(dir_.file("long.m3u"), true);
    EXPECT_EQ(Paths(), QStringList{"/m/ok.mp3"});
    dir_.write("long.kpl", ("<?" + longPath + "?>\r\n<?/m/k.mp3?>\r\n").toUtf8());
    box_->loadList(dir_.file("long.kpl"), true);
    EXPECT_EQ(box_->Items(), QStringList{"<?/m/k.mp3?>"});
    ASSERT_EQ(shown.size(), 2) << "once per load";
    EXPECT_TRUE(shown[0].contains("2")) << shown[0].toStdString();
}

TEST_F(PlaylistBoxTest, MediaPlayerTypesAreListedAndScanned) {
    Lines("l.m3u", {"/m/a.wma", "/m/b.MID", "/m/c.txt"});
    box_->loadList(dir_.file("l.m3u"), true);
    EXPECT_EQ(Paths(), (QStringList{"/m/a.wma", "/m/b.MID"}));
    Touch("t/song.mid");
    box_->UseReverse = false;
    box_->SearchFile(dir_.file("t"), false);
    EXPECT_EQ(Paths().last(), dir_.file("t/song.mid"));
}

TEST_F(PlaylistBoxTest, ListsNamingThemselvesOrEachOtherAreReadOnce) {
    Lines("self.m3u", {dir_.file("self.m3u"), "/m/s.mp3"});
    box_->loadList(dir_.file("self.m3u"), true);
    EXPECT_EQ(Paths(), QStringList{"/m/s.mp3"});

    Lines("a.m3u", {"/m/a.mp3", dir_.file("b.m3u")});
    Lines("b.m3u", {"/m/b.mp3", dir_.file("a.kpl")});
    Lines("a.kpl", {dir_.file("a.m3u")});
    box_->loadList(dir_.file("a.kpl"), false);
    EXPECT_EQ(Paths(), (QStringList{"/m/a.mp3", "/m/b.mp3", "/m/s.mp3"})) << "b's mention of a.kpl was skipped";
    box_->loadList(dir_.file("self.m3u"), true);
    EXPECT_EQ(Paths(), QStringList{"/m/s.mp3"}) << "a list read before can be read again";
}

TEST_F(PlaylistBoxTest, UnreadableListLeavesTheRowsAndSaysWhy) {
    QStringList shown;
    platform::SetMessageRecorder([&](const QString& text, const QString&, platform::MessageIcon) { shown << text; });
    QDir().mkpath(dir_.file("folder.m3u"));
    QDir().mkpath(dir_.file("folder.kpl"));
    box_->SetItems({"<?/m/keep.mp3?>"});
    box_->loadList(dir_.file("folder.m3u"), true);
    box_->loadList(dir_.file("folder.kpl"), true);
    EXPECT_EQ(Paths(), QStringList{"/m/keep.mp3"});
    ASSERT_EQ(shown.size(), 2);
    EXPECT_TRUE(shown[1].contains("folder.kpl"));
}

TEST_F(PlaylistBoxTest, ChineseNamesRoundTripInGb18030AndUtf8) {
    const QString entry = "<?/音乐/北京.mp3?><*北京欢迎你*><#04:01#>";
    dir_.write("gb.kpl", platform::EncodeGb18030(entry + "\r\n"));
    box_->loadList(dir_.file("gb.kpl"), true);
    EXPECT_EQ(box_->Items(), QStringList{entry});
    dir_.write("u8.m3u", QString("\xEF\xBB\xBF/音乐/上海.mp3\n").toUtf8());
    dir_.write("gb.m3u", platform::EncodeGb18030("/音乐/中国.MP3\r\n"));
    box_->loadList(dir_.file("u8.m3u"), false);
    box_->loadList(dir_.file("gb.m3u"), false);
    EXPECT_EQ(Paths(), (QStringList{"/音乐/中国.MP3", "/音乐/上海.mp3", "/音乐/北京.mp3"}));
    ASSERT_TRUE(playlist::WriteKpl(dir_.file("out.kpl"), box_->Items()));
    ASSERT_TRUE(playlist::WriteM3u(dir_.file("out.m3u"), box_->Items()));
    const QStringList saved = box_->Items();
    box_->loadList(dir_.file("out.kpl"), true);
    EXPECT_EQ(box_->Items(), saved);
    box_->UseReverse = false;
    box_->loadList(dir_.file("out.m3u"), true);
    EXPECT_EQ(Paths(), (QStringList{"/音乐/中国.MP3", "/音乐/上海.mp3", "/音乐/北京.mp3"}));
}

TEST_F(PlaylistBoxTest, AddParamRoutes) {
    platform::TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("Software\\Velmora", true));
    reg.WriteString("ParamStr", "/m/handed.mp3");
    box_->addParam("<ALL>");
    EXPECT_EQ(Paths(), QStringList{"/m/handed.mp3"});
    EXPECT_FALSE(reg.ValueExists("ParamStr")) << "read once";
    box_->addParam("<ALL>");
    box_->addParam("");
    box_->addParam("vmp://list<ALL>http://h/a.mp3");
    box_->addParam("VMP://other");
    box_->addParam("vmp://x<ONE>a.b/c");  // http://a.b/c: 12 characters, dropped
    EXPECT_EQ(box_->Count(), 1);
    box_->addParam("vmp://x<ONE>www.host.cn/a.mp3");
    box_->addParam("Vmp://x<ONE>mms://host/live");
    EXPECT_EQ(Paths(), (QStringList{"mms://host/live", "http://www.host.cn/a.mp3", "/m/handed.mp3"}));

    dir_.write("in/Cool.WSZ", "new");
    dir_.write("skins/cool.wsz", "old");
    dir_.write("in/Other.wsz", "other");
    box_->addParam(dir_.file("in/Cool.WSZ"));
    box_->addParam(dir_.file("in/Other.wsz"));
    box_->addParam("http://h/web.wsz");
    EXPECT_EQ(dir_.read("skins/cool.wsz"), "old") << "a skin of that name is kept";
    EXPECT_EQ(dir_.read("skins/Other.wsz"), "other");
    EXPECT_EQ(Ctrl->ReadString("SkinsPath", ""), dir_.path() + "/skins/");
    EXPECT_EQ(Paths().first(), "http://h/web.wsz");
}

TEST_F(PlaylistBoxTest, SortsReverseAndShuffleKeepThePlayingEntry) {
    box_->SetItems({"<?/m/c.mp3?><#03:00#>", "<?/m/b.ogg?>", "<?/m/d.mp3?><#01:00#>", "<?/m/A.wav?>"});
    Ctrl->Run->Index = 0;
    box_->LastSelected = 3;
    box_->listSorted(4);
    EXPECT_EQ(Paths(), (QStringList{"/m/A.wav", "/m/b.ogg", "/m/d.mp3", "/m/c.mp3"}))
        << "no time first, then by the entry text, case ignored";
    EXPECT_EQ(Ctrl->Run->Index, 3);
    EXPECT_EQ(box_->LastSelected, 3) << "a row number, as the highlight stays on its row";
    box_->listSorted(2);
    EXPECT_EQ(Paths(), (QStringList{"/m/c.mp3", "/m/d.mp3", "/m/b.ogg", "/m/A.wav"}));
    EXPECT_EQ(Ctrl->Run->Index, 0);

    box_->SetItems({"<?/m/中国.mp3?>", "<?/m/上海.mp3?>", "<*北京*><?http://h/x?>"});
    box_->listSorted(1);
    EXPECT_EQ(box_->GetTitle(0), "北京") << "Han by pinyin: b < s < z";
    EXPECT_EQ(box_->GetTitle(1), "上海");
    EXPECT_EQ(box_->GetTitle(2), "中国");

    box_->SetItems({"<?/1?>", "<?/2?>", "<?/3?>", "<?/4?>", "<?/5?>"});
    Ctrl->Run->Index = 1;
    box_->listSorted(5);
    EXPECT_EQ(Paths(), (QStringList{"/5", "/4", "/3", "/2", "/1"}));
    EXPECT_EQ(Ctrl->Run->Index, 3);
    for (int round = 0; round < 20; ++round) {
        box_->listSorted(6);
        ASSERT_EQ(box_->Item(Ctrl->Run->Index), "<?/2?>");
    }
    QStringList shuffled = Paths();
    shuffled.sort();
    EXPECT_EQ(shuffled, (QStringList{"/1", "/2", "/3", "/4", "/5"}));
    box_->SetItems({});
    box_->listSorted(5);
    box_->listSorted(6);
    box_->listSorted(9);
    EXPECT_EQ(box_->Count(), 0);
}

TEST_F(PlaylistBoxTest, TimesTitlesAndWidth) {
    box_->SetItems({"<?/m/a.mp3?><#03:25#>", "<#123:04#><?/m/b.mp3?>", "<?http://h/dir/?>"});
    box_->RefreshAllTime();
    EXPECT_EQ(box_->TotalSeconds, 205);
    box_->ChangeTime(0, true);
    box_->ChangeTime(7, false);
    EXPECT_EQ(box_->TotalSeconds, 0);
    EXPECT_EQ(box_->GetTitle(0), "a");
    EXPECT_EQ(box_->GetTitle(2), "");

    const int before = box_->width();
    box_->initListWidth();
    EXPECT_EQ(box_->width(), before) << "no playlist window, nothing to fit";
    QWidget window;
    QWidget panel(&window);
    panel.resize(240, 100);
    PlaylistWindow = &window;
    box_->setParent(&panel);
    box_->resize(10, 28);
    box_->SetItems({"<?/1?>", "<?/2?>"});
    box_->initListWidth();
    EXPECT_EQ(box_->width(), 240);
    box_->SetItems({"<?/1?>", "<?/2?>", "<?/3?>"});
    box_->initListWidth();
    EXPECT_GE(box_->width(), 240 + 15) << "room for the clipped native scroll bar";
    box_->setParent(nullptr);
    PlaylistWindow = nullptr;
}

TEST_F(PlaylistBoxTest, FolderScanOrdersByMaskBeforeSubFoldersAndSkipsLinksAndHiddenFolders) {
    Touch("t/b.MP3");
    Touch("t/c.mp3");
    Touch("t/.dot.mp3");
    Touch("t/a.wav");
    Touch("t/readme.txt");
    Touch("t/clip.AVI");
    Touch("t/small.dat", 4 << 20);
    Touch("t/big.dat", 6 << 20);
    Touch("t/a/inner.mp3");
    Touch("t/.cache/hidden.mp3");
    Touch("t/l.m3u");
    Lines("t/l.m3u", {"/m/listed.mp3"});
    QDir().mkpath(dir_.file("t/folder.mp3"));
    ASSERT_TRUE(QFile::link(dir_.file("t"), dir_.file("t/loop")));
    const QString t = dir_.file("t/");
    const QStringList expected = {t + ".dot.mp3", t + "b.MP3", t + "c.mp3", t + "a.wav", t + "clip.AVI",
                                  t + "big.dat", t + "a/inner.mp3"};

    box_->UseReverse = false;
    box_->SearchFile(dir_.file("t"), true);
    EXPECT_EQ(Paths(), expected);

    box_->SetItems({"<?/m/playing.mp3?>"});
    Ctrl->Run->Index = 0;
    box_->UseReverse = true;
    Ctrl->WriteBool("AddListFile", true);
    box_->SearchFile(t, false);
    QStringList reversed = expected.mid(0, 6);
    std::reverse(reversed.begin(), reversed.end());
    EXPECT_EQ(Paths(), QStringList{"/m/listed.mp3"} + reversed + QStringList{"/m/playing.mp3"})
        << "the list is appended at its place; no sub-folder without recurse";
    EXPECT_EQ(box_->Item(Ctrl->Run->Index), "<?/m/playing.mp3?>") << "appending a list keeps the playing entry";
}

TEST_F(PlaylistBoxTest, ClosingCaptionStopsTheScan) {
    for (int i = 0; i < 600; ++i) Touch(QString("t/%1.mp3").arg(i, 3, 10, QChar('0')));
    Touch("t/sub/late.mp3");
    Form1->SetCaption("正在退出...");
    box_->SearchFile(dir_.file("t/"), true);
    EXPECT_EQ(box_->Count(), 0);

    Form1->SetCaption("dispForm1");
    QTimer::singleShot(0, [] { Form1->SetCaption("正在退出..."); });
    box_->SearchFile(dir_.file("t/"), true);
    EXPECT_GT(box_->Count(), 0);
    EXPECT_LT(box_->Count(), 600);
    EXPECT_FALSE(Paths().contains(dir_.file("t/sub/late.mp3")));
}

TEST_F(PlaylistBoxTest, ChangesDuringAScanKeepBothOrders) {
    for (int i = 0; i < 600; ++i) Touch(QString("t/%1.mp3").arg(i, 3, 10, QChar('0')));
    box_->UseReverse = false;
    int playing = -1;
    QTimer::singleShot(0, [&] {
        box_->addFile("/m/timer.mp3", true);
        playing = Ctrl->Run->Index;
    });
    box_->SearchFile(dir_.file("t/"), true);
    QStringList paths = Paths();
    ASSERT_EQ(paths.size(), 601);
    const int at = int(paths.indexOf("/m/timer.mp3"));
    EXPECT_GT(at, 0) << "added while the scan ran";
    EXPECT_LT(at, 600);
    EXPECT_EQ(playing, at);
    EXPECT_EQ(Ctrl->Run->Index, at) << "entries appended after it leave it in place";
    paths.removeAt(at);
    for (int i = 0; i < 600; ++i) ASSERT_EQ(paths[i], dir_.file(QString("t/%1.mp3").arg(i, 3, 10, QChar('0'))));
}

TEST_F(PlaylistBoxTest, CdScanCoversOpticalDrivesOnlyWithAudioTracks) {
    Touch("disc/video.avi");
    Touch("disk/not-optical.mp3");
    platform::SetFakeDrives(QList<platform::Drive>{{dir_.file("disk/"), platform::DriveType::Fixed, {}},
                                                   {dir_.file("disc/"), platform::DriveType::CdRom, {}},
                                                   {"/dev/fake-sr9/", platform::DriveType::CdRom, {2, 3}}});
    box_->SetItems({"<?/m/playing.mp3?>"});
    Ctrl->Run->Index = 0;
    box_->SearchCDROM();
    EXPECT_EQ(Paths(), (QStringList{"/dev/fake-sr9/Track03.cda", "/dev/fake-sr9/Track02.cda",
                                    dir_.file("disc/video.avi"), "/m/playing.mp3"}));
    EXPECT_EQ(Ctrl->Run->Index, 3) << "the playing entry moved down with every entry on top";
}

// The saved list follows the rows: a burst of changes (a large load, a scan, entries one by one,
// renames and drags) is one write of the whole list once the rows are still, never one per change.
TEST_F(PlaylistBoxTest, ABurstOfChangesToALargeListIsOneWriteOfTheSavedList) {
    TSavedList* const saved = box_->SavedList();
    ASSERT_NE(saved, nullptr);
    EXPECT_EQ(saved->Path(), dir_.file("velmora.kpl"));
    const int before = saved->Writes();
    QStringList large;
    for (int i = 0; i < 100000; ++i) large << QString("<?/big/%1.mp3?>").arg(i);
    Lines("big.kpl", large);
    for (int i = 0; i < 600; ++i) Touch(QString("t/%1.mp3").arg(i, 3, 10, QChar('0')));

    box_->loadList(dir_.file("big.kpl"), true);
    box_->SearchFile(dir_.file("t/"), true);  // lets the message loop run as it goes
    for (int i = 0; i < 300; ++i) box_->addFile(QString("/one/%1.mp3").arg(i), false);
    for (int i = 0; i < 50; ++i) box_->Model()->Replace(i, box_->Item(i) + "<#03:25#>");
    box_->Model()->Swap(0, 1);
    ASSERT_EQ(box_->Count(), 100900);
    EXPECT_EQ(saved->Writes(), before) << "nothing written while the rows change";

    ASSERT_TRUE(QTest::qWaitFor([&] { return saved->Writes() > before; }, 20000));
    EXPECT_EQ(saved->Writes(), before + 1);
    EXPECT_FALSE(saved->SavePending()) << "no second write is waiting";
    QStringList written;
    ASSERT_TRUE(playlist::ReadKpl(dir_.file("velmora.kpl"), &written));
    EXPECT_EQ(written, box_->Items());
}

}  // namespace

// ---- list files read safely --------------------------------------------------------------------

namespace safe_reading {

using testing_support::FifoWatchdog;

// A FIFO named like a list is there, so it goes to the reader, which refuses it at once and says
// why; the rows stay. Opening it would wait for a writer, with the player frozen.
TEST_F(PlaylistBoxTest, FifoNamedLikeAListIsRefusedAtOnce) {
    QStringList shown;
    platform::SetMessageRecorder([&](const QString& text, const QString&, platform::MessageIcon) { shown << text; });
    box_->SetItems({"<?/m/keep.mp3?>"});
    FifoWatchdog m3u(dir_.file("x.m3u"));
    FifoWatchdog kpl(dir_.file("x.kpl"));
    ASSERT_TRUE(m3u.Made() && kpl.Made());
    m3u.Run([&] { box_->addFile(dir_.file("x.m3u"), false); });
    kpl.Run([&] { box_->loadList(dir_.file("x.kpl"), true); });
    EXPECT_FALSE(m3u.Released() || kpl.Released()) << "a load waited on the FIFO";
    EXPECT_EQ(Paths(), QStringList{"/m/keep.mp3"});
    ASSERT_EQ(shown.size(), 2);
    EXPECT_TRUE(shown[0].contains(dir_.file("x.m3u")) && shown[0].contains("not a regular file")) << shown[0].toStdString();
}

// A scan passes FIFOs by, list or not: nothing in them could be played or read.
TEST_F(PlaylistBoxTest, ScanSkipsFifosWithoutOpeningThem) {
    QStringList shown;
    platform::SetMessageRecorder([&](const QString& text, const QString&, platform::MessageIcon) { shown << text; });
    Ctrl->WriteBool("AddListFile", true);
    Touch("t/real.mp3");
    FifoWatchdog list(dir_.file("t/x.m3u"));
    FifoWatchdog song(dir_.file("t/pipe.mp3"));
    ASSERT_TRUE(list.Made() && song.Made());
    list.Run([&] { box_->SearchFile(dir_.file("t"), false); });
    EXPECT_FALSE(list.Released()) << "the scan waited on the FIFO";
    EXPECT_EQ(Paths(), QStringList{dir_.file("t/real.mp3")});
    EXPECT_TRUE(shown.isEmpty()) << shown.join(u'\n').toStdString();
}

// A list file is read up to its bound, in whole lines, and the user is told it was cut.
TEST_F(PlaylistBoxTest, ListLargerThanItsBoundLoadsItsHeadAndSaysSo) {
    QStringList shown;
    platform::SetMessageRecorder([&](const QString& text, const QString&, platform::MessageIcon) { shown << text; });
    // Long enough lines that the bytes, not the entries of one load, run out first.
    const QByteArray line = "/m/" + QByteArray(191, 'a') + ".mp3\r\n";  // 200 bytes
    ASSERT_LT(playlist::kMaxListFileBytes / line.size(), playlist::ListLoadLimits{}.maxEntries);
    const qint64 lines = playlist::kMaxListFileBytes / line.size() + 1000;
    {
        QFile file(dir_.file("big.m3u"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        const QByteArray block = line.repeated(1000);
        for (qint64 i = 0; i < lines / 1000; ++i) ASSERT_EQ(file.write(block), block.size());
    }
    box_->loadList(dir_.file("big.m3u"), true);
    EXPECT_EQ(box_->Count(), playlist::kMaxListFileBytes / line.size());
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0], playlist::ListFileCutNote(dir_.file("big.m3u")));

    // A .kpl of short lines is bounded by its lines.
    shown.clear();
    {
        QFile file(dir_.file("big.kpl"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.write(QByteArray("<?/m/a.mp3?>\r\n").repeated(playlist::kMaxListFileLines + 10)) > 0);
    }
    box_->loadList(dir_.file("big.kpl"), true);
    EXPECT_EQ(box_->Count(), playlist::kMaxListFileLines);
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0], playlist::ListFileCutNote(dir_.file("big.kpl")));
}

// Short Cyrillic names in UTF-8 are valid GB18030 too ("ҺҺ" reads as two Han characters): the
// reading under which the listed files exist wins; with no file to tell, the system's rule holds.
TEST_F(PlaylistBoxTest, Utf8ListWhoseNamesAlsoReadAsGb18030FindsItsFiles) {
    const QString cyrillic = Touch("t/ҺҺ.mp3");
    const QByteArray utf8Path = cyrillic.toUtf8();
    ASSERT_NE(platform::DecodeText(utf8Path), cyrillic) << "the bytes must be ambiguous for this test";
    dir_.write("u8.m3u", utf8Path + "\r\n");
    dir_.write("u8.kpl", "<?" + utf8Path + "?>\r\n");
    box_->loadList(dir_.file("u8.m3u"), true);
    EXPECT_EQ(Paths(), QStringList{cyrillic});
    box_->loadList(dir_.file("u8.kpl"), true);
    EXPECT_EQ(Paths(), QStringList{cyrillic});

    // The same bytes naming a file that exists under its GB18030 reading stay GB18030.
    const QString han = platform::DecodeText(utf8Path);
    Touch(han.mid(dir_.path().size() + 1));
    QFile::remove(cyrillic);
    box_->loadList(dir_.file("u8.m3u"), true);
    EXPECT_EQ(Paths(), QStringList{han});
}

}  // namespace safe_reading
