#include <csignal>

#include "platform/process_signals.h"

namespace sorvik::platform {

void keepRunningWhenWritesFail() {
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
}

}  // namespace sorvik::platform
