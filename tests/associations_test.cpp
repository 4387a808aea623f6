// File associations and URL protocols: the registry scheme against keys another program holds,
// the freedesktop entry and defaults in the test's own XDG folders, and the associations page.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QStandardPaths>

#include "dialogs/associations.h"
#include "dialogs/dialog_targets.h"
#include "platform/desktop_associations.h"
#include "platform/desktop_types.h"
#include "platform/media_faces.h"
#include "platform/message_box.h"
#include "player/app/form1.h"
#include "player/playback/run.h"
#include "player/playlist/playlist_box.h"
#include "tests/settings_dialog_support.h"

namespace {

using platform::DesktopAssociations;
using platform::RootKey;
using platform::TRegistry;

const QString kOwnWith = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.%1\\OpenWithList");

// Every test starts from an empty registry and an empty desktop in the process's own folders.
void ClearAll() {
    QDir(TRegistry::StorageFolder()).removeRecursively();
    QFile::remove(TRegistry::StorageFolder());
    DesktopAssociations desktop;
    QFile::remove(desktop.EntryFile());
    QFile::remove(desktop.MimeAppsFile());
    QDir().rmdir(desktop.MimeAppsFile());  // a test's stand-in for an unusable file
    QDir(QFileInfo(desktop.EntryFile()).absolutePath()).removeRecursively();
    QFile::remove(QFileInfo(desktop.EntryFile()).absolutePath());
    const QString data = QString::fromLocal8Bit(qgetenv("XDG_DATA_HOME"));
    QDir(data + "/mime").removeRecursively();
    QDir(data + "/icons").removeRecursively();
}

QString Read(RootKey root, const QString& key, const QString& name = QString()) {
    TRegistry reg(root);
    return reg.OpenKeyReadOnly(key) ? reg.ReadString(name) : QStringLiteral("<no key>");
}

bool HasValue(RootKey root, const QString& key, const QString& name) {
    TRegistry reg(root);
    return reg.OpenKeyReadOnly(key) && reg.ValueExists(name);
}

void Put(RootKey root, const QString& key, const QString& name, const QString& value) {
    TRegistry reg(root);
    ASSERT_TRUE(reg.OpenKey(key, true));
    ASSERT_TRUE(reg.WriteString(name, value));
}

QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

class AssociationSchemeTest : public ::testing::Test {
protected:
    void SetUp() override { ClearAll(); }
    void TearDown() override { ClearAll(); }
    TAssociations scheme_{QStringLiteral("/opt/my player/velmora")};
};

TEST_F(AssociationSchemeTest, TakesOverAnotherProgramsTypeAndGivesBackExactlyWhatItFound) {
    Put(RootKey::ClassesRoot, ".mp3", QString(), "Winamp.File");
    Put(RootKey::ClassesRoot, ".mp3", "Content Type", "audio/mpeg");
    Put(RootKey::CurrentUser, kOwnWith.arg("mp3"), "a", "other.exe");
    Put(RootKey::CurrentUser, kOwnWith.arg("mp3"), "MRUList", "a");

    scheme_.AssociateFileType("mp3", QString());
    EXPECT_TRUE(scheme_.IsFileTypeAssociated("*.mp3"));
    EXPECT_EQ(Read(RootKey::ClassesRoot, ".mp3", "velmora3_backup"), "Winamp.File");
    EXPECT_EQ(Read(RootKey::ClassesRoot, "velmora3.mp3\\shell\\open\\command"), "\"/opt/my player/velmora\" \"%L\"");
    EXPECT_EQ(Read(RootKey::CurrentUser, kOwnWith.arg("mp3"), "a"), "other.exe") << "another program's line kept";
    EXPECT_EQ(Read(RootKey::CurrentUser, kOwnWith.arg("mp3"), "b"), "velmora3.exe");
    EXPECT_EQ(Read(RootKey::CurrentUser, kOwnWith.arg("mp3"), "MRUList"), "ba");

    scheme_.AssociateFileType("mp3", QString());
    EXPECT_EQ(Read(RootKey::ClassesRoot, ".mp3", "velmora3_backup"), "Winamp.File") << "the second run keeps the first backup";
    EXPECT_EQ(Read(RootKey::CurrentUser, kOwnWith.arg("mp3"), "MRUList"), "ba");

    scheme_.UnassociateFileType("mp3");
    EXPECT_FALSE(scheme_.IsFileTypeAssociated("*.mp3"));
    EXPECT_EQ(Read(RootKey::ClassesRoot, ".mp3"), "Winamp.File");
    EXPECT_FALSE(HasValue(RootKey::ClassesRoot, ".mp3", "velmora3_backup"));
    EXPECT_EQ(Read(RootKey::ClassesRoot, ".mp3", "Content Type"), "audio/mpeg");
    EXPECT_FALSE(TRegistry(RootKey::ClassesRoot).KeyExists("velmora3.mp3"));
    EXPECT_EQ(Read(RootKey::CurrentUser, kOwnWith.arg("mp3"), "a"), "other.exe");
    EXPECT_FALSE(HasValue(RootKey::CurrentUser, kOwnWith.arg("mp3"), "b"));
    EXPECT_EQ(Read(RootKey::CurrentUser, kOwnWith.arg("mp3"), "MRUList"), "a");
}

// The letters of the "open with" list are value names, which the registry compares without case.
TEST_F(AssociationSchemeTest, OpenWithLettersCountWhateverTheirCase) {
    Put(RootKey::CurrentUser, kOwnWith.arg("mp3"), "A", "other.exe");
    Put(RootKey::CurrentUser, kOwnWith.arg("mp3"), "C", "VELMORA3.EXE");
    Put(RootKey::CurrentUser, kOwnWith.arg("mp3"), "MRUList", "ac");
    scheme_.AssociateFileType("mp3", QString());
    EXPECT_EQ(Read(RootKey::CurrentUser, kOwnWith.arg("mp3"), "a"), "other.exe") << "a taken letter is not reused";
    EXPECT_FALSE(HasValue(RootKey::CurrentUser, kOwnWith.arg("mp3"), "b")) << "the player's own line is kept";
    EXPECT_EQ(Read(RootKey::CurrentUser, kOwnWith.arg("mp3"), "MRUList"), "ca");
}

TEST_F(AssociationSchemeTest, UndoOfATypeNobodyHadRemovesEveryKeyItMadeButKeepsOtherValues) {
    scheme_.AssociateFileType("ogg", QString());
    scheme_.UnassociateFileType("ogg");
    TRegistry classes(RootKey::ClassesRoot);
    EXPECT_FALSE(classes.KeyExists(".ogg"));
    EXPECT_FALSE(classes.KeyExists("velmora3.ogg"));
    EXPECT_FALSE(TRegistry().KeyExists("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.ogg"));

    // A value another program added beside the player's default keeps the key.
    scheme_.AssociateFileType("flac", QString());
    Put(RootKey::ClassesRoot, ".flac", "PerceivedType", "audio");
    scheme_.UnassociateFileType("flac");
    EXPECT_EQ(Read(RootKey::ClassesRoot, ".flac", "PerceivedType"), "audio");
    EXPECT_FALSE(HasValue(RootKey::ClassesRoot, ".flac", QString()));
}

TEST_F(AssociationSchemeTest, ATypeAnotherProgramTookBackIsNeverUndone) {
    scheme_.AssociateFileType("wma", QString());
    Put(RootKey::ClassesRoot, ".wma", QString(), "WMP.File");
    scheme_.UnassociateFileType("wma");
    EXPECT_EQ(Read(RootKey::ClassesRoot, ".wma"), "WMP.File");
    EXPECT_TRUE(TRegistry(RootKey::ClassesRoot).KeyExists("velmora3.wma"));
    EXPECT_EQ(Read(RootKey::CurrentUser, kOwnWith.arg("wma"), "a"), "velmora3.exe");
}

TEST_F(AssociationSchemeTest, IconsByEnding) {
    scheme_.AssociateFileType("a1", "/icons/Note.ICO");
    scheme_.AssociateFileType("a2", "/win/Other.exe");
    scheme_.AssociateFileType("a3", scheme_.ProgramPath());
    scheme_.AssociateFileType("a4", "/icons/note.ico.png");
    EXPECT_EQ(Read(RootKey::ClassesRoot, "velmora3.a1\\DefaultIcon"), "/icons/Note.ICO");
    EXPECT_EQ(Read(RootKey::ClassesRoot, "velmora3.a2\\DefaultIcon"), "/win/Other.exe,0");
    EXPECT_EQ(Read(RootKey::ClassesRoot, "velmora3.a3\\DefaultIcon"), "/opt/my player/velmora,0");
    EXPECT_FALSE(HasValue(RootKey::ClassesRoot, "velmora3.a4\\DefaultIcon", QString()));
}

TEST_F(AssociationSchemeTest, ProtocolsKeepThePreviousVerbAndOnlyTheOwnOneIsAUrlProtocol) {
    Put(RootKey::ClassesRoot, "rtsp\\shell", QString(), "open");
    scheme_.AssociateProtocol("rtsp");
    scheme_.AssociateProtocol("vmp");
    EXPECT_TRUE(scheme_.IsProtocolAssociated("rtsp"));
    EXPECT_EQ(Read(RootKey::ClassesRoot, "rtsp\\shell", "velmora3_backup"), "open");
    EXPECT_EQ(Read(RootKey::ClassesRoot, "rtsp\\shell\\velmora3\\command"), "\"/opt/my player/velmora\" \"%L\"");
    EXPECT_FALSE(HasValue(RootKey::ClassesRoot, "rtsp", "URL Protocol"));
    EXPECT_TRUE(HasValue(RootKey::ClassesRoot, "vmp", "URL Protocol"));

    scheme_.UnassociateProtocol("rtsp");
    scheme_.UnassociateProtocol("vmp");
    EXPECT_EQ(Read(RootKey::ClassesRoot, "rtsp\\shell"), "open");
    EXPECT_FALSE(HasValue(RootKey::ClassesRoot, "rtsp\\shell", "velmora3_backup"));
    EXPECT_FALSE(TRegistry(RootKey::ClassesRoot).KeyExists("rtsp\\shell\\velmora3"));
    EXPECT_FALSE(scheme_.IsProtocolAssociated("vmp"));
    EXPECT_TRUE(HasValue(RootKey::ClassesRoot, "vmp", "URL Protocol")) << "the URL Protocol value stays";
}

TEST_F(AssociationSchemeTest, AMaskThatIsNotAPlainExtensionIsNeverActedOn) {
    EXPECT_TRUE(IsAssociableMask("*.mp3"));
    EXPECT_TRUE(IsAssociableMask("*.tar.gz"));
    for (const char* mask : {"*.exe", "*.*", "*.", "*..", "mp3", "*.m\\p3", "*.a/b", "*.mp?", "*.m p3"})
        EXPECT_FALSE(IsAssociableMask(mask)) << mask;
    EXPECT_EQ(MaskPieces(" *.MP3 ;;*.wma;"), QStringList({"*.mp3", "*.wma"}));
}

TEST_F(AssociationSchemeTest, AnUnwritableRegistryIsReportedAndStopsTheRest) {
    QDir().mkpath(QFileInfo(TRegistry::StorageFolder()).absolutePath());
    WriteFile(TRegistry::StorageFolder(), "not a folder");
    EXPECT_THROW(scheme_.AssociateFileType("mp3", QString()), EAssociationError);
    QFile::remove(TRegistry::StorageFolder());
    EXPECT_FALSE(scheme_.IsFileTypeAssociated("*.mp3"));
}

class DesktopAssociationsTest : public ::testing::Test {
protected:
    void SetUp() override { ClearAll(); }
    void TearDown() override { ClearAll(); }
    QByteArray Entry() const { return FileBytes(desktop_.EntryFile()); }
    DesktopAssociations desktop_;
};

TEST_F(DesktopAssociationsTest, FilesStayInTheTestsOwnFolders) {
    EXPECT_TRUE(desktop_.EntryFile().startsWith(QString::fromLocal8Bit(qgetenv("XDG_DATA_HOME")) + "/applications/"));
    EXPECT_EQ(desktop_.MimeAppsFile(), QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME")) + "/mimeapps.list");
}

TEST_F(DesktopAssociationsTest, WritesTheEntryAndPutsItBeforeThePreviousDefaultsThenRestoresThemByteForByte) {
    const QByteArray before = "# the user's own\r\n[Default Applications]\r\naudio/mpeg=vlc.desktop;\r\n"
                              "x-scheme-handler/rtsp=other.desktop;\r\n\r\n[Added Associations]\r\nvideo/mp4=mpv.desktop;\r\n";
    WriteFile(desktop_.MimeAppsFile(), before);
    ASSERT_TRUE(desktop_.AssociateExtension("mp3", "/opt/velmora/velmora"));
    ASSERT_TRUE(desktop_.AssociateProtocol("rtsp", "/opt/velmora/velmora"));
    ASSERT_TRUE(desktop_.AssociateExtension("mp3", "/opt/velmora/velmora"));

    EXPECT_TRUE(desktop_.IsDefaultFor("audio/mpeg"));
    EXPECT_TRUE(desktop_.IsDefaultFor("x-scheme-handler/rtsp"));
    const QByteArray list = FileBytes(desktop_.MimeAppsFile());
    EXPECT_TRUE(list.contains("audio/mpeg=velmora.desktop;vlc.desktop;\r\n")) << list.constData();
    EXPECT_TRUE(list.contains("video/mp4=mpv.desktop;")) << "other groups untouched";
    const QByteArray entry = Entry();
    EXPECT_TRUE(entry.contains("MimeType=audio/mpeg;x-scheme-handler/rtsp;\n")) << entry.constData();
    EXPECT_TRUE(entry.contains("Exec=\"/opt/velmora/velmora\" %u\n")) << entry.constData();
    EXPECT_TRUE(entry.contains("NoDisplay=true\n"));
    EXPECT_EQ(desktop_.Extensions(), QStringList({"mp3"}));

    ASSERT_TRUE(desktop_.UnassociateExtension("mp3"));
    ASSERT_TRUE(desktop_.UnassociateProtocol("rtsp"));
    EXPECT_EQ(FileBytes(desktop_.MimeAppsFile()), before);
    EXPECT_FALSE(QFile::exists(desktop_.EntryFile())) << "nothing left to open: the entry goes";
}

TEST_F(DesktopAssociationsTest, ATypeNobodyHadGetsAKeyThatGoesAgain) {
    ASSERT_TRUE(desktop_.AssociateProtocol("mms", "/p"));
    EXPECT_TRUE(FileBytes(desktop_.MimeAppsFile()).contains("[Default Applications]\nx-scheme-handler/mms=velmora.desktop;\n"));
    ASSERT_TRUE(desktop_.UnassociateProtocol("mms"));
    EXPECT_FALSE(FileBytes(desktop_.MimeAppsFile()).contains("x-scheme-handler/mms"));
}

TEST_F(DesktopAssociationsTest, AMimeTypeSharedByTwoExtensionsStaysWhileEitherIsTheirs) {
    ASSERT_EQ(DesktopAssociations::MimeTypeOfExtension("mpg"), DesktopAssociations::MimeTypeOfExtension("mpeg"));
    const QString type = DesktopAssociations::MimeTypeOfExtension("mpg");
    ASSERT_TRUE(desktop_.AssociateExtension("mpg", "/p"));
    ASSERT_TRUE(desktop_.AssociateExtension("mpeg", "/p"));
    ASSERT_TRUE(desktop_.UnassociateExtension("mpg"));
    EXPECT_TRUE(desktop_.IsDefaultFor(type));
    ASSERT_TRUE(desktop_.UnassociateExtension("mpeg"));
    EXPECT_FALSE(desktop_.IsDefaultFor(type));
}

TEST_F(DesktopAssociationsTest, UnknownAndAmbiguousExtensions) {
    EXPECT_EQ(DesktopAssociations::MimeTypeOfExtension("zzq"), QString()) << "never claims every unknown file";
    EXPECT_TRUE(DesktopAssociations::MimeTypeOfExtension("ts").startsWith("video/"));
    ASSERT_TRUE(desktop_.AssociateExtension("zzq", "/p"));
    EXPECT_FALSE(FileBytes(desktop_.MimeAppsFile()).contains("octet-stream"));
    EXPECT_EQ(desktop_.Extensions(), QStringList({"zzq"}));
}

// The desktop knows no playlist, skin or CD-track file: the player brings their types, with
// icons, and names them in its entry and in the defaults.
TEST_F(DesktopAssociationsTest, ThePlayersOwnTypesArePackagedWithIconsAndMadeItsDefaults) {
    EXPECT_EQ(DesktopAssociations::MimeTypeOfExtension("KPL"), "application/x-velmora-playlist");
    EXPECT_EQ(DesktopAssociations::MimeTypeOfExtension("wsz"), "application/x-velmora-skin");
    EXPECT_EQ(DesktopAssociations::MimeTypeOfExtension("cda"), "application/x-velmora-cd-track");
    for (const char* e : {"kpl", "wsz", "cda"}) ASSERT_TRUE(desktop_.AssociateExtension(e, "/p")) << e;

    EXPECT_TRUE(desktop_.IsDefaultFor("application/x-velmora-playlist"));
    EXPECT_TRUE(desktop_.IsDefaultFor("application/x-velmora-skin"));
    const QByteArray entry = Entry();
    EXPECT_TRUE(entry.contains("MimeType=application/x-velmora-cd-track;application/x-velmora-playlist;"
                               "application/x-velmora-skin;\n")) << entry.constData();
    EXPECT_TRUE(entry.contains("\nIcon=velmora\n")) << entry.constData();
    const QByteArray package = FileBytes(platform::MimePackageFile());
    EXPECT_TRUE(package.contains("<mime-type type=\"application/x-velmora-skin\">")) << package.constData();
    EXPECT_TRUE(package.contains("<glob pattern=\"*.kpl\"/>"));
    const QString data = QString::fromLocal8Bit(qgetenv("XDG_DATA_HOME"));
    EXPECT_EQ(platform::MimePackageFile(), data + "/mime/packages/velmora.xml");
    for (const QString& icon : platform::DesktopIconFiles()) {
        EXPECT_TRUE(icon.startsWith(data + "/icons/hicolor/")) << qPrintable(icon);
        EXPECT_TRUE(FileBytes(icon).startsWith("<svg")) << qPrintable(icon);
    }
    EXPECT_TRUE(platform::DesktopIconFiles().contains(data + "/icons/hicolor/scalable/apps/velmora.svg"));
    EXPECT_TRUE(platform::DesktopIconFiles().contains(
        data + "/icons/hicolor/scalable/mimetypes/application-x-velmora-playlist.svg"));

    QStringList failures;
    platform::RemoveDesktopTypes(&failures);
    EXPECT_EQ(failures, QStringList());
    EXPECT_FALSE(QFileInfo::exists(data + "/mime")) << "nothing but the player's package was in it";
    EXPECT_FALSE(QFileInfo::exists(data + "/icons"));
}

// The group and the file the player made for its defaults go with them; another group stays as
// it was.
TEST_F(DesktopAssociationsTest, ADefaultsGroupThePlayerAddedGoesAgain) {
    ASSERT_TRUE(desktop_.AssociateProtocol("mms", "/p"));
    ASSERT_TRUE(desktop_.UnassociateProtocol("mms"));
    EXPECT_FALSE(QFileInfo::exists(desktop_.MimeAppsFile())) << FileBytes(desktop_.MimeAppsFile()).constData();

    const QByteArray before = "# mine\n[Added Associations]\nvideo/mp4=mpv.desktop;\n";
    WriteFile(desktop_.MimeAppsFile(), before);
    ASSERT_TRUE(desktop_.AssociateExtension("mp3", "/p"));
    ASSERT_TRUE(desktop_.AssociateProtocol("vmp", "/p"));
    ASSERT_TRUE(desktop_.RemoveAll());
    EXPECT_EQ(FileBytes(desktop_.MimeAppsFile()), before);
}

TEST_F(DesktopAssociationsTest, RemoveAllGoesOnPastATypeThatFailsAndListsIt) {
    ASSERT_TRUE(desktop_.AssociateExtension("mp3", "/p"));
    ASSERT_TRUE(desktop_.AssociateExtension("zzq", "/p"));
    ASSERT_TRUE(desktop_.AssociateProtocol("rtsp", "/p"));
    // A folder where the defaults file belongs: the types that have a default cannot be undone.
    QFile::remove(desktop_.MimeAppsFile());
    ASSERT_TRUE(QDir().mkpath(desktop_.MimeAppsFile()));

    EXPECT_FALSE(desktop_.RemoveAll());
    EXPECT_FALSE(QFileInfo::exists(desktop_.EntryFile())) << "the entry goes all the same";
    ASSERT_FALSE(desktop_.Failures().isEmpty());
    EXPECT_TRUE(desktop_.Failures().first().contains(desktop_.MimeAppsFile())) << qPrintable(desktop_.LastError());
}

TEST_F(DesktopAssociationsTest, ProgramPathIsQuotedByTheDesktopEntryRules) {
    EXPECT_EQ(DesktopAssociations::ExecValue("/home/a b/$x`y\"z\\w/100%/velmora"),
              "\"/home/a b/\\\\$x\\\\`y\\\\\"z\\\\\\\\w/100%%/velmora\" %u");
}

TEST_F(DesktopAssociationsTest, RemoveAllTakesTheEntryOutOfListsWhereAnotherProgramWentFirst) {
    ASSERT_TRUE(desktop_.AssociateExtension("mp3", "/p"));
    ASSERT_TRUE(desktop_.AssociateProtocol("vmp", "/p"));
    QByteArray list = FileBytes(desktop_.MimeAppsFile());
    list.replace("audio/mpeg=velmora.desktop;", "audio/mpeg=vlc.desktop;velmora.desktop;");
    WriteFile(desktop_.MimeAppsFile(), list);
    ASSERT_TRUE(desktop_.RemoveAll());
    EXPECT_EQ(FileBytes(desktop_.MimeAppsFile()), "[Default Applications]\naudio/mpeg=vlc.desktop;\n");
    EXPECT_FALSE(QFile::exists(desktop_.EntryFile()));
}

TEST_F(DesktopAssociationsTest, TheRegistrySchemeMirrorsEveryChangeOnTheDesktop) {
    TAssociations scheme(QStringLiteral("/opt/velmora/velmora"));
    scheme.AssociateFileType("mp3", QString());
    scheme.AssociateProtocol("rtsp");
    EXPECT_TRUE(desktop_.IsDefaultFor("audio/mpeg"));
    EXPECT_TRUE(desktop_.IsDefaultFor("x-scheme-handler/rtsp"));
    scheme.UnassociateFileType("mp3");
    scheme.UnassociateProtocol("rtsp");
    EXPECT_FALSE(desktop_.IsDefaultFor("audio/mpeg"));
    EXPECT_FALSE(QFile::exists(desktop_.EntryFile()));
}

TEST_F(DesktopAssociationsTest, ADesktopThatCannotBeWrittenIsReported) {
    WriteFile(QFileInfo(desktop_.EntryFile()).absolutePath(), "a file where the folder should be");
    EXPECT_FALSE(desktop_.AssociateExtension("mp3", "/p"));
    EXPECT_FALSE(desktop_.LastError().isEmpty());
    EXPECT_THROW(TAssociations("/p").AssociateFileType("mp3", QString()), EAssociationError);
}

class AssociationPageTest : public SettingsDialogFixture {
protected:
    void SetUp() override {
        ClearAll();
        SettingsDialogFixture::SetUp();
        platform::SetMessageRecorder([this](const QString& text, const QString&, platform::MessageIcon) { messages_ << text; });
    }
    void TearDown() override {
        SetIconChooser({});
        platform::SetMessageRecorder({});
        SettingsDialogFixture::TearDown();
        ClearAll();
    }
    void FilePlus(const QByteArray& decoders, const QByteArray& types) {
        dir_.write("Plugins/FilePlus.ini", "[DECODE_SETUP]\r\n" + decoders + "[OPEN_SETUP]\r\n" + types);
        Ctrl->ReadDecoderLists();
    }
    static QStringList Texts(QListWidget* list) {
        QStringList texts;
        for (int i = 0; i < list->count(); ++i) texts << list->item(i)->text();
        return texts;
    }
    static QString Ticks(QListWidget* list) {
        QString ticks;
        for (int i = 0; i < list->count(); ++i) ticks += list->item(i)->checkState() == Qt::Checked ? '1' : '0';
        return ticks;
    }
    TAssociations Scheme() const { return TAssociations(QCoreApplication::applicationFilePath()); }
    QStringList messages_;
};

const QByteArray kTypes = "OPEN0_TITLE=All\r\nOPEN0_VALUE=*.mp3\r\nOPEN1_TITLE=Audio\r\nOPEN1_VALUE=*.MP3;*.exe;*.wma\r\n"
                          "OPEN2_TITLE=Everything\r\nOPEN2_VALUE=*.*;*.mp3\r\nOPEN3_TITLE=Empty\r\nOPEN3_VALUE=\r\n"
                          "OPEN5_TITLE=Real\r\nOPEN5_VALUE=*.rm;*.rmvb\r\n";

TEST_F(AssociationPageTest, ListsTheTypesOfTheOpenDialogThenSkinsAndProtocolsWithoutExe) {
    FilePlus("", kTypes);
    Scheme().AssociateFileType("wma", QString());
    TForm8 form;
    form.SelectPage(2);
    auto* types = Widget<QListWidget>(form, "ListBox2");
    auto* entries = Widget<QListWidget>(form, "CheckListBox1");
    EXPECT_EQ(Texts(types), QStringList({"Audio", "Real", "皮肤文件", "网络协议"}));
    EXPECT_EQ(Texts(entries), QStringList({"*.mp3", "*.wma"}));
    EXPECT_EQ(Ticks(entries), "01");
    EXPECT_EQ(form.CheckStates, "01");
    EXPECT_FALSE(Widget<QPushButton>(form, "Button5")->isEnabled());

    types->setCurrentRow(3);
    EXPECT_EQ(Texts(entries), QStringList({"rtsp://", "pnm://", "mms://", "mmst://", "mmsu://"}));
    form.SelectPage(2);
    EXPECT_EQ(types->currentRow(), 3) << "a later load keeps the type list and its selection";
}

TEST_F(AssociationPageTest, ATickAppliesTheWholeListAndAClickOnTheTextAppliesNothing) {
    FilePlus("", kTypes);
    TForm8 form;
    form.SelectPage(2);
    auto* entries = Widget<QListWidget>(form, "CheckListBox1");
    entries->setCurrentRow(1);
    entries->item(1)->setCheckState(Qt::Checked);  // the user ticks *.wma
    emit entries->itemClicked(entries->item(1));
    EXPECT_TRUE(Scheme().IsFileTypeAssociated("*.wma"));
    EXPECT_FALSE(Scheme().IsFileTypeAssociated("*.mp3"));
    EXPECT_TRUE(Widget<QPushButton>(form, "Button5")->isEnabled());
    EXPECT_GT(platform::AssociationsChangedCount(), 0);

    // Taken away behind the page's back: a click that toggles nothing must not give it back.
    Scheme().UnassociateFileType("wma");
    emit entries->itemClicked(entries->item(0));
    EXPECT_FALSE(Scheme().IsFileTypeAssociated("*.wma"));

    entries->item(0)->setCheckState(Qt::Checked);
    EXPECT_TRUE(Scheme().IsFileTypeAssociated("*.mp3"));
    EXPECT_TRUE(Scheme().IsFileTypeAssociated("*.wma")) << "every ticked entry is applied";
}

TEST_F(AssociationPageTest, ProtocolTicksAndTheIconButton) {
    FilePlus("", kTypes);
    TForm8 form;
    form.SelectPage(2);
    auto* types = Widget<QListWidget>(form, "ListBox2");
    auto* entries = Widget<QListWidget>(form, "CheckListBox1");
    auto* button5 = Widget<QPushButton>(form, "Button5");

    entries->setCurrentRow(0);
    button5->setEnabled(true);
    SetIconChooser([] { return QStringLiteral("/icons/note.ico"); });
    button5->click();
    EXPECT_FALSE(TRegistry(RootKey::ClassesRoot).KeyExists("velmora3.mp3")) << "no icon for an unticked entry";
    entries->item(0)->setCheckState(Qt::Checked);
    button5->click();
    EXPECT_EQ(Read(RootKey::ClassesRoot, "velmora3.mp3\\DefaultIcon"), "/icons/note.ico");

    types->setCurrentRow(3);
    entries->item(2)->setCheckState(Qt::Checked);
    EXPECT_TRUE(Scheme().IsProtocolAssociated("mms"));
    EXPECT_FALSE(Scheme().IsProtocolAssociated("rtsp"));
    entries->setCurrentRow(2);
    emit entries->itemClicked(entries->item(2));
    EXPECT_FALSE(button5->isEnabled()) << "no icons for protocols";
}

TEST_F(AssociationPageTest, DefaultSetMatchesWholeMasks) {
    FilePlus("DECODE0=*.mp3;*.ogg\r\nDECODE1=*.rmvb;*.ra\r\nDECODE4=*.swf;*.exe\r\n", kTypes);
    Scheme().AssociateFileType("ogg", QString());
    Put(RootKey::ClassesRoot, "mms\\shell", QString(), "open");
    TForm8 form;
    form.SelectPage(2);
    Widget<QPushButton>(form, "Button6")->click();
    Widget<QPushButton>(form, "Button6")->click();
    for (const char* mask : {"*.mp3", "*.ra", "*.swf", "*.kpl", "*.wsz"}) EXPECT_TRUE(Scheme().IsFileTypeAssociated(mask)) << mask;
    EXPECT_FALSE(Scheme().IsFileTypeAssociated("*.rm")) << "*.rm is not a part of *.rmvb";
    EXPECT_FALSE(Scheme().IsFileTypeAssociated("*.cda")) << "no engine plays it";
    EXPECT_FALSE(Scheme().IsFileTypeAssociated("*.ogg")) << "listed types are undone first; ogg is not a default";
    EXPECT_FALSE(Scheme().IsFileTypeAssociated("*.exe"));
    for (const char* p : {"vmp", "rtsp", "pnm", "mms", "mmst", "mmsu"}) EXPECT_TRUE(Scheme().IsProtocolAssociated(p)) << p;
    EXPECT_EQ(Read(RootKey::ClassesRoot, "mms\\shell", "velmora3_backup"), "open") << "the previous verb survives a re-run";
    EXPECT_EQ(Ticks(Widget<QListWidget>(form, "CheckListBox1")), "10") << "the page shows the new state";
}

TEST_F(AssociationPageTest, RealTypesGoThroughADialogMadeForThatAlone) {
    FilePlus("DECODE1=*.rm;*.ra\r\n", kTypes);
    Scheme().AssociateFileType("rm", QString());
    Scheme().AssociateFileType("mp3", QString());
    Scheme().AssociateProtocol("rtsp");
    Scheme().AssociateProtocol("mms");
    ASSERT_TRUE(Form8.isNull());
    const int notified = platform::AssociationsChangedCount();
    TDialogTargets().RemoveRealAssociations();
    EXPECT_TRUE(Form8.isNull()) << "the dialog made for the call is freed again";
    EXPECT_FALSE(Scheme().IsFileTypeAssociated("*.rm"));
    EXPECT_FALSE(Scheme().IsProtocolAssociated("rtsp"));
    EXPECT_TRUE(Scheme().IsFileTypeAssociated("*.mp3"));
    EXPECT_TRUE(Scheme().IsProtocolAssociated("mms"));
    EXPECT_EQ(platform::AssociationsChangedCount(), notified + 1);

    // Nothing of RealAudio left: no notification; a dialog on show stays and refreshes its page.
    ShowSettingsDialog(2);
    TForm8* shown = Form8;
    Widget<QListWidget>(*shown, "ListBox2")->setCurrentRow(1);
    Scheme().AssociateProtocol("rtsp");
    TDialogTargets().RemoveRealAssociations();
    EXPECT_EQ(Form8.data(), shown);
    EXPECT_EQ(platform::AssociationsChangedCount(), notified + 1);
    EXPECT_EQ(Ticks(Widget<QListWidget>(*shown, "CheckListBox1")), "00");
}

TEST_F(AssociationPageTest, ARegistryFailureIsShownAndThePageStaysUsable) {
    FilePlus("", kTypes);
    TForm8 form;
    form.SelectPage(2);
    auto* entries = Widget<QListWidget>(form, "CheckListBox1");
    QDir(TRegistry::StorageFolder()).removeRecursively();
    WriteFile(TRegistry::StorageFolder(), "not a folder");
    entries->item(0)->setCheckState(Qt::Checked);
    ASSERT_EQ(messages_.size(), 1);
    EXPECT_FALSE(messages_.first().isEmpty());
    QFile::remove(TRegistry::StorageFolder());
}

// The playback controller asks for the RealAudio types to go when the RealAudio engine cannot be
// made; the program's command targets reach the settings dialog for it.
TEST(RealAudioRemovalTest, AnUnusableRealAudioEngineTakesItsTypesAway) {
    ClearAll();
    testing_support::TempFolder dir;
    dir.write("Plugins/FilePlus.ini", "[DECODE_SETUP]\r\nDECODE0=*.mp3\r\nDECODE1=*.rm;*.ra\r\n");
    TAssociations scheme(QCoreApplication::applicationFilePath());
    scheme.AssociateFileType("rm", QString());
    scheme.AssociateFileType("mp3", QString());
    scheme.AssociateProtocol("pnm");
    platform::SetMessageRecorder([](const QString&, const QString&, platform::MessageIcon) {});
    platform::SetCommandRecorder([](const QString&, int) {});
    platform::RealAudioControl::SetAvailable(false);
    InstallDialogTargets();
    auto* form = new TForm1(dir.path() + "/");
    ListBox1->SetItems({"<?/m/a.rm?>"});
    Ctrl->Run->PlayIndex(0);
    EXPECT_EQ(Ctrl->Run->EngineCode, Engine::RealUnusable);
    EXPECT_FALSE(scheme.IsFileTypeAssociated("*.rm"));
    EXPECT_FALSE(scheme.IsProtocolAssociated("pnm"));
    EXPECT_TRUE(scheme.IsFileTypeAssociated("*.mp3"));
    EXPECT_TRUE(Form8.isNull());
    form->QuietClose = true;
    form->close();
    delete form;
    SetCommandTargetsMaker({});
    platform::RealAudioControl::SetAvailable(true);
    platform::SetMessageRecorder({});
    platform::SetCommandRecorder({});
    ClearAll();
}

}  // namespace
