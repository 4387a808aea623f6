// Start-up and shut-down with real processes: one instance per user, the hand-over of a later
// start's argument, the stale mark of a crashed instance, and the orderly close on SIGTERM.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <QUrl>

#include <memory>

#include "platform/registry.h"
#include "platform/session.h"
#include "platform/text_file.h"
#include "player/app/project1.h"
#include "tests/test_support.h"

namespace {

const QString kMain = QStringLiteral("dispForm1");

struct Options {
    bool realMessageBoxes = false;
    bool noDisplay = false;  // as from a shell outside the desktop
    QString workingFolder;
};

Options RealMessageBoxes() {
    Options o;
    o.realMessageBoxes = true;
    return o;
}
Options NoDisplay() {
    Options o;
    o.noDisplay = true;
    return o;
}
Options WorkingIn(const QString& folder) {
    Options o;
    o.workingFolder = folder;
    return o;
}

// A private install folder holding a copy of the program, so every run has its own setup.ini
// and velmora.kpl.
class PlayerInstall {
public:
    PlayerInstall() {
        const QString program = dir_.file("velmora");
        QFile::copy(QStringLiteral(VELMORA_PROGRAM), program);
        QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        dir_.write("Plugins/FilePlus.ini", "[DECODE_SETUP]\r\nDECODE0=*.mp3\r\n");
    }
    ~PlayerInstall() {
        for (QProcess* p : processes_) {
            if (p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished(5000);
            }
            delete p;
        }
    }
    QProcess* Start(const QStringList& args = {}, const Options& options = Options()) {
        auto* p = new QProcess;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        if (options.realMessageBoxes) environment.remove("VELMORA_MESSAGES_TO_STDERR");
        if (options.noDisplay)
            for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) environment.remove(name);
        p->setProcessEnvironment(environment);
        if (!options.workingFolder.isEmpty()) p->setWorkingDirectory(options.workingFolder);
        p->setProgram(dir_.file("velmora"));
        p->setArguments(args);
        p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p->start();
        p->waitForStarted(10000);
        processes_.append(p);
        return p;
    }
    const testing_support::TempFolder& dir() const { return dir_; }
    QStringList Lines(const QString& name) const {
        QStringList lines;
        platform::ReadTextLines(dir_.file(name), &lines);
        return lines;
    }

private:
    testing_support::TempFolder dir_;
    QList<QProcess*> processes_;
};

bool WaitForWindow(bool present, int ms = 20000) {
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) {
        if (bool(platform::FindWindow(kMain)) == present) return true;
        QThread::msleep(20);
    }
    return false;
}

bool Finish(QProcess* p, int ms = 20000) { return p->waitForFinished(ms) && p->exitStatus() == QProcess::NormalExit; }

void Terminate(QProcess* p) {
    p->terminate();  // SIGTERM: the main window closes in order
    ASSERT_TRUE(Finish(p));
    EXPECT_EQ(p->exitCode(), 0);
}

TEST(SingleInstance, SecondStartHandsItsArgumentOverAndSigtermSavesIt) {
    PlayerInstall install;
    QProcess* first = install.Start();
    ASSERT_TRUE(WaitForWindow(true));
    const QString longPath = "/音乐/" + QString(300, QChar('x')) + ".mp3";
    // The longest text that fits the atom and the shortest that does not.
    const QString path254 = "/" + QString(249, QChar('y')) + ".mp3";
    const QString path255 = "/" + QString(250, QChar('z')) + ".mp3";
    for (const QString& arg : {QStringLiteral("/music/a.mp3"), longPath, path254, path255}) {
        QProcess* second = install.Start({arg});
        ASSERT_TRUE(Finish(second)) << "the second start must end by itself";
        EXPECT_EQ(second->exitCode(), 0);
    }
    QProcess* bare = install.Start();
    ASSERT_TRUE(Finish(bare)) << "a second start without argument only brings the player up";
    EXPECT_EQ(first->state(), QProcess::Running);
    Terminate(first);

    EXPECT_EQ(install.Lines("velmora.kpl"),
              (QStringList{"<?" + path255 + "?>", "<?" + path254 + "?>", "<?" + longPath + "?>", "<?/music/a.mp3?>"}))
        << "new entries go to the top; paths of 254, 255 and 300 characters arrive whole";
    const QStringList setup = install.Lines("setup.ini");
    ASSERT_FALSE(setup.isEmpty());
    EXPECT_EQ(setup.first(), "[Initialise]");
    for (const char* key : {"MA_L=", "MA_T=", "MA_H="}) EXPECT_EQ(setup.filter(key).size(), 1) << key;
    EXPECT_TRUE(setup.filter("MA_W").isEmpty()) << "the main window's width is never written";
    EXPECT_FALSE(platform::GlobalFindAtom(kRunningAtom)) << "the running mark goes with the player";
    EXPECT_FALSE(platform::FindWindow(kMain));
}

