// The lyrics pages of the settings dialog: the lyric-file flags (short and damaged strings), the
// timing correction, the look (colours, font, background, placement) and what reaches a lyrics
// object that is on show.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTimer>

#include "player/lyrics/lrc_ctrl.h"
#include "player/playback/run.h"
#include "tests/settings_dialog_support.h"

namespace {

constexpr int kLyricFiles = 7, kLyricTiming = 8, kLyricLook = 9;

class LyricsPagesTest : public SettingsDialogFixture {
protected:
    // A lyrics object on show, as while a song with lyrics plays.
    TLrcCtrl* ShowLyrics() {
        window_ = std::make_unique<QWidget>();
        window_->resize(400, 120);
        Ctrl->Run->LrcCtrl = new TLrcCtrl(window_.get(), Ctrl->Run.get());
        return Ctrl->Run->LrcCtrl;
    }
    QString Stored(const char* key) const { return Ctrl->ReadString(QLatin1String(key), "<none>"); }

    std::unique_ptr<QWidget> window_;
};

TEST_F(LyricsPagesTest, FileFlagsFillFromThePlaybackStringAndAClickRewritesAllFive) {
    Ctrl->Run->LrcFileControl = "10011";
    TForm8 form;
    form.SelectPage(kLyricFiles);
    EXPECT_TRUE(Widget<QCheckBox>(form, "CheckBox8")->isChecked());
    EXPECT_FALSE(Widget<QCheckBox>(form, "CheckBox4")->isChecked());
    EXPECT_TRUE(Widget<QCheckBox>(form, "CheckBox6")->isChecked());
    EXPECT_TRUE(Widget<QCheckBox>(form, "CheckBox7")->isChecked());
    EXPECT_EQ(Stored("LrcFileControl"), "<none>") << "a fill writes nothing";
    Widget<QCheckBox>(form, "CheckBox4")->click();
    EXPECT_EQ(Ctrl->Run->LrcFileControl, "11011");
    EXPECT_EQ(Stored("LrcFileControl"), "11011");
}

TEST_F(LyricsPagesTest, AShortFlagStringCountsTheMissingCharactersAsZero) {
    Ctrl->Run->LrcFileControl = "1";
    TForm8 form;
    form.SelectPage(kLyricFiles);
    EXPECT_TRUE(Widget<QCheckBox>(form, "CheckBox8")->isChecked());
    for (const char* name : {"CheckBox4", "CheckBox5", "CheckBox6", "CheckBox7"})
        EXPECT_FALSE(Widget<QCheckBox>(form, name)->isChecked()) << name;
    Widget<QCheckBox>(form, "CheckBox7")->click();
    EXPECT_EQ(Ctrl->Run->LrcFileControl, "10001");
}

TEST_F(LyricsPagesTest, ADamagedFlagStringFailsTheFillButLaterChangesAreStored) {
    Ctrl->Run->LrcFileControl = "1x000";
    TForm8 form;
    form.SelectPage(kLyricFiles);
    EXPECT_EQ(form.Loading, 0);
    Widget<QCheckBox>(form, "CheckBox8")->click();
    EXPECT_EQ(Stored("LrcFileControl").size(), 5);
}

TEST_F(LyricsPagesTest, FolderButtonShowsTheFolderStoredAfterThePicker) {
    Ctrl->WriteString("LrcFilePath", dir_.path() + "/");
    TForm8 form;
    form.SelectPage(kLyricFiles);
    Widget<QLineEdit>(form, "Edit1")->clear();
    QTimer::singleShot(0, [] {
        if (QWidget* picker = QApplication::activeModalWidget()) static_cast<QDialog*>(picker)->reject();
    });
    Widget<QPushButton>(form, "Button4")->click();
    EXPECT_EQ(Widget<QLineEdit>(form, "Edit1")->text(), dir_.path() + "/");
}

TEST_F(LyricsPagesTest, CorrectionLoadsAsAWholeStepAndReachesTheLyrics) {
    Ctrl->WriteInteger("LrcCorrectTime", -250);
    TLrcCtrl* lyrics = ShowLyrics();
    TForm8 form;
    form.SelectPage(kLyricTiming);
    auto* bar = Widget<QSlider>(form, "TrackBar1");
    auto* label = Widget<QLabel>(form, "Label13");
    EXPECT_EQ(bar->value(), 63);
    EXPECT_EQ(Stored("LrcCorrectTime"), "-200");
    EXPECT_EQ(label->text(), "滞后200毫秒");
    EXPECT_EQ(lyrics->Correction, -200);
    bar->setValue(130);
    EXPECT_EQ(label->text(), "提前6500毫秒");
    EXPECT_EQ(lyrics->Correction, 6500);
    bar->setValue(0);
    EXPECT_EQ(Stored("LrcCorrectTime"), "-6500");
    bar->setValue(65);
    EXPECT_EQ(label->text(), "默认");

    bar->setValue(70);
    Widget<QCheckBox>(form, "CheckBox10")->click();  // correction off
    EXPECT_EQ(Stored("LrcUseCorrectTime"), "0");
    EXPECT_EQ(lyrics->Correction, 0);
    EXPECT_TRUE(label->font().strikeOut());
    bar->setValue(80);
    EXPECT_EQ(lyrics->Correction, 0) << "the bar only stores while correction is off";
    Widget<QCheckBox>(form, "CheckBox10")->click();
    EXPECT_EQ(lyrics->Correction, 1500);

    Widget<QCheckBox>(form, "CheckBox9")->click();  // word by word off
    EXPECT_EQ(Stored("LrcUseLiteral"), "0");
    EXPECT_FALSE(lyrics->WordWipe);
    EXPECT_EQ(lyrics->WipeColumn, -1);
}

TEST_F(LyricsPagesTest, LookFillShowsDefaultsAndWritesNothing) {
    TForm8 form;
    form.SelectPage(kLyricLook);
    EXPECT_EQ(Widget<QLabel>(form, "Label7")->text(), "宋体,18号,粗体");
    EXPECT_EQ(Widget<QComboBox>(form, "LrcFontLeftColor")->currentData().toUInt(), 0xFF0000u);
    EXPECT_EQ(Widget<QComboBox>(form, "LrcFrameRightColor")->currentData().toUInt(), 0x00FFFFu);
    EXPECT_TRUE(Widget<QRadioButton>(form, "RadioButton1")->isChecked());
    EXPECT_FALSE(Widget<QPushButton>(form, "Button8")->isEnabled());
    EXPECT_TRUE(Widget<QRadioButton>(form, "RadioButton4")->isChecked());
    EXPECT_FALSE(Widget<QLineEdit>(form, "LrcAlignTop")->isEnabled());
    for (const char* key : {"LrcFontLeftColor", "LrcBackgroundColor", "LrcAlignTop", "LrcUseBackgroundImage", "LrcAlignAuto"})
        EXPECT_EQ(Stored(key), "<none>") << key;
}

TEST_F(LyricsPagesTest, ColoursAreStoredInWindowsOrderAndReachTheLyrics) {
    TLrcCtrl* lyrics = ShowLyrics();
    TForm8 form;
    form.SelectPage(kLyricLook);
    form.AskColour = [](const QColor&) { return std::optional<QColor>(QColor(0x12, 0x34, 0x56)); };
    Widget<QPushButton>(form, "LrcFontLeftButton")->click();
    EXPECT_EQ(Stored("LrcFontLeftColor"), QString::number(0x563412));
    EXPECT_EQ(lyrics->FontLeftColor, qRgb(0x12, 0x34, 0x56));
    EXPECT_EQ(Widget<QComboBox>(form, "LrcFontLeftColor")->currentData().toUInt(), 0x563412u);

    form.AskColour = [](const QColor&) { return std::optional<QColor>(); };  // cancelled
    Widget<QPushButton>(form, "LrcFontLeftButton")->click();
    EXPECT_EQ(Stored("LrcFontLeftColor"), QString::number(0x563412));

    auto* background = Widget<QComboBox>(form, "LrcBackgroundColor");
    background->setCurrentIndex(background->findData(0xFFFFFFu));
    EXPECT_EQ(Stored("LrcBackgroundColor"), QString::number(0xFFFFFF));
    EXPECT_EQ(lyrics->BackgroundColor, qRgb(255, 255, 255));
}

TEST_F(LyricsPagesTest, FontChoiceStoresNameSizeAndStyleWord) {
    TLrcCtrl* lyrics = ShowLyrics();
    TForm8 form;
    form.SelectPage(kLyricLook);
    QFont chosen("DejaVu Sans");
    chosen.setPointSize(24);
    chosen.setBold(true);
    chosen.setItalic(true);
    form.AskFont = [&chosen](const QFont&) { return std::optional<QFont>(chosen); };
    Widget<QPushButton>(form, "Button7")->click();
    EXPECT_EQ(Stored("LrcFontName"), "DejaVu Sans");
    EXPECT_EQ(Stored("LrcFontSize"), "24");
    EXPECT_EQ(Stored("LrcFontStyle"), "粗斜体");
    EXPECT_EQ(Widget<QLabel>(form, "Label7")->text(), "DejaVu Sans,24号,粗斜体");
    EXPECT_EQ(lyrics->Settings.FontSize, 24);
    EXPECT_EQ(lyrics->State, 2);
    EXPECT_EQ(lyrics->NextChange, -1);

    chosen.setUnderline(true);  // any other style is plain
    Widget<QPushButton>(form, "Button7")->click();
    EXPECT_EQ(Stored("LrcFontStyle"), "常规");
}

TEST_F(LyricsPagesTest, BackgroundPictureSwitchesOnceAndLoadsIntoTheLyrics) {
    QImage picture(20, 10, QImage::Format_RGB32);
    picture.fill(Qt::green);
    ASSERT_TRUE(picture.save(dir_.file("back.bmp")));
    TLrcCtrl* lyrics = ShowLyrics();
    TForm8 form;
    form.SelectPage(kLyricLook);
    Widget<QRadioButton>(form, "RadioButton2")->click();
    EXPECT_EQ(Stored("LrcUseBackgroundImage"), "1");
    EXPECT_TRUE(Widget<QPushButton>(form, "Button8")->isEnabled());
    EXPECT_FALSE(Widget<QComboBox>(form, "LrcBackgroundColor")->isEnabled());
    EXPECT_TRUE(lyrics->BackgroundImage.isNull()) << "no picture chosen yet";

    form.AskPicture = [this](const QString&) { return dir_.file("back.bmp"); };
    Widget<QPushButton>(form, "Button8")->click();
    EXPECT_EQ(Stored("LrcBackgroundImage"), dir_.file("back.bmp"));
    EXPECT_EQ(lyrics->BackgroundImage.size(), QSize(20, 10));

    Widget<QRadioButton>(form, "RadioButton1")->click();
    EXPECT_EQ(Stored("LrcUseBackgroundImage"), "0");
    EXPECT_TRUE(lyrics->BackgroundImage.isNull());
}

TEST_F(LyricsPagesTest, PlacementEditsKeepDigitsAndMoveTheLines) {
    TLrcCtrl* lyrics = ShowLyrics();
    TForm8 form;
    form.SelectPage(kLyricLook);
    Widget<QRadioButton>(form, "RadioButton3")->click();
    EXPECT_EQ(Stored("LrcAlignAuto"), "0");
    auto* top = Widget<QLineEdit>(form, "LrcAlignTop");
    ASSERT_TRUE(top->isEnabled());
    top->setText("a12");  // the edit holds three characters
    EXPECT_EQ(top->text(), "12");
    EXPECT_EQ(Stored("LrcAlignTop"), "12");
    EXPECT_EQ(lyrics->Settings.AlignTop, 12);
    EXPECT_FALSE(lyrics->Settings.AlignAuto);
    EXPECT_EQ(lyrics->WipeColumn, -1);
    top->clear();
    EXPECT_EQ(top->text(), "0");
    EXPECT_EQ(Stored("LrcAlignTop"), "0");
    Widget<QLineEdit>(form, "LrcAlignLeft")->setText("7");
    EXPECT_EQ(lyrics->LeftMargin, 7);
}

}  // namespace
