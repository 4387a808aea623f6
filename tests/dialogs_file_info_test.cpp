// File information: the entry's path and tag shown, the 128-byte tag written through the dialog,
// and what other programs then read from the file.
#include <gtest/gtest.h>

#include <atomic>

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMutex>
#include <QPushButton>
#include <QThread>
#include <QWaitCondition>

#include "dialogs/dialog_targets.h"
#include "dialogs/file_info.h"
#include "platform/media_tags.h"
#include "platform/message_box.h"
#include "player/app/form1.h"
#include "player/playlist/playlist_box.h"
#include "player/playlist/station_code.h"
#include "tests/gst_encode.h"
#include "tests/media_fixtures.h"
#include "tests/test_support.h"

namespace {

// Lets queued work run and the workers go on for a moment.
void Pause() {
    QCoreApplication::processEvents();
    QThread::msleep(10);
}

class FileInfoTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::SetMessageRecorder([this](const QString& text, const QString&, platform::MessageIcon) { messages_ << text; });
        form_.open();
    }
    void TearDown() override {
        platform::SetMessageRecorder({});
        SetMediaTagSource({});
    }
    // The tags of a file without the 128-byte tag arrive from a worker; waits for its answer.
    void WaitForTags() {
        for (int i = 0; i < 2000 && form_.TagPending(); ++i) Pause();
        ASSERT_FALSE(form_.TagPending());
    }
    bool LooksReadOnly(const char* name) {
        auto* edit = form_.findChild<QLineEdit*>(name);
        const QImage picture = edit->grab().toImage();
        return picture.pixelColor(picture.width() - 4, picture.height() / 2) == form_.palette().color(QPalette::Window);
    }
    QString Text(const char* name) { return form_.findChild<QLineEdit*>(name)->text(); }
    void Type(const char* name, const QString& text) { form_.findChild<QLineEdit*>(name)->setText(text); }
    bool Editable(const char* name) { return !form_.findChild<QLineEdit*>(name)->isReadOnly(); }
    bool SaveEnabled() { return form_.findChild<QPushButton*>("Button2")->isEnabled(); }

    testing_support::TempFolder dir_;
    TForm10 form_;
    QStringList messages_;
};

QByteArray Tagged(const QByteArray& audio) {
    QByteArray tag = "TAG" + QByteArray("Rock").leftJustified(30, '\0') + QByteArray(30, '\0') + QByteArray(30, '\0') +
                     "1999" + QByteArray(30, '\0');
    tag += char(17);
    return audio + tag;
}

TEST(Taggable, ExtensionInDecoderListsAndNoUrl) {
    EXPECT_TRUE(IsTaggable("/m/a.MP3", "*.mp3;*.wav;*.rm"));
    EXPECT_TRUE(IsTaggable("/m/a.rm", "*.MP3;*.WAV;*.RM"));
    EXPECT_FALSE(IsTaggable("http://h/a.mp3", "*.mp3"));
    EXPECT_FALSE(IsTaggable("/m/a.mp", "*.mp3"));
    EXPECT_FALSE(IsTaggable("/m/mp3", "*.mp3"));
}

TEST_F(FileInfoTest, ShowsTagAndSavesOnlyTheTagBlock) {
    const QByteArray audio(4096, 'a');
    dir_.write("a.mp3", Tagged(audio));
    form_.Load("<*x*><?" + dir_.file("a.mp3") + "?>", "*.mp3");
    EXPECT_EQ(Text("Edit1"), dir_.file("a.mp3"));
    EXPECT_EQ(Text("Edit2"), "Rock");
    EXPECT_EQ(Text("Edit6"), "17");
    EXPECT_TRUE(SaveEnabled());
    Type("Edit5", "2001");
    Type("Edit6", "rock");
    form_.SetMP3Tag(Text("Edit1"));
    EXPECT_EQ(messages_, QStringList({QStringLiteral("完成更新ID3信息！  ")}));
    EXPECT_EQ(Text("Edit6"), "255");
    const QByteArray after = dir_.read("a.mp3");
    ASSERT_EQ(after.size(), audio.size() + 128);
    EXPECT_EQ(after.left(audio.size()), audio);
    EXPECT_EQ(after.mid(audio.size() + 3, 30), QByteArray("Rock").leftJustified(30, ' '));
    EXPECT_EQ(after.mid(audio.size() + 93, 4), "2001");
    EXPECT_EQ(static_cast<unsigned char>(after.back()), 255);
}

