// A FIFO in place of a file the player reads, and a watchdog that frees a reader blocked on it:
// code that opens the FIFO waiting for a writer makes its test fail instead of hang.
#pragma once

#include <QFile>
#include <QString>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace testing_support {

class FifoWatchdog {
public:
    // Makes the FIFO (its folder must exist); Made() tells whether that worked.
    explicit FifoWatchdog(const QString& path) : path_(QFile::encodeName(path)) {
        made_ = ::mkfifo(path_.constData(), 0600) == 0;
    }

    bool Made() const { return made_; }

    // Runs `body` on this thread. Should it still run after a few seconds, the FIFO is given a
    // writer, again and again, which ends a blocking open and makes a read see the end; Released()
    // then tells that the code waited on the FIFO.
    template <class Body>
    void Run(Body&& body) {
        std::mutex mutex;
        std::condition_variable done;
        bool finished = false;
        std::thread guard([&] {
            std::unique_lock lock(mutex);
            if (done.wait_for(lock, std::chrono::seconds(5), [&] { return finished; })) return;
            while (!finished) {
                const int fd = ::open(path_.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
                if (fd >= 0) {
                    released_ = true;
                    ::close(fd);
                }
                done.wait_for(lock, std::chrono::milliseconds(50), [&] { return finished; });
            }
        });
        body();
        {
            std::lock_guard lock(mutex);
            finished = true;
        }
        done.notify_all();
        guard.join();
    }

    bool Released() const { return released_; }

private:
    QByteArray path_;
    bool made_ = false;
    std::atomic<bool> released_ = false;
};

}  // namespace testing_support
