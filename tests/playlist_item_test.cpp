// Playlist entries and playlist files.
#include "player/playlist/playlist_files.h"
#include "player/playlist/playlist_item.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>

using namespace playlist;
using testing_support::TempFolder;

TEST(PlaylistEntry, FieldsAreFoundByFirstOccurrenceInAnyOrder) {
    const QString plain = u"<?C:\\Music\\a.mp3?><#03:25#>"_qs;
    EXPECT_EQ(PathField(plain), u"C:\\Music\\a.mp3");
    EXPECT_FALSE(HasTitle(plain));
    EXPECT_EQ(GetTitle(plain), u"a");
    EXPECT_EQ(EntrySeconds(plain), 205);

    const QString link = u"<*Radio*><?mms://host/live?>"_qs;
    EXPECT_EQ(GetTitle(link), u"Radio");
    EXPECT_TRUE(TimeField(link).isEmpty());
    EXPECT_EQ(PathField(link), u"mms://host/live");

    EXPECT_EQ(PathField(u"<?a?><?b?>"), u"a");
    EXPECT_TRUE(PathField(u"?>x<?a").isEmpty());  // closing before opening
    EXPECT_TRUE(PathField(u"<?abc").isEmpty());   // closing missing
    EXPECT_TRUE(PathField(u"<?>").isEmpty());     // markers overlap
    EXPECT_TRUE(PathField(u"<*a?>b*><?c?>").isEmpty());
    EXPECT_TRUE(HasTitle(u"<?x.mp3?><*untitled"));
    EXPECT_EQ(GetTitle(u"<?x.mp3?><*untitled"), u"");
    EXPECT_EQ(MakeEntry(u"/music/a.mp3"), u"<?/music/a.mp3?>");
    EXPECT_EQ(MakeEntry(u"<*T*><?x?>"), u"<*T*><?x?>");
}

TEST(PlaylistEntry, TimesAreValidOnlyAsFiveCharacters) {
    EXPECT_TRUE(IsValidTime(u"03:25"));
    for (const char16_t* bad : {u"123:04", u"3:25", u"03-25", u"0a:25", u"\uFF10\uFF13:25", u""})
        EXPECT_FALSE(IsValidTime(bad)) << QString::fromUtf16(bad).toStdString();
    EXPECT_EQ(FormatTime(205000), u"03:25");
    EXPECT_EQ(FormatTime(59999), u"00:59");
    EXPECT_EQ(FormatTime(123 * 60000 + 4000), u"123:04");
    EXPECT_EQ(FormatTime(-5), u"00:00");

    const QStringList rows{u"<?a?><#03:25#>"_qs, u"<?b?><#123:04#>"_qs, u"<?c?>"_qs, u"<?d?><#00:05#>"_qs};
    EXPECT_EQ(RefreshAllTime(rows), 210);  // the 123-minute entry is shown but not counted
    EXPECT_EQ(ChangeTime(210, rows, 0, true), 5);
    EXPECT_EQ(ChangeTime(5, rows, 3, false), 10);
    EXPECT_EQ(ChangeTime(5, rows, 1, false), 5);
    EXPECT_EQ(ChangeTime(5, rows, 4, false), 5);
    EXPECT_EQ(ChangeTime(5, rows, -1, true), 5);
}

TEST(PlaylistEntry, TitlesAndExtensionsOfLinuxWindowsAndUrlPaths) {
    EXPECT_EQ(GetTitle(u"<?/music/a.mp3?>"), u"a");
    EXPECT_EQ(GetTitle(u"<?/music/Live: 1999.mp3?>"), u"Live: 1999");
    EXPECT_EQ(GetTitle(u"<?http://host/dir/song.mp3?>"), u"song");
    EXPECT_EQ(GetTitle(u"<?http://host/dir/?>"), u"");
    EXPECT_EQ(GetTitle(u"<?http://www.host.com/live?>"), u"www.host") << "URLs keep the dot rule of their name part";
    EXPECT_EQ(GetTitle(u"<?<:abc?>"), u"abc");
    EXPECT_EQ(GetTitle(u""), u"");

    EXPECT_EQ(PathExtension(u"C:\\Music\\A.MP3"), u".MP3");
    EXPECT_EQ(LowerExtension(u"C:\\Music\\A.MP3"), u".mp3");
    EXPECT_TRUE(PathExtension(u"/music.d/a").isEmpty());
    EXPECT_EQ(PathExtension(u"http://www.host.com/live"), u".com/live");
    EXPECT_EQ(PathExtension(u"/x/a.tar.GZ"), u".GZ");
}

