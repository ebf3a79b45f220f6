#include "commands.h"

namespace host {

void AddUserCommands(CommandTable&) {}

}  // namespace host
