#include "platform/temporary_name.h"

#include <random>

namespace sorvik::platform {
namespace {

constexpr std::string_view kAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";

bool isAlphanumeric(char c) noexcept {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

}  // namespace

std::string newTemporaryName() {
    thread_local std::mt19937_64 generator{std::random_device{}()};
    std::uniform_int_distribution<std::size_t> pick(0, kAlphabet.size() - 1);
    std::string name{kTemporaryPrefix};
    for (std::size_t i = 0; i < kTemporarySuffixLength; ++i) {
        name += kAlphabet[pick(generator)];
    }
    return name;
}

bool isTemporaryName(std::string_view name) noexcept {
    if (name.size() != kTemporaryPrefix.size() + kTemporarySuffixLength ||
        !name.starts_with(kTemporaryPrefix)) {
        return false;
    }
    for (char c : name.substr(kTemporaryPrefix.size())) {
        if (!isAlphanumeric(c)) {
            return false;
        }
    }
    return true;
}

}  // namespace sorvik::platform
