// The settings file: any bytes are read without harm, and settings whose list path holds no line
// end are read back exactly as they were written.
#include <algorithm>

#include "lists/settings_file.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

using sorvik::lists::Option;
using sorvik::lists::Settings;

void checkRoundTrip(const Settings& settings) {
    sorvik::fuzz::checkRoundTrip(settings, sorvik::lists::writeSettingsFile,
                                 sorvik::lists::readSettingsFile);
}

// The list path is one line of the file.
std::string oneLine(std::string text) {
    std::erase_if(text, [](char c) { return c == '\r' || c == '\n' || c == '\0'; });
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Whatever a file gave, the program writes again on closing and must find once more.
    if (const auto read = sorvik::fuzz::readBytes("input.ini", sorvik::fuzz::bytesOf(data, size),
                                                  sorvik::lists::readSettingsFile)) {
        checkRoundTrip(*read);
    }
    // Settings made from the input, the list path taken as it is and as code page 932 text.
    FuzzedDataProvider provider(data, size);
    Settings settings;
    settings.placeholder = provider.ConsumeBool();
    for (const Option option : sorvik::lists::kOptionsInFileOrder) {
        settings[option] = provider.ConsumeBool();
    }
    const std::string path = provider.ConsumeRemainingBytesAsString();
    settings.listPath = oneLine(path);
    checkRoundTrip(settings);
    settings.listPath = oneLine(sorvik::fuzz::decodedWhenCodePage932(path));
    checkRoundTrip(settings);
    return 0;
}
