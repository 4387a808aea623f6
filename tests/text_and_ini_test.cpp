// System-code-page text files and profile (ini) files.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstring>
#include <iconv.h>
#include <random>
#include <sys/inotify.h>
#include <unistd.h>

#include "platform/ini_file.h"
#include "platform/text_file.h"
#include "tests/fifo_watchdog.h"
#include "tests/file_size_limit.h"
#include "tests/test_support.h"

using platform::TIniFile;
using testing_support::FileSizeLimit;
using testing_support::TempFolder;

namespace {

std::string Std(const QString& s) { return s.toStdString(); }
QString U(const char* utf8) { return QString::fromUtf8(utf8); }

bool RunningAsRoot() { return geteuid() == 0; }

TEST(TextCodec, Gb18030MatchesKnownGb2312BytesAndRoundTrips) {
    EXPECT_EQ(platform::EncodeGb18030(U("中")), QByteArray("\xD6\xD0"));
    const QByteArray exiting("\xD5\xFD\xD4\xDA\xCD\xCB\xB3\xF6...");
    const QByteArray skin("<\xC4\xAC\xC8\xCF\xBD\xE7\xC3\xE6>");
    EXPECT_EQ(platform::EncodeGb18030(U("正在退出...")), exiting);
    EXPECT_EQ(platform::EncodeGb18030(U("<默认界面>")), skin);
    EXPECT_EQ(Std(platform::DecodeText(exiting)), "正在退出...");
    EXPECT_EQ(Std(platform::DecodeText(skin)), "<默认界面>");
    // Beyond GBK: four-byte GB18030 forms must survive too.
    const QString rare = U("𠀀é€");
    EXPECT_EQ(platform::DecodeText(platform::EncodeGb18030(rare)), rare);
}

TEST(TextCodec, DetectsUtf8ByMarkOrValidity) {
    EXPECT_EQ(Std(platform::DecodeText("\xEF\xBB\xBF\xE4\xB8\xAD" "a")), "中a");  // mark dropped
    EXPECT_EQ(Std(platform::DecodeText("\xE4\xB8\xAD")), "中");
    // The mark decides even when a bad byte follows; the bytes are not taken as GB18030.
    EXPECT_EQ(platform::DecodeText("\xEF\xBB\xBF\xD6\xD0"), U("\uFFFD\uFFFD"));
    EXPECT_EQ(Std(platform::DecodeText("plain")), "plain");
    EXPECT_TRUE(platform::DecodeText(QByteArray()).isEmpty());
}

TEST(TextCodec, BadBytesBecomeReplacementCharactersOneEach) {
    // 0x81 0x20 is a lead byte with a bad trail: the space must survive; 0xFF is never valid;
    // a lone lead byte at the end is incomplete.
    EXPECT_EQ(platform::DecodeText("A\x81 B\xFF\xD6\xD0\xD6"), U("A\uFFFD B\uFFFD中\uFFFD"));
}

TEST(TextLines, SplitsOnCrLfAndLfOnly) {
    EXPECT_EQ(platform::SplitLines(U("a\r\nb\nc")), QStringList({"a", "b", "c"}));
    EXPECT_EQ(platform::SplitLines(U("a\r\n")), QStringList({"a"}));
    EXPECT_EQ(platform::SplitLines(U("a\r\n\r\n")), QStringList({"a", ""}));
    EXPECT_EQ(platform::SplitLines(U("x\ry\n")), QStringList({"x\ry"}));
    EXPECT_TRUE(platform::SplitLines(QString()).isEmpty());
}

TEST(TextLines, WritesGb18030WithCrLfAfterEveryLineAndReadsLfFiles) {
    TempFolder dir;
    ASSERT_TRUE(platform::WriteTextLines(dir.file("a.txt"), {U("中"), QString(), U("b")}));
    EXPECT_EQ(dir.read("a.txt"), QByteArray("\xD6\xD0\r\n\r\nb\r\n"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList({"a.txt"}));  // no leftovers

    dir.write("lf.txt", "one\n\xD6\xD0\nlast");
    QStringList lines;
    ASSERT_TRUE(platform::ReadTextLines(dir.file("lf.txt"), &lines));
    EXPECT_EQ(lines, QStringList({"one", U("中"), "last"}));

    QString error;
    EXPECT_FALSE(platform::ReadTextLines(dir.file("missing.txt"), &lines, &error));
    EXPECT_TRUE(error.contains(dir.file("missing.txt")));
}

TEST(TextLines, FailedWriteKeepsTheOldFileAndSaysWhy) {
    TempFolder dir;
    QString error;
    EXPECT_FALSE(platform::WriteTextLines(dir.file("no/such/folder.txt"), {"x"}, &error));
    EXPECT_TRUE(error.startsWith("Cannot write " + dir.file("no/such/folder.txt") + ": "));
    QDir(dir.path()).mkdir("isdir");
    EXPECT_FALSE(platform::WriteTextLines(dir.file("isdir"), {"x"}));
    EXPECT_TRUE(QFileInfo(dir.file("isdir")).isDir());

    if (RunningAsRoot()) GTEST_SKIP() << "root ignores folder permissions";
    dir.write("sub/keep.txt", "old\r\n");
    QFile::setPermissions(dir.file("sub"), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    EXPECT_FALSE(platform::WriteTextLines(dir.file("sub/keep.txt"), {"new"}, &error));
    QFile::setPermissions(dir.file("sub"), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                               QFileDevice::ExeOwner);
    EXPECT_EQ(dir.read("sub/keep.txt"), QByteArray("old\r\n"));
    EXPECT_TRUE(error.startsWith("Cannot write " + dir.file("sub/keep.txt") + ": "));
}

// The new file takes the old one's place, not its character: a private file stays private, and a
// link to a file kept elsewhere stays a link.
TEST(TextLines, ReplacingKeepsTheModeAndFollowsALink) {
    TempFolder dir;
    dir.write("private.ini", "old\r\n");
    const auto ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    ASSERT_TRUE(QFile::setPermissions(dir.file("private.ini"), ownerOnly));
    ASSERT_TRUE(platform::WriteTextLines(dir.file("private.ini"), {"new"}));
    const auto others = QFileDevice::ReadGroup | QFileDevice::ReadOther | QFileDevice::WriteOther;
    EXPECT_FALSE(QFileInfo(dir.file("private.ini")).permissions() & others);
    EXPECT_EQ(dir.read("private.ini"), QByteArray("new\r\n"));

    dir.write("elsewhere/velmora.kpl", "old\r\n");
    ASSERT_TRUE(QFile::link("elsewhere/velmora.kpl", dir.file("velmora.kpl")));
    ASSERT_TRUE(platform::WriteTextLines(dir.file("velmora.kpl"), {"new"}));
    EXPECT_TRUE(QFileInfo(dir.file("velmora.kpl")).isSymLink());
    EXPECT_EQ(dir.read("elsewhere/velmora.kpl"), QByteArray("new\r\n"));
}

// A full disk shows itself only when the buffered bytes reach the file: at the flush before the
// rename. Files well under any write buffer make sure the failure comes that late.
TEST(TextLines, SaveThatRunsOutOfRoomKeepsTheOldFileAndSaysWhy) {
    TempFolder dir;
    dir.write("velmora.kpl", "<?/old.mp3?>\r\n");
    const QStringList entries(100, U("<?/音乐/一个很长的文件名.mp3?>"));
    QString error;
    bool saved = true;
    {
        FileSizeLimit limit(512);
        ASSERT_TRUE(limit.active());
        saved = platform::WriteTextLines(dir.file("velmora.kpl"), entries, &error);
    }
    EXPECT_FALSE(saved);
    EXPECT_EQ(dir.read("velmora.kpl"), QByteArray("<?/old.mp3?>\r\n"));
    EXPECT_EQ(Std(error), Std("Cannot write " + dir.file("velmora.kpl") + ": " + std::strerror(EFBIG)));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"velmora.kpl"}));

