#include "player/app/project1.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFont>
#include <QThread>
#include <QTimer>
#include <cstdio>
#include <vector>

#include "platform/install_folder.h"
#include "platform/message_box.h"
#include "platform/qt_translation.h"
#include "platform/registry.h"
#include "platform/session.h"
#include "platform/termination.h"
#include "player/app/form1.h"

namespace {

const QString kMainCaption = QStringLiteral("dispForm1");
// A second start waits this long for the running player's window to answer (it may still be
// starting, or busy with a box of its own).
constexpr int kReadyWaitMs = 30000;
constexpr unsigned long kPollMs = 10;

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

// A second start: waits until the running player's window answers, then hands the argument
// over. True when the running player ended first: this start is then the player.
bool HandOverWhenReady(const QString& argument, platform::SessionLock& instance) {
    const QDeadlineTimer deadline(kReadyWaitMs);
    for (;;) {
        if (const platform::WindowRef window = platform::FindWindow(kMainCaption)) {
            if (SendHandOver(window, argument)) return false;
            // A window that is still there did not answer in time; one that went was closing.
            if (platform::FindWindow(kMainCaption)) {
                ReportLost(argument, "the running player does not answer");
                return false;
            }
        }
        if (instance.TryAcquire() != platform::SessionLock::State::Busy) return true;
        if (deadline.hasExpired()) {
            ReportLost(argument, "the running player did not get ready");
            return false;
        }
        QThread::msleep(kPollMs);
    }
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
    std::vector<char*> rest(argv, argv + argc);
    if (rest.size() > 1) rest.erase(rest.begin() + 1);
    rest.push_back(nullptr);
    int restCount = int(rest.size()) - 1;
    QApplication app(restCount, rest.data());
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
    // A close that came while the window was still being made (from a message box of the first
    // entry) has already saved everything; there is no loop left to run.
    const int code = form->Closing() ? 0 : app.exec();
    delete form;
    platform::GlobalDeleteAtom(platform::GlobalFindAtom(running));
    return code;
}

}  // namespace

QString AbsoluteArgument(const QString& argument, const QString& workingFolder) {
    const bool asGiven = argument.isEmpty() || argument.startsWith(QLatin1Char('/')) ||
                         argument.startsWith(QLatin1Char('<')) || argument.contains(QLatin1String("://")) ||
                         argument.contains(QLatin1String("<ALL>")) ||
                         argument.startsWith(QLatin1String("vmp:"), Qt::CaseInsensitive);
    if (asGiven) return argument;
    return QDir::cleanPath(QDir(workingFolder).absoluteFilePath(argument));
}

int Project1(int argc, char** argv) {
    const QString argument =
        AbsoluteArgument(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString(), QDir::currentPath());
    // The lock decides at once and for good which start is the player; the atom and the window
    // are only its outward marks. A second start needs no display, so it makes no GUI.
    platform::SessionLock instance{QString::fromLatin1(kInstanceLockName)};
    if (instance.TryAcquire() == platform::SessionLock::State::Busy) {
        bool becamePlayer = false;
        {
            QCoreApplication core(argc, argv);
            becamePlayer = HandOverWhenReady(argument, instance);
        }
        if (!becamePlayer) return 0;
    }
    return RunPlayer(argc, argv, argument);
}
