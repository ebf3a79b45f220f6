// The common controls of the Linux back end: the toolbar control (class "ToolbarWindow32",
// registered when the back end loads), CreateToolbarEx and InitCommonControlsEx.
//
// A toolbar keeps its buttons as TB_ADDBUTTONS gave them, with a copy of each text, and
// lays them out from its left edge, 22 pixels high (see win32_api.h for the widths). It
// answers the messages the band sends it, and the left mouse button: a press on a
// drop-down arrow sends TBN_DROPDOWN to the parent at once; a press and release on
// another enabled button sends WM_COMMAND (the command id in the low word of wParam, the
// toolbar in lParam). The parent is the window the toolbar was made in.
#include <algorithm>
#include <cstdint>
#include <cwchar>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/linux/backend.h"
#include "platform/linux/backend_internal.h"
#include "platform/linux/win32_api.h"

namespace {

constexpr LONG kButtonHeight = 22;
constexpr LONG kButtonPadding = 8;
constexpr LONG kTextGap = 4;
constexpr LONG kCharacterWidth = 8;
constexpr LONG kArrowWidth = 14;
constexpr LONG kSeparatorWidth = 8;
constexpr int kDefaultBitmapWidth = 16;
constexpr int kDefaultBitmapHeight = 15;
constexpr int kDefaultButtonWidth = 24;
constexpr int kDefaultButtonHeight = 22;
constexpr int kCreatedWidth = 100;
constexpr int kCreatedHeight = 30;
constexpr INT_PTR kNoString = -1;
constexpr INT_PTR kLastStringIndex = 0xFFFF;

struct Button {
  TBBUTTON data{};                     // iString: the copy's address when there is a text
  std::unique_ptr<std::wstring> text;  // the copy, which TB_GETBUTTON hands out
};

struct Toolbar {
  HWND parent = nullptr;
  UINT_PTR id = 0;
  UINT struct_size = sizeof(TBBUTTON);
  int bitmap_width = kDefaultBitmapWidth;
  int bitmap_height = kDefaultBitmapHeight;
  int button_width = kDefaultButtonWidth;
  int button_height = kDefaultButtonHeight;
  DWORD ex_style = 0;
  HIMAGELIST images = nullptr;
  std::vector<Button> buttons;
  int held = -1;  // the button the left mouse button went down on
};

// Where a button is: its rectangle and where its drop-down arrow part begins (its right
// edge when the arrow is not drawn apart).
struct Place {
  RECT rect{};
  LONG arrow_left = 0;
};

std::mutex g_mutex;

std::map<std::uintptr_t, Toolbar>& Toolbars() {
  static auto* toolbars = new std::map<std::uintptr_t, Toolbar>;
  return *toolbars;
}

Toolbar* FindLocked(HWND window) {
  auto it = Toolbars().find(reinterpret_cast<std::uintptr_t>(window));
  return it == Toolbars().end() ? nullptr : &it->second;
}

bool HasText(const TBBUTTON& button) {
  return button.iString > kLastStringIndex || button.iString < kNoString;
}

// The characters a text shows: an "&" marks the next character as the mnemonic and shows
// nothing, "&&" shows one "&".
LONG ShownCharacters(const std::wstring& text, bool prefixes) {
  LONG count = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (prefixes && text[i] == L'&') {
      if (i + 1 < text.size() && text[i + 1] == L'&') {
        ++count;
        ++i;
      }
      continue;
    }
    ++count;
  }
  return count;
}

bool ArrowApart(const Toolbar& toolbar, const TBBUTTON& button) {
  if (button.fsStyle & BTNS_WHOLEDROPDOWN) return true;
  return (button.fsStyle & BTNS_DROPDOWN) && (toolbar.ex_style & TBSTYLE_EX_DRAWDDARROWS);
}

std::vector<Place> LayoutLocked(const Toolbar& toolbar) {
  std::vector<Place> places;
  LONG x = 0;
  for (const Button& button : toolbar.buttons) {
    const TBBUTTON& data = button.data;
    LONG width = 0;
    LONG arrow = 0;
    if (data.fsState & TBSTATE_HIDDEN) {
      width = 0;
    } else if (data.fsStyle & BTNS_SEP) {
      width = data.iBitmap > 0 ? std::min<LONG>(data.iBitmap, 0x7FFF) : kSeparatorWidth;
    } else {
      width = toolbar.bitmap_width + kButtonPadding;
      if (button.text != nullptr && !button.text->empty()) {
        const bool prefixes = (data.fsStyle & BTNS_NOPREFIX) == 0;
        width += kTextGap + kCharacterWidth * ShownCharacters(*button.text, prefixes);
      }
      if (ArrowApart(toolbar, data)) arrow = kArrowWidth;
      width += arrow;
    }
    Place place;
    place.rect = RECT{x, 0, x + width, kButtonHeight};
    place.arrow_left = x + width - arrow;
    places.push_back(place);
    x += width;
  }
  return places;
}

