// The controller's start-up order and the main window's hand-over, drop and close handlers,
// in-process against a private install folder.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QPointer>
#include <QtCore/qtestsupport_core.h>
#include <limits>

#include "platform/message_box.h"
#include "platform/registry.h"
#include "platform/session.h"
#include "platform/text_file.h"
#include "player/core/ctrl.h"
#include "player/app/form1.h"
#include "player/playlist/playlist_box.h"
#include "player/playlist/saved_list.h"
#include "player/playback/run.h"
#include "tests/fifo_watchdog.h"
#include "tests/test_support.h"

namespace {

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_.write("Plugins/FilePlus.ini",
                   "[decode_setup]\r\nDECODE0=*.MP3;*.wav\r\nDECODE3=*.AVI;*.Mpg\r\nDECODE5=\r\n");
    }
    void TearDown() override {
        if (form_) {
            form_->QuietClose = true;
            form_->close();
        }
        delete form_;
        platform::SetMessageRecorder({});
    }
    TForm1* Open() {
        form_ = new TForm1(dir_.path() + "/");
        return form_;
    }
    QStringList Lines(const QString& name) const {
        QStringList lines;
        platform::ReadTextLines(dir_.file(name), &lines);
        return lines;
    }

    testing_support::TempFolder dir_;
    TForm1* form_ = nullptr;
};

TEST_F(MainWindowTest, InitReadsSettingsAndDecoderListsInto) {
    dir_.write("setup.ini", "ConnectTimeOut=5\r\nTimeOrder=0\r\nVideoControl=10000011\r\n");
    Open();
    EXPECT_EQ(Ctrl->InstallFolder, dir_.path() + "/");
    EXPECT_EQ(Ctrl->Decode0List, "*.mp3;*.wav;");
    EXPECT_EQ(Ctrl->Decode3List, "*.avi;*.mpg;");
    EXPECT_EQ(Ctrl->Decode5List, ";") << "an empty value";
    EXPECT_EQ(Ctrl->Decode1List, ";") << "a missing key";
    EXPECT_EQ(Ctrl->Run->Timeout, 5000) << "seconds in the file, milliseconds in the player";
    EXPECT_FALSE(Ctrl->Run->TimeOrder);
    EXPECT_EQ(Ctrl->Run->LrcFileControl, "11000") << "the default of a missing key";
    EXPECT_EQ(Ctrl->Run->VideoControl, "10000011");

    // The desktop set-up, which records the folder, runs after the window's first paint.
    const QDeadlineTimer deadline(30000);
    while (form_->FirstRunSetupPending() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    platform::TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("Software\\Velmora", false));
    EXPECT_EQ(reg.ReadString("WorkPath"), dir_.path() + "/") << "a new install folder is recorded";
}

TEST_F(MainWindowTest, StoredPlaceIsUsedAndHugeTimeoutIsClamped) {
    // 2147484 s is 2147484000 ms: past the largest int, so 32-bit arithmetic would go negative.
    dir_.write("setup.ini", "MA_L=40\r\nMA_T=50\r\nMA_H=14\r\nConnectTimeOut=2147484\r\n");
    Open();
    EXPECT_EQ(form_->pos(), QPoint(40, 50));
    EXPECT_EQ(form_->height(), 14);
    EXPECT_EQ(Ctrl->Run->Timeout, std::numeric_limits<int>::max());
}

TEST_F(MainWindowTest, NegativeTimeoutIsClampedToZero) {
    dir_.write("setup.ini", "ConnectTimeOut=-3\r\n");
    Open();
    EXPECT_EQ(Ctrl->Run->Timeout, 0);
}

TEST_F(MainWindowTest, StartArgumentJoinsTheSavedListInsteadOfReplacingIt) {
    dir_.write("setup.ini", "AutoPlayNewFile=0\r\n");
    dir_.write("velmora.kpl", "<?/old/1.mp3?>\r\n<?/old/2.mp3?>\r\n");
    form_ = new TForm1(dir_.path() + "/", "/m/new.mp3");
    EXPECT_EQ(ListBox1->Items(), (QStringList{"<?/m/new.mp3?>", "<?/old/1.mp3?>", "<?/old/2.mp3?>"}));
}

