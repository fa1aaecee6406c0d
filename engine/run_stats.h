#pragma once

#include <cstdint>

namespace sorvik::engine {

// What a run has done so far, for progress displays and the closing summary.
struct RunStats {
    std::uint64_t folders = 0;  // destination folders worked on
    std::uint64_t filesCopied = 0;
    std::uint64_t filesCreatedEmpty = 0;
    std::uint64_t filesSkipped = 0;  // left alone by the rules
    std::uint64_t bytesCopied = 0;
    std::uint64_t errors = 0;  // error entries recorded
};

}  // namespace sorvik::engine
