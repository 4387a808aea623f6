#include "platform/registry.h"
#include "tests/fifo_watchdog.h"
#include "tests/file_size_limit.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <cerrno>
#include <climits>
#include <cstring>
#include <iterator>
#include <memory>
#include <random>
#include <vector>

using platform::RootKey;
using platform::TRegistry;

namespace {

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override { QDir(TRegistry::StorageFolder()).removeRecursively(); }

    static QString UserFile() { return TRegistry::StorageFolder() + "/HKEY_CURRENT_USER.reg"; }

    static void WriteUserFile(const QByteArray& bytes) {
        QDir().mkpath(TRegistry::StorageFolder());
        QFile f(UserFile());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
};

TEST_F(RegistryTest, ValuesOutliveTheObjectAndStayInTheirRoot) {
    QByteArray everyByte;
    for (int b = 0; b < 256; ++b) everyByte.append(char(b));
    {
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey("Software\\Velmora", true));
        EXPECT_TRUE(reg.WriteString("WorkPath", "/opt/velmora/"));
        EXPECT_TRUE(reg.WriteInteger("min", INT_MIN));
        EXPECT_TRUE(reg.WriteInteger("minus", -1));
        EXPECT_TRUE(reg.WriteBinaryData("bytes", everyByte));
        EXPECT_TRUE(reg.WriteBinaryData("empty", QByteArray()));
    }
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\Software\\Velmora", false));
    EXPECT_EQ(reg.ReadString("WorkPath"), "/opt/velmora/");
    EXPECT_EQ(reg.ReadInteger("min", 0), INT_MIN);
    EXPECT_EQ(reg.ReadInteger("minus", 0), -1);
    EXPECT_EQ(reg.ReadBinaryData("bytes"), everyByte);
    EXPECT_TRUE(reg.ValueExists("empty"));

    EXPECT_FALSE(TRegistry(RootKey::ClassesRoot).KeyExists("Software\\Velmora"));
    reg.SetRootKey(RootKey::LocalMachine);
    EXPECT_FALSE(reg.KeyExists("Software"));
}

TEST_F(RegistryTest, NamesIgnoreCaseButKeepIt) {
    TRegistry reg;
    for (const char* key : {"\\R\\one", "\\R\\Two\\deeper", "\\r\\THREE", "\\Rest"}) {
        ASSERT_TRUE(reg.OpenKey(key, true));
    }
    ASSERT_TRUE(reg.OpenKey("\\r", false));
    QStringList keys = reg.GetKeyNames();
    keys.sort(Qt::CaseInsensitive);
    EXPECT_EQ(keys, (QStringList{"one", "THREE", "Two"})) << "direct sub-keys only";

    ASSERT_TRUE(reg.WriteString("WorkPath", "a"));
    ASSERT_TRUE(reg.WriteString("", "default"));
    ASSERT_TRUE(reg.WriteString("WORKPATH", "b"));
    EXPECT_EQ(reg.ReadString("workpath"), "b");
    EXPECT_EQ(reg.GetValueNames(), (QStringList{"WorkPath", ""}));
    EXPECT_TRUE(reg.DeleteValue("WORKpath"));
    EXPECT_FALSE(reg.DeleteValue("WorkPath"));
    EXPECT_EQ(reg.GetValueNames(), QStringList{""});
}

TEST_F(RegistryTest, OpeningFollowsWindowsPathRules) {
    TRegistry reg;
    EXPECT_FALSE(reg.OpenKey("Software\\Missing", false));
    EXPECT_FALSE(reg.KeyExists("Software\\Missing"));
    EXPECT_FALSE(reg.WriteString("x", "y")) << "no key is open";

    ASSERT_TRUE(reg.OpenKey("Software", true));
    ASSERT_TRUE(reg.OpenKey("Velmora", true));
    EXPECT_EQ(reg.CurrentPath(), "Software\\Velmora");
    EXPECT_FALSE(reg.OpenKey("Missing", false));
    EXPECT_EQ(reg.CurrentPath(), "Software\\Velmora") << "a failed open keeps the open key";
    ASSERT_TRUE(reg.OpenKey("\\Other", true));
    EXPECT_EQ(reg.CurrentPath(), "Other");

    ASSERT_TRUE(reg.OpenKeyReadOnly("\\Software\\Velmora"));
    EXPECT_FALSE(reg.WriteString("x", "y"));
    EXPECT_FALSE(reg.ValueExists("x"));
}

