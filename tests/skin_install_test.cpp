// The skin page of the settings dialog: the list of the skins folder, installing folders and
// archives into skins/default/, and what hostile or broken archives must not do (escape the
// folder, fill the disk, take the current skin away). Then the hand-over of a .wsz to a running
// player, down to the main window's bitmap.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDirIterator>
#include <QDesktopServices>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QUrl>

#include "dialogs/dialog_targets.h"
#include "platform/message_box.h"
#include "player/app/form1.h"
#include "player/display/display.h"
#include "player/playlist/playlist_box.h"
#include "player/skin/skin_files.h"
#include "player/skin/skin_install.h"
#include "settings_dialog_support.h"
#include "skin_fixtures.h"
#include "zip_writer.h"

namespace {

// A 24-bit bitmap of one colour.
QByteArray Picture(int width, int height, QRgb colour) {
    skin_fixtures::Bmp bmp;
    bmp.width = width;
    bmp.height = height;
    bmp.pixels = skin_fixtures::Rows(width, height, 24, [colour](int, int) { return colour & 0xFFFFFF; });
    return bmp.Build();
}

void UseBuiltUnzipLibrary(const testing_support::TempFolder& install) {
    QDir(install.path()).mkpath("Plugins");
    QFile::copy(QStringLiteral(VELMORA_BUILT_INSTALL_DIR "/Plugins/explain.dll"), install.file("Plugins/explain.dll"));
}

class SkinPageTest : public SettingsDialogFixture {
protected:
    void SetUp() override {
        SettingsDialogFixture::SetUp();
        UseBuiltUnzipLibrary(dir_);
        platform::SetMessageRecorder(
            [this](const QString& text, const QString&, platform::MessageIcon) { messages_ << text; });
        // The skin in use before each install: what a failed one must leave.
        dir_.write("skins/default/main.bmp", "current main");
        dir_.write("skins/default/pledit.txt", "current colours");
        Ctrl->WriteString("SkinsName", "Current");
        form_ = new TForm8();
        Form8 = form_;
    }
    void TearDown() override {
        platform::SetMessageRecorder({});
        SettingsDialogFixture::TearDown();
    }

