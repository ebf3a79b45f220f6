// Device contexts and GDI objects of the Linux back end: the device contexts of windows
// (GetDC, BeginPaint) and memory device contexts (CreateCompatibleDC), with the state
// Windows gives them; bitmaps with pixels (CreateBitmap, CreateCompatibleBitmap,
// CreateDIBSection), brushes, fonts and pens, and the stock objects; the pixels of a memory
// device context (GetPixel, SetPixel); the record of what was drawn on each device context,
// read back through backend.h.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/linux/backend.h"
#include "platform/linux/backend_internal.h"
#include "platform/linux/drawing_internal.h"
#include "platform/linux/win32_api.h"

namespace {

using backend::DrawCall;
using backend::internal::GdiMutex;
using backend::internal::Raster;

// The screen's logical pixels per inch, in x and in y, and its colour depth.
constexpr int kPixelsPerInch = 96;
constexpr int kScreenBitsPerPixel = 32;
// The most pixels a bitmap has, and the widest and highest it is.
constexpr std::int64_t kMostPixels = std::int64_t{1} << 26;
constexpr int kLongestSide = 1 << 16;
// A log longer than this loses its older half.
constexpr std::size_t kLongestLog = 100000;
constexpr int kLastStockObject = 17;  // DEFAULT_GUI_FONT
constexpr int kDefaultPalette = 15;

enum class Kind { kBrush, kPen, kFont, kBitmap, kOther };

struct Object {
  Kind kind = Kind::kOther;
  bool stock = false;
  bool null = false;    // the null brush or pen
  COLORREF colour = 0;  // a brush's or pen's
  Raster raster;        // a bitmap's
  bool dib = false;     // a DIB section
  int selected = 0;     // device contexts it is selected into
};

struct DeviceContext {
  bool memory = false;
  HWND window = nullptr;  // a window's device context: its window (null: the screen)
  HGDIOBJ bitmap = nullptr;
  HGDIOBJ brush = nullptr;
  HGDIOBJ pen = nullptr;
  HGDIOBJ font = nullptr;
  COLORREF text_colour = 0;
  COLORREF background = RGB(255, 255, 255);
  int background_mode = OPAQUE;
  std::vector<DrawCall> log;  // a memory device context's drawing
};

struct GdiTable {
  std::map<std::uintptr_t, Object> objects;
  std::map<std::uintptr_t, DeviceContext> dcs;
  std::map<HWND, std::vector<DrawCall>> window_logs;
  HGDIOBJ stock[kLastStockObject + 1] = {};
  HGDIOBJ default_bitmap = nullptr;  // 1 x 1, monochrome: a new memory DC's
  bool made = false;
};

GdiTable& Table() {
  static auto* table = new GdiTable;
  return *table;
}

std::uintptr_t KeyOf(const void* handle) { return reinterpret_cast<std::uintptr_t>(handle); }

HGDIOBJ NewObjectLocked(Object object) {
  const std::uintptr_t handle = backend::internal::NewUserHandle();
  Table().objects.emplace(handle, std::move(object));
  return reinterpret_cast<HGDIOBJ>(handle);
}

bool SizeAllowed(std::int64_t width, std::int64_t height) {
  return width <= kLongestSide && height <= kLongestSide && width * height <= kMostPixels;
}

Object MakeBrush(COLORREF colour, bool stock, bool null = false) {
  Object brush;
  brush.kind = Kind::kBrush;
  brush.colour = colour;
  brush.stock = stock;
  brush.null = null;
  return brush;
}

void MakeRaster(Raster* raster, int width, int height, int bits, bool dib, bool top_down) {
  raster->width = width;
  raster->height = height;
  raster->bits_per_pixel = bits;
  const int row_bits = width * bits;
  raster->stride = dib ? (row_bits + 31) / 32 * 4 : (row_bits + 15) / 16 * 2;
  raster->top_down = top_down;
  raster->owned.assign(static_cast<std::size_t>(raster->stride) * height, 0);
  raster->bytes = raster->owned.data();
}

// The stock objects, made on first use.
void EnsureStockLocked() {
  GdiTable& table = Table();
  if (table.made) return;
  table.made = true;
  const COLORREF brushes[] = {RGB(255, 255, 255), RGB(192, 192, 192), RGB(128, 128, 128),
                              RGB(64, 64, 64), RGB(0, 0, 0)};
  for (int i = WHITE_BRUSH; i <= BLACK_BRUSH; ++i) {
    table.stock[i] = NewObjectLocked(MakeBrush(brushes[i], true));
  }
  table.stock[NULL_BRUSH] = NewObjectLocked(MakeBrush(0, true, true));
  const COLORREF pens[] = {RGB(255, 255, 255), RGB(0, 0, 0), 0};
  for (int i = WHITE_PEN; i <= NULL_PEN; ++i) {
    Object pen;
    pen.kind = Kind::kPen;
    pen.stock = true;
    pen.colour = pens[i - WHITE_PEN];
    pen.null = i == NULL_PEN;
    table.stock[i] = NewObjectLocked(pen);
  }
  for (int i = OEM_FIXED_FONT; i <= DEFAULT_GUI_FONT; ++i) {
    if (i == kDefaultPalette) continue;
    Object font;
    font.kind = Kind::kFont;
    font.stock = true;
    table.stock[i] = NewObjectLocked(font);
  }
  Object palette;
  palette.stock = true;
  table.stock[kDefaultPalette] = NewObjectLocked(palette);
  Object bitmap;
  bitmap.kind = Kind::kBitmap;
  bitmap.stock = true;
  MakeRaster(&bitmap.raster, 1, 1, 1, false, true);
  table.default_bitmap = NewObjectLocked(std::move(bitmap));
}

Object* FindObjectLocked(HGDIOBJ handle) {
  auto found = Table().objects.find(KeyOf(handle));
  return found == Table().objects.end() ? nullptr : &found->second;
}

DeviceContext* FindDcLocked(HDC dc) {
  auto found = Table().dcs.find(KeyOf(dc));
  return found == Table().dcs.end() ? nullptr : &found->second;
}

void Select(HGDIOBJ* slot, HGDIOBJ object) {
  if (Object* old = FindObjectLocked(*slot)) --old->selected;
  *slot = object;
  if (Object* now = FindObjectLocked(object)) ++now->selected;
}

HDC NewDcLocked(DeviceContext dc) {
  EnsureStockLocked();
  GdiTable& table = Table();
  dc.brush = table.stock[WHITE_BRUSH];
  dc.pen = table.stock[BLACK_PEN];
  dc.font = table.stock[SYSTEM_FONT];
  if (dc.memory) dc.bitmap = table.default_bitmap;
  if (Object* bitmap = FindObjectLocked(dc.bitmap)) ++bitmap->selected;
  const std::uintptr_t handle = backend::internal::NewUserHandle();
  table.dcs.emplace(handle, std::move(dc));
  return reinterpret_cast<HDC>(handle);
}

void DeleteDcLocked(HDC handle) {
  DeviceContext* dc = FindDcLocked(handle);
  if (dc == nullptr) return;
  for (HGDIOBJ* slot : {&dc->bitmap, &dc->brush, &dc->pen, &dc->font}) Select(slot, nullptr);
  Table().dcs.erase(KeyOf(handle));
}

void Trim(std::vector<DrawCall>* log) {
  if (log->size() > kLongestLog) log->erase(log->begin(), log->begin() + kLongestLog / 2);
}

std::string Hex(unsigned long value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%lx", value);
  return text;
}

std::string Colour(COLORREF colour) {
  char text[16];
  std::snprintf(text, sizeof text, "#%02x%02x%02x", GetRValue(colour), GetGValue(colour),
                GetBValue(colour));
  return text;
}

std::string RectText(const RECT& rect) {
  return std::to_string(rect.left) + "," + std::to_string(rect.top) + "," +
         std::to_string(rect.right) + "," + std::to_string(rect.bottom);
}

// Flag names joined by "|", with what no name covers in hexadecimal; `zero` for none.
std::string FlagNames(UINT flags, const std::vector<std::pair<UINT, const char*>>& names,
                      const char* zero) {
  std::string text;
  for (const auto& name : names) {
    if (name.first != 0 && (flags & name.first) == name.first) {
      text += (text.empty() ? "" : "|") + std::string(name.second);
      flags &= ~name.first;
    }
  }
  if (flags != 0) text += (text.empty() ? "" : "|") + Hex(flags);
  return text.empty() ? zero : text;
}

}  // namespace

