// What tarnivo.dll asks of user32, comctl32 and the clock, seen from the host: after the DLL is
// loaded its import address table is patched so that the calls the scenario format observes come
// here first.
//
// - MessageBeep: counted, no sound.
// - MessageBoxA: recorded and answered at once with the box's default button (the only one
//   of an MB_OK box); nothing is shown.
// - TrackPopupMenu(Ex): the real menu is read (its captions top to bottom) and the entry the
//   pending choice names is chosen, or none; the owner hears the messages Windows sends
//   around a menu, and the choice comes back as the real function gives it for the flags
//   passed (the answer with TPM_RETURNCMD, else a posted WM_COMMAND). No menu loop runs.
// - ShellExecuteA: recorded and answered as done; no program is started.
// - ShowWindow: a hide of one of the band's toolbars followed by a show is one redraw,
//   unless the host made the calls (HostCall).
// - CreateToolbarEx, LoadIconA, ImageList_Create, ImageList_ReplaceIcon, ImageList_Destroy:
//   which icon resource each image of the toolbars' image lists shows.
// - SetTimer, KillTimer, GetTickCount, GetTickCount64, GetLocalTime, GetSystemTime,
//   GetSystemTimeAsFileTime (and its precise form): answered by the host's virtual clock
//   (virtual_clock.h), which holds the DLL's timers.
// - GetMessageA (the DLL's own loops: a modal dialog's): what waits in the queue first; with
//   nothing waiting, the runner's input wait plays the user's next action.
// Every other call goes to the system unchanged.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <windows.h>

#include "band_checks.h"

namespace host::intercept {

// Patches `module`'s imports. False, with a message, when its image cannot be read or a
// table entry cannot be written.
bool Install(HMODULE module, std::string* error);

// Where the -v lines of what the DLL did go ("beep", "menu at ...", "message box ...",
// "toolbar redrawn"); an empty function drops them.
void SetObserver(std::function<void(const std::string&)> observer);

int Beeps();
int MessageBoxes();
tarnivo::MessageBoxSeen LastMessageBox();
// ShellExecuteA: recorded and answered as started, nothing is run.
int Shells();
tarnivo::ShellSeen LastShell();
int MenusShown();
std::vector<std::string> LastMenu();

// While it lives, the next menu the DLL drops chooses the entry `choice` names (none: the
// menu is dismissed). Chosen() tells whether such an entry was found.
class MenuChoice {
 public:
  explicit MenuChoice(std::optional<scenario::MenuChoice> choice);
  ~MenuChoice();
  MenuChoice(const MenuChoice&) = delete;
  MenuChoice& operator=(const MenuChoice&) = delete;
  bool Chosen() const;
};

// While it lives, the DLL's ShowWindow calls are the host's doing (IDockingWindow::ShowDW):
// they are not the band's redraws.
class HostCall {
 public:
  HostCall();
  ~HostCall();
  HostCall(const HostCall&) = delete;
  HostCall& operator=(const HostCall&) = delete;
};

// Times the band hid and showed the toolbar `toolbar` to repaint it.
int Redraws(HWND toolbar);

// The icon resource ids of the images of `list`, in order: empty for no list, nothing for a
// list the DLL did not make.
std::optional<std::vector<int>> ImageListIcons(HIMAGELIST list);

// True while the window timer `id` that the DLL set on `window` runs: set, not killed, and
// the window still exists.
bool TimerRunning(HWND window, UINT_PTR id);

// The runner's input wait (see scenario::Runner::SetInputWait); empty: none.
void SetInputWait(std::function<bool()> wait);
// True while the input wait runs: the user's action plays inside one of the DLL's loops,
// which takes the input it sends.
bool InInputWait();

}  // namespace host::intercept
