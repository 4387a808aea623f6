// The playback controller: which engine an entry gets, what PlayIndex does before any sound, the
// messages of the failure paths, the open-files filter, the Flash engine's movie reading, and
// the arithmetic of volume, progress and seeking.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QTimer>

#include "platform/device_volume.h"
#include "platform/media_faces.h"
#include "platform/message_box.h"
#include "player/core/ctrl.h"
#include "player/display/display.h"
#include "player/playback/engines.h"
#include "player/app/form1.h"
#include "player/playlist/playlist_box.h"
#include "player/playback/run.h"
#include "player/playback/run_progress.h"
#include "player/playlist/station_code.h"
#include "player/video/form4.h"
#include "player/core/volume.h"
#include "tests/test_support.h"

namespace {

struct Message {
    QString text, caption;
};

class PlaybackTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_.write("Plugins/FilePlus.ini",
                   "[DECODE_SETUP]\r\nDECODE0=*.mp3;*.wav;*.cda\r\nDECODE1=*.rm;*.ra;*.mp2\r\n"
                   "DECODE2=*.wma;*.mid;*.avi;*.ogg\r\nDECODE3=\r\nDECODE4=*.swf;*.exe\r\n"
                   "DECODE5=*.avi;*.mpg;*.mp4\r\n[AUTO_CTRL]\r\nENABLE_AUTO_CTRL=0\r\n");
        platform::SetMessageRecorder([this](const QString& text, const QString& caption, platform::MessageIcon) {
            messages_.push_back({text, caption});
        });
        platform::SetCommandRecorder([this](const QString& line, int) { commands_ << line; });
        form_ = new TForm1(dir_.path() + "/");
        run_ = Ctrl->Run.get();
    }
    void TearDown() override {
        form_->QuietClose = true;
        form_->close();
        delete form_;
        platform::SetMessageRecorder({});
        platform::SetCommandRecorder({});
        platform::RealAudioControl::SetAvailable(true);
    }
    void AutoCtrl(const char* value) {
        QByteArray ini = dir_.read("Plugins/FilePlus.ini");
        ini.truncate(ini.indexOf("ENABLE_AUTO_CTRL="));
        dir_.write("Plugins/FilePlus.ini", ini + "ENABLE_AUTO_CTRL=" + value + "\r\n");
    }

    testing_support::TempFolder dir_;
    TForm1* form_ = nullptr;
    TRun* run_ = nullptr;
    std::vector<Message> messages_;
    QStringList commands_;
};

TEST_F(PlaybackTest, EngineChoiceFollowsListsWithTheLaterListWinning) {
    EXPECT_EQ(run_->ChooseEngine("/m/a.mp3"), Engine::Winamp);
    EXPECT_EQ(run_->ChooseEngine("/m/a.MP3"), Engine::Winamp) << "the extension is lower-cased";
    EXPECT_EQ(run_->ChooseEngine("/m/a.rm"), Engine::Real);
    EXPECT_EQ(run_->ChooseEngine("/m/a.mp4"), Engine::DirectShow);
    EXPECT_EQ(run_->ChooseEngine("/m/a.swf"), Engine::Flash);
    EXPECT_EQ(run_->ChooseEngine("/m/a.avi"), Engine::MediaPlayer) << "in DECODE5 and DECODE2: the later test wins";
    EXPECT_EQ(run_->ChooseEngine("/m/a.xyz"), Engine::None);
    EXPECT_EQ(run_->ChooseEngine("/m/noextension"), Engine::None);
    EXPECT_EQ(run_->ChooseEngine("/m/a.mp"), Engine::None) << "a mask is matched whole, with its semicolon";
    EXPECT_EQ(run_->ChooseEngine("/cd/Track03.cda"), Engine::Winamp);
}