namespace backend::internal {

std::mutex& GdiMutex() {
  static auto* mutex = new std::mutex;
  return *mutex;
}

COLORREF Raster::Get(int x, int y) const {
  if (!Inside(x, y)) return CLR_INVALID;
  const unsigned char* row = bytes + static_cast<std::size_t>(top_down ? y : height - 1 - y) *
                                         static_cast<std::size_t>(stride);
  if (bits_per_pixel == 1) {
    return (row[x / 8] & (0x80 >> (x % 8))) != 0 ? RGB(255, 255, 255) : RGB(0, 0, 0);
  }
  const unsigned char* pixel = row + x * (bits_per_pixel / 8);
  return RGB(pixel[2], pixel[1], pixel[0]);
}

void Raster::Set(int x, int y, COLORREF colour) {
  if (!Inside(x, y)) return;
  unsigned char* row = bytes + static_cast<std::size_t>(top_down ? y : height - 1 - y) *
                                   static_cast<std::size_t>(stride);
  if (bits_per_pixel == 1) {
    // The nearer of black and white.
    const bool white = GetRValue(colour) + GetGValue(colour) + GetBValue(colour) >= 3 * 128;
    const auto bit = static_cast<unsigned char>(0x80 >> (x % 8));
    row[x / 8] = static_cast<unsigned char>(white ? row[x / 8] | bit : row[x / 8] & ~bit);
    return;
  }
  unsigned char* pixel = row + x * (bits_per_pixel / 8);
  pixel[0] = GetBValue(colour);
  pixel[1] = GetGValue(colour);
  pixel[2] = GetRValue(colour);
  if (bits_per_pixel == 32) pixel[3] = 0;
}

void FillPixels(Raster* raster, RECT rect, COLORREF colour) {
  if (raster == nullptr) return;
  const int left = std::max<int>(rect.left, 0);
  const int top = std::max<int>(rect.top, 0);
  const int right = std::min<int>(rect.right, raster->width);
  const int bottom = std::min<int>(rect.bottom, raster->height);
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x) raster->Set(x, y, colour);
  }
}

