#pragma once

#include <string>
#include <string_view>

namespace sorvik::platform {

// Where a path ends up when its column is moved to another drive.
//
// Windows: the drive designation ("D:") followed by the path from its third character on, whatever
// its first two were, so "C:\data\" becomes "D:\data\" and a path shorter than three characters
// becomes the designation alone.
//
// POSIX: a drive is a mount point, and its path has N components ("/media/usb" has two). The first
// N components of the path are dropped and the mount point put in their place, joined by exactly
// one "/": "/media/old/data/" on "/media/usb" becomes "/media/usb/data/". A path with fewer than N
// components becomes the mount point alone.
std::string pathOnDrive(std::string_view path, std::string_view drive);

}  // namespace sorvik::platform