// Each list alone gives its engine; a type in two lists goes to the one tested later. The lists
// are tested in the order DECODE5, DECODE3, DECODE1, DECODE2, DECODE0, DECODE4.
TEST_F(PlaybackTest, EveryListFeedsItsEngineAndTheLaterOfTwoWins) {
    const int order[] = {5, 3, 1, 2, 0, 4};
    const Engine engineOf[] = {Engine::Winamp, Engine::Real,       Engine::MediaPlayer,
                               Engine::FrameGrabbing, Engine::Flash, Engine::DirectShow};
    QStringList lists[6];
    for (int i = 0; i < 6; ++i) {
        lists[order[i]] << QString("*.only%1").arg(order[i]);
        for (int j = i + 1; j < 6; ++j) {
            const QString mask = QString("*.both%1%2").arg(order[i]).arg(order[j]);
            lists[order[i]] << mask;
            lists[order[j]] << mask;
        }
    }
    QByteArray ini = "[DECODE_SETUP]\r\n";
    for (int k = 0; k < 6; ++k) ini += QString("DECODE%1=%2\r\n").arg(k).arg(lists[k].join(';').toUpper()).toUtf8();
    dir_.write("Plugins/FilePlus.ini", ini);
    Ctrl->ReadDecoderLists();
    for (int k = 0; k < 6; ++k)
        EXPECT_EQ(run_->ChooseEngine(QString("/m/a.only%1").arg(k)), engineOf[k]) << "DECODE" << k;
    for (int i = 0; i < 6; ++i)
        for (int j = i + 1; j < 6; ++j)
            EXPECT_EQ(run_->ChooseEngine(QString("/m/a.both%1%2").arg(order[i]).arg(order[j])), engineOf[order[j]])
                << "DECODE" << order[i] << " and DECODE" << order[j];
}

TEST_F(PlaybackTest, MidiFilesUseTheMidiDevices) {
    ListBox1->SetItems({"<?/m/song.MID?>", "<?/m/a.wma?>"});
    const quint32 wave = 0x11112222u, midi = 0x33334444u;
    platform::SetDeviceVolume(platform::DeviceFamily::Wave, 0, wave);
    platform::SetDeviceVolume(platform::DeviceFamily::Midi, 0, midi);
    run_->PlayIndex(0);
    ASSERT_EQ(run_->EngineCode, Engine::MediaPlayer);
    Ctrl->ReadVolume();
    EXPECT_EQ(Ctrl->Volume, VolumeFromWord(midi));
    Ctrl->Volume = 20;
    Ctrl->Balance = 0;
    Ctrl->ApplyVolume();
    EXPECT_EQ(platform::GetDeviceVolume(platform::DeviceFamily::Midi, 0), WordFromVolume(20, 0));
    EXPECT_EQ(platform::GetDeviceVolume(platform::DeviceFamily::Wave, 0), wave);

    run_->PlayIndex(1);
    ASSERT_EQ(run_->EngineCode, Engine::MediaPlayer);
    Ctrl->Volume = 70;
    Ctrl->ApplyVolume();
    EXPECT_EQ(platform::GetDeviceVolume(platform::DeviceFamily::Wave, 0), WordFromVolume(70, 0));
    EXPECT_EQ(platform::GetDeviceVolume(platform::DeviceFamily::Midi, 0), WordFromVolume(20, 0));
    run_->Stop();
}

TEST_F(PlaybackTest, PlayIndexScrollsTheEntryIntoView) {
    QStringList items;
    for (int i = 0; i < 60; ++i) items << QString("<?/m/e%1.xyz?>").arg(i);
    ListBox1->SetItems(items);
    ListBox1->resize(275, 10 * TListBox1::kRowHeight + 20);
    const int rows = ListBox1->viewport()->height() / TListBox1::kRowHeight;
    ASSERT_GT(rows, 2);
    run_->PlayIndex(40);
    EXPECT_EQ(ListBox1->TopIndex(), 40 - rows + 1) << "the entry ends up on the last whole row";
    run_->PlayIndex(41 - rows);
    EXPECT_EQ(ListBox1->TopIndex(), 41 - rows) << "an entry in view leaves the list where it is";
    run_->PlayIndex(3);
    EXPECT_EQ(ListBox1->TopIndex(), 3) << "an entry above the view comes to the top";
}

