// The button of the Linux back end (class "Button", registered when the back end loads), as
// Wine's user32 button behaves: push buttons and default push buttons that click on a press
// and release of the left button over them, on BM_CLICK and on the Space key; check boxes
// with the same clicks; group boxes, which hit tests pass through. A click tells the parent
// through WM_COMMAND (BN_CLICKED); BS_NOTIFY adds BN_SETFOCUS and BN_KILLFOCUS. Nothing is
// drawn.
//
// The state BM_GETSTATE answers keeps, beside BST_CHECKED, BST_PUSHED and BST_FOCUS, the bit
// 0x40 Wine keeps while the button is held down by the mouse or the Space key.
#include <map>
#include <mutex>

#include "platform/linux/backend_internal.h"
#include "platform/linux/win32_api.h"

namespace {

constexpr LRESULT kHeldDown = 0x40;
constexpr LRESULT kStateBits = 0x0F;
constexpr DWORD kTypeCount = 16;
constexpr DWORD k3State = 0x5;
constexpr DWORD kAuto3State = 0x6;

std::mutex g_mutex;

std::map<HWND, LRESULT>& States() {
  static auto* states = new std::map<HWND, LRESULT>;
  return *states;
}

LRESULT State(HWND window) {
  std::lock_guard<std::mutex> lock(g_mutex);
  const auto found = States().find(window);
  return found == States().end() ? 0 : found->second;
}

void SetState(HWND window, LRESULT state) {
  std::lock_guard<std::mutex> lock(g_mutex);
  const auto found = States().find(window);
  if (found != States().end()) found->second = state;
}

DWORD Type(HWND window) {
  return static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE)) & BS_TYPEMASK;
}

// The highest check state BM_SETCHECK takes for a type of button.
WPARAM MostChecked(DWORD type) {
  switch (type) {
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
      return BST_CHECKED;
    case k3State:
    case kAuto3State:
      return BST_INDETERMINATE;
    default:
      return BST_UNCHECKED;
  }
}

void Notify(HWND window, int code) {
  const auto id = static_cast<WORD>(GetWindowLongPtrA(window, GWLP_ID));
  SendMessageA(GetParent(window), WM_COMMAND, MAKEWPARAM(id, code),
               reinterpret_cast<LPARAM>(window));
}

bool Inside(HWND window, LPARAM lParam) {
  RECT client{};
  GetClientRect(window, &client);
  const LONG x = static_cast<SHORT>(LOWORD(lParam));
  const LONG y = static_cast<SHORT>(HIWORD(lParam));
  return x >= client.left && x < client.right && y >= client.top && y < client.bottom;
}

// The button is let go of: a click when it is still pushed and (for the mouse) the pointer is
// over it.
void Release(HWND window, bool by_key, LPARAM lParam) {
  LRESULT state = State(window);
  if ((state & kHeldDown) == 0) return;
  state &= kStateBits;
  SetState(window, state);
  if ((state & BST_PUSHED) == 0) {
    ReleaseCapture();
    return;
  }
  SendMessageA(window, BM_SETSTATE, FALSE, 0);
  if (!by_key && !Inside(window, lParam)) {
    ReleaseCapture();
    return;
  }
  const DWORD type = Type(window);
  state = State(window);
  if (type == BS_AUTOCHECKBOX) {
    SendMessageA(window, BM_SETCHECK, (state & BST_CHECKED) != 0 ? BST_UNCHECKED : BST_CHECKED, 0);
  } else if (type == BS_AUTORADIOBUTTON) {
    SendMessageA(window, BM_SETCHECK, BST_CHECKED, 0);
  } else if (type == kAuto3State) {
    SendMessageA(window, BM_SETCHECK,
                 (state & BST_INDETERMINATE) != 0 ? 0 : static_cast<WPARAM>((state & 3) + 1), 0);
  }
  ReleaseCapture();
  Notify(window, BN_CLICKED);
}

