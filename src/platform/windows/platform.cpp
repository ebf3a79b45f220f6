// On Windows the system calls the real API; this library only links it.
#include "platform/win32.h"
