#include "tests/support/temp_folder.h"

#ifdef _WIN32
#include <windows.h>

#include <random>
#else
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <stdexcept>
#include <system_error>

#include "platform/separator.h"

namespace sorvik::test {

namespace fs = std::filesystem;

fs::path pathOf(std::string_view utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string textOf(const fs::path& path) {
    const std::u8string utf8 = path.u8string();
    return {utf8.begin(), utf8.end()};
}

std::string systemPath(std::string text) {
    std::replace(text.begin(), text.end(), '/', platform::kSeparator);
    return text;
}

std::string TempFolder::operator/(std::string_view relative) const {
    return textOf(path_ / pathOf(systemPath(std::string(relative))));
}

void writeFile(const std::string& path, std::string_view contents) {
    const fs::path where = pathOf(path);
    fs::create_directories(where.parent_path());
    std::ofstream out(where, std::ios::binary | std::ios::trunc);
    out.write(contents.data(), static_cast<std::streamsize>(contents.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + path);
    }
}

std::string readFile(const std::string& path) {
    std::ifstream in(pathOf(path), std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + path);
    }
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

#ifdef _WIN32

namespace {

// FILETIME counts 100 ns steps from 1601; Sorvik's times count nanoseconds from 1970.
constexpr long long kStepsFrom1601To1970 = 116'444'736'000'000'000LL;

[[noreturn]] void throwLastError(const std::string& what) {
    throw std::system_error(static_cast<int>(::GetLastError()), std::system_category(), what);
}

}  // namespace

TempFolder::TempFolder() {
    wchar_t temporary[MAX_PATH + 1];
    const DWORD length = ::GetTempPathW(MAX_PATH + 1, temporary);
    if (length == 0 || length > MAX_PATH) {
        throwLastError("GetTempPathW");
    }
    std::random_device seed;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path candidate = fs::path(std::wstring(temporary, length)) /
                                   (L"sorvik-test-" + std::to_wstring(seed() % 1'000'000'000u));
        if (::CreateDirectoryW(candidate.c_str(), nullptr)) {
            path_ = candidate;
            return;
        }
        if (::GetLastError() != ERROR_ALREADY_EXISTS) {
            throwLastError("CreateDirectoryW " + textOf(candidate));
        }
    }
    throw std::runtime_error("no free temporary folder name");
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    // Read-only, hidden and system files refuse to be deleted; tests leave such files behind.
    for (auto it = fs::recursive_directory_iterator(path_, ignored);
         it != fs::recursive_directory_iterator(); it.increment(ignored)) {
        ::SetFileAttributesW(it->path().c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    fs::remove_all(path_, ignored);
}

void makeFifo(const std::string& path) {
    throw std::runtime_error("Windows has no FIFOs: " + path);
}

void makeSocket(const std::string& path) {
    throw std::runtime_error("Windows has no socket files: " + path);
}

void addAttributes(const std::string& path, unsigned attributes) {
    const std::wstring wide = pathOf(path).wstring();
    const DWORD now = ::GetFileAttributesW(wide.c_str());
    if (now == INVALID_FILE_ATTRIBUTES || !::SetFileAttributesW(wide.c_str(), now | attributes)) {
        throwLastError("SetFileAttributesW " + path);
    }
}

void setModifiedTime(const std::string& path, long long seconds, long nanoseconds) {
    const long long steps = kStepsFrom1601To1970 + seconds * 10'000'000LL + nanoseconds / 100;
    const FILETIME time{static_cast<DWORD>(steps & 0xFFFF'FFFF), static_cast<DWORD>(steps >> 32)};
    // Backup semantics open a folder too; a link is set itself, not what it leads to.
    const HANDLE file = ::CreateFileW(
        pathOf(path).c_str(), FILE_WRITE_ATTRIBUTES,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
        FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        throwLastError("CreateFileW " + path);
    }
    const bool set = ::SetFileTime(file, nullptr, &time, &time);
    const DWORD error = ::GetLastError();
    ::CloseHandle(file);
    if (!set) {
        throw std::system_error(static_cast<int>(error), std::system_category(),
                                "SetFileTime " + path);
    }
}

long long modifiedTimeNs(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(pathOf(path).c_str(), GetFileExInfoStandard, &data)) {
        throwLastError("GetFileAttributesExW " + path);
    }
    const long long steps = static_cast<long long>(data.ftLastWriteTime.dwHighDateTime) << 32 |
                            data.ftLastWriteTime.dwLowDateTime;
    return (steps - kStepsFrom1601To1970) * 100;
}

#else

TempFolder::TempFolder() {
    std::string pattern = textOf(fs::temp_directory_path() / "sorvik-test-XXXXXX");
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::system_error(errno, std::system_category(), "mkdtemp");
    }
    path_ = pattern;
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    // Tests may leave folders without permissions behind; give them back so all can go.
    for (auto it = fs::recursive_directory_iterator(
             path_, fs::directory_options::skip_permission_denied, ignored);
         it != fs::recursive_directory_iterator(); it.increment(ignored)) {
        if (it->is_directory(ignored) && !it->is_symlink(ignored)) {
            ::chmod(it->path().c_str(), 0700);
        }
    }
    ::chmod(path_.c_str(), 0700);
    fs::remove_all(path_, ignored);
}

void makeFifo(const std::string& path) {
    if (::mkfifo(path.c_str(), 0600) != 0) {
        throw std::system_error(errno, std::system_category(), "mkfifo " + path);
    }
}

void makeSocket(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) {
        throw std::runtime_error("socket path too long: " + path);
    }
    path.copy(address.sun_path, path.size());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const int bound = ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    const int error = errno;
    ::close(fd);
    if (bound != 0) {
        throw std::system_error(error, std::system_category(), "bind " + path);
    }
}

void addAttributes(const std::string& path, unsigned attributes) {
    if (attributes != 0) {
        throw std::invalid_argument("file attributes are Windows's: " + path);
    }
}

void setModifiedTime(const std::string& path, long long seconds, long nanoseconds) {
    const struct timespec times[2] = {{static_cast<time_t>(seconds), nanoseconds},
                                      {static_cast<time_t>(seconds), nanoseconds}};
    if (::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0) {
        throw std::system_error(errno, std::system_category(), "utimensat " + path);
    }
}

long long modifiedTimeNs(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        throw std::system_error(errno, std::system_category(), "stat " + path);
    }
    return static_cast<long long>(st.st_mtim.tv_sec) * 1'000'000'000LL + st.st_mtim.tv_nsec;
}

#endif

}  // namespace sorvik::test
