// The user's mouse on the real DLL. The band's mouse watch asks the system what a user's
// mouse is doing: the class of WindowFromPoint(GetCursorPos()) and
// GetAsyncKeyState(VK_LBUTTON). So `cursor` puts the real cursor over a real window of the
// class the file names, and `mouse` and `click` send the left button through the system's
// input queue; each waits until the system shows what it did.
//
// The windows the cursor is put over stand in a strip of their own below the browser frames,
// topmost, one per class. A menu (class #32768) cannot be made by hand: it is a real popup
// menu, opened with TrackPopupMenu by a small process of its own (this program with
// `--menu`), so that it shares no menu state with the menus the band itself opens. Its only
// entry is greyed, so presses on it leave it open.
//
// The button goes through SendInput. Wine sets the system's button state when the input is
// queued, and keeps this thread's key state in step with it once no input waits for the
// thread; the commands read that (GetKeyState), never GetAsyncKeyState, whose "pressed since
// the last look" bit belongs to the band's watch. Only input messages are run after a press:
// the band's timers fire during `wait`, not inside a mouse command.
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <windows.h>

#include "hands.h"
#include "lexer.h"

namespace host {

using scenario::Quote;
using scenario::Status;

namespace {

// --- where the windows stand ---

// The cursor's windows: 40 x 40, 50 apart, in rows counted up from the bottom of the screen,
// all below the browser frames and clear of the screen's last point, where the cursor rests
// over no window of the host.
constexpr int kPlaceSize = 40;
constexpr int kPlaceStep = 50;
constexpr int kPlaceLeft = 8;
// The menu stands to the right of the browser frames, above the cursor's windows.
constexpr int kMenuLeft = kFrameWidth + 50;
constexpr int kMenuTop = 100;
// The least screen on which all of this fits.
constexpr int kLeastWidth = kFrameWidth + 200;
constexpr int kLeastHeight = kFrameHeight + kPlaceStep + 10;

struct Screen {
  int width = 0;
  int height = 0;
};

Screen ScreenSize() { return Screen{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

bool ScreenFits(const Screen& screen) {
  return screen.width >= kLeastWidth && screen.height >= kLeastHeight;
}

POINT RestingPoint(const Screen& screen) { return POINT{screen.width - 1, screen.height - 1}; }

int PlacesPerRow(const Screen& screen) {
  return (screen.width - 1 - kPlaceLeft - kPlaceSize) / kPlaceStep + 1;
}

int PlaceRows(const Screen& screen) {
  return (screen.height - kPlaceStep - kFrameHeight) / kPlaceStep + 1;
}

// The top-left corner of window number `slot`.
POINT PlaceCorner(const Screen& screen, int slot) {
  const int per_row = PlacesPerRow(screen);
  return POINT{kPlaceLeft + kPlaceStep * (slot % per_row),
               screen.height - kPlaceStep - kPlaceStep * (slot / per_row)};
}

// --- waiting ---

// Runs the messages sent to this thread, nothing else: a wait inside a command lets no timer
// of the band fire.
void RunSentMessages() {
  MSG message;
  PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
}

// Runs the input messages waiting for this thread (the mouse's, sent to the cursor's windows).
void PumpInput() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE | PM_QS_INPUT)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

// How long a command waits for the system to show what it did.
constexpr ULONGLONG kInputTimeout = 1000;
constexpr ULONGLONG kMenuTimeout = 15000;

// --- the cursor's windows ---

// The window procedure of the cursor's windows: the point is theirs (no transparent parts),
// and a press on them neither activates them nor takes the focus, so that the band's focus is
// the same as before the press.
LRESULT Passive(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, WNDPROC next) {
  switch (message) {
    case WM_NCHITTEST:
      return HTCLIENT;
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
      return 0;
    default:
      break;
  }
  return next != nullptr ? CallWindowProcA(next, hwnd, message, wparam, lparam)
                         : DefWindowProcA(hwnd, message, wparam, lparam);
}

LRESULT CALLBACK PassiveWindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  return Passive(hwnd, message, wparam, lparam, nullptr);
}

// A window of a class the system already knows (a control's, say) keeps its own procedure
// behind the passive one.
const char kNextProc[] = "TarnivoHostNextProc";

LRESULT CALLBACK PassiveSubclassProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  auto next = reinterpret_cast<WNDPROC>(GetPropA(hwnd, kNextProc));
  if (message == WM_NCDESTROY && next != nullptr) {
    RemovePropA(hwnd, kNextProc);
    SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(next));
    return CallWindowProcA(next, hwnd, message, wparam, lparam);
  }
  return Passive(hwnd, message, wparam, lparam, next);
}

