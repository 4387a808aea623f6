// The lyrics pages: which lyric files are searched for, the timing of the lines and their look.
// Each change is stored at once and, while a song with lyrics plays, handed to its lyrics object.
#include <QColorDialog>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QPainter>
#include <QPixmap>
#include <array>

#include "dialogs/folder_picker.h"
#include "dialogs/settings_dialog.h"
#include "dialogs/settings_page_values.h"
#include "player/core/ctrl.h"
#include "player/lyrics/lrc_ctrl.h"
#include "player/lyrics/run_lyrics.h"
#include "player/playback/run.h"
#include "player/display/display.h"
#include "player/video/form4.h"
#include "ui_settings_dialog.h"

using namespace settingspages;

namespace {

// The colour keys with their defaults; the boxes and the keys share their names.
struct ColourKey {
    const char* Box;
    const char* Button;
    quint32 Default;
};
constexpr std::array<ColourKey, 5> kColourKeys = {{{"LrcFontLeftColor", "LrcFontLeftButton", 0xFF0000},
                                                   {"LrcFontRightColor", "LrcFontRightButton", 0x0000FF},
                                                   {"LrcFrameLeftColor", "LrcFrameLeftButton", 0xFFFFFF},
                                                   {"LrcFrameRightColor", "LrcFrameRightButton", 0x00FFFF},
                                                   {"LrcBackgroundColor", "LrcBackgroundButton", 0}}};

// The colours a colour box offers before any chosen one, Windows order.
constexpr std::array<std::pair<quint32, const char16_t*>, 16> kStandardColours = {{
    {0x000000, u"黑色"}, {0x000080, u"栗色"}, {0x008000, u"绿色"}, {0x008080, u"橄榄色"},
    {0x800000, u"深蓝"}, {0x800080, u"紫色"}, {0x808000, u"蓝绿"}, {0x808080, u"灰色"},
    {0xC0C0C0, u"银色"}, {0x0000FF, u"红色"}, {0x00FF00, u"浅绿"}, {0x00FFFF, u"黄色"},
    {0xFF0000, u"蓝色"}, {0xFF00FF, u"紫红"}, {0xFFFF00, u"浅蓝"}, {0xFFFFFF, u"白色"},
}};

const QString kLrcFileControl = QStringLiteral("LrcFileControl");
constexpr int kLyricFileBoxes = 5;

QIcon Swatch(quint32 colour) {
    QPixmap swatch(12, 12);
    swatch.fill(FromWindowsColour(colour));
    QPainter(&swatch).drawRect(0, 0, 11, 11);
    return QIcon(swatch);
}

void FillColourChoices(QComboBox* box) {
    for (const auto& [colour, name] : kStandardColours) box->addItem(Swatch(colour), QString::fromUtf16(name), colour);
}

quint32 BoxColour(const QComboBox* box) { return box->currentData().toUInt() & 0xFFFFFF; }

// Selects the colour; one not offered yet becomes an entry of its own at the end.
void SetBoxColour(QComboBox* box, quint32 colour) {
    colour &= 0xFFFFFF;
    int found = box->findData(colour);
    if (found < 0) {
        box->addItem(Swatch(colour), QStringLiteral("#%1").arg(colour, 6, 16, QLatin1Char('0')).toUpper(), colour);
        found = box->count() - 1;
    }
    box->setCurrentIndex(found);
}

TLrcCtrl* Lyrics() { return Ctrl && Ctrl->Run ? Ctrl->Run->LrcCtrl.data() : nullptr; }

QString StyleWord(const QFont& font) {
    if (font.underline() || font.strikeOut()) return QStringLiteral("常规");
    if (font.bold() && font.italic()) return QStringLiteral("粗斜体");
    if (font.bold()) return QStringLiteral("粗体");
    if (font.italic()) return QStringLiteral("斜体");
    return QStringLiteral("常规");
}

// The picture behind the lines follows the stored choice; the lines move to suit it.
void PushBackground() {
    TLrcCtrl* lyrics = Lyrics();
    if (!lyrics) return;
    const TLrcSettings settings = ReadLrcSettings(*Ctrl);
    lyrics->Settings.UseBackgroundImage = settings.UseBackgroundImage;
    lyrics->Settings.BackgroundImage = settings.BackgroundImage;
    lyrics->LoadBackground(settings);
    lyrics->Layout();
    lyrics->DrawLines();
}

// The place of the lines after a change of the alignment settings.
void PushAlignment() {
    TLrcCtrl* lyrics = Lyrics();
    if (!lyrics) return;
    const TLrcSettings settings = ReadLrcSettings(*Ctrl);
    lyrics->Settings.AlignAuto = settings.AlignAuto;
    // The same bounds the lyrics object puts on a stored position.
    lyrics->Settings.AlignTop = std::clamp(settings.AlignTop, -100000, 100000);
    lyrics->Settings.AlignLeft = std::clamp(settings.AlignLeft, -100000, 100000);
    lyrics->Layout();
    lyrics->DrawLines();
    lyrics->WipeColumn = -1;
}

void PushLook() {
    if (TLrcCtrl* lyrics = Lyrics()) lyrics->ApplySettings(ReadLrcSettings(*Ctrl), true);
}

}  // namespace

