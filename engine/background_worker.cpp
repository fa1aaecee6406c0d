#include "engine/background_worker.h"

#include <utility>

namespace sorvik::engine {

BackgroundWorker::~BackgroundWorker() {
    if (!thread_.joinable()) {
        return;
    }
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void BackgroundWorker::start(std::function<void()> task) {
    {
        std::lock_guard lock(mutex_);
        task_ = std::move(task);
        busy_ = true;
    }
    if (!thread_.joinable()) {
        thread_ = std::thread([this] { loop(); });
    }
    changed_.notify_all();
}

void BackgroundWorker::wait() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !busy_; });
}

void BackgroundWorker::loop() {
    std::unique_lock lock(mutex_);
    while (true) {
        changed_.wait(lock, [this] { return busy_ || stopping_; });
        if (busy_) {
            std::function<void()> task = std::move(task_);
            lock.unlock();
            task();
            lock.lock();
            busy_ = false;
            changed_.notify_all();
        } else {
            return;  // stopping, with no task left
        }
    }
}

}  // namespace sorvik::engine