TEST(SingleInstance, SavedPlaylistComesBackAtTheNextStart) {
    PlayerInstall install;
    install.dir().write("velmora.kpl", QByteArray("<?/a/\xB8\xE8.mp3?><*\xB8\xE8*>\r\n\r\n<?http://h/x?>\r\n"));
    QProcess* player = install.Start();
    ASSERT_TRUE(WaitForWindow(true));
    Terminate(player);
    EXPECT_EQ(install.dir().read("velmora.kpl"), QByteArray("<?/a/\xB8\xE8.mp3?><*\xB8\xE8*>\r\n\r\n<?http://h/x?>\r\n"))
        << "entries, the empty one included, survive byte for byte";
}

TEST(SingleInstance, HandedOverEntriesOutliveAKill) {
    PlayerInstall install;
    install.dir().write("velmora.kpl", "<?/old.mp3?>\r\n");
    QProcess* player = install.Start();
    ASSERT_TRUE(WaitForWindow(true));
    QProcess* second = install.Start({"/music/new.mp3"});
    ASSERT_TRUE(Finish(second));
    const QStringList expected{"<?/music/new.mp3?>", "<?/old.mp3?>"};
    QDeadlineTimer deadline(20000);
    while (!deadline.hasExpired() && install.Lines("velmora.kpl") != expected) QThread::msleep(50);
    player->kill();  // SIGKILL: no close, no save at close
    player->waitForFinished(10000);
    EXPECT_EQ(install.Lines("velmora.kpl"), expected) << "the list was saved shortly after the hand-over";
}

TEST(SingleInstance, SigtermClosesAnOpenMessageBoxAndStillSaves) {
    PlayerInstall install;
    // The type has no engine: the player shows its box and waits for an OK nobody presses.
    QProcess* player = install.Start({"/m/thing.xyz"}, RealMessageBoxes());
    ASSERT_TRUE(WaitForWindow(true));
    QThread::msleep(500);
    Terminate(player);
    EXPECT_EQ(install.Lines("velmora.kpl"), QStringList{"<?/m/thing.xyz?>"});
}

// What a file manager does with five selected files: five starts at the same moment.
TEST(SingleInstance, FilesOpenedAtOnceLeaveOnePlayerHoldingEveryFile) {
    for (int trial = 0; trial < 5; ++trial) {
        PlayerInstall install;
        QStringList expected;
        QList<QProcess*> starts;
        for (int i = 0; i < 5; ++i) {
            const QString file = QStringLiteral("/music/t%1-%2.mp3").arg(trial).arg(i);
            expected << "<?" + file + "?>";
            starts << install.Start({file});
        }
        QList<QProcess*> running = starts;
        QDeadlineTimer deadline(60000);
        while (running.size() > 1 && !deadline.hasExpired()) {
            for (QProcess* p : running)
                if (p->waitForFinished(20)) {
                    EXPECT_EQ(p->exitStatus(), QProcess::NormalExit);
                    EXPECT_EQ(p->exitCode(), 0);
                    running.removeOne(p);
                    break;
                }
        }
        ASSERT_EQ(running.size(), 1) << "trial " << trial << ": exactly one player survives";
        ASSERT_TRUE(WaitForWindow(true));
        Terminate(running.first());
        QStringList saved = install.Lines("velmora.kpl");
        saved.sort();
        EXPECT_EQ(saved, expected) << "trial " << trial << ": every file reaches the one player";
    }
}

