#include "tests/desktop/desktop_session.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcessEnvironment>
#include <QThread>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/scrnsaver.h>

namespace desktop {
namespace {

constexpr int kStartMs = 15000;
constexpr int kCommandMs = 10000;
// Where the setup puts the main window, which finds it among the player's windows.
constexpr QPoint kMainPlace{150, 110};

Display* X(void* x) { return static_cast<Display*>(x); }

// The X errors of a window that went away between two requests are expected here.
int IgnoreErrors(Display*, XErrorEvent*) { return 0; }

std::vector<unsigned long> Property(Display* x, unsigned long window, const char* name, Atom type) {
    Atom actualType = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::vector<unsigned long> values;
    if (XGetWindowProperty(x, window, XInternAtom(x, name, False), 0, 4096, False, type, &actualType, &format, &count,
                           &after, &data) != Success || !data)
        return values;
    if (format == 32) {
        const auto* longs = reinterpret_cast<const unsigned long*>(data);
        values.assign(longs, longs + count);
    }
    XFree(data);
    return values;
}

QString TextProperty(Display* x, unsigned long window, const char* name) {
    Atom actualType = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(x, window, XInternAtom(x, name, False), 0, 4096, False, AnyPropertyType, &actualType,
                           &format, &count, &after, &data) != Success || !data)
        return {};
    const QString text = format == 8 ? QString::fromUtf8(reinterpret_cast<const char*>(data), int(count)) : QString();
    XFree(data);
    return text;
}

void Walk(Display* x, unsigned long window, const std::function<void(unsigned long)>& visit) {
    ::Window root = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(x, window, &root, &parent, &children, &count)) return;
    std::vector<unsigned long> list(children, children + count);
    if (children) XFree(children);
    for (unsigned long child : list) {
        visit(child);
        Walk(x, child, visit);
    }
}

bool CopyTree(const QString& from, const QString& to) {
    QDir().mkpath(to);
    QDirIterator it(from, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString target = to + path.mid(from.size());
        if (it.fileInfo().isDir()) {
            if (!QDir().mkpath(target)) return false;
        } else if (!QFile::copy(path, target)) {
            return false;
        }
    }
    return true;
}

}  // namespace

QString XvfbProgram() { return QStringLiteral("Xvfb"); }

Desktop::Desktop(Options options) {
    if (!root_.isValid()) {
        error_ = "no temporary folder";
        return;
    }
    for (const char* sub : {"home", "runtime", "config", "data", "cache", "home/Desktop"}) QDir(root_.path()).mkpath(sub);
    QFile::setPermissions(root_.path() + "/runtime", QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QFile dirs(root_.path() + "/config/user-dirs.dirs");
    if (dirs.open(QIODevice::WriteOnly)) dirs.write("XDG_DESKTOP_DIR=\"" + root_.path().toUtf8() + "/home/Desktop\"\n");
    dirs.close();
    if (options.sessionBus && !StartSessionBus()) return;
    if (!StartX()) return;
    if (options.windowManager && !StartWindowManager()) return;
    if (options.tray && !StartTray()) return;
}

Desktop::~Desktop() {
    if (player_ && player_->state() != QProcess::NotRunning) {
        player_->kill();
        player_->waitForFinished(5000);
    }
    if (x_) XCloseDisplay(X(x_));
    for (auto it = helpers_.rbegin(); it != helpers_.rend(); ++it) {
        if ((*it)->state() == QProcess::NotRunning) continue;
        (*it)->kill();
        (*it)->waitForFinished(5000);
    }
}

QStringList Desktop::Environment() const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    const QString root = root_.path();
    env.insert("DISPLAY", displayName_);
    env.insert("HOME", root + "/home");
    env.insert("XDG_RUNTIME_DIR", root + "/runtime");
    env.insert("XDG_CONFIG_HOME", root + "/config");
    env.insert("XDG_DATA_HOME", root + "/data");
    env.insert("XDG_CACHE_HOME", root + "/cache");
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.insert("VELMORA_AUDIO_SINK", "fakesink");
    env.insert("VELMORA_NO_POWER_OFF", "1");
    // No session bus of the machine's: the desktop is this test's alone.
    env.remove("DBUS_SESSION_BUS_ADDRESS");
    if (!busAddress_.isEmpty()) env.insert("DBUS_SESSION_BUS_ADDRESS", busAddress_);
    env.insert("NO_AT_BRIDGE", "1");
    env.remove("VELMORA_MESSAGES_TO_STDERR");
    return env.toStringList();
}

