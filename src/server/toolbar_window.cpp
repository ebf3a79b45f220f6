// The band's visible window: a common-controls toolbar with three buttons on the toolbar
// form's window, its icon sets, its buttons' commands and the drop-down menus.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <optional>
#include <string>

#include "platform/win32.h"
#include "server/host.h"
#include "server/mod_trace.h"
#include "server/module.h"
#include "server/toolbar.h"
#include "store/settings.h"
#include "store/site_list.h"
#include "store/text_number.h"
#include "ui/controls/mod_subclass.h"
#include "ui/forms/twips.h"
#include "ui/toolbar/frm_toolbar.h"
#include "ui/toolbar/mod_menu.h"

namespace tarnivo {

namespace {

constexpr DWORD kToolbarStyle = 0x9944;  // transparent, list, flat, tooltips, no divider or resize
constexpr int kMainButton = 1;
constexpr int kCountButton = 2;

// The two icons of an image set, main button first; none for an unknown set.
bool IconSet(std::int32_t id, int& main, int& count) {
  switch (id) {
    case 103:
      main = 103, count = 101;
      return true;
    case 1:
      main = 103, count = 102;
      return true;
    case 2:
      main = 104, count = 105;
      return true;
    default:
      return false;
  }
}

TBBUTTON MakeButton(int bitmap, int command, BYTE state, BYTE style, const wchar_t* text) {
  TBBUTTON button = {};
  button.iBitmap = bitmap;
  button.idCommand = command;
  button.fsState = state;
  button.fsStyle = style;
  button.dwData = 0;
  button.iString = reinterpret_cast<INT_PTR>(text);
  return button;
}

// A position in twips, held within 32 bits.
host::Value Twips(double twips) {
  const double held =
      std::min(std::max(twips, static_cast<double>(std::numeric_limits<std::int32_t>::min())),
               static_cast<double>(std::numeric_limits<std::int32_t>::max()));
  return host::Value::Of(RoundToInt32(held).value_or(0));
}

// Runs one step of a form operation; a step that fails leaves the next ones to run.
template <typename Step>
void Guarded(Step step) {
  try {
    step();
  } catch (...) {
  }
}

}  // namespace

void CToolbar::CreateToolbar() {
  form_window_ = frmToolbar::Instance().hWnd();
  // The structure size is the platform's own (20 bytes on 32-bit Windows, 32 on 64-bit).
  toolbar_window_ = CreateToolbarEx(form_window_, kToolbarStyle, 0, 0, nullptr, 0, nullptr, 0, 16,
                                    16, 16, 16, sizeof(TBBUTTON));
  // A master switch that is not a number leaves the toolbar empty: no images, no buttons,
  // no hooks.
  std::optional<double> enabled = TextAsNumber(Enabled);
  if (!enabled) return;
  AddToolbarIcons(*enabled == 1 ? 103 : 2);
  if (toolbar_window_) {
    SendMessageA(toolbar_window_, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS);
  }
  AddToolbarButtons();
  try {
    if (form_window_) {
      modSubclass::HookMessage(this, form_window_, WM_COMMAND);
      modSubclass::HookMessage(this, form_window_, WM_NOTIFY);
      hooked_window_ = form_window_;
    }
  } catch (...) {
  }
}

void CToolbar::DestroyToolbar() {
  try {
    if (hooked_window_) {
      modSubclass::UnhookMessage(this, hooked_window_, WM_COMMAND);
      modSubclass::UnhookMessage(this, hooked_window_, WM_NOTIFY);
      hooked_window_ = nullptr;
    }
  } catch (...) {
  }
  if (toolbar_window_) DestroyWindow(toolbar_window_);
  toolbar_window_ = nullptr;
  if (image_list_) ImageList_Destroy(image_list_);
  image_list_ = nullptr;
}

void CToolbar::AddToolbarIcons(std::int32_t id) {
  icone_ = id;
  ++image_loads_;
  if (!toolbar_window_) return;
  HIMAGELIST list = ImageList_Create(16, 16, ILC_MASK | ILC_COLOR8, 1, 1);
  int main = 0;
  int count = 0;
  if (list && IconSet(id, main, count)) {
    for (int icon : {main, count}) {
      ImageList_ReplaceIcon(list, -1, LoadIconA(ModuleInstance(), MAKEINTRESOURCEA(icon)));
    }
  }
  SendMessageA(toolbar_window_, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(list));
  // The list it replaces is no longer shown anywhere.
  if (image_list_) ImageList_Destroy(image_list_);
  image_list_ = list;
}

void CToolbar::AddToolbarButtons() {
  buttons_[0] =
      MakeButton(0, kMainButton, TBSTATE_ENABLED, BTNS_DROPDOWN | BTNS_AUTOSIZE, L"&Tarnivo ");
  buttons_[1] = MakeButton(160, 0, TBSTATE_PRESSED, BTNS_AUTOSIZE, nullptr);
  buttons_[2] = MakeButton(1, kCountButton, TBSTATE_ENABLED, BTNS_AUTOSIZE, nullptr);
  if (toolbar_window_) {
    SendMessageA(toolbar_window_, TB_ADDBUTTONSW, 3, reinterpret_cast<LPARAM>(buttons_));
  }
}

std::int16_t CToolbar::ButtonIndex(std::int16_t id) const {
  for (std::int16_t i = 0; i < 3; ++i) {
    if (buttons_[i].idCommand == id) return i;
  }
  return 0;
}

void CToolbar::GetButtonRect(int index, RECT& rect) const {
  rect = RECT{0, 0, 0, 0};
  if (toolbar_window_) {
    SendMessageA(toolbar_window_, TB_GETITEMRECT, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&rect));
  }
}

