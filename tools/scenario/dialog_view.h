// The dialog on screen as a user sees it, read through the system on both runners: the
// thread's shown top-level window whose class is a dialog's, its controls found by the names
// of the dialog's table (each a child of its container with the table's control id), and what
// each control shows (its text, its entries, its selection or position, whether it is shown,
// enabled or focused).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/win32.h"
#include "ui/forms/form_layout.h"

namespace scenario {

struct DialogOnScreen {
  const tarnivo::forms::FormLayout* form = nullptr;
  HWND window = nullptr;
};

// The dialog of this thread that is shown: the active window when it is one, else the first
// shown dialog the thread lists; nothing when none is shown.
std::optional<DialogOnScreen> FindDialogOnScreen();

// The control `name` of the dialog's table, or null.
const tarnivo::forms::ControlLayout* DialogControlLayout(const DialogOnScreen& dialog,
                                                         const std::string& name);
// The window of control `name`; null when the table has no such control or it has no window.
HWND DialogControl(const DialogOnScreen& dialog, const std::string& name);
// The name of the control whose window is `window` or holds it; "" for none.
std::string ControlNameOf(const DialogOnScreen& dialog, HWND window);

// The entries of a list or combo box, top to bottom.
std::vector<std::string> Entries(HWND control, tarnivo::forms::ControlKind kind);
// A list's or combo box's selected index (-1: none), a slider's position.
int ValueOf(HWND control, tarnivo::forms::ControlKind kind);

// Asks every dialog this thread shows to close (WM_CLOSE, posted); how many there were.
int CloseDialogs();

}  // namespace scenario
