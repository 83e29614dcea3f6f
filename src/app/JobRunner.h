#pragma once

#include <QObject>
#include <QThread>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>

#include "app/ThreadHandOver.h"
#include "model/Job.h"

namespace tracklore::app {

// Runs jobs (model/Job.h) on a thread of their own. The job's progress and its end arrive on
// the user-interface thread, queued to this object; the result is handed to the end callback
// there, after the thread has ended. One job at a time. A runner that is destroyed while its
// job runs cancels the job and waits for it.
class JobRunner : public HandOverReceiver {
  public:
    explicit JobRunner(QObject* parent = nullptr) : HandOverReceiver(parent) {}
    ~JobRunner() override { CancelAndWait(); }

    template <typename Result>
    void Start(std::function<Result(const JobContext&)> job,
               std::function<void(const JobProgress&)> onProgress,
               std::function<void(Result)> onEnd,
               QThread::Priority priority = QThread::InheritPriority);

    bool Running() const { return thread_ && thread_->isRunning(); }
    // Asks the job to stop; its end still arrives.
    void Cancel() { cancel_ = true; }
    const std::atomic<bool>& CancelFlag() const { return cancel_; }
    // The thread of the running job (for its priority), or nullptr.
    QThread* Thread() const { return thread_.get(); }

  private:
    void CancelAndWait() {
        if (thread_ && thread_->isRunning()) {
            cancel_ = true;
            thread_->wait();
        }
    }

    std::atomic<bool> cancel_{false};
    std::unique_ptr<QThread> thread_;
};

template <typename Result>
void JobRunner::Start(std::function<Result(const JobContext&)> job,
                      std::function<void(const JobProgress&)> onProgress,
                      std::function<void(Result)> onEnd, QThread::Priority priority) {
    CancelAndWait();
    cancel_ = false;
    auto result = std::make_shared<std::optional<Result>>();
    auto report = [this, onProgress](const JobProgress& progress) {
        PostToThreadOf(this, [progress, onProgress] {
            if (onProgress) {
                onProgress(progress);
            }
        });
    };
    thread_.reset(QThread::create([this, job = std::move(job), report, result] {
        JobContext context(cancel_, report);
        *result = job(context);
        HandOverRelease(result.get());
    }));
    // Queued behind every progress report the job sent.
    connect(
        thread_.get(), &QThread::finished, this,
        [this, result, onEnd = std::move(onEnd)] {
            thread_->wait();
            HandOverAcquire(result.get());
            if (onEnd && *result) {
                onEnd(std::move(**result));
            }
        },
        Qt::QueuedConnection);
    thread_->start(priority);
}

}  // namespace tracklore::app
