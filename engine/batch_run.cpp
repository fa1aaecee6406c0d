#include "engine/batch_run.h"

namespace sorvik::engine {

namespace {

// Keeps the report for the end of the batch, and gives it back to single runs however the batch
// ends.
class BatchScope {
  public:
    explicit BatchScope(BackupEngine& engine) : engine_(engine) { engine_.inBatch = true; }
    ~BatchScope() { engine_.inBatch = false; }
    BatchScope(const BatchScope&) = delete;
    BatchScope& operator=(const BatchScope&) = delete;

  private:
    BackupEngine& engine_;
};

}  // namespace

BatchOutcome runBatch(BackupEngine& engine, std::size_t pairCount,
                      const std::function<void(std::size_t)>& selectPair) {
    BatchOutcome outcome;
    {
        BatchScope batchMode(engine);
        for (std::size_t i = 0; i < pairCount; ++i) {
            selectPair(i);
            ++outcome.pairs;
            switch (engine.singleRun()) {
                case RunOutcome::completed:
                    break;
                case RunOutcome::sourceMissing:
                    ++outcome.sourcesMissing;
                    break;
                case RunOutcome::refused:
                    ++outcome.refused;
                    break;
            }
        }
    }
    engine.reportErrors();
    return outcome;
}

}  // namespace sorvik::engine