TEST_F(PlaybackTest, AutomaticControlOfVideoTypesOverridesTheLists) {
    AutoCtrl("1");
    EXPECT_EQ(run_->ChooseEngine("/m/a.avi"), Engine::MediaPlayer);
    EXPECT_EQ(run_->ChooseEngine("/m/a.mpg"), Engine::MediaPlayer);
    Ctrl->WriteBool("UseDirectShow", true);
    EXPECT_EQ(run_->ChooseEngine("/m/a.wmv"), Engine::FrameGrabbing);
    EXPECT_EQ(run_->ChooseEngine("/m/a.mp4"), Engine::DirectShow) << "not one of the automatic types";
    AutoCtrl("yes");
    EXPECT_EQ(run_->ChooseEngine("/m/a.mpg"), Engine::DirectShow) << "any other value leaves it to the lists";
}

TEST_F(PlaybackTest, StreamsGoByCaseSensitiveProtocolPrefix) {
    EXPECT_EQ(run_->ChooseEngine("mms://h/live"), Engine::MediaPlayer);
    EXPECT_EQ(run_->ChooseEngine("mmst://h/a.mp3"), Engine::MediaPlayer);
    EXPECT_EQ(run_->ChooseEngine("mmsu://h/a.rm"), Engine::MediaPlayer);
    EXPECT_EQ(run_->ChooseEngine("rtsp://h/a.mp3"), Engine::Real) << "rtsp wins over the mp3 list";
    EXPECT_EQ(run_->ChooseEngine("pnm://h/a"), Engine::Real);
    EXPECT_EQ(run_->ChooseEngine("http://h/a.mp3"), Engine::Winamp) << "other protocols keep the list's engine";
    EXPECT_EQ(run_->ChooseEngine("http://h/stream"), Engine::MediaPlayer) << "a stream with no list";
    EXPECT_EQ(run_->ChooseEngine("MMS://h/a.mp3"), Engine::Winamp) << "upper case is not mms";
    EXPECT_EQ(run_->ChooseEngine("MMS://h/live"), Engine::MediaPlayer);
    EXPECT_EQ(run_->ChooseEngine("RTSP://h/a.mp3"), Engine::Winamp);
}

TEST_F(PlaybackTest, AStationCodeIsResolvedBeforeTheEngineIsChosen) {
    // Resolved, the code is an http stream (the Media Player); left as it is, a type nobody plays.
    BindStationCodeLibrary(QStringLiteral(VELMORA_BUILT_INSTALL_DIR "/"));
    ListBox1->SetItems({"<?<:127.0.0.1:9/live?>"});
    run_->PlayIndex(0);
    EXPECT_TRUE(messages_.empty()) << messages_.front().text.toStdString();
    ASSERT_EQ(run_->EngineCode, Engine::MediaPlayer);
    ASSERT_TRUE(run_->Media);
    EXPECT_EQ(run_->Media->Control().GetProperty(platform::mp::FileName).toString(), "http://127.0.0.1:9/live");
    run_->Stop();
}

