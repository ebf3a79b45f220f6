// DllRegisterServer and DllUnregisterServer: the class, its ProgID and the type library.
// Nothing else is registered (the browser's list of toolbars belongs to the installer).
//
//   HKCR\CLSID\{clsid}                 (default) "CToolbar"
//   HKCR\CLSID\{clsid}\InprocServer32  (default) full path of this DLL,
//                                      ThreadingModel "Apartment"
//   HKCR\CLSID\{clsid}\ProgID          (default) "tarnivo.CToolbar"
//   HKCR\tarnivo.CToolbar              (default) "CToolbar"
//   HKCR\tarnivo.CToolbar\CLSID        (default) "{clsid}"
//   the type library, by RegisterTypeLib from this DLL
#include <string>

#include "platform/win32.h"

#include <oleauto.h>
#include <olectl.h>

#include "server/com/com_ref.h"
#include "server/com/text.h"
#include "server/module.h"
#include "tarnivo_idl.h"

namespace {

constexpr const char* kProgId = "tarnivo.CToolbar";
constexpr const char* kClassName = "CToolbar";

std::string ClassKey() { return "CLSID\\" + tarnivo::com::GuidText(CLSID_CToolbar); }

// The full path of this module; "" when it cannot be had.
std::string ModulePath() {
  std::string path(MAX_PATH, '\0');
  for (int attempt = 0; attempt < 6; ++attempt) {
    const DWORD length =
        GetModuleFileNameA(tarnivo::ModuleInstance(), path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return std::string();
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
  return std::string();
}

// Stores a text value (name null: the key's default value), creating the key.
bool SetText(const std::string& subkey, const char* name, const std::string& value) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CLASSES_ROOT, subkey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const LONG result =
      RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                     static_cast<DWORD>(value.size() + 1));
  RegCloseKey(key);
  return result == ERROR_SUCCESS;
}

// Deletes a key of HKCR with everything below it; a key that is not there is fine.
bool DeleteTree(const std::string& subkey) {
  const LONG result = RegDeleteTreeA(HKEY_CLASSES_ROOT, subkey.c_str());
  return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
}

bool RegisterClassKeys(const std::string& path) {
  const std::string classKey = ClassKey();
  return SetText(classKey, nullptr, kClassName) &&
         SetText(classKey + "\\InprocServer32", nullptr, path) &&
         SetText(classKey + "\\InprocServer32", "ThreadingModel", "Apartment") &&
         SetText(classKey + "\\ProgID", nullptr, kProgId) &&
         SetText(kProgId, nullptr, kClassName) &&
         SetText(std::string(kProgId) + "\\CLSID", nullptr, tarnivo::com::GuidText(CLSID_CToolbar));
}

bool UnregisterClassKeys() {
  const bool classGone = DeleteTree(ClassKey());
  const bool progIdGone = DeleteTree(kProgId);
  return classGone && progIdGone;
}

HRESULT LoadOwnTypeLibrary(const std::string& path, tarnivo::com::Ref<ITypeLib>* library) {
  const std::wstring wide = tarnivo::com::WideFromAnsi(path);
  const HRESULT hr = LoadTypeLibEx(wide.c_str(), REGKIND_NONE, library->out());
  if (FAILED(hr)) library->release();  // a failed call hands out no reference
  return hr;
}

HRESULT RegisterTypeLibrary(const std::string& path) {
  tarnivo::com::Ref<ITypeLib> library;
  HRESULT hr = LoadOwnTypeLibrary(path, &library);
  if (FAILED(hr)) return hr;
  std::wstring wide = tarnivo::com::WideFromAnsi(path);
  return RegisterTypeLib(library.get(), wide.data(), nullptr);
}

HRESULT UnregisterTypeLibrary(const std::string& path) {
  tarnivo::com::Ref<ITypeLib> library;
  HRESULT hr = LoadOwnTypeLibrary(path, &library);
  if (FAILED(hr)) return hr;
  TLIBATTR* attributes = nullptr;
  hr = library->GetLibAttr(&attributes);
  if (SUCCEEDED(hr)) {
    // A library that is not registered is unregistered already.
    BSTR registered = nullptr;
    if (SUCCEEDED(QueryPathOfRegTypeLib(attributes->guid, attributes->wMajorVerNum,
                                        attributes->wMinorVerNum, attributes->lcid, &registered))) {
      SysFreeString(registered);
      hr = UnRegisterTypeLib(attributes->guid, attributes->wMajorVerNum, attributes->wMinorVerNum,
                             attributes->lcid, attributes->syskind);
    }
    library->ReleaseTLibAttr(attributes);
  }
  return hr;
}

}  // namespace

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() {
  try {
    const std::string path = ModulePath();
    if (path.empty()) return SELFREG_E_CLASS;
    if (!RegisterClassKeys(path)) {
      UnregisterClassKeys();
      return SELFREG_E_CLASS;
    }
    if (FAILED(RegisterTypeLibrary(path))) {
      UnregisterTypeLibrary(path);
      UnregisterClassKeys();
      return SELFREG_E_TYPELIB;
    }
    return S_OK;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() {
  try {
    const std::string path = ModulePath();
    const bool typeLibraryGone = !path.empty() && SUCCEEDED(UnregisterTypeLibrary(path));
    const bool classGone = UnregisterClassKeys();
    if (!classGone) return SELFREG_E_CLASS;
    return typeLibraryGone ? S_OK : SELFREG_E_TYPELIB;
  } catch (...) {
    return E_UNEXPECTED;
  }
}
