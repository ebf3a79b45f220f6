// Menus of the Linux back end: menu bars and pop-up menus, their items (captions kept
// byte for byte, "&" markers included), separators, check marks, states and submenus.
//
// An item found "by command" is looked for depth first, in the item's submenu before the
// items that follow it; an item that opens a submenu answers to its id only when nothing
// inside the submenu does. A menu can never hold itself, directly or further down.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "platform/linux/backend_internal.h"
#include "platform/linux/win32_api.h"

namespace {

using backend::internal::UserMutex;

constexpr UINT kBitmap = 0x00000004u;
constexpr UINT kMenuBarBreak = 0x00000020u;
constexpr UINT kMenuBreak = 0x00000040u;
constexpr UINT kHilite = 0x00000080u;
constexpr UINT kOwnerDraw = 0x00000100u;
constexpr UINT kRadioCheck = 0x00000200u;
constexpr UINT kDefault = 0x00001000u;
constexpr UINT kRightOrder = 0x00002000u;
constexpr UINT kRightJustify = 0x00004000u;
constexpr UINT kTypeMask = kBitmap | kMenuBarBreak | kMenuBreak | kOwnerDraw | kRadioCheck |
                           MFT_SEPARATOR | kRightOrder | kRightJustify;
constexpr UINT kStateMask = MFS_GRAYED | kHilite | MFS_CHECKED | kDefault;
constexpr UINT kMiimCheckmarks = 0x00000008u;
constexpr UINT kMiimType = 0x00000010u;
constexpr UINT kMiimBitmap = 0x00000080u;
constexpr UINT kNoItem = 0xFFFFFFFFu;
constexpr int kMostDepth = 64;

struct Item {
  UINT type = MFT_STRING;  // MFT_ bits
  UINT state = 0;          // MFS_ bits
  UINT id = 0;
  HMENU submenu = nullptr;
  bool has_text = false;
  std::string text;
  ULONG_PTR data = 0;
};

struct Menu {
  std::vector<Item> items;
};

std::map<std::uintptr_t, Menu>& Menus() {
  static auto* menus = new std::map<std::uintptr_t, Menu>;
  return *menus;
}

Menu* LookUpLocked(HMENU handle) {
  auto it = Menus().find(reinterpret_cast<std::uintptr_t>(handle));
  return it == Menus().end() ? nullptr : &it->second;
}

struct Found {
  HMENU menu = nullptr;
  Item* item = nullptr;
};

Found FindByCommandLocked(HMENU handle, UINT id, int depth) {
  Menu* menu = LookUpLocked(handle);
  if (menu == nullptr || depth > kMostDepth) return {};
  Found fallback;
  for (Item& item : menu->items) {
    if (item.submenu != nullptr) {
      Found inside = FindByCommandLocked(item.submenu, id, depth + 1);
      if (inside.item != nullptr) return inside;
      if (item.id == id && fallback.item == nullptr) fallback = Found{handle, &item};
    } else if (item.id == id) {
      return Found{handle, &item};
    }
  }
  return fallback;
}

// The item `item` of `handle`: a position with MF_BYPOSITION, else a command.
Found FindItemLocked(HMENU handle, UINT item, bool by_position) {
  Menu* menu = LookUpLocked(handle);
  if (menu == nullptr) return {};
  if (by_position) {
    if (item >= menu->items.size()) return {};
    return Found{handle, &menu->items[item]};
  }
  return FindByCommandLocked(handle, item, 0);
}

// True when `outer` is `inner` or holds it somewhere below.
bool HoldsLocked(HMENU outer, HMENU inner, int depth) {
  if (outer == inner) return true;
  const Menu* menu = LookUpLocked(outer);
  if (menu == nullptr || depth > kMostDepth) return false;
  for (const Item& item : menu->items) {
    if (item.submenu != nullptr && HoldsLocked(item.submenu, inner, depth + 1)) return true;
  }
  return false;
}

// Checks that `submenu` may open from an item of `owner`; sets the error if not.
bool SubmenuFitsLocked(HMENU owner, HMENU submenu) {
  if (LookUpLocked(submenu) == nullptr) {
    SetLastError(ERROR_INVALID_MENU_HANDLE);
    return false;
  }
  if (HoldsLocked(submenu, owner, 0)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  return true;
}

// Fills an item from the MF_ flags of AppendMenuA or ModifyMenuA. `replaced` gets the
// submenu the item opened before, when the new item no longer opens it.
bool SetFromFlagsLocked(HMENU owner, Item* item, UINT flags, UINT_PTR id, LPCSTR text,
                        HMENU* replaced) {
  HMENU submenu = nullptr;
  if (flags & MF_POPUP) {
    submenu = reinterpret_cast<HMENU>(id);
    if (!SubmenuFitsLocked(owner, submenu)) return false;
  }
  Item next = *item;
  next.type = flags & kTypeMask;
  next.has_text = false;
  next.text.clear();
  if ((flags & (MF_SEPARATOR | kBitmap | kOwnerDraw)) == 0) {
    if (text != nullptr) {
      next.has_text = true;
      next.text = text;
    } else {
      next.type |= MF_SEPARATOR;  // a string item without a string is a separator
    }
  } else if (flags & kOwnerDraw) {
    next.data = reinterpret_cast<ULONG_PTR>(text);
  }
  next.state = flags & kStateMask;
  if (next.type & MF_SEPARATOR) next.state |= MF_GRAYED | MF_DISABLED;
  next.id = static_cast<UINT>(id);
  next.submenu = submenu;
  *replaced = item->submenu != nullptr && item->submenu != submenu ? item->submenu : nullptr;
  *item = next;
  return true;
}

bool SizeIsValid(UINT size) {
  // The structure as it is now, or without its last member as older systems had it.
  return size == sizeof(MENUITEMINFOA) || size == offsetof(MENUITEMINFOA, hbmpItem);
}

// Copies `text` as Windows copies into a caller's buffer: at most `room` - 1 bytes and a
// NUL. Returns the number of bytes copied.
UINT CopyText(const std::string& text, char* buffer, std::size_t room) {
  std::size_t count = std::min(text.size(), room - 1);
  std::memcpy(buffer, text.data(), count);
  buffer[count] = '\0';
  return static_cast<UINT>(count);
}

HMENU NewMenu() {
  std::lock_guard<std::mutex> lock(UserMutex());
  auto handle = backend::internal::NewUserHandle();
  Menus()[handle] = Menu{};
  return reinterpret_cast<HMENU>(handle);
}

}  // namespace

namespace backend::internal {

bool IsMenuLocked(HMENU menu) { return LookUpLocked(menu) != nullptr; }

bool DestroyMenuLocked(HMENU menu) {
  Menu* found = LookUpLocked(menu);
  if (found == nullptr) return false;
  std::vector<HMENU> submenus;
  for (const Item& item : found->items) {
    if (item.submenu != nullptr) submenus.push_back(item.submenu);
  }
  Menus().erase(reinterpret_cast<std::uintptr_t>(menu));
  for (HMENU submenu : submenus) DestroyMenuLocked(submenu);
  return true;
}

}  // namespace backend::internal

extern "C" {

HMENU WINAPI CreateMenu() { return NewMenu(); }

HMENU WINAPI CreatePopupMenu() { return NewMenu(); }

BOOL WINAPI DestroyMenu(HMENU hMenu) {
  std::lock_guard<std::mutex> lock(UserMutex());
  if (!backend::internal::DestroyMenuLocked(hMenu)) {
    SetLastError(ERROR_INVALID_MENU_HANDLE);
    return FALSE;
  }
  return TRUE;
}

BOOL WINAPI AppendMenuA(HMENU hMenu, UINT uFlags, UINT_PTR uIDNewItem, LPCSTR lpNewItem) {
  std::lock_guard<std::mutex> lock(UserMutex());
  Menu* menu = LookUpLocked(hMenu);
  if (menu == nullptr) {
    SetLastError(ERROR_INVALID_MENU_HANDLE);
    return FALSE;
  }
  Item item;
  HMENU replaced = nullptr;
  if (!SetFromFlagsLocked(hMenu, &item, uFlags, uIDNewItem, lpNewItem, &replaced)) return FALSE;
  menu->items.push_back(item);
  return TRUE;
}

BOOL WINAPI ModifyMenuA(HMENU hMnu, UINT uPosition, UINT uFlags, UINT_PTR uIDNewItem,
                        LPCSTR lpNewItem) {
  std::lock_guard<std::mutex> lock(UserMutex());
  if (LookUpLocked(hMnu) == nullptr) {
    SetLastError(ERROR_INVALID_MENU_HANDLE);
    return FALSE;
  }
  Found found = FindItemLocked(hMnu, uPosition, (uFlags & MF_BYPOSITION) != 0);
  if (found.item == nullptr) {
    SetLastError(ERROR_MENU_ITEM_NOT_FOUND);
    return FALSE;
  }
  HMENU replaced = nullptr;
  if (!SetFromFlagsLocked(found.menu, found.item, uFlags, uIDNewItem, lpNewItem, &replaced)) {
    return FALSE;
  }
  // The submenu an item no longer opens is destroyed with it, as Windows documents.
  if (replaced != nullptr) backend::internal::DestroyMenuLocked(replaced);
  return TRUE;
}

BOOL WINAPI SetMenuItemInfoA(HMENU hmenu, UINT item, BOOL fByPositon, LPCMENUITEMINFOA lpmii) {
  if (lpmii == nullptr || !SizeIsValid(lpmii->cbSize)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::lock_guard<std::mutex> lock(UserMutex());
  Found found = FindItemLocked(hmenu, item, fByPositon != FALSE);
  if (found.item == nullptr) {
    SetLastError(ERROR_MENU_ITEM_NOT_FOUND);
    return FALSE;
  }
  const UINT mask = lpmii->fMask;
  if ((mask & MIIM_SUBMENU) && lpmii->hSubMenu != nullptr &&
      !SubmenuFitsLocked(found.menu, lpmii->hSubMenu)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  Item& target = *found.item;
  if (mask & (MIIM_FTYPE | kMiimType)) target.type = lpmii->fType & kTypeMask;
  const bool string_type = (target.type & (MFT_SEPARATOR | kBitmap | kOwnerDraw)) == 0;
  if ((mask & MIIM_STRING) || ((mask & kMiimType) && string_type)) {
    target.has_text = lpmii->dwTypeData != nullptr;
    target.text = target.has_text ? lpmii->dwTypeData : "";
  } else if ((mask & kMiimType) && !string_type) {
    target.has_text = false;
    target.text.clear();
  }
  if (mask & MIIM_STATE) target.state = lpmii->fState & kStateMask;
  if (mask & MIIM_ID) target.id = lpmii->wID;
  if (mask & MIIM_SUBMENU) target.submenu = lpmii->hSubMenu;
  if (mask & MIIM_DATA) target.data = lpmii->dwItemData;
  return TRUE;
}

BOOL WINAPI GetMenuItemInfoA(HMENU hmenu, UINT item, BOOL fByPosition, LPMENUITEMINFOA lpmii) {
  if (lpmii == nullptr || !SizeIsValid(lpmii->cbSize)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::lock_guard<std::mutex> lock(UserMutex());
  Found found = FindItemLocked(hmenu, item, fByPosition != FALSE);
  if (found.item == nullptr) {
    SetLastError(ERROR_MENU_ITEM_NOT_FOUND);
    return FALSE;
  }
  const Item& source = *found.item;
  const UINT mask = lpmii->fMask;
  if (mask & (MIIM_FTYPE | kMiimType)) lpmii->fType = source.type;
  if (mask & (MIIM_STRING | kMiimType)) {
    // Without a buffer: the length of the caption. With one: as much as fits and a NUL,
    // and the number of bytes copied.
    const bool buffer = lpmii->dwTypeData != nullptr && lpmii->cch != 0;
    if (!source.has_text) {
      if (buffer) lpmii->dwTypeData[0] = '\0';
      lpmii->cch = 0;
    } else if (buffer) {
      lpmii->cch = CopyText(source.text, lpmii->dwTypeData, lpmii->cch);
    } else {
      lpmii->cch = static_cast<UINT>(source.text.size());
    }
  }
  if (mask & MIIM_STATE) lpmii->fState = source.state;
  if (mask & MIIM_ID) lpmii->wID = source.id;
  if (mask & MIIM_SUBMENU) lpmii->hSubMenu = source.submenu;
  if (mask & MIIM_DATA) lpmii->dwItemData = source.data;
  if (mask & kMiimCheckmarks) lpmii->hbmpChecked = lpmii->hbmpUnchecked = nullptr;
  if ((mask & kMiimBitmap) && lpmii->cbSize == sizeof(MENUITEMINFOA)) lpmii->hbmpItem = nullptr;
  return TRUE;
}

int WINAPI GetMenuStringA(HMENU hMenu, UINT uIDItem, LPSTR lpString, int cchMax, UINT flags) {
  if (lpString != nullptr && cchMax > 0) lpString[0] = '\0';
  std::lock_guard<std::mutex> lock(UserMutex());
  Found found = FindItemLocked(hMenu, uIDItem, (flags & MF_BYPOSITION) != 0);
  if (found.item == nullptr) {
    SetLastError(ERROR_MENU_ITEM_NOT_FOUND);
    return 0;
  }
  if (!found.item->has_text) return 0;
  if (lpString == nullptr || cchMax <= 0) return static_cast<int>(found.item->text.size());
  return static_cast<int>(CopyText(found.item->text, lpString, static_cast<std::size_t>(cchMax)));
}

int WINAPI GetMenuItemCount(HMENU hMenu) {
  std::lock_guard<std::mutex> lock(UserMutex());
  const Menu* menu = LookUpLocked(hMenu);
  if (menu == nullptr) {
    SetLastError(ERROR_INVALID_MENU_HANDLE);
    return -1;
  }
  return static_cast<int>(menu->items.size());
}

UINT WINAPI GetMenuItemID(HMENU hMenu, int nPos) {
  std::lock_guard<std::mutex> lock(UserMutex());
  const Menu* menu = LookUpLocked(hMenu);
  if (menu == nullptr || nPos < 0 || static_cast<std::size_t>(nPos) >= menu->items.size()) {
    return kNoItem;
  }
  const Item& item = menu->items[static_cast<std::size_t>(nPos)];
  return item.submenu != nullptr ? kNoItem : item.id;
}

UINT WINAPI GetMenuState(HMENU hMenu, UINT uId, UINT uFlags) {
  std::lock_guard<std::mutex> lock(UserMutex());
  Found found = FindItemLocked(hMenu, uId, (uFlags & MF_BYPOSITION) != 0);
  if (found.item == nullptr) return kNoItem;
  const Item& item = *found.item;
  if (item.submenu == nullptr) return item.type | item.state;
  // An item that opens a submenu: the submenu's item count in the high byte.
  const Menu* submenu = LookUpLocked(item.submenu);
  if (submenu == nullptr) return kNoItem;
  return (static_cast<UINT>(submenu->items.size()) << 8) |
         ((item.type | item.state | MF_POPUP) & 0xFFu);
}

HMENU WINAPI GetSubMenu(HMENU hMenu, int nPos) {
  std::lock_guard<std::mutex> lock(UserMutex());
  const Menu* menu = LookUpLocked(hMenu);
  if (menu == nullptr) {
    SetLastError(ERROR_INVALID_MENU_HANDLE);
    return nullptr;
  }
  if (nPos < 0 || static_cast<std::size_t>(nPos) >= menu->items.size()) return nullptr;
  HMENU submenu = menu->items[static_cast<std::size_t>(nPos)].submenu;
  return LookUpLocked(submenu) != nullptr ? submenu : nullptr;
}

DWORD WINAPI CheckMenuItem(HMENU hMenu, UINT uIDCheckItem, UINT uCheck) {
  std::lock_guard<std::mutex> lock(UserMutex());
  Found found = FindItemLocked(hMenu, uIDCheckItem, (uCheck & MF_BYPOSITION) != 0);
  if (found.item == nullptr) return kNoItem;
  const DWORD previous = found.item->state & MF_CHECKED;
  if (uCheck & MF_CHECKED) {
    found.item->state |= MF_CHECKED;
  } else {
    found.item->state &= ~MF_CHECKED;
  }
  return previous;
}

}  // extern "C"
