#include "platform/time_precision.h"

#include <array>

namespace sorvik::platform {

using namespace std::chrono_literals;

std::optional<std::chrono::nanoseconds> precisionKeeping(std::int64_t wantedNs, std::int64_t keptNs,
                                                         std::chrono::nanoseconds finest) {
    constexpr std::array<std::chrono::nanoseconds, 6> kPrecisions{1ns, 100ns, 1us, 10ms, 1s, 2s};
    for (const std::chrono::nanoseconds precision : kPrecisions) {
        if (precision < finest) {
            continue;
        }
        const std::int64_t step = precision.count();
        const std::int64_t below = wantedNs / step * step;
        if (keptNs == below || (precision == 2s && keptNs == below + step)) {
            return precision;
        }
    }
    return std::nullopt;
}

}  // namespace sorvik::platform
