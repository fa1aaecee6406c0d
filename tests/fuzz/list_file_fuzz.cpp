// The backup list file: any bytes are read without harm, and every list the writer takes is read
// back exactly as it was.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "lists/list_file.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

using sorvik::lists::PathPair;

std::string describe(const std::vector<PathPair>& pairs) {
    std::vector<std::string> lines;
    for (const PathPair& pair : pairs) {
        lines.push_back(pair.source);
        lines.push_back(pair.backup);
    }
    return sorvik::fuzz::printable(lines);
}

void checkRoundTrip(const std::vector<PathPair>& pairs) {
    static const std::string path = sorvik::fuzz::scratchPath("written.lst");
    if (sorvik::lists::writeListFile(path, pairs)) {
        return;  // refused: nothing is promised about what a refused list reads as
    }
    const auto back = sorvik::lists::readListFile(path);
    if (!back) {
        sorvik::fuzz::fail("a written list does not read: " + back.error().message() +
                           "\n  wrote " + describe(pairs));
    }
    if (*back != pairs) {
        sorvik::fuzz::fail("a written list reads back different\n  wrote " + describe(pairs) +
                           "\n  read  " + describe(*back));
    }
}

// Source, backup, source, backup...; an unpaired last string is a source with an empty backup.
std::vector<PathPair> pairsOf(std::vector<std::string> strings) {
    std::vector<PathPair> pairs;
    for (std::size_t i = 0; i < strings.size(); i += 2) {
        pairs.push_back({std::move(strings[i]), i + 1 < strings.size() ? strings[i + 1] : ""});
    }
    return pairs;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    sorvik::fuzz::readInput("input.lst", sorvik::fuzz::bytesOf(data, size),
                            sorvik::lists::readListFile, checkRoundTrip);
    // Pairs cut from the input, taken as they are and taken as code page 932 text.
    FuzzedDataProvider provider(data, size);
    const std::vector<std::string> strings = sorvik::fuzz::stringsFrom(provider);
    checkRoundTrip(pairsOf(strings));
    checkRoundTrip(pairsOf(sorvik::fuzz::decodedWhenCodePage932(strings)));
    return 0;
}
