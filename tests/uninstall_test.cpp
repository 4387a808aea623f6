// The uninstaller against a fixture install: a temporary install folder with the shipped files,
// the registry stand-in holding the player's values beside another program's, private home and
// XDG folders. The player's values are written here as the association scheme writes them, with
// the literal names, so a drift of the shared names shows too.
#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <cerrno>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include "dialogs/associations.h"
#include "dialogs/settings_dialog.h"
#include "platform/desktop_associations.h"
#include "platform/message_box.h"
#include "platform/registry.h"
#include "platform/session.h"
#include "platform/shell_links.h"
#include "player/core/ctrl.h"
#include "uninstall/program_files.h"
#include "uninstall/uninstaller.h"

using platform::RootKey;
using platform::TRegistry;
using testing_support::TempFolder;
using uninstall::Outcome;

namespace {

void Write(const QString& path, const QByteArray& bytes = "x") {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << qPrintable(path);
    file.write(bytes);
}

void SetValue(RootKey root, const QString& key, const QString& name, const QString& value) {
    TRegistry reg(root);
    ASSERT_TRUE(reg.OpenKey("\\" + key, true)) << qPrintable(key);
    ASSERT_TRUE(reg.WriteString(name, value)) << qPrintable(key);
}

// Every key and value of the three roots, sorted, so two registries compare as lists.
void DumpKey(RootKey root, const QString& path, QStringList* lines) {
    TRegistry reg(root);
    if (!reg.OpenKeyReadOnly("\\" + path)) return;
    const QString prefix = QString::number(int(root)) + ":" + path.toLower();
    lines->append(prefix);
    for (const QString& name : reg.GetValueNames()) {
        int number = 0;
        const QString value = reg.ReadInteger(name, &number) ? QString::number(number) : reg.ReadString(name);
        lines->append(prefix + " \"" + name.toLower() + "\"=" + value);
    }
    for (const QString& sub : reg.GetKeyNames()) DumpKey(root, path.isEmpty() ? sub : path + "\\" + sub, lines);
}

// What one list has that the other has not, marked "+" and "-".
QStringList Difference(const QStringList& now, const QStringList& expected) {
    QStringList lines;
    for (const QString& line : now)
        if (!expected.contains(line)) lines.append("+ " + line);
    for (const QString& line : expected)
        if (!now.contains(line)) lines.append("- " + line);
    return lines;
}

QStringList Registry() {
    QStringList lines;
    for (RootKey root : {RootKey::CurrentUser, RootKey::ClassesRoot, RootKey::LocalMachine}) DumpKey(root, {}, &lines);
    lines.sort();
    return lines;
}

// What another program keeps in the registry, before and after the player.
void OtherProgramValues() {
    SetValue(RootKey::ClassesRoot, ".mp3", "", "WMP.mp3");
    SetValue(RootKey::ClassesRoot, "WMP.mp3\\shell\\open\\command", "", "wmp \"%1\"");
    SetValue(RootKey::ClassesRoot, ".txt", "", "txtfile");
    SetValue(RootKey::ClassesRoot, ".avi", "Content Type", "video/avi");
    SetValue(RootKey::ClassesRoot, "rtsp", "URL Protocol", "");
    SetValue(RootKey::ClassesRoot, "rtsp\\shell", "", "open");
    SetValue(RootKey::ClassesRoot, "rtsp\\shell\\open\\command", "", "other \"%1\"");
    const QString openWith = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.mp3\\OpenWithList";
    SetValue(RootKey::CurrentUser, openWith, "b", "other.exe");
    SetValue(RootKey::CurrentUser, openWith, "MRUList", "b");
    SetValue(RootKey::CurrentUser, "Software\\Other", "x", "1");
    SetValue(RootKey::LocalMachine, "SOFTWARE\\Microsoft\\Internet Explorer\\Extensions\\{OTHER}", "Exec", "o");
}

// The association scheme's writes for one extension.
void PlayerAssociates(const QString& e) {
    TRegistry reg(RootKey::ClassesRoot);
    ASSERT_TRUE(reg.OpenKey("\\." + e, true));
    const QString previous = reg.ReadString("");
    if (!previous.isEmpty() && previous != "velmora3." + e) reg.WriteString("velmora3_backup", previous);
    reg.WriteString("", "velmora3." + e);
    SetValue(RootKey::ClassesRoot, "velmora3." + e + "\\shell\\open\\command", "", "/opt/velmora/velmora \"%L\"");
    SetValue(RootKey::ClassesRoot, "velmora3." + e + "\\DefaultIcon", "", "/opt/velmora/velmora,0");
    const QString openWith =
        "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\." + e + "\\OpenWithList";
    SetValue(RootKey::CurrentUser, openWith, "a", "velmora3.exe");
    SetValue(RootKey::CurrentUser, openWith, "MRUList", "a");
}

void PlayerAssociatesProtocol(const QString& p) {
    TRegistry reg(RootKey::ClassesRoot);
    ASSERT_TRUE(reg.OpenKey("\\" + p + "\\shell", true));
    const QString previous = reg.ReadString("");
    if (!previous.isEmpty() && previous != "velmora3") reg.WriteString("velmora3_backup", previous);
    reg.WriteString("", "velmora3");
    SetValue(RootKey::ClassesRoot, p + "\\shell\\velmora3\\command", "", "/opt/velmora/velmora \"%L\"");
    if (p == "vmp") SetValue(RootKey::ClassesRoot, "vmp", "URL Protocol", "");
}

void PlayerValues() {
    // mp3 over another owner, wma with none, avi into a key with another value, rm by the
    // default set's substring test (the engines list *.rmvb), flac from a type list of the page.
    for (const char* e : {"mp3", "wma", "avi", "rm", "flac", "kpl", "m3u"}) PlayerAssociates(e);
    // The other program was used after the player: its letter leads the list.
    SetValue(RootKey::CurrentUser,
             "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.mp3\\OpenWithList", "MRUList", "ba");
    for (const char* p : {"vmp", "rtsp", "pnm", "mms", "mmst", "mmsu"}) PlayerAssociatesProtocol(p);
    const QString menuExt = "Software\\Microsoft\\Internet Explorer\\MenuExt\\";
    SetValue(RootKey::CurrentUser, menuExt + "使用VELMORA播放", "", "/opt/velmora/Plugins/load.htm");
    SetValue(RootKey::CurrentUser, menuExt + "使用VELMORA播放全部链接", "", "/opt/velmora/Plugins/loadall.htm");
    SetValue(RootKey::LocalMachine,
             "SOFTWARE\\Microsoft\\Internet Explorer\\Extensions\\{FC0669A0-58C4-11D4-B084-5254AB1B788C}", "Exec", "v");
    SetValue(RootKey::CurrentUser, "Software\\Velmora", "WorkPath", "/opt/velmora/");
}

// The files an install holds after some use: what the build ships, what the player writes.
const char* const kInstallFiles[] = {
    "velmora", "setup.ini", "velmora.kpl", "velmora.ini", "Velmora Player.bmp", "$temp.swf",
    "help/index.htm", "help/参数设置.htm", "help/常见问题.htm",
    "setup.ini.Ab12Cd",
    "Plugins/BCSCode.dll", "Plugins/BCSPlus.ini", "Plugins/cdrun.dll", "Plugins/change.dll", "Plugins/EQPlus.ini",
    "Plugins/explain.dll", "Plugins/FilePlus.ini", "Plugins/input.dll", "Plugins/load.htm", "Plugins/loadall.htm",
    "Plugins/MenuPlus.ini", "Plugins/output.dll", "Plugins/skins.dll", "Plugins/velmora.htm",
    "Plugins/Uninstall.exe",
    "skins/default/main.bmp", "skins/default/pledit.txt", "skins/default/.hidden",
    "Favor/Favor.ini", "Favor/一.kpl", "Favor/two.kpl", "Favor/three.kpl"};

class UninstallTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME"}) saved_.append(qgetenv(name));
        qputenv("HOME", root_.file("home").toUtf8());
        qputenv("XDG_CONFIG_HOME", root_.file("home/.config").toUtf8());
        qputenv("XDG_DATA_HOME", root_.file("home/.local/share").toUtf8());
        QDir().mkpath(root_.file("home/.config"));
        install_ = root_.file("apps/velmora/");
        for (const char* file : kInstallFiles) Write(install_ + QString::fromUtf8(file));
        Write(install_ + "Plugins/FilePlus.ini",
              "[DECODE_SETUP]\r\nDECODE0=*.MP3;*.wma;*.mp3\r\nDECODE1=*.rmvb\r\nDECODE2=*.avi;;junk\r\n");
        Write(root_.file("apps/other/readme.txt"), "another program");
        Write(root_.file("apps/velmora-notes.txt"), "beside the install");
        platform::SetMessageRecorder([this](const QString& text, const QString& caption, platform::MessageIcon) {
            messages_.append(caption + "|" + text);
        });
        platform::SetQuestionAnswerer([this](const QString& text, const QString& caption, platform::MessageIcon) {
            messages_.append(caption + "|" + text);
            return answer_;
        });
    }
    void TearDown() override {
        platform::SetMessageRecorder({});
        platform::SetQuestionAnswerer({});
        const char* names[] = {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME"};
        for (int i = 0; i < 3; ++i) qputenv(names[i], saved_[i]);
    }

    QString program() const { return install_ + "Plugins/Uninstall.exe"; }
    // Every path under the fixture root but the registry stand-in's, for "nothing changed" checks.
    QStringList Files() const {
        QStringList files;
        QDirIterator it(root_.path(), QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            if (!path.startsWith(root_.file("home/.config/velmora"))) files.append(path);
        }
        files.sort();
        return files;
    }

    TempFolder root_;
    QString install_;
    QStringList messages_;
    bool answer_ = true;
    QList<QByteArray> saved_;
};

