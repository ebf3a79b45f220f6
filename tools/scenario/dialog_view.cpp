#include "dialog_view.h"

#include <cstring>

#include "ui/dialogs/dialog_tables.h"

namespace scenario {

namespace {

using tarnivo::forms::ControlKind;
using tarnivo::forms::FormLayout;

// The dialog a window of this class name is; null for any other class.
const FormLayout* FormOfClass(const std::string& class_name) {
  const std::string prefix = tarnivo::forms::kFormClassPrefix;
  if (class_name.compare(0, prefix.size(), prefix) != 0) return nullptr;
  const std::string name = class_name.substr(prefix.size());
  for (const FormLayout* form : tarnivo::dialogs::kDialogForms) {
    if (name == form->name) return form;
  }
  return nullptr;
}

std::optional<DialogOnScreen> DialogOf(HWND window) {
  if (window == nullptr || !IsWindowVisible(window)) return std::nullopt;
  char name[256] = {};
  if (GetClassNameA(window, name, sizeof name) <= 0) return std::nullopt;
  const FormLayout* form = FormOfClass(name);
  if (form == nullptr) return std::nullopt;
  return DialogOnScreen{form, window};
}

struct Listing {
  std::vector<HWND> windows;
};

BOOL CALLBACK Collect(HWND window, LPARAM listing) {
  reinterpret_cast<Listing*>(listing)->windows.push_back(window);
  return TRUE;
}

std::vector<DialogOnScreen> ShownDialogs() {
  Listing listing;
  EnumThreadWindows(GetCurrentThreadId(), Collect, reinterpret_cast<LPARAM>(&listing));
  std::vector<DialogOnScreen> dialogs;
  for (HWND window : listing.windows) {
    if (std::optional<DialogOnScreen> dialog = DialogOf(window)) dialogs.push_back(*dialog);
  }
  return dialogs;
}

}  // namespace

std::optional<DialogOnScreen> FindDialogOnScreen() {
  if (std::optional<DialogOnScreen> active = DialogOf(GetActiveWindow())) return active;
  const std::vector<DialogOnScreen> dialogs = ShownDialogs();
  if (dialogs.empty()) return std::nullopt;
  return dialogs.front();
}

const tarnivo::forms::ControlLayout* DialogControlLayout(const DialogOnScreen& dialog,
                                                         const std::string& name) {
  const int index = tarnivo::forms::FindControl(*dialog.form, name.c_str());
  return index < 0 ? nullptr : &dialog.form->controls[index];
}

HWND DialogControl(const DialogOnScreen& dialog, const std::string& name) {
  const int index = tarnivo::forms::FindControl(*dialog.form, name.c_str());
  if (index < 0) return nullptr;
  // The containers from the form down to the control.
  std::vector<std::size_t> path;
  for (int at = index; at >= 0 && path.size() <= dialog.form->control_count;
       at = tarnivo::forms::ContainerOf(*dialog.form, static_cast<std::size_t>(at)))
    path.insert(path.begin(), static_cast<std::size_t>(at));
  HWND window = dialog.window;
  for (std::size_t at : path) {
    window = GetDlgItem(window, tarnivo::forms::ControlId(at));
    if (window == nullptr) return nullptr;
  }
  return window;
}

std::string ControlNameOf(const DialogOnScreen& dialog, HWND window) {
  // The control itself or the nearest one that holds it (a combo box's field, say).
  for (HWND at = window; at != nullptr && at != dialog.window; at = GetParent(at)) {
    for (std::size_t i = 0; i < dialog.form->control_count; ++i) {
      const char* name = dialog.form->controls[i].name;
      if (DialogControl(dialog, name) == at) return name;
    }
  }
  return std::string();
}

std::vector<std::string> Entries(HWND control, ControlKind kind) {
  std::vector<std::string> entries;
  const bool combo = kind == ControlKind::ComboBox;
  if (!combo && kind != ControlKind::List) return entries;
  const LRESULT count = SendMessageA(control, combo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    const LRESULT length =
        SendMessageA(control, combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
    std::string text(length > 0 ? static_cast<std::size_t>(length) + 1 : 1, '\0');
    const LRESULT copied = SendMessageA(control, combo ? CB_GETLBTEXT : LB_GETTEXT,
                                        static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&text[0]));
    text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
    entries.push_back(text);
  }
  return entries;
}

int ValueOf(HWND control, ControlKind kind) {
  switch (kind) {
    case ControlKind::ComboBox:
      return static_cast<int>(SendMessageA(control, CB_GETCURSEL, 0, 0));
    case ControlKind::List:
      return static_cast<int>(SendMessageA(control, LB_GETCURSEL, 0, 0));
    case ControlKind::Slider:
      return static_cast<int>(SendMessageA(control, TBM_GETPOS, 0, 0));
    default:
      return 0;
  }
}

int CloseDialogs() {
  const std::vector<DialogOnScreen> dialogs = ShownDialogs();
  for (const DialogOnScreen& dialog : dialogs) PostMessageA(dialog.window, WM_CLOSE, 0, 0);
  return static_cast<int>(dialogs.size());
}

}  // namespace scenario