int IndexOfLocked(const Toolbar& toolbar, WPARAM command) {
  for (std::size_t i = 0; i < toolbar.buttons.size(); ++i) {
    if (static_cast<WPARAM>(static_cast<UINT>(toolbar.buttons[i].data.idCommand)) ==
        static_cast<WPARAM>(static_cast<UINT>(command))) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

LRESULT AddButtonsLocked(Toolbar& toolbar, WPARAM count, LPARAM array, bool wide) {
  const auto* buttons = reinterpret_cast<const TBBUTTON*>(array);
  if (buttons == nullptr && count != 0) return FALSE;
  for (WPARAM i = 0; i < count; ++i) {
    Button button;
    button.data = buttons[i];
    if (HasText(button.data)) {
      if (wide) {
        button.text = std::make_unique<std::wstring>(reinterpret_cast<LPCWSTR>(buttons[i].iString));
      } else {
        const std::string bytes = reinterpret_cast<LPCSTR>(buttons[i].iString);
        button.text = std::make_unique<std::wstring>();
        for (char c : bytes) button.text->push_back(static_cast<wchar_t>(static_cast<BYTE>(c)));
      }
      button.data.iString = reinterpret_cast<INT_PTR>(button.text->c_str());
    }
    toolbar.buttons.push_back(std::move(button));
  }
  return TRUE;
}

// The messages that read or change the toolbar without telling anyone. False for a
// message it does not handle.
bool AnswerLocked(Toolbar& toolbar, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  *result = 0;
  switch (message) {
    case TB_BUTTONSTRUCTSIZE:
      toolbar.struct_size = static_cast<UINT>(wParam);
      return true;
    case TB_SETBITMAPSIZE:
      toolbar.bitmap_width = LOWORD(lParam);
      toolbar.bitmap_height = HIWORD(lParam);
      *result = TRUE;
      return true;
    case TB_SETBUTTONSIZE:
      toolbar.button_width = LOWORD(lParam);
      toolbar.button_height = HIWORD(lParam);
      *result = TRUE;
      return true;
    case TB_ADDBUTTONSW:
    case TB_ADDBUTTONSA:
      *result = AddButtonsLocked(toolbar, wParam, lParam, message == TB_ADDBUTTONSW);
      return true;
    case TB_ADDBITMAP:
      *result = -1;  // no bitmaps are kept
      return true;
    case TB_BUTTONCOUNT:
      *result = static_cast<LRESULT>(toolbar.buttons.size());
      return true;
    case TB_COMMANDTOINDEX:
      *result = IndexOfLocked(toolbar, wParam);
      return true;
    case TB_GETBUTTON: {
      auto* out = reinterpret_cast<TBBUTTON*>(lParam);
      if (out == nullptr || wParam >= toolbar.buttons.size()) return true;
      const TBBUTTON& data = toolbar.buttons[wParam].data;
      out->iBitmap = data.iBitmap;
      out->idCommand = data.idCommand;
      out->fsState = data.fsState;
      out->fsStyle = data.fsStyle;
      out->dwData = data.dwData;
      out->iString = data.iString;
      *result = TRUE;
      return true;
    }
    case TB_GETITEMRECT: {
      auto* out = reinterpret_cast<RECT*>(lParam);
      if (out == nullptr || wParam >= toolbar.buttons.size()) return true;
      *out = LayoutLocked(toolbar)[wParam].rect;
      *result = TRUE;
      return true;
    }
    case TB_PRESSBUTTON:
    case TB_ENABLEBUTTON: {
      const int index = IndexOfLocked(toolbar, wParam);
      if (index < 0) return true;
      const BYTE bit = message == TB_PRESSBUTTON ? TBSTATE_PRESSED : TBSTATE_ENABLED;
      BYTE& state = toolbar.buttons[static_cast<std::size_t>(index)].data.fsState;
      state = static_cast<BYTE>(LOWORD(lParam) != 0 ? state | bit : state & ~bit);
      *result = TRUE;
      return true;
    }
    case TB_SETSTATE: {
      const int index = IndexOfLocked(toolbar, wParam);
      if (index < 0) return true;
      toolbar.buttons[static_cast<std::size_t>(index)].data.fsState =
          static_cast<BYTE>(LOWORD(lParam));
      *result = TRUE;
      return true;
    }
    case TB_GETSTATE:
    case TB_ISBUTTONPRESSED:
    case TB_ISBUTTONENABLED: {
      const int index = IndexOfLocked(toolbar, wParam);
      if (index < 0) {
        *result = -1;
        return true;
      }
      const BYTE state = toolbar.buttons[static_cast<std::size_t>(index)].data.fsState;
      if (message == TB_GETSTATE) *result = state;
      if (message == TB_ISBUTTONPRESSED) *result = state & TBSTATE_PRESSED;
      if (message == TB_ISBUTTONENABLED) *result = state & TBSTATE_ENABLED;
      return true;
    }
    case TB_SETIMAGELIST:
      *result = reinterpret_cast<LRESULT>(toolbar.images);
      toolbar.images = reinterpret_cast<HIMAGELIST>(lParam);
      return true;
    case TB_GETIMAGELIST:
      *result = reinterpret_cast<LRESULT>(toolbar.images);
      return true;
    case TB_SETEXTENDEDSTYLE: {
      const DWORD previous = toolbar.ex_style;
      const DWORD mask = static_cast<DWORD>(wParam);
      const auto style = static_cast<DWORD>(lParam);
      toolbar.ex_style = mask != 0 ? (previous & ~mask) | (style & mask) : style;
      *result = previous;
      return true;
    }
    case TB_GETEXTENDEDSTYLE:
      *result = toolbar.ex_style;
      return true;
    case TB_AUTOSIZE:
      return true;
    default:
      return false;
  }
}

// The button under a point of the toolbar, or -1; separators and hidden buttons are not
// buttons there.
int HitLocked(const Toolbar& toolbar, POINT point, Place* place) {
  const std::vector<Place> places = LayoutLocked(toolbar);
  for (std::size_t i = 0; i < places.size(); ++i) {
    const RECT& rect = places[i].rect;
    const TBBUTTON& data = toolbar.buttons[i].data;
    if ((data.fsStyle & BTNS_SEP) || (data.fsState & TBSTATE_HIDDEN)) continue;
    if (point.x >= rect.left && point.x < rect.right && point.y >= rect.top &&
        point.y < rect.bottom) {
      *place = places[i];
      return static_cast<int>(i);
    }
  }
  return -1;
}

POINT PointOf(LPARAM lParam) {
  return POINT{static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam))};
}