const QString kQuestion = "确认卸载|确定要完全删除Velmora Player 3.0及还原相关设置吗？  ";
const QString kDone = "完成卸载|卸载程序已经成功的执行完毕卸载任务！  ";

TEST_F(UninstallTest, FullRunLeavesOnlyTheOtherProgramsValuesAndFiles) {
    OtherProgramValues();
    const QStringList others = Registry();
    PlayerValues();
    ASSERT_NE(Registry(), others);

    EXPECT_EQ(uninstall::UninstallMain(program()), Outcome::Done);

    // Restored owners, the player's keys and values gone.
    EXPECT_EQ(Difference(Registry(), others), QStringList());
    EXPECT_FALSE(QFileInfo::exists(install_));
    EXPECT_EQ(Files(), QStringList({root_.file("apps"), root_.file("apps/other"), root_.file("apps/other/readme.txt"),
                                    root_.file("apps/velmora-notes.txt"), root_.file("home"),
                                    root_.file("home/.config")}));
    EXPECT_EQ(messages_, QStringList({kQuestion, kDone}));
}

TEST_F(UninstallTest, TypesOfAnotherOwnerAndOtherEntriesStay) {
    // The player once took ogg over; another program took it over since, keeping the player's
    // backup value and ProgID key.
    SetValue(RootKey::ClassesRoot, ".ogg", "", "Old.ogg");
    PlayerAssociates("ogg");
    SetValue(RootKey::ClassesRoot, ".ogg", "", "Other.ogg");
    PlayerAssociates("mp3");
    SetValue(RootKey::ClassesRoot, ".mp3", "Content Type", "audio/mpeg");
    SetValue(RootKey::ClassesRoot, ".mp3\\OpenWithProgids", "Other.mp3", "");
    const QString openWith = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.wma\\OpenWithList";
    SetValue(RootKey::CurrentUser, openWith, "a", "other.exe");  // "a" of someone else
    SetValue(RootKey::CurrentUser, openWith, "MRUList", "a");

    EXPECT_EQ(uninstall::UninstallMain(program()), Outcome::Done);

    TRegistry reg(RootKey::ClassesRoot);
    ASSERT_TRUE(reg.OpenKeyReadOnly("\\.ogg"));
    EXPECT_EQ(reg.ReadString(""), "Other.ogg");
    EXPECT_TRUE(reg.ValueExists("velmora3_backup"));
    EXPECT_TRUE(reg.KeyExists("\\velmora3.ogg"));
    ASSERT_TRUE(reg.OpenKeyReadOnly("\\.mp3"));  // other values keep the key, without a default
    EXPECT_EQ(reg.GetValueNames(), QStringList({"Content Type"}));
    EXPECT_EQ(reg.GetKeyNames(), QStringList({"OpenWithProgids"}));
    EXPECT_FALSE(reg.KeyExists("\\velmora3.mp3"));
    TRegistry user(RootKey::CurrentUser);
    ASSERT_TRUE(user.OpenKeyReadOnly("\\" + openWith));
    EXPECT_EQ(user.ReadString("a"), "other.exe");
    EXPECT_EQ(user.ReadString("MRUList"), "a");
}

