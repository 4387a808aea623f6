// Playlist entries and playlist files.
#include "player/playlist/list_loader.h"
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
    EXPECT_EQ(GetTitle(u"<?http://host.example.com/dir/?>"), u"") << "a dot in the host is no extension";
    EXPECT_EQ(GetTitle(u"<?http://host:8000/live.mp3?>"), u"live") << "the port's colon does not cut";
    EXPECT_EQ(GetTitle(u"<?http://www.host.com/live?>"), u"live");
    EXPECT_EQ(GetTitle(u"<?mms://a.b:1755/x/radio.asx?>"), u"radio");
    EXPECT_EQ(GetTitle(u"<?http://h/play?id=3.mp3?>"), u"play?id=3");
    EXPECT_EQ(GetTitle(u"<?http://radio.example.com?>"), u"radio.example.com") << "a bare host is its own title";
    EXPECT_EQ(GetTitle(u"<?<:abc?>"), u"abc");
    EXPECT_EQ(GetTitle(u""), u"");

    EXPECT_EQ(PathExtension(u"C:\\Music\\A.MP3"), u".MP3");
    EXPECT_EQ(LowerExtension(u"C:\\Music\\A.MP3"), u".mp3");
    EXPECT_TRUE(PathExtension(u"/music.d/a").isEmpty());
    EXPECT_EQ(PathExtension(u"http://www.host.com/live"), u".com/live");
    EXPECT_EQ(PathExtension(u"/x/a.tar.GZ"), u".GZ");
}

// A title is drawn on every paint: one from a 20 MB line must not be measured whole.
TEST(PlaylistEntry, TitlesAreCappedWithoutCuttingACharacter) {
    const QString longName = QString(3 * kMaxTitleChars, u'a');
    EXPECT_EQ(GetTitle(MakeEntry(u"/m/"_qs + longName + u".mp3"_qs)).size(), kMaxTitleChars);
    EXPECT_EQ(GetTitle(u"<*"_qs + longName + u"*><?/m/a.mp3?>"_qs).size(), kMaxTitleChars);
    EXPECT_EQ(GetTitle(MakeEntry(u"http://h/"_qs + longName)).size(), kMaxTitleChars);
    // A character outside the BMP that straddles the cap is left out whole.
    const QString straddling = QString(kMaxTitleChars - 1, u'a') + u"\U00020000tail"_qs;
    const QString title = GetTitle(u"<*"_qs + straddling + u"*>"_qs);
    EXPECT_EQ(title.size(), kMaxTitleChars - 1);
    EXPECT_FALSE(title.back().isHighSurrogate());
    EXPECT_EQ(GetTitle(u"<*short*>"), u"short");
}

