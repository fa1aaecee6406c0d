// Code page 932 conversion: any bytes convert or fail without harm, a conversion that succeeds is
// undone exactly by the other direction, and no character becomes a slash or stops being one.
#include <algorithm>

#include "platform/code_page.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

using sorvik::fuzz::fail;
using sorvik::fuzz::printable;
using sorvik::platform::fromCodePage932;
using sorvik::platform::toCodePage932;

// True when `converted` holds the converted text; a refusal must be "not text".
template <class Converted>
bool converted(const Converted& result, std::string_view direction) {
    if (!result && result.error() != std::errc::illegal_byte_sequence) {
        fail(std::string(direction) + " fails other than as not text: " + result.error().message());
    }
    return bool(result);
}

// `text` went out as `bytes`: they come back as the text, with the same slashes.
void checkWayBack(std::string_view text, std::string_view bytes) {
    const auto back = fromCodePage932(bytes);
    if (!back || *back != text || std::ranges::count(text, '/') != std::ranges::count(bytes, '/')) {
        fail("text does not survive code page 932: " + printable(text) + " as " + printable(bytes) +
             " back as " + (back ? printable(*back) : "(fails)"));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input = sorvik::fuzz::bytesOf(data, size);
    // The input as program text on its way out.
    if (const auto bytes = toCodePage932(input); converted(bytes, "toCodePage932")) {
        checkWayBack(input, *bytes);
    }
    // The input as the bytes of a file on its way in. Code page 932 has characters that come in
    // but cannot go out again; the others make the trip again unchanged.
    if (const auto text = fromCodePage932(input); converted(text, "fromCodePage932")) {
        if (std::ranges::count(*text, '/') != std::ranges::count(input, '/')) {
            fail("fromCodePage932 changes the slashes of " + printable(input));
        }
        if (const auto again = toCodePage932(*text); converted(again, "toCodePage932")) {
            checkWayBack(*text, *again);
        }
    }
    return 0;
}