    // With room again the same save goes through.
    ASSERT_TRUE(platform::WriteTextLines(dir.file("velmora.kpl"), entries, &error));
    QStringList lines;
    ASSERT_TRUE(platform::ReadTextLines(dir.file("velmora.kpl"), &lines));
    EXPECT_EQ(lines, entries);
}

TEST(IniWrite, WriteThatRunsOutOfRoomKeepsTheFileAndSaysWhy) {
    TempFolder dir;
    const QByteArray old = "[Main]\r\nSkin=" + QByteArray(400, 'x') + "\r\n";
    dir.write("setup.ini", old);
    TIniFile ini(dir.file("setup.ini"));
    bool written = true;
    {
        FileSizeLimit limit(512);
        ASSERT_TRUE(limit.active());
        written = ini.WriteString("Main", "Extra", QString(200, u'y'));
    }
    EXPECT_FALSE(written);
    EXPECT_EQ(dir.read("setup.ini"), old);
    EXPECT_TRUE(ini.LastError().endsWith(std::strerror(EFBIG))) << Std(ini.LastError());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"setup.ini"}));
}

// Every GB2312 hanzi (rows 0xB0..0xF7), decoded by the system's own GB2312 table, not ours.
QStringList Gb2312Hanzi() {
    QStringList hanzi;
    iconv_t cd = iconv_open("UTF-8", "GB2312");
    if (cd == reinterpret_cast<iconv_t>(-1)) return hanzi;
    for (int row = 0xB0; row <= 0xF7; ++row) {
        for (int col = 0xA1; col <= 0xFE; ++col) {
            char in[2] = {char(row), char(col)};
            char out[8];
            char* src = in;
            char* dst = out;
            size_t srcLeft = 2, dstLeft = sizeof out;
            if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) != size_t(-1))
                hanzi.append(QString::fromUtf8(out, dst - out));
        }
    }
    iconv_close(cd);
    return hanzi;
}