void TForm8::ConnectLyricsPages() {
    ui_->CheckBox5->hide();  // there is no web folder to search on this system
    for (QCheckBox* box : {ui_->CheckBox8, ui_->CheckBox4, ui_->CheckBox5, ui_->CheckBox6, ui_->CheckBox7})
        connect(box, &QCheckBox::clicked, this, [this] { CheckBox6Click(); });
    connect(ui_->Button4, &QPushButton::clicked, this, [this] { Button4Click(); });
    connect(ui_->CheckBox9, &QCheckBox::clicked, this, [this] { CheckBox9Click(); });
    connect(ui_->CheckBox10, &QCheckBox::clicked, this, [this] { CheckBox10Click(); });
    connect(ui_->TrackBar1, &QSlider::valueChanged, this, [this](int position) { TrackBar1Change(position); });
    for (const ColourKey& key : kColourKeys) {
        auto* box = findChild<QComboBox*>(QLatin1String(key.Box));
        auto* button = findChild<QPushButton*>(QLatin1String(key.Button));
        FillColourChoices(box);
        connect(box, &QComboBox::currentIndexChanged, this, [this, box] { LrcFontLeftColorChange(box); });
        connect(button, &QPushButton::clicked, this, [this, button] { LrcFontLeftButtonClick(button); });
    }
    connect(ui_->Button7, &QPushButton::clicked, this, [this] { Button7Click(); });
    connect(ui_->Button8, &QPushButton::clicked, this, [this] { Button8Click(); });
    for (QRadioButton* radio : {ui_->RadioButton1, ui_->RadioButton2})
        connect(radio, &QRadioButton::clicked, this, [this] { RadioButton1Click(); });
    for (QRadioButton* radio : {ui_->RadioButton3, ui_->RadioButton4})
        connect(radio, &QRadioButton::clicked, this, [this] { RadioButton3Click(); });
    for (QLineEdit* edit : {ui_->LrcAlignTop, ui_->LrcAlignLeft})
        connect(edit, &QLineEdit::textChanged, this, [this, edit] { LrcAlignTopChange(edit); });
}

bool TForm8::FillLyricFilesPage(QString* error) {
    const QString flags = Ctrl->Run ? Ctrl->Run->LrcFileControl : Ctrl->ReadString(kLrcFileControl, QStringLiteral("11000"));
    const std::array<QCheckBox*, kLyricFileBoxes> boxes = {ui_->CheckBox8, ui_->CheckBox4, ui_->CheckBox5,
                                                           ui_->CheckBox6, ui_->CheckBox7};
    for (int i = 0; i < kLyricFileBoxes; ++i) {
        const std::optional<bool> on = FlagAt(flags, i);
        if (!on) {
            *error = QStringLiteral("LrcFileControl的第%1个字符不是数字：%2").arg(i + 1).arg(flags);
            return false;
        }
        boxes[i]->setChecked(*on);
    }
    ui_->Edit1->setText(Ctrl->ReadString(QStringLiteral("LrcFilePath"), QString()));
    return true;
}

void TForm8::FillLyricTimingPage() {
    ui_->CheckBox9->setChecked(Ctrl->ReadBool(QStringLiteral("LrcUseLiteral"), true));
    ui_->CheckBox10->setChecked(Ctrl->ReadBool(QStringLiteral("LrcUseCorrectTime"), true));
    QFont font = ui_->Label13->font();
    font.setStrikeOut(!ui_->CheckBox10->isChecked());
    ui_->Label13->setFont(font);
    ui_->TrackBar1->setValue(Ctrl->ReadInteger(QStringLiteral("LrcCorrectTime"), 0) / 100 + 65);
    // Once as a change: the label is set and the stored time becomes a whole step in range.
    Loading = 0;
    TrackBar1Change(ui_->TrackBar1->value());
    Loading = 1;
}

