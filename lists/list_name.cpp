#include "lists/list_name.h"

#include <algorithm>

namespace sorvik::lists {

namespace {

constexpr std::size_t kLongestFileName = 250;

bool isForbidden(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F ||
           std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos;
}

}  // namespace

std::string listFileName(std::string_view name) {
    return std::string(name) + ".lst";
}

bool isProperListName(std::string_view name) {
    if (name.empty()) {
        return true;
    }
    const bool onlyBlanks = name.find_first_not_of(' ') == std::string_view::npos;
    return !onlyBlanks && std::ranges::none_of(name, isForbidden) &&
           listFileName(name).size() <= kLongestFileName;
}

}  // namespace sorvik::lists
