// Makes writes fail the way a full disk makes them fail, without root or a real full disk.
#pragma once

#include <csignal>
#include <sys/resource.h>

namespace testing_support {

// Lowers the process's file-size limit for one scope: a write past it fails with EFBIG, and with
// SIGXFSZ ignored the process lives on, just as a write to a full disk fails with ENOSPC. Keep
// the scope to the call under test: every file write of the process is limited meanwhile.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        saved_ = {};
        active_ = ::getrlimit(RLIMIT_FSIZE, &saved_) == 0;
        savedHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit low = saved_;
        low.rlim_cur = bytes;
        active_ = active_ && ::setrlimit(RLIMIT_FSIZE, &low) == 0;
    }
    ~FileSizeLimit() {
        if (active_) ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, savedHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    bool active() const { return active_; }

private:
    rlimit saved_;
    void (*savedHandler_)(int) = SIG_DFL;
    bool active_ = false;
};

}  // namespace testing_support