void TForm8::ShowFontLabel() {
    ui_->Label7->setText(QStringLiteral("%1,%2号,%3")
                             .arg(Ctrl->ReadString(QStringLiteral("LrcFontName"), QStringLiteral("宋体")))
                             .arg(Ctrl->ReadInteger(QStringLiteral("LrcFontSize"), 18))
                             .arg(Ctrl->ReadString(QStringLiteral("LrcFontStyle"), QStringLiteral("粗体"))));
}

void TForm8::FillLyricLookPage() {
    for (const ColourKey& key : kColourKeys)
        SetBoxColour(findChild<QComboBox*>(QLatin1String(key.Box)),
                     quint32(Ctrl->ReadInteger(QLatin1String(key.Box), int(key.Default))));
    ShowFontLabel();
    ui_->LrcBackgroundImage->setText(Ctrl->ReadString(QStringLiteral("LrcBackgroundImage"), QString()));
    const bool picture = Ctrl->ReadBool(QStringLiteral("LrcUseBackgroundImage"), false);
    ui_->RadioButton2->setChecked(picture);
    ui_->RadioButton1->setChecked(!picture);
    const bool automatic = Ctrl->ReadBool(QStringLiteral("LrcAlignAuto"), true);
    ui_->RadioButton4->setChecked(automatic);
    ui_->RadioButton3->setChecked(!automatic);
    ui_->LrcAlignTop->setText(Ctrl->ReadString(QStringLiteral("LrcAlignTop"), QStringLiteral("0")));
    ui_->LrcAlignLeft->setText(Ctrl->ReadString(QStringLiteral("LrcAlignLeft"), QStringLiteral("0")));
    UpdateLyricLookEnabling();
}

void TForm8::UpdateLyricLookEnabling() {
    const bool colour = ui_->RadioButton1->isChecked();
    ui_->LrcBackgroundColor->setEnabled(colour);
    ui_->LrcBackgroundButton->setEnabled(colour);
    ui_->LrcBackgroundImage->setEnabled(!colour);
    ui_->Button8->setEnabled(!colour);
    const bool custom = ui_->RadioButton3->isChecked();
    ui_->LrcAlignTop->setEnabled(custom);
    ui_->LrcAlignLeft->setEnabled(custom);
}

void TForm8::CheckBox6Click() {
    if (Loading) return;
    QString flags;
    for (const QCheckBox* box : {ui_->CheckBox8, ui_->CheckBox4, ui_->CheckBox5, ui_->CheckBox6, ui_->CheckBox7})
        flags += box->isChecked() ? u'1' : u'0';
    if (Ctrl->Run) Ctrl->Run->LrcFileControl = flags;
    Ctrl->WriteString(kLrcFileControl, flags);
}

void TForm8::Button4Click() {
    PickFolderSetting(Ctrl->ReadString(QStringLiteral("LrcFilePath"), QString()), QStringLiteral("请选择动态歌词存放的路径"),
                      false, QStringLiteral("LrcFilePath"));
    ui_->Edit1->setText(Ctrl->ReadString(QStringLiteral("LrcFilePath"), QString()));
}

void TForm8::CheckBox9Click() {
    if (Loading) return;
    const bool wordByWord = ui_->CheckBox9->isChecked();
    Ctrl->WriteBool(QStringLiteral("LrcUseLiteral"), wordByWord);
    TLrcCtrl* lyrics = Lyrics();
    if (!lyrics) return;
    lyrics->WipeColumn = -1;
    lyrics->WordWipe = wordByWord;
    if (!wordByWord) lyrics->DrawLines();
}

void TForm8::CheckBox10Click() {
    if (Loading) return;
    const bool correct = ui_->CheckBox10->isChecked();
    QFont font = ui_->Label13->font();
    font.setStrikeOut(!correct);
    ui_->Label13->setFont(font);
    Ctrl->WriteBool(QStringLiteral("LrcUseCorrectTime"), correct);
    if (TLrcCtrl* lyrics = Lyrics()) lyrics->Correction = correct ? Ctrl->ReadInteger(QStringLiteral("LrcCorrectTime"), 0) : 0;
}

void TForm8::TrackBar1Change(int position) {
    if (Loading) return;
    const int ms = position * 100 - 6500;  // positive: the lines come earlier
    if (ms == 0)
        ui_->Label13->setText(QStringLiteral("默认"));
    else if (ms > 0)
        ui_->Label13->setText(QStringLiteral("提前%1毫秒").arg(ms));
    else
        ui_->Label13->setText(QStringLiteral("滞后%1毫秒").arg(-ms));
    Ctrl->WriteInteger(QStringLiteral("LrcCorrectTime"), ms);
    if (ui_->CheckBox10->isChecked())
        if (TLrcCtrl* lyrics = Lyrics()) lyrics->Correction = ms;
}

