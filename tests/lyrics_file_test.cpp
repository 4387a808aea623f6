// The .lrc reader, the word marks and the search for a song's lyrics file.
#include <gtest/gtest.h>

#include "platform/text_file.h"
#include "player/lyrics/lrc_file.h"
#include "tests/fifo_watchdog.h"
#include "tests/test_support.h"

using lyrics::TLrcMark;
using lyrics::TLrcTime;
using testing_support::TempFolder;

namespace {

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

// Ten pixels per character: marks become easy to read.
int TenPerChar(const QString& text) { return int(text.size()) * 10; }

TEST(LrcTimeTags, AcceptsTheTimeFormsAndRejectsTheRest) {
    EXPECT_EQ(lyrics::TimeTagMs(u"01:23.45"), 83450);
    EXPECT_EQ(lyrics::TimeTagMs(u"1:5"), 65000);
    EXPECT_EQ(lyrics::TimeTagMs(u"1.5:20"), 110000);
    EXPECT_EQ(lyrics::TimeTagMs(u"00:00"), 0);
    for (const char16_t* notTime : {u"ar:name", u"01:2.3.4", u"offset:100", u"offset:-300", u":10", u"01:",
                                    u"0110", u"", u".5:1", u"1:5.", u"-1:00", u"1:+5", u" 1:05"}) {
        EXPECT_FALSE(lyrics::TimeTagMs(notTime).has_value()) << QString::fromUtf16(notTime).toStdString();
    }
}

TEST(LrcTimeTags, IsTimeNumberAllowsOneInnerPointOnly) {
    EXPECT_TRUE(lyrics::IsTimeNumber(u""));
    EXPECT_TRUE(lyrics::IsTimeNumber(u"0123"));
    EXPECT_TRUE(lyrics::IsTimeNumber(u"12.5"));
    EXPECT_FALSE(lyrics::IsTimeNumber(u".5"));
    EXPECT_FALSE(lyrics::IsTimeNumber(u"5."));
    EXPECT_FALSE(lyrics::IsTimeNumber(u"1.2.3"));
    EXPECT_FALSE(lyrics::IsTimeNumber(u"1a"));
}

TEST(LrcTimeTags, ValuesTooLargeForThirtyTwoBitsAreHeldToSixtyHours) {
    EXPECT_EQ(lyrics::TimeTagMs(u"99999999999:00"), lyrics::kMaxLyricsMs);
    EXPECT_EQ(lyrics::TimeTagMs(u"0:99999999999999999999.5"), lyrics::kMaxLyricsMs);
    EXPECT_EQ(lyrics::TimeTagMs(QString(400, QLatin1Char(0x39)) + QStringLiteral(":0")), lyrics::kMaxLyricsMs);
    EXPECT_EQ(lyrics::TimeTagMs(u"3600:00"), lyrics::kMaxLyricsMs);
    EXPECT_EQ(lyrics::TimeTagMs(u"3599:59.999"), lyrics::kMaxLyricsMs - 1);
}

TEST(LrcGrammar, SeveralLeadingTagsGiveOneTimeEachInFileOrder) {
    const lyrics::TLrcData data = lyrics::ParseLrcLines(
        {U("[00:50.00][00:10.00]La"), U("  [00:20] [ar:Someone]  [00:30]Two tags and a blank  "), U("[ti:Title]")});
    ASSERT_EQ(data.Lines.size(), 3);
    EXPECT_EQ(data.Lines[1], U("[00:20] [ar:Someone]  [00:30]Two tags and a blank"));
    const std::vector<TLrcTime> expected{{50000, 0}, {10000, 0}, {20000, 1}, {30000, 1}};
    EXPECT_EQ(data.Times, expected);
}

TEST(LrcGrammar, OffsetAndMalformedTagsAreIgnored) {
    const lyrics::TLrcData data = lyrics::ParseLrcLines({U("[offset:500]"), U("[01:2.3.4]x"), U("[:10]x"), U("[01:]x"),
                                                         U("[00:05 unclosed"), U("text [00:06] later"),
                                                         U("[00:07]ok[00:08]word")});
    const std::vector<TLrcTime> expected{{7000, 6}};
    EXPECT_EQ(data.Times, expected);
}

TEST(LrcGrammar, LeadingTagsEndAtTheFirstText) {
    qsizetype start = 0;
    EXPECT_EQ(lyrics::LeadingTags(u"[a] [b]c[d]", &start), (QStringList{U("a"), U("b")}));
    EXPECT_EQ(start, 7);
    EXPECT_TRUE(lyrics::LeadingTags(u"]x[00:01]").isEmpty());
}

TEST(LrcGrammar, CrLfAndLfLineEndsReadAlike) {
    const lyrics::TLrcData crlf = lyrics::ParseLrc("[00:01]one\r\n[00:02]two\r\n");
    const lyrics::TLrcData lf = lyrics::ParseLrc("[00:01]one\n[00:02]two");
    EXPECT_EQ(crlf.Lines, (QStringList{U("[00:01]one"), U("[00:02]two")}));
    EXPECT_EQ(lf.Lines, crlf.Lines);
    EXPECT_EQ(lf.Times, crlf.Times);
}

TEST(LrcGrammar, Gb18030AndUtf8FilesGiveTheSameLyrics) {
    const QString text = U("[00:01.00]月亮代表我的心\r\n[00:03]　全角空白留下");
    const lyrics::TLrcData gb = lyrics::ParseLrc(platform::EncodeGb18030(text));
    const lyrics::TLrcData utf8 = lyrics::ParseLrc(text.toUtf8());
    const lyrics::TLrcData marked = lyrics::ParseLrc(QByteArray("\xEF\xBB\xBF") + text.toUtf8());
    EXPECT_EQ(gb.Lines, (QStringList{U("[00:01.00]月亮代表我的心"), U("[00:03]　全角空白留下")}));
    EXPECT_EQ(utf8.Lines, gb.Lines);
    EXPECT_EQ(marked.Lines, gb.Lines);
}

TEST(LrcGrammar, HostileBytesParseWithoutHarm) {
    QByteArray bytes;
    for (int i = 0; i < 2000; ++i) bytes += "[[[]]][99999999999999999999:9][\xFF\xFE:\x80]\r\r\n";
    bytes += QByteArray(100000, '[');
    const lyrics::TLrcData data = lyrics::ParseLrc(bytes);
    EXPECT_EQ(data.Lines.size(), 2001);
    EXPECT_TRUE(data.Times.empty());
}

TEST(LrcGrammar, EndLineHasNoLeadingZeros) {
    EXPECT_EQ(lyrics::EndLine(245000), U("[4:5]"));
    EXPECT_EQ(lyrics::EndLine(3725999), U("[62:5]"));
    EXPECT_EQ(lyrics::EndLine(-5), U("[0:0]"));
}

TEST(LrcWords, WordTagsMarkTheWidthOfTheTextBeforeThem) {
    const lyrics::TParsedLine line = lyrics::ParseWords(U("[00:10]Hello [00:12]world"), TenPerChar);
    EXPECT_EQ(line.Text, U("Hello world"));
    const std::vector<TLrcMark> expected{{0, 0}, {12000, 60}, {0, 110}};
    EXPECT_EQ(line.Marks, expected);
}

TEST(LrcWords, OtherTagsAreRemovedWithoutMarksAndTheTextIsTrimmed) {
    const lyrics::TParsedLine line = lyrics::ParseWords(U("[00:01][ar:x] a[bad]b [0:2]c ] [tail"), TenPerChar);
    EXPECT_EQ(line.Text, U("ab c ] [tail"));
    const std::vector<TLrcMark> expected{{0, 0}, {2000, 40}, {0, 130}};
    EXPECT_EQ(line.Marks, expected);
}

TEST(LrcWords, ALineWithoutWordTagsWipesEvenly) {
    const lyrics::TParsedLine line = lyrics::ParseWords(U("[00:01][00:05]歌词"), TenPerChar);
    const std::vector<TLrcMark> expected{{0, 0}, {0, 20}};
    EXPECT_EQ(line.Marks, expected);
}

TEST(LrcSearch, FlagsChooseBesideTheSongThenTheLyricsFolder) {
    QStringList asked;
    QStringList present{U("/music/a.lrc"), U("/lyricsa.b.lrc"), U("/lyricsa.lrc")};
    auto exists = [&](const QString& path) {
        asked.append(path);
        return present.contains(path);
    };
    EXPECT_EQ(lyrics::FindLyricsFile(U("/music/a.mp3"), {U("11000"), U("/lyrics")}, exists), U("/music/a.lrc"));
    EXPECT_EQ(lyrics::FindLyricsFile(U("/music/a.mp3"), {U("10010"), U("/lyrics")}, exists), U("/lyricsa.lrc"));
    EXPECT_EQ(lyrics::FindLyricsFile(U("/music/a.b.mp3"), {U("11010"), U("/lyrics")}, exists), U("/lyricsa.b.lrc"));
    asked.clear();
    EXPECT_EQ(lyrics::FindLyricsFile(U("/music/a.mp3"), {U("10000"), U("/lyrics")}, exists), QString());
    EXPECT_TRUE(asked.isEmpty());
    EXPECT_EQ(lyrics::FindLyricsFile(U("/music/a.mp3"), {U("1"), QString()}, exists), QString());
}

TEST(LrcSearch, ADisabledFileBesideTheSongIsNotTheOneLoaded) {
    TempFolder dir;
    dir.write("song.lrc", "[00:01]beside\r\n");
    dir.write("lyr_song.lrc", "[00:02]folder\r\n");
    lyrics::TLrcData data;
    ASSERT_TRUE(lyrics::LoadSongLyrics(dir.file("song.mp3"), {U("10010"), dir.file("lyr_")}, 245000, &data));
    EXPECT_EQ(data.Lines, (QStringList{U("[00:02]folder"), U("[4:5]")}));
    const std::vector<TLrcTime> expected{{2000, 0}, {245000, 1}};
    EXPECT_EQ(data.Times, expected);
    EXPECT_FALSE(lyrics::LoadSongLyrics(dir.file("song.mp3"), {U("10000"), dir.file("lyr_")}, 245000, &data));
}

TEST(LrcSearch, AFolderOrUnreadableFileLoadsNothing) {
    TempFolder dir;
    dir.write("x/keep", "");
    lyrics::TLrcData data;
    QString error;
    EXPECT_FALSE(lyrics::LoadLrcFile(dir.file("x"), &data, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(lyrics::LoadLrcFile(dir.file("missing.lrc"), &data));
}

// A FIFO named like a lyrics file is refused at once: opening it would wait for a writer.
TEST(LrcSearch, AFifoIsRefusedWithoutWaiting) {
    TempFolder dir;
    testing_support::FifoWatchdog fifo(dir.file("song.lrc"));
    ASSERT_TRUE(fifo.Made());
    lyrics::TLrcData data;
    QString error;
    bool loaded = true;
    fifo.Run([&] { loaded = lyrics::LoadLrcFile(dir.file("song.lrc"), &data, &error); });
    EXPECT_FALSE(fifo.Released()) << "the lyrics load waited on the FIFO";
    EXPECT_FALSE(loaded);
    EXPECT_TRUE(error.contains("not a regular file")) << error.toStdString();
}

}  // namespace
