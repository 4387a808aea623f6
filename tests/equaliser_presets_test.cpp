// Equaliser presets: reading the preset lines, loading one into the stored values, the menu's
// items reaching it, the shipped preset file, and the response graph drawn from the values.
#include <gtest/gtest.h>

#include <QFile>

#include "platform/message_box.h"
#include "platform/text_file.h"
#include "player/app/form1.h"
#include "player/commands/menu.h"
#include "player/core/ctrl.h"
#include "player/display/display.h"
#include "player/display/equaliser_graph.h"
#include "player/playback/equaliser_presets.h"
#include "player/playback/run.h"
#include "tests/fifo_watchdog.h"
#include "tests/test_support.h"

namespace {

using Bands = std::array<int, 10>;

TEST(EqPresetLines, LookupMatchesOnlyLinesThatBeginWithTheNumber) {
    const QStringList lines = {"; 1=comment mentioning a preset", "10=1,2,3,4,5,6,7,8,9,10",
                               "  0=31,31,31,31,31,31,31,31,31,30", "1=40,36,31,28,31,36,40,44,44,40"};
    const TEqPreset zero = ParseEqPreset(lines, 0);
    ASSERT_TRUE(zero.Found && zero.Valid) << "the 10= line is preset 10's, not preset 0's";
    EXPECT_EQ(zero.Bands[9], 30);
    const TEqPreset one = ParseEqPreset(lines, 1);
    ASSERT_TRUE(one.Valid) << "a comment holding 1= is no preset line";
    EXPECT_EQ(one.Bands, (Bands{40, 36, 31, 28, 31, 36, 40, 44, 44, 40}));
    EXPECT_EQ(ParseEqPreset(lines, 10).Bands[0], 1);
    EXPECT_FALSE(ParseEqPreset(lines, 2).Found);
    EXPECT_FALSE(ParseEqPreset(lines, 11).Found) << "1= inside 11= does not count either";
}

TEST(EqPresetLines, ShortMalformedAndOutOfRangeValues) {
    const QStringList lines = {"1=31,31,31", "2=31,31,x,31,31,31,31,31,31,31", "3=300,-1,0,63,1,2,3,4,5,6,7,trailing",
                               "4=", "5=1,2,3,4,5,6,7,8,9,"};
    EXPECT_TRUE(ParseEqPreset(lines, 1).Found);
    EXPECT_FALSE(ParseEqPreset(lines, 1).Valid) << "three values of ten";
    EXPECT_FALSE(ParseEqPreset(lines, 2).Valid) << "a value that is no integer";
    const TEqPreset three = ParseEqPreset(lines, 3);
    ASSERT_TRUE(three.Valid) << "text after the tenth value is ignored";
    EXPECT_EQ(three.Bands[0], 44) << "300 keeps its low byte";
    EXPECT_EQ(three.Bands[1], 255) << "-1 keeps its low byte";
    EXPECT_EQ(three.Bands[9], 6);
    EXPECT_FALSE(ParseEqPreset(lines, 4).Valid);
    EXPECT_FALSE(ParseEqPreset(lines, 5).Valid) << "an empty tenth value";
}

TEST(EqGraph, RowsFollowTheValuesAndTheCurveIsJoined) {
    EXPECT_EQ(EqGraphRows({63, 31, 0, 32, 255, -5, 47, 15, 31, 31}), (Bands{1, 9, 17, 9, 9, 9, 5, 13, 9, 9}))
        << "values outside the sliders' range count as the middle";
    QImage panel(113, 19, QImage::Format_ARGB32);
    panel.fill(Qt::black);
    const QImage graph = EqGraphImage(panel, {63, 0, 31, 31, 31, 31, 31, 31, 31, 63});
    const QRgb curve = graph.pixel(12, 1);
    EXPECT_NE(curve, panel.pixel(0, 0)) << "the first band's point at the top";
    EXPECT_EQ(graph.pixel(111, 1), curve) << "the last band's point";
    EXPECT_EQ(graph.pixel(11, 1), panel.pixel(0, 0)) << "nothing left of the first band";
    for (int row = 1; row <= 17; ++row) {
        bool lit = false;
        for (int x = 12; x <= 23; ++x) lit = lit || graph.pixel(x, row) == curve;
        EXPECT_TRUE(lit) << "row " << row << ": the steep drop between the first two bands has no gap";
    }
}

class EqualiserPresetTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_.write("Plugins/EQPlus.ini", "0=31,31,31,31,31,31,31,31,31,31\r\n"
                                         "1=63,0,31,31,31,31,31,31,31,40\r\n"
                                         "2=63,0,bad\r\n");
        platform::SetMessageRecorder([this](const QString& text, const QString&, platform::MessageIcon) { messages_ << text; });
        form_ = new TForm1(dir_.path() + "/");
        form_->show();
    }
    void TearDown() override {
        form_->QuietClose = true;
        form_->close();
        delete form_;
        platform::SetMessageRecorder({});
    }
    static int Value(int slider) { return Ctrl->ReadInteger(QStringLiteral("EQ%1").arg(slider, 2, 10, QChar('0')), -1); }
    static void Store(int value) {
        for (int slider = 0; slider <= 10; ++slider) Ctrl->WriteInteger(QStringLiteral("EQ%1").arg(slider, 2, 10, QChar('0')), value);
    }

    testing_support::TempFolder dir_;
    TForm1* form_ = nullptr;
    QStringList messages_;
};