TEST_F(PlaybackTest, StopKeepsTheVideoWindowsPlaceOnlyOutsideFullScreenModes) {
    dir_.write("Plugins/MenuPlus.ini", "");
    for (const int mode : {1, 2, 3, 4}) {
        SCOPED_TRACE(mode);
        Ctrl->WriteInteger("ScreenMode", mode);
        Ctrl->Display->BuildVideoWindow(true);
        ASSERT_TRUE(Form4);
        Form4->setGeometry(40, 50, 300, 200);
        const QRect shown = Form4->geometry();
        for (const char* key : {"AV_W", "AV_H", "AV_L", "AV_T"}) Ctrl->WriteInteger(key, 7);
        run_->Stop();
        EXPECT_FALSE(Form4);
        if (mode < 3) {
            EXPECT_EQ(Ctrl->ReadInteger("AV_W", 0), shown.width());
            EXPECT_EQ(Ctrl->ReadInteger("AV_H", 0), shown.height());
            EXPECT_EQ(Ctrl->ReadInteger("AV_L", 0), shown.x());
            EXPECT_EQ(Ctrl->ReadInteger("AV_T", 0), shown.y());
        } else {
            for (const char* key : {"AV_W", "AV_H", "AV_L", "AV_T"})
                EXPECT_EQ(Ctrl->ReadInteger(key, 0), 7) << key << ": a full-screen size is not kept";
        }
    }
}

TEST_F(PlaybackTest, PlayIndexClampsTheIndexAndReportsAnUndefinedType) {
    ListBox1->SetItems({"<?/m/a.xyz?>", "<?/m/b.xyz?>", "<?/m/c.xyz?>"});
    run_->PlayIndex(-5);
    EXPECT_EQ(run_->Index, 0);
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0].text, "这种类型的文件还没有定义，请参考帮助文档定义该类型文件！　");
    EXPECT_EQ(messages_[0].caption, "不能播放");
    EXPECT_EQ(run_->EngineCode, Engine::None);
    EXPECT_FALSE(run_->OpenWaitTimerObj->isActive());
    run_->PlayIndex(ListBox1->Count() + 3);
    EXPECT_EQ(run_->Index, 2);
    ListBox1->SetItems({});
    run_->PlayIndex(0);
    EXPECT_EQ(messages_.size(), 2u) << "an empty list plays nothing and says nothing";
}

TEST_F(PlaybackTest, MissingPlugInPairEndsTheEntryWithOneMessage) {
    ListBox1->SetItems({"<?/m/a.mp3?>"});
    run_->PlayIndex(0);
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0].text, "发生错误");
    EXPECT_FALSE(run_->OpenWaitTimerObj->isActive()) << "no open wait on a pair that is not there";
    EXPECT_EQ(run_->EngineCode, Engine::None);
    run_->ProgressTimer();
    run_->PauseResume();
    run_->SeekBy(5000);
    run_->Stop();
    EXPECT_EQ(messages_.size(), 1u);
}

// Movies and projectors need the Flash control, which no system here has: the user reads why, in
// Chinese. With no control library in the install folder there is nothing to register, so the
// registration and its wait are skipped.
TEST_F(PlaybackTest, FlashHasNoRuntimeAndTheUserSeesTheError) {
    const QString reason = "本机没有安装Flash动画播放组件、不能播放这种文件！　";
    for (const char* entry : {"<?/m/movie.swf?>", "<?/m/projector.exe?>"}) {
        SCOPED_TRACE(entry);
        messages_.clear();
        ListBox1->SetItems({entry});
        run_->PlayIndex(0);
        EXPECT_TRUE(commands_.isEmpty()) << "nothing to register: " << commands_.join('|').toStdString();
        ASSERT_EQ(messages_.size(), 1u);
        EXPECT_EQ(messages_[0].text, reason);
        EXPECT_EQ(messages_[0].caption, "不能播放");
        EXPECT_EQ(run_->EngineCode, Engine::None);
        EXPECT_FALSE(run_->OpenWaitTimerObj->isActive());
    }
    dir_.write("Plugins/SWFLASH.OCX", "not a control");
    messages_.clear();
    run_->PlayIndex(0);
    ASSERT_EQ(commands_.size(), 1) << "a library that is there gets its one registration attempt";
    EXPECT_EQ(commands_[0], "regsvr32 /s \"" + dir_.path() + "/Plugins/SWFLASH.OCX\"");
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0].text, reason);
}

