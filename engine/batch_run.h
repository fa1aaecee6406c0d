#pragma once

#include <cstddef>
#include <functional>

#include "engine/backup_engine.h"

namespace sorvik::engine {

// What a batch did with its pairs. Missing sources and refused pairs showed their message and
// wrote nothing; their errors are not in the error text.
struct BatchOutcome {
    std::size_t pairs = 0;
    std::size_t sourcesMissing = 0;
    std::size_t refused = 0;
};

// The batch run: every pair of a list, top to bottom, then one error report for all of them.
// `selectPair(i)` makes pair i the pair the host shows before its single run reads it. A missing
// source or a refused pair shows its message and the batch goes on with the next pair.
BatchOutcome runBatch(BackupEngine& engine, std::size_t pairCount,
                      const std::function<void(std::size_t)>& selectPair);

}  // namespace sorvik::engine
