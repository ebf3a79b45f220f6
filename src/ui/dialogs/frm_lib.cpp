#include "ui/dialogs/frm_lib.h"

#include "engine/normalize_domain.h"
#include "server/host.h"
#include "store/read_ini.h"
#include "store/site_list.h"
#include "store/site_list_file.h"
#include "ui/dialogs/dialog_tables.h"
#include "ui/toolbar/frm_toolbar.h"

namespace tarnivo {

namespace {

// Capital letters of the Western ANSI code page.
std::string UpperCase(std::string text) {
  for (char& c : text) {
    const auto b = static_cast<unsigned char>(c);
    if ((b >= 'a' && b <= 'z') || (b >= 0xE0 && b <= 0xFE && b != 0xF7)) {
      c = static_cast<char>(b - 0x20);
    } else if (b == 0x9A || b == 0x9C || b == 0x9E) {  // s caron, oe, z caron
      c = static_cast<char>(b - 0x10);
    } else if (b == 0xFF) {  // y diaeresis
      c = static_cast<char>(0x9F);
    }
  }
  return text;
}

// `text` with every "www." taken out, left to right.
std::string WithoutWww(const std::string& text) {
  std::string out;
  std::size_t from = 0;
  for (std::size_t at; (at = text.find("www.", from)) != std::string::npos; from = at + 4)
    out.append(text, from, at - from);
  out.append(text, from, std::string::npos);
  return out;
}

// Adds `entry` to the allowed sites and the list file, unless an entry begins with it.
void AllowUnlessCovered(const std::string& entry) {
  if (AllowedSites().FindString(entry) < 0) AppendSiteEntry(entry);
}

}  // namespace

frmLib::frmLib() : forms::Form(dialogs::kLibForm) {}

std::shared_ptr<frmLib>& frmLib::Instance() {
  std::shared_ptr<frmLib>& slot = forms::ThreadInstanceSlot<frmLib>();
  if (!slot) slot = std::make_shared<frmLib>();
  return slot;
}

void frmLib::SetTexts(const std::string& file) {
  struct Text {
    const char* key;
    std::string* text;
  };
  for (const Text& text : {Text{"only", &only_}, Text{"all", &all_}, Text{"cancel", &cancel_}}) {
    try {
      *text.text = ReadIniValue(file, "fallow", text.key);
      if (text.text->empty()) *text.text = EnglishText("fallow", text.key);
    } catch (...) {
    }
  }
}

void frmLib::Form_Load() {
  if (hWnd() != nullptr) {
    modSubclass::HookMessage(this, hWnd(), WM_ACTIVATE);
    hooked_ = true;
  }
  try {
    SetTexts(LanguageFile());
  } catch (...) {
  }
}

void frmLib::Form_Unload() {
  if (hooked_ && hWnd() != nullptr) modSubclass::UnhookMessage(this, hWnd(), WM_ACTIVATE);
  hooked_ = false;
}

void frmLib::Form_Activate() {
  try {
    const host::BrowserPtr& browser = frmToolbar::Instance().m_IE;
    if (host::ObjectPtr document = browser ? browser->Document() : nullptr) {
      std::string domain;
      if (host::GetTextProperty(*document, "domain", &domain)) domain_ = domain;
    }
  } catch (...) {
  }
  const std::string domain = domain_.value_or(std::string());
  try {
    SetText("cmdSub", only_ + " " + UpperCase(domain));
    SetText("cmdTod", all_ + " *." + UpperCase(NormalizeDomain(domain)));
    SetText("cmdCanc", cancel_);
  } catch (...) {
  }
}

void frmLib::Click(const std::string& control) {
  if (control == "cmdSub") cmdSub_Click();
  if (control == "cmdTod") cmdTod_Click();
  if (control == "cmdCanc") cmdCanc_Click();
}

void frmLib::cmdSub_Click() {
  try {
    const std::string domain = domain_.value_or(std::string());
    if (!domain.empty()) AllowUnlessCovered(WithoutWww(domain));
  } catch (...) {
  }
  Hide();
}

void frmLib::cmdTod_Click() {
  try {
    const std::string normalized = NormalizeDomain(domain_.value_or(std::string()));
    if (!normalized.empty()) AllowUnlessCovered("*." + normalized);
  } catch (...) {
  }
  Hide();
}

void frmLib::cmdCanc_Click() { Hide(); }

LRESULT frmLib::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, bool& Handled) {
  (void)hwnd;
  (void)lParam;
  (void)Handled;
  // A click elsewhere; the deactivation that follows the dialog's own hiding leaves it
  // loaded, hidden until its next use.
  if (msg == WM_ACTIVATE && LOWORD(wParam) == WA_INACTIVE && !Hiding()) Unload();
  return 0;
}

}  // namespace tarnivo
