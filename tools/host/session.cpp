#include "session.h"

#include <exdispid.h>

#include "intercept.h"
#include "machine.h"
#include "virtual_clock.h"

namespace host {
namespace {

// The band object's class: coclass CToolbar of tarnivo.dll.
const CLSID kBandClass = {
    0xAD04430B, 0x9388, 0x4BF7, {0xB3, 0xAC, 0xCC, 0x7C, 0x1E, 0x07, 0xDE, 0x36}};

const char kFrameClass[] = "TarnivoHostFrame";

HWND MakeFrame() {
  static bool registered = false;
  if (!registered) {
    WNDCLASSA window_class = {};
    window_class.lpfnWndProc = DefWindowProcA;
    window_class.hInstance = GetModuleHandleA(nullptr);
    window_class.lpszClassName = kFrameClass;
    registered = RegisterClassA(&window_class) != 0;
  }
  return CreateWindowExA(0, kFrameClass, "Tarnivo host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                         kFrameWidth, kFrameHeight, nullptr, nullptr, GetModuleHandleA(nullptr),
                         nullptr);
}

// Watching one VARIANT_BOOL for a write: it sits alone in a read-only page, and the first
// write faults into this handler, which records it, opens the page and lets the write run.
void* g_watched_page = nullptr;
bool g_written = false;

LONG CALLBACK WatchWrites(EXCEPTION_POINTERS* info) {
  const EXCEPTION_RECORD* record = info->ExceptionRecord;
  if (g_watched_page == nullptr || record->ExceptionCode != EXCEPTION_ACCESS_VIOLATION ||
      record->NumberParameters < 2 || record->ExceptionInformation[0] != 1)
    return EXCEPTION_CONTINUE_SEARCH;
  const auto address = static_cast<ULONG_PTR>(record->ExceptionInformation[1]);
  const auto page = reinterpret_cast<ULONG_PTR>(g_watched_page);
  SYSTEM_INFO system = {};
  GetSystemInfo(&system);
  if (address < page || address >= page + system.dwPageSize) return EXCEPTION_CONTINUE_SEARCH;
  DWORD old = 0;
  VirtualProtect(g_watched_page, system.dwPageSize, PAGE_READWRITE, &old);
  g_written = true;
  return EXCEPTION_CONTINUE_EXECUTION;
}

}  // namespace

// --- Server ---

bool RunnerPath(std::string* path) {
  char self[MAX_PATH + 1] = {};
  const DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return false;
  path->assign(self, length);
  return true;
}

bool StartProcess(std::string& command, bool inherit_handles, STARTUPINFOA& startup,
                  PROCESS_INFORMATION* process) {
  for (int attempt = 0; attempt < 5; ++attempt) {
    if (attempt > 0) Sleep(200 * attempt);
    if (CreateProcessA(nullptr, command.data(), nullptr, nullptr, inherit_handles ? TRUE : FALSE, 0,
                       nullptr, nullptr, &startup, process))
      return true;
  }
  return false;
}

bool Server::Load(std::string* error) {
  std::string dll;
  if (!RunnerPath(&dll)) {
    *error = "cannot read the runner's own path";
    return false;
  }
  const std::string::size_type slash = dll.find_last_of("\\/");
  dll = (slash == std::string::npos ? std::string() : dll.substr(0, slash + 1)) + "tarnivo.dll";
  module_ = LoadLibraryA(dll.c_str());
  if (module_ == nullptr) {
    *error = "cannot load " + dll + " (error " + std::to_string(GetLastError()) + ")";
    return false;
  }
  // The DLL's calls to user32 and comctl32 that the scenarios observe come to the host.
  if (!intercept::Install(module_, error)) return false;
  using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, LPVOID*);
  auto get = reinterpret_cast<GetClassObject>(
      reinterpret_cast<void*>(GetProcAddress(module_, "DllGetClassObject")));
  if (get == nullptr) {
    *error = dll + " has no DllGetClassObject";
    return false;
  }
  const HRESULT hr = get(kBandClass, IID_IClassFactory, reinterpret_cast<void**>(&factory_));
  if (FAILED(hr) || factory_ == nullptr) {
    factory_ = nullptr;
    *error = "DllGetClassObject refused the band's class (hr " + std::to_string(hr) + ")";
    return false;
  }
  return true;
}

IUnknown* Server::CreateBand() {
  IUnknown* band = nullptr;
  if (factory_ == nullptr ||
      FAILED(factory_->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(&band))))
    return nullptr;
  return band;
}

Server::~Server() {
  if (factory_ != nullptr) factory_->Release();
  // The module stays loaded: its threads' windows and timers may still name its code.
}

// --- Session ---

Session::Session(Server& server, bool verbose, std::ostream& out)
    : server_(server), verbose_(verbose), out_(out) {
  intercept::SetObserver([this](const std::string& line) { Say(line); });
}

Session::~Session() {
  End();
  intercept::SetObserver({});
}

bool Session::Begin(std::string* error) {
  if (scenario::DeleteSettingsKey() != ERROR_SUCCESS) {
    *error = "cannot remove the settings key";
    return false;
  }
  if (!scenario::DeleteListFile(error)) return false;
  keybd_event(VK_CONTROL, 0, KEYEVENTF_KEYUP, 0);
  if (!SetScrollLock(false)) {
    *error = "cannot turn Scroll Lock off";
    return false;
  }
  if (!ResetMouse(error)) return false;
  clock::Reset();
  Pump();
  return true;
}

