#pragma once

#include <string>
#include <vector>

namespace sorvik::platform {

// How the system hands a program its arguments: UTF-16 on Windows (through wmain, so a Japanese
// path survives whatever the ANSI code page is), bytes elsewhere.
#ifdef _WIN32
using SystemArgument = wchar_t;
// The entry point that receives them: a program that uses it is linked with -municode.
#define SORVIK_ENTRY_POINT wmain
#else
using SystemArgument = char;
#define SORVIK_ENTRY_POINT main
#endif

// The arguments after the program's name, as UTF-8. On Windows a lone surrogate, which no
// Japanese name holds, becomes U+FFFD.
[[nodiscard]] std::vector<std::string> programArguments(int argc, SystemArgument** argv);

}  // namespace sorvik::platform
