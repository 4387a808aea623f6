// The 128-byte tag: parsing hostile blocks, building fields in GB18030, and writing a file's tag
// without touching its audio bytes.
#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QFile>

#include "dialogs/id3v1_tag.h"
#include "platform/text_file.h"
#include "tests/test_support.h"

using dialogs::Id3v1Tag;

namespace {

QByteArray Block(const QByteArray& title, const QByteArray& comment = QByteArray(30, '\0'), char genre = 17) {
    QByteArray b = "TAG" + title.leftJustified(30, '\0') + QByteArray("Artist").leftJustified(30, '\0') +
                   QByteArray("Album").leftJustified(30, ' ') + "1999" + comment.leftJustified(30, '\0');
    b += genre;
    return b;
}

QByteArray Audio(int bytes) {
    QByteArray a;
    for (int i = 0; i < bytes; ++i) a += static_cast<char>((i * 7 + 3) & 0xff);
    return a;
}

QByteArray Sum(const QByteArray& bytes) { return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256); }

TEST(Id3v1Parse, FieldsTrimmedOfPaddingAndGenreAsByte) {
    const auto tag = dialogs::ParseId3v1(Block("Rock"));
    ASSERT_TRUE(tag);
    EXPECT_EQ(tag->title, "Rock");
    EXPECT_EQ(tag->artist, "Artist");
    EXPECT_EQ(tag->album, "Album");
    EXPECT_EQ(tag->year, "1999");
    EXPECT_EQ(tag->genre, 17);
    EXPECT_EQ(tag->track, 0);
}

TEST(Id3v1Parse, NotATagOrWrongSize) {
    QByteArray b = Block("x");
    b[0] = 't';
    EXPECT_FALSE(dialogs::ParseId3v1(b));
    EXPECT_FALSE(dialogs::ParseId3v1(Block("x").left(127)));
    EXPECT_FALSE(dialogs::ParseId3v1(QByteArray()));
}

TEST(Id3v1Parse, TrackNumberInCommentsLastTwoBytes) {
    const auto tag = dialogs::ParseId3v1(Block("t", QByteArray("note").leftJustified(28, '\0') + '\0' + char(9)));
    ASSERT_TRUE(tag);
    EXPECT_EQ(tag->comment, "note");
    EXPECT_EQ(tag->track, 9);
}

TEST(Id3v1Build, GbTextCutOnCharacterBoundary) {
    // 14 two-byte characters and one more: 30 bytes hold 15, so "A" + 15 leaves a half at the end.
    const QString text = QStringLiteral("A") + QString(15, QChar(0x4E2D));
    const QByteArray field = dialogs::FitField(text, 30);
    ASSERT_EQ(field.size(), 30);
    EXPECT_EQ(field.right(1), " ") << "the cut character must not leave its first byte";
    EXPECT_EQ(platform::DecodeText(field).trimmed(), QStringLiteral("A") + QString(14, QChar(0x4E2D)));
}

TEST(Id3v1Build, RoundTripKeepsTrackAndPadsWithBlanks) {
    const Id3v1Tag in{QString(40, 'T'), QStringLiteral("歌手"), "Al", "2024", QString(30, 'c'), 200, 12};
    const QByteArray block = dialogs::BuildId3v1(in);
    ASSERT_EQ(block.size(), 128);
    const auto out = dialogs::ParseId3v1(block);
    ASSERT_TRUE(out);
    EXPECT_EQ(out->title, QString(30, 'T'));
    EXPECT_EQ(out->artist, QStringLiteral("歌手"));
    EXPECT_EQ(out->comment, QString(28, 'c'));
    EXPECT_EQ(out->track, 12) << "a long comment must not wipe the track number";
    EXPECT_EQ(out->genre, 200);
    EXPECT_EQ(block.mid(37, 26), QByteArray(26, ' ')) << "text padding is blanks";
}

TEST(Id3v1Build, GenreText) {
    EXPECT_EQ(dialogs::GenreFromText("17"), 17);
    EXPECT_EQ(dialogs::GenreFromText(""), 255);
    EXPECT_EQ(dialogs::GenreFromText("rock"), 255);
    EXPECT_EQ(dialogs::GenreFromText("300"), 255) << "never the low byte (44)";
    EXPECT_EQ(dialogs::GenreFromText("99999999999"), 255);
    EXPECT_EQ(dialogs::GenreFromText("-1"), 255);
}

class Id3v1File : public ::testing::Test {
protected:
    testing_support::TempFolder dir_;
};

TEST_F(Id3v1File, ShortFileHasNoTagAndNoError) {
    dir_.write("s.mp3", "TAG");
    Id3v1Tag tag;
    EXPECT_EQ(dialogs::ReadId3v1File(dir_.file("s.mp3"), &tag), dialogs::TagRead::NoTag);
    EXPECT_EQ(dialogs::ReadId3v1File(dir_.file("missing.mp3"), &tag), dialogs::TagRead::Error);
}

TEST_F(Id3v1File, ReplacesOnlyARealTagAndKeepsAudio) {
    const QByteArray audio = Audio(5000);
    dir_.write("a.mp3", audio + Block("Old"));
    ASSERT_TRUE(dialogs::WriteId3v1File(dir_.file("a.mp3"), {"New", "B", "C", "2000", "", 3, 0}, true));
    const QByteArray after = dir_.read("a.mp3");
    ASSERT_EQ(after.size(), audio.size() + 128);
    EXPECT_EQ(Sum(after.left(audio.size())), Sum(audio));
    Id3v1Tag tag;
    ASSERT_EQ(dialogs::ReadId3v1File(dir_.file("a.mp3"), &tag), dialogs::TagRead::Found);
    EXPECT_EQ(tag.title, "New");
}

TEST_F(Id3v1File, AppendsWhenThereIsNoTagOrRefuses) {
    const QByteArray audio = Audio(300);
    dir_.write("n.mp3", audio);
    dir_.write("n.wav", audio);
    EXPECT_FALSE(dialogs::WriteId3v1File(dir_.file("n.wav"), {"T", "", "", "", "", 1, 0}, false));
    EXPECT_EQ(dir_.read("n.wav"), audio);
    ASSERT_TRUE(dialogs::WriteId3v1File(dir_.file("n.mp3"), {"T", "", "", "", "", 1, 0}, true));
    const QByteArray after = dir_.read("n.mp3");
    ASSERT_EQ(after.size(), audio.size() + 128) << "the last 128 audio bytes must not be overwritten";
    EXPECT_EQ(after.left(audio.size()), audio);
    dir_.write("tiny.mp3", "abc");
    ASSERT_TRUE(dialogs::WriteId3v1File(dir_.file("tiny.mp3"), {"T", "", "", "", "", 1, 0}, true));
    EXPECT_EQ(dir_.read("tiny.mp3").left(6), "abcTAG");
}

TEST_F(Id3v1File, ReadOnlyFileStaysReadOnly) {
    dir_.write("r.mp3", Audio(200) + Block("x"));
    const QString path = dir_.file("r.mp3");
    const auto readOnly = QFile::ReadOwner | QFile::ReadGroup;
    ASSERT_TRUE(QFile::setPermissions(path, readOnly));
    EXPECT_TRUE(dialogs::WriteId3v1File(path, {"y", "", "", "", "", 1, 0}, true));
    EXPECT_EQ(QFile::permissions(path) & ~(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser), readOnly);
    ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
}

}  // namespace
