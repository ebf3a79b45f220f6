// Painting of the Linux back end, as Wine paints: the update region of each window (a list
// of rectangles), InvalidateRect, ValidateRect, GetUpdateRect, UpdateWindow,
// BeginPaint and EndPaint, WM_PAINT for the message queue, the invalidation of a window that
// is shown and DefWindowProcA's painting messages; the fonts of the standard controls.
#include <algorithm>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/linux/backend_internal.h"
#include "platform/linux/drawing_internal.h"
#include "platform/linux/win32_api.h"

namespace {

using backend::internal::UserMutex;

// Rectangles a region of more than this many is merged into.
constexpr std::size_t kMostRectangles = 64;

struct UpdateState {
  bool dirty = false;
  std::vector<RECT> region;  // in client coordinates: the update region, as rectangles
  RECT update{};             // the rectangle that bounds it
  bool erase = false;
};

struct PaintTable {
  std::map<HWND, UpdateState> states;
  std::map<HWND, HFONT> fonts;
};

PaintTable& Table() {
  static auto* table = new PaintTable;
  return *table;
}

bool Empty(const RECT& rect) { return rect.right <= rect.left || rect.bottom <= rect.top; }

RECT Intersect(const RECT& a, const RECT& b) {
  return RECT{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
              std::min(a.bottom, b.bottom)};
}

RECT Union(const RECT& a, const RECT& b) {
  return RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
              std::max(a.bottom, b.bottom)};
}

// The parts of `rect` outside `hole`: up to four rectangles.
void Subtract(const RECT& rect, const RECT& hole, std::vector<RECT>* parts) {
  const RECT cut = Intersect(rect, hole);
  if (Empty(cut)) {
    parts->push_back(rect);
    return;
  }
  if (rect.top < cut.top) parts->push_back(RECT{rect.left, rect.top, rect.right, cut.top});
  if (cut.bottom < rect.bottom) {
    parts->push_back(RECT{rect.left, cut.bottom, rect.right, rect.bottom});
  }
  if (rect.left < cut.left) parts->push_back(RECT{rect.left, cut.top, cut.left, cut.bottom});
  if (cut.right < rect.right) parts->push_back(RECT{cut.right, cut.top, rect.right, cut.bottom});
}

// Sets the bounding rectangle of a region; a region left empty is no longer dirty.
void Bound(UpdateState* state) {
  if (state->region.empty()) {
    *state = UpdateState{};
    return;
  }
  state->dirty = true;
  state->update = state->region.front();
  for (const RECT& part : state->region) state->update = Union(state->update, part);
  if (state->region.size() > kMostRectangles) state->region = {state->update};
}

RECT Offset(RECT rect, LONG dx, LONG dy) {
  return RECT{rect.left + dx, rect.top + dy, rect.right + dx, rect.bottom + dy};
}

bool ClientLocked(HWND window, RECT* client) {
  RECT place{};
  if (!backend::internal::PlaceLocked(window, &place)) return false;
  *client = RECT{0, 0, place.right - place.left, place.bottom - place.top};
  return true;
}

// Whether a window and every window it is in are visible.
bool VisibleLocked(HWND window) {
  for (int depth = 0; window != nullptr && depth < 1000; ++depth) {
    backend::internal::WindowFacts facts;
    if (!backend::internal::FindWindowLocked(window, &facts)) return false;
    if ((facts.style & WS_VISIBLE) == 0 || facts.message_only) return false;
    window = facts.parent;
  }
  return true;
}