QString Show(const QString& text) { return QString::fromLatin1(text.toUtf8().toHex(' ')); }

// 小 is D0 A1 in GB18030, which UTF-8 reads as the Cyrillic С: a list holding only such a name
// used to come back pointing at a file that does not exist.
TEST(TextRoundTrip, EveryGb2312HanziAloneInAListReadsBackAsItWas) {
    const QStringList hanzi = Gb2312Hanzi();
    ASSERT_EQ(hanzi.size(), 6763);
    int markedUtf8 = 0;
    for (const QString& h : hanzi) {
        const QByteArray saved = platform::EncodeTextLines({h});
        ASSERT_EQ(platform::SplitLines(platform::DecodeText(saved)), QStringList({h}))
            << Show(h).toStdString();
        // GB18030 stays whenever it reads back right; only the ambiguous ones carry the mark.
        const QByteArray gb = platform::EncodeGb18030(h + "\r\n");
        if (platform::DecodeText(gb) == h + "\r\n") {
            EXPECT_EQ(saved, gb) << Show(h).toStdString();
        } else {
            EXPECT_EQ(saved, "\xEF\xBB\xBF" + (h + "\r\n").toUtf8()) << Show(h).toStdString();
            ++markedUtf8;
        }
    }
    EXPECT_GT(markedUtf8, 0);  // the case this guards against does occur

    TempFolder dir;
    QStringList lines;
    platform::TextEncoding found = platform::TextEncoding::Gb18030;
    ASSERT_TRUE(platform::WriteTextLines(dir.file("velmora.kpl"), {U("<?/音乐/小.mp3?>")}));
    ASSERT_TRUE(platform::ReadTextLines(dir.file("velmora.kpl"), &lines, nullptr, &found));
    EXPECT_EQ(lines, QStringList({U("<?/音乐/小.mp3?>")}));
    ASSERT_TRUE(platform::WriteTextLines(dir.file("small.kpl"), {U("小")}));
    ASSERT_TRUE(platform::ReadTextLines(dir.file("small.kpl"), &lines, nullptr, &found));
    EXPECT_EQ(lines, QStringList({U("小")}));
    EXPECT_EQ(found, platform::TextEncoding::Utf8WithMark);
}

