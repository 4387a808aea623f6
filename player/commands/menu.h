// TmMenu: the pop-up menus, built from Plugins/MenuPlus.ini at their first pop-up, and the
// dispatcher that runs every command ("menu.item") from a menu click, a hotkey or a skin button.
// Building lives in menu_build.cpp, item states in menu_items.cpp, hotkeys in menu_hotkeys.cpp,
// the command rows in menu_commands.cpp (menus 0, 1), menu_video.cpp (menu 2) and
// menu_playlist.cpp (menus 3 to 8).
#pragma once

#include <QList>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <memory>

#include "player/commands/command_targets.h"

class QAction;
class QMenu;
class QWidget;

class TmMenu : public QObject {
    Q_OBJECT
public:
    TmMenu();
    ~TmMenu() override;

    // Shows menu "1" to "8" at a screen point, building it first when it is empty. The menu that
    // went up, for a caller that waits for it to close; null when none did.
    QMenu* PopupAt(const QString& menu, const QPoint& screenPos);
    // Fills `popup` with the items of menu number `menu`; false when the file could not be read
    // or a line gave an invalid item name (the items before it stay).
    bool BuildMenu(QMenu* popup, const QString& menu);
    // Checked, enabled or visible state of one built item from the player's state now.
    void UpdateItem(QAction* item);
    // Runs a command given as text; anything without a "." after its first character is ignored.
    void Execute(const QString& command);
    // The click handler of every built item: runs the pending command, or the item's own.
    void DoCommand(const QAction* sender);

    // The pop-up menu that shows menu `number` (the main window's, or the menu's own before the
    // main window exists).
    QMenu* PopupMenu(int number);
    // Drops the built menus so the next pop-up reads the file again.
    void DropMenus();

    // Reads Plugins/MenuPlus.ini; a failed read is shown in a box and remembered with the file's
    // state then.
    bool ReadMenuFile(QStringList* lines);
    // Whether the last read failed and the file still looks as it did then (one look, no read),
    // so a key press neither reads it again nor shows the same error once more.
    bool MenuFileStillFailing() const;

    void SetTargets(std::unique_ptr<TCommandTargets> targets);
    TCommandTargets& Targets() { return *targets_; }

    QString Pending;     // a command left by Execute for DoCommand
    QString LastShared;  // the menu number last built into the shared pop-up
    QList<QAction*> Items;  // the build in progress, in creation order (null: added nowhere)

private:
    // menu_build.cpp
    QAction* NewItem(QMenu* popup, const QString& name, const QString& caption);
    bool AddChild(QMenu* popup, int parentIndex, int index);
    bool PlaceItem(QMenu* popup, QChar level, int counter, int& lastTop, int& lastSecond);
    void AddFavouritesMenu(QMenu* popup, int& counter, int lastTop);
    // menu_items.cpp
    void UpdateVideoMenuItem(QAction* item, int number);
    void DoCommandFor(const QString& itemName, const QString& favourite);
    // Dispatch by menu (menu_commands.cpp, menu_video.cpp, menu_playlist.cpp).
    void RunCommand(const QString& command, const QString& favourite);
    bool PreconditionHolds(int menu);
    void RunHotkeyOnly(int item);
    void RunMainMenu(int item, const QString& favourite);
    void RunMainMenuWindows(int item, const QString& favourite);
    void RunVideoOptions(int item);
    void OpenFavourite(const QString& favourite);
    void ToggleVideoWindow();
    void ToggleBrowser();
    void RunVideoMenu(int item);
    void SizeVideoWindow(int item);
    void RunPlaylistMenu(int menu, int item);
    void DeleteSelectedEntry();
    void RemoveEntries(int filter);
    void ShowSettingsPage(int page, bool fromVideoMenu);
    void StepVolume(int delta);
    void MoveRow(int item);

    std::unique_ptr<TCommandTargets> targets_;
    QPointer<QMenu> ownMenus_[3];
    QString failedStamp_;  // the menu file's state at the last failed read; empty after a good one
};

// The hotkey table: three strings per hotkey line (command id, scope text, key text), read from
// the file at the first key press. Null in the controller until then, and after a failed read;
// keys then do nothing, and say nothing, until the file changes.
void LoadHotkeys();
// "Shift+", "Alt+", "Ctrl+" prefixes (any case and order) and a key name to the table's key text:
// three digits for Shift, Alt, Ctrl and the key name in upper case ("Ctrl+F5" gives "001F5").
QString HotkeyKeyText(const QString& hotkey);
// The skinned window a key reached (its window scope) runs the first table line for that key
// whose scope includes it. `window` is the window the key was pressed in. True when a command ran.
bool SkinKeyDown(QWidget* window, quint16 key, bool shift, bool alt, bool ctrl);
// 0 main, 1 playlist, 2 equaliser, 3 video, 4 station browser; -1 for any other window.
int SkinWindowScope(const QWidget* window);
// Hands the key presses of the skinned windows to SkinKeyDown (once for the application).
void InstallSkinKeyHook();
