// The other process of the session tests.
//   session_peer add NAME               adds a global atom, prints its id, exits
//   session_peer window CAPTION RECORD  publishes a window, prints "ready", serves messages
//                                       until message 9999 or until stdin closes
// Every message the window receives is appended to RECORD as one JSON line before the handler
// returns, so the sender can check what was read while it waited.
#include "platform/session.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSocketNotifier>
#include <QTimer>

#include <cstdio>
#include <unistd.h>

namespace {

constexpr quint32 kHandOver = 1001;
constexpr quint32 kQuit = 9999;

void Record(const QString& path, quint32 msg, quintptr wParam, qintptr lParam, const QString& name) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) return;
    const QJsonObject line{{"msg", qint64(msg)}, {"wParam", qint64(wParam)},
                           {"lParam", qint64(lParam)}, {"name", name}};
    file.write(QJsonDocument(line).toJson(QJsonDocument::Compact) + "\n");
}

qintptr Handle(const QString& recordPath, quint32 msg, quintptr wParam, qintptr lParam) {
    if (msg == kHandOver) {
        const QString name = platform::GlobalGetAtomName(platform::Atom(lParam), 255);
        Record(recordPath, msg, wParam, lParam, name);
        return (qintptr(1) << 40) + name.size();  // a result wider than 32 bits
    }
    Record(recordPath, msg, wParam, lParam, {});
    if (msg == kQuit) {
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        return 1;
    }
    return lParam - qintptr(wParam);
}

int RunWindow(const QString& caption, const QString& recordPath) {
    platform::SessionWindow window;
    const bool published = window.Publish(caption, [recordPath](quint32 m, quintptr w, qintptr l) {
        return Handle(recordPath, m, w, l);
    });
    if (!published) return 1;
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&input] {
        char buffer[256];
        if (::read(STDIN_FILENO, buffer, sizeof buffer) <= 0) {
            input.setEnabled(false);
            QCoreApplication::quit();
        }
    });
    std::printf("ready\n");
    std::fflush(stdout);
    return QCoreApplication::exec();
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 3 && args.at(1) == "add") {
        const platform::Atom atom = platform::GlobalAddAtom(args.at(2));
        std::printf("%u\n", unsigned(atom));
        return atom != 0 ? 0 : 1;
    }
    if (args.size() == 4 && args.at(1) == "window") return RunWindow(args.at(2), args.at(3));
    std::fprintf(stderr, "usage: session_peer add NAME | window CAPTION RECORD\n");
    return 2;
}
