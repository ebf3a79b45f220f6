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
#include <functional>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/linux/backend.h"
#include "platform/linux/backend_internal.h"
#include "platform/linux/win32_api.h"
#include "popups_seen.h"

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
  return tarnivo::TrackUnseenMenu(
      hMenu, uFlags, x, y, hWnd,
      [&](HMENU menu, const std::vector<std::string>& captions) -> UINT {
        Chooser chooser;
        {
          std::lock_guard<std::mutex> lock(g_mutex);
          State().last_menu = captions;
          ++State().menus;
          chooser = State().chooser;
        }
        return chooser ? chooser(menu, x, y, uFlags) : 0;
      },
      backend::internal::Report);
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