TEST_F(PlaybackTest, UnusableRealAudioFallsBackForMp3AndExplainsOtherTypes) {
    platform::RealAudioControl::SetAvailable(false);
    ListBox1->SetItems({"<?/m/a.rm?>"});
    run_->PlayIndex(0);
    EXPECT_EQ(run_->EngineCode, Engine::RealUnusable);
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_TRUE(messages_[0].text.startsWith("\r播放这种类型的文件之前，必须先在计算机中安装RealOne或RealPlayer　\r\r"));
    EXPECT_TRUE(messages_[0].text.endsWith("  "));
    EXPECT_EQ(messages_[0].caption, "不能播放");
    ASSERT_EQ(commands_.size(), 1);
    EXPECT_EQ(commands_[0], "HH.exe \"" + dir_.path() + "/help.chm::使用手册\\常见问题.htm\"");
    EXPECT_FALSE(run_->OpenWaitTimerObj->isActive());

    messages_.clear();
    dir_.write("Plugins/FilePlus.ini",
               dir_.read("Plugins/FilePlus.ini").replace("DECODE1=*.rm", "DECODE1=*.mp3;*.rm").replace("DECODE0=*.mp3;", "DECODE0="));
    Ctrl->ReadDecoderLists();
    ListBox1->SetItems({"<?/m/a.mp3?>"});
    run_->PlayIndex(0);
    EXPECT_EQ(run_->EngineCode, Engine::MediaPlayer) << "an mp3 goes to the Media Player, silently";
    EXPECT_TRUE(messages_.empty());
    run_->Stop();
}

TEST_F(PlaybackTest, OpenFilterFromTheOpenSetupSection) {
    dir_.write("Plugins/FilePlus.ini", "[OPEN_SETUP]\r\nOPEN0_TITLE=所有文件\r\nOPEN0_VALUE=*.*\r\n");
    EXPECT_EQ(run_->OpenFilter(), "所有文件|*.*|");
    dir_.write("Plugins/FilePlus.ini",
               "[OPEN_SETUP]\r\nOPEN0_TITLE=All\r\nOPEN0_VALUE=*.MP3;*.wma\r\nOPEN2_TITLE=Audio\r\nOPEN2_VALUE=*.mp3\r\n"
               "OPEN3_TITLE=Nothing\r\nOPEN3_VALUE=mp3\r\nOPEN20_TITLE=Last\r\nOPEN20_VALUE=*.ogg\r\n"
               "OPEN21_TITLE=Beyond\r\nOPEN21_VALUE=*.xx\r\n");
    EXPECT_EQ(run_->OpenFilter(), "All|*.mp3;*.wma|Audio(*.mp3)|*.mp3|Last(*.ogg)|*.ogg|");
}

TEST_F(PlaybackTest, OpenFilesReplacesTheListAndPlaysOnlyTheLastChosen) {
    dir_.write("music/a.xyz", "a");
    dir_.write("music/b.xyz", "b");
    ListBox1->SetItems({"<?/old/one.mp3?><#01:00#>", "<?/old/two.mp3?><#02:00#>"});
    ListBox1->TotalSeconds = 180;
    ListBox1->LastSelected = 1;
    ListBox1->UseReverse = true;  // new entries go to the top
    run_->Index = 1;
    const QString folder = dir_.file("music");
    QTimer::singleShot(0, [folder] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        dialog->setDirectory(folder);
        if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
            name->setText(QStringLiteral("\"b.xyz\" \"a.xyz\""));
        static_cast<QDialog*>(dialog)->accept();
    });
    run_->OpenFiles(true);
    ASSERT_EQ(ListBox1->Count(), 2);
    EXPECT_TRUE(ListBox1->Item(0).contains("a.xyz")) << ListBox1->Item(0).toStdString();
    EXPECT_TRUE(ListBox1->Item(1).contains("b.xyz")) << ListBox1->Item(1).toStdString();
    EXPECT_EQ(ListBox1->TotalSeconds, 0) << "the old entries' times are gone";
    EXPECT_EQ(ListBox1->LastSelected, -1);
    EXPECT_EQ(run_->Index, 0) << "the last chosen, now at the top, is the one played";
    ASSERT_EQ(messages_.size(), 1u) << "one entry played: its type has no engine";
    EXPECT_EQ(messages_[0].caption, "不能播放");
    EXPECT_EQ(QDir(Ctrl->ReadString("DefaultPath", QString())).absolutePath(), QDir(folder).absolutePath())
        << "the folder of the first chosen file is kept";
}