TEST(TextRoundTrip, RandomMixedListsReadBackAsTheyWere) {
    const QStringList hanzi = Gb2312Hanzi();
    ASSERT_FALSE(hanzi.isEmpty());
    const QStringList others = {"a", "Z", "0", ".", "<?", "?>", "/", " ", U("é"), U("ß"), U("С"),
                                U("ж"), U("Ω"), U("€"), U("·"), U("　"), U("，"), U("𠀀"), U("の")};
    std::mt19937 random(6000);
    for (int list = 0; list < 6000; ++list) {
        QStringList lines(int(random() % 4) + 1);
        for (QString& line : lines) {
            for (int n = int(random() % 7); n > 0; --n)
                line += random() % 2 ? hanzi.at(int(random() % hanzi.size()))
                                     : others.at(int(random() % others.size()));
        }
        for (const auto preferred : {platform::TextEncoding::Gb18030, platform::TextEncoding::Utf8}) {
            const QByteArray saved = platform::EncodeTextLines(lines, preferred);
            ASSERT_EQ(platform::SplitLines(platform::DecodeText(saved)), lines)
                << Show(lines.join('|')).toStdString();
        }
    }
}

// A rewrite keeps the encoding the file came in, so other programs still read it.
TEST(IniWrite, KeepsTheEncodingTheFileWasReadIn) {
    TempFolder dir;
    dir.write("gb.ini", "[s]\r\nname=\xD6\xD0\xCE\xC4\r\n");
    dir.write("utf8.ini", "[s]\r\nname=Caf\xC3\xA9 \xE4\xB8\xAD\r\n");
    dir.write("marked.ini", "\xEF\xBB\xBF[s]\r\nname=x\r\n");
    for (const char* name : {"gb.ini", "utf8.ini", "marked.ini"})
        ASSERT_TRUE(TIniFile(dir.file(name)).WriteString("s", "k", U("音")));
    EXPECT_EQ(dir.read("gb.ini"), QByteArray("[s]\r\nname=\xD6\xD0\xCE\xC4\r\nk=\xD2\xF4\r\n"));
    EXPECT_EQ(dir.read("utf8.ini"), QByteArray("[s]\r\nname=Caf\xC3\xA9 \xE4\xB8\xAD\r\nk=\xE9\x9F\xB3\r\n"));
    EXPECT_EQ(dir.read("marked.ini"), QByteArray("\xEF\xBB\xBF[s]\r\nname=x\r\nk=\xE9\x9F\xB3\r\n"));
    TIniFile fresh(dir.file("new.ini"));
    ASSERT_TRUE(fresh.WriteString("s", "k", U("音")));
    EXPECT_EQ(dir.read("new.ini"), QByteArray("[s]\r\nk=\xD2\xF4\r\n"));
}

// Written in GB18030 with CR LF, as the player's own ini files are.
const QByteArray kQuirks =
    "; top=comment\r\n"
    "[Main]\r\n"
    "  Skin Name  =  <\xC4\xAC\xC8\xCF\xBD\xE7\xC3\xE6>  \r\n"
    ";Hidden=1\r\n"
    "Volume=1\r\n"
    "VOLUME=2\r\n"
    "Padded=\"  two  \"\r\n"
    "Single='x'\r\n"
    "Half=\"x\r\n"
    "NoEquals\r\n"
    "[main]\r\n"
    "Extra=3\r\n"
    "[Broken\r\n"
    "[Other]\r\n"
    "k=v";

