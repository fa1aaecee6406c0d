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
            batchModeSeen.push_back(engine.BatchMode);
            host.source = pairs[i].source;
            host.backup = pairs[i].backup;
        });
    }
};

TEST(BatchRun, AnEmptyListOnlyReports) {
    TempFolder temp;
    BatchFixture batch;
    batch.host.logPath = temp / "ErrorLog.txt";
    const auto outcome = batch.run({});
    EXPECT_EQ(outcome.pairs, 0u);
    EXPECT_EQ(batch.host.captions, std::vector<std::string>{std::string(text::kComplete)});
    EXPECT_TRUE(batch.host.messages.empty());
    EXPECT_FALSE(fs::exists(batch.host.logPath));
    EXPECT_FALSE(batch.engine.BatchMode);
}

TEST(BatchRun, FailuresOfEveryPairMakeOneReportInPairOrder) {
    TempFolder temp;
    for (const char* pair : {"one", "two"}) {
        writeFile(temp / (std::string(pair) + "/src/sub/f.txt"), pair);
        writeFile(temp / (std::string(pair) + "/bk/sub"), "a file where a folder must go");
    }
    writeFile(temp / "three/src/g.txt", "fine");
    BatchFixture batch;
    batch.host.logPath = temp / "ErrorLog.txt";
    const auto outcome = batch.run({{temp / "one/src", temp / "one/bk"},
                                    {temp / "three/src", temp / "three/bk"},
                                    {temp / "two/src", temp / "two/bk"}});

    EXPECT_EQ(outcome.pairs, 3u);
    EXPECT_EQ(batch.selected, (std::vector<std::size_t>{0, 1, 2}));
    EXPECT_EQ(batch.batchModeSeen, (std::vector<bool>{true, true, true}));
    EXPECT_FALSE(batch.engine.BatchMode);
    EXPECT_EQ(readFile(temp / "three/bk/g.txt"), "fine");
    ASSERT_EQ(batch.host.messages.size(), 1u);
    EXPECT_EQ(batch.host.messages[0].text, text::kErrorsOccurred);
    const auto expected =
        platform::toCodePage932(errorEntry(text::kFolderError, temp / "one/bk/sub") +
                                errorEntry(text::kFolderError, temp / "two/bk/sub") + "\r\n");
    ASSERT_TRUE(expected);
    EXPECT_EQ(readFile(batch.host.logPath), *expected);
    EXPECT_EQ(batch.host.captions.back(), text::kComplete);
    EXPECT_EQ(std::count(batch.host.captions.begin(), batch.host.captions.end(),
                         std::string(text::kComplete)),
              1);
}

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
