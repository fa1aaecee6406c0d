#include "platform/temporary_name.h"

#include <algorithm>
#include <random>

namespace sorvik::platform {
namespace {

// Lower case only: on a disk that ignores case two candidates differing in case would collide.
constexpr std::string_view kAlphabet = "abcdefghijklmnopqrstuvwxyz0123456789";

bool isRandomCharacter(char c) noexcept {
    return kAlphabet.find(c) != std::string_view::npos;
}

}  // namespace

std::string newTemporaryName() {
    thread_local std::mt19937_64 generator{std::random_device{}()};
    std::uniform_int_distribution<std::size_t> pick(0, kAlphabet.size() - 1);
    std::string name{kTemporaryPrefix};
    for (std::size_t i = 0; i < kTemporaryRandomLength; ++i) {
        name += kAlphabet[pick(generator)];
    }
    name += kTemporarySuffix;
    return name;
}

bool isTemporaryName(std::string_view name) noexcept {
    if (name.size() != kTemporaryPrefix.size() + kTemporaryRandomLength + kTemporarySuffix.size() ||
        !name.starts_with(kTemporaryPrefix) || !name.ends_with(kTemporarySuffix)) {
        return false;
    }
    return std::ranges::all_of(name.substr(kTemporaryPrefix.size(), kTemporaryRandomLength),
                               isRandomCharacter);
}

}  // namespace sorvik::platform