TEST(IniRead, CaseInsensitiveFirstMatchTrimmedUnquoted) {
    TempFolder dir;
    dir.write("q.ini", kQuirks);
    const TIniFile ini(dir.file("q.ini"));
    EXPECT_EQ(Std(ini.ReadString("MAIN", "skin name", "-")), "<默认界面>");
    EXPECT_EQ(ini.ReadInteger("main", "volume", 0), 1);
    EXPECT_EQ(Std(ini.ReadString("Main", "Extra", "-")), "-");  // the second [main] is hidden
    EXPECT_EQ(Std(ini.ReadString("Main", "Padded", "-")), "  two  ");
    EXPECT_EQ(Std(ini.ReadString("Main", "Single", "-")), "x");
    EXPECT_EQ(Std(ini.ReadString("Main", "Half", "-")), "\"x");
    EXPECT_EQ(Std(ini.ReadString("Main", "Hidden", "-")), "-");
    EXPECT_EQ(Std(ini.ReadString("", "top", "-")), "-");
    EXPECT_FALSE(ini.ValueExists("Main", "NoEquals"));
    EXPECT_FALSE(ini.SectionExists("Broken"));
    EXPECT_EQ(Std(ini.ReadString("other", "K", "-")), "v");  // no final line end
    EXPECT_EQ(ini.ReadSections(), QStringList({"Main", "Other"}));
    EXPECT_EQ(ini.ReadSection("main"), QStringList({"Skin Name", "Volume", "Padded", "Single", "Half"}));
    EXPECT_EQ(ini.ReadSectionValues("main").at(1), "Volume=1");
}

TEST(IniRead, DefaultsForMissingFileSectionOrKey) {
    TempFolder dir;
    const TIniFile missing(dir.file("none.ini"));
    EXPECT_EQ(Std(missing.ReadString("a", "b", "def")), "def");
    EXPECT_TRUE(missing.ReadBool("a", "b", true));
    EXPECT_TRUE(missing.ReadSections().isEmpty());
    dir.write("a.ini", "[a]\nb=1\n");
    const TIniFile ini(dir.file("a.ini"));
    EXPECT_EQ(ini.ReadInteger("x", "b", 7), 7);
    EXPECT_EQ(ini.ReadInteger("a", "x", 7), 7);
}

TEST(IniRead, IntegerForms) {
    TempFolder dir;
    const std::pair<const char*, int> cases[] = {
        {"12", 12},      {"-7", -7},        {"+3", 3},       {"0x1F", 31},
        {"$ff", 255},    {"$FFFFFFFF", -1}, {"-$10", -16},   {"2147483647", 2147483647},
        {"-2147483648", INT_MIN}, {"12abc", 99}, {"", 99},   {"0x", 99},
        {"1.5", 99},     {"99999999999", 99}, {"$123456789", 99}, {"true", 99},
    };
    for (const auto& [text, expected] : cases) {
        dir.write("n.ini", QByteArray("[s]\nk=") + text + "\n");
        EXPECT_EQ(TIniFile(dir.file("n.ini")).ReadInteger("s", "k", 99), expected) << text;
    }
    dir.write("b.ini", "[s]\nzero=0\nfive=5\nyes=yes\n");
    const TIniFile ini(dir.file("b.ini"));
    EXPECT_FALSE(ini.ReadBool("s", "zero", true));
    EXPECT_TRUE(ini.ReadBool("s", "five", false));
    EXPECT_FALSE(ini.ReadBool("s", "yes", false));
}

TEST(IniWrite, InPlaceAppendAndNewSectionKeepEveryOtherLine) {
    TempFolder dir;
    dir.write("w.ini", "; top\n[A]\n  x = 1\n; note\n\n[B]\ny=2");
    TIniFile ini(dir.file("w.ini"));
    ASSERT_TRUE(ini.WriteString("a", "X", U("中")));
    ASSERT_TRUE(ini.WriteInteger("A", "z", -3));
    ASSERT_TRUE(ini.WriteBool("C", "k", true));
    EXPECT_EQ(dir.read("w.ini"),
              QByteArray("; top\r\n[A]\r\nx=\xD6\xD0\r\n; note\r\nz=-3\r\n\r\n[B]\r\ny=2\r\n"
                         "\r\n[C]\r\nk=1\r\n"));
    EXPECT_TRUE(ini.LastError().isEmpty());
}