    QListWidget* List() const { return Widget<QListWidget>(*form_, "ListBox1"); }
    QStringList Entries() const {
        QStringList entries;
        for (int i = 0; i < List()->count(); ++i) entries << List()->item(i)->text();
        return entries;
    }
    QString Archive(const QString& name, const std::vector<zip_writer::Entry>& entries) const {
        zip_writer::Write(dir_.file("skins/" + name), zip_writer::Archive(entries));
        return name;
    }
    // Loads the page and clicks the entry, as a user picks a skin.
    void Click(const QString& entry) {
        form_->LoadPage("选择界面");
        const QList<QListWidgetItem*> found = List()->findItems(entry, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << entry.toStdString();
        List()->setCurrentItem(found.first());
        emit List()->itemClicked(found.first());
        QCoreApplication::processEvents();  // a failure is told by a posted message box
    }
    QStringList CurrentSkin() const { return QDir(dir_.file("skins/default")).entryList(QDir::Files | QDir::Hidden); }
    // What an install may have left behind: anything hidden in the skins folder (staging, the
    // set-aside skin) and anything outside the skins folder, the plug-ins and the settings.
    QStringList Strays() const {
        QStringList found;
        QDirIterator it(dir_.path(), QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = QDir(dir_.path()).relativeFilePath(it.next());
            const bool known = path == "skins" || (path.startsWith("skins/") && !path.startsWith("skins/.")) ||
                               path.startsWith("Plugins") || path == "setup.ini";
            if (!known) found << path;
        }
        return found;
    }
    void ExpectCurrentSkinKept() const {
        EXPECT_EQ(CurrentSkin(), QStringList({"main.bmp", "pledit.txt"}));
        EXPECT_EQ(dir_.read("skins/default/main.bmp"), "current main");
        EXPECT_EQ(Ctrl->ReadString("SkinsName", ""), "Current");
    }

    TForm8* form_ = nullptr;
    QStringList messages_;
};

TEST_F(SkinPageTest, ListsFoldersWithMainAndArchivesTheFolderDoesNotShadow) {
    dir_.write("skins/Blue/main.bmp", "b");
    Archive("Blue.wsz", {zip_writer::File("main.bmp", "b")});
    dir_.write("skins/Red.zip", QByteArray(600 * 1024, 'r'));
    dir_.write("skins/Big.zip", QByteArray(1048576, 'z'));
    dir_.write("skins/Green/eqmain.bmp", "no main picture");
    dir_.write("skins/x.vsz", "not an archive of any kind");
    Archive("y.vsz", {zip_writer::File("main.bmp", "y")});
    dir_.write("skins/readme.txt", "t");
    Ctrl->WriteString("SkinsName", "Red.zip");
    form_->LoadPage("选择界面");

    const QStringList entries = Entries();
    ASSERT_FALSE(entries.isEmpty());
    EXPECT_EQ(entries.first(), "<默认界面>");
    QStringList rest = entries.mid(1);
    rest.sort();
    EXPECT_EQ(rest, QStringList({"Blue", "Red.zip", "y.vsz"}));
    EXPECT_EQ(List()->currentItem()->text(), "Red.zip") << "the last installed entry is selected";

    Ctrl->WriteString("SkinsPath", dir_.file("nowhere/"));
    form_->LoadPage("选择界面");
    EXPECT_EQ(Entries(), QStringList({"<默认界面>"}));
    EXPECT_EQ(List()->currentRow(), -1) << "the stored name is not listed: nothing is selected";
}

TEST_F(SkinPageTest, AFolderSkinReplacesTheCurrentOneWithLowerCaseNames) {
    dir_.write("skins/Blue/MAIN.BMP", "blue main");
    dir_.write("skins/Blue/Volume.bmp", "blue volume");
    Click("Blue");
    EXPECT_EQ(CurrentSkin(), QStringList({"balance.bmp", "main.bmp", "volume.bmp"}))
        << "the old skin's colours are gone, balance comes from volume";
    EXPECT_EQ(dir_.read("skins/default/balance.bmp"), "blue volume");
    EXPECT_EQ(Ctrl->ReadString("SkinsName", ""), "Blue");
    EXPECT_TRUE(messages_.isEmpty()) << messages_.join('\n').toStdString();
    EXPECT_TRUE(Strays().isEmpty()) << Strays().join(' ').toStdString();
}

TEST_F(SkinPageTest, AnArchiveIsUnpackedFlatWithLowerCaseNames) {
    Archive("Night.wsz", {zip_writer::File("Night/", ""), zip_writer::File("Night/Main.BMP", "night main"),
                          zip_writer::File("Night/PLEDIT.TXT", "night colours"),
                          zip_writer::File("\xC6\xA4\xB7\xF4.BMP", "gb18030 name")});
    Click("Night.wsz");
    EXPECT_EQ(CurrentSkin(), QStringList({"main.bmp", "pledit.txt", "皮肤.bmp"}));
    EXPECT_EQ(dir_.read("skins/default/main.bmp"), "night main");
    EXPECT_EQ(Ctrl->ReadString("SkinsName", ""), "Night.wsz");
    EXPECT_TRUE(Strays().isEmpty()) << Strays().join(' ').toStdString();
}

TEST_F(SkinPageTest, HostileEntriesStayInsideTheSkinFolder) {
    const QByteArray absolute = QFile::encodeName(dir_.file("absolute.bmp"));
    Archive("Mixed.wsz", {zip_writer::File("../escape.bmp", "x"), zip_writer::File("../../escape.bmp", "x"),
                          zip_writer::File(absolute, "x"), zip_writer::Link("eqmain.bmp", "/etc/passwd"),
                          zip_writer::File("main.bmp", "mixed main")});
    Click("Mixed.wsz");
    EXPECT_EQ(CurrentSkin(), QStringList({"main.bmp"}));
    EXPECT_FALSE(QFileInfo::exists(dir_.file("skins/escape.bmp")));
    EXPECT_FALSE(QFileInfo::exists(dir_.file("escape.bmp")));
    EXPECT_FALSE(QFileInfo::exists(dir_.file("absolute.bmp")));
    EXPECT_TRUE(Strays().isEmpty()) << Strays().join(' ').toStdString();

    // An archive holding nothing but escapes installs nothing and keeps the skin in use.
    dir_.write("skins/default/main.bmp", "current main");
    dir_.write("skins/default/pledit.txt", "current colours");
    Ctrl->WriteString("SkinsName", "Current");
    Archive("Escape.wsz", {zip_writer::File("../escape.bmp", "x")});
    Click("Escape.wsz");
    ExpectCurrentSkinKept();
    EXPECT_EQ(messages_.size(), 1);
    EXPECT_TRUE(Strays().isEmpty()) << Strays().join(' ').toStdString();
}

TEST_F(SkinPageTest, BrokenArchivesKeepTheCurrentSkinAndSaySo) {
    const QByteArray good = zip_writer::Archive({zip_writer::File("main.bmp", QByteArray(4000, 'm')),
                                                 zip_writer::File("eqmain.bmp", QByteArray(4000, 'e'))});
    dir_.write("skins/Cut.wsz", good.left(good.size() / 2));
    dir_.write("skins/Text.wsz", "no archive at all");
    Archive("Bomb.wsz", {zip_writer::File("main.bmp", "m"), zip_writer::Zeros("eqmain.bmp", 1024)});
    zip_writer::Entry liar = zip_writer::Zeros("eqmain.bmp", 1024);
    liar.size = 100;
    Archive("Liar.wsz", {zip_writer::File("main.bmp", "m"), liar});
    for (const QString entry : {"Cut.wsz", "Text.wsz", "Bomb.wsz", "Liar.wsz"}) {
        messages_.clear();
        Click(entry);
        ExpectCurrentSkinKept();
        ASSERT_EQ(messages_.size(), 1) << entry.toStdString();
        EXPECT_TRUE(messages_.first().contains(entry)) << messages_.first().toStdString();
        EXPECT_TRUE(Strays().isEmpty()) << entry.toStdString() << ": " << Strays().join(' ').toStdString();
    }
}

TEST_F(SkinPageTest, TheBuiltInEntryRemovesTheSkinFolderAndNoSelectionDoesNothing) {
    form_->LoadPage("选择界面");
    List()->setCurrentRow(-1);
    List()->clearSelection();
    EXPECT_FALSE(form_->ApplySkin());
    ExpectCurrentSkinKept();

    Click("<默认界面>");
    EXPECT_FALSE(QFileInfo::exists(dir_.file("skins/default")));
    EXPECT_EQ(Ctrl->ReadString("SkinsName", ""), "<默认界面>");
}

// Stands in for the desktop's browser.
class BrowserRecorder : public QObject {
    Q_OBJECT
public:
    BrowserRecorder() { QDesktopServices::setUrlHandler(QStringLiteral("http"), this, "Open"); }
    ~BrowserRecorder() override { QDesktopServices::unsetUrlHandler(QStringLiteral("http")); }
    QStringList Opened;

public slots:
    void Open(const QUrl& url) { Opened << url.toString(); }
};

TEST_F(SkinPageTest, TheMoreSkinsLinkUnderlinesUnderTheMouseAndOpensTheDownloadPage) {
    BrowserRecorder browser;
    auto* link = Widget<QLabel>(*form_, "Label12");
    QEvent enter(QEvent::Enter);
    QCoreApplication::sendEvent(link, &enter);
    EXPECT_TRUE(link->font().underline());
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(link, &leave);
    EXPECT_FALSE(link->font().underline());
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(2, 2), link->mapToGlobal(QPointF(2, 2)), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(link, &release);
    ASSERT_EQ(browser.Opened.size(), 1);
    EXPECT_TRUE(browser.Opened.first().endsWith("/skins"));
}

TEST_F(SkinPageTest, AMissingUnzipLibraryIsReportedAndChangesNothing) {
    const SkinArchiveLibrary none(dir_.file("Plugins/none.dll"));
    Archive("Night.wsz", {zip_writer::File("main.bmp", "night")});
    QString error;
    EXPECT_FALSE(InstallSkin(dir_.path() + "/", dir_.file("skins/"), "Night.wsz", none, &error));
    EXPECT_TRUE(error.contains("explain.dll")) << error.toStdString();
    ExpectCurrentSkinKept();
}

// The whole road of a skin file given to the player: copied into the skins folder, installed
// through the settings dialog, and shown by the main window.
class SkinHandOverTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_.write("Plugins/FilePlus.ini", "[decode_setup]\r\nDECODE0=*.mp3\r\n");
        UseBuiltUnzipLibrary(dir_);
        InstallDialogTargets();
        form_ = new TForm1(dir_.path() + "/");
    }
    void TearDown() override {
        delete Form8.data();
        form_->QuietClose = true;
        form_->close();
        delete form_;
        SetCommandTargetsMaker({});
    }
    testing_support::TempFolder dir_;
    TForm1* form_ = nullptr;
};