bool CanvasLocked(HDC handle, Canvas* canvas) {
  DeviceContext* dc = FindDcLocked(handle);
  if (dc == nullptr) return false;
  canvas->dc = handle;
  canvas->raster = nullptr;
  if (dc->memory) {
    if (Object* bitmap = FindObjectLocked(dc->bitmap)) canvas->raster = &bitmap->raster;
    canvas->log = &dc->log;
  } else {
    canvas->log = &Table().window_logs[dc->window];
  }
  canvas->text_colour = dc->text_colour;
  canvas->background = dc->background;
  canvas->background_mode = dc->background_mode;
  return true;
}

void RecordLocked(const Canvas& canvas, DrawCall call) {
  if (canvas.log == nullptr) return;
  call.text_colour = canvas.text_colour;
  call.background = canvas.background;
  call.background_mode = canvas.background_mode;
  canvas.log->push_back(std::move(call));
  Trim(canvas.log);
}

bool BrushColourLocked(HBRUSH brush, COLORREF* colour) {
  const auto value = KeyOf(brush);
  if (value >= 1 && value <= static_cast<std::uintptr_t>(COLOR_MENUBAR) + 1) {
    *colour = GetSysColor(static_cast<int>(value) - 1);
    return true;
  }
  const Object* object = FindObjectLocked(brush);
  if (object == nullptr || object->kind != Kind::kBrush || object->null) return false;
  *colour = object->colour;
  return true;
}

HBRUSH NewStockBrush(COLORREF colour) {
  std::lock_guard<std::mutex> lock(GdiMutex());
  return static_cast<HBRUSH>(NewObjectLocked(MakeBrush(colour, true)));
}

Raster* BitmapRasterLocked(HBITMAP bitmap) {
  Object* object = FindObjectLocked(bitmap);
  return object != nullptr && object->kind == Kind::kBitmap ? &object->raster : nullptr;
}

HBITMAP NewBitmap(int width, int height, const std::vector<COLORREF>& pixels) {
  if (width <= 0 || height <= 0 || !SizeAllowed(width, height)) return nullptr;
  std::lock_guard<std::mutex> lock(GdiMutex());
  Object bitmap;
  bitmap.kind = Kind::kBitmap;
  MakeRaster(&bitmap.raster, width, height, 32, false, true);
  HGDIOBJ handle = NewObjectLocked(std::move(bitmap));
  Raster* raster = &FindObjectLocked(handle)->raster;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const std::size_t at = static_cast<std::size_t>(y) * width + x;
      if (at < pixels.size()) raster->Set(x, y, pixels[at]);
    }
  }
  return static_cast<HBITMAP>(handle);
}