TEST_F(RegistryTest, DeleteKeyTakesTheSubtreeOnly) {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("A\\B\\C", true));
    ASSERT_TRUE(reg.OpenKey("\\A\\Bx", true));  // shares the prefix "A\B" as text
    ASSERT_TRUE(reg.OpenKey("\\A", false));
    ASSERT_TRUE(reg.WriteInteger("kept", 1));

    TRegistry other;
    EXPECT_TRUE(other.DeleteKey("a\\b"));
    EXPECT_FALSE(other.DeleteKey("A\\B")) << "already gone";
    EXPECT_FALSE(reg.KeyExists("\\A\\B\\C"));
    EXPECT_EQ(reg.GetKeyNames(), QStringList{"Bx"});
    EXPECT_EQ(reg.ReadInteger("kept", 0), 1);

    // Writing to a key another object deleted must not bring it back.
    ASSERT_TRUE(other.DeleteKey("A"));
    EXPECT_FALSE(reg.WriteString("late", "x"));
    EXPECT_FALSE(TRegistry().KeyExists("A"));
}

TEST_F(RegistryTest, AwkwardTextSurvivesTheFile) {
    const QString texts[] = {
        "say \"hi\" \\ back\\slash\\",
        "line one\nline two\r\n\ttabbed",
        "\n[Software\\Velmora]\n\"WorkPath\"=sz:\"injected\"",
        "中文歌词 🎵 ]",
        QString::fromUtf8("nul\0inside", 10),
        QString(QChar(0xd800)) + "lone surrogate",
        "%u0041 and \\u0041 stay literal",
    };
    const QString key = "Soft]ware\\Key %41 [x]\\new\nline";
    {
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey(key, true));
        for (int i = 0; i < int(std::size(texts)); ++i) {
            ASSERT_TRUE(reg.WriteString(texts[i], texts[i]));  // as value name and as content
        }
    }
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(key, false));
    EXPECT_EQ(reg.GetValueNames().size(), int(std::size(texts)));
    for (const QString& text : texts) EXPECT_EQ(reg.ReadString(text), text);
    EXPECT_FALSE(TRegistry().KeyExists("Software\\Velmora")) << "no key injected by a value";

    // Readable: the Chinese text is stored as itself.
    QFile f(UserFile());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.readAll().contains(QString("中文歌词").toUtf8()));
}

TEST_F(RegistryTest, ReadingTheWrongTypeFails) {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("K", true));
    ASSERT_TRUE(reg.WriteString("text", "12"));
    ASSERT_TRUE(reg.WriteBinaryData("bin", QByteArray("\x07\x00\x00\x00", 4)));
    ASSERT_TRUE(reg.WriteInteger("int", 7));
    int value = 99;
    EXPECT_FALSE(reg.ReadInteger("text", &value));
    EXPECT_FALSE(reg.ReadInteger("bin", &value));
    EXPECT_EQ(value, 99);
    EXPECT_EQ(reg.ReadString("int"), "");
    EXPECT_EQ(reg.ReadBinaryData("text"), QByteArray());

    ASSERT_TRUE(reg.WriteString("int", "now text"));  // a write replaces the type
    EXPECT_EQ(reg.ReadInteger("int", -5), -5);
    EXPECT_EQ(reg.ReadString("int"), "now text");
}

