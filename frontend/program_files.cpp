#include "frontend/program_files.h"

#include "platform/separator.h"

namespace sorvik::frontend {

std::string ProgramFiles::inFolder(const std::string& fileName) const {
    return folder.empty() ? std::string() : folder + platform::kSeparator + fileName;
}

ProgramFiles programFilesIn(const std::string& folder) {
    ProgramFiles files;
    files.folder = folder;
    files.settings = files.inFolder("sorvik01.ini");
    files.excludedExtensions = files.inFolder("sorvik02.ini");
    files.errorLog = files.inFolder("ErrorLog.txt");
    files.automaticRunMarker = files.inFolder("Auto.go");
    return files;
}

}  // namespace sorvik::frontend
