#include "ui/dialogs/frm_lang.h"

#include <algorithm>
#include <vector>

#include "store/mod_reg.h"
#include "store/read_ini.h"
#include "store/site_list.h"
#include "ui/dialogs/dialog_tables.h"

namespace tarnivo {

namespace {

constexpr const char* kExtension = "tnk";
constexpr const char* kSuffix = ".tnk";

// The extension of a file name: what follows its last dot, "" without a dot.
std::string ExtensionOf(const std::string& name) {
  const std::size_t dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

// `text` with every ".tnk" taken out, left to right.
std::string WithoutSuffix(const std::string& text) {
  std::string out;
  const std::string suffix = kSuffix;
  std::size_t from = 0;
  for (;;) {
    const std::size_t at = text.find(suffix, from);
    if (at == std::string::npos) break;
    out.append(text, from, at - from);
    from = at + suffix.size();
  }
  out.append(text, from, std::string::npos);
  return out;
}

// The names of the language files in `folder`, in the order the folder lists them.
std::vector<std::string> LanguageNames(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found = {};
  const std::string pattern = folder + "*";
  HANDLE search = FindFirstFileA(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    const std::string name = found.cFileName;
    if (ExtensionOf(name) == kExtension) names.push_back(WithoutSuffix(name));
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return names;
}

}  // namespace

frmLang::frmLang() : forms::Form(dialogs::kLangForm) {}

std::shared_ptr<frmLang>& frmLang::Instance() {
  std::shared_ptr<frmLang>& slot = forms::ThreadInstanceSlot<frmLang>();
  if (!slot) slot = std::make_shared<frmLang>();
  return slot;
}

void frmLang::SetTexts(const std::string& file) {
  try {
    Clear("cmbLang");
  } catch (...) {
  }
  try {
    // Sorted without regard to case, so that the list reads the same whatever order the
    // folder gives.
    std::vector<std::string> names = LanguageNames(Language().LanguageFolder);
    std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
      return FoldCase(a) < FoldCase(b);
    });
    for (const std::string& name : names) AddItem("cmbLang", name);
  } catch (...) {
  }
  try {
    const std::string& current = Language().CurrentLanguage;
    if (current != kNoLanguage)
      SetText("cmbLang", current);
    else
      SetListIndex("cmbLang", -1);
  } catch (...) {
  }
  try {
    std::string caption = ReadIniValue(file, "Slide", "close");
    if (caption.empty()) caption = "CLOSE";
    SetText("cmdsair", caption);
  } catch (...) {
  }
}

void frmLang::Form_Load() {
  try {
    SetTexts(LanguageFile());
  } catch (...) {
  }
  if (hWnd() != nullptr) {
    modSubclass::HookMessage(this, hWnd(), WM_ACTIVATE);
    hooked_ = true;
  }
}

void frmLang::Form_Activate() { SetFocusTo("cmbLang"); }

void frmLang::Form_Unload() {
  if (hooked_ && hWnd() != nullptr) modSubclass::UnhookMessage(this, hWnd(), WM_ACTIVATE);
  hooked_ = false;
}

void frmLang::Click(const std::string& control) {
  if (control == "cmdsair") cmdsair_Click();
}

void frmLang::Cancelled() { Unload(); }

void frmLang::cmdsair_Click() {
  try {
    if (ListIndex("cmbLang") != -1) {
      const std::string language = ListText("cmbLang", ListIndex("cmbLang"));
      ModReg::SetKeyValue(kSettingsKey, "Lang", language, REG_SZ);
      Language().CurrentLanguage = language;
    }
  } catch (...) {
  }
  Unload();
}

LRESULT frmLang::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, bool& Handled) {
  (void)hwnd;
  (void)lParam;
  (void)Handled;
  if (msg == WM_ACTIVATE && LOWORD(wParam) == WA_INACTIVE) Unload();
  return 0;
}

}  // namespace tarnivo
