#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace sorvik::engine {

// Runs one task at a time on a second thread, started when first needed. A run uses it to look
// up the files of a source folder while it looks up the same names in the backup folder: an
// unchanged re-run spends nearly all its time in such look-ups, and a machine has cores to spare.
class BackgroundWorker {
  public:
    BackgroundWorker() = default;
    BackgroundWorker(const BackgroundWorker&) = delete;
    BackgroundWorker& operator=(const BackgroundWorker&) = delete;
    ~BackgroundWorker();

    // Hands over `task`; the previous one must have been waited for.
    void start(std::function<void()> task);
    // Returns once the task handed over last has run.
    void wait();

  private:
    void loop();

    std::mutex mutex_;
    std::condition_variable changed_;
    std::function<void()> task_;
    bool busy_ = false;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace sorvik::engine
