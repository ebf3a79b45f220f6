// The list box of the Linux back end (class "ListBox", registered when the back end loads), as
// Wine's user32 list box behaves with a single selection (see win32_api.h for the contract).
//
// The list keeps, beside its entries and the selection, a caret (the entry keys move from), a
// top index (the first entry in view), the page (whole entries in view) and the room it has
// reserved for entries, which LB_INITSTORAGE answers: it grows to the next multiple of 16
// entries when an entry does not fit, and shrinks back when more than 32 places stand empty.
// While WM_SETREDRAW has turned drawing off, a change the list would have drawn is remembered;
// turning drawing on again then brings the top index back so that the last page is full.
//
// Notifications go to the window that was the list's parent when it was made.
#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/linux/control_states.h"
#include "platform/linux/backend.h"
#include "platform/linux/backend_internal.h"
#include "platform/linux/win32_api.h"

namespace {

constexpr LONG kItemHeight = 16;
constexpr UINT kStorageStep = 16;
constexpr UINT kMostStorage = 0x10000000;
constexpr UINT kTrackPoint = 0x0131;  // WM_LBTRACKPOINT: where a press on an entry landed

struct Entry {
  std::string text;
  LPARAM data = 0;
};

struct ListBox {
  DWORD style = 0;
  DWORD ex_style = 0;
  HWND owner = nullptr;
  // Each entry apart, so that an entry inserted into a long list moves pointers only.
  std::vector<std::unique_ptr<Entry>> entries;
  int selected = -1;
  int caret = 0;
  int top = 0;
  UINT storage = 0;
  LONG width = 0;   // of the area the entries are laid out in
  LONG height = 0;  // ditto
  int page = 1;
  bool focused = false;
  bool captured = false;
  bool drawing = true;
  bool display_changed = false;
};

// What a change asks the list to tell its owner afterwards, without the lock held.
using Codes = std::vector<int>;

// Runs `change` on the list's state under the lock; false when it has none.
template <typename Change>
bool WithList(HWND window, Change change) {
  return backend::internal::StatesOf<ListBox>().With(window, change);
}

int Count(const ListBox& list) { return static_cast<int>(list.entries.size()); }

Entry& At(const ListBox& list, int index) { return *list.entries[static_cast<std::size_t>(index)]; }

bool Valid(const ListBox& list, int index) { return index >= 0 && index < Count(list); }

// The pixels a border and a client edge take on each side of the list.
LONG Edge(const ListBox& list) {
  return ((list.style & WS_BORDER) != 0 ? 1 : 0) +
         ((list.ex_style & WS_EX_CLIENTEDGE) != 0 ? 2 : 0);
}

// The rectangle of an entry, whether or not it is in view; true when some of it is.
bool ItemRect(const ListBox& list, int index, RECT* rect) {
  const std::int64_t top = (static_cast<std::int64_t>(index) - list.top) * kItemHeight;
  *rect = RECT{0, static_cast<LONG>(top), list.width, static_cast<LONG>(top + kItemHeight)};
  return rect->left < list.width && rect->right > 0 && rect->top < list.height && rect->bottom > 0;
}

// The entry under a point of the client area: the top one above it, none below the last.
int ItemFromPoint(const ListBox& list, LONG y) {
  if (list.entries.empty()) return -1;
  const std::int64_t index = static_cast<std::int64_t>(list.top) + y / kItemHeight;
  if (index < 0) return 0;
  if (index >= Count(list)) return -1;
  return static_cast<int>(index);
}

void SetTop(ListBox& list, int index) {
  const int most = std::max(0, Count(list) - list.page);
  list.top = std::max(0, std::min(index, most));
}

// Scrolls an entry into view, wholly or at least partly.
void MakeVisible(ListBox& list, int index, bool fully) {
  int top = index;
  if (index > list.top) {
    if (index < list.top + list.page) return;
    if (!fully && index == list.top + list.page && list.height > list.page * kItemHeight) return;
    top = index - list.page + 1;
  }
  SetTop(list, top);
}

// A change the list would draw: remembered while drawing is off.
void Drawn(ListBox& list, bool shown) {
  if (shown && !list.drawing) list.display_changed = true;
}

// A change to the entries from `index` down.
void EntriesChanged(ListBox& list, int index) {
  RECT rect{};
  if (!list.drawing && ItemRect(list, index, &rect)) list.display_changed = true;
}

bool SetCaret(ListBox& list, int index, bool fully) {
  if (!Valid(list, index)) return false;
  if (index == list.caret) return true;
  list.caret = index;
  MakeVisible(list, index, fully);
  return true;
}

LRESULT SetSelection(ListBox& list, int index, bool shown) {
  if (index < -1 || index >= Count(list)) return LB_ERR;
  if (index == list.selected) return LB_OKAY;
  list.selected = index;
  Drawn(list, shown);
  return LB_OKAY;
}

// The caret moves to an entry, which becomes the selection.
void MoveCaret(ListBox& list, int index, bool fully, bool shown) {
  if (!Valid(list, index)) return;
  SetSelection(list, index, shown);
  list.caret = index;
  MakeVisible(list, index, fully);
}

// Makes room for `count` entries; false (LBN_ERRSPACE) when that is more than the list takes.
bool Reserve(ListBox& list, UINT count, Codes* codes) {
  if (count > list.storage || count + 2 * kStorageStep < list.storage) {
    const UINT rounded = (count + kStorageStep - 1) & ~(kStorageStep - 1);
    if (rounded > kMostStorage) {
      codes->push_back(LBN_ERRSPACE);
      return false;
    }
    list.storage = rounded;
  }
  return true;
}

LRESULT Insert(ListBox& list, int index, const char* text, Codes* codes) {
  if (index == -1) index = Count(list);
  if (index < 0 || index > Count(list)) return LB_ERR;
  if (!Reserve(list, static_cast<UINT>(Count(list)) + 1, codes)) return LB_ERRSPACE;
  auto entry = std::make_unique<Entry>();
  entry->text = text != nullptr ? text : "";
  list.entries.insert(list.entries.begin() + index, std::move(entry));
  EntriesChanged(list, index);
  if (Count(list) == 1) {
    SetCaret(list, 0, false);
  } else if (index <= list.selected) {
    ++list.selected;
  }
  return index;
}

LRESULT Remove(ListBox& list, int index, Codes* codes) {
  if (!Valid(list, index)) {
    SetLastError(static_cast<DWORD>(ERROR_INVALID_INDEX));
    return LB_ERR;
  }
  EntriesChanged(list, index);
  list.entries.erase(list.entries.begin() + index);
  Reserve(list, static_cast<UINT>(Count(list)), codes);
  if (Count(list) == list.page) SetTop(list, 0);
  if (index == list.selected) {
    list.selected = -1;
  } else if (index < list.selected) {
    --list.selected;
  }
  if (list.caret >= Count(list)) list.caret = std::max(0, Count(list) - 1);
  return Count(list);
}

bool SamePrefix(const std::string& entry, std::size_t from, const std::string& text) {
  if (entry.size() - from < text.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (backend::internal::LowerLetter(entry[from + i]) != backend::internal::LowerLetter(text[i]))
      return false;
  }
  return true;
}

bool Matches(const std::string& entry, const std::string& text, bool exact) {
  if (exact) return backend::internal::CompareAnsiIgnoringCase(text, entry) == 0;
  if (SamePrefix(entry, 0, text)) return true;
  // Folder and drive names ("[name]", "[-c-]") match without their brackets.
  if (entry.empty() || entry[0] != '[') return false;
  if (SamePrefix(entry, 1, text)) return true;
  return entry.size() > 1 && entry[1] == '-' && SamePrefix(entry, 2, text);
}

// The first entry after `start` that begins with (or is) `text`, going round; -1 when none.
int Find(const ListBox& list, WPARAM start, const char* text, bool exact) {
  if (text == nullptr || *text == '\0') return -1;
  const std::string wanted = text;
  const int count = Count(list);
  int first = static_cast<int>(static_cast<INT_PTR>(start));
  if (first >= count || first < -1) first = -1;
  for (int i = first + 1; i < count; ++i) {
    if (Matches(At(list, i).text, wanted, exact)) return i;
  }
  for (int i = 0; i <= first; ++i) {
    if (Matches(At(list, i).text, wanted, exact)) return i;
  }
  return -1;
}

// Where a sorted list places a new entry: at an equal entry, else before the first greater
// one, as a binary search finds them.
int SortedPlace(const ListBox& list, const char* text) {
  if ((list.style & LBS_SORT) == 0) return -1;
  const std::string wanted = text != nullptr ? text : "";
  int low = 0;
  int high = Count(list);
  while (low != high) {
    const int middle = (low + high) / 2;
    const int order = backend::internal::CompareAnsiIgnoringCase(wanted, At(list, middle).text);
    if (order == 0) return middle;
    if (order < 0) {
      high = middle;
    } else {
      low = middle + 1;
    }
  }
  return high;
}

LRESULT CopyText(const std::string& text, LPARAM out) {
  char* buffer = reinterpret_cast<char*>(out);
  if (buffer == nullptr) return LB_ERR;
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  return static_cast<LRESULT>(text.size());
}

void ApplySize(ListBox& list, LONG client_width, LONG client_height) {
  const LONG edge = Edge(list);
  list.width = std::max<LONG>(0, client_width - 2 * edge);
  list.height = std::max<LONG>(0, client_height - 2 * edge);
  const int page = std::max<int>(1, static_cast<int>(list.height / kItemHeight));
  if (page != list.page) {
    list.page = page;
    SetTop(list, list.top);
  }
}

// The answer to a message that only reads or changes the list's state; false for others.
bool AnswerLocked(ListBox& list, UINT message, WPARAM wParam, LPARAM lParam, bool shown,
                  Codes* codes, LRESULT* result) {
  const int index = static_cast<int>(static_cast<INT_PTR>(wParam));
  const char* text = reinterpret_cast<const char*>(lParam);
  switch (message) {
    case LB_ADDSTRING:
      *result = Insert(list, SortedPlace(list, text), text, codes);
      return true;
    case LB_INSERTSTRING:
      *result = Insert(list, index, text, codes);
      return true;
    case LB_DELETESTRING:
      *result = Remove(list, index, codes);
      return true;
    case LB_RESETCONTENT:
      list.entries.clear();
      list.entries.shrink_to_fit();
      list.top = 0;
      list.selected = -1;
      list.caret = 0;
      list.storage = 0;
      *result = 0;
      return true;
    case LB_GETCOUNT:
      *result = Count(list);
      return true;
    case LB_GETCURSEL:
      *result = list.entries.empty() ? LB_ERR : list.selected;
      return true;
    case LB_SETCURSEL: {
      SetCaret(list, index, true);
      const LRESULT done = SetSelection(list, index, shown);
      *result = done == LB_ERR ? LB_ERR : list.selected;
      return true;
    }
    case LB_GETTEXT:
    case LB_GETTEXTLEN:
      if (!Valid(list, index)) {
        SetLastError(static_cast<DWORD>(ERROR_INVALID_INDEX));
        *result = LB_ERR;
        return true;
      }
      *result = message == LB_GETTEXT ? CopyText(At(list, index).text, lParam)
                                      : static_cast<LRESULT>(At(list, index).text.size());
      return true;
    case LB_GETITEMDATA:
    case LB_SETITEMDATA:
      if (!Valid(list, index)) {
        SetLastError(static_cast<DWORD>(ERROR_INVALID_INDEX));
        *result = LB_ERR;
        return true;
      }
      if (message == LB_GETITEMDATA) {
        *result = At(list, index).data;
      } else {
        At(list, index).data = lParam;
        *result = TRUE;
      }
      return true;
    case LB_FINDSTRING:
    case LB_FINDSTRINGEXACT:
      *result = Find(list, wParam, text, message == LB_FINDSTRINGEXACT);
      return true;
    case LB_SELECTSTRING: {
      const int found = Find(list, wParam, text, false);
      if (found >= 0) MoveCaret(list, found, true, shown);
      *result = found;
      return true;
    }
    case LB_GETTOPINDEX:
      *result = list.top;
      return true;
    case LB_SETTOPINDEX:
      SetTop(list, index);
      *result = LB_OKAY;
      return true;
    case LB_GETITEMHEIGHT:
      *result = kItemHeight;
      return true;
    case LB_GETITEMRECT: {
      auto* rect = reinterpret_cast<RECT*>(lParam);
      if (rect == nullptr) {
        *result = LB_ERR;
        return true;
      }
      // An index at or below 0 has a place even in an empty list.
      if (index != 0 && index >= Count(list)) {
        *rect = RECT{};
        SetLastError(static_cast<DWORD>(ERROR_INVALID_INDEX));
        *result = LB_ERR;
        return true;
      }
      *result = ItemRect(list, index, rect) ? 1 : 0;
      return true;
    }
    case LB_INITSTORAGE: {
      const UINT wanted =
          static_cast<UINT>(Count(list)) + static_cast<UINT>(static_cast<INT>(wParam));
      if (wanted > list.storage && !Reserve(list, wanted, codes)) {
        *result = LB_ERRSPACE;
        return true;
      }
      *result = static_cast<LRESULT>(list.storage);
      return true;
    }
    case WM_SETREDRAW:
      if (wParam == 0) {
        list.drawing = false;
      } else if (!list.drawing) {
        list.drawing = true;
        if (list.display_changed) {
          if (list.top + list.page > Count(list)) list.top = std::max(0, Count(list) - list.page);
          list.display_changed = false;
        }
      }
      *result = 0;
      return true;
    case WM_GETDLGCODE:
      *result = DLGC_WANTARROWS | DLGC_WANTCHARS;
      return true;
    case WM_ENABLE:
      *result = 0;
      return true;
    default:
      return false;
  }
}

// The caret a navigation key moves to, or -1 for a key that moves nothing.
int KeyTarget(const ListBox& list, WPARAM key) {
  int caret = -1;
  // A list with no entry selected at its caret selects the caret's entry first.
  bool caret_first = list.selected != list.caret;
  switch (key) {
    case VK_LEFT:
    case VK_UP:
      caret = std::max(0, list.caret - 1);
      break;
    case VK_RIGHT:
    case VK_DOWN:
      caret = std::min(list.caret + 1, Count(list) - 1);
      break;
    case VK_PRIOR:
      caret = std::max(0, list.caret - list.page + 1);
      break;
    case VK_NEXT:
      caret = std::min(list.caret + list.page - 1, Count(list) - 1);
      break;
    case VK_HOME:
      caret = 0;
      break;
    case VK_END:
      caret = Count(list) - 1;
      break;
    case VK_SPACE:
      break;
    default:
      caret_first = false;
      break;
  }
  return caret_first ? list.caret : caret;
}

HWND OwnerOf(HWND window) {
  HWND owner = nullptr;
  WithList(window, [&](ListBox& list) { owner = list.owner; });
  return owner;
}

void Notify(HWND window, const Codes& codes) {
  if (codes.empty()) return;
  const HWND owner = OwnerOf(window);
  if (owner == nullptr) return;
  const auto id = static_cast<WORD>(GetWindowLongPtrA(window, GWLP_ID));
  for (int code : codes) {
    if (!IsWindow(window)) return;
    SendMessageA(owner, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(window));
  }
}

// LBN_SELCHANGE after a key or character moved the selection, for an LBS_NOTIFY list with
// entries.
Codes SelectionChanged(const ListBox& list) {
  if ((list.style & LBS_NOTIFY) != 0 && !list.entries.empty()) return Codes{LBN_SELCHANGE};
  return {};
}

void KeyDown(HWND window, WPARAM key) {
  const bool shown = IsWindowVisible(window) != FALSE;
  Codes codes;
  WithList(window, [&](ListBox& list) {
    const int caret = KeyTarget(list, key);
    if (caret < 0) return;
    MoveCaret(list, caret, true, shown);
    codes = SelectionChanged(list);
  });
  Notify(window, codes);
}

void Character(HWND window, WPARAM character) {
  const bool shown = IsWindowVisible(window) != FALSE;
  Codes codes;
  WithList(window, [&](ListBox& list) {
    const char typed[2] = {static_cast<char>(character & 0xFF), '\0'};
    const int found = Find(list, static_cast<WPARAM>(list.caret), typed, false);
    if (found < 0) return;
    if (list.selected == -1) SetSelection(list, found, shown);
    MoveCaret(list, found, true, shown);
    codes = SelectionChanged(list);
  });
  Notify(window, codes);
}

void ButtonDown(HWND window, LPARAM lParam) {
  const LONG x = static_cast<SHORT>(LOWORD(lParam));
  const LONG y = static_cast<SHORT>(HIWORD(lParam));
  int index = -1;
  bool focused = false;
  DWORD style = 0;
  if (!WithList(window, [&](ListBox& list) {
        index = ItemFromPoint(list, y);
        focused = list.focused;
        style = list.style;
      }))
    return;
  if (!focused) SetFocus(window);
  if (index == -1 || !IsWindow(window)) return;
  if ((style & LBS_NOTIFY) != 0) {
    if (HWND owner = OwnerOf(window)) {
      SendMessageA(owner, kTrackPoint, static_cast<WPARAM>(index), MAKELPARAM(x, y));
    }
  }
  if (!WithList(window, [](ListBox& list) { list.captured = true; })) return;
  SetCapture(window);
  const bool shown = IsWindowVisible(window) != FALSE;
  WithList(window, [&](ListBox& list) { MoveCaret(list, index, false, shown); });
}

void ButtonUp(HWND window) {
  bool was_captured = false;
  Codes codes;
  WithList(window, [&](ListBox& list) {
    was_captured = list.captured;
    list.captured = false;
    if (was_captured) codes = SelectionChanged(list);
  });
  if (!was_captured) return;
  if (GetCapture() == window) ReleaseCapture();
  Notify(window, codes);
}

// The mouse moves with the button held: the selection follows it, one entry past either end.
void MouseMove(HWND window, LPARAM lParam) {
  if (GetCapture() != window) return;
  const LONG y = static_cast<SHORT>(HIWORD(lParam));
  const bool shown = IsWindowVisible(window) != FALSE;
  WithList(window, [&](ListBox& list) {
    if (!list.captured) return;
    int index = ItemFromPoint(list, y);
    if (index == -1) index = list.caret;
    if (y < 0) {
      index = list.top > 0 ? list.top - 1 : 0;
    } else if (y >= list.height) {
      index = list.top + list.page;
      if (index == list.caret) ++index;
      if (index >= Count(list)) index = Count(list) - 1;
    }
    if (index != list.caret) MoveCaret(list, index, false, shown);
  });
}

// Makes the list whole entries high, unless LBS_NOINTEGRALHEIGHT; then takes its new size.
void Resized(HWND window) {
  RECT client{};
  GetClientRect(window, &client);
  LONG remaining = 0;
  WithList(window, [&](ListBox& list) {
    if ((list.style & LBS_NOINTEGRALHEIGHT) != 0) return;
    const LONG height = client.bottom - 2 * Edge(list);
    if (height > kItemHeight) remaining = height % kItemHeight;
  });
  if (remaining != 0) {
    RECT rect{};
    GetWindowRect(window, &rect);
    POINT corner{rect.left, rect.top};
    if ((static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE)) & WS_CHILD) != 0) {
      ScreenToClient(GetParent(window), &corner);
    }
    MoveWindow(window, corner.x, corner.y, rect.right - rect.left,
               rect.bottom - rect.top - remaining, TRUE);
    return;
  }
  WithList(window, [&](ListBox& list) { ApplySize(list, client.right, client.bottom); });
}

