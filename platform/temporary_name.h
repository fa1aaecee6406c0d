#pragma once

#include <string>
#include <string_view>

namespace sorvik::platform {

// Sorvik writes every file under a temporary name ".sorvik-XXXXXX" in the target folder and renames
// it when complete. Listings leave these names out, and a run removes the ones a killed run left.
inline constexpr std::string_view kTemporaryPrefix = ".sorvik-";
inline constexpr std::size_t kTemporarySuffixLength = 6;

// A fresh candidate name; the caller creates it exclusively and asks again on a collision.
std::string newTemporaryName();

// True exactly for names of the temporary pattern (prefix plus six letters or digits).
bool isTemporaryName(std::string_view name) noexcept;

}  // namespace sorvik::platform
