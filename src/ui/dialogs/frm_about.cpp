#include "ui/dialogs/frm_about.h"

#include "ui/dialogs/dialog_tables.h"

namespace tarnivo {

namespace {

// Where the shell starts what it opens: the root of drive C.
constexpr const char* kShellFolder = "C:\\";

}  // namespace

frmAbout::frmAbout() : forms::Form(dialogs::kAboutForm) {}

std::shared_ptr<frmAbout>& frmAbout::Instance() {
  std::shared_ptr<frmAbout>& slot = forms::ThreadInstanceSlot<frmAbout>();
  if (!slot) slot = std::make_shared<frmAbout>();
  return slot;
}

void frmAbout::Form_Load() {
  if (hWnd() != nullptr) {
    modSubclass::HookMessage(this, hWnd(), WM_ACTIVATE);
    hooked_ = true;
  }
}

void frmAbout::Form_Unload() {
  if (hooked_ && hWnd() != nullptr) modSubclass::UnhookMessage(this, hWnd(), WM_ACTIVATE);
  hooked_ = false;
}

void frmAbout::Click(const std::string& control) {
  if (control == "cmdFecha") cmdFecha_Click();
  if (control == "Label1") Label1_Click();
  if (control == "Label2") Label2_Click();
}

void frmAbout::cmdFecha_Click() { Unload(); }

void frmAbout::Label1_Click() {
  // A failing shell is passed over.
  ShellExecuteA(hWnd(), nullptr, kWebSite, nullptr, kShellFolder, SW_SHOWNORMAL);
  Unload();
}

void frmAbout::Label2_Click() {
  const std::string mail = std::string("mailto:") + kMailAddress;
  ShellExecuteA(hWnd(), nullptr, mail.c_str(), nullptr, kShellFolder, SW_SHOWNORMAL);
}

LRESULT frmAbout::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, bool& Handled) {
  (void)hwnd;
  (void)lParam;
  (void)Handled;
  if (msg == WM_ACTIVATE && LOWORD(wParam) == WA_INACTIVE) Unload();
  return 0;
}

}  // namespace tarnivo
