#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <system_error>
#include <vector>

#include "platform/result.h"

namespace sorvik::lists {

// The options the window shows as check boxes.
enum class Option {
    alwaysOnTop,
    skipExcludedExtensions,
    onlyWhenLarger,
    onlyWhenNewer,
    automaticRun,
};

// The order the settings file keeps the options in, one line each.
inline constexpr std::array kOptionsInFileOrder{
    Option::alwaysOnTop,   Option::skipExcludedExtensions, Option::onlyWhenLarger,
    Option::onlyWhenNewer, Option::automaticRun,
};

// What the settings file "sorvik01.ini" keeps between two starts. The initial values are those of
// a first run.
struct Settings {
    std::string listPath;
    bool placeholder = false;
    bool alwaysOnTop = true;
    bool skipExcludedExtensions = true;
    bool onlyWhenLarger = false;
    bool onlyWhenNewer = true;
    bool automaticRun = false;

    bool& operator[](Option option);
    bool operator[](Option option) const { return const_cast<Settings&>(*this)[option]; }
    bool operator==(const Settings&) const = default;
};

// The file is a text file of the program (platform/text_file.h) of seven lines: the list path
// exactly as it is, "True" or "False" for the placeholder mode, then one line per check box,
// " 1 " or " 0 ".
//
// Reading takes line 1 whole, so a list path holding a comma or a quote survives. The other items
// are the fields of the following lines, in order (see field_reader.h). An item that is missing
// or does not convert keeps its initial value: a hand-edited or cut-short file never stops the
// program. The placeholder mode takes "True" or "False" in any letter case, or a number (0 is
// off); a check box takes 0 or 1 with blanks around it. A file that cannot be read or decoded is
// an error.
platform::Result<Settings> readSettingsFile(const std::string& path);

// The lines `writeSettingsFile` writes.
std::vector<std::string> settingsLines(const Settings& settings);

// Replaces the file whole.
[[nodiscard]] std::error_code writeSettingsFile(const std::string& path, const Settings& settings);

}  // namespace sorvik::lists
