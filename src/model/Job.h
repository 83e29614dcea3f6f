#pragma once

#include <atomic>
#include <functional>

#include "resources/StringIds.h"

namespace tracklore {

// What long work tells whoever waits for it: how far it got (percent, -1 when it does not
// count) and the status text of its current step (None when it has none).
struct JobProgress {
    int percent = -1;
    StringId status = StringId::None;
};

// Long work is a job: a synchronous function that looks at a cancel flag between its steps,
// reports progress and returns its result. A job never touches the document or the window;
// the flow that started it applies the result on the thread that owns them. The editor runs
// jobs on a thread behind a progress dialog (app/JobRunner.h), the console runs them directly.
class JobContext {
  public:
    explicit JobContext(const std::atomic<bool>& cancel,
                        std::function<void(const JobProgress&)> report = {})
        : cancel_(cancel), report_(std::move(report)) {}

    bool Cancelled() const { return cancel_.load(); }
    const std::atomic<bool>& CancelFlag() const { return cancel_; }
    void Report(const JobProgress& progress) const {
        if (report_) {
            report_(progress);
        }
    }

  private:
    const std::atomic<bool>& cancel_;
    std::function<void(const JobProgress&)> report_;
};

}  // namespace tracklore
