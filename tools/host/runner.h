// Runs one scenario file against the real DLL, line by line, stopping at the first line that
// fails or cannot be run. Lines this runner cannot run or observe yet are skipped; once a
// command that changes the session was skipped, the file's later expectations are skipped
// too, since they would judge a session the file did not describe.
#pragma once

#include <ostream>
#include <string>

#include "session.h"

namespace host {

struct FileOutcome {
  enum class Result {
    Passed = 0,   // no line failed, and an expectation ran unless none was skipped
    Failed = 1,   // an expectation did not hold
    Error = 2,    // a line could not be parsed, or named a command the format does not know
    Skipped = 3,  // no line failed, but every expectation of the file was skipped
  };
  Result result = Result::Passed;
  int skipped_lines = 0;
};

FileOutcome RunFile(Server& server, const std::string& path, bool verbose, std::ostream& out,
                    std::ostream& err);

}  // namespace host