TEST_F(MainWindowTest, LeftoversOfAKilledSaveAreRemovedAtStart) {
    for (const char* name : {"setup.ini.Ab12Cd", "velmora.kpl.x9Y8z7", ".shipped.q1W2e3", "setup.ini.bak",
                             "setup.ini.Ab12Cde", "notes.txt.Ab12Cd", "velmora.kpl.ab-12c", "Setup.ini.Ab12Cd"})
        dir_.write(name, "x");
    Open();
    for (const char* gone : {"setup.ini.Ab12Cd", "velmora.kpl.x9Y8z7", ".shipped.q1W2e3"})
        EXPECT_FALSE(QFile::exists(dir_.file(gone))) << gone;
    for (const char* kept :
         {"setup.ini.bak", "setup.ini.Ab12Cde", "notes.txt.Ab12Cd", "velmora.kpl.ab-12c", "Setup.ini.Ab12Cd"})
        EXPECT_TRUE(QFile::exists(dir_.file(kept))) << kept << " is not a save's leftover";
}

TEST_F(MainWindowTest, EachMainWindowFreesTheControllerItMade) {
    Open();
    QPointer<QObject> firstRun = Ctrl->Run.get();
    auto* second = new TForm1(dir_.path() + "/");
    TCtrl* const secondCtrl = Ctrl;
    QPointer<QObject> secondRun = Ctrl->Run.get();
    ASSERT_NE(firstRun, secondRun);
    delete form_;
    form_ = second;
    EXPECT_TRUE(firstRun.isNull()) << "the first window's controller goes with it";
    EXPECT_EQ(Ctrl, secondCtrl) << "the later window's controller stays the global one";
    EXPECT_FALSE(secondRun.isNull());
    form_->QuietClose = true;
    form_->close();
    delete form_;
    form_ = nullptr;
    EXPECT_TRUE(secondRun.isNull());
    EXPECT_EQ(Ctrl, nullptr);
}

TEST_F(MainWindowTest, CloseWritesPlaceListAndSettingsButNeverTheWidth) {
    Open();
    form_->move(31, 42);
    ListBox1->SetItems({"<?/m/一.mp3?><#03:25#>", "", "<*Radio*><?mms://h/s?>"});
    form_->close();
    const QStringList setup = Lines("setup.ini");
    EXPECT_EQ(setup.first(), "[Initialise]");
    EXPECT_TRUE(setup.contains("MA_L=31"));
    EXPECT_TRUE(setup.contains("MA_T=42"));
    EXPECT_TRUE(setup.contains("MA_H=116"));
    EXPECT_TRUE(setup.contains("MB_Open=1")) << "the browser was open";
    EXPECT_TRUE(setup.filter("MA_W").isEmpty());
    EXPECT_EQ(Lines("velmora.kpl"), (QStringList{"<?/m/一.mp3?><#03:25#>", "", "<*Radio*><?mms://h/s?>"}));
    EXPECT_EQ(form_->Caption(), "正在退出...");
    EXPECT_FALSE(platform::FindWindow("dispForm1")) << "a closed player is not found by a later start";
}

TEST_F(MainWindowTest, ChangedSettingsReachTheFileWithoutWaitingForTheCloseAndStopThere) {
    Open();
    Ctrl->WriteString("LrcFontColor", "255");
    Ctrl->WriteInteger("ConnectTimeOut", 9);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Lines("setup.ini").contains("ConnectTimeOut=9"); }, 10000))
        << "a crash after a change loses nothing";
    EXPECT_TRUE(Lines("setup.ini").contains("LrcFontColor=255"));
    form_->close();
    // After the close's save the file is the player's last word: later writes stay in memory.
    Ctrl->WriteString("LrcFontColor", "1");
    QTest::qWait(500);  // longer than the save delay
    EXPECT_TRUE(Lines("setup.ini").contains("LrcFontColor=255"));
}