QProcess* Desktop::Start(const QString& program, const QStringList& arguments) {
    auto process = std::make_unique<QProcess>();
    process->setEnvironment(Environment());
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->start(program, arguments);
    if (!process->waitForStarted(kStartMs)) {
        error_ = program + " did not start";
        return nullptr;
    }
    helpers_.push_back(std::move(process));
    return helpers_.back().get();
}

namespace {

// The first line a helper writes to its standard output, trimmed; empty when none came in time.
QByteArray FirstLine(QProcess* helper) {
    QByteArray text;
    const QDeadlineTimer deadline(kStartMs);
    while (!text.contains('\n') && !deadline.hasExpired() && helper->state() == QProcess::Running) {
        helper->waitForReadyRead(int(deadline.remainingTime()));
        text += helper->readAllStandardOutput();
    }
    return text.contains('\n') ? text.left(text.indexOf('\n')).trimmed() : QByteArray();
}

}  // namespace

bool Desktop::StartX() {
    // The server writes its display number to standard output once it accepts clients.
    QProcess* server = Start(XvfbProgram(), {"-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp"});
    if (!server) return false;
    const QByteArray number = FirstLine(server);
    if (number.isEmpty()) {
        error_ = "Xvfb gave no display number";
        return false;
    }
    displayName_ = ":" + QString::fromLatin1(number);
    x_ = XOpenDisplay(displayName_.toLatin1().constData());
    if (!x_) {
        error_ = "cannot open " + displayName_;
        return false;
    }
    XSetErrorHandler(IgnoreErrors);
    return true;
}

bool Desktop::StartSessionBus() {
    // The daemon writes its address to standard output once it accepts clients.
    QProcess* daemon = Start("dbus-daemon", {"--session", "--nofork", "--nosyslog", "--print-address=1"});
    if (!daemon) return false;
    busAddress_ = QString::fromLatin1(FirstLine(daemon));
    if (busAddress_.isEmpty()) {
        error_ = "dbus-daemon gave no address";
        return false;
    }
    return true;
}

bool Desktop::StartWindowManager() {
    if (!Start("openbox", {"--sm-disable"})) return false;
    Display* x = X(x_);
    const bool up = WaitFor([x] {
        return !Property(x, DefaultRootWindow(x), "_NET_SUPPORTING_WM_CHECK", XA_WINDOW).empty();
    });
    if (!up) error_ = "openbox did not take the screen";
    return up;
}

bool Desktop::StartTray() {
    if (!Start("trayer", {"--edge", "bottom", "--align", "right", "--SetDockType", "true", "--SetPartialStrut", "true",
                          "--widthtype", "pixel", "--width", "120", "--height", "24", "--expand", "false"}))
        return false;
    Display* x = X(x_);
    const Atom selection = XInternAtom(x, "_NET_SYSTEM_TRAY_S0", False);
    const bool up = WaitFor([x, selection] { return XGetSelectionOwner(x, selection) != 0; });
    if (!up) error_ = "trayer did not take the tray";
    return up;
}

bool Desktop::StopPlayer(int ms) {
    if (!player_ || player_->state() == QProcess::NotRunning) return false;
    player_->terminate();
    return player_->waitForFinished(ms) && player_->exitStatus() == QProcess::NormalExit && player_->exitCode() == 0;
}

QSize Desktop::ScreenSize() const {
    Display* x = X(x_);
    return {DisplayWidth(x, DefaultScreen(x)), DisplayHeight(x, DefaultScreen(x))};
}

bool Desktop::StartPlayer(const QStringList& arguments, const QByteArray& setupIni, bool realMessageBoxes) {
    const QString folder = root_.path() + "/player";
    if (!CopyTree(QStringLiteral(VELMORA_BUILT_INSTALL_DIR), folder)) {
        error_ = "cannot copy the install folder";
        return false;
    }
    QFile::remove(folder + "/setup.ini");
    QFile::remove(folder + "/velmora.kpl");
    QFile setup(folder + "/setup.ini");
    const QByteArray lines = QStringLiteral("MA_L=%1\r\nMA_T=%2\r\n").arg(kMainPlace.x()).arg(kMainPlace.y()).toLatin1() + setupIni;
    if (!setup.open(QIODevice::WriteOnly) || setup.write(lines) != lines.size()) {
        error_ = "cannot write setup.ini";
        return false;
    }
    setup.close();
    player_ = std::make_unique<QProcess>();
    QStringList env = Environment();
    if (!realMessageBoxes) env << "VELMORA_MESSAGES_TO_STDERR=1";
    player_->setEnvironment(env);
    player_->setProcessChannelMode(QProcess::MergedChannels);
    player_->setWorkingDirectory(root_.path() + "/home");
    player_->start(folder + "/velmora", arguments);
    if (!player_->waitForStarted(kStartMs)) {
        error_ = "the player did not start";
        return false;
    }
    if (!WaitFor([this] { return MainWindow() && MainWindow()->viewable; }, kStartMs)) {
        error_ = "the main window did not show: " + PlayerOutput();
        return false;
    }
    return true;
}

