// The player's own file types as the desktop's own tool sees them: after the association scheme
// ran in this process's private data and config folders, `gio` finds a .kpl and a .wsz to be the
// player's types, opened by the player's entry; after the uninstaller's step, neither is left.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>

#include "dialogs/associations.h"
#include "tests/zip_writer.h"
#include "uninstall/desktop_undo.h"

namespace {

// Only the test's own folders and the system's database; no desktop session, no remote files.
QString Gio(const QStringList& arguments) {
    QProcess gio;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("LC_ALL", "C");
    env.insert("XDG_DATA_DIRS", "/usr/share");
    env.insert("GIO_USE_VFS", "local");
    gio.setProcessEnvironment(env);
    gio.start(QStandardPaths::findExecutable("gio"), arguments);
    EXPECT_TRUE(gio.waitForFinished(30000));
    return QString::fromUtf8(gio.readAllStandardOutput() + gio.readAllStandardError());
}

QString ContentType(const QString& file) {
    const QString out = Gio({"info", "-a", "standard::content-type", file});
    const qsizetype at = out.indexOf("standard::content-type: ");
    return at < 0 ? out : out.mid(at + 24).section('\n', 0, 0).trimmed();
}

// The default `gio mime` names, on its first line.
QString DefaultFor(const QString& type) {
    const QString first = Gio({"mime", type}).section('\n', 0, 0);
    return first.startsWith("Default application for") ? first.section(": ", -1).trimmed() : QString();
}

class DesktopMimeTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (QStandardPaths::findExecutable("gio").isEmpty()) GTEST_SKIP() << "gio is not installed";
        if (QStandardPaths::findExecutable("update-mime-database").isEmpty())
            GTEST_SKIP() << "update-mime-database is not installed";
        dir_.write("list.kpl", "<?/music/a.mp3?><#03:25#>\r\n\r\n<?/music/b.mp3?>\r\n");
        // A skin is a zip archive: its content alone says application/zip.
        dir_.write("blue.wsz", zip_writer::Archive({zip_writer::File("main.bmp", "BM", false)}));
    }

    testing_support::TempFolder dir_;
};

TEST_F(DesktopMimeTest, APlaylistAndASkinResolveToThePlayerAndNoLongerAfterTheUninstall) {
    // The desktop refuses an entry whose program does not exist: this test program stands in.
    TAssociations scheme(QCoreApplication::applicationFilePath());
    scheme.AssociateFileType("kpl", QString());
    scheme.AssociateFileType("wsz", QString());
    NotifyShellAssociations();

    EXPECT_EQ(ContentType(dir_.file("list.kpl")), "application/x-velmora-playlist");
    EXPECT_EQ(ContentType(dir_.file("blue.wsz")), "application/x-velmora-skin");
    EXPECT_EQ(DefaultFor("application/x-velmora-playlist"), "velmora.desktop");
    EXPECT_EQ(DefaultFor("application/x-velmora-skin"), "velmora.desktop");

    uninstall::Failures failures;
    uninstall::RemoveDesktopAssociations(&failures);
    EXPECT_EQ(failures, uninstall::Failures());
    EXPECT_EQ(ContentType(dir_.file("list.kpl")), "text/plain");
    EXPECT_EQ(ContentType(dir_.file("blue.wsz")), "application/zip");
    EXPECT_EQ(DefaultFor("application/x-velmora-playlist"), QString());
}

}  // namespace
