// The tests the toolbar form's watch timers make: whether a press was on the page, and
// whether a page is still young enough to be scanned.
#pragma once

#include <cstdint>
#include <string>

namespace tarnivo {

// The page scan runs only this long after the navigation start.
inline constexpr double kScanLimitSeconds = 20.0;

// A press over the window of class `className` is the user acting on the page: the browser's
// page window ("INTERNET" in the name), a menu ("#32768") or an embedded control (a name that
// begins with "ATL"), letter case ignored. Filler after the name (GetInfo's) does no harm.
bool IsPageWindowClass(const std::string& className);

// More than kScanLimitSeconds have passed from `NavigationStart` (whole seconds since
// midnight; 0 while never set) to `now` (seconds since midnight).
bool ScanTimeIsOver(std::int32_t NavigationStart, double now);

}  // namespace tarnivo
