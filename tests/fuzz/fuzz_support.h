#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

// What the fuzz targets share: a private folder for the files the readers take, and a way to stop
// with a readable message when a property does not hold.
namespace sorvik::fuzz {

// The path of `name` in a folder made once per process (on /dev/shm when it can be, so the many
// writes stay in memory) and removed when the process ends.
std::string scratchPath(std::string_view name);

void writeBytes(const std::string& path, std::string_view bytes);

inline std::string_view bytesOf(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// The texts with every byte that is not printable ASCII written as an escape, each in quotes.
std::string printable(const std::vector<std::string>& texts);
inline std::string printable(std::string_view text) {
    return printable(std::vector<std::string>{std::string(text)});
}

// Reports a broken property and aborts, so libFuzzer keeps the input that broke it.
[[noreturn]] void fail(std::string_view what);

// Strings cut from the input until it is used up.
std::vector<std::string> stringsFrom(FuzzedDataProvider& provider);

// The text decoded from code page 932 when it decodes, else as it is: Japanese text from the seed
// files then reaches the writers as the UTF-8 the program works in.
std::string decodedWhenCodePage932(std::string text);

// Makes `bytes` the file `name` and reads it with `read`: an ordinary file may fail to read only
// as "not text". Gives what was read, if anything.
template <class Read>
auto readBytes(std::string_view name, std::string_view bytes, Read read) {
    const std::string path = scratchPath(name);
    writeBytes(path, bytes);
    auto result = read(path);
    if (!result && result.error() != std::errc::illegal_byte_sequence) {
        fail("an ordinary file fails to read other than as not text: " + result.error().message());
    }
    return result;
}

// Writes `value` with `write`, reads it back with `read` and fails unless it comes back equal (the
// input that broke it is kept). A writer may refuse a value only when `mayRefuse`, and then
// nothing is promised.
template <class Value, class Write, class Read>
void checkRoundTrip(const Value& value, Write write, Read read, bool mayRefuse = false) {
    const std::string path = scratchPath("written");
    if (const std::error_code error = write(path, value)) {
        if (!mayRefuse) {
            fail("a value does not write: " + error.message());
        }
        return;
    }
    const auto back = read(path);
    if (!back || *back != value) {
        fail("a written value " + (back ? std::string("reads back different") : "does not read"));
    }
}

}  // namespace sorvik::fuzz