TEST(SingleInstance, StartWithAFileAddsItToTheSavedList) {
    PlayerInstall install;
    install.dir().write("velmora.kpl", "<?/old/1.mp3?>\r\n<?/old/2.mp3?>\r\n");
    QProcess* player = install.Start({"/m/new.mp3"});
    ASSERT_TRUE(WaitForWindow(true));
    Terminate(player);
    EXPECT_EQ(install.Lines("velmora.kpl"), (QStringList{"<?/m/new.mp3?>", "<?/old/1.mp3?>", "<?/old/2.mp3?>"}));
}

TEST(SingleInstance, StartWithTwoFilesAddsTheFirstToTheSavedList) {
    PlayerInstall install;
    install.dir().write("velmora.kpl", "<?/old/1.mp3?>\r\n<?/old/2.mp3?>\r\n");
    QProcess* player = install.Start({"/m/a.mp3", "/m/b.mp3"});
    ASSERT_TRUE(WaitForWindow(true));
    Terminate(player);
    EXPECT_EQ(install.Lines("velmora.kpl"), (QStringList{"<?/m/a.mp3?>", "<?/old/1.mp3?>", "<?/old/2.mp3?>"}))
        << "only the first argument is the player's, and the saved list stays";
}

// What a file manager passes for %u: a list at the first start, a file at the second.
TEST(SingleInstance, FileUrlsArriveAsLocalPaths) {
    PlayerInstall install;
    testing_support::TempFolder music;
    music.write("我的 列表.kpl", "<?/m/listed.mp3?>\r\n");
    const QString listUrl = QUrl::fromLocalFile(music.file("我的 列表.kpl")).toString(QUrl::FullyEncoded);
    ASSERT_TRUE(listUrl.contains("%20")) << listUrl.toStdString();
    QProcess* player = install.Start({listUrl});
    ASSERT_TRUE(WaitForWindow(true));
    QProcess* second = install.Start({"file:///m/%E6%AD%8C%201.mp3"});
    ASSERT_TRUE(Finish(second));
    EXPECT_EQ(second->exitCode(), 0);
    Terminate(player);
    EXPECT_EQ(install.Lines("velmora.kpl"), (QStringList{"<?/m/歌 1.mp3?>", "<?/m/listed.mp3?>"}))
        << "the list file was read and the handed file added under its own name";
}

// The second start returns once the player has the argument, not once someone answers the box
// that the argument brings up there.
TEST(SingleInstance, HandOverIsAnsweredWhileItsEntryWaitsOnABox) {
    PlayerInstall install;
    QProcess* player = install.Start({}, RealMessageBoxes());
    ASSERT_TRUE(WaitForWindow(true));
    for (const char* path : {"/m/first.xyz", "/m/second.xyz"}) {  // no engine plays .xyz: a box each
        QProcess* second = install.Start({path});
        ASSERT_TRUE(Finish(second)) << path;
        EXPECT_EQ(second->exitCode(), 0) << path << ": not answered, so not handed over";
    }
    Terminate(player);
    EXPECT_EQ(install.Lines("velmora.kpl"), (QStringList{"<?/m/second.xyz?>", "<?/m/first.xyz?>"}));
}

TEST(SingleInstance, RelativeArgumentsAreTakenFromTheCallersFolder) {
    PlayerInstall install;
    testing_support::TempFolder first, second;
    QProcess* player = install.Start({"a.mp3"}, WorkingIn(first.path()));
    ASSERT_TRUE(WaitForWindow(true));
    QProcess* handing = install.Start({"sub/../b.mp3"}, WorkingIn(second.path()));
    ASSERT_TRUE(Finish(handing));
    Terminate(player);
    EXPECT_EQ(install.Lines("velmora.kpl"), (QStringList{"<?" + second.file("b.mp3") + "?>", "<?" + first.file("a.mp3") + "?>"}));
}