QString Desktop::PlayerOutput() {
    if (player_) playerOutput_ += player_->readAll();
    return QString::fromUtf8(playerOutput_);
}

std::optional<Window> Desktop::Describe(unsigned long id) const {
    Display* x = X(x_);
    XWindowAttributes a;
    if (!XGetWindowAttributes(x, id, &a)) return std::nullopt;
    Window w;
    w.id = id;
    int left = 0, top = 0;
    ::Window child = 0;
    XTranslateCoordinates(x, id, DefaultRootWindow(x), 0, 0, &left, &top, &child);
    w.place = QRect(left, top, a.width, a.height);
    w.viewable = a.map_state == IsViewable;
    w.unmanaged = a.override_redirect;
    const std::vector<unsigned long> state = Property(x, id, "WM_STATE", AnyPropertyType);
    w.iconic = !state.empty() && state[0] == IconicState;
    ::Window owner = 0;
    w.transient = XGetTransientForHint(x, id, &owner) && owner != 0;
    w.title = TextProperty(x, id, "_NET_WM_NAME");
    return w;
}

std::vector<Window> Desktop::PlayerWindowsWhere(bool unmanaged) const {
    std::vector<Window> windows;
    Display* x = X(x_);
    const unsigned long pid = static_cast<unsigned long>(PlayerPid());
    if (!pid) return windows;
    XSync(x, False);
    Walk(x, DefaultRootWindow(x), [&](unsigned long id) {
        const std::vector<unsigned long> owner = Property(x, id, "_NET_WM_PID", XA_CARDINAL);
        if (owner.empty() || owner[0] != pid) return;
        // The tray icon lives inside the tray, not on the desktop.
        if (id == TrayIconOfPlayer()) return;
        if (const std::optional<Window> w = Describe(id);
            w && w->unmanaged == unmanaged && w->place.width() > 8 && w->place.height() > 8)
            windows.push_back(*w);
    });
    return windows;
}

// Menus and tips pass the window manager by; they are not the player's windows.
std::vector<Window> Desktop::PlayerWindows() const { return PlayerWindowsWhere(false); }

std::optional<Window> Desktop::PopupWindow() const {
    for (const Window& w : PlayerWindowsWhere(true))
        if (w.viewable) return w;
    return std::nullopt;
}

std::optional<Window> Desktop::MainWindow() const {
    if (mainId_) return Describe(mainId_);
    // Found once, at the place the setup gave it; followed by its id from then on.
    for (const Window& w : PlayerWindows())
        if (w.place == QRect(kMainPlace, QSize(275, 116)) && w.viewable) mainId_ = w.id;
    return mainId_ ? Describe(mainId_) : std::nullopt;
}

std::vector<Window> Desktop::GluedWindows() const {
    std::vector<Window> glued;
    const std::optional<Window> main = MainWindow();
    if (!main) return glued;
    for (const Window& w : PlayerWindows())
        if (w.id != main->id && w.place.width() == 275) glued.push_back(w);
    return glued;
}

std::optional<Window> Desktop::VideoWindow() const {
    const std::optional<Window> main = MainWindow();
    if (!main) return std::nullopt;
    for (const Window& w : PlayerWindows())
        if (w.id != main->id && w.place.width() != 275 && w.title == QLatin1String("Velmora Player")) return w;
    return std::nullopt;
}

std::optional<Window> Desktop::DialogWindow() const {
    for (const Window& w : PlayerWindows())
        if (w.viewable && w.title != QLatin1String("Velmora Player")) return w;
    return std::nullopt;
}

std::optional<Window> Desktop::WindowTitled(const QString& title) const {
    Display* x = X(x_);
    std::optional<Window> found;
    XSync(x, False);
    Walk(x, DefaultRootWindow(x), [&](unsigned long id) {
        if (!found && TextProperty(x, id, "_NET_WM_NAME").startsWith(title)) found = Describe(id);
    });
    return found;
}

std::vector<unsigned long> Desktop::ManagedStacking() const {
    Display* x = X(x_);
    return Property(x, DefaultRootWindow(x), "_NET_CLIENT_LIST_STACKING", XA_WINDOW);
}

