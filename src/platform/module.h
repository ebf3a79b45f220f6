// The module the system's code lives in, and the shell library each user-interface thread
// keeps loaded.
#pragma once

#include "platform/win32.h"

namespace tarnivo {

// The module holding the system's code, for window classes and resources: tarnivo.dll when
// the code runs in it (its entry point keeps the handle), otherwise the program the code is
// linked into (a test program; on Linux always the program).
HINSTANCE ModuleInstance();
// Kept by the DLL's entry point.
void KeepModuleInstance(HINSTANCE instance);

// The shell library loaded by this thread's start-up; null before it or after its release.
HMODULE ShellLibrary();
// Keeps `library` as this thread's shell library (the start-up).
void KeepShellLibrary(HMODULE library);
// Frees this thread's shell library (the toolbar form does this when it unloads).
void ReleaseShellLibrary();

}  // namespace tarnivo
