#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>

// What the fuzz targets share: a private folder for the files the readers take, and a way to stop
// with a readable message when a property does not hold.
namespace sorvik::fuzz {

// The path of `name` in a folder made once per process (on /dev/shm when it can be, so the many
// writes stay in memory) and removed when the process ends.
std::string scratchPath(std::string_view name);

// Makes `path` a file holding exactly `bytes`.
void writeBytes(const std::string& path, std::string_view bytes);

// The input as the bytes of a string.
inline std::string_view bytesOf(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// The text with every byte that is not printable ASCII written as an escape, in double quotes.
std::string printable(std::string_view text);
std::string printable(const std::vector<std::string>& texts);

// Reports a broken property and aborts, so libFuzzer keeps the input that broke it.
[[noreturn]] void fail(std::string_view what);

// Strings cut from the input until it is used up.
std::vector<std::string> stringsFrom(FuzzedDataProvider& provider);

// The text decoded from code page 932 when it decodes, else as it is: Japanese text from the seed
// files then reaches the writers as the UTF-8 the program works in.
std::string decodedWhenCodePage932(std::string text);
std::vector<std::string> decodedWhenCodePage932(std::vector<std::string> texts);

// Makes the input the file `name` and reads it with `read`: what was read goes to `use`, and an
// ordinary file may fail to read only as "not text".
template <class Read, class Use>
void readInput(std::string_view name, std::string_view bytes, Read&& read, Use&& use) {
    const std::string path = scratchPath(name);
    writeBytes(path, bytes);
    const auto result = read(path);
    if (result) {
        use(*result);
    } else if (result.error() != std::errc::illegal_byte_sequence) {
        fail("an ordinary file fails to read other than as not text: " + result.error().message());
    }
}

}  // namespace sorvik::fuzz
