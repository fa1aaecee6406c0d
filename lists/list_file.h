#pragma once

#include <string>
#include <system_error>
#include <vector>

#include "lists/path_pair.h"
#include "platform/result.h"

namespace sorvik::lists {

// A backup list file is a text file of the program (see platform/text_file.h) holding two lines
// per pair, the source and then the backup, and nothing else. Each line is the entry exactly as
// entered: nothing is trimmed, quoted or normalised, and an entry may be empty. An empty list is
// an empty file.

// Reads the pairs of a list file. Only an ordinary file (a link to one counts) is a list; when the
// path names nothing, a folder, a FIFO, a socket, a device or a link that leads nowhere, the list
// is empty and nothing is opened or created. A file that cannot be read or does not decode is an
// error (std::errc::illegal_byte_sequence for bytes that are not text).
//
// A file with an odd number of lines keeps every entry: one blank last line, as left by an editor,
// is dropped, and any other unpaired last line becomes a source whose backup is empty.
platform::Result<std::vector<PathPair>> readListFile(const std::string& path);

// Writes the pairs, replacing the file whole (an existing file keeps its permission bits).
[[nodiscard]] std::error_code writeListFile(const std::string& path, const std::vector<PathPair>& pairs);

}  // namespace sorvik::lists