LRESULT CALLBACK ButtonProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!IsWindow(window)) return 0;
  const DWORD type = Type(window);
  switch (message) {
    case WM_NCCREATE: {
      std::lock_guard<std::mutex> lock(g_mutex);
      States()[window] = 0;
      break;
    }
    case WM_NCDESTROY: {
      std::lock_guard<std::mutex> lock(g_mutex);
      States().erase(window);
      break;
    }
    case WM_CREATE:
      return type >= kTypeCount ? -1 : 0;
    case WM_GETDLGCODE:
      switch (type) {
        case BS_PUSHBUTTON:
          return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
        case BS_DEFPUSHBUTTON:
          return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON:
          return DLGC_BUTTON | DLGC_RADIOBUTTON;
        case BS_GROUPBOX:
          return DLGC_STATIC;
        default:
          return DLGC_BUTTON;
      }
    case WM_NCHITTEST:
      if (type == BS_GROUPBOX) return HTTRANSPARENT;
      break;
    case WM_KEYDOWN:
      if (wParam == VK_SPACE) {
        SendMessageA(window, BM_SETSTATE, TRUE, 0);
        SetState(window, State(window) | kHeldDown);
        SetCapture(window);
      }
      return 0;
    case WM_LBUTTONDOWN:
      SetCapture(window);
      SetFocus(window);
      SetState(window, State(window) | kHeldDown);
      SendMessageA(window, BM_SETSTATE, TRUE, 0);
      return 0;
    case WM_KEYUP:
      if (wParam == VK_SPACE) Release(window, true, lParam);
      return 0;
    case WM_LBUTTONUP:
      Release(window, false, lParam);
      return 0;
    case WM_CAPTURECHANGED: {
      if (reinterpret_cast<HWND>(lParam) == window) return 0;
      LRESULT state = State(window);
      if ((state & kHeldDown) != 0) {
        state &= kStateBits;
        SetState(window, state);
        if ((state & BST_PUSHED) != 0) SendMessageA(window, BM_SETSTATE, FALSE, 0);
      }
      return 0;
    }
    case WM_MOUSEMOVE:
      if ((wParam & MK_LBUTTON) != 0 && GetCapture() == window) {
        SendMessageA(window, BM_SETSTATE, Inside(window, lParam) ? TRUE : FALSE, 0);
      }
      return 0;
    case WM_SETTEXT:
      DefWindowProcA(window, message, wParam, lParam);
      return TRUE;
    case WM_SETFOCUS:
      SetState(window, State(window) | BST_FOCUS);
      if ((GetWindowLongPtrA(window, GWL_STYLE) & BS_NOTIFY) != 0) Notify(window, BN_SETFOCUS);
      return 0;
    case WM_KILLFOCUS: {
      const LRESULT state = State(window);
      SetState(window, state & ~BST_FOCUS);
      if ((state & kHeldDown) != 0 && GetCapture() == window) ReleaseCapture();
      if ((GetWindowLongPtrA(window, GWL_STYLE) & BS_NOTIFY) != 0) Notify(window, BN_KILLFOCUS);
      return 0;
    }
    case BM_SETSTYLE: {
      std::lock_guard<std::mutex> lock(backend::internal::UserMutex());
      backend::internal::ChangeStyleLocked(window, BS_TYPEMASK,
                                           static_cast<DWORD>(wParam) & BS_TYPEMASK);
      return 0;
    }
    case BM_CLICK:
      SendMessageA(window, WM_LBUTTONDOWN, 0, 0);
      SendMessageA(window, WM_LBUTTONUP, 0, 0);
      return 0;
    case BM_GETCHECK:
      return State(window) & 3;
    case BM_SETCHECK: {
      const WPARAM check = wParam > MostChecked(type) ? MostChecked(type) : wParam;
      if (type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON) {
        std::lock_guard<std::mutex> lock(backend::internal::UserMutex());
        backend::internal::ChangeStyleLocked(window, WS_TABSTOP, check != 0 ? WS_TABSTOP : 0);
      }
      const LRESULT state = State(window);
      if (static_cast<WPARAM>(state & 3) != check)
        SetState(window, (state & ~3) | static_cast<LRESULT>(check));
      return 0;
    }
    case BM_GETSTATE:
      return State(window);
    case BM_SETSTATE: {
      const LRESULT state = State(window);
      SetState(window, wParam != 0 ? state | BST_PUSHED : state & ~BST_PUSHED);
      return 0;
    }
    case WM_ENABLE:
      return 0;
    default:
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

namespace backend::internal {

void RegisterButtonClass() { RegisterSystemClass("Button", ButtonProc); }

}  // namespace backend::internal
