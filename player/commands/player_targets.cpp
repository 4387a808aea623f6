#include "player/commands/player_targets.h"

#include "player/actions/placement.h"
#include "player/actions/region_actions.h"
#include "player/browser/form5.h"
#include "player/core/ctrl.h"
#include "player/display/display.h"
#include "player/lyrics/lrc_ctrl.h"
#include "player/playback/run.h"
#include "player/video/dspack.h"
#include "player/video/form4.h"
#include "platform/shell_open.h"

namespace {

std::function<std::unique_ptr<TCommandTargets>()>& Maker() {
    static std::function<std::unique_ptr<TCommandTargets>()> maker;
    return maker;
}

}  // namespace

void SetCommandTargetsMaker(std::function<std::unique_ptr<TCommandTargets>()> maker) { Maker() = std::move(maker); }

std::unique_ptr<TCommandTargets> MakeCommandTargets() {
    if (Maker()) {
        if (std::unique_ptr<TCommandTargets> targets = Maker()()) return targets;
    }
    return std::make_unique<TPlayerTargets>();
}

void TPlayerTargets::SetWindowsOnTop(bool onTop) { ::SetWindowsOnTop(onTop); }

void TPlayerTargets::AnimateToTray(QWidget* window, bool hide) { ::AnimateToTray(hide, window); }

void TPlayerTargets::SetVideoBounds(const QRect& bounds) {
    ::SetVideoBounds(bounds.left(), bounds.top(), bounds.width(), bounds.height());
}

void TPlayerTargets::ClickRegion(const QString& name) { ::ClickRegion(name); }

void TPlayerTargets::HideTaskbar(bool hide) {
    if (Form4) Form4->HideTaskbar(hide);
}

bool TPlayerTargets::LyricsLoaded() const { return Ctrl && Ctrl->Run && Ctrl->Run->LrcCtrl; }

void TPlayerTargets::LoadLyrics() {
    if (Ctrl && Ctrl->Run) Ctrl->Run->LoadLyrics();
}

void TPlayerTargets::SetLyricsLiteral(bool on) {
    if (!LyricsLoaded()) return;
    TLrcCtrl& lyrics = *Ctrl->Run->LrcCtrl;
    // The wipe starts again from the line's start with the new rule.
    lyrics.WipeColumn = -1;
    lyrics.WordWipe = on;
    if (!on) lyrics.DrawLines();
}

void TPlayerTargets::LoadEqPreset(int index) {
    if (Ctrl && Ctrl->Run) Ctrl->Run->LoadEqPreset(index);
}

namespace {

TDspack* FrameEngine() { return Ctrl && Ctrl->Run ? RunDspack(Ctrl->Run.get(), false) : nullptr; }

}  // namespace

bool TPlayerTargets::FrameEngineExists() const { return FrameEngine() != nullptr; }

int TPlayerTargets::FrameEngineVideoWidth() const {
    const TDspack* engine = FrameEngine();
    return engine && !engine->FiltersOn() ? engine->VideoSize.width() : 0;
}

QString TPlayerTargets::FrameEngineExtension() const {
    const TDspack* engine = FrameEngine();
    return engine ? engine->Extension.mid(1) : QString();
}

void TPlayerTargets::SetRatePriority(bool grabber) {
    if (TDspack* engine = FrameEngine()) engine->SetRatePriority(grabber ? 1 : 0);
}

void TPlayerTargets::SetAudioMode(int mode) {
    if (TDspack* engine = FrameEngine()) engine->SetAudioMode(mode);
}

void TPlayerTargets::ReloadFrameFilters() {
    if (TDspack* engine = FrameEngine()) engine->ReloadSettings();
}

void TPlayerTargets::BrowserAddItem() {
    if (Form5) Form5->AddItem();
}

void TPlayerTargets::BrowserEditItem() {
    if (Form5) Form5->EditItem();
}

void TPlayerTargets::BrowserDeleteItem() {
    if (Form5) Form5->DeleteItem();
}

void TPlayerTargets::OpenDocument(const QString& path) { platform::ShellOpen(platform::HelpPage(path)); }
