#include "tests/fuzz/fuzz_support.h"

#include <sanitizer/common_interface_defs.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/code_page.h"

namespace sorvik::fuzz {
namespace {

std::string scratchFolder;

void removeScratchFolder() {
    std::error_code ignored;
    if (!scratchFolder.empty()) {
        std::filesystem::remove_all(scratchFolder, ignored);
    }
}

}  // namespace

std::string scratchPath(std::string_view name) {
    if (scratchFolder.empty()) {
        std::string pattern =
            ::access("/dev/shm", W_OK | X_OK) == 0
                ? "/dev/shm/sorvik-fuzz-XXXXXX"
                : (std::filesystem::temp_directory_path() / "sorvik-fuzz-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::perror("fuzz harness: mkdtemp");
            std::_Exit(3);
        }
        scratchFolder = pattern;
        std::atexit(removeScratchFolder);
        // A sanitizer report ends the process without atexit handlers.
        __sanitizer_set_death_callback(removeScratchFolder);
    }
    return scratchFolder + '/' + std::string(name);
}

void writeBytes(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())) || !out.flush()) {
        std::fprintf(stderr, "fuzz harness: cannot write %s\n", path.c_str());
        std::_Exit(3);
    }
}

std::string printable(const std::vector<std::string>& texts) {
    std::string out;
    for (const std::string& text : texts) {
        out += out.empty() ? "\"" : ", \"";
        for (const char c : text) {
            char escape[8];
            const auto byte = static_cast<unsigned char>(c);
            std::snprintf(escape, sizeof escape,
                          byte >= 0x20 && byte < 0x7F && c != '"' && c != '\\' ? "%c" : "\\x%02X",
                          byte);
            out += escape;
        }
        out += '"';
    }
    return out;
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
    auto decoded = platform::fromCodePage932(text);
    return decoded ? std::move(*decoded) : text;
}

}  // namespace sorvik::fuzz
