// Loading a library of the Plugins folder by file name and finding its exports: the one place
// that calls the system's loader. The handle frees the library when it goes.
#pragma once

#include <QString>
#include <utility>

namespace platform {

class SharedLibrary {
public:
    SharedLibrary() = default;
    // Loads fileName (all symbols bound now, kept local). A name without a folder is taken from
    // the working folder, never searched for in the system's library folders.
    explicit SharedLibrary(const QString& fileName);
    ~SharedLibrary();
    SharedLibrary(SharedLibrary&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    SharedLibrary& operator=(SharedLibrary&& other) noexcept;
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;

    bool isLoaded() const { return handle_ != nullptr; }
    // The loader's handle, for plug-in records that carry their own instance.
    void* nativeHandle() const { return handle_; }
    explicit operator bool() const { return isLoaded(); }

    // The export's address, or null when the library is not loaded or lacks it.
    void* symbol(const char* name) const;
    template <typename Function>
    Function function(const char* name) const {
        return reinterpret_cast<Function>(symbol(name));
    }

    // The loader's reason for the last failure (empty when there was none).
    QString errorText() const { return error_; }

private:
    void* handle_ = nullptr;
    QString error_;
};

}  // namespace platform
