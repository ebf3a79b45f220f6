// The table a form is built from: the form's name, caption and size, and each control with
// its kind, container, place, style, tab order and caption. Places and sizes are in twips
// (1/1440 inch), as the forms give them; the runtime turns them into pixels of the screen.
//
// The tables are plain data. The scenario runners read the same tables to find a dialog on
// screen and its controls by name: a control's window is a child of its container's window
// (the form's, a frame's or a picture box's) with the control id ControlId gives it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace tarnivo::forms {

enum class ControlKind {
  Button,           // a push button ("BUTTON")
  OwnerDrawButton,  // a push button its container draws (BS_OWNERDRAW)
  Label,            // a line of text ("STATIC")
  TextBox,          // a single-line text field ("EDIT")
  List,             // a list box ("LISTBOX")
  ComboBox,         // a drop-down list ("COMBOBOX", CBS_DROPDOWNLIST)
  Frame,            // a container with a caption and an etched border
  PictureBox,       // a plain container
  Slider,           // a trackbar
};

// The keys a button answers besides its own click: Enter (the default button), Esc (the
// cancel button), or both. One default and one cancel button per form at most.
enum class KeyRole { None = 0, Default = 1, Cancel = 2, DefaultAndCancel = 3 };

constexpr bool HasRole(KeyRole role, KeyRole wanted) {
  return (static_cast<int>(role) & static_cast<int>(wanted)) != 0;
}

// A colour of a control left as the system draws it.
inline constexpr std::uint32_t kSystemColor = 0xFFFFFFFFu;

struct ControlLayout {
  const char* name;
  ControlKind kind;
  const char* container;         // the name of a Frame or PictureBox of the form; null: the form
  int left, top, width, height;  // twips, from the container's top-left corner
  std::uint32_t style;           // window style bits of the control's class, added to the kind's
  int tab_index;                 // the place in the tab order, from 0
  const char* caption;           // the text the control starts with
  KeyRole role = KeyRole::None;
  bool visible = true;
  std::uint32_t fore_color = kSystemColor;  // a label's text colour (COLORREF)
  std::uint32_t back_color = kSystemColor;  // a label's background colour (COLORREF)
  bool on_top = false;  // above the controls made before it, whatever its tab order
};

struct FormLayout {
  const char* name;     // the form's name ("frmLang"); its window class is kFormClassPrefix + name
  const char* caption;  // the window's text
  int width, height;    // the client area, twips
  bool title_bar;       // a caption bar with a close box; without it, a thin border only
  const ControlLayout* controls;
  std::size_t control_count;
};

// Every form's window class begins with this.
inline constexpr const char* kFormClassPrefix = "Tarnivo.";

// The id of the control at `index` of its form's table: what GetDlgItem finds it by in its
// container, and what its WM_COMMAND notifications carry. Clear of IDOK and IDCANCEL.
constexpr int ControlId(std::size_t index) { return 100 + static_cast<int>(index); }

// The index of the control named `name` (exactly), or -1.
inline int FindControl(const FormLayout& form, const char* name) {
  for (std::size_t i = 0; i < form.control_count; ++i) {
    if (std::strcmp(form.controls[i].name, name) == 0) return static_cast<int>(i);
  }
  return -1;
}

// The container of control `index`: the index of its frame or picture box, or -1 for the form.
inline int ContainerOf(const FormLayout& form, std::size_t index) {
  const char* container = form.controls[index].container;
  return container == nullptr ? -1 : FindControl(form, container);
}

}  // namespace tarnivo::forms
