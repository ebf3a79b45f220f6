// Reading back what was drawn, on both builds: a memory device context over a 32-bit
// picture whose pixels a test reads (GetPixel), and the checks that cannot compare pixels
// one for one (the glyphs of a text differ between Wine's fonts and the Linux back end's
// marks).
//
//   drawing::Canvas canvas(80, 24);
//   SendMessageA(button, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.dc()), PRF_CLIENT);
//   EXPECT_EQ(canvas.Pixel(0, 0), GetSysColor(COLOR_BTNHIGHLIGHT));
//   EXPECT_TRUE(drawing::TextDrawnIn(canvas, RECT{10, 4, 70, 20}, GetSysColor(COLOR_BTNTEXT)));
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win32.h"

namespace drawing {

// A memory device context with a picture of `width` x `height` pixels selected, all of
// `background` at first.
class Canvas {
 public:
  Canvas(int width, int height, COLORREF background = RGB(255, 255, 255));
  ~Canvas();
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  HDC dc() const { return dc_; }
  int width() const { return width_; }
  int height() const { return height_; }
  COLORREF Pixel(int x, int y) const;
  // Every pixel back to `colour`.
  void Fill(COLORREF colour);
  // How many pixels of `area` are of `colour`.
  int Count(const RECT& area, COLORREF colour) const;
  // The window draws its client area here (WM_PRINTCLIENT): an owner-drawn button has its
  // parent draw it on this device context.
  void Print(HWND window) const;
  // The picture as text, one line a row: each pixel as the letter `legend` gives its colour,
  // or '?' (for reports).
  std::string Picture(const RECT& area, const std::string& legend_letters,
                      const std::vector<COLORREF>& legend_colours) const;

 private:
  int width_;
  int height_;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
};

// A text of `colour` was drawn inside `area`: some pixel of that colour is inside it and none
// outside. On Linux the device context's record must also hold a DrawTextA call of that text
// colour whose rectangle meets `area`.
testing::AssertionResult TextDrawnIn(const Canvas& canvas, const RECT& area, COLORREF colour);

}  // namespace drawing
