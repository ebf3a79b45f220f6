#include "ui/toolbar/frm_toolbar.h"

#include <memory>

#include "engine/activex_screen.h"
#include "platform/module.h"
#include "store/mod_reg.h"
#include "store/read_ini.h"
#include "store/settings.h"
#include "store/site_list.h"
#include "store/site_list_file.h"
#include "ui/dialogs/frm_about.h"
#include "ui/dialogs/frm_lang.h"
#include "ui/dialogs/frm_lib.h"
#include "ui/dialogs/frm_site.h"
#include "ui/dialogs/frm_slider.h"
#include "ui/toolbar/scroll_lock.h"

namespace tarnivo {

namespace {

constexpr const char* kFormClass = "TarnivoToolbarForm";
constexpr UINT kTimerIntervals[frmToolbar::kTimerCount] = {20, 1100, 500};
constexpr UINT kSettingsInterval = 200;
// The tick handler of each watch timer.
void (frmToolbar::*const kTimerTicks[frmToolbar::kTimerCount])() = {
    &frmToolbar::Timer1_Timer, &frmToolbar::Timer2_Timer, &frmToolbar::Timer3_Timer};

thread_local std::unique_ptr<frmToolbar> g_form;
thread_local bool g_loaded = false;

// The search engines of the Search menu: caption and URL template.
struct SearchEngine {
  const char* name;
  const char* caption;
  const char* tag;
};
constexpr SearchEngine kSearchEngines[] = {
    {"mnuSite(0)", "&1 google.com", "http://www.google.com/search?q=<searchstring>"},
    {"mnuSite(1)", "&2 groups.google.com", "http://groups.google.com/groups?q=<searchstring>"},
};

void RegisterFormClass() {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = frmToolbar::WindowProc;
  wc.hInstance = ModuleInstance();
  wc.lpszClassName = kFormClass;
  RegisterClassA(&wc);  // already registered by another thread: fine
}

}  // namespace

frmToolbar& frmToolbar::Instance() {
  if (!g_form) g_form = std::make_unique<frmToolbar>();
  return *g_form;
}

frmToolbar* frmToolbar::Loaded() { return g_loaded ? g_form.get() : nullptr; }

void frmToolbar::Unload() {
  if (!g_loaded || !g_form) return;
  frmToolbar& form = *g_form;
  if (form.settings_timer_ != 0) KillTimer(nullptr, form.settings_timer_);
  form.settings_timer_ = 0;
  form.m_Toolbar = nullptr;
  g_loaded = false;
  // Its menu bar and its timer controls, with their timers, go with it.
  if (form.window_) DestroyWindow(form.window_);
  // A DLL's window classes outlive it unless removed; another thread's form may still use
  // the class, and then it stays.
  UnregisterClassA(kFormClass, ModuleInstance());
  TimerControl::UnregisterWindowClass();
  ReleaseShellLibrary();
  // The object stays: a handler of the form may still be on the stack (a tick that let
  // messages through); it finds a form without browser, band, window or menus.
  form = frmToolbar();
}

void frmToolbar::Init(host::BrowserPtr Ie, ToolbarBand* Toolbar) {
  m_IE = std::move(Ie);
  m_Toolbar = Toolbar;
  if (!g_loaded) Load();
  SetUpSearchEntries();
}

void frmToolbar::Load() {
  g_loaded = true;
  RegisterFormClass();
  window_ = CreateWindowExA(WS_EX_TOOLWINDOW, kFormClass, "frmToolbar", WS_POPUP, 0, 0, 0, 0,
                            nullptr, nullptr, ModuleInstance(), nullptr);
  for (int timer = 1; timer <= kTimerCount; ++timer) {
    auto tick = kTimerTicks[timer - 1];
    timers_[timer - 1] = std::make_unique<TimerControl>(window_, "Timer" + std::to_string(timer),
                                                        kTimerIntervals[timer - 1],
                                                        [this, tick] { (this->*tick)(); });
  }
  BuildMenus();
  BuildSearchBox();
  ThreadShared& shared = Shared();
  // Every step runs even when an earlier one fails.
  try {
    ResolveLanguage();
  } catch (...) {
  }
  try {
    SetTexts(LanguageFile());
  } catch (...) {
  }
  settings_timer_ = SetTimer(nullptr, 0, kSettingsInterval, SettingsPoll);
  try {
    SetCaption("mnuNivel", shared.BlockLevel == "1" ? TextLevel2 : TextLevel1);
    if (m_Toolbar) m_Toolbar->Redraw();
  } catch (...) {
  }
  try {
    SetChecked("mnuAX", shared.ActiveXFlag == "1");
  } catch (...) {
  }
  try {
    // The list editors, which show the two lists, come into being; the lists are filled
    // afresh: a form loaded again on this thread must not add the file's entries a second
    // time.
    frmSite::Instance()->Load();
    frmSiteAX::Instance()->Load();
    if (!SiteListExists(SiteListFile())) SaveSiteLists();
    AllowedSites().Clear();
    BlockedActiveX().Clear();
    LoadSiteLists();
  } catch (...) {
  }
  try {
    if (ScrollLockIsOn()) ScrollLockOff(false);
  } catch (...) {
  }
  try {
    BuildActiveXPatterns();
  } catch (...) {
  }
  SetTimerEnabled(1, true);
}

void frmToolbar::SetTexts(const std::string& file) {
  // Each text as the file gives it; "" for one it does not.
  std::string* const texts[] = {&TextNActivate, &TextActivate, &TextLevel1,   &TextLevel2,
                                &TextAllow,     &TextSiteList, &TextBActiveX, &TextUrlActiveX,
                                &TextAbout,     &TextPopup1,   &TextPopup2};
  const char* const keys[] = {"nactivate", "activate",   "level1", "level2", "allow", "sitelist",
                              "bactivex",  "urlactivex", "about",  "popup1", "popup2"};
  for (std::size_t i = 0; i < sizeof keys / sizeof keys[0]; ++i)
    *texts[i] = ReadIniValue(file, "menu", keys[i]);
  auto defaulted = [](std::string& text, const char* key) {
    if (text.empty()) text = EnglishText("menu", key);
  };
  // A pair that reads the same could not tell its two states apart: both go back to English.
  auto pair = [&](std::string& first, const char* first_key, std::string& second,
                  const char* second_key) {
    defaulted(first, first_key);
    defaulted(second, second_key);
    if (first == second) {
      first = EnglishText("menu", first_key);
      second = EnglishText("menu", second_key);
    }
  };
  pair(TextNActivate, "nactivate", TextActivate, "activate");
  try {
    SetCaption("tete", m_Toolbar && m_Toolbar->Enabled == "1" ? TextNActivate : TextActivate);
  } catch (...) {
  }
  pair(TextLevel1, "level1", TextLevel2, "level2");
  for (std::size_t i = 4; i < sizeof keys / sizeof keys[0]; ++i) defaulted(*texts[i], keys[i]);
  try {
    const std::string& language = Language().CurrentLanguage;
    SetCaption("mnuLang", language == kNoLanguage ? "English" : language);
    SetCaption("mnuNivel", TextLevel1);
    SetCaption("mnuLib", TextAllow);
    SetCaption("mnuSites", TextSiteList);
    SetCaption("mnuAX", TextBActiveX);
    SetCaption("mnuAXSite", TextUrlActiveX);
    SetCaption("mnuSOBRE", TextAbout);
  } catch (...) {
  }
}

void frmToolbar::BuildMenus() {
  bar_ = CreateMenu();
  file_menu_ = CreatePopupMenu();
  search_menu_ = CreatePopupMenu();
  AppendMenuA(bar_, MF_POPUP, reinterpret_cast<UINT_PTR>(file_menu_), "File");
  entries_.push_back(Entry{"mnuFile", bar_, 0, true, false, ""});
  AppendMenuA(bar_, MF_POPUP, reinterpret_cast<UINT_PTR>(search_menu_), "Search");
  entries_.push_back(Entry{"mnuSearch", bar_, 1, true, false, ""});

  const bool on = m_Toolbar && m_Toolbar->Enabled == "1";
  AddEntry(file_menu_, "tete", on ? TextNActivate : TextActivate, false);
  AddEntry(file_menu_, "mnuNivel", TextLevel1, false);
  AddEntry(file_menu_, "", "-", true);
  AddEntry(file_menu_, "mnuLib", TextAllow, false);
  AddEntry(file_menu_, "mnuSites", TextSiteList, false);
  AddEntry(file_menu_, "mnuAX", TextBActiveX, false);
  AddEntry(file_menu_, "mnuAXSite", TextUrlActiveX, false);
  AddEntry(file_menu_, "", "-", true);
  AddEntry(file_menu_, "mnuLang", "English", false);
  AddEntry(file_menu_, "mnuSOBRE", TextAbout, false);
  AddEntry(file_menu_, "mnu_List", "-", true);
  AddEntry(file_menu_, "mnuPops", "", false);
  AddEntry(search_menu_, "mnuSite(0)", "Site", false);
  if (window_) SetMenu(window_, bar_);
}

void frmToolbar::AddEntry(HMENU menu, const std::string& name, const std::string& caption,
                          bool separator) {
  const UINT id = next_id_++;
  AppendMenuA(menu, separator ? MF_SEPARATOR : MF_STRING, id,
              separator ? nullptr : caption.c_str());
  entries_.push_back(Entry{name, menu, id, false, separator, ""});
}

void frmToolbar::BuildSearchBox() {
  // A combo box with an edit field on the hidden form: its window name is not its text, which
  // is set after it is made.
  search_box_ = CreateWindowExA(0, "COMBOBOX", "cboSearch2", WS_CHILD | CBS_DROPDOWN, 0, 0, 120,
                                100, window_, nullptr, ModuleInstance(), nullptr);
  if (search_box_ == nullptr) return;
  SetWindowTextA(search_box_, "Type your search string here");
  for (const char* item : {"aaa", "bbb", "ccc"}) {
    const LRESULT at = SendMessageA(search_box_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    if (at >= 0) SendMessageA(search_box_, CB_SETITEMDATA, static_cast<WPARAM>(at), 0);
  }
}

void frmToolbar::SetSearchField(HWND& field) { search_field_ = field; }

void frmToolbar::SetUpSearchEntries() {
  for (const SearchEngine& engine : kSearchEngines) {
    if (!HasEntry(engine.name)) AddEntry(search_menu_, engine.name, engine.caption, false);
    SetCaption(engine.name, engine.caption);
    for (Entry& entry : entries_) {
      if (entry.name == engine.name) entry.tag = engine.tag;
    }
  }
}

const frmToolbar::Entry* frmToolbar::Find(const std::string& name) const {
  if (name.empty()) return nullptr;
  for (const Entry& entry : entries_) {
    if (entry.name == name) return &entry;
  }
  return nullptr;
}

bool frmToolbar::HasEntry(const std::string& name) const { return Find(name) != nullptr; }

std::string frmToolbar::Caption(const std::string& name) const {
  const Entry* entry = Find(name);
  if (!entry) return std::string();
  if (entry->separator) return "-";
  const UINT flags = entry->topLevel ? MF_BYPOSITION : MF_BYCOMMAND;
  const int length = GetMenuStringA(entry->menu, entry->id, nullptr, 0, flags);
  if (length <= 0) return std::string();
  std::string caption(static_cast<std::size_t>(length) + 1, '\0');
  const int copied = GetMenuStringA(entry->menu, entry->id, &caption[0], length + 1, flags);
  caption.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
  return caption;
}

bool frmToolbar::SetCaption(const std::string& name, const std::string& caption) {
  const Entry* entry = Find(name);
  if (!entry || entry->separator) return false;
  MENUITEMINFOA info = {};
  info.cbSize = sizeof(info);
  info.fMask = MIIM_STRING;
  std::string text = caption;
  info.dwTypeData = &text[0];
  info.cch = static_cast<UINT>(text.size());
  return SetMenuItemInfoA(entry->menu, entry->id, entry->topLevel ? TRUE : FALSE, &info) != 0;
}

bool frmToolbar::Checked(const std::string& name) const {
  const Entry* entry = Find(name);
  if (!entry || entry->topLevel) return false;
  const UINT state = GetMenuState(entry->menu, entry->id, MF_BYCOMMAND);
  return state != static_cast<UINT>(-1) && (state & MF_CHECKED) != 0;
}

bool frmToolbar::SetChecked(const std::string& name, bool checked) {
  const Entry* entry = Find(name);
  if (!entry || entry->topLevel) return false;
  return CheckMenuItem(entry->menu, entry->id,
                       MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED)) !=
         static_cast<DWORD>(-1);
}

std::string frmToolbar::Tag(const std::string& name) const {
  const Entry* entry = Find(name);
  return entry ? entry->tag : std::string();
}

std::vector<std::string> frmToolbar::EntryNames() const {
  std::vector<std::string> names;
  for (const Entry& entry : entries_) {
    if (!entry.name.empty()) names.push_back(entry.name);
  }
  return names;
}

void frmToolbar::tete_Click() {
  try {
    SetCaption("tete", Caption("tete") == TextActivate ? TextNActivate : TextActivate);
    // The caption, not the stored value, decides the new state.
    const std::string on = Caption("tete") == TextNActivate ? "1" : "0";
    ModReg::SetKeyValue(kSettingsKey, "processNR", on, REG_SZ);
  } catch (...) {
  }
}

void frmToolbar::mnuAX_Click() {
  try {
    SetChecked("mnuAX", !Checked("mnuAX"));
    ModReg::SetKeyValue(kSettingsKey, "processAX", std::string(Checked("mnuAX") ? "1" : "0"),
                        REG_SZ);
  } catch (...) {
  }
}

void frmToolbar::mnuNivel_Click() {
  // Without its band the form opens no dialog and paints nothing.
  if (!m_Toolbar) return;
  try {
    m_Toolbar->ShowForm(frmSlider::Instance());
  } catch (...) {
  }
  try {
    SetCaption("mnuNivel", Shared().BlockLevel == "1" ? TextLevel2 : TextLevel1);
  } catch (...) {
  }
  try {
    if (m_Toolbar) m_Toolbar->Redraw();
  } catch (...) {
  }
}

void frmToolbar::mnuLib_Click() {
  try {
    host::ObjectPtr document = m_IE ? m_IE->Document() : nullptr;
    std::string domain;
    if (!document || !host::GetTextProperty(*document, "domain", &domain) || domain.empty()) return;
    if (!m_Toolbar) return;
    // The captions are built from the domain before the dialog shows.
    frmLib::Instance()->Form_Activate();
    m_Toolbar->ShowForm(frmLib::Instance());
  } catch (...) {
  }
}

void frmToolbar::ShowListEditor(const host::ObjectPtr& editor) {
  if (!m_Toolbar) return;
  try {
    m_Toolbar->ShowForm(editor);
  } catch (...) {
  }
  // Both lists come back from the file, whichever was edited: temporary entries are gone.
  try {
    AllowedSites().Clear();
    BlockedActiveX().Clear();
    LoadSiteLists();
  } catch (...) {
  }
}

void frmToolbar::mnuSites_Click() { ShowListEditor(frmSite::Instance()); }

void frmToolbar::mnuAXSite_Click() { ShowListEditor(frmSiteAX::Instance()); }

void frmToolbar::mnuSOBRE_Click() {
  try {
    frmAbout::Instance()->Show(true);
  } catch (...) {
  }
}

void frmToolbar::mnuLang_Click() {
  // Without its band the form opens no dialog and paints nothing.
  try {
    if (m_Toolbar) m_Toolbar->ShowForm(frmLang::Instance());
  } catch (...) {
  }
  // The texts are read again whether or not the language changed.
  try {
    SetTexts(LanguageFile());
  } catch (...) {
  }
  try {
    if (m_Toolbar) m_Toolbar->Redraw();
  } catch (...) {
  }
}

std::string frmToolbar::GetInfo() {
  char buffer[100] = {};
  POINT point = {0, 0};
  GetCursorPos(&point);
  HWND under = WindowFromPoint(point);
  if (under) GetClassNameA(under, buffer, 100);
  return std::string(buffer, sizeof(buffer));
}

bool frmToolbar::ScrollLockIsOn() { return tarnivo::ScrollLockIsOn(); }

void frmToolbar::ScrollLockOff(bool state) {
  if (!state) tarnivo::ScrollLockOff();
}

bool frmToolbar::TimerEnabled(int timer) const {
  return timer >= 1 && timer <= kTimerCount && timers_[timer - 1] && timers_[timer - 1]->Enabled();
}

void frmToolbar::SetTimerEnabled(int timer, bool on) {
  if (timer < 1 || timer > kTimerCount || !timers_[timer - 1]) return;
  timers_[timer - 1]->SetEnabled(on);
}

LRESULT CALLBACK frmToolbar::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  frmToolbar* form = Loaded();
  if (msg == WM_COMMAND && form && form->window_ == hwnd && HIWORD(wParam) == 0 && lParam == 0) {
    form->MenuCommand(LOWORD(wParam));
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

void frmToolbar::MenuCommand(UINT id) {
  for (const Entry& entry : entries_) {
    if (entry.topLevel || entry.id != id) continue;
    // The commands of the other entries come with the dialogs they open.
    if (entry.name == "tete") tete_Click();
    if (entry.name == "mnuAX") mnuAX_Click();
    if (entry.name == "mnuLang") mnuLang_Click();
    if (entry.name == "mnuNivel") mnuNivel_Click();
    if (entry.name == "mnuLib") mnuLib_Click();
    if (entry.name == "mnuSites") mnuSites_Click();
    if (entry.name == "mnuAXSite") mnuAXSite_Click();
    if (entry.name == "mnuSOBRE") mnuSOBRE_Click();
    return;
  }
}

}  // namespace tarnivo
