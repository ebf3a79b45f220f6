#include "commands.h"

namespace host {

void AddBandCommands(CommandTable&) {}

}  // namespace host
