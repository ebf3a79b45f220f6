// What each user-interface thread sets up once, and (from platform/module.h) the module the
// system's code lives in.
#pragma once

#include "platform/module.h"

namespace tarnivo {

// The start-up of a user-interface thread, run before the first band object on it: loads
// shell32.dll (kept, see ShellLibrary) and the common controls' ComboBoxEx classes; true when
// no step failed. It runs again on a thread whose shell library was released (or could not
// be loaded). Defined by the COM server on Windows; does nothing on Linux.
bool StartUserInterfaceThread();

}  // namespace tarnivo
