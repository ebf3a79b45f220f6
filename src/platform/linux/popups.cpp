// Pop-up menus and message boxes of the Linux back end. Nobody sees them; both are
// recorded for the test bench and reported to the observer.
//
// TrackPopupMenu shows its menu to the chooser the test bench sets
// (backend::SetMenuChooser), whose answer is the user's choice, and returns as soon as the
// chooser has answered. The owner window hears the messages Windows sends around a menu:
// WM_ENTERMENULOOP and WM_INITMENUPOPUP before it opens, WM_UNINITMENUPOPUP and
// WM_EXITMENULOOP after it closes (none of them with TPM_NONOTIFY). A command chosen
// reaches the owner as the answer of TrackPopupMenu with TPM_RETURNCMD, else as a posted
// WM_COMMAND.
//
// MessageBoxA answers at once with the box's default button (the only one of an MB_OK
// box).
#include <cstdio>
#include <functional>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/linux/backend.h"
#include "platform/linux/backend_internal.h"
#include "platform/linux/win32_api.h"
#include "platform/message_box_buttons.h"

namespace {

constexpr int kMostDepth = 64;

using Chooser = std::function<UINT(HMENU, int, int, UINT)>;

constexpr LONG kErrorInvalidMessageBoxStyle = 1438;

struct Shown {
  Chooser chooser;
  std::vector<std::string> last_menu;
  int menus = 0;
  backend::MessageBoxShown last_box;
  int boxes = 0;
};

std::mutex g_mutex;

Shown& State() {
  static auto* state = new Shown;
  return *state;
}

struct Item {
  UINT type = 0;
  UINT state = 0;
  UINT id = 0;
  HMENU submenu = nullptr;
  std::string caption;
};

bool ReadItem(HMENU menu, int position, Item* item) {
  MENUITEMINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
  const UINT at = static_cast<UINT>(position);
  if (!GetMenuItemInfoA(menu, at, TRUE, &info)) return false;
  item->type = info.fType;
  item->state = info.fState;
  item->id = info.wID;
  item->submenu = info.hSubMenu;
  item->caption.clear();
  if (info.cch > 0) {
    std::vector<char> buffer(info.cch + 1);
    info.fMask = MIIM_STRING;
    info.dwTypeData = buffer.data();
    info.cch = static_cast<UINT>(buffer.size());
    if (GetMenuItemInfoA(menu, at, TRUE, &info)) item->caption.assign(buffer.data(), info.cch);
  }
  return true;
}

// The captions as a reader of the menu sees them: "-" for a separator, " [x]" after a
// checked item.
std::vector<std::string> Captions(HMENU menu) {
  std::vector<std::string> captions;
  const int count = GetMenuItemCount(menu);
  for (int position = 0; position < count; ++position) {
    Item item;
    if (!ReadItem(menu, position, &item)) continue;
    if (item.type & MFT_SEPARATOR) {
      captions.push_back("-");
    } else {
      captions.push_back(item.caption + ((item.state & MFS_CHECKED) ? " [x]" : ""));
    }
  }
  return captions;
}

// True when `id` names an item of the menu or its submenus that a user can choose: a
// command item, neither a separator nor grayed nor disabled.
bool CanChoose(HMENU menu, UINT id, int depth) {
  if (depth > kMostDepth) return false;
  const int count = GetMenuItemCount(menu);
  for (int position = 0; position < count; ++position) {
    Item item;
    if (!ReadItem(menu, position, &item)) continue;
    if (item.submenu != nullptr) {
      if (CanChoose(item.submenu, id, depth + 1)) return true;
      continue;
    }
    if ((item.type & MFT_SEPARATOR) || (item.state & (MF_GRAYED | MF_DISABLED))) continue;
    if (item.id == id) return true;
  }
  return false;
}

std::string ShownLine(int x, int y, const std::vector<std::string>& captions, UINT choice) {
  std::string line = "menu at " + std::to_string(x) + "," + std::to_string(y) + ":";
  for (const std::string& caption : captions) {
    line += caption == "-" ? " -" : " \"" + backend::EscapeBytes(caption) + "\"";
  }
  line += choice != 0 ? " -> " + std::to_string(choice) : " -> none";
  return line;
}

}  // namespace

