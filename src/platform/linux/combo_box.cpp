// The combo box of the Linux back end (class "ComboBox", registered when the back end loads):
// a list of entries with item data, a selection, and a text. With CBS_DROPDOWNLIST the text is
// the selected entry's; with an edit field (CBS_DROPDOWN) it is the field's own, which a
// selection replaces. The window name given at creation is not the text, as in Wine.
//
// A drop-down combo box (CBS_DROPDOWN, CBS_DROPDOWNLIST) is 24 pixels high, and its list
// drops down (CBN_DROPDOWN) on a press of the left button and closes again (CBN_CLOSEUP)
// when an entry is chosen or the combo box loses the focus; there is no window for the
// list. It tells its parent through WM_COMMAND as Wine's does: CBN_SETFOCUS and
// CBN_KILLFOCUS (after CBN_SELENDCANCEL), and for an entry chosen from the list
// CBN_SELENDOK, CBN_CLOSEUP, CBN_SELCHANGE. A selection made by a message tells nobody.
// The edit field of CBS_DROPDOWN is not a window of its own: the combo box keeps the focus.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <mutex>
#include <thread>
#include <string>
#include <vector>

#include "platform/linux/control_states.h"
#include "platform/linux/backend.h"
#include "platform/linux/backend_internal.h"
#include "platform/linux/drawing_internal.h"
#include "platform/linux/win32_api.h"

