// The video pages: the output path of the frame engine, the colour filters, soften and sharpen,
// and the frame captures. Each change is stored at once and handed to the frame engine and its
// filters where they exist; the filters take it at their next frame.
#include <QGuiApplication>
#include <QScreen>
#include <array>

#include "dialogs/folder_picker.h"
#include "dialogs/settings_dialog.h"
#include "dialogs/settings_page_values.h"
#include "platform/message_box.h"
#include "player/core/ctrl.h"
#include "player/playback/run.h"
#include "player/video/capture.h"
#include "player/video/dspack.h"
#include "player/display/display.h"
#include "player/video/form4.h"
#include "ui_settings_dialog.h"

using namespace settingspages;

namespace {

const QString kVideoControl = QStringLiteral("VideoControl");

// The bars of the colour page and the keys they set.
struct FilterBar {
    QSlider* Ui::TForm8::*Bar;
    const char* Key;
};
constexpr std::array<FilterBar, 6> kFilterBars = {{{&Ui::TForm8::TrackBar2, "BrightnessValue"},
                                                   {&Ui::TForm8::TrackBar3, "ContrastValue"},
                                                   {&Ui::TForm8::TrackBar4, "SaturationValue"},
                                                   {&Ui::TForm8::TrackBar8, "RGBRed"},
                                                   {&Ui::TForm8::TrackBar5, "RGBGreen"},
                                                   {&Ui::TForm8::TrackBar6, "RGBBlue"}}};

TDspack* FrameEngine() { return Ctrl && Ctrl->Run ? RunDspack(Ctrl->Run.get(), false) : nullptr; }

TImgVideo* Filters() {
    TDspack* engine = FrameEngine();
    return engine ? engine->ImgVideo() : nullptr;
}

// The flags as the playback object holds them (the store only before there is one).
QString& VideoFlags() {
    static QString withoutRun;
    if (Ctrl->Run) return Ctrl->Run->VideoControl;
    withoutRun = Ctrl->ReadString(kVideoControl, QStringLiteral("00000011"));
    return withoutRun;
}

// Sets the boxes from the flag characters; false with the reason when one is no digit.
template <size_t N>
bool FillFlagBoxes(const std::array<std::pair<QCheckBox*, int>, N>& boxes, QString* error) {
    const QString flags = VideoFlags();
    for (const auto& [box, position] : boxes) {
        const std::optional<bool> on = FlagAt(flags, position);
        if (!on) {
            *error = QStringLiteral("VideoControl的第%1个字符不是数字：%2").arg(position + 1).arg(flags);
            return false;
        }
        box->setChecked(*on);
    }
    return true;
}

template <size_t N>
void StoreFlagBoxes(const std::array<std::pair<QCheckBox*, int>, N>& boxes) {
    QString& flags = VideoFlags();
    for (const auto& [box, position] : boxes) SetFlag(flags, position, box->isChecked());
    Ctrl->WriteString(kVideoControl, flags);
}

void ReloadFilters() {
    if (TImgVideo* filters = Filters()) filters->LoadSettings();
}

}  // namespace

void TForm8::ConnectVideoPages() {
    connect(ui_->CheckBox30, &QCheckBox::clicked, this, [this] { CheckBox30Click(); });
    for (QRadioButton* radio : {ui_->RadioButton5, ui_->RadioButton6})
        connect(radio, &QRadioButton::clicked, this, [this] { RadioButton5Click(); });
    connect(ui_->TrackBar7, &QSlider::valueChanged, this, [this](int position) { TrackBar7Change(position); });
    for (QCheckBox* box : {ui_->CheckBox11, ui_->CheckBox12})
        connect(box, &QCheckBox::clicked, this, [this] { CheckBox12Click(); });
    for (QCheckBox* box : {ui_->CheckBox21, ui_->CheckBox22, ui_->CheckBox23, ui_->CheckBox24})
        connect(box, &QCheckBox::clicked, this, [this] { CheckBox21Click(); });
    for (QCheckBox* box : {ui_->CheckBox1, ui_->CheckBox2})
        connect(box, &QCheckBox::clicked, this, [this] { CheckBox2Click(); });
    for (const FilterBar& bar : kFilterBars)
        connect(ui_.get()->*bar.Bar, &QSlider::valueChanged, this, [this] { TrackBar2Change(); });
    connect(ui_->SpeedButton1, &QToolButton::clicked, this, [this] { CaptureClick(0); });
    connect(ui_->SpeedButton2, &QToolButton::clicked, this, [this] { CaptureClick(1); });
    connect(ui_->SpeedButton3, &QToolButton::clicked, this, [this] { CaptureClick(2); });
    for (QRadioButton* radio : {ui_->RadioButton9, ui_->RadioButton10, ui_->RadioButton11})
        connect(radio, &QRadioButton::clicked, this, [this] { RadioButton9Click(); });
    for (QLineEdit* edit : {ui_->GetVideoWidth, ui_->GetVideoHeight})
        connect(edit, &QLineEdit::textChanged, this, [this, edit] { GetVideoWidthChange(edit); });
    connect(ui_->TrackBar9, &QSlider::valueChanged, this, [this](int position) { TrackBar9Change(position); });
}