namespace backend {

void SetMenuChooser(std::function<UINT(HMENU menu, int x, int y, UINT flags)> chooser) {
  std::lock_guard<std::mutex> lock(g_mutex);
  State().chooser = std::move(chooser);
}

std::vector<std::string> LastMenuShown() {
  std::lock_guard<std::mutex> lock(g_mutex);
  return State().last_menu;
}

int MenusShown() {
  std::lock_guard<std::mutex> lock(g_mutex);
  return State().menus;
}

int MessageBoxes() {
  std::lock_guard<std::mutex> lock(g_mutex);
  return State().boxes;
}

MessageBoxShown LastMessageBox() {
  std::lock_guard<std::mutex> lock(g_mutex);
  return State().last_box;
}

void ResetShown() {
  std::lock_guard<std::mutex> lock(g_mutex);
  State().last_menu.clear();
  State().menus = 0;
  State().last_box = MessageBoxShown{};
  State().boxes = 0;
}

}  // namespace backend

extern "C" {

BOOL WINAPI TrackPopupMenu(HMENU hMenu, UINT uFlags, int x, int y, int nReserved, HWND hWnd,
                           const RECT* prcRect) {
  (void)nReserved;
  (void)prcRect;
  if (GetMenuItemCount(hMenu) < 0) {
    SetLastError(ERROR_INVALID_MENU_HANDLE);
    return FALSE;
  }
  if (hWnd == nullptr || !IsWindow(hWnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  const bool notify = (uFlags & TPM_NONOTIFY) == 0;
  if (notify) {
    SendMessageA(hWnd, WM_ENTERMENULOOP, TRUE, 0);
    SendMessageA(hWnd, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(hMenu), 0);
  }
  // The owner may have filled the menu, or destroyed it, while it was being opened. A menu
  // without items does not open.
  if (GetMenuItemCount(hMenu) <= 0) {
    if (notify) {
      SendMessageA(hWnd, WM_EXITMENULOOP, TRUE, 0);
      SendMessageA(hWnd, WM_UNINITMENUPOPUP, reinterpret_cast<WPARAM>(hMenu), 0);
    }
    return FALSE;
  }

  std::vector<std::string> captions = Captions(hMenu);
  Chooser chooser;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    State().last_menu = captions;
    ++State().menus;
    chooser = State().chooser;
  }
  UINT choice = chooser ? chooser(hMenu, x, y, uFlags) : 0;
  if (choice != 0 && !CanChoose(hMenu, choice, 0)) {
    backend::internal::Report("menu choice " + std::to_string(choice) +
                              " names no item that can be chosen: nothing chosen");
    choice = 0;
  }
  backend::internal::Report(ShownLine(x, y, captions, choice));

  if (notify) {
    SendMessageA(hWnd, WM_UNINITMENUPOPUP, reinterpret_cast<WPARAM>(hMenu), 0);
    SendMessageA(hWnd, WM_EXITMENULOOP, TRUE, 0);
  }
  if (uFlags & TPM_RETURNCMD) return static_cast<BOOL>(choice);
  if (choice != 0) PostMessageA(hWnd, WM_COMMAND, choice, 0);
  return TRUE;
}

int WINAPI MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType) {
  if (hWnd != nullptr && !IsWindow(hWnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  const std::vector<int> buttons = tarnivo::MessageBoxButtons(uType);
  if (buttons.empty()) {
    SetLastError(kErrorInvalidMessageBoxStyle);
    return 0;
  }
  // A default button past the last one is the first.
  const std::size_t preferred = (uType & MB_DEFMASK) >> 8;
  backend::MessageBoxShown box;
  box.text = lpText != nullptr ? lpText : "";
  box.caption = lpCaption != nullptr ? lpCaption : "Error";
  box.type = uType;
  box.answer = buttons[preferred < buttons.size() ? preferred : 0];
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    State().last_box = box;
    ++State().boxes;
  }
  char type[16];
  std::snprintf(type, sizeof type, "0x%X", uType);
  backend::internal::Report("message box \"" + backend::EscapeBytes(box.text) + "\" title \"" +
                            backend::EscapeBytes(box.caption) + "\" type " + type + " -> " +
                            std::to_string(box.answer));
  return box.answer;
}

}  // extern "C"
