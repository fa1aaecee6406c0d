#include "engine/worker_count.h"

#include <algorithm>

namespace sorvik::engine {

namespace {

constexpr unsigned kMostWorkers = 8;
constexpr unsigned kMostWorkersOnNetwork = 2;

}  // namespace

unsigned workerCount(unsigned requestedJobs, unsigned cores, platform::StorageKind source,
                     platform::StorageKind backup) {
    using platform::StorageKind;
    if (requestedJobs > 0) {
        return requestedJobs == 1 ? 0 : requestedJobs;
    }
    if (cores < 2 || source == StorageKind::rotating || backup == StorageKind::rotating) {
        return 0;
    }
    const unsigned workers = std::min(cores, kMostWorkers);
    if (source == StorageKind::network || backup == StorageKind::network) {
        return std::min(workers, kMostWorkersOnNetwork);
    }
    return workers;
}

}  // namespace sorvik::engine
