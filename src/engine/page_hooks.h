// The page's own events: a right click grants the next popup a pass, leaving the page takes
// every credit away, and Ctrl+F2 allows the page's site until the lists are next reloaded.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "engine/credits.h"
#include "store/site_list.h"

namespace tarnivo {

// The page's context menu is about to open: the next popup passes once.
CreditChange CreditsAtContextMenu();
// The page loses the keyboard focus: the pass and the user-action flag are taken.
CreditChange CreditsAtFocusOut();

// What a key press in the page is asked, in this order, each only when the one before it
// allowed going on.
class KeyDownQuestions {
 public:
  virtual ~KeyDownQuestions() = default;
  // The event's `ctrlKey`; nothing when it cannot be read as a Boolean.
  virtual std::optional<bool> CtrlKey() = 0;
  // The event's `keyCode`; nothing when it cannot be read as a number.
  virtual std::optional<std::int32_t> KeyCode() = 0;
  // The `domain` of the document the toolbar form's browser shows; nothing when there is no
  // such document or its domain cannot be read.
  virtual std::optional<std::string> PageDomain() = 0;
};

// The F2 key's code in a page's key event.
inline constexpr std::int32_t kKeyF2 = 113;

// Ctrl+F2: the temporary allowed site to add ("*." and the page's normalised site, to be
// tagged TemporarySiteMark), or nothing for any other key, for a page whose domain cannot be
// read, or when an entry of `allowed` already begins with it.
std::optional<std::string> TemporarySiteAtKeyDown(KeyDownQuestions& ask, const SiteList& allowed);

}  // namespace tarnivo