TEST_F(UninstallTest, LinksInsideAreRemovedAsLinksAndTheirTargetsSurvive) {
    Write(root_.file("outside/song.bmp"), "mine");
    Write(root_.file("outside/skin/main.bmp"), "mine");
    Write(root_.file("outside/favor/best.kpl"), "mine");
    Write(root_.file("outside/favor/Favor.ini"), "mine");
    Write(root_.file("outside/setup.ini"), "mine");
    ASSERT_TRUE(QFile::link(root_.file("outside/song.bmp"), install_ + "skins/default/linked.bmp"));
    ASSERT_TRUE(QFile::link(root_.file("outside/skin"), install_ + "skins/default/skin"));
    ASSERT_TRUE(QFile::remove(install_ + "setup.ini"));
    ASSERT_TRUE(QFile::link(root_.file("outside/setup.ini"), install_ + "setup.ini"));
    // A favourites folder that is itself a link to a folder elsewhere: nothing in there is ours.
    ASSERT_TRUE(QDir(install_).rename("Favor", "Favor.old"));
    ASSERT_TRUE(QFile::link(root_.file("outside/favor"), install_ + "Favor"));

    EXPECT_EQ(uninstall::UninstallMain(program()), Outcome::Done);

    for (const char* kept : {"outside/song.bmp", "outside/skin/main.bmp", "outside/favor/best.kpl",
                             "outside/favor/Favor.ini", "outside/setup.ini"})
        EXPECT_EQ(root_.read(kept), "mine") << kept;
    EXPECT_FALSE(QFileInfo::exists(install_ + "skins"));
    EXPECT_FALSE(QFileInfo(install_ + "Favor").isSymLink());
    EXPECT_FALSE(QFileInfo::exists(install_ + "setup.ini"));
    EXPECT_FALSE(QFileInfo::exists(install_ + "Plugins"));
    EXPECT_TRUE(QFileInfo::exists(install_ + "Favor.old/Favor.ini"));  // no longer by the store's name
}

