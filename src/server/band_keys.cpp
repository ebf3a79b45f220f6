// The band's side of the focus conversation with the browser, the keys the browser forwards
// to it, and the form window's commands and notifications.
#include "platform/win32.h"
#include "server/mod_trace.h"
#include "server/toolbar.h"
#include "ui/toolbar/frm_toolbar.h"

namespace tarnivo {

namespace {

constexpr WPARAM kKeyK = 75;  // Alt+K: the main button's menu
constexpr WPARAM kKeyS = 83;  // Alt+S: the search menu

}  // namespace

void CToolbar::UIActivateIO(bool activate) {
  modTrace::Trace("Entered", "CToolbar", "IInputObject_UIActivateIO");
  try {
    if (activate) {
      // The band's keyboard focus is its toolbar.
      focus_window_ = toolbar_window_;
      SetFocus(focus_window_);
    } else if (site_) {
      site_->OnFocusChangeIS(false);
    }
  } catch (...) {
  }
}

bool CToolbar::HasFocusIO() {
  modTrace::Trace("Entered", "CToolbar", "IInputObject_HasFocusIO");
  try {
    if (frmToolbar* form = frmToolbar::Loaded()) form->HasFocus();
  } catch (...) {
  }
  return true;  // the browser is always told the band has the focus
}

void CToolbar::TranslateAcceleratorIO(const MSG& msg) {
  modTrace::Trace("Entered", "CToolbar", "IInputObject_TranslateAcceleratorIO");
  try {
    switch (msg.message) {
      case WM_KEYDOWN:
        if (msg.wParam == VK_BACK) {
          SendMessageA(focus_window_, WM_CHAR, VK_BACK, msg.lParam);
        } else if (msg.wParam == VK_UP || msg.wParam == VK_DOWN || msg.wParam == VK_DELETE) {
          SendMessageA(focus_window_, WM_KEYDOWN, msg.wParam, msg.lParam);
        }
        break;
      case WM_SYSKEYDOWN:
      case WM_SYSKEYUP:
        // The menu opens when the key goes down and again when it is let go.
        if (msg.wParam == kKeyK) ButtonDropDown(1);
        if (msg.wParam == kKeyS) ButtonDropDown(2);
        break;
      default:
        break;
    }
  } catch (...) {
  }
}

void CToolbar::OnFocus(bool focused) {
  modTrace::Trace("Entered", "CToolbar", "OnFocus");
  try {
    if (site_) site_->OnFocusChangeIS(focused);
  } catch (...) {
  }
}

LRESULT CToolbar::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, bool& Handled) {
  try {
    if (msg == WM_NOTIFY && lParam) {
      const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
      // Several bands on one thread share the form window: each answers its own toolbar.
      if (static_cast<int>(header->code) == static_cast<int>(TBN_DROPDOWN) &&
          hwnd == form_window_ && header->hwndFrom == toolbar_window_) {
        const NMTOOLBARA* notice = reinterpret_cast<const NMTOOLBARA*>(lParam);
        ButtonDropDown(notice->iItem);
        Handled = true;
      }
    } else if (msg == WM_COMMAND) {
      const std::int32_t command = static_cast<std::int32_t>(static_cast<DWORD>(wParam));
      const std::int32_t code = command / 65536;
      const frmToolbar* form = frmToolbar::Loaded();
      const bool formBand = form && form->m_Toolbar == this;
      if ((code == EN_KILLFOCUS || code == CBN_KILLFOCUS) && formBand) {
        OnFocus(false);
        MessageBoxA(nullptr, "sem foco", nullptr, MB_OK);
        Handled = true;
      } else if ((code == EN_SETFOCUS || code == CBN_SETFOCUS) && formBand) {
        OnFocus(true);
        Handled = true;
      } else if (code < 0x100 && code != CBN_SETFOCUS && code != CBN_KILLFOCUS &&
                 reinterpret_cast<HWND>(lParam) == toolbar_window_) {
        // A press on this band's own toolbar; the form's procedure still sees it afterwards.
        HandleButtonCommand(-command);
      }
    }
  } catch (...) {
  }
  return 0;
}

}  // namespace tarnivo
