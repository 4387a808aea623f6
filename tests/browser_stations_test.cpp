// The station file's lines: shown names, the two-level rule on loading, removal of a category
// with everything below it, where a new station goes, search order and the playlist entries.
#include "player/browser/station_list.h"
#include "platform/text_file.h"
#include "tests/fifo_watchdog.h"

namespace {

using namespace stations;

const QStringList kLines = {
    u"Music"_qs,
    u"\tJazz One<?http://jazz.example.org/a?>"_qs,
    u"\tCoded<:radio.example.com/live"_qs,
    u"\tThird<?http://third.example.org/?>"_qs,
    u"News"_qs,
    u"\tWorld<?http://news.example.org/w?>"_qs,
};

TEST(StationLines, ShownNamesCutAtTheMarkerUnlessItComesFirst) {
    EXPECT_EQ(DisplayName(u"\tJazz<?http://x/?>"_qs), "Jazz");
    EXPECT_EQ(DisplayName(u"\tCoded<:abc"_qs), "Coded");
    EXPECT_EQ(DisplayName(u"\tA<?http://x/?><:b"_qs), "A<?http://x/?>") << "a code marker wins when present";
    EXPECT_EQ(DisplayName(u"\t<?http://x/?>"_qs), "<?http://x/?>") << "a marker first is part of the name";
    EXPECT_EQ(DisplayName(u"古典音乐"_qs), "古典音乐");
}

TEST(StationLines, LoadingKeepsTwoLevelsAndOneLinePerNode) {
    testing_support::TempFolder dir;
    const QStringList onDisk = {u"\tOrphan<?http://o/?>"_qs, u""_qs,         u"戏曲"_qs,
                                u"\t\tDeep<?http://d/?>"_qs, u"   "_qs,       u"\tFlat<?http://f/?>"_qs};
    ASSERT_TRUE(platform::WriteTextLines(dir.file("s.ini"), onDisk));
    const QStringList lines = LoadLines(dir.file("s.ini"));
    EXPECT_EQ(lines, (QStringList{u"Orphan<?http://o/?>"_qs, u"戏曲"_qs, u"\tDeep<?http://d/?>"_qs,
                                  u"\tFlat<?http://f/?>"_qs}));
    EXPECT_EQ(dir.read("s.ini").mid(0, 1), "\t") << "the file itself is only read";
    EXPECT_TRUE(LoadLines(dir.file("missing.ini")).isEmpty());
}

TEST(StationLines, RemovingACategoryTakesEveryStationBelowIt) {
    EXPECT_EQ(DescendantCount(kLines, 0), 3);
    EXPECT_EQ(Removed(kLines, 0), (QStringList{kLines[4], kLines[5]}));
    EXPECT_EQ(Removed(kLines, 4), kLines.mid(0, 4)) << "the last category to the end";
    EXPECT_EQ(Removed(kLines, 2).size(), 5) << "a station alone";
    EXPECT_EQ(Removed(kLines, 9), kLines) << "an index past the end changes nothing";
    const QStringList nested = {u"A"_qs, u"\tB"_qs, u"\t\tC"_qs, u"\tD"_qs, u"E"_qs};
    EXPECT_EQ(Removed(nested, 0), QStringList{u"E"_qs}) << "grandchildren count too";
}

TEST(StationLines, ANewStationGoesAfterTheLastOfItsCategory) {
    int at = -1;
    const QString line = StationLine(u"New"_qs, u"http://new.example.org/"_qs);
    EXPECT_EQ(line, "\tNew<?http://new.example.org/?>");
    const QStringList added = AddedToCategory(kLines, 0, line, &at);
    EXPECT_EQ(at, 4);
    EXPECT_EQ(added.at(4), line);
    EXPECT_EQ(added.at(5), "News");
    EXPECT_EQ(AddedToCategory(kLines, 4, line, &at).last(), line);
    EXPECT_EQ(at, 6);
    EXPECT_EQ(StationLine(u"C"_qs, u"<:code"_qs), "\tC<:code") << "a code is stored bare";
}

TEST(StationLines, CategoriesAreFoundInAnyCase) {
    EXPECT_EQ(CategoryNames(kLines), (QStringList{u"Music"_qs, u"News"_qs}));
    EXPECT_EQ(FindCategory(kLines, u"nEWS"_qs), 4);
    EXPECT_EQ(FindCategory(kLines, u"World"_qs), -1) << "a station is no category";
    EXPECT_EQ(CategoryIndex(kLines, 3), 0);
    EXPECT_EQ(CategoryIndex(kLines, 4), 4);
    EXPECT_EQ(CategoryIndex(QStringList{u"\tA<?x?>"_qs}, 0), -1);
}

TEST(StationLines, SearchTakesTheFirstShownNameInFileOrder) {
    EXPECT_EQ(Find(kLines, u"JAZZ"_qs), 1);
    EXPECT_EQ(Find(kLines, u"O"_qs), 1) << "Jazz One comes before Coded and World";
    EXPECT_EQ(Find(kLines, u"EXAMPLE"_qs), -1) << "addresses are not searched";
    EXPECT_EQ(Find(kLines, u""_qs), -1);
}

TEST(StationLines, PlaylistEntriesCarryTitleAndPath) {
    EXPECT_EQ(PlaylistItem(kLines[1]), "<*Jazz One*><?http://jazz.example.org/a?>");
    EXPECT_EQ(PlaylistItem(kLines[2]), "<*Coded*><?<:radio.example.com/live?>");
    EXPECT_EQ(PlaylistItem(kLines[0]), "") << "a category plays nothing";
    EXPECT_EQ(UrlOf(kLines[5]), "http://news.example.org/w");
    EXPECT_EQ(UrlOf(u"\tX<?http://open"_qs), "http://open");
    EXPECT_EQ(CodeOf(kLines[2]), "<:radio.example.com/live");
}

// A FIFO named like the station file is refused at once: opening it would wait for a writer.
TEST(StationLines, AFifoIsRefusedWithoutWaiting) {
    testing_support::TempFolder dir;
    testing_support::FifoWatchdog fifo(dir.file("BCSPlus.ini"));
    ASSERT_TRUE(fifo.Made());
    QStringList lines{"kept?"};
    QString error;
    fifo.Run([&] { lines = LoadLines(dir.file("BCSPlus.ini"), &error); });
    EXPECT_FALSE(fifo.Released()) << "the station list waited on the FIFO";
    EXPECT_TRUE(lines.isEmpty());
    EXPECT_TRUE(error.contains("not a regular file")) << error.toStdString();
}

}  // namespace