TEST_F(UninstallTest, RunningPlayerMakesItRefuseWithNoChange) {
    PlayerValues();
    const QStringList registry = Registry();
    const QStringList files = Files();
    platform::SessionWindow player;
    ASSERT_TRUE(player.Publish("dispForm1", [](quint32, quintptr, qintptr) { return qintptr(0); }));

    EXPECT_EQ(uninstall::UninstallMain(program()), Outcome::PlayerRunning);

    EXPECT_EQ(messages_, QStringList({"不能卸载|请先关闭Velmora Player或重新启动计算机后，再执行卸载任务。  "}));
    EXPECT_EQ(Registry(), registry);
    EXPECT_EQ(Files(), files);
}

TEST_F(UninstallTest, CancelAtTheQuestionChangesNothing) {
    PlayerValues();
    const QStringList registry = Registry();
    const QStringList files = Files();
    answer_ = false;

    EXPECT_EQ(uninstall::UninstallMain(program()), Outcome::Cancelled);

    EXPECT_EQ(messages_, QStringList({kQuestion}));
    EXPECT_EQ(Registry(), registry);  // not even the settings key
    EXPECT_EQ(Files(), files);
}

TEST_F(UninstallTest, OutsideAPluginsFolderOnlyTheSettingsKeyGoes) {
    PlayerValues();
    // The path holds "/plugins/" but the program's own folder is not the Plugins folder.
    const QString stray = root_.file("apps/velmora/plugins/old/Uninstall.exe");
    Write(stray);
    TRegistry(RootKey::CurrentUser).DeleteKey("Software\\Velmora");
    const QStringList registry = Registry();
    SetValue(RootKey::CurrentUser, "Software\\Velmora", "WorkPath", "/opt/velmora/");
    const QStringList files = Files();

    EXPECT_EQ(uninstall::UninstallMain(stray), Outcome::NotFound);

    EXPECT_EQ(messages_, QStringList({kQuestion, "不能卸载|找不到Velmora软件所在位置，可能您以前已卸载本软件了！  "}));
    EXPECT_EQ(Registry(), registry);
    EXPECT_EQ(Files(), files);
}

