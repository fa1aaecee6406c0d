#pragma once

#include <compare>
#include <cstdint>

namespace sorvik::platform {

// What a name in a folder turned out to be. `other` covers everything the program never backs up:
// FIFOs, sockets, devices and links that lead nowhere.
enum class EntryKind { missing, ordinaryFile, folder, link, other };

// Identifies a folder however its path is written (device and inode on POSIX).
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

// Size and last modification time, at the full resolution the file system keeps.
struct FileInfo {
    EntryKind kind = EntryKind::missing;
    std::uint64_t size = 0;
    std::int64_t modifiedNs = 0;  // nanoseconds since 1970-01-01 UTC
};

}  // namespace sorvik::platform
