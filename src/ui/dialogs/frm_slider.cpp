#include "ui/dialogs/frm_slider.h"

#include "store/mod_reg.h"
#include "store/read_ini.h"
#include "store/settings.h"
#include "ui/dialogs/dialog_tables.h"
#include "ui/forms/twips.h"
#include "ui/toolbar/frm_toolbar.h"

namespace tarnivo {

frmSlider::frmSlider() : forms::Form(dialogs::kSliderForm) {}

std::shared_ptr<frmSlider>& frmSlider::Instance() {
  std::shared_ptr<frmSlider>& slot = forms::ThreadInstanceSlot<frmSlider>();
  if (!slot) slot = std::make_shared<frmSlider>();
  return slot;
}

void frmSlider::SetTexts(const std::string& file) {
  std::string caption = ReadIniValue(file, "Slide", "close");
  if (caption.empty()) caption = "CLOSE";
  SetText("cmdsair", caption);
}

void frmSlider::Form_Load() {
  HWND slider = Item("Slider1");
  // Two positions: the first level at the left end, the second at the right.
  if (slider != nullptr) SendMessageA(slider, TBM_SETRANGE, FALSE, MAKELPARAM(0, 1));
  try {
    SetTexts(LanguageFile());
  } catch (...) {
  }
  try {
    const frmToolbar& toolbar = frmToolbar::Instance();
    SetText("Label1", toolbar.TextLevel1);
    SetText("Label2", toolbar.TextLevel2);
  } catch (...) {
  }
  if (slider != nullptr) {
    SendMessageA(slider, TBM_SETTOOLTIPS, 0, 0);
    SendMessageA(slider, WM_KILLFOCUS, 0, 0);
  }
  if (hWnd() != nullptr) {
    modSubclass::HookMessage(this, hWnd(), WM_ACTIVATE);
    hooked_ = true;
  }
}

void frmSlider::Form_Unload() {
  if (hooked_ && hWnd() != nullptr) modSubclass::UnhookMessage(this, hWnd(), WM_ACTIVATE);
  hooked_ = false;
}

void frmSlider::Click(const std::string& control) {
  if (control == "cmdsair") cmdsair_Click();
}

void frmSlider::cmdsair_Click() {
  try {
    const std::string value = std::to_string(Value("Slider1"));
    ModReg::SetKeyValue("software\\Tarnivo", "processNL", value, REG_SZ);
    Shared().BlockLevel = value;
  } catch (...) {
  }
  Unload();
}

void frmSlider::GotFocus(const std::string& control) {
  if (control != "Slider1") return;
  HWND slider = Item("Slider1");
  if (slider == nullptr) return;
  const forms::ControlLayout& layout = dialogs::kSliderControls[0];
  const forms::TwipsPerPixel scale = forms::ScreenTwipsPerPixel();
  const RECT mark = {0, 0, forms::TwipsToPixelsX(layout.width, scale),
                     forms::TwipsToPixelsY(layout.height, scale)};
  if (HDC dc = GetDC(slider)) {
    DrawFocusRect(dc, &mark);
    ReleaseDC(slider, dc);
  }
}

LRESULT frmSlider::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, bool& Handled) {
  (void)hwnd;
  (void)lParam;
  (void)Handled;
  if (msg == WM_ACTIVATE && LOWORD(wParam) == WA_INACTIVE) Unload();
  return 0;
}

}  // namespace tarnivo