TEST_F(UninstallTest, RootHomeAndSystemFoldersAreRefused) {
    const QString home = QFileInfo(root_.file("home")).canonicalFilePath();
    for (const QString& folder : {QString("/"), QString("/usr"), QString("/usr/share"), QString("/etc"),
                                  QString("/opt"),
                                  QString("/tmp"), QString("/usr/local"), home, QFileInfo(home).absolutePath(),
                                  home + "/.config", home + "/.local/share"})
        EXPECT_FALSE(uninstall::UnsafeInstallFolder(folder).isEmpty()) << qPrintable(folder);
    for (const QString& folder : {QString("/opt/velmora"), QString("/usr/local/velmora"), home + "/velmora",
                                  home + "/.local/share/velmora"})
        EXPECT_TRUE(uninstall::UnsafeInstallFolder(folder).isEmpty()) << qPrintable(folder);

    // The home folder as the install folder: refused before the question, nothing changed.
    PlayerValues();
    Write(root_.file("home/Plugins/Uninstall.exe"));
    Write(root_.file("home/setup.ini"), "the user's own");
    const QStringList registry = Registry();
    const QStringList files = Files();
    EXPECT_EQ(uninstall::UninstallMain(root_.file("home/Plugins/Uninstall.exe")), Outcome::UnsafeFolder);
    ASSERT_EQ(messages_.size(), 1);
    EXPECT_TRUE(messages_[0].startsWith("不能卸载|")) << qPrintable(messages_[0]);
    EXPECT_EQ(Registry(), registry);
    EXPECT_EQ(Files(), files);
}

TEST_F(UninstallTest, FoldersWithTheUsersFilesStay) {
    Write(install_ + "skins/My Skin/main.bmp", "user skin");
    Write(install_ + "skins/default/sub/keep.bmp", "in a sub-folder");
    Write(install_ + "Favor/notes.txt", "user file");
    Write(install_ + "Plugins/other.dll", "someone else's plug-in");

    EXPECT_EQ(uninstall::UninstallMain(program()), Outcome::Done);

    QStringList left;
    QDirIterator it(install_, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) left.append(it.next().mid(install_.size()));
    left.sort();
    EXPECT_EQ(left, QStringList({"Favor", "Favor/notes.txt", "Plugins", "Plugins/other.dll", "skins", "skins/My Skin",
                                 "skins/My Skin/main.bmp", "skins/default", "skins/default/sub",
                                 "skins/default/sub/keep.bmp"}));
    EXPECT_EQ(messages_.last(), kDone);  // kept for their owner, not a failure
}

TEST_F(UninstallTest, DesktopEntryDefaultsAndShortcutsGoOthersStay) {
    const QString applications = root_.file("home/.local/share/applications/");
    const QByteArray otherEntry = "[Desktop Entry]\nType=Application\nName=Other\nExec=other %u\n";
    Write(applications + "other.desktop", otherEntry);
    Write(root_.file("home/.config/mimeapps.list"), "[Default Applications]\naudio/mpeg=other.desktop;\n");
    Write(root_.file("home/Desktop/Other.desktop"), otherEntry);
    platform::DesktopAssociations associations;
    ASSERT_TRUE(associations.AssociateExtension("mp3", install_ + "velmora"));
    ASSERT_TRUE(associations.AssociateProtocol("vmp", install_ + "velmora"));
    ASSERT_TRUE(QFileInfo::exists(applications + "velmora.desktop"));
    using platform::ShellFolder;
    const QStringList links = {
        platform::ShellLinkPath(ShellFolder::Desktop, "Velmora3.0.desktop"),
        platform::ShellLinkPath(ShellFolder::Programs, "Velmora Player 3.0/卸载Velmora 3.0.desktop"),
        platform::ShellLinkPath(ShellFolder::Programs, "Velmora Player 3.0/访问Velmora网站.desktop"),
        platform::ShellLinkPath(ShellFolder::Programs, "Velmora Player 3.0/使用Velmora指南.desktop"),
        platform::ShellLinkPath(ShellFolder::Programs, "Velmora Player 3.0/Velmora 3.0.desktop"),
        platform::ShellLinkPath(ShellFolder::QuickLaunch, "Velmora3.0.desktop")};
    for (const QString& link : links) ASSERT_TRUE(platform::WriteShellLink(link, install_ + "velmora", install_, "V"));

    EXPECT_EQ(uninstall::UninstallMain(program()), Outcome::Done);

    for (const QString& link : links) EXPECT_FALSE(QFileInfo::exists(link)) << qPrintable(link);
    EXPECT_FALSE(QFileInfo::exists(applications + "Velmora Player 3.0"));
    EXPECT_FALSE(QFileInfo::exists(applications + "velmora.desktop"));
    EXPECT_EQ(root_.read("home/.local/share/applications/other.desktop"), otherEntry);
    EXPECT_EQ(root_.read("home/Desktop/Other.desktop"), otherEntry);
    const QByteArray defaults = root_.read("home/.config/mimeapps.list");
    EXPECT_FALSE(defaults.contains("velmora")) << defaults.constData();
    EXPECT_TRUE(defaults.contains("audio/mpeg=other.desktop;")) << defaults.constData();
}