bool TForm8::FillVideoPage(QString* error) {
    const bool raw = Ctrl->ReadBool(QStringLiteral("RatePriority"), true);
    ui_->RadioButton5->setChecked(raw);
    ui_->RadioButton6->setChecked(!raw);
    const int position = (Ctrl->ReadInteger(QStringLiteral("VideoDisplayRate"), 100) - 20) / 2;
    ui_->TrackBar7->setValue(position);
    ui_->Label31->setText(QString::number(position * 2 + 20) + u'%');
    if (!FillFlagBoxes(std::array{std::pair{ui_->CheckBox11, 6}, std::pair{ui_->CheckBox12, 7}}, error)) return false;
    ui_->CheckBox30->setChecked(Ctrl->ReadBool(QStringLiteral("UseDirectShow"), false));
    UpdateRateControls();
    return true;
}

// The output choice, the display rate and the colour-depth hint follow the DirectShow box.
void TForm8::UpdateRateControls() {
    const bool frameEngine = ui_->CheckBox30->isChecked();
    ui_->RadioButton5->setEnabled(frameEngine);
    ui_->RadioButton6->setEnabled(frameEngine);
    const bool rate = frameEngine && ui_->RadioButton6->isChecked();
    ui_->TrackBar7->setVisible(rate);
    ui_->Label23->setVisible(rate);
    ui_->Label31->setVisible(rate);
    const QScreen* screen = QGuiApplication::primaryScreen();
    const int depth = screen ? screen->depth() : 0;
    if (frameEngine && depth > 16) {
        ui_->Panel31->move(ui_->Panel31->x(), rate ? 224 : 202);
        ui_->Label50->setText(QStringLiteral("系统颜色是[%1位真彩色]。如果在播放过程中出现刷").arg(depth));
        ui_->Panel31->show();
    } else {
        ui_->Panel31->hide();
    }
}

// The "filtered output only" notes show while the video window exists and the filters are off.
void TForm8::UpdateVideoNotes() {
    const bool shown = Form4 && (Ctrl->ReadInteger(QStringLiteral("RatePriority"), 1) == 1
                                 || Ctrl->ReadInteger(QStringLiteral("UseDirectShow"), 1) == 0);
    ui_->Label54->setVisible(shown);
    ui_->Label52->setVisible(shown);
    ui_->Label55->setVisible(shown);
}

bool TForm8::FillColourPage(QString* error) {
    if (!FillFlagBoxes(std::array{std::pair{ui_->CheckBox21, 0}, std::pair{ui_->CheckBox22, 1},
                                  std::pair{ui_->CheckBox23, 2}, std::pair{ui_->CheckBox24, 3}},
                       error))
        return false;
    for (const FilterBar& bar : kFilterBars)
        (ui_.get()->*bar.Bar)->setValue(FilterBarPosition(Ctrl->ReadInteger(QLatin1String(bar.Key), 0)));
    UpdateVideoNotes();
    return true;
}

bool TForm8::FillEffectsPage(QString* error) {
    if (!FillFlagBoxes(std::array{std::pair{ui_->CheckBox1, 4}, std::pair{ui_->CheckBox2, 5}}, error)) return false;
    UpdateVideoNotes();
    return true;
}

void TForm8::FillCapturePage() {
    const bool filtered = Filters() && Ctrl->ReadInteger(QStringLiteral("RatePriority"), 1) == 0;
    for (QToolButton* button : {ui_->SpeedButton1, ui_->SpeedButton2, ui_->SpeedButton3}) button->setEnabled(filtered);
    const int position = Ctrl->ReadInteger(QStringLiteral("GetVideoTime"), 2000) / 200;
    ui_->TrackBar9->setValue(position);
    ui_->Label30->setText(QString::number(ui_->TrackBar9->value() * 200) + QStringLiteral("毫秒"));
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize size = screen ? screen->size() : QSize(800, 600);
    ui_->GetVideoWidth->setText(Ctrl->ReadString(QStringLiteral("GetVideoWidth"), QString::number(size.width())));
    ui_->GetVideoHeight->setText(Ctrl->ReadString(QStringLiteral("GetVideoHeight"), QString::number(size.height())));
    const int type = Ctrl->ReadInteger(QStringLiteral("GetVideoType"), 0);
    ui_->RadioButton9->setChecked(type == 0);
    ui_->RadioButton10->setChecked(type == 1);
    ui_->RadioButton11->setChecked(type == 2);
    // Another stored number leaves no size choice checked; the edits stay closed then too.
    ui_->GetVideoWidth->setEnabled(type == 2);
    ui_->GetVideoHeight->setEnabled(type == 2);
    UpdateVideoNotes();
}

