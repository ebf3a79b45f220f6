// Window classes and windows of the Linux back end: creation and destruction with their
// messages, places on the screen, visibility, the enabled state, the menu bar, the cursor
// and the window under it, finding windows by class and text and a thread's windows; a
// window's procedure, user data and properties.
//
// Windows have no non-client area: a window's client area is its whole rectangle. A child
// window's rectangle is kept relative to its parent's top-left corner, a top-level
// window's on a screen of 1024 x 768 pixels. Z-order as Windows keeps it: a new top-level
// window goes on top of the others, and so does a hidden one that is shown (unless shown
// without activation); a new child window goes below its siblings, so the first child
// made is the topmost.
#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <limits>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "platform/linux/backend.h"
#include "platform/linux/backend_internal.h"
#include "platform/linux/drawing_internal.h"
#include "platform/linux/win32_api.h"

namespace {

using backend::internal::UserMutex;

constexpr LONG kScreenWidth = 1024;
constexpr LONG kScreenHeight = 768;
constexpr unsigned kFirstClassAtom = 0xC000;
constexpr unsigned kLastClassAtom = 0xFFFF;
constexpr int kShowMinNoActive = 7;
constexpr std::uintptr_t kModuleHandle = 0x00400000;
constexpr WPARAM kSizeRestored = 0;

struct WindowClass {
  std::string name;  // as it was registered
  ATOM atom = 0;
  WNDPROC proc = nullptr;
  HBRUSH background = nullptr;
  int windows = 0;
};

// A window property. Text names are filed in lower case; the name keeps the letter case it
// was first set with.
struct Property {
  std::string key;
  std::string name;
  ATOM atom = 0;  // a name made with MAKEINTATOM
  HANDLE value = nullptr;
};

struct Window {
  std::string class_key;
  WNDPROC proc = nullptr;
  DWORD style = 0;
  DWORD ex_style = 0;
  HWND parent = nullptr;  // the parent of a child window
  HWND owner = nullptr;   // the owner of a top-level window
  bool message_only = false;
  RECT rect{};             // relative to the parent for a child window, else on the screen
  HMENU menu = nullptr;    // the menu bar of a top-level window
  LONG_PTR id = 0;         // the id of a child window (the hMenu it was made with)
  std::thread::id thread;  // the thread that made it, whose queue gets its messages
  std::string text;
  bool destroying = false;
  std::vector<HWND> children;        // topmost first
  LONG_PTR user_data = 0;            // GWLP_USERDATA
  std::vector<Property> properties;  // in the order they were first set
};

struct WindowTable {
  std::map<std::string, WindowClass> classes;  // by name in lower case
  std::map<std::string, ATOM> atoms;           // kept when a class goes, as Windows does
  unsigned next_atom = kFirstClassAtom;
  std::map<std::uintptr_t, Window> windows;
  std::vector<HWND> top_levels;  // bottom first; message-only windows are not here
  POINT cursor{0, 0};
};

std::atomic<std::uintptr_t> g_next_handle{0x10010};

WindowTable& Table() {
  static WindowTable* table = new WindowTable;
  return *table;
}

std::uintptr_t KeyOf(HWND window) { return reinterpret_cast<std::uintptr_t>(window); }

Window* FindLocked(HWND window) {
  auto it = Table().windows.find(KeyOf(window));
  return it == Table().windows.end() ? nullptr : &it->second;
}

using backend::internal::LowerCase;

// A class named by an atom (MAKEINTATOM) rather than by a string.
bool IsAtomName(LPCSTR name) { return reinterpret_cast<std::uintptr_t>(name) <= 0xFFFF; }

WindowClass* FindClassLocked(LPCSTR name) {
  if (name == nullptr) return nullptr;
  if (IsAtomName(name)) {
    ATOM atom = static_cast<ATOM>(reinterpret_cast<std::uintptr_t>(name));
    for (auto& entry : Table().classes) {
      if (entry.second.atom == atom) return &entry.second;
    }
    return nullptr;
  }
  auto it = Table().classes.find(LowerCase(name));
  return it == Table().classes.end() ? nullptr : &it->second;
}

LONG Clamp(std::int64_t value) {
  if (value > std::numeric_limits<LONG>::max()) return std::numeric_limits<LONG>::max();
  if (value < std::numeric_limits<LONG>::min()) return std::numeric_limits<LONG>::min();
  return static_cast<LONG>(value);
}

RECT MakeRect(std::int64_t x, std::int64_t y, std::int64_t width, std::int64_t height) {
  width = std::max<std::int64_t>(width, 0);
  height = std::max<std::int64_t>(height, 0);
  return RECT{Clamp(x), Clamp(y), Clamp(x + width), Clamp(y + height)};
}

RECT ScreenRectLocked(const Window& window) {
  std::int64_t left = window.rect.left;
  std::int64_t top = window.rect.top;
  std::int64_t width = static_cast<std::int64_t>(window.rect.right) - window.rect.left;
  std::int64_t height = static_cast<std::int64_t>(window.rect.bottom) - window.rect.top;
  for (const Window* at = &window; at->parent != nullptr;) {
    const Window* parent = FindLocked(at->parent);
    if (parent == nullptr) break;
    left += parent->rect.left;
    top += parent->rect.top;
    at = parent;
  }
  return MakeRect(left, top, width, height);
}

bool Contains(const RECT& rect, POINT point) {
  return point.x >= rect.left && point.x < rect.right && point.y >= rect.top &&
         point.y < rect.bottom;
}

// WM_MOVE and WM_SIZE carry two 16-bit values.
LPARAM PackPoint(LONG low, LONG high) {
  return static_cast<LPARAM>((static_cast<DWORD>(low) & 0xFFFFu) |
                             ((static_cast<DWORD>(high) & 0xFFFFu) << 16));
}

void UnlinkLocked(HWND handle, const Window& window) {
  std::vector<HWND>* list = &Table().top_levels;
  if (window.parent != nullptr) {
    Window* parent = FindLocked(window.parent);
    if (parent == nullptr) return;
    list = &parent->children;
  }
  list->erase(std::remove(list->begin(), list->end(), handle), list->end());
}

void RaiseLocked(HWND handle) {
  auto& order = Table().top_levels;
  auto it = std::find(order.begin(), order.end(), handle);
  if (it == order.end()) return;
  order.erase(it);
  order.push_back(handle);
}

// Takes a window and everything below it out of the tables, without a message: for
// windows that lose their thread, or children made while their parent was being freed.
void RemoveTreeLocked(HWND handle) {
  Window* window = FindLocked(handle);
  if (window == nullptr) return;
  std::vector<HWND> children = window->children;
  for (HWND child : children) RemoveTreeLocked(child);
  window = FindLocked(handle);
  if (window == nullptr) return;
  UnlinkLocked(handle, *window);
  for (auto& entry : Table().windows) {
    if (entry.second.owner == handle) entry.second.owner = nullptr;
  }
  backend::internal::ForgetWindowMessagesLocked(handle);
  if (window->parent == nullptr && window->menu != nullptr) {
    backend::internal::DestroyMenuLocked(window->menu);
  }
  auto cls = Table().classes.find(window->class_key);
  if (cls != Table().classes.end()) --cls->second.windows;
  Table().windows.erase(KeyOf(handle));
}

// Sends WM_DESTROY to a window, then to its children, each before its own children.
void SendDestroy(HWND handle) {
  SendMessageA(handle, WM_DESTROY, 0, 0);
  std::vector<HWND> children;
  {
    std::lock_guard<std::mutex> lock(UserMutex());
    Window* window = FindLocked(handle);
    if (window == nullptr) return;
    children = window->children;
  }
  for (HWND child : children) {
    if (IsWindow(child)) SendDestroy(child);
  }
}

// Frees a window after its children: WM_NCDESTROY goes to the deepest windows first. The
// window still answers IsWindow while it handles WM_NCDESTROY.
void FreeWindow(HWND handle) {
  std::vector<HWND> children;
  {
    std::lock_guard<std::mutex> lock(UserMutex());
    Window* window = FindLocked(handle);
    if (window == nullptr) return;
    children = window->children;
  }
  for (HWND child : children) FreeWindow(child);
  {
    std::lock_guard<std::mutex> lock(UserMutex());
    Window* window = FindLocked(handle);
    if (window == nullptr) return;
    UnlinkLocked(handle, *window);
    for (auto& entry : Table().windows) {
      if (entry.second.owner == handle) entry.second.owner = nullptr;
    }
    backend::internal::ForgetWindowMessagesLocked(handle);
  }
  SendMessageA(handle, WM_NCDESTROY, 0, 0);
  HMENU menu = nullptr;
  {
    std::lock_guard<std::mutex> lock(UserMutex());
    Window* window = FindLocked(handle);
    if (window == nullptr) return;
    std::vector<HWND> late_children = window->children;
    for (HWND child : late_children) RemoveTreeLocked(child);
    window = FindLocked(handle);
    if (window == nullptr) return;
    if (window->parent == nullptr) menu = window->menu;
    backend::internal::ForgetWindowMessagesLocked(handle);
    auto cls = Table().classes.find(window->class_key);
    if (cls != Table().classes.end()) --cls->second.windows;
    Table().windows.erase(KeyOf(handle));
  }
  // The menu bar goes with its window.
  if (menu != nullptr) DestroyMenu(menu);
}

// The top-level windows from the top of the z-order down: the topmost ones first.
std::vector<HWND> TopLevelOrderLocked() {
  std::vector<HWND> order;
  for (int pass = 0; pass < 2; ++pass) {
    const bool want_topmost = pass == 0;
    const auto& levels = Table().top_levels;
    for (auto it = levels.rbegin(); it != levels.rend(); ++it) {
      const Window* window = FindLocked(*it);
      if (window == nullptr || ((window->ex_style & WS_EX_TOPMOST) != 0) != want_topmost) continue;
      order.push_back(*it);
    }
  }
  return order;
}

// The threads GetCurrentThreadId has numbered, by number.
std::map<DWORD, std::thread::id>& ThreadNumbers() {
  static auto* numbers = new std::map<DWORD, std::thread::id>;
  return *numbers;
}

bool SameThread(const Window& window) { return window.thread == std::this_thread::get_id(); }

}  // namespace

