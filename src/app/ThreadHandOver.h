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

}  // namespace tracklore::app