TEST(PlaylistEntry, SortKeys) {
    EXPECT_EQ(SortKey(u"<?C:\\m\\b.mp3?><*Zed*>", SortKeyMode::Title), u"Zed");
    EXPECT_EQ(SortKey(u"<?C:\\m\\b.mp3?>", SortKeyMode::Title), u"b");
    EXPECT_EQ(SortKey(u"<?http://h/b.mp3?>", SortKeyMode::Title), u"http://h/b.mp3");
    EXPECT_EQ(SortKey(u"<?/m/b.MP3?>", SortKeyMode::Extension), u"MP3");
    EXPECT_EQ(SortKey(u"<?/m/b?>", SortKeyMode::Extension), u"");
    EXPECT_EQ(SortKey(u"<?/m/b.mp3?><#01:00#>", SortKeyMode::Time), u"01:00");
    EXPECT_EQ(SortKey(u"<?/m/b.mp3?>", SortKeyMode::Time), u"");
}

TEST(PlaylistLists, MaskListDropsShortPiecesExeAndRepeats) {
    EXPECT_EQ(BuildMaskList(u"*.mp3;*.WMA;"_qs, u"*.rm;ab;"_qs, u""_qs, u"*.exe;*.avi;*.EXE;"_qs,
                            u"*.mp3;*.a;"_qs),
              (QStringList{u"*.mp3"_qs, u"*.wma"_qs, u"*.rm"_qs, u"*.avi"_qs, u"*.a"_qs, u"*.kpl"_qs,
                           u"*.m3u"_qs, u"*.pls"_qs}));
}

TEST(PlaylistLists, LineFilterTakesLocatedLinesWithKnownExtensions) {
    const QStringList masks = BuildMaskList(u"*.mp3;"_qs, u"*.rm;"_qs, {}, {}, {});
    const QStringList pls{u"[playlist]"_qs, u"File1=C:\\x.mp3"_qs, u"Title1=x.mp3"_qs,
                          u"File2=http://h/x.mp3"_qs, u"Length2=-1"_qs, u"NumberOfEntries=2"_qs};
    EXPECT_EQ(FilterListLines(pls, masks), (QStringList{u"C:\\x.mp3"_qs, u"http://h/x.mp3"_qs}));

    const QStringList m3u{u"#EXTM3U"_qs, u"#EXTINF:100,Song"_qs, u"music\\a.mp3"_qs, u"music/a.mp3"_qs,
                          u"  /music/b.MP3 \t\r"_qs, u"C:\\a.txt"_qs, u"/music/a.mp3"_qs};
    EXPECT_EQ(FilterListLines(m3u, masks), (QStringList{u"/music/b.MP3"_qs, u"/music/a.mp3"_qs}));
}

// Only a leading .pls key is removed: "=" inside a URL or path is part of it.
TEST(PlaylistLists, EqualsSignInsideAPathSurvives) {
    const QStringList masks = BuildMaskList(u"*.mp3;"_qs, {}, {}, {}, {});
    const QStringList lines{u"http://host/play?id=3.mp3"_qs, u"File3=http://host/play?id=3.mp3"_qs,
                            u"C:\\a=b\\x.mp3"_qs, u"file12=/m/a=b.mp3"_qs};
    EXPECT_EQ(FilterListLines(lines, masks),
              (QStringList{u"http://host/play?id=3.mp3"_qs, u"http://host/play?id=3.mp3"_qs,
                           u"C:\\a=b\\x.mp3"_qs, u"/m/a=b.mp3"_qs}));
}

TEST(PlaylistLists, KplAppendSkipsNestedListsAndEmptyLines) {
    const QStringList lines{u"<?C:\\a.mp3?>"_qs, u""_qs, u"<?D:\\other.KPL?>"_qs, u"noext"_qs};
    EXPECT_EQ(KplAppendLines(lines), QStringList{u"<?C:\\a.mp3?>"_qs});
}