TEST_F(MainWindowTest, FailedPlaylistSaveIsReportedAndTheSettingsStillSaved) {
    QStringList shown;
    platform::SetMessageRecorder([&](const QString& text, const QString&, platform::MessageIcon) { shown << text; });
    Open();
    dir_.write("velmora.kpl/in-the-way", "");  // a folder where the playlist file goes
    ListBox1->SetItems({"<?/a.mp3?>"});
    form_->QuietClose = false;
    form_->close();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown.first().contains("velmora.kpl"));
    EXPECT_FALSE(Lines("setup.ini").isEmpty());
}

TEST_F(MainWindowTest, UnreadableSettingsAreNeverWrittenOverAndTheUserIsToldOnce) {
    QStringList shown;
    platform::SetMessageRecorder([&](const QString& text, const QString&, platform::MessageIcon) { shown << text; });
    const QByteArray mine = "[Initialise]\r\nShuffle=1\r\nLrcFontSize=30\r\n";
    dir_.write("setup.ini", mine);
    QFile::setPermissions(dir_.file("setup.ini"), {});
    {
        const testing_support::AsOrdinaryUser ordinary;
        Open();
    }
    EXPECT_TRUE(Ctrl->ReadBool("Repeat", true)) << "the run goes on with the defaults";
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown.first().contains("setup.ini")) << shown.first().toStdString();
    EXPECT_TRUE(shown.first().contains("不会保存"));
    Ctrl->WriteBool("Shuffle", false);
    QTest::qWait(500);  // longer than the settings' save delay
    form_->QuietClose = false;
    form_->close();
    EXPECT_EQ(shown.size(), 1) << "said once, at start; the close has nothing new to say";
    EXPECT_EQ(dir_.read("setup.ini"), mine) << "the user's settings outlive the run";
}

TEST_F(MainWindowTest, UnreadableSavedListIsNeverWrittenOver) {
    QStringList shown;
    platform::SetMessageRecorder([&](const QString& text, const QString&, platform::MessageIcon) { shown << text; });
    QByteArray mine;
    for (int i = 0; i < 1000; ++i) mine += "<?/m/" + QByteArray::number(i) + ".mp3?>\r\n";
    dir_.write("velmora.kpl", mine);
    QFile::setPermissions(dir_.file("velmora.kpl"), {});
    {
        const testing_support::AsOrdinaryUser ordinary;
        Open();
    }
    EXPECT_EQ(ListBox1->Count(), 0);
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown.first().contains("velmora.kpl")) << shown.first().toStdString();
    ListBox1->addFile("/m/new.mp3", false);
    form_->QuietClose = false;
    form_->close();
    EXPECT_EQ(shown.size(), 1);
    EXPECT_EQ(dir_.read("velmora.kpl"), mine) << "the 1,000 entries outlive the run";
}

TEST_F(MainWindowTest, ListChangesReachTheFileWithoutWaitingForTheCloseAndStopThere) {
    dir_.write("velmora.kpl", "<?/old.mp3?>\r\n");
    Open();
    const platform::Atom atom = platform::GlobalAddAtom("/music/new.mp3");
    form_->WMHandOver(atom);
    platform::GlobalDeleteAtom(atom);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Lines("velmora.kpl").size() == 2; }, 10000))
        << "a crash after a hand-over loses nothing";
    EXPECT_EQ(Lines("velmora.kpl"), (QStringList{"<?/music/new.mp3?>", "<?/old.mp3?>"}));
    form_->close();
    ListBox1->SetItems({});
    QTest::qWait(TSavedList::kSaveDelayMs + 500);
    EXPECT_EQ(Lines("velmora.kpl").size(), 2) << "the close's save is the run's last word";
}

TEST_F(MainWindowTest, HandOverTrimsTheAtomTextAndAddsTheEntry) {
    Open();
    const platform::Atom atom = platform::GlobalAddAtom(" \t/music/歌.mp3\r\n");
    form_->WMHandOver(atom);
    form_->WMHandOver(0);  // a start without argument adds nothing
    platform::GlobalDeleteAtom(atom);
    QCoreApplication::processEvents();
    EXPECT_EQ(ListBox1->Items(), QStringList{"<?/music/歌.mp3?>"});
}

