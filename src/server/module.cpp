#include "server/module.h"

namespace tarnivo {

#ifndef _WIN32

bool StartUserInterfaceThread() { return true; }

#endif

}  // namespace tarnivo