void CToolbar::RectToScreen(HWND hwnd, RECT& rect) {
  POINT topLeft = {rect.left, rect.top};
  POINT bottomRight = {rect.right, rect.bottom};
  ClientToScreen(hwnd, &topLeft);
  ClientToScreen(hwnd, &bottomRight);
  rect = RECT{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
}

std::int32_t CToolbar::ButtonCount() const {
  if (!toolbar_window_) return 0;
  return static_cast<std::int32_t>(SendMessageA(toolbar_window_, TB_BUTTONCOUNT, 0, 0));
}

void CToolbar::PressButton(std::int32_t index, bool pressed) {
  if (std::abs(index) >= ButtonCount()) return;
  TBBUTTON button = {};
  if (!SendMessageA(toolbar_window_, TB_GETBUTTON, static_cast<WPARAM>(std::abs(index)),
                    reinterpret_cast<LPARAM>(&button))) {
    return;
  }
  SendMessageA(toolbar_window_, TB_PRESSBUTTON, static_cast<WPARAM>(button.idCommand),
               MAKELONG(pressed ? 1 : 0, 0));
}

void CToolbar::HandleButtonCommand(std::int32_t index) {
  if (index > 0 || std::abs(index) >= ButtonCount()) return;
  try {
    if (index == -kMainButton) {
      frmToolbar::Instance().tete_Click();
    } else if (index == -kCountButton) {
      if (Enabled == "0") return;
      const std::int32_t count = ReadBlockedCount();
      if (count <= 0) return;
      const frmToolbar& form = frmToolbar::Instance();
      const std::string text =
          form.TextPopup1 + " " + std::to_string(count) + " " + form.TextPopup2 + "!!";
      MessageBeep(MB_OK);
      MessageBoxA(form_window_, text.c_str(), "Tarnivo", MB_OK | MB_ICONEXCLAMATION);
    }
  } catch (...) {
  }
}

void CToolbar::ShowForm(const host::ObjectPtr& frm) {
  modTrace::Trace("Entered", "CToolbar", "ShowForm");
  const host::ObjectPtr form = frm;  // kept until the dialog has closed
  if (!form) return;

  // The main button's rectangle on the screen; without a toolbar it stays at the screen's
  // top-left corner.
  RECT rect = {0, 0, 0, 0};
  Guarded([&] {
    GetButtonRect(ButtonIndex(kMainButton), rect);
    if (toolbar_window_) RectToScreen(toolbar_window_, rect);
  });
  const forms::TwipsPerPixel twips = forms::ScreenTwipsPerPixel();

  // Under the main button.
  Guarded([&] { form->Put("left", Twips(rect.left * twips.x)); });
  Guarded([&] { form->Put("tOp", Twips(rect.bottom * twips.y)); });

  // A form without a readable name is no dialog of its own kind.
  std::string name;
  Guarded([&] {
    std::string text;
    if (host::GetTextProperty(*form, "Name", &text)) name = FoldCase(text);
  });

  // The level dialog opens at the current level; a level that is no number leaves its
  // slider as the dialog has it.
  if (name == "frmslider") {
    Guarded([&] {
      const std::optional<double> level = TextAsNumber(Shared().BlockLevel);
      if (!level) return;
      const std::optional<std::int32_t> value = RoundToInt32(*level);
      if (!value) return;
      if (host::ObjectPtr slider = host::GetObjectProperty(*form, "Slider1")) {
        slider->Put("value", host::Value::Of(*value));
      }
    });
  }

  // Every other dialog but the language chooser is centred across the screen; a form whose
  // width cannot be read stays under the button.
  if (name != "frmslider" && name != "frmlang") {
    Guarded([&] {
      host::Value width;
      if (!form->Get("Width", &width) || width.kind != host::Value::Kind::Int) return;
      const double screen = GetSystemMetrics(SM_CXSCREEN) * twips.x;
      form->Put("left", Twips((screen - width.number) / 2));
    });
  }

  // Modal: the form's Show returns when the dialog has closed.
  Guarded([&] { form->Call("Show", {host::Value::Of(std::int32_t{1})}, nullptr); });
}

void CToolbar::ButtonDropDown(std::int32_t id) {
  RECT rect = {};
  try {
    GetButtonRect(ButtonIndex(static_cast<std::int16_t>(id)), rect);
    RectToScreen(toolbar_window_, rect);
    PressButton(id, true);
    if (id >= 0) {
      frmToolbar& form = frmToolbar::Instance();
      HMENU menu = nullptr;
      if (id == 0 || id == kMainButton) {
        const std::int32_t count = ReadBlockedCount();
        if (count > 0) {
          form.SetCaption("mnuPops",
                          form.TextPopup1 + " " + std::to_string(count) + " " + form.TextPopup2);
        }
        form.SetCaption("mnuNivel", Shared().BlockLevel == "1" ? form.TextLevel2 : form.TextLevel1);
        Redraw();
        menu = FindSubMenu(form.hWnd(), form.Caption("mnuFile"));
      } else if (id == kCountButton) {
        menu = FindSubMenu(form.hWnd(), form.Caption("mnuSearch"));
      }
      if (menu) {
        RECT none = {0, 0, 0, 0};
        TrackPopupMenu(menu, TPM_VERTICAL, rect.left, rect.bottom, 0, form.hWnd(), &none);
      }
    }
  } catch (...) {
  }
  PressButton(id, false);
}

}  // namespace tarnivo