namespace {

struct Entry {
  std::string text;
  LPARAM data = 0;
};

struct Combo {
  DWORD style = 0;
  std::vector<Entry> entries;
  int selected = -1;
  std::string edit;  // the edit field's text (CBS_DROPDOWN)
  HWND parent = nullptr;
  std::thread::id thread;
  bool focused = false;
  bool dropped = false;
  bool tracking = false;  // the button went down on it and it holds the mouse capture
};

constexpr int kDroppedHeight = 24;
constexpr LRESULT kItemHeight = 16;
constexpr DWORD kSimple = 0x1;

bool HasList(const Combo& combo) { return (combo.style & 0x3) == CBS_DROPDOWNLIST; }

using backend::internal::LowerCase;
using backend::internal::LowerLetter;

bool SameText(const std::string& a, const std::string& b, bool prefix) {
  if (prefix ? b.size() > a.size() : a.size() != b.size()) return false;
  for (std::size_t i = 0; i < b.size(); ++i)
    if (LowerLetter(a[i]) != LowerLetter(b[i])) return false;
  return true;
}

// The first entry after `start` (-1: from the first) whose text is `text` or begins with it,
// letter case ignored, going round to the first entry; -1 when none.
int Find(const Combo& combo, WPARAM start, const char* text, bool prefix) {
  if (text == nullptr || combo.entries.empty()) return -1;
  const int count = static_cast<int>(combo.entries.size());
  const int first = static_cast<int>(static_cast<LONG_PTR>(start));
  const int from = first < 0 || first >= count ? 0 : first + 1;
  for (int i = 0; i < count; ++i) {
    const int at = (from + i) % count;
    if (SameText(combo.entries[static_cast<std::size_t>(at)].text, text, prefix)) return at;
  }
  return -1;
}

void Select(Combo& combo, int index) {
  combo.selected = index;
  if (index >= 0 && !HasList(combo))
    combo.edit = combo.entries[static_cast<std::size_t>(index)].text;
}

LRESULT CopyText(const std::string& text, WPARAM size, LPARAM out) {
  char* buffer = reinterpret_cast<char*>(out);
  if (buffer == nullptr || size == 0) return 0;
  const std::size_t count = std::min<std::size_t>(text.size(), size - 1);
  std::memcpy(buffer, text.data(), count);
  buffer[count] = '\0';
  return static_cast<LRESULT>(count);
}

// The answer to `message`; false for a message the combo box leaves to DefWindowProcA.
bool AnswerLocked(Combo& combo, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  const int count = static_cast<int>(combo.entries.size());
  const int index = static_cast<int>(static_cast<LONG_PTR>(wParam));
  const bool valid = index >= 0 && index < count;
  const char* text = reinterpret_cast<const char*>(lParam);
  switch (message) {
    case CB_ADDSTRING: {
      Entry entry;
      entry.text = text != nullptr ? text : "";
      std::size_t at = combo.entries.size();
      if ((combo.style & CBS_SORT) != 0) {
        at = 0;
        while (at < combo.entries.size()) {
          if (LowerCase(entry.text) < LowerCase(combo.entries[at].text)) break;
          ++at;
        }
      }
      combo.entries.insert(combo.entries.begin() + static_cast<std::ptrdiff_t>(at), entry);
      if (combo.selected >= static_cast<int>(at)) ++combo.selected;
      *result = static_cast<LRESULT>(at);
      return true;
    }
    case CB_DELETESTRING:
      if (!valid) {
        *result = CB_ERR;
        return true;
      }
      combo.entries.erase(combo.entries.begin() + index);
      if (combo.selected == index) combo.selected = -1;
      if (combo.selected > index) --combo.selected;
      *result = static_cast<LRESULT>(combo.entries.size());
      return true;
    case CB_RESETCONTENT:
      combo.entries.clear();
      combo.selected = -1;
      *result = CB_OKAY;
      return true;
    case CB_GETCOUNT:
      *result = count;
      return true;
    case CB_GETCURSEL:
      *result = combo.selected;
      return true;
    case CB_SETCURSEL:
      Select(combo, valid ? index : -1);
      *result = valid ? index : CB_ERR;
      return true;
    case CB_GETLBTEXT:
      if (!valid || lParam == 0) {
        *result = CB_ERR;
        return true;
      }
      std::memcpy(reinterpret_cast<char*>(lParam),
                  combo.entries[static_cast<std::size_t>(index)].text.c_str(),
                  combo.entries[static_cast<std::size_t>(index)].text.size() + 1);
      *result = static_cast<LRESULT>(combo.entries[static_cast<std::size_t>(index)].text.size());
      return true;
    case CB_GETLBTEXTLEN:
      *result =
          valid ? static_cast<LRESULT>(combo.entries[static_cast<std::size_t>(index)].text.size())
                : CB_ERR;
      return true;
    case CB_FINDSTRING:
    case CB_FINDSTRINGEXACT:
      *result = Find(combo, wParam, text, message == CB_FINDSTRING);
      return true;
    case CB_SELECTSTRING: {
      const int found = Find(combo, wParam, text, true);
      if (found >= 0) Select(combo, found);
      *result = found;
      return true;
    }
    case CB_GETITEMDATA:
      *result = valid ? combo.entries[static_cast<std::size_t>(index)].data : CB_ERR;
      return true;
    case CB_GETDROPPEDSTATE:
      *result = combo.dropped ? TRUE : FALSE;
      return true;
    case CB_GETITEMHEIGHT:
      *result = kItemHeight;
      return true;
    case WM_GETDLGCODE: {
      *result = DLGC_WANTARROWS | DLGC_WANTCHARS;
      const MSG* msg = reinterpret_cast<const MSG*>(lParam);
      if (msg != nullptr && msg->message == WM_KEYDOWN && combo.dropped &&
          (msg->wParam == VK_RETURN || msg->wParam == VK_ESCAPE))
        *result |= DLGC_WANTMESSAGE;
      return true;
    }
    case CB_SETITEMDATA:
      if (valid) combo.entries[static_cast<std::size_t>(index)].data = lParam;
      *result = valid ? TRUE : CB_ERR;
      return true;
    case WM_SETTEXT:
      if (HasList(combo)) {
        // The list's text is its selection: the entry of exactly this text.
        const int found = Find(combo, static_cast<WPARAM>(-1), text != nullptr ? text : "", false);
        if (found >= 0) combo.selected = found;
        *result = found >= 0 ? TRUE : CB_ERR;
      } else {
        combo.edit = text != nullptr ? text : "";
        *result = TRUE;
      }
      return true;
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH: {
      const std::string shown =
          HasList(combo)
              ? (combo.selected >= 0 ? combo.entries[static_cast<std::size_t>(combo.selected)].text
                                     : "")
              : combo.edit;
      *result = message == WM_GETTEXT ? CopyText(shown, wParam, lParam)
                                      : static_cast<LRESULT>(shown.size());
      return true;
    }
    default:
      return false;
  }
}

// Tells the parent: WM_COMMAND with the combo box's id and the code.
void Notify(HWND window, HWND parent, int code) {
  if (parent == nullptr) return;
  const auto id = static_cast<WORD>(GetWindowLongPtrA(window, GWLP_ID));
  SendMessageA(parent, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(window));
}

// Runs `change` on the combo box's state under the lock; false when it has none.
template <typename Change>
bool WithCombo(HWND window, Change change) {
  return backend::internal::StatesOf<Combo>().With(window, change);
}

HWND ParentOf(HWND window) {
  HWND parent = nullptr;
  WithCombo(window, [&](Combo& combo) { parent = combo.parent; });
  return parent;
}

// Opens the list (CBN_DROPDOWN first, as Wine sends it).
void DropDown(HWND window) {
  Notify(window, ParentOf(window), CBN_DROPDOWN);
  WithCombo(window, [](Combo& combo) { combo.dropped = true; });
}

// Ends a choice from the list, `ok` or cancelled, and closes the list if it is open.
void RollUp(HWND window, bool ok) {
  const HWND parent = ParentOf(window);
  Notify(window, parent, ok ? CBN_SELENDOK : CBN_SELENDCANCEL);
  bool was_dropped = false;
  WithCombo(window, [&](Combo& combo) {
    was_dropped = combo.dropped && (combo.style & 0x3) != kSimple;
    combo.dropped = false;
  });
  if (was_dropped) Notify(window, parent, CBN_CLOSEUP);
}

bool Focused(HWND window) {
  bool focused = false;
  WithCombo(window, [&](Combo& combo) { focused = combo.focused; });
  return focused;
}

void ButtonDown(HWND window) {
  if (!Focused(window)) SetFocus(window);
  if (!Focused(window)) return;
  bool dropped = false;
  bool tracking = false;
  WithCombo(window, [&](Combo& combo) {
    dropped = combo.dropped;
    tracking = combo.tracking;
  });
  if (dropped) {
    RollUp(window, true);
    if (tracking) {
      WithCombo(window, [](Combo& combo) { combo.tracking = false; });
      ReleaseCapture();
    }
    return;
  }
  WithCombo(window, [](Combo& combo) { combo.tracking = true; });
  SetCapture(window);
  DropDown(window);
}

void ButtonUp(HWND window) {
  bool tracking = false;
  WithCombo(window, [&](Combo& combo) {
    tracking = combo.tracking;
    combo.tracking = false;
  });
  if (tracking) ReleaseCapture();
}

LRESULT CALLBACK ComboProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT font_answer = 0;
  if (backend::internal::ControlFontMessage(window, message, wParam, lParam, &font_answer)) {
    return font_answer;
  }
  switch (message) {
    case WM_NCCREATE: {
      const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
      Combo combo;
      if (create != nullptr) {
        combo.style = static_cast<DWORD>(create->style);
        combo.parent = create->hwndParent;
      }
      combo.thread = std::this_thread::get_id();
      backend::internal::StatesOf<Combo>().Add(window, combo);
      return TRUE;
    }
    case WM_CREATE: {
      // A drop-down combo box has the height of its text area whatever it is made with.
      const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
      if (create != nullptr && (create->style & 0x3) != kSimple) {
        MoveWindow(window, create->x, create->y, create->cx, kDroppedHeight, FALSE);
      }
      return 0;
    }
    case WM_NCDESTROY:
      backend::internal::StatesOf<Combo>().Remove(window);
      return 0;
    case WM_SETFOCUS: {
      bool was_focused = true;
      WithCombo(window, [&](Combo& combo) { was_focused = combo.focused; });
      if (!was_focused) {
        Notify(window, ParentOf(window), CBN_SETFOCUS);
        WithCombo(window, [](Combo& combo) { combo.focused = true; });
      }
      return 0;
    }
    case WM_KILLFOCUS:
      if (Focused(window)) {
        RollUp(window, false);
        if (!IsWindow(window)) return 0;
        WithCombo(window, [](Combo& combo) { combo.focused = false; });
        Notify(window, ParentOf(window), CBN_KILLFOCUS);
      }
      return 0;
    case WM_LBUTTONDOWN:
      ButtonDown(window);
      return 0;
    case WM_LBUTTONUP:
      ButtonUp(window);
      return 0;
    case WM_KEYDOWN: {
      bool dropped = false;
      WithCombo(window, [&](Combo& combo) { dropped = combo.dropped; });
      if ((wParam == VK_RETURN || wParam == VK_ESCAPE) && dropped) {
        RollUp(window, wParam == VK_RETURN);
      } else if (wParam == VK_F4) {
        if (dropped) {
          RollUp(window, true);
        } else {
          DropDown(window);
        }
      }
      return 0;
    }
    case CB_SHOWDROPDOWN: {
      bool dropped = false;
      WithCombo(window, [&](Combo& combo) { dropped = combo.dropped; });
      if (wParam != 0 && !dropped) DropDown(window);
      if (wParam == 0 && dropped) RollUp(window, false);
      return TRUE;
    }
    default:
      break;
  }
  LRESULT result = 0;
  bool answered = false;
  WithCombo(window, [&](Combo& combo) {
    answered = AnswerLocked(combo, message, wParam, lParam, &result);
  });
  if (answered) return result;
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

namespace backend::internal {

bool CloseDroppedList() {
  const HWND open = StatesOf<Combo>().Find([](HWND, const Combo& combo) {
    return combo.dropped && combo.thread == std::this_thread::get_id();
  });
  if (open == nullptr || !IsWindow(open)) return false;
  RollUp(open, false);
  return true;
}

bool ChooseFromDroppedList(HWND combo, int index) {
  bool chosen = false;
  WithCombo(combo, [&](Combo& state) {
    if (!state.dropped || index < 0 || index >= static_cast<int>(state.entries.size())) return;
    Select(state, index);
    chosen = true;
  });
  if (!chosen) return false;
  RollUp(combo, true);
  Notify(combo, ParentOf(combo), CBN_SELCHANGE);
  return true;
}

void RegisterComboBoxClass() { RegisterSystemClass("ComboBox", ComboProc); }

}  // namespace backend::internal