TEST_F(SkinHandOverTest, AHandedOverArchiveBecomesTheMainWindowsSkin) {
    dir_.write("in/Green.wsz",
               zip_writer::Archive({zip_writer::File("Green/MAIN.BMP", Picture(275, 116, qRgb(0, 200, 0)))}));
    ListBox1->addParam(dir_.file("in/Green.wsz"));
    EXPECT_TRUE(QFileInfo::exists(dir_.file("skins/Green.wsz")));
    EXPECT_TRUE(QFileInfo::exists(dir_.file("skins/default/main.bmp")));
    EXPECT_EQ(Ctrl->ReadString("SkinsName", ""), "Green.wsz");
    ASSERT_FALSE(Ctrl->Display->MainBmp.isNull());
    EXPECT_EQ(Ctrl->Display->MainBmp.pixel(100, 60), qRgb(0, 200, 0));
    EXPECT_TRUE(Form8.isNull()) << "the dialog made for the install is freed again";

    // A broken archive handed over leaves the green skin on show.
    int told = 0;
    platform::SetMessageRecorder([&told](const QString&, const QString&, platform::MessageIcon) { ++told; });
    dir_.write("in/Broken.wsz", "PK\x03\x04 and nothing more");
    ListBox1->addParam(dir_.file("in/Broken.wsz"));
    QCoreApplication::processEvents();
    platform::SetMessageRecorder({});
    EXPECT_EQ(told, 1) << "the failure is told once the hand-over has returned";
    EXPECT_EQ(Ctrl->ReadString("SkinsName", ""), "Green.wsz");
    EXPECT_EQ(Ctrl->Display->MainBmp.pixel(100, 60), qRgb(0, 200, 0));
}

}  // namespace

#include "skin_install_test.moc"
