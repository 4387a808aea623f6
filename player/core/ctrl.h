// TCtrl: the one controller of the player. It holds the install folder, the settings store, the
// decoder extension lists and the mouse-press state, and owns the display, playback and menus.
#pragma once

#include <QString>
#include <QStringList>
#include <memory>

#include "player/core/settings_store.h"

class QTimer;
class TDisplay;
class TRun;
class TmMenu;

class TCtrl {
public:
    TCtrl();
    ~TCtrl();
    TCtrl(const TCtrl&) = delete;
    TCtrl& operator=(const TCtrl&) = delete;

    // Fills the controller in its fixed order. installFolder overrides the program's folder
    // (tests); it must end in "/".
    void Init(const QString& installFolder = QString());

    QString ReadString(const QString& name, const QString& def) const { return Settings.ReadString(name, def); }
    bool ReadBool(const QString& name, bool def) const { return Settings.ReadBool(name, def); }
    int ReadInteger(const QString& name, int def) const { return Settings.ReadInteger(name, def); }
    // Each write reaches setup.ini shortly after, so a setting the user changed survives a crash
    // or a killed session; the save at close ends that (later writes stay in memory only).
    void WriteString(const QString& name, const QString& value);
    void WriteBool(const QString& name, bool value);
    void WriteInteger(const QString& name, int value);
    void StopSavingChanges();
    // Writes the store to setup.ini now (the close). A file that could not be read at start is
    // left alone: true, with nothing written (the user was told at start).
    bool SaveSettings(QString* error);

    void ReadDecoderLists();
    // Volume 0..100 and balance -100..100 from the sound devices, and back to them (or to the
    // audio-CD plug-ins while they play).
    void ReadVolume();
    void ReadBalance();
    void ApplyVolume();

    QString MouseCaption;
    QString Decode0List;
    QString Decode5List;
    QString Decode1List;
    QString Decode2List;
    QString Decode3List;
    QString Decode4List;
    int DragX = -1;
    int DragY = -1;
    quint8 SeekDragging = 0;
    int Volume = 0;
    int Balance = 0;
    std::unique_ptr<TDisplay> Display;
    std::unique_ptr<TRun> Run;
    std::unique_ptr<TmMenu> Menu;
    std::unique_ptr<QStringList> Hotkeys;  // built on first use; null until then
    TSettingsStore Settings;
    QString InstallFolder;  // always ends in "/"
    quint8 SkinCursors = 0;

private:
    void SaveSoon();
    void LoadSettings();
    std::unique_ptr<QTimer> saveTimer_;
    // False when setup.ini exists but could not be read at start: this run never writes it.
    bool settingsWritable_ = true;
};

// The controller of the main window that exists, or null; the main window owns it.
extern TCtrl* Ctrl;
