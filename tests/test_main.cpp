// The one main of every test program: private per-user folders, then a QApplication on the
// offscreen platform, so no test touches the real session, registry or desktop.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>

#include "platform/tray_icon.h"
#include "tests/test_pictures.h"

int main(int argc, char** argv) {
    QTemporaryDir home(QDir::tempPath() + "/velmora-home-XXXXXX");
    const QByteArray root = home.path().toUtf8();
    for (const char* sub : {"runtime", "config", "data"}) QDir(home.path()).mkpath(sub);
    QFile::setPermissions(home.path() + "/runtime", QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                        QFileDevice::ExeOwner);
    setenv("XDG_RUNTIME_DIR", (root + "/runtime").constData(), 1);
    setenv("XDG_CONFIG_HOME", (root + "/config").constData(), 1);
    setenv("XDG_DATA_HOME", (root + "/data").constData(), 1);
    // The desktop folder too: a first-run setup writes its shortcuts there.
    QDir(home.path()).mkpath("desktop");
    QFile dirs(home.path() + "/config/user-dirs.dirs");
    if (dirs.open(QIODevice::WriteOnly)) dirs.write("XDG_DESKTOP_DIR=\"" + root + "/desktop\"\n");
    dirs.close();
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // No sound card in CI, and tests must not make noise on a developer's machine either.
    setenv("VELMORA_AUDIO_SINK", "fakesink", 1);
    // A message box nobody can close would hang the run.
    setenv("VELMORA_MESSAGES_TO_STDERR", "1", 1);
    // Whatever a test does, the real power-off is refused without being sent.
    setenv("VELMORA_NO_POWER_OFF", "1", 1);

    QApplication app(argc, argv);
    // The offscreen platform has no notification area; tests run as on a desktop that has one
    // unless they say otherwise.
    platform::SetTrayAvailable(true);
    ::testing::InitGoogleTest(&argc, argv);
    testing_support::InstallPictureKeeper();
    return RUN_ALL_TESTS();
}
