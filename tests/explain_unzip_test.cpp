// Plugins/explain.dll as the player calls it, fed archives made to attack it: names that leave
// the folder, links, a gigabyte bomb (honest and lying about its size), truncated and damaged
// archives, and names from Chinese Windows without the UTF-8 flag.
#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <string>

#include "platform/shared_library.h"
#include "plugins/explain/explain_dll.h"
#include "test_support.h"
#include "tests/fifo_watchdog.h"
#include "zip_writer.h"

namespace {

using zip_writer::Entry;

std::string g_printed;
int Print(char* text, unsigned long length) {
    g_printed.append(text, length);
    return int(length);
}
int g_replaceAnswer = 1;
int Replace(char*) { return g_replaceAnswer; }
int g_serviceAnswer = 0;
int Service(const char*, unsigned long) { return g_serviceAnswer; }

class ExplainUnzipTest : public ::testing::Test {
protected:
    void SetUp() override {
        library_ = platform::SharedLibrary(QStringLiteral(VELMORA_BUILT_INSTALL_DIR "/Plugins/explain.dll"));
        unzip_ = library_.function<Wiz_SingleEntryUnzipFn>("Wiz_SingleEntryUnzip");
        ASSERT_NE(unzip_, nullptr) << library_.errorText().toStdString();
        QDir(dir_.path()).mkpath("out");
        g_printed.clear();
        g_replaceAnswer = 1;
        g_serviceAnswer = 0;
    }

    QString Out() const { return dir_.path() + "/out/"; }

    int Unzip(const std::vector<Entry>& entries) {
        zip_writer::Write(dir_.file("a.wsz"), zip_writer::Archive(entries));
        return UnzipFile(dir_.file("a.wsz"));
    }
    int UnzipFile(const QString& archive) {
        const QByteArray zipFile = QFile::encodeName(archive), folder = QFile::encodeName(Out());
        ExplainOptions options{};
        options.Options[14] = 1;
        options.ZipFile = zipFile.constData();
        options.ExtractDir = folder.constData();
        callbacks_ = ExplainCallbacks{};
        callbacks_.Print = Print;
        callbacks_.Replace = Replace;
        callbacks_.Service = Service;
        return unzip_(0, nullptr, 0, nullptr, &options, &callbacks_);
    }

    // Every path under the temporary folder but the archives, relative to it.
    QStringList Written() const {
        QStringList found;
        QDirIterator it(dir_.path(), QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = QDir(dir_.path()).relativeFilePath(it.next());
            if (!path.endsWith(".wsz") && path != "out") found << path;
        }
        found.sort();
        return found;
    }

