#pragma once

#include <chrono>
#include <cstdint>
#include <optional>

namespace sorvik::platform {

// The precision a disk keeps, told by what it made of a probe time: the finest of 1 ns (or
// `finest`, the system's own unit), 100 ns, 1 µs, 10 ms, 1 s and 2 s that turns `wantedNs` into
// `keptNs`, or nothing when `keptNs` is no rounding of it at all (the time did not stick). Whole
// seconds must keep an odd second; two seconds (FAT) may round either way to an even one. Both
// times are nanoseconds since 1970; the probe has every sub-second digit set, so each way of
// losing precision shows.
[[nodiscard]] std::optional<std::chrono::nanoseconds> precisionKeeping(
    std::int64_t wantedNs, std::int64_t keptNs,
    std::chrono::nanoseconds finest = std::chrono::nanoseconds(1));

}  // namespace sorvik::platform
