// The shell-integration page, its shortcuts as desktop files and the first-run setup, run in a
// home, config and data folder of each test's own, so no real desktop or menu is touched.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QTimer>
#include <functional>
#include <cstdlib>
#include <optional>
#include <string>

#include "dialogs/dialog_targets.h"
#include "dialogs/settings_proxy.h"
#include "names/shell_names.h"
#include "platform/desktop_associations.h"
#include "platform/desktop_types.h"
#include "platform/message_box.h"
#include "platform/registry.h"
#include "platform/shell_links.h"
#include "player/app/form1.h"
#include "player/commands/player_targets.h"
#include "tests/settings_dialog_support.h"

namespace {

QString Name(const char16_t* name) { return QString::fromUtf16(name); }
QString Program() { return QCoreApplication::applicationFilePath(); }

// An environment variable set or removed for one test and put back afterwards.
class ScopedVariable {
public:
    explicit ScopedVariable(const char* name) : name_(name) {
        if (const char* value = std::getenv(name)) old_ = std::string(value);
    }
    ~ScopedVariable() {
        if (old_) setenv(name_, old_->c_str(), 1);
        else unsetenv(name_);
    }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;
    void Set(const QString& value) const { setenv(name_, QFile::encodeName(value).constData(), 1); }
    void Unset() const { unsetenv(name_); }

private:
    const char* name_;
    std::optional<std::string> old_;
};

// The private folders and the places where the links land in them.
class ShellFolders {
public:
    ShellFolders() {
        for (const char* sub : {"home", "config", "data"}) QDir(root_.path()).mkpath(sub);
        home_.Set(root_.file("home"));
        config_.Set(root_.file("config"));
        data_.Set(root_.file("data"));
    }
    QString Desktop() const { return root_.file("home/Desktop/Velmora3.0.desktop"); }
    QString StartMenu() const { return root_.file("data/applications/Velmora Player 3.0"); }
    QString StartMenuLink(const char16_t* name) const { return StartMenu() + "/" + Name(name) + ".desktop"; }
    QString QuickLaunch() const { return root_.file("config/velmora/Quick Launch/Velmora3.0.desktop"); }
    QStringList StartMenuFiles() const { return QDir(StartMenu()).entryList(QDir::Files, QDir::Name); }

    testing_support::TempFolder root_;
    ScopedVariable home_{"HOME"};
    ScopedVariable config_{"XDG_CONFIG_HOME"};
    ScopedVariable data_{"XDG_DATA_HOME"};
};

QString MenuExtDefault(const char16_t* key, int* contexts = nullptr) {
    platform::TRegistry reg;
    if (!reg.OpenKeyReadOnly("\\" + Name(key))) return "<missing>";
    if (contexts) reg.ReadInteger("Contexts", contexts);
    return reg.ReadString(QString());
}

bool ToolbarKeyExists() {
    return platform::TRegistry(platform::RootKey::LocalMachine).KeyExists("\\" + Name(names::kToolbarKey));
}

// Target and working folder of each link of a first run at `install`.
void ExpectLinksPointAt(const ShellFolders& folders, const QString& install) {
    const auto expect = [](const QString& path, const QString& target, const QString& working) {
        const platform::ShellLinkInfo link = platform::ReadShellLink(path);
        EXPECT_EQ(link.target, target) << path.toStdString();
        EXPECT_EQ(link.workingFolder, working) << path.toStdString();
    };
    expect(folders.Desktop(), Program(), install);
    expect(folders.StartMenuLink(names::kStartMenuPlayerLink), Program(), install);
    expect(folders.StartMenuLink(names::kStartMenuGuideLink), install + "help/index.htm", install);
    expect(folders.StartMenuLink(names::kStartMenuSiteLink), install + "Plugins/velmora.htm", install + "Plugins/");
    expect(folders.StartMenuLink(names::kStartMenuUninstallLink), install + "Plugins/Uninstall.exe",
           install + "Plugins/");
    EXPECT_EQ(MenuExtDefault(names::kMenuExtPlayKey), install + "Plugins/load.htm");
    EXPECT_EQ(MenuExtDefault(names::kMenuExtPlayAllKey), install + "Plugins/loadall.htm");
}

class ShellPageTest : public SettingsDialogFixture {
protected:
    void SetUp() override {
        folders_.emplace();  // before the fixture's controller, so its registry is the private one
        SettingsDialogFixture::SetUp();
        platform::SetMessageRecorder([this](const QString& text, const QString&, platform::MessageIcon) {
            messages_ << text;
        });
    }
    void TearDown() override {
        platform::SetMessageRecorder({});
        SettingsDialogFixture::TearDown();
        folders_.reset();
    }
    QString Install() const { return dir_.path() + "/"; }
    static QCheckBox* Box(const TForm8& form, const char* name) { return Widget<QCheckBox>(form, name); }
    static constexpr int kShellPage = 12;