void TForm8::CheckBox30Click() {
    if (Loading) return;
    Ctrl->WriteBool(QStringLiteral("UseDirectShow"), ui_->CheckBox30->isChecked());
    UpdateRateControls();
    TRun* run = Ctrl->Run.get();
    if (!Form4 || !run || !run->VideoOpen
        || (run->EngineCode != Engine::FrameGrabbing && run->EngineCode != Engine::MediaPlayer))
        return;
    // Played again with the engine the new setting chooses.
    if (!run->Paused) run->PauseResume();
    platform::ShowMessage(QStringLiteral("设置已更改、点击确定使用新设置重新播放当前文件！　　"), QStringLiteral("信息提示"));
    const int index = run->Index;
    run->Stop();
    run->PlayIndex(index);
}

void TForm8::RadioButton5Click() {
    if (Loading) return;
    Ctrl->WriteBool(QStringLiteral("RatePriority"), ui_->RadioButton5->isChecked());
    if (TDspack* engine = FrameEngine()) engine->SetRatePriority(ui_->RadioButton6->isChecked() ? 1 : 0);
    UpdateRateControls();
}

void TForm8::TrackBar7Change(int position) {
    if (Loading) return;
    ui_->Label31->setText(QString::number(position * 2 + 20) + u'%');
    Ctrl->WriteInteger(QStringLiteral("VideoDisplayRate"), position * 2 + 20);
    ReloadFilters();
}

void TForm8::CheckBox12Click() {
    if (Loading) return;
    StoreFlagBoxes(std::array{std::pair{ui_->CheckBox11, 6}, std::pair{ui_->CheckBox12, 7}});
}

void TForm8::CheckBox21Click() {
    if (Loading) return;
    StoreFlagBoxes(std::array{std::pair{ui_->CheckBox21, 0}, std::pair{ui_->CheckBox22, 1},
                              std::pair{ui_->CheckBox23, 2}, std::pair{ui_->CheckBox24, 3}});
    ReloadFilters();
}

void TForm8::CheckBox2Click() {
    if (Loading) return;
    StoreFlagBoxes(std::array{std::pair{ui_->CheckBox1, 4}, std::pair{ui_->CheckBox2, 5}});
    ReloadFilters();
}

void TForm8::TrackBar2Change() {
    if (Loading) return;
    for (const FilterBar& bar : kFilterBars)
        Ctrl->WriteInteger(QLatin1String(bar.Key), FilterBarValue((ui_.get()->*bar.Bar)->value()));
    ReloadFilters();
}

void TForm8::CaptureClick(int mode) {
    TImgVideo* filters = Filters();
    if (!filters) return;
    // The timed capture's folder comes from the program's one folder picker, which stores it.
    filters->AskFolder = [](const QString& start) {
        if (!PickFolderSetting(start, QStringLiteral("请选择保存的路径"), true, QStringLiteral("GetVideoFolder")))
            return QString();
        return Ctrl->ReadString(QStringLiteral("GetVideoFolder"), start);
    };
    filters->Capture(mode);
}

void TForm8::RadioButton9Click() {
    if (Loading) return;
    const int type = ui_->RadioButton11->isChecked() ? 2 : ui_->RadioButton10->isChecked() ? 1 : 0;
    Ctrl->WriteInteger(QStringLiteral("GetVideoType"), type);
    ui_->GetVideoWidth->setEnabled(type == 2);
    ui_->GetVideoHeight->setEnabled(type == 2);
}

void TForm8::GetVideoWidthChange(QLineEdit* edit) {
    if (Loading) return;
    KeepDigits(edit);
    Ctrl->WriteString(edit->objectName(), edit->text());
}

void TForm8::TrackBar9Change(int position) {
    if (Loading) return;
    ui_->Label30->setText(QString::number(position * 200) + QStringLiteral("毫秒"));
    Ctrl->WriteInteger(QStringLiteral("GetVideoTime"), position * 200);
    if (TImgVideo* filters = Filters())
        if (QTimer* timer = filters->CaptureTimerObj()) timer->setInterval(std::max(kMinCaptureIntervalMs, position * 200));
}