unsigned long Desktop::TrayWindow() const {
    Display* x = X(x_);
    unsigned long found = 0;
    Walk(x, DefaultRootWindow(x), [&](unsigned long id) {
        XClassHint hint;
        if (found || !XGetClassHint(x, id, &hint)) return;
        // The panel itself; the program's leader window is of class "Trayer".
        if (QByteArray(hint.res_class) == "trayer") found = id;
        XFree(hint.res_name);
        XFree(hint.res_class);
    });
    return found;
}

unsigned long Desktop::TrayIconOfPlayer() const {
    const unsigned long tray = TrayWindow();
    const unsigned long pid = static_cast<unsigned long>(PlayerPid());
    if (!tray || !pid) return 0;
    Display* x = X(x_);
    unsigned long found = 0;
    Walk(x, tray, [&](unsigned long id) {
        const std::vector<unsigned long> owner = Property(x, id, "_NET_WM_PID", XA_CARDINAL);
        if (!found && !owner.empty() && owner[0] == pid) found = id;
    });
    return found;
}

bool Desktop::HasSkipTaskbar(unsigned long id) const {
    Display* x = X(x_);
    const Atom skip = XInternAtom(x, "_NET_WM_STATE_SKIP_TASKBAR", False);
    for (unsigned long atom : Property(x, id, "_NET_WM_STATE", XA_ATOM))
        if (atom == skip) return true;
    return false;
}

bool Desktop::WaitFor(const std::function<bool()>& condition, int ms) {
    const QDeadlineTimer deadline(ms);
    while (!condition()) {
        if (deadline.hasExpired()) return false;
        QThread::msleep(20);
    }
    return true;
}

bool Desktop::Xdotool(const QStringList& arguments) const {
    QProcess tool;
    tool.setEnvironment(Environment());
    tool.setProcessChannelMode(QProcess::ForwardedChannels);
    tool.start("xdotool", arguments);
    if (!tool.waitForFinished(kCommandMs)) {
        tool.kill();
        tool.waitForFinished(2000);
        return false;
    }
    return tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0;
}

bool Desktop::Click(QPoint at, int button) const {
    return Xdotool({"mousemove", "--sync", QString::number(at.x()), QString::number(at.y()), "click",
                    QString::number(button)});
}

bool Desktop::DoubleClick(QPoint at) const {
    return Xdotool({"mousemove", "--sync", QString::number(at.x()), QString::number(at.y()), "click", "--repeat", "2",
                    "--delay", "80", "1"});
}

bool Desktop::Drag(QPoint from, QPoint to) const {
    QStringList steps = {"mousemove", "--sync", QString::number(from.x()), QString::number(from.y()), "mousedown", "1"};
    // The player follows the pointer's moves: a few steps on the way, as a hand makes them.
    for (int i = 1; i <= 8; ++i) {
        const QPoint p = from + (to - from) * i / 8;
        steps << "sleep" << "0.03" << "mousemove" << QString::number(p.x()) << QString::number(p.y());
    }
    steps << "sleep" << "0.05" << "mouseup" << "1";
    return Xdotool(steps);
}

bool Desktop::Key(const QString& keys, unsigned long window) const {
    QStringList arguments = {"key"};
    if (window) arguments << "--window" << QString::number(window);
    return Xdotool(arguments << keys.split(u' ', Qt::SkipEmptyParts));
}

void Desktop::SetScreenSaverDelay(int seconds) const {
    XSetScreenSaver(X(x_), seconds, 0, PreferBlanking, AllowExposures);
    XSync(X(x_), False);
}

bool Desktop::SaverActive() const {
    XScreenSaverInfo* info = XScreenSaverAllocInfo();
    const bool on = XScreenSaverQueryInfo(X(x_), DefaultRootWindow(X(x_)), info) && info->state == ScreenSaverOn;
    XFree(info);
    return on;
}

QImage Desktop::Grab() const {
    Display* x = X(x_);
    const QSize size = ScreenSize();
    XImage* image = XGetImage(x, DefaultRootWindow(x), 0, 0, unsigned(size.width()), unsigned(size.height()), AllPlanes,
                              ZPixmap);
    if (!image) return {};
    QImage picture(reinterpret_cast<const uchar*>(image->data), size.width(), size.height(), image->bytes_per_line,
                   QImage::Format_RGB32);
    const QImage copy = picture.copy();
    XDestroyImage(image);
    return copy;
}

}  // namespace desktop