TEST_F(UninstallTest, MenuFolderWithoutThePlayersLinkIsLeftAlone) {
    // The player's own link was deleted by hand: the folder is not known to be the player's.
    const QString guide =
        platform::ShellLinkPath(platform::ShellFolder::Programs, "Velmora Player 3.0/使用Velmora指南.desktop");
    ASSERT_TRUE(platform::WriteShellLink(guide, install_ + "help/index.htm", install_, "G"));

    EXPECT_EQ(uninstall::UninstallMain(program()), Outcome::Done);

    EXPECT_TRUE(QFileInfo::exists(guide));
}

// As a new user: the install copied, the first-run setup of the settings dialog (default
// associations and protocols, browser entries, shortcuts), two more types given to the player,
// then the uninstaller: nothing of the player is left, whatever the dialog and the uninstaller
// each make of the shared names.
TEST_F(UninstallTest, WhatTheSettingsDialogRegistersIsAllUndone) {
    OtherProgramValues();
    // The keys of the players whose proxies the network page edits; the first run makes them
    // where they are missing, and they are theirs, not the player's.
    SetValue(RootKey::CurrentUser, "Software\\Microsoft\\MediaPlayer\\Preferences\\ProxySettings", "x", "1");
    SetValue(RootKey::ClassesRoot, "Software\\RealNetworks\\RealMediaSDK\\6.0\\Preferences", "x", "1");
    Write(root_.file("home/.config/mimeapps.list"), "[Default Applications]\naudio/mpeg=other.desktop;\n");
    const QStringList others = Registry();
    const QString shipped = QString(VELMORA_BUILT_INSTALL_DIR) + "/Plugins/FilePlus.ini";
    ASSERT_TRUE(QFile::remove(install_ + "Plugins/FilePlus.ini"));
    ASSERT_TRUE(QFile::copy(shipped, install_ + "Plugins/FilePlus.ini"));
    {
        TCtrl ctrl;
        Ctrl = &ctrl;
        ctrl.Init(install_);
        {
            TForm8 form;
            ASSERT_TRUE(form.FirstRunSetup());
            form.AssociateFileType("ogg", QString());
            form.AssociateFileType("mod", QString());  // in none of the engine lists
        }
        delete Form8.data();
        Ctrl = nullptr;
    }
    ASSERT_NE(Registry(), others);
    ASSERT_TRUE(QFileInfo::exists(root_.file("home/.local/share/applications/Velmora Player 3.0")));

    EXPECT_EQ(uninstall::UninstallMain(program()), Outcome::Done);

    EXPECT_EQ(Difference(Registry(), others), QStringList());
    QStringList left;
    QDirIterator it(root_.file("home"), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next().mid(root_.file("home").size());
        if (!path.contains("/velmora/registry/") && path.contains("elmora", Qt::CaseInsensitive)) left.append(path);
    }
    EXPECT_EQ(left, QStringList());
    EXPECT_FALSE(root_.read("home/.config/mimeapps.list").contains("velmora"));
    EXPECT_FALSE(QFileInfo::exists(install_));
}

// Root ignores permissions: an immutable file is what it cannot remove.
bool MakeImmutable(const QString& path, bool on) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    if (fd < 0) return false;
    int flags = 0;
    bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
    ok = ok && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    ::close(fd);
    return ok;
}