TEST_F(EqualiserPresetTest, PresetsSetTheBandsAndOnlyTheDefaultOneThePreamp) {
    Store(50);
    Ctrl->Run->LoadEqPreset(1);
    EXPECT_EQ(Value(1), 63);
    EXPECT_EQ(Value(2), 0);
    EXPECT_EQ(Value(10), 40);
    EXPECT_EQ(Value(0), 50) << "the preamp is no part of a preset";
    Ctrl->Run->LoadEqPreset(0);
    EXPECT_EQ(Value(0), 31);
    EXPECT_EQ(Value(1), 31);
    Store(50);
    Ctrl->Run->LoadEqPreset(7);
    EXPECT_EQ(Value(5), 50) << "a preset the file lacks changes nothing";
    Ctrl->Run->LoadEqPreset(2);
    for (int slider = 0; slider <= 10; ++slider) EXPECT_EQ(Value(slider), 31) << "a broken line levels everything";
    EXPECT_TRUE(messages_.isEmpty());
}

TEST_F(EqualiserPresetTest, AMissingPresetFileSaysSoAndChangesNothing) {
    QFile::remove(dir_.file("Plugins/EQPlus.ini"));
    Store(50);
    Ctrl->Run->LoadEqPreset(0);
    EXPECT_EQ(messages_.size(), 1);
    EXPECT_EQ(Value(0), 50);
    EXPECT_EQ(Value(3), 50);
}

// A FIFO named EQPlus.ini is refused at once, as a missing file is: opening it would wait for a
// writer.
TEST_F(EqualiserPresetTest, AFifoNamedLikeThePresetFileIsNotWaitedOn) {
    QFile::remove(dir_.file("Plugins/EQPlus.ini"));
    testing_support::FifoWatchdog fifo(dir_.file("Plugins/EQPlus.ini"));
    ASSERT_TRUE(fifo.Made());
    Store(50);
    fifo.Run([] { Ctrl->Run->LoadEqPreset(0); });
    EXPECT_FALSE(fifo.Released()) << "the preset load waited on the FIFO";
    ASSERT_EQ(messages_.size(), 1);
    EXPECT_TRUE(messages_[0].contains("not a regular file")) << messages_[0].toStdString();
    EXPECT_EQ(Value(0), 50);
}

TEST_F(EqualiserPresetTest, TheMenuItemsReachThePresetsAndTheGraphFollows) {
    Store(31);
    TDisplay& display = *Ctrl->Display;
    const QRgb flat = display.EqualizerBuffer.pixel(86 + 12, 17 + 9);
    Ctrl->Menu->Execute(QStringLiteral("4.3"));
    EXPECT_EQ(Value(1), 63) << "item 3 is preset 1";
    EXPECT_EQ(display.EqualizerBuffer.pixel(86 + 12, 17 + 1), flat) << "the curve climbed with the first band";
    EXPECT_NE(display.EqualizerBuffer.pixel(86 + 12, 17 + 9), flat);
    Ctrl->Run->SetEq(QStringLiteral("e_EQ01"), 31);
    EXPECT_EQ(display.EqualizerBuffer.pixel(86 + 12, 17 + 9), flat) << "a slider's drag moves the curve too";
    Ctrl->Menu->Execute(QStringLiteral("4.1"));
    EXPECT_EQ(Value(2), 31) << "item 1 is the default preset";
}

// The shipped file: one preset for the default item and for every caption of the presets menu,
// each a full line of slider values, the default one level.
TEST(ShippedEqPresets, EveryMenuCaptionHasAFullPreset) {
    const QString plugins = QStringLiteral(VELMORA_BUILT_INSTALL_DIR "/Plugins/");
    QStringList presets, menu;
    ASSERT_TRUE(platform::ReadTextLines(plugins + "EQPlus.ini", &presets));
    ASSERT_TRUE(platform::ReadTextLines(plugins + "MenuPlus.ini", &menu));
    EXPECT_TRUE(QFile(plugins + "EQPlus.ini").open(QIODevice::ReadOnly));
    EXPECT_EQ(ParseEqPreset(presets, 0).Bands, (Bands{31, 31, 31, 31, 31, 31, 31, 31, 31, 31}));
    int captions = 0;
    for (const QString& line : menu) {
        if (!line.startsWith(QLatin1String("4.")) || line.contains(QLatin1String("=-"))) continue;
        const int item = line.mid(2, line.indexOf('=') - 3).toInt();
        ASSERT_TRUE(item == 1 || item > 2) << line.toStdString();
        const TEqPreset preset = ParseEqPreset(presets, item == 1 ? 0 : item - 2);
        ASSERT_TRUE(preset.Valid) << line.toStdString();
        for (int value : preset.Bands) EXPECT_TRUE(value >= 0 && value <= 63) << line.toStdString();
        ++captions;
    }
    EXPECT_GE(captions, 8) << "the default and the usual presets";
}

}  // namespace
