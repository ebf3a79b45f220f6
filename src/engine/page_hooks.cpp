// The page hooks' steps.
#include "engine/page_hooks.h"

#include "engine/new_window.h"
#include "engine/normalize_domain.h"

namespace tarnivo {

CreditChange CreditsAtContextMenu() {
  CreditChange change;
  change.AllowNextPopup = true;
  return change;
}

CreditChange CreditsAtFocusOut() {
  CreditChange change;
  change.AllowNextPopup = false;
  change.UserActionFlag = false;
  return change;
}

std::optional<std::string> TemporarySiteAtKeyDown(KeyDownQuestions& ask, const SiteList& allowed) {
  if (ask.CtrlKey() != true) return std::nullopt;
  if (ask.KeyCode() != kKeyF2) return std::nullopt;
  const std::optional<std::string> domain = ask.PageDomain();
  if (!domain) return std::nullopt;
  std::string probe = "*." + NormalizeDomain(*domain);
  if (FindAllowedSite(allowed, probe) != -1) return std::nullopt;
  return probe;
}

}  // namespace tarnivo
