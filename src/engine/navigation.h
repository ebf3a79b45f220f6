// The browser's navigation events: whether a javascript: link was just clicked, when the
// current navigation began, whether the page has finished loading, and which document the
// page-event hooks follow.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "engine/credits.h"

namespace tarnivo {

// Seconds since midnight of the system clock, with the milliseconds as a fraction.
double SecondsSinceMidnight();
// The same, rounded to the nearest whole second (halves to even).
std::int32_t WholeSecondsSinceMidnight();
// Seconds from `start` (whole seconds since midnight) to `now` (seconds since midnight),
// across midnight too.
double SecondsBetween(std::int32_t start, double now);
// Seconds from `start` to now.
double SecondsSince(std::int32_t start);

// What a navigation asks only in the step that needs it.
class NavigationQuestions {
 public:
  virtual ~NavigationQuestions() = default;
  // The left button is down now or was pressed since the last query (GetAsyncKeyState(
  // VK_LBUTTON) is not 0); asking clears the "pressed since" bit.
  virtual bool LeftButtonPressed() = 0;
};

// The credits after a navigation to `url`, given the thread's UserActionFlag and the band's
// ScriptNavigationSeen. A URL naming a popup (any case) takes the user's credit; after a
// press, the first javascript: navigation is marked and keeps it, and any other navigation
// takes it; otherwise a javascript: navigation with the left button pressed gives the credit.
// The button is asked only in that last case.
CreditChange CreditsAfterNavigation(const std::string& url, bool UserActionFlag,
                                    std::uint8_t ScriptNavigationSeen, NavigationQuestions& ask);

// What a browser event does to the page state, for the band to carry out.
struct PageStateChange {
  std::optional<bool> PageComplete;
  // NavigationStart becomes the current whole second of the day.
  bool startNavigationClock = false;
  // The page hooks move to the browser's current document.
  bool followCurrentDocument = false;
  // The browser and the page are let go of and the user's credits cleared.
  bool letGoOfBrowserAndPage = false;
};

// BeforeNavigate2: the page is loading from now on.
PageStateChange PageStateAtNavigation();
// CommandStateChange, with the browser's busy state (nothing when it cannot be read): an idle
// browser restarts the clock.
PageStateChange PageStateAtCommandStateChange(std::optional<bool> busy);
// DocumentComplete: the page is complete; only the top-level page (`topLevel`: the event
// comes from the browser itself, not from a frame) moves the page hooks.
PageStateChange PageStateAtDocumentComplete(bool topLevel);
// WindowClosing: the page counts as complete, and the band lets go of browser and page.
PageStateChange PageStateAtWindowClosing();

}  // namespace tarnivo
