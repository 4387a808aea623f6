// The help book: references to the compiled help file reach our HTML pages, never outside help/,
// and the pages the player names are shipped.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QStringList>

#include "platform/media_faces.h"
#include "platform/shell_open.h"

namespace {

TEST(HelpManual, ReferencesMapToPagesInsideTheHelpFolder) {
    using platform::HelpPage;
    EXPECT_EQ(HelpPage("/opt/velmora/help.chm"), "/opt/velmora/help/index.htm");
    EXPECT_EQ(HelpPage("/opt/velmora/help.chm::使用手册\\常见问题.htm"), "/opt/velmora/help/常见问题.htm");
    EXPECT_EQ(HelpPage("/opt/velmora/HELP.CHM::使用手册/参数设置.htm"), "/opt/velmora/help/参数设置.htm");
    // A page reference cannot climb out of the help folder.
    EXPECT_EQ(HelpPage("/opt/velmora/help.chm::..\\..\\etc\\passwd"), "/opt/velmora/help/passwd");
    EXPECT_EQ(HelpPage("/opt/velmora/help.chm::使用手册\\.."), "/opt/velmora/help/index.htm");
    EXPECT_EQ(HelpPage("/tmp/song.mp3"), "/tmp/song.mp3");
}

TEST(HelpManual, TheHelpViewerCommandOpensThePageEvenInAFolderWithABlank) {
    QStringList opened;
    platform::SetOpenRecorder([&](const QString& path) { opened << path; });
    platform::WinExec("HH.exe \"/home/a b/velmora/help.chm::使用手册\\常见问题.htm\"", platform::SW_SHOWNORMAL);
    platform::WinExec("C:\\WINDOWS\\hh.exe /opt/v/help.chm", platform::SW_SHOWNORMAL);
    platform::SetOpenRecorder(nullptr);
    EXPECT_EQ(opened, QStringList({"/home/a b/velmora/help/常见问题.htm", "/opt/v/help/index.htm"}));
}

TEST(HelpManual, EveryPageThePlayerNamesIsShipped) {
    const QString folder = QStringLiteral(VELMORA_BUILT_INSTALL_DIR "/");
    for (const char* reference : {"help.chm", "help.chm::使用手册\\常见问题.htm", "help.chm::使用手册\\参数设置.htm"})
        EXPECT_TRUE(QFileInfo::exists(platform::HelpPage(folder + QString::fromUtf8(reference)))) << reference;
}

}  // namespace
