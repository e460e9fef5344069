// A run on a worker thread that the page can cancel, as Setup installs and Uninstall removes:
// the page's Cancel holds the worker at its next check while the page asks, and stops it on
// Yes. `Outcome` is the program's own enum with NotStarted, Running, Succeeded, Failed and
// Cancelled.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

namespace suite {

template <typename Outcome>
class CancellableRun {
  public:
    CancellableRun() = default;
    ~CancellableRun() { Wait(); }
    CancellableRun(const CancellableRun&) = delete;
    CancellableRun& operator=(const CancellableRun&) = delete;

    // Marks the run as running; false when it was started before (one run runs once).
    bool Begin() {
        std::lock_guard lock(mutex_);
        if (outcome_ != Outcome::NotStarted) {
            return false;
        }
        running_ = true;
        cancelled_ = false;
        outcome_ = Outcome::Running;
        return true;
    }
    // Starts the worker with `work`; false when the system has no thread to give.
    bool Launch(std::function<void()> work) {
        try {
            worker_ = std::thread(std::move(work));
        } catch (const std::system_error&) {
            return false;
        }
        return true;
    }
    // A run that could not start after Begin() has failed.
    void Abandon() {
        std::lock_guard lock(mutex_);
        running_ = false;
        outcome_ = Outcome::Failed;
    }
    // The worker's end: what the run came to, for the page.
    Outcome Finish(bool succeeded) {
        std::lock_guard lock(mutex_);
        outcome_ = succeeded    ? Outcome::Succeeded
                   : cancelled_ ? Outcome::Cancelled
                                : Outcome::Failed;
        running_ = false;
        return outcome_;
    }
    void Wait() {
        if (worker_.joinable()) {
            worker_.join();
        }
    }

    // The page's Cancel, on the page's own thread: the worker waits at its next Proceed()
    // while `confirmAbort` asks. True when the run is being aborted.
    bool RequestCancel(const std::function<bool()>& confirmAbort) {
        {
            std::lock_guard lock(mutex_);
            if (outcome_ != Outcome::Running) {
                return false;
            }
            suspended_ = true;
        }
        const bool abort = confirmAbort();
        {
            std::lock_guard lock(mutex_);
            if (abort) {
                running_ = false;
                cancelled_ = true;
            }
            suspended_ = false;
        }
        resumed_.notify_all();
        return abort;
    }
    // The worker's check between pieces of work: waits while the page asks; false when the run
    // was stopped.
    bool Proceed() {
        std::unique_lock lock(mutex_);
        resumed_.wait(lock, [this] { return !suspended_; });
        return running_;
    }
    bool IsRunning() const {
        std::lock_guard lock(mutex_);
        return running_;
    }
    // Stops the run without asking (a failed step); it ends as Failed.
    void Stop() {
        std::lock_guard lock(mutex_);
        running_ = false;
    }
    Outcome Current() const {
        std::lock_guard lock(mutex_);
        return outcome_;
    }

  private:
    mutable std::mutex mutex_;
    std::condition_variable resumed_;
    bool running_ = false;
    bool suspended_ = false;
    bool cancelled_ = false;
    Outcome outcome_ = Outcome::NotStarted;
    std::thread worker_;
};

}  // namespace suite