namespace backend {

void MoveCursorOver(HWND window) {
  RECT rect{};
  if (!GetWindowRect(window, &rect)) return;
  const std::int64_t x = (static_cast<std::int64_t>(rect.left) + rect.right) / 2;
  const std::int64_t y = (static_cast<std::int64_t>(rect.top) + rect.bottom) / 2;
  SetCursorPos(static_cast<int>(x), static_cast<int>(y));
}

}  // namespace backend

namespace backend::internal {

std::mutex& UserMutex() {
  static std::mutex* mutex = new std::mutex;
  return *mutex;
}

std::uintptr_t NewUserHandle() { return g_next_handle.fetch_add(4); }

bool FindWindowLocked(HWND window, WindowFacts* facts) {
  const Window* found = FindLocked(window);
  if (found == nullptr) return false;
  facts->proc = found->proc;
  facts->thread = found->thread;
  facts->parent = found->parent;
  facts->owner = found->owner;
  facts->style = found->style;
  facts->ex_style = found->ex_style;
  facts->message_only = found->message_only;
  return true;
}

HWND RootLocked(HWND window) {
  for (int depth = 0; depth < 1000; ++depth) {
    const Window* found = FindLocked(window);
    if (found == nullptr) return nullptr;
    if (found->parent == nullptr) return window;
    window = found->parent;
  }
  return nullptr;
}

std::vector<HWND> TopLevelWindowsLocked() { return TopLevelOrderLocked(); }

void ChangeStyleLocked(HWND window, DWORD clear, DWORD set) {
  if (Window* found = FindLocked(window)) found->style = (found->style & ~clear) | set;
}

DWORD ThreadNumberLocked(std::thread::id thread) {
  for (const auto& entry : ThreadNumbers()) {
    if (entry.second == thread) return entry.first;
  }
  return 0;
}

bool IsWindowOrDescendantLocked(HWND ancestor, HWND window) {
  for (int depth = 0; window != nullptr && depth < 1000; ++depth) {
    if (window == ancestor) return true;
    const Window* found = FindLocked(window);
    if (found == nullptr) return false;
    window = found->parent;
  }
  return false;
}

POINT CursorLocked() { return Table().cursor; }

// The windows under a point, as Wine lists them for the hit test: within a top-level window,
// the children of each child under the point (visible, and not disabled) before the child,
// the children before their parent; the top-level windows from the top of the z-order down.
void WindowsUnderLocked(HWND handle, POINT point, std::vector<HWND>* list) {
  const Window* window = FindLocked(handle);
  if (window == nullptr) return;
  for (HWND child : window->children) {
    const Window* candidate = FindLocked(child);
    if (candidate == nullptr || (candidate->style & WS_VISIBLE) == 0) continue;
    if ((candidate->style & WS_DISABLED) != 0) continue;
    if (!Contains(ScreenRectLocked(*candidate), point)) continue;
    WindowsUnderLocked(child, point, list);
  }
  list->push_back(handle);
}

HWND HitWindow(POINT point, LRESULT* hit) {
  std::vector<HWND> list;
  {
    std::lock_guard<std::mutex> lock(UserMutex());
    for (HWND top : TopLevelOrderLocked()) {
      const Window* window = FindLocked(top);
      if (window == nullptr || (window->style & WS_VISIBLE) == 0) continue;
      if (!Contains(ScreenRectLocked(*window), point)) continue;
      WindowsUnderLocked(top, point, &list);
    }
  }
  for (HWND candidate : list) {
    bool disabled = false;
    bool mine = false;
    {
      std::lock_guard<std::mutex> lock(UserMutex());
      const Window* window = FindLocked(candidate);
      if (window == nullptr) continue;
      disabled = (window->style & WS_DISABLED) != 0;
      mine = SameThread(*window);
    }
    if (disabled) {
      *hit = HTERROR;
      return candidate;
    }
    if (!mine) {
      *hit = HTCLIENT;
      return candidate;
    }
    const LRESULT answer = SendMessageA(candidate, WM_NCHITTEST, 0, PackPoint(point.x, point.y));
    if (answer != HTTRANSPARENT) {
      *hit = answer;
      return candidate;
    }
  }
  *hit = HTNOWHERE;
  return nullptr;
}

std::vector<HWND> ChildrenLocked(HWND window) {
  const Window* found = FindLocked(window);
  return found != nullptr ? found->children : std::vector<HWND>{};
}

bool PlaceLocked(HWND window, RECT* rect) {
  const Window* found = FindLocked(window);
  if (found == nullptr) return false;
  *rect = found->rect;
  return true;
}

HBRUSH ClassBackgroundLocked(HWND window) {
  const Window* found = FindLocked(window);
  if (found == nullptr) return nullptr;
  auto cls = Table().classes.find(found->class_key);
  return cls != Table().classes.end() ? cls->second.background : nullptr;
}

void ForgetThreadWindowsLocked(std::thread::id thread) {
  std::vector<HWND> gone;
  for (const auto& entry : Table().windows) {
    if (entry.second.thread == thread) gone.push_back(reinterpret_cast<HWND>(entry.first));
  }
  for (HWND handle : gone) RemoveTreeLocked(handle);
}

}  // namespace backend::internal