std::string ClassOf(HWND hwnd) {
  char name[256] = {};
  if (hwnd == nullptr) return "no window";
  const int length = GetClassNameA(hwnd, name, sizeof name);
  return length > 0 ? std::string(name, static_cast<std::size_t>(length)) : "a nameless class";
}

POINT CentreOf(const RECT& rect) {
  return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

// Moves the cursor to `point` and checks that the system puts it there, over `hwnd`.
Status MoveCursor(POINT point, HWND hwnd, const std::string& what) {
  if (!SetCursorPos(point.x, point.y))
    return Status::Failure(what + ": the cursor cannot be moved (error " +
                           std::to_string(GetLastError()) + ")");
  POINT now = {};
  if (!GetCursorPos(&now) || now.x != point.x || now.y != point.y)
    return Status::Failure(what + ": the cursor did not go to " + std::to_string(point.x) + "," +
                           std::to_string(point.y));
  const HWND under = WindowFromPoint(now);
  if (under != hwnd)
    return Status::Failure(what + ": the cursor is over " + Quote(ClassOf(under)) +
                           ", not over the window put there");
  return Status::Ok();
}

// --- the menu's process ---

const char kMenuOwnerClass[] = "TarnivoHostMenuOwner";
const char kMenuCaption[] = "Menu";
bool g_menu_closing = false;

LRESULT CALLBACK MenuOwnerProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_CLOSE) {
    g_menu_closing = true;
    EndMenu();
    return 0;
  }
  return DefWindowProcA(hwnd, message, wparam, lparam);
}

// Ends this process when the runner that started it goes, however it goes.
DWORD WINAPI WatchParent(void* parent) {
  WaitForSingleObject(static_cast<HANDLE>(parent), INFINITE);
  ExitProcess(0);
}

bool ParseCoordinate(const char* text, long* out) {
  char* end = nullptr;
  const long value = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || value < 0 || value > 100000) return false;
  *out = value;
  return true;
}

struct MenuSearch {
  DWORD process = 0;
  HWND found = nullptr;
};

BOOL CALLBACK FindMenuWindow(HWND hwnd, LPARAM param) {
  auto* search = reinterpret_cast<MenuSearch*>(param);
  DWORD process = 0;
  GetWindowThreadProcessId(hwnd, &process);
  if (process != search->process || !IsWindowVisible(hwnd) || ClassOf(hwnd) != "#32768")
    return TRUE;
  search->found = hwnd;
  return FALSE;
}

// The process that keeps a popup menu open at a fixed place until the session ends.
class MenuProcess {
 public:
  MenuProcess() = default;
  MenuProcess(const MenuProcess&) = delete;
  MenuProcess& operator=(const MenuProcess&) = delete;
  ~MenuProcess() { Close(); }

  // The menu's window, the process being started first when it is not running.
  Status Window(const std::string& what, HWND* window) {
    if (!Running()) {
      Close();
      if (Status started = Start(what); !started.ok()) return started;
    }
    const ULONGLONG end = GetTickCount64() + kMenuTimeout;
    while (true) {
      MenuSearch search;
      search.process = process_.dwProcessId;
      EnumWindows(FindMenuWindow, reinterpret_cast<LPARAM>(&search));
      RECT rect = {};
      if (search.found != nullptr && GetWindowRect(search.found, &rect) && rect.right > rect.left &&
          rect.bottom > rect.top) {
        *window = search.found;
        return Status::Ok();
      }
      if (!Running()) return Status::Failure(what + ": the menu's process ended");
      if (GetTickCount64() >= end) return Status::Failure(what + ": no menu opened");
      MsgWaitForMultipleObjects(1, &process_.hProcess, FALSE, 10, QS_SENDMESSAGE);
      RunSentMessages();
    }
  }

 private:
  bool Running() const {
    return process_.hProcess != nullptr &&
           WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT;
  }

  Status Start(const std::string& what) {
    std::string self;
    if (!RunnerPath(&self)) return Status::Failure(what + ": cannot read the runner's own path");
    std::string command = "\"" + self + "\" --menu " + std::to_string(kMenuLeft) + " " +
                          std::to_string(kMenuTop) + " " + std::to_string(GetCurrentProcessId());
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    if (!StartProcess(command, false, startup, &process_)) {
      process_ = PROCESS_INFORMATION{};
      return Status::Failure(what + ": cannot start the menu's process (error " +
                             std::to_string(GetLastError()) + ")");
    }
    return Status::Ok();
  }

