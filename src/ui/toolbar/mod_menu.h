// modMenu: finding a drop-down menu of a window's menu bar by its caption.
#pragma once

#include <string>

#include "platform/win32.h"

namespace tarnivo {

// The drop-down menu of the top-level entry of `window`'s menu bar whose caption equals
// `caption` exactly (letter case counts); null when there is none.
HMENU FindSubMenu(HWND window, const std::string& caption);

}  // namespace tarnivo