namespace {
// "<?/音乐/歌曲.mp3?><#03:25#>", an empty line, and a character outside the BMP.
const QByteArray kGbKpl = QByteArray("<?/\xD2\xF4\xC0\xD6/\xB8\xE8\xC7\xFA.mp3?><#03:25#>\r\n\r\n<?/a/\x95"
                                     "2\x82"
                                     "6.mp3?>\r\n");
const QByteArray kUtf8Kpl = QByteArray("<?/\xE9\x9F\xB3\xE4\xB9\x90/\xE6\xAD\x8C\xE6\x9B\xB2.mp3?><#03:25#>\n\n"
                                       "<?/a/\xF0\xA0\x80\x80.mp3?>");
const QStringList kEntries{u"<?/音乐/歌曲.mp3?><#03:25#>"_qs, u""_qs, u"<?/a/\U00020000.mp3?>"_qs};
}  // namespace

TEST(PlaylistFiles, KplInGb18030OrUtf8RoundTripsWithoutLoss) {
    TempFolder folder;
    folder.write("gb.kpl", kGbKpl);
    folder.write("utf8.kpl", "\xEF\xBB\xBF" + kUtf8Kpl);
    for (const char* name : {"gb.kpl", "utf8.kpl"}) {
        QStringList entries;
        ASSERT_TRUE(ReadKpl(folder.file(name), &entries));
        EXPECT_EQ(entries, kEntries) << name;  // the empty line stays an entry
        ASSERT_TRUE(WriteKpl(folder.file("out.kpl"), entries));
        EXPECT_EQ(folder.read("out.kpl"), kGbKpl) << name;
    }
    QStringList none;
    QString error;
    EXPECT_FALSE(ReadKpl(folder.file("missing.kpl"), &none, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(WriteKpl(folder.file("no/such/folder.kpl"), kEntries));
}

TEST(PlaylistFiles, M3uHoldsPathFieldsAndReadsBack) {
    TempFolder folder;
    const QStringList entries{u"<*电台*><?http://h/a.mp3?><#01:00#>"_qs, u"<?/音乐/歌曲.mp3?>"_qs};
    ASSERT_TRUE(WriteM3u(folder.file("list.m3u"), entries));
    EXPECT_EQ(folder.read("list.m3u"),
              QByteArray("http://h/a.mp3\r\n/\xD2\xF4\xC0\xD6/\xB8\xE8\xC7\xFA.mp3\r\n"));
    QStringList paths;
    ASSERT_TRUE(ReadListFile(folder.file("list.m3u"), BuildMaskList(u"*.mp3;"_qs, {}, {}, {}, {}), &paths));
    EXPECT_EQ(paths, (QStringList{u"http://h/a.mp3"_qs, u"/音乐/歌曲.mp3"_qs}));
}

TEST(PlaylistFiles, HostileLinesDoNotCrash) {
    QRandomGenerator random(1234);
    const char16_t alphabet[] = u"<?*#>:/\\.=09mpFILE \t\r\0\xD800\xDFFF\x4E2D";
    QStringList lines{u"<?<?<?"_qs, u"?>?>"_qs, u"<#99:99#>"_qs, QString(1 << 20, u'.'), u"File1="_qs};
    for (int i = 0; i < 2000; ++i) {
        QString line;
        for (int n = random.bounded(40); n > 0; --n) line += QChar(alphabet[random.bounded(int(std::size(alphabet)))]);
        lines << line;
    }
    for (const QString& path : FilterListLines(lines, BuildMaskList(u"*.mp3;"_qs, {}, {}, {}, {})))
        EXPECT_FALSE(path.isEmpty());
    qint64 sum = RefreshAllTime(lines);
    for (const QString& line : lines)
        sum += GetTitle(line).size() + SortKey(line, SortKeyMode::Extension).size();
    EXPECT_GE(sum, 0);
    TempFolder folder;
    folder.write("bad.m3u", QByteArray("\xFF\xFE\x00\x81\r\n\x95\x32", 8));
    QStringList read;
    EXPECT_TRUE(ReadListFile(folder.file("bad.m3u"), {u"*.mp3"_qs}, &read));
}
