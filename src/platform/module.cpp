#include "platform/module.h"

namespace tarnivo {

#ifndef _WIN32

HINSTANCE ModuleInstance() { return GetModuleHandleA(nullptr); }

void KeepModuleInstance(HINSTANCE) {}

HMODULE ShellLibrary() { return nullptr; }

void KeepShellLibrary(HMODULE) {}

void ReleaseShellLibrary() {}

#else

namespace {

HINSTANCE g_module = nullptr;
thread_local HMODULE t_shell = nullptr;

}  // namespace

HINSTANCE ModuleInstance() {
  if (g_module) return g_module;
  // No DLL entry point ran: the module is the one this function is linked into.
  HMODULE module = nullptr;
  if (GetModuleHandleExA(
          GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
          reinterpret_cast<LPCSTR>(&g_module), &module)) {
    return module;
  }
  return GetModuleHandleA(nullptr);
}

void KeepModuleInstance(HINSTANCE instance) { g_module = instance; }

HMODULE ShellLibrary() { return t_shell; }

void KeepShellLibrary(HMODULE library) { t_shell = library; }

void ReleaseShellLibrary() {
  if (t_shell) FreeLibrary(t_shell);
  t_shell = nullptr;
}

#endif

}  // namespace tarnivo
