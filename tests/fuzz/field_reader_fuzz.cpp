// The field reader: any line splits without harm, each field is text of the line, and a line
// without quotes is its comma-separated parts, each less its leading blanks.
#include "lists/field_reader.h"
#include "tests/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view line = sorvik::fuzz::bytesOf(data, size);
    const std::vector<std::string> fields = sorvik::lists::readFields(line);
    const std::string described =
        sorvik::fuzz::printable(fields) + "\n  from " + sorvik::fuzz::printable(line);
    if (fields.empty()) {
        sorvik::fuzz::fail("no field" + described);
    }
    for (const std::string& field : fields) {
        if (line.find(field) == std::string_view::npos) {
            sorvik::fuzz::fail("a field not in the line: " + described);
        }
    }
    if (line.find('"') != std::string_view::npos) {
        return 0;
    }
    std::vector<std::string> parts;
    for (std::string_view rest = line;;) {
        const std::string_view part = rest.substr(0, rest.find(','));
        const std::size_t first = part.find_first_not_of(' ');
        parts.emplace_back(first == std::string_view::npos ? "" : part.substr(first));
        if (part.size() == rest.size()) {
            break;
        }
        rest.remove_prefix(part.size() + 1);
    }
    if (fields != parts) {
        sorvik::fuzz::fail("an unquoted line gives " + described);
    }
    return 0;
}
