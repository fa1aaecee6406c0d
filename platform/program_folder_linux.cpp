#include "platform/program_folder.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

namespace sorvik::platform {
namespace {

constexpr const char* kFolderName = "Sorvik";

bool isSet(const char* value) {
    return value != nullptr && value[0] != '\0';
}

// "/" becomes "", so appending "/name" never doubles a separator.
std::string withoutTrailingSeparators(std::string path) {
    while (!path.empty() && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

// getpwuid_r rather than getpwuid: the window may ask from a worker thread.
Result<std::string> homeFromUserDatabase() {
    const long suggested = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(suggested > 0 ? static_cast<std::size_t>(suggested) : 1024);
    while (true) {
        struct passwd entry {};
        struct passwd* found = nullptr;
        const int error = ::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found);
        if (error == ERANGE) {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        if (error != 0) {
            return lastSystemError(error);
        }
        if (found == nullptr || !isSet(found->pw_dir)) {
            return std::make_error_code(std::errc::no_such_file_or_directory);
        }
        return std::string(found->pw_dir);
    }
}

Result<std::string> dataFolder() {
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); isSet(xdg) && xdg[0] == '/') {
        return withoutTrailingSeparators(xdg);
    }
    std::string home;
    if (const char* fromEnvironment = std::getenv("HOME"); isSet(fromEnvironment)) {
        home = fromEnvironment;
    } else {
        Result<std::string> fromDatabase = homeFromUserDatabase();
        if (!fromDatabase) {
            return fromDatabase.error();
        }
        home = std::move(fromDatabase).value();
    }
    return withoutTrailingSeparators(std::move(home)) + "/.local/share";
}

std::error_code notAFolder() {
    return std::make_error_code(std::errc::not_a_directory);
}

bool isFolder(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::error_code ensureFolder(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) {
        return S_ISDIR(st.st_mode) ? std::error_code() : notAFolder();
    }
    if (errno != ENOENT) {
        return errno == ENOTDIR ? notAFolder() : lastSystemError(errno);
    }
    if (::mkdir(path.c_str(), 0700) == 0) {
        return {};
    }
    const int error = errno;
    if (error == EEXIST) {
        // Created by someone else meanwhile, or a link that leads nowhere stands there.
        return isFolder(path) ? std::error_code() : notAFolder();
    }
    return lastSystemError(error);
}

std::error_code ensureFolderWithParents(const std::string& path) {
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        if (path[slash - 1] == '/') {
            continue;
        }
        if (const std::error_code error = ensureFolder(path.substr(0, slash))) {
            return error;
        }
    }
    return ensureFolder(path);
}

}  // namespace

Result<std::string> programFolder() {
    Result<std::string> base = dataFolder();
    if (!base) {
        return base.error();
    }
    std::string folder = std::move(base).value() + "/" + kFolderName;
    if (const std::error_code error = ensureFolderWithParents(folder)) {
        return error;
    }
    return folder;
}

}  // namespace sorvik::platform