    testing_support::TempFolder dir_;
    platform::SharedLibrary library_;
    Wiz_SingleEntryUnzipFn unzip_ = nullptr;
    ExplainCallbacks callbacks_{};
};

TEST_F(ExplainUnzipTest, UnpacksEveryFileFlatIntoTheFolder) {
    EXPECT_EQ(Unzip({zip_writer::File("MySkin/", ""), zip_writer::File("MySkin/Main.bmp", "main picture"),
                     zip_writer::File("pledit.txt", "colours", false)}),
              EXPLAIN_OK);
    EXPECT_EQ(Written(), QStringList({"out/Main.bmp", "out/pledit.txt"}));
    EXPECT_EQ(dir_.read("out/Main.bmp"), "main picture");
    EXPECT_EQ(callbacks_.NumMembers, 2u);
    EXPECT_EQ(callbacks_.TotalSize, 19u);
}

// A FIFO named like a skin archive is no archive, and is refused without waiting for a writer.
TEST_F(ExplainUnzipTest, AFifoNamedLikeAnArchiveIsNotWaitedOn) {
    testing_support::FifoWatchdog fifo(dir_.file("pipe.wsz"));
    ASSERT_TRUE(fifo.Made());
    int result = EXPLAIN_OK;
    fifo.Run([&] { result = UnzipFile(dir_.file("pipe.wsz")); });
    EXPECT_FALSE(fifo.Released()) << "the archive open waited on the FIFO";
    EXPECT_EQ(result, EXPLAIN_NO_ARCHIVE);
    EXPECT_TRUE(QDir(Out()).isEmpty());
}

TEST_F(ExplainUnzipTest, NamesThatLeaveTheFolderAndLinksAreSkipped) {
    const QByteArray absolute = QFile::encodeName(dir_.file("absolute.bmp"));
    EXPECT_EQ(Unzip({zip_writer::File("../escape.bmp", "x"), zip_writer::File("skin/../../escape2.bmp", "x"),
                     zip_writer::File("..\\escape3.bmp", "x"), zip_writer::File(absolute, "x"),
                     zip_writer::File("C:\\escape4.bmp", "x"), zip_writer::Link("link.bmp", "/etc/passwd"),
                     zip_writer::File("main.bmp", "kept")}),
              EXPLAIN_WARN);
    EXPECT_EQ(Written(), QStringList({"out/main.bmp"}));
    EXPECT_NE(g_printed.find("../escape.bmp"), std::string::npos) << g_printed;
    EXPECT_NE(g_printed.find("link.bmp"), std::string::npos) << g_printed;
}

TEST_F(ExplainUnzipTest, DevicesPipesAndFoldersByAttributeAreSkipped) {
    Entry device = zip_writer::File("tty.bmp", "");
    device.externalAttributes = 0020666u << 16;
    Entry pipe = zip_writer::File("pipe.bmp", "");
    pipe.externalAttributes = 0010644u << 16;
    Entry dosFolder = zip_writer::File("folder", "");
    dosFolder.madeBy = 0x0014;
    dosFolder.externalAttributes = 0x10;
    EXPECT_EQ(Unzip({device, pipe, dosFolder, zip_writer::File("main.bmp", "kept")}), EXPLAIN_WARN);
    EXPECT_EQ(Written(), QStringList({"out/main.bmp"}));
}

TEST_F(ExplainUnzipTest, ALinkAlreadyInTheFolderIsReplacedNotFollowed) {
    dir_.write("outside.bmp", "outside");
    ASSERT_TRUE(QFile::link(dir_.file("outside.bmp"), Out() + "main.bmp"));
    EXPECT_EQ(Unzip({zip_writer::File("main.bmp", "inside")}), EXPLAIN_OK);
    EXPECT_EQ(dir_.read("outside.bmp"), "outside");
    EXPECT_FALSE(QFileInfo(Out() + "main.bmp").isSymLink());
    EXPECT_EQ(dir_.read("out/main.bmp"), "inside");
}

TEST_F(ExplainUnzipTest, AGigabyteBombIsRefusedAndLeavesNothing) {
    const Entry bomb = zip_writer::Zeros("bomb.bmp", 1024);
    ASSERT_LT(bomb.data.size(), 4 << 20);
    EXPECT_EQ(Unzip({zip_writer::File("main.bmp", "first"), bomb}), EXPLAIN_TOO_LARGE);
    EXPECT_EQ(Written(), QStringList());

    // The same bomb claiming a few hundred bytes: stopped by what it really inflates to.
    Entry liar = bomb;
    liar.size = 300;
    const int result = Unzip({zip_writer::File("main.bmp", "first"), liar});
    EXPECT_TRUE(result == EXPLAIN_TOO_LARGE || result == EXPLAIN_BAD_ARCHIVE) << result;
    EXPECT_EQ(Written(), QStringList());
    EXPECT_LE(callbacks_.TotalSize, EXPLAIN_MAX_TOTAL_BYTES + (64u << 10));
}

TEST_F(ExplainUnzipTest, TooManyEntriesAreRefused) {
    std::vector<Entry> entries;
    for (int i = 0; i <= EXPLAIN_MAX_ENTRIES; ++i) entries.push_back(zip_writer::File(QByteArray::number(i), "", false));
    EXPECT_EQ(Unzip(entries), EXPLAIN_TOO_LARGE);
    EXPECT_EQ(Written(), QStringList());
}

TEST_F(ExplainUnzipTest, TruncatedDamagedAndForeignFilesFailCleanly) {
    const QByteArray whole =
        zip_writer::Archive({zip_writer::File("main.bmp", QByteArray(5000, 'm')), zip_writer::File("eqmain.bmp", "e")});
    for (const int cut : {10, 100, int(whole.size()) / 2, int(whole.size()) - 5}) {
        zip_writer::Write(dir_.file("cut.wsz"), whole.left(cut));
        const int result = UnzipFile(dir_.file("cut.wsz"));
        EXPECT_TRUE(result == EXPLAIN_NO_ARCHIVE || result == EXPLAIN_BAD_ARCHIVE) << cut << ": " << result;
        EXPECT_EQ(Written(), QStringList()) << cut;
    }
    // A damaged second entry: the first one unpacked before it is taken away again.
    Entry damaged = zip_writer::File("volume.bmp", QByteArray(3000, 'v'));
    damaged.crc ^= 1;
    EXPECT_EQ(Unzip({zip_writer::File("main.bmp", "m"), damaged}), EXPLAIN_BAD_ARCHIVE);
    EXPECT_EQ(Written(), QStringList());

    dir_.write("text.wsz", "just some text, no archive");
    EXPECT_EQ(UnzipFile(dir_.file("text.wsz")), EXPLAIN_NO_ARCHIVE);
    EXPECT_EQ(UnzipFile(dir_.file("missing.wsz")), EXPLAIN_NO_ARCHIVE);
    EXPECT_FALSE(g_printed.empty());
    EXPECT_EQ(unzip_(0, nullptr, 0, nullptr, nullptr, nullptr), EXPLAIN_BAD_ARGS);
}

TEST_F(ExplainUnzipTest, NamesAreUtf8WhenTheyAreElseGb18030) {
    Entry flagged = zip_writer::File("界面.bmp", "flagged");
    flagged.utf8Flag = true;
    EXPECT_EQ(Unzip({zip_writer::File("\xC6\xA4\xB7\xF4.bmp", "windows"), flagged,
                     zip_writer::File("歌词.txt", "unflagged utf-8")}),
              EXPLAIN_OK);
    EXPECT_EQ(Written(), QStringList({"out/歌词.txt", "out/界面.bmp", "out/皮肤.bmp"}));
    EXPECT_EQ(dir_.read("out/皮肤.bmp"), "windows");
}

TEST_F(ExplainUnzipTest, CallbacksDecideReplacingAndStopping) {
    dir_.write("out/main.bmp", "old");
    g_replaceAnswer = 0;
    EXPECT_EQ(Unzip({zip_writer::File("main.bmp", "new"), zip_writer::File("text.bmp", "t")}), EXPLAIN_OK);
    EXPECT_EQ(dir_.read("out/main.bmp"), "old");
    EXPECT_EQ(dir_.read("out/text.bmp"), "t");

    QFile::remove(Out() + "text.bmp");
    g_replaceAnswer = 1;
    g_serviceAnswer = 1;
    EXPECT_EQ(Unzip({zip_writer::File("main.bmp", "new")}), EXPLAIN_STOPPED);
    EXPECT_EQ(dir_.read("out/main.bmp"), "old");
    g_serviceAnswer = 0;
    EXPECT_EQ(Unzip({zip_writer::File("main.bmp", "new")}), EXPLAIN_OK);
    EXPECT_EQ(dir_.read("out/main.bmp"), "new");
}

}  // namespace