void Session::End() {
  while (!windows_.empty()) CloseCurrent();
  pointer.reset();
  std::string ignored;
  ResetMouse(&ignored);
  scenario::DeleteSettingsKey();
  scenario::DeleteListFile(&ignored);
  keybd_event(VK_CONTROL, 0, KEYEVENTF_KEYUP, 0);
  Pump();
}

void Session::Say(const std::string& line) {
  if (verbose_) out_ << "  " << line << '\n';
}

scenario::Status Session::Open(bool with_browser) {
  auto window = std::make_unique<Window>();
  window->number = next_number_++;
  window->band = server_.CreateBand();
  if (window->band == nullptr)
    return scenario::Status::Failure("start: the band cannot be created");
  window->frame = MakeFrame();
  if (with_browser) {
    window->browser = new Browser();
    window->browser->SetReporter([this](const std::string& line) { Say(line); });
  }
  window->site = new Site(window->browser, window->frame);
  if (auto with_site = Query<IObjectWithSite>(window->band, IID_IObjectWithSite))
    with_site->SetSite(window->site->Unknown());
  if (auto docking = Query<IDockingWindow>(window->band, IID_IDockingWindow)) docking->ShowDW(TRUE);
  windows_.push_back(std::move(window));
  Pump();
  Say("window " + std::to_string(windows_.back()->number) + " opens");
  return scenario::Status::Ok();
}

void Session::RaiseClosing(Window& window) {
  if (window.browser == nullptr) return;
  VARIANT_BOOL cancel = VARIANT_FALSE;
  window.browser->Fire(DISPID_WINDOWCLOSING,
                       {comfakes::Bool(false), comfakes::ByRef(VT_BOOL, &cancel)});
  Pump();
}

void Session::CloseCurrent() {
  if (windows_.empty()) return;
  Window& window = *windows_.back();
  RaiseClosing(window);
  if (auto docking = Query<IDockingWindow>(window.band, IID_IDockingWindow)) docking->CloseDW(0);
  if (auto with_site = Query<IObjectWithSite>(window.band, IID_IObjectWithSite))
    with_site->SetSite(nullptr);
  window.band->Release();
  if (window.browser != nullptr) {
    window.browser->DisconnectAll();
    window.browser->Release();
  }
  window.site->Release();
  DestroyWindow(window.frame);
  windows_.pop_back();
  Pump();
}

scenario::PopupOutcome Session::RaisePopup(Browser& browser) {
  SYSTEM_INFO system = {};
  GetSystemInfo(&system);
  void* page = VirtualAlloc(nullptr, system.dwPageSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  auto* cancel = static_cast<VARIANT_BOOL*>(page);
  *cancel = VARIANT_FALSE;
  DWORD old = 0;
  VirtualProtect(page, system.dwPageSize, PAGE_READONLY, &old);
  void* handler = AddVectoredExceptionHandler(1, WatchWrites);
  g_watched_page = page;
  g_written = false;
  IDispatch* new_window = nullptr;
  browser.Fire(DISPID_NEWWINDOW2,
               {comfakes::ByRef(VT_DISPATCH, &new_window), comfakes::ByRef(VT_BOOL, cancel)});
  g_watched_page = nullptr;
  if (handler != nullptr) RemoveVectoredExceptionHandler(handler);
  const bool value = *cancel != VARIANT_FALSE;
  const bool written = g_written;
  VirtualFree(page, 0, MEM_RELEASE);
  if (new_window != nullptr) new_window->Release();
  Pump();
  if (value) return scenario::PopupOutcome::Blocked;
  return written ? scenario::PopupOutcome::Allowed : scenario::PopupOutcome::Passed;
}

scenario::Status Session::NeedWindow(const std::string& what, Window** window) {
  *window = Current();
  if (*window == nullptr)
    return scenario::Status::Error(what + ": no browser window is open (start first)");
  return scenario::Status::Ok();
}

scenario::Status Session::NeedBrowser(const std::string& what, Browser** browser) {
  Window* window = nullptr;
  if (scenario::Status need = NeedWindow(what, &window); !need.ok()) return need;
  if (window->browser == nullptr)
    return scenario::Status::Error(what + ": the current window has no browser");
  *browser = window->browser;
  return scenario::Status::Ok();
}

void Session::Pump() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

void Session::Wait(unsigned milliseconds) { clock::Advance(milliseconds, Pump); }

bool ScrollLockOn() { return (GetKeyState(VK_SCROLL) & 1) != 0; }

bool SetScrollLock(bool on) {
  for (int attempt = 0; attempt < 4 && ScrollLockOn() != on; ++attempt) {
    keybd_event(VK_SCROLL, 0x46, KEYEVENTF_EXTENDEDKEY, 0);
    keybd_event(VK_SCROLL, 0x46, KEYEVENTF_EXTENDEDKEY | KEYEVENTF_KEYUP, 0);
    Session::Pump();
  }
  return ScrollLockOn() == on;
}

}  // namespace host
