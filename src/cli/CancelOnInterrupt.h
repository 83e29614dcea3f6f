#pragma once

#include <signal.h>

#include <atomic>
#include <thread>

namespace tracklore::cli {

// Turns Ctrl+C (SIGINT), SIGTERM and SIGHUP into a cancel request while a transfer runs, so
// that the transfer ends through its own cancel path and removes its temporary file. While
// the object lives, those signals are blocked and a watcher thread sets `flag` when one
// arrives. When the object goes, the signal that came, if any, is raised again with its
// usual effect (the process ends as it would have at once).
// Create it before any other thread of the command, so that every thread inherits the mask.
class CancelOnInterrupt {
  public:
    explicit CancelOnInterrupt(std::atomic<bool>& flag);
    ~CancelOnInterrupt();
    CancelOnInterrupt(const CancelOnInterrupt&) = delete;
    CancelOnInterrupt& operator=(const CancelOnInterrupt&) = delete;

  private:
    std::atomic<bool>& flag_;
    sigset_t signals_{};
    sigset_t previous_{};
    std::atomic<bool> done_{false};
    std::atomic<int> received_{0};
    std::thread watcher_;
};

}  // namespace tracklore::cli