extern "C" {

ATOM WINAPI RegisterClassA(const WNDCLASSA* lpWndClass) {
  if (lpWndClass == nullptr || lpWndClass->lpszClassName == nullptr ||
      IsAtomName(lpWndClass->lpszClassName) || *lpWndClass->lpszClassName == '\0' ||
      lpWndClass->cbClsExtra < 0 || lpWndClass->cbWndExtra < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::lock_guard<std::mutex> lock(UserMutex());
  WindowTable& table = Table();
  std::string key = LowerCase(lpWndClass->lpszClassName);
  if (table.classes.count(key) != 0) {
    SetLastError(ERROR_CLASS_ALREADY_EXISTS);
    return 0;
  }
  ATOM atom = 0;
  auto known = table.atoms.find(key);
  if (known != table.atoms.end()) {
    atom = known->second;
  } else {
    if (table.next_atom > kLastClassAtom) {
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return 0;
    }
    atom = static_cast<ATOM>(table.next_atom++);
    table.atoms[key] = atom;
  }
  WindowClass cls;
  cls.name = lpWndClass->lpszClassName;
  cls.atom = atom;
  // A class without a procedure gets the default one rather than a crash.
  cls.proc = lpWndClass->lpfnWndProc != nullptr ? lpWndClass->lpfnWndProc : DefWindowProcA;
  cls.background = lpWndClass->hbrBackground;
  table.classes[key] = cls;
  return atom;
}

BOOL WINAPI UnregisterClassA(LPCSTR lpClassName, HINSTANCE hInstance) {
  (void)hInstance;
  std::lock_guard<std::mutex> lock(UserMutex());
  WindowClass* cls = FindClassLocked(lpClassName);
  if (cls == nullptr) {
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
  }
  if (cls->windows > 0) {
    SetLastError(ERROR_CLASS_HAS_WINDOWS);
    return FALSE;
  }
  Table().classes.erase(LowerCase(cls->name));
  return TRUE;
}

HWND WINAPI CreateWindowExA(DWORD dwExStyle, LPCSTR lpClassName, LPCSTR lpWindowName, DWORD dwStyle,
                            int X, int Y, int nWidth, int nHeight, HWND hWndParent, HMENU hMenu,
                            HINSTANCE hInstance, LPVOID lpParam) {
  backend::internal::EnsureThreadCleanup();
  backend::internal::EnsureStandardClasses();
  const bool message_only = hWndParent == HWND_MESSAGE;
  const bool child = (dwStyle & WS_CHILD) != 0 && !message_only;
  const bool overlapped = (dwStyle & (WS_CHILD | WS_POPUP)) == 0;
  HWND handle = nullptr;
  CREATESTRUCTA create{};
  {
    std::lock_guard<std::mutex> lock(UserMutex());
    WindowClass* cls = FindClassLocked(lpClassName);
    if (cls == nullptr) {
      SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
      return nullptr;
    }
    Window* parent = nullptr;
    if (hWndParent != nullptr && !message_only) {
      parent = FindLocked(hWndParent);
      if (parent == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
      }
    }
    if (child && parent == nullptr) {
      SetLastError(ERROR_TLW_WITH_WSCHILD);
      return nullptr;
    }
    if (!child && hMenu != nullptr && !backend::internal::IsMenuLocked(hMenu)) {
      SetLastError(ERROR_INVALID_MENU_HANDLE);
      return nullptr;
    }

    // CW_USEDEFAULT: an overlapped window gets the screen's top-left corner and three
    // quarters of its size; a pop-up or child window gets 0.
    std::int64_t x = X;
    std::int64_t y = Y;
    std::int64_t width = nWidth;
    std::int64_t height = nHeight;
    if (X == CW_USEDEFAULT) x = y = 0;
    if (nWidth == CW_USEDEFAULT) {
      width = overlapped ? kScreenWidth * 3 / 4 : 0;
      height = overlapped ? kScreenHeight * 3 / 4 : 0;
    }

    handle = reinterpret_cast<HWND>(backend::internal::NewUserHandle());
    Window window;
    window.class_key = LowerCase(cls->name);
    window.proc = cls->proc;
    window.style = dwStyle & ~WS_VISIBLE;  // WS_VISIBLE comes with the showing at the end
    window.ex_style = dwExStyle;
    window.message_only = message_only;
    window.rect = MakeRect(x, y, width, height);
    window.thread = std::this_thread::get_id();
    if (child) {
      window.parent = hWndParent;
      window.id = reinterpret_cast<LONG_PTR>(hMenu);
      parent->children.push_back(handle);
    } else {
      if (parent != nullptr) {
        HWND root = hWndParent;
        while (const Window* up = FindLocked(root)) {
          if (up->parent == nullptr) break;
          root = up->parent;
        }
        window.owner = root;
      }
      window.menu = hMenu;
      if (!message_only) Table().top_levels.push_back(handle);
    }
    ++cls->windows;
    Table().windows.emplace(KeyOf(handle), std::move(window));

    create.lpCreateParams = lpParam;
    create.hInstance = hInstance;
    create.hMenu = hMenu;
    create.hwndParent = hWndParent;
    const RECT& placed = Table().windows[KeyOf(handle)].rect;
    create.x = placed.left;
    create.y = placed.top;
    create.cx = placed.right - placed.left;
    create.cy = placed.bottom - placed.top;
    create.style = static_cast<LONG>(dwStyle);
    create.lpszName = lpWindowName;
    create.lpszClass = lpClassName;
    create.dwExStyle = dwExStyle;
  }

  // A procedure that refuses WM_NCCREATE or answers -1 to WM_CREATE fails the creation:
  // the window then gets WM_NCDESTROY only.
  LPARAM create_param = reinterpret_cast<LPARAM>(&create);
  if (SendMessageA(handle, WM_NCCREATE, 0, create_param) == 0) {
    FreeWindow(handle);
    return nullptr;
  }
  if (!IsWindow(handle)) return nullptr;
  if (SendMessageA(handle, WM_CREATE, 0, create_param) == -1) {
    FreeWindow(handle);
    return nullptr;
  }
  if (!IsWindow(handle)) return nullptr;
  // The size and place the window has now: WM_CREATE may have changed them.
  RECT placed{};
  {
    std::lock_guard<std::mutex> lock(UserMutex());
    if (const Window* window = FindLocked(handle)) placed = window->rect;
  }
  SendMessageA(handle, WM_SIZE, kSizeRestored,
               PackPoint(placed.right - placed.left, placed.bottom - placed.top));
  if (!IsWindow(handle)) return nullptr;
  SendMessageA(handle, WM_MOVE, 0, PackPoint(placed.left, placed.top));
  if (!IsWindow(handle)) return nullptr;
  if (dwStyle & WS_VISIBLE) ShowWindow(handle, SW_SHOW);
  return IsWindow(handle) ? handle : nullptr;
}

BOOL WINAPI DestroyWindow(HWND hWnd) {
  bool hide_child = false;
  bool was_active = false;
  {
    std::lock_guard<std::mutex> lock(UserMutex());
    Window* window = FindLocked(hWnd);
    if (window == nullptr) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return FALSE;
    }
    if (!SameThread(*window)) {
      SetLastError(ERROR_ACCESS_DENIED);
      return FALSE;
    }
    if (window->destroying) return TRUE;
    window->destroying = true;
    // Only a child window hears that it is hidden on its way out; a top-level window is
    // hidden without a word, and the activation leaves it.
    hide_child = window->parent != nullptr && (window->style & WS_VISIBLE) != 0;
    if (!hide_child) {
      was_active = (window->style & WS_VISIBLE) != 0 && window->parent == nullptr &&
                   backend::internal::ActiveLocked(window->thread) == hWnd;
      window->style &= ~WS_VISIBLE;
    }
  }
  if (hide_child) ShowWindow(hWnd, SW_HIDE);
  if (was_active) backend::internal::ActivateOther(hWnd);

  // Owned windows go first.
  std::vector<HWND> owned;
  {
    std::lock_guard<std::mutex> lock(UserMutex());
    for (auto& entry : Table().windows) {
      if (entry.second.owner != hWnd) continue;
      if (SameThread(entry.second)) {
        owned.push_back(reinterpret_cast<HWND>(entry.first));
      } else {
        entry.second.owner = nullptr;
      }
    }
  }
  for (HWND window : owned) DestroyWindow(window);

  backend::internal::FocusLeaves(hWnd, true);
  backend::internal::CaptureLeaves(hWnd);
  SendDestroy(hWnd);
  FreeWindow(hWnd);
  return TRUE;
}

BOOL WINAPI IsWindow(HWND hWnd) {
  std::lock_guard<std::mutex> lock(UserMutex());
  return FindLocked(hWnd) != nullptr ? TRUE : FALSE;
}

LRESULT WINAPI DefWindowProcA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  switch (Msg) {
    case WM_NCCREATE: {
      const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
      if (create != nullptr && create->lpszName != nullptr && !IsAtomName(create->lpszName)) {
        std::lock_guard<std::mutex> lock(UserMutex());
        if (Window* window = FindLocked(hWnd)) window->text = create->lpszName;
      }
      return TRUE;
    }
    case WM_CLOSE:
      DestroyWindow(hWnd);
      return 0;
    case WM_ACTIVATE:
      // The window that becomes active takes the focus.
      if (LOWORD(wParam) != WA_INACTIVE) SetFocus(hWnd);
      return 0;
    case WM_NCACTIVATE:
      return TRUE;
    case WM_MOUSEACTIVATE: {
      // A child window asks its parent first.
      HWND parent = nullptr;
      {
        std::lock_guard<std::mutex> lock(UserMutex());
        const Window* window = FindLocked(hWnd);
        if (window != nullptr && (window->style & WS_CHILD) != 0) parent = window->parent;
      }
      if (parent != nullptr) {
        const LRESULT answer = SendMessageA(parent, WM_MOUSEACTIVATE, wParam, lParam);
        if (answer != 0) return answer;
      }
      return MA_ACTIVATE;
    }
    case WM_NCHITTEST: {
      std::lock_guard<std::mutex> lock(UserMutex());
      const Window* window = FindLocked(hWnd);
      if (window == nullptr) return HTNOWHERE;
      const POINT point{static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam))};
      return Contains(ScreenRectLocked(*window), point) ? HTCLIENT : HTNOWHERE;
    }
    case WM_SETTEXT: {
      std::lock_guard<std::mutex> lock(UserMutex());
      Window* window = FindLocked(hWnd);
      if (window == nullptr) return FALSE;
      const char* text = reinterpret_cast<const char*>(lParam);
      window->text = text != nullptr ? text : "";
      return TRUE;
    }
    case WM_GETTEXT: {
      char* buffer = reinterpret_cast<char*>(lParam);
      if (buffer == nullptr || wParam == 0) return 0;
      std::lock_guard<std::mutex> lock(UserMutex());
      Window* window = FindLocked(hWnd);
      if (window == nullptr) {
        buffer[0] = '\0';
        return 0;
      }
      std::size_t count = std::min<std::size_t>(window->text.size(), wParam - 1);
      std::memcpy(buffer, window->text.data(), count);
      buffer[count] = '\0';
      return static_cast<LRESULT>(count);
    }
    case WM_GETTEXTLENGTH: {
      std::lock_guard<std::mutex> lock(UserMutex());
      Window* window = FindLocked(hWnd);
      return window != nullptr ? static_cast<LRESULT>(window->text.size()) : 0;
    }
    default:
      return backend::internal::DefaultPaint(hWnd, Msg, wParam, lParam);
  }
}

