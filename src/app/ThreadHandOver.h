#pragma once

// Tells ThreadSanitizer about the hand-overs between a worker and the user-interface thread.
// Qt orders its queued calls and the end of a thread with its own atomics and futexes; a Qt
// that is not built for ThreadSanitizer does not show them to it, so each hand-over is named
// here: the sending side releases, the receiving side acquires the same address. Without
// ThreadSanitizer both are empty.
#if defined(__SANITIZE_THREAD__)
extern "C" {
void __tsan_acquire(void* address);
void __tsan_release(void* address);
}
#endif

#include <QObject>
#include <deque>
#include <functional>
#include <mutex>

namespace tracklore::app {

inline void HandOverRelease([[maybe_unused]] const void* token) {
#if defined(__SANITIZE_THREAD__)
    __tsan_release(const_cast<void*>(token));
#endif
}

inline void HandOverAcquire([[maybe_unused]] const void* token) {
#if defined(__SANITIZE_THREAD__)
    __tsan_acquire(const_cast<void*>(token));
#endif
}

// Carries functions from other threads out on its own thread, in the order they came. A
// function is queued under a lock; the call that runs it travels through Qt's event queue as a
// call Qt makes itself (nothing of ours is made on the sending thread and read unlocked on
// the receiving one, before any event filter could look at it).
class HandOverReceiver : public QObject {
    Q_OBJECT

  public:
    using QObject::QObject;
    void Post(std::function<void()> function);

  private:
    Q_INVOKABLE void RunPosted();

    std::mutex mutex_;
    std::deque<std::function<void()>> posted_;
};

inline void PostToThreadOf(HandOverReceiver* receiver, std::function<void()> function) {
    receiver->Post(std::move(function));
}

}  // namespace tracklore::app
