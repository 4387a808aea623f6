// The operations some commands call that belong to other areas of the player (dialogs, lyrics,
// the frame-grabbing engine, display animations, the station browser's editors). The program
// installs an implementation when those areas exist; here every call does nothing. The player's
// own areas are in TPlayerTargets.
#pragma once

#include <QRect>
#include <QString>
#include <memory>

class QWidget;

// A piece of work done in short steps, so the event loop runs between them.
class TSetupSteps {
public:
    virtual ~TSetupSteps() = default;
    // True once no step is left.
    virtual bool Done() const = 0;
    // Runs the next step; nothing once none is left.
    virtual void Next() = 0;
    // True while every step run so far did what it had to.
    virtual bool Succeeded() const = 0;
};

class TCommandTargets {
public:
    virtual ~TCommandTargets() = default;

    // Dialogs.
    // The settings dialog; page < 0 keeps the page it shows.
    virtual void ShowSettingsPage(int /*page*/) {}
    // The about box, shown modally.
    virtual void ShowAbout() {}
    // The RealAudio file types and protocols taken away from the player's associations (the
    // RealAudio engine cannot be made).
    virtual void RemoveRealAssociations() {}
    // The folder picker; true when the user confirmed a folder, which is then
    // stored under DefaultFolder.
    virtual bool PickFolder(const QString& /*startFolder*/, const QString& /*caption*/) { return false; }
    // The address dialog, which adds and plays the address itself.
    virtual void OpenAddress() {}
    // File information of the selected entry, shown modally.
    virtual void ShowFileInformation() {}
    // The add-to-favourites dialog with its proposed name.
    virtual void AddToFavourites(const QString& /*title*/) {}
    // The links a web page handed over ("<ALL>"), offered in a dialog of their own.
    virtual void ShowLinkList(const QString& /*argument*/) {}
    // The set-up start-up runs for a new install folder (associations, browser entries,
    // shortcuts), as steps to run one at a time from the event loop; null when there is nothing
    // to set up (without the dialogs).
    virtual std::unique_ptr<TSetupSteps> FirstRunSetup() { return nullptr; }
    // A skin archive handed to the player, copied into the skins folder under fileName: its
    // entry of the settings dialog's skin list is installed and the skin reloaded.
    virtual void ApplyHandedSkin(const QString& /*fileName*/) {}
    // Open a document with the desktop's viewer.
    virtual void OpenDocument(const QString& /*path*/) {}

    // Display operations.
    // Every skinned window on top of others or not.
    virtual void SetWindowsOnTop(bool /*onTop*/) {}
    // A window to the tray (hide) or back from it.
    virtual void AnimateToTray(QWidget* /*window*/, bool /*hide*/) {}
    // The video window at left, top, width, height, with its frame laid out.
    virtual void SetVideoBounds(const QRect& /*bounds*/) {}
    // A press and release of a main-window button region.
    virtual void ClickRegion(const QString& /*name*/) {}
    // The taskbar hidden while the video fills the screen.
    virtual void HideTaskbar(bool /*hide*/) {}

    // Lyrics.
    // Whether a lyrics object is loaded.
    virtual bool LyricsLoaded() const { return false; }
    // Look for and load the lyrics of the current track.
    virtual void LoadLyrics() {}
    // Word-by-word wiping on or off for the loaded lyrics.
    virtual void SetLyricsLiteral(bool /*on*/) {}

    // The frame-grabbing engine object.
    // Whether it exists.
    virtual bool FrameEngineExists() const { return false; }
    // The width its video window reports; 0 when frames go through the grabber.
    virtual int FrameEngineVideoWidth() const { return 0; }
    // The extension of the file it plays, lower case, without the dot.
    virtual QString FrameEngineExtension() const { return QString(); }
    // Frames through the grabber (true) or the engine's own window.
    virtual void SetRatePriority(bool /*grabber*/) {}
    // The MPEG audio decoder's channel mode.
    virtual void SetAudioMode(int /*mode*/) {}
    // The frame filters read the VideoControl flags again.
    virtual void ReloadFrameFilters() {}

    // A preset into the equaliser.
    virtual void LoadEqPreset(int /*index*/) {}
    // The station editors of the browser.
    virtual void BrowserAddItem() {}
    virtual void BrowserEditItem() {}
    virtual void BrowserDeleteItem() {}
};
