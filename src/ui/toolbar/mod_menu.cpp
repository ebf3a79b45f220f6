#include "ui/toolbar/mod_menu.h"

namespace tarnivo {

HMENU FindSubMenu(HWND window, const std::string& caption) {
  HMENU bar = GetMenu(window);
  if (!bar) return nullptr;
  const int count = GetMenuItemCount(bar);
  for (int i = 0; i < count; ++i) {
    char buffer[255] = {};
    const int n = GetMenuStringA(bar, static_cast<UINT>(i), buffer, 255, MF_BYPOSITION);
    if (n >= 0 && std::string(buffer, static_cast<std::size_t>(n)) == caption) {
      return GetSubMenu(bar, i);
    }
  }
  return nullptr;
}

}  // namespace tarnivo