TEST(IniWrite, AnotherObjectSeesTheWriteAndValuesReadBackExactly) {
    TempFolder dir;
    TIniFile writer(dir.file("s.ini"));
    const TIniFile reader(dir.file("s.ini"));
    EXPECT_EQ(Std(reader.ReadString("s", "k", "-")), "-");
    for (const char* value : {"plain", "  padded ", "'quoted'", "\"both\"", ""}) {
        ASSERT_TRUE(writer.WriteString("s", "k", U(value)));
        EXPECT_EQ(Std(reader.ReadString("S", "K", "-")), value);
    }
}

TEST(IniWrite, RefusesWhatWouldCorruptTheFile) {
    TempFolder dir;
    dir.write("r.ini", "[s]\r\nk=1\r\n");
    TIniFile ini(dir.file("r.ini"));
    EXPECT_FALSE(ini.WriteString("s", "k", "1\r\n[evil]\r\nx=1"));
    EXPECT_FALSE(ini.WriteString("s", "a=b", "1"));
    EXPECT_FALSE(ini.WriteString("s]", "k", "1"));
    EXPECT_FALSE(ini.LastError().isEmpty());
    EXPECT_EQ(dir.read("r.ini"), QByteArray("[s]\r\nk=1\r\n"));

    if (RunningAsRoot()) GTEST_SKIP() << "root ignores file permissions";
    QFile::setPermissions(dir.file("r.ini"), QFileDevice::WriteOwner);  // unreadable, writable
    EXPECT_FALSE(ini.WriteString("s", "new", "1"));
    QFile::setPermissions(dir.file("r.ini"), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    EXPECT_EQ(dir.read("r.ini"), QByteArray("[s]\r\nk=1\r\n"));
}

TEST(IniWrite, EraseSectionAndDeleteKeyRemoveDuplicatesToo) {
    TempFolder dir;
    dir.write("e.ini", "[a]\nk=1\nK=2\nj=3\n[b]\nx=1\n[A]\nk=4\n");
    TIniFile ini(dir.file("e.ini"));
    ASSERT_TRUE(ini.DeleteKey("A", "k"));
    EXPECT_EQ(ini.ReadSection("a"), QStringList({"j"}));
    ASSERT_TRUE(ini.EraseSection("a"));
    EXPECT_FALSE(ini.SectionExists("a"));
    EXPECT_EQ(dir.read("e.ini"), QByteArray("[b]\r\nx=1\r\n"));
    EXPECT_TRUE(ini.EraseSection("missing"));
    EXPECT_TRUE(TIniFile(dir.file("never.ini")).DeleteKey("a", "b"));
    EXPECT_FALSE(QFileInfo::exists(dir.file("never.ini")));  // nothing to delete, nothing written
}

TEST(IniRead, HostileFilesDoNotCrash) {
    TempFolder dir;
    QByteArray garbage(1 << 16, '\0');
    quint32 seed = 12345;
    for (char& c : garbage) c = char((seed = seed * 1103515245u + 12345u) >> 24);
    dir.write("g.ini", garbage);
    TIniFile junk(dir.file("g.ini"));
    junk.ReadSections();
    junk.ReadString("a", "b", "");
    EXPECT_TRUE(junk.WriteString("a", "b", "c"));
    EXPECT_EQ(Std(junk.ReadString("a", "b", "")), "c");

    // Far longer than any read or conversion buffer on the way.
    const QByteArray longValue(4 * 1024 * 1024, 'v');
    dir.write("long.ini", "[s]\r\nk=" + longValue);
    EXPECT_EQ(TIniFile(dir.file("long.ini")).ReadString("s", "k", "").size(), longValue.size());
}

// Counts the times a file is opened, as the kernel reports them; count() must be called after
// each open, as the kernel merges an event with an identical one still waiting.
class OpenCounter {
public:
    explicit OpenCounter(const QString& path) : fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
        if (fd_ >= 0) watching_ = inotify_add_watch(fd_, QFile::encodeName(path).constData(), IN_OPEN) >= 0;
    }
    ~OpenCounter() {
        if (fd_ >= 0) ::close(fd_);
    }
    bool watching() const { return watching_; }
    int count() {
        alignas(inotify_event) char buffer[4096];
        ssize_t n;
        while ((n = ::read(fd_, buffer, sizeof buffer)) > 0) {
            for (char* p = buffer; p < buffer + n; ++opens_)
                p += sizeof(inotify_event) + reinterpret_cast<inotify_event*>(p)->len;
        }
        return opens_;
    }

private:
    int fd_;
    bool watching_ = false;
    int opens_ = 0;
};