// A movie header: "FWS", version, length, then the stage RECT with 15-bit fields, then the
// frame rate (8.8 fixed point: its fraction byte first) and the frame count.
QByteArray Movie(quint8 rateFraction, quint8 rateWhole) {
    QByteArray bytes("FWS\x06\0\0\0\0", 8);
    // nbits 15; xmin 0, xmax 11000, ymin 0, ymax 8000.
    const quint64 fields[] = {0, 11000, 0, 8000};
    QString bits = QString::number(15, 2).rightJustified(5, '0');
    for (quint64 f : fields) bits += QString::number(f, 2).rightJustified(15, '0');
    while (bits.size() % 8) bits += '0';
    for (int i = 0; i < bits.size(); i += 8) bytes.append(char(bits.mid(i, 8).toUInt(nullptr, 2)));
    bytes.resize(17);
    bytes.append(char(rateFraction)).append(char(rateWhole)).append("\x10\0", 2);
    return bytes;
}

TEST_F(PlaybackTest, FlashMovieHeaderAndProjectorTrailer) {
    TFlashMovie movie;
    dir_.write("a.swf", Movie(0x00, 0x0C));
    movie.ReadFrameTime(dir_.file("a.swf"));
    EXPECT_EQ(movie.MsPerFrame, 125);
    dir_.write("b.swf", Movie(0x80, 0x0C));
    movie.ReadFrameTime(dir_.file("b.swf"));
    EXPECT_EQ(movie.MsPerFrame, 11) << "1500 / 128, truncated";
    dir_.write("c.swf", Movie(0, 0));
    movie.ReadFrameTime(dir_.file("c.swf"));
    EXPECT_EQ(movie.MsPerFrame, 0) << "no frame rate: no length";
    int width = -1, height = -1;
    movie.ReadStageSize(dir_.file("a.swf"), width, height);
    EXPECT_EQ(width, 550);
    EXPECT_EQ(height, 400);
    dir_.write("short.swf", "FWS");
    movie.ReadStageSize(dir_.file("short.swf"), width, height);
    EXPECT_EQ(width, 0);

    const QByteArray swf = Movie(0, 12);
    QByteArray exe = QByteArray(1000, 'x') + swf;
    const quint32 length = swf.size();
    exe.append("\x56\x34\x12\xFA", 4).append(reinterpret_cast<const char*>(&length), 4);
    dir_.write("p.exe", exe);
    ASSERT_TRUE(TFlashMovie::ExtractFromExe(dir_.file("p.exe"), dir_.file("out.swf")));
    EXPECT_EQ(dir_.read("out.swf"), swf);
    exe[exe.size() - 8] = 0x57;
    dir_.write("bad.exe", exe);
    EXPECT_FALSE(TFlashMovie::ExtractFromExe(dir_.file("bad.exe"), dir_.file("out2.swf")));
    EXPECT_FALSE(QFile::exists(dir_.file("out2.swf")));
    QByteArray lying = QByteArray(10, 'x');
    lying.append("\x56\x34\x12\xFA\xFF\xFF\x00\x00", 8);
    dir_.write("lying.exe", lying);
    EXPECT_FALSE(TFlashMovie::ExtractFromExe(dir_.file("lying.exe"), dir_.file("out3.swf")))
        << "a length reaching before the file's start";

    ListBox1->SetItems({"<?" + dir_.file("bad.exe") + "?>"});
    run_->PlayIndex(0);
    ASSERT_FALSE(messages_.empty());
    EXPECT_EQ(run_->EngineCode, Engine::None);
}

