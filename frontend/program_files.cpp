#include "frontend/program_files.h"

#include "platform/separator.h"

namespace sorvik::frontend {

std::string ProgramFiles::inFolder(const std::string& fileName) const {
    if (folder.empty()) {
        return {};
    }
    // A drive's root ("E:\") already ends in its separator.
    return platform::endsWithSeparator(folder) ? folder + fileName
                                               : folder + platform::kSeparator + fileName;
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