// Reading a whole menu or preset file used to read the file once per value.
TEST(IniRead, ManyValuesCostOneReadUntilTheFileChanges) {
    TempFolder dir;
    QByteArray text = "[Menu]\r\n";
    for (int n = 0; n < 100; ++n)
        text += "Item" + QByteArray::number(n) + "=" + QByteArray::number(n * 3) + "\r\n";
    dir.write("menu.ini", text);
    const TIniFile ini(dir.file("menu.ini"));
    OpenCounter opens(dir.file("menu.ini"));
    ASSERT_TRUE(opens.watching());
    for (int n = 0; n < 100; ++n) {
        ASSERT_EQ(ini.ReadInteger("menu", "item" + QString::number(n), -1), n * 3);
        opens.count();
    }
    EXPECT_EQ(ini.ReadSection("Menu").size(), 100);
    EXPECT_EQ(opens.count(), 1);

    // Changes made behind the object's back are still seen at once: in place, replaced, removed.
    dir.write("menu.ini", "[Menu]\r\nItem1=edited\r\n");
    EXPECT_EQ(Std(ini.ReadString("Menu", "Item1", "-")), "edited");
    ASSERT_TRUE(TIniFile(dir.file("menu.ini")).WriteString("Menu", "Item1", "other"));
    EXPECT_EQ(Std(ini.ReadString("Menu", "Item1", "-")), "other");
    QFile::remove(dir.file("menu.ini"));
    EXPECT_EQ(Std(ini.ReadString("Menu", "Item1", "-")), "-");
    dir.write("menu.ini", "[Menu]\r\nItem1=back\r\n");
    EXPECT_EQ(Std(ini.ReadString("Menu", "Item1", "-")), "back");
}

}  // namespace

// Bytes that are valid in both encodings: what the player wrote itself must come back as it was,
// and a UTF-8 file with accented Latin or Cyrillic names must stay UTF-8.
TEST(TextAmbiguity, ShortGbTextThatIsAlsoValidUtf8ReadsAsGb18030) {
    for (const QString& text : {QStringLiteral("一"), QStringLiteral("中文"), QStringLiteral("<?/m/一.mp3?>")}) {
        EXPECT_EQ(platform::DecodeText(platform::EncodeGb18030(text)), text);
    }
    for (const QString& text : {QStringLiteral("Café.mp3"), QStringLiteral("Привет.ogg"), QStringLiteral("Ελλάδα")}) {
        EXPECT_EQ(platform::DecodeText(text.toUtf8()), text);
    }
}

// ---- reading only regular files, within a bound ----------------------------------------------