    std::optional<ShellFolders> folders_;
    QStringList messages_;
};

TEST_F(ShellPageTest, FirstRunWritesBothMenuEntriesDesktopAndStartMenuButNoQuickLaunchOrToolbar) {
    TForm8 form;
    ASSERT_TRUE(form.FirstRunSetup());
    int contexts = 0, allContexts = 0;
    MenuExtDefault(names::kMenuExtPlayKey, &contexts);
    MenuExtDefault(names::kMenuExtPlayAllKey, &allContexts);
    EXPECT_EQ(contexts, 34);
    EXPECT_EQ(allContexts, 243);
    ExpectLinksPointAt(*folders_, Install());
    EXPECT_EQ(folders_->StartMenuFiles(), QStringList({"Velmora 3.0.desktop", "使用Velmora指南.desktop",
                                                       "卸载Velmora 3.0.desktop", "访问Velmora网站.desktop"}));
    EXPECT_FALSE(QFileInfo::exists(folders_->QuickLaunch()));
    EXPECT_FALSE(ToolbarKeyExists());
    EXPECT_TRUE(messages_.isEmpty()) << messages_.join("\n").toStdString();
    const TProxyPage proxies = ReadProxySettings();
    EXPECT_TRUE(proxies.Mms.Available && proxies.Rtsp.Available && proxies.Pna.Available)
        << "every proxy row of the network page can be set";

    form.SelectPage(kShellPage);
    EXPECT_TRUE(Box(form, "CheckBox17")->isChecked());
    EXPECT_FALSE(Box(form, "CheckBox18")->isChecked());
    EXPECT_TRUE(Box(form, "CheckBox19")->isChecked());
    EXPECT_TRUE(Box(form, "CheckBox20")->isChecked());
    EXPECT_FALSE(Box(form, "CheckBox25")->isChecked());
}

TEST_F(ShellPageTest, LinksAreLaunchersTheDesktopCanStart) {
    TForm8 form;
    ASSERT_TRUE(form.FirstRunSetup());
    QFile file(folders_->Desktop());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(text.startsWith("[Desktop Entry]\n"));
    EXPECT_TRUE(text.contains("\nType=Application\n"));
    EXPECT_TRUE(text.contains("\nName=Velmora3.0\n"));
    EXPECT_TRUE(QFileInfo(folders_->Desktop()).isExecutable()) << "desktops start only executable launchers";
    // A document opens through the desktop's opener, a program starts itself.
    QFile site(folders_->StartMenuLink(names::kStartMenuSiteLink));
    ASSERT_TRUE(site.open(QIODevice::ReadOnly));
    EXPECT_TRUE(site.readAll().contains("\nExec=xdg-open \""));
}

TEST_F(ShellPageTest, MovedInstallFolderRewritesEntriesAndLinks) {
    {
        TForm8 form;
        ASSERT_TRUE(form.FirstRunSetup());
    }
    testing_support::TempFolder moved;
    Ctrl->InstallFolder = moved.path() + "/";
    TForm8 form;
    ASSERT_TRUE(form.FirstRunSetup());
    ExpectLinksPointAt(*folders_, moved.path() + "/");
    EXPECT_EQ(folders_->StartMenuFiles().size(), 4);
}

TEST_F(ShellPageTest, UncheckingStartMenuAfterItsMainLinkWasDeletedRemovesNothing) {
    TForm8 form;
    ASSERT_TRUE(form.FirstRunSetup());
    form.SelectPage(kShellPage);
    ASSERT_TRUE(Box(form, "CheckBox20")->isChecked());
    QFile::remove(folders_->StartMenuLink(names::kStartMenuPlayerLink));
    Box(form, "CheckBox20")->click();
    EXPECT_EQ(folders_->StartMenuFiles(), QStringList({"使用Velmora指南.desktop", "卸载Velmora 3.0.desktop",
                                                       "访问Velmora网站.desktop"}));
    EXPECT_TRUE(QFileInfo::exists(folders_->Desktop()));
}

TEST_F(ShellPageTest, UncheckingStartMenuRemovesItsLinksAndKeepsAFolderWithOtherFiles) {
    TForm8 form;
    ASSERT_TRUE(form.FirstRunSetup());
    form.SelectPage(kShellPage);
    Box(form, "CheckBox20")->click();
    EXPECT_FALSE(QFileInfo::exists(folders_->StartMenu())) << "an emptied folder goes";

    Box(form, "CheckBox20")->click();
    ASSERT_EQ(folders_->StartMenuFiles().size(), 4);
    QFile other(folders_->StartMenu() + "/notes.txt");
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.close();
    Box(form, "CheckBox20")->click();
    EXPECT_EQ(folders_->StartMenuFiles(), QStringList({"notes.txt"})) << "another file keeps the folder";
}

TEST_F(ShellPageTest, ToolbarKeyOfAnotherCopyShowsUncheckedAndWritesNothing) {
    const QString key = "\\" + Name(names::kToolbarKey);
    {
        platform::TRegistry machine(platform::RootKey::LocalMachine);
        ASSERT_TRUE(machine.OpenKey(key, true));
        ASSERT_TRUE(machine.WriteString("Exec", "/elsewhere/velmora"));
    }
    TForm8 form;
    form.SelectPage(kShellPage);
    EXPECT_FALSE(Box(form, "CheckBox18")->isChecked());
    platform::TRegistry machine(platform::RootKey::LocalMachine);
    ASSERT_TRUE(machine.OpenKeyReadOnly(key));
    EXPECT_EQ(machine.GetValueNames(), QStringList({"Exec"}));
    EXPECT_EQ(machine.ReadString("Exec"), "/elsewhere/velmora");

    Box(form, "CheckBox18")->click();
    EXPECT_EQ(machine.ReadString("Exec"), Program());
    EXPECT_EQ(machine.ReadString("Icon"), Program() + ",4");
    EXPECT_EQ(machine.ReadString("HotIcon"), Program() + ",1");
    EXPECT_EQ(machine.ReadString("ButtonText"), "Velmora Player");
    EXPECT_EQ(machine.ReadString("CLSID"), "{1FBA04EE-3024-11D2-8F1F-0000F87ABD16}");
    EXPECT_EQ(machine.ReadString("Default Visible"), "Yes");
    form.SelectPage(kShellPage);
    EXPECT_TRUE(Box(form, "CheckBox18")->isChecked());
    Box(form, "CheckBox18")->click();
    EXPECT_FALSE(ToolbarKeyExists());
}

TEST_F(ShellPageTest, MenuEntriesShowCheckedOnlyWhenBothPointHereInAnyCase) {
    TForm8 form;
    ASSERT_TRUE(form.FirstRunSetup());
    {
        platform::TRegistry reg;
        ASSERT_TRUE(reg.OpenKey("\\" + Name(names::kMenuExtPlayKey), false));
        ASSERT_TRUE(reg.WriteString(QString(), (Install() + "Plugins/load.htm").toUpper()));
    }
    form.SelectPage(kShellPage);
    EXPECT_TRUE(Box(form, "CheckBox17")->isChecked()) << "compared without case";
    platform::TRegistry().DeleteKey("\\" + Name(names::kMenuExtPlayAllKey));
    form.SelectPage(kShellPage);
    EXPECT_FALSE(Box(form, "CheckBox17")->isChecked());
    Box(form, "CheckBox17")->click();
    EXPECT_EQ(MenuExtDefault(names::kMenuExtPlayAllKey), Install() + "Plugins/loadall.htm");
    Box(form, "CheckBox17")->click();
    EXPECT_EQ(MenuExtDefault(names::kMenuExtPlayKey), "<missing>");
    EXPECT_EQ(MenuExtDefault(names::kMenuExtPlayAllKey), "<missing>");
}

TEST_F(ShellPageTest, QuickLaunchClickReappliesTheOtherBoxesAsTheyStand) {
    TForm8 form;
    ASSERT_TRUE(form.FirstRunSetup());
    form.SelectPage(kShellPage);
    QFile::remove(folders_->Desktop());
    Box(form, "CheckBox25")->click();
    EXPECT_EQ(platform::ReadShellLink(folders_->QuickLaunch()).target, Program());
    EXPECT_TRUE(QFileInfo::exists(folders_->Desktop())) << "the desktop box was still checked";
    Box(form, "CheckBox25")->click();
    EXPECT_FALSE(QFileInfo::exists(folders_->QuickLaunch()));
}

TEST_F(ShellPageTest, UnknownSpecialFoldersAreSkippedAndNamedNeverTheRoot) {
    const QStringList atRoot = {"/Desktop", "/Velmora3.0.desktop", "/.local/share/applications/Velmora Player 3.0",
                                "/applications"};
    for (const QString& path : atRoot) ASSERT_FALSE(QFileInfo::exists(path)) << path.toStdString() << " was there before";
    folders_->home_.Unset();
    folders_->data_.Unset();
    EXPECT_EQ(platform::ShellFolderPath(platform::ShellFolder::Desktop), "");
    EXPECT_EQ(platform::ShellFolderPath(platform::ShellFolder::Programs), "");
    TForm8 form;
    EXPECT_TRUE(form.FirstRunSetup()) << "a folder the desktop does not have is no failure to retry";
    for (const QString& path : atRoot) EXPECT_FALSE(QFileInfo::exists(path)) << path.toStdString();
    ASSERT_EQ(messages_.size(), 2);
    EXPECT_TRUE(messages_[0].contains("桌面")) << messages_[0].toStdString();
    EXPECT_TRUE(messages_[1].contains("开始菜单")) << messages_[1].toStdString();
    EXPECT_EQ(MenuExtDefault(names::kMenuExtPlayKey), Install() + "Plugins/load.htm") << "the rest is done";
}

TEST(ShellFolderTest, DesktopNamedByTheUserDirsHoldsWithoutAHome) {
    ShellFolders folders;
    QFile dirs(folders.root_.file("config/user-dirs.dirs"));
    ASSERT_TRUE(dirs.open(QIODevice::WriteOnly));
    dirs.write("XDG_DESKTOP_DIR=\"" + QFile::encodeName(folders.root_.file("Schreibtisch")) + "\"\n");
    dirs.close();
    folders.home_.Unset();
    EXPECT_EQ(platform::ShellFolderPath(platform::ShellFolder::Desktop), folders.root_.file("Schreibtisch"));
    EXPECT_EQ(platform::ShellFolderPath(platform::ShellFolder::QuickLaunch),
              folders.root_.file("config/velmora/Quick Launch"));
}

TEST(ShellLinkTest, AwkwardPathsSurviveTheRoundTrip) {
    testing_support::TempFolder dir;
    const QString target = dir.file("a \"q\" $HOME `x` 100% back\\slash/prog");
    const QString path = dir.file("sub/link.desktop");
    ASSERT_TRUE(platform::WriteShellLink(path, target, dir.file("w d/"), " lead"));
    const platform::ShellLinkInfo link = platform::ReadShellLink(path);
    EXPECT_EQ(link.target, target);
    EXPECT_EQ(link.workingFolder, dir.file("w d/"));
    EXPECT_EQ(link.name, " lead");
    EXPECT_TRUE(platform::DeleteShellLink(path));
    EXPECT_TRUE(platform::DeleteShellLink(path)) << "deleting what is not there is no error";
    QString error;
    EXPECT_FALSE(platform::WriteShellLink("relative.desktop", target, "/", "x", &error));
    EXPECT_FALSE(error.isEmpty());
}

// Start-up: the setup runs through the dialogs' command targets, as the program installs them.
class FirstRunStartTest : public ::testing::Test {
protected:
    void SetUp() override {
        InstallDialogTargets();
        platform::SetMessageRecorder([](const QString&, const QString&, platform::MessageIcon) {});
    }
    void TearDown() override {
        Close();
        SetCommandTargetsMaker({});
        platform::SetMessageRecorder({});
    }
    void Start(const testing_support::TempFolder& install) {
        Begin(install);
        WaitForSetUp();
    }
    // The window made; its set-up waits for the first paint.
    void Begin(const testing_support::TempFolder& install) {
        Close();
        form_ = new TForm1(install.path() + "/");
    }
    void WaitForSetUp() {
        const QDeadlineTimer deadline(30000);
        while (form_->FirstRunSetupPending() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        ASSERT_FALSE(form_->FirstRunSetupPending());
    }
    // A stand-in for the desktop's database tool, first in PATH: it sleeps, then ends with `code`.
    void FakeMimeTool(double seconds, int code) {
        QDir(tools_.path()).mkpath(".");
        QFile tool(tools_.file("update-mime-database"));
        ASSERT_TRUE(tool.open(QIODevice::WriteOnly));
        tool.write(QStringLiteral("#!/bin/sh\ntouch '%3'\nsleep %1\necho broken database >&2\nexit %2\n")
                       .arg(seconds)
                       .arg(code)
                       .arg(MimeToolStarted())
                       .toUtf8());
        tool.close();
        tool.setPermissions(tool.permissions() | QFileDevice::ExeOwner);
        path_.Set(tools_.path() + ":" + qEnvironmentVariable("PATH"));
    }
    // Made by the stand-in for the database tool once it runs.
    QString MimeToolStarted() const { return tools_.file("started"); }
    // One pass of the loop at a time until `ready`.
    static void RunUntil(const std::function<bool()>& ready) {
        const QDeadlineTimer deadline(30000);
        while (!ready() && !deadline.hasExpired()) QCoreApplication::processEvents();
    }
    void Close() {
        if (!form_) return;
        form_->QuietClose = true;
        form_->close();
        delete form_;
        form_ = nullptr;
    }
    static QString Stored(const char16_t* value) {
        platform::TRegistry reg;
        if (!reg.OpenKeyReadOnly(Name(names::kSettingsKey))) return "<missing>";
        return reg.ValueExists(Name(value)) ? reg.ReadString(Name(value)) : "<missing>";
    }
    static int SetUpMark() {
        platform::TRegistry reg;
        return reg.OpenKeyReadOnly(Name(names::kSettingsKey)) ? reg.ReadInteger(Name(names::kFirstRunDoneValue), 0)
                                                              : 0;
    }

    ShellFolders folders_;
    testing_support::TempFolder first_, moved_, tools_;
    ScopedVariable path_{"PATH"};
    TForm1* form_ = nullptr;
};

TEST_F(FirstRunStartTest, TheSetupWaitsForTheWindowsFirstPaint) {
    Begin(first_);
    EXPECT_TRUE(form_->FirstRunSetupPending());
    EXPECT_FALSE(QFileInfo::exists(folders_.Desktop())) << "nothing of the set-up before the window is up";
    EXPECT_EQ(SetUpMark(), 0);
    WaitForSetUp();
    EXPECT_TRUE(QFileInfo::exists(folders_.Desktop()));
    EXPECT_EQ(SetUpMark(), 1);
}

TEST_F(FirstRunStartTest, APlayerClosedBeforeItsFirstPaintLeavesTheSetupToTheNextStart) {
    Begin(first_);
    Close();
    EXPECT_FALSE(QFileInfo::exists(folders_.Desktop()));
    EXPECT_EQ(SetUpMark(), 0);
    Start(first_);
    EXPECT_TRUE(QFileInfo::exists(folders_.Desktop()));
    EXPECT_EQ(SetUpMark(), 1);
}

// The database tool runs beside the loop; a player closed meanwhile waits for it, so a set-up
// that succeeded is recorded as done.
TEST_F(FirstRunStartTest, AClosingPlayerWaitsForTheTypesDatabaseAndRecordsTheSetup) {
    FakeMimeTool(1, 0);
    Begin(first_);
    RunUntil([this] { return QFileInfo::exists(MimeToolStarted()); });
    ASSERT_TRUE(form_->FirstRunSetupPending()) << "the tool still runs";
    EXPECT_EQ(SetUpMark(), 0);
    Close();
    EXPECT_EQ(SetUpMark(), 1);
}

// The set-up runs in steps between the loop's other events; a player closed between two of them
// records nothing, and the next start runs the whole set-up again.
TEST_F(FirstRunStartTest, APlayerClosedBetweenTheStepsRecordsNothingAndTheNextStartRunsItAll) {
    const QString playlistType = "application/x-velmora-playlist";
    Begin(first_);
    RunUntil([this] { return QFileInfo::exists(folders_.Desktop()); });
    ASSERT_TRUE(form_->FirstRunSetupPending());
    ASSERT_FALSE(platform::DesktopAssociations().IsDefaultFor(playlistType)) << "the associations come later";
    bool handledMeanwhile = false;
    QTimer::singleShot(0, form_, [&] {
        handledMeanwhile = form_->FirstRunSetupPending() && !platform::DesktopAssociations().IsDefaultFor(playlistType);
    });
    RunUntil([&] { return handledMeanwhile || !form_->FirstRunSetupPending(); });
    EXPECT_TRUE(handledMeanwhile) << "other events are handled between the set-up's steps";
    EXPECT_EQ(SetUpMark(), 0) << "not recorded before its last step";
    ASSERT_TRUE(form_->FirstRunSetupPending());

    Close();
    EXPECT_EQ(SetUpMark(), 0);
    EXPECT_EQ(Stored(names::kWorkPathValue), "<missing>");
    EXPECT_TRUE(Form8.isNull()) << "the set-up's dialog went with the player";

    Start(first_);
    EXPECT_EQ(SetUpMark(), 1);
    EXPECT_EQ(Stored(names::kWorkPathValue), first_.path() + "/");
    EXPECT_TRUE(platform::DesktopAssociations().IsDefaultFor(playlistType));
    ExpectLinksPointAt(folders_, first_.path() + "/");
}

// A step's box runs the loop, and the player may be closed from it: the step ends, the rest is
// dropped, nothing is recorded and the next start runs the set-up again.
TEST_F(FirstRunStartTest, APlayerClosedFromAStepsBoxRecordsNothing) {
    const QString defaults = folders_.root_.file("config/mimeapps.list");
    ASSERT_TRUE(QDir().mkpath(defaults));  // the associations fail and say so
    int said = 0;
    platform::SetMessageRecorder([&](const QString&, const QString&, platform::MessageIcon) {
        ++said;
        if (form_) {
            form_->QuietClose = true;
            form_->close();
        }
    });
    Begin(first_);
    RunUntil([this] { return !form_->FirstRunSetupPending(); });
    EXPECT_FALSE(form_->FirstRunSetupPending()) << "the steps left were dropped";
    EXPECT_EQ(said, 1) << "no step ran after the close";
    EXPECT_EQ(SetUpMark(), 0);
    platform::SetMessageRecorder([](const QString&, const QString&, platform::MessageIcon) {});

    ASSERT_TRUE(QDir().rmdir(defaults));
    Start(first_);
    EXPECT_EQ(SetUpMark(), 1);
}

TEST_F(FirstRunStartTest, AFailedTypesDatabaseIsSaidAndTheSetupRunsAgain) {
    QStringList said;
    platform::SetMessageRecorder([&](const QString& text, const QString&, platform::MessageIcon) { said << text; });
    FakeMimeTool(0, 1);
    Start(first_);
    EXPECT_EQ(SetUpMark(), 0);
    EXPECT_TRUE(said.join('\n').contains("broken database")) << said.join('\n').toStdString();
    FakeMimeTool(0, 0);
    Start(first_);
    EXPECT_EQ(SetUpMark(), 1);
    Close();
    platform::SetMessageRecorder([](const QString&, const QString&, platform::MessageIcon) {});
}

TEST_F(FirstRunStartTest, AMovedInstallFolderRunsTheSetupAgain) {
    Start(first_);
    EXPECT_EQ(Stored(names::kWorkPathValue), first_.path() + "/");
    EXPECT_EQ(SetUpMark(), 1);
    EXPECT_EQ(platform::ReadShellLink(folders_.Desktop()).workingFolder, first_.path() + "/");
    EXPECT_TRUE(Form8.isNull()) << "the setup's dialog is freed";

    QFile::remove(folders_.Desktop());
    Start(first_);
    EXPECT_FALSE(QFileInfo::exists(folders_.Desktop())) << "the same folder again: no setup";

    Start(moved_);
    EXPECT_EQ(Stored(names::kWorkPathValue), moved_.path() + "/");
    ExpectLinksPointAt(folders_, moved_.path() + "/");
}

TEST_F(FirstRunStartTest, AnInstallRecordedByAnEarlierBuildWithoutSetupIsSetUpOnce) {
    {
        platform::TRegistry reg;
        ASSERT_TRUE(reg.OpenKey(Name(names::kSettingsKey), true));
        ASSERT_TRUE(reg.WriteString(Name(names::kWorkPathValue), first_.path() + "/"));
    }
    Start(first_);
    EXPECT_TRUE(QFileInfo::exists(folders_.Desktop()));
    EXPECT_EQ(SetUpMark(), 1);
}

TEST_F(FirstRunStartTest, AFailedSetupLeavesWorkPathUnwrittenAndIsRetried) {
    // A file where the applications folder belongs: no Start-menu link can be written.
    QFile blocker(folders_.root_.file("data/applications"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    Start(first_);
    EXPECT_EQ(Stored(names::kWorkPathValue), "<missing>");
    EXPECT_EQ(SetUpMark(), 0);
    EXPECT_TRUE(QFileInfo::exists(folders_.Desktop())) << "what could be written was";

    ASSERT_TRUE(QFile::remove(folders_.root_.file("data/applications")));
    Start(first_);
    EXPECT_EQ(Stored(names::kWorkPathValue), first_.path() + "/");
    EXPECT_EQ(folders_.StartMenuFiles().size(), 4);
}

// Links and browser entries can be written, the default associations cannot: the setup is not
// recorded as done, so the associations are tried again at the next start.
TEST_F(FirstRunStartTest, FailedDefaultAssociationsAreRetriedAtTheNextStart) {
    const QString defaults = folders_.root_.file("config/mimeapps.list");
    ASSERT_TRUE(QDir().mkpath(defaults));  // a folder where the desktop's defaults file belongs
    Start(first_);
    EXPECT_EQ(SetUpMark(), 0);
    EXPECT_TRUE(QFileInfo::exists(folders_.Desktop()));

    ASSERT_TRUE(QDir().rmdir(defaults));
    Start(first_);
    EXPECT_EQ(SetUpMark(), 1);
    EXPECT_TRUE(platform::DesktopAssociations().IsDefaultFor("application/x-velmora-playlist"));
}

TEST_F(ShellPageTest, EveryLauncherWearsThePlayersIconFromTheUsersTheme) {
    TForm8 form;
    ASSERT_TRUE(form.FirstRunSetup());
    for (const char16_t* link : {names::kStartMenuPlayerLink, names::kStartMenuGuideLink, names::kStartMenuSiteLink,
                                 names::kStartMenuUninstallLink})
        EXPECT_EQ(platform::ReadShellLink(folders_->StartMenuLink(link)).icon, "velmora");
    EXPECT_EQ(platform::ReadShellLink(folders_->Desktop()).icon, "velmora");
    EXPECT_TRUE(QFileInfo::exists(folders_->root_.file("data/icons/hicolor/scalable/apps/velmora.svg")));
}

}  // namespace
