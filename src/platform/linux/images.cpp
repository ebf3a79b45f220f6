// Icons and image lists of the Linux back end. There are no pictures: an icon is the id of
// the resource it was loaded from, and an image list keeps, for each image, the id of the
// icon it was made from.
//
// LoadIconA finds the system icons (IDI_APPLICATION ... IDI_SHIELD) with a null instance,
// and the icons the test bench declares (backend::SetModuleIcons) with the process's
// module handle. Icons are shared, as LoadIconA's are on Windows: loading an icon again
// answers the same handle, and DestroyIcon leaves it usable.
#include <algorithm>
#include <cstdint>
#include <map>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/linux/backend.h"
#include "platform/linux/backend_internal.h"
#include "platform/linux/win32_api.h"

namespace {

constexpr int kFirstSystemIcon = 32512;  // IDI_APPLICATION
constexpr int kLastSystemIcon = 32518;   // IDI_SHIELD

struct ImageList {
  int cx = 0;
  int cy = 0;
  UINT flags = 0;
  std::vector<int> icons;  // the icon id of each image
};

struct ImageTable {
  std::vector<int> module_icons;
  std::map<std::pair<bool, int>, HICON> loaded;  // (from the module, id) -> handle
  std::map<std::uintptr_t, int> icons;           // handle -> id
  std::map<std::uintptr_t, ImageList> lists;
};

std::mutex g_mutex;

ImageTable& Table() {
  static auto* table = new ImageTable;
  return *table;
}

std::uintptr_t KeyOf(const void* handle) { return reinterpret_cast<std::uintptr_t>(handle); }

HINSTANCE ModuleHandle() { return GetModuleHandleA(nullptr); }

// The handle of a shared icon, made on first use.
HICON SharedIconLocked(bool from_module, int id) {
  HICON& handle = Table().loaded[{from_module, id}];
  if (handle == nullptr) {
    handle = reinterpret_cast<HICON>(backend::internal::NewUserHandle());
    Table().icons[KeyOf(handle)] = id;
  }
  return handle;
}

ImageList* FindListLocked(HIMAGELIST list) {
  auto it = Table().lists.find(KeyOf(list));
  return it == Table().lists.end() ? nullptr : &it->second;
}

}  // namespace

namespace backend {

void SetModuleIcons(std::vector<int> ids) {
  std::lock_guard<std::mutex> lock(g_mutex);
  Table().module_icons = std::move(ids);
}

std::vector<int> ImageListIconIds(HIMAGELIST list) {
  std::lock_guard<std::mutex> lock(g_mutex);
  const ImageList* found = FindListLocked(list);
  return found != nullptr ? found->icons : std::vector<int>{};
}

}  // namespace backend

extern "C" {

HICON WINAPI LoadIconA(HINSTANCE hInstance, LPCSTR lpIconName) {
  const bool named_by_id = lpIconName != nullptr && IS_INTRESOURCE(lpIconName);
  const int id = named_by_id ? static_cast<int>(reinterpret_cast<std::uintptr_t>(lpIconName)) : 0;
  const bool from_module = hInstance != nullptr;
  if (from_module && hInstance != ModuleHandle()) {
    // No other module is loaded: no resources there.
    SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
    return nullptr;
  }
  std::lock_guard<std::mutex> lock(g_mutex);
  if (!from_module) {
    if (id < kFirstSystemIcon || id > kLastSystemIcon) {
      SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
      return nullptr;
    }
    return SharedIconLocked(false, id);
  }
  const std::vector<int>& held = Table().module_icons;
  if (held.empty()) {
    // A module without icons, as a program without resources.
    SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
    return nullptr;
  }
  if (!named_by_id || std::find(held.begin(), held.end(), id) == held.end()) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  return SharedIconLocked(true, id);
}

BOOL WINAPI DestroyIcon(HICON hIcon) {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (Table().icons.count(KeyOf(hIcon)) == 0) {
    SetLastError(ERROR_INVALID_CURSOR_HANDLE);
    return FALSE;
  }
  return TRUE;  // a shared icon stays
}

HIMAGELIST WINAPI ImageList_Create(int cx, int cy, UINT flags, int cInitial, int cGrow) {
  (void)cInitial;
  (void)cGrow;
  if (cx <= 0 || cy <= 0) return nullptr;
  std::lock_guard<std::mutex> lock(g_mutex);
  auto handle = backend::internal::NewUserHandle();
  ImageList& list = Table().lists[handle];
  list.cx = cx;
  list.cy = cy;
  list.flags = flags;
  return reinterpret_cast<HIMAGELIST>(handle);
}

BOOL WINAPI ImageList_Destroy(HIMAGELIST himl) {
  std::lock_guard<std::mutex> lock(g_mutex);
  return Table().lists.erase(KeyOf(himl)) != 0 ? TRUE : FALSE;
}

int WINAPI ImageList_GetImageCount(HIMAGELIST himl) {
  std::lock_guard<std::mutex> lock(g_mutex);
  const ImageList* list = FindListLocked(himl);
  return list != nullptr ? static_cast<int>(list->icons.size()) : 0;
}

int WINAPI ImageList_ReplaceIcon(HIMAGELIST himl, int i, HICON hicon) {
  std::lock_guard<std::mutex> lock(g_mutex);
  ImageList* list = FindListLocked(himl);
  auto icon = Table().icons.find(KeyOf(hicon));
  if (list == nullptr || icon == Table().icons.end()) return -1;
  if (i == -1) {
    list->icons.push_back(icon->second);
    return static_cast<int>(list->icons.size()) - 1;
  }
  if (i < 0 || static_cast<std::size_t>(i) >= list->icons.size()) return -1;
  list->icons[static_cast<std::size_t>(i)] = icon->second;
  return i;
}

}  // extern "C"