// The second start waits for the handler's return: a box that adding the entry opens must not
// stand between it and its reply.
TEST_F(MainWindowTest, HandOverReturnsBeforeItsEntryCanOpenABoxAndKeepsTheOrder) {
    Open();
    bool inHandOver = false;
    QList<bool> shownInHandOver;
    platform::SetMessageRecorder(
        [&](const QString&, const QString&, platform::MessageIcon) { shownInHandOver << inHandOver; });
    for (const char* path : {"/m/1.xyz", "/m/2.xyz", "/m/3.xyz"}) {  // no engine plays .xyz
        const platform::Atom atom = platform::GlobalAddAtom(path);
        inHandOver = true;
        form_->WMHandOver(atom);
        inHandOver = false;
        platform::GlobalDeleteAtom(atom);
    }
    QCoreApplication::processEvents();
    ASSERT_FALSE(shownInHandOver.isEmpty()) << "playing an entry no engine takes says so";
    EXPECT_FALSE(shownInHandOver.contains(true)) << "a box was shown before the sender had its reply";
    EXPECT_EQ(ListBox1->Items(), (QStringList{"<?/m/3.xyz?>", "<?/m/2.xyz?>", "<?/m/1.xyz?>"}))
        << "hand-overs are added in the order they came";
}

TEST_F(MainWindowTest, ArgumentWithALineEndIsRefusedAloudButAListFileSoNamedIsRead) {
    QStringList shown;
    platform::SetMessageRecorder([&](const QString& text, const QString&, platform::MessageIcon) { shown << text; });
    dir_.write("two\nlines.kpl", "<?/m/from-list.mp3?>\r\n");
    form_ = new TForm1(dir_.path() + "/", "/m/first\nsecond.mp3");
    ASSERT_EQ(shown.size(), 1) << "the start's argument is not dropped without a word";
    EXPECT_TRUE(shown.first().contains("/m/first\\nsecond.mp3")) << shown.first().toStdString();
    EXPECT_TRUE(ListBox1->Items().isEmpty());

    const platform::Atom atom = platform::GlobalAddAtom("/m/a\tb.mp3");
    form_->WMHandOver(atom);
    platform::GlobalDeleteAtom(atom);
    QCoreApplication::processEvents();
    ASSERT_EQ(shown.size(), 2) << "nor is a hand-over's";
    EXPECT_TRUE(shown.last().contains("/m/a\\tb.mp3")) << shown.last().toStdString();

    const platform::Atom list = platform::GlobalAddAtom(dir_.file("two\nlines.kpl"));
    form_->WMHandOver(list);
    platform::GlobalDeleteAtom(list);
    QCoreApplication::processEvents();
    EXPECT_EQ(shown.size(), 2) << "a list file is read, not kept, whatever its name holds";
    EXPECT_EQ(ListBox1->Items(), QStringList{"<?/m/from-list.mp3?>"});
}

TEST_F(MainWindowTest, DroppedFilesFirstAddsEveryItemInOrder) {
    dir_.write("setup.ini", "UseReverse=0\r\n");
    Open();
    form_->finishDropped({"/m/a.mp3", "/m/folder", "/m/b.ogg"});
    EXPECT_EQ(ListBox1->Items(), (QStringList{"<?/m/a.mp3?>", "<?/m/folder?>", "<?/m/b.ogg?>"}));
}

// A dropped FIFO is nothing to play, and opening it would wait for a writer: it is passed by.
TEST_F(MainWindowTest, DroppedFifosArePassedBy) {
    dir_.write("setup.ini", "UseReverse=0\r\n");
    Open();
    testing_support::FifoWatchdog song(dir_.file("pipe.mp3"));
    ASSERT_TRUE(song.Made());
    song.Run([&] { form_->finishDropped({dir_.file("pipe.mp3"), "/m/b.ogg"}); });
    EXPECT_FALSE(song.Released());
    EXPECT_EQ(ListBox1->Items(), (QStringList{"<?/m/b.ogg?>"}));
}

}  // namespace
