#include "platform/code_page.h"

#include <iconv.h>

#include <cerrno>

namespace sorvik::platform {
namespace {

class Converter {
  public:
    Converter(const char* to, const char* from) : cd_(::iconv_open(to, from)) {}
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    ~Converter() {
        if (valid()) {
            ::iconv_close(cd_);
        }
    }
    bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    Result<std::string> convert(std::string_view input) {
        std::string output;
        output.resize(input.size() * 2 + 16);
        char* in = const_cast<char*>(input.data());
        std::size_t inLeft = input.size();
        std::size_t done = 0;
        while (inLeft > 0) {
            char* out = output.data() + done;
            std::size_t outLeft = output.size() - done;
            const std::size_t rc = ::iconv(cd_, &in, &inLeft, &out, &outLeft);
            done = output.size() - outLeft;
            if (rc == static_cast<std::size_t>(-1)) {
                if (errno == E2BIG) {
                    output.resize(output.size() * 2);
                    continue;
                }
                return std::make_error_code(std::errc::illegal_byte_sequence);
            }
            if (rc != 0) {
                // iconv counts irreversible (substituted) conversions here: refuse them.
                return std::make_error_code(std::errc::illegal_byte_sequence);
            }
        }
        output.resize(done);
        return output;
    }

  private:
    iconv_t cd_;
};

Result<std::string> convert(const char* to, const char* from, std::string_view input) {
    if (input.empty()) {
        return std::string();
    }
    Converter converter(to, from);
    if (!converter.valid()) {
        return lastSystemError(errno);
    }
    return converter.convert(input);
}

}  // namespace

Result<std::string> toCodePage932(std::string_view utf8) {
    Result<std::string> bytes = convert("CP932", "UTF-8", utf8);
    if (!bytes) {
        return bytes;
    }
    // iconv's CP932 table maps some characters one way without counting them as irreversible:
    // U+00A5 YEN SIGN becomes 0x5C and reads back as a backslash, U+301C WAVE DASH reads back as
    // U+FF5E, and a few more. Only text that reads back exactly as it was may be written this way.
    const Result<std::string> back = convert("UTF-8", "CP932", *bytes);
    if (!back || *back != utf8) {
        return std::make_error_code(std::errc::illegal_byte_sequence);
    }
    return bytes;
}

Result<std::string> fromCodePage932(std::string_view bytes) {
    return convert("UTF-8", "CP932", bytes);
}

}  // namespace sorvik::platform