// Adds a rectangle of the client area (all of it for null) to a window's update region and,
// unless the window clips its children (or `all_children`), to its visible children under it,
// which are erased whatever `erase` says.
void InvalidateLocked(HWND window, const RECT* rect, bool erase, bool all_children) {
  RECT client{};
  if (!ClientLocked(window, &client)) return;
  const RECT area = rect != nullptr ? Intersect(*rect, client) : client;
  if (Empty(area)) return;
  UpdateState& state = Table().states[window];
  state.region.push_back(area);
  state.erase = state.erase || erase;
  Bound(&state);
  backend::internal::WindowFacts facts;
  backend::internal::FindWindowLocked(window, &facts);
  if ((facts.style & WS_CLIPCHILDREN) != 0 && !all_children) return;
  for (HWND child : backend::internal::ChildrenLocked(window)) {
    backend::internal::WindowFacts child_facts;
    RECT place{};
    if (!backend::internal::FindWindowLocked(child, &child_facts) ||
        (child_facts.style & WS_VISIBLE) == 0 || !backend::internal::PlaceLocked(child, &place)) {
      continue;
    }
    const RECT under = Intersect(area, place);
    if (Empty(under)) continue;
    const RECT inside = Offset(under, -place.left, -place.top);
    InvalidateLocked(child, &inside, true, all_children);
  }
}

// Takes a rectangle (all for null) off a window's update region and its children's, unless
// it clips its children.
void ValidateLocked(HWND window, const RECT* rect, bool children) {
  auto found = Table().states.find(window);
  if (found != Table().states.end() && found->second.dirty) {
    UpdateState& state = found->second;
    if (rect == nullptr) {
      state = UpdateState{};
    } else {
      std::vector<RECT> left;
      for (const RECT& part : state.region) Subtract(part, *rect, &left);
      state.region = std::move(left);
      Bound(&state);
    }
  }
  if (!children) return;
  backend::internal::WindowFacts facts;
  if (!backend::internal::FindWindowLocked(window, &facts)) return;
  if ((facts.style & WS_CLIPCHILDREN) != 0 && rect != nullptr) return;
  for (HWND child : backend::internal::ChildrenLocked(window)) {
    RECT place{};
    if (!backend::internal::PlaceLocked(child, &place)) continue;
    if (rect == nullptr) {
      ValidateLocked(child, nullptr, true);
      continue;
    }
    const RECT under = Intersect(*rect, place);
    if (Empty(under)) continue;
    const RECT inside = Offset(under, -place.left, -place.top);
    ValidateLocked(child, &inside, true);
  }
}

bool NeedsPaintLocked(HWND window) {
  auto found = Table().states.find(window);
  return found != Table().states.end() && found->second.dirty;
}

// The first window below `window` (itself included, parents before children, in z-order) of
// `thread` that needs painting, among the visible ones.
HWND FirstToPaintLocked(HWND window, std::thread::id thread) {
  backend::internal::WindowFacts facts;
  if (!backend::internal::FindWindowLocked(window, &facts) || (facts.style & WS_VISIBLE) == 0) {
    return nullptr;
  }
  if (facts.thread == thread && NeedsPaintLocked(window)) return window;
  for (HWND child : backend::internal::ChildrenLocked(window)) {
    if (HWND found = FirstToPaintLocked(child, thread)) return found;
  }
  return nullptr;
}

// The window and its visible children, each before its own children, in z-order.
void TreeLocked(HWND window, std::vector<HWND>* list) {
  backend::internal::WindowFacts facts;
  if (!backend::internal::FindWindowLocked(window, &facts) || (facts.style & WS_VISIBLE) == 0) {
    return;
  }
  list->push_back(window);
  for (HWND child : backend::internal::ChildrenLocked(window)) TreeLocked(child, list);
}

// Sends WM_ERASEBKGND with a device context of the window; true when the window erased.
bool SendErase(HWND window) {
  HDC dc = backend::internal::NewWindowDeviceContext(window);
  const LRESULT erased = SendMessageA(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  backend::internal::ReleaseWindowDeviceContext(dc);
  return erased != 0;
}

BOOL NoSuchWindow() {
  SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return FALSE;
}

}  // namespace