BOOL WINAPI SetWindowTextA(HWND hWnd, LPCSTR lpString) {
  if (!IsWindow(hWnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  return SendMessageA(hWnd, WM_SETTEXT, 0,
                      reinterpret_cast<LPARAM>(lpString != nullptr ? lpString : ""))
             ? TRUE
             : FALSE;
}

int WINAPI GetWindowTextA(HWND hWnd, LPSTR lpString, int nMaxCount) {
  if (lpString == nullptr || nMaxCount <= 0) return 0;
  lpString[0] = '\0';
  if (!IsWindow(hWnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  return static_cast<int>(SendMessageA(hWnd, WM_GETTEXT, static_cast<WPARAM>(nMaxCount),
                                       reinterpret_cast<LPARAM>(lpString)));
}

int WINAPI GetWindowTextLengthA(HWND hWnd) {
  if (!IsWindow(hWnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  return static_cast<int>(SendMessageA(hWnd, WM_GETTEXTLENGTH, 0, 0));
}

int WINAPI GetClassNameA(HWND hWnd, LPSTR lpClassName, int nMaxCount) {
  std::lock_guard<std::mutex> lock(UserMutex());
  Window* window = FindLocked(hWnd);
  if (window == nullptr) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  if (lpClassName == nullptr || nMaxCount <= 0) return 0;
  auto cls = Table().classes.find(window->class_key);
  std::string name = cls != Table().classes.end() ? cls->second.name : window->class_key;
  std::size_t count = std::min<std::size_t>(name.size(), static_cast<std::size_t>(nMaxCount) - 1);
  std::memcpy(lpClassName, name.data(), count);
  lpClassName[count] = '\0';
  return static_cast<int>(count);
}

HWND WINAPI GetParent(HWND hWnd) {
  std::lock_guard<std::mutex> lock(UserMutex());
  Window* window = FindLocked(hWnd);
  if (window == nullptr) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  if (window->parent != nullptr) return window->parent;
  // A pop-up window answers its owner; other top-level windows have no parent.
  return (window->style & WS_POPUP) != 0 ? window->owner : nullptr;
}

BOOL WINAPI GetWindowRect(HWND hWnd, LPRECT lpRect) {
  std::lock_guard<std::mutex> lock(UserMutex());
  Window* window = FindLocked(hWnd);
  if (window == nullptr) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  if (lpRect == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *lpRect = ScreenRectLocked(*window);
  return TRUE;
}

BOOL WINAPI MoveWindow(HWND hWnd, int X, int Y, int nWidth, int nHeight, BOOL bRepaint) {
  (void)bRepaint;
  RECT rect{};
  bool moved = false;
  bool sized = false;
  {
    std::lock_guard<std::mutex> lock(UserMutex());
    Window* window = FindLocked(hWnd);
    if (window == nullptr) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return FALSE;
    }
    rect = MakeRect(X, Y, nWidth, nHeight);
    const RECT& old = window->rect;
    moved = rect.left != old.left || rect.top != old.top;
    sized = rect.right - rect.left != old.right - old.left ||
            rect.bottom - rect.top != old.bottom - old.top;
    window->rect = rect;
  }
  if (moved) SendMessageA(hWnd, WM_MOVE, 0, PackPoint(rect.left, rect.top));
  if (sized) {
    SendMessageA(hWnd, WM_SIZE, kSizeRestored,
                 PackPoint(rect.right - rect.left, rect.bottom - rect.top));
  }
  return TRUE;
}

BOOL WINAPI SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int X, int Y, int cx, int cy,
                         UINT uFlags) {
  RECT place{};
  {
    std::lock_guard<std::mutex> lock(UserMutex());
    Window* window = FindLocked(hWnd);
    if (window == nullptr) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return FALSE;
    }
    place = window->rect;
    if ((uFlags & SWP_NOZORDER) == 0 &&
        (hWndInsertAfter == HWND_TOP || hWndInsertAfter == HWND_BOTTOM)) {
      const bool top = hWndInsertAfter == HWND_TOP;
      if (window->parent != nullptr) {
        // Children: the topmost first.
        if (Window* parent = FindLocked(window->parent)) {
          auto& order = parent->children;
          order.erase(std::remove(order.begin(), order.end(), hWnd), order.end());
          order.insert(top ? order.begin() : order.end(), hWnd);
        }
      } else {
        // Top-level windows: the topmost last.
        auto& order = Table().top_levels;
        if (std::find(order.begin(), order.end(), hWnd) != order.end()) {
          order.erase(std::remove(order.begin(), order.end(), hWnd), order.end());
          order.insert(top ? order.end() : order.begin(), hWnd);
        }
      }
    }
  }
  if ((uFlags & SWP_NOMOVE) == 0) {
    place.right += X - place.left;
    place.bottom += Y - place.top;
    place.left = X;
    place.top = Y;
  }
  if ((uFlags & SWP_NOSIZE) == 0) {
    place.right = place.left + cx;
    place.bottom = place.top + cy;
  }
  if ((uFlags & (SWP_NOMOVE | SWP_NOSIZE)) != (SWP_NOMOVE | SWP_NOSIZE))
    MoveWindow(hWnd, place.left, place.top, place.right - place.left, place.bottom - place.top,
               TRUE);
  return TRUE;
}

BOOL WINAPI ShowWindow(HWND hWnd, int nCmdShow) {
  bool was_visible = false;
  {
    std::lock_guard<std::mutex> lock(UserMutex());
    Window* window = FindLocked(hWnd);
    if (window == nullptr) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return FALSE;
    }
    was_visible = (window->style & WS_VISIBLE) != 0;
  }
  const bool show = nCmdShow != SW_HIDE;
  if (show == was_visible) return was_visible ? TRUE : FALSE;
  SendMessageA(hWnd, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
  bool activate = false;
  bool deactivate = false;
  {
    std::lock_guard<std::mutex> lock(UserMutex());
    Window* window = FindLocked(hWnd);
    if (window == nullptr) return was_visible ? TRUE : FALSE;
    const bool top_level = window->parent == nullptr && !window->message_only;
    if (show) {
      window->style |= WS_VISIBLE;
      activate = top_level && nCmdShow != SW_SHOWNOACTIVATE && nCmdShow != SW_SHOWNA &&
                 nCmdShow != kShowMinNoActive;
      if (activate) RaiseLocked(hWnd);
    } else {
      window->style &= ~WS_VISIBLE;
      deactivate = top_level && backend::internal::ActiveLocked(window->thread) == hWnd;
    }
  }
  if (activate) backend::internal::TakeForeground(hWnd, false);
  if (deactivate) backend::internal::ActivateOther(hWnd);
  // The focus does not stay in a hidden window.
  if (!show) backend::internal::FocusLeaves(hWnd, false);
  backend::internal::WindowShownOrHidden(hWnd, show);
  return was_visible ? TRUE : FALSE;
}

BOOL WINAPI IsWindowVisible(HWND hWnd) {
  std::lock_guard<std::mutex> lock(UserMutex());
  const Window* window = FindLocked(hWnd);
  for (int depth = 0; window != nullptr && depth < 1000; ++depth) {
    if ((window->style & WS_VISIBLE) == 0 || window->message_only) return FALSE;
    if (window->parent == nullptr) return TRUE;
    window = FindLocked(window->parent);
  }
  return FALSE;
}

BOOL WINAPI IsWindowEnabled(HWND hWnd) {
  std::lock_guard<std::mutex> lock(UserMutex());
  const Window* window = FindLocked(hWnd);
  if (window == nullptr) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  return (window->style & WS_DISABLED) == 0 ? TRUE : FALSE;
}

BOOL WINAPI EnableWindow(HWND hWnd, BOOL bEnable) {
  if (!bEnable) {
    // Whatever the window is doing with the mouse ends first, even when it stays disabled.
    if (!IsWindow(hWnd)) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return FALSE;
    }
    SendMessageA(hWnd, WM_CANCELMODE, 0, 0);
  }
  bool was_disabled = false;
  {
    std::lock_guard<std::mutex> lock(UserMutex());
    Window* window = FindLocked(hWnd);
    if (window == nullptr) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return FALSE;
    }
    was_disabled = (window->style & WS_DISABLED) != 0;
    if (bEnable) {
      window->style &= ~WS_DISABLED;
    } else {
      window->style |= WS_DISABLED;
    }
  }
  if (bEnable && was_disabled) SendMessageA(hWnd, WM_ENABLE, TRUE, 0);
  if (!bEnable && !was_disabled) {
    // A disabled window cannot keep the focus, nor the mouse capture.
    if (GetFocus() == hWnd) SetFocus(nullptr);
    backend::internal::CaptureLeaves(hWnd);
    SendMessageA(hWnd, WM_ENABLE, FALSE, 0);
  }
  return was_disabled ? TRUE : FALSE;
}

HWND WINAPI FindWindowExA(HWND hWndParent, HWND hWndChildAfter, LPCSTR lpszClass,
                          LPCSTR lpszWindow) {
  std::lock_guard<std::mutex> lock(UserMutex());
  std::vector<HWND> order;
  if (hWndParent == nullptr) {
    order = TopLevelOrderLocked();
  } else {
    // As Wine does, a parent that names no window finds nothing and sets no error.
    const Window* parent = FindLocked(hWndParent);
    if (parent == nullptr) return nullptr;
    order = parent->children;
  }
  std::string class_key;
  if (lpszClass != nullptr) {
    const WindowClass* cls = FindClassLocked(lpszClass);
    if (cls == nullptr) return nullptr;
    class_key = LowerCase(cls->name);
  }
  auto from = order.begin();
  if (hWndChildAfter != nullptr) {
    from = std::find(order.begin(), order.end(), hWndChildAfter);
    if (from == order.end()) return nullptr;
    ++from;
  }
  const std::string text_key = lpszWindow != nullptr ? LowerCase(lpszWindow) : std::string();
  for (auto it = from; it != order.end(); ++it) {
    const Window* window = FindLocked(*it);
    if (window == nullptr) continue;
    if (lpszClass != nullptr && window->class_key != class_key) continue;
    if (lpszWindow != nullptr && LowerCase(window->text) != text_key) continue;
    return *it;
  }
  return nullptr;
}

DWORD WINAPI GetCurrentThreadId() {
  // Numbered on first use, as Windows numbers threads: multiples of 4, never 0.
  struct ThreadNumber {
    DWORD id = 0;
    ThreadNumber() {
      static std::atomic<DWORD> next{0x100};
      id = next.fetch_add(4);
      std::lock_guard<std::mutex> lock(UserMutex());
      ThreadNumbers()[id] = std::this_thread::get_id();
    }
    ~ThreadNumber() {
      std::lock_guard<std::mutex> lock(UserMutex());
      ThreadNumbers().erase(id);
    }
  };
  thread_local ThreadNumber number;
  return number.id;
}

BOOL WINAPI EnumThreadWindows(DWORD dwThreadId, WNDENUMPROC lpfn, LPARAM lParam) {
  std::vector<HWND> windows;
  {
    std::lock_guard<std::mutex> lock(UserMutex());
    auto thread = ThreadNumbers().find(dwThreadId);
    if (thread == ThreadNumbers().end()) return TRUE;
    for (HWND handle : TopLevelOrderLocked()) {
      const Window* window = FindLocked(handle);
      if (window != nullptr && window->thread == thread->second) windows.push_back(handle);
    }
  }
  if (lpfn == nullptr) return TRUE;
  BOOL answer = TRUE;
  for (HWND window : windows) {
    answer = lpfn(window, lParam);
    if (!answer) break;
  }
  return answer;
}

HMODULE WINAPI GetModuleHandleA(LPCSTR lpModuleName) {
  if (lpModuleName == nullptr) return reinterpret_cast<HMODULE>(kModuleHandle);
  SetLastError(ERROR_MOD_NOT_FOUND);
  return nullptr;
}

BOOL WINAPI GetCursorPos(LPPOINT lpPoint) {
  if (lpPoint == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::lock_guard<std::mutex> lock(UserMutex());
  *lpPoint = Table().cursor;
  return TRUE;
}

BOOL WINAPI SetCursorPos(int X, int Y) {
  std::lock_guard<std::mutex> lock(UserMutex());
  // The cursor stays on the screen.
  Table().cursor.x = std::min(std::max(X, 0), kScreenWidth - 1);
  Table().cursor.y = std::min(std::max(Y, 0), kScreenHeight - 1);
  return TRUE;
}

HWND WINAPI WindowFromPoint(POINT Point) {
  LRESULT hit = HTNOWHERE;
  return backend::internal::HitWindow(Point, &hit);
}

HMENU WINAPI GetMenu(HWND hWnd) {
  std::lock_guard<std::mutex> lock(UserMutex());
  Window* window = FindLocked(hWnd);
  if (window == nullptr) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  return window->parent == nullptr ? window->menu : nullptr;
}

BOOL WINAPI SetMenu(HWND hWnd, HMENU hMenu) {
  std::lock_guard<std::mutex> lock(UserMutex());
  Window* window = FindLocked(hWnd);
  if (window == nullptr) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  if (window->parent != nullptr) return FALSE;  // a child window has no menu bar
  if (hMenu != nullptr && !backend::internal::IsMenuLocked(hMenu)) {
    SetLastError(ERROR_INVALID_MENU_HANDLE);
    return FALSE;
  }
  window->menu = hMenu;
  return TRUE;
}

}  // extern "C"

// --- The window tree ---

extern "C" {

HWND WINAPI GetWindow(HWND hWnd, UINT uCmd) {
  std::lock_guard<std::mutex> lock(UserMutex());
  const Window* window = FindLocked(hWnd);
  if (window == nullptr) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  if (uCmd == GW_CHILD) return window->children.empty() ? nullptr : window->children.front();
  if (uCmd == GW_OWNER) return window->parent == nullptr ? window->owner : nullptr;
  if (uCmd > GW_HWNDPREV) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  // Siblings in z-order from the top; a message-only window has none.
  std::vector<HWND> siblings;
  if (window->parent != nullptr) {
    const Window* parent = FindLocked(window->parent);
    if (parent != nullptr) siblings = parent->children;
  } else if (!window->message_only) {
    siblings = TopLevelOrderLocked();
  }
  if (siblings.empty()) return nullptr;
  if (uCmd == GW_HWNDFIRST) return siblings.front();
  if (uCmd == GW_HWNDLAST) return siblings.back();
  auto at = std::find(siblings.begin(), siblings.end(), hWnd);
  if (at == siblings.end()) return nullptr;
  if (uCmd == GW_HWNDNEXT) return at + 1 == siblings.end() ? nullptr : *(at + 1);
  return at == siblings.begin() ? nullptr : *(at - 1);
}

BOOL WINAPI IsChild(HWND hWndParent, HWND hWnd) {
  std::lock_guard<std::mutex> lock(UserMutex());
  const Window* window = FindLocked(hWnd);
  if (window == nullptr || window->parent == nullptr) return FALSE;
  return backend::internal::IsWindowOrDescendantLocked(hWndParent, window->parent) ? TRUE : FALSE;
}

BOOL WINAPI EnumChildWindows(HWND hWndParent, WNDENUMPROC lpEnumFunc, LPARAM lParam) {
  std::vector<HWND> list;
  {
    std::lock_guard<std::mutex> lock(UserMutex());
    std::vector<HWND> pending;
    if (const Window* parent = FindLocked(hWndParent)) pending = parent->children;
    std::reverse(pending.begin(), pending.end());
    while (!pending.empty()) {
      HWND next = pending.back();
      pending.pop_back();
      list.push_back(next);
      if (const Window* window = FindLocked(next)) {
        pending.insert(pending.end(), window->children.rbegin(), window->children.rend());
      }
    }
  }
  if (lpEnumFunc == nullptr) return FALSE;
  for (HWND window : list) {
    if (!IsWindow(window)) continue;
    if (!lpEnumFunc(window, lParam)) return FALSE;
  }
  return TRUE;
}

BOOL WINAPI GetClientRect(HWND hWnd, LPRECT lpRect) {
  std::lock_guard<std::mutex> lock(UserMutex());
  const Window* window = FindLocked(hWnd);
  if (window == nullptr) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  if (lpRect == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *lpRect =
      RECT{0, 0, window->rect.right - window->rect.left, window->rect.bottom - window->rect.top};
  return TRUE;
}

}  // extern "C"

// --- Window data, window procedures and window properties ---

namespace {

constexpr std::size_t kLongestPropertyName = 255;

// The key a property is filed under: a text name in lower case, an atom as a NUL byte and
// its number (no text name holds a NUL). False for a name no property can have.
bool PropertyKey(LPCSTR name, std::string* key, ATOM* atom) {
  if (IsAtomName(name)) {
    *atom = static_cast<ATOM>(reinterpret_cast<std::uintptr_t>(name));
    if (*atom == 0) return false;
    *key = std::string(1, '\0') + std::to_string(*atom);
    return true;
  }
  *atom = 0;
  const std::size_t length = std::strlen(name);
  if (length == 0 || length > kLongestPropertyName) return false;
  *key = LowerCase(name);
  return true;
}

// The window of a property call, or null with the error set.
Window* PropertyWindowLocked(HWND hWnd, LPCSTR name, std::string* key, ATOM* atom) {
  Window* window = FindLocked(hWnd);
  if (window == nullptr) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  if (!PropertyKey(name, key, atom)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return window;
}

std::vector<Property>::iterator FindProperty(Window& window, const std::string& key) {
  return std::find_if(window.properties.begin(), window.properties.end(),
                      [&key](const Property& property) { return property.key == key; });
}

}  // namespace

extern "C" {

LONG_PTR WINAPI GetWindowLongPtrA(HWND hWnd, int nIndex) {
  std::lock_guard<std::mutex> lock(UserMutex());
  Window* window = FindLocked(hWnd);
  if (window == nullptr) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  switch (nIndex) {
    case GWLP_WNDPROC:
      return reinterpret_cast<LONG_PTR>(window->proc);
    case GWLP_USERDATA:
      return window->user_data;
    case GWL_STYLE:
      return static_cast<LONG_PTR>(window->style);
    case GWL_EXSTYLE:
      return static_cast<LONG_PTR>(window->ex_style);
    case GWLP_ID:
      // A top-level window answers its menu bar.
      return window->parent != nullptr ? window->id : reinterpret_cast<LONG_PTR>(window->menu);
    default:
      SetLastError(ERROR_INVALID_INDEX);
      return 0;
  }
}

LONG_PTR WINAPI SetWindowLongPtrA(HWND hWnd, int nIndex, LONG_PTR dwNewLong) {
  std::lock_guard<std::mutex> lock(UserMutex());
  Window* window = FindLocked(hWnd);
  if (window == nullptr) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  LONG_PTR previous = 0;
  switch (nIndex) {
    case GWLP_WNDPROC:
      previous = reinterpret_cast<LONG_PTR>(window->proc);
      // A window always has a procedure: a null one is not taken.
      if (dwNewLong != 0) window->proc = reinterpret_cast<WNDPROC>(dwNewLong);
      return previous;
    case GWLP_USERDATA:
      previous = window->user_data;
      window->user_data = dwNewLong;
      return previous;
    case GWLP_ID:
      if (window->parent == nullptr) {
        SetLastError(ERROR_INVALID_INDEX);
        return 0;
      }
      previous = window->id;
      window->id = dwNewLong;
      return previous;
    default:
      SetLastError(ERROR_INVALID_INDEX);
      return 0;
  }
}

LONG WINAPI GetWindowLongA(HWND hWnd, int nIndex) {
  if (nIndex == GWLP_WNDPROC && sizeof(LONG_PTR) > sizeof(LONG)) {
    SetLastError(ERROR_INVALID_INDEX);
    return 0;
  }
  // The low 32 bits of the value.
  return static_cast<LONG>(GetWindowLongPtrA(hWnd, nIndex));
}

LONG WINAPI SetWindowLongA(HWND hWnd, int nIndex, LONG dwNewLong) {
  if (nIndex == GWLP_WNDPROC && sizeof(LONG_PTR) > sizeof(LONG)) {
    SetLastError(ERROR_INVALID_INDEX);
    return 0;
  }
  // The new value is sign-extended; the answer is the low 32 bits of the old one.
  return static_cast<LONG>(SetWindowLongPtrA(hWnd, nIndex, dwNewLong));
}

LRESULT WINAPI CallWindowProcA(WNDPROC lpPrevWndFunc, HWND hWnd, UINT Msg, WPARAM wParam,
                               LPARAM lParam) {
  if (lpPrevWndFunc == nullptr) return 0;
  return lpPrevWndFunc(hWnd, Msg, wParam, lParam);
}

BOOL WINAPI SetPropA(HWND hWnd, LPCSTR lpString, HANDLE hData) {
  std::lock_guard<std::mutex> lock(UserMutex());
  std::string key;
  ATOM atom = 0;
  Window* window = PropertyWindowLocked(hWnd, lpString, &key, &atom);
  if (window == nullptr) return FALSE;
  auto it = FindProperty(*window, key);
  if (it != window->properties.end()) {
    it->value = hData;
    return TRUE;
  }
  Property property;
  property.key = key;
  if (atom == 0) property.name = lpString;
  property.atom = atom;
  property.value = hData;
  window->properties.push_back(std::move(property));
  return TRUE;
}

HANDLE WINAPI GetPropA(HWND hWnd, LPCSTR lpString) {
  std::lock_guard<std::mutex> lock(UserMutex());
  std::string key;
  ATOM atom = 0;
  Window* window = PropertyWindowLocked(hWnd, lpString, &key, &atom);
  if (window == nullptr) return nullptr;
  auto it = FindProperty(*window, key);
  return it != window->properties.end() ? it->value : nullptr;
}

HANDLE WINAPI RemovePropA(HWND hWnd, LPCSTR lpString) {
  std::lock_guard<std::mutex> lock(UserMutex());
  std::string key;
  ATOM atom = 0;
  Window* window = PropertyWindowLocked(hWnd, lpString, &key, &atom);
  if (window == nullptr) return nullptr;
  auto it = FindProperty(*window, key);
  if (it == window->properties.end()) return nullptr;
  HANDLE value = it->value;
  window->properties.erase(it);
  return value;
}

int WINAPI EnumPropsExA(HWND hWnd, PROPENUMPROCEXA lpEnumFunc, LPARAM lParam) {
  std::vector<Property> snapshot;
  {
    std::lock_guard<std::mutex> lock(UserMutex());
    Window* window = FindLocked(hWnd);
    if (window == nullptr) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return -1;
    }
    snapshot = window->properties;
  }
  if (lpEnumFunc == nullptr || snapshot.empty()) return -1;
  BOOL answer = TRUE;
  for (Property& property : snapshot) {
    // The function gets a name it may write to, or the atom of an atom name.
    LPSTR name =
        property.atom != 0 ? const_cast<LPSTR>(MAKEINTATOM(property.atom)) : property.name.data();
    answer = lpEnumFunc(hWnd, name, property.value, static_cast<ULONG_PTR>(lParam));
    if (!answer) break;
  }
  return answer;
}

}  // extern "C"
