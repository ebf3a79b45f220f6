// The new-window decision: whether a window that a page asks for may open.
#include "engine/new_window.h"

#include <cctype>

#include "engine/normalize_domain.h"
#include "platform/win32.h"
#include "server/toolbar.h"
#include "store/settings.h"
#include "store/site_list.h"
#include "store/site_list_file.h"
#include "store/text_number.h"

namespace tarnivo {

namespace {

// The page's domain; "" when there is no document or its domain cannot be read.
std::string PageDomain(const host::ObjectPtr& document) {
  std::string domain;
  if (document) host::GetTextProperty(*document, "domain", &domain);
  return domain;
}

// The upper-case tag name of the focused element; "" when it cannot be read.
std::string FocusedTag(const host::ObjectPtr& document) {
  std::string tag;
  if (!document) return tag;
  host::ObjectPtr active = host::GetObjectProperty(*document, "activeElement");
  if (!active || !host::GetTextProperty(*active, "tagName", &tag)) return std::string();
  for (char& c : tag) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return tag;
}

bool SiteIsAllowed(const std::string& domain) {
  std::string site = NormalizeDomain(domain);
  if (!site.empty() && FindAllowedSite("*." + site) >= 0) return true;
  std::string bare = RemoveAll(domain, "www.");
  return !bare.empty() && FindAllowedSite(bare) >= 0;
}

}  // namespace

int FindAllowedSite(const std::string& probe) { return AllowedSites().FindString(probe); }

bool ScrollLockIsOn() { return (GetKeyState(VK_SCROLL) & 1) != 0; }

void ScrollLockOff() {
  keybd_event(VK_SCROLL, 0, KEYEVENTF_KEYUP, 0);
  keybd_event(VK_SCROLL, 0, 0, 0);
  keybd_event(VK_SCROLL, 0, 0, 0);
  keybd_event(VK_SCROLL, 0, KEYEVENTF_KEYUP, 0);
}

void CToolbar::m_oIE_NewWindow2(host::Value*, host::EventFlag* Cancel) {
  try {
    // Scroll Lock lets exactly one popup through, whatever the settings say.
    if (ScrollLockIsOn()) {
      Cancel->Set(false);
      ScrollLockOff();
      return;
    }
    if (Enabled != "1") return;
    ScriptNavigationSeen = 0;

    host::ObjectPtr document;
    try {
      if (m_oIE_) document = m_oIE_->Document();
    } catch (...) {
    }
    bool allowed = false;
    try {
      allowed = SiteIsAllowed(PageDomain(document));
    } catch (...) {
    }
    if (allowed) {
      Cancel->Set(false);
      return;
    }

    // "Block All"; a level that is not a number counts as "Block All" too.
    std::optional<double> level = TextAsNumber(Shared().BlockLevel);
    if (!level || *level == 1) {
      Block(Cancel);
      return;
    }
    if (AllowNextPopup) {
      Cancel->Set(false);
      AllowNextPopup = false;
      return;
    }
    if (GetAsyncKeyState(VK_CONTROL) < 0) return;

    std::string tag;
    try {
      tag = FocusedTag(document);
    } catch (...) {
    }
    ThreadShared& shared = Shared();
    if (tag != "FRAMESET" && shared.UserActionFlag && GetAsyncKeyState(VK_LBUTTON) == 0 &&
        tag != "BODY") {
      shared.UserActionFlag = false;
      Cancel->Set(false);
      return;
    }
    shared.UserActionFlag = false;
    Block(Cancel);
  } catch (...) {
    // The browser's event call never sees a failure of the decision.
  }
}

void CToolbar::Block(host::EventFlag* Cancel) {
  MessageBeep(MB_OK);
  try {
    if (icone_ != 1) {
      AddToolbarIcons(1);
      Redraw();
    }
  } catch (...) {
  }
  Cancel->Set(true);
  try {
    IncrementBlockedCount();
  } catch (...) {
  }
}

}  // namespace tarnivo
