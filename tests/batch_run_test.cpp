#include "engine/batch_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/messages.h"
#include "platform/code_page.h"
#include "tests/support/engine_run.h"
#include "tests/support/temp_folder.h"

namespace sorvik::test {
namespace {

namespace fs = std::filesystem;
using engine::BackupEngine;
namespace text = engine::text;

struct Pair {
    std::string source;
    std::string backup;
};

// Runs a batch over `pairs` the way a front end does: selecting a pair puts it where the single
// run reads it. Records the batch flag each single run saw.
struct BatchFixture {
    RecordingHost host;
    BackupEngine engine{host};
    std::vector<std::size_t> selected;
    std::vector<bool> batchModeSeen;

    engine::BatchOutcome run(const std::vector<Pair>& pairs) {
        return engine::runBatch(engine, pairs.size(), [&](std::size_t i) {
            selected.push_back(i);
            batchModeSeen.push_back(engine.inBatch);
            host.source = pairs[i].source;
            host.backup = pairs[i].backup;
        });
    }
};

TEST(BatchRun, AMissingSourceOrARefusedPairIsToldAndTheBatchGoesOn) {
    TempFolder temp;
    writeFile(temp / "a/f.txt", "a");
    writeFile(temp / "c/f.txt", "c");
    BatchFixture batch;
    batch.host.logPath = temp / "ErrorLog.txt";
    const auto outcome = batch.run({{temp / "a", temp / "bk-a"},
                                    {temp / "gone", temp / "bk-gone"},
                                    {temp / "c", temp / "c"},
                                    {temp / "c", temp / "bk-c"}});

    EXPECT_EQ(outcome.pairs, 4u);
    EXPECT_EQ(outcome.sourcesMissing, 1u);
    EXPECT_EQ(outcome.refused, 1u);
    ASSERT_EQ(batch.host.messages.size(), 2u);
    EXPECT_EQ(batch.host.messages[0].text, text::kSourceNotFound);
    EXPECT_EQ(batch.host.messages[1].text, text::kPairOverlaps);
    EXPECT_EQ(readFile(temp / "bk-a/f.txt"), "a");
    EXPECT_EQ(readFile(temp / "bk-c/f.txt"), "c");
    EXPECT_FALSE(fs::exists(temp / "bk-gone"));
    // Neither adds to the error text, so there is no log.
    EXPECT_FALSE(fs::exists(batch.host.logPath));
}

}  // namespace
}  // namespace sorvik::test
