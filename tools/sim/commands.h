// The command table: each command word of the scenario format that this build runs, with
// its handler. Handlers check their words, act on the session and answer a Status.
#pragma once

#include <string>

#include "args.h"
#include "session.h"
#include "status.h"

namespace scenario {

using Handler = Status (*)(Session&, const Args&);

struct CommandEntry {
  Handler run;
  // The bench itself changes or reads the machine (registry, keys, lists, expectations):
  // the back end's reports are left out of the transcript, which shows the system's answers.
  bool bench;
};

// The entry of a command word, or null when this build does not run it.
const CommandEntry* FindCommand(const std::string& word);

// True for a word of the format that this build does not run yet.
bool IsLaterCommand(const std::string& word);

// The handlers behind `expect`, `call` and `set`, each with its own table.
Status RunExpect(Session& session, const Args& args);
Status RunCall(Session& session, const Args& args);
Status RunSet(Session& session, const Args& args);

}  // namespace scenario
