// The field reader: any line splits without harm, each field is text of the line, and a line
// with nothing to split is read whole.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "lists/field_reader.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

std::string_view withoutLeadingBlanks(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    return first == std::string_view::npos ? std::string_view() : text.substr(first);
}

// A line without quotes is its comma-separated parts, each less its leading blanks.
std::vector<std::string> unquotedFields(std::string_view line) {
    std::vector<std::string> fields;
    while (true) {
        const std::size_t comma = line.find(',');
        fields.emplace_back(withoutLeadingBlanks(line.substr(0, comma)));
        if (comma == std::string_view::npos) {
            return fields;
        }
        line.remove_prefix(comma + 1);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view line = sorvik::fuzz::bytesOf(data, size);
    const std::vector<std::string> fields = sorvik::lists::readFields(line);
    if (fields.empty()) {
        sorvik::fuzz::fail("no field from the line " + sorvik::fuzz::printable(line));
    }
    for (const std::string& field : fields) {
        if (line.find(field) == std::string_view::npos) {
            sorvik::fuzz::fail("the field " + sorvik::fuzz::printable(field) +
                               " is not in the line " + sorvik::fuzz::printable(line));
        }
    }
    if (line.find_first_of(",\"") == std::string_view::npos &&
        (fields.size() != 1 || fields.front() != withoutLeadingBlanks(line))) {
        sorvik::fuzz::fail("a line with nothing to split gives " + sorvik::fuzz::printable(fields) +
                           "\n  line " + sorvik::fuzz::printable(line));
    }
    if (line.find('"') == std::string_view::npos && fields != unquotedFields(line)) {
        sorvik::fuzz::fail("an unquoted line gives " + sorvik::fuzz::printable(fields) +
                           "\n  line " + sorvik::fuzz::printable(line));
    }
    return 0;
}