LRESULT CALLBACK ListBoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE: {
      const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
      ListBox list;
      if (create != nullptr) {
        list.style = static_cast<DWORD>(create->style);
        list.ex_style = create->dwExStyle;
      }
      list.owner = GetParent(window);
      RECT client{};
      GetClientRect(window, &client);
      ApplySize(list, client.right, client.bottom);
      backend::internal::StatesOf<ListBox>().Add(window, std::move(list));
      return 0;
    }
    case WM_NCDESTROY:
      backend::internal::StatesOf<ListBox>().Remove(window);
      return DefWindowProcA(window, message, wParam, lParam);
    case WM_SIZE:
      Resized(window);
      return 0;
    case WM_SETFOCUS:
      if (WithList(window, [](ListBox& list) { list.focused = true; }))
        Notify(window, {LBN_SETFOCUS});
      return 0;
    case WM_KILLFOCUS:
      // A press held on an entry ends as a release there would.
      ButtonUp(window);
      if (WithList(window, [](ListBox& list) { list.focused = false; }))
        Notify(window, {LBN_KILLFOCUS});
      return 0;
    case WM_LBUTTONDOWN:
      ButtonDown(window, lParam);
      return 0;
    case WM_LBUTTONUP:
      ButtonUp(window);
      return 0;
    case WM_LBUTTONDBLCLK: {
      Codes codes;
      WithList(window, [&](ListBox& list) {
        if ((list.style & LBS_NOTIFY) != 0) codes.push_back(LBN_DBLCLK);
      });
      Notify(window, codes);
      return 0;
    }
    case WM_MOUSEMOVE:
      MouseMove(window, lParam);
      return 0;
    case WM_KEYDOWN:
      KeyDown(window, wParam);
      return 0;
    case WM_CHAR:
      Character(window, wParam);
      return 0;
    default:
      break;
  }
  const bool shown = IsWindowVisible(window) != FALSE;
  Codes codes;
  LRESULT result = 0;
  bool answered = false;
  WithList(window, [&](ListBox& list) {
    answered = AnswerLocked(list, message, wParam, lParam, shown, &codes, &result);
  });
  Notify(window, codes);
  if (answered) return result;
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

namespace backend::internal {

void RegisterListBoxClass() { RegisterSystemClass("ListBox", ListBoxProc); }

}  // namespace backend::internal

namespace backend {

bool UserPickListEntry(HWND list, int index) {
  if (index < 0 || index >= SendMessageA(list, LB_GETCOUNT, 0, 0)) return false;
  bool known = false;
  LONG height = 0;
  WithList(list, [&](ListBox& state) {
    known = true;
    height = state.height;
  });
  if (!known) return false;
  RECT item{};
  const LRESULT in_view = SendMessageA(list, LB_GETITEMRECT, static_cast<WPARAM>(index),
                                       reinterpret_cast<LPARAM>(&item));
  if (in_view != 1 || item.top < 0 || item.bottom > height) {
    SendMessageA(list, LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
    SendMessageA(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
  }
  POINT point{(item.left + item.right) / 2, (item.top + item.bottom) / 2};
  ClientToScreen(list, &point);
  LRESULT hit = HTNOWHERE;
  if (internal::HitWindow(point, &hit) != list || hit == HTERROR) return false;
  UserClick(point);
  return true;
}

}  // namespace backend
