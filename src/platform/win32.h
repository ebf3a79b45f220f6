// The Win32 functions the system calls, by their ANSI names.
// On Windows this is the real API; on Linux, the in-process back end in platform/linux.
#pragma once

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <commctrl.h>
#else
#include "platform/linux/win32_api.h"
#endif