TEST_F(UninstallTest, WhatCouldNotBeRemovedIsListedNotReportedAsSuccess) {
    const QString stuck = install_ + "Plugins/input.dll";
    if (::geteuid() == 0) {
        if (!MakeImmutable(stuck, true)) GTEST_SKIP() << "no immutable files here";
    } else {
        ASSERT_TRUE(QFile::setPermissions(install_ + "Plugins", QFile::ReadOwner | QFile::ExeOwner));
    }
    const Outcome outcome = uninstall::UninstallMain(program());
    if (::geteuid() == 0) MakeImmutable(stuck, false);
    QFile::setPermissions(install_ + "Plugins", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    EXPECT_EQ(outcome, Outcome::DoneWithFailures);
    ASSERT_FALSE(messages_.isEmpty());
    EXPECT_NE(messages_.last(), kDone);
    EXPECT_TRUE(messages_.last().startsWith("完成卸载|")) << qPrintable(messages_.last());
    EXPECT_TRUE(messages_.last().contains(stuck)) << qPrintable(messages_.last());
    EXPECT_TRUE(QFileInfo::exists(stuck));
}

// Links the built install folder's files into the fixture (copies across file systems).
void CopyTree(const QString& from, const QString& to) {
    QDirIterator it(from, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString target = to + source.mid(from.size());
        QDir().mkpath(QFileInfo(target).absolutePath());
        if (::link(QFile::encodeName(source).constData(), QFile::encodeName(target).constData()) != 0) {
            ASSERT_TRUE(QFile::copy(source, target)) << qPrintable(target);
        }
    }
}

TEST_F(UninstallTest, EverythingTheBuildShipsIsRemoved) {
    const QString built = root_.file("built/velmora");
    CopyTree(VELMORA_BUILT_INSTALL_DIR, built);
    ASSERT_TRUE(QFileInfo::exists(built + "/Plugins/Uninstall.exe"));
    ASSERT_TRUE(QFileInfo::exists(built + "/velmora"));
    Write(built + "/setup.ini");

    EXPECT_EQ(uninstall::UninstallMain(built + "/Plugins/Uninstall.exe"), Outcome::Done);

    QStringList left;
    QDirIterator it(built, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) left.append(it.next());
    EXPECT_EQ(left, QStringList());
    EXPECT_FALSE(QFileInfo::exists(built));
}

// The built program itself, as a second process: the message stand-in's stderr mode shows the
// boxes, and nobody being there to agree, the question ends in Cancel.
class BuiltUninstaller : public UninstallTest {
protected:
    void SetUp() override {
        UninstallTest::SetUp();
        ASSERT_TRUE(QFile::remove(program()));
        ASSERT_TRUE(QFile::copy(VELMORA_UNINSTALL_PROGRAM, program()));
    }
    QString Run(int* exitCode) {
        QProcess process;
        process.setProgram(program());
        process.start();
        EXPECT_TRUE(process.waitForFinished(60000));
        *exitCode = process.exitCode();
        return QString::fromUtf8(process.readAllStandardError());
    }
};

TEST_F(BuiltUninstaller, AsksAndCancelsThenRefusesWhileThePlayerRuns) {
    PlayerValues();
    const QStringList registry = Registry();
    const QStringList files = Files();
    int code = -1;
    QString err = Run(&code);
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(err.contains("[确认卸载] 确定要完全删除Velmora Player 3.0及还原相关设置吗？") && err.contains("[Cancel]"))
        << qPrintable(err);
    EXPECT_EQ(Registry(), registry);
    EXPECT_EQ(Files(), files);

    QProcess peer;
    peer.start(testing_support::helperProgram("session_peer"), {"window", "dispForm1", root_.file("record")});
    bool ready = false;
    while (!ready && peer.waitForReadyRead(20000)) ready = peer.readAll().contains("ready");
    ASSERT_TRUE(ready);
    err = Run(&code);
    peer.closeWriteChannel();
    if (!peer.waitForFinished(20000)) peer.kill();
    EXPECT_EQ(code, 1);
    EXPECT_TRUE(err.contains("[不能卸载] 请先关闭Velmora Player")) << qPrintable(err);
    EXPECT_FALSE(err.contains("确认卸载")) << qPrintable(err);
    EXPECT_EQ(Registry(), registry);
}

// Another program held letter "a" of the open-with list when the player came: the player took
// "b", and its entry goes from there, the order keeping the other letter.
TEST_F(UninstallTest, TheOpenWithEntryGoesUnderWhateverLetterThePlayerTook) {
    const QString openWith = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.ogg\\OpenWithList";
    SetValue(RootKey::CurrentUser, openWith, "a", "other.exe");
    SetValue(RootKey::CurrentUser, openWith, "MRUList", "a");
    TAssociations("/opt/velmora/velmora").AssociateFileType("ogg", QString());
    TRegistry user(RootKey::CurrentUser);
    ASSERT_TRUE(user.OpenKeyReadOnly("\\" + openWith));
    ASSERT_EQ(user.ReadString("b"), "velmora3.exe");
    ASSERT_EQ(user.ReadString("MRUList"), "ba");

    EXPECT_EQ(uninstall::UninstallMain(program()), Outcome::Done);

    ASSERT_TRUE(user.OpenKeyReadOnly("\\" + openWith));
    EXPECT_EQ(user.GetValueNames(), QStringList({"a", "MRUList"}));
    EXPECT_EQ(user.ReadString("a"), "other.exe");
    EXPECT_EQ(user.ReadString("MRUList"), "a");
}

// With nothing of anybody else's, nothing of the player's is left in the config folder: no
// registry files of empty trees, no defaults file it made, no folder of its own.
TEST_F(UninstallTest, EmptiedRegistryFilesAndTheDefaultsThePlayerMadeGo) {
    PlayerValues();
    platform::DesktopAssociations associations;
    ASSERT_TRUE(associations.AssociateExtension("kpl", install_ + "velmora"));
    ASSERT_TRUE(QFileInfo::exists(root_.file("home/.config/mimeapps.list")));
    const QString registry = root_.file("home/.config/velmora/registry/");
    ASSERT_TRUE(QFileInfo::exists(registry + "HKEY_CLASSES_ROOT.reg"));
    ASSERT_TRUE(QFileInfo::exists(registry + "HKEY_CURRENT_USER.lock"));

    EXPECT_EQ(uninstall::UninstallMain(program()), Outcome::Done);

    EXPECT_FALSE(QFileInfo::exists(root_.file("home/.config/velmora")))
        << root_.read("home/.config/velmora/registry/HKEY_CURRENT_USER.reg").constData();
    EXPECT_FALSE(QFileInfo::exists(root_.file("home/.config/mimeapps.list")));
    EXPECT_FALSE(QFileInfo::exists(root_.file("home/.local/share/mime")));
    EXPECT_FALSE(QFileInfo::exists(root_.file("home/.local/share/icons")));
}

TEST_F(UninstallTest, RegistryFilesOfATreeStillInUseStay) {
    OtherProgramValues();
    PlayerValues();
    EXPECT_EQ(uninstall::UninstallMain(program()), Outcome::Done);
    const QString registry = root_.file("home/.config/velmora/registry/");
    for (const char* root : {"HKEY_CURRENT_USER", "HKEY_CLASSES_ROOT", "HKEY_LOCAL_MACHINE"})
        EXPECT_TRUE(QFileInfo::exists(registry + root + ".reg")) << root;
}

// A system-wide install the user cannot write: the player kept the user's files in the per-user
// folder, and those go with the install.
TEST_F(UninstallTest, ThePerUserFolderOfASystemWideInstallGoesWithIt) {
    const QString perUser = root_.file("home/.local/share/velmora/");
    for (const char* file : {"setup.ini", "velmora.kpl", ".shipped", "Favor/Favor.ini", "Favor/mine.kpl",
                             "Plugins/FilePlus.ini", "Plugins/input.dll", "Plugins/Uninstall.exe", "skins/default/main.bmp"})
        Write(perUser + file);
    Write(perUser + "skins/own.wsz", "the user's own skin");
    EXPECT_FALSE(uninstall::UsesPerUserFolder(install_));
    EXPECT_FALSE(uninstall::UsesPerUserFolder(perUser)) << "its own uninstaller empties it as its install";

    const bool root = ::geteuid() == 0;
    if (root ? !MakeImmutable(install_, true) : !QFile::setPermissions(install_, QFile::ReadOwner | QFile::ExeOwner))
        GTEST_SKIP() << "no unwritable folders here";
    EXPECT_TRUE(uninstall::UsesPerUserFolder(install_));
    const Outcome outcome = uninstall::UninstallMain(program());
    if (root) MakeImmutable(install_, false);
    QFile::setPermissions(install_, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    EXPECT_EQ(outcome, Outcome::DoneWithFailures) << "the install folder's own files could not go";
    QStringList left;
    QDirIterator it(perUser, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) left.append(it.next().mid(perUser.size()));
    left.sort();
    EXPECT_EQ(left, QStringList({"skins", "skins/own.wsz"}));
}

TEST_F(UninstallTest, ADesktopTypeThatCannotBeUndoneIsListedAndTheRestStillGoes) {
    platform::DesktopAssociations associations;
    ASSERT_TRUE(associations.AssociateExtension("mp3", install_ + "velmora"));
    ASSERT_TRUE(associations.AssociateProtocol("vmp", install_ + "velmora"));
    const QString defaults = root_.file("home/.config/mimeapps.list");
    ASSERT_TRUE(QFile::remove(defaults));
    ASSERT_TRUE(QDir().mkpath(defaults));

    EXPECT_EQ(uninstall::UninstallMain(program()), Outcome::DoneWithFailures);

    EXPECT_TRUE(messages_.last().contains(defaults)) << qPrintable(messages_.last());
    EXPECT_FALSE(QFileInfo::exists(root_.file("home/.local/share/applications/velmora.desktop")));
    EXPECT_FALSE(QFileInfo::exists(root_.file("home/.local/share/mime")));
    EXPECT_FALSE(QFileInfo::exists(install_));
}

}  // namespace
