#include "cli/CancelOnInterrupt.h"

#include <pthread.h>

#include <cerrno>
#include <ctime>

namespace tracklore::cli {

CancelOnInterrupt::CancelOnInterrupt(std::atomic<bool>& flag) : flag_(flag) {
    sigemptyset(&signals_);
    sigaddset(&signals_, SIGINT);
    sigaddset(&signals_, SIGTERM);
    sigaddset(&signals_, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &signals_, &previous_);
    watcher_ = std::thread([this] {
        // Short waits, so that the watcher notices when it is no longer needed.
        const timespec wait{0, 50 * 1000 * 1000};
        while (!done_) {
            int signal = sigtimedwait(&signals_, nullptr, &wait);
            if (signal > 0 && received_ == 0) {
                received_ = signal;
                flag_ = true;
            }
        }
    });
}

CancelOnInterrupt::~CancelOnInterrupt() {
    done_ = true;
    watcher_.join();
    pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
    if (received_ != 0) {
        raise(received_);
    }
}

}  // namespace tracklore::cli
