#include "server.h"

namespace comtest {

namespace {

template <typename Function>
Function Export(HMODULE module, const char* name) {
  // Through a generic function pointer type, as GetProcAddress's result must be.
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

Server Load() {
  Server server;
  char exe[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, exe, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return server;
  std::string path(exe, length);
  path = path.substr(0, path.find_last_of("\\/") + 1) + "tarnivo.dll";
  server.module = LoadLibraryA(path.c_str());
  if (!server.module) return server;
  server.path = path;
  server.GetClassObject =
      Export<decltype(server.GetClassObject)>(server.module, "DllGetClassObject");
  server.CanUnloadNow = Export<decltype(server.CanUnloadNow)>(server.module, "DllCanUnloadNow");
  server.Register = Export<decltype(server.Register)>(server.module, "DllRegisterServer");
  server.Unregister = Export<decltype(server.Unregister)>(server.module, "DllUnregisterServer");
  return server;
}

}  // namespace

const Server& TheServer() {
  static const Server server = Load();
  return server;
}

HRESULT CreateBand(REFIID riid, void** ppv) {
  *ppv = nullptr;
  const Server& server = TheServer();
  if (!server.GetClassObject) return E_FAIL;
  IClassFactory* factory = nullptr;
  HRESULT hr =
      server.GetClassObject(kClsidCToolbar, IID_IClassFactory, reinterpret_cast<void**>(&factory));
  if (FAILED(hr)) return hr;
  hr = factory->CreateInstance(nullptr, riid, ppv);
  factory->Release();
  return hr;
}

}  // namespace comtest
