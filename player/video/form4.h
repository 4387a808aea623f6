// TForm4: the video window "dispForm4", a borderless skinned window that shows the video picture
// and the lyrics inside the skin's video frame. The video window builder of the display creates,
// places and frames it; this class adds its tray icon, its shortcut keys, the menu on a right
// press over the picture and the panels kept below it while it fills the screen.
#pragma once

#include <QLineEdit>
#include <QMenu>
#include <QTimer>
#include <memory>

#include "platform/tray_icon.h"
#include "player/skin/skin_window.h"

namespace Ui {
class TForm4;
}

class TForm4 : public TSkinWindow {
    Q_OBJECT
public:
    explicit TForm4(QWidget* parent = nullptr);
    ~TForm4() override;

    // The invisible edit that holds the focus and receives the keys (the application's key hook
    // hands them to SkinKeyDown).
    QLineEdit* Edit1;
    // The short delay before menu 2 opens after a right click (10 ms, one shot), so the press
    // has finished before the menu runs its own loop.
    QTimer* Timer1;
    // Never shown: it carries the window's keyboard shortcuts.
    QMenu* PopupMenu1;
    // Cleared by the minimise path just before it hides the window, so the tray icon stays.
    bool RemoveIconOnHide = true;

    void SetTrayIcon(bool add);
    void HideTaskbar(bool hide);
    // The stored screen mode through the menu commands: normal size for modes 1, 3, 4.
    void IniFormSize();
    // The shortcut items from the hotkey lines of Plugins/MenuPlus.ini valid in this window.
    void BuildPopupMenu();
    const platform::TrayIcon& TrayIcon() const { return *tray_; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void childEvent(QChildEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormShow();
    void FormActivate();
    void FormDeactivate();
    void WMTrayIcon(int mouseMessage);
    void Timer1Timer();
    void ClearPopupMenu();
    bool FillsScreen(bool atOrigin) const;

    std::unique_ptr<Ui::TForm4> ui_;
    platform::TrayIcon* tray_;
};