TEST_F(RegistryTest, CorruptLinesAreSkippedAndKeptAside) {
    const QByteArray corrupt =
        "\"orphan\"=sz:\"before any key\"\n"
        "[Good]\n"
        "\"a\"=sz:\"kept\"\n"
        "\"b\"=sz:\"unterminated\n"
        "\"c\"=dword:123456789\n"
        "\"d\"=hex:0g,01\n"
        "\"e\"=sz:\"bad \\q escape\"\n"
        "garbage line\n"
        "\"f\"=dword:0000002a\r\n"
        "[Broken\n"
        "\"misplaced\"=sz:\"must not land in Good\"\n"
        "[Other]\n"
        "@=sz:\"\xff\xfe invalid utf-8\"\n"
        "\"g\"=hex:\n";
    WriteUserFile(corrupt);

    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("Good", false));
    EXPECT_EQ(reg.ReadString("a"), "kept");
    EXPECT_EQ(reg.ReadInteger("f", 0), 42);
    EXPECT_EQ(reg.GetValueNames(), (QStringList{"a", "f"}));
    ASSERT_TRUE(reg.OpenKey("\\Other", false));
    EXPECT_TRUE(reg.ValueExists("g"));
    EXPECT_TRUE(reg.ValueExists(""));

    ASSERT_TRUE(reg.WriteString("new", "value"));
    const QDir folder(TRegistry::StorageFolder());
    const QStringList copies = folder.entryList({"*.damaged-*"}, QDir::Files);
    ASSERT_EQ(copies.size(), 1);
    QFile copy(folder.filePath(copies.first()));
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.readAll(), corrupt);
    EXPECT_EQ(reg.ReadString("new"), "value");
    ASSERT_TRUE(reg.OpenKey("\\Good", false));
    EXPECT_EQ(reg.GetValueNames(), (QStringList{"a", "f"}));
}

// Reads reuse what they parsed while the file's bytes stay the same; a change made by another
// program is seen at the next read, even one of the same length written in place.
TEST_F(RegistryTest, AChangeByAnotherProgramIsReadAtOnce) {
    {
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey("Software\\Velmora", true));
        ASSERT_TRUE(reg.WriteString("Skin", "aaaa"));
        EXPECT_EQ(reg.ReadString("Skin"), "aaaa");
    }
    QFile file(UserFile());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QByteArray bytes = file.readAll();
    file.close();
    WriteUserFile(bytes.replace("aaaa", "bbbb"));
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("Software\\Velmora", false));
    EXPECT_EQ(reg.ReadString("Skin"), "bbbb");
    // A change of ours after it keeps the other program's value.
    ASSERT_TRUE(reg.OpenKey("\\Software\\Velmora", true));
    ASSERT_TRUE(reg.WriteInteger("Volume", 80));
    EXPECT_EQ(reg.ReadString("Skin"), "bbbb");
    EXPECT_EQ(reg.ReadInteger("Volume", 0), 80);
    ASSERT_TRUE(QFile::remove(UserFile()));
    EXPECT_FALSE(reg.ValueExists("Skin"));
    EXPECT_FALSE(TRegistry().KeyExists("Software\\Velmora"));
}

TEST_F(RegistryTest, RandomBytesNeverCrash) {
    std::mt19937 random(20240601);
    const QByteArray alphabet = "[]\\\"@=:,;%u0123456789abcdefghsz\n\r\t \xe4\xb8\xad\xff";
    for (int round = 0; round < 200; ++round) {
        QByteArray bytes;
        const int size = int(random() % 400);
        for (int i = 0; i < size; ++i) bytes.append(alphabet.at(int(random() % alphabet.size())));
        WriteUserFile(bytes);
        TRegistry reg;
        reg.OpenKey("\\", false);
        for (const QString& key : reg.GetKeyNames()) reg.KeyExists(key);
        for (const QString& name : reg.GetValueNames()) reg.ReadString(name);
        ASSERT_TRUE(reg.OpenKey("Fresh", true));
        ASSERT_TRUE(reg.WriteString("v", "ok"));
        EXPECT_EQ(reg.ReadString("v"), "ok");
    }
}

