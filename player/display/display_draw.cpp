// The live indicators of the main window (play state, time digits, bit rate, scrolling title,
// seek bar) and the repaints of the main, playlist and equaliser windows.
#include <array>

#include "player/skin/canvas.h"
#include "player/core/ctrl.h"
#include "player/display/display.h"
#include "player/app/form1.h"
#include "player/playback/run.h"
#include "player/skin/skin_files.h"
#include "player/skin/skin_frames.h"
#include "player/skin/skin_sprites.h"

namespace {

constexpr int kShadedHeight = 14;
// A title longer than this is cut: the picture holds five pixels per character.
constexpr int kMaxTitleCharacters = 4096;

// The last `places` characters of `value` right-aligned in blanks; zero or less shows blanks.
QString RateText(int value, int places) {
    QString text(places, QLatin1Char(' '));
    if (value > 0) text += QString::number(value);
    return text.right(places);
}

void DrawRate(QImage& target, const QImage& font, int value, int places, int left) {
    const QString text = RateText(value, places);
    for (int i = 0; i < places; ++i) {
        const QChar c = text.at(i);
        const QRect cell = c.isDigit() ? fonts::TextDigitCell(c.digitValue()) : fonts::kBlankCell;
        CopyRect(target, Rect(left + 5 * i, indicators::kRateTop, left + 5 * i + 5, indicators::kRateTop + 6), font, cell);
    }
}

void RunProgressTick() {
    if (Ctrl && Ctrl->Run && Ctrl->Run->Position > 0) Ctrl->Run->ProgressTimer();
}

}  // namespace

void TDisplay::DrawPlayStateCells(int state) {
    using namespace indicators;
    CopyRect(MainBuffer, kPlayStateBlank.Dest, PlaypausBmp, kPlayStateBlank.Source);
    if (state < 0 || state >= int(kPlayState.size())) return;
    for (const TSprite& cell : kPlayState[std::size_t(state)]) CopyRect(MainBuffer, cell.Dest, PlaypausBmp, cell.Source);
}

void TDisplay::SetPlayState(int state) {
    DrawPlayStateCells(state);
    if (Form1) Form1->SetStateIcon(state == 3 ? 2 : state == 2 ? 3 : 1);
    PaintMain();
    if (PlaylistWindow) PaintPlaylist();
}

// The digits go straight onto the windows: the progress timer redraws them every tick, and the
// next repaint of a window wipes what it drew, a minus sign included.
void TDisplay::DrawTime(bool minus, int minuteTens, int secondUnits, int secondTens, int minuteUnits) {
    using namespace indicators;
    const std::array<int, 4> digits{minuteTens, minuteUnits, secondTens, secondUnits};
    if (Form1) {
        if (Form1->height() == kShadedHeight) {
            if (minus) Form1->DrawOnWindow(kShadeTimeMinus.Dest, TextBmp, kShadeTimeMinus.Source);
            for (std::size_t k = 0; k < digits.size(); ++k) {
                const int x = kShadeTimeX[k];
                Form1->DrawOnWindow(Rect(x, kShadeTimeTop, x + 5, kShadeTimeTop + 6), TextBmp,
                                    fonts::TextDigitCell(digits[k]));
            }
        } else {
            if (minus) Form1->DrawOnWindow(kTimeMinus.Dest, NumbersBmp, kTimeMinus.Source);
            for (std::size_t k = 0; k < digits.size(); ++k) {
                const int x = kTimeX[k];
                Form1->DrawOnWindow(Rect(x, kTimeTop, x + 9, kTimeTop + 13), NumbersBmp, fonts::DigitCell(digits[k]));
            }
        }
    }
    TSkinWindow* playlist = SkinSurface(PlaylistWindow);
    if (!playlist || !playlist->isVisible() || playlist->height() == kShadedHeight) return;
    const int w = playlist->width();
    const int top = playlist->height() + kClockTop;
    if (minus) playlist->DrawOnWindow(Rect(w + kClockMinusX, top, w + kClockMinusX + 3, top + 6), TextBmp, kTextMinus);
    for (std::size_t k = 0; k < digits.size(); ++k) {
        const int x = w + kClockX[k];
        playlist->DrawOnWindow(Rect(x, top, x + 5, top + 6), TextBmp, fonts::TextDigitCell(digits[k]));
    }
}

void TDisplay::DrawBitrate(int kbps, int khz) {
    DrawRate(MainBuffer, TextBmp, kbps, 3, indicators::kKbpsX);
    DrawRate(MainBuffer, TextBmp, khz, 2, indicators::kKhzX);
}

void TDisplay::BuildScrollTitle() {
    if (Ctrl->Run->TitleTimerObj) Ctrl->Run->TitleTimerObj->stop();
    delete TitleImage.data();
    QWidget* panel = Form1 ? Form1->findChild<QWidget*>(QStringLiteral("Panel1")) : nullptr;
    if (!panel) return;

    // Characters, not bytes or UTF-16 units: each shows as one cell.
    QList<uint> text = Ctrl->Run->Title.left(kMaxTitleCharacters).toUcs4();
    // A long title enters from the right; every title is followed by a panel's width of blanks.
    if (text.size() > 30) text = QList<uint>(32, uint(' ')) + text;
    text += QList<uint>(30, uint(' '));

    auto* image = new TSkinImage(panel);
    image->setCursor(SkinCursor(1));
    image->Picture = NewBackBuffer(5 * int(text.size()), 6, NormalBG);
    for (qsizetype i = 0; i < text.size(); ++i)
        CopyRect(image->Picture, Rect(5 * int(i), 0, 5 * int(i) + 5, 6), TextBmp, fonts::TextCell(char32_t(text[i])));
    image->setGeometry(0, 0, image->Picture.width(), 6);
    image->show();
    TitleImage = image;
    if (text.size() > 60 && Ctrl->Run->TitleTimerObj) Ctrl->Run->TitleTimerObj->start();
}

void TDisplay::ScrollTitle(int step) {
    TSkinImage* image = TitleImage;
    if (!image) return;
    int left = image->x() - step;
    if (left < indicators::kTitlePanel.width() - image->width()) left = 0;
    image->move(left, image->y());
}

void TDisplay::DrawSeekBar(int pixel) {
    if (!Form1) return;
    using namespace main_frame;
    Form1->DrawOnWindow(kSeekTrack.Dest, PosbarBmp, kSeekTrack.Source);
    Form1->DrawOnWindow(kSeekThumb.Dest.translated(pixel, 0), PosbarBmp, kSeekThumb.Source);
}

void TDisplay::PaintMain() {
    if (!Form1) return;
    Form1->ShowBuffer(MainBuffer);
    LastDrawn = QStringLiteral("dispForm1");
    RunProgressTick();
}

void TDisplay::PaintPlaylist() {
    if (!PlaylistWindow) return;
    if (TSkinWindow* window = SkinSurface(PlaylistWindow)) window->ShowBuffer(PlaylistBuffer);
    LastDrawn = QStringLiteral("dispForm2");
    RunProgressTick();
}

void TDisplay::PaintEqualizer() {
    TSkinWindow* window = SkinSurface(EqualizerWindow);
    if (!window) return;
    window->ShowBuffer(EqualizerBuffer);
    LastDrawn = QStringLiteral("dispForm3");
}
