// Runs one scenario file in a fresh machine state, line by line, stopping at the first
// line that fails or cannot be run.
#pragma once

#include <ostream>
#include <string>

namespace scenario {

enum class FileResult {
  Passed,
  Failed,  // an expectation did not hold
  Error,   // a line could not be parsed, or named a command this build does not know
};

// `out` takes the transcript (with `verbose`), `err` the message of the line that stopped
// the run, as "FILE:LINE: message".
FileResult RunFile(const std::string& path, bool verbose, std::ostream& out, std::ostream& err);

}  // namespace scenario
