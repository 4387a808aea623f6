// A private X desktop for one test: Xvfb on a display number of its own, openbox as the window
// manager and trayer as the notification area when the test asks for them, and the real player
// started from a copy of the built install folder with XDG folders of its own. Every wait polls
// for a state and gives up at a bound; everything started is killed when the desktop goes.
#pragma once

#include <QImage>
#include <QProcess>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace desktop {

struct Options {
    bool windowManager = false;  // openbox
    bool tray = false;           // trayer, a panel at the bottom edge holding the tray
    bool sessionBus = false;     // a session bus of the desktop's own, as a desktop session has
};

// A top-level window of the player as the X server sees it.
struct Window {
    unsigned long id = 0;
    QRect place;  // the window itself, in screen coordinates (not the manager's frame)
    bool viewable = false;
    bool iconic = false;      // the window manager holds it minimised
    bool transient = false;   // it belongs to another window
    bool unmanaged = false;   // override-redirect: a menu, a tip
    QString title;
};

class Desktop {
public:
    explicit Desktop(Options options);
    ~Desktop();
    Desktop(const Desktop&) = delete;
    Desktop& operator=(const Desktop&) = delete;

    // Empty when the desktop came up; else what failed.
    QString Error() const { return error_; }
    QString DisplayName() const { return displayName_; }
    QSize ScreenSize() const;
    QString Folder() const { return root_.path(); }
    QString InstallFolder() const { return root_.path() + "/player/"; }

    // Copies the built install folder, writes `setupIni` as its setup.ini and starts the player
    // with `arguments`; waits until its main window shows.
    bool StartPlayer(const QStringList& arguments, const QByteArray& setupIni = {}, bool realMessageBoxes = false);
    qint64 PlayerPid() const { return player_ ? player_->processId() : 0; }
    // Asks the player to end as the session's end does (SIGTERM); true when it ended by itself
    // within `ms` with exit code 0.
    bool StopPlayer(int ms = 10000);
    QString PlayerOutput();

    // The player's top-level windows now (those that were ever mapped).
    std::vector<Window> PlayerWindows() const;
    // The main window, found where the setup placed it when the player started.
    std::optional<Window> MainWindow() const;
    // The playlist, equaliser and browser windows (the skin's other 275-wide windows).
    std::vector<Window> GluedWindows() const;
    // The video window: the player's window of the product's title that is none of those.
    std::optional<Window> VideoWindow() const;
    // A window of the player other than its skinned ones (a dialog, a message box).
    std::optional<Window> DialogWindow() const;
    // A pop-up menu of the player on the screen now.
    std::optional<Window> PopupWindow() const;
    // A window of any process whose title begins with `title`.
    std::optional<Window> WindowTitled(const QString& title) const;
    std::optional<Window> Describe(unsigned long id) const;

    // The window manager's list of the windows it manages (what a taskbar offers), bottom to top.
    std::vector<unsigned long> ManagedStacking() const;
    unsigned long TrayWindow() const;  // trayer's top-level window
    // The player's icon inside the tray, or 0.
    unsigned long TrayIconOfPlayer() const;
    bool HasSkipTaskbar(unsigned long id) const;

    // Polls `condition` every 20 ms until it holds or `ms` pass.
    static bool WaitFor(const std::function<bool()>& condition, int ms = 8000);

    // Synthetic input through xdotool; false when it failed.
    bool Xdotool(const QStringList& arguments) const;
    bool Click(QPoint at, int button = 1) const;
    bool DoubleClick(QPoint at) const;
    bool Drag(QPoint from, QPoint to) const;
    bool Key(const QString& keys, unsigned long window = 0) const;

    // The X server's own screen saver: its delay, and whether it is on now.
    void SetScreenSaverDelay(int seconds) const;
    bool SaverActive() const;

    QImage Grab() const;

private:
    std::vector<Window> PlayerWindowsWhere(bool unmanaged) const;
    bool StartX();
    bool StartWindowManager();
    bool StartTray();
    bool StartSessionBus();
    QProcess* Start(const QString& program, const QStringList& arguments);
    QStringList Environment() const;

    QTemporaryDir root_;
    QString error_;
    QString displayName_;
    QString busAddress_;
    void* x_ = nullptr;  // the test's own connection to the server
    std::vector<std::unique_ptr<QProcess>> helpers_;  // the bus, the server, the manager, the tray
    std::unique_ptr<QProcess> player_;
    mutable unsigned long mainId_ = 0;
    QByteArray playerOutput_;
};

// The Xvfb command for tests that need only a server.
QString XvfbProgram();

}  // namespace desktop
