// TForm1: the main window "dispForm1". It owns the tray icon, creates the controller, takes the
// hand-over of a second start and dropped files, and saves everything when it closes.
#pragma once

#include <QMenu>
#include <QPointer>
#include <QProcess>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <memory>

#include "menupainter/xp_menu.h"
#include "platform/session.h"
#include "platform/tray_icon.h"
#include "player/skin/skin_window.h"

namespace Ui {
class TForm1;
}
class TCtrl;
class TSetupSteps;

inline constexpr quint32 WM_HANDOVER = 1001;
inline constexpr quint32 WM_TRAYICON = 1024;
inline const QString kClosingCaption = QStringLiteral("正在退出...");

// The window shows its skin picture through TSkinWindow; its repaint handler is the display's
// PaintMain.
class TForm1 : public TSkinWindow {
    Q_OBJECT
public:
    // installFolder overrides the program's folder (tests); empty means the program's own.
    // startArgument is the program's first argument: it joins the list loaded at start.
    explicit TForm1(const QString& installFolder = QString(), const QString& startArgument = QString());
    ~TForm1() override;

    QString Caption() const { return caption_; }
    // The caption set by the close query; a running folder scan watches for it and stops.
    bool Closing() const { return caption_ == kClosingCaption; }
    void SetCaption(const QString& caption);

    void init() {}
    void WMHandOver(platform::Atom atom);
    void WMTrayIcon(int mouseMessage);
    void finishDropped(const QStringList& paths);
    void FormCloseQuery();
    void FormClose();
    // The play-state picture (1 playing or stopped, 2 waiting, 3 paused) for the tray icon and
    // the application.
    void SetStateIcon(int picture);
    QIcon TrayPicture() const { return tray_.Icon(); }
    // Added once the window has painted.
    const platform::TrayIcon& TrayIcon() const { return tray_; }
    // True from the start of a new install (or one whose set-up failed) until its desktop set-up
    // has ended: it runs after the window's first paint, the file types' database after it.
    bool FirstRunSetupPending() const;

    quint8 AppOnTop = 0;
    // Set when the close comes from outside (a signal, the session's end): no box may block it.
    bool QuietClose = false;
    QMenu* PopupMenu1;
    QMenu* PopupMenu2;
    QMenu* PopupMenu3;
    // Paints the pop-up menus flat once the menu object has built one; owned by this window.
    menupainter::TXPMenu* XPMenu1;
    QTimer* Timer1;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate(const QString& installFolder, const QString& startArgument);
    // Adds the waiting arguments in turn; bringUp brings the main window up after each, as a
    // hand-over does.
    void AddHandedOver(bool bringUp);
    void AddArgument(const QString& text);
    void ShowSideWindows();
    void FormShow();
    void RunFirstRunSetup();
    void RunFirstRunSetupStep();
    void RecordFirstRunSetup();
    void DropFirstRunSetupSteps();
    void FinishFirstRunSetup();
    void Timer1Timer();
    qintptr HandleMessage(quint32 msg, quintptr wParam, qintptr lParam);
    bool SaveOnClose(QStringList* failures);

    std::unique_ptr<Ui::TForm1> ui_;
    // The controller lives as long as this window; the global Ctrl only points at it.
    std::unique_ptr<TCtrl> ctrl_;
    // Arguments waiting to be added: those that arrive before the saved list is loaded (or the
    // load would drop them), and hand-overs, which are added after the reply to their sender.
    QStringList handedOver_;
    bool listLoaded_ = false;
    // A start that plays at once: its first showing leaves the equaliser and the playlist for later.
    bool soundFirst_ = false;
    QString caption_;
    platform::SessionWindow session_;
    platform::TrayIcon tray_;
    QObject* dropTarget_ = nullptr;  // made at the first show, owned by the window
    bool closed_ = false;
    int statePicture_ = 1;  // the tray starts with picture 1
    QPointer<QObject> firstRunSetup_;  // waiting for the first paint, then running
    bool setUpStarted_ = false;
    // The set-up's steps, one run each time the loop has handled what came meanwhile.
    std::unique_ptr<TSetupSteps> setUpSteps_;
    QTimer* setUpStepTimer_ = nullptr;
    bool setUpStepRunning_ = false;
    bool setUpRebuildWanted_ = false;  // a step changed the file types' package
    QPointer<QProcess> mimeRebuild_;  // the set-up's database rebuild, while it runs
};

// The main window; null until created.
extern QPointer<TForm1> Form1;