HDC NewWindowDeviceContext(HWND window) {
  std::lock_guard<std::mutex> lock(GdiMutex());
  DeviceContext dc;
  dc.window = window;
  return NewDcLocked(std::move(dc));
}

bool ReleaseWindowDeviceContext(HDC handle) {
  std::lock_guard<std::mutex> lock(GdiMutex());
  DeviceContext* dc = FindDcLocked(handle);
  if (dc == nullptr || dc->memory) return false;
  DeleteDcLocked(handle);
  return true;
}

void ForgetWindowDrawing(HWND window) {
  std::lock_guard<std::mutex> lock(GdiMutex());
  Table().window_logs.erase(window);
}

}  // namespace backend::internal

namespace backend {

std::string DrawCall::Line() const {
  std::string line = function + " " + RectText(rect);
  const std::string mode =
      background_mode == TRANSPARENT ? " TRANSPARENT" : " OPAQUE bk=" + Colour(background);
  if (function == "FillRect" || function == "SetPixel") {
    line += " " + Colour(colour);
  } else if (function == "DrawEdge") {
    line += " " + FlagNames(edge,
                            {{EDGE_RAISED, "EDGE_RAISED"},
                             {EDGE_SUNKEN, "EDGE_SUNKEN"},
                             {EDGE_ETCHED, "EDGE_ETCHED"},
                             {EDGE_BUMP, "EDGE_BUMP"},
                             {BDR_RAISEDOUTER, "BDR_RAISEDOUTER"},
                             {BDR_SUNKENOUTER, "BDR_SUNKENOUTER"},
                             {BDR_RAISEDINNER, "BDR_RAISEDINNER"},
                             {BDR_SUNKENINNER, "BDR_SUNKENINNER"}},
                            "0");
    line += " " + FlagNames(flags,
                            {{BF_RECT, "BF_RECT"},
                             {BF_LEFT, "BF_LEFT"},
                             {BF_TOP, "BF_TOP"},
                             {BF_RIGHT, "BF_RIGHT"},
                             {BF_BOTTOM, "BF_BOTTOM"},
                             {BF_DIAGONAL, "BF_DIAGONAL"},
                             {BF_MIDDLE, "BF_MIDDLE"},
                             {BF_SOFT, "BF_SOFT"},
                             {BF_ADJUST, "BF_ADJUST"},
                             {BF_FLAT, "BF_FLAT"},
                             {BF_MONO, "BF_MONO"}},
                            "0");
  } else if (function == "DrawFrameControl") {
    const char* types[] = {"0", "DFC_CAPTION", "DFC_MENU", "DFC_SCROLL", "DFC_BUTTON"};
    line += " " + (edge <= DFC_BUTTON ? std::string(types[edge]) : Hex(edge));
    line += " " + Hex(flags & 0xFF) +
            FlagNames(flags & ~0xFFu,
                      {{DFCS_INACTIVE, "|DFCS_INACTIVE"},
                       {DFCS_PUSHED, "|DFCS_PUSHED"},
                       {DFCS_CHECKED, "|DFCS_CHECKED"},
                       {DFCS_TRANSPARENT, "|DFCS_TRANSPARENT"},
                       {DFCS_HOT, "|DFCS_HOT"},
                       {DFCS_ADJUSTRECT, "|DFCS_ADJUSTRECT"},
                       {DFCS_FLAT, "|DFCS_FLAT"},
                       {DFCS_MONO, "|DFCS_MONO"}},
                      "");
    line += " text=" + Colour(text_colour);
  } else if (function == "DrawTextA") {
    line += " \"" + EscapeBytes(text) + "\" " +
            FlagNames(flags,
                      {{DT_CENTER, "DT_CENTER"},
                       {DT_RIGHT, "DT_RIGHT"},
                       {DT_VCENTER, "DT_VCENTER"},
                       {DT_BOTTOM, "DT_BOTTOM"},
                       {DT_WORDBREAK, "DT_WORDBREAK"},
                       {DT_SINGLELINE, "DT_SINGLELINE"},
                       {DT_EXPANDTABS, "DT_EXPANDTABS"},
                       {DT_NOCLIP, "DT_NOCLIP"},
                       {DT_NOPREFIX, "DT_NOPREFIX"},
                       {DT_END_ELLIPSIS, "DT_END_ELLIPSIS"},
                       {DT_WORD_ELLIPSIS, "DT_WORD_ELLIPSIS"}},
                      "DT_LEFT");
    line += " text=" + Colour(text_colour) + mode;
  } else if (function == "BitBlt") {
    line += " from " + Hex(static_cast<unsigned long>(KeyOf(source))) + " " +
            std::to_string(source_origin.x) + "," + std::to_string(source_origin.y) + " " +
            (flags == SRCCOPY ? std::string("SRCCOPY") : Hex(flags));
  } else if (function == "ImageList_Draw") {
    line += " list=" + Hex(static_cast<unsigned long>(KeyOf(list))) +
            " image=" + std::to_string(image) + " " +
            FlagNames(flags, {{ILD_TRANSPARENT, "ILD_TRANSPARENT"}, {ILD_MASK, "ILD_MASK"}},
                      "ILD_NORMAL");
  }
  return line;
}

std::vector<DrawCall> WindowDrawing(HWND window) {
  std::lock_guard<std::mutex> lock(GdiMutex());
  auto found = Table().window_logs.find(window);
  return found == Table().window_logs.end() ? std::vector<DrawCall>{} : found->second;
}

std::vector<std::string> WindowDrawingLines(HWND window) {
  std::vector<std::string> lines;
  for (const DrawCall& call : WindowDrawing(window)) lines.push_back(call.Line());
  return lines;
}

void ClearWindowDrawing(HWND window) {
  std::lock_guard<std::mutex> lock(GdiMutex());
  if (window == nullptr) {
    Table().window_logs.clear();
  } else {
    Table().window_logs.erase(window);
  }
}

std::vector<DrawCall> DeviceContextDrawing(HDC dc) {
  std::lock_guard<std::mutex> lock(GdiMutex());
  const DeviceContext* found = FindDcLocked(dc);
  return found != nullptr && found->memory ? found->log : std::vector<DrawCall>{};
}

std::vector<std::string> DeviceContextDrawingLines(HDC dc) {
  std::vector<std::string> lines;
  for (const DrawCall& call : DeviceContextDrawing(dc)) lines.push_back(call.Line());
  return lines;
}

void ClearDeviceContextDrawing(HDC dc) {
  std::lock_guard<std::mutex> lock(GdiMutex());
  if (DeviceContext* found = FindDcLocked(dc)) found->log.clear();
}

}  // namespace backend

