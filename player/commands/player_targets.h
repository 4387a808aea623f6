// The command targets the player itself provides: lyrics, the button regions, window placement,
// the station browser's editors.
// The dialogs, which live above the player, extend this and are installed by the program.
#pragma once

#include <functional>
#include <memory>

#include "player/commands/command_targets.h"

class TPlayerTargets : public TCommandTargets {
public:
    void SetWindowsOnTop(bool onTop) override;
    void AnimateToTray(QWidget* window, bool hide) override;
    void SetVideoBounds(const QRect& bounds) override;
    void ClickRegion(const QString& name) override;
    void HideTaskbar(bool hide) override;
    bool LyricsLoaded() const override;
    void LoadLyrics() override;
    void SetLyricsLiteral(bool on) override;
    void LoadEqPreset(int index) override;
    bool FrameEngineExists() const override;
    int FrameEngineVideoWidth() const override;
    QString FrameEngineExtension() const override;
    void SetRatePriority(bool grabber) override;
    void SetAudioMode(int mode) override;
    void ReloadFrameFilters() override;
    // The station editors of the browser, when it is open.
    void BrowserAddItem() override;
    void BrowserEditItem() override;
    void BrowserDeleteItem() override;
    // A document with the desktop's viewer; the help book is our HTML manual.
    void OpenDocument(const QString& path) override;
};

// What every new menu object starts with: the program installs a maker of its fuller targets
// (the dialogs) before the main window is created; without one, the player's own.
void SetCommandTargetsMaker(std::function<std::unique_ptr<TCommandTargets>()> maker);
std::unique_ptr<TCommandTargets> MakeCommandTargets();