void TForm8::LrcFontLeftColorChange(QComboBox* box) {
    if (Loading || box->currentIndex() < 0) return;
    Ctrl->WriteInteger(box->objectName(), int(BoxColour(box)));
    PushLook();
}

void TForm8::LrcFontLeftButtonClick(QPushButton* button) {
    QComboBox* box = nullptr;
    for (const ColourKey& key : kColourKeys)
        if (button->objectName() == QLatin1String(key.Button)) box = findChild<QComboBox*>(QLatin1String(key.Box));
    if (!box) return;
    const QColor start = FromWindowsColour(BoxColour(box));
    std::optional<QColor> chosen;
    if (AskColour) {
        chosen = AskColour(start);
    } else {
        const QColor picked = QColorDialog::getColor(start, this);
        if (picked.isValid()) chosen = picked;
    }
    if (chosen && chosen->isValid()) {
        const quint32 colour = WindowsColour(*chosen);
        {
            // One write for the pick, not a second one from the box's own change.
            const QSignalBlocker quiet(box);
            SetBoxColour(box, colour);
        }
        Ctrl->WriteInteger(box->objectName(), int(colour));
    }
    PushLook();
}

void TForm8::Button7Click() {
    QFont start(Ctrl->ReadString(QStringLiteral("LrcFontName"), QStringLiteral("宋体")));
    start.setPointSize(std::clamp(Ctrl->ReadInteger(QStringLiteral("LrcFontSize"), 18), 1, 1000));
    const QString style = Ctrl->ReadString(QStringLiteral("LrcFontStyle"), QStringLiteral("粗体"));
    start.setBold(style == u"粗体" || style == u"粗斜体");
    start.setItalic(style == u"斜体" || style == u"粗斜体");
    std::optional<QFont> chosen;
    if (AskFont) {
        chosen = AskFont(start);
    } else {
        bool accepted = false;
        const QFont picked = QFontDialog::getFont(&accepted, start, this);
        if (accepted) chosen = picked;
    }
    if (!chosen) return;
    Ctrl->WriteString(QStringLiteral("LrcFontStyle"), StyleWord(*chosen));
    Ctrl->WriteString(QStringLiteral("LrcFontName"), chosen->family());
    Ctrl->WriteInteger(QStringLiteral("LrcFontSize"), chosen->pointSize() > 0 ? chosen->pointSize() : 18);
    ShowFontLabel();
    TLrcCtrl* lyrics = Lyrics();
    if (!lyrics) return;
    lyrics->ApplySettings(ReadLrcSettings(*Ctrl), true);
    lyrics->State = 2;
    lyrics->NextChange = -1;
    // The lines are drawn in the video window; it may have gone with a rebuilt skin.
    if (Form4) Form4->IniFormSize();
}

void TForm8::Button8Click() {
    const QString current = ui_->LrcBackgroundImage->text();
    const QString folder = current.isEmpty() ? QString() : QFileInfo(current).absolutePath();
    const QString file = AskPicture ? AskPicture(folder)
                                    : QFileDialog::getOpenFileName(this, QString(), folder,
                                                                   QStringLiteral("*.jpg;*.jpeg;*.bmp (*.jpg *.jpeg *.bmp)"));
    if (file.isEmpty()) return;
    ui_->LrcBackgroundImage->setText(file);
    Ctrl->WriteString(QStringLiteral("LrcBackgroundImage"), file);
    if (Ctrl->ReadBool(QStringLiteral("LrcUseBackgroundImage"), false)) PushBackground();
}

void TForm8::RadioButton1Click() {
    if (Loading) return;
    Ctrl->WriteBool(QStringLiteral("LrcUseBackgroundImage"), ui_->RadioButton2->isChecked());
    UpdateLyricLookEnabling();
    PushBackground();
}

void TForm8::RadioButton3Click() {
    if (Loading) return;
    Ctrl->WriteBool(QStringLiteral("LrcAlignAuto"), ui_->RadioButton4->isChecked());
    UpdateLyricLookEnabling();
    PushAlignment();
}

void TForm8::LrcAlignTopChange(QLineEdit* edit) {
    if (Loading) return;
    KeepDigits(edit);
    Ctrl->WriteString(edit->objectName(), edit->text());
    PushAlignment();
}
