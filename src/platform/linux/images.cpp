// Icons, bitmap resources and image lists of the Linux back end. An icon has no picture: it
// is the id of the resource it was loaded from. An image list keeps, for each image, the id
// of the icon it was made from, or the pixels (and the mask) of the bitmap it was cut from;
// ImageList_Draw records the draw and puts the pixels there as Wine's comctl32 does.
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
#include "platform/linux/drawing_internal.h"
#include "platform/linux/win32_api.h"

namespace {

constexpr int kFirstSystemIcon = 32512;  // IDI_APPLICATION
constexpr int kLastSystemIcon = 32518;   // IDI_SHIELD

// An image: the icon it was made from, or pixels (row by row) and, for a list with a mask,
// which of them are transparent.
struct Image {
  int icon = 0;
  std::vector<COLORREF> pixels;
  std::vector<bool> transparent;
};

struct ImageList {
  int cx = 0;
  int cy = 0;
  UINT flags = 0;
  std::vector<Image> images;
};

struct ImageTable {
  std::vector<int> module_icons;
  std::map<int, backend::Picture> module_bitmaps;
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
  std::vector<int> ids;
  if (found != nullptr) {
    for (const Image& image : found->images) ids.push_back(image.icon);
  }
  return ids;
}

void SetModuleBitmaps(std::map<int, Picture> bitmaps) {
  std::lock_guard<std::mutex> lock(g_mutex);
  Table().module_bitmaps = std::move(bitmaps);
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
  return list != nullptr ? static_cast<int>(list->images.size()) : 0;
}

int WINAPI ImageList_ReplaceIcon(HIMAGELIST himl, int i, HICON hicon) {
  std::lock_guard<std::mutex> lock(g_mutex);
  ImageList* list = FindListLocked(himl);
  auto icon = Table().icons.find(KeyOf(hicon));
  if (list == nullptr || icon == Table().icons.end()) return -1;
  Image image;
  image.icon = icon->second;
  if (i == -1) {
    list->images.push_back(image);
    return static_cast<int>(list->images.size()) - 1;
  }
  if (i < 0 || static_cast<std::size_t>(i) >= list->images.size()) return -1;
  list->images[static_cast<std::size_t>(i)] = image;
  return i;
}

}  // extern "C"

// --- Bitmaps for image lists ---

namespace {

// The pixels of a bitmap, row by row; false for a handle that names no bitmap. With
// `blacken`, the pixels of that colour (CLR_DEFAULT: the top-left pixel's) turn black in the
// bitmap, and `*mask_colour` tells which colour that was.
bool ReadBitmap(HBITMAP bitmap, int* width, int* height, std::vector<COLORREF>* pixels,
                COLORREF* mask_colour = nullptr) {
  std::lock_guard<std::mutex> lock(backend::internal::GdiMutex());
  backend::internal::Raster* raster = backend::internal::BitmapRasterLocked(bitmap);
  if (raster == nullptr) return false;
  *width = raster->width;
  *height = raster->height;
  pixels->clear();
  if (mask_colour != nullptr && *mask_colour == CLR_DEFAULT) *mask_colour = raster->Get(0, 0);
  for (int y = 0; y < raster->height; ++y) {
    for (int x = 0; x < raster->width; ++x) {
      pixels->push_back(raster->Get(x, y));
      if (mask_colour != nullptr && pixels->back() == *mask_colour) raster->Set(x, y, RGB(0, 0, 0));
    }
  }
  return true;
}

// Cuts a strip of pixels into images of the list's size; `transparent` tells, for each pixel
// of the strip, whether the mask lets it through. Answers the index of the first new image.
int AddImages(HIMAGELIST himl, int width, int height, const std::vector<COLORREF>& pixels,
              const std::vector<bool>& transparent) {
  std::lock_guard<std::mutex> lock(g_mutex);
  ImageList* list = FindListLocked(himl);
  if (list == nullptr) return -1;
  const int first = static_cast<int>(list->images.size());
  const bool masked = (list->flags & ILC_MASK) != 0;
  if (static_cast<std::int64_t>(list->cx) * list->cy > (std::int64_t{1} << 24)) return -1;
  for (int k = 0; k < width / list->cx; ++k) {
    Image image;
    for (int y = 0; y < list->cy; ++y) {
      for (int x = 0; x < list->cx; ++x) {
        const int column = k * list->cx + x;
        const std::size_t at = static_cast<std::size_t>(y) * width + column;
        const bool inside = y < height;
        image.pixels.push_back(inside ? pixels[at] : RGB(0, 0, 0));
        if (masked) image.transparent.push_back(inside && transparent[at]);
      }
    }
    list->images.push_back(std::move(image));
  }
  return first;
}

}  // namespace

extern "C" {

HBITMAP WINAPI LoadBitmapA(HINSTANCE hInstance, LPCSTR lpBitmapName) {
  backend::Picture picture;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    const auto& held = Table().module_bitmaps;
    if (hInstance != ModuleHandle() || held.empty()) {
      // No other module is loaded, and this one may hold no bitmaps.
      SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
      return nullptr;
    }
    const bool named_by_id = lpBitmapName != nullptr && IS_INTRESOURCE(lpBitmapName);
    const auto found =
        named_by_id ? held.find(static_cast<int>(reinterpret_cast<std::uintptr_t>(lpBitmapName)))
                    : held.end();
    if (found == held.end()) {
      SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
      return nullptr;
    }
    picture = found->second;
  }
  if (picture.width <= 0 || picture.height <= 0) {
    SetLastError(ERROR_INVALID_BITMAP);
    return nullptr;
  }
  return backend::internal::NewBitmap(picture.width, picture.height, picture.pixels);
}

