// The edit control of the Linux back end (class "Edit", registered when the back end loads):
// one line of text with a selection, as Wine's user32 edit control behaves. The selection
// runs from an anchor to the caret; EM_GETSEL answers it in order. Characters typed
// (WM_CHAR) replace the selection, Backspace and Delete remove it or the character before
// or after the caret, the arrow, Home and End keys move the caret (Shift moves its end
// only), and a press of the left button takes the focus and puts the caret at the
// character under the pointer (8 pixels a character). Every change of text tells the parent
// EN_UPDATE, then EN_CHANGE, through WM_COMMAND, WM_SETTEXT too; the focus EN_SETFOCUS and
// EN_KILLFOCUS. Nothing is drawn.
#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>
#include <string>

#include "platform/linux/control_states.h"
#include "platform/linux/backend_internal.h"
#include "platform/linux/drawing_internal.h"
#include "platform/linux/win32_api.h"

namespace {

constexpr LONG kCharacterWidth = 8;
constexpr int kDeleteCharacter = 0x7F;

struct Edit {
  std::string text;
  std::size_t anchor = 0;
  std::size_t caret = 0;
  HWND parent = nullptr;
  bool read_only = false;
  bool want_return = false;
  bool tracking = false;  // the left button went down on it
};

// Runs `change` on the edit's state under the lock; false when it has none.
template <typename Change>
bool WithEdit(HWND window, Change change) {
  return backend::internal::StatesOf<Edit>().With(window, change);
}

void Notify(HWND window, int code) {
  HWND parent = nullptr;
  WithEdit(window, [&](Edit& edit) { parent = edit.parent; });
  if (parent == nullptr) return;
  const auto id = static_cast<WORD>(GetWindowLongPtrA(window, GWLP_ID));
  SendMessageA(parent, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(window));
}

void NotifyChange(HWND window) {
  Notify(window, EN_UPDATE);
  Notify(window, EN_CHANGE);
}

std::size_t SelectionStart(const Edit& edit) { return std::min(edit.anchor, edit.caret); }
std::size_t SelectionEnd(const Edit& edit) { return std::max(edit.anchor, edit.caret); }

// Replaces the selection with `text`; the caret goes after it. True when the text changed.
bool ReplaceSelection(Edit& edit, const std::string& text) {
  const std::size_t start = SelectionStart(edit);
  const std::size_t end = SelectionEnd(edit);
  if (start == end && text.empty()) return false;
  edit.text.replace(start, end - start, text);
  edit.anchor = edit.caret = start + text.size();
  return true;
}

// The character place nearest a point of the client area.
std::size_t PlaceAt(const Edit& edit, LPARAM lParam) {
  const LONG x = static_cast<SHORT>(LOWORD(lParam));
  const LONG place = x <= 0 ? 0 : (x + kCharacterWidth / 2) / kCharacterWidth;
  return std::min(static_cast<std::size_t>(place), edit.text.size());
}

// A typed character; Backspace removes the selection or the character before the caret.
void Character(HWND window, int character) {
  bool changed = false;
  WithEdit(window, [&](Edit& edit) {
    if (edit.read_only) return;
    if (character == VK_BACK) {
      if (edit.anchor == edit.caret && edit.caret > 0) edit.anchor = edit.caret - 1;
      changed = ReplaceSelection(edit, std::string());
    } else if (character >= ' ' && character != kDeleteCharacter) {
      changed = ReplaceSelection(edit, std::string(1, static_cast<char>(character)));
    }
  });
  if (changed) NotifyChange(window);
}

void KeyDown(HWND window, WPARAM key) {
  const bool shift = GetKeyState(VK_SHIFT) < 0;
  bool changed = false;
  WithEdit(window, [&](Edit& edit) {
    std::size_t caret = edit.caret;
    switch (key) {
      case VK_DELETE:
        if (edit.read_only) return;
        if (edit.anchor == edit.caret && edit.caret < edit.text.size())
          edit.anchor = edit.caret + 1;
        changed = ReplaceSelection(edit, std::string());
        return;
      case VK_LEFT:
        if (caret > 0) --caret;
        break;
      case VK_RIGHT:
        if (caret < edit.text.size()) ++caret;
        break;
      case VK_HOME:
        caret = 0;
        break;
      case VK_END:
        caret = edit.text.size();
        break;
      default:
        return;
    }
    if (!shift) edit.anchor = caret;
    edit.caret = caret;
  });
  if (changed) NotifyChange(window);
}

LRESULT CopyOut(const std::string& text, WPARAM size, LPARAM out) {
  char* buffer = reinterpret_cast<char*>(out);
  if (buffer == nullptr || size == 0) return 0;
  const std::size_t count = std::min<std::size_t>(text.size(), size - 1);
  std::memcpy(buffer, text.data(), count);
  buffer[count] = '\0';
  return static_cast<LRESULT>(count);
}

LRESULT CALLBACK EditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT font_answer = 0;
  if (backend::internal::ControlFontMessage(window, message, wParam, lParam, &font_answer)) {
    return font_answer;
  }
  switch (message) {
    case WM_NCCREATE: {
      const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
      Edit edit;
      if (create != nullptr) {
        edit.parent = create->hwndParent;
        edit.read_only = (create->style & ES_READONLY) != 0;
        edit.want_return = (create->style & ES_WANTRETURN) != 0;
        // The window name is the first text; the caret stays at its start.
        if (create->lpszName != nullptr && !IS_INTRESOURCE(create->lpszName))
          edit.text = create->lpszName;
      }
      backend::internal::StatesOf<Edit>().Add(window, edit);
      return DefWindowProcA(window, message, wParam, lParam);
    }
    case WM_NCDESTROY:
      backend::internal::StatesOf<Edit>().Remove(window);
      return 0;
    case WM_GETDLGCODE: {
      LRESULT code = DLGC_HASSETSEL | DLGC_WANTCHARS | DLGC_WANTARROWS;
      const MSG* msg = reinterpret_cast<const MSG*>(lParam);
      bool want_return = false;
      WithEdit(window, [&](Edit& edit) { want_return = edit.want_return; });
      if (msg != nullptr && msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN && want_return)
        code |= DLGC_WANTMESSAGE;
      return code;
    }
    case WM_SETTEXT: {
      const char* text = reinterpret_cast<const char*>(lParam);
      WithEdit(window, [&](Edit& edit) {
        edit.text = text != nullptr ? text : "";
        edit.anchor = edit.caret = 0;
      });
      NotifyChange(window);
      return TRUE;
    }
    case WM_GETTEXT: {
      std::string text;
      WithEdit(window, [&](Edit& edit) { text = edit.text; });
      return CopyOut(text, wParam, lParam);
    }
    case WM_GETTEXTLENGTH: {
      LRESULT length = 0;
      WithEdit(window, [&](Edit& edit) { length = static_cast<LRESULT>(edit.text.size()); });
      return length;
    }
    case WM_CHAR:
      Character(window, static_cast<BYTE>(wParam));
      return 0;
    case WM_KEYDOWN:
      KeyDown(window, wParam);
      return 0;
    case EM_GETSEL: {
      std::size_t start = 0;
      std::size_t end = 0;
      WithEdit(window, [&](Edit& edit) {
        start = SelectionStart(edit);
        end = SelectionEnd(edit);
      });
      if (auto* out = reinterpret_cast<DWORD*>(wParam)) *out = static_cast<DWORD>(start);
      if (auto* out = reinterpret_cast<DWORD*>(lParam)) *out = static_cast<DWORD>(end);
      if (start > 0xFFFF || end > 0xFFFF) return -1;
      return MAKELONG(start, end);
    }
    case EM_SETSEL: {
      const auto start = static_cast<UINT>(wParam);
      const auto end = static_cast<UINT>(lParam);
      WithEdit(window, [&](Edit& edit) {
        // A start of -1 takes the selection away, leaving the caret where it is.
        if (start == static_cast<UINT>(-1)) {
          edit.anchor = edit.caret;
          return;
        }
        edit.anchor = std::min<std::size_t>(start, edit.text.size());
        edit.caret = std::min<std::size_t>(end, edit.text.size());
      });
      return TRUE;
    }
    case EM_REPLACESEL: {
      const char* text = reinterpret_cast<const char*>(lParam);
      bool changed = false;
      WithEdit(window,
               [&](Edit& edit) { changed = ReplaceSelection(edit, text != nullptr ? text : ""); });
      if (changed) NotifyChange(window);
      return 0;
    }
    case WM_SETFOCUS:
      Notify(window, EN_SETFOCUS);
      return 0;
    case WM_KILLFOCUS:
      Notify(window, EN_KILLFOCUS);
      return 0;
    case WM_LBUTTONDOWN: {
      const bool extend = (wParam & MK_SHIFT) != 0;
      WithEdit(window, [&](Edit& edit) {
        edit.tracking = true;
        edit.caret = PlaceAt(edit, lParam);
        if (!extend) edit.anchor = edit.caret;
      });
      SetCapture(window);
      if (GetFocus() != window) SetFocus(window);
      return 0;
    }
    case WM_MOUSEMOVE: {
      if (GetCapture() != window) return 0;
      WithEdit(window, [&](Edit& edit) {
        if (edit.tracking) edit.caret = PlaceAt(edit, lParam);
      });
      return 0;
    }
    case WM_LBUTTONUP: {
      bool tracking = false;
      WithEdit(window, [&](Edit& edit) {
        tracking = edit.tracking;
        edit.tracking = false;
      });
      if (tracking && GetCapture() == window) ReleaseCapture();
      return 0;
    }
    case WM_CAPTURECHANGED:
      WithEdit(window, [&](Edit& edit) { edit.tracking = false; });
      return 0;
    case WM_ENABLE:
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace

namespace backend::internal {

void RegisterEditClass() { RegisterSystemClass("Edit", EditProc); }

}  // namespace backend::internal
