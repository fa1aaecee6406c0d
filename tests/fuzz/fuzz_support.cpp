#include "tests/fuzz/fuzz_support.h"

#include <fcntl.h>
#include <sanitizer/common_interface_defs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "platform/code_page.h"

namespace sorvik::fuzz {
namespace {

std::string& scratchFolder() {
    static std::string folder;
    return folder;
}

void removeScratchFolder() {
    if (scratchFolder().empty()) {
        return;
    }
    std::error_code ignored;
    std::filesystem::remove_all(scratchFolder(), ignored);
}

[[noreturn]] void harnessFailure(const char* what, int error) {
    std::fprintf(stderr, "fuzz harness: %s: %s\n", what, std::strerror(error));
    removeScratchFolder();
    std::_Exit(3);
}

std::string makeScratchFolder() {
    std::filesystem::path base = "/dev/shm";
    if (::access(base.c_str(), W_OK | X_OK) != 0) {
        base = std::filesystem::temp_directory_path();
    }
    std::string pattern = (base / "sorvik-fuzz-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        harnessFailure("mkdtemp", errno);
    }
    scratchFolder() = pattern;
    std::atexit(removeScratchFolder);
    // A sanitizer report ends the process without atexit handlers.
    __sanitizer_set_death_callback(removeScratchFolder);
    return pattern;
}

}  // namespace

std::string scratchPath(std::string_view name) {
    static const std::string folder = makeScratchFolder();
    return folder + '/' + std::string(name);
}

void writeBytes(const std::string& path, std::string_view bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) {
        harnessFailure("open", errno);
    }
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            harnessFailure("write", errno);
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    if (::close(fd) != 0) {
        harnessFailure("close", errno);
    }
}

std::string printable(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte >= 0x20 && byte < 0x7F) {
            out += c;
        } else {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02X", byte);
            out += escape;
        }
    }
    return out + '"';
}

std::string printable(const std::vector<std::string>& texts) {
    std::string out = "{";
    for (std::size_t i = 0; i < texts.size(); ++i) {
        out += (i == 0 ? "" : ", ") + printable(texts[i]);
    }
    return out + '}';
}

void fail(std::string_view what) {
    std::fprintf(stderr, "\nproperty broken: %.*s\n", static_cast<int>(what.size()), what.data());
    removeScratchFolder();
    std::abort();
}

std::vector<std::string> stringsFrom(FuzzedDataProvider& provider) {
    std::vector<std::string> strings;
    while (provider.remaining_bytes() > 0) {
        strings.push_back(provider.ConsumeRandomLengthString());
    }
    return strings;
}

std::string decodedWhenCodePage932(std::string text) {
    if (platform::Result<std::string> decoded = platform::fromCodePage932(text)) {
        return std::move(decoded).value();
    }
    return text;
}

std::vector<std::string> decodedWhenCodePage932(std::vector<std::string> texts) {
    for (std::string& text : texts) {
        text = decodedWhenCodePage932(std::move(text));
    }
    return texts;
}

}  // namespace sorvik::fuzz