  struct ThreadSearch {
    HWND found = nullptr;
  };

  static BOOL CALLBACK FindOwner(HWND hwnd, LPARAM param) {
    if (ClassOf(hwnd) != kMenuOwnerClass) return TRUE;
    reinterpret_cast<ThreadSearch*>(param)->found = hwnd;
    return FALSE;
  }

  // Asks the process to close its menu and end; ends it when it does not.
  void Close() {
    if (process_.hProcess == nullptr) return;
    ThreadSearch search;
    EnumThreadWindows(process_.dwThreadId, FindOwner, reinterpret_cast<LPARAM>(&search));
    if (search.found != nullptr) PostMessageA(search.found, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process_.hProcess, 3000) != WAIT_OBJECT_0)
      TerminateProcess(process_.hProcess, 1);
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
    process_ = PROCESS_INFORMATION{};
  }

  PROCESS_INFORMATION process_ = {};
};

}  // namespace

// --- the pointer: the cursor's windows and the menu of one session ---

class Pointer {
 public:
  Pointer() = default;
  Pointer(const Pointer&) = delete;
  Pointer& operator=(const Pointer&) = delete;
  ~Pointer() {
    for (const Place& place : places_) {
      DestroyWindow(place.hwnd);
      if (place.registered) UnregisterClassA(place.window_class.c_str(), GetModuleHandleA(nullptr));
    }
  }

  // Puts the cursor over a window of `window_class`, made the first time.
  Status PutOver(const std::string& window_class, const std::string& what) {
    const Screen screen = ScreenSize();
    if (!ScreenFits(screen))
      return Status::Skipped(what + ": the screen (" + std::to_string(screen.width) + " x " +
                             std::to_string(screen.height) + ") is too small for the cursor's " +
                             "windows beside the browser's");
    if (window_class == "#32768") {
      HWND menu = nullptr;
      if (Status opened = menu_.Window(what, &menu); !opened.ok()) return opened;
      RECT rect = {};
      GetWindowRect(menu, &rect);
      return MoveCursor(CentreOf(rect), menu, what);
    }
    const Place* place = Find(window_class);
    if (place == nullptr) {
      if (Status made = Make(screen, window_class, what); !made.ok()) return made;
      place = &places_.back();
    }
    RECT rect = {};
    GetWindowRect(place->hwnd, &rect);
    return MoveCursor(CentreOf(rect), place->hwnd, what);
  }

 private:
  struct Place {
    std::string window_class;
    HWND hwnd = nullptr;
    bool registered = false;
  };

  // Class names are the same whatever their letter case.
  const Place* Find(const std::string& window_class) const {
    for (const Place& place : places_)
      if (lstrcmpiA(place.window_class.c_str(), window_class.c_str()) == 0) return &place;
    return nullptr;
  }

  Status Make(const Screen& screen, const std::string& window_class, const std::string& what) {
    const int slot = static_cast<int>(places_.size());
    if (slot >= PlacesPerRow(screen) * PlaceRows(screen))
      return Status::Failure(what + ": too many window classes under the cursor in one file");
    HINSTANCE instance = GetModuleHandleA(nullptr);
    Place place;
    place.window_class = window_class;
    // A class the system already knows (a control's) is used as it is, so that no class of
    // the system is hidden behind one of this program's.
    WNDCLASSA known = {};
    if (!GetClassInfoA(instance, window_class.c_str(), &known)) {
      WNDCLASSA made = {};
      made.lpfnWndProc = PassiveWindowProc;
      made.hInstance = instance;
      made.hCursor = LoadCursor(nullptr, IDC_ARROW);
      made.lpszClassName = window_class.c_str();
      if (RegisterClassA(&made) == 0)
        return Status::Failure(what + ": the class " + Quote(window_class) +
                               " cannot be registered (error " + std::to_string(GetLastError()) +
                               ")");
      place.registered = true;
    }
    const POINT corner = PlaceCorner(screen, slot);
    place.hwnd =
        CreateWindowExA(WS_EX_TOPMOST | WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW, window_class.c_str(),
                        "", WS_POPUP | WS_VISIBLE, corner.x, corner.y, kPlaceSize, kPlaceSize,
                        nullptr, nullptr, instance, nullptr);
    if (place.hwnd == nullptr) {
      const DWORD error = GetLastError();
      if (place.registered) UnregisterClassA(window_class.c_str(), instance);
      return Status::Failure(what + ": cannot make a window of class " + Quote(window_class) +
                             " (error " + std::to_string(error) + ")");
    }
    if (!place.registered) {
      SetPropA(place.hwnd, kNextProc,
               reinterpret_cast<HANDLE>(GetWindowLongPtrA(place.hwnd, GWLP_WNDPROC)));
      SetWindowLongPtrA(place.hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PassiveSubclassProc));
    }
    places_.push_back(place);
    return Status::Ok();
  }

  std::vector<Place> places_;
  MenuProcess menu_;
};

