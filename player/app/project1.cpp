#include "player/app/project1.h"

#include <QApplication>
#include <QFont>

#include "platform/registry.h"
#include "platform/session.h"
#include "platform/termination.h"
#include "player/app/form1.h"

namespace {

const QString kMainCaption = QStringLiteral("dispForm1");

// The interface texts were made for the Song face at 9 pt and for the old sans face.
void MapFonts() {
    QFont::insertSubstitutions(QStringLiteral("宋体"), {QStringLiteral("AR PL UMing CN"), QStringLiteral("AR PL UMing TW")});
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("DejaVu Sans"));
    QApplication::setFont(QFont(QStringLiteral("宋体"), 9));
}

// A second start: hand the first argument to the running player and end.
void HandOver(const QString& argument) {
    platform::WindowRef window = platform::FindWindow(kMainCaption);
    if (!window) platform::GlobalDeleteAtom(platform::GlobalFindAtom(QLatin1String(kRunningAtom)));
    QString text = argument;
    // Lists from the browser, and any argument too long for an atom, travel through the
    // registry; the atom then only says where to look.
    if (text.contains(QLatin1String("<ALL>")) || text.size() > platform::kMaxAtomNameChars) {
        platform::TRegistry reg;
        if (reg.OpenKey(QStringLiteral("Software\\Velmora"), true)) reg.WriteString(QStringLiteral("ParamStr"), text);
        text = QStringLiteral("<ALL>");
    }
    const platform::Atom atom = platform::GlobalAddAtom(text);
    if (window) platform::SendMessage(window, WM_HANDOVER, 0, atom);
    if (atom) platform::GlobalDeleteAtom(atom);
}

}  // namespace

int Project1(int argc, char** argv) {
    // Docking and stored window places need absolute positions, which X11 gives (XWayland on a
    // Wayland desktop); a platform chosen by the user or a test is kept.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    const QString argument = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    const QString running = QLatin1String(kRunningAtom);
    // A mark left by an instance that did not end normally must not block this start.
    if (!platform::FindWindow(kMainCaption)) platform::GlobalDeleteAtom(platform::GlobalFindAtom(running));
    if (platform::GlobalFindAtom(running)) {
        HandOver(argument);
        return 0;
    }
    platform::GlobalAddAtom(running);
    QApplication::setApplicationName(QStringLiteral("velmora"));
    QApplication::setApplicationDisplayName(QStringLiteral("Velmora Player"));
    QApplication::setQuitOnLastWindowClosed(false);
    MapFonts();
    // Installed before the window exists, so a request that arrives while it is being built
    // waits in the queue for the loop instead of killing the process.
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
    auto* form = new TForm1();
    // A close that came while the window was still being made (from a message box of the first
    // entry) has already saved everything; there is no loop left to run.
    const int code = form->Closing() ? 0 : app.exec();
    delete form;
    platform::GlobalDeleteAtom(platform::GlobalFindAtom(running));
    return code;
}
