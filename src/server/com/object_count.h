// What keeps this module loaded: its COM objects that are alive and the locks taken on its
// class factory (IClassFactory::LockServer). DllCanUnloadNow answers yes only at none.
#pragma once

namespace tarnivo::com {

void AddModuleReference();
void ReleaseModuleReference();
// LockServer(TRUE) and LockServer(FALSE); an unlock without a lock is ignored.
void LockModule();
void UnlockModule();
// Objects alive plus locks held.
long ModuleReferences();

}  // namespace tarnivo::com
