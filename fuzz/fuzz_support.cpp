#include "fuzz_support.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace fuzz {

QString ScratchFolder() {
    static const std::unique_ptr<QTemporaryDir> folder = [] {
        const QString base = QDir("/dev/shm").exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
        auto made = std::make_unique<QTemporaryDir>(base + "/velmora-fuzz-XXXXXX");
        if (!made->isValid()) Fail("a scratch folder can be made", __FILE__, __LINE__);
        return made;
    }();
    return folder->path();
}

QString WriteScratchFile(const QString& name, const uint8_t* data, size_t size) {
    const QString path = ScratchFolder() + "/" + name;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(reinterpret_cast<const char*>(data), qint64(size)) != qint64(size))
        Fail("the input can be written to the scratch folder", __FILE__, __LINE__);
    return path;
}

void EnsureGuiApplication() {
    if (QGuiApplication::instance()) return;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "velmora-fuzz";
    static char* argv[] = {name, nullptr};
    // Lives for the whole process, as libFuzzer never returns from its loop.
    new QGuiApplication(argc, argv);
}

void Fail(const char* rule, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: rule broken: %s\n", file, line, rule);
    std::abort();
}

}  // namespace fuzz
