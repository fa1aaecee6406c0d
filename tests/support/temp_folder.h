#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace sorvik::test {

// A fresh folder under the system's temporary folder, removed with everything in it at the end.
class TempFolder {
  public:
    TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder();

    const std::filesystem::path& path() const { return path_; }
    // The path of `relative` inside the folder, as a string.
    std::string operator/(std::string_view relative) const;

  private:
    std::filesystem::path path_;
};

// Writes `contents` to `path`, creating the folders above it.
void writeFile(const std::filesystem::path& path, std::string_view contents);
std::string readFile(const std::filesystem::path& path);

// Leaves a socket file at `path` (bound, then closed).
void makeSocket(const std::string& path);

// Sets the modification time to `seconds` (plus `nanoseconds`) after 1970.
void setModifiedTime(const std::filesystem::path& path, long long seconds, long nanoseconds = 0);
long long modifiedTimeNs(const std::filesystem::path& path);

}  // namespace sorvik::test
