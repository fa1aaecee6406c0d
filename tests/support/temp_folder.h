#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace sorvik::test {

// Paths cross Sorvik's interfaces as UTF-8, and so they do in the tests. A narrow string given to
// std::filesystem on Windows is read in the ANSI code page, so every conversion goes through these.
std::filesystem::path pathOf(std::string_view utf8);
std::string textOf(const std::filesystem::path& path);

// A path written with "/" between its names, as this system writes it ("\" on Windows).
std::string systemPath(std::string text);

// A fresh folder under the system's temporary folder, removed with everything in it at the end.
class TempFolder {
  public:
    TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder();

    const std::filesystem::path& path() const { return path_; }
    // The folder's path as UTF-8 text.
    std::string text() const { return textOf(path_); }
    // The path of `relative` (names joined by "/") inside the folder, as this system writes it.
    std::string operator/(std::string_view relative) const;

  private:
    std::filesystem::path path_;
};

// Writes `contents` to `path`, creating the folders above it.
void writeFile(const std::string& path, std::string_view contents);
std::string readFile(const std::string& path);

// Leaves a FIFO or a socket file (bound, then closed) at `path`; Windows has neither, and a test
// that needs one skips there before it gets here.
void makeFifo(const std::string& path);
void makeSocket(const std::string& path);

// Windows file attributes, which tests add to files the run must leave out.
inline constexpr unsigned kHidden = 0x2;  // FILE_ATTRIBUTE_HIDDEN
inline constexpr unsigned kSystem = 0x4;  // FILE_ATTRIBUTE_SYSTEM
// Adds `attributes` to the file's; elsewhere than on Windows only none can be added.
void addAttributes(const std::string& path, unsigned attributes);

// Sets the modification time to `seconds` (plus `nanoseconds`) after 1970. Windows keeps it in
// steps of 100 ns.
void setModifiedTime(const std::string& path, long long seconds, long nanoseconds = 0);
long long modifiedTimeNs(const std::string& path);

}  // namespace sorvik::test