namespace backend::internal {

HWND WindowToPaintLocked(std::thread::id thread, HWND filter) {
  // Most of the time nothing needs painting: no need to walk the windows.
  const auto& states = Table().states;
  if (std::none_of(states.begin(), states.end(),
                   [](const auto& entry) { return entry.second.dirty; })) {
    return nullptr;
  }
  HWND found = nullptr;
  for (HWND top : TopLevelWindowsLocked()) {
    found = FirstToPaintLocked(top, thread);
    if (found != nullptr) break;
  }
  // A child is not painted before its parent: outside the filter, nothing is.
  if (found != nullptr && filter != nullptr && !IsWindowOrDescendantLocked(filter, found)) {
    return nullptr;
  }
  return found;
}

void ForgetWindowPaintLocked(HWND window) {
  Table().states.erase(window);
  Table().fonts.erase(window);
  ForgetWindowDrawing(window);
}

void WindowShownOrHidden(HWND window, bool shown) {
  bool erase_now = false;
  {
    std::lock_guard<std::mutex> lock(UserMutex());
    if (!shown) {
      ValidateLocked(window, nullptr, true);
      return;
    }
    if (!VisibleLocked(window)) return;
    InvalidateLocked(window, nullptr, true, true);
    // A top-level window is erased at once; its children when they paint.
    WindowFacts facts;
    erase_now = FindWindowLocked(window, &facts) && facts.parent == nullptr;
  }
  if (!erase_now) return;
  SendErase(window);
  std::lock_guard<std::mutex> lock(UserMutex());
  auto found = Table().states.find(window);
  if (found != Table().states.end()) found->second.erase = false;
}

LRESULT DefaultPaint(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  (void)lParam;
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint{};
      BeginPaint(window, &paint);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_ERASEBKGND: {
      HBRUSH brush = nullptr;
      RECT client{};
      {
        std::lock_guard<std::mutex> lock(UserMutex());
        brush = ClassBackgroundLocked(window);
        if (!ClientLocked(window, &client)) return 0;
      }
      if (brush == nullptr) return 0;
      FillRect(reinterpret_cast<HDC>(wParam), &client, brush);
      return 1;
    }
    case 0x0132:  // WM_CTLCOLORMSGBOX
    case 0x0133:  // WM_CTLCOLOREDIT
    case 0x0134:  // WM_CTLCOLORLISTBOX
    case WM_CTLCOLORBTN:
    case 0x0136:  // WM_CTLCOLORDLG
    case 0x0137:  // WM_CTLCOLORSCROLLBAR
    case WM_CTLCOLORSTATIC: {
      const HDC dc = reinterpret_cast<HDC>(wParam);
      const int face = message == 0x0133 || message == 0x0134 ? COLOR_WINDOW : COLOR_3DFACE;
      SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
      SetBkColor(dc, GetSysColor(face));
      return reinterpret_cast<LRESULT>(GetSysColorBrush(face));
    }
    default:
      return 0;
  }
}

bool ControlFontMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  if (message == WM_GETFONT) {
    std::lock_guard<std::mutex> lock(UserMutex());
    auto found = Table().fonts.find(window);
    *result = found != Table().fonts.end() ? reinterpret_cast<LRESULT>(found->second) : 0;
    return true;
  }
  if (message != WM_SETFONT) return false;
  {
    std::lock_guard<std::mutex> lock(UserMutex());
    WindowFacts facts;
    if (FindWindowLocked(window, &facts)) Table().fonts[window] = reinterpret_cast<HFONT>(wParam);
  }
  if (LOWORD(lParam) != 0) InvalidateRect(window, nullptr, TRUE);
  *result = 0;
  return true;
}

}  // namespace backend::internal

