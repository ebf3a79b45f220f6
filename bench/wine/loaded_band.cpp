#include "loaded_band.h"

#include <cstdio>

#include "com_fakes.h"
#include "saved_machine.h"

namespace winbench {

namespace {

// The band's class: coclass CToolbar of tarnivo.dll.
const CLSID kBandClass = {
    0xAD04430B, 0x9388, 0x4BF7, {0xB3, 0xAC, 0xCC, 0x7C, 0x1E, 0x07, 0xDE, 0x36}};

template <typename T>
T* Query(IUnknown* object, REFIID iid) {
  void* found = nullptr;
  if (object == nullptr || FAILED(object->QueryInterface(iid, &found))) return nullptr;
  return static_cast<T*>(found);
}

BOOL CALLBACK FindToolbarForm(HWND window, LPARAM parameter) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  if (std::string(name) != "TarnivoToolbarForm") return TRUE;
  *reinterpret_cast<HWND*>(parameter) = window;
  return FALSE;
}

}  // namespace

void Line(const std::string& text) {
  std::fputs((text + "\n").c_str(), stdout);
  std::fflush(stdout);
}

bool KnownSettings() {
  return scenario::DeleteSettingsKey() == ERROR_SUCCESS &&
         scenario::StoreString("processNR", "1") == ERROR_SUCCESS &&
         scenario::StoreString("processAX", "1") == ERROR_SUCCESS;
}

std::string DllBesideProgram() {
  char self[MAX_PATH + 1] = {};
  const DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string path(self, length < MAX_PATH ? length : 0);
  const std::string::size_type slash = path.find_last_of("\\/");
  return (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + "tarnivo.dll";
}

HWND MakeFrame(const char* class_name, const char* title, int width, int height) {
  WNDCLASSA window_class = {};
  window_class.lpfnWndProc = DefWindowProcA;
  window_class.hInstance = GetModuleHandleA(nullptr);
  window_class.lpszClassName = class_name;
  RegisterClassA(&window_class);
  return CreateWindowExA(0, class_name, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, width,
                         height, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

bool LoadedBand::Open(const std::string& path, HWND frame, std::string* error) {
  module_ = LoadLibraryA(path.c_str());
  if (module_ == nullptr) {
    *error = "cannot load " + path + " (error " + std::to_string(GetLastError()) + ")";
    return false;
  }
  using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, LPVOID*);
  auto get = reinterpret_cast<GetClassObject>(
      reinterpret_cast<void*>(GetProcAddress(module_, "DllGetClassObject")));
  if (get == nullptr ||
      FAILED(get(kBandClass, IID_IClassFactory, reinterpret_cast<void**>(&factory_))) ||
      factory_ == nullptr) {
    factory_ = nullptr;
    *error = path + " gives no class factory for the band";
    return false;
  }
  if (FAILED(factory_->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(&band_))) ||
      band_ == nullptr) {
    band_ = nullptr;
    *error = "the class factory cannot create the band";
    return false;
  }
  browser_ = new comfakes::FakeBrowser();
  site_ = new comfakes::FakeSite(browser_);
  site_->window = frame;
  with_site_ = Query<IObjectWithSite>(band_, IID_IObjectWithSite);
  docking_ = Query<IDockingWindow>(band_, IID_IDockingWindow);
  if (with_site_) with_site_->SetSite(site_->Unknown());
  if (docking_) docking_->ShowDW(TRUE);
  return true;
}

void LoadedBand::Close() {
  if (docking_) {
    docking_->CloseDW(0);
    docking_->Release();
    docking_ = nullptr;
  }
  if (with_site_) {
    with_site_->SetSite(nullptr);
    with_site_->Release();
    with_site_ = nullptr;
  }
  if (band_) band_->Release();
  band_ = nullptr;
  if (factory_) factory_->Release();
  factory_ = nullptr;
  if (browser_) {
    browser_->Events().DisconnectAll();
    browser_->Release();
    browser_ = nullptr;
  }
  if (site_) site_->Release();
  site_ = nullptr;
  // The module stays loaded: nothing of it should run any more, and unloading proves nothing.
}

std::string LoadedBand::CanUnloadNow() const {
  if (module_ == nullptr) return "";
  using CanUnload = HRESULT(STDAPICALLTYPE*)();
  auto can_unload = reinterpret_cast<CanUnload>(
      reinterpret_cast<void*>(GetProcAddress(module_, "DllCanUnloadNow")));
  if (can_unload == nullptr) return "";
  return can_unload() == S_OK ? "yes" : "no";
}

HWND ToolbarForm() {
  HWND form = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), FindToolbarForm, reinterpret_cast<LPARAM>(&form));
  return form;
}

}  // namespace winbench
