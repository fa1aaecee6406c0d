// The settings file: any bytes are read without harm, and settings whose list path holds no line
// end are read back exactly as they were written.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "lists/settings_file.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

using sorvik::lists::Settings;

std::string describe(const Settings& settings) {
    std::string text = sorvik::fuzz::printable(settings.listPath);
    text += settings.placeholder ? " placeholder" : " copies";
    text += " checks ";
    for (const bool on : settings.checks) {
        text += on ? '1' : '0';
    }
    return text;
}

void checkRoundTrip(const Settings& settings) {
    static const std::string path = sorvik::fuzz::scratchPath("written.ini");
    if (const std::error_code error = sorvik::lists::writeSettingsFile(path, settings)) {
        sorvik::fuzz::fail("settings do not write: " + error.message() + "\n  settings " +
                           describe(settings));
    }
    const auto back = sorvik::lists::readSettingsFile(path);
    if (!back) {
        sorvik::fuzz::fail("written settings do not read: " + back.error().message() +
                           "\n  wrote " + describe(settings));
    }
    if (*back != settings) {
        sorvik::fuzz::fail("written settings read back different\n  wrote " + describe(settings) +
                           "\n  read  " + describe(*back));
    }
}

// The list path is one line of the file.
std::string oneLine(std::string text) {
    std::erase_if(text, [](char c) { return c == '\r' || c == '\n' || c == '\0'; });
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Whatever a file gave, the program writes again on closing and must find once more.
    sorvik::fuzz::readInput("input.ini", sorvik::fuzz::bytesOf(data, size),
                            sorvik::lists::readSettingsFile, checkRoundTrip);
    // Settings made from the input, the list path taken as it is and as code page 932 text.
    FuzzedDataProvider provider(data, size);
    Settings settings;
    settings.placeholder = provider.ConsumeBool();
    for (bool& on : settings.checks) {
        on = provider.ConsumeBool();
    }
    const std::string path = provider.ConsumeRemainingBytesAsString();
    settings.listPath = oneLine(path);
    checkRoundTrip(settings);
    settings.listPath = oneLine(sorvik::fuzz::decodedWhenCodePage932(path));
    checkRoundTrip(settings);
    return 0;
}