namespace reading {

using testing_support::FifoWatchdog;

// A FIFO named like a settings file is refused at once: opening it would wait for a writer for
// ever, and the player with it.
TEST(TextRead, FifoIsRefusedWithoutWaiting) {
    TempFolder dir;
    FifoWatchdog fifo(dir.file("setup.ini"));
    ASSERT_TRUE(fifo.Made());
    QByteArray bytes;
    QStringList lines;
    QString error, linesError;
    bool read = true, readLines = true;
    fifo.Run([&] {
        read = platform::ReadFileBytes(dir.file("setup.ini"), &bytes, &error);
        readLines = platform::ReadTextLines(dir.file("setup.ini"), &lines, &linesError);
    });
    EXPECT_FALSE(fifo.Released()) << "the read waited on the FIFO";
    EXPECT_FALSE(read);
    EXPECT_FALSE(readLines);
    EXPECT_EQ(Std(error), Std("Cannot read " + dir.file("setup.ini") + ": it is a pipe, not a regular file"));
    EXPECT_EQ(linesError, error);
}

TEST(TextRead, DevicesAndLinksToThemAreRefused) {
    TempFolder dir;
    ASSERT_TRUE(QFile::link("/dev/null", dir.file("MenuPlus.ini")));
    QByteArray bytes;
    QString error;
    EXPECT_FALSE(platform::ReadFileBytes("/dev/null", &bytes, &error));
    EXPECT_TRUE(error.endsWith("it is a device, not a regular file")) << Std(error);
    EXPECT_FALSE(platform::ReadFileBytes(dir.file("MenuPlus.ini"), &bytes, &error));
    EXPECT_TRUE(platform::IsSpecialFile(dir.file("MenuPlus.ini")));
    EXPECT_FALSE(platform::IsSpecialFile(dir.path())) << "a folder is no special file";
    EXPECT_FALSE(platform::IsSpecialFile(dir.file("missing.ini")));
}

// The bound refuses a larger file, or with keepHead gives its whole lines within the bound.
TEST(TextRead, FileBeyondTheBoundIsRefusedOrCutAtALineEnd) {
    TempFolder dir;
    dir.write("big.m3u", "/a.mp3\n/b.mp3\n/c.mp3\n");
    QByteArray bytes;
    QString error;
    platform::ReadOptions options;
    options.maxBytes = 16;
    EXPECT_FALSE(platform::ReadFileBytes(dir.file("big.m3u"), &bytes, &error, options));
    EXPECT_TRUE(error.endsWith("it is larger than 16 bytes")) << Std(error);
    EXPECT_TRUE(bytes.isEmpty());
    options.keepHead = true;
    platform::ReadInfo info;
    ASSERT_TRUE(platform::ReadFileBytes(dir.file("big.m3u"), &bytes, &error, options, &info));
    EXPECT_EQ(bytes, QByteArray("/a.mp3\n/b.mp3\n"));
    EXPECT_TRUE(info.cut);
    options.maxBytes = 21;
    ASSERT_TRUE(platform::ReadFileBytes(dir.file("big.m3u"), &bytes, &error, options, &info));
    EXPECT_EQ(bytes.size(), 21);
    EXPECT_FALSE(info.cut) << "exactly the bound is whole";
}

// Files that report no size (the kernel's own) are read to their end all the same.
TEST(TextRead, FileWithoutASizeIsReadToItsEnd) {
    QString text;
    ASSERT_TRUE(platform::ReadText("/proc/self/status", &text));
    EXPECT_TRUE(text.contains("Pid:"));
}

// The favourites list, a menu, a preset file: every profile file is read through the same reader.
TEST(IniRead, FifoReadsAsEmptyWithoutWaiting) {
    TempFolder dir;
    FifoWatchdog fifo(dir.file("Favor.ini"));
    ASSERT_TRUE(fifo.Made());
    QString value;
    bool written = true;
    fifo.Run([&] {
        TIniFile ini(dir.file("Favor.ini"));
        value = ini.ReadString("list", "a", "default");
        written = ini.WriteString("list", "a", "x");
    });
    EXPECT_FALSE(fifo.Released()) << "the read waited on the FIFO";
    EXPECT_EQ(Std(value), "default");
    EXPECT_FALSE(written) << "nothing replaces what could not be read";
    EXPECT_TRUE(QFileInfo(dir.file("Favor.ini")).exists());
    EXPECT_FALSE(QFileInfo(dir.file("Favor.ini")).isFile());
}

}  // namespace reading