TEST(SingleInstance, SecondStartWithoutADisplayStillHandsOver) {
    PlayerInstall install;
    QProcess* player = install.Start();
    ASSERT_TRUE(WaitForWindow(true));
    QProcess* shell = install.Start({"/m/from-shell.mp3"}, NoDisplay());
    ASSERT_TRUE(Finish(shell)) << "a hand-over needs no display";
    EXPECT_EQ(shell->exitCode(), 0);
    Terminate(player);
    EXPECT_EQ(install.Lines("velmora.kpl"), QStringList{"<?/m/from-shell.mp3?>"});
}

TEST(StartArgument, RelativePathsBecomeAbsoluteAndOtherFormsStayAsGiven) {
    EXPECT_EQ(AbsoluteArgument("song.mp3", "/home/u/Music"), "/home/u/Music/song.mp3");
    EXPECT_EQ(AbsoluteArgument("../a/./b.mp3", "/home/u/Music"), "/home/u/a/b.mp3");
    EXPECT_EQ(AbsoluteArgument("歌 1.mp3", "/音乐"), "/音乐/歌 1.mp3");
    for (const QString& kept : {QString(), QStringLiteral("/abs/x.mp3"), QStringLiteral("http://h/s.mp3"),
                                QStringLiteral("mms://h/s"), QStringLiteral("<:1234"), QStringLiteral("<?/a.mp3?>"),
                                QStringLiteral("vmp://<ONE>h/x.mp3"), QStringLiteral("VMP://<ALL>a<ONE>b"),
                                QStringLiteral("x<ALL>y")})
        EXPECT_EQ(AbsoluteArgument(kept, "/home/u"), kept);
}

TEST(StartArgument, LocalFileUrlsBecomePathsAndOtherFileUrlsStayAsGiven) {
    EXPECT_EQ(AbsoluteArgument("file:///%E6%88%91%E7%9A%84%20%E5%88%97%E8%A1%A8.kpl", "/home/u"), "/我的 列表.kpl");
    EXPECT_EQ(AbsoluteArgument("file:///音乐/歌 1.mp3", "/home/u"), "/音乐/歌 1.mp3") << "unescaped, as typed";
    EXPECT_EQ(AbsoluteArgument("FILE://localhost/a%23b%25.mp3", "/home/u"), "/a#b%.mp3");
    EXPECT_EQ(AbsoluteArgument("file:/a/b.mp3", "/home/u"), "/a/b.mp3");
    EXPECT_EQ(AbsoluteArgument("file:///a%0Ab.mp3", "/home/u"), "/a\nb.mp3") << "the player refuses it aloud";
    for (const QString& kept : {QStringLiteral("file://server/share/a.mp3"), QStringLiteral("file:///a.mp3#t=10"),
                                QStringLiteral("file:///a.mp3?x=1"), QStringLiteral("http://h/a%20b.mp3")})
        EXPECT_EQ(AbsoluteArgument(kept, "/home/u"), kept) << "no local file: " << kept.toStdString();
}

// GStreamer is readied beside the windows only for an entry that plays at once: a list or a skin
// given at start loads no media libraries it may not need.
TEST(StartArgument, OnlyAnEntryToPlayReadiesTheMediaLibraries) {
    for (const QString& plays : {QStringLiteral("/m/a.mp3"), QStringLiteral("/m/B.OGG"), QStringLiteral("/m/noext"),
                                 QStringLiteral("http://h/s.mp3"), QStringLiteral("mms://h/s"),
                                 QStringLiteral("vmp://<ONE>h/x.mp3"), QStringLiteral("/cd/Track01.cda")})
        EXPECT_TRUE(StartPlaysAtOnce(plays)) << plays.toStdString();
    for (const QString& waits : {QString(), QStringLiteral("/m/list.m3u"), QStringLiteral("/m/list.PLS"),
                                 QStringLiteral("/m/velmora.kpl"), QStringLiteral("/s/skin.wsz"),
                                 QStringLiteral("vmp://<ALL>a<ONE>b"), QStringLiteral("<ALL>")})
        EXPECT_FALSE(StartPlaysAtOnce(waits)) << waits.toStdString();
}

