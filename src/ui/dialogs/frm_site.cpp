#include "ui/dialogs/frm_site.h"

#include "engine/activex_screen.h"
#include "store/read_ini.h"
#include "store/site_list_file.h"
#include "ui/dialogs/button_images.h"
#include "ui/dialogs/dialog_tables.h"

namespace tarnivo {

namespace {

const frmSiteBase::Kind kAllowedSitesKind = {dialogs::kSiteForm, "site", AllowedSites, false};
const frmSiteBase::Kind kBlockedActiveXKind = {dialogs::kSiteAXForm, "activex", BlockedActiveX,
                                               true};

// The buttons the dialog draws, in the order their windows are looked up, with their images.
struct ButtonImage {
  const char* name;
  std::int32_t image;
};
constexpr ButtonImage kButtonImages[] = {
    {"cmdOKsite", 1}, {"cmdAdi", 0}, {"cmdExcluir", 2}, {"cmdCancel", 4}, {"cmdOK", 3},
};

constexpr const char* kHttp = "http://";

bool OnlyBlanks(const std::string& text) {
  return text.find_first_not_of(' ') == std::string::npos;
}

}  // namespace

frmSiteBase::frmSiteBase(const Kind& kind) : forms::Form(kind.form), kind_(kind) {}

frmSiteBase::~frmSiteBase() {
  if (List().View() == this) List().SetView(nullptr);
  if (images_ != nullptr) ImageList_Destroy(images_);
}

void frmSiteBase::SetTexts(const std::string& file) {
  const std::string section = kind_.section;
  struct Text {
    const char* key;
    const char* control;  // null: a text of the dialog's own
    std::string* own;
  };
  const Text texts[] = {
      {"caption", "Label1", nullptr},
      {"sitecap", "frameSite", nullptr},
      {"add", "cmdAdi", nullptr},
      {"del", "cmdExcluir", nullptr},
      {"cancel", "cmdCancel", nullptr},
      {"advise", nullptr, &advise_},
      {"advisecap", nullptr, &advise_title_},
  };
  for (const Text& text : texts) {
    try {
      std::string value = ReadIniValue(file, section, text.key);
      if (value.empty()) value = EnglishText(section, text.key);
      if (text.own != nullptr)
        *text.own = value;
      else
        SetText(text.control, value);
    } catch (...) {
    }
  }
}

void frmSiteBase::Form_Load() {
  try {
    images_ = MakeButtonImages();
  } catch (...) {
  }
  try {
    buttons_.Attach(this);
    buttons_.AddhWnd(Item("pct1"));
    buttons_.AddhWnd(Item("frameSite"));
  } catch (...) {
  }
  HookActivation(true);
  // The list box shows the list from the first time the dialog is seen.
  List().SetView(this);
  list_behind_ = true;
}

void frmSiteBase::Form_Activate() {
  try {
    SetTexts(LanguageFile());
  } catch (...) {
  }
  ShowList();
}

void frmSiteBase::Form_Unload() {
  HookActivation(false);
  buttons_.Detach();
  // The list goes with the dialog: the next use of the list finds it empty until the file
  // is read again.
  if (List().View() == this) List().SetView(nullptr);
  List().Clear();
  if (images_ != nullptr) ImageList_Destroy(images_);
  images_ = nullptr;
}

void frmSiteBase::HookActivation(bool on) {
  if (on == hooked_ || hWnd() == nullptr) return;
  if (on)
    modSubclass::HookMessage(this, hWnd(), WM_ACTIVATE);
  else
    modSubclass::UnhookMessage(this, hWnd(), WM_ACTIVATE);
  hooked_ = on;
}

void frmSiteBase::Click(const std::string& control) {
  if (control == "cmdAdi") cmdAdi_Click();
  if (control == "cmdOKsite") cmdOKsite_Click();
  if (control == "cmdExcluir") cmdExcluir_Click();
  if (control == "cmdOK") cmdOK_Click();
  if (control == "cmdCancel") cmdCancel_Click();
}

void frmSiteBase::GotFocus(const std::string& control) {
  if (control != "txtSite") return;
  const std::string text = Text("txtSite");
  SendMessageA(Item("txtSite"), EM_SETSEL, 0, static_cast<LPARAM>(text.size()));
}

void frmSiteBase::KeyPress(const std::string& control, int& key) {
  if (control != "txtSite" || key != '\r') return;
  key = 0;
  cmdOKsite_Click();
}

void frmSiteBase::cmdAdi_Click() {
  const bool shown = !Visible("frameSite");
  SetVisible("frameSite", shown);
  if (shown) SetFocusTo("txtSite");
}

void frmSiteBase::cmdOKsite_Click() {
  try {
    if (Text("txtSite").find(' ') != std::string::npos) SetText("txtSite", "");
    std::string text = Text("txtSite");
    if (OnlyBlanks(text)) return;
    if (text.compare(0, 7, kHttp) == 0) {
      text.erase(0, 7);
      SetText("txtSite", text);
    }
    if (List().FindString(text) < 0) {
      List().Add(text, 0);
      SetText("txtSite", "");
      SetVisible("frameSite", false);
      return;
    }
    // Already listed: the message box takes the activation without closing the dialog.
    HookActivation(false);
    MessageBeep(MB_OK);
    MessageBoxA(hWnd(), advise_.c_str(), advise_title_.c_str(), MB_OK | MB_ICONEXCLAMATION);
    SetFocusTo("txtSite");
    HookActivation(true);
  } catch (...) {
  }
}

void frmSiteBase::cmdExcluir_Click() {
  if (Visible("frameSite")) return;
  const int selected = ListIndex("lstSite");
  if (selected >= 0) List().Remove(selected);
}

void frmSiteBase::cmdOK_Click() {
  if (Visible("frameSite")) return;
  try {
    SaveSiteLists();
  } catch (...) {
  }
  ReloadHidden();
  if (kind_.rebuilds_patterns) {
    try {
      BuildActiveXPatterns();
    } catch (...) {
    }
  }
  Hide();
}

void frmSiteBase::cmdCancel_Click() {
  if (Visible("frameSite")) {
    SetVisible("frameSite", false);
    SetText("txtSite", "");
    return;
  }
  ReloadHidden();
  Hide();
}

void frmSiteBase::ReloadHidden() {
  // The dialog hides right after: the list box catches up when it is next seen, rather than
  // being filled for the moment before the dialog goes.
  reloading_ = true;
  try {
    List().Clear();
    LoadSiteLists();
  } catch (...) {
  }
  reloading_ = false;
}

bool frmSiteBase::DoOwnerDraw(HWND lhWnd) {
  (void)lhWnd;
  return true;
}

void frmSiteBase::DrawItem(HWND lhWnd, HDC lHDC, LONG& lLeft, LONG& lTop, LONG& lRight,
                           LONG& lBottom, bool bPushed, bool bChecked, bool bEnabled, bool bInFocus,
                           bool& bDoDefault) {
  (void)bChecked;
  (void)bDoDefault;
  for (const ButtonImage& button : kButtonImages) {
    if (Item(button.name) != lhWnd) continue;
    mCustomDrawButton::SetButtonContext(images_, button.image, nullptr, Text(button.name));
    mCustomDrawButton::DrawCustomButton(lhWnd, lHDC, lLeft, lTop, lRight, lBottom, bPushed,
                                        bEnabled, bInFocus, true);
    return;
  }
}

LRESULT frmSiteBase::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, bool& Handled) {
  (void)hwnd;
  (void)lParam;
  (void)Handled;
  // A click elsewhere; the deactivation that follows the dialog's own hiding leaves it
  // loaded, hidden until its next use.
  if (msg == WM_ACTIVATE && LOWORD(wParam) == WA_INACTIVE && !Hiding()) Unload();
  return 0;
}

