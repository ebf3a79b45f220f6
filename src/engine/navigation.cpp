// The navigation and page-state steps.
#include "engine/navigation.h"

#include <cmath>

#include "engine/text_internal.h"
#include "platform/win32.h"

namespace tarnivo {

namespace {

constexpr double kSecondsPerDay = 86400.0;

}  // namespace

double SecondsSinceMidnight() {
  SYSTEMTIME now = {};
  GetLocalTime(&now);
  return now.wHour * 3600.0 + now.wMinute * 60.0 + now.wSecond + now.wMilliseconds / 1000.0;
}

std::int32_t WholeSecondsSinceMidnight() {
  return static_cast<std::int32_t>(std::nearbyint(SecondsSinceMidnight()));
}

double SecondsBetween(std::int32_t start, double now) {
  double elapsed = now - start;
  // A navigation that began before midnight is not in the future.
  if (elapsed < -1.0) elapsed += kSecondsPerDay;
  return elapsed;
}

double SecondsSince(std::int32_t start) { return SecondsBetween(start, SecondsSinceMidnight()); }

CreditChange CreditsAfterNavigation(const std::string& url, bool UserActionFlag,
                                    std::uint8_t ScriptNavigationSeen, NavigationQuestions& ask) {
  CreditChange change;
  const std::string upper = UpperCase(url);
  const bool script = upper.compare(0, 10, "JAVASCRIPT") == 0;
  if (upper.find("POPUP") != std::string::npos) {
    // A URL that names a popup never carries the user's credit.
    change.UserActionFlag = false;
  } else if (UserActionFlag && ScriptNavigationSeen != 1) {
    if (script) {
      change.ScriptNavigationSeen = 1;
    } else {
      change.UserActionFlag = false;
    }
  } else if (script && ask.LeftButtonPressed()) {
    change.UserActionFlag = true;
  }
  return change;
}

PageStateChange PageStateAtNavigation() {
  PageStateChange change;
  change.PageComplete = false;
  change.startNavigationClock = true;
  return change;
}

PageStateChange PageStateAtCommandStateChange(std::optional<bool> busy) {
  PageStateChange change;
  change.startNavigationClock = busy.has_value() && !*busy;
  return change;
}

PageStateChange PageStateAtDocumentComplete(bool topLevel) {
  PageStateChange change;
  change.PageComplete = true;
  change.followCurrentDocument = topLevel;
  return change;
}

PageStateChange PageStateAtWindowClosing() {
  PageStateChange change;
  change.PageComplete = true;
  change.letGoOfBrowserAndPage = true;
  return change;
}

}  // namespace tarnivo
