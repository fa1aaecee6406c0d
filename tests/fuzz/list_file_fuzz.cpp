// The backup list file: any bytes are read without harm, and every list the writer takes is read
// back exactly as it was.
#include "lists/list_file.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

using sorvik::lists::PathPair;

// Nothing is promised about what a list the writer refuses reads as.
void checkRoundTrip(const std::vector<PathPair>& pairs) {
    sorvik::fuzz::checkRoundTrip(pairs, sorvik::lists::writeListFile, sorvik::lists::readListFile,
                                 true);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (const auto read = sorvik::fuzz::readBytes("input.lst", sorvik::fuzz::bytesOf(data, size),
                                                  sorvik::lists::readListFile)) {
        checkRoundTrip(*read);
    }
    // Pairs of strings cut from the input, taken as they are and as code page 932 text; an
    // unpaired last string is a source with an empty backup.
    FuzzedDataProvider provider(data, size);
    std::vector<std::string> strings = sorvik::fuzz::stringsFrom(provider);
    const auto checkPairs = [&] {
        std::vector<PathPair> pairs;
        for (std::size_t i = 0; i < strings.size(); i += 2) {
            pairs.push_back({strings[i], i + 1 < strings.size() ? strings[i + 1] : ""});
        }
        checkRoundTrip(pairs);
    };
    checkPairs();
    for (std::string& text : strings) {
        text = sorvik::fuzz::decodedWhenCodePage932(text);
    }
    checkPairs();
    return 0;
}