extern "C" {

HDC WINAPI GetDC(HWND hWnd) {
  if (hWnd != nullptr && !IsWindow(hWnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  return backend::internal::NewWindowDeviceContext(hWnd);
}

int WINAPI ReleaseDC(HWND, HDC hDC) {
  return backend::internal::ReleaseWindowDeviceContext(hDC) ? 1 : 0;
}

int WINAPI GetDeviceCaps(HDC hdc, int index) {
  std::lock_guard<std::mutex> lock(GdiMutex());
  if (FindDcLocked(hdc) == nullptr) return 0;
  switch (index) {
    case LOGPIXELSX:
    case LOGPIXELSY:
      return kPixelsPerInch;
    case BITSPIXEL:
      return kScreenBitsPerPixel;
    default:
      return 0;
  }
}

HDC WINAPI CreateCompatibleDC(HDC hdc) {
  std::lock_guard<std::mutex> lock(GdiMutex());
  if (hdc != nullptr && FindDcLocked(hdc) == nullptr) return nullptr;
  DeviceContext dc;
  dc.memory = true;
  return NewDcLocked(std::move(dc));
}

BOOL WINAPI DeleteDC(HDC hdc) {
  std::lock_guard<std::mutex> lock(GdiMutex());
  if (FindDcLocked(hdc) == nullptr) return FALSE;
  DeleteDcLocked(hdc);
  return TRUE;
}

HGDIOBJ WINAPI GetStockObject(int i) {
  std::lock_guard<std::mutex> lock(GdiMutex());
  EnsureStockLocked();
  if (i < 0 || i > kLastStockObject) return nullptr;
  return Table().stock[i];
}

HBRUSH WINAPI CreateSolidBrush(COLORREF color) {
  std::lock_guard<std::mutex> lock(GdiMutex());
  return static_cast<HBRUSH>(NewObjectLocked(MakeBrush(color & 0xFFFFFFu, false)));
}

HGDIOBJ WINAPI SelectObject(HDC hdc, HGDIOBJ h) {
  std::lock_guard<std::mutex> lock(GdiMutex());
  DeviceContext* dc = FindDcLocked(hdc);
  Object* object = FindObjectLocked(h);
  if (dc == nullptr || object == nullptr) return nullptr;
  HGDIOBJ* slot = nullptr;
  switch (object->kind) {
    case Kind::kBitmap:
      // A bitmap goes into one memory device context at a time.
      if (!dc->memory || (object->selected > 0 && dc->bitmap != h)) return nullptr;
      slot = &dc->bitmap;
      break;
    case Kind::kBrush:
      slot = &dc->brush;
      break;
    case Kind::kPen:
      slot = &dc->pen;
      break;
    case Kind::kFont:
      slot = &dc->font;
      break;
    case Kind::kOther:
      return nullptr;
  }
  HGDIOBJ previous = *slot;
  Select(slot, h);
  return previous;
}

BOOL WINAPI DeleteObject(HGDIOBJ ho) {
  std::lock_guard<std::mutex> lock(GdiMutex());
  Object* object = FindObjectLocked(ho);
  if (object == nullptr) return FALSE;
  if (object->stock) return TRUE;  // stock objects stay
  // A bitmap selected into a device context stays, as does any object still selected.
  if (object->selected > 0) return object->kind == Kind::kBitmap ? FALSE : TRUE;
  Table().objects.erase(KeyOf(ho));
  return TRUE;
}

int WINAPI GetObjectA(HANDLE h, int c, LPVOID pv) {
  std::lock_guard<std::mutex> lock(GdiMutex());
  const Object* object = FindObjectLocked(h);
  if (object == nullptr || object->kind != Kind::kBitmap) return 0;
  if (pv == nullptr) return static_cast<int>(sizeof(BITMAP));
  if (c < static_cast<int>(sizeof(BITMAP))) return 0;
  BITMAP bitmap{};
  bitmap.bmWidth = object->raster.width;
  bitmap.bmHeight = object->raster.height;
  bitmap.bmWidthBytes = object->raster.stride;
  bitmap.bmPlanes = 1;
  bitmap.bmBitsPixel = static_cast<WORD>(object->raster.bits_per_pixel);
  bitmap.bmBits = object->dib ? object->raster.bytes : nullptr;
  std::memcpy(pv, &bitmap, sizeof bitmap);
  return static_cast<int>(sizeof bitmap);
}

HBITMAP WINAPI CreateBitmap(int nWidth, int nHeight, UINT nPlanes, UINT nBitCount,
                            const void* lpBits) {
  if (nWidth < 0 || nHeight < 0 || nPlanes != 1 ||
      (nBitCount != 1 && nBitCount != 24 && nBitCount != 32)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (!SizeAllowed(nWidth, nHeight)) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  std::lock_guard<std::mutex> lock(GdiMutex());
  EnsureStockLocked();
  if (nWidth == 0 || nHeight == 0) return static_cast<HBITMAP>(Table().default_bitmap);
  Object bitmap;
  bitmap.kind = Kind::kBitmap;
  MakeRaster(&bitmap.raster, nWidth, nHeight, static_cast<int>(nBitCount), false, true);
  if (lpBits != nullptr) {
    std::memcpy(bitmap.raster.owned.data(), lpBits, bitmap.raster.owned.size());
  }
  return static_cast<HBITMAP>(NewObjectLocked(std::move(bitmap)));
}

HBITMAP WINAPI CreateCompatibleBitmap(HDC hdc, int cx, int cy) {
  int bits = kScreenBitsPerPixel;
  {
    std::lock_guard<std::mutex> lock(GdiMutex());
    const DeviceContext* dc = FindDcLocked(hdc);
    if (dc == nullptr || cx < 0 || cy < 0) return nullptr;
    // A memory device context makes bitmaps like the one selected into it.
    if (dc->memory) {
      if (const Object* bitmap = FindObjectLocked(dc->bitmap)) bits = bitmap->raster.bits_per_pixel;
    }
  }
  return CreateBitmap(cx, cy, 1, static_cast<UINT>(bits), nullptr);
}

HBITMAP WINAPI CreateDIBSection(HDC hdc, const BITMAPINFO* pbmi, UINT usage, void** ppvBits,
                                HANDLE hSection, DWORD offset) {
  (void)hdc;
  (void)offset;
  if (ppvBits != nullptr) *ppvBits = nullptr;
  if (pbmi == nullptr || usage != DIB_RGB_COLORS || hSection != nullptr) return nullptr;
  const BITMAPINFOHEADER& header = pbmi->bmiHeader;
  if (header.biWidth <= 0 || header.biHeight == 0 || header.biPlanes != 1 ||
      header.biCompression != BI_RGB || (header.biBitCount != 24 && header.biBitCount != 32)) {
    return nullptr;
  }
  const std::int64_t height =
      header.biHeight < 0 ? -static_cast<std::int64_t>(header.biHeight) : header.biHeight;
  if (!SizeAllowed(header.biWidth, height)) return nullptr;
  std::lock_guard<std::mutex> lock(GdiMutex());
  Object bitmap;
  bitmap.kind = Kind::kBitmap;
  bitmap.dib = true;
  MakeRaster(&bitmap.raster, header.biWidth, static_cast<int>(height), header.biBitCount, true,
             header.biHeight < 0);
  HGDIOBJ handle = NewObjectLocked(std::move(bitmap));
  Raster& raster = FindObjectLocked(handle)->raster;
  raster.bytes = raster.owned.data();
  if (ppvBits != nullptr) *ppvBits = raster.bytes;
  return static_cast<HBITMAP>(handle);
}

int WINAPI SetBkMode(HDC hdc, int mode) {
  std::lock_guard<std::mutex> lock(GdiMutex());
  DeviceContext* dc = FindDcLocked(hdc);
  if (dc == nullptr || (mode != OPAQUE && mode != TRANSPARENT)) return 0;
  const int previous = dc->background_mode;
  dc->background_mode = mode;
  return previous;
}

int WINAPI GetBkMode(HDC hdc) {
  std::lock_guard<std::mutex> lock(GdiMutex());
  const DeviceContext* dc = FindDcLocked(hdc);
  return dc != nullptr ? dc->background_mode : 0;
}

COLORREF WINAPI SetTextColor(HDC hdc, COLORREF color) {
  std::lock_guard<std::mutex> lock(GdiMutex());
  DeviceContext* dc = FindDcLocked(hdc);
  if (dc == nullptr) return CLR_INVALID;
  return std::exchange(dc->text_colour, color);
}

COLORREF WINAPI GetTextColor(HDC hdc) {
  std::lock_guard<std::mutex> lock(GdiMutex());
  const DeviceContext* dc = FindDcLocked(hdc);
  return dc != nullptr ? dc->text_colour : CLR_INVALID;
}

COLORREF WINAPI SetBkColor(HDC hdc, COLORREF color) {
  std::lock_guard<std::mutex> lock(GdiMutex());
  DeviceContext* dc = FindDcLocked(hdc);
  if (dc == nullptr) return CLR_INVALID;
  return std::exchange(dc->background, color);
}

COLORREF WINAPI GetBkColor(HDC hdc) {
  std::lock_guard<std::mutex> lock(GdiMutex());
  const DeviceContext* dc = FindDcLocked(hdc);
  return dc != nullptr ? dc->background : CLR_INVALID;
}

COLORREF WINAPI GetPixel(HDC hdc, int x, int y) {
  std::lock_guard<std::mutex> lock(GdiMutex());
  backend::internal::Canvas canvas;
  if (!backend::internal::CanvasLocked(hdc, &canvas) || canvas.raster == nullptr) {
    return CLR_INVALID;
  }
  return canvas.raster->Get(x, y);
}

COLORREF WINAPI SetPixel(HDC hdc, int x, int y, COLORREF color) {
  std::lock_guard<std::mutex> lock(GdiMutex());
  backend::internal::Canvas canvas;
  if (!backend::internal::CanvasLocked(hdc, &canvas)) return CLR_INVALID;
  DrawCall call;
  call.function = "SetPixel";
  call.rect = RECT{x, y, x == INT32_MAX ? x : x + 1, y == INT32_MAX ? y : y + 1};
  call.colour = color;
  backend::internal::RecordLocked(canvas, call);
  // Outside the picture nothing is drawn, and the colour is answered, as Wine does.
  if (canvas.raster == nullptr || !canvas.raster->Inside(x, y)) return color;
  canvas.raster->Set(x, y, color);
  return canvas.raster->Get(x, y);
}

}  // extern "C"