namespace {

// --- the left button ---

bool ButtonShownDown() { return (static_cast<USHORT>(GetKeyState(VK_LBUTTON)) & 0x8000u) != 0; }

// Sends the left button down or up and waits until the system shows it.
bool SendButton(bool down) {
  INPUT input = {};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
  if (SendInput(1, &input, sizeof input) != 1) return false;
  const ULONGLONG end = GetTickCount64() + kInputTimeout;
  while (true) {
    PumpInput();
    if (ButtonShownDown() == down) return true;
    if (GetTickCount64() >= end) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_INPUT | QS_SENDMESSAGE);
    RunSentMessages();
  }
}

Status Press(bool down, const std::string& what) {
  if (SendButton(down)) return Status::Ok();
  return Status::Failure(what + ": the system does not show the left button " +
                         (down ? "down" : "up"));
}

}  // namespace

bool ResetMouse(std::string* error) {
  // Reading the button also forgets a press an earlier run left unread.
  const bool down = (static_cast<USHORT>(GetAsyncKeyState(VK_LBUTTON)) & 0x8000u) != 0;
  if ((down || ButtonShownDown()) && !SendButton(false)) {
    *error = "cannot release the left button";
    return false;
  }
  const Screen screen = ScreenSize();
  const POINT rest = RestingPoint(screen);
  POINT now = {};
  if (!SetCursorPos(rest.x, rest.y) || !GetCursorPos(&now) || now.x != rest.x || now.y != rest.y) {
    *error = "cannot move the cursor to " + std::to_string(rest.x) + "," + std::to_string(rest.y);
    return false;
  }
  return true;
}

Status PutCursorOver(Session& session, const std::string& window_class, const std::string& what) {
  if (!session.pointer) session.pointer = std::make_shared<Pointer>();
  Status put = session.pointer->PutOver(window_class, what);
  if (put.ok()) session.Say("the cursor is over a window of class " + Quote(window_class));
  return put;
}

Status PressLeftButton(bool down, const std::string& what) { return Press(down, what); }

int RunMenuWindow(int argc, char** argv) {
  long x = 0;
  long y = 0;
  long parent_id = 0;
  if (argc != 3 || !ParseCoordinate(argv[0], &x) || !ParseCoordinate(argv[1], &y) ||
      !ParseCoordinate(argv[2], &parent_id))
    return 2;
  HANDLE parent = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(parent_id));
  if (parent == nullptr) return 2;
  HANDLE watcher = CreateThread(nullptr, 0, WatchParent, parent, 0, nullptr);
  if (watcher == nullptr) return 2;
  CloseHandle(watcher);

  WNDCLASSA owner_class = {};
  owner_class.lpfnWndProc = MenuOwnerProc;
  owner_class.hInstance = GetModuleHandleA(nullptr);
  owner_class.lpszClassName = kMenuOwnerClass;
  RegisterClassA(&owner_class);
  HWND owner = CreateWindowExA(0, kMenuOwnerClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                               owner_class.hInstance, nullptr);
  HMENU menu = CreatePopupMenu();
  if (owner == nullptr || menu == nullptr) return 2;
  AppendMenuA(menu, MF_STRING | MF_GRAYED, 1, kMenuCaption);
  // The menu stays open: when something else closes it, it opens again.
  while (!g_menu_closing) {
    TrackPopupMenu(menu,
                   TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY,
                   static_cast<int>(x), static_cast<int>(y), 0, owner, nullptr);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    if (!g_menu_closing) Sleep(10);
  }
  DestroyMenu(menu);
  DestroyWindow(owner);
  CloseHandle(parent);
  return 0;
}

}  // namespace host
