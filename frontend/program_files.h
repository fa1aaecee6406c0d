#pragma once

#include <string>

namespace sorvik::frontend {

// Where the files the window and the command-line batch share live in the program folder. Both
// front ends read them the same way, so a batch scheduled at night runs what the window saved.
struct ProgramFiles {
    std::string folder;
    std::string settings;            // "sorvik01.ini": options and the current list
    std::string excludedExtensions;  // "sorvik02.ini"
    std::string errorLog;            // "ErrorLog.txt"
    std::string automaticRunMarker;  // "Auto.go": run the list once at the next start

    // The path of the list file `fileName` in the folder.
    std::string inFolder(const std::string& fileName) const;
};

// The files of the program folder `folder`. Without a folder (empty) every path is empty: the
// window still runs pairs then, it only keeps nothing between two starts.
ProgramFiles programFilesIn(const std::string& folder);

}  // namespace sorvik::frontend