TEST_F(RegistryTest, AnUnreadableFileIsNeverReplaced) {
    QDir().mkpath(UserFile());  // a folder where the file should be
    TRegistry reg;
    EXPECT_FALSE(reg.OpenKey("K", true));
    EXPECT_FALSE(reg.KeyExists("K"));
    EXPECT_TRUE(QFileInfo(UserFile()).isDir());
}

// A FIFO in the file's place is neither waited on nor replaced.
TEST_F(RegistryTest, AFifoInPlaceOfTheFileIsNotWaitedOn) {
    QDir().mkpath(TRegistry::StorageFolder());
    testing_support::FifoWatchdog fifo(UserFile());
    ASSERT_TRUE(fifo.Made());
    bool opened = true;
    fifo.Run([&] {
        TRegistry reg;
        opened = reg.OpenKey("K", true);
    });
    EXPECT_FALSE(fifo.Released()) << "the registry waited on the FIFO";
    EXPECT_FALSE(opened);
    EXPECT_FALSE(QFileInfo(UserFile()).isFile());
}

// A full disk must neither empty the file nor pass for success; the reason reaches the caller.
TEST_F(RegistryTest, AWriteThatRunsOutOfRoomKeepsTheFileAndSaysWhy) {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("Software\\Velmora", true));
    ASSERT_TRUE(reg.WriteString("WorkPath", QString(300, u'w')));
    const QByteArray before = [] {
        QFile f(UserFile());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    bool written = true;
    {
        testing_support::FileSizeLimit limit(512);
        ASSERT_TRUE(limit.active());
        written = reg.WriteString("ParamStr", QString(300, u'p'));
    }
    EXPECT_FALSE(written);
    EXPECT_EQ(reg.LastError().toStdString(),
              ("Cannot write " + UserFile() + ": ").toStdString() + std::strerror(EFBIG));
    QFile after(UserFile());
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_EQ(after.readAll(), before);
    EXPECT_EQ(QDir(TRegistry::StorageFolder()).entryList({"*.reg*"}, QDir::Files | QDir::Hidden),
              QStringList({"HKEY_CURRENT_USER.reg"}));

    ASSERT_TRUE(reg.WriteString("ParamStr", "short"));
    EXPECT_TRUE(reg.LastError().isEmpty());
    ASSERT_TRUE(reg.OpenKeyReadOnly("\\Software\\Velmora"));
    EXPECT_FALSE(reg.WriteString("x", "y"));
    EXPECT_FALSE(reg.LastError().isEmpty());
}

TEST_F(RegistryTest, ConcurrentWritersLoseNothing) {
    const int writers = 4;
    const int count = 60;
    std::vector<std::unique_ptr<QProcess>> processes;
    for (int w = 0; w < writers; ++w) {
        auto process = std::make_unique<QProcess>();
        process->setProcessChannelMode(QProcess::ForwardedChannels);
        process->start(testing_support::helperProgram("registry_writer"),
                       {QString("w%1_").arg(w), QString::number(count)});
        ASSERT_TRUE(process->waitForStarted());
        processes.push_back(std::move(process));
    }
    for (int n = 0; n < count; ++n) {
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey("Software\\Velmora\\Stress", true));
        ASSERT_TRUE(reg.WriteString(QString("main_%1").arg(n), "main"));
    }
    for (auto& process : processes) {
        ASSERT_TRUE(process->waitForFinished(-1));
        EXPECT_EQ(process->exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process->exitCode(), 0);
    }

    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("Software\\Velmora\\Stress", false));
    EXPECT_EQ(reg.GetValueNames().size(), (writers + 1) * count);
    for (int n = 0; n < count; ++n) {
        EXPECT_EQ(reg.ReadString(QString("main_%1").arg(n)), "main");
        for (int w = 0; w < writers; ++w) {
            const QString name = QString("w%1_%2").arg(w).arg(n);
            if (n % 2 == 0) {
                EXPECT_EQ(reg.ReadString(name), name);
            } else {
                EXPECT_EQ(reg.ReadInteger(name, -1), n) << qPrintable(name);
            }
        }
    }
}

}  // namespace
