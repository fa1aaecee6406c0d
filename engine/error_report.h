#pragma once

#include "engine/error_text.h"
#include "engine/run_host.h"

namespace sorvik::engine {

// Closes a run (or a batch). Shows "[Complete]"; if there were errors, writes them to
// the error log as a whole, empties `errors` and tells the user where the log is. When the front
// end keeps no log file, the entries (already reported one by one) are just cleared. A log that
// cannot be written is not lost: the message names it, says why, and shows the first entry lines.
void reportErrors(RunHost& host, ErrorText& errors);

}  // namespace sorvik::engine
