// Reading back what was drawn, on both builds.
#include "support/drawing.h"

#include <algorithm>
#include <vector>

#ifndef _WIN32
#include "platform/linux/backend.h"
#endif

namespace drawing {

Canvas::Canvas(int width, int height, COLORREF background) : width_(width), height_(height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  dc_ = CreateCompatibleDC(nullptr);
  bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  old_ = SelectObject(dc_, bitmap_);
  Fill(background);
}

Canvas::~Canvas() {
  SelectObject(dc_, old_);
  DeleteObject(bitmap_);
  DeleteDC(dc_);
}

COLORREF Canvas::Pixel(int x, int y) const { return GetPixel(dc_, x, y); }

void Canvas::Fill(COLORREF colour) {
  HBRUSH brush = CreateSolidBrush(colour);
  const RECT all{0, 0, width_, height_};
  FillRect(dc_, &all, brush);
  DeleteObject(brush);
#ifndef _WIN32
  backend::ClearDeviceContextDrawing(dc_);
#endif
}

int Canvas::Count(const RECT& area, COLORREF colour) const {
  int count = 0;
  for (LONG y = std::max<LONG>(area.top, 0); y < std::min<LONG>(area.bottom, height_); ++y) {
    for (LONG x = std::max<LONG>(area.left, 0); x < std::min<LONG>(area.right, width_); ++x) {
      if (Pixel(x, y) == colour) ++count;
    }
  }
  return count;
}

void Canvas::Print(HWND window) const {
  SendMessageA(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc_), PRF_CLIENT);
}

std::string Canvas::Picture(const RECT& area, const std::string& legend_letters,
                            const std::vector<COLORREF>& legend_colours) const {
  std::string picture;
  for (LONG y = area.top; y < area.bottom; ++y) {
    for (LONG x = area.left; x < area.right; ++x) {
      const COLORREF colour = Pixel(x, y);
      char letter = '?';
      for (std::size_t i = 0; i < legend_colours.size() && i < legend_letters.size(); ++i) {
        if (legend_colours[i] == colour) {
          letter = legend_letters[i];
          break;
        }
      }
      picture += letter;
    }
    picture += '\n';
  }
  return picture;
}

testing::AssertionResult TextDrawnIn(const Canvas& canvas, const RECT& area, COLORREF colour) {
  const int inside = canvas.Count(area, colour);
  const int all = canvas.Count(RECT{0, 0, canvas.width(), canvas.height()}, colour);
  if (inside == 0) return testing::AssertionFailure() << "no pixel of the text colour inside";
  if (all != inside) {
    return testing::AssertionFailure() << (all - inside) << " pixels of the text colour outside";
  }
#ifndef _WIN32
  for (const backend::DrawCall& call : backend::DeviceContextDrawing(canvas.dc())) {
    if (call.function != "DrawTextA" || call.text_colour != colour) continue;
    if (call.rect.left < area.right && call.rect.right > area.left && call.rect.top < area.bottom &&
        call.rect.bottom > area.top) {
      return testing::AssertionSuccess();
    }
  }
  return testing::AssertionFailure() << "no DrawTextA of that colour recorded there";
#else
  return testing::AssertionSuccess();
#endif
}

}  // namespace drawing
