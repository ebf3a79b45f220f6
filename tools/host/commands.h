// The command table of tarnivo-host.exe: each command word of the scenario format, run on
// the real DLL or reported as skipped when this runner cannot run or observe it yet.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "args.h"
#include "session.h"
#include "status.h"

namespace host {

using Handler = scenario::Status (*)(Session&, const scenario::Args&);

// The commands and the expectations (the word after `expect`) this runner runs. A word of
// the format that neither map holds is reported as skipped.
struct CommandTable {
  std::map<std::string, Handler> commands;
  std::map<std::string, Handler> expectations;
};

// Each group of commands adds its own to the table.
void AddPageCommands(CommandTable& table);  // the page's content and events
void AddBandCommands(CommandTable& table);  // the band's host calls and its toolbar
void AddUserCommands(CommandTable& table);  // the mouse and the cursor

// Runs one command line, its command word first. An Error for a word the format does not
// know; Skipped for one this runner does not run yet.
scenario::Status RunCommand(Session& session, std::vector<scenario::Word> words,
                            bool* is_expectation);

// True for the words after `in` when they name a frame and an expectation
// (`in frame N ... expect ...`): the line counts as an expectation.
bool IsInFrameExpectation(const scenario::Args& args);

// Helpers shared by the command groups.
// Skipped: `what` cannot be run or observed on the real DLL.
scenario::Status NotYet(const std::string& what);
// Plain word i is `when_true` or `when_false`; `out` tells which.
scenario::Status Choice(const scenario::Args& args, std::size_t i, const char* when_true,
                        const char* when_false, bool* out);

}  // namespace host
