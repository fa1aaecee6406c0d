#include "engine/work_queue.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <utility>

namespace sorvik::engine {

WorkQueue::WorkQueue(unsigned workers) {
    threads_.reserve(workers);
    for (unsigned i = 0; i < workers; ++i) {
        threads_.emplace_back([this] { work(); });
    }
}

WorkQueue::~WorkQueue() {
    {
        std::unique_lock lock(mutex_);
        stopping_ = true;
        // Without workers nobody else would run what is left.
        while (threads_.empty() && !tasks_.empty()) {
            std::function<void()> task = take(lock);
            lock.unlock();
            task();
            lock.lock();
        }
    }
    taskWaiting_.notify_all();
    for (std::thread& thread : threads_) {
        thread.join();
    }
}

void WorkQueue::submit(std::function<void()> task) {
    bool wake = false;
    {
        std::lock_guard lock(mutex_);
        tasks_.push_back(std::move(task));
        wake = idleWorkers_ > 0;
    }
    if (wake) {
        taskWaiting_.notify_one();
    }
}

void WorkQueue::markDone(std::atomic<bool>& flag) {
    bool wake = false;
    {
        // Set under the lock, so a waiter that has just found it unset cannot miss the wake-up.
        std::lock_guard lock(mutex_);
        flag.store(true, std::memory_order_release);
        wake = std::find(awaitedFlags_.begin(), awaitedFlags_.end(), &flag) != awaitedFlags_.end();
    }
    if (wake) {
        flagSet_.notify_all();
    }
}

void WorkQueue::waitFor(const std::atomic<bool>& flag) {
    if (flag.load(std::memory_order_acquire)) {
        return;
    }
    std::unique_lock lock(mutex_);
    if (!threads_.empty()) {
        awaitedFlags_.push_back(&flag);
        flagSet_.wait(lock, [&] { return flag.load(std::memory_order_acquire); });
        awaitedFlags_.erase(std::find(awaitedFlags_.begin(), awaitedFlags_.end(), &flag));
        return;
    }
    while (!flag.load(std::memory_order_acquire)) {
        if (tasks_.empty()) {
            // A flag no task will ever set: waiting would hang the run for ever.
            std::fputs("Sorvik: waited for work that was never handed over\n", stderr);
            std::abort();
        }
        std::function<void()> task = take(lock);
        lock.unlock();
        task();
        lock.lock();
    }
}

void WorkQueue::waitFor(const std::atomic<bool>& flag, std::chrono::milliseconds most) {
    std::unique_lock lock(mutex_);
    awaitedFlags_.push_back(&flag);
    flagSet_.wait_for(lock, most, [&] { return flag.load(std::memory_order_acquire); });
    awaitedFlags_.erase(std::find(awaitedFlags_.begin(), awaitedFlags_.end(), &flag));
}

std::function<void()> WorkQueue::take(std::unique_lock<std::mutex>& lock) {
    ++idleWorkers_;
    taskWaiting_.wait(lock, [this] { return !tasks_.empty() || stopping_; });
    --idleWorkers_;
    if (tasks_.empty()) {
        return {};
    }
    std::function<void()> task = std::move(tasks_.front());
    tasks_.pop_front();
    return task;
}

void WorkQueue::work() {
    std::unique_lock lock(mutex_);
    while (std::function<void()> task = take(lock)) {
        lock.unlock();
        task();
        lock.lock();
    }
}

}  // namespace sorvik::engine
