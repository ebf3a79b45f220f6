// The toolbar form's settings synchronisation timer.
#include <string>

#include "store/mod_reg.h"
#include "store/settings.h"
#include "ui/toolbar/frm_toolbar.h"

namespace tarnivo {

namespace {

// The image sets of the main button.
constexpr std::int32_t kImageOn = 103;
constexpr std::int32_t kImageOff = 2;

// A stored text cut to its first character when it is longer ("1" and its NUL is "1").
void CutToFirst(std::string& text) {
  if (text.size() > 1) text.resize(1);
}

}  // namespace

void CALLBACK frmToolbar::SettingsPoll(HWND, UINT, UINT_PTR, DWORD) {
  // The timer belongs to the thread that loaded its form.
  if (frmToolbar* form = Loaded()) form->SettingsTick();
}

void frmToolbar::SettingsTick() {
  ThreadShared& shared = Shared();
  // Every step runs even when an earlier one fails.
  try {
    shared.EnabledSetting = ModReg::QueryValue(kSettingsKey, "processNR");
  } catch (...) {
  }
  try {
    shared.ActiveXFlag = ModReg::QueryValue(kSettingsKey, "processAX");
  } catch (...) {
  }
  try {
    shared.BlockLevel = ModReg::QueryValue(kSettingsKey, "processNL");
  } catch (...) {
  }
  if (shared.EnabledSetting.empty()) {
    // The switch (or the whole key) is gone: blocking on again.
    try {
      ResetDefaults();
    } catch (...) {
    }
    if (m_Toolbar) shared.EnabledSetting = m_Toolbar->Enabled;
  } else {
    CutToFirst(shared.EnabledSetting);
    CutToFirst(shared.BlockLevel);
    CutToFirst(shared.ActiveXFlag);
    try {
      SetChecked("mnuAX", shared.ActiveXFlag == "1");
    } catch (...) {
    }
    try {
      if (shared.EnabledSetting == "1") {
        SetTimerEnabled(3, shared.ActiveXFlag == "1");
      } else {
        SetTimerEnabled(3, false);
        SetChecked("mnuAX", false);
      }
    } catch (...) {
    }
    // Nothing more while the band agrees with the stored switch: no flicker. Without a band
    // there is nothing to compare, and the steps that follow run as far as they can.
    if (m_Toolbar && m_Toolbar->Enabled == shared.EnabledSetting) return;
    if (m_Toolbar) m_Toolbar->Enabled = shared.EnabledSetting;
  }
  const bool on = shared.EnabledSetting == "1";
  if (!on && shared.EnabledSetting != "0") return;
  try {
    if (m_Toolbar) m_Toolbar->SetIcone(on ? kImageOn : kImageOff);
  } catch (...) {
  }
  try {
    if (m_Toolbar) m_Toolbar->Redraw();
  } catch (...) {
  }
  try {
    SetCaption("tete", on ? TextNActivate : TextActivate);
  } catch (...) {
  }
}

void frmToolbar::ResetDefaults() {
  ModReg::CreateNewKey(kSettingsKey, HKEY_LOCAL_MACHINE);
  ModReg::SetKeyValue(kSettingsKey, "processNR", std::string("1"), REG_SZ);
  ModReg::SetKeyValue(kSettingsKey, "processAX", std::string("1"), REG_SZ);
  if (m_Toolbar) m_Toolbar->Enabled = "1";
}

}  // namespace tarnivo