TEST_F(FileInfoTest, UrlShowsNothingEditable) {
    form_.Load("<?http://h/a.mp3?>", "*.mp3");
    EXPECT_EQ(Text("Edit1"), "http://h/a.mp3");
    EXPECT_FALSE(Editable("Edit2"));
    EXPECT_FALSE(SaveEnabled());
}

TEST_F(FileInfoTest, AStationCodeShowsAsTheAddressItStandsFor) {
    BindStationCodeLibrary(QStringLiteral(VELMORA_BUILT_INSTALL_DIR "/"));
    form_.Load("<*Radio*><?<:radio.example.com/live?>", "*.mp3");
    EXPECT_EQ(Text("Edit1"), "http://radio.example.com/live");
    EXPECT_FALSE(Editable("Edit2")) << "a stream has no tag";
    EXPECT_FALSE(SaveEnabled());
}

TEST_F(FileInfoTest, UnwritableFileReportsFailure) {
    dir_.write("a.mp3", Tagged(QByteArray(300, 'a')));
    form_.Load("<?" + dir_.file("a.mp3") + "?>", "*.mp3");
    form_.SetMP3Tag(dir_.file("gone.mp3"));
    EXPECT_EQ(messages_, QStringList({QStringLiteral("不能修改该文件，更新ID3信息失败！  ")}));
}

