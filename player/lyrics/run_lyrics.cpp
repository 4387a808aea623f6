// The playback controller's lyrics steps: loading the current entry's lyrics into the video
// window and the lyrics timer.
#include "player/lyrics/run_lyrics.h"

#include <QFileInfo>
#include <algorithm>
#include <climits>

#include "player/core/ctrl.h"
#include "player/display/display.h"
#include "player/playback/run.h"
#include "player/playlist/playlist_box.h"
#include "player/video/form4.h"

TLrcSettings ReadLrcSettings(const TCtrl& ctrl) {
    TLrcSettings s;
    s.FontName = ctrl.ReadString(QStringLiteral("LrcFontName"), s.FontName);
    s.FontSize = ctrl.ReadInteger(QStringLiteral("LrcFontSize"), s.FontSize);
    s.FontStyle = ctrl.ReadString(QStringLiteral("LrcFontStyle"), s.FontStyle);
    auto colour = [&ctrl](const char* key, quint32 def) {
        return quint32(ctrl.ReadInteger(QString::fromLatin1(key), int(def)));
    };
    s.FontLeftColor = colour("LrcFontLeftColor", s.FontLeftColor);
    s.FontRightColor = colour("LrcFontRightColor", s.FontRightColor);
    s.FrameLeftColor = colour("LrcFrameLeftColor", s.FrameLeftColor);
    s.FrameRightColor = colour("LrcFrameRightColor", s.FrameRightColor);
    s.BackgroundColor = colour("LrcBackgroundColor", s.BackgroundColor);
    s.AlignAuto = ctrl.ReadBool(QStringLiteral("LrcAlignAuto"), s.AlignAuto);
    s.AlignTop = ctrl.ReadInteger(QStringLiteral("LrcAlignTop"), s.AlignTop);
    s.AlignLeft = ctrl.ReadInteger(QStringLiteral("LrcAlignLeft"), s.AlignLeft);
    s.UseBackgroundImage = ctrl.ReadBool(QStringLiteral("LrcUseBackgroundImage"), s.UseBackgroundImage);
    s.BackgroundImage = ctrl.ReadString(QStringLiteral("LrcBackgroundImage"), s.BackgroundImage);
    return s;
}

void TRun::LoadLyrics() {
    if (!Ctrl || !ListBox1 || Index < 0 || Index >= ListBox1->Count()) return;
    const QString song = EntryPath(ListBox1->Item(Index));
    const lyrics::TLrcSearch search{LrcFileControl, Ctrl->ReadString(QStringLiteral("LrcFilePath"), QString())};
    lyrics::TLrcData data;
    if (!LrcCtrl) {
        if (!lyrics::LoadSongLyrics(song, search, Length, &data)) return;
    } else if (lyrics::FindLyricsFile(song, search, [](const QString& f) { return QFileInfo(f).isFile(); }).isEmpty()) {
        return;
    }
    if (!Form4) Ctrl->Display->BuildVideoWindow(true);
    if (!Form4) return;
    Form4->show();
    VideoOpen = true;
    if (!LrcCtrl) {
        LrcCtrl = new TLrcCtrl(Form4, this);
        LrcCtrl->SetLyrics(std::move(data));
    }
    if (!LyricsTimer) {
        LyricsTimer = new QTimer(this);
        LyricsTimer->setInterval(100);
        connect(LyricsTimer, &QTimer::timeout, this, &TRun::LyricsTimerTick);
    }
    LrcCtrl->SetWindow(Form4);
    LrcCtrl->WindowGrown = [] {
        if (Ctrl && Ctrl->Display) Ctrl->Display->BuildVideoWindow(false);
    };
    // Normal size fits the lines in the font of the moment: a font chosen later sets it again.
    LrcCtrl->VideoSizeSet = [this](QSize size) {
        VideoWidth = size.width();
        VideoHeight = size.height();
    };
    const TLrcSettings settings = ReadLrcSettings(*Ctrl);
    LrcCtrl->LoadBackground(settings);
    LrcCtrl->ApplySettings(settings, false);
    LrcCtrl->ResetLines();
    const bool correct = Ctrl->ReadBool(QStringLiteral("LrcUseCorrectTime"), true);
    LrcCtrl->Correction = correct ? Ctrl->ReadInteger(QStringLiteral("LrcCorrectTime"), 0) : 0;
    LrcCtrl->WordWipe = Ctrl->ReadBool(QStringLiteral("LrcUseLiteral"), true);
    ProgressTimerObj->setInterval(100);
    // The window takes the size of the lyrics in the stored screen mode.
    Form4->IniFormSize();
    if (!Form4 || !LrcCtrl) return;
    LyricsTimer->start();
    Form4->update();
}

void TRun::LyricsTimerTick() {
    // The lyrics went with a rebuilt video window: a timer left running has nothing to drive.
    if (!LrcCtrl) {
        if (LyricsTimer) LyricsTimer->stop();
        return;
    }
    LrcCtrl->Tick(int(std::clamp<qint64>(qint64(Position) + LrcCtrl->Correction, INT_MIN, INT_MAX)));
}