// --- the list box as the view of the list ---

void frmSiteBase::ListInserted(int index) {
  if (list_behind_ || !IsLoaded()) return;
  SendMessageA(Item("lstSite"), LB_INSERTSTRING, static_cast<WPARAM>(index),
               reinterpret_cast<LPARAM>(List().Text(index).c_str()));
}

void frmSiteBase::ListRemoved(int index) {
  if (list_behind_ || !IsLoaded()) return;
  SendMessageA(Item("lstSite"), LB_DELETESTRING, static_cast<WPARAM>(index), 0);
}

void frmSiteBase::ListReset() {
  list_behind_ = true;
  // On screen the list box follows at once; hidden, when it is next seen.
  if (IsLoaded() && IsWindowVisible(hWnd()) && !reloading_) ShowList();
}

void frmSiteBase::ShowList() {
  HWND box = Item("lstSite");
  if (!list_behind_ || box == nullptr) return;
  const SiteList& list = List();
  // Tens of thousands of entries: each message goes straight to the list box.
  WithoutHooks("lstSite", [&](HWND window) {
    SendMessageA(window, WM_SETREDRAW, FALSE, 0);
    SendMessageA(window, LB_RESETCONTENT, 0, 0);
    SendMessageA(window, LB_INITSTORAGE, static_cast<WPARAM>(list.Count()),
                 static_cast<LPARAM>(list.Count()) * 32);
    for (int i = 0; i < list.Count(); ++i)
      SendMessageA(window, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(list.Text(i).c_str()));
  });
  SendMessageA(box, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(box, nullptr, TRUE);
  list_behind_ = false;
}

frmSite::frmSite() : frmSiteBase(kAllowedSitesKind) {}

std::shared_ptr<frmSite>& frmSite::Instance() {
  std::shared_ptr<frmSite>& slot = forms::ThreadInstanceSlot<frmSite>();
  if (!slot) slot = std::make_shared<frmSite>();
  return slot;
}

frmSiteAX::frmSiteAX() : frmSiteBase(kBlockedActiveXKind) {}

std::shared_ptr<frmSiteAX>& frmSiteAX::Instance() {
  std::shared_ptr<frmSiteAX>& slot = forms::ThreadInstanceSlot<frmSiteAX>();
  if (!slot) slot = std::make_shared<frmSiteAX>();
  return slot;
}

}  // namespace tarnivo
