// The new-window decision.
#include "engine/new_window.h"

#include <utility>

#include "engine/normalize_domain.h"
#include "engine/text_internal.h"
#include "store/site_list_file.h"
#include "store/text_number.h"

namespace tarnivo {

namespace {

// First "*." and the normalised site, then the domain without any "www."; an empty probe is
// not made.
bool SiteIsAllowed(const std::string& domain, const SiteList& allowed) {
  const std::string site = NormalizeDomain(domain);
  if (!site.empty() && FindAllowedSite(allowed, "*." + site) >= 0) return true;
  const std::string bare = RemoveAll(domain, "www.");
  return !bare.empty() && FindAllowedSite(allowed, bare) >= 0;
}

NewWindowAnswer Allow(NewWindowAnswer answer) {
  answer.verdict = NewWindowVerdict::Allow;
  return answer;
}

NewWindowAnswer Block(NewWindowAnswer answer, const NewWindowInputs& inputs) {
  answer.verdict = NewWindowVerdict::Block;
  answer.showBlockedImage = inputs.Icone != 1;
  return answer;
}

}  // namespace

int FindAllowedSite(const SiteList& allowed, const std::string& probe) {
  return allowed.FindString(probe);
}

NewWindowAnswer DecideNewWindow(const NewWindowInputs& inputs, NewWindowQuestions& ask) {
  NewWindowAnswer answer;
  // Scroll Lock lets exactly one popup through, whatever the settings say.
  if (inputs.scrollLockOn) {
    answer.switchScrollLockOff = true;
    return Allow(answer);
  }
  if (inputs.Enabled != "1") return answer;
  answer.credits.ScriptNavigationSeen = 0;

  std::string domain;
  try {
    if (std::optional<std::string> read = ask.PageDomain()) domain = std::move(*read);
  } catch (...) {
  }
  bool allowed = false;
  try {
    allowed = SiteIsAllowed(domain, inputs.AllowedSites);
  } catch (...) {
  }
  if (allowed) return Allow(answer);

  // "Block All"; a level that is not a number counts as "Block All" too.
  const std::optional<double> level = TextAsNumber(inputs.BlockLevel);
  if (!level || *level == 1) return Block(answer, inputs);
  if (inputs.AllowNextPopup) {
    answer.credits.AllowNextPopup = false;
    return Allow(answer);
  }
  if (ask.CtrlIsDown()) return answer;

  std::string tag;
  try {
    if (std::optional<std::string> read = ask.FocusedTag()) tag = UpperCase(std::move(*read));
  } catch (...) {
  }
  // The button is asked only when the first two tests pass.
  answer.credits.UserActionFlag = false;
  if (tag != "FRAMESET" && inputs.UserActionFlag && !ask.LeftButtonPressed() && tag != "BODY") {
    return Allow(answer);
  }
  return Block(answer, inputs);
}

}  // namespace tarnivo
