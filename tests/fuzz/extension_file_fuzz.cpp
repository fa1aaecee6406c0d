// The excluded-extension file: any bytes are read without harm, and entries the field reader
// cannot mistake are read back exactly as they were written.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "lists/extension_file.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

// Entries as a user types them: no comma or quote to split them, no line end, nothing the field
// reader skips in front, and not empty (an empty line is no entry).
std::vector<std::string> typedEntries(const std::vector<std::string>& strings) {
    std::vector<std::string> entries;
    for (std::string text : strings) {
        std::erase_if(text, [](char c) { return c == ',' || c == '"' || c == '\r' || c == '\n'; });
        text.erase(0, text.find_first_not_of(' '));
        if (!text.empty()) {
            entries.push_back(std::move(text));
        }
    }
    return entries;
}

void checkRoundTrip(const std::vector<std::string>& entries) {
    static const std::string path = sorvik::fuzz::scratchPath("written.ini");
    if (const std::error_code error = sorvik::lists::writeExtensionFile(path, entries)) {
        sorvik::fuzz::fail("entries do not write: " + error.message() + "\n  entries " +
                           sorvik::fuzz::printable(entries));
    }
    const auto back = sorvik::lists::readExtensionFile(path);
    if (!back) {
        sorvik::fuzz::fail("written entries do not read: " + back.error().message() + "\n  wrote " +
                           sorvik::fuzz::printable(entries));
    }
    if (*back != entries) {
        sorvik::fuzz::fail("written entries read back different\n  wrote " +
                           sorvik::fuzz::printable(entries) + "\n  read  " +
                           sorvik::fuzz::printable(*back));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    sorvik::fuzz::readInput("input.ini", sorvik::fuzz::bytesOf(data, size),
                            sorvik::lists::readExtensionFile, [](const auto&) {});
    // Entries cut from the input, taken as they are and taken as code page 932 text.
    FuzzedDataProvider provider(data, size);
    const std::vector<std::string> strings = sorvik::fuzz::stringsFrom(provider);
    checkRoundTrip(typedEntries(strings));
    checkRoundTrip(typedEntries(sorvik::fuzz::decodedWhenCodePage932(strings)));
    return 0;
}
