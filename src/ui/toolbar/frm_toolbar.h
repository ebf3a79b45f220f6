// frmToolbar: the hidden form of the toolbar, one per user-interface thread. Its window owns
// the toolbar's drop-down menus and its three watch timers; it keeps the browser (m_IE) and
// the band (m_Toolbar) it serves.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/win32.h"
#include "server/host.h"
#include "ui/controls/timer_control.h"
#include "ui/toolbar/toolbar_band.h"

namespace tarnivo {

class frmToolbar {
 public:
  // This thread's form, created (not yet loaded) on first use.
  static frmToolbar& Instance();
  // This thread's form when it is loaded; null otherwise.
  static frmToolbar* Loaded();
  // Unloads this thread's form, when loaded: its timers stop, its window and menus go.
  static void Unload();

  // Stores the browser and the band, loads the form on first use, sets up the search entries.
  void Init(host::BrowserPtr Ie, ToolbarBand* Toolbar);

  // The menu texts, at their English defaults until a language file gives others.
  std::string TextActivate = "Enable Tarnivo";
  std::string TextNActivate = "Disable Tarnivo";
  std::string TextLevel1 = "Normal";
  std::string TextLevel2 = "Block All";
  std::string TextAllow = "Allow URL";
  std::string TextSiteList = "Allowed URLs";
  std::string TextBActiveX = "Block ActiveX Dialog";
  std::string TextUrlActiveX = "Blocked ActiveX URLs";
  std::string TextAbout = "About";
  std::string TextPopup1 = "Blocked a total of";
  std::string TextPopup2 = "popups";

  ToolbarBand* m_Toolbar = nullptr;
  host::BrowserPtr m_IE;

  HWND hWnd() const { return window_; }

  // The class name of the window under the mouse pointer, in a 100-character text: the name
  // first, then filler that callers ignore.
  std::string GetInfo();
  // The menu texts from the language file `file`: the eleven "menu" keys, each empty one
  // replaced by its English default, a pair of equal switch texts (or level texts) both put
  // back to English; then the captions of tete, mnuLang and the other entries.
  void SetTexts(const std::string& file);

  // The settings synchronisation timer: a thread timer of 200 ms started by the form's load
  // and killed by its unload. Each tick reads processNR, processAX and processNL back and
  // brings the copies, the ActiveX check mark, Timer3 and (when the switch changed) the band's
  // Enabled, its image and the caption of tete in line; a missing switch is restored by
  // ResetDefaults.
  static void CALLBACK SettingsPoll(HWND hwnd, UINT msg, UINT_PTR id, DWORD time);
  void SettingsTick();
  // Blocking and ActiveX blocking on: the key created, processNR and processAX "1", the
  // band's Enabled "1". processNL, processNC, Lang and path stay as they are.
  void ResetDefaults();
  bool SettingsTimerRunning() const { return settings_timer_ != 0; }

  // The master switch: toggles the caption of `tete` and stores processNR from it ("1"
  // while the entry offers to disable blocking).
  void tete_Click();

  // The ActiveX switch: inverts the check mark of mnuAX and stores processAX from it ("1"
  // while checked); the next tick of the settings timer brings ActiveXFlag and Timer3 in line.
  void mnuAX_Click();

  // The level: the level dialog shown modally through the band, then the level entry's
  // caption from BlockLevel and the toolbar painted again.
  void mnuNivel_Click();
  // Allow this site: on a page with a domain, the allow-domain dialog, its captions built
  // first, shown modally through the band.
  void mnuLib_Click();
  // The list editors, shown modally through the band; when one has closed both lists are
  // read again from the file.
  void mnuSites_Click();
  void mnuAXSite_Click();
  // The about box, shown modally by itself.
  void mnuSOBRE_Click();

  // The language: the chooser shown modally through the band; when it has closed, the menu
  // texts are read again from the language file and the toolbar is painted again.
  void mnuLang_Click();

  // The search field never holds the focus.
  bool HasFocus() const { return false; }
  // The search combo box cboSearch2 of the hidden form (its text and three placeholder
  // entries); nothing reads it.
  HWND SearchBox() const { return search_box_; }
  // Keeps the handle of a search field; nothing reads it.
  void SetSearchField(HWND& field);
  HWND SearchField() const { return search_field_; }

  bool ScrollLockIsOn();
  // Switches Scroll Lock off when `state` is false; does nothing when it is true.
  void ScrollLockOff(bool state);

  // The watch timers: 1 (20 ms), 2 (1100 ms), 3 (500 ms), the timer controls Timer1 to
  // Timer3 of the form's window. Without a loaded form they are off and stay off.
  static constexpr int kTimerCount = 3;
  bool TimerEnabled(int timer) const;
  void SetTimerEnabled(int timer, bool on);
  void Timer1_Timer();
  void Timer2_Timer();
  void Timer3_Timer();

  // Menu entries by name ("mnuFile", "tete", "mnuSOBRE", "mnuSite(1)", ...): caption and
  // check mark, read from and written to the menus themselves. Unknown names: false / "".
  bool HasEntry(const std::string& name) const;
  std::string Caption(const std::string& name) const;
  bool SetCaption(const std::string& name, const std::string& caption);
  bool Checked(const std::string& name) const;
  bool SetChecked(const std::string& name, bool checked);
  // The URL template of a search entry ("" for any other entry).
  std::string Tag(const std::string& name) const;
  // The names of the entries, menu by menu, top to bottom.
  std::vector<std::string> EntryNames() const;

  // The two top-level menus' drop-downs.
  HMENU FileMenu() const { return file_menu_; }
  HMENU SearchMenu() const { return search_menu_; }

  // The window procedure of the form's window.
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

 private:
  struct Entry {
    std::string name;
    HMENU menu;     // the menu that holds the entry
    UINT id;        // its command id (top-level entries: their position in the bar)
    bool topLevel;  // an entry of the menu bar itself
    bool separator;
    std::string tag;  // a search entry's URL template
  };

  void Load();
  void BuildMenus();
  void BuildSearchBox();
  void AddEntry(HMENU menu, const std::string& name, const std::string& caption, bool separator);
  const Entry* Find(const std::string& name) const;
  void SetUpSearchEntries();
  void ShowListEditor(const host::ObjectPtr& editor);
  // A chosen menu entry's command.
  void MenuCommand(UINT id);

  HWND window_ = nullptr;
  HMENU bar_ = nullptr;
  HMENU file_menu_ = nullptr;
  HMENU search_menu_ = nullptr;
  std::vector<Entry> entries_;
  UINT next_id_ = 1000;
  std::unique_ptr<TimerControl> timers_[kTimerCount];
  HWND search_box_ = nullptr;
  HWND search_field_ = nullptr;
  UINT_PTR settings_timer_ = 0;  // the id SetTimer gave the settings timer; 0 while it is off
};

}  // namespace tarnivo
