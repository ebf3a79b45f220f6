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
#include "platform/popups_seen.h"

namespace {

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

  std::vector<std::string> captions = tarnivo::MenuCaptions(hMenu);
  Chooser chooser;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    State().last_menu = captions;
    ++State().menus;
    chooser = State().chooser;
  }
  UINT choice = chooser ? chooser(hMenu, x, y, uFlags) : 0;
  if (choice != 0 && !tarnivo::CanChooseCommand(hMenu, choice)) {
    backend::internal::Report("menu choice " + std::to_string(choice) +
                              " names no item that can be chosen: nothing chosen");
    choice = 0;
  }
  backend::internal::Report(tarnivo::MenuShownLine(x, y, captions, choice));

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
  backend::MessageBoxShown box;
  box.answer = tarnivo::MessageBoxAnswer(uType);
  if (box.answer == 0) {
    SetLastError(kErrorInvalidMessageBoxStyle);
    return 0;
  }
  box.text = lpText != nullptr ? lpText : "";
  box.caption = lpCaption != nullptr ? lpCaption : "Error";
  box.type = uType;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    State().last_box = box;
    ++State().boxes;
  }
  backend::internal::Report(tarnivo::MessageBoxLine(box));
  return box.answer;
}

}  // extern "C"