TEST(PlaylistEntry, ControlCharactersAreFound) {
    for (const char16_t* bad : {u"/m/a\nb.mp3", u"/m/a\rb.mp3", u"\t/m/a.mp3", u"/m/a\x7F.mp3", u"/m/\x85.mp3",
                                u"/m/a\u2028b.mp3"})
        EXPECT_TRUE(HasControlCharacter(bad)) << QString::fromUtf16(bad).toStdString();
    EXPECT_TRUE(HasControlCharacter(u"/m/a"_qs + QChar(0) + u".mp3"_qs));
    EXPECT_FALSE(HasControlCharacter(u"/音乐/北京 欢迎你 (Live).mp3"));
    EXPECT_FALSE(HasControlCharacter(u"<*T*><?http://h/a b.mp3?><#03:25#>"));
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

namespace {
QStringList Filter(const QStringList& lines, const QStringList& masks) {
    return FilterListText(lines.join(u"\r\n"), masks);
}
}  // namespace

TEST(PlaylistLists, MaskListDropsShortPiecesExeAndRepeats) {
    EXPECT_EQ(BuildMaskList(u"*.mp3;*.WMA;"_qs, u"*.rm;ab;"_qs, u""_qs, u"*.exe;*.avi;*.EXE;"_qs,
                            u"*.mp3;*.a;"_qs, u""_qs),
              (QStringList{u"*.mp3"_qs, u"*.wma"_qs, u"*.rm"_qs, u"*.avi"_qs, u"*.a"_qs, u"*.kpl"_qs,
                           u"*.m3u"_qs, u"*.pls"_qs}));
}

// The player plays the Media Player list's types, so lists and scans must keep them.
TEST(PlaylistLists, MediaPlayerTypesAreKept) {
    const QStringList masks = BuildMaskList(u"*.mp3;"_qs, u"*.cda"_qs, {}, u"*.avi"_qs, u"*.rm"_qs,
                                            u"*.WMA;*.wmv;*.mid;*.mp3"_qs);
    EXPECT_EQ(masks, (QStringList{u"*.mp3"_qs, u"*.cda"_qs, u"*.avi"_qs, u"*.rm"_qs, u"*.wma"_qs, u"*.wmv"_qs,
                                  u"*.mid"_qs, u"*.kpl"_qs, u"*.m3u"_qs, u"*.pls"_qs}));
    EXPECT_EQ(Filter({u"/m/a.wma"_qs, u"C:\\m\\b.MID"_qs, u"/m/c.txt"_qs}, masks),
              (QStringList{u"/m/a.wma"_qs, u"C:\\m\\b.MID"_qs}));
}

TEST(PlaylistLists, LineFilterTakesLocatedLinesWithKnownExtensions) {
    const QStringList masks = BuildMaskList(u"*.mp3;"_qs, u"*.rm;"_qs, {}, {}, {}, {});
    const QStringList pls{u"[playlist]"_qs, u"File1=C:\\x.mp3"_qs, u"Title1=x.mp3"_qs,
                          u"File2=http://h/x.mp3"_qs, u"Length2=-1"_qs, u"NumberOfEntries=2"_qs};
    EXPECT_EQ(Filter(pls, masks), (QStringList{u"C:\\x.mp3"_qs, u"http://h/x.mp3"_qs}));

    const QStringList m3u{u"#EXTM3U"_qs, u"#EXTINF:100,Song"_qs, u"music\\a.mp3"_qs, u"music/a.mp3"_qs,
                          u"  /music/b.MP3 \t\r"_qs, u"C:\\a.txt"_qs, u"/music/a.mp3"_qs};
    EXPECT_EQ(Filter(m3u, masks), (QStringList{u"/music/b.MP3"_qs, u"/music/a.mp3"_qs}));
}

// Only a leading .pls key is removed: "=" inside a URL or path is part of it.
TEST(PlaylistLists, EqualsSignInsideAPathSurvives) {
    const QStringList masks = BuildMaskList(u"*.mp3;"_qs, {}, {}, {}, {}, {});
    const QStringList lines{u"http://host/play?id=3.mp3"_qs, u"File3=http://host/play?id=3.mp3"_qs,
                            u"C:\\a=b\\x.mp3"_qs, u"file12=/m/a=b.mp3"_qs};
    EXPECT_EQ(Filter(lines, masks),
              (QStringList{u"http://host/play?id=3.mp3"_qs, u"http://host/play?id=3.mp3"_qs,
                           u"C:\\a=b\\x.mp3"_qs, u"/m/a=b.mp3"_qs}));
}

TEST(PlaylistLists, KplAppendSkipsNestedListsAndEmptyLines) {
    EXPECT_TRUE(IsKplAppendLine(u"<?C:\\a.mp3?>"));
    for (const char16_t* skipped : {u"", u"<?D:\\other.KPL?>", u"noext"})
        EXPECT_FALSE(IsKplAppendLine(skipped)) << QString::fromUtf16(skipped).toStdString();
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
    ASSERT_TRUE(ReadListFile(folder.file("list.m3u"), BuildMaskList(u"*.mp3;"_qs, {}, {}, {}, {}, {}), &paths));
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
    for (const QString& path : Filter(lines, BuildMaskList(u"*.mp3;"_qs, {}, {}, {}, {}, {})))
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

namespace {
void WriteList(const TempFolder& folder, const QString& name, const QStringList& lines) {
    folder.write(name, lines.join(u"\r\n").toUtf8());
}
const QStringList kMp3{u"*.mp3"_qs, u"*.m3u"_qs, u"*.kpl"_qs};
}  // namespace

// Seven lists of eleven lines, each naming the next ten times: followed blindly that is a million
// reads and a million entries.
TEST(PlaylistLoads, EachListIsReadOnceAndBoundsCutCrossNamingShort) {
    TempFolder folder;
    for (int k = 0; k < 7; ++k) {
        QStringList lines{u"/m/%1.mp3"_qs.arg(k)};
        for (int n = 0; k < 6 && n < 10; ++n) lines << folder.file(u"%1.m3u"_qs.arg(k + 1));
        WriteList(folder, u"%1.m3u"_qs.arg(k), lines);
    }
    ListLoadLimits limits;
    limits.maxEntries = 20000;
    ListLoader loader(kMp3, limits);
    QStringList entries;
    ASSERT_TRUE(loader.Load(folder.file(u"0.m3u"_qs), &entries));
    EXPECT_EQ(loader.Reads(), 7);
    EXPECT_EQ(entries.size(), 20000);
    EXPECT_TRUE(loader.Truncated());
    QStringList start;
    for (int n : {0, 1, 2, 3, 4, 5, 6, 6}) start << u"<?/m/%1.mp3?>"_qs.arg(n);
    EXPECT_EQ(entries.mid(0, 8), start) << "each list in place of its name";

    limits.maxEntries = 10000000;
    limits.maxWork = 50000;
    ListLoader bounded(kMp3, limits);
    ASSERT_TRUE(bounded.Load(folder.file(u"0.m3u"_qs), &entries));
    EXPECT_TRUE(bounded.Truncated());
    EXPECT_LE(entries.size(), 50000);
    EXPECT_GT(entries.size(), 0);
}

TEST(PlaylistLoads, DepthLoopsMissingListsAndControlCharacters) {
    TempFolder folder;
    for (int k = 0; k < 5; ++k)
        WriteList(folder, u"c%1.m3u"_qs.arg(k), {u"/m/c%1.mp3"_qs.arg(k), folder.file(u"c%1.m3u"_qs.arg(k + 1))});
    ListLoadLimits limits;
    limits.maxDepth = 2;
    ListLoader deep(kMp3, limits);
    QStringList entries;
    ASSERT_TRUE(deep.Load(folder.file(u"c0.m3u"_qs), &entries));
    EXPECT_EQ(entries, (QStringList{u"<?/m/c0.mp3?>"_qs, u"<?/m/c1.mp3?>"_qs, u"<?/m/c2.mp3?>"_qs}));
    EXPECT_EQ(deep.SkippedDeep(), 1);
    EXPECT_EQ(deep.Reads(), 3);
    EXPECT_TRUE(deep.Notice().contains(u"嵌套"_qs)) << deep.Notice().toStdString();

    WriteList(folder, u"a.m3u"_qs, {u"/m/a1.mp3"_qs, folder.file(u"b.m3u"_qs), u"/m/a2.mp3"_qs});
    WriteList(folder, u"b.m3u"_qs, {u"/m/b\x01.mp3"_qs, folder.file(u"a.m3u"_qs), u"/m/b.mp3"_qs,
                                    folder.file(u"gone.m3u"_qs)});
    ListLoader loop(kMp3);
    ASSERT_TRUE(loop.Load(folder.file(u"a.m3u"_qs), &entries));
    EXPECT_EQ(entries, (QStringList{u"<?/m/a1.mp3?>"_qs, u"<?/m/b.mp3?>"_qs, u"<?"_qs + folder.file(u"gone.m3u"_qs) + u"?>"_qs,
                                    u"<?/m/a2.mp3?>"_qs}))
        << "the loop and the control character are skipped; a missing list is an entry";
    EXPECT_FALSE(loop.Truncated());
    EXPECT_EQ(loop.SkippedDeep(), 0);
    EXPECT_EQ(loop.Refused(), 1);
    EXPECT_EQ(loop.Notice(), RefusedEntriesNote(1)) << "a loop is no news";

    QString error;
    EXPECT_FALSE(loop.Load(folder.file(u"none.m3u"_qs), &entries, &error));
    EXPECT_TRUE(error.contains(u"none.m3u"_qs));
}
