#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/run_host.h"
#include "engine/run_stats.h"

namespace sorvik::engine {

// `errors`: the error entries of the current run (or batch). Each entry is a label line and a
// path line, both ended by CR LF; entries stand in the order the failures happened.
class ErrorText {
  public:
    ErrorText(RunHost& host, RunStats& stats) : host_(host), stats_(stats) {}

    void add(std::string_view label, std::string_view path);

    const std::string& text() const { return text_; }
    bool empty() const { return text_.empty(); }
    void clear() { text_.clear(); }

    // The text split at every CR LF; the final CR LF gives a last, empty piece.
    std::vector<std::string> pieces() const;

  private:
    RunHost& host_;
    RunStats& stats_;
    std::string text_;
};

}  // namespace sorvik::engine
