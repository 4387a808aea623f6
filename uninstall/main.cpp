// The uninstaller: no window of its own, only its message boxes.
#include <QApplication>

#include "platform/qt_translation.h"
#include "uninstall/uninstaller.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    platform::InstallQtTranslation();
    switch (uninstall::UninstallMain(QCoreApplication::applicationFilePath())) {
        case uninstall::Outcome::Done:
        case uninstall::Outcome::Cancelled: return 0;
        case uninstall::Outcome::DoneWithFailures: return 2;
        case uninstall::Outcome::PlayerRunning:
        case uninstall::Outcome::UnsafeFolder:
        case uninstall::Outcome::NotFound: break;
    }
    return 1;
}