// The three pictures: the player (playing and stopped), the player waiting for its engine (a
// warm rim), the player paused (two bars, the middle left clear).
TEST_F(PlaybackTest, PlayStateChoosesTheTrayPicture) {
    auto picture = [] { return Form1->TrayPicture().pixmap(32, 32).toImage(); };
    auto warmRim = [](const QImage& image) {
        const QColor rim = image.pixelColor(4, 16);
        return rim.red() > rim.blue();
    };
    auto clearMiddle = [](const QImage& image) { return image.pixelColor(16, 16).lightness() < 128; };
    Ctrl->Display->SetPlayState(0);
    const QImage playing = picture();
    ASSERT_FALSE(playing.isNull());
    EXPECT_FALSE(warmRim(playing));
    EXPECT_FALSE(clearMiddle(playing));
    Ctrl->Display->SetPlayState(2);
    const QImage paused = picture();
    EXPECT_FALSE(warmRim(paused));
    EXPECT_TRUE(clearMiddle(paused)) << "paused shows the bars";
    Ctrl->Display->SetPlayState(3);
    const QImage waiting = picture();
    EXPECT_TRUE(warmRim(waiting)) << "waiting shows the waiting picture";
    EXPECT_FALSE(clearMiddle(waiting));
    Ctrl->Display->SetPlayState(1);
    EXPECT_EQ(picture(), playing) << "stopped shows the same picture as playing";
}

TEST_F(PlaybackTest, TheApplicationIconFollowsTheTrayPictureInEveryState) {
    auto image = [](const QIcon& icon) { return icon.pixmap(32, 32).toImage(); };
    for (const int state : {2, 0, 3, 1, 2}) {
        Ctrl->Display->SetPlayState(state);
        const QImage tray = image(Form1->TrayPicture());
        ASSERT_FALSE(tray.isNull()) << state;
        EXPECT_EQ(image(QApplication::windowIcon()), tray) << "state " << state;
    }
}

TEST_F(PlaybackTest, EqualiserSlidersDrawFromTheirStoredValues) {
    TDisplay& display = *Ctrl->Display;
    // Knobs red (normal) and green (held); the lower backgrounds yellow, the upper ones blue.
    QImage eqmain(275, 315, QImage::Format_RGB32);
    eqmain.fill(Qt::black);
    auto fill = [&eqmain](QRect r, QColor c) {
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x) eqmain.setPixelColor(x, y, c);
    };
    fill(QRect(0, 164, 11, 11), Qt::red);
    fill(QRect(0, 176, 11, 11), Qt::green);
    fill(QRect(13, 164, 262, 63), Qt::yellow);
    fill(QRect(13, 229, 262, 63), Qt::blue);
    display.EqmainBmp = eqmain;
    display.EqualizerBuffer = QImage(275, 116, QImage::Format_RGB32);
    display.EqualizerBuffer.fill(Qt::white);
    Ctrl->WriteInteger("EQ01", 63);
    Ctrl->WriteInteger("EQ02", 31);
    Ctrl->WriteInteger("EQ00", 0);
    Ctrl->WriteInteger("EQ03", -1);  // its low byte, 255, counts as the middle
    run_->SetEq("InitEQ", -1);
    const QImage& buffer = display.EqualizerBuffer;
    EXPECT_EQ(buffer.pixelColor(80, 40), QColor(Qt::red)) << "63: the knob at the top";
    EXPECT_EQ(buffer.pixelColor(80, 95), QColor(Qt::blue));
    EXPECT_EQ(buffer.pixelColor(100, 65), QColor(Qt::red)) << "31 is drawn as 32";
    EXPECT_EQ(buffer.pixelColor(100, 40), QColor(Qt::blue));
    EXPECT_EQ(buffer.pixelColor(118, 65), QColor(Qt::red));
    EXPECT_EQ(buffer.pixelColor(25, 92), QColor(Qt::red)) << "0: the knob at the bottom";
    EXPECT_EQ(buffer.pixelColor(25, 45), QColor(Qt::yellow));
    EXPECT_EQ(buffer.pixelColor(60, 60), QColor(Qt::white)) << "nothing between the preamp and the bands";
    run_->SetEq("e_EQ05", 10);
    EXPECT_EQ(Ctrl->ReadInteger("EQ05", -1), 10);
    EXPECT_EQ(buffer.pixelColor(152, 40 + int(53 / 63.0 * 50)), QColor(Qt::red));
}

