// Message boxes and pop-up menus as a reader of the screen sees them: the buttons a box shows
// and the one that answers it at once, the entries of a menu and which of them a user can
// choose, and the one-line reports of both. Used by the Linux back end, which shows them to
// nobody, and by the scenario runners, which watch the real ones.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/win32.h"

namespace tarnivo {

// --- message boxes ---

// A message box as the system was asked for it, and the button that answered it.
struct MessageBoxSeen {
  std::string text;
  std::string caption;  // "Error" when none was given
  UINT type = 0;
  int answer = 0;
};

// The buttons of a message box, left to right; none for a type that has no buttons.
std::vector<int> MessageBoxButtons(UINT type);

// The button a box of `type` is answered with at once: its default button (the first when
// the default names none); 0 for a type that has no buttons.
int MessageBoxAnswer(UINT type);

// `message box "TEXT" title "T" type 0x30 -> 1`
std::string MessageBoxLine(const MessageBoxSeen& box);

// --- the shell ---

// A ShellExecuteA call as the system was asked for it. An empty verb is the default verb.
struct ShellSeen {
  std::string verb;
  std::string file;
  std::string parameters;
  std::string directory;
  int show = 0;
};

// `shell open "FILE" dir "C:\" show 1` (`-` for the default verb).
std::string ShellLine(const ShellSeen& call);

// --- pop-up menus ---

// One entry of a menu, as GetMenuItemInfoA tells it.
struct MenuEntry {
  std::string caption;
  UINT id = 0;
  bool separator = false;
  HMENU submenu = nullptr;
  bool checked = false;
  bool disabled = false;  // grayed or disabled
};
std::vector<MenuEntry> ReadMenu(HMENU menu);

// The captions as a reader of the menu sees them, top to bottom: "-" for a separator,
// " [x]" after a checked entry.
std::vector<std::string> MenuCaptions(HMENU menu);

// True when `id` names an entry of the menu or its submenus that a user can choose: a
// command entry, neither a separator nor grayed nor disabled.
bool CanChooseCommand(HMENU menu, UINT id);

// `menu at X,Y: "A" - "B" -> 1001` (or `-> none`).
std::string MenuShownLine(int x, int y, const std::vector<std::string>& captions, UINT choice);

// TrackPopupMenu for a menu nobody sees: the owner hears the messages the system sends around
// a menu (WM_ENTERMENULOOP and WM_INITMENUPOPUP before it opens, WM_UNINITMENUPOPUP and
// WM_EXITMENULOOP after it closes; none with TPM_NONOTIFY), `choose` is shown the menu and
// its captions and answers the command chosen (0: none), `report` hears the menu's line. A
// choice that names no command a user can choose chooses nothing. The command comes back as
// TrackPopupMenu gives it: the answer with TPM_RETURNCMD, else a posted WM_COMMAND.
using MenuChooser = std::function<UINT(HMENU menu, const std::vector<std::string>& captions)>;
BOOL TrackUnseenMenu(HMENU menu, UINT flags, int x, int y, HWND owner, const MenuChooser& choose,
                     const std::function<void(const std::string&)>& report);

}  // namespace tarnivo
