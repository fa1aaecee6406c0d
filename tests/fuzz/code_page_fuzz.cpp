// Code page 932 conversion: any bytes convert or fail without harm, a conversion that succeeds
// is undone exactly by the other direction, and no character becomes a slash.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/code_page.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

using sorvik::fuzz::fail;
using sorvik::fuzz::printable;

void checkRefusal(const std::error_code& error, std::string_view direction) {
    if (error != std::errc::illegal_byte_sequence) {
        fail(std::string(direction) + " fails other than as not text: " + error.message());
    }
}

bool sameSlashes(std::string_view a, std::string_view b) {
    return std::ranges::count(a, '/') == std::ranges::count(b, '/');
}

// The input as program text on its way out.
void checkOutward(std::string_view text) {
    const auto bytes = sorvik::platform::toCodePage932(text);
    if (!bytes) {
        checkRefusal(bytes.error(), "toCodePage932");
        return;
    }
    const auto back = sorvik::platform::fromCodePage932(*bytes);
    if (!back || *back != text) {
        fail("toCodePage932 is not undone by fromCodePage932\n  text  " + printable(text) +
             "\n  bytes " + printable(*bytes) + "\n  back  " +
             (back ? printable(*back) : "(fails)"));
    }
    if (!sameSlashes(text, *bytes)) {
        fail("toCodePage932 changes the slashes\n  text  " + printable(text) + "\n  bytes " +
             printable(*bytes));
    }
}

// The input as the bytes of a file on its way in.
void checkInward(std::string_view bytes) {
    const auto text = sorvik::platform::fromCodePage932(bytes);
    if (!text) {
        checkRefusal(text.error(), "fromCodePage932");
        return;
    }
    if (!sameSlashes(bytes, *text)) {
        fail("fromCodePage932 changes the slashes\n  bytes " + printable(bytes) + "\n  text  " +
             printable(*text));
    }
    const auto again = sorvik::platform::toCodePage932(*text);
    if (!again) {
        // Code page 932 has characters that come in but cannot go out again unchanged.
        checkRefusal(again.error(), "toCodePage932");
        return;
    }
    const auto back = sorvik::platform::fromCodePage932(*again);
    if (!back || *back != *text) {
        fail("text read from code page 932 changes on a second trip\n  bytes " + printable(bytes) +
             "\n  text  " + printable(*text) + "\n  again " + printable(*again) + "\n  back  " +
             (back ? printable(*back) : "(fails)"));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input = sorvik::fuzz::bytesOf(data, size);
    checkOutward(input);
    checkInward(input);
    return 0;
}
