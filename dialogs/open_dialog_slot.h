// The one open dialog of a kind in the process, and the way other threads
// reach it. The acquisition thread never touches the dialog itself: it hands
// a piece of work to the dialog's thread (through the view's wake-up, a
// posted message) and waits until that thread has run it. The dialog's
// thread runs all such work, and clearing the slot happens on that thread
// too, so no work can reach a dialog that has ended. A waiting caller gives
// up when its abandon test says so (its stream is being stopped) or when the
// slot is cleared, so neither thread can wait for the other for ever.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

namespace tavrin::dialogs {

template <typename Dialog>
class OpenDialogSlot {
public:
    using Work = std::function<void(Dialog&)>;

    // Dialog thread. False when a dialog of this kind is already open: the
    // second one is not shown and the first one's state is left alone.
    bool Open(Dialog& dialog) {
        std::lock_guard lock(mutex_);
        if (dialog_)
            return false;
        dialog_ = &dialog;
        return true;
    }
    // Dialog thread, once its window can receive the wake-up.
    void SetWake(std::function<void()> wake) {
        std::lock_guard lock(mutex_);
        if (dialog_)
            wake_ = std::move(wake);
    }
    // Dialog thread, when the modal dialog has ended: pending work is dropped
    // and its callers are released.
    void Close(Dialog& dialog) {
        std::lock_guard lock(mutex_);
        if (dialog_ != &dialog)
            return;
        dialog_ = nullptr;
        wake_ = nullptr;
        for (auto& job : jobs_)
            job->state = State::Dropped;
        jobs_.clear();
        changed_.notify_all();
    }
    // Dialog thread, on its wake-up: runs the work handed over so far.
    void RunPending() {
        std::unique_lock lock(mutex_);
        while (!jobs_.empty() && dialog_) {
            auto job = jobs_.front();
            jobs_.pop_front();
            Dialog* dialog = dialog_;
            lock.unlock();
            job->work(*dialog);
            lock.lock();
            job->state = State::Done;
            changed_.notify_all();
        }
    }

    // Any other thread: runs work on the open dialog's thread and waits for
    // it. False (nothing done) when no dialog is open or ready, when the
    // dialog ends first, or when abandon() turns true while waiting.
    // Nothing is allocated while no dialog is open, since the acquisition
    // thread asks on every frame that could change what a dialog shows.
    bool Run(Work work, const std::function<bool()>& abandon = {}) {
        std::shared_ptr<Job> job;
        std::function<void()> wake;
        {
            std::lock_guard lock(mutex_);
            if (!dialog_ || !wake_)
                return false;
            job = std::make_shared<Job>(std::move(work));
            jobs_.push_back(job);
            wake = wake_;
        }
        wake();
        std::unique_lock lock(mutex_);
        while (job->state == State::Waiting) {
            if (abandon && abandon()) {
                std::erase(jobs_, job);
                return false;
            }
            changed_.wait_for(lock, std::chrono::milliseconds(10));
        }
        return job->state == State::Done;
    }

    bool IsOpen() const {
        std::lock_guard lock(mutex_);
        return dialog_ != nullptr;
    }

private:
    enum class State { Waiting, Done, Dropped };
    struct Job {
        explicit Job(Work w) : work(std::move(w)) {}
        Work work;
        State state = State::Waiting;
    };

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    Dialog* dialog_ = nullptr;
    std::function<void()> wake_;
    std::deque<std::shared_ptr<Job>> jobs_;
};

class AnalogDialog;
class CameraDialog;
class ImageDialog;

// The process-wide slots, one per dialog kind.
OpenDialogSlot<CameraDialog>& CameraDialogSlot();
OpenDialogSlot<AnalogDialog>& AnalogDialogSlot();
OpenDialogSlot<ImageDialog>& ImageDialogSlot();

}  // namespace tavrin::dialogs
