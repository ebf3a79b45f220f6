// The command table of tarnivo-host.exe: each command word of the scenario format, run on
// the real DLL or reported as skipped when this runner cannot run or observe it yet.
#pragma once

#include "args.h"
#include "session.h"
#include "status.h"

namespace host {

// Runs one command line, its command word first. An Error for a word the format does not
// know; Skipped for one this runner does not run yet.
scenario::Status RunCommand(Session& session, std::vector<scenario::Word> words,
                            bool* is_expectation);

}  // namespace host
