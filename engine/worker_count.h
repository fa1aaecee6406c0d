#pragma once

#include "platform/storage_kind.h"

namespace sorvik::engine {

// How many worker threads copy and look up files for a run, besides the thread that runs it.
// 0 means none: the run does everything itself, one file at a time.
//
// `requestedJobs` is the user's choice of how many files go at once (0: let the machine decide).
// One job is one file at a time; N jobs are N workers. Left to the machine, the run takes a
// worker per core, at most eight, on solid-state and unknown storage; one file at a time where
// either side is a rotating disk, whose seeks between files cost more than working in parallel
// gains; and at most two workers where either side is a network share, whose server may itself
// be a rotating disk.
unsigned workerCount(unsigned requestedJobs, unsigned cores, platform::StorageKind source,
                     platform::StorageKind backup);

}  // namespace sorvik::engine