TEST(VolumeArithmetic, DeviceWordsAndPlugInScales) {
    EXPECT_EQ(VolumeFromWord(0x7FFFFFFF), 100);
    EXPECT_EQ(BalanceFromWord(0x7FFFFFFF, 0), -50);
    EXPECT_EQ(VolumeFromWord(0), 0);
    EXPECT_EQ(BalanceFromWord(0, 7), 7) << "both channels quiet: the balance stays";
    EXPECT_EQ(BalanceFromWord(0xFFFF7FFF, 0), 50);
    EXPECT_EQ(VolumeFromWord(0x80008000), 50) << "32768 / 65535 is 50.0008";
    EXPECT_EQ(WordFromVolume(100, 0), 0xFF00FF00u);
    EXPECT_EQ(WordFromVolume(100, 50), (255u * 256) << 16 | 127u * 256);
    EXPECT_EQ(WordFromVolume(40, -100), 102u * 256);
    EXPECT_EQ(PluginVolume(100), 255);
    EXPECT_EQ(PluginPan(-100), -127);
    EXPECT_EQ(PluginPan(100), 127);
}

TEST(ProgressArithmetic, BarPixelDigitsAndClamping) {
    EXPECT_EQ(SeekBarPixel(0, 1000), 0);
    EXPECT_EQ(SeekBarPixel(1000, 1000), 219);
    EXPECT_EQ(SeekBarPixel(2000, 1000), 219) << "past the end stays on the bar";
    // 5/438 x 219 = 2.5: halves go to the even neighbour.
    EXPECT_EQ(SeekBarPixel(5, 438), 2);
    EXPECT_EQ(SeekBarPixel(15, 438), 8);

    const TimeDigits long_track = TimeToDigits(qint64(123) * 60000 + 45000);
    EXPECT_EQ(long_track.minuteTens, 12);
    EXPECT_EQ(long_track.minuteUnits, 3);
    EXPECT_EQ(long_track.secondTens, 4);
    EXPECT_EQ(long_track.secondUnits, 5);
    const TimeDigits past = TimeToDigits(-1500);
    EXPECT_EQ(past.minuteTens + past.minuteUnits + past.secondTens + past.secondUnits, 0)
        << "a position past the length shows 00:00 remaining";

    EXPECT_EQ(HundredNsToMs(25000), 2) << "2.5 ms: halves go to the even neighbour";
    EXPECT_EQ(HundredNsToMs(35000), 4);
    EXPECT_EQ(HundredNsToMs(35001), 4);
    EXPECT_EQ(HundredNsToMs(qint64(3) * 3600 * 1000 * 10000), 10800000) << "three hours need 64 bits";
    EXPECT_EQ(HundredNsToMs(-20000), 0);

    EXPECT_EQ(ClampPosition(-10, 5000), 0);
    EXPECT_EQ(ClampPosition(6000, 5000), 5000);
    EXPECT_EQ(ClampPosition(1234.5, 5000), 1234);
    EXPECT_EQ(ClampPosition(10.8e6, 10800000), 10800000) << "three hours";
}

}  // namespace
