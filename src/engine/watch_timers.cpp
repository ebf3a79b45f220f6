// The watch timers' tests.
#include "engine/watch_timers.h"

#include "engine/navigation.h"
#include "engine/text_internal.h"

namespace tarnivo {

bool IsPageWindowClass(const std::string& className) {
  const std::string upper = UpperCase(className);
  return upper.find("INTERNET") != std::string::npos || upper.find("#32768") != std::string::npos ||
         upper.compare(0, 3, "ATL") == 0;
}

bool ScanTimeIsOver(std::int32_t NavigationStart, double now) {
  return NavigationStart > 0 && SecondsBetween(NavigationStart, now) > kScanLimitSeconds;
}

}  // namespace tarnivo
