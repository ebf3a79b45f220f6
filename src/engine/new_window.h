// The new-window decision: whether a window that a page asks for may open.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "engine/credits.h"
#include "store/site_list.h"

namespace tarnivo {

// Index of the first entry of `allowed`, from the top, that begins with `probe` (letter case
// ignored); -1 when there is none.
int FindAllowedSite(const SiteList& allowed, const std::string& probe);

// What the decision reads up front: values that cost nothing and change nothing when read.
struct NewWindowInputs {
  bool scrollLockOn;              // the Scroll Lock toggle
  const std::string& Enabled;     // the band's master switch
  const std::string& BlockLevel;  // the thread's copy of processNL
  const SiteList& AllowedSites;   // the allowed sites
  bool AllowNextPopup;            // the band's right-click pass
  bool UserActionFlag;            // the thread's user-action flag
  std::int32_t Icone;             // the image set the band's main button shows
};

// What the decision asks only when it reaches the step that needs it, because asking has an
// effect or a cost. The band answers from its browser and the live keyboard and mouse.
class NewWindowQuestions {
 public:
  virtual ~NewWindowQuestions() = default;
  // The `domain` of the browser's current document; nothing when there is no document or its
  // domain cannot be read. The first question about the page reads the browser's document.
  virtual std::optional<std::string> PageDomain() = 0;
  // The Ctrl key is down now (GetAsyncKeyState(VK_CONTROL) is negative).
  virtual bool CtrlIsDown() = 0;
  // The `tagName` of the document's focused element, as the page gives it; nothing when there
  // is none or it cannot be read.
  virtual std::optional<std::string> FocusedTag() = 0;
  // The left button is down now or was pressed since the last query (GetAsyncKeyState(
  // VK_LBUTTON) is not 0). Asking clears the "pressed since" bit that the mouse watch reads.
  virtual bool LeftButtonPressed() = 0;
};

// What happens to the window.
enum class NewWindowVerdict {
  Pass,   // Cancel is left as the browser passed it: the window opens
  Allow,  // Cancel is set to False
  Block,  // a beep, the blocked image (see showBlockedImage), Cancel set to True, the count
};

struct NewWindowAnswer {
  NewWindowVerdict verdict = NewWindowVerdict::Pass;
  // A block while the main button shows another image: image set 1, then a redraw.
  bool showBlockedImage = false;
  // Scroll Lock let the window through and goes off.
  bool switchScrollLockOff = false;
  CreditChange credits;
};

// The decision, in its fixed order: Scroll Lock, the master switch, the allowed sites, the
// level "Block All", the right-click pass, the Ctrl key, the user's press with the focused
// element. Each question is asked at most once, and only when its step is reached. A
// question about the page that fails counts as no answer; the decision goes on.
NewWindowAnswer DecideNewWindow(const NewWindowInputs& inputs, NewWindowQuestions& ask);

}  // namespace tarnivo
