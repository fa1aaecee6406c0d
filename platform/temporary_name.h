#pragma once

#include <string>
#include <string_view>

namespace sorvik::platform {

// Sorvik writes every file under a temporary name in the target folder and renames it when
// complete. The name is ".sorvik-", sixteen random lower-case letters or digits, then ".tmp":
// long and odd enough that no user's file plausibly has it, so listings may leave such names out
// and a run may delete the ones a killed run left behind. A user's file that merely starts with
// ".sorvik-" is an ordinary file.
inline constexpr std::string_view kTemporaryPrefix = ".sorvik-";
inline constexpr std::string_view kTemporarySuffix = ".tmp";
inline constexpr std::size_t kTemporaryRandomLength = 16;

// A fresh candidate name; the caller creates it exclusively and asks again on a collision.
[[nodiscard]] std::string newTemporaryName();

// True exactly for names of the temporary form.
[[nodiscard]] bool isTemporaryName(std::string_view name) noexcept;

}  // namespace sorvik::platform
