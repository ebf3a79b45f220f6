// The combo box of the Linux back end (class "COMBOBOX", registered when the back end loads):
// a list of entries with item data, a selection, and a text. With CBS_DROPDOWNLIST the text is
// the selected entry's; with an edit field (CBS_DROPDOWN) it is the field's own, which a
// selection replaces. The window name given at creation is not the text, as in Wine.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/linux/backend.h"
#include "platform/linux/backend_internal.h"
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
};

std::mutex g_mutex;
std::map<HWND, Combo>& Combos() {
  static std::map<HWND, Combo> combos;
  return combos;
}

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

LRESULT CALLBACK ComboProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    Combo combo;
    if (create != nullptr) combo.style = static_cast<DWORD>(create->style);
    std::lock_guard<std::mutex> lock(g_mutex);
    Combos()[window] = combo;
    return TRUE;
  }
  if (message == WM_NCDESTROY) {
    std::lock_guard<std::mutex> lock(g_mutex);
    Combos().erase(window);
    return 0;
  }
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    const auto found = Combos().find(window);
    LRESULT result = 0;
    if (found != Combos().end() && AnswerLocked(found->second, message, wParam, lParam, &result))
      return result;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

namespace backend::internal {

void RegisterComboBoxClass() {
  const DWORD error = GetLastError();
  WNDCLASSA wc{};
  wc.lpfnWndProc = ComboProc;
  wc.lpszClassName = "COMBOBOX";
  RegisterClassA(&wc);
  SetLastError(error);
}

}  // namespace backend::internal
