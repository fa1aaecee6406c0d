#include "engine/path_rules.h"

#include <algorithm>

#include "platform/name_order.h"
#include "platform/separator.h"

namespace sorvik::engine {
namespace {

using platform::kSeparator;

std::string_view withoutLeadingSeparators(std::string_view path) {
    while (!path.empty() && path.front() == kSeparator) {
        path.remove_prefix(1);
    }
    return path;
}

std::int64_t floorDivide(std::int64_t value, std::int64_t divisor) {
    const std::int64_t quotient = value / divisor;
    return (value % divisor != 0 && (value < 0) != (divisor < 0)) ? quotient - 1 : quotient;
}

}  // namespace

std::string withTrailingSeparator(std::string path) {
    if (!platform::endsWithSeparator(path)) {
        path += kSeparator;
    }
    return path;
}

std::string_view withoutTrailingSeparators(std::string_view path) {
    while (path.size() > 1 && path.back() == kSeparator) {
        path.remove_suffix(1);
    }
    return path;
}

std::string_view parentFolder(std::string_view path) {
    const std::size_t separator = path.rfind(kSeparator);
    return separator == std::string_view::npos ? std::string_view() : path.substr(0, separator);
}

std::string_view lastComponent(std::string_view path) {
    const std::size_t separator = path.rfind(kSeparator);
    return separator == std::string_view::npos ? path : path.substr(separator + 1);
}

std::string childPath(std::string_view folder, std::string_view name) {
    std::string path(withoutTrailingSeparators(folder));
    if (!platform::endsWithSeparator(path)) {
        path += kSeparator;
    }
    path += name;
    return path;
}

std::string_view relativePart(std::string_view entry, std::size_t sourceLength) {
    return withoutLeadingSeparators(entry.substr(std::min(sourceLength, entry.size())));
}

std::string destinationFolder(std::string_view backupFolder, std::string_view entry,
                              std::size_t sourceLength) {
    const std::string_view relative = relativePart(entry, sourceLength);
    if (relative.empty()) {
        return std::string(backupFolder);
    }
    return childPath(backupFolder, relative);
}

bool isSameOrNewer(std::int64_t backupNs, std::int64_t sourceNs,
                   std::chrono::nanoseconds granularity) {
    const std::int64_t step = std::max<std::int64_t>(1, granularity.count());
    return floorDivide(backupNs, step) >= floorDivide(sourceNs, step);
}

bool hasExcludedExtension(std::string_view name, const std::vector<std::string>& excluded) {
    const std::size_t dot = name.find_last_of('.');
    if (dot == std::string_view::npos) {
        return false;
    }
    const std::string_view extension = name.substr(dot + 1);
    for (const std::string& entry : excluded) {
        if (platform::equalIgnoringCase(extension, entry)) {
            return true;
        }
    }
    return false;
}

}  // namespace sorvik::engine
