// The excluded-extension file: any bytes are read without harm, and entries the field reader
// cannot mistake are read back exactly as they were written.
#include <algorithm>

#include "lists/extension_file.h"
#include "tests/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    (void)sorvik::fuzz::readBytes("input.ini", sorvik::fuzz::bytesOf(data, size),
                                  sorvik::lists::readExtensionFile);
    // Entries cut from the input, taken as they are and as code page 932 text, as a user types
    // them: no comma or quote to split them, no line end, no blank in front, not empty.
    FuzzedDataProvider provider(data, size);
    const std::vector<std::string> strings = sorvik::fuzz::stringsFrom(provider);
    for (const bool decode : {false, true}) {
        std::vector<std::string> entries;
        for (std::string text : strings) {
            text = decode ? sorvik::fuzz::decodedWhenCodePage932(text) : text;
            std::erase_if(text,
                          [](char c) { return c == ',' || c == '"' || c == '\r' || c == '\n'; });
            text.erase(0, text.find_first_not_of(' '));
            if (!text.empty()) {
                entries.push_back(std::move(text));
            }
        }
        sorvik::fuzz::checkRoundTrip(entries, sorvik::lists::writeExtensionFile,
                                     sorvik::lists::readExtensionFile);
    }
    return 0;
}
