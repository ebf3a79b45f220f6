// The page's own events: a right click grants the next popup a pass, leaving the page takes
// every credit away, and Ctrl+F2 allows the page's site until the lists are next reloaded.
#include <string>

#include "engine/new_window.h"
#include "engine/normalize_domain.h"
#include "server/toolbar.h"
#include "store/settings.h"
#include "store/site_list.h"
#include "ui/toolbar/frm_toolbar.h"
#include "ui/toolbar/message_pump.h"

namespace tarnivo {

namespace {

constexpr std::int32_t kKeyF2 = 113;

}  // namespace

bool CToolbar::IEDoc_onclick() {
  try {
    ProcessPendingMessages();
  } catch (...) {
  }
  return true;
}

bool CToolbar::IEdoc_oncontextmenu() {
  AllowNextPopup = true;
  return true;
}

void CToolbar::IEDoc_onfocusout() {
  AllowNextPopup = false;
  Shared().UserActionFlag = false;
}

void CToolbar::IEdoc_onkeydown() {
  try {
    if (!IEdoc_) return;
    host::ObjectPtr window = host::GetObjectProperty(*IEdoc_, "parentWindow");
    host::ObjectPtr event = window ? host::GetObjectProperty(*window, "event") : nullptr;
    if (!event) return;
    host::Value ctrl;
    if (!event->Get("ctrlKey", &ctrl) || ctrl.kind != host::Value::Kind::Bool || !ctrl.boolean) {
      return;
    }
    host::Value key;
    if (!event->Get("keyCode", &key) || key.kind != host::Value::Kind::Int ||
        key.number != kKeyF2) {
      return;
    }
    // The site of the page that the toolbar form's browser shows.
    frmToolbar* form = frmToolbar::Loaded();
    if (!form || !form->m_IE) return;
    host::ObjectPtr document = form->m_IE->Document();
    std::string domain;
    if (!document || !host::GetTextProperty(*document, "domain", &domain)) return;
    const std::string probe = "*." + NormalizeDomain(domain);
    if (FindAllowedSite(probe) != -1) return;
    const int index = AllowedSites().Add(probe);
    if (index >= 0) AllowedSites().SetTag(index, TemporarySiteMark);
  } catch (...) {
  }
}

void CToolbar::IEdoc_onmousedown() {}
void CToolbar::IEDoc_onmousemove() {}

}  // namespace tarnivo