extern "C" {

BOOL WINAPI InvalidateRect(HWND hWnd, const RECT* lpRect, BOOL bErase) {
  std::lock_guard<std::mutex> lock(UserMutex());
  if (hWnd == nullptr) {
    // The whole screen: every visible top-level window and its children.
    for (HWND top : backend::internal::TopLevelWindowsLocked()) {
      if (VisibleLocked(top)) InvalidateLocked(top, nullptr, bErase != FALSE, true);
    }
    return TRUE;
  }
  backend::internal::WindowFacts facts;
  if (!backend::internal::FindWindowLocked(hWnd, &facts)) return NoSuchWindow();
  if (VisibleLocked(hWnd)) InvalidateLocked(hWnd, lpRect, bErase != FALSE, false);
  return TRUE;
}

BOOL WINAPI ValidateRect(HWND hWnd, const RECT* lpRect) {
  std::lock_guard<std::mutex> lock(UserMutex());
  backend::internal::WindowFacts facts;
  if (hWnd != nullptr && !backend::internal::FindWindowLocked(hWnd, &facts)) return NoSuchWindow();
  if (hWnd != nullptr) ValidateLocked(hWnd, lpRect, true);
  return TRUE;
}

BOOL WINAPI GetUpdateRect(HWND hWnd, LPRECT lpRect, BOOL bErase) {
  bool erase = false;
  BOOL dirty = FALSE;
  {
    std::lock_guard<std::mutex> lock(UserMutex());
    backend::internal::WindowFacts facts;
    if (!backend::internal::FindWindowLocked(hWnd, &facts)) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return FALSE;
    }
    auto found = Table().states.find(hWnd);
    if (found != Table().states.end() && found->second.dirty) {
      dirty = TRUE;
      erase = bErase != FALSE && found->second.erase;
      if (lpRect != nullptr) *lpRect = found->second.update;
      if (erase) found->second.erase = false;
    } else if (lpRect != nullptr) {
      *lpRect = RECT{0, 0, 0, 0};
    }
  }
  if (erase) SendErase(hWnd);
  return dirty;
}

BOOL WINAPI UpdateWindow(HWND hWnd) {
  std::vector<HWND> tree;
  {
    std::lock_guard<std::mutex> lock(UserMutex());
    backend::internal::WindowFacts facts;
    if (!backend::internal::FindWindowLocked(hWnd, &facts)) return NoSuchWindow();
    if (!VisibleLocked(hWnd)) return TRUE;
    TreeLocked(hWnd, &tree);
  }
  for (HWND window : tree) {
    bool needs = false;
    {
      std::lock_guard<std::mutex> lock(UserMutex());
      needs = NeedsPaintLocked(window);
    }
    if (needs) SendMessageA(window, WM_PAINT, 0, 0);
  }
  return TRUE;
}

HDC WINAPI BeginPaint(HWND hWnd, LPPAINTSTRUCT lpPaint) {
  UpdateState state;
  {
    std::lock_guard<std::mutex> lock(UserMutex());
    backend::internal::WindowFacts facts;
    if (!backend::internal::FindWindowLocked(hWnd, &facts)) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return nullptr;
    }
    auto found = Table().states.find(hWnd);
    if (found != Table().states.end()) {
      state = found->second;
      found->second = UpdateState{};
    }
  }
  HDC dc = backend::internal::NewWindowDeviceContext(hWnd);
  bool erase = false;
  if (state.dirty && state.erase) {
    erase = SendMessageA(hWnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) == 0;
  }
  if (lpPaint == nullptr) {
    backend::internal::ReleaseWindowDeviceContext(dc);
    return nullptr;
  }
  *lpPaint = PAINTSTRUCT{};
  lpPaint->hdc = dc;
  lpPaint->fErase = erase ? TRUE : FALSE;
  lpPaint->rcPaint = state.dirty ? state.update : RECT{0, 0, 0, 0};
  return dc;
}

BOOL WINAPI EndPaint(HWND hWnd, const PAINTSTRUCT* lpPaint) {
  (void)hWnd;
  if (lpPaint == nullptr) return FALSE;
  backend::internal::ReleaseWindowDeviceContext(lpPaint->hdc);
  return TRUE;
}

}  // extern "C"
