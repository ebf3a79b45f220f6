#include "popups_seen.h"

#include <cstdio>
#include <utility>

#include "platform/escape_bytes.h"

namespace tarnivo {
namespace {

// Submenus nested deeper than this are not searched.
constexpr int kMostDepth = 64;

// A text in a report line: quoted, every byte from 0x80 up escaped too.
std::string Reported(const std::string& text) { return "\"" + EscapeBytes(text, false) + "\""; }

bool ReadEntry(HMENU menu, int position, MenuEntry* entry) {
  const UINT at = static_cast<UINT>(position);
  MENUITEMINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
  if (!GetMenuItemInfoA(menu, at, TRUE, &info)) return false;
  entry->id = info.wID;
  entry->separator = (info.fType & MFT_SEPARATOR) != 0;
  entry->submenu = info.hSubMenu;
  entry->checked = (info.fState & MFS_CHECKED) != 0;
  entry->disabled = (info.fState & (MF_GRAYED | MF_DISABLED)) != 0;
  entry->caption.clear();
  if (info.cch > 0 && !entry->separator) {
    std::vector<char> buffer(info.cch + 1);
    MENUITEMINFOA text{};
    text.cbSize = sizeof text;
    text.fMask = MIIM_STRING;
    text.dwTypeData = buffer.data();
    text.cch = static_cast<UINT>(buffer.size());
    if (GetMenuItemInfoA(menu, at, TRUE, &text)) entry->caption.assign(buffer.data(), text.cch);
  }
  return true;
}

bool CanChoose(HMENU menu, UINT id, int depth) {
  if (depth > kMostDepth) return false;
  const int count = GetMenuItemCount(menu);
  for (int position = 0; position < count; ++position) {
    MenuEntry entry;
    if (!ReadEntry(menu, position, &entry)) continue;
    if (entry.submenu != nullptr) {
      if (CanChoose(entry.submenu, id, depth + 1)) return true;
      continue;
    }
    if (!entry.separator && !entry.disabled && entry.id == id) return true;
  }
  return false;
}

}  // namespace

// --- message boxes ---

std::vector<int> MessageBoxButtons(UINT type) {
  switch (type & MB_TYPEMASK) {
    case MB_OK:
      return {IDOK};
    case MB_OKCANCEL:
      return {IDOK, IDCANCEL};
    case MB_ABORTRETRYIGNORE:
      return {IDABORT, IDRETRY, IDIGNORE};
    case MB_YESNOCANCEL:
      return {IDYES, IDNO, IDCANCEL};
    case MB_YESNO:
      return {IDYES, IDNO};
    case MB_RETRYCANCEL:
      return {IDRETRY, IDCANCEL};
    case MB_CANCELTRYCONTINUE:
      return {IDCANCEL, IDTRYAGAIN, IDCONTINUE};
    default:
      return {};
  }
}

int MessageBoxAnswer(UINT type) {
  const std::vector<int> buttons = MessageBoxButtons(type);
  if (buttons.empty()) return 0;
  const std::size_t preferred = (type & MB_DEFMASK) >> 8;
  return buttons[preferred < buttons.size() ? preferred : 0];
}

std::string MessageBoxLine(const MessageBoxSeen& box) {
  char type[16];
  std::snprintf(type, sizeof type, "0x%X", box.type);
  return "message box " + Reported(box.text) + " title " + Reported(box.caption) + " type " + type +
         " -> " + std::to_string(box.answer);
}

// --- pop-up menus ---

std::vector<MenuEntry> ReadMenu(HMENU menu) {
  std::vector<MenuEntry> entries;
  const int count = GetMenuItemCount(menu);
  for (int position = 0; position < count; ++position) {
    MenuEntry entry;
    if (ReadEntry(menu, position, &entry)) entries.push_back(std::move(entry));
  }
  return entries;
}

std::vector<std::string> MenuCaptions(HMENU menu) {
  std::vector<std::string> captions;
  for (const MenuEntry& entry : ReadMenu(menu))
    captions.push_back(entry.separator ? "-" : entry.caption + (entry.checked ? " [x]" : ""));
  return captions;
}

bool CanChooseCommand(HMENU menu, UINT id) { return CanChoose(menu, id, 0); }

std::string MenuShownLine(int x, int y, const std::vector<std::string>& captions, UINT choice) {
  std::string line = "menu at " + std::to_string(x) + "," + std::to_string(y) + ":";
  for (const std::string& caption : captions)
    line += " " + (caption == "-" ? caption : Reported(caption));
  return line + (choice != 0 ? " -> " + std::to_string(choice) : " -> none");
}

BOOL TrackUnseenMenu(HMENU menu, UINT flags, int x, int y, HWND owner, const MenuChooser& choose,
                     const std::function<void(const std::string&)>& report) {
  if (GetMenuItemCount(menu) < 0) {
    SetLastError(ERROR_INVALID_MENU_HANDLE);
    return FALSE;
  }
  if (owner == nullptr || !IsWindow(owner)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  const bool notify = (flags & TPM_NONOTIFY) == 0;
  if (notify) {
    SendMessageA(owner, WM_ENTERMENULOOP, TRUE, 0);
    SendMessageA(owner, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), 0);
  }
  // The owner may have filled the menu, or destroyed it, while it was being opened. A menu
  // without items does not open.
  if (GetMenuItemCount(menu) <= 0) {
    if (notify) {
      SendMessageA(owner, WM_EXITMENULOOP, TRUE, 0);
      SendMessageA(owner, WM_UNINITMENUPOPUP, reinterpret_cast<WPARAM>(menu), 0);
    }
    return FALSE;
  }

  const std::vector<std::string> captions = MenuCaptions(menu);
  UINT choice = choose ? choose(menu, captions) : 0;
  if (choice != 0 && !CanChooseCommand(menu, choice)) {
    if (report)
      report("menu choice " + std::to_string(choice) +
             " names no item that can be chosen: nothing chosen");
    choice = 0;
  }
  if (report) report(MenuShownLine(x, y, captions, choice));

  if (notify) {
    SendMessageA(owner, WM_UNINITMENUPOPUP, reinterpret_cast<WPARAM>(menu), 0);
    SendMessageA(owner, WM_EXITMENULOOP, TRUE, 0);
  }
  if (flags & TPM_RETURNCMD) return static_cast<BOOL>(choice);
  if (choice != 0) PostMessageA(owner, WM_COMMAND, choice, 0);
  return TRUE;
}

std::string ShellLine(const ShellSeen& call) {
  std::string line =
      "shell " + (call.verb.empty() ? std::string("-") : call.verb) + " " + Reported(call.file);
  if (!call.parameters.empty()) line += " parameters " + Reported(call.parameters);
  return line + " dir " + Reported(call.directory) + " show " + std::to_string(call.show);
}

}  // namespace tarnivo
