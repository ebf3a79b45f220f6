// The button of the Linux back end (class "Button", registered when the back end loads), as
// Wine's user32 button behaves: push buttons and default push buttons that click on a press
// and release of the left button over them, on BM_CLICK and on the Space key; check boxes
// with the same clicks; group boxes, which hit tests pass through. A click tells the parent
// through WM_COMMAND (BN_CLICKED); BS_NOTIFY adds BN_SETFOCUS and BN_KILLFOCUS. An
// owner-drawn button (BS_OWNERDRAW) has its parent draw it (WM_DRAWITEM) where Wine's does;
// other buttons draw nothing.
//
// The state BM_GETSTATE answers keeps, beside BST_CHECKED, BST_PUSHED and BST_FOCUS, the bit
// 0x40 Wine keeps while the button is held down by the mouse or the Space key.
#include <map>
#include <mutex>

#include "platform/linux/backend_internal.h"
#include "platform/linux/drawing_internal.h"
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

// An owner-drawn button's parent draws it on `dc`: WM_CTLCOLORBTN, then WM_DRAWITEM with
// what to draw (`action`) and the button's state.
void OwnerDraw(HWND window, HDC dc, UINT action) {
  const LRESULT state = State(window);
  const auto id = static_cast<UINT>(GetWindowLongPtrA(window, GWLP_ID));
  DRAWITEMSTRUCT item{};
  item.CtlType = ODT_BUTTON;
  item.CtlID = id;
  item.itemAction = action;
  item.itemState = ((state & BST_FOCUS) != 0 ? ODS_FOCUS : 0) |
                   ((state & BST_PUSHED) != 0 ? ODS_SELECTED : 0) |
                   (IsWindowEnabled(window) ? 0 : ODS_DISABLED);
  item.hwndItem = window;
  item.hDC = dc;
  GetClientRect(window, &item.rcItem);
  LRESULT font = 0;
  backend::internal::ControlFontMessage(window, WM_GETFONT, 0, 0, &font);
  if (font != 0) SelectObject(dc, reinterpret_cast<HGDIOBJ>(font));
  HWND parent = GetParent(window);
  SendMessageA(parent != nullptr ? parent : window, WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(dc),
               reinterpret_cast<LPARAM>(window));
  SendMessageA(parent, WM_DRAWITEM, id, reinterpret_cast<LPARAM>(&item));
}

// Draws a visible owner-drawn button at once, on a device context of its own.
void Paint(HWND window, UINT action) {
  if (Type(window) != BS_OWNERDRAW || !IsWindowVisible(window)) return;
  HDC dc = GetDC(window);
  OwnerDraw(window, dc, action);
  ReleaseDC(window, dc);
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
  LRESULT font_answer = 0;
  if (backend::internal::ControlFontMessage(window, message, wParam, lParam, &font_answer)) {
    return font_answer;
  }
  switch (message) {
    case WM_PAINT:
    case WM_PRINTCLIENT: {
      // Either message draws on the device context it brings, or else paints.
      PAINTSTRUCT paint{};
      HDC dc = wParam != 0 ? reinterpret_cast<HDC>(wParam) : BeginPaint(window, &paint);
      if (type == BS_OWNERDRAW) {
        const int mode = SetBkMode(dc, OPAQUE);
        OwnerDraw(window, dc, ODA_DRAWENTIRE);
        SetBkMode(dc, mode);
      }
      if (wParam == 0) EndPaint(window, &paint);
      return 0;
    }
    case WM_ERASEBKGND:
      if (type == BS_OWNERDRAW) {
        // The parent's brush for buttons fills the button.
        HWND parent = GetParent(window);
        if (parent == nullptr) parent = window;
        auto brush = reinterpret_cast<HBRUSH>(
            SendMessageA(parent, WM_CTLCOLORBTN, wParam, reinterpret_cast<LPARAM>(window)));
        if (brush == nullptr) {
          brush = reinterpret_cast<HBRUSH>(
              DefWindowProcA(parent, WM_CTLCOLORBTN, wParam, reinterpret_cast<LPARAM>(window)));
        }
        RECT client{};
        GetClientRect(window, &client);
        FillRect(reinterpret_cast<HDC>(wParam), &client, brush);
      }
      return 1;
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
      if (type == BS_GROUPBOX) {
        InvalidateRect(window, nullptr, TRUE);
      } else {
        Paint(window, ODA_DRAWENTIRE);
      }
      return TRUE;
    case WM_SETFOCUS:
      SetState(window, State(window) | BST_FOCUS);
      Paint(window, ODA_FOCUS);
      if ((GetWindowLongPtrA(window, GWL_STYLE) & BS_NOTIFY) != 0) Notify(window, BN_SETFOCUS);
      return 0;
    case WM_KILLFOCUS: {
      const LRESULT state = State(window);
      SetState(window, state & ~BST_FOCUS);
      Paint(window, ODA_FOCUS);
      if ((state & kHeldDown) != 0 && GetCapture() == window) ReleaseCapture();
      if ((GetWindowLongPtrA(window, GWL_STYLE) & BS_NOTIFY) != 0) Notify(window, BN_KILLFOCUS);
      InvalidateRect(window, nullptr, FALSE);
      return 0;
    }
    case BM_SETSTYLE: {
      {
        std::lock_guard<std::mutex> lock(backend::internal::UserMutex());
        backend::internal::ChangeStyleLocked(window, BS_TYPEMASK,
                                             static_cast<DWORD>(wParam) & BS_TYPEMASK);
      }
      if (lParam != 0) InvalidateRect(window, nullptr, TRUE);
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
      if (static_cast<WPARAM>(state & 3) != check) {
        SetState(window, (state & ~3) | static_cast<LRESULT>(check));
        Paint(window, ODA_SELECT);
      }
      return 0;
    }
    case BM_GETSTATE:
      return State(window);
    case BM_SETSTATE: {
      const LRESULT state = State(window);
      SetState(window, wParam != 0 ? state | BST_PUSHED : state & ~BST_PUSHED);
      Paint(window, ODA_SELECT);
      return 0;
    }
    case WM_ENABLE:
      Paint(window, ODA_DRAWENTIRE);
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