HANDLE WINAPI LoadImageA(HINSTANCE hInst, LPCSTR name, UINT type, int cx, int cy, UINT fuLoad) {
  (void)cx;
  (void)cy;
  (void)fuLoad;
  if (type == IMAGE_BITMAP) return LoadBitmapA(hInst, name);
  if (type == IMAGE_ICON) return LoadIconA(hInst, name);
  SetLastError(ERROR_INVALID_PARAMETER);
  return nullptr;
}

int WINAPI ImageList_Add(HIMAGELIST himl, HBITMAP hbmImage, HBITMAP hbmMask) {
  int width = 0;
  int height = 0;
  std::vector<COLORREF> pixels;
  if (!ReadBitmap(hbmImage, &width, &height, &pixels)) return -1;
  std::vector<bool> transparent(pixels.size(), false);
  int mask_width = 0;
  int mask_height = 0;
  std::vector<COLORREF> mask;
  if (hbmMask != nullptr && ReadBitmap(hbmMask, &mask_width, &mask_height, &mask)) {
    // A white pixel of the mask lets the background through.
    for (int y = 0; y < std::min(height, mask_height); ++y) {
      for (int x = 0; x < std::min(width, mask_width); ++x) {
        transparent[static_cast<std::size_t>(y) * width + x] =
            mask[static_cast<std::size_t>(y) * mask_width + x] != RGB(0, 0, 0);
      }
    }
  }
  return AddImages(himl, width, height, pixels, transparent);
}

int WINAPI ImageList_AddMasked(HIMAGELIST himl, HBITMAP hbmImage, COLORREF crMask) {
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (FindListLocked(himl) == nullptr) return -1;
  }
  int width = 0;
  int height = 0;
  std::vector<COLORREF> pixels;
  COLORREF mask_colour = crMask;
  if (!ReadBitmap(hbmImage, &width, &height, &pixels, &mask_colour)) return -1;
  // The pixels of the mask colour are transparent, and black in the image (and in the
  // bitmap they came from), as Wine leaves them.
  std::vector<bool> transparent(pixels.size(), false);
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    if (pixels[i] != mask_colour) continue;
    transparent[i] = true;
    pixels[i] = RGB(0, 0, 0);
  }
  return AddImages(himl, width, height, pixels, transparent);
}

BOOL WINAPI ImageList_DrawEx(HIMAGELIST himl, int i, HDC hdcDst, int x, int y, int dx, int dy,
                             COLORREF rgbBk, COLORREF rgbFg, UINT fStyle) {
  (void)rgbFg;
  Image image;
  int cx = 0;
  int cy = 0;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    const ImageList* list = FindListLocked(himl);
    if (list == nullptr || i < 0 || static_cast<std::size_t>(i) >= list->images.size()) {
      return FALSE;
    }
    image = list->images[static_cast<std::size_t>(i)];
    cx = list->cx;
    cy = list->cy;
  }
  const int width = dx > 0 ? std::min(dx, cx) : cx;
  const int height = dy > 0 ? std::min(dy, cy) : cy;
  // A place far outside any picture is recorded, not drawn.
  constexpr int kFarthest = 1 << 24;
  const bool near = x > -kFarthest && x < kFarthest && y > -kFarthest && y < kFarthest;
  std::lock_guard<std::mutex> lock(backend::internal::GdiMutex());
  backend::internal::Canvas canvas;
  if (!backend::internal::CanvasLocked(hdcDst, &canvas)) return FALSE;
  backend::DrawCall call;
  call.function = "ImageList_Draw";
  call.rect = near ? RECT{x, y, x + width, y + height} : RECT{x, y, x, y};
  call.flags = fStyle;
  call.list = himl;
  call.image = i;
  backend::internal::RecordLocked(canvas, call);
  if (canvas.raster == nullptr || image.pixels.empty() || !near) return TRUE;
  // The list's background colour is CLR_NONE: masked pixels stay as they are unless a colour
  // is given.
  const COLORREF background = rgbBk == CLR_DEFAULT ? CLR_NONE : rgbBk;
  const bool transparent = (fStyle & ILD_TRANSPARENT) != 0 || background == CLR_NONE;
  for (int row = 0; row < height; ++row) {
    for (int column = 0; column < width; ++column) {
      const std::size_t at = static_cast<std::size_t>(row) * cx + column;
      const bool masked = !image.transparent.empty() && image.transparent[at];
      COLORREF colour = image.pixels[at];
      if ((fStyle & ILD_MASK) != 0) {
        colour = masked ? RGB(255, 255, 255) : RGB(0, 0, 0);
      } else if (masked) {
        if (transparent) continue;
        colour = background;
      }
      canvas.raster->Set(x + column, y + row, colour);
    }
  }
  return TRUE;
}

BOOL WINAPI ImageList_Draw(HIMAGELIST himl, int i, HDC hdcDst, int x, int y, UINT fStyle) {
  return ImageList_DrawEx(himl, i, hdcDst, x, y, 0, 0, CLR_DEFAULT, CLR_DEFAULT, fStyle);
}

BOOL WINAPI ImageList_GetIconSize(HIMAGELIST himl, int* cx, int* cy) {
  if (cx == nullptr || cy == nullptr) return FALSE;
  std::lock_guard<std::mutex> lock(g_mutex);
  const ImageList* list = FindListLocked(himl);
  if (list == nullptr) return FALSE;
  *cx = list->cx;
  *cy = list->cy;
  return TRUE;
}

}  // extern "C"
