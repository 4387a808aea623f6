// Library loading over dlopen.
#include "platform/shared_library.h"

#include <QFile>
#include <dlfcn.h>

namespace platform {

SharedLibrary::SharedLibrary(const QString& fileName) {
    // A bare file name would send the loader searching the system's library folders.
    QString path = fileName;
    if (!path.contains(QLatin1Char('/'))) path.prepend(QLatin1String("./"));
    handle_ = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
        const char* reason = dlerror();
        error_ = reason ? QString::fromLocal8Bit(reason) : QStringLiteral("cannot load ") + fileName;
    }
}

SharedLibrary::~SharedLibrary() {
    if (handle_) dlclose(handle_);
}

SharedLibrary& SharedLibrary::operator=(SharedLibrary&& other) noexcept {
    if (this != &other) {
        if (handle_) dlclose(handle_);
        handle_ = std::exchange(other.handle_, nullptr);
        error_ = std::move(other.error_);
    }
    return *this;
}

void* SharedLibrary::symbol(const char* name) const {
    return handle_ ? dlsym(handle_, name) : nullptr;
}

}  // namespace platform
