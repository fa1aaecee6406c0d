#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace sorvik::engine {

// Runs the tasks of one run on a fixed number of worker threads, first in, first out. With no
// workers the queue runs each task on the thread that waits for it, in the order given, so a run
// with one job does its work one step at a time on its own thread.
class WorkQueue {
  public:
    explicit WorkQueue(unsigned workers);
    WorkQueue(const WorkQueue&) = delete;
    WorkQueue& operator=(const WorkQueue&) = delete;
    // Waits for every task handed over, so nothing a task refers to goes away under it.
    ~WorkQueue();

    unsigned workers() const { return static_cast<unsigned>(threads_.size()); }

    void submit(std::function<void()> task);

    // Sets `flag` and wakes whoever waits for it: the last thing a task does. Once the flag is set
    // the task touches nothing it was given, so its owner may go away at once.
    void markDone(std::atomic<bool>& flag);

    // Returns once `flag` is set. With no workers, runs the waiting tasks meanwhile.
    void waitFor(const std::atomic<bool>& flag);
    // With workers: returns once `flag` is set or `most` has passed.
    void waitFor(const std::atomic<bool>& flag, std::chrono::milliseconds most);

  private:
    void work();
    // Takes the oldest waiting task; empty when the queue is stopping and has none left.
    std::function<void()> take(std::unique_lock<std::mutex>& lock);

    std::mutex mutex_;
    std::condition_variable taskWaiting_;
    std::condition_variable flagSet_;
    std::deque<std::function<void()>> tasks_;
    // Wake-ups cost a system call each, and most tasks end with nobody waiting for them.
    unsigned idleWorkers_ = 0;
    std::vector<const std::atomic<bool>*> awaitedFlags_;
    bool stopping_ = false;
    std::vector<std::thread> threads_;
};

}  // namespace sorvik::engine
