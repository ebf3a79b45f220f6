// The DLL's entry point and the start-up of user-interface threads.
#include "platform/win32.h"
#include "server/module.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) tarnivo::KeepModuleInstance(instance);
  return TRUE;
}

namespace tarnivo {

bool StartUserInterfaceThread() {
  if (ShellLibrary()) return true;  // this thread is set up
  bool ok = true;
  HMODULE shell = LoadLibraryA("shell32.dll");
  if (shell) {
    KeepShellLibrary(shell);
  } else {
    ok = false;
  }
  INITCOMMONCONTROLSEX controls = {};
  controls.dwSize = sizeof controls;    // 8
  controls.dwICC = ICC_USEREX_CLASSES;  // 0x200
  if (!InitCommonControlsEx(&controls)) ok = false;
  return ok;
}

}  // namespace tarnivo
