// The dialog keyboard of the Linux back end for windows that are not made from dialog
// templates: IsDialogMessageA, GetNextDlgTabItem, GetDlgItem and GetDlgCtrlID, following
// Wine's user32 step by step (the same messages asked in the same order), so that a form's
// controls see what they see on Windows.
#include <cstring>
#include <string>
#include <vector>

#include "platform/linux/backend_internal.h"
#include "platform/linux/win32_api.h"

namespace {

constexpr int kCancelKey = 0x03;
constexpr int kExecuteKey = 0x2B;
constexpr int kTextRoom = 128;
constexpr int kMostSteps = 100000;

LONG Style(HWND window) { return GetWindowLongA(window, GWL_STYLE); }
LONG ExStyle(HWND window) { return GetWindowLongA(window, GWL_EXSTYLE); }

bool VisibleAndEnabled(HWND window) {
  return (static_cast<DWORD>(Style(window)) & (WS_VISIBLE | WS_DISABLED)) == WS_VISIBLE;
}

LRESULT DialogCode(HWND window, WPARAM wParam = 0, const MSG* msg = nullptr) {
  return SendMessageA(window, WM_GETDLGCODE, wParam, reinterpret_cast<LPARAM>(msg));
}

// The tab stop after (or before) `control` among the children of `dialog`, going into
// WS_EX_CONTROLPARENT children, round to the first; `control` itself when there is none.
HWND NextTabItem(HWND main, HWND dialog, HWND control, bool previous) {
  const UINT search = previous ? GW_HWNDPREV : GW_HWNDNEXT;
  HWND candidate = nullptr;
  if (control == nullptr) {
    candidate = GetWindow(dialog, GW_CHILD);
    if (previous) candidate = GetWindow(candidate, GW_HWNDLAST);
  } else if (IsChild(main, control)) {
    candidate = GetWindow(control, search);
    if (candidate == nullptr) {
      if (GetParent(control) != main) {
        candidate = GetWindow(GetParent(control), search);
      } else {
        candidate = GetWindow(control, previous ? GW_HWNDLAST : GW_HWNDFIRST);
      }
    }
  }
  for (int steps = 0; candidate != nullptr && steps < kMostSteps; ++steps) {
    const auto style = static_cast<DWORD>(Style(candidate));
    const auto ex_style = static_cast<DWORD>(ExStyle(candidate));
    const bool usable = (style & WS_VISIBLE) != 0 && (style & WS_DISABLED) == 0;
    if ((ex_style & WS_EX_CONTROLPARENT) != 0 && usable) {
      if (HWND found = NextTabItem(main, candidate, nullptr, previous)) return found;
    } else if ((style & WS_TABSTOP) != 0 && usable) {
      return candidate;
    }
    candidate = GetWindow(candidate, search);
  }
  HWND found = nullptr;
  if (control != nullptr) {
    for (HWND parent = GetParent(control); parent != nullptr && parent != main;
         parent = GetParent(parent)) {
      found = NextTabItem(main, GetParent(parent), parent, previous);
      if (found != nullptr) break;
    }
    if (found == nullptr) found = NextTabItem(main, main, nullptr, previous);
  }
  return found != nullptr ? found : control;
}

// The next (or previous) control of `control`'s group (WS_GROUP starts a group), as Wine's
// GetNextDlgGroupItem finds it; `control` itself when there is no other.
HWND NextGroupItem(HWND dialog, HWND control, bool previous) {
  if (control == dialog) control = nullptr;
  if (control == nullptr && previous) return nullptr;
  if (control != nullptr) {
    if (!IsChild(dialog, control)) return nullptr;
  } else {
    control = GetWindow(dialog, GW_CHILD);
    if (control == nullptr) return nullptr;
    if (VisibleAndEnabled(control)) return control;
  }
  HWND answer = control;
  HWND window = control;
  HWND last_group = nullptr;
  bool looped = false;
  bool skipping = false;
  for (int steps = 0; steps < kMostSteps; ++steps) {
    HWND next = GetWindow(window, GW_HWNDNEXT);
    while (next == nullptr) {
      if (GetParent(window) == dialog) {
        if (looped) return answer;
        looped = true;
        next = GetWindow(dialog, GW_CHILD);
      } else {
        window = GetParent(window);
        if (window == nullptr) return answer;
        next = GetWindow(window, GW_HWNDNEXT);
      }
    }
    window = next;
    while ((static_cast<DWORD>(ExStyle(window)) & WS_EX_CONTROLPARENT) != 0 &&
           VisibleAndEnabled(window) && (next = GetWindow(window, GW_CHILD)) != nullptr) {
      window = next;
    }
    if ((static_cast<DWORD>(Style(window)) & WS_GROUP) != 0) {
      last_group = window;
      skipping = true;
    }
    if (window == control) {
      if (!skipping || last_group == window) break;
      window = last_group;
      skipping = false;
      looped = false;
    }
    if (!skipping && VisibleAndEnabled(window)) {
      answer = window;
      if (!previous) break;
    }
  }
  return answer;
}

// A control of `dialog` (or of its children) with the id, or null.
HWND FindDescendant(HWND dialog, int id) {
  struct Search {
    int id;
    HWND found;
  } search{id, nullptr};
  EnumChildWindows(
      dialog,
      [](HWND window, LPARAM lParam) -> BOOL {
        auto* wanted = reinterpret_cast<Search*>(lParam);
        if (GetDlgCtrlID(window) != wanted->id) return TRUE;
        wanted->found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// After the focus moved by Tab: the default push button is undone, and the button that got
// the focus, or else the dialog's default button, becomes the default one.
void FixDefaultButton(HWND dialog, HWND next) {
  const LRESULT next_code = DialogCode(next);
  EnumChildWindows(
      dialog,
      [](HWND window, LPARAM) -> BOOL {
        if ((DialogCode(window) & DLGC_DEFPUSHBUTTON) != 0)
          SendMessageA(window, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
        return TRUE;
      },
      0);
  if ((next_code & DLGC_DEFPUSHBUTTON) != 0) {
    const auto answer = static_cast<DWORD>(SendMessageA(dialog, DM_GETDEFID, 0, 0));
    if (HIWORD(answer) != DC_HASDEFID) return;
    const HWND default_button = GetDlgItem(dialog, LOWORD(answer));
    if (default_button == nullptr) return;
    const LRESULT code = DialogCode(default_button);
    if ((code & DLGC_BUTTON) != 0 && (code & DLGC_UNDEFPUSHBUTTON) != 0)
      SendMessageA(default_button, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
  } else if ((next_code & DLGC_BUTTON) != 0 && (next_code & DLGC_UNDEFPUSHBUTTON) != 0) {
    SendMessageA(next, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
  }
}

// Tab or Shift+Tab. False when there is no control to go to.
bool Tab(HWND dialog, const MSG* msg) {
  const HWND focus = GetFocus();
  const HWND next = GetNextDlgTabItem(dialog, focus == dialog ? nullptr : focus,
                                      GetKeyState(VK_SHIFT) < 0 ? TRUE : FALSE);
  if (next == nullptr) return false;
  if ((DialogCode(next, msg->wParam, msg) & DLGC_HASSETSEL) != 0) {
    const LRESULT room = SendMessageA(next, WM_GETTEXTLENGTH, 0, 0) + 1;
    if (room > 0) {
      std::vector<char> text(static_cast<std::size_t>(room), '\0');
      SendMessageA(next, WM_GETTEXT, static_cast<WPARAM>(room),
                   reinterpret_cast<LPARAM>(text.data()));
      text.back() = '\0';
      SendMessageA(next, EM_SETSEL, 0, static_cast<LPARAM>(std::strlen(text.data())));
    }
  }
  SetFocus(next);
  FixDefaultButton(dialog, next);
  return true;
}

// Enter: the focused default push button, else the dialog's default button, else IDOK.
void Enter(HWND dialog) {
  const HWND focus = GetFocus();
  if (IsChild(dialog, focus) && (DialogCode(focus) & DLGC_DEFPUSHBUTTON) != 0) {
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(focus), BN_CLICKED),
                 reinterpret_cast<LPARAM>(focus));
    return;
  }
  const auto answer = static_cast<DWORD>(SendMessageA(dialog, DM_GETDEFID, 0, 0));
  if (HIWORD(answer) == DC_HASDEFID) {
    const HWND button = FindDescendant(dialog, LOWORD(answer));
    if (button == nullptr || IsWindowEnabled(button)) {
      SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(LOWORD(answer), BN_CLICKED),
                   reinterpret_cast<LPARAM>(button));
    }
    return;
  }
  SendMessageA(dialog, WM_COMMAND, IDOK, reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
}

// The upper-case form of a Windows-1252 character, for comparing mnemonics.
char32_t Upper(char32_t character) {
  if ((character >= 'a' && character <= 'z') ||
      (character >= 0xE0 && character <= 0xFE && character != 0xF7))
    return character - 0x20;
  return character;
}

// The mnemonic of a text: the character after the first "&" that is not "&&"; 0 for none.
char32_t Mnemonic(const char* text) {
  for (const char* at = std::strchr(text, '&'); at != nullptr; at = std::strchr(at + 2, '&')) {
    if (at[1] != '&') return backend::internal::CharacterOfAnsi(static_cast<unsigned char>(at[1]));
  }
  return 0;
}

// A character that is the mnemonic of a button or label of the dialog, looked for from the
// window the message went to: a button is clicked, a label sends the focus on.
bool IsAccelerator(HWND window, HWND dialog, WPARAM character) {
  const char32_t wanted =
      Upper(backend::internal::CharacterOfAnsi(static_cast<unsigned char>(character & 0xFF)));
  HWND control = window;
  for (int steps = 0; steps < kMostSteps; ++steps) {
    HWND next = nullptr;
    const auto style = static_cast<DWORD>(Style(control));
    if ((style & (WS_VISIBLE | WS_DISABLED)) == WS_VISIBLE) {
      const LRESULT code = DialogCode(control);
      char text[kTextRoom] = {};
      if ((code & (DLGC_BUTTON | DLGC_STATIC)) != 0 &&
          GetWindowTextA(control, text, kTextRoom) > 0) {
        const char32_t mnemonic = Mnemonic(text);
        if (mnemonic != 0 && Upper(mnemonic) == wanted) {
          if ((code & DLGC_STATIC) != 0 || (style & BS_TYPEMASK) == BS_GROUPBOX) {
            SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), 1);
            SendMessageA(dialog, WM_NEXTDLGCTL, 0, 0);
          } else if ((code & DLGC_BUTTON) != 0) {
            SendMessageA(control, BM_CLICK, 0, 0);
          }
          return true;
        }
      }
      next = GetWindow(control, GW_CHILD);
    }
    if (next == nullptr) next = GetWindow(control, GW_HWNDNEXT);
    while (next == nullptr && control != nullptr) {
      control = GetParent(control);
      if (control == dialog) {
        if (window == dialog) {
          next = window;
          break;
        }
        next = GetWindow(dialog, GW_CHILD);
      } else if (control != nullptr) {
        next = GetWindow(control, GW_HWNDNEXT);
      }
    }
    control = next;
    if (control == nullptr || control == window) return false;
  }
  return false;
}

}  // namespace

extern "C" {

HWND WINAPI GetNextDlgTabItem(HWND hDlg, HWND hCtl, BOOL bPrevious) {
  if (hDlg == hCtl) hCtl = nullptr;
  if (hCtl == nullptr && bPrevious) return nullptr;
  return NextTabItem(hDlg, hDlg, hCtl, bPrevious != FALSE);
}

HWND WINAPI GetDlgItem(HWND hDlg, int nIDDlgItem) {
  for (HWND child = GetWindow(hDlg, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    if (GetDlgCtrlID(child) == nIDDlgItem) return child;
  }
  return nullptr;
}

int WINAPI GetDlgCtrlID(HWND hWnd) { return static_cast<int>(GetWindowLongPtrA(hWnd, GWLP_ID)); }

BOOL WINAPI IsDialogMessageA(HWND hDlg, LPMSG lpMsg) {
  if (lpMsg == nullptr || !IsWindow(hDlg)) return FALSE;
  if (hDlg != lpMsg->hwnd && !IsChild(hDlg, lpMsg->hwnd)) return FALSE;
  switch (lpMsg->message) {
    case WM_KEYDOWN: {
      const LRESULT code = DialogCode(lpMsg->hwnd, lpMsg->wParam, lpMsg);
      if ((code & DLGC_WANTMESSAGE) != 0) break;
      switch (lpMsg->wParam) {
        case VK_TAB:
          if ((code & DLGC_WANTTAB) != 0) break;
          return Tab(hDlg, lpMsg) ? TRUE : FALSE;
        case VK_RIGHT:
        case VK_DOWN:
        case VK_LEFT:
        case VK_UP: {
          if ((code & DLGC_WANTARROWS) != 0) break;
          const bool previous = lpMsg->wParam == VK_LEFT || lpMsg->wParam == VK_UP;
          const HWND next = NextGroupItem(hDlg, lpMsg->hwnd, previous);
          if (next != nullptr &&
              DialogCode(next, lpMsg->wParam, lpMsg) == (DLGC_BUTTON | DLGC_RADIOBUTTON)) {
            SetFocus(next);
            if ((static_cast<DWORD>(Style(next)) & BS_TYPEMASK) == BS_AUTORADIOBUTTON &&
                SendMessageA(next, BM_GETCHECK, 0, 0) != BST_CHECKED)
              SendMessageA(next, BM_CLICK, 1, 0);
          } else {
            SendMessageA(hDlg, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(next), 1);
          }
          return TRUE;
        }
        case kCancelKey:
        case VK_ESCAPE:
          SendMessageA(hDlg, WM_COMMAND, IDCANCEL,
                       reinterpret_cast<LPARAM>(GetDlgItem(hDlg, IDCANCEL)));
          return TRUE;
        case kExecuteKey:
        case VK_RETURN:
          Enter(hDlg);
          return TRUE;
        default:
          break;
      }
      break;
    }
    case WM_CHAR: {
      const LRESULT code = DialogCode(lpMsg->hwnd, lpMsg->wParam, lpMsg);
      if ((code & (DLGC_WANTCHARS | DLGC_WANTMESSAGE)) != 0) break;
      if (lpMsg->wParam == '\t' && (code & DLGC_WANTTAB) != 0) break;
      if (IsAccelerator(lpMsg->hwnd, hDlg, lpMsg->wParam)) return TRUE;
      break;
    }
    case WM_SYSCHAR:
      if (IsAccelerator(lpMsg->hwnd, hDlg, lpMsg->wParam)) return TRUE;
      break;
    default:
      break;
  }
  TranslateMessage(lpMsg);
  DispatchMessageA(lpMsg);
  return TRUE;
}

}  // extern "C"