// A title typed for an MP3 without the tag is appended and read back by GStreamer; the audio
// bytes stay as they were.
TEST_F(FileInfoTest, TitleTypedForUntaggedMp3ReadBackByGStreamer) {
    const QString path = MakeMedia(dir_.path(), "tone", MediaKind::Mp3, 0.5);
    ASSERT_FALSE(path.isEmpty());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray audio = file.readAll();
    file.close();
    form_.Load("<?" + path + "?>", "*.mp3");
    WaitForTags();
    ASSERT_TRUE(SaveEnabled()) << "the file opened as media, so a tag may be added";
    Type("Edit2", "Sunny Day");
    Type("Edit3", QStringLiteral("晴天"));
    form_.SetMP3Tag(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray after = file.readAll();
    EXPECT_EQ(QCryptographicHash::hash(after.left(audio.size()), QCryptographicHash::Sha256),
              QCryptographicHash::hash(audio, QCryptographicHash::Sha256));
    EXPECT_EQ(after.size(), audio.size() + 128);
    platform::MediaTags tags;
    ASSERT_TRUE(platform::DiscoverMediaTags(path, &tags));
    EXPECT_EQ(tags.title, "Sunny Day");
    // GStreamer takes the tag's bytes in the encoding it is told.
    qputenv("GST_ID3V1_TAG_ENCODING", "GB18030");
    ASSERT_TRUE(platform::DiscoverMediaTags(path, &tags));
    qunsetenv("GST_ID3V1_TAG_ENCODING");
    EXPECT_EQ(tags.artist, QStringLiteral("晴天"));
}

TEST_F(FileInfoTest, FileWithoutTagShowsWhatGStreamerReads) {
    if (!HaveElements({"taginject", "vorbisenc", "oggmux"})) GTEST_SKIP() << "encoders missing";
    const QString path = dir_.file("t.ogg");
    ASSERT_TRUE(EncodeWith("audiotestsrc num-buffers=30 ! taginject tags=title=Hello,artist=Me,copyright=Cpy ! "
                           "audioconvert ! vorbisenc ! oggmux ! filesink location=" + path));
    form_.Load("<?" + path + "?>", "*.mp3;*.ogg");
    WaitForTags();
    EXPECT_EQ(Text("Edit2"), "Hello");
    EXPECT_EQ(Text("Edit3"), "Me");
    EXPECT_EQ(Text("Edit4"), "Cpy");
    EXPECT_FALSE(SaveEnabled()) << "no tag is ever appended to a file that is not MPEG audio";
    EXPECT_FALSE(Editable("Edit2")) << "so its fields cannot be typed into";
    EXPECT_TRUE(LooksReadOnly("Edit2"));
    EXPECT_FALSE(form_.findChild<QLabel*>("LabelNoWrite")->isHidden()) << "and the dialog says why";
}

TEST_F(FileInfoTest, ReadOnlyFieldsLookGreyAndWritableOnesDoNot) {
    EXPECT_TRUE(LooksReadOnly("Edit1"));
    form_.Load("<?http://h/a.mp3?>", "*.mp3");
    EXPECT_TRUE(LooksReadOnly("Edit2"));
    EXPECT_TRUE(LooksReadOnly("Edit7"));
    dir_.write("a.mp3", Tagged(QByteArray(300, 'a')));
    form_.Load("<?" + dir_.file("a.mp3") + "?>", "*.mp3");
    EXPECT_TRUE(Editable("Edit2"));
    EXPECT_FALSE(LooksReadOnly("Edit2"));
    EXPECT_TRUE(form_.findChild<QLabel*>("LabelNoWrite")->isHidden());
}

// A source that answers only when the test lets it, as a slow disc or network share would.
class HeldSource {
public:
    MediaTagSource Source() {
        return [this](const QString&, platform::MediaTags* tags) {
            // Bounded: a dialog that waited for the answer gets it once this gives up.
            QMutexLocker lock(&mutex_);
            if (!released_) released_cv_.wait(&mutex_, QDeadlineTimer(10000));
            *tags = {u"Late"_qs, u"Singer"_qs, QString()};
            ++answered_;
            return true;
        };
    }
    // Waits until the source has answered, then lets the answer reach the dialog, if any.
    void WaitAnswered() {
        for (int i = 0; i < 2000 && answered_ == 0; ++i) Pause();
        ASSERT_EQ(answered_, 1);
        for (int i = 0; i < 20; ++i) Pause();
    }
    void Release() {
        const QMutexLocker lock(&mutex_);
        released_ = true;
        released_cv_.wakeAll();
    }

private:
    QMutex mutex_;
    QWaitCondition released_cv_;
    bool released_ = false;
    std::atomic<int> answered_ = 0;
};

TEST_F(FileInfoTest, ASlowReadNeverHoldsTheDialogAndFillsTheFieldsLater) {
    HeldSource held;
    SetMediaTagSource(held.Source());
    dir_.write("a.mp3", QByteArray(300, 'a'));
    form_.Load("<?" + dir_.file("a.mp3") + "?>", "*.mp3");
    EXPECT_TRUE(form_.TagPending()) << "Load came back before the source answered";
    EXPECT_TRUE(Text("Edit2").isEmpty());
    held.Release();
    WaitForTags();
    EXPECT_EQ(Text("Edit2"), "Late");
    EXPECT_EQ(Text("Edit3"), "Singer");
    EXPECT_TRUE(SaveEnabled());
}

TEST_F(FileInfoTest, AnAnswerAfterTheDialogIsGoneOrMovedOnIsDropped) {
    dir_.write("a.mp3", QByteArray(300, 'a'));
    HeldSource first;
    SetMediaTagSource(first.Source());
    auto* gone = new TForm10;
    gone->Load("<?" + dir_.file("a.mp3") + "?>", "*.mp3");
    delete gone;
    first.Release();
    first.WaitAnswered();

    HeldSource second;
    SetMediaTagSource(second.Source());
    form_.Load("<?" + dir_.file("a.mp3") + "?>", "*.mp3");
    form_.Load("<?http://h/b.mp3?>", "*.mp3");
    second.Release();
    second.WaitAnswered();
    EXPECT_FALSE(form_.TagPending());
    EXPECT_TRUE(Text("Edit2").isEmpty()) << "the answer for the entry left behind is not shown";
    EXPECT_FALSE(SaveEnabled());
}

TEST(FileInfoPlaylist, EmptyPlaylistHasNothingToShow) {
    testing_support::TempFolder dir;
    dir.write("Plugins/FilePlus.ini", "[decode_setup]\r\nDECODE0=*.MP3\r\n");
    auto* main = new TForm1(dir.path() + "/");
    ListBox1->SetItems({});
    QStringList messages;
    platform::SetMessageRecorder([&](const QString& text, const QString&, platform::MessageIcon) { messages << text; });
    TDialogTargets().ShowFileInformation();  // says so instead of opening on no entry
    platform::SetMessageRecorder({});
    EXPECT_EQ(messages.size(), 1);
    TForm10 form;
    EXPECT_FALSE(form.init());
    EXPECT_TRUE(form.findChild<QLineEdit*>("Edit1")->text().isEmpty());
    ListBox1->SetItems({"<?http://h/one.mp3?>", "<?http://h/two.mp3?>"});
    EXPECT_TRUE(form.init());
    EXPECT_EQ(form.findChild<QLineEdit*>("Edit1")->text(), "http://h/one.mp3");
    main->QuietClose = true;
    main->close();
    delete main;
}

}  // namespace
