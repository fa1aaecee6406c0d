#include "lists/settings_file.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <optional>
#include <string_view>

#include "lists/field_reader.h"
#include "platform/text_file.h"

namespace sorvik::lists {
namespace {

std::string_view withoutBlanks(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

bool equalsIgnoringCase(std::string_view text, std::string_view word) {
    return std::ranges::equal(text, word, [](char a, char b) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        return lower(a) == lower(b);
    });
}

template <class Number>
std::optional<Number> wholeNumber(std::string_view text) {
    if (text.starts_with('+')) {
        text.remove_prefix(1);
    }
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

std::optional<bool> placeholderValue(std::string_view field) {
    const std::string_view text = withoutBlanks(field);
    if (equalsIgnoringCase(text, "True")) {
        return true;
    }
    if (equalsIgnoringCase(text, "False")) {
        return false;
    }
    if (const auto number = wholeNumber<double>(text)) {
        return *number != 0.0;
    }
    return std::nullopt;
}

std::optional<bool> checkValue(std::string_view field) {
    const auto number = wholeNumber<std::int16_t>(withoutBlanks(field));
    if (!number || (*number != 0 && *number != 1)) {
        return std::nullopt;
    }
    return *number == 1;
}

}  // namespace

bool& Settings::operator[](Option option) {
    switch (option) {
        case Option::alwaysOnTop:
            return alwaysOnTop;
        case Option::skipExcludedExtensions:
            return skipExcludedExtensions;
        case Option::onlyWhenLarger:
            return onlyWhenLarger;
        case Option::onlyWhenNewer:
            return onlyWhenNewer;
        case Option::automaticRun:
            break;
    }
    return automaticRun;
}

platform::Result<Settings> readSettingsFile(const std::string& path) {
    auto lines = platform::readTextLines(path);
    if (!lines) {
        return lines.error();
    }
    Settings settings;
    if (lines->empty()) {
        return settings;
    }
    settings.listPath = lines->front();

    std::vector<std::string> fields;
    for (std::size_t i = 1; i < lines->size(); ++i) {
        for (std::string& field : readFields((*lines)[i])) {
            fields.push_back(std::move(field));
        }
    }
    if (!fields.empty()) {
        settings.placeholder = placeholderValue(fields[0]).value_or(settings.placeholder);
    }
    for (std::size_t i = 0; i < kOptionsInFileOrder.size() && i + 1 < fields.size(); ++i) {
        bool& value = settings[kOptionsInFileOrder[i]];
        value = checkValue(fields[i + 1]).value_or(value);
    }
    return settings;
}

std::vector<std::string> settingsLines(const Settings& settings) {
    std::vector<std::string> lines;
    lines.reserve(2 + kOptionsInFileOrder.size());
    lines.push_back(settings.listPath);
    lines.emplace_back(settings.placeholder ? "True" : "False");
    for (const Option option : kOptionsInFileOrder) {
        lines.emplace_back(settings[option] ? " 1 " : " 0 ");
    }
    return lines;
}

std::error_code writeSettingsFile(const std::string& path, const Settings& settings) {
    return platform::writeTextLines(path, settingsLines(settings));
}

}  // namespace sorvik::lists