LRESULT ButtonDown(HWND window, LPARAM lParam) {
  const POINT point = PointOf(lParam);
  NMTOOLBARW notice{};
  HWND parent = nullptr;
  bool whole_drop_down = false;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    Toolbar* toolbar = FindLocked(window);
    if (toolbar == nullptr) return 0;
    Place place;
    const int index = HitLocked(*toolbar, point, &place);
    if (index < 0) return 0;
    Button& button = toolbar->buttons[static_cast<std::size_t>(index)];
    if ((button.data.fsState & TBSTATE_ENABLED) == 0) return 0;
    whole_drop_down = (button.data.fsStyle & BTNS_WHOLEDROPDOWN) != 0;
    const bool drop_down = (button.data.fsStyle & BTNS_DROPDOWN) || whole_drop_down;
    const bool on_arrow =
        whole_drop_down || !ArrowApart(*toolbar, button.data) || point.x >= place.arrow_left;
    if (!drop_down || !on_arrow) {
      button.data.fsState |= TBSTATE_PRESSED;
      toolbar->held = index;
      return 0;
    }
    parent = toolbar->parent;
    notice.hdr.hwndFrom = window;
    notice.hdr.idFrom = toolbar->id;
    notice.hdr.code = TBN_DROPDOWN;
    notice.iItem = button.data.idCommand;
    notice.tbButton = button.data;
    notice.rcButton = place.rect;
    // A button that is all arrow looks pressed while its menu is down.
    if (whole_drop_down) button.data.fsState |= TBSTATE_PRESSED;
  }
  const LRESULT answer =
      SendMessageA(parent, WM_NOTIFY, notice.hdr.idFrom, reinterpret_cast<LPARAM>(&notice));
  std::lock_guard<std::mutex> lock(g_mutex);
  Toolbar* toolbar = FindLocked(window);
  if (toolbar == nullptr) return 0;
  const int index = IndexOfLocked(*toolbar, static_cast<WPARAM>(notice.iItem));
  if (index < 0) return 0;
  Button& button = toolbar->buttons[static_cast<std::size_t>(index)];
  if (answer == TBDDRET_TREATPRESSED) {
    // The parent wants it handled as a press of the button itself.
    button.data.fsState |= TBSTATE_PRESSED;
    toolbar->held = index;
  } else if (whole_drop_down) {
    button.data.fsState &= static_cast<BYTE>(~TBSTATE_PRESSED);
  }
  return 0;
}

