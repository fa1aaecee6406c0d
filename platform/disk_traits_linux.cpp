#include <fcntl.h>
#include <sys/stat.h>
#include <sys/vfs.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>

#include "platform/disk_traits.h"
#include "platform/linux/temporary_file.h"
#include "platform/time_precision.h"

namespace sorvik::platform {
namespace {

using namespace std::chrono_literals;

// An odd second with every sub-second digit used, so each way of losing precision shows.
constexpr struct timespec kProbeTime { 1'600'000'001, 123'456'789 };

std::int64_t nanosecondsOf(const struct timespec& time) {
    return static_cast<std::int64_t>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

std::optional<std::chrono::nanoseconds> precisionKeeping(
    const std::optional<struct timespec>& kept) {
    return kept ? platform::precisionKeeping(nanosecondsOf(kProbeTime), nanosecondsOf(*kept))
                : std::nullopt;
}

std::optional<struct timespec> modifiedTimeOf(int folder, const std::string& name) {
    struct stat st {};
    if (::fstatat(folder, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        return std::nullopt;
    }
    return st.st_mtim;
}

// The probe's name is random, so its other letter case names nothing unless the disk folds case.
// (Identities cannot tell: FUSE file systems may number one file differently by name.)
bool exists(int folder, const std::string& name) {
    struct stat st {};
    return ::fstatat(folder, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
}

bool isFuseOrNetwork(int fd) {
    constexpr std::array<long, 5> kTypes{0x65735546, 0x517B, 0xFF534D42, 0xFE534D42, 0x6969};
    struct statfs fs {};
    return ::fstatfs(fd, &fs) == 0 &&
           std::find(kTypes.begin(), kTypes.end(), static_cast<long>(fs.f_type)) != kTypes.end();
}

std::string inUpperCase(std::string name) {
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return name;
}

}  // namespace

DiskTraits probeDisk(const Folder& folder) {
    DiskTraits traits;
    const int fd = folder.nativeHandle();
    TemporaryFile probe(fd, 0600);
    if (probe.creationError() != 0) {
        traits.timePrecision = folder.timeGranularity();
        return traits;
    }
    // FUSE file systems and network shares may write a file out, and stamp its time, only when it
    // is closed, and their cached attributes would show the time asked for in the meantime: there
    // the time is always set by name once the file is closed, and read back after that.
    traits.setTimeAfterClose = isFuseOrNetwork(fd);
    const struct timespec times[2] = {kProbeTime, kProbeTime};
    const auto setByName = [&] {
        return ::utimensat(fd, probe.name().c_str(), times, AT_SYMLINK_NOFOLLOW) == 0;
    };
    // Written to as a copy is, in case a disk stamps the time of the write when it is closed.
    bool set = writeAllAt(probe.fd(), "x", 1, 0) &&
               (traits.setTimeAfterClose || ::futimens(probe.fd(), times) == 0);
    static_cast<void>(probe.close());
    set = set && (!traits.setTimeAfterClose || setByName());
    auto precision = set ? precisionKeeping(modifiedTimeOf(fd, probe.name())) : std::nullopt;
    if (!precision && !traits.setTimeAfterClose) {
        traits.setTimeAfterClose = true;  // the close's own update replaced the time
        precision = setByName() ? precisionKeeping(modifiedTimeOf(fd, probe.name())) : std::nullopt;
    }
    traits.timesStick = precision.has_value();
    traits.timePrecision = precision.value_or(folder.timeGranularity());
    traits.ignoresCase = exists(fd, inUpperCase(probe.name()));
    return traits;
}

}  // namespace sorvik::platform
