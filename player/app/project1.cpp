#include "player/app/project1.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QSysInfo>
#include <QThread>
#include <QTimer>
#include <QUrl>
#include <clocale>
#include <cstdio>
#include <memory>
#include <thread>

#include "platform/install_folder.h"
#include "platform/media_warm_up.h"
#include "platform/message_box.h"
#include "platform/qt_translation.h"
#include "platform/registry.h"
#include "platform/session.h"
#include "platform/termination.h"
#include "platform/working_set.h"
#include "player/app/form1.h"
#include "player/playlist/list_loader.h"
#include "player/playlist/playlist_item.h"

namespace {

const QString kMainCaption = QStringLiteral("dispForm1");
// A second start waits this long for the running player's window to answer (it may still be
// starting, or busy with a box of its own).
constexpr int kReadyWaitMs = 30000;
constexpr unsigned long kPollMs = 10;
// By then the windows are built and painted, the list is loaded, the first entry plays and the
// first-run set-up is done: what the start paged in for itself can go.
constexpr int kStartUpOverMs = 2000;

// The interface texts were made for the Song face at 9 pt and for the old sans face.
void MapFonts() {
    QFont::insertSubstitutions(QStringLiteral("宋体"), {QStringLiteral("AR PL UMing CN"), QStringLiteral("AR PL UMing TW")});
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("DejaVu Sans"));
    QFont song(QStringLiteral("宋体"), 9);
    // Hinting this face runs the autohinter, which reads some 4 MB of it to size 9 pt strokes
    // that draw all but the same unhinted.
    song.setHintingPreference(QFont::PreferNoHinting);
    QApplication::setFont(song);
}

// Lists from the browser, and any argument longer than the player reads from an atom, travel
// through the registry; the atom then only says where to look.
QString HandOverText(const QString& argument) {
    if (!argument.contains(QLatin1String("<ALL>")) && argument.toUcs4().size() <= kHandOverAtomChars) return argument;
    platform::TRegistry reg;
    if (reg.OpenKey(QStringLiteral("Software\\Velmora"), true)) reg.WriteString(QStringLiteral("ParamStr"), argument);
    return QStringLiteral("<ALL>");
}

// One hand-over; true when the player answered. Hand-overs go one at a time, so the registry
// value of one is read before the next writes it.
bool SendHandOver(const platform::WindowRef& window, const QString& argument) {
    platform::SessionLock turn(QStringLiteral("handover"));
    turn.Acquire(platform::kSendTimeoutMs);  // a stuck turn must not cost the argument
    const platform::Atom atom = platform::GlobalAddAtom(HandOverText(argument));
    bool ok = false;
    platform::SendMessage(window, WM_HANDOVER, 0, atom, &ok);
    if (atom) platform::GlobalDeleteAtom(atom);
    return ok;
}

void ReportLost(const QString& argument, const char* why) {
    std::fprintf(stderr, "velmora: %s; not handed over: %s\n", why, argument.toLocal8Bit().constData());
}

enum class HandOver { Delivered, Lost, BecamePlayer };

// A second start: waits until the running player's window answers, then hands the argument
// over. BecamePlayer when the running player ended first: this start is then the player.
HandOver HandOverWhenReady(const QString& argument, platform::SessionLock& instance) {
    const QDeadlineTimer deadline(kReadyWaitMs);
    for (;;) {
        if (const platform::WindowRef window = platform::FindWindow(kMainCaption)) {
            if (SendHandOver(window, argument)) return HandOver::Delivered;
            // A window that is still there did not answer in time; one that went was closing.
            if (platform::FindWindow(kMainCaption)) {
                ReportLost(argument, "the running player does not answer");
                return HandOver::Lost;
            }
        }
        if (instance.TryAcquire() != platform::SessionLock::State::Busy) return HandOver::BecamePlayer;
        if (deadline.hasExpired()) {
            ReportLost(argument, "the running player did not get ready");
            return HandOver::Lost;
        }
        QThread::msleep(kPollMs);
    }
}

// On X11 the first widget made asks the session bus whether a screen reader listens, and the
// main thread waited for the bus's connection there, between the settings and the first sound.
// Connected beside the window's making, the question finds it open. Only a bus that is there:
// looking for one elsewhere starts a helper program, which stays the accessibility's own doing.
std::jthread ConnectSessionBusAhead() {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) return {};
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS") &&
        (runtime.isEmpty() || !QFileInfo::exists(runtime + QStringLiteral("/bus"))))
        return {};
    return std::jthread([] { QDBusConnection::sessionBus(); });
}

void InstallTerminationHandler() {
    platform::OnTerminationRequest([] {
        if (!Form1) return;
        Form1->QuietClose = true;
        // A message box waiting for its OK would keep the program alive after the close.
        while (QWidget* modal = QApplication::activeModalWidget()) {
            modal->close();
            if (QApplication::activeModalWidget() == modal) break;
        }
        Form1->close();
    });
}