LRESULT ButtonUp(HWND window, LPARAM lParam) {
  const POINT point = PointOf(lParam);
  HWND parent = nullptr;
  int command = 0;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    Toolbar* toolbar = FindLocked(window);
    if (toolbar == nullptr || toolbar->held < 0) return 0;
    const int held = toolbar->held;
    toolbar->held = -1;
    if (static_cast<std::size_t>(held) >= toolbar->buttons.size()) return 0;
    Button& button = toolbar->buttons[static_cast<std::size_t>(held)];
    button.data.fsState &= static_cast<BYTE>(~TBSTATE_PRESSED);
    Place place;
    // Released off the button: no command.
    if (HitLocked(*toolbar, point, &place) != held) return 0;
    if (button.data.fsStyle & BTNS_CHECK) button.data.fsState ^= TBSTATE_CHECKED;
    parent = toolbar->parent;
    command = button.data.idCommand;
  }
  SendMessageA(parent, WM_COMMAND, MAKEWPARAM(command, 0), reinterpret_cast<LPARAM>(window));
  return 0;
}

// Drops what is kept of toolbars whose windows went without WM_NCDESTROY (with their
// thread).
void ForgetLostToolbars() {
  std::vector<std::uintptr_t> keys;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    for (const auto& entry : Toolbars()) keys.push_back(entry.first);
  }
  std::vector<std::uintptr_t> lost;
  for (std::uintptr_t key : keys) {
    if (!IsWindow(reinterpret_cast<HWND>(key))) lost.push_back(key);
  }
  std::lock_guard<std::mutex> lock(g_mutex);
  for (std::uintptr_t key : lost) Toolbars().erase(key);
}

LRESULT CALLBACK ToolbarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCCREATE: {
      ForgetLostToolbars();
      const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
      Toolbar toolbar;
      if (create != nullptr) {
        toolbar.parent = create->hwndParent;
        toolbar.id = reinterpret_cast<UINT_PTR>(create->hMenu);
      }
      {
        std::lock_guard<std::mutex> lock(g_mutex);
        Toolbars()[reinterpret_cast<std::uintptr_t>(window)] = std::move(toolbar);
      }
      return DefWindowProcA(window, message, wParam, lParam);
    }
    case WM_NCDESTROY: {
      {
        std::lock_guard<std::mutex> lock(g_mutex);
        Toolbars().erase(reinterpret_cast<std::uintptr_t>(window));
      }
      return DefWindowProcA(window, message, wParam, lParam);
    }
    case WM_LBUTTONDOWN:
      return ButtonDown(window, lParam);
    case WM_LBUTTONUP:
      return ButtonUp(window, lParam);
    default:
      break;
  }
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    Toolbar* toolbar = FindLocked(window);
    LRESULT result = 0;
    if (toolbar != nullptr && AnswerLocked(*toolbar, message, wParam, lParam, &result)) {
      return result;
    }
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

// Registers the toolbar class unless it is there; the caller's last error stays.
void RegisterToolbarClass() {
  backend::internal::RegisterSystemClass(TOOLBARCLASSNAMEA, ToolbarProc);
}

// The toolbar class is there from the start, as comctl32's classes are for a program
// that links it, and so are user32's standard controls.
const bool g_registered = (backend::internal::EnsureStandardClasses(), true);

// Presses and releases the left mouse button at a point of the toolbar, as a user would.
void Click(HWND toolbar, POINT point) {
  POINT screen = point;
  ClientToScreen(toolbar, &screen);
  SetCursorPos(screen.x, screen.y);
  const LPARAM at = MAKELPARAM(point.x, point.y);
  backend::PressKey(VK_LBUTTON);
  SendMessageA(toolbar, WM_LBUTTONDOWN, MK_LBUTTON, at);
  backend::ReleaseKey(VK_LBUTTON);
  SendMessageA(toolbar, WM_LBUTTONUP, 0, at);
}

