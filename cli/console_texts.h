#pragma once

#include <string_view>

// What sorvik-cli says on the console, in English like the tools it sits beside in a script.
namespace sorvik::cli::text {

inline constexpr const char* kUsage =
    "Usage:\n"
    "  sorvik-cli run SOURCE BACKUP [--size-rule] [--time-rule] [--exclude EXT]...\n"
    "                 [--placeholder] [--log FILE] [--jobs N] [--quiet]\n"
    "  sorvik-cli batch [--folder DIR] [--list FILE] [--jobs N] [--quiet]\n"
    "  sorvik-cli --version\n"
    "\n"
    "run backs up the folder tree SOURCE into BACKUP, one way: files missing in the backup\n"
    "are copied, files only in the backup are kept.\n"
    "  --size-rule    replace a backup file only when the source is larger\n"
    "  --time-rule    replace a backup file only when the source is newer\n"
    "  --exclude EXT  skip files with this extension (without the dot); may repeat\n"
    "  --placeholder  create the files empty instead of copying them\n"
    "  --log FILE     write the error entries to FILE (code page 932, CR LF)\n"
    "  --jobs N       work on N files at once (1 to 256); 1 is one file at a time;\n"
    "                 without it, one per core, or one at a time on a rotating disk\n"
    "  --quiet        no progress line and no summary\n"
    "\n"
    "batch runs every pair of the current list with the options saved in the program\n"
    "folder, one error log for all of them in its ErrorLog.txt.\n"
    "  --folder DIR   use DIR as the program folder instead of the usual one\n"
    "                 (Linux: $XDG_DATA_HOME/Sorvik; Windows: the folder of sorvik-cli.exe)\n"
    "  --list FILE    run the pairs of this list instead of the current one\n"
    "  --jobs N       as for run\n"
    "  --quiet        no progress line and no summary\n"
    "\n"
    "Exit status: 0 no errors; 1 errors, a refused pair, a missing source or another run\n"
    "holding the lock; 2 wrong usage, or settings or a list that cannot be read.\n";

inline constexpr std::string_view kNoCommand = "no command given";
inline constexpr std::string_view kUnknownCommand = "unknown command ";
inline constexpr std::string_view kUnknownOption = "unknown option ";
inline constexpr std::string_view kRunNeedsTwoFolders =
    "run needs a source folder and a backup folder";
inline constexpr std::string_view kBatchTakesNoFolders = "batch takes no folders of its own: ";
inline constexpr std::string_view kExcludeNeedsExtension = "--exclude needs an extension";
inline constexpr std::string_view kLogNeedsFile = "--log needs a file";
inline constexpr std::string_view kFolderNeedsFolder = "--folder needs a folder";
inline constexpr std::string_view kListNeedsFile = "--list needs a file";
inline constexpr unsigned kMostJobs = 256;
inline constexpr std::string_view kJobsNeedsNumber = "--jobs needs a number from 1 to 256";

// The summary after a run: copied files and bytes, files created empty, skipped files, errors,
// folders, seconds.
inline constexpr const char* kSummaryFormat =
    "copied %llu files (%s), created %llu empty, skipped %llu, errors %llu, %llu folders, %.2f s";

}  // namespace sorvik::cli::text
