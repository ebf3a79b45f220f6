// Pieces shared by the drawing files of the Linux back end (device_contexts.cpp, drawing.cpp,
// images.cpp, painting.cpp, button.cpp). Not for the system's code or tests.
//
// GDI objects (device contexts, bitmaps, brushes, fonts, pens) live in one table under one
// lock, GdiMutex(). The window manager's lock (UserMutex) may be held when GdiMutex is taken,
// never the other way round: code holding GdiMutex calls no user32 function.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/linux/backend.h"
#include "platform/linux/win32_api.h"

namespace backend::internal {

std::mutex& GdiMutex();

// The pixels of a bitmap, in the layout its kind has: 1 bit a pixel (monochrome, white for
// a set bit), 24 or 32 bits (blue, green, red[, unused]); rows padded to 2 bytes for a
// device-dependent bitmap and 4 for a DIB section, bottom-up unless `top_down`.
struct Raster {
  int width = 0;
  int height = 0;
  int bits_per_pixel = 32;
  int stride = 0;
  bool top_down = true;
  std::vector<unsigned char> owned;  // the bytes, unless they are a DIB section's
  unsigned char* bytes = nullptr;    // where the bytes are

  bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
  COLORREF Get(int x, int y) const;
  void Set(int x, int y, COLORREF colour);
};

// The memory DC, raster and log of a drawing: what a drawing function works on.
struct Canvas {
  HDC dc = nullptr;
  Raster* raster = nullptr;                       // pixels of a memory DC's bitmap, or none
  std::vector<backend::DrawCall>* log = nullptr;  // where the calls are recorded
  COLORREF text_colour = 0;
  COLORREF background = 0;
  int background_mode = OPAQUE;
};

// The canvas of a device context, with GdiMutex held; false for a handle that names none.
bool CanvasLocked(HDC dc, Canvas* canvas);
// Records a drawing call on a canvas (with the DC's colours and mode filled in).
void RecordLocked(const Canvas& canvas, backend::DrawCall call);

// The colour of a brush (a COLOR_... + 1 value stands for that system colour's brush);
// false for the null brush or a handle that names no brush.
bool BrushColourLocked(HBRUSH brush, COLORREF* colour);
// A brush that DeleteObject leaves (a system colour's).
HBRUSH NewStockBrush(COLORREF colour);
// The pixels of a bitmap (a DDB or a DIB section), or null.
Raster* BitmapRasterLocked(HBITMAP bitmap);
// A new bitmap of 32 bits a pixel with the given pixels (row by row), as CreateBitmap
// makes one.
HBITMAP NewBitmap(int width, int height, const std::vector<COLORREF>& pixels);

// A device context of a window's client area (null: the screen) for GetDC and BeginPaint,
// and its release; false when `dc` is no window's device context.
HDC NewWindowDeviceContext(HWND window);
bool ReleaseWindowDeviceContext(HDC dc);
// Drops what was drawn on a window that goes.
void ForgetWindowDrawing(HWND window);

// Fills a rectangle of a raster (clipped to it) with a colour.
void FillPixels(Raster* raster, RECT rect, COLORREF colour);

// --- Painting (painting.cpp) ---

// DefWindowProcA's painting messages: WM_PAINT, WM_ERASEBKGND, WM_CTLCOLOR...,
// WM_PRINTCLIENT. Answers 0 to any other message.
LRESULT DefaultPaint(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// A window was shown or hidden (ShowWindow, after the activation).
void WindowShownOrHidden(HWND window, bool shown);
// The window of `thread` that needs painting first (parents before children, in z-order),
// within `filter` (a window and its children, or all of them for null); null when none.
HWND WindowToPaintLocked(std::thread::id thread, HWND filter);
// Drops the update region of a window that goes.
void ForgetWindowPaintLocked(HWND window);

// --- What the window manager tells the painting (windows.cpp) ---

// The child windows of a window, topmost first.
std::vector<HWND> ChildrenLocked(HWND window);
// A window's rectangle: relative to its parent's client area for a child window, else on
// the screen. False when `window` names none.
bool PlaceLocked(HWND window, RECT* rect);
// The background brush of a window's class, or null.
HBRUSH ClassBackgroundLocked(HWND window);

// --- Fonts of the standard controls (painting.cpp) ---

// WM_SETFONT and WM_GETFONT of a standard control: remembers the font, invalidates the
// control when asked to. True when `message` is one of them, with the answer in `*result`.
bool ControlFontMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

}  // namespace backend::internal