// Where to click button `command`: on its face, or on its drop-down arrow.
bool ClickPoint(HWND window, int command, bool arrow, POINT* point) {
  std::lock_guard<std::mutex> lock(g_mutex);
  Toolbar* toolbar = FindLocked(window);
  if (toolbar == nullptr) return false;
  const int index = IndexOfLocked(*toolbar, static_cast<WPARAM>(static_cast<UINT>(command)));
  if (index < 0) return false;
  const TBBUTTON& data = toolbar->buttons[static_cast<std::size_t>(index)].data;
  if ((data.fsStyle & BTNS_SEP) || (data.fsState & TBSTATE_HIDDEN)) return false;
  const Place place = LayoutLocked(*toolbar)[static_cast<std::size_t>(index)];
  const bool apart = ArrowApart(*toolbar, data) && (data.fsStyle & BTNS_WHOLEDROPDOWN) == 0;
  LONG left = place.rect.left;
  LONG right = place.rect.right;
  if (arrow) {
    if ((data.fsStyle & (BTNS_DROPDOWN | BTNS_WHOLEDROPDOWN)) == 0) return false;
    if (apart) left = place.arrow_left;
  } else if (apart) {
    right = place.arrow_left;
  }
  *point = POINT{(left + right) / 2, (place.rect.top + place.rect.bottom) / 2};
  return true;
}

}  // namespace

namespace backend::internal {

void RegisterSystemClass(const char* name, WNDPROC proc) {
  const DWORD error = GetLastError();
  WNDCLASSA wc{};
  wc.lpfnWndProc = proc;
  wc.lpszClassName = name;
  RegisterClassA(&wc);
  SetLastError(error);
}

void EnsureStandardClasses() {
  static std::once_flag once;
  std::call_once(once, [] {
    RegisterToolbarClass();
    RegisterComboBoxClass();
    RegisterButtonClass();
    RegisterEditClass();
    RegisterStaticClass();
    RegisterListBoxClass();
    RegisterTrackbarClass();
  });
}

}  // namespace backend::internal

namespace backend {

bool ClickToolbarButton(HWND toolbar, int commandId) {
  POINT point{};
  if (!ClickPoint(toolbar, commandId, false, &point)) return false;
  Click(toolbar, point);
  return true;
}

bool ClickToolbarArrow(HWND toolbar, int commandId) {
  POINT point{};
  if (!ClickPoint(toolbar, commandId, true, &point)) return false;
  Click(toolbar, point);
  return true;
}

}  // namespace backend

extern "C" {

BOOL WINAPI InitCommonControlsEx(const INITCOMMONCONTROLSEX* picce) {
  if (picce == nullptr || picce->dwSize != sizeof(INITCOMMONCONTROLSEX)) return FALSE;
  RegisterToolbarClass();
  backend::internal::RegisterTrackbarClass();
  return TRUE;
}

HWND WINAPI CreateToolbarEx(HWND hwnd, DWORD ws, UINT wID, int nBitmaps, HINSTANCE hBMInst,
                            UINT_PTR wBMID, LPCTBBUTTON lpButtons, int iNumButtons, int dxButton,
                            int dyButton, int dxBitmap, int dyBitmap, UINT uStructSize) {
  // Bitmaps are not kept.
  (void)nBitmaps;
  (void)hBMInst;
  (void)wBMID;
  RegisterToolbarClass();
  HWND toolbar = CreateWindowExA(
      0, TOOLBARCLASSNAMEA, nullptr, ws | WS_CHILD, 0, 0, kCreatedWidth, kCreatedHeight, hwnd,
      reinterpret_cast<HMENU>(static_cast<UINT_PTR>(wID)), nullptr, nullptr);
  if (toolbar == nullptr) return nullptr;
  SendMessageA(toolbar, TB_BUTTONSTRUCTSIZE, uStructSize, 0);
  if (dxBitmap > 0 && dyBitmap > 0) {
    SendMessageA(toolbar, TB_SETBITMAPSIZE, 0, MAKELPARAM(dxBitmap, dyBitmap));
  }
  if (dxButton > 0 && dyButton > 0) {
    SendMessageA(toolbar, TB_SETBUTTONSIZE, 0, MAKELPARAM(dxButton, dyButton));
  }
  if (lpButtons != nullptr && iNumButtons > 0) {
    SendMessageA(toolbar, TB_ADDBUTTONSW, static_cast<WPARAM>(iNumButtons),
                 reinterpret_cast<LPARAM>(lpButtons));
  }
  return toolbar;
}

}  // extern "C"
