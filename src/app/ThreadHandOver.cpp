#include "app/ThreadHandOver.h"

namespace tracklore::app {

void HandOverReceiver::Post(std::function<void()> function) {
    {
        std::lock_guard lock(mutex_);
        posted_.push_back(std::move(function));
    }
    QMetaObject::invokeMethod(this, "RunPosted", Qt::QueuedConnection);
}

void HandOverReceiver::RunPosted() {
    std::function<void()> function;
    {
        std::lock_guard lock(mutex_);
        if (posted_.empty()) {
            return;
        }
        function = std::move(posted_.front());
        posted_.pop_front();
    }
    function();
}

}  // namespace tracklore::app
