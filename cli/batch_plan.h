#pragma once

#include <string>
#include <system_error>
#include <variant>
#include <vector>

#include "cli/run_setup.h"
#include "lists/path_pair.h"

namespace sorvik::cli {

// What a batch runs: the pairs of the list, and the rules and error log every pair shares.
struct BatchPlan {
    std::vector<lists::PathPair> pairs;
    RunSetup setup;  // without a pair; the batch puts each pair in turn
};

// A file the batch needs and could not read, and why.
struct UnreadableFile {
    std::string path;
    std::error_code error;
};

// Reads the plan from the program folder `folder` the way the window keeps it: the options from
// "sorvik01.ini", the excluded extensions from "sorvik02.ini" and the pairs from `listPath`, or,
// when that is empty, from the list the settings name. The error log is the folder's
// "ErrorLog.txt".
//
// A missing "sorvik02.ini" excludes nothing. A missing "sorvik01.ini" gives a first run's options,
// but then only `listPath` can name the list. A list that is missing, is no ordinary file, or is
// named by a relative path is unreadable.
[[nodiscard]] std::variant<BatchPlan, UnreadableFile> loadBatchPlan(const std::string& folder,
                                                                    const std::string& listPath);

}  // namespace sorvik::cli
