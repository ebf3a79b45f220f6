// The band's handlers of the page document's events.
#include <optional>
#include <string>

#include "engine/page_hooks.h"
#include "server/toolbar.h"
#include "store/site_list.h"
#include "ui/toolbar/frm_toolbar.h"
#include "ui/toolbar/message_pump.h"

namespace tarnivo {

namespace {

// A key event's questions: its ctrlKey and keyCode, and the domain of the page that the
// toolbar form's browser shows.
class KeyDownAnswers final : public KeyDownQuestions {
 public:
  KeyDownAnswers(host::Object& event, const frmToolbar* form) : event_(event), form_(form) {}

  std::optional<bool> CtrlKey() override {
    host::Value ctrl;
    if (!event_.Get("ctrlKey", &ctrl) || ctrl.kind != host::Value::Kind::Bool) return std::nullopt;
    return ctrl.boolean;
  }
  std::optional<std::int32_t> KeyCode() override {
    host::Value key;
    if (!event_.Get("keyCode", &key) || key.kind != host::Value::Kind::Int) return std::nullopt;
    return key.number;
  }
  std::optional<std::string> PageDomain() override {
    if (!form_ || !form_->m_IE) return std::nullopt;
    host::ObjectPtr document = form_->m_IE->Document();
    std::string domain;
    if (!document || !host::GetTextProperty(*document, "domain", &domain)) return std::nullopt;
    return domain;
  }

 private:
  host::Object& event_;
  const frmToolbar* form_;
};

}  // namespace

bool CToolbar::IEDoc_onclick() {
  try {
    ProcessPendingMessages();
  } catch (...) {
  }
  return true;
}

bool CToolbar::IEdoc_oncontextmenu() {
  Apply(CreditsAtContextMenu());
  return true;
}

void CToolbar::IEDoc_onfocusout() { Apply(CreditsAtFocusOut()); }

void CToolbar::IEdoc_onkeydown() {
  try {
    if (!IEdoc_) return;
    host::ObjectPtr window = host::GetObjectProperty(*IEdoc_, "parentWindow");
    host::ObjectPtr event = window ? host::GetObjectProperty(*window, "event") : nullptr;
    if (!event) return;
    KeyDownAnswers ask(*event, form_);
    const std::optional<std::string> site = TemporarySiteAtKeyDown(ask, AllowedSites());
    if (!site) return;
    // Kept until the lists are next reloaded; a temporary entry is never saved.
    const int index = AllowedSites().Add(*site);
    if (index >= 0) AllowedSites().SetTag(index, TemporarySiteMark);
  } catch (...) {
  }
}

void CToolbar::IEdoc_onmousedown() {}
void CToolbar::IEDoc_onmousemove() {}

}  // namespace tarnivo