// The lock holder here stands in for a player that ends before its window was ever ready.
TEST(SingleInstance, WaitingStartBecomesThePlayerWhenTheFirstEndsUnready) {
    PlayerInstall install;
    auto holder = std::make_unique<platform::SessionLock>(QString::fromLatin1(kInstanceLockName));
    ASSERT_EQ(holder->TryAcquire(), platform::SessionLock::State::Acquired);
    QProcess* waiting = install.Start({"/m/late.mp3"});
    QThread::msleep(300);  // let it find the lock taken
    holder.reset();
    ASSERT_TRUE(WaitForWindow(true));
    Terminate(waiting);
    EXPECT_EQ(install.Lines("velmora.kpl"), QStringList{"<?/m/late.mp3?>"});
}

TEST(SingleInstance, StaleMarkWithoutWindowDoesNotBlockAStart) {
    PlayerInstall install;
    const platform::Atom stale = platform::GlobalAddAtom(kRunningAtom);
    ASSERT_NE(stale, 0);
    QProcess* player = install.Start();
    ASSERT_TRUE(WaitForWindow(true)) << "a crashed instance's mark must not stop the next start";
    Terminate(player);
    EXPECT_FALSE(platform::GlobalFindAtom(kRunningAtom));
}

// The second start's side alone, against a window of this test process standing in for the
// running player: what exactly travels over the atom and the registry.
struct Received {
    QString atomText;
    QString paramStr;
    int messages = 0;
};

Received SendFromSecondStart(const QString& argument) {
    Received got;
    platform::SessionWindow window;
    window.Publish(kMain, [&](quint32 msg, quintptr, qintptr lParam) -> qintptr {
        if (msg != 1001) return 0;
        ++got.messages;
        got.atomText = platform::GlobalGetAtomName(static_cast<platform::Atom>(lParam), 1000);
        platform::TRegistry reg;
        if (reg.OpenKey("Software\\Velmora", false)) got.paramStr = reg.ReadString("ParamStr");
        return 0;
    });
    platform::SessionLock instance{QString::fromLatin1(kInstanceLockName)};
    EXPECT_EQ(instance.TryAcquire(), platform::SessionLock::State::Acquired);
    const platform::Atom running = platform::GlobalAddAtom(kRunningAtom);
    PlayerInstall install;
    QProcess* second = install.Start({argument});
    QDeadlineTimer deadline(20000);
    while (second->state() != QProcess::NotRunning && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    EXPECT_EQ(second->state(), QProcess::NotRunning);
    platform::GlobalDeleteAtom(running);
    return got;
}

TEST(HandOver, AllListsTravelThroughTheRegistryAndTheAtomSaysAll) {
    const QString list = "vmp://<ALL>http://a/1.mp3<ONE>http://b/2.mp3";
    const Received got = SendFromSecondStart(list);
    EXPECT_EQ(got.messages, 1);
    EXPECT_EQ(got.atomText, "<ALL>");
    EXPECT_EQ(got.paramStr, list);
}

TEST(HandOver, PlainArgumentTravelsInTheAtomAndIsDeletedAfterTheSend) {
    const Received got = SendFromSecondStart("/music/歌.mp3");
    EXPECT_EQ(got.messages, 1);
    EXPECT_EQ(got.atomText, "/music/歌.mp3");
    EXPECT_FALSE(platform::GlobalFindAtom("/music/歌.mp3"));
}

}  // namespace
