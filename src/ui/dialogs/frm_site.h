// frmSite and frmSiteAX: the editors of the two stored lists, AllowedSites and
// BlockedActiveX. Each dialog's list box lstSite is the view of its list that the user sees
// and selects in: the list itself stays the sorted, tagged SiteList, and the list box follows
// every change of it while the dialog is loaded (what the decision, the allow-domain dialog
// or Ctrl+F2 add shows there, and what the dialog adds or deletes is what they see). The
// entry row (a frame with a text box and its OK button) adds an entry after its checks; the
// dialog's five buttons are drawn by the dialog itself with an image and a caption.
//
// One instance of each per user-interface thread. It unloads itself when it loses the
// activation, and its list goes with it: the opener reloads both lists from the file.
#pragma once

#include <memory>
#include <string>

#include "store/site_list.h"
#include "ui/controls/mod_subclass.h"
#include "ui/controls/owner_draw_button.h"
#include "ui/forms/form.h"

namespace tarnivo {

class frmSiteBase : public forms::Form,
                    public ISubclass,
                    public IOwnerDrawButton,
                    public SiteListView {
 public:
  // What tells the two dialogs apart.
  struct Kind {
    const forms::FormLayout& form;
    const char* section;     // of the language file, which also names the English texts
    SiteList& (*list)();     // the list edited
    bool rebuilds_patterns;  // OK builds the ActiveX patterns again
  };

  explicit frmSiteBase(const Kind& kind);
  ~frmSiteBase() override;

  // The dialog's texts from the language file `file`, each empty one in English.
  void SetTexts(const std::string& file);
  // The duplicate-entry message and its title, as the texts were last read.
  const std::string& AdviseText() const { return advise_; }
  const std::string& AdviseTitle() const { return advise_title_; }

  void cmdAdi_Click();
  void cmdOKsite_Click();
  void cmdExcluir_Click();
  void cmdOK_Click();
  void cmdCancel_Click();

  // IOwnerDrawButton: the dialog draws every button of its window and its containers.
  HWND ButtonContainerhWnd() override { return hWnd(); }
  bool DoOwnerDraw(HWND lhWnd) override;
  void DrawItem(HWND lhWnd, HDC lHDC, LONG& lLeft, LONG& lTop, LONG& lRight, LONG& lBottom,
                bool bPushed, bool bChecked, bool bEnabled, bool bInFocus,
                bool& bDoDefault) override;

  // ISubclass: WM_ACTIVATE of the dialog's own window; losing the activation unloads it.
  LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, bool& Handled) override;

  // SiteListView: the list box follows the list.
  void ListInserted(int index) override;
  void ListRemoved(int index) override;
  void ListReset() override;

  // The image list of the five buttons (add, entry OK, delete, OK, cancel); null while the
  // dialog is not loaded.
  HIMAGELIST Images() const { return images_; }

 protected:
  void Form_Load() override;
  void Form_Activate() override;
  void Form_Unload() override;
  void Click(const std::string& control) override;
  void GotFocus(const std::string& control) override;
  void KeyPress(const std::string& control, int& key) override;

 private:
  SiteList& List() const { return kind_.list(); }
  // Fills the list box from the list, when it has fallen behind it.
  void ShowList();
  // Clears the list and reads it back from the file, for a dialog about to hide.
  void ReloadHidden();
  void HookActivation(bool on);

  const Kind& kind_;
  cOwnerDrawButton buttons_;
  HIMAGELIST images_ = nullptr;
  std::string advise_;
  std::string advise_title_;
  bool list_behind_ = true;  // the list box does not show the list as it is
  bool hooked_ = false;
  bool reloading_ = false;  // the list is read back for a dialog about to hide
};

class frmSite : public frmSiteBase {
 public:
  frmSite();
  // This thread's allowed-sites editor, made on first use.
  static std::shared_ptr<frmSite>& Instance();
};

class frmSiteAX : public frmSiteBase {
 public:
  frmSiteAX();
  // This thread's blocked-ActiveX editor, made on first use.
  static std::shared_ptr<frmSiteAX>& Instance();
};

}  // namespace tarnivo