// The first instance. The argument is given to the main window, not left on the command line,
// so that the saved list is loaded before it is added.
int RunPlayer(int argc, char** argv, const QString& argument) {
    // Docking and stored window places need absolute positions, which X11 gives (XWayland on a
    // Wayland desktop); a platform chosen by the user or a test is kept.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb");
    // The application object sees the program's name alone: the first argument goes to the main
    // window, and nothing after it is the player's, so nothing on the command line may pass for a
    // first argument later.
    char fallbackName[] = "velmora";
    char* name[] = {argc > 0 && argv[0] ? argv[0] : fallbackName, nullptr};
    int nameCount = 1;
    // GStreamer's set-up for an argument that plays at once runs beside the making of the
    // application object, its loading beside the windows'; waited for when it goes, after the
    // application.
    // The application object sets the C locale from the environment; set here first, before a
    // second thread runs, its own setting changes nothing under the set-up's feet.
    std::unique_ptr<platform::MediaWarmUp> warmUp;
    if (StartPlaysAtOnce(argument)) {
        std::setlocale(LC_ALL, "");
        warmUp = std::make_unique<platform::MediaWarmUp>(argument, platform::MediaWarmUp::Loads::WhenAllowed);
    }
    QApplication app(nameCount, name);
    // Begun earlier, the loading slowed the application object's making, which maps libraries too.
    if (warmUp) warmUp->AllowLoads();
    const std::jthread busConnecting = ConnectSessionBusAhead();
    const QString running = QLatin1String(kRunningAtom);
    // This process holds the instance lock: any mark left is a crashed instance's.
    for (int i = 0; i < 64 && platform::GlobalFindAtom(running); ++i)
        platform::GlobalDeleteAtom(platform::GlobalFindAtom(running));
    platform::GlobalAddAtom(running);
    QApplication::setApplicationName(QStringLiteral("velmora"));
    QApplication::setApplicationDisplayName(QStringLiteral("Velmora Player"));
    QApplication::setQuitOnLastWindowClosed(false);
    MapFonts();
    platform::InstallQtTranslation();
    // Installed before the window exists, so a request that arrives while it is being built
    // waits in the queue for the loop instead of killing the process.
    InstallTerminationHandler();
    const platform::InstallFolderChoice folder = platform::ChooseInstallFolder(QCoreApplication::applicationDirPath());
    auto* form = new TForm1(folder.folder, argument);
    if (!folder.notice.isEmpty()) {
        QTimer::singleShot(0, form, [notice = folder.notice] {
            platform::ShowMessage(notice, QStringLiteral("Velmora Player"), platform::MessageIcon::Information);
        });
    }
    QTimer::singleShot(kStartUpOverMs, &app, [] { platform::ReleaseStartUpPages(); });
    // A close that came while the window was still being made (from a message box of the first
    // entry) has already saved everything; there is no loop left to run.
    const int code = form->Closing() ? 0 : app.exec();
    delete form;
    platform::GlobalDeleteAtom(platform::GlobalFindAtom(running));
    return code;
}

}  // namespace

QString FileUrlPath(const QString& argument) {
    if (!argument.startsWith(QLatin1String("file:"), Qt::CaseInsensitive)) return {};
    const QUrl url(argument, QUrl::TolerantMode);
    // A fragment or query has no place in a file's name; such a text is not a local file URL.
    if (!url.isValid() || url.scheme() != QLatin1String("file") || url.hasQuery() || url.hasFragment()) return {};
    const QString host = url.host();
    if (!host.isEmpty() && host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) != 0 &&
        host.compare(QSysInfo::machineHostName(), Qt::CaseInsensitive) != 0)
        return {};
    // The escapes stand for the bytes of the file's name, decoded as every other argument is.
    const QByteArray bytes = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
    const QString path = QString::fromLocal8Bit(bytes);
    return path.startsWith(QLatin1Char('/')) ? path : QString();
}

QString AbsoluteArgument(const QString& argument, const QString& workingFolder) {
    // Launchers and file managers may pass a file as a URL.
    if (const QString local = FileUrlPath(argument); !local.isEmpty()) return local;
    const bool asGiven = argument.isEmpty() || argument.startsWith(QLatin1Char('/')) ||
                         argument.startsWith(QLatin1Char('<')) || argument.contains(QLatin1String("://")) ||
                         argument.contains(QLatin1String("<ALL>")) ||
                         argument.startsWith(QLatin1String("vmp:"), Qt::CaseInsensitive);
    if (asGiven) return argument;
    return QDir::cleanPath(QDir(workingFolder).absoluteFilePath(argument));
}

bool StartPlaysAtOnce(const QString& argument) {
    if (argument.isEmpty() || argument.contains(QLatin1String("<ALL>"))) return false;
    const QString extension = playlist::LowerExtension(argument);
    return extension != QLatin1String(".wsz") && !playlist::IsListExtension(extension);
}

int Project1(int argc, char** argv) {
    const QString argument =
        AbsoluteArgument(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString(), QDir::currentPath());
    // The lock decides at once and for good which start is the player; the atom and the window
    // are only its outward marks. A second start needs no display, so it makes no GUI.
    platform::SessionLock instance{QString::fromLatin1(kInstanceLockName)};
    if (instance.TryAcquire() == platform::SessionLock::State::Busy) {
        HandOver result = HandOver::Lost;
        {
            QCoreApplication core(argc, argv);
            result = HandOverWhenReady(argument, instance);
        }
        // A lost argument is a failed start, for whoever started it.
        if (result != HandOver::BecamePlayer) return result == HandOver::Delivered ? 0 : 1;
    }
    return RunPlayer(argc, argv, argument);
}
