#include "commands.h"

namespace host {

void AddPageCommands(CommandTable&) {}

}  // namespace host
